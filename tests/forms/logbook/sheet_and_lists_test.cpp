// The QSO window and the log viewer beside the progress sheet: the sheet's menus that open them, the
// sheet following a picked QSO's code in QSL-check mode, and the greeting of a band not yet confirmed.
#include <gtest/gtest.h>

#include <QTest>

#include <cstring>

#include "core/HamlogAccess.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "core/SharedSettings.h"
#include "forms/logbook/LOGDATAVIEW.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LogWindowState.h"
#include "logbook/QslCheck.h"
#include "platform/ui/responders.h"
#include "support/operator.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

struct ListsBesideTheSheet : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;

  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *",    // 1 confirmed on 7 MHz
             "JA1AAA,2020/01/02,14.050,CW,1002,J  ",   // 2 worked on 14 MHz
             "JA1AAA,2020/01/03,21.030,CW,1101,J  ",   // 3
             "JA1BBB,2020/03/01,7.030,CW,1001,J  "});  // 4
    log.Prepare();
    hamlogLib.indexRebuilds = 0;  // the indexes made with the test's log are no news
  }
  void TearDown() override {
    UnloadForm<QSODATA>();
    UnloadForm<TEMP_LOG>();
    UnloadForm<LOGDATAVIEW>();
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
  CWSHEET& sheet() {
    CWSHEET& s = Form<CWSHEET>();
    if (!s.isVisible()) s.Show();
    return s;
  }
  static void showStation(QString call) { QSODATA::ShowStationQsos(call); }
  FlexGrid& list() { return LoadedForm<QSODATA>()->MSFlexGrid1; }
  void pick(int row, Qt::MouseButton button = Qt::LeftButton) {
    FlexGrid& g = list();
    QTest::mouseClick(g.viewport(), button, {}, g.visualRect(g.gridModel().index(row - 1, 1)).center());
  }
};

TEST_F(ListsBesideTheSheet, TheViewerMenuOpensAndClosesTheViewerWithItsMark) {
  sheet();
  sheet().LOGDATV.Trigger();
  ASSERT_TRUE(IsLoaded<LOGDATAVIEW>());
  EXPECT_TRUE(sheet().LOGDATV.Checked());
  EXPECT_EQ(LogWindowState.LogViewerOpen, 1);
  EXPECT_EQ(LoadedForm<LOGDATAVIEW>()->MSFlexGrid1.Rows(), 5);
  sheet().LOGDATV.Trigger();
  EXPECT_FALSE(IsLoaded<LOGDATAVIEW>());
  EXPECT_FALSE(sheet().LOGDATV.Checked());
  EXPECT_EQ(LogWindowState.LogViewerOpen, 0);
  // Closed from its own menu: the mark goes as well.
  sheet().LOGDATV.Trigger();
  LoadedForm<LOGDATAVIEW>()->LOGCL.Trigger();
  EXPECT_FALSE(sheet().LOGDATV.Checked());
}

TEST_F(ListsBesideTheSheet, AListLeavesTheEntryWindowsStoredQsoInTheRecordBlock) {
  ConnectLogbookWindows();
  Settings.QslProgramSet = 1;
  sheet();
  ASSERT_TRUE(HamlogOpenDb() == 0 && THW_read(Hamlog.Thw, 4, 3) == 0);
  ShowStoredQso(4);
  QSODATA::ShowAreaQsos("1002", kAllBands, "MIX");  // reads records 1 and 2 into the block
  ASSERT_EQ(list().Rows(), 3);
  TEMP_LOG& w = *LoadedForm<TEMP_LOG>();
  EXPECT_EQ(w.Text1.text().trimmed(), "JA1BBB");
  EXPECT_EQ(LogWindowState.LogRecNo, 4);
  EXPECT_EQ(LogWindowState.StoredRecordShown, 1);
  QString call;
  ThwString(call, Hamlog.Thw, 0);
  EXPECT_EQ(call.trimmed(), "JA1BBB") << "a save now would write another QSO's fields";
  EXPECT_TRUE(w.HLQ.Enabled()) << "its card can be printed";
}

TEST_F(ListsBesideTheSheet, AHandOverThatFailsLeavesTheEntryWindowAsItWasAndSaysSo) {
  ConnectLogbookWindows();
  sheet();
  ASSERT_TRUE(HamlogOpenDb() == 0 && THW_read(Hamlog.Thw, 4, 3) == 0);
  ASSERT_TRUE(ShowStoredQso(4));
  TEMP_LOG& w = *LoadedForm<TEMP_LOG>();
  const ThwRecord shown = w.ShownRecordBackup;
  // The block holds no record when the next QSO is handed over.
  ASSERT_EQ(HamlogOpenDb(), 0);
  Hamlog.Thw = ThwRecord{};
  boxes.Answer(vbOK);
  EXPECT_FALSE(ShowStoredQso(1));
  EXPECT_EQ(boxes.texts(), QStringList{QString::fromUtf8("LOGﾃﾞｰﾀを読み取れませんでした。表示中のデータはそのままです。")});
  EXPECT_EQ(w.Text1.text().trimmed(), "JA1BBB");
  EXPECT_EQ(w.Text9.text().trimmed(), "1001");
  EXPECT_EQ(LogWindowState.LogRecNo, 4);
  EXPECT_EQ(LogWindowState.ShownRecordNo, 4);
  EXPECT_EQ(LogWindowState.EditMode, 1);
  EXPECT_EQ(std::memcmp(w.ShownRecordBackup.bytes, shown.bytes, sizeof shown.bytes), 0)
      << "a save would give HAMLOG another record as the old one";
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
}

TEST_F(ListsBesideTheSheet, CtrlLInTheViewerOpensANewQsoWithTheFocusOnItsTime) {
  ConnectLogbookWindows();
  sheet().LOGDATV.Trigger();
  LOGDATAVIEW* v = LoadedForm<LOGDATAVIEW>();
  ASSERT_NE(v, nullptr);
  QTest::keyClick(&v->MSFlexGrid1, Qt::Key_L, Qt::ControlModifier);
  TEMP_LOG* w = LoadedForm<TEMP_LOG>();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(LogWindowState.EditMode, 0);
  EXPECT_EQ(LogWindowState.ShownRecordNo, 5);
  EXPECT_EQ(w->focusWidget(), &w->Text4);
}

TEST_F(ListsBesideTheSheet, AnEmptyListIsANoticeOnTheSheet) {
  sheet();
  QSODATA::ShowAreaQsos("100105", kAllBands, "MIX");
  EXPECT_FALSE(IsLoaded<QSODATA>());
  EXPECT_TRUE(sheet().Frame1.isVisible());
  EXPECT_EQ(sheet().Label2.text(), QString::fromUtf8("この地域のQSOデータはありません"));
  EXPECT_EQ(sheet().Frame1.title(), "Information !");
}

TEST_F(ListsBesideTheSheet, ReadInDigitalModeARightClickListsTheCellsDigitalQsos) {
  log.Add({"JA1DDD,2020/05/01,18.100,FT8,1002,J *", "JA1EEE,2020/05/02,18.090,CW,1002,J *"});
  log.Prepare();
  ReadConditions.SelMode = "DIGITAL";
  Settings.DigitalModes = "FT8,RTTY,";
  FlexGrid& g = sheet().MSFlexGrid2;
  int row = 1;
  while (row < g.Rows() && !g.TextMatrix(row, 1).startsWith("1002")) ++row;
  Operator::ClickCell(g, row, 10, Qt::RightButton);  // 18 MHz
  ASSERT_TRUE(IsLoaded<QSODATA>()) << sheet().Label2.text().toStdString();
  EXPECT_EQ(QString::number(list().Rows()) + list().TextMatrix(1, 1), "2JA1DDD");
}

TEST_F(ListsBesideTheSheet, AQsoCountsAndIsListedOnTheBandItsFrequencyLiesIn) {
  log.Add({"JA2AAA,2020/06/01,146.500,FM,10001,J *", "JA2AAB,2020/06/02,148,FM,10001,J  ",
           "JA2AAC,2020/06/03,10368,FM,10001,J *", "JA2AAD,2020/06/04,10G,FM,10001,J *",
           "JA2AAE,2020/06/05,24G,FM,10001,J *", "JA2AAF,2020/06/06,77G,FM,10001,J *"});  // 5 .. 10
  log.Prepare();
  FlexGrid& g = sheet().MSFlexGrid2;
  int row = 1;
  while (row < g.Rows() && g.TextMatrix(row, 1).trimmed() != "10001") ++row;
  QStringList marks;
  for (int c = 5; c <= 20; ++c) marks << g.TextMatrix(row, c);
  EXPECT_EQ(marks.join(','), ",,,,,,,,,,C,,,,,") << "144 MHz alone, not 7, 10, 14 or 24 MHz";
  sheet().BandView[10].Trigger();  // 144 MHz alone, in view
  Operator::ClickCell(g, row, 15, Qt::RightButton);
  ASSERT_TRUE(IsLoaded<QSODATA>()) << sheet().Label2.text().toStdString();
  EXPECT_EQ(list().Rows(), 3);
  EXPECT_EQ(list().TextMatrix(1, 1) + " " + list().TextMatrix(2, 1), "JA2AAA JA2AAB");
  // The standard set has no band above 5.6 GHz: those QSOs are reported.
  const QString report = FromAnsi(log.home.read("FreqError_Report.txt"));
  EXPECT_EQ(report.count(QString::fromUtf8("は無効です")), 4);
  EXPECT_TRUE(report.contains(QString::fromUtf8("交信番号=7 の交信周波数=10368 は無効です")));
}

TEST_F(ListsBesideTheSheet, QslCheckModeFollowsTheCodeAndGreetsANewBand) {
  sheet();
  sheet().Text3.setText("JA1AAA");
  LogWindowState.QslCheckMode = 1;
  showStation("JA1AAA");
  ASSERT_TRUE(IsLoaded<QSODATA>());
  ASSERT_EQ(list().Rows(), 3);  // record 1 is confirmed already
  // Picking record 3 (code 1101) puts the sheet's 1101 row at the top.
  pick(2);
  const FlexGrid& g = sheet().MSFlexGrid2;
  ASSERT_GT(QslCheck.SheetFoundRow, 0);
  EXPECT_TRUE(g.TextMatrix(QslCheck.SheetFoundRow, 1).startsWith("1101"));
  EXPECT_EQ(g.TopRow(), QslCheck.SheetFoundRow);
  // Its card: 21 MHz is not confirmed for 1101, so the sheet greets the station.
  QTest::keyClick(&list(), Qt::Key_Insert);
  EXPECT_EQ(list().TextMatrix(2, 15), "*");
  EXPECT_TRUE(sheet().Frame1.isVisible());
  EXPECT_EQ(sheet().Label2.text(), QString::fromUtf8("ＮｅｗＯｎｅ！ＴＫＳ JA1AAA さん！"));
  // Record 2 (1002 on 14 MHz, the sheet shows W there): also new.
  sheet().Frame1.hide();
  pick(1);
  QTest::keyClick(&list(), Qt::Key_Insert);
  EXPECT_TRUE(sheet().Frame1.isVisible());
}

TEST_F(ListsBesideTheSheet, ABandAlreadyConfirmedOrARightClickGivesNoGreeting) {
  sheet();
  log.Add({"JA1CCC,2020/04/01,7.040,CW,1002,J  "});  // 5: 1002 on 7 MHz, which the sheet shows C
  LogWindowState.QslCheckMode = 1;
  showStation("JA1CCC");
  ASSERT_TRUE(IsLoaded<QSODATA>());
  pick(1);
  QTest::keyClick(&list(), Qt::Key_Insert);
  EXPECT_FALSE(sheet().Frame1.isVisible());
  // A right click sorts and switches the check off until the next pick.
  pick(1, Qt::RightButton);
  EXPECT_EQ(QslCheck.SkipNewBandCheck, 1);
}

}  // namespace
