// Every window at its default size, drawn with the program's font: its captions show whole; and the
// windows the sheet opens leave the sheet's boxes in sight.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScreen>
#include <QWindow>
#include <functional>

#include "core/SettingsStore.h"
#include "forms/awards/ACCSheet.h"
#include "forms/awards/ACCset.h"
#include "forms/awards/Editor.h"
#include "forms/awards/MichinoekiSheet.h"
#include "forms/awards/ORBBOOK.h"
#include "forms/awards/ORBTOTAL1.h"
#include "forms/awards/SeiriboSheet.h"
#include "forms/logbook/LOGDATAVIEW.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/MemoDAT.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/CODE_LIST.h"
#include "forms/lookup/ViewMenkyo.h"
#include "forms/lookup/newCODE_LIST.h"
#include "forms/rig/CATtestMod.h"
#include "forms/rig/RigCFG.h"
#include "forms/sheet/CFG.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBEX_CFG.h"
#include "forms/startup/ORBTOP.h"
#include "forms/startup/OrbexTips.h"
#include "logbook/LocalTime.h"
#include "logbook/QsoLists.h"
#include "platform/ui/responders.h"
#include "support/captions.h"
#include "support/operator.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

struct WindowLayout : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  DesktopLook look;
  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
    log.Prepare();
    WriteIni("ORB", "HAMLOGPOS", log.Hdb());  // the settings dialog reads it back
  }
  void TearDown() override {
    UnloadAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
};

QStringList CutWhenShown(QWidget& w) {
  w.show();
  QCoreApplication::processEvents();
  return CutCaptions(w);
}

// The window as the operator first sees it: loaded, at the size its load gives it.
template <class T>
QStringList Loaded() {
  QStringList cut = CutWhenShown(Form<T>());
  UnloadForm<T>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return cut;
}

// A window whose load needs what only its opener sets up, at the size it is built with.
template <class T>
QStringList Built() {
  T w;
  return CutWhenShown(w);
}

TEST_F(WindowLayout, EveryCaptionShowsWholeAtTheDefaultSize) {
  QStringList cut;
  for (const auto& check : std::initializer_list<std::function<QStringList()>>{
           Built<ORBTOP>, Loaded<ORBEX_CFG>, Loaded<OrbexTips>, Loaded<CWSHEET>, Loaded<CFG>,
           Loaded<QSODATA>, Loaded<TEMP_LOG>, Loaded<MemoDAT>, Built<LOGDATAVIEW>, Loaded<ViewMenkyo>,
           Loaded<newCODE_LIST>, Loaded<CODE_LIST>, Loaded<RigCFG>, Loaded<CATtestMod>, Loaded<ORBTOTAL1>,
           Loaded<ORBBOOK>, Built<ACCSheet>, Loaded<ACCset>, Loaded<SeiriboSheet>, Loaded<Editor>,
           Built<MichinoekiSheet>})
    cut << check();
  EXPECT_TRUE(cut.isEmpty()) << cut.join("\n").toStdString();
}

// The widest values the windows write into their labels and menus fit there too.
TEST_F(WindowLayout, TheWidestValuesShowWhole) {
  ACCSheet sheet;
  for (auto [label, text] : {std::pair{&sheet.Label1, "cfm/wkd=9999/9999"}, {&sheet.Label2, "9999"},
                             {&sheet.Label4, "9,999,999"}, {&sheet.Label6, "全バンド通算 cfm局数＝ 9999"},
                             {&sheet.Label6, "ALL(0R135to77G_and_SAT) cfm局数＝ 9999"},
                             {&sheet.Label5, "cfm分のみの表示です　C　の付いたｾﾙをｸﾘｯｸすると詳細表示可能"}}) {
    label->setText(QString::fromUtf8(text));
    EXPECT_EQ(CaptionCut(*label), "");
  }
  // The QSO panel in the result frame's place lies clear of the counts frame.
  sheet.Frame1.hide();
  sheet.Frame6.Move(sheet.Frame1.Left(), sheet.Frame1.Top());
  for (Label* l : {&sheet.Label7, &sheet.Label9, &sheet.Label10, &sheet.Label11}) l->setText("JA1ABC");
  EXPECT_TRUE(CutWhenShown(sheet).isEmpty()) << CutCaptions(sheet).join("\n").toStdString();

  ConnectLogbookWindows();
  TEMP_LOG& entry = Form<TEMP_LOG>();
  LocalTime.ShowLocalTime("Local Time(Abt)=> 23:59");
  EXPECT_TRUE(CutWhenShown(entry).isEmpty()) << CutCaptions(entry).join("\n").toStdString();

  // A rig's message with its advice under the dialog's port box (the sheet's status bar keeps it on one
  // line, whole in its tool tip).
  const QString denied = QString::fromUtf8(
      "/dev/ttyUSB7 を開く権限がありません (このユーザーを dialout グループに入れ、ログインし直して下さい)");
  RigCFG& rig = Form<RigCFG>();
  rig.PortState1.setText(QString(denied).replace("/dev/ttyUSB7", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
  EXPECT_TRUE(CutWhenShown(rig).isEmpty()) << CutCaptions(rig).join("\n").toStdString();
  // The port list opens inside the dialog, its CLOSE button in sight.
  Operator::Click(rig.Command1);
  EXPECT_TRUE(rig.ClientArea()->rect().contains(rig.Frame7.geometry()));
  EXPECT_EQ(CaptionCut(rig.Command3), "");
}

QRect OnScreen(const QWidget& w) { return QRect(w.mapToGlobal(QPoint(0, 0)), w.size()); }

// Inside the screen, or, for a window larger than the screen, from its left or top edge.
bool Inside(const QRect& w, const QRect& screen) {
  const bool across = w.left() >= screen.left() && (w.right() <= screen.right() || w.left() == screen.left());
  const bool down = w.top() >= screen.top() && (w.bottom() <= screen.bottom() || w.top() == screen.top());
  return across && down;
}

TEST_F(WindowLayout, WindowsTheSheetOpensWithNoPlaceStoredLeaveItsBoxesInSight) {
  CWSHEET& sheet = Form<CWSHEET>();
  sheet.Show();
  const auto clear = [&](VbForm& w) {
    const QRect at = w.frameGeometry();
    EXPECT_FALSE(at.intersects(OnScreen(sheet.Text2)) || at.intersects(OnScreen(sheet.Text3)))
        << w.windowTitle().toStdString() << " over the search or call box";
    EXPECT_TRUE(Inside(at, w.screen()->availableGeometry())) << w.windowTitle().toStdString() << " off the screen";
  };
  for (VbForm* w : std::initializer_list<VbForm*>{&Form<newCODE_LIST>(), &Form<TEMP_LOG>(), &Form<ORBTOTAL1>()}) {
    Operator::Activate(sheet);
    w->Show();
    clear(*w);
  }
  Operator::Activate(sheet);
  QSODATA::ShowAreaQsos("1002", kAllBands, "MIX");
  ASSERT_TRUE(IsLoaded<QSODATA>());
  clear(*LoadedForm<QSODATA>());

  // A modal window stays in front of the window it was opened from.
  Operator::Activate(sheet);
  ModalFormResponder modal;
  modal.Then([&](VbForm& f) {
    EXPECT_EQ(f.windowHandle()->transientParent(), sheet.windowHandle());
    f.Hide();
  });
  Form<CFG>().Show(vbModal);
}

}  // namespace
