// ICOM CI-V against the simulated rig: the frames sent, the replies taken frame by frame.
#include "rig/RigSetters.h"
#include "rig_fixture.h"

using Civ = RigLinkTest;

TEST_F(Civ, ReadsFrequencyAndModeWithAndWithoutTheBusEcho) {
  PtyTransceiver& r = Connect("ICOM");
  EXPECT_EQ(Poll(), QList<QByteArray>({Hex("FEFE94E003FD"), Hex("FEFE94E004FD")}));
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000}));
  EXPECT_EQ(heard.entryTexts, QStringList({"7.025"}));
  EXPECT_EQ(heard.statusBarTexts, QStringList({"7.025.000"}));
  EXPECT_EQ(heard.modes, QStringList({"CW"}));

  r.Echo = false;
  r.FreqHz = 145'000'000;
  r.Mode = "FM";
  Poll();
  EXPECT_EQ(heard.hz.last(), 145'000'000);
  EXPECT_EQ(RigPortState.ModeText, "FM");
}

TEST_F(Civ, AddressBelowHexTenIsFound) {
  PtyTransceiver& r = Connect("ICOM", "04");
  r.FreqHz = 3'505'060;
  Poll();
  EXPECT_EQ(heard.hz, QList<int64_t>({3'505'060}));
}

TEST_F(Civ, ModeBytesOutsideTheTableKeepTheMode) {
  PtyTransceiver& r = Connect("ICOM");
  r.Answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c == Hex("FEFE94E004FD")) return Hex("FEFEE09404120 1FD");
    if (c == Hex("FEFE94E003FD")) return Hex("FEFEE09403005002070 0FD");
    return std::nullopt;
  };
  RigPortState.ModeText = "USB";
  Poll();
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000}));
  EXPECT_EQ(RigPortState.ModeText, "USB");
  r.Answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c == Hex("FEFE94E004FD")) return Hex("FEFEE0940417FD");
    return std::nullopt;
  };
  Poll();
  EXPECT_EQ(RigPortState.ModeText, "DV");
}

TEST_F(Civ, GarbageAndPartialFramesPublishNothing) {
  PtyTransceiver& r = Connect("ICOM");
  const QList<QByteArray> bad = {
      Hex("FEFEE09403005002"),          // cut short
      Hex("0102030405FD"),              // no preamble
      Hex("FEFEE0A203005002070 0FD"),  // another rig's answer
      Hex("FEFEE094030050020AFD"),      // four data bytes
      Hex("FEFEE09403005A0207 00FD"),  // not BCD
      Hex("FEFEE094FAFD"),              // the rig's "NG"
  };
  for (const QByteArray& answer : bad) {
    r.Answer = [answer](const QByteArray&) { return std::optional<QByteArray>(answer); };
    r.Echo = false;
    Poll();
  }
  EXPECT_TRUE(heard.hz.isEmpty());
  EXPECT_EQ(RigPortState.StatusText, "RIG Control Port-" + r.PortName() +
                                         " の応答が ICOM の形式ではありません (「リグコン関係の設定」の機種がつないだリグと合っているか確かめて下さい)");
  // A frame of another rig on the bus before ours is passed over.
  r.Answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c == Hex("FEFE94E003FD")) return Hex("FEFEE0A20300000000 00FD FEFEE0940300500207 00FD");
    return std::nullopt;
  };
  Poll();
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000})) ;
}

TEST_F(Civ, ReadingsOutsideTheRangesAreFailedReads) {
  PtyTransceiver& r = Connect("ICOM");
  for (int64_t hz : {0, 300'000'000}) {
    r.FreqHz = hz;
    Poll();
    EXPECT_TRUE(RigPortState.StatusText.contains(" から ICOM にはない周波数 (" + QString::number(hz) + " Hz、0.03-"));
  }
  EXPECT_TRUE(heard.hz.isEmpty());
}

TEST_F(Civ, SettersSendTheirFrames) {
  PtyTransceiver& r = Connect("ICOM");
  RigSetFreqHz(7'025'000);
  SetMode("00");  // LSB
  RigSwapVFO();
  EXPECT_EQ(r.Commands(), QList<QByteArray>({Hex("FEFE94E0050050020700FD"), Hex("FEFE94E00600FD"),
                                             Hex("FEFE94E007B0FD")}));
  EXPECT_EQ(r.FreqHz, 7'025'000);
  EXPECT_EQ(r.Mode, "LSB");
  EXPECT_EQ(r.VfoSwaps, 1);

  // 5.76 GHz in five bytes; the 10 GHz band in six, and read back so.
  r.ClearReceived();
  EXPECT_TRUE(RigSetFreqHz(5'760'100'000) && RigSetFreqHz(10'368'100'000));
  EXPECT_EQ(r.Commands(), QList<QByteArray>({Hex("FEFE94E0050000106057FD"), Hex("FEFE94E005000010680301FD")}));
  Poll();
  EXPECT_EQ(heard.statusBarTexts.last(), "10368.100.000");
  EXPECT_FALSE(RigSetFreqHz(24'048'100'000));
  EXPECT_TRUE(heard.refusals.last().startsWith("RIG Control ICOM に 24048.100000 MHz は設定できません"));
}

TEST_F(Civ, AddressThatIsNotHexSendsNothing) {
  PtyTransceiver& r = Connect("ICOM", "94");
  RigPortState.CivAddress = "RI";
  EXPECT_TRUE(Poll().isEmpty());
  EXPECT_EQ(RigPortState.StatusText, "RIG Control ICOM アドレス RI が不正です");
  RigSwapVFO();
  EXPECT_TRUE(r.Commands().isEmpty());
}
