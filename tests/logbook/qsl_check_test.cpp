// What the QSL-check mode asks of the sheet (the code as the sheet shows it, the band column of the
// greeting), and where the log viewer's page commands land.
#include <gtest/gtest.h>

#include "core/BandLayout.h"
#include "core/SharedSettings.h"
#include "logbook/LogPage.h"
#include "logbook/QslCheck.h"
#include "support/qt_print.h"
#include "support/shared_state.h"

namespace {

struct SheetRules : ::testing::Test {
  void SetUp() override { ResetSharedState(); }
  void TearDown() override { ResetSharedState(); }
};

TEST_F(SheetRules, TheCodeIsCutToWhatTheSheetShows) {
  bool skip = false;
  EXPECT_EQ(CodeAsSheetShows("11009A", skip), "11009A");
  DisplayItems.Town = "0";
  EXPECT_EQ(CodeAsSheetShows("11009A", skip), "11009");
  EXPECT_EQ(CodeAsSheetShows("110101", skip), "110101");
  DisplayItems.Ku = "0";
  EXPECT_EQ(CodeAsSheetShows("110101", skip), "1101");
  EXPECT_FALSE(skip);
  EXPECT_EQ(CodeAsSheetShows("704A", skip), "704A");
  EXPECT_FALSE(skip);
  DisplayItems.Dx = "0";
  CodeAsSheetShows("704A", skip);
  EXPECT_TRUE(skip);
}

TEST_F(SheetRules, TheGreetingLooksAtTheBandColumnOfTheReadingMode) {
  EXPECT_EQ(NewBandCheckColumn("1101", "7.025", "CW"), 7);
  EXPECT_EQ(NewBandCheckColumn("1101", "435/145", "FM"), 20);  // satellite, standard set
  EXPECT_EQ(NewBandCheckColumn("110", "7.025", "CW"), 0);      // a code of 3 characters
  EXPECT_EQ(NewBandCheckColumn("1101", "0.475", "CW"), 0);     // 475 kHz is no band of the standard set
  ReadConditions.SelMode = "CW";
  EXPECT_EQ(NewBandCheckColumn("1101", "7.025", "SSB"), 0);
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  EXPECT_EQ(NewBandCheckColumn("1101", "0.475", "CW"), 21);
  EXPECT_EQ(NewBandCheckColumn("1101", "*10.1", "CW"), 22);
  EXPECT_EQ(NewBandCheckColumn("1101", "/", "CW"), 26);
}

TEST(LogPages, BackForwardAndJumpStayInsideTheLog) {
  EXPECT_EQ(PageEndBefore(4901), 4900);
  EXPECT_EQ(PageEndBefore(51), 100);  // from the page 51 .. 150
  EXPECT_EQ(PageEndBefore(1), 100);
  EXPECT_EQ(PageEndAfter(4900, 5000), 5000);
  EXPECT_EQ(PageEndAfter(4800, 5000), 4900);
  EXPECT_EQ(PageEndOfJump(30, 5000), 100);
  EXPECT_EQ(PageEndOfJump(30, 40), 40);  // a log of fewer than 100 records: its count
  EXPECT_EQ(PageEndOfJump(2500, 5000), 2500);
}

}  // namespace
