#include <gtest/gtest.h>

#include "platform/clock.h"

TEST(Clock, IsJapanTimeAndCanBeFixed) {
  SetFixedClock(QDateTime(QDate(2024, 2, 29), QTime(15, 30, 0), Qt::UTC));
  EXPECT_EQ(NowJst().toString("yyyy-MM-dd HH:mm:ss"), "2024-03-01 00:30:00");
  EXPECT_EQ(TodayJst(), QDate(2024, 3, 1));
  // A fixed moment given in another zone is the same instant.
  SetFixedClock(QDateTime(QDate(2024, 1, 1), QTime(8, 0), Qt::OffsetFromUTC, 3600));
  EXPECT_EQ(NowJst().toString("yyyy-MM-dd HH:mm"), "2024-01-01 16:00");

  ResetClock();
  const qint64 drift = NowJst().secsTo(QDateTime::currentDateTimeUtc());
  EXPECT_LE(std::abs(drift), 5);
  EXPECT_EQ(NowJst().offsetFromUtc(), 9 * 3600);
}
