// The test driver's own footing: keys reach the box that holds the focus, Tab and clicks move the focus,
// a pick goes through the drop-down, a cell under the scroll bar counts as out of view. Every window
// test builds on these.
#include <gtest/gtest.h>

#include "platform/ui/buttons.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/lists.h"
#include "platform/ui/textbox.h"
#include "support/operator.h"
#include "ui_test.h"

namespace {

class Pad : public VbForm {
 public:
  Pad() {
    Text1.Move(0, 0, 2000, 300);
    Text2.Move(0, 400, 2000, 300);
    Combo1.Move(0, 800, 2000, 300);
    Grid.Move(0, 1200, 3000, 1500);
    for (const char* m : {"CW", "SSB", "FT8"}) Combo1.AddItem(m);
    Combo1.Click = [this] { picks << Combo1.Text(); };
    Grid.SetCols(2);
    Grid.SetRows(40);
    for (int r = 1; r < 40; ++r) Grid.SetTextMatrix(r, 1, QString::number(r));
    Move(0, 0, 4000, 4000);
  }
  TextBox Text1{this}, Text2{this};
  ComboBox Combo1{this, false};
  FlexGrid Grid{this};
  QStringList picks;
};

TEST(OperatorDriver, KeysFollowTheFocusThatTabAndClicksMove) {
  Pad& p = Form<Pad>();
  p.Show();
  Operator::Activate(p);
  Operator::Click(p.Text1);
  Operator::Type("ja1");
  Operator::Key(Qt::Key_Tab);
  EXPECT_EQ(Operator::Focus(), &p.Text2);
  Operator::Type("Ab");
  Operator::Click(p.Text1, {p.Text1.rect().right() - 2, 5});
  Operator::Commit(QString::fromUtf8("札"));
  EXPECT_EQ(p.Text1.text(), QString::fromUtf8("ja1札"));
  EXPECT_EQ(p.Text2.text(), "Ab");

  Operator::Pick(p.Combo1, 2);
  EXPECT_EQ(p.picks, QStringList{"FT8"});

  EXPECT_NE(Operator::CellCentre(p.Grid, 1, 1).x(), -1);
  EXPECT_EQ(Operator::CellCentre(p.Grid, 39, 1).x(), -1) << "the last row is below the grid's edge";
}

}  // namespace
