#include <gtest/gtest.h>

#include "lookup/DateCheck.h"

TEST(CheckDateText, SixDigitsAreARealDateWithATwoDigitYear) {
  EXPECT_TRUE(CheckDateText("240229"));   // leap year
  EXPECT_FALSE(CheckDateText("230229"));  // not a leap year
  EXPECT_TRUE(CheckDateText("000229"));   // 2000 was one
  EXPECT_TRUE(CheckDateText("991231"));
  EXPECT_TRUE(CheckDateText("240430"));
  EXPECT_FALSE(CheckDateText("240431"));  // April has 30 days
  EXPECT_TRUE(CheckDateText("240131"));
  EXPECT_FALSE(CheckDateText("241301"));  // month 13
  EXPECT_FALSE(CheckDateText("240001"));
  EXPECT_FALSE(CheckDateText("240100"));
}

TEST(CheckDateText, EightDigitsAreARealDateWithAFourDigitYear) {
  EXPECT_TRUE(CheckDateText("20240229"));
  EXPECT_FALSE(CheckDateText("19000229"));  // century, not a leap year
  EXPECT_TRUE(CheckDateText("20000229"));   // every 400 years it is
  EXPECT_FALSE(CheckDateText("20230229"));
  EXPECT_TRUE(CheckDateText("19991231"));
  EXPECT_FALSE(CheckDateText("20241232"));  // day 32
  EXPECT_TRUE(CheckDateText("20240930"));
  EXPECT_FALSE(CheckDateText("20240931"));
  EXPECT_FALSE(CheckDateText("00240229"));  // no such year
}

TEST(CheckDateText, OnlyTheTwoCompactFormsPass) {
  EXPECT_FALSE(CheckDateText(""));
  EXPECT_FALSE(CheckDateText("2402290"));     // seven characters
  EXPECT_FALSE(CheckDateText("2024-02-29"));  // separators count
  EXPECT_FALSE(CheckDateText("2024/02/29"));
  EXPECT_FALSE(CheckDateText("24/2/9"));      // six characters, but not six digits
  EXPECT_FALSE(CheckDateText("24-2-9"));
  EXPECT_FALSE(CheckDateText("２４０２２９"));  // full-width digits
  EXPECT_FALSE(CheckDateText(" 40229"));
  EXPECT_FALSE(CheckDateText("2024022A"));
}
