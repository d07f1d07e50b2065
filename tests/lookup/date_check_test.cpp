#include <gtest/gtest.h>

#include "lookup/DateCheck.h"

TEST(CheckDateText, SixDigitsAreARealDateWithATwoDigitYear) {
  // 24 is a leap year and 2000 was one; 23 is not, April has 30 days, there is no month 13 nor 0, no day 0.
  for (const char* real : {"240229", "000229", "991231", "240430", "240131"})
    EXPECT_TRUE(CheckDateText(real)) << real;
  for (const char* unreal : {"230229", "240431", "241301", "240001", "240100"})
    EXPECT_FALSE(CheckDateText(unreal)) << unreal;
}

TEST(CheckDateText, EightDigitsAreARealDateWithAFourDigitYear) {
  // Every 400 years a century is a leap year, not the others; no day 32, no year 0024.
  for (const char* real : {"20240229", "20000229", "19991231", "20240930"})
    EXPECT_TRUE(CheckDateText(real)) << real;
  for (const char* unreal : {"19000229", "20230229", "20241232", "20240931", "00240229"})
    EXPECT_FALSE(CheckDateText(unreal)) << unreal;
}

TEST(CheckDateText, OnlyTheTwoCompactFormsPass) {
  // Seven characters, separators, six characters that are not six digits, full-width digits.
  for (const char* other :
       {"", "2402290", "2024-02-29", "2024/02/29", "24/2/9", "24-2-9", "２４０２２９", " 40229", "2024022A"})
    EXPECT_FALSE(CheckDateText(other)) << other;
}
