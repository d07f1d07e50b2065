#pragma once
// Comma-separated lines of the award files: one line into its fields, fields into one line.
//
// Reading follows the sequential-file input of the Windows programs that share these files (blanks
// around an unquoted field dropped, a quoted field ends at its closing quote, anything after it up to
// the comma dropped) and reads a doubled quote inside a quoted field as one quote, so that a field
// written by CsvLine comes back as it was.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>

// The fields of one line (its Windows-31J bytes, without the line end). An empty line has one empty
// field.
QList<QByteArray> SplitCsvBytes(QByteArrayView line);
// The same fields from the line's text (decoded from Windows-31J as a whole).
QList<QString> SplitCsvText(QStringView line);

// The fields joined by commas; a field holding a comma or a double quote (or starting or ending in a
// blank) is enclosed in quotes with its quotes doubled.
QString CsvLine(const QStringList& fields);

// Every field in double quotes with its quotes doubled, joined by commas: the form of the files that
// quote every field, which SplitCsvBytes reads back as it was.
QString QuotedCsvLine(const QStringList& fields);
// The same line appended to `out` (many lines built in one buffer).
void AppendQuotedCsvLine(QString& out, std::span<const QString> fields);

// True when the bytes decode to text without a sequence foreign to Windows-31J.
bool IsAnsiText(QByteArrayView bytes);
