#include "awards/CsvFields.h"

#include <algorithm>

#include "platform/codepage.h"

namespace {

QByteArray owned(QByteArrayView v) { return v.toByteArray(); }
QString owned(QStringView v) { return v.toString(); }

// One reading for bytes and for text: the marks it looks for (blank, tab, quote, comma) are single
// bytes that no double-byte character of Windows-31J holds, so both give the same fields.
template <class View, class Field>
QList<Field> splitCsv(View line) {
  QList<Field> fields;
  fields.reserve(8);
  const qsizetype n = line.size();
  qsizetype i = 0;
  const auto blank = [&](qsizetype k) { return line[k] == ' ' || line[k] == '\t'; };
  while (true) {
    while (i < n && blank(i)) ++i;
    Field field;
    if (i < n && line[i] == '"') {
      ++i;
      // Mostly the field is one run up to its closing quote: taken as it is.
      const qsizetype close = line.indexOf('"', i);
      const bool oneRun = close >= 0 && (close + 1 == n || line[close + 1] != '"');
      if (oneRun) {
        if (close > i) field = owned(line.sliced(i, close - i));
        i = close + 1;
      }
      // Runs between quotes are taken whole; a doubled quote adds one quote and the run goes on.
      while (!oneRun && i < n) {
        const qsizetype quote = line.indexOf('"', i);
        const qsizetype stop = quote < 0 ? n : quote;
        field.append(line.sliced(i, stop - i));
        i = stop;
        if (i >= n) break;
        if (i + 1 < n && line[i + 1] == '"') {
          field.append('"');
          i += 2;
          continue;
        }
        ++i;
        break;
      }
      while (i < n && line[i] != ',') ++i;
    } else {
      const qsizetype start = i;
      while (i < n && line[i] != ',') ++i;
      qsizetype end = i;
      while (end > start && blank(end - 1)) --end;
      field = owned(line.sliced(start, end - start));
    }
    fields.append(std::move(field));
    if (i >= n) break;
    ++i;  // the comma: another field follows, empty at the line end
  }
  return fields;
}

}  // namespace

QList<QByteArray> SplitCsvBytes(QByteArrayView line) { return splitCsv<QByteArrayView, QByteArray>(line); }

QList<QString> SplitCsvText(QStringView line) { return splitCsv<QStringView, QString>(line); }

QString CsvLine(const QStringList& fields) {
  QStringList out;
  out.reserve(fields.size());
  for (const QString& f : fields) {
    const bool quote = f.contains(u',') || f.contains(u'"') || f.startsWith(u' ') || f.endsWith(u' ');
    out << (quote ? u'"' + QString(f).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"' : f);
  }
  return out.join(u',');
}

void AppendQuotedCsvLine(QString& out, std::span<const QString> fields) {
  if (fields.empty()) return;
  qsizetype size = qsizetype(fields.size()) * 3 - 1;
  for (const QString& f : fields) size += f.size() + f.count(u'"');
  const qsizetype at = out.size();
  out.resize(at + size);
  // Written in place: one size check for the line rather than one for each piece.
  QChar* p = out.data() + at;
  for (size_t i = 0; i < fields.size(); ++i) {
    const QString& f = fields[i];
    if (i > 0) *p++ = u',';
    *p++ = u'"';
    for (qsizetype from = 0;;) {
      const qsizetype quote = f.indexOf(u'"', from);
      const qsizetype stop = quote < 0 ? f.size() : quote + 1;
      p = std::copy(f.constData() + from, f.constData() + stop, p);
      if (quote < 0) break;
      *p++ = u'"';
      from = stop;
    }
    *p++ = u'"';
  }
}

QString QuotedCsvLine(const QStringList& fields) {
  QString out;
  AppendQuotedCsvLine(out, fields);
  return out;
}

bool IsAnsiText(QByteArrayView bytes) {
  // A byte sequence foreign to the code page does not survive the way through text and back.
  return ToAnsi(FromAnsi(bytes)) == bytes;
}
