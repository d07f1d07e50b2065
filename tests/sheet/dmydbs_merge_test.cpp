// New work-file lines merged into a sorted file give the file a whole sort gives.

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "sheet/DmyDbsLine.h"
#include "sheet/DmyDbsMerge.h"

namespace {

// Lines of a few codes and bands, record numbers from `first` on.
QByteArray someLines(int count, int first, quint32 seed) {
  static const char* codes[] = {"1001", "100101", "1002", "10001", "10001A", "10001B", "0901", "500A"};
  static const char* bands[] = {"7", "14", "1.9", "SAT", "430"};
  QRandomGenerator rng(seed);
  QByteArray out;
  for (int i = 0; i < count; ++i)
    AppendDmyDbsLine(out, codes[rng.bounded(8)], bands[rng.bounded(5)], rng.bounded(2) ? "*" : " ", "J",
                     first + i, u"20200101");
  return out;
}

TEST(DmyDbsMerge, NewLinesMergedEqualTheWholeFileSortedAndAreFoundWhereTheyLand) {
  for (int oldCount : {0, 1, 500}) {
    const QByteArray old = SortDmyDbsBytes(someLines(oldCount, 1, 3));
    ASSERT_TRUE(DmyDbsIsSorted(old));
    const QByteArray fresh = someLines(120, oldCount + 1, 4);
    std::vector<qsizetype> at;
    QByteArray merged = old;
    MergeIntoSortedDmyDbs(merged, SortDmyDbsBytes(fresh), at);
    EXPECT_EQ(merged, SortDmyDbsBytes(old + fresh)) << oldCount;
    ASSERT_EQ(at.size(), 120u);
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
    for (qsizetype line : at)  // each lands on a record number of the new ones
      EXPECT_GT(merged.mid(line * kDmyDbsRecordBytes + 13, 10).toInt(), oldCount);
  }
  std::vector<qsizetype> at;
  QByteArray none;
  MergeIntoSortedDmyDbs(none, QByteArray(), at);
  EXPECT_EQ(none, QByteArray());
  EXPECT_TRUE(at.empty());
}

TEST(DmyDbsMerge, AFileOutOfOrderIsToldApart) {
  const QByteArray sorted = SortDmyDbsBytes(someLines(50, 1, 9));
  EXPECT_TRUE(DmyDbsIsSorted(sorted));
  EXPECT_FALSE(DmyDbsIsSorted(sorted.right(33) + sorted.chopped(33)));
  EXPECT_TRUE(DmyDbsIsSorted(QByteArray()));
}

}  // namespace
