#pragma once
// Tuning the rig: CW or SSB by band segment, the mode and frequency setters, the VFO exchange, and the
// companion program's RIT/XIT shifts and CW messages. Each runs as one exchange (RigLink.h), in the
// order they came, and sends nothing while the port is closed.

#include <QString>
#include <cstdint>
#include <functional>

// ModeByFreqCode := the model's CW, LSB or USB code for the frequency (MHz as text).
void ModeByFreq(const QString& mhzText);
// Hz as MHz with six decimals, the text ModeByFreq takes.
QString MhzText(int64_t hz);

// Told when a command was carried out (true: the rig took it) or refused (false: the reason went to the
// listeners' RigRefused, and nothing of it changed the rig). Called once, when the rig's exchange for it
// ran, after the commands queued before it.
using RigDone = std::function<void(bool taken)>;
// Tells `done` in the same turn a rig command would be told, for a command carried out or refused
// without the rig: its answer never overtakes those of the commands before it.
void RigAnswerInTurn(const RigDone& done, bool taken);

// The model's set-mode command; with SatMateMode "CW" the CW code replaces `code` (for the caller too).
void RigSetMode(QString& code);
// Sends the frequency with the model's digits, then starts polling again. A frequency the model cannot
// take (0 or below, more digits than its commands carry, outside the model's ranges) is refused:
// nothing is sent, false.
bool RigSetFreqHz(int64_t hz, const RigDone& done = {});
// The model's set-frequency command(s) for the digits.
void RigSetFreq(const QString& digits, const RigDone& done = {});
void RigSwapVFO();
// Tunes the rig to `hz`: polling stopped, the mode chosen for `hz` set, the transverter's offset taken
// off, the frequency sent (polling restarts). A frequency the model cannot take changes nothing.
void RigTuneTo(int64_t hz);

// The band command of an FT2000 / FT991 for a band column's heading ("7MHz" sends "BS03;"); other
// headings, other models and a closed port send nothing. True when the command is on its way.
bool RigSendBandCommand(const QString& heading);

// The companion program's commands. A command the model cannot take is refused before anything goes
// out: an offset wider than its command's digits, a shift on a model without XIT, a zero-in beyond its
// ranges, a CW text too long for it or not for its family, a closed port.
// XIT on with the offset (Hz), or off for 0: KENWOOD, FT2000 and FT991; other models have none to
// switch off (taken) nor on (refused).
void RigShiftRitXit(int32_t hz, const RigDone& done = {});
// The CW text or keyer-memory request for the current model's family.
void RigSendCwMessage(const QString& text, const RigDone& done = {});
void RigZeroIn(int32_t hz, const RigDone& done = {});
void RigTxShift(int32_t hz, const RigDone& done = {});
void RigXitOff(const RigDone& done = {});
