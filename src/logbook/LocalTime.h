#pragma once
// The station's approximate local time from its longitude: one hour per full 15 degrees from
// Greenwich, no time zones, no daylight saving. The Japan clock (platform/clock.h) gives UTC. The
// longitude and the result are the code list's shared values (lookup/CodeListState.h: LocalLongitude,
// LocalLongitudeSide, LocalTimeText), which the DX code search and the code list's pick write.

#include <QString>
#include <cstdint>
#include <functional>

struct LocalTimeStateValues {
  int32_t LongitudeOverride = 0;     // chosen by a digit of the call (DxCodeSearch)
  int32_t LongitudeOverrideSet = 0;  // 1 = the override replaces the longitude
  // The entry window's LT menu takes the caption (installed by the entry window).
  std::function<void(const QString& caption)> ShowLocalTime;
};
extern LocalTimeStateValues LocalTime;

void CalcLocalTimeGreeting();
