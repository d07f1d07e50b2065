#include <gtest/gtest.h>

#include "platform/vbdate.h"
#include "support/qt_print.h"

TEST(VbDate, TwoDigitYearsFollowTheRuntimeWindow) {
  const std::pair<const char*, QDate> dates[] = {
      {"85/03/12", QDate(1985, 3, 12)},  {"30/01/01", QDate(1930, 1, 1)},
      {"29/12/31", QDate(2029, 12, 31)}, {"00/02/29", QDate(2000, 2, 29)},
      {"2010-04-01", QDate(2010, 4, 1)}, {" 1952/7/29 ", QDate(1952, 7, 29)},
  };
  for (const auto& [text, date] : dates) EXPECT_EQ(VbDateValue(text), date) << text;
}

TEST(VbDate, NonDatesGiveNothing) {
  for (const char* t :
       {"", "        ", "99/13/01", "01/02/30", "ab/cd/ef", "20230101", "1/2", "2023/01/01/01"})
    EXPECT_FALSE(VbDateValue(t).has_value()) << t;
}
