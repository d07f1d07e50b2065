// Yaesu's binary models against the simulated rig.
#include <cstdlib>
#include <utility>

#include "rig/RigModels.h"
#include "rig/RigSetters.h"
#include "rig_fixture.h"

using YaesuBinary = RigLinkTest;

TEST_F(YaesuBinary, EachModelPollsAndDecodesFrequencyAndMode) {
  struct Case {
    const char* model;
    QList<QByteArray> frames;
    int64_t hz;
    const char* mode;
    const char* expectMode;  // what ModeText becomes
  };
  const QList<Case> cases = {
      {"FT767", {Hex("0000000000"), Hex("000000000B"), Hex("0000000001"), Hex("000000000B")}, 14'025'000, "CW", "CW"},
      {"FT920", {Hex("0000000210")}, 7'024'400, "USB", "USB"},
      {"FT900", {Hex("0000000210")}, 21'300'000, "AM", "AM"},
      {"FT1000MP", {Hex("0000000210")}, 3'520'000, "FM", "FM"},
      {"FT847", {Hex("0000000003")}, 430'100'000, "FM", "FM"},
      {"FT817", {Hex("0000000003")}, 50'150'000, "USB", "kept"},  // the FT817's mode is not read
  };
  for (const Case& c : cases) {
    PtyTransceiver& r = Connect(c.model);
    r.FreqHz = c.hz;
    r.Mode = c.mode;
    RigPortState.ModeText = "kept";
    EXPECT_EQ(Poll(), c.frames) << c.model;
    EXPECT_EQ(RigPortState.FreqHz, c.hz) << c.model;
    EXPECT_EQ(RigPortState.FreqText, QString::number(c.hz / 1e6, 'f', 4)) << c.model;
    EXPECT_EQ(RigPortState.ModeText, c.expectMode) << c.model;
  }
}

TEST_F(YaesuBinary, RepliesOfTheParts) {
  PtyTransceiver& r = Connect("FT847");
  const QList<std::pair<QByteArray, std::pair<int64_t, const char*>>> replies = {
      {Hex("0070250008"), {7'025'000, "FM"}}, {Hex("1407400082"), {140'740'000, "CW(N)"}}};
  for (const auto& [reply, expect] : replies) {
    r.Answer = [reply](const QByteArray&) { return std::optional<QByteArray>(reply); };
    Poll();
    EXPECT_EQ(RigPortState.FreqHz, expect.first);
    EXPECT_EQ(RigPortState.ModeText, expect.second);
  }
  Connect("FT920");
  rig->Answer = [](const QByteArray&) { return std::optional<QByteArray>(Hex("0000AB7E80") + QByteArray(23, '\0')); };
  Poll();
  EXPECT_EQ(RigPortState.FreqHz, 7'024'400);
}

TEST_F(YaesuBinary, ShortZeroOrBeyondTheModelRepliesAreFailedReadsSaidSo) {
  PtyTransceiver& r = Connect("FT1000MP");
  r.CutReplyTo = 15;
  RigPortState.ModeText = "USB";
  Poll();
  EXPECT_TRUE(heard.hz.isEmpty());
  EXPECT_EQ(RigPortState.ModeText, "USB");
  EXPECT_EQ(RigPortState.StatusText, "RIG Control Port-" + r.PortName() +
                                         " の応答が FT1000MP の形式ではありません (「リグコン関係の設定」の機種がつないだリグと合っているか確かめて下さい)");

  // Beyond the model (436.224 and 2409.659 MHz) or a zero tail, on each model: failed reads, said so.
  for (const auto& [model, head] : {std::pair{"FT1000MP", "00299A0000"}, {"FT1000MP", "00E5CD90C0"},
                                    {"FT900", "09"}, {"FT920", "09"}, {"FT1000MP", "09"}}) {
    const QByteArray answer = Hex(head).leftJustified(FindRigModel(model)->ReplyLength, '\0');
    Connect(model).Answer = [answer](const QByteArray&) { return std::optional<QByteArray>(answer); };
    Poll();
    EXPECT_TRUE(RigPortState.StatusText.contains(QString(" から ") + model + " にはない周波数 (")) << model << head;
  }
  EXPECT_TRUE(heard.hz.isEmpty());

  // The FT817 with a reply that is not BCD.
  Connect("FT817").Answer = [](const QByteArray&) { return std::optional<QByteArray>(Hex("0A70250000")); };
  Poll();
  EXPECT_TRUE(heard.hz.isEmpty());
}

TEST_F(YaesuBinary, AnFt817ReadingIsTakenOnlyWithItsModeByteOrTwiceTheSame) {
  PtyTransceiver& r = Connect("FT817");
  QByteArray reply;
  r.Answer = [&reply](const QByteArray&) { return std::optional<QByteArray>(reply); };
  const auto poll = [&](const char* hex) {
    reply = Hex(hex);
    Poll();
  };
  for (const char* garbage : {"0138952440", "0860656233", "1441000091"}) poll(garbage);  // BCD, no mode it sends
  EXPECT_TRUE(heard.hz.isEmpty()) << "stray bytes are no reading";
  Poll();
  EXPECT_EQ(heard.hz, QList<int64_t>({144'100'000})) << "the same five bytes twice";
  poll("0070250002");
  EXPECT_EQ(heard.hz.last(), 7'025'000) << "CW: a mode the rig sends";
  poll("0145000088");
  EXPECT_EQ(heard.hz.last(), 14'500'000) << "narrow FM";
}

TEST_F(YaesuBinary, AnFt817AnswerReadOutOfStepIsNeverShown) {
  QByteArray junk = Hex("44");  // one stray byte before the next answer, then 1 to 4 before every answer
  Connect("FT817").Answer = [&junk](const QByteArray&) {
    return std::optional<QByteArray>(std::exchange(junk, QByteArray()) + Hex("0070250002"));
  };
  Poll();
  Poll();
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000, 7'025'000}));
  for (unsigned seed = 1; seed <= 25; ++seed) {
    std::srand(seed);
    for (int n = 1 + std::rand() % 4; n > 0; --n) junk += char(std::rand() % 256);
    Poll();
  }
  EXPECT_EQ(heard.hz, QList<int64_t>(heard.hz.size(), 7'025'000)) << "a wrong frequency was shown";
}

TEST_F(YaesuBinary, AnotherModelsAnswerOnAnFt817IsNeverShownAndNamed) {
  // An FT-767's status of 7.025 MHz: its last five bytes would read as 2.570 MHz.
  QByteArray ft767(86, '\0');
  ft767.replace(81, 4, Hex("00257000"));
  ft767[79] = char(0xFA);
  PtyTransceiver& r = Connect("FT817");
  r.Answer = [&ft767](const QByteArray&) { return std::optional<QByteArray>(ft767); };
  for (int gapMs : {0, 0, 1}) {  // then byte by byte, as on a slow line
    r.ByteGapMs = gapMs;
    Poll();
    EXPECT_EQ(RigPortState.StatusText, "RIG Control Port-" + r.PortName() +
                                           " の応答が FT817 の形式ではありません (FT767 の応答と同じ長さ (86 バイト) "
                                           "です。「リグコン関係の設定」の機種がつないだリグと合っているか確かめて下さい)");
    RigPortState.StatusText.clear();
  }
  EXPECT_TRUE(heard.hz.isEmpty());
}

TEST_F(YaesuBinary, SettersSendTheFramesOfEachModel) {
  struct Case {
    const char* model;
    const char* code;
    QList<QByteArray> frames;  // mode, then frequency 7.025 MHz
  };
  const QList<Case> cases = {
      {"FT817", "00", {Hex("0000000007"), Hex("0070250001")}},
      {"FT847", "02", {Hex("0200000007"), Hex("0070250001")}},
      {"FT1000MP", "01", {Hex("000000010C"), Hex("002570000A")}},
      {"FT920", "02", {Hex("000000020C"), Hex("002570000A")}},
      {"FT900", "00", {Hex("000000000C"), Hex("002570000A")}},
      {"FT767", "10", {Hex("000000100A"), Hex("0025700008"), Hex("000000000B"), Hex("0000000100"), Hex("000000000B")}},
  };
  for (const Case& c : cases) {
    PtyTransceiver& r = Connect(c.model);
    r.FreqHz = 14'000'000;
    SetMode(c.code);
    RigSetFreqHz(7'025'000);
    EXPECT_EQ(r.Commands(), c.frames) << c.model;
    EXPECT_EQ(r.FreqHz, 7'025'000) << c.model;
  }
  PtyTransceiver& r = Connect("FT817");
  RigSwapVFO();
  EXPECT_EQ(r.Commands(), QList<QByteArray>({Hex("0000000081")}));
  PtyTransceiver& ft1000 = Connect("FT1000MP");
  RigSwapVFO();
  EXPECT_TRUE(ft1000.Commands().isEmpty());
  // 2.4 GHz has more digits than these models' commands carry: nothing is sent.
  EXPECT_FALSE(RigSetFreqHz(2'400'100'000));
  EXPECT_TRUE(ft1000.Commands().isEmpty());
}
