// The new-city record book file: codes normalised and sorted, values cut to the book's widths, lines
// the book cannot hold counted, the filters of the AREA menu, and the write-back with its backup.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <map>

#include "awards/CsvFields.h"
#include "awards/RecordBook.h"

#include "platform/codepage.h"
#include "platform/ksort.h"
#include "platform/vbfile.h"
#include "platform/paths.h"
#include "support/temp_home.h"

namespace {

struct RecordBookTest : ::testing::Test {
  TempHome home;

  QString book() const { return home.file("ORBEX_整理簿.txt"); }
  QString work() const { return home.file("DMYSBMST.dat"); }
  void writeBook(const QString& text) { home.write("ORBEX_整理簿.txt", ToAnsi(text)); }
  RecordBookLoad load() { return LoadRecordBook(book(), work()); }
  static QStringList codes(const RecordBookLoad& l) {
    QStringList c;
    for (const RecordBookRow& r : l.rows) c << r.code;
    return c;
  }
};

TEST(RecordBookCodes, NormalisedKindAndArea) {
  EXPECT_EQ(NormalizeBookCode("13440*"), "134409");
  EXPECT_EQ(NormalizeBookCode("01234*"), "01234Z");
  EXPECT_EQ(NormalizeBookCode("100*"), "1009");
  EXPECT_EQ(NormalizeBookCode("100129"), "10012Z");
  EXPECT_EQ(NormalizeBookCode("10010*"), "100109");
  using Cases = std::map<QString, QString>;
  for (const auto& [code, kind] : Cases{{"1001", "0"}, {"100101", "0"}, {"10012Z", "1"}, {"10001", "1"}})
    EXPECT_EQ(BookKindFlag(code), kind) << code.toStdString();
  for (const auto& [code, area] :
       Cases{{"0101", "8"}, {"0901", "0"}, {"2101", "2"}, {"4701", "6"}, {"4801", ""}, {"X1", ""}})
    EXPECT_EQ(BookAreaDigit(code), area) << code.toStdString();
}

TEST_F(RecordBookTest, LoadSortsByPrefectureThenCitiesBeforeGunsTownsAndVillages) {
  writeBook(
      "\"20050401\",\"11001A\",\"埼玉県ときがわ町\",\"\",\"\",\"告\"\r\n"
      "\"20050101\",\"100129\",\"東京都某区\",\"\",\"\",\"\"\r\n"
      "\"20050301\",\"1101\",\"埼玉県さいたま市\",\"\",\"\",\"\"\r\n"
      "\"20060101\",\"1005\",\"東京都新市\",\"消滅\",\"合併\",\"議\"\r\n");
  const RecordBookLoad l = load();
  ASSERT_TRUE(l.complete);
  // 100129 ends in a letter now: it sorts with the guns, towns and villages of its prefecture.
  EXPECT_EQ(codes(l), QStringList({"1005", "10012Z", "1101", "11001A"}));
  EXPECT_EQ(l.rows[0].mark, "消滅");
  EXPECT_EQ(l.rows[0].remark, "合併");
  EXPECT_EQ(l.rows[0].status, "議");
  EXPECT_EQ(l.rows[0].area, "1");
  EXPECT_TRUE(IsFile(work()));
}

TEST_F(RecordBookTest, EmptyMissingAndOverlongBooks) {
  writeBook("");
  RecordBookLoad l = load();
  EXPECT_TRUE(l.complete);
  EXPECT_TRUE(l.rows.empty());
  EXPECT_TRUE(RecordBookLoadNotice(l).isEmpty());

  const QString remark = QString("あ").repeated(40);
  writeBook("\"20050101\",\"1001\",\"東京都\",\"\",\"" + remark + "\",\"\"\r\n");
  l = load();
  ASSERT_EQ(l.rows.size(), 1u);
  EXPECT_EQ(l.rows[0].remark, remark.left(34));
  EXPECT_EQ(l.cutFields, 1);
  EXPECT_FALSE(l.complete) << "the cut text would be lost by writing the list back";
  EXPECT_TRUE(RecordBookLoadNotice(l).contains("書き戻しません"));

  QFile::remove(book());
  l = load();
  EXPECT_TRUE(l.complete) << "no book yet: an empty one";
  EXPECT_TRUE(l.rows.empty());
}

TEST_F(RecordBookTest, CarelessLinesAreCountedAndAnUnsafeBookIsNotForWriting) {
  writeBook("\r\n\"20050101\",\"1001\"\r\n   \r\n\"20050101\",\"1002\",\"東京都\",\"\",\"\",\"\"\r\n");
  RecordBookLoad l = load();
  EXPECT_EQ(l.blankLines, 2);
  EXPECT_EQ(l.shortLines, 1);
  EXPECT_EQ(l.rows.size(), 2u);
  EXPECT_TRUE(l.complete);  // nothing in these lines would be lost by writing the list back

  writeBook("\"20050101\",\"1001\",\"東京都\",\"\",\"\",\"\",\"余分\"\r\n");
  l = load();
  EXPECT_EQ(l.longLines, 1);
  EXPECT_FALSE(l.complete);
  EXPECT_TRUE(RecordBookLoadNotice(l).contains("書き戻しません"));

  home.write("ORBEX_整理簿.txt", QByteArray("\"20050101\",\"1001\",\"\x85\xFF\",\"\",\"\",\"\"\r\n"));
  l = load();
  EXPECT_EQ(l.unreadable, 1);
  EXPECT_FALSE(l.complete);
  // Saved by a Linux editor: LF line ends read as lines; in UTF-8: named, and not written back.
  const QString two = "\"20050101\",\"1001\",\"東京都\",\"\",\"\",\"\"\n\"20050101\",\"1002\",\"東京都\",\"\",\"\",\"\"\n";
  writeBook(two);
  l = load();
  EXPECT_EQ(codes(l), QStringList({"1001", "1002"}));
  EXPECT_TRUE(l.complete);
  home.write("ORBEX_整理簿.txt", two.toUtf8());
  l = load();
  EXPECT_FALSE(l.complete);
  EXPECT_TRUE(RecordBookLoadNotice(l).startsWith(
      "整理簿は UTF-8 で保存されています。Windows-31J (Shift_JIS) で保存し直して下さい"));
}

// The rows come from the book in one pass; they must be what the sorted work file holds, read back
// line by line, on a book with every kind of careless line.
TEST_F(RecordBookTest, RowsAreTheSortedWorkFileReadBack) {
  home.write("ORBEX_整理簿.txt",
             ToAnsi("\"20050401\",\"11001A\",\"埼玉県　ときがわ町　\",\"\",\"say \"\"hi\"\"\",\"告\"\r\n"
                    "\"20050101\",\"13440*\",\" 東京都某区 \",\"消滅\",\"" + QString("あ").repeated(40) + "\",\"\"\n"
                    "\r\n20050301,1101,ｻｲﾀﾏ市,,,\r\"20060101\",\"1005\"\r\n") +
                 "\"2006\",\"4701\",\"\xED\x40\xFA\x40\",\"\",\"\",\"\xFB\xFC\"\r\n"
                 "\"2007\",\"47*\",\"\x85\xFF\",\"\x81\",\"\",\"\",\"x\"\r\n\"2008\",\"0101\",\"\x82\"");
  const RecordBookLoad l = load();
  // Each line of the work file gives its row as the window showed it before.
  VbFile workFile(work(), VbMode::Input);
  QByteArray line;
  std::vector<RecordBookRow> fromWork;
  int32_t cuts = 0;
  const auto cut = [&cuts](const QByteArray& b, int width) {
    const QString v = FromAnsi(b);
    return v.size() <= width ? v : (++cuts, v.left(width).trimmed());
  };
  while (workFile.LineInputBytes(line)) {
    QList<QByteArray> f = SplitCsvBytes(line);
    f.resize(8);
    fromWork.push_back({cut(f[1], kBookCodeWidth), cut(f[2], kBookQthWidth), cut(f[3], kBookDateWidth),
                        cut(f[4], kBookMarkWidth), cut(f[5], kBookRemarkWidth), cut(f[6], kBookStatusWidth),
                        FromAnsi(f[7]).left(1)});
  }
  ASSERT_EQ(l.rows.size(), 7u);
  ASSERT_EQ(fromWork.size(), l.rows.size());
  for (size_t i = 0; i < fromWork.size(); ++i) {
    const RecordBookRow &a = l.rows[i], &b = fromWork[i];
    EXPECT_EQ(QStringList({a.code, a.qth, a.date, a.mark, a.remark, a.status, a.area}),
              QStringList({b.code, b.qth, b.date, b.mark, b.remark, b.status, b.area})) << i;
  }
  EXPECT_EQ(l.cutFields, cuts);
  EXPECT_GE(l.unreadable, 2);
  EXPECT_EQ(l.blankLines, 1);
  // The work file is already in the order the file sort gives it.
  const QByteArray sorted = home.read("DMYSBMST.dat");
  QString reply;
  EXPECT_EQ(ksort("/k(6:2)(2:1)(8:4) '" + work() + "' ", reply), KsortDone);
  EXPECT_EQ(home.read("DMYSBMST.dat"), sorted);
}

// A book all in Windows-31J is decoded as one text (in pieces, side by side); it must load exactly as
// line by line does, on lines of every kind: quotes, blanks of both widths, marks, half-width kana, cut
// and missing fields, and a line of bytes foreign to the code page in one piece.
TEST_F(RecordBookTest, WholeTextReadsAsLineByLine) {
  const QStringList pieces = {
      "東京都", "　埼玉県　", " ｻｲﾀﾏ ", "say \"\"hi\"\"", "a\\b~c", "①ⅰ～", "消滅",
      "",       " ",          "13440*", "0101",           "47*",    "１２", QString("あ").repeated(40),
      "x,y"};
  const QStringList ends = {"\r\n", "\n", "\r"};
  QString text;
  for (int i = 0; i < 4000; ++i) {
    const int fields = 1 + i * 7 % 8;
    QStringList f;
    for (int k = 0; k < fields; ++k) {
      const QString p = pieces[(i * 5 + k * 3 + i / 15) % pieces.size()];
      f << ((i + k) % 4 == 0 && !p.contains(u'"') && !p.contains(u',') ? p : "\"" + p + "\"");
    }
    text += (i % 23 == 0 ? QString(i % 2 ? " \t" : "　") : f.join(u',')) + ends[i % 3];
  }
  QByteArray bytes = ToAnsi(text);
  ASSERT_EQ(ToAnsi(FromAnsi(bytes)), bytes) << "the book must be one the whole text can be read from";
  ASSERT_GT(bytes.size(), 3 * 64 * 1024) << "a book of several pieces";
  bytes.insert(bytes.indexOf('\n', bytes.size() * 2 / 3) + 1, "\"2007\",\"47*\",\"\x85\xFF\",\"\x81\"\r\n");
  home.write("ORBEX_整理簿.txt", bytes);
  const auto rowsOf = [](const RecordBookLoad& l) {
    QStringList all;
    for (const RecordBookRow& r : l.rows)
      all << r.code << r.qth << r.date << r.mark << r.remark << r.status << r.area;
    return all;
  };
  const RecordBookLoad whole = load();
  const QByteArray wholeWork = home.read("DMYSBMST.dat");
  const RecordBookLoad perLine = LoadRecordBook(book(), work(), BookReading::PerLine);
  EXPECT_EQ(rowsOf(whole), rowsOf(perLine));
  EXPECT_EQ(wholeWork, home.read("DMYSBMST.dat"));
  EXPECT_EQ(
      QList<int>({whole.blankLines, whole.shortLines, whole.longLines, whole.cutFields, whole.unreadable}),
      QList<int>({perLine.blankLines, perLine.shortLines, perLine.longLines, perLine.cutFields,
                  perLine.unreadable}));
  EXPECT_GT(whole.cutFields, 0);
  EXPECT_GT(whole.longLines, 0);
  EXPECT_EQ(whole.unreadable, 1);
  EXPECT_EQ(RecordBookLoadNotice(whole), RecordBookLoadNotice(perLine));
}

TEST_F(RecordBookTest, WriteBackReplacesTheBookAndKeepsTheOldOneAsBackup) {
  writeBook("\"20050101\",\"1001\",\"東京都\",\"\",\"\",\"\"\r\n");
  QString error;
  ASSERT_TRUE(WriteRecordBook(book(), {{"20060101", "1002", "東京都八王子市", "消滅", "備考, 一", "告"}}, error));
  EXPECT_EQ(FromAnsi(home.read("ORBEX_整理簿.txt")),
            "\"20060101\",\"1002\",\"東京都八王子市\",\"消滅\",\"備考, 一\",\"告\"\r\n");
  EXPECT_EQ(FromAnsi(home.read("ORBEX_整理簿.bak")), "\"20050101\",\"1001\",\"東京都\",\"\",\"\",\"\"\r\n");
  // The written book loads back as it was written.
  const RecordBookLoad l = load();
  ASSERT_EQ(l.rows.size(), 1u);
  EXPECT_EQ(l.rows[0].remark, "備考, 一");
  // A backup that cannot be made keeps the book and says which file and why, in Japanese.
  QFile::remove(home.file("ORBEX_整理簿.bak"));
  QDir(home.path()).mkdir("ORBEX_整理簿.bak");
  EXPECT_FALSE(WriteRecordBook(book(), {}, error));
  EXPECT_EQ(error, home.file("ORBEX_整理簿.bak") + " を作れませんでした（同じ名前のフォルダーがあります）");
  EXPECT_EQ(load().rows.size(), 1u);
}

struct BookFilterTest : ::testing::Test {
  std::vector<RecordBookRow> rows = {
      {"1001", "東京都", "20050131", "", "", "", "1"},
      {"0101", "北海道札幌", "20050201", "", "", "告", "8"},
      {"31001A", "岡山県ある町", "20041215", "消滅", "", "法", "4"},
      {"2001", "愛知県名古屋", "20051231", "", "", "法 ", "2"},
      {"2002", "愛知県某市", "20060101", "", "", "法議", "2"},
  };
  QStringList shown(const BookSelection& s, const QString& date = {}) {
    QStringList c;
    const BookDayWindow day = BookDayWindowOf(date);
    for (const RecordBookRow& r : rows)
      if (BookRowShown(r, s, date, day)) c << r.code;
    return c;
  }
};

TEST_F(BookFilterTest, AreaPrefectureStatusAndKinds) {
  const auto with = [](const QString& area, const QString& text, int32_t mode = kBookAreaOrAll) {
    BookSelection s;
    s.area = area, s.text = text, s.mode = mode;
    return s;
  };
  BookSelection s;
  EXPECT_EQ(shown(s).size(), 5);
  EXPECT_EQ(shown(with("8", "北海道")), QStringList({"0101"}));
  EXPECT_EQ(shown(with("", "愛知県")), QStringList({"2001", "2002"}));
  EXPECT_EQ(shown(with("", "法", kBookStatus)), QStringList({"31001A", "2001"}));  // "法議" is another status
  EXPECT_EQ(shown(with("", "消", kBookDisappearing)), QStringList({"31001A"}));
  EXPECT_EQ(shown(with("", "", kBookNewCities)), QStringList({"1001"}));
  s.noTownsOrVillages = true;
  EXPECT_EQ(shown(s), QStringList({"1001", "0101", "2001", "2002"}));
  s.area = "4";
  EXPECT_TRUE(shown(s).isEmpty());
}

TEST_F(BookFilterTest, MonthAndDayWindows) {
  BookSelection s;
  s.mode = kBookDate;
  EXPECT_EQ(shown(s, "200412"), QStringList({"31001A"}));
  EXPECT_EQ(shown(s, "20050201-"), QStringList({"1001", "0101"}));
  EXPECT_EQ(shown(s, "20051231+"), QStringList({"2001", "2002"}));
  EXPECT_EQ(shown(s, "").size(), 5);
  EXPECT_TRUE(shown(s, "20051340+").isEmpty());  // no such day
  EXPECT_EQ(BookDayWindowOf("20050301-").neighbour, "20050228");
}

TEST(CsvFieldsTest, QuotedFieldsComeBackAsWritten) {
  const QString line = CsvLine({"01", "道の駅,一", "say \"hi\"", " x", ""});
  EXPECT_EQ(line, "01,\"道の駅,一\",\"say \"\"hi\"\"\",\" x\",");
  const QList<QByteArray> f = SplitCsvBytes(ToAnsi(line));
  ASSERT_EQ(f.size(), 5);
  EXPECT_EQ(FromAnsi(f[1]), "道の駅,一");
  EXPECT_EQ(FromAnsi(f[2]), "say \"hi\"");
  EXPECT_EQ(FromAnsi(f[3]), " x");
  EXPECT_EQ(f[4], "");
  EXPECT_EQ(SplitCsvBytes("  a  , \"b\"junk ,c").size(), 3);
  EXPECT_EQ(SplitCsvBytes("  a  , \"b\"junk ,c")[1], "b");
}

}  // namespace
