#include "logbook/LocalTime.h"

#include <QTime>

#include "lookup/CodeListState.h"
#include "platform/clock.h"

LocalTimeStateValues LocalTime;

void CalcLocalTimeGreeting() {
  CodeListSharedState& c = CodeListShared;
  // 181 passes: only values beyond it are taken for a missing longitude.
  if (c.LocalLongitude > 181) {
    c.LocalLongitude = 135;
    c.LocalLongitudeSide = QString::fromUtf8("東経");
  }
  if (LocalTime.LongitudeOverrideSet == 1) c.LocalLongitude = LocalTime.LongitudeOverride;
  const int daySeconds = 24 * 3600;
  const int utc = (NowJst().time().msecsSinceStartOfDay() / 1000 - 9 * 3600 + daySeconds) % daySeconds;
  int hours = c.LocalLongitude / 15;  // toward zero
  if (c.LocalLongitudeSide == QString::fromUtf8("西経")) hours = -hours;
  const int local = ((utc + hours * 3600) % daySeconds + daySeconds) % daySeconds;
  c.LocalTimeText = QTime::fromMSecsSinceStartOfDay(local * 1000).toString("HH:mm");
  if (LocalTime.ShowLocalTime) LocalTime.ShowLocalTime("Local Time(Abt)=> " + c.LocalTimeText);
}
