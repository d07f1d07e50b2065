#pragma once
// Helpers for the window-layer tests.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStringList>

#include "platform/ui/testhooks.h"
#include "support/qt_print.h"

// Deletes the windows unloaded so far (the program does this when its event loop is idle).
inline void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Collects the failures the window layer reports, instead of failing the test.
class CapturedUiFailures {
 public:
  CapturedUiFailures() {
    previous_ = SetUiFailureReporter([this](const QString& m) { messages << m; });
  }
  ~CapturedUiFailures() { SetUiFailureReporter(std::move(previous_)); }
  QStringList messages;

 private:
  UiFailureReporter previous_;
};
