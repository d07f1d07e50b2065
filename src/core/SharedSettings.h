#pragma once
// Settings that the start-up reads once from ORBEX5.INI and every subsystem shares. The start window
// and the settings dialog write them; the rest of the program only reads them.

#include <QString>
#include <cstdint>

struct SharedSettingsState {
  QString DataFolder;           // [ORB] DataFol: where reports and lists are written
  int32_t ExtendedBandSet = 0;  // [ORB] exp_Band: 1 = 135 kHz .. 77 GHz bands as well
  QString JaOnly = "0";         // [ORB] JA_Only: "1" = Japanese codes only
  QString FreqErrReport;        // [ORB] FreqErrReport: "1" = show the frequency-error report
  QString MyCall;               // [ORB] MYCALL
};

extern SharedSettingsState Settings;
