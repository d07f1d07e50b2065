#pragma once
// The spot relay: on every tick of the start window's poll timer, the transceiver's frequency and
// mode and the progress sheet's call sign and code go to the JCV/HWCV spot program, when it runs.
//
//   RelaySpot(RigPortState.FreqHz, sheet->Text3.text(), sheet->Label1.text(), RigPortState.ModeText);

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

// The title under which the spot program listens.
inline constexpr char kSpotProgramTitle[] = "SendSpot for JCV/HWCV";

// The four messages of one tick, in order (frequency, call, code, mode): tag and value in
// Windows-31J, as many bytes of the 256-byte blank-padded text as the receiver is told to read.
QList<QByteArray> SpotMessages(int64_t freqHz, const QString& call, const QString& code, const QString& mode);

// Sends the four messages when the spot program listens; false (and nothing sent) when it does not.
bool RelaySpot(int64_t freqHz, const QString& call, const QString& code, const QString& mode);
