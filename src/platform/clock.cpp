#include "platform/clock.h"

#include <optional>

namespace {

constexpr int kJstOffsetSeconds = 9 * 3600;

std::optional<QDateTime>& fixedMoment() {
  static std::optional<QDateTime> moment;
  return moment;
}

}  // namespace

QDateTime NowJst() {
  const QDateTime utc = fixedMoment() ? fixedMoment()->toUTC() : QDateTime::currentDateTimeUtc();
  return utc.toOffsetFromUtc(kJstOffsetSeconds);
}

QDate TodayJst() { return NowJst().date(); }

void SetFixedClock(const QDateTime& moment) { fixedMoment() = moment; }

void ResetClock() { fixedMoment().reset(); }
