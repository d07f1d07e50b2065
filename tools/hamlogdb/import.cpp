// import: QSOs from a CSV file, checked whole before the first one is written.
#include <QDate>
#include <QRegularExpression>
#include <array>
#include <vector>

#include "hamlogdb.h"
#include "platform/codepage.h"
#include "record_image.h"
#include "tool_support.h"

namespace hamlogdb {

namespace {

constexpr int kCsvFields = 14;
// CSV column -> record field, and its name for messages.
constexpr std::array<int, kCsvFields> kFieldOf = {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
constexpr std::array<const char*, kCsvFields> kColumnName = {
    "call", "date", "time", "his RST", "my RST", "frequency", "mode",
    "code", "grid", "QSL",  "name",    "QTH",    "remarks 1", "remarks 2"};

// "YYYY/MM/DD" or "YY/MM/DD" as the stored "YY/MM/DD"; the reason when it cannot be stored. The log
// keeps two-digit years, read as 1930 to 2029; a year outside would come back a century off.
QString storedDate(const QString& text, QString& stored) {
  static const QRegularExpression form("^(\\d{2}|\\d{4})/(\\d{1,2})/(\\d{1,2})$");
  const auto m = form.match(text);
  if (!m.hasMatch()) return QString("date \"%1\" is not YYYY/MM/DD or YY/MM/DD").arg(text);
  int year = m.captured(1).toInt();
  if (m.captured(1).size() == 2) year += year < 30 ? 2000 : 1900;
  if (year < 1930 || year > 2029)
    return QString("date \"%1\" is outside 1930 to 2029, the years the log can hold").arg(text);
  const QDate d(year, m.captured(2).toInt(), m.captured(3).toInt());
  if (!d.isValid()) return QString("date \"%1\" is no date of the calendar").arg(text);
  stored = d.toString("yy/MM/dd");
  return {};
}

// "hh:mm" + "J" or "U" (either case); empty when it is not that.
QString storedTime(const QString& text) {
  static const QRegularExpression form("^([01]\\d|2[0-3]):([0-5]\\d)([JjUu])$");
  const auto m = form.match(text);
  return m.hasMatch() ? m.captured(1) + ':' + m.captured(2) + m.captured(3).toUpper() : QString();
}

// Checks one record and writes its image; the reason when it is refused.
QString buildRecord(QStringList f, unsigned char* image) {
  f[0] = f[0].trimmed();
  f[5] = f[5].trimmed();
  f[7] = f[7].trimmed();
  if (f[0].isEmpty()) return "the call is empty";
  QString date;
  if (const QString why = storedDate(f[1].trimmed(), date); !why.isEmpty()) return why;
  const QString time = storedTime(f[2].trimmed());
  if (time.isEmpty()) return QString("time \"%1\" is not hh:mm followed by J or U").arg(f[2]);
  f[1] = date;
  f[2] = time;
  f[9] = f[9].leftJustified(3, ' ');
  hamlog::BlankRecord(image);
  for (int c = 0; c < kCsvFields; ++c) {
    const QByteArray bytes = ToAnsi(f[c]);
    const int width = FieldWidth(kFieldOf[c]);
    if (bytes.size() > width)
      return QString("%1 \"%2\" is longer than %3 bytes").arg(kColumnName[c], f[c]).arg(width);
    PutField(image, kFieldOf[c], bytes);
  }
  PutField(image, 16, FlagCodeFor(ToAnsi(f[7])));
  return {};
}

}  // namespace

Outcome Import(const QString& dir, const QString& csv, const Progress& progress) {
  std::vector<Record> records;
  if (const Outcome read = ReadRecords(csv, kCsvFields, "QSO", records); !read.Ok()) return read;
  const int64_t n = int64_t(records.size());
  if (n == 0) return {1, csv + ": no QSOs"};
  std::vector<unsigned char> images(size_t(n) * hamlog::kHdbRecordLength);
  for (int64_t k = 0; k < n; ++k)
    if (const QString why = buildRecord(records[k].fields, &images[size_t(k) * hamlog::kHdbRecordLength]);
        !why.isEmpty())
      return {1, QString("%1: QSO %2 (line %3): %4").arg(csv).arg(k + 1).arg(records[k].line).arg(why)};

  OpenedLog log;
  if (const Outcome o = log.Open(dir); !o.Ok()) return o;
  const int64_t first = log.Db().Table().Count() + 1;
  const int32_t r = log.Db().AppendMany(
      size_t(n),
      [&](unsigned char* out, size_t from, size_t count) {
        std::copy_n(&images[from * hamlog::kHdbRecordLength], count * hamlog::kHdbRecordLength, out);
      },
      [&](size_t done) {
        if (progress) progress(int64_t(done), n);
      });
  if (r != HAMLOG_OK) return {2, DatabasePath(dir) + ": " + ResultText(r)};
  if (const Outcome o = log.RefreshIndexes(); !o.Ok()) return o;
  return {0, QString("%1 QSOs appended as records %2 to %3").arg(n).arg(first).arg(first + n - 1)};
}

}  // namespace hamlogdb
