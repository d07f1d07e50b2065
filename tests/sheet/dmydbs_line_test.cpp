#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "platform/ksort.h"
#include "platform/vbfile.h"
#include "sheet/DmyDbsLine.h"
#include "support/temp_home.h"

namespace {

TEST(DmyDbsLine, WorkedExampleAndKindFlags) {
  QByteArray out;
  AppendDmyDbsLine(out, "1001", "7   ", "*", "J", 42, u"20230115");
  EXPECT_EQ(out, QByteArray("01001  7   *J000000004220230115\r\n"));
  AppendDmyDbsLine(out, "10001", "SAT ", " ", "", 7, u"19991231");
  AppendDmyDbsLine(out, "100105", "430 ", "E", "D", 8, u"20100401");
  AppendDmyDbsLine(out, "10001A", "1.9", "", "", 9, u"20100401");
  ASSERT_EQ(out.size(), 4 * kDmyDbsRecordBytes);
  EXPECT_EQ(out.mid(33, 13), QByteArray("110001 SAT   "));
  EXPECT_EQ(out.mid(66, 1), "0");  // ward: six characters ending in a digit
  EXPECT_EQ(out.mid(99, 1), "1");  // town: ending in a capital letter
  EXPECT_TRUE(IsPlainDmyDbs(out));
  // Record numbers take all ten places; none is below zero.
  const std::pair<int32_t, QByteArray> numbers[] = {
      {2147483647, "2147483647"}, {100000000, "0100000000"}, {99999999, "0099999999"}, {-5, "0000000000"}};
  for (const auto& [n, digits] : numbers) {
    QByteArray line;
    AppendDmyDbsLine(line, "1001", "7", " ", " ", n, u"20230115");
    EXPECT_EQ(line.mid(13, 10), digits);
  }
}

TEST(DmyDbsLine, TextThatDoesNotFitOneByteKeepsTheLineWidth) {
  QByteArray out;
  AppendDmyDbsLine(out, "10日01", "7", "\r", "受", 1, u"20230115");
  ASSERT_EQ(out.size(), kDmyDbsRecordBytes);
  EXPECT_EQ(out.mid(0, 13), QByteArray("110?01 7    ?"));
  EXPECT_TRUE(IsPlainDmyDbs(out));
}

TEST(DmyDbsLine, SortsExactlyAsTheFileSortDoes) {
  TempHome home;
  QRandomGenerator rng(7);
  static const char* codes[] = {"1001", "100101", "1002", "10001", "10001A", "10001B", "500A", "0101",
                                "12",   "9999",   "01A",  "1101",  "110101", "99999Z", "733A"};
  static const char* bands[] = {"1.9", "7", "SAT", "430", "10G", "", "14", "144"};
  static const char* marks[] = {"*", " ", "E"};
  static const char16_t* dates[] = {u"20200101", u"19991231", u"20240607"};
  // Record numbers at random, and rising as a fresh reading gives them; both repeat, so stability counts.
  for (bool rising : {false, true}) {
    QByteArray data;
    for (int i = 0; i < 5000; ++i)
      AppendDmyDbsLine(data, codes[rng.bounded(15)], bands[rng.bounded(8)], marks[rng.bounded(3)], "J",
                       rising ? i / 3 : int32_t(rng.bounded(3000)), dates[rng.bounded(3)]);
    const QString path = home.write("sort.dat", data);
    QString reply;
    ASSERT_EQ(ksort(QString::fromLatin1(kDmyDbsSortKey) + "'" + path + "' ", reply), KsortDone);
    EXPECT_EQ(SortDmyDbsBytes(data), home.read("sort.dat")) << rising;
  }
}

TEST(DmyDbsLine, RunsGroupedByABookOfCodesAndBandsSortAsTheWholeFile) {
  QRandomGenerator rng(11);
  // The book holds some of the codes and bands; the rest are grouped by their own keys.
  static const char* codes[] = {"1001", "100101", "1002", "10001", "10001A",
                                "500A", "0101",   "9999", "4701ZZ"};
  static const char* bands[] = {"1.9", "7", "SAT", "430", "10G", "14", "144"};
  auto lineOf = [](const char* code, const char* band) {
    QByteArray line;
    AppendDmyDbsLine(line, code, band, " ", "J", 0, u"20200101");
    return line;
  };
  std::vector<uint64_t> bookCodes;
  std::vector<uint32_t> bookBands;
  for (int i = 0; i < 6; ++i) bookCodes.push_back(DmyDbsGroupKey::CodeOf(lineOf(codes[i], "7").constData()));
  for (int i = 0; i < 4; ++i)
    bookBands.push_back(DmyDbsGroupKey::BandOf(lineOf("1001", bands[i]).constData()));
  const DmyDbsKeyBook book(bookCodes, bookBands);
  EXPECT_EQ(book.Size(), 24u);
  EXPECT_EQ(book.Find(lineOf("4701ZZ", "7").constData()), kDmyDbsNoGroup);
  EXPECT_EQ(book.Find(lineOf("1001", "144").constData()), kDmyDbsNoGroup);

  QByteArray data;
  for (int i = 0; i < 6000; ++i)
    AppendDmyDbsLine(data, codes[rng.bounded(9)], bands[rng.bounded(7)], i % 3 ? "*" : " ", "J", i,
                     u"20200101");
  // Three runs in record order, one of them with places left empty.
  std::vector<DmyDbsRun> runs;
  QByteArray kept;
  for (int from : {0, 2500, 4000}) {
    DmyDbsRun run(&book);
    run.lines = data.constData() + qsizetype(from) * kDmyDbsRecordBytes;
    const int to = from == 0 ? 2500 : from == 2500 ? 4000 : 6000;
    for (int i = from; i < to; ++i) {
      const char* line = data.constData() + qsizetype(i) * kDmyDbsRecordBytes;
      const bool empty = from == 2500 && i % 7 == 0;
      run.groupOfLine.push_back(empty ? kDmyDbsNoGroup : run.groups.Add(line));
      if (!empty) kept.append(line, kDmyDbsRecordBytes);
    }
    runs.push_back(std::move(run));
  }
  EXPECT_EQ(SortDmyDbsRuns(runs), SortDmyDbsBytes(kept));
}

TEST(DmyDbsLine, OnlyWholeCrLfLinesArePlain) {
  QByteArray out;
  AppendDmyDbsLine(out, "1001", "7", "*", "J", 1, u"20230115");
  EXPECT_FALSE(IsPlainDmyDbs(out.left(32)));
  QByteArray lone = out;
  lone[5] = '\r';
  EXPECT_FALSE(IsPlainDmyDbs(lone));
  EXPECT_EQ(VbValBytes(" 0000000042"), 42);
  EXPECT_EQ(VbValBytes("20230115\r\n"), 20230115);
}

}  // namespace
