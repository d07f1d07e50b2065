// Every window at its default size, drawn with the program's font: each caption shows whole.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>
#include <memory>

#include "core/SettingsStore.h"
#include "forms/awards/ACCSheet.h"
#include "forms/awards/ACCset.h"
#include "forms/awards/Editor.h"
#include "forms/awards/MichinoekiSheet.h"
#include "forms/awards/ORBBOOK.h"
#include "forms/awards/ORBTOTAL1.h"
#include "forms/awards/SeiriboSheet.h"
#include "forms/logbook/LOGDATAVIEW.h"
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
#include "forms/logbook/LogbookWindows.h"
#include "logbook/LocalTime.h"
#include "support/captions.h"
#include "support/operator.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"
#include "platform/ui/responders.h"

namespace {

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

TEST(WindowCaptions, EveryCaptionShowsWholeAtTheDefaultSize) {
  SheetLog log;
  log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
  log.Prepare();
  WriteIni("ORB", "HAMLOGPOS", log.Hdb());  // the settings dialog reads it back
  MsgBoxResponder boxes;
  DesktopLook look;
  QStringList cut;
  for (const auto& check : std::initializer_list<std::function<QStringList()>>{
           Built<ORBTOP>, Loaded<ORBEX_CFG>, Loaded<OrbexTips>, Loaded<CWSHEET>, Loaded<CFG>,
           Loaded<QSODATA>, Loaded<TEMP_LOG>, Loaded<MemoDAT>, Built<LOGDATAVIEW>, Loaded<ViewMenkyo>,
           Loaded<newCODE_LIST>, Loaded<CODE_LIST>, Loaded<RigCFG>, Loaded<CATtestMod>, Loaded<ORBTOTAL1>,
           Loaded<ORBBOOK>, Built<ACCSheet>, Loaded<ACCset>, Loaded<SeiriboSheet>, Loaded<Editor>,
           Built<MichinoekiSheet>})
    cut << check();
  EXPECT_TRUE(cut.isEmpty()) << cut.join("\n").toStdString();
  UnloadAllForms();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ResetSharedState();
}

// The widest values the windows write into their labels and menus fit there too.
TEST(WindowCaptions, TheWidestValuesShowWhole) {
  SheetLog log;
  log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
  log.Prepare();
  DesktopLook look;
  ACCSheet sheet;
  sheet.show();
  for (auto [label, text] : {std::pair{&sheet.Label1, "cfm/wkd=9999/9999"}, {&sheet.Label2, "9999"},
                             {&sheet.Label4, "9,999,999"}, {&sheet.Label6, "全バンド通算 cfm局数＝ 9999"},
                             {&sheet.Label6, "ALL(0R135to77G_and_SAT) cfm局数＝ 9999"},
                             {&sheet.Label5, "cfm分のみの表示です　C　の付いたｾﾙをｸﾘｯｸすると詳細表示可能"}}) {
    label->setText(QString::fromUtf8(text));
    EXPECT_TRUE(CaptionFits(*label)) << text << ": " << CaptionCut(*label).toStdString();
  }
  // The QSO panel takes the result frame's place, clear of the counts frame.
  sheet.Frame1.hide();
  sheet.Frame6.Move(sheet.Frame1.Left(), sheet.Frame1.Top());
  sheet.Frame6.show();
  for (QWidget* l : {&sheet.Label7, &sheet.Label9, &sheet.Label10, &sheet.Label11})
    EXPECT_TRUE(Operator::WidgetAt(*l, l->rect().topRight() - QPoint(2, -2)) == l) << "the QSO panel's label is covered";

  ConnectLogbookWindows();
  TEMP_LOG& entry = Form<TEMP_LOG>();
  LocalTime.ShowLocalTime("Local Time(Abt)=> 23:59");
  EXPECT_TRUE(CutWhenShown(entry).isEmpty()) << CutCaptions(entry).join("\n").toStdString();
  UnloadAllForms();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ResetSharedState();
}

}  // namespace
