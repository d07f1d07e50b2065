#include "sheet/LogPrint.h"

#include <QStringList>
#include <algorithm>
#include <bit>
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
static_assert(kCode.offset + 8 <= kMode.offset + kMode.width && kQsl.offset + 8 <= kMode.offset + kMode.width,
              "the words read lie within the print's bytes");

namespace {

uint64_t word(const unsigned char* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// The 128-bit product folded to 64 bits: each input bit reaches the result.
uint64_t fold(uint64_t a, uint64_t b) {
  const unsigned __int128 r = static_cast<unsigned __int128>(a) * b;
  return uint64_t(r) ^ uint64_t(r >> 64);
}

constexpr uint64_t kMix[] = {0xa0761d6478bd642full, 0xe7037ed1a0b428dbull, 0x8ebc6af09c88c6e3ull,
                             0x589965cc75374cc3ull, 0x1d8e4e27c47d124full, 0x9e3779b97f4a7c15ull,
                             0xc2b2ae3d27d4eb4full, 0x165667b19e3779f9ull, 0xd6e8feb86659fd93ull};

}  // namespace

void LogPrint::Add(int32_t recNo, const unsigned char* head) {
  // The fields' bytes loaded as words where they lie (a gathered copy would stall the loads that
  // straddle its pieces); the bytes of the neighbouring fields masked off.
  constexpr uint64_t kCodeMask = (uint64_t(1) << (8 * kCode.width)) - 1;
  constexpr uint64_t kQslMask = (uint64_t(1) << (8 * kQsl.width)) - 1;
  static_assert(kDate.width == 8 && kFreq.width + kMode.width == 32 && kCode.width < 8 && kQsl.width < 8);
  static_assert(std::endian::native == std::endian::little, "a field's first bytes are a word's low bytes");
  const uint64_t seed = uint64_t(uint32_t(recNo)) * kMix[0];
  const unsigned char* run = head + kFreq.offset;
  const uint64_t used =
      fold(word(head + kDate.offset) ^ seed ^ kMix[1], (word(head + kCode.offset) & kCodeMask) ^ kMix[2]) ^
      fold(word(run) ^ kMix[3], word(run + 8) ^ kMix[4]) ^
      fold(word(run + 16) ^ kMix[5], word(run + 24) ^ seed);
  const uint64_t high = fold(used ^ kMix[6], seed ^ kMix[7]), low = fold(used ^ kMix[8], high ^ kMix[1]);
  // The marks mixed with the rest: marks that moved to another record change the sum.
  const uint64_t q = fold((word(head + kQsl.offset) & kQslMask) ^ kMix[2], low ^ kMix[3]);
  Same[0] += low;
  Same[1] += high;
  Whole[0] += low + q;
  Whole[1] += high + (q * kMix[5]);
}

LogPrint& LogPrint::operator+=(const LogPrint& other) {
  for (int i = 0; i < 2; ++i) {
    Same[i] += other.Same[i];
    Whole[i] += other.Whole[i];
  }
  return *this;
}

// The band rule of the reading the print stands for. A work file read by an earlier rule puts some
// frequencies on other bands: its print, without this mark, stands for no reading of today's.
constexpr QLatin1StringView kBandRule("b2");

QString LogPrint::Text() const {
  return QString::number(Records) + ':' + hex(Same) + ':' + hex(Whole) + ':' + kBandRule;
}

std::optional<LogPrint> LogPrint::FromText(const QString& text) {
  const QStringList parts = text.split(':');
  LogPrint p;
  bool number = false;
  if (parts.size() != 4 || parts[3] != kBandRule) return std::nullopt;
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
