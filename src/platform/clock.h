#pragma once
// The one clock of the program: now in Japan Standard Time (UTC + 9, whatever the machine's zone),
// which tests can fix.

#include <QDate>
#include <QDateTime>

// Now as JST (a QDateTime at offset +9 h: its date() and time() are Japan's).
QDateTime NowJst();
// Today's date in Japan.
QDate TodayJst();

// Tests: from now on the clock answers this moment (any zone; it is shown as JST) until reset.
void SetFixedClock(const QDateTime& moment);
// Back to the machine's clock.
void ResetClock();
