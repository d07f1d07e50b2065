#include <gtest/gtest.h>

#include "platform/vbdate.h"
#include "support/qt_print.h"

TEST(VbDate, TwoDigitYearsFollowTheRuntimeWindow) {
  EXPECT_EQ(VbDateValue("85/03/12"), QDate(1985, 3, 12));
  EXPECT_EQ(VbDateValue("30/01/01"), QDate(1930, 1, 1));
  EXPECT_EQ(VbDateValue("29/12/31"), QDate(2029, 12, 31));
  EXPECT_EQ(VbDateValue("00/02/29"), QDate(2000, 2, 29));
  EXPECT_EQ(VbDateValue("2010-04-01"), QDate(2010, 4, 1));
  EXPECT_EQ(VbDateValue(" 1952/7/29 "), QDate(1952, 7, 29));
}

TEST(VbDate, NonDatesGiveNothing) {
  for (const char* t :
       {"", "        ", "99/13/01", "01/02/30", "ab/cd/ef", "20230101", "1/2", "2023/01/01/01"})
    EXPECT_FALSE(VbDateValue(t).has_value()) << t;
}
