// QSL printing: the hand-over to another QSL program (WORK2.DAT, LINK, QSLAGN.DAT) and the MMQSL path
// against a recording MMQSL, with the sent mark set in HAMLOG on Yes.

#include <gtest/gtest.h>

#include <QDir>

#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "logbook/LogWindowState.h"
#include "outputs/QslPrint.h"
#include "platform/vbfile.h"
#include "support/automation_recorders.h"
#include "support/logbook_log.h"
#include "support/shared_state.h"

namespace {

QslCardQso Card(const QString& date, const QString& time) {
  QslCardQso q;
  q.Date = date, q.Time = time, q.Call = "JA1ABC ", q.HisRst = "599", q.Freq = "7.025", q.Mode = "CW";
  q.Name = " Taro ", q.Qth = QStringLiteral("千代田区*2006"), q.Via = "J", q.Sent = " ", q.Received = "*";
  q.RecNo = 1;
  return q;
}

TEST(QslCardValues, MmqslLogLineInJst) {
  EXPECT_EQ(MmqslLogLine(Card("2024-12-31", "23:30U")),
            QStringLiteral("25.01.01,0830,JA1ABC,599,7.025,CW,,Taro,千代田区,J,,*,"));
  EXPECT_TRUE(MmqslLogLine(Card("2024-06-01", "08:30J")).startsWith("24.06.01,0830,"));
  // The station list writes its dates with slashes.
  EXPECT_TRUE(MmqslLogLine(Card("2024/06/01", "08:30J")).startsWith("24.06.01,0830,"));
  EXPECT_EQ(MmqslLogLine(Card("2024-13-01", "08:30J")), "");
}

TEST(QslCardValues, ViaMTakesTheManagerFromTheRemarks) {
  EXPECT_EQ(MmqslVia("M", "no manager", "QSL via @JA1XYZ thanks"), "@JA1XYZ");
  EXPECT_EQ(MmqslVia("M", "@K1AB", "@JA1XYZ"), "@K1AB");
  EXPECT_EQ(MmqslVia("M", "", ""), "M");
  EXPECT_EQ(MmqslVia("B", "@JA1XYZ", ""), "B");
  EXPECT_EQ(QthBeforeAbolishedMark(QStringLiteral("旧市*2005")), QStringLiteral("旧市"));
  EXPECT_EQ(QthBeforeAbolishedMark(QStringLiteral("新市")), QStringLiteral("新市"));
}

struct QslPrintTest : LogbookTest {
  void SetUp() override {
    LogbookTest::SetUp();
    AddQsos({LogQso("JA1ABC", "100101", "7.025", "CW", "J  ")});
    Settings.DataFolder = home.path();
  }
  void TearDown() override {
    LogbookTest::TearDown();
    QslPrint = {};
    LogWindowState = {};
    EntryWindowHooks = {};
    ResetSharedState();
  }
  QString SentMark() {
    EXPECT_EQ(HamlogOpenDb(), 0);
    EXPECT_EQ(ReadQsoFull(1), 0);
    HamlogCloseDb(0);
    return Qso.QslSent;
  }
};

TEST_F(QslPrintTest, AnotherProgramGetsWork2DatInItsFolderAndIsStartedWithLink) {
  ShellRecorder shell;
  const QString program = home.write("QSL/HLQSL.exe", "program");  // a name of another length
  Settings.QslProgramPath = program;
  EXPECT_EQ(PrintQslCard(Card("2024-06-01", "08:30J")), QslPrintResult::HandedOver);
  EXPECT_EQ(home.read("QSL/WORK2.DAT"), "JA1ABC ,1\r\n");
  ASSERT_EQ(shell.calls().size(), 1u);
  EXPECT_EQ(shell.calls()[0].kind, ShellCall::Start);
  EXPECT_EQ(shell.calls()[0].target, program);
  EXPECT_EQ(shell.calls()[0].arguments, QStringList({"LINK"}));
  EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(QslPrintTest, AMissingProgramOrOneThatWillNotStartIsReportedAndWritesNothing) {
  ShellRecorder shell;
  const QString kNoPath = QStringLiteral("QSL印刷ソフトへのパスが未設定です、環境設定で指定下さい。");
  for (const QString& path : {QString(), QStringLiteral("ORB"), home.file("QSL/HLQSLN.EXE")}) {
    Settings.QslProgramPath = path;
    boxes.Answer(vbOK);
    EXPECT_EQ(PrintQslCard(Card("2024-06-01", "08:30J")), QslPrintResult::Failed);
  }
  EXPECT_EQ(boxes.texts(), QStringList({kNoPath, kNoPath, kNoPath}));
  EXPECT_FALSE(QDir(home.file("QSL")).exists());
  EXPECT_TRUE(shell.calls().empty());

  Settings.QslProgramPath = home.write("QSL/HLQSLN.EXE", "x");
  shell.SetStartResult(0);
  boxes.Answer(vbOK);
  EXPECT_EQ(PrintQslCard(Card("2024-06-01", "08:30J")), QslPrintResult::Failed);
  EXPECT_EQ(boxes.texts().last(), kNoPath);
}

TEST_F(QslPrintTest, QslAgnLinesAreAppendedQuotedWithTheRecordNumberBare) {
  ASSERT_TRUE(AppendQslReissue({"2025-02-03", 12, "JA1ABC", "2024-12-31", "CW", "1001  ", QStringLiteral("東京23区")}));
  ASSERT_TRUE(AppendQslReissue({"2025-02-04", 7, "JA2XYZ", "2023-01-02", "SSB", "100101", QStringLiteral("千代田区*")}));
  EXPECT_EQ(FromAnsi(home.read("QSLAGN.DAT")),
            QStringLiteral("\"2025-02-03\",12,\"JA1ABC\",\"2024-12-31\",\"CW\",\"1001  \",\"東京23区\"\r\n"
                           "\"2025-02-04\",7,\"JA2XYZ\",\"2023-01-02\",\"SSB\",\"100101\",\"千代田区*\"\r\n"));
}

TEST_F(QslPrintTest, MmqslIsDrivenInOrderAndYesSetsTheSentMark) {
  MmqslRecorder mmqsl;
  mmqsl.readsUntilPrinted = 3;
  Settings.QslProgramPath = "/opt/MMQSL/MMQSL.EXE";
  Settings.MmqslDefFile = "/home/op/card.mql";
  Settings.QslSendMark = "S";
  int shown = 0;
  LogWindowState.LogWindowOpen = 1;
  EntryWindowHooks.ShowStoredQso = [&](int32_t recNo) {
    shown = recNo;
    return true;
  };
  // The card printed is record 1's QSO: the mark goes only onto a record that still holds it.
  ChangeStoredField(1, 2, "24/12/31");
  ChangeStoredField(1, 3, "23:30U");
  boxes.Answer(vbYes);
  EXPECT_EQ(PrintQslCard(Card("2024-12-31", "23:30U")), QslPrintResult::MarkedSent);
  EXPECT_EQ(mmqsl.calls,
            QStringList({"OpenDoc /home/op/card.mql", "DeleteLog", QStringLiteral("AddLog 25.01.01,0830,JA1ABC,599,7.025,CW,,Taro,千代田区,J,,*,"),
                         "SortLog97 1", "SetPrintMax", "EnableLogFile=0", "DisableExit=3", "Foreground", "PrintStat=0",
                         "DoPrint", "GetPrintedPos 0", "Release"})
);
  EXPECT_EQ(mmqsl.statReads, 3);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("交信番号1をＭＭＱＳＬで差込印刷しました.\r\nHAMLOG に Sendマークをつけますか？"));
  EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("ＱＳＬ印刷"));
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  EXPECT_EQ(SentMark(), "S");
}

TEST_F(QslPrintTest, MmqslNoAnswerRefusalNoLayoutAndAPrintThatNeverEnds) {
  Settings.QslProgramPath = "C:\\MMQSL\\mmqsl.exe";
  Settings.QslSendMark = "S";
  {
    MmqslRecorder mmqsl;
    boxes.Answer(vbOK);
    PrintQslCard(Card("2024-06-01", "08:30J"));  // no layout file
    EXPECT_FALSE(mmqsl.created);
  }
  Settings.MmqslDefFile = "card.MQL";
  {
    MmqslRecorder mmqsl;
    boxes.Answer(vbNo);
    PrintQslCard(Card("2024-06-01", "08:30J"));
    mmqsl.failingCall = "DoPrint";
    boxes.Answer(vbOK);
    PrintQslCard(Card("2024-06-01", "08:30J"));
    EXPECT_EQ(mmqsl.calls.last(), "Release");
  }
  {
    MmqslRecorder mmqsl;
    mmqsl.printedPos = 1;  // MMQSL printed nothing
    PrintQslCard(Card("2024-06-01", "08:30J"));
  }
  {
    MmqslRecorder mmqsl;
    mmqsl.readsUntilPrinted = 0;
    QslPrint.PrintWaitMs = 0;
    boxes.Answer(vbOK);
    PrintQslCard(Card("2024-06-01", "08:30J"));
  }
  EXPECT_EQ(boxes.texts(),
            QStringList({QStringLiteral("QSL定義ﾌｧｲﾙが設定されていません、環境設定で*.MQLﾌｧｲﾙを指定して下さい。"),
                         QStringLiteral("交信番号1をＭＭＱＳＬで差込印刷しました.\r\nHAMLOG に Sendマークをつけますか？"),
                         QStringLiteral("MMQSLへの転送ｴﾗｰです(^^ゞ"),
                         QStringLiteral("MMQSLから印刷終了の知らせがありません。交信番号1 の Sendマークは付けていません。")}));
  EXPECT_EQ(SentMark(), " ");
}

TEST_F(QslPrintTest, OnLinuxMmqslSaysItCannotBeDrivenAndTheQsoStaysUnmarked) {
  Settings.QslProgramPath = "/opt/MMQSL/MMQSL.EXE";
  Settings.MmqslDefFile = "card.mql";
  Settings.QslSendMark = "S";
  boxes.Answer(vbOK);
  EXPECT_EQ(PrintQslCard(Card("2024-06-01", "08:30J")), QslPrintResult::Mmqsl);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains("Linux"));
  EXPECT_EQ(SentMark(), " ");
}

}  // namespace
