// Every test executable starts here: a QApplication exists for the whole run, headless, with a runtime
// folder of its own (so the local sockets of tests running side by side never meet) and a program
// folder of its own between the tests' own ones, and a box nobody answers (or an answer nobody used)
// fails the running test instead of hanging it.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include "platform/ui/application.h"

#include "platform/ui/form.h"
#include "platform/ui/testhooks.h"
#include "support/shared_state.h"

namespace {

// Whatever a test left loaded goes when it ends, and the shared state with it: no test meets an
// earlier one's windows (a window loaded unseen keeps what it was loaded with).
struct CleanSlateAfterEachTest : ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    UnloadAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
    // QTest's double click on a widget leaves its button marked held: the next test's clicks on a
    // window would go as if it still were.
    QTestPrivate::qtestMouseButtons = Qt::NoButton;
  }
};

}  // namespace

// Read by the sanitizer runtimes of the sanitizer build before main; unused otherwise. Fontconfig
// keeps its font cache for the life of the process (Qt never calls FcFini): not a leak of ours.
extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options() {
  return "halt_on_error=1:detect_leaks=1:abort_on_error=0";
}
extern "C" __attribute__((used, visibility("default"))) const char* __ubsan_default_options() {
  return "halt_on_error=1:print_stacktrace=1";
}
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir runtime, programFolder;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  qputenv("ORBEX_HOME", programFolder.path().toLocal8Bit());
  ProgramApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  SetUiFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
  ::testing::UnitTest::GetInstance()->listeners().Append(new CleanSlateAfterEachTest);
  return RUN_ALL_TESTS();
}
