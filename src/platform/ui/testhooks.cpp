#include "platform/ui/testhooks.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>

namespace {

UiFailureReporter& Reporter() {
  static UiFailureReporter r;
  return r;
}

}  // namespace

bool HeadlessUi() {
  const QString p = QGuiApplication::platformName();
  return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

UiFailureReporter SetUiFailureReporter(UiFailureReporter reporter) {
  return ReplaceHook(Reporter(), std::move(reporter));
}

void ReportUiFailure(const QString& message) {
  if (Reporter()) {
    Reporter()(message);
    return;
  }
  std::fprintf(stderr, "UI test failure: %s\n", message.toLocal8Bit().constData());
  std::fflush(stderr);
  std::abort();
}
