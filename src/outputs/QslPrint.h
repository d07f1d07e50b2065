#pragma once
// QSL card printing of one QSO: through MMQSL's automation object, or by handing the QSO to another QSL
// program (WORK2.DAT beside it, started with the argument LINK). The print buttons and menus of the
// sheet, the log window, the log viewer and the QSO window all come here.
//
//   QslCardQso q = ...;                        // the values the window shows, record number included
//   switch (PrintQslCard(q)) { case QslPrintResult::HandedOver: ... }
//
// The MMQSL path asks afterwards whether to set the QSL-sent mark in HAMLOG. On Linux MMQSL cannot be
// driven: the operator is told so and the QSO stays unmarked.

#include <QString>
#include <cstdint>

struct QslCardQso {
  QString Date;  // "YYYY-MM-DD" (the station list's "YYYY/MM/DD" is taken as well)
  QString Time;  // "hh:mm" followed by "J" (JST) or "U" (UTC)
  QString Call, HisRst, Freq, Mode, Name, Qth;
  QString Via, Sent, Received;  // the three QSL characters
  QString Remarks1, Remarks2;
  int32_t RecNo = 0;
};

struct QslPrintState {
  // How long a print through MMQSL may take to report its end before it is given up.
  int32_t PrintWaitMs = 120000;
};
extern QslPrintState QslPrint;

enum class QslPrintResult {
  Failed,       // a message said why; nothing was handed over
  Mmqsl,        // the MMQSL path ran (printed, declined or told why not); the QSO is unmarked
  MarkedSent,   // printed through MMQSL and the operator had the sent mark set in HAMLOG
  HandedOver,   // WORK2.DAT written and the other QSL program started
};

// MMQSL is meant when the path names MMQSL.EXE.
bool IsMmqslProgram(const QString& programPath);
// The QTH without the abolished-code mark "*" and what follows it.
QString QthBeforeAbolishedMark(const QString& qth);
// WORK2.DAT in the QSL program's own folder.
QString Work2DatPath(const QString& programPath);

// MMQSL's log line: date "yy.mm.dd" and time "hhmm" in JST, then call, his RST, frequency, mode, an
// empty field, name, QTH, via, sent, received, each followed by a comma. "" when date or time is no
// date or time.
QString MmqslLogLine(const QslCardQso& q);
// The via handed to MMQSL: for "M" the seven characters from an "@" in remarks 1 or else remarks 2.
QString MmqslVia(const QString& via, const QString& remarks1, const QString& remarks2);

// Prints through the program of Settings.QslProgramPath. HAMLOG is closed first.
QslPrintResult PrintQslCard(const QslCardQso& qso);
// True when the QSL-sent mark was set in HAMLOG.
bool PrintQslWithMmqsl(const QslCardQso& qso);

// One line of the print history QSLAGN.DAT in the data folder. False when it could not be written.
struct QslReissueRecord {
  QString PrintDate;  // "YYYY-MM-DD"
  int32_t RecNo = 0;
  QString Call;
  QString QsoDate;    // "yyyy-mm-dd"
  QString Mode;
  QString Code;       // the six-character code, blanks kept
  QString Qth;
};
bool AppendQslReissue(const QslReissueRecord& record);
