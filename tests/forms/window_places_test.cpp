// The windows the sheet opens, with no place stored yet: none lies over the sheet's search and call
// boxes, and each lies inside the screen.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScreen>

#include "forms/awards/ORBTOTAL1.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/newCODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/QsoLists.h"
#include "platform/ui/responders.h"
#include "support/operator.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

QRect OnScreen(const QWidget& w) { return QRect(w.mapToGlobal(QPoint(0, 0)), w.size()); }

// Inside the screen, or, for a window larger than the screen, from its left or top edge.
bool Inside(const QRect& w, const QRect& screen) {
  const bool across = w.left() >= screen.left() && (w.right() <= screen.right() || w.left() == screen.left());
  const bool down = w.top() >= screen.top() && (w.bottom() <= screen.bottom() || w.top() == screen.top());
  return across && down;
}

TEST(SheetWindowPlaces, WindowsOpenedFromTheSheetLeaveItsBoxesInSight) {
  SheetLog log;
  log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
  log.Prepare();
  MsgBoxResponder boxes;
  CWSHEET& sheet = Form<CWSHEET>();
  sheet.Show();
  const auto opened = [&](VbForm& w, const char* name) {
    Operator::Activate(sheet);
    w.Show();
    const QRect at = w.frameGeometry();
    EXPECT_FALSE(at.intersects(OnScreen(sheet.Text2))) << name << " over the search box";
    EXPECT_FALSE(at.intersects(OnScreen(sheet.Text3))) << name << " over the call box";
    EXPECT_TRUE(Inside(at, w.screen()->availableGeometry())) << name << " off the screen";
  };
  opened(Form<newCODE_LIST>(), "DX Code List");
  opened(Form<TEMP_LOG>(), "ORBEXログ");
  opened(Form<ORBTOTAL1>(), "ORB 集計表");
  Operator::Activate(sheet);
  QSODATA::ShowAreaQsos("1002", kAllBands, "MIX");
  ASSERT_TRUE(IsLoaded<QSODATA>());
  EXPECT_FALSE(LoadedForm<QSODATA>()->frameGeometry().intersects(OnScreen(sheet.Text2))) << "QSO Data";
  UnloadAllForms();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ResetSharedState();
}

}  // namespace
