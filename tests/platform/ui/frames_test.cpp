// A frame shown again over the grid, as the windows show their notices and panels.

#include <gtest/gtest.h>

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
  }
  Frame Panel{this, "作成リストの設定"};  // built before the grid, so Qt stacks it underneath
  CommandButton Go{&Panel, "Go"};
  FlexGrid Grid{this};
};

TEST(Frames, AFrameShownAgainComesInFrontOfTheGrid) {
  PanelWindow& w = Form<PanelWindow>();
  w.Show();
  w.Panel.show();
  int clicks = 0;
  w.Go.Click = [&] { ++clicks; };
  Operator::Click(w.Go);  // fails when the click lands on the grid
  EXPECT_EQ(clicks, 1);
  w.Unload();
  FlushDeletes();
}

}  // namespace
