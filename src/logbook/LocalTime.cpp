#include "logbook/LocalTime.h"

#include <QTime>

#include "platform/clock.h"

LocalTimeStateValues LocalTime;

void CalcLocalTimeGreeting() {
  // 181 passes: only values beyond it are taken for a missing longitude.
  if (LocalTime.LongitudeDegrees > 181) {
    LocalTime.LongitudeDegrees = 135;
    LocalTime.LongitudeSide = QString::fromUtf8("東経");
  }
  if (LocalTime.LongitudeOverrideSet == 1) LocalTime.LongitudeDegrees = LocalTime.LongitudeOverride;
  const int daySeconds = 24 * 3600;
  const int utc = (NowJst().time().msecsSinceStartOfDay() / 1000 - 9 * 3600 + daySeconds) % daySeconds;
  int hours = LocalTime.LongitudeDegrees / 15;  // toward zero
  if (LocalTime.LongitudeSide == QString::fromUtf8("西経")) hours = -hours;
  const int local = ((utc + hours * 3600) % daySeconds + daySeconds) % daySeconds;
  LocalTime.LocalTimeText = QTime::fromMSecsSinceStartOfDay(local * 1000).toString("HH:mm");
  if (LocalTime.ShowLocalTime) LocalTime.ShowLocalTime("Local Time(Abt)=> " + LocalTime.LocalTimeText);
}
