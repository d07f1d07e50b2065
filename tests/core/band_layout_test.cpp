#include <gtest/gtest.h>

#include "core/BandLayout.h"
#include "core/SharedSettings.h"
#include "support/shared_state.h"

namespace {

struct BandLayoutTest : ::testing::Test {
  void SetUp() override { ResetSharedState(); }
  void TearDown() override { ResetSharedState(); }
};

TEST_F(BandLayoutTest, ExtendedSetWidensEveryTableAndTellsTheStartWindow) {
  int told = -1;
  BandLayoutHooks.StartWindowBandMenus = [&](int32_t set) { told = set; };
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  EXPECT_EQ(told, 1);
  const BandLayoutState& l = BandLayout;
  EXPECT_EQ(
      (std::vector{l.LastBandColumn, l.KindColumn, l.SatelliteColumn, l.SheetColumnCount, l.QsoCountColumn}),
      (std::vector{26, 27, 26, 29, 28}));
  // The totals' and the book's window, grid and columns.
  EXPECT_EQ((std::vector{l.TotalsWindowWidth, l.TotalsGridWidth, l.TotalsColumnCount, l.BookWindowWidth,
                         l.BookGridWidth, l.BookColumnCount}),
            (std::vector{17030, 16740, 24, 18930, 18590, 25}));

  Settings.ExtendedBandSet = 0;
  ApplyBandSetLayout();
  EXPECT_EQ(told, 0);
  EXPECT_EQ(BandLayout.LastBandColumn, 20);
  EXPECT_EQ(BandLayout.SheetColumnCount, 23);
  EXPECT_EQ(BandLayout.TotalsColumnCount, 18);
  EXPECT_EQ(BandLayout.BookWindowWidth, 15015);
}

TEST_F(BandLayoutTest, UnknownBandSetValueChangesNothing) {
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  bool told = false;
  BandLayoutHooks.StartWindowBandMenus = [&](int32_t) { told = true; };
  Settings.ExtendedBandSet = 2;
  ApplyBandSetLayout();
  EXPECT_FALSE(told);
  EXPECT_EQ(BandLayout.LastBandColumn, 26);
}

TEST_F(BandLayoutTest, ColumnsOfBandsInBothSets) {
  EXPECT_EQ(BandColumnOfIndex(0), 5);
  EXPECT_EQ(BandColumnOfIndex(14), 19);
  EXPECT_EQ(BandColumnOfIndex(15), 0);  // 135 kHz has no column in the standard set
  EXPECT_EQ(BandColumnOfIndex(21), 20);
  EXPECT_EQ(BandIndexOfColumn(20), 21);
  EXPECT_EQ(BandHeading(20), QString::fromUtf8("ｻﾃﾗｲﾄ"));
  EXPECT_EQ(BandHeading(17), "1.2GHz");
  EXPECT_EQ(BandColumnOfLabel("SAT "), 20);
  EXPECT_EQ(BandColumnOfLabel("430 "), 16);
  EXPECT_EQ(BandColumnOfLabel("135K"), 20);  // one table for both sets
  EXPECT_EQ(BandColumnOfLabel("    "), 0);

  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  EXPECT_EQ(BandColumnOfIndex(15), 20);
  EXPECT_EQ(BandColumnOfIndex(21), 26);
  EXPECT_EQ(BandColumnOfLabel("SAT"), 26);
  EXPECT_EQ(BandColumnOfLabel("77G"), 25);
  EXPECT_EQ(BandHeading(20), "135kHz");
  EXPECT_EQ(BandHeading(26), QString::fromUtf8("ｻﾃﾗｲﾄ"));
  EXPECT_EQ(BandIndexOfColumn(27), -1);
}

}  // namespace
