// Mode by band segment, tuning from the sheet, and the companion program's XIT and CW commands.
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/ui/responders.h"
#include "platform/ui/timer.h"
#include "rig/RigModels.h"
#include "rig/RigSetters.h"
#include "rig_fixture.h"

TEST(ModeByFrequency, BandSegments) {
  RigPortState = {};
  RigPortState.RigModel = "FT2000";
  RigModelTable();
  const QList<std::pair<const char*, const char*>> cases = {
      {"1.9", "03"},     {"3.526", "01"},   {"3.7", "01"},     {"3.805", "01"},    {"3.806", "02"},
      {"5.0", "02"},     {"7.0", "03"},     {"7.029999", "03"}, {"7.0299995", "02"}, {"7.03", "01"},
      {"7.1", "01"},     {"7.2", "01"},     {"10.12", "03"},   {"14.1", "03"},     {"14.2", "02"},
      {"18.068", "03"},  {"21.15", "03"},   {"24.91", "03"},   {"28.2", "03"},     {"28.5", "02"},
      {"50.1", "03"},    {"144.1", "03"},   {"430.05", "03"},  {"1294.2", "03"},   {"1295.0", "02"}};
  for (const auto& [mhz, code] : cases) {
    ModeByFreq(mhz);
    EXPECT_EQ(RigPortState.ModeByFreqCode, code) << mhz;
  }
  EXPECT_EQ(MhzText(7'012'000), "7.012000");
  EXPECT_EQ(MhzText(500'000), "0.500000");
}

using Tuning = RigLinkTest;

TEST_F(Tuning, TuneSetsModeForTheFrequencyThenTheFrequency) {
  RigPortState.PollMode = 2;
  RigPortState.PollPeriodMs = 500;
  PtyTransceiver& r = Connect("FT991");
  RigTuneTo(7'012'000);
  EXPECT_EQ(r.TextCommands(), QList<QByteArray>({"MD03;", "FA007012000;"}));
  EXPECT_TRUE(RigPollTimer().Running());  // polling again after the set

  // Transverter: the mode is chosen for 144.1 MHz, the rig gets the IF.
  r.ClearReceived();
  RigPortState.TransverterOn = "1";
  RigPortState.TransverterOffsetHz = 22'000'000;
  RigTuneTo(144'100'000);
  EXPECT_EQ(r.TextCommands(), QList<QByteArray>({"MD03;", "FA122100000;"}));

  // An offset larger than the frequency: nothing goes out, not even the mode.
  r.ClearReceived();
  RigTuneTo(14'000'000);
  EXPECT_TRUE(r.TextCommands().isEmpty());
  EXPECT_EQ(heard.refusals.last(), "RIG Control FT991 に -8.000000 MHz は設定できません (0.03-56, 118-164, 420-470 MHz)");

  // The satellite program asked for CW: every mode set is CW.
  r.ClearReceived();
  RigPortState.TransverterOn = "0";
  RigPortState.SatMateMode = "CW";
  EXPECT_EQ(SetMode("02"), "03");
  EXPECT_EQ(r.TextCommands(), QList<QByteArray>({"MD03;"}));
}

TEST_F(Tuning, NothingGoesOutWhileThePortIsClosed) {
  PtyTransceiver& r = Connect("KENWOOD");
  RigPortClose();
  RigTuneTo(7'012'000);
  RigSwapVFO();
  RigTxShift(100);
  RigSendCwMessage("CQ");
  EXPECT_TRUE(r.Commands().isEmpty());
}

TEST_F(Tuning, XitShiftsOfTheTextModels) {
  PtyTransceiver& kenwood = Connect("KENWOOD");
  RigTxShift(120);
  RigXitOff();
  EXPECT_EQ(kenwood.TextCommands(), QList<QByteArray>({"XT1;", "RC;", "RU00120;", "XT0;"}));
  EXPECT_EQ(RigPortState.TxShiftHz, 0);

  PtyTransceiver& ft991 = Connect("FT991");
  RigTxShift(-50);
  RigTxShift(123456);  // wider than the command's digits
  EXPECT_EQ(ft991.TextCommands(), QList<QByteArray>({"XT1;", "RC;", "RD0050;"}));

  PtyTransceiver& icom = Connect("ICOM");
  RigXitOff();
  EXPECT_TRUE(icom.Commands().isEmpty());
}

TEST_F(Tuning, EachModelIsSetOnlyWithinItsOwnRanges) {
  // The top of what each model tunes by its maker's coverage, and frequencies it does not tune.
  const QList<std::pair<const char*, QList<int64_t>>> cases = {
      {"ICOM", {5'850'000'000, 25'000, 300'000'000, 3'000'000'000}}, {"KENWOOD", {1'300'000'000, 2'400'100'000, 100'000'000}},
      {"FT767", {440'000'000, 40'000'000, 1'295'000'000}},           {"FT817", {470'000'000, 60'000'000, 1'295'000'000}},
      {"FT847", {512'000'000, 30'000'010, 1'295'000'000}},           {"FT900", {30'000'000, 144'100'000}},
      {"FT920", {56'000'000, 144'100'000}},                          {"FT1000MP", {30'000'000, 144'100'000, 433'000'000}},
      {"JST-245", {54'000'000, 144'100'000}},                        {"FT2000", {60'000'000, 144'100'000}},
      {"FT991", {470'000'000, 100'000'000, 1'295'000'000}}};
  for (const auto& [model, hz] : cases) {
    PtyTransceiver& r = Connect(model);
    EXPECT_TRUE(RigSetFreqHz(hz[0])) << model;
    EXPECT_EQ(r.FreqHz, hz[0]) << model;
    for (int64_t beyond : hz.mid(1)) {
      r.ClearReceived();
      EXPECT_FALSE(RigSetFreqHz(beyond)) << model << " " << beyond;
      EXPECT_TRUE(r.Commands().isEmpty() && heard.refusals.last().startsWith(
                                                QString("RIG Control %1 に %2 MHz は設定できません (").arg(model, MhzText(beyond))))
          << model << " " << beyond;
    }
  }
}

TEST_F(Tuning, ZeroInRetunesByTheOffset) {
  PtyTransceiver& r = Connect("FT2000");
  RigPoll();
  r.ClearReceived();
  RigZeroIn(-300);
  EXPECT_EQ(r.TextCommands(), QList<QByteArray>({"XT0;", "FA07024700;", "AN01;"}));
  EXPECT_EQ(RigPortState.ZeroInHz, -300);
}

TEST_F(Tuning, CwMessagesPerFamily) {
  PtyTransceiver& kenwood = Connect("KENWOOD");
  RigSendCwMessage("CQ");
  RigSendCwMessage("#3");           // "#" first: sent as text
  RigSendCwMessage("CQ TEST#5");    // not a memory: nothing
  RigSendCwMessage("L=10");
  RigSendCwMessage("B4CQ");         // not for this family
  RigSendCwMessage("CQ;東京");      // neither ends the command and starts another, nor goes cut
  EXPECT_EQ(heard.refusals.last(), "RIG Control KENWOOD で送れない文字 (; 東 京) があるので CW メッセージを送りません: CQ;東京");
  EXPECT_EQ(kenwood.TextCommands(), QList<QByteArray>({"KY CQ" + QByteArray(22, ' ') + ";", "KY #3" + QByteArray(22, ' ') + ";",
                                                       "PB3;", "PB0;"}));
  {
    MsgBoxResponder boxes;  // none is shown
    kenwood.ClearReceived();
    RigSendCwMessage("CQ CQ CQ DE JA1XYZ JA1XYZ K");  // longer than the 24 characters of KY
    EXPECT_EQ(heard.refusals.last(), "CW メッセージが長すぎるので送りません (24 文字まで、27 文字): CQ CQ CQ DE JA1XYZ JA1XYZ K");
    RigTxShift(100000);
    EXPECT_EQ(heard.refusals.last(), "RIG Control KENWOOD に XIT 100000 Hz は設定できません (5 桁まで)");
    RigZeroIn(2147483647);  // beyond the model's range: not even the XIT goes off
    EXPECT_EQ(heard.refusals.last(),
              "RIG Control KENWOOD に 2147.483647 MHz は設定できません (0.03-60, 142-152, 420-450, 1240-1300 MHz)");
    EXPECT_TRUE(kenwood.TextCommands().isEmpty());
  }

  PtyTransceiver& ft991 = Connect("FT991");
  RigSendCwMessage("B4CQ TEST#2");
  RigSendCwMessage("CQ#2");
  RigSendCwMessage("L=10");
  RigSendCwMessage("B4CQ};KY1#3");
  EXPECT_EQ(ft991.TextCommands(), QList<QByteArray>({"KM2CQ TEST};", "KY7;", "KM5};", "KYA;"}));
  EXPECT_EQ(heard.refusals.last(), "RIG Control FT991 で送れない文字 (} ;) があるので CW メッセージを送りません: B4CQ};KY1#3");

  PtyTransceiver& icom = Connect("ICOM");
  RigSendCwMessage(QString(30, u'A'));
  RigSendCwMessage(QString(31, u'A'));  // cut, it would be another message on the air
  RigSendCwMessage("L=10");
  EXPECT_EQ(heard.refusals.last(), "CW メッセージが長すぎるので送りません (30 文字まで、31 文字): " + QString(31, u'A'));
  RigSendCwMessage("5NN;\xFD");
  EXPECT_EQ(heard.refusals.last(), "RIG Control ICOM で送れない文字 (\xFD) があるので CW メッセージを送りません: 5NN;\xFD");
  EXPECT_EQ(icom.Commands(), QList<QByteArray>({Hex("FEFE94E017") + QByteArray(30, 'A') + Hex("FD"),
                                                Hex("FEFE94E017FFFD")}));
}

TEST_F(Tuning, BandCommandsFromTheSheetsHeadings) {
  PtyTransceiver& r = Connect("FT2000");
  for (const char* h : {"7MHz", "144MHz", "1.9MHz", "1.2GHz", "ｻﾃﾗｲﾄ", "CODE"}) RigSendBandCommand(h);
  EXPECT_EQ(r.TextCommands(), QList<QByteArray>({"BS03;", "BS15;", "BS00;"}));
  PtyTransceiver& k = Connect("KENWOOD");
  EXPECT_FALSE(RigSendBandCommand("7MHz"));
  EXPECT_TRUE(k.Commands().isEmpty());
}

TEST_F(Tuning, CommandsThatComeDuringAnExchangeLetTheOperatorsKeysThroughBetweenThem) {
  PtyTransceiver& r = Connect("KENWOOD");
  QLineEdit box;
  box.show();
  int sentWhenTyped = -1;
  QObject::connect(&box, &QLineEdit::textChanged, [&] { sentWhenTyped = int(r.TextCommands().size()); });
  RigExchange([&] {
    // A burst from the companion program while the link is busy, and a key typed meanwhile.
    for (int i = 1; i <= 5; ++i) RigTxShift(100 * i);
    QCoreApplication::postEvent(&box, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    RigPortState.TxCommand = "XT0;";
    RigSendText();
  });
  WaitUntil([&] { return r.TextCommands().size() >= 1 + 5 * 3; });
  EXPECT_EQ(r.TextCommands().size(), 16);
  EXPECT_EQ(r.TextCommands().last(), "RU00500;") << "in the order they came";
  EXPECT_EQ(box.text(), "a");
  EXPECT_GE(sentWhenTyped, 1);
  EXPECT_LE(sentWhenTyped, 4) << "the key waited for one command at most, not for the whole burst";
}
