#pragma once
// The CAT port state: the transceiver settings of [RIG_CON_CFG] as the start-up read them, and what the
// port and the poll cycle keep between calls. One instance; `RigPortState = {}` resets it.

#include <QByteArray>
#include <QString>
#include <cstdint>

// One configured transceiver as [RIG_CON_CFG] describes it.
struct RigSetting {
  QString PortName = "NONE";     // RIGCOMCONT / RIGCOMCONT2: "COM3", or "NONE"
  QString RigModel = "Not Use";  // RIG_TYPE / RIG_TYPE2
  QString BaudText = "4800";     // BAUD_RATE / BAUD_RATE2
  QString StopBitText = "0";     // STOP_BIT / STOP_BIT2: "2" two stop bits, anything else one
  QString CivAddress = "00";     // ICOM_RIGadrs / ICOM_RIGadrs2: two hexadecimal characters
};

struct RigPortStateData {
  // Settings, rig 1 and rig 2 as stored; the current rig's values are the flat fields below.
  RigSetting Rig1;
  RigSetting Rig2{"NONE", "Not Use", "4800", "1", "00"};
  QString TwoRig = "NO";          // TWORIG: "YES" when a second rig is configured
  int32_t TrvIfFreqMhz = 22;      // TRVIFfreq, whole MHz
  int32_t PostWriteWaitMs = 100;  // Interval
  int32_t PollPeriodMs = 500;     // Poll_Time
  int32_t PollMode = 0;           // 2 = poll by the start window's timer (VFOCHECK "YesP"), 0 = once per open

  // The current rig (rig 1 after start-up): which of the two, and its settings.
  int32_t RigInUse = 1;
  QString PortName = "NONE";
  QString RigModel = "Not Use";
  QString BaudText = "4800";
  QString StopBitText = "0";
  QString CivAddress = "00";

  // The port and the last reading.
  int32_t PortHandle = -1;  // -1 while closed
  int32_t PortOpen = 0;     // 1 open, 0 closed
  int32_t CatBusy = 0;      // 5 while the CAT test window talks to the rig
  int32_t ReplyLength = 0;
  QString ModeCodeLsb, ModeCodeUsb, ModeCodeCw;
  QString StatusText;     // "" while the link is healthy
  int64_t FreqHz = 0;     // last frequency read, transverter offset included
  QString FreqText;       // last frequency as written into the QSO entry window
  QString ModeText;       // last mode read ("LSB", "USB", "CW")
  QString UseTrv = "No";  // USE_TRV: "Yes" / "No"
  QString TransverterOn = "0";
  int64_t TransverterOffsetHz = 22'000'000;  // TrvIfFreqMhz x 1,000,000
  int32_t ManualFreqFlag = 0;                // 1 while a typed or received frequency must not be overwritten
  int32_t LastPurgeResult = 0;
  QString KenwoodRxVfo;     // "1" after the KENWOOD answered FR1; (receiving on VFO B)
  QString ModeByFreqCode;   // the model's mode code that ModeByFreq chose
  QString SatMateMode;      // mode field of the last message from the satellite program
  int32_t TxShiftHz = 0;    // transmit offset last asked for by the companion program
  int32_t ZeroInHz = 0;     // zero-in offset of its last zero-in command
  int32_t WriteCount = 0;
  int32_t ReadCount = 0;
  QByteArray TxFrame;
  QString TxCommand;
  QByteArray RxBytes;
  QString RxText;

  // The current rig := rig `number` (1 or 2) with the settings `rig`.
  void UseRig(int32_t number, const RigSetting& rig) {
    RigInUse = number;
    PortName = rig.PortName;
    RigModel = rig.RigModel;
    BaudText = rig.BaudText;
    StopBitText = rig.StopBitText;
    CivAddress = rig.CivAddress;
  }
  void UseRig(int32_t number) { UseRig(number, number == 2 ? Rig2 : Rig1); }
};

inline RigPortStateData RigPortState;
