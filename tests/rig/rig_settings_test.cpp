#include <gtest/gtest.h>

#include "platform/profile.h"
#include "rig/RigPortState.h"
#include "rig/RigSettings.h"
#include "support/qt_print.h"
#include "support/temp_home.h"

namespace {

class RigSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { RigPortState = {}; }
  // Stores each key=value of [RIG_CON_CFG].
  void set(std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const auto& [key, value] : values)
      WritePrivateProfileString("RIG_CON_CFG", key, value, home.file("ORBEX5.INI"));
  }
  // The settings read; the failures named.
  static QStringList read() {
    QStringList failures;
    ReadRigSettings(failures);
    return failures;
  }
  TempHome home;
};

}  // namespace

TEST_F(RigSettingsTest, RigSettingsDefaults) {
  EXPECT_TRUE(read().isEmpty());
  const RigPortStateData& p = RigPortState;
  EXPECT_EQ(
      (QStringList{p.Rig1.PortName, p.Rig1.RigModel, p.Rig1.BaudText, p.Rig1.StopBitText, p.Rig1.CivAddress}),
      (QStringList{"NONE", "Not Use", "4800", "0", "00"}));
  EXPECT_EQ((QStringList{p.Rig2.StopBitText, p.Rig2.CivAddress, p.TwoRig, p.PortName}),
            (QStringList{"1", "00", "NO", "NONE"}));
  EXPECT_EQ((std::vector{p.PostWriteWaitMs, p.PollMode, p.TrvIfFreqMhz, p.PollPeriodMs}),
            (std::vector{100, 0, 22, 500}));
  EXPECT_EQ(p.TransverterOffsetHz, 22'000'000);
}

TEST_F(RigSettingsTest, RigSettingsAsStored) {
  const std::initializer_list<std::pair<const char*, const char*>> stored = {
      {"Interval", "50"},      {"ICOM_RIGadrs", "94"}, {"VFOCHECK", "YesP"},
      {"RIGCOMCONT", "COM3"},  {"RIG_TYPE", "ICOM"},   {"BAUD_RATE", "9600"},
      {"RIGCOMCONT2", "COM4"}, {"TWORIG", "yes"},      {"Poll_Time", "fast"},
  };
  set(stored);
  const QStringList failures = read();
  const RigPortStateData& p = RigPortState;
  EXPECT_EQ(p.PostWriteWaitMs, 50);
  EXPECT_EQ(p.PollMode, 2);
  EXPECT_EQ(p.PortName, "COM3");
  EXPECT_EQ(p.RigModel, "ICOM");
  EXPECT_EQ(p.BaudText, "9600");
  EXPECT_EQ(p.CivAddress, "94");
  EXPECT_EQ(p.Rig2.PortName, "NONE") << "a port without a model is no port";
  EXPECT_EQ(p.TwoRig, "NO");
  EXPECT_EQ(p.PollPeriodMs, 500);
  EXPECT_EQ(failures, QStringList({"[RIG_CON_CFG] Poll_Time=fast"}));
}

TEST_F(RigSettingsTest, WaitsAndTheTransverterIfBeyondTheirRangeAreNamedAndTheDefaultsTaken) {
  set({{"Interval", "-5"}, {"TRVIFfreq", "99999999"}, {"Poll_Time", "0"}});
  EXPECT_EQ(read(), QStringList({"[RIG_CON_CFG] Interval=-5", "[RIG_CON_CFG] TRVIFfreq=99999999",
                                 "[RIG_CON_CFG] Poll_Time=0"}));
  EXPECT_EQ(RigPortState.PostWriteWaitMs, 100);
  EXPECT_EQ(RigPortState.TrvIfFreqMhz, 22);
  EXPECT_EQ(RigPortState.PollPeriodMs, 500);
  set({{"Interval", "65535"}, {"TRVIFfreq", "0"}, {"Poll_Time", "1"}});
  EXPECT_TRUE(read().isEmpty());
  EXPECT_EQ(RigPortState.PollPeriodMs, 1);
}
