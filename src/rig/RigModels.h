#pragma once
// The transceiver models the CAT link knows: per model its protocol family, the length of its status
// reply, its mode codes, how its frequency is written and sent.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

enum class RigFamily { CiV, YaesuBinary, TextCommands };

// One stretch of frequencies a transceiver tunes, Hz, both ends included; {0, 0} is no stretch.
struct RigRange {
  int64_t Low, High;
};

struct RigModelInfo {
  const char* Name;
  RigFamily Family;
  int32_t ReplyLength;  // bytes or characters of the status answer, its terminator included
  const char* Lsb;      // mode codes for setting
  const char* Usb;
  const char* Cw;
  int EntryDecimals;   // MHz decimals of the frequency shown in the QSO entry window
  int StatusDecimals;  // MHz decimals of the status-bar text (a point after the third)
  int FreqDigits;      // digits of the frequency in Hz handed to the setter, as many as its command carries
  bool VfoSwap;        // has a VFO exchange command
  int RitDigits;       // digits of a RIT/XIT offset; 0 = no RIT/XIT commands
  // What the transceivers of this name tune, by their makers' published coverage (for a family name,
  // the coverage of its models together, options included).
  std::array<RigRange, 6> Ranges;
};

// The model of that exact name; nullptr for "Not Use" and every name not in the table.
const RigModelInfo* FindRigModel(const QString& name);

// The models in the order of the settings dialog's list, "Not Use" first.
QStringList RigModelChoices();

// True when `hz` lies in one of the model's ranges: what may be sent to it.
bool RigInRange(int64_t hz, const RigModelInfo& model);
// Another model of the same protocol family whose status answer is `length` bytes long (and this
// model's is not); "" when none is.
QString RigModelWithAnswerLength(const RigModelInfo& model, qsizetype length);
// The model's ranges as the operator reads them ("0.03-60, 142-152 MHz").
QString RigRangeText(const RigModelInfo& model);

// ReplyLength and the three mode codes of RigPortState for its RigModel; other names keep them.
void RigModelTable();

// The frequency as the QSO entry window shows it (MHz, "7.025" / "7.0250" / "7.025000").
QString RigEntryText(int64_t hz, const RigModelInfo& model);
// The frequency as the status bar shows it: "7.025.000" (Hz) or "7.025.00" (10 Hz).
QString RigStatusText(int64_t hz, const RigModelInfo& model);
