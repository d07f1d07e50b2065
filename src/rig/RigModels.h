#pragma once
// The transceiver models the CAT link knows: per model its protocol family, the length of its status
// reply, its mode codes, how its frequency is written and sent.

#include <QString>
#include <QStringList>
#include <cstdint>

enum class RigFamily { CiV, YaesuBinary, TextCommands };

struct RigModelInfo {
  const char* Name;
  RigFamily Family;
  int32_t ReplyLength;  // bytes or characters of the status read
  const char* Lsb;      // mode codes for setting
  const char* Usb;
  const char* Cw;
  int EntryDecimals;   // MHz decimals of the frequency shown in the QSO entry window
  int StatusDecimals;  // MHz decimals of the status-bar text (a point after the third)
  int FreqDigits;      // digits of the frequency in Hz handed to the setter
  bool VfoSwap;        // has a VFO exchange command
  int RitDigits;       // digits of a RIT/XIT offset; 0 = no RIT/XIT commands
  int64_t HighestHz;   // the top of what the models of this name tune
};

// The model of that exact name; nullptr for "Not Use" and every name not in the table.
const RigModelInfo* FindRigModel(const QString& name);

// The models in the order of the settings dialog's list, "Not Use" first.
QStringList RigModelChoices();

// True when a transceiver of `model` can be on `hz`: within its range or on an amateur band (a
// transverter's or an option's). Garbage on the line reads as a frequency that is neither.
bool RigCanTune(int64_t hz, const RigModelInfo& model);

// ReplyLength and the three mode codes of RigPortState for its RigModel; other names keep them.
void RigModelTable();

// The frequency as the QSO entry window shows it (MHz, "7.025" / "7.0250" / "7.025000").
QString RigEntryText(int64_t hz, const RigModelInfo& model);
// The frequency as the status bar shows it: "7.025.000" (Hz) or "7.025.00" (10 Hz).
QString RigStatusText(int64_t hz, const RigModelInfo& model);
