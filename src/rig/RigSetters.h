#pragma once
// Tuning the rig: CW or SSB by band segment, the mode and frequency setters, the VFO exchange, and the
// companion program's RIT/XIT shifts and CW messages. Each runs as one exchange (RigLink.h) and sends
// nothing while the port is closed.

#include <QString>
#include <cstdint>

// ModeByFreqCode := the model's CW, LSB or USB code for the frequency (MHz as text).
void ModeByFreq(const QString& mhzText);
// Hz as MHz with six decimals, the text ModeByFreq takes.
QString MhzText(int64_t hz);

// The model's set-mode command; with SatMateMode "CW" the CW code replaces `code` (for the caller too).
void RigSetMode(QString& code);
// Sends the frequency with the model's digits, then starts polling again. A frequency the model cannot
// take (0 or below, more digits than its commands carry, or one no transceiver of the model tunes) is
// not sent: StatusText says so, false.
bool RigSetFreqHz(int64_t hz);
// The model's set-frequency command(s) for the digits.
void RigSetFreq(const QString& digits);
void RigSwapVFO();
// Tunes the rig to `hz`: polling stopped, the mode chosen for `hz` set, the transverter's offset taken
// off, the frequency sent (polling restarts).
void RigTuneTo(int64_t hz);

// The band command of an FT2000 / FT991 for a band column's heading ("7MHz" sends "BS03;"); other
// headings, other models and a closed port send nothing. True when the command is on its way.
bool RigSendBandCommand(const QString& heading);

// XIT on with the offset (Hz), or off for 0: KENWOOD, FT2000 and FT991 only. An offset with more
// digits than the model's command carries is not sent: StatusText says so, false.
bool RigShiftRitXit(int32_t hz);
// The companion program's CW text or keyer-memory request for the current model's family. A text too
// long for the model is not sent: StatusText says so, false.
bool RigSendCwMessage(const QString& text);
// The companion program's commands; false when the rig was not given what was asked (out of range).
bool RigZeroIn(int32_t hz);
bool RigTxShift(int32_t hz);
void RigXitOff();
