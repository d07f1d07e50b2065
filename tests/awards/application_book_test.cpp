// The application book's arithmetic and its files: previous counts, additions and current counts,
// the counts file (round trip, band-set spread, hand-edited files), its backup and the book CSV.

#include <gtest/gtest.h>

#include "awards/ApplicationBook.h"
#include "awards/PrevCountsFile.h"
#include "platform/codepage.h"
#include "support/shared_state.h"
#include "support/temp_home.h"

namespace {

const QDate kToday(2026, 12, 7);

struct Cell {
  int row, col;
  const char* text;
};

struct ApplicationBookTest : ::testing::Test {
  TempHome home;
  void TearDown() override { ResetSharedState(); }
  static void expectCells(const TextTable& t, std::initializer_list<Cell> cells) {
    for (const Cell& c : cells) EXPECT_EQ(t.At(c.row, c.col), c.text) << "cell " << c.row << "," << c.col;
  }
  QStringList lines(const QString& name) {
    QStringList l = FromAnsi(home.read(name)).split("\r\n");
    if (!l.isEmpty() && l.back().isEmpty()) l.removeLast();
    return l;
  }
  QString base(const QString& mode = "MIX", bool ext = false) { return BookCountsBase(mode, ext); }
};

TEST_F(ApplicationBookTest, ANewBookHasItsHeadingsLabelsAndZeroPreviousCounts) {
  const TextTable b = NewBookTable(0, kToday);
  ASSERT_EQ(b.Rows(), 13);
  ASSERT_EQ(b.Cols(), 19);
  expectCells(b, {{0, 2, "1.9MHz"}, {0, 9, "24.9MHz"}, {0, 17, "ｻﾃﾗｲﾄ"}, {0, 18, "  合 計"}});
  expectCells(b, {{2, 0, "　市"}, {11, 0, "総　計"}, {4, 1, "前回申請数"}, {5, 1, "今回追加数 2026/12/07"}});
  expectCells(b, {{9, 1, "今回累計"}, {1, 2, "0"}, {7, 17, "0"}});
  const TextTable e = NewBookTable(1, kToday);
  ASSERT_EQ(e.Cols(), 25);
  expectCells(e, {{0, 17, "135kHz"}, {0, 23, "ｻﾃﾗｲﾄ"}, {0, 24, "  合 計"}});
  EXPECT_EQ(BookBandKey(2, 0), "1R9");
  EXPECT_EQ(BookBandKey(17, 0), "ｻﾃﾗｲﾄ");
  EXPECT_EQ(BookBandKey(17, 1), "135k");
  EXPECT_EQ(BookBandKey(18, 0), "");
  EXPECT_EQ(BookBandKey(23, 1), "ｻﾃﾗｲﾄ");
}

TEST_F(ApplicationBookTest, AdditionsAreCurrentLessPreviousWithTotals) {
  BandTotalsState t;
  t.CityConfirmed[0] = 10;
  t.GunConfirmed[0] = 2;
  t.WardConfirmed[15] = 3;
  t.CityWorked[0] = 99;  // worked counts never enter the book
  TextTable b = NewBookTable(0, kToday);
  b.Set(1, 2, "8");
  b.Set(4, 2, "3");
  b.Set(7, 17, "1");
  RecalcBookTotals(b, t, 0);
  expectCells(b, {{3, 2, "10"}, {2, 2, "2"}, {5, 2, "-1"}, {12, 2, "12"}, {10, 2, "11"}, {11, 2, "1"}});
  expectCells(b, {{9, 17, "3"}, {8, 17, "2"}});
  // Total column.
  expectCells(b, {{1, 18, "8"}, {2, 18, "2"}, {3, 18, "10"}, {5, 18, "-1"}});
  expectCells(b, {{8, 18, "2"}, {10, 18, "12"}, {11, 18, "3"}, {12, 18, "15"}});
  // A correction typed as text counts by its leading number.
  b.Set(1, 2, "7件");
  RecalcBookTotals(b, t, 0);
  EXPECT_EQ(b.At(2, 2), "3");
  b.Set(1, 2, "abc");
  RecalcBookTotals(b, t, 0);
  EXPECT_EQ(b.At(2, 2), "10");
  EXPECT_EQ(b.At(1, 2), "abc");
}

TEST_F(ApplicationBookTest, BookCsvHoldsAdditionsAndCurrentCountsEachCellWithAComma) {
  BandTotalsState t;
  t.CityConfirmed[0] = 2;
  TextTable b = NewBookTable(0, kToday);
  RecalcBookTotals(b, t, 0);
  ASSERT_TRUE(WriteBookCsv(b, 0));
  const QStringList l = lines("ORBEX_BOOK.CSV");
  ASSERT_EQ(l.size(), 8);
  const QString cityLine = "2," + QString("0,").repeated(15) + "2,";
  EXPECT_EQ(l[0], cityLine);  // additions equal the current counts without a previous application
  EXPECT_EQ(l[1], cityLine);
  EXPECT_EQ(l[2], QString("0,").repeated(17));
  EXPECT_EQ(l[6], cityLine);
  ASSERT_TRUE(WriteBookCsv(NewBookTable(1, kToday), 1));
  EXPECT_EQ(lines("ORBEX_BOOKsp.CSV").size(), 8);
  EXPECT_EQ(lines("ORBEX_BOOKsp.CSV")[0].count(','), 23);
}

TEST_F(ApplicationBookTest, CountsFileRoundTripAndBackup) {
  TextTable b = NewBookTable(0, kToday);
  b.Set(1, 2, "12");
  b.Set(4, 5, "3");
  b.Set(7, 17, "1");
  EXPECT_TRUE(BackupPrevDat(base()));  // nothing to back up yet
  EXPECT_FALSE(QFile::exists(base() + ".bak"));
  ASSERT_TRUE(SavePrevCounts(b, kPrevRows, base(), 0));
  const QStringList l = lines("ORB-MIX前回申請数.DAT");
  ASSERT_EQ(l.size(), 3);
  EXPECT_EQ(l[0], "\"12\"," + QString("\"0\",").repeated(14) + "\"0\"");
  EXPECT_EQ(l[2], QString("\"0\",").repeated(15) + "\"1\"");

  TextTable read = NewBookTable(0, kToday);
  read.Set(1, 3, "99");
  ASSERT_EQ(LoadPrevCounts(read, base(), 0), PrevCountsRead::Read);
  expectCells(read, {{1, 2, "12"}, {1, 3, "0"}, {4, 5, "3"}, {7, 17, "1"}});

  const QByteArray first = home.read("ORB-MIX前回申請数.DAT");
  b.Set(1, 2, "20");
  ASSERT_TRUE(BackupPrevDat(base()));
  ASSERT_TRUE(SavePrevCounts(b, kPrevRows, base(), 0));
  EXPECT_EQ(home.read("ORB-MIX前回申請数.bak"), first);
  EXPECT_NE(home.read("ORB-MIX前回申請数.DAT"), first);
  // Modes keep their own files.
  EXPECT_EQ(LoadPrevCounts(read, base("CW"), 0), PrevCountsRead::Missing);
}

TEST_F(ApplicationBookTest, ExtendedSetSpreadsAStandardFileAndWritesOnlyItsOwn) {
  home.write("ORB-MIX前回申請数.DAT", QString("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\",\"10\","
                                            "\"11\",\"12\",\"13\",\"14\",\"15\",\"16\"\r\n")
                                                .repeated(3)
                                                .toUtf8());
  const QByteArray standard = home.read("ORB-MIX前回申請数.DAT");
  TextTable e = NewBookTable(1, kToday);
  ASSERT_EQ(LoadPrevCounts(e, base(), 1), PrevCountsRead::Read);
  expectCells(e, {{1, 16, "15"}, {1, 17, "0"}, {4, 22, "0"}, {7, 23, "16"}});
  ASSERT_TRUE(SavePrevCounts(e, kPrevRows, base("MIX", true), 1));
  EXPECT_EQ(home.read("ORB-MIX前回申請数.DAT"), standard);
  const QStringList l = lines("ORB-MIX前回申請数sp.DAT");
  ASSERT_EQ(l.size(), 3);
  EXPECT_EQ(l[0].count(','), 21);
  TextTable again = NewBookTable(1, kToday);
  ASSERT_EQ(LoadPrevCounts(again, base("MIX", true), 1), PrevCountsRead::Read);
  EXPECT_EQ(again.At(7, 23), "16");
}

TEST_F(ApplicationBookTest, HandWrittenFilesReadByTheirNumbersOrNotAtAll) {
  // Unquoted, leading zeros, blanks, an empty field, a trailing blank line.
  home.write("ORB-MIX前回申請数sp.DAT",
             ("007, 2 ,\"3\",," + QString("0,").repeated(17) + "5\r\n" + QString("1,").repeated(21) + "1\r\n" +
              QString("0,").repeated(21) + "9\r\n\r\n")
                 .toUtf8());
  TextTable b = NewBookTable(1, kToday);
  ASSERT_EQ(LoadPrevCounts(b, base("MIX", true), 1), PrevCountsRead::Read);
  expectCells(b, {{1, 2, "7"}, {1, 3, "2"}, {1, 4, "3"}, {1, 5, "0"}, {1, 23, "5"}, {7, 23, "9"}});

  // Nonsense, a missing line, an extended file read in the standard set: no cell changes.
  for (const QByteArray& bad : {QByteArray("hello\r\nworld\r\n"), QByteArray("\"1\",\"2\"\r\n"),
                                (QString("\"1\",").repeated(21) + "\"1\"\r\n").repeated(3).toUtf8(),
                                (QString("\"1\",").repeated(15) + "\"1\"\r\n").repeated(4).toUtf8()}) {
    home.write("ORB-MIX前回申請数.DAT", bad);
    TextTable s = NewBookTable(0, kToday);
    s.Set(1, 2, "42");
    EXPECT_EQ(LoadPrevCounts(s, base(), 0), PrevCountsRead::Incomplete) << bad.constData();
    EXPECT_EQ(s.At(1, 2), "42");
    EXPECT_EQ(s.At(4, 2), "0");
  }
}

TEST_F(ApplicationBookTest, AFailedSaveKeepsTheOldFile) {
  TextTable b = NewBookTable(0, kToday);
  QString error;
  EXPECT_FALSE(SavePrevCounts(b, kPrevRows, home.file("missing folder/ORB-MIX前回申請数"), 0, &error));
  EXPECT_FALSE(error.isEmpty());

  // A cell that would not read back as its count never replaces a good file.
  ASSERT_TRUE(SavePrevCounts(b, kPrevRows, base(), 0));
  const QByteArray good = home.read("ORB-MIX前回申請数.DAT");
  b.Set(4, 3, "1,2");
  EXPECT_FALSE(SavePrevCounts(b, kPrevRows, base(), 0, &error));
  EXPECT_EQ(error, "郡 3.5MHz の「1,2」は数として読み戻せません。");
  EXPECT_EQ(home.read("ORB-MIX前回申請数.DAT"), good);
}

}  // namespace
