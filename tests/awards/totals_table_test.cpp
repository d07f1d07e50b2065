// The totals window's table as the operator reads it: counts per kind and band, the ORB rows, the
// dragged range's total and its caption, and the CSV file, in both band sets.

#include <gtest/gtest.h>

#include "awards/BandTotalsTable.h"
#include "core/SettingsStore.h"
#include "platform/codepage.h"
#include "support/shared_state.h"
#include "support/temp_home.h"

namespace {

// A hand-checked tally: 7 MHz cities 3 of 5, 21 MHz guns 1 of 2, satellite wards 1 of 1, 1.9 MHz
// towns worked 4, 50 MHz DX 7 of 9; in the extended set also 135 kHz cities 2 of 2.
BandTotalsState tally(int32_t set) {
  BandTotalsState t;
  const int sat = set == 1 ? 21 : 15;
  t.CityConfirmed[2] = 3, t.CityWorked[2] = 5;
  t.GunConfirmed[6] = 1, t.GunWorked[6] = 2;
  t.WardConfirmed[sat] = 1, t.WardWorked[sat] = 1;
  t.TownWorked[0] = 4;
  t.DxConfirmed[9] = 7, t.DxWorked[9] = 9;
  if (set == 1) t.CityConfirmed[15] = 2, t.CityWorked[15] = 2;
  return t;
}

struct Cell {
  int row, col;
  const char* text;
};

struct TotalsTableTest : ::testing::Test {
  TempHome home;
  void TearDown() override { ResetSharedState(); }
  static void expectCells(const TextTable& t, std::initializer_list<Cell> cells) {
    for (const Cell& c : cells) EXPECT_EQ(t.At(c.row, c.col), c.text) << "cell " << c.row << "," << c.col;
  }
};

TEST_F(TotalsTableTest, StandardSetFullRangeCountsEveryKindAndTheOrbRows) {
  const TextTable t = BuildTotalsTable(tally(0), {2, 17}, 0);
  ASSERT_EQ(t.Rows(), 17);
  ASSERT_EQ(t.Cols(), 18);
  expectCells(t, {{0, 0, "ORB"}, {0, 1, "　　合　計"}, {0, 2, "1.9MHz"}, {0, 14, "1.2GHz"}});
  expectCells(t, {{0, 17, "ｻﾃﾗｲﾄ"}, {3, 0, "CFM-市"}, {16, 0, "WKD-DX"}, {9, 0, ""}});
  // Band cells.
  expectCells(t, {{3, 4, "3"}, {4, 4, "5"}, {3, 5, "0"}, {7, 17, "1"}, {11, 2, "4"}, {15, 11, "7"}});
  expectCells(t, {{9, 4, ""}});
  // Range totals.
  expectCells(t, {{3, 1, "3"}, {4, 1, "5"}, {6, 1, "2"}, {7, 1, "1"}, {11, 1, "4"}, {16, 1, "9"}});
  // ORB rows: cities, guns and wards only, per band and in the total.
  expectCells(t, {{1, 1, "5"}, {2, 1, "8"}, {1, 4, "3"}, {2, 8, "2"}, {1, 11, "0"}});
}

TEST_F(TotalsTableTest, ExtendedSetPutsTheSatelliteLastAndCountsTheNewBands) {
  const TextTable t = BuildTotalsTable(tally(1), {2, 23}, 1);
  ASSERT_EQ(t.Cols(), 24);
  expectCells(t, {{0, 17, "135kHz"}, {0, 22, "77GHz"}, {0, 23, "ｻﾃﾗｲﾄ"}});
  expectCells(t, {{3, 17, "2"}, {7, 23, "1"}, {7, 17, "0"}, {3, 1, "5"}, {1, 1, "7"}, {2, 1, "10"}});
}

TEST_F(TotalsTableTest, RangeTotalsFollowTheRangeAndNeverReadPastTheBands) {
  // 7 MHz to 21 MHz: the satellite ward is outside.
  expectCells(BuildTotalsTable(tally(0), {4, 8}, 0), {{3, 1, "3"}, {5, 1, "1"}, {7, 1, "0"}, {1, 1, "4"}});
  // Starting at the label or total column sums as from the first band.
  EXPECT_EQ(BuildTotalsTable(tally(0), {0, 17}, 0).At(2, 1), "8");
  EXPECT_EQ(BuildTotalsTable(tally(0), {1, 17}, 0).At(2, 1), "8");
  // A click on the total column alone: every total is "0".
  expectCells(BuildTotalsTable(tally(0), {1, 1}, 0), {{3, 1, "0"}, {16, 1, "0"}, {1, 1, "0"}});
  // A reversed range sums nothing: the kind totals stay empty, the ORB rows show "0".
  expectCells(BuildTotalsTable(tally(0), {8, 4}, 0), {{3, 1, ""}, {1, 1, "0"}, {2, 1, "0"}});
  // A stored end far beyond the grid reads up to the satellite only.
  expectCells(BuildTotalsTable(tally(0), {2, 99999}, 0), {{7, 1, "1"}, {2, 1, "8"}});
}

TEST_F(TotalsTableTest, CaptionNamesTheRange) {
  EXPECT_EQ(BandRangeCaption({2, 17}, 0), "1.9MHz-ｻﾃﾗｲﾄまでの合計を表示しています。");
  EXPECT_EQ(BandRangeCaption({4, 8}, 0), "7MHz-21MHz帯までの合計を表示しています。");
  EXPECT_EQ(BandRangeCaption({8, 8}, 0), "21MHz帯の合計を表示しています。");
  EXPECT_EQ(BandRangeCaption({14, 17}, 0), "1200MHz-ｻﾃﾗｲﾄまでの合計を表示しています。");
  EXPECT_EQ(BandRangeCaption({17, 23}, 1), "135kHz-ｻﾃﾗｲﾄまでの合計を表示しています。");
  EXPECT_EQ(BandRangeCaption({23, 23}, 1), "ｻﾃﾗｲﾄの合計を表示しています。");
  EXPECT_EQ(BandRangeCaption({17, 17}, 0), "ｻﾃﾗｲﾄの合計を表示しています。");
  // Columns that name no band take the band the sums start or end at.
  EXPECT_EQ(BandRangeCaption({0, 5}, 0), "1.9MHz-10MHz帯までの合計を表示しています。");
  EXPECT_EQ(BandRangeCaption({3, 40}, 0), "3.5MHz-ｻﾃﾗｲﾄまでの合計を表示しています。");
  // No band in the range: the total column alone, a range turned round, one beyond the bands.
  const QString none = "合計するバンドがありません。表のバンドの列の上でドラッグして範囲を指定して下さい。";
  EXPECT_EQ(BandRangeCaption({1, 1}, 0), none);
  EXPECT_EQ(BandRangeCaption({8, 4}, 0), none);
  EXPECT_EQ(BandRangeCaption({18, 23}, 0), none);
  EXPECT_EQ(BandRangeCaption({0, 2}, 0), "1.9MHz帯の合計を表示しています。");
}

TEST_F(TotalsTableTest, DraggingChoosesTheRange) {
  EXPECT_EQ(DraggedBandRange(3, 8, 4, 0), (TotalsBandRange{4, 8}));
  EXPECT_EQ(DraggedBandRange(3, 4, 8, 0), (TotalsBandRange{4, 8}));
  EXPECT_EQ(DraggedBandRange(5, 9, 9, 0), (TotalsBandRange{9, 9}));
  // Releasing over the label column gives every band, whatever the start.
  EXPECT_EQ(DraggedBandRange(5, 9, 0, 0), (TotalsBandRange{2, 17}));
  EXPECT_EQ(DraggedBandRange(5, 9, 0, 1), (TotalsBandRange{2, 23}));
  // Pressing on the last row's satellite cell starts at the first band.
  EXPECT_EQ(DraggedBandRange(16, 17, 17, 0), (TotalsBandRange{2, 17}));
  EXPECT_EQ(DraggedBandRange(16, 23, 23, 1), (TotalsBandRange{2, 23}));
  EXPECT_EQ(DraggedBandRange(15, 17, 17, 0), (TotalsBandRange{17, 17}));
}

TEST_F(TotalsTableTest, TheRangeIsStoredAndEmptyKeysGiveEveryBand) {
  EXPECT_EQ(ReadBandRange(0), (TotalsBandRange{2, 17}));
  EXPECT_EQ(ReadBandRange(1), (TotalsBandRange{2, 23}));
  StoreBandRange({4, 8});
  EXPECT_EQ(ReadIni("ORB", "BANDST"), "4");
  EXPECT_EQ(ReadIni("ORB", "BANDED"), "8");
  EXPECT_EQ(ReadBandRange(0), (TotalsBandRange{4, 8}));
  // The settings dialog empties both when the band set changes.
  WriteIni("ORB", "BANDST", "");
  WriteIni("ORB", "BANDED", "");
  EXPECT_EQ(ReadBandRange(1), (TotalsBandRange{2, 23}));
  WriteIni("ORB", "BANDST", "abc");
  EXPECT_EQ(ReadBandRange(0).first, 0);
}

TEST_F(TotalsTableTest, CsvHoldsSeventeenLinesOfTheGridInTheCodePage) {
  const QString path = home.file("ORB_Total.CSV");
  ASSERT_TRUE(WriteTotalsCsv(BuildTotalsTable(BandTotalsState{}, {2, 17}, 0), path));
  const QByteArray bytes = home.read("ORB_Total.CSV");
  ASSERT_TRUE(bytes.endsWith("\r\n"));
  const QStringList lines = FromAnsi(bytes).split("\r\n");
  ASSERT_EQ(lines.size(), 18);  // 17 lines and the empty text after the last line end
  EXPECT_EQ(lines[0],
            "ORB,　　合　計,1.9MHz,3.5MHz,7MHz,10MHz,14MHz,18MHz,21MHz,24MHz,28MHz,50MHz,144MHz,430MHz,"
            "1.2GHz,2.4GHz,5.6GHz,ｻﾃﾗｲﾄ");
  EXPECT_EQ(lines[1], "総 CFM,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(lines[9], QString(17, ','));
  EXPECT_EQ(lines[14], QString(17, ','));
  EXPECT_TRUE(bytes.contains(ToAnsi("WKD-村")));

  ASSERT_TRUE(WriteTotalsCsv(BuildTotalsTable(BandTotalsState{}, {2, 23}, 1), path));
  EXPECT_EQ(FromAnsi(home.read("ORB_Total.CSV")).split("\r\n")[9], QString(23, ','));
}

TEST_F(TotalsTableTest, AFailedCsvWriteSaysSoAndLeavesNoFile) {
  QString error;
  EXPECT_FALSE(WriteTotalsCsv(BuildTotalsTable(BandTotalsState{}, {2, 17}, 0),
                              home.file("no such folder/ORB_Total.CSV"), &error));
  EXPECT_FALSE(error.isEmpty());
}

}  // namespace
