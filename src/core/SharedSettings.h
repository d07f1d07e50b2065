#pragma once
// Settings that the start-up reads once from ORBEX5.INI, and the reading conditions of the start
// window, shared by every subsystem. The start window and the settings dialog write them; the rest of
// the program reads them. One instance each, so a test resets them with `Settings = {}`.

#include <QString>
#include <array>
#include <cstdint>

struct SharedSettingsState {
  QString HelpFilePath;                      // program folder & "/help": the help pages
  QString DataFolder;                        // [ORB] DataFol: where reports and lists are written
  int32_t ExtendedBandSet = 0;               // [ORB] exp_Band: 1 = 135 kHz .. 77 GHz bands as well
  QString FreqErrReport = "0";               // [ORB] FreqErrReport: "1" = show the frequency-error report
  QString AwardEntryPageUrl;                 // [JARL] JARLwebS
  QString QslRcvOnly = "NO";                 // [ORB] QSL_RCVa: "YES" = any non-blank received mark confirms
  QString LastExtractedRecord;               // [ORB] LASTP as read (the section name when missing)
  QString Rst599;                            // [ORB] RST599
  int32_t HisRstDefault = 0;                 // [LASTCONDX] HisRST
  int32_t MyRstDefault = 0;                  // [LASTCONDX] MyRST
  QString MyCall;                            // [ORB] MYCALL
  QString WantedListType = "1";              // [ORB] WNTP: "1" text, "2" listening list, "3" CSV
  int32_t UseOwnQthData = 0;                 // [ORB] UseorgQTH
  std::array<QString, 15> QslReceivedMarks;  // [ORB] QSL_RCV, QSL_RCV1 .. QSL_RCV14
  QString QslProgramPath;                    // [ORB] HLQSL
  int32_t QslProgramSet = 0;
  QString EditorPath;         // [ORB] Editor
  QString StoredHdbDate;      // [ORB] DBSDate as read
  QString CurrentHdbDate;     // modification time of HAMLOG.HDB at start-up
  QString MmqslDefFile;       // [ORB] MMQSL
  QString QslSendMark;        // [ORB] QSLSendMark
  QString ModeCount = "0";    // [ORB] MODEC
  QString DigitalModes;       // [ORB] DigitalMode: names, each followed by ","
  QString JaOnly = "0";       // [ORB] JA_Only: "1" = Japanese codes only
  QString HamlogShare = "0";  // [ORB] "HL share"
  int32_t HamlogShareResult = 0;
  // [E-QSL] and the QSL-mark settings of the electronic QSL files.
  QString HamLogQslMark;  // [ORB] HamLogQSLMK
  QString Hlyn = "YES";   // [ORB] HLYN
  int32_t HlynConfirm = 1;
  QString PutQsoData;  // [E-QSL] PutQSOData
  int32_t EqslReady = 0;
  QString EqslType = "0";  // [E-QSL] eQSL_type
  QString EqslMark = "N";  // [E-QSL] eQSL_Mark
  QString EqslMesg;        // [E-QSL] eQSL_Mesg
};

extern SharedSettingsState Settings;

// The conditions under which HAMLOG is read, fixed by the start button.
struct ReadConditionsState {
  QString StartDate = "19520729";           // yyyymmdd
  QString EndDate = "99999999";             // yyyymmdd
  std::array<QString, 5> ExcludedQslKinds;  // one character each; empty excludes nothing
  QString SelMode = "MIX";                  // "MIX" all modes, "DIGITAL" the DigitalModes, else one mode
};

extern ReadConditionsState ReadConditions;

// Flags of the start window that the sheet and the long jobs share.
struct StartFlagsState {
  int32_t StartWithPreviousData = 0;  // "前回データで起動" ticked
  int32_t AbortReading = 0;           // Esc on the start window; tested by every long scan
  int32_t ReadStatusCode = 0;
  int32_t InterruptCode = 0;
  int32_t CfgFromSettings = 0;
  // The tips window's opener sets these before showing it.
  QString TipsPath;           // "ORBEX_TopTips.TXT" or "ORBEX_Tips.TXT", in the program folder
  int32_t TipsMode = 0;       // 1 start-window tips (TopTips_DISP), 2 sheet tips (Tips_DISP)
  int32_t TipsOnRequest = 0;  // 1 opened from a menu: shown whatever the switch says
};

extern StartFlagsState StartFlags;

// The call sign of the progress sheet's call box, upper case and trimmed, as its last non-empty change
// left it; the entry and QSO windows read it.
struct CallBoxState {
  QString StationCall;
};

extern CallBoxState CallBox;
