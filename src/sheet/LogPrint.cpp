#include "sheet/LogPrint.h"

// Inlined: a hash of a few dozen bytes a record costs little more than the call otherwise.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <QStringList>
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/SettingsStore.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"

namespace {

constexpr hamlog::FieldSpan kDate = hamlog::SpanOf(2), kCode = hamlog::SpanOf(8), kFreq = hamlog::SpanOf(6),
                            kMode = hamlog::SpanOf(7), kQsl = hamlog::SpanOf(10);
static_assert(kFreq.offset + kFreq.width == kMode.offset, "frequency and mode are hashed as one run");
constexpr int kUsedWidth = kDate.width + kCode.width + kFreq.width + kMode.width;

QString hex(const uint64_t (&sum)[2]) {
  return QStringLiteral("%1%2").arg(sum[1], 16, 16, QChar('0')).arg(sum[0], 16, 16, QChar('0'));
}

bool fromHex(const QString& text, uint64_t (&sum)[2]) {
  bool high = false, low = false;
  if (text.size() != 32) return false;
  sum[1] = text.left(16).toULongLong(&high, 16);
  sum[0] = text.mid(16).toULongLong(&low, 16);
  return high && low;
}

}  // namespace

const int kLogPrintWidth = kMode.offset + kMode.width;
static_assert(kMode.offset + kMode.width <= kQsoColumnHeadWidth && kQsl.offset < kMode.offset);

void LogPrint::Add(int32_t recNo, const unsigned char* head) {
  // The fields a reading takes, gathered: one hash of few bytes, no second copy of the record.
  unsigned char used[kUsedWidth];
  std::memcpy(used, head + kDate.offset, size_t(kDate.width));
  std::memcpy(used + kDate.width, head + kCode.offset, size_t(kCode.width));
  std::memcpy(used + kDate.width + kCode.width, head + kFreq.offset, size_t(kFreq.width + kMode.width));
  const XXH128_hash_t h = XXH3_128bits_withSeed(used, sizeof used, uint64_t(recNo));
  // The marks hashed apart, seeded by the rest: marks that moved to another record change the sum.
  const uint64_t q = XXH3_64bits_withSeed(head + kQsl.offset, size_t(kQsl.width), h.low64);
  Same[0] += h.low64;
  Same[1] += h.high64;
  Whole[0] += h.low64 + q;
  Whole[1] += h.high64 + (q * 0x9E3779B97F4A7C15ull);
}

LogPrint& LogPrint::operator+=(const LogPrint& other) {
  for (int i = 0; i < 2; ++i) {
    Same[i] += other.Same[i];
    Whole[i] += other.Whole[i];
  }
  return *this;
}

QString LogPrint::Text() const { return QString::number(Records) + ':' + hex(Same) + ':' + hex(Whole); }

std::optional<LogPrint> LogPrint::FromText(const QString& text) {
  const QStringList parts = text.split(':');
  LogPrint p;
  bool number = false;
  if (parts.size() != 3) return std::nullopt;
  p.Records = parts[0].toInt(&number);
  if (!number || p.Records < 0 || !fromHex(parts[1], p.Same) || !fromHex(parts[2], p.Whole))
    return std::nullopt;
  return p;
}

int32_t PrintHdbRecords(int32_t first, int32_t last, LogPrint& print, SheetProgress& progress) {
  if (last < first) return HAMLOG_OK;
  std::vector<LogPrint> parts(static_cast<size_t>(HdbScanParts()));
  const int32_t result = ScanHdbRecords(
      first, last, int(parts.size()),
      [&](int part, int32_t recNo, const unsigned char* head) { parts[size_t(part)].Add(recNo, head); },
      [&](int32_t) {
        progress.Pump();
        return !progress.StopRequested();
      },
      kLogPrintWidth);
  for (const LogPrint& p : parts) print += p;
  return result;
}

int32_t CompareLogWithReading(SheetProgress& progress, LogSinceReading& since, LogPrint& kept) {
  since = LogSinceReading::Rewritten;
  kept = {};
  const std::optional<LogPrint> stored = LogPrint::FromText(ReadIni("ORB", "DBSLogPrint"));
  if (!stored || stored->Records > Hamlog.HdbRecordCount) return HAMLOG_OK;
  LogPrint now;
  if (const int32_t r = PrintHdbRecords(1, stored->Records, now, progress); r != HAMLOG_OK) return r;
  if (!std::equal(now.Same, now.Same + 2, stored->Same)) return HAMLOG_OK;
  kept = *stored;
  since = std::equal(now.Whole, now.Whole + 2, stored->Whole) ? LogSinceReading::Grown
                                                              : LogSinceReading::MarksChanged;
  return HAMLOG_OK;
}
