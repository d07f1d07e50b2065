#pragma once
// Band, call-sign and QSL-flag rules shared by every reader of the log.

#include <QString>
#include <QStringList>
#include <cstdint>

struct QsoRulesState {
  int32_t FreqErrorFound = 0;  // 1 once a frequency that fits no band was reported
  QString CallBase;
  QString CallAffix;
  QString CallDxFlag;            // "DX" or ""
  QString QslFlagCode = "0";     // HAMLOG's numeric QSL flag code as decimal text
  QString QslFlagText = "    ";  // its four-character form: "D", "C", "1", "2" at fixed places
};

extern QsoRulesState QsoRules;

// Calls whose first two characters are one of these are Japanese.
extern const QString JapanesePrefixes;

// The band label of a frequency text in MHz as HAMLOG stores it ("" when no band fits).
QString BandLabelOf(const QString& freq, bool extendedBandSet);

// The band label padded to 4 ("    " when no band fits) of an ASCII frequency text, trimmed.
const QString& PaddedBandOfAscii(const unsigned char* freq, int length, bool extendedBandSet);

// The band of a frequency text as a number, by the extended set's rules (a superset of the standard
// set's): 0 when no band fits. Whole-log copies keep this one number for both band sets.
int BandIndexOf(QStringView freq);
int BandIndexOfAscii(const unsigned char* freq, int length);
// The same for a frequency whose bytes the caller has looked through for a "/" (`slash`) already.
int BandIndexOfAscii(const unsigned char* freq, int length, bool slash);
// What the whole-log reading takes of such a frequency in one look: its band, as above, and for a text
// of up to eight digits and points (one point at most, six digits after it at most) its digits as one
// number and the place of the point.
struct FreqField {
  int band = 0;
  bool plain = false;  // such a text: digits and point hold
  uint32_t digits = 0;
  int point = -1;  // -1: none
};
FreqField ReadFreqField(const unsigned char* freq, int length, bool slash);
// The label of a band number padded to 4: "    " for 0, and in the standard set for the bands only the
// extended set has (10G, 24G, 47G, 77G, 135K, 475K), as those frequencies fit no band there.
const QString& PaddedBandLabel(int bandIndex, bool extendedBandSet);

// Sets Qso.QsoBand (padded to 4) from Qso.QsoFreq; false when no band fits.
bool SetBandOfFreq();
// Sets Qso.QsoBand; a frequency that fits no band is reported.
void FreqToBand();
// The report's line for a frequency that fits no band.
QString FreqErrorLine(int32_t recNo, QStringView freq);
// Appends lines to the frequency report (one open of the file for all of them).
void AppendFreqErrorReport(const QStringList& lines);
// While one lives, the report's lines are gathered and written in one go when it ends: a pass over the
// log may meet thousands of bad frequencies, and each would open the file again. Batches nest.
class FreqErrorReportBatch {
 public:
  FreqErrorReportBatch();
  ~FreqErrorReportBatch();
  FreqErrorReportBatch(const FreqErrorReportBatch&) = delete;
  FreqErrorReportBatch& operator=(const FreqErrorReportBatch&) = delete;
};
// Tells the operator that frequencies were reported and opens the report.
void ShowFreqErrorReport();

void SplitCallSign(const QString& call);

// The part of a call, as operators write it, that tells its DX entity: the prefix operated under
// ("EA8/DL1ABC", "JA1ABC/KH6", "F/JA1ABC"), else the home call with its area digit changed by a
// "/digit" ("W1ABC/6" is W6ABC); the ways of operating (/P, /M, /QRP, /B, /LH, /LGT) and whatever
// follows a "/digit" ("UA6IC/6/FF") are dropped.
// Aeronautical and maritime mobile (/AM, /MM) are in no entity.
// A whole call listed for one station ("AH2AV", "NH6BD/4") names it only as written, with or without
// its ways of operating, or as the home call when no area digit moved it ("TX4A/5" is TX5A by prefix).
struct DxCallKey {
  QString key;  // upper case; "" for an empty call
  bool noEntity = false;
  bool written = false;  // a prefix written beside the call: whole as it stands
  QStringList whole;     // the forms a whole call is matched in, in that order
};
DxCallKey DxKeyOfCall(const QString& call);

void QslFlagsToText(const QString& code);
QString QslTextToFlags(const QString& text);
