#pragma once
// What the award sheets share: which sheet the award sheet window shows, the member list's tag and
// switches, and the mode classes that turn a logged mode into one of the letters P, C, S, R, F
// ([ACCCFG] of the settings file).

#include <QString>
#include <cstdint>

struct AwardSheetsState {
  int32_t SheetKind = 0;        // 1 ACC/JAG members, 2 SQUARE-75, 3 SUBSQUARE-100, 4 WASA, 5 DXCC
  QString MemberTag;            // "ACC#" or "JAG#"
  int32_t MemberWkdMode = 0;    // 0 confirmed QSOs only, 1 worked ones too; 0 at every start
  int32_t MemberLineCount = 0;  // lines of the member list
};
extern AwardSheetsState AwardSheets;

// Comma lists of HAMLOG mode names per class.
struct ModeClassLists {
  QString PhoneModes = "SSB,AM,FM";
  QString CwModes = "CW";
  QString SstvModes = "SSTV";
  QString RttyModes = "RTTY,RTY,PSK31,PSK";
  QString FaxModes = "FAX";
  bool operator==(const ModeClassLists&) const = default;
};

// [ACCCFG] PHONE, CW, SSTV, RTTY, FAX; a missing key takes its default.
ModeClassLists ReadModeClassLists();
// Writes the five lists, blanks around each list dropped (blanks inside stay as typed).
void WriteModeClassLists(const ModeClassLists& lists);
