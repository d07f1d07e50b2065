// A frame raised over the grid, as the windows raise their notices and panels.

#include <gtest/gtest.h>

#include <QTest>

#include "platform/ui/buttons.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "support/operator.h"
#include "ui_test.h"

namespace {

class PanelWindow : public VbForm {
 public:
  PanelWindow() {
    Panel.Move(600, 600, 4200, 1500);
    Go.Move(240, 600, 900, 360);
    Panel.hide();
    Grid.Move(0, 0, 9000, 4500);
    Grid.SetCols(8);
    Grid.SetRows(30);
    for (int r = 1; r < 30; ++r)
      for (int c = 0; c < 8; ++c) Grid.SetTextMatrix(r, c, "WWWWWW");
  }
  // Built before the grid: Qt would stack it underneath.
  Frame Panel{this, "作成リストの設定"};
  CommandButton Go{&Panel, "Go"};
  FlexGrid Grid{this};
};

TEST(Frames, AFrameShownOverTheGridHidesItAndTakesTheClicks) {
  PanelWindow& w = Form<PanelWindow>();
  w.resize(700, 400);
  w.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  w.Panel.show();
  EXPECT_EQ(Operator::WidgetAt(w.Panel, QPoint(w.Panel.width() - 10, w.Panel.height() - 10)), &w.Panel);
  int clicks = 0;
  w.Go.Click = [&] { ++clicks; };
  Operator::Click(w.Go);
  EXPECT_EQ(clicks, 1);

  // Nothing of the grid shows through: the frame looks the same with the grid gone.
  const QRect area = w.Panel.geometry();
  const QImage over = w.ClientArea()->grab(area).toImage();
  w.Grid.hide();
  EXPECT_TRUE(over == w.ClientArea()->grab(area).toImage()) << "the grid's marks show through the frame";
  w.Unload();
  FlushDeletes();
}

}  // namespace
