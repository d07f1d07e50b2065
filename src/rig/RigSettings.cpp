#include "rig/RigSettings.h"

#include "core/SettingsStore.h"
#include "platform/vbnumber.h"
#include "rig/RigPortState.h"

namespace {

// A timer's longest interval, in ms; a wait or poll period beyond it is a damaged value.
constexpr int32_t kLongestWaitMs = 65535;
// A transverter's IF lies below 10 GHz.
constexpr int32_t kHighestIfMhz = 10000;

}  // namespace

void ReadRigSettings(QStringList& failures) {
  RigPortStateData& p = RigPortState;
  const QString interval = ReadIniOr("RIG_CON_CFG", "Interval", "100");
  p.PostWriteWaitMs = StoredNumber("RIG_CON_CFG", "Interval", interval, 100, 0, kLongestWaitMs, failures);
  // A missing address reads as the section name cut to two characters, "RI".
  auto address = [](const char* key) {
    const QString a = ReadIniOr("RIG_CON_CFG", key, "RIG_CON_CFG").left(2).leftJustified(2, u' ');
    return a == "RI" ? QString("00") : a;
  };
  p.Rig1.CivAddress = address("ICOM_RIGadrs");
  p.PollMode = ReadIniOr("RIG_CON_CFG", "VFOCHECK", "") == "YesP" ? 2 : 0;
  const QString trv = ReadIniOr("RIG_CON_CFG", "TRVIFfreq", "22");
  p.TrvIfFreqMhz = StoredNumber("RIG_CON_CFG", "TRVIFfreq", trv, 22, 0, kHighestIfMhz, failures);
  p.TransverterOffsetHz = int64_t{p.TrvIfFreqMhz} * 1'000'000;

  auto rig = [&](RigSetting& rig, const char* port, const char* type, const char* baud, const char* stop,
                 const char* oneStopBit) {
    const QString portName = ReadIniOr("RIG_CON_CFG", port, "0");
    rig.PortName = portName == "0" ? "NONE" : portName;
    const std::optional<QString> model = ReadIniKey("RIG_CON_CFG", type);
    rig.RigModel = model.value_or("Not Use");
    if (!model) rig.PortName = "NONE";
    rig.BaudText = ReadIniOr("RIG_CON_CFG", baud, "4800");
    rig.StopBitText = ReadIniOr("RIG_CON_CFG", stop, oneStopBit);
  };
  rig(p.Rig1, "RIGCOMCONT", "RIG_TYPE", "BAUD_RATE", "STOP_BIT", "0");
  p.Rig2.CivAddress = address("ICOM_RIGadrs2");
  rig(p.Rig2, "RIGCOMCONT2", "RIG_TYPE2", "BAUD_RATE2", "STOP_BIT2", "1");
  p.TwoRig = ReadIniOr("RIG_CON_CFG", "TWORIG", "") == "YES" ? "YES" : "NO";
  const std::optional<QString> poll = ReadIniKey("RIG_CON_CFG", "Poll_Time");
  p.PollPeriodMs =
      poll ? StoredNumber("RIG_CON_CFG", "Poll_Time", *poll, 500, 1, kLongestWaitMs, failures) : 500;
  p.UseRig(1);
}
