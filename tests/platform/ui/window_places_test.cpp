// Where a window with no stored place opens: beside the window that opens it, clear of the boxes the
// operator types in and inside the screen; a stored place is kept.

#include <gtest/gtest.h>

#include <QScreen>
#include <QTest>
#include <QWindow>

#include "platform/ui/form.h"
#include "platform/ui/responders.h"
#include "platform/ui/textbox.h"
#include "support/operator.h"
#include "ui_test.h"

namespace {

class Opener : public VbForm {
 public:
  Opener() {
    Move(0, 0, 9000, 6000);
    Search.Move(120, 240, 1800, 300);
    Call.Move(2400, 240, 1800, 300);
  }
  TextBox Search{this};
  TextBox Call{this};
};

class Helper : public VbForm {
 public:
  Helper() { Move(0, 0, 6000, 3000); }
};

QRect OnScreen(const QWidget& w) { return QRect(w.mapToGlobal(QPoint(0, 0)), w.size()); }

TEST(WindowPlaces, AWindowWithNoPlaceOpensClearOfItsOpenersBoxes) {
  Opener& opener = Form<Opener>();
  opener.Show();
  Operator::Activate(opener);
  Helper& helper = Form<Helper>();
  helper.MoveToStoredPlace(std::nullopt, 0);
  helper.Show();
  const QRect placed = helper.frameGeometry();
  EXPECT_FALSE(placed.intersects(OnScreen(opener.Search))) << "over the search box";
  EXPECT_FALSE(placed.intersects(OnScreen(opener.Call))) << "over the call box";
  EXPECT_TRUE(helper.screen()->availableGeometry().contains(placed)) << "off the screen's edge";
  UnloadForm<Helper>();

  Helper& stored = Form<Helper>();
  stored.MoveToStoredPlace(300, 450);  // twips: kept as stored, over the boxes or not
  stored.Show();
  EXPECT_EQ(stored.Top(), 300);
  EXPECT_EQ(stored.Left(), 450);
  UnloadAllForms();
  FlushDeletes();
}

TEST(WindowPlaces, AModalWindowStaysInFrontOfTheWindowThatOpenedIt) {
  Opener& opener = Form<Opener>();
  opener.Show();
  Operator::Activate(opener);
  ModalFormResponder modal;
  QWindow* owner = nullptr;
  modal.Then([&](VbForm& f) {
    owner = f.windowHandle() ? f.windowHandle()->transientParent() : nullptr;
    f.Hide();
  });
  Form<Helper>().Show(vbModal);
  EXPECT_EQ(owner, opener.windowHandle());
  UnloadAllForms();
  FlushDeletes();
}

}  // namespace
