// Kind letters, band totals and the rows of a view, on a small hand-made master table.

#include <gtest/gtest.h>

#include "core/BandLayout.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetTally.h"
#include "support/shared_state.h"

namespace {

struct Row {
  const char* code;
  const char* name;
  const char* area;
};

struct SheetFillTest : ::testing::Test {
  void SetUp() override { ResetSharedState(); }
  void TearDown() override { ResetSharedState(); }

  void load(std::initializer_list<Row> rows) {
    MasterTable.Redim(BandLayout.KindColumn, int32_t(rows.size()));
    int r = 0;
    for (const Row& row : rows) {
      ++r;
      MasterTable(1, r) = QString::fromUtf8(row.code).leftJustified(6, ' ');
      MasterTable(2, r) = QString::fromUtf8(row.name);
      MasterTable(4, r) = QString::fromUtf8(row.area);
    }
    SheetTally.MasterRowCount = r;
    SheetTally.SizeCellArrays(BandLayout.LastBandColumn, r);
  }
  // A mark with the QSO behind it.
  void mark(int row, int column, const char* mark, int recordNumber, int date) {
    MasterTable(column, row) = mark;
    SheetTally.CellRecordNumbers(column, row) = QString::number(recordNumber).rightJustified(10, '0');
    SheetTally.CellRecordDates(column, row) = date;
  }
  std::vector<int> shownRows() {
    std::vector<int> out;
    for (const SheetViewRow& v : SelectViewRows()) out.push_back(v.hidden ? -v.masterRow : v.masterRow);
    return out;
  }
};

TEST_F(SheetFillTest, KindLetters) {
  // Of "町田村" the last of the two counts.
  const std::tuple<const char*, const char*, const char*> letters[] = {
      {"4991", "", "C"},         {"1001", "", "C"},         {"500A", "", "DX"},
      {"10001", "", "G"},        {"100101", "", "K"},       {"10001A", "大島町                  ", "T"},
      {"10001B", "町田村", "V"}, {"10001C", "*青ヶ島", ""}, {"123", "", ""},
  };
  for (const auto& [code, qth, letter] : letters)
    EXPECT_EQ(KindLetterOf(code, QString::fromUtf8(qth)), letter) << code;
}

TEST_F(SheetFillTest, TotalsCountEveryRowByKindAndTheTokyoWardsByDate) {
  load({{"1001", "東京23区", "1"},
        {"100101", "千代田区", "1"},
        {"100102", "中央区", "1"},
        {"1002", "八王子市", "1"},
        {"110101", "*旧区", "1"},
        {"10001", "大島支庁", "1"},
        {"10001A", "大島町", "1"},
        {"10001B", "利島村", "1"},
        {"10001C", "どこか", "1"},
        {"501A", "Entity", "A"},
        {"501B", "Entity part", "A"},
        {"502A", "Other", "B"}});
  mark(2, 7, "C", 10, 20100401);  // Tokyo ward on the first day: a city
  mark(2, 9, "W", 11, 20100331);  // the day before: a ward
  mark(3, 7, "W", 12, 20120101);
  mark(4, 7, "C", 13, 19990101);
  mark(5, 7, "C", 14, 19990101);  // abolished ward: counted all the same
  mark(6, 7, "W", 15, 19990101);
  mark(7, 7, "C", 16, 19990101);
  mark(8, 14, "W", 17, 19990101);
  mark(9, 7, "C", 18, 19990101);  // no kind: not counted
  mark(10, 7, "W", 19, 19990101);
  mark(11, 7, "C", 20, 19990101);  // second row of entity 501: not counted
  mark(11, 9, "C", 21, 19990101);
  mark(12, 20, "C", 22, 19990101);
  AssignKindLetters();
  CountBandTotals();
  EXPECT_EQ(MasterTable(BandLayout.KindColumn, 1), "C");
  EXPECT_EQ(MasterTable(BandLayout.KindColumn, 9), "");
  EXPECT_EQ(BandTotals.CityWorked[2], 3);  // 7 MHz: ward 100101 from 2010, 100102 from 2012, 1002
  EXPECT_EQ(BandTotals.CityConfirmed[2], 2);
  EXPECT_EQ(BandTotals.WardWorked[4], 1);  // 10 MHz: 100101 before 2010-04-01
  EXPECT_EQ(BandTotals.WardWorked[2], 1);  // the abolished 110101
  EXPECT_EQ(BandTotals.WardConfirmed[2], 1);
  EXPECT_EQ(BandTotals.GunWorked[2], 1);
  EXPECT_EQ(BandTotals.GunConfirmed[2], 0);
  EXPECT_EQ(BandTotals.TownConfirmed[2], 1);
  EXPECT_EQ(BandTotals.VillageWorked[9], 1);
  EXPECT_EQ(BandTotals.DxWorked[2], 1);  // 501A's own W; 501B's C is not looked at
  EXPECT_EQ(BandTotals.DxConfirmed[2], 0);
  EXPECT_EQ(BandTotals.DxWorked[4], 0);
  EXPECT_EQ(BandTotals.DxConfirmed[15], 1);  // satellite of the standard set
}

TEST_F(SheetFillTest, ViewsByAreaPrefectureKindsAndAbolishedPlaces) {
  load({{"1001", "東京23区", "1"},
        {"1002", "八王子市", "1"},
        {"2001", "*旧市", "2"},
        {"20001", "郡", "2"},
        {"500A", "Japan", "A"}});
  AssignKindLetters();
  EXPECT_EQ(shownRows(), (std::vector<int>{-1, 2, 3, 4, 5}));  // "1001" is there but hidden

  DisplayItems.DelQTH = "1";
  EXPECT_EQ(shownRows(), (std::vector<int>{-1, 2, -3, 4, 5}));

  SheetTally.AreaFilter = "2";
  SheetTally.AreaCaption = QString::fromUtf8("２エリア");
  EXPECT_EQ(shownRows(), (std::vector<int>{-3, 4}));

  SheetTally.AreaFilter.clear();
  SheetTally.PrefectureFilter = "10";
  EXPECT_EQ(shownRows(), (std::vector<int>{-1, 2}));

  SheetTally.PrefectureFilter = "47";
  EXPECT_TRUE(shownRows().empty());

  SheetTally.PrefectureFilter.clear();
  SheetTally.AreaCaption.clear();
  DisplayItems.GunOn = 0;
  DisplayItems.DxOn = 0;
  EXPECT_EQ(shownRows(), (std::vector<int>{-1, 2, -3}));
}

}  // namespace
