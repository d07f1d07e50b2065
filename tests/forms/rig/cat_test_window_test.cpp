// The CAT test window against a simulated FT991: a command by hand, the backup and the write-back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimeZone>

#include "core/SharedSettings.h"
#include "forms/rig/CATtestMod.h"
#include "platform/clock.h"
#include "platform/ui/keys.h"
#include "platform/ui/responders.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "support/pty_transceiver.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/temp_home.h"

namespace {

struct CatTestWindow : ::testing::Test {
  TempHome home;
  PtyTransceiver rig{"FT991"};
  MsgBoxResponder boxes;
  FileDialogResponder files;
  ShellRecorder shell;

  void SetUp() override {
    RigPortState.RigModel = "FT991";
    RigPortState.PortName = rig.PortName();
    RigPortState.PostWriteWaitMs = 5;
    RigPortState.PollMode = 1;
    RigPortOpen();
    rig.ClearReceived();
    Settings.DataFolder = home.path();
  }
  void TearDown() override {
    RigPortClose();
    UnloadForm<CATtestMod>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
    ResetClock();
  }
};

TEST_F(CatTestWindow, CommandByHand) {
  CATtestMod& w = Form<CATtestMod>();
  rig.Answers["FA;"] = "FA007025000;";
  w.Text1.setText("FA");
  w.Text3.setText("12");
  w.Command1.Click();
  EXPECT_EQ(w.Text2.text(), "FA007025000");
  w.Text1.setText("FA ");
  EXPECT_EQ(w.Text2.text(), "");  // a new command clears the answer
  int enter = vbKeyReturn;
  w.Text1.KeyPress(enter);
  EXPECT_EQ(w.Text2.text(), "FA007025000");
  EXPECT_EQ(rig.TextCommands(), QList<QByteArray>({"FA;", "FA;"}));

  boxes.Answer(vbOK);
  w.Text3.setText("");
  w.Command1.Click();
  EXPECT_EQ(boxes.texts(), QStringList({"LEN項が空白では？"}));
  EXPECT_EQ(rig.TextCommands().size(), 2) << "nothing sent whose answer could not be read";
  EXPECT_EQ(RigPortState.CatBusy, 0);
}

TEST_F(CatTestWindow, BackupThenWriteBack) {
  SetFixedClock(QDateTime(QDate(2026, 12, 7), QTime(21, 30, 5), QTimeZone(9 * 3600)));
  CATtestMod& w = Form<CATtestMod>();
  const QString list = home.write("FT991_CMD.TXT", "CMD,LEN,CNT\r\nAI,4,0\r\nXX,3,0\r\n");
  rig.Answers["AI;"] = "AI1;";
  rig.Answers["XX;"] = "?;";
  const QString backup = home.file("FT991_MemoryBackUp_data_261207213005.TXT");
  files.Choose(list).Choose(backup);
  boxes.Answer(vbOK).Answer(vbOK);
  w.memRead.Click();
  ASSERT_EQ(files.shown().size(), 2u);
  EXPECT_EQ(files.shown()[0].title, "FT991 のCATｺﾏﾝﾄﾞﾌｧｲﾙ( *CMD.TXT )を指定します");
  EXPECT_EQ(files.shown()[1].fileName, "FT991_MemoryBackUp_data_261207213005.TXT");
  EXPECT_EQ(boxes.texts().value(0), "次のコマンドは通りませんでした\r\nXX;\r\n");
  EXPECT_TRUE(boxes.texts().value(1).startsWith("読み込み可能な形で保存しました。"));
  EXPECT_EQ(home.read("FT991_MemoryBackUp_data_261207213005.TXT"), "AI0\r\n");
  EXPECT_EQ(shell.opened(), QStringList({backup}));

  rig.ClearReceived();
  files.Choose(backup);
  boxes.Answer(vbOK);
  w.memWrt.Click();
  EXPECT_EQ(rig.TextCommands(), QList<QByteArray>({"AI0;"}));
  EXPECT_EQ(boxes.texts().last(), "バックアップデータ書き込み完了です。 ");
  EXPECT_EQ(RigPortState.CatBusy, 0);
}

TEST_F(CatTestWindow, ACommandListIsReadALineARecordAndALineThatIsNoneSendsNothing) {
  CATtestMod& w = Form<CATtestMod>();
  // Two-field lines: the third field is empty, never the next line's command.
  const QString list =
      home.write("FT991_CMD.TXT", "CMD,LEN,COUNT\r\nAI,4\r\nMR,28,2\r\nEX,10,2\r\n\r\nXX,3\r\nFA,12\r\n");
  for (const char* c : {"AI;", "MR001;", "MR002;", "EX001;", "EX002;", "XX;", "FA;"}) rig.Answers[c] = "?;";
  files.Choose(list).Choose(home.file("b.TXT"));
  boxes.Answer(vbOK).Answer(vbOK);
  w.memRead.Click();
  EXPECT_EQ(rig.TextCommands(),
            QList<QByteArray>({"AI;", "MR001;", "MR002;", "EX001;", "EX002;", "XX;", "FA;"}));
  EXPECT_EQ(boxes.texts().value(0), "次のコマンドは通りませんでした\r\nAI;\r\nXX;\r\nFA;\r\n");

  // A line that is no record is named, and nothing of the list goes out.
  for (const char* line : {"MR", "MR,28", "AI,x", "EX,10,1000", ",4", "AI,4,0,1"}) {
    rig.ClearReceived();
    const QString bad =
        home.write("FT991_CMD.TXT", "CMD,LEN,COUNT\r\nAI,4\r\n" + QByteArray(line) + "\r\nFA,12\r\n");
    files.Choose(bad);
    boxes.Answer(vbOK);
    w.memRead.Click();
    EXPECT_TRUE(boxes.texts().last().startsWith(bad + " の 3 行目を読めません: " + line + "\r\n"))
        << boxes.texts().last().toStdString();
    EXPECT_TRUE(boxes.texts().last().endsWith("リグには何も送っていません"));
    EXPECT_EQ(rig.TextCommands(), QList<QByteArray>()) << line;
  }
  EXPECT_EQ(files.shown().size(), 8u) << "no backup asked for";
}

TEST_F(CatTestWindow, ExchangesNeedAnOpenPort) {
  CATtestMod& w = Form<CATtestMod>();
  RigPortClose();
  boxes.Answer(vbOK).Answer(vbOK).Answer(vbOK);
  w.Text1.setText("FA");
  w.Text3.setText("12");
  w.Command1.Click();
  w.memRead.Click();
  w.memWrt.Click();
  EXPECT_EQ(boxes.texts(), QStringList(3, "リグのCATポートが開いていません"));
  EXPECT_TRUE(files.shown().empty());

  // The port goes in the middle of a write-back: it is not reported as done.
  RigPortOpen();
  const QString backup = home.write("FT991_MemoryBackUp_data_261207213005.TXT", "MW001007025000\r\nAI0\r\n");
  rig.Answer = [](const QByteArray&) -> std::optional<QByteArray> {
    RigPortClose();
    return std::nullopt;
  };
  files.Choose(backup);
  boxes.Answer(vbOK);
  w.memWrt.Click();
  EXPECT_EQ(boxes.texts().last(), "リグとの通信が途切れたため、書き込みを中止しました");
  EXPECT_EQ(RigPortState.CatBusy, 0);
}

}  // namespace
