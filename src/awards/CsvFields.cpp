#include "awards/CsvFields.h"

#include "platform/codepage.h"

QList<QByteArray> SplitCsvBytes(QByteArrayView line) {
  QList<QByteArray> fields;
  const qsizetype n = line.size();
  qsizetype i = 0;
  const auto blank = [&](qsizetype k) { return line[k] == ' ' || line[k] == '\t'; };
  while (true) {
    while (i < n && blank(i)) ++i;
    QByteArray field;
    if (i < n && line[i] == '"') {
      ++i;
      while (i < n) {
        if (line[i] == '"') {
          if (i + 1 < n && line[i + 1] == '"') {
            field.append('"');
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field.append(line[i++]);
      }
      while (i < n && line[i] != ',') ++i;
    } else {
      const qsizetype start = i;
      while (i < n && line[i] != ',') ++i;
      qsizetype end = i;
      while (end > start && blank(end - 1)) --end;
      field = line.sliced(start, end - start).toByteArray();
    }
    fields.append(field);
    if (i >= n) break;
    ++i;  // the comma: another field follows, empty at the line end
  }
  return fields;
}

QString CsvLine(const QStringList& fields) {
  QStringList out;
  out.reserve(fields.size());
  for (const QString& f : fields) {
    const bool quote = f.contains(u',') || f.contains(u'"') || f.startsWith(u' ') || f.endsWith(u' ');
    out << (quote ? u'"' + QString(f).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"' : f);
  }
  return out.join(u',');
}

QString QuotedCsvLine(const QStringList& fields) {
  QStringList out;
  out.reserve(fields.size());
  for (const QString& f : fields) out << u'"' + QString(f).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
  return out.join(u',');
}

bool IsAnsiText(QByteArrayView bytes) {
  // A byte sequence foreign to the code page does not survive the way through text and back.
  return ToAnsi(FromAnsi(bytes)) == bytes;
}
