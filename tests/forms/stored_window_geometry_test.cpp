// Windows that remember their place and size in ORBEX5.INI, opened over a damaged file: a stored size no
// screen could show is named and the window opens at its default size (a window that size could not
// even be painted), the file left as it is.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/MemoDAT.h"
#include "forms/logbook/LogGridLayout.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/ViewMenkyo.h"
#include "forms/lookup/newCODE_LIST.h"
#include "logbook/QsoLists.h"
#include "platform/ui/responders.h"
#include "support/logbook_log.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/temp_home.h"

namespace {

// Each "key=value" into the section, as an editor leaves it.
void WriteIniKeys(const QString& section, const QStringList& keys) {
  for (const QString& k : keys) WriteIni(section, k.section('=', 0, 0), k.section('=', 1));
}

// Top, left, width and height.
std::vector<int> Place(const VbForm& w) { return {w.Top(), w.Left(), w.Width(), w.Height()}; }

class StoredWindowGeometry : public ::testing::Test {
 protected:
  void TearDown() override {
    UnloadForm<MemoDAT>();
    UnloadForm<ViewMenkyo>();
    UnloadForm<newCODE_LIST>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
  // The one message of the load, naming each unusable setting.
  void ExpectNamed(const QStringList& named) {
    ASSERT_EQ(boxes.texts().size(), 1) << boxes.texts().join("|").toStdString();
    const QString text = boxes.texts()[0];
    EXPECT_TRUE(text.startsWith("ORBEX5.INI の次の設定値は使えないので既定値で起動します。")) << text.toStdString();
    for (const QString& n : named) EXPECT_TRUE(text.contains(n)) << n.toStdString();
  }

  TempHome home;
  MsgBoxResponder boxes;
};

TEST_F(StoredWindowGeometry, TheMemoOpensAtItsDefaultSizeAndPaints) {
  WriteIniKeys("CFGPOS",
               {"MEMPOSTop=300", "MEMPOSLeft=-999999999", "MEMPOSWidth=999999999", "MEMPOSHeight=1e40"});
  boxes.Answer(vbOK);
  MemoDAT& m = Form<MemoDAT>();
  ExpectNamed({"[CFGPOS] MEMPOSLeft=-999999999", "[CFGPOS] MEMPOSWidth=999999999", "[CFGPOS] MEMPOSHeight=1e40"});
  EXPECT_EQ(Place(m), (std::vector{300, 0, 10920, 3375}));
  m.grab();  // paints
  EXPECT_EQ(ReadIni("CFGPOS", "MEMPOSWidth"), "999999999") << "the file is left as it is";
}

TEST_F(StoredWindowGeometry, TheMemoKeepsASizeTheScreensCanShowWithoutAWord) {
  WriteIniKeys("CFGPOS", {"MEMPOSTop=300", "MEMPOSLeft=450", "MEMPOSWidth=9000", "MEMPOSHeight=3000"});
  MemoDAT& m = Form<MemoDAT>();
  EXPECT_TRUE(boxes.texts().isEmpty());
  EXPECT_EQ(Place(m), (std::vector{300, 450, 9000, 3000}));
}

TEST_F(StoredWindowGeometry, TheLicenceViewerAndItsPanelsOpenAtTheirDefaultSizes) {
  WriteIniKeys("MSRpos", {"MSRposT=0", "MSRposL=0", "MSRposW=2147483647", "MSRposH=6600",
                          "MSRposFW=99999999999", "MSRposTH=-5"});
  boxes.Answer(vbOK);
  ViewMenkyo& v = Form<ViewMenkyo>();
  ExpectNamed({"[MSRpos] MSRposW=2147483647", "[MSRpos] MSRposFW=99999999999", "[MSRpos] MSRposTH=-5"});
  EXPECT_EQ(Place(v), (std::vector{0, 0, 7785, 6600}));
  EXPECT_EQ(v.Frame1.Width(), 7335);
  EXPECT_EQ(v.Text7.Height(), 2175);
  v.grab();
}

TEST_F(StoredWindowGeometry, TheDxCodeListIsPlacedOnTheScreen) {
  WriteIniKeys("CFGPOS", {"CDLSTPOSTop=abc", "CDLSTPOSLeft=-999999999"});
  boxes.Answer(vbOK);
  newCODE_LIST& list = Form<newCODE_LIST>();
  ExpectNamed({"[CFGPOS] CDLSTPOSTop=abc", "[CFGPOS] CDLSTPOSLeft=-999999999"});
  EXPECT_EQ(list.Top(), 0);
  EXPECT_EQ(list.Left(), 0);
}

class StoredQsoWindowGeometry : public LogbookTest {
 protected:
  void TearDown() override {
    UnloadForm<QSODATA>();
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) w->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    LogbookTest::TearDown();
  }
};

TEST_F(StoredQsoWindowGeometry, AWidthAndAColumnNoScreenCanShowAreNamed) {
  AddQsos({{"JA1AAA", "11009"}});
  WriteIniKeys("CFGPOS", {"QSODATTop=0", "QSODATWidth=999999999"});
  for (int i = 0; i < 18; ++i) WriteIni("LogDisp", "COLWIDTH" + QString::number(i), "300");
  WriteIni("LogDisp", "COLWIDTH3", "77777777");
  boxes.Answer(vbOK).Answer(vbOK);
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  ASSERT_TRUE(IsLoaded<QSODATA>());
  QSODATA& w = *LoadedForm<QSODATA>();
  EXPECT_NEAR(w.Width(), 9135, 90);  // the frame drawn around it aside
  EXPECT_EQ(w.MSFlexGrid1.ColWidth(3), kLogGridWidths[3]) << "the column's default width";
  EXPECT_EQ(w.MSFlexGrid1.ColWidth(4), 300);
  const QString said = boxes.texts().join("|");
  EXPECT_TRUE(said.contains("[CFGPOS] QSODATWidth=999999999")) << said.toStdString();
  EXPECT_TRUE(said.contains("[LogDisp] COLWIDTH3=77777777")) << said.toStdString();
  w.grab();
}

TEST_F(StoredQsoWindowGeometry, TheEntryWindowsPlaceAndALastModeBeyondTheModeListAreNamed) {
  AddQsos({{"JA1AAA", "1001"}});
  Settings.ModeCount = "2";
  WriteIniKeys("ORB", {"MODE1=CW", "MODE2=SSB"});
  WriteIni("Hamlog", "LastMode", "7");
  WriteIni("CFGPOS", "LOGPOSTop", "1e99");
  boxes.Answer(vbOK);
  ConnectLogbookWindows();
  OpenLogWindow();
  ASSERT_TRUE(IsLoaded<TEMP_LOG>());
  TEMP_LOG& w = *LoadedForm<TEMP_LOG>();
  EXPECT_EQ(w.Combo1.ListIndex(), 0);
  EXPECT_EQ(w.Combo1.Text(), "CW");
  EXPECT_EQ(w.Top(), 0);
  const QString said = boxes.texts().join("|");
  EXPECT_TRUE(said.contains("[Hamlog] LastMode=7")) << said.toStdString();
  EXPECT_TRUE(said.contains("[CFGPOS] LOGPOSTop=1e99")) << said.toStdString();
}

}  // namespace
