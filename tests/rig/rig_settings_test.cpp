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
  void set(const char* section, const char* key, const QString& value) {
    WritePrivateProfileString(section, key, value, home.file("ORBEX5.INI"));
  }
  TempHome home;
};

}  // namespace

TEST_F(RigSettingsTest, RigSettingsDefaults) {
  QStringList failures;
  ReadRigSettings(failures);
  const RigPortStateData& p = RigPortState;
  EXPECT_TRUE(failures.isEmpty());
  EXPECT_EQ(p.PostWriteWaitMs, 100);
  EXPECT_EQ(p.Rig1.CivAddress, "00");
  EXPECT_EQ(p.Rig2.CivAddress, "00");
  EXPECT_EQ(p.PollMode, 0);
  EXPECT_EQ(p.TrvIfFreqMhz, 22);
  EXPECT_EQ(p.TransverterOffsetHz, 22'000'000);
  EXPECT_EQ(p.Rig1.PortName, "NONE");
  EXPECT_EQ(p.Rig1.RigModel, "Not Use");
  EXPECT_EQ(p.Rig1.BaudText, "4800");
  EXPECT_EQ(p.Rig1.StopBitText, "0");
  EXPECT_EQ(p.Rig2.StopBitText, "1");
  EXPECT_EQ(p.TwoRig, "NO");
  EXPECT_EQ(p.PollPeriodMs, 500);
  EXPECT_EQ(p.PortName, "NONE");
}

TEST_F(RigSettingsTest, RigSettingsAsStored) {
  set("RIG_CON_CFG", "Interval", "50");
  set("RIG_CON_CFG", "ICOM_RIGadrs", "94");
  set("RIG_CON_CFG", "VFOCHECK", "YesP");
  set("RIG_CON_CFG", "RIGCOMCONT", "COM3");
  set("RIG_CON_CFG", "RIG_TYPE", "ICOM");
  set("RIG_CON_CFG", "BAUD_RATE", "9600");
  set("RIG_CON_CFG", "RIGCOMCONT2", "COM4");
  set("RIG_CON_CFG", "TWORIG", "yes");
  set("RIG_CON_CFG", "Poll_Time", "fast");
  QStringList failures;
  ReadRigSettings(failures);
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
  set("RIG_CON_CFG", "Interval", "-5");
  set("RIG_CON_CFG", "TRVIFfreq", "99999999");
  set("RIG_CON_CFG", "Poll_Time", "0");
  QStringList failures;
  ReadRigSettings(failures);
  EXPECT_EQ(RigPortState.PostWriteWaitMs, 100);
  EXPECT_EQ(RigPortState.TrvIfFreqMhz, 22);
  EXPECT_EQ(RigPortState.PollPeriodMs, 500);
  EXPECT_EQ(failures, QStringList({"[RIG_CON_CFG] Interval=-5", "[RIG_CON_CFG] TRVIFfreq=99999999",
                                   "[RIG_CON_CFG] Poll_Time=0"}));
  set("RIG_CON_CFG", "Interval", "65535");
  set("RIG_CON_CFG", "TRVIFfreq", "0");
  set("RIG_CON_CFG", "Poll_Time", "1");
  failures.clear();
  ReadRigSettings(failures);
  EXPECT_TRUE(failures.isEmpty());
  EXPECT_EQ(RigPortState.PollPeriodMs, 1);
}
