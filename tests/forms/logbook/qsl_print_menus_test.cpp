// The QSL print menus of the entry window, the log viewer and the QSO window: which QSO each hands to
// the QSL program (WORK2.DAT, LINK) or to MMQSL (its log line), the sent mark in HAMLOG after Yes and
// not after No, when the menus are on, and the MMQSL layout-file choice.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/LOGDATAVIEW.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "logbook/LogWindowState.h"
#include "logbook/QsoLists.h"
#include "logbook/QsoRow.h"
#include "platform/paths.h"
#include "platform/vbfile.h"
#include "support/automation_recorders.h"
#include "support/logbook_log.h"
#include "support/qt_print.h"

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

class QslPrintMenus : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    AddQsos({{"JA1AAA", "11009", "7.025", "CW", "J  ", "Taro"},      // 1
             {"JA1BBB", "1101", "14.025", "SSB", "J *", "Jiro"},     // 2
             {"JA1AAA", "11009", "21.025", "CW", "B  ", "Taro"}});   // 3
    Settings.ModeCount = "2";
    WriteIni("ORB", "MODE1", "CW");
    WriteIni("ORB", "MODE2", "SSB");
    Settings.QslSendMark = "S";
    QsoWindowState = {};
    ConnectLogbookWindows();
  }
  void TearDown() override {
    UnloadForm<QSODATA>();
    UnloadForm<LOGDATAVIEW>();
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) w->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QsoWindowState = {};
    LogbookTest::TearDown();
  }
  void useHlqsl() {
    program = home.write("HLQSL/HLQSLN.EXE", "program");
    Settings.QslProgramPath = program;
    Settings.QslProgramSet = 1;
  }
  void useMmqsl() {
    Settings.QslProgramPath = "/opt/MMQSL/MMQSL.EXE";
    Settings.QslProgramSet = 1;
    Settings.MmqslDefFile = "/home/op/card.mql";
  }
  QString sentMark(int32_t recNo) {
    EXPECT_EQ(HamlogOpenDb(), 0);
    EXPECT_EQ(ReadQsoFull(recNo), 0);
    HamlogCloseDb(0);
    return Qso.QslSent;
  }
  static void showStation(QString call) { QSODATA::ShowStationQsos(call); }
  QString work2() { return home.read("HLQSL/WORK2.DAT"); }
  void click(FlexGrid& g, int row, int col = 1, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(g.viewport(), button, {}, g.visualRect(g.gridModel().index(row - 1, col)).center());
  }
  // Picks a row, prints it through MMQSL and answers the sent-mark question.
  void printRow(FlexGrid& g, Menu& print, int row, int answer) {
    click(g, row);
    boxes.Answer(answer);
    print.Trigger();
  }
  // Through MMQSL: Yes on one row marks its record in HAMLOG and in the row; No on another marks nothing.
  void expectMarkOnYesOnly(FlexGrid& g, Menu& print, int yesRow, const QString& addLog, int noRow) {
    MmqslRecorder mmqsl;
    printRow(g, print, yesRow, vbYes);
    EXPECT_EQ(mmqsl.calls.value(2), addLog);
    EXPECT_EQ(sentMark(RecordNumberOf(g.TextMatrix(yesRow, 0))), "S");
    EXPECT_EQ(g.TextMatrix(yesRow, 14), "S");
    printRow(g, print, noRow, vbNo);
    EXPECT_EQ(sentMark(RecordNumberOf(g.TextMatrix(noRow, 0))), " ");
    EXPECT_EQ(g.TextMatrix(noRow, 14).trimmed(), "");
  }
  TEMP_LOG& openEntry() {
    OpenLogWindow();
    TEMP_LOG& w = Form<TEMP_LOG>();
    QApplication::setActiveWindow(&w);
    return w;
  }

  QString program;
  ShellRecorder shell;
};

TEST_F(QslPrintMenus, TheEntryWindowPrintsTheRecordItShows) {
  useHlqsl();
  TEMP_LOG& w = openEntry();
  EXPECT_FALSE(w.HLQ.Enabled());  // a new QSO has no card yet
  EXPECT_FALSE(w.QSLform.Visible());
  w.Command2.click();
  w.Command2.click();  // record 2
  ASSERT_TRUE(w.HLQ.Enabled());
  w.List1.show();
  w.HLQ.Trigger();
  EXPECT_EQ(work2(), "JA1BBB,2\r\n");
  ASSERT_EQ(shell.started(), QStringList({program}));
  EXPECT_EQ(shell.calls()[0].arguments, QStringList({"LINK"}));
  EXPECT_FALSE(w.List1.isVisible());
  EXPECT_EQ(ReadIni("Hamlog", "LastMode"), "1");  // SSB
  EXPECT_FALSE(w.LSave.Enabled());
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  EXPECT_TRUE(home.read("QSLAGN.DAT").isEmpty());  // the history is the sheet's
  EXPECT_TRUE(boxes.texts().isEmpty());
  // A record never stored has nothing to print.
  LogWindowState.LogRecNo = 0;
  boxes.Answer(vbOK);
  w.PrintShownQsl();
  EXPECT_EQ(boxes.texts(), QStringList({u8("このLOG は未だ登録されていません")}));
  EXPECT_EQ(shell.calls().size(), 1u);
}

TEST_F(QslPrintMenus, TheEntryWindowsMenuComesOnlyWithAQslProgramAndAfterASave) {
  TEMP_LOG& w = openEntry();
  w.Command2.click();
  EXPECT_FALSE(w.HLQ.Enabled());  // no QSL program
  Settings.QslProgramSet = 1;
  w.Command2.click();
  EXPECT_TRUE(w.HLQ.Enabled());
  ASSERT_TRUE(w.NewRecord());
  EXPECT_FALSE(w.HLQ.Enabled());
  w.Text1.setText("JA1XYZ");
  w.Text8.setText("7.025");
  w.Text9.setText("1001");
  w.LSave.Trigger();
  EXPECT_EQ(Dump().size(), 4);
  EXPECT_TRUE(w.HLQ.Enabled());
  EXPECT_EQ(LogWindowState.LogRecNo, 4);
}

TEST_F(QslPrintMenus, ThroughMmqslYesMarksTheShownRecordSentAndShowsItAgainNoLeavesIt) {
  useMmqsl();
  MmqslRecorder mmqsl;
  TEMP_LOG& w = openEntry();
  EXPECT_TRUE(w.QSLform.Visible());
  w.Command2.click();  // record 3
  const QString shownMark = w.Text16.text();
  boxes.Answer(vbNo);
  w.HLQ.Trigger();
  EXPECT_EQ(mmqsl.calls.value(2), "AddLog 24.05.06,2105,JA1AAA,599,21.025,CW,,Taro,QTH,B,,,");
  EXPECT_EQ(sentMark(3), " ");
  EXPECT_EQ(w.Text16.text(), shownMark);
  w.Command2.click();  // record 2
  mmqsl.calls.clear();
  boxes.Answer(vbYes);
  w.HLQ.Trigger();
  EXPECT_EQ(mmqsl.calls.value(2), "AddLog 24.05.06,2105,JA1BBB,599,14.025,SSB,,Jiro,QTH,J,,*,");
  EXPECT_EQ(sentMark(2), "S");
  EXPECT_EQ(sentMark(3), " ");
  EXPECT_EQ(w.Text1.text(), "JA1BBB");
  EXPECT_EQ(w.Text16.text(), "S");  // the record shown again as HAMLOG now holds it
  EXPECT_FALSE(w.LSave.Enabled());
  EXPECT_TRUE(w.HLQ.Enabled());
  EXPECT_EQ(boxes.texts(), QStringList({u8("交信番号3をＭＭＱＳＬで差込印刷しました.\r\nHAMLOG に Sendマークをつけますか？"),
                                        u8("交信番号2をＭＭＱＳＬで差込印刷しました.\r\nHAMLOG に Sendマークをつけますか？")}));
}

TEST_F(QslPrintMenus, TheViewerPrintsTheClickedRowOnceAndNotAfterThePageChanged) {
  useHlqsl();
  std::vector<LogQso> more;
  for (int i = 4; i <= 120; ++i) more.push_back({QString("JA2V%1").arg(i, 4, 10, QChar('0'))});
  AddQsos(more);
  LOGDATAVIEW::OpenViewer();
  LOGDATAVIEW& v = *LoadedForm<LOGDATAVIEW>();
  FlexGrid& g = v.MSFlexGrid1;
  EXPECT_FALSE(v.QSLprnt.Enabled());
  EXPECT_FALSE(v.QSLform.Visible());
  ASSERT_EQ(g.TextMatrix(90, 18), " 110");
  click(g, 90);
  ASSERT_TRUE(v.QSLprnt.Enabled());
  v.QSLprnt.Trigger();
  EXPECT_EQ(work2(), "JA2V0110,110\r\n");  // the call without the field's blanks
  EXPECT_EQ(shell.calls().at(0).arguments, QStringList({"LINK"}));
  EXPECT_FALSE(v.QSLprnt.Enabled());
  EXPECT_EQ(v.QslPrintCall.trimmed(), "JA2V0110");
  // Picked, then paged away: the row now shows another QSO, which must not go out as record 110.
  click(g, 90);
  v.GOBACK.Trigger();
  ASSERT_TRUE(v.QSLprnt.Enabled());
  v.QSLprnt.Trigger();
  EXPECT_EQ(shell.calls().size(), 1u);
  EXPECT_FALSE(v.QSLprnt.Enabled());
  // A program path that is not there: said, and the pick stays for another try.
  click(g, 2);
  Settings.QslProgramPath = home.file("HLQSL/nothing.exe");
  boxes.Answer(vbOK);
  v.QSLprnt.Trigger();
  EXPECT_EQ(boxes.texts(), QStringList({u8("QSL印刷ソフトへのパスが未設定です、環境設定で指定下さい。")}));
  EXPECT_TRUE(v.QSLprnt.Enabled());
}

TEST_F(QslPrintMenus, TheViewerThroughMmqslMarksTheRowsRecordOnYesOnly) {
  useMmqsl();
  LOGDATAVIEW::OpenViewer();
  LOGDATAVIEW& v = *LoadedForm<LOGDATAVIEW>();
  EXPECT_TRUE(v.QSLform.Visible());
  expectMarkOnYesOnly(v.MSFlexGrid1, v.QSLprnt, 3, "AddLog 24.05.06,2105,JA1AAA,599,21.025,CW,,Taro,QTH,B,,,", 2);
  EXPECT_EQ(sentMark(1), " ");
}

TEST_F(QslPrintMenus, OpeningARecordFromTheViewerTurnsTheEntryWindowsMenuOn) {
  Settings.QslProgramSet = 1;
  LOGDATAVIEW::OpenViewer();
  FlexGrid& g = LoadedForm<LOGDATAVIEW>()->MSFlexGrid1;
  click(g, 2);
  QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, g.visualRect(g.gridModel().index(1, 1)).center());
  TEMP_LOG* w = LoadedForm<TEMP_LOG>();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Text1.text(), "JA1BBB");
  EXPECT_TRUE(w->HLQ.Enabled());
}

TEST_F(QslPrintMenus, TheQsoWindowPrintsThePickedQsoEvenAfterASort) {
  useHlqsl();
  showStation("JA1AAA");
  QSODATA& q = *LoadedForm<QSODATA>();
  FlexGrid& g = q.MSFlexGrid1;
  EXPECT_FALSE(q.QSLPRN.Enabled());
  ASSERT_EQ(g.TextMatrix(2, 0), " 03");
  click(g, 2);
  ASSERT_TRUE(q.QSLPRN.Enabled());
  click(g, 1, 7, Qt::RightButton);  // sorted by frequency, descending: record 3 moves to row 1
  ASSERT_EQ(g.TextMatrix(1, 0), " 03");
  q.QSLPRN.Trigger();
  EXPECT_EQ(work2(), "JA1AAA,3\r\n");
  EXPECT_EQ(shell.started(), QStringList({program}));
  EXPECT_FALSE(q.QSLPRN.Enabled());
}

TEST_F(QslPrintMenus, TheQsoWindowThroughMmqslTakesTheStationListsDateAndMarksOnYes) {
  useMmqsl();
  showStation("JA1AAA");
  QSODATA& q = *LoadedForm<QSODATA>();
  EXPECT_TRUE(q.QSLform.Visible());
  ASSERT_EQ(q.MSFlexGrid1.TextMatrix(1, 3), "2024/05/06");
  expectMarkOnYesOnly(q.MSFlexGrid1, q.QSLPRN, 1, "AddLog 24.05.06,2105,JA1AAA,599,7.025,CW,,Taro,QTH,J,,,", 2);
}

TEST_F(QslPrintMenus, TheReissueHistoryHasNoQsoToPrint) {
  useHlqsl();
  VbFile f(JoinPath(Settings.DataFolder, "QSLAGN.DAT"), VbMode::Output);
  f.Write({"2025-02-03", 2LL, "JA1BBB", "2024-05-06", "SSB", "1101  ", "QTH"});
  ASSERT_TRUE(f.Close());
  QSODATA::ShowReissueHistory();
  QSODATA& q = *LoadedForm<QSODATA>();
  click(q.MSFlexGrid1, 1);
  EXPECT_FALSE(q.QSLPRN.Enabled());
  q.QSLPRN.Trigger();
  EXPECT_TRUE(shell.calls().empty());
}

TEST_F(QslPrintMenus, EachWindowsLayoutMenuStoresTheChosenMqlFile) {
  useMmqsl();
  Settings.MmqslDefFile.clear();
  FileDialogResponder files;
  const QString first = home.write("MQL/first.MQL", "layout");
  const QString second = home.write("MQL/second.mql", "layout");
  LOGDATAVIEW::OpenViewer();
  files.Choose(first);
  LoadedForm<LOGDATAVIEW>()->QSLform.Trigger();
  ASSERT_EQ(files.shown().size(), 1u);
  EXPECT_EQ(files.shown()[0].title, u8("MMQSL定義ﾌｧｲﾙを指定します"));
  EXPECT_EQ(files.shown()[0].filter, u8("MMQSL定義ﾌｧｲﾙ(*.MQL)|*.mql"));
  EXPECT_EQ(Settings.MmqslDefFile, first);
  EXPECT_EQ(ReadIni("ORB", "MMQSL"), first);
  showStation("JA1AAA");
  files.Cancel();
  LoadedForm<QSODATA>()->QSLform.Trigger();
  EXPECT_EQ(files.shown().back().initDir, home.file("MQL"));
  EXPECT_EQ(ReadIni("ORB", "MMQSL"), first);  // Cancel changes nothing
  TEMP_LOG& w = openEntry();
  files.Choose(second);
  w.QSLform.Trigger();
  EXPECT_EQ(Settings.MmqslDefFile, second);
  EXPECT_EQ(ReadIni("ORB", "MMQSL"), second);
}

}  // namespace
