#pragma once
// The QSO lists behind the QSO window: every QSO of one code (optionally one band and mode) found
// through HAMLOG's code index, and every QSO of one station found through its call-sign order.
// When an index cannot be had (a read-only HAMLOG folder, a folder in its place), the operator is told
// why, once, and the QSOs are found by reading the log itself. The window shows what they return
// (forms/logbook/QSODATA).
//
//   QsoList list = ListAreaQsos("11009", 99, "MIX");
//   if (list.outcome == QsoList::Listed) ... list.rows, list.caption ... else ... list.notice ...

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

struct QsoList {
  enum Outcome {
    Listed,      // rows to show
    NoQso,       // nothing to list: `notice` says why, for the sheet's notice frame
    OpenFailed,  // HAMLOG could not be opened (already said)
    Busy,        // HAMLOG was open for another operation: nothing is done
    BadCall,     // the call holds characters no call sign has (said)
  };
  Outcome outcome = NoQso;
  std::vector<QStringList> rows;  // 19 cells each, in record order (the station list's 18: QSL flags)
  QString caption;                // the window's caption for the rows
  QString notice;
  int32_t unreadable = 0;  // records the index named that could not be read (skipped, counted in the caption)
  bool capped = false;     // the run filled every one of the 2,001 slots
};

inline constexpr int32_t kAllBands = 99;
inline constexpr int kAreaListSlots = 2001;

// `band`: FreqPCheck's band number, or kAllBands; `mode`: a mode name or "MIX". HAMLOG is closed
// afterwards on every path.
QsoList ListAreaQsos(const QString& key, int32_t band, const QString& mode);

// Japanese calls: their first two characters are one of the Japanese prefixes.
bool IsJapaneseCall(const QString& call);
// Drops one portable suffix ("/P", "/R", "/MM", "/QRP", tested in that order) wherever it occurs,
// and for a Japanese station whatever follows its first "/".
QString NormaliseCallSign(const QString& call, bool japanese);

// `call` is normalised in place. In QSL-check mode (LogWindowState.QslCheckMode) only the QSOs whose
// card has not come are listed. Leaves HAMLOG closed; returns Busy at once while it is open.
QsoList ListStationQsos(QString& call);

// Tells the operator, once per run, that HAMLOG's index files were missing or out of step and had to
// be built again (by this run's opens, the start-up's included).
void TellIndexRebuildOnce();

struct QsoListState {
  bool IndexRebuildTold = false;
  QStringList IndexProblemsTold;  // the index problems said so far
};
extern QsoListState QsoListShared;
