#pragma once
// The operator's mode list of the start window: the stored modes in [ORB] MODEC and MODE1 .. MODEn,
// the check of a typed name, and the collection of every mode that occurs in HAMLOG. The window holds
// the list ("MIX", the stored modes, "DIGITAL"); this file keeps the settings in step with it.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

// Longest mode name the operator may type.
inline constexpr int kModeNameLength = 4;

// Writes MODEC and MODE1 .. MODEn for the stored modes in list order (as given) and sets
// Settings.ModeCount. False when ORBEX5.INI could not be written.
bool StoreModes(const QStringList& stored);

// Why a typed mode name cannot be stored ("" when it can): empty, longer than four characters, or
// holding anything but the letters A-Z and digits (a comma would break the DIGITAL list).
QString ModeNameProblem(const QString& name);

// Whether a QSO of `mode` falls under the reading mode `readingMode`: "MIX" takes every mode,
// "DIGITAL" every mode named in the DIGITAL list (Settings.DigitalModes, a text search as the sheet's
// tally does it), any other text only that mode.
bool ModeInReadingMode(const QString& mode, const QString& readingMode);

// Reads the mode of every HAMLOG record, 1 .. Hamlog.HdbRecordCount, and calls `found` with each mode
// (trimmed, as HAMLOG holds it) that is neither empty nor in `known` nor found before, in order of
// first occurrence. The log must be open. False when a record could not be read (the reader told the
// operator); the modes found up to it have been reported.
bool CollectHamlogModes(const QStringList& known, const std::function<void(const QString&)>& found);
