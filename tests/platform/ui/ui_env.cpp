// Failures the window layer reports (a box nobody answers, ...) fail the running test.
#include <gtest/gtest.h>

#include "platform/ui/testhooks.h"

namespace {

class UiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetUiFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
  }
};

[[maybe_unused]] auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new UiEnvironment);

}  // namespace
