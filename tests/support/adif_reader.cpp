#include "support/adif_reader.h"

#include <QStringDecoder>

namespace {

QString decode(const QByteArray& b) {
  QStringDecoder d("windows-31j");
  return d.decode(b);
}

}  // namespace

AdifFile ReadAdif(const QByteArray& bytes) {
  AdifFile f;
  qsizetype pos = 0;
  // A file that starts with "<" has no header.
  if (!bytes.startsWith('<')) {
    const qsizetype eoh = bytes.toUpper().indexOf("<EOH>");
    if (eoh < 0) {
      f.error = "no <EOH> after the header text";
      return f;
    }
    f.header = decode(bytes.left(eoh));
    pos = eoh + 5;
  }
  QMap<QString, QString> record;
  QStringList names;
  while (true) {
    while (pos < bytes.size() && (bytes[pos] == ' ' || bytes[pos] == '\r' || bytes[pos] == '\n')) ++pos;
    if (pos >= bytes.size()) break;
    if (bytes[pos] != '<') {
      f.error = QString("text outside a field at byte %1").arg(pos);
      return f;
    }
    const qsizetype close = bytes.indexOf('>', pos);
    if (close < 0) {
      f.error = "unclosed tag";
      return f;
    }
    const QList<QByteArray> parts = bytes.mid(pos + 1, close - pos - 1).split(':');
    const QString name = QString::fromLatin1(parts[0]).toUpper();
    pos = close + 1;
    if (parts.size() == 1) {
      if (name == "EOR") {
        f.records.push_back(record);
        f.order.push_back(names);
        record.clear();
        names.clear();
        continue;
      }
      f.error = "tag without a length: " + name;
      return f;
    }
    bool ok = false;
    const int length = parts[1].toInt(&ok);
    if (!ok || length < 0 || pos + length > bytes.size()) {
      f.error = "bad length in " + name;
      return f;
    }
    record[name] = decode(bytes.mid(pos, length));
    names << name;
    pos += length;
  }
  if (!record.isEmpty()) f.error = "fields after the last <EOR>";
  return f;
}
