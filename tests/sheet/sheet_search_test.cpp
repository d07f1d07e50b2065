// The sheet's search box on a small hand-made sheet: codes, guns, towns, QTH names, reading indexes,
// DX prefixes with hidden rows, key steps and the double click.

#include <gtest/gtest.h>

#include <vector>

#include "sheet/SheetSearch.h"
#include "support/qt_print.h"

namespace {

struct Row {
  const char* code;
  const char* qth;
  const char* idx;
  const char* area;
  bool hidden = false;
};

class Table : public SearchRows {
 public:
  explicit Table(std::vector<Row> rows) : rows_(std::move(rows)) {}
  QString Cell(int32_t row, int32_t column) const override {
    const Row& r = rows_.at(size_t(row - 1));
    const char* texts[] = {r.code, r.qth, r.idx, r.area};
    return QString::fromUtf8(texts[column - 1]);
  }
  bool Hidden(int32_t row) const override { return rows_.at(size_t(row - 1)).hidden; }
  int32_t LastDataRow() const override { return static_cast<int32_t>(rows_.size()); }

 private:
  std::vector<Row> rows_;
};

// Rows 1-9 Japanese, 10-15 DX (10 is the first DX row).
const Table kSheet({
    {"1001  ", "札幌市", "さっ", "8"},          // 1
    {"100101", "札幌市中央区", "さっ", "8"},    // 2
    {"01002 ", "石狩郡", "いし", "8"},          // 3
    {"01002A", "当別町", "とう", "8"},          // 4
    {"1101  ", "横浜市", "よこ", "1"},          // 5
    {"1102  ", "*旧市", "きゅ", "1", true},     // 6
    {"1103  ", "鎌倉市", "かま", "1"},          // 7
    {"5001  ", "鎌ケ谷市", "かま", "1"},        // 8
    {"6001  ", "日本市", "ん", "6"},            // 9
    {"100A  ", "Sov. Union", "U", "A", false},  // 10
    {"100   ", "Russia", "UA", "", true},       // 11
    {"101A  ", "USA", "K", "", false},          // 12
    {"102   ", "Alaska", "KL", "7", true},      // 13
    {"103   ", "*Gone", "KL", "9", true},       // 14
    {"600   ", "Taiwan", "BV", ""},             // 15
});

SearchView view(bool townsShown = true, bool abolishedHidden = false) {
  return {townsShown, abolishedHidden, 10};
}

SearchOutcome change(const char* text, SearchView v = view()) {
  return SearchBoxChanged(QString::fromUtf8(text), kSheet, v);
}

}  // namespace

TEST(SheetSearch, CodesFindTheirRowByPrefixAndGunsExactly) {
  EXPECT_EQ(change("1").topRow, 1);
  EXPECT_EQ(change("110").topRow, 5);
  EXPECT_EQ(change("6").topRow, 15) << "a single 6 or more starts at the first DX row";
  EXPECT_EQ(change("01002").topRow, 3) << "a gun code finds the gun, not its first town";
  EXPECT_EQ(change("01002A").topRow, 4);
  EXPECT_EQ(change("01002A", view(false)).topRow, 3) << "towns hidden: the town's gun";
  SearchOutcome none = change("9999");
  EXPECT_EQ(none.topRow, 0);
  EXPECT_EQ(none.notice, "このコードは存在しません。");
  EXPECT_TRUE(none.lookUp);
  SearchOutcome tooLong = change("1234567");
  EXPECT_EQ(tooLong.topRow, 0);
  EXPECT_TRUE(tooLong.notice.isEmpty());
  EXPECT_FALSE(tooLong.lookUp) << "seven characters: no search and no record-book look-up";
  EXPECT_FALSE(change("#").lookUp) << "a lone symbol ends the search silently";
  EXPECT_FALSE(change("   ").lookUp);
}

TEST(SheetSearch, NamesAndReadingIndexesAndAbolishedPlaces) {
  EXPECT_EQ(change("鎌").topRow, 7);
  EXPECT_EQ(SheetSearch.SearchStartRow, 8);
  EXPECT_EQ(change("かま").topRow, 7) << "hiragana search the reading index";
  EXPECT_EQ(SheetSearch.SearchColumn, 3);
  EXPECT_EQ(change("ん").topRow, 9) << "the last hiragana still searches the index";
  EXPECT_EQ(change("旧市").notice, "消滅しております。");
  EXPECT_EQ(change("旧市", view(true, true)).notice, "1102   は消滅です。");
  EXPECT_EQ(change("1102", view(true, true)).notice, "1102   は消滅です。");
  EXPECT_EQ(change("東京").notice, "このコードは存在しません。");
}

TEST(SheetSearch, DxPrefixesAndTheirHiddenRows) {
  SearchOutcome usa = change("DK");
  EXPECT_EQ(usa.topRow, 12);
  EXPECT_TRUE(usa.setPanel);
  EXPECT_TRUE(usa.label3.isEmpty());
  SearchOutcome alaska = change("DKL7");
  EXPECT_EQ(alaska.topRow, 12) << "a hidden prefix row shows its entity's main row";
  EXPECT_EQ(alaska.label3, "102    KL7");
  EXPECT_EQ(alaska.label6, "Alaska");
  EXPECT_EQ(alaska.label4, "同一Ent.");
  EXPECT_EQ(SheetSearch.SearchStartRow, 14);
  SearchOutcome gone = change("DKL9");
  EXPECT_EQ(gone.label4, "消滅！");
  EXPECT_EQ(change("DKL77").topRow, 0) << "only prefixes of one to three characters";
  EXPECT_EQ(change("DZZ").notice, "このコードは存在しません。");
  EXPECT_EQ(change("X").notice, "") << "other letters do not search";
}

TEST(SheetSearch, KeyStepsSkipTheLastMatchWhenTheyTurn) {
  const QString text = QString::fromUtf8("市");
  SearchBoxChanged(text, kSheet, view());  // row 1, start row 2
  EXPECT_EQ(SearchStep(text, true, kSheet, view()).topRow, 2);
  EXPECT_EQ(SearchStep(text, true, kSheet, view()).topRow, 5);
  EXPECT_EQ(SearchStep(text, false, kSheet, view()).topRow, 2)
      << "up after two downs: the match before the last";
  SearchStep(text, false, kSheet, view());
  EXPECT_EQ(SearchStep(text, false, kSheet, view()).notice, "これ以上ありません");
  SheetSearch = {};
  const QString code = "100";
  SearchBoxChanged(code, kSheet, view());
  EXPECT_EQ(SearchStep(code, true, kSheet, view()).topRow, 1) << "codes step by substring";
  EXPECT_EQ(SearchStep(QString(), true, kSheet, view()).notice, "");
}

TEST(SheetSearch, DoubleClickStepsToTheNextDxCandidate) {
  SearchBoxChanged("DK", kSheet, view());
  EXPECT_EQ(SheetSearch.SearchRow, 12);
  EXPECT_EQ(SearchNextDxCandidate("DK", kSheet).topRow, 13);
  EXPECT_EQ(SearchNextDxCandidate("DK", kSheet).topRow, 14);
  EXPECT_EQ(SearchNextDxCandidate("DK", kSheet).topRow, 0);

  EXPECT_EQ(SheetSearch.SearchStartRow, 1);
}
