#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include "platform/ui/timer.h"
#include "platform/ui/twips.h"
#include "support/waits.h"

namespace {

// Runs the event loop until `done` says so (or a generous limit passes, which fails the test).
void RunUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  poll.start(1);
  QTimer::singleShot(kEventCapMs, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_TRUE(done());
}

TEST(Timers, IntervalZeroIsOffAndEnabledSwitches) {
  QObject owner;
  VbTimer t(&owner);
  EXPECT_TRUE(t.Enabled());
  EXPECT_FALSE(t.Running());  // interval 0
  t.SetInterval(5);
  EXPECT_TRUE(t.Running());
  t.SetEnabled(false);
  EXPECT_FALSE(t.Running());
  t.SetEnabled(true);
  EXPECT_TRUE(t.Running());
  t.SetInterval(0);
  EXPECT_FALSE(t.Running());
}

TEST(Timers, ATickDoesNotRunAgainInsideItsOwnNestedLoop) {
  QObject owner;
  VbTimer t(&owner, 2, true);
  int ticks = 0, nestedTicks = 0, otherTicks = 0;
  VbTimer other(&owner, 2, true);
  other.Timer = [&] { ++otherTicks; };
  t.Timer = [&] {
    ++ticks;
    if (ticks > 1) return;
    // A message box or DoEvents inside the handler: other timers go on, this one waits.
    const int before = ticks;
    RunUntil([&] { return otherTicks >= 3; });
    nestedTicks = ticks - before;
    t.SetEnabled(false);
  };
  RunUntil([&] { return ticks >= 1 && !t.Enabled(); });
  EXPECT_EQ(nestedTicks, 0);
  EXPECT_EQ(ticks, 1);
}

TEST(Twips, FifteenPerPixelAtNinetySixDpi) {
  ASSERT_EQ(TwipsPerPixel(), 15);  // the test platform's screen
  EXPECT_EQ(PxToTwips(1), 15);
  EXPECT_EQ(TwipsToPx(1500), 100);
  EXPECT_EQ(TwipsToPx(225), 15);
  EXPECT_EQ(TwipsToPx(7), 0);
  EXPECT_EQ(TwipsToPx(8), 1);
  EXPECT_GT(ScreenWidthTwips(), 0);
}

TEST(Twips, StoredPositionsThatWouldPutAWindowOffTheScreen) {
  const int h = ScreenHeightTwips(), w = ScreenWidthTwips();
  EXPECT_EQ(PlaceOnScreen(std::nullopt, 500), QPoint(0, 0));  // never stored
  EXPECT_EQ(PlaceOnScreen(-100, 500), QPoint(0, 0));
  EXPECT_EQ(PlaceOnScreen(1200, 3000), QPoint(3000, 1200));
  EXPECT_EQ(PlaceOnScreen(h, 3000), QPoint(3000, 0));
  EXPECT_EQ(PlaceOnScreen(1200, w), QPoint(0, 1200));
  EXPECT_EQ(PlaceOnScreen(1200, -300), QPoint(-300, 1200));
}

}  // namespace
