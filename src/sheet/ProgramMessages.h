#pragma once
// Text commands that other programs send to the progress sheet: the companion rig program
// ("ORBEX5wf..."), the satellite program ("SatMate+...") and spot senders ("call+code+x+MHz+mode").
// Parsing only; the sheet carries them out.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

struct ProgramMessage {
  enum class Kind { RigNumber, ZeroIn, TxShift, XitOff, CompanionClosed, CwMessage, SatMate, Spot, Unusable };
  Kind kind = Kind::Unusable;
  QString text;        // the argument of a companion command (number, rig digit, CW text)
  int32_t hz = 0;      // ZeroIn / TxShift
  QStringList fields;  // SatMate and spot: the text split at "+"
  QString problem;     // Unusable: why, in the operator's words
};

// The message as received: Windows-31J bytes, NULs removed, blanks trimmed. A companion command whose
// number is no number, a spot or satellite message with too few fields, and a message holding a byte
// that is no Windows-31J character (named as sent, "0xFF") come back Unusable.
ProgramMessage ParseProgramMessage(const QByteArray& bytes);

// The fields of a satellite message that the sheet and the entry window use.
inline constexpr int kSatMateFreqField = 1, kSatMateModeField = 2, kSatMateRemarks1Field = 3,
                     kSatMateRemarks2Field = 4, kSatMateCallField = 7, kSatMateCodeField = 8,
                     kSatMateLogField = 9;
// And of a spot.
inline constexpr int kSpotCallField = 0, kSpotCodeField = 1, kSpotFreqField = 3, kSpotModeField = 4;
