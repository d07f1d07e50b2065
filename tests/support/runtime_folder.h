#pragma once
// A runtime folder of one test's own while the object lives (XDG_RUNTIME_DIR), so the local sockets
// of tests that run side by side never meet.

#include <QByteArray>
#include <QTemporaryDir>

class TestRuntimeFolder {
 public:
  TestRuntimeFolder() : previous_(qgetenv("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit());
  }
  ~TestRuntimeFolder() { qputenv("XDG_RUNTIME_DIR", previous_); }
  TestRuntimeFolder(const TestRuntimeFolder&) = delete;
  TestRuntimeFolder& operator=(const TestRuntimeFolder&) = delete;

 private:
  QTemporaryDir dir_;
  QByteArray previous_;
};
