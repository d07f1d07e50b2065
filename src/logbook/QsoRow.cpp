#include "logbook/QsoRow.h"

#include "core/HamlogAccess.h"
#include "platform/vbdate.h"
#include "platform/vbnumber.h"

QString RecordNumberText(int32_t recNo) { return " " + QString("%1").arg(recNo, 2, 10, QChar('0')); }

int32_t RecordNumberOf(const QString& cell) { return static_cast<int32_t>(VbVal(cell)); }

namespace {

QString field(int number, bool keepPadding) {
  QString text;
  if (ThwString(text, Hamlog.Thw, number) != 0) text.clear();
  text.remove(QChar(0));
  if (keepPadding) return text;
  qsizetype end = text.size();
  while (end > 0 && text.at(end - 1) == u' ') --end;
  text.truncate(end);
  return text;
}

QString formattedDate(const QString& raw, QChar separator) {
  const auto d = VbDateValue(raw.trimmed());
  if (!d) return raw;
  return QString("%1%2%3%4%5")
      .arg(d->year(), 4, 10, QChar('0'))
      .arg(separator)
      .arg(d->month(), 2, 10, QChar('0'))
      .arg(separator)
      .arg(d->day(), 2, 10, QChar('0'));
}

}  // namespace

QStringList QsoRowOfRecord(int32_t recNo, const QsoRowFormat& format) {
  const bool pad = format.keepPadding;
  QString qsl = field(10, true);
  qsl = qsl.leftJustified(3, ' ');
  QStringList row;
  row.reserve(kQsoRowColumns);
  row << RecordNumberText(recNo) << field(0, pad) << QString()
      << formattedDate(field(2, true), format.dateSeparator);
  for (int f = 3; f <= 9; ++f) row << field(f, pad);
  row << field(11, pad) << field(12, pad);
  row << qsl.mid(0, 1) << qsl.mid(1, 1) << qsl.mid(2, 1);
  row << field(13, pad) << field(14, pad) << QString();
  return row;
}
