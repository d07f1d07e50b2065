// The marks a reader of the sheet sees for hand-made work-file lines: towns and their gun, Tokyo's
// wards as a whole, designated cities, W against C under both confirmation rules, the ward records.

#include <gtest/gtest.h>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "sheet/Collation.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetTally.h"
#include "support/shared_state.h"

namespace {

constexpr int k7 = 7, k14 = 9, kSat = 20;

struct CollationMarksTest : ::testing::Test {
  QByteArray lines;

  void SetUp() override {
    ResetSharedState();
    Settings.QslReceivedMarks[0] = "*";
    Settings.QslReceivedMarks[14] = "M";
    DesignatedCityDef.DesignatedCities = {{"横浜市", "1101", 19560901}};
    const char* codes[] = {"1001",   "100101", "100105", "1002",   "1101",
                           "110101", "10001",  "10001A", "10001B", "500A"};
    MasterTable.Redim(BandLayout.KindColumn, 10);
    for (int r = 1; r <= 10; ++r) MasterTable(1, r) = QString(codes[r - 1]).leftJustified(6, ' ');
    SheetTally.MasterRowCount = 10;
    SheetTally.SizeCellArrays(BandLayout.LastBandColumn, 10);
  }
  void TearDown() override { ResetSharedState(); }
  void line(const char* code, const char* band, const char* received, int record,
            const char* date = "20200101") {
    AppendDmyDbsLine(lines, code, band, received, "J", record, QString::fromLatin1(date));
  }
  void collate(ConfirmRule rule) { CollateDmyDbs(SortDmyDbsBytes(lines), rule); }
  static QString cell(int row, int column) { return MasterTable(column, row); }
  static int count(int row, int column) { return SheetTally.CellQsoCounts(column, row); }
  static QString record(int row, int column) { return SheetTally.CellRecordNumbers(column, row); }
};

TEST_F(CollationMarksTest, ATownMarksItsGunAndItselfAndTokyoAsAWholeNothing) {
  line("10001A", "7", "*", 5);
  line("10001B", "7", " ", 6);
  line("1001", "7", "*", 7);
  collate(ConfirmRule::ListedMarks);
  EXPECT_EQ(cell(7, k7), "C");  // the gun: the town's mark, then the village's worked line
  EXPECT_EQ(count(7, k7), 2);
  EXPECT_EQ(record(7, k7), "0000000005");
  EXPECT_EQ(cell(8, k7), "C");
  EXPECT_EQ(count(8, k7), 1);
  EXPECT_EQ(cell(9, k7), "W");
  EXPECT_EQ(cell(1, k7), "");
  EXPECT_EQ(count(1, k7), 0);
}

TEST_F(CollationMarksTest, WorkedThenConfirmedAndConfirmedThenWorked) {
  line("1002", "7", " ", 10);
  line("1002", "7", "*", 11);
  line("1002", "14", "*", 12);
  line("1002", "14", " ", 13);
  collate(ConfirmRule::ListedMarks);
  EXPECT_EQ(cell(4, k7), "C");
  EXPECT_EQ(record(4, k7), "0000000011");
  EXPECT_EQ(count(4, k7), 2);
  EXPECT_EQ(cell(4, k14), "C");
  EXPECT_EQ(record(4, k14), "0000000012");
  EXPECT_EQ(count(4, k14), 2);
}

TEST_F(CollationMarksTest, ListedMarksAgainstAnyMark) {
  line("1002", "7", "M", 1);
  line("1002", "14", "S", 2);
  line("1002", "SAT", " ", 3);
  line("1002", "SAT", " ", 4);
  collate(ConfirmRule::ListedMarks);
  EXPECT_EQ(cell(4, k7), "C");
  EXPECT_EQ(cell(4, k14), "W");
  EXPECT_EQ(record(4, kSat), "0000000003");  // a worked cell keeps its first line under this rule

  for (int c = 5; c <= 20; ++c) MasterTable(c, 4).clear();
  SheetTally.SizeCellArrays(BandLayout.LastBandColumn, 10);
  collate(ConfirmRule::AnyMark);
  EXPECT_EQ(cell(4, k14), "C");
  EXPECT_EQ(cell(4, kSat), "W");
  EXPECT_EQ(record(4, kSat), "0000000004");  // and its last under the other
}

TEST_F(CollationMarksTest, TokyoWardRecordsFromTheFirstOfApril2010) {
  line("100105", "7", " ", 300, "20120101");
  line("100105", "7", " ", 700, "20120101");
  collate(ConfirmRule::ListedMarks);
  EXPECT_EQ(SheetTally.TokyoWardRecords(100105, k7), -700);
  lines.clear();
  line("100105", "7", "*", 900, "20120101");
  line("100105", "7", "*", 1200, "20120101");
  line("100101", "7", "*", 50, "20100331");
  collate(ConfirmRule::ListedMarks);
  EXPECT_EQ(SheetTally.TokyoWardRecords(100105, k7), 900);
  EXPECT_EQ(SheetTally.TokyoWardRecords(100101, k7), 0);
  EXPECT_EQ(count(3, k7), 4);  // the second walk adds to the first
}

TEST_F(CollationMarksTest, BandsWithoutAColumnAndDxUnderJapaneseCodesOnly) {
  line("1002", "135K", "*", 1);  // the standard set's satellite column takes it
  line("1002", "10G", "*", 2);   // no column at all
  line("501A", "7", "*", 3);     // no row (a master loaded for Japanese codes only)
  collate(ConfirmRule::ListedMarks);
  EXPECT_EQ(cell(4, kSat), "C");
  EXPECT_EQ(count(4, kSat), 1);
  for (int c = 5; c <= 20; ++c) EXPECT_EQ(cell(10, c), "");
}

}  // namespace
