#pragma once
// Tests wait for the event they check, never for a number of milliseconds. The cap only ends a test
// whose event never comes: a machine however loaded stays far inside it.

#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>
#include <functional>

inline constexpr int kEventCapMs = 120'000;

// Lets events run until `done` holds; false when the cap passed first.
inline bool WaitUntil(const std::function<bool()>& done, int capMs = kEventCapMs) {
  return QTest::qWaitFor(done, capMs);
}

// Runs `act` once `shown` holds, looked at whenever events run (inside the program's own waits too);
// after the cap it runs all the same, so that a wait `act` ends cannot hang the test.
inline void WhenShown(std::function<bool()> shown, std::function<void()> act) {
  auto* look = new QTimer;
  const QDeadlineTimer cap(kEventCapMs);
  QObject::connect(look, &QTimer::timeout, look, [look, cap, shown = std::move(shown), act = std::move(act)] {
    if (!shown() && !cap.hasExpired()) return;
    look->stop();
    look->deleteLater();
    act();
  });
  look->start(1);
}
