// The text-command models against the simulated rig.
#include <QTimer>

#include "rig/RigSetters.h"
#include "rig_fixture.h"

using TextCommands = RigLinkTest;

TEST_F(TextCommands, Ft2000AndFt991ReadTheirIfAnswer) {
  PtyTransceiver& r = Connect("FT2000");
  EXPECT_EQ(Poll(), QList<QByteArray>({"IF;"}));
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000}));
  EXPECT_EQ(heard.entryTexts.last(), "7.025");
  r.Answer = [](const QByteArray&) { return std::optional<QByteArray>("?;"); };
  Poll();
  EXPECT_EQ(heard.hz.size(), 1);

  PtyTransceiver& ft991 = Connect("FT991");
  ft991.FreqHz = 430'100'000;
  EXPECT_EQ(Poll(), QList<QByteArray>({"IF;"}));
  EXPECT_EQ(heard.hz.last(), 430'100'000);
  EXPECT_EQ(heard.entryTexts.last(), "430.100000");
  // The CAT test window is talking to it: no poll.
  RigPortState.CatBusy = 5;
  EXPECT_TRUE(Poll().isEmpty());
}

TEST_F(TextCommands, Ft991WithoutAnswerReopensThePort) {
  PtyTransceiver& r = Connect("FT991");
  r.Silent = true;
  EXPECT_EQ(Poll(), QList<QByteArray>({"IF;", "AI0;"}));
  EXPECT_EQ(RigPortState.PortOpen, 1);
  EXPECT_TRUE(heard.hz.isEmpty());
  QTimer::singleShot(0, [] { RigPortClose(); });  // by the operator, while the poll waits for the silent rig
  EXPECT_EQ(Poll(), QList<QByteArray>({"IF;"}));
  EXPECT_EQ(RigPortState.PortOpen, 0);
}

TEST_F(TextCommands, KenwoodReadsFrequencyModeAndReceiveVfo) {
  PtyTransceiver& r = Connect("KENWOOD");
  r.Mode = "CW";
  EXPECT_EQ(Poll(), QList<QByteArray>({"IF;", "FR;"}));
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000}));
  EXPECT_EQ(RigPortState.ModeText, "OTR");
  r.Mode = "LSB";
  r.VfoB = true;
  Poll();
  EXPECT_EQ(RigPortState.ModeText, "LSB");
  EXPECT_EQ(RigPortState.KenwoodRxVfo, "1");
  // Receiving on VFO B: the frequency goes to B.
  r.ClearReceived();
  RigSetFreqHz(7'025'000);
  EXPECT_EQ(r.Wire(), "FB00007025000;");
  // A short answer publishes nothing.
  r.CutReplyTo = 20;
  Poll();
  EXPECT_EQ(heard.hz.size(), 2);
}

TEST_F(TextCommands, Jst245ReadsStatusBetweenRemoteOnAndOff) {
  PtyTransceiver& r = Connect("JST-245");
  r.Mode = "LSB";
  EXPECT_EQ(Poll(), QList<QByteArray>({"H1\r", "I1\r", "I0\r", "H0\r"}));
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000}));
  EXPECT_EQ(heard.entryTexts.last(), "7.0250");
  EXPECT_EQ(heard.modes, QStringList({"LSB"}));
  r.ClearReceived();
  RigSetFreqHz(10'120'000);
  SetMode("1");  // the JST-245 has no mode command
  EXPECT_EQ(r.Wire(), "H1\rF10120000A\rH0\r");
  EXPECT_EQ(r.FreqHz, 10'120'000);
}

TEST_F(TextCommands, SettersOfEachModel) {
  PtyTransceiver& ft2000 = Connect("FT2000");
  SetMode("03");
  RigSetFreqHz(52'000'000);
  RigSetFreqHz(49'999'999);
  RigSwapVFO();
  EXPECT_EQ(ft2000.TextCommands(),
            QList<QByteArray>({"MD03;", "FA52000000;", "AN02;", "FA49999999;", "AN01;", "SV;"}));

  PtyTransceiver& ft991 = Connect("FT991");
  RigSetFreqHz(7'025'000);
  EXPECT_EQ(ft991.TextCommands(), QList<QByteArray>({"FA007025000;"}));

  PtyTransceiver& kenwood = Connect("KENWOOD");
  SetMode("2");
  RigSetFreqHz(7'025'000);
  RigSwapVFO();
  EXPECT_EQ(kenwood.Wire(), "MD2;\rFA00007025000;");
  EXPECT_EQ(kenwood.Mode, "USB");
}
