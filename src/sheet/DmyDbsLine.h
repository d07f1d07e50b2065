#pragma once
// One line of the progress work file DMYDBS.DAT: 31 single-byte characters and CR LF, so that line n
// is the fixed record of bytes (n-1) x 33 .. (n-1) x 33 + 32.
//
//   1      kind flag: "0" city (4 characters) or ward (6, ending in a digit), "1" gun, town, village
//   2-7    code, left-aligned, blank-padded      8-11  band label, left-aligned, blank-padded
//   12     received QSL mark                      13    QSL via character
//   14-23  HAMLOG record number, 10 digits        24-31 QSO date yyyymmdd

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

#include "platform/vbnumber.h"

inline constexpr int kDmyDbsRecordBytes = 33;
inline constexpr char kDmyDbsFileName[] = "DMYDBS.DAT";
// The key the file is sorted by: prefecture, kind flag, rest of the code, band, record number.
inline constexpr char kDmyDbsSortKey[] = "/k(2:2)(1:1)(4:4)(8:4)(14:10) /e";

// Program folder + "\DMYDBS.DAT".
QString DmyDbsPath();

// "0" or "1" by the code's length and last character; a six-character code ends in a digit or a
// lower character for "0", as in the code master, and in anything else for "1".
char DmyDbsKindFlag(const QString& code);
// The same from the code's length and last character.
char DmyDbsKindFlag(qsizetype length, char16_t last);

// Appends one line (33 bytes). Characters that do not fit one byte, and control characters, become
// "?" and blank so that every line keeps its width.
void AppendDmyDbsLine(QByteArray& out, const QString& code, const QString& band, const QString& received,
                      const QString& via, int32_t recordNumber, QStringView yyyymmdd);

// The same line from fields already in single-byte ASCII form (the whole-log reader's): 33 bytes
// written at `line`.
struct DmyDbsAsciiFields {
  char kindFlag;
  QByteArrayView code;
  QByteArrayView band;
  char received;
  char via;
  int32_t recordNumber;
  QByteArrayView yyyymmdd;
};
void WriteDmyDbsLine(char* line, const DmyDbsAsciiFields& fields);

// Fields of one fixed record (33 bytes; the last field holds the date and the line end).
struct DmyDbsRecord {
  QByteArrayView bytes;
  QByteArrayView KindFlag() const { return bytes.sliced(0, 1); }
  QByteArrayView Code() const { return bytes.sliced(1, 6); }
  QByteArrayView Band() const { return bytes.sliced(7, 4); }
  char Received() const { return bytes[11]; }
  char Via() const { return bytes[12]; }
  QByteArrayView RecordNumber() const { return bytes.sliced(13, 10); }
  QByteArrayView DateAndEnd() const { return bytes.sliced(23, 10); }
};

// True when the bytes are whole 33-byte lines that each end in CR LF and hold no other CR: the form
// that BuildDmyDbs writes, which the line-based and the fixed-record readings split alike.
bool IsPlainDmyDbs(QByteArrayView data);

// Sorts plain work-file bytes (IsPlainDmyDbs) by the work file's key, stably, as the file sort does.
QByteArray SortDmyDbsBytes(QByteArrayView data);
