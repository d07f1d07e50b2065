#pragma once
// The station's approximate local time from its longitude: one hour per full 15 degrees from
// Greenwich, no time zones, no daylight saving. The Japan clock (platform/clock.h) gives UTC.

#include <QString>
#include <cstdint>
#include <functional>

struct LocalTimeStateValues {
  int32_t LongitudeDegrees = 0;      // whole degrees, from the DX code search or the code list's pick
  QString LongitudeSide;             // "東経" or "西経"; anything else counts as east
  int32_t LongitudeOverride = 0;     // chosen by a digit of the call (DxCodeSearch)
  int32_t LongitudeOverrideSet = 0;  // 1 = the override replaces LongitudeDegrees
  QString LocalTimeText;             // "HH:MM"
  // The entry window's LT menu takes the caption (installed by the entry window).
  std::function<void(const QString& caption)> ShowLocalTime;
};
extern LocalTimeStateValues LocalTime;

void CalcLocalTimeGreeting();
