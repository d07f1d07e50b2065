#pragma once
// What the window layer does differently under test.
//
// Without a display (QT_QPA_PLATFORM=offscreen, as every test runs) nothing may wait for an operator:
// a message box, file dialog, pop-up menu or modal window that no responder answers is a test failure,
// reported at once through the failure reporter instead of blocking. The default reporter prints the
// message and aborts the test process; a test executable can route it into its framework:
//
//   SetUiFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
//
// The responders themselves are in responders.h.

#include <QString>
#include <functional>
#include <utility>

// True when there is no screen to show windows on (the offscreen and minimal platforms).
bool HeadlessUi();

using UiFailureReporter = std::function<void(const QString& message)>;
// Installs a reporter; an empty one restores the default (print and abort). Returns the previous one.
UiFailureReporter SetUiFailureReporter(UiFailureReporter reporter);
void ReportUiFailure(const QString& message);

// Puts `hook` in `slot` and gives back what was there (every Set...Hook function).
template <class F>
F ReplaceHook(F& slot, F hook) {
  F previous = std::move(slot);
  slot = std::move(hook);
  return previous;
}
