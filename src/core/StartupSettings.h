#pragma once
// The start-up's work on the settings file ORBEX5.INI: the one-time clean-up of an old file, the three
// internet-shortcut files, and reading every shared setting with its default (and the few write-backs)
// into the shared state. No window code: what the start window shows comes back in StartupReading.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

#include "platform/vbnumber.h"

// What the settings ask the start window to show.
struct StartupBoxes {
  std::array<QString, 5> QslBoxes{"P", "", "", "", ""};  // Text1 .. Text5: excluded QSL categories
  QString ModeBox = "MIX";                               // Text6
  QString ModeListText = "MIX";                          // Combo1's text
  QStringList ModeListItems;                             // Combo1's items: stored modes, "DIGITAL"
  QString StartDateBox = "19520729";                     // Text7
  bool OwnQthLabel = false;                              // Label4 "独自のQTHデータが「有効」"
};

struct StartupReading {
  StartupBoxes Boxes;
  bool HamlogExeMissing = false;  // [ORB] HAMLOGexePOS names no HAMLOG program: the rest was not read
  bool HamlogPosMissing = false;  // [ORB] HAMLOGPOS absent
  bool MyCallMissing = false;     // [ORB] MYCALL absent: a first run
  QString LoadedStartDate;
  // Stored values that could not be used, one "[SECTION] key=value" line each; their defaults were
  // taken and the file was left as it is.
  QStringList Failures;
};

// Reads the settings in their order, from [ORB] DataFol to [ORB] DigitalMode, into Settings,
// ReadConditions, Hamlog, MasterList, DisplayItems and ShownBands; creates the data folder; writes back
// DataFol, JARLwebS and [DISPBAND_ITEM] where the rules say so. Runs ApplyBandSetLayout once the band
// set is known.
StartupReading ReadStartupSettings();

// 1 when the QSL program is one the program can drive (HLQSLN.EXE or MMQSL.EXE in the path), else 0.
int32_t QslProgramSetOf(const QString& qslProgramPath);

// [ORB] "HL share" into Settings.HamlogShare ("1" or "0").
void ReadHamlogShareSetting();

// Removes the keys of an old viewer window section ([VIEWwwwPOS]) from ORBEX5.INI, once: [ORB] IM = "1"
// marks it done. A failed read or write leaves IM unset, so the next start tries again.
void CleanIniViewPos();

// This program's version: major, minor, revision.
inline constexpr int kProgramVersionMajor = 5;
inline constexpr int kProgramVersionMinor = 0;
inline constexpr int kProgramVersionRevision = 0;
// The application's version text ("5.0.0"), set once at start for every window that shows it.
QString ProgramVersionText();

// A web address whose real host is not known here, as stored by the operator: an https address as it
// stands, an http one as https of the same host, "" when nothing is stored. Never a made-up host.
QString KeptWebAddress(const QString& stored);

// go_MOX.url, eQSLcchomepage.url and QSOBANK.url in the program folder; the maker's page and the
// QSOBank page keep the address their files hold (KeptWebAddress), empty when there is none.
void WriteInternetShortcuts();

// The HAMLOG library version as a whole number (503 for 5.03): the hexadecimal digits of the library's
// answer read as a decimal number, divided by 100, rounded half to even. Digits A-F give nothing.
std::optional<int32_t> ThdllVersionNumber(int32_t raw);

// Most stored modes ([ORB] MODEC) the start-up reads; a larger count is taken for a damaged value.
inline constexpr int32_t kModeCountLimit = 999;

// Addresses the start-up writes and restores.
inline constexpr char kAwardEntryPageUrl[] = "https://www.jarl.org/page/award/AwardEntry.aspx";
// [JARL] JARLcommittee when it is missing: the league's award committee.
inline constexpr char kAwardCommitteePageUrl[] = "https://www.jarl.org/award/index.html";
