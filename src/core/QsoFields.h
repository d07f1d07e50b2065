#pragma once
// The values of the current QSO, taken from the HAMLOG record last read. Kept apart from the
// access layer and the band rules because each of those reads what the other writes.

#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

struct QsoFieldsState {
  int32_t QsoRecNo = 0;  // set by the callers before a read
  QString QsoCall;
  QString RawDate;  // field 2 exactly as delivered, 8 characters ("YY/MM/DD")
  QString QsoDate;  // "YYYY-MM-DD"; empty when the raw date is no date
  QString QsoTime;  // 6 characters as delivered: "hh:mm" + "J" (JST) or "U" (UTC)
  QString HisRst;
  QString MyRst;
  QString QsoFreq;           // frequency text in MHz
  QString QsoBand = "    ";  // band label padded to 4 characters; blanks when no band fits
  QString QsoMode;
  QString CodeFixed;  // the code as a fixed 6-character text
  QString QsoCode;    // the code trimmed
  QString GridLocator;
  QString QsoName;
  QString QsoQth;
  QString QslVia;       // QSL character 1, one character
  QString QslSent;      // QSL character 2
  QString QslReceived;  // QSL character 3, one character
  QString Remarks1;
  QString Remarks2;
};

extern QsoFieldsState Qso;

// True when the reader turned the record's date into "YYYY-MM-DD" (a text that is no date is left raw).
inline bool QsoDateIsValid(const QString& qsoDate) {
  return qsoDate.size() == 10 && qsoDate[4] == u'-' && qsoDate[7] == u'-';
}

// What the operator is told of a record whose date is no date; the record is passed over.
QString BadQsoDateMessage(int32_t recNo, const QString& rawDate);
// One message for all such records of a reading (record number, date as stored; ascending): the one
// above for a single record, else their count and the first of them.
QString BadQsoDatesMessage(const std::vector<std::pair<int32_t, QString>>& records);
