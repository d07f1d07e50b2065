#include "support/varied_log.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include "hamlogdb/hamlogdb.h"
#include "platform/codepage.h"
#include "platform/hamlog/hdb_layout.h"

namespace {

QByteArray sj(const char* utf8) { return ToAnsi(QString::fromUtf8(utf8)); }

const QList<QByteArray> kDates = {"24/02/30", "        ", "24-05-06", "ab/cd/ef", QByteArray("\0\0\0\0", 4),
                                  "78/06/01", "79/11/01", sj("２４/05/06")};
const QList<QByteArray> kFreqs = {"7.5",  "435/145", "10G", "0.1375", "", QByteArray("7\0.0", 4), sj("１４．０"),
                                  "9999", "*10.2",   "x",   "144.1",  "3.5", "21.5"};
const QList<QByteArray> kModes = {"CW", "SSB", "FT8", "RTTY", "", sj("ｼｰﾀﾞﾌﾞﾘｭ"), QByteArray("C\0W", 3)};
const QList<QByteArray> kQsls = {"J *", "P *", "J E", QByteArray("\0\0\0", 3), "J  ", "D M", sj("受 ")};
const QList<QByteArray> kPrefixes = {"KH6/", "JD1/", "7J1/", "AB/", "W/"};

}  // namespace

void MakeVariedLog(const QString& dir, int64_t records, int stations) {
  ASSERT_TRUE(hamlogdb::Generate(dir, records, 11).Ok());
  QFile f(hamlogdb::DatabasePath(dir));
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  QRandomGenerator rng(5);
  const auto pick = [&rng](const QList<QByteArray>& pool) { return pool[rng.bounded(int(pool.size()))]; };
  const auto patch = [&f](int64_t recNo, int field, const QByteArray& bytes) {
    const hamlog::FieldSpan s = hamlog::SpanOf(field);
    QByteArray padded = bytes.left(s.width);
    padded += QByteArray(s.width - padded.size(), ' ');
    ASSERT_TRUE(f.seek(hamlog::HdbRecordOffset(recNo) + s.offset));
    ASSERT_EQ(f.write(padded), s.width);
  };
  for (int64_t r = 1; r <= records; ++r) {
    if (r % 97 == 0) {
      ASSERT_TRUE(f.seek(hamlog::HdbRecordOffset(r)));
      f.write("*");
    }
    if (r % 7 == 0) {  // the prefix before the call
      ASSERT_TRUE(f.seek(hamlog::HdbRecordOffset(r) + hamlog::SpanOf(0).offset));
      const QByteArray call = f.read(hamlog::SpanOf(0).width).trimmed();
      patch(r, 0, pick(kPrefixes) + call.left(call.indexOf('/') < 0 ? call.size() : call.indexOf('/')));
    }
    if (r % 3 == 0) {
      const QByteArray mark = sj("□") + QByteArray::number(13001 + rng.bounded(stations + 3));
      patch(r, rng.bounded(2) ? 13 : 14, rng.bounded(4) ? mark : sj("道の駅 ") + mark + sj(" 訪問"));
    }
    if (r % 4 != 0) continue;
    if (rng.bounded(3) == 0) patch(r, 2, pick(kDates));
    if (rng.bounded(3) == 0) patch(r, 6, pick(kFreqs));
    if (rng.bounded(3) == 0) patch(r, 7, pick(kModes));
    if (rng.bounded(2) == 0) patch(r, 10, pick(kQsls));
  }
  f.close();
}
