#include "awards/CsvFields.h"

#include "platform/codepage.h"

namespace {

QByteArray owned(QByteArrayView v) { return v.toByteArray(); }
QString owned(QStringView v) { return v.toString(); }

// One reading for bytes and for text: the marks it looks for (blank, tab, quote, comma) are single
// bytes that no double-byte character of Windows-31J holds, so both give the same fields.
template <class View, class Field>
QList<Field> splitCsv(View line) {
  QList<Field> fields;
  const qsizetype n = line.size();
  qsizetype i = 0;
  const auto blank = [&](qsizetype k) { return line[k] == ' ' || line[k] == '\t'; };
  while (true) {
    while (i < n && blank(i)) ++i;
    Field field;
    if (i < n && line[i] == '"') {
      ++i;
      // Runs between quotes are taken whole; a doubled quote adds one quote and the run goes on.
      while (i < n) {
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
    fields.append(field);
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
  for (size_t i = 0; i < fields.size(); ++i) {
    const QString& f = fields[i];
    if (i > 0) out += u',';
    out += u'"';
    for (qsizetype from = 0;;) {
      const qsizetype quote = f.indexOf(u'"', from);
      if (quote < 0) {
        out += QStringView(f).sliced(from);
        break;
      }
      out += QStringView(f).sliced(from, quote + 1 - from);
      out += u'"';
      from = quote + 1;
    }
    out += u'"';
  }
}

QString QuotedCsvLine(const QStringList& fields) {
  qsizetype size = 0;
  for (const QString& f : fields) size += f.size() + f.count(u'"') + 3;
  QString out;
  out.reserve(size);
  AppendQuotedCsvLine(out, fields);
  return out;
}

bool IsAnsiText(QByteArrayView bytes) {
  // A byte sequence foreign to the code page does not survive the way through text and back.
  return ToAnsi(FromAnsi(bytes)) == bytes;
}
