// Opening and closing the CAT port, the poll timer and what a failing line does to the program.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

#include <QTemporaryDir>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/serial.h"
#include "platform/ui/timer.h"
#include "rig/ComPortList.h"
#include "rig/RigModels.h"
#include "rig/RigSetters.h"
#include "rig_fixture.h"
#include "support/other_process.h"
#include "support/waits.h"

using CatPort = RigLinkTest;

TEST_F(CatPort, OpensWithTheLinkSettings) {
  RigPortState.BaudText = "9600";
  RigPortState.StopBitText = "2";
  PtyTransceiver& r = Connect("ICOM");
  EXPECT_EQ(r.Baud(), 9600);
  EXPECT_TRUE(r.TwoStopBits());
  EXPECT_TRUE(r.EightDataBits());
  EXPECT_EQ(RigPortState.StatusText, "");

  // Only "2" gives two stop bits.
  for (const char* stop : {"1", "0", ""}) {
    RigPortState.StopBitText = stop;
    RigPortOpen();
    EXPECT_EQ(RigPortState.PortOpen, 1);
    EXPECT_FALSE(r.TwoStopBits()) << stop;
  }
}

TEST_F(CatPort, ModelTableFillsReplyLengthAndModeCodes) {
  Connect("FT767");
  EXPECT_EQ(RigPortState.ReplyLength, 86);
  EXPECT_EQ(QStringList({RigPortState.ModeCodeLsb, RigPortState.ModeCodeUsb, RigPortState.ModeCodeCw}),
            QStringList({"10", "11", "12"}));
}

TEST_F(CatPort, SettingsNoRigTakesLeaveThePortClosedAndSayWhy) {
  PtyTransceiver& r = Connect("ICOM");
  const QString port = "RIG Control Port-" + r.PortName();
  struct Case {
    const char* model;
    const char* stop;
    const char* address;
    QString status;
  };
  for (const Case& c : {Case{"IC-705", "0", "94", port + " の機種 IC-705 はこのプログラムで扱えません"},
                        Case{"ICOM", "7", "94", port + " のストップビット 7 は使えません (1 か 2)"},
                        Case{"ICOM", "0", "ZZ", port + " の ICOM アドレス ZZ は使えません (16進数2桁)"},
                        Case{"ICOM", "0", " 9", port + " の ICOM アドレス  9 は使えません (16進数2桁)"},
                        Case{"ICOM", "0", "00", port + " の ICOM アドレス 00 は使えません (00 は全部の機器に宛てる同報のアドレスです)"},
                        Case{"ICOM", "0", "e0", port + " の ICOM アドレス e0 は使えません (E0 はこのプログラム側のアドレスです)"},
                        Case{"ICOM", "0", "FF", port + " の ICOM アドレス FF は使えません (FF はアドレスに使えない値です)"}}) {
    RigPortState.RigModel = c.model;
    RigPortState.StopBitText = c.stop;
    RigPortState.CivAddress = c.address;
    RigPortOpen();
    EXPECT_EQ(RigPortState.PortOpen, 0) << c.model << c.stop << c.address;
    EXPECT_EQ(heard.statuses.last(), c.status);
    EXPECT_TRUE(Poll().isEmpty());
  }
  EXPECT_TRUE(heard.hz.isEmpty());
}

TEST_F(CatPort, StartAndEndFramesOfTheModels) {
  RigPortState.RigModel = "FT847";
  rig = std::make_unique<PtyTransceiver>("FT847");
  RigPortState.PortName = rig->PortName();
  RigPortOpen();
  RigPortClose();
  EXPECT_EQ(rig->Commands(), QList<QByteArray>({Hex("0000000000"), Hex("0000000080")}));

  rig = std::make_unique<PtyTransceiver>("FT991");
  RigPortState.RigModel = "FT991";
  RigPortState.PortName = rig->PortName();
  RigPortOpen();
  EXPECT_EQ(rig->Commands(), QList<QByteArray>({"AI0;"}));
}

TEST_F(CatPort, PollModeZeroReadsOnceAfterEachOpenAndTwoStartsTheTimer) {
  RigPortState.PollMode = 0;
  Connect("FT817");
  EXPECT_FALSE(RigPollTimer().Running());
  RigPortOpen();
  EXPECT_EQ(rig->Commands(), QList<QByteArray>({Hex("0000000003")}));
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000, 7'025'000}));

  RigPortState.PollMode = 2;
  RigPortState.PollPeriodMs = 300;
  RigPortOpen();
  EXPECT_TRUE(RigPollTimer().Running());
  EXPECT_EQ(RigPollTimer().Interval(), 300);
  RigPortClose();
  EXPECT_FALSE(RigPollTimer().Running());
  EXPECT_EQ(RigPortState.PortOpen, 0);
}

TEST_F(CatPort, TimerTicksPollAndTellTheListeners) {
  RigPortState.PollMode = 2;
  RigPortState.PollPeriodMs = 20;
  Connect("FT817");
  rig->FreqHz = 14'074'000;
  EXPECT_TRUE(WaitUntil([&] { return heard.polls >= 2; })) << RigPortState.StatusText.toStdString();
  EXPECT_EQ(heard.hz.last(), 14'074'000);
  EXPECT_EQ(heard.statusBarTexts.last(), "14.074.00");
  EXPECT_EQ(heard.entryTexts.last(), "14.0740");
}

TEST_F(CatPort, PortsThatCannotBeOpenedSaySoAndLeaveTheLinkClosed) {
  RigPortState.RigModel = "ICOM";
  RigPortState.CivAddress = "94";
  // What the status says after the port's name, once the port is opened by `name`.
  const auto said = [](const QString& name) {
    RigPortState.PortName = name;
    RigPortOpen();
    const QString port = "RIG Control Port-" + name, text = RigPortState.StatusText;
    return text.startsWith(port) ? text.mid(port.size()) : text;
  };
  // A name from a settings file copied from Windows, a device not plugged in, no name: what to do.
  const QString choose = "「リグコン関係の設定」の「COM ﾁｪｯｸ」でポートを選び直して下さい)";
  for (const auto& [name, text] :
       {std::pair{QString("COM3"), " は Windows のポートの名前で、この機械にはありません (この機械では /dev/ttyUSB0 などの名前です。" + choose},
        {QString("/dev/ttyUSB97"), " が見つかりません (リグの電源と USB ケーブルを確かめるか、" + choose},
        {QString(""), " (ポートの名前が空です。" + choose}}) {
    EXPECT_EQ(said(name), text);
    EXPECT_EQ(RigPortState.PortOpen, 0);
  }
  RigPoll();  // nothing to do, nothing breaks
  SetMode("03");

  PtyTransceiver other("ICOM");
  SerialPort holder;
  ASSERT_TRUE(holder.Open(other.PortName(), 4800, false));
  EXPECT_EQ(said(other.PortName()), " は他で使用中です");
  EXPECT_EQ(RigPortState.PortOpen, 0);

  holder.Close();
  QFile::setPermissions(other.PortName(), QFile::ReadGroup | QFile::WriteGroup);  // its group's alone
  if (!QFileInfo(other.PortName()).isWritable()) {  // root opens any: ctest runs this in a user namespace
    EXPECT_EQ(said(other.PortName()), " を開く権限がありません (このユーザーを " +
                                          QFileInfo(other.PortName()).group() +
                                          " グループに入れ、ログインし直して下さい)");
    EXPECT_TRUE(ComPortItemText(ComPortList({other.PortName()}).back()).endsWith(" > 権限がありません"));
  }
  // Names that are no serial device at all.
  for (const QString& name : {QDir::tempPath(), QCoreApplication::applicationFilePath(), QString("/dev/null"),
                              QString("/proc/self/status")}) {
    EXPECT_EQ(said(name), " はシリアルポートではありません (ファイル、フォルダーか通信のできない機器です)");
    EXPECT_EQ(RigPortState.PortOpen, 0);
    EXPECT_EQ(ComPortItemText(ComPortList({name}).back()), name + " > シリアルポートではありません");
  }
  EXPECT_EQ(said("/dev/tty"), " はこのプログラムを動かしている端末の名前で、リグのシリアルポートではありません");
  // As another user: a device of root's group alone, and one behind a folder closed to this user
  // (only root can hand the device to root; ctest also runs this as an unmapped user).
  QTemporaryDir closed;
  if (::geteuid() == 0) {
    ASSERT_TRUE(QFile::link(other.PortName(), closed.path() + "/ttyUSB0") && ::chmod(qPrintable(closed.path()), 0700) == 0 &&
                ::chown(qPrintable(other.PortName()), 0, 0) == 0 && ::chmod(qPrintable(other.PortName()), 0660) == 0);
    EXPECT_TRUE(InOtherProcess([&] {
      return ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
             said(other.PortName()) == " を開く権限がありません (機器 root:root 0660 の権限を、このユーザーかそのグループが読み書きできるよう変えて下さい)" &&
             said(closed.path() + "/ttyUSB0") == " を開く権限がありません (フォルダー " + closed.path() + " にこのユーザーは入れません。置き場所かフォルダーの権限を変えて下さい)";
    }));
  }
  RigPortState.BaudText = "fast";
  EXPECT_EQ(said(other.PortName()), " の通信速度 fast は使えません");
  EXPECT_EQ(RigPortState.PortOpen, 0);
  EXPECT_EQ(heard.statuses.last(), RigPortState.StatusText);
}

TEST_F(CatPort, SilentRigPublishesNothing) {
  PtyTransceiver& r = Connect("ICOM");
  r.Silent = true;
  RigPoll();
  EXPECT_EQ(r.Commands().size(), 1);  // no mode read after a frequency read that failed
  EXPECT_TRUE(heard.hz.isEmpty());
  EXPECT_EQ(RigPortState.StatusText, "RIG Control Port-" + r.PortName() + " 応答がありません");
  EXPECT_EQ(RigPortState.PortOpen, 1);

  // It answers again: the reading comes and the failure text goes.
  r.Silent = false;
  RigPoll();
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000}));
  EXPECT_EQ(RigPortState.StatusText, "");
}

TEST_F(CatPort, UnpluggedRigClosesTheLinkAndStopsPolling) {
  RigPortState.PollMode = 2;
  RigPortState.PollPeriodMs = 1000;
  PtyTransceiver& r = Connect("KENWOOD");
  const QString name = r.PortName();
  r.Unplug();
  RigPoll();
  EXPECT_EQ(RigPortState.PortOpen, 0);
  EXPECT_FALSE(RigPollTimer().Running());
  EXPECT_TRUE(heard.statuses.contains("RIG Control Port-" + name + " 異常です"));
  // The reopen finds the device gone.
  EXPECT_TRUE(RigPortState.StatusText.startsWith("RIG Control Port-" + name + " が見つかりません (リグの電源と"));
  EXPECT_TRUE(heard.hz.isEmpty());
  // The program stays usable: the next poll and a setter do nothing.
  RigPoll();
  SetMode("1");
  EXPECT_EQ(RigPortState.PortOpen, 0);
}

TEST_F(CatPort, SlowAnswerWithinTheTimeoutIsRead) {
  PtyTransceiver& r = Connect("FT2000");
  r.ReplyDelayMs = 40;
  RigPoll();
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000}));
  r.ReplyDelayMs = 1000;  // far beyond the read's 200 ms, also on a busy machine: that poll fails
  RigPoll();
  EXPECT_EQ(heard.hz.size(), 1);
  EXPECT_EQ(RigPortState.StatusText, "RIG Control Port-" + r.PortName() + " 応答がありません");
}

TEST_F(CatPort, AnAnswerInAnotherModelsLayoutShowsNoFrequencyAndSaysSo) {
  // Each model, the rig on the line answering as another whose polls send the same command. The FT-847's
  // and the FT-817's answers are alike: either reads the other's right.
  for (const QList<const char*>& same :
       {QList<const char*>{"FT2000", "FT991", "KENWOOD"}, {"FT920", "FT900", "FT1000MP"}, {"FT847", "FT817"}})
    for (const char* chosen : same)
      for (const char* onTheLine : same)
        for (int64_t hz : {7'025'000, 14'200'000}) {
          if (qstrcmp(onTheLine, chosen) == 0) continue;
          PtyTransceiver& r = Connect(chosen, "94", onTheLine);
          r.FreqHz = hz;
          heard.hz.clear();
          Poll();
          const bool alike = QString(chosen).startsWith("FT8");
          EXPECT_EQ(heard.hz, alike ? QList<int64_t>{hz} : QList<int64_t>{}) << chosen << " " << onTheLine;
          // A binary answer is read whole, and its length names the model.
          const QString& said = RigPortState.StatusText;
          const QString named = QString(onTheLine) + " の応答と同じ長さ";
          EXPECT_TRUE(alike || (said.startsWith("RIG Control Port-" + r.PortName() + " の応答が " + chosen) &&
                                (!same.contains("FT920") || said.contains(named))))
              << said.toStdString();
        }
}

TEST_F(CatPort, ExchangesNeverInterleave) {
  PtyTransceiver& r = Connect("ICOM");
  r.ReplyDelayMs = 30;
  // A click that comes while the poll waits for the rig: its command goes after the poll's.
  bool clicked = false;
  QTimer::singleShot(0, [&] {  // at the poll's first wait
    clicked = true;
    RigPoll();  // a tick meanwhile is skipped
    SetMode("01");
  });
  RigPoll();
  EXPECT_TRUE(clicked);
  WaitUntil([&] { return r.Commands().size() >= 3; });  // at the next turn
  EXPECT_EQ(r.Commands(),
            QList<QByteArray>({Hex("FEFE94E003FD"), Hex("FEFE94E004FD"), Hex("FEFE94E00601FD")}));
  EXPECT_FALSE(RigExchangeRunning());
}

TEST_F(CatPort, ABurstOfCommandsLetsThePollInAtItsPeriod) {
  // Each command waits longer than the poll's period: a tick falls within every one, on any machine.
  RigPortState.PollMode = 2;
  RigPortState.PollPeriodMs = 2;
  RigPortState.PostWriteWaitMs = 4;
  Connect("KENWOOD").FreqHz = 14'025'000;
  for (int i = 0; i < 200; ++i) RigXitOff();  // one after the other, as the companion sends them
  RigPollStop();
  const QByteArray sent = rig->TextCommands().join(' ');
  EXPECT_EQ(sent.count("XT0;"), 200);
  EXPECT_FALSE(sent.contains("XT0; XT0; XT0;")) << "at least one poll per period";
  EXPECT_EQ(heard.hz.value(0), 14'025'000);

  // A tick during a command whose job then stops the poll is not owed a poll.
  RigPollStart();
  rig->ClearReceived();
  RigExchange([] { RigPortState.TxCommand = "XT0;", RigSendText(), RigPollStop(); });  // a tick falls in its wait
  EXPECT_EQ(rig->TextCommands(), QList<QByteArray>({"XT0;"}));
}

TEST_F(CatPort, ClosingWhileAPollWaitsEndsThePollQuietly) {
  PtyTransceiver& r = Connect("FT1000MP");
  r.ReplyDelayMs = 50;
  QTimer::singleShot(0, [] { RigPortClose(); });  // at the poll's first wait, before the answer
  RigPoll();
  EXPECT_EQ(RigPortState.PortOpen, 0);
  EXPECT_EQ(RigPortState.StatusText, "");
  EXPECT_TRUE(heard.hz.isEmpty());
}

TEST_F(CatPort, TransverterOffsetAndZeroReadings) {
  PtyTransceiver& r = Connect("FT847");
  RigPortState.TransverterOn = "1";
  RigPortState.TransverterOffsetHz = 22'000'000;
  r.FreqHz = 144'100'000;
  RigPoll();
  EXPECT_EQ(heard.hz.last(), 166'100'000);
  EXPECT_EQ(RigPortState.FreqText, "166.1000");

  // 2.4 GHz through a 430 MHz IF: no overflow.
  RigPortState.TransverterOffsetHz = 2'000'000'000;
  r.FreqHz = 430'100'000;
  RigPoll();
  EXPECT_EQ(heard.hz.last(), 2'430'100'000);
  EXPECT_EQ(heard.statusBarTexts.last(), "2430.100.00");

  // Readings no transceiver gives are failed reads: nothing shown, the status says why.
  r.FreqHz = 760'000'000;
  RigPoll();
  EXPECT_EQ(heard.hz.last(), 2'430'100'000);
  EXPECT_EQ(RigPortState.StatusText, "RIG Control Port-" + r.PortName() +
                                         " から FT847 にはない周波数 (760000000 Hz、0.1-30, 36-76, 108-174, 420-512 "
                                         "MHz の外) が届きました。読み取りに失敗しています");
  RigPortState.TransverterOn = "0";
  PtyTransceiver& kenwood = Connect("KENWOOD");
  for (int64_t beyond : {int64_t{99'999'999'999}, int64_t{10'368'100'000}, int64_t{2'409'659'000}}) {
    kenwood.FreqHz = beyond;  // no transceiver of the model is on it, amateur band or not
    RigPoll();
    EXPECT_EQ(heard.hz.last(), 2'430'100'000);
    EXPECT_TRUE(RigPortState.StatusText.contains(" にはない周波数 (" + QString::number(beyond) + " Hz、")) << beyond;
  }

  // A reading of zeros changes nothing but the status.
  Connect("FT847").FreqHz = 0;
  const qsizetype before = heard.hz.size();
  RigPoll();
  EXPECT_EQ(heard.hz.size(), before);
  EXPECT_EQ(RigPortState.FreqHz, 2'430'100'000);
  EXPECT_TRUE(RigPortState.StatusText.contains(" から FT847 にはない周波数 (0 Hz、"));
}

TEST(RigModelTexts, FrequencyFormats) {
  const RigModelInfo& icom = *FindRigModel("ICOM");
  const RigModelInfo& ft991 = *FindRigModel("FT991");
  const RigModelInfo& ft817 = *FindRigModel("FT817");
  EXPECT_EQ(RigEntryText(7'025'000, icom), "7.025");
  EXPECT_EQ(RigStatusText(7'025'000, icom), "7.025.000");
  EXPECT_EQ(RigEntryText(7'025'000, ft991), "7.025000");
  EXPECT_EQ(RigEntryText(7'025'000, ft817), "7.0250");
  EXPECT_EQ(RigStatusText(7'025'000, ft817), "7.025.00");
  EXPECT_EQ(RigStatusText(1'294'123'450, ft817), "1294.123.45");
  EXPECT_EQ(RigModelChoices(), QStringList({"Not Use", "ICOM", "KENWOOD", "FT767", "FT817", "FT847", "FT900",
                                            "FT920", "FT1000MP", "JST-245", "FT2000", "FT991"}));
  EXPECT_EQ(FindRigModel("Not Use"), nullptr);
  EXPECT_EQ(FindRigModel("icom"), nullptr);
}

TEST_F(CatPort, PollRunsOnTheTimerAWindowHandsOver) {
  RigPortState.PollMode = 2;
  RigPortState.PollPeriodMs = 250;
  Connect("FT817");
  auto window = std::make_unique<VbTimer>(nullptr, 0, false);
  SetRigPollTimer(window.get());
  EXPECT_TRUE(window->Running());  // takes over a running poll
  EXPECT_EQ(window->Interval(), 250);
  RigPollStop();
  EXPECT_FALSE(window->Running());
  window.reset();  // the window went: the link's own timer again
  RigPollStart();
  EXPECT_TRUE(RigPollTimer().Running());
  SetRigPollTimer(nullptr);
}
