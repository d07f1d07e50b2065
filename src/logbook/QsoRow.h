#pragma once
// One QSO as a row of the QSO window or the log viewer: 19 cells taken from the record in Hamlog.Thw.
//   0 " " + record number ("00" at least), 1 call, 2 "", 3 date, 4 time, 5 his RST, 6 my RST,
//   7 frequency as stored, 8 mode, 9 code, 10 grid, 11 name, 12 QTH, 13-15 QSL via, sent, received,
//   16 remarks 1, 17 remarks 2, 18 "" (the viewer puts the record-number text there, the station list
//   the QSL flag text).

#include <QString>
#include <QStringList>
#include <cstdint>

inline constexpr int kQsoRowColumns = 19;

// Column-0 text of a record: a blank and the number, two digits at least.
QString RecordNumberText(int32_t recNo);
// The number a column-0 (or 18) text names; 0 for none.
int32_t RecordNumberOf(const QString& cell);

struct QsoRowFormat {
  QChar dateSeparator = '-';  // "YYYY-MM-DD" or "YYYY/MM/DD"
  bool keepPadding = false;   // cells keep the fields' trailing blanks (the viewer shows them so)
};

// The record must have been read into Hamlog.Thw. NULs are removed; the date is reformatted when it is
// a date and left as stored otherwise.
QStringList QsoRowOfRecord(int32_t recNo, const QsoRowFormat& format);
