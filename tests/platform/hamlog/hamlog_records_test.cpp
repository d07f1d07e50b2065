// Record calls as the access layer, the entry window's writer and the QSO lists use them.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "hamlog_fixture.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/hamlog/hdb_layout.h"
#include "support/waits.h"

namespace {

using HamlogRecords = HamlogFolder;

// The length byte of descriptor i (1-based) as the header reader takes it: 1-based position 49 + 32(i-1).
int lengthByte(const QByteArray& file, int i) {
  return static_cast<unsigned char>(file.at(48 + 32 * (i - 1)));
}

TEST_F(HamlogRecords, HeaderGivesTheWidthsTheEntryWindowSizesItsBoxesBy) {
  const QByteArray file = ReadFile(Db());
  EXPECT_EQ(file.at(0), 0x03);                               // dBase III, no memo
  EXPECT_EQ(lengthByte(file, 1) + lengthByte(file, 2), 20);  // call sign box
  // His and my report, frequency, name, QTH, remarks 1 and 2.
  for (const auto& [i, width] :
       {std::pair{9, 12}, {10, 12}, {11, 16}, {13, 64}, {14, 128}, {15, 254}, {16, 254}})
    EXPECT_EQ(lengthByte(file, i), width) << "descriptor " << i;
  EXPECT_EQ(file.at(hamlog::kHdbHeaderLength - 1), 0x0D);
  EXPECT_EQ(file.at(file.size() - 1), 0x1A);
}

TEST_F(HamlogRecords, HeaderDateOfTheLastWriteIsTheDateInJapan) {
  // 20:00 UTC on 1 March is already 2 March in Japan, whatever the machine's zone.
  SetFixedClock(QDateTime(QDate(2024, 3, 1), QTime(20, 0), Qt::UTC));
  AddQsos({{"JA1ABC"}});
  ResetClock();
  const QByteArray file = ReadFile(Db());
  EXPECT_EQ(static_cast<unsigned char>(file.at(1)), 124);  // years since 1900
  EXPECT_EQ(file.at(2), 3);
  EXPECT_EQ(file.at(3), 2);
}

TEST_F(HamlogRecords, AppendNumbersFromOneAndFieldsComeBackBlankPaddedToTheirWidths) {
  AddQsos({{"JA1ABC", "1001"},
           {"JA2XYZ/3", "2501", "14.074", "FT8", "99/12/31", "23:59U", "J*E", QString::fromUtf8("太郎"),
            QString::fromUtf8("大阪市北区")}});
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(Vdbf_rcount(thw_), 2);
  ASSERT_EQ(THW_read(thw_, 2, 3), 0);
  QString b(20, ' ');
  const auto field = [&](int f) {
    ThwString(b, thw_, f);
    return b;
  };
  EXPECT_EQ(field(0), "JA2XYZ/3            ");
  EXPECT_EQ(field(2), "99/12/31");
  EXPECT_EQ(field(3), "23:59U");
  EXPECT_EQ(field(10), "J*E");
  EXPECT_EQ(field(11).trimmed(), QString::fromUtf8("太郎"));
  EXPECT_EQ(AnsiLen(b), 64);
  EXPECT_EQ(field(12).trimmed(), QString::fromUtf8("大阪市北区"));
  EXPECT_EQ(ThwString(b, thw_, 27), 2);  // field 27: the record number
  EXPECT_EQ(b, "2");
  EXPECT_NE(ThwString(b, thw_, 15), 0);  // not a stored field
  EXPECT_NE(THW_read(thw_, 3, 3), 0);
  EXPECT_NE(THW_read(thw_, 0, 3), 0);
  SetQsoOrMaster(0);  // only the QSO database is served
  EXPECT_NE(THW_read(thw_, 1, 3), 0);
  SetQsoOrMaster(1);
  EXPECT_EQ(THW_read(thw_, 1, 3), 0);
  Close();
  EXPECT_NE(THW_read(thw_, 1, 3), 0);  // closed
}

TEST_F(HamlogRecords, TextsAreCutToTheFieldWidthWithoutSplittingACharacter) {
  TestQso q{"JA1ABCDEFGHIJKLMNOPQRSTUVWXYZ"};
  q.name = QString(40, QChar(0x3042));  // 80 bytes of "あ"
  AddQsos({q});
  EXPECT_EQ(Field(1, 0), "JA1ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(Field(1, 11), QString(32, QChar(0x3042)));
}

TEST_F(HamlogRecords, UpdateReplacesTheShownRecordAndRefusesAStaleOne) {
  AddQsos({{"JA1AAA"}, {"JA1BBB"}});
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(THW_read(thw_, 2, 3), 0);
  const ThwRecord backup = thw_;  // taken when the record is shown
  SetThBuffer(thw_, "JA1BBC", 0);
  int32_t confirm = 17;
  ASSERT_EQ(THW_update(thw_, backup, 2, 16, confirm), 0);
  EXPECT_EQ(Field(2, 0), "JA1BBC");
  EXPECT_EQ(Field(1, 0), "JA1AAA");

  // The same old block again: the stored record is no longer what it holds.
  SetThBuffer(thw_, "JA1ZZZ", 0);
  EXPECT_NE(THW_update(thw_, backup, 2, 16, confirm), 0);
  // A stale record number: record 1 is not the record the block was read from.
  EXPECT_NE(THW_update(thw_, backup, 1, 16, confirm), 0);
  Close();
  EXPECT_EQ(Field(1, 0), "JA1AAA");
  EXPECT_EQ(Field(2, 0), "JA1BBC");
}

TEST_F(HamlogRecords, QslMarksChangeOneCharacterAndAStaleEditIsRefusedAfterwards) {
  AddQsos({{"JA1AAA", "1001", "7.025", "CW", "24/05/06", "21:05J", "J  "}});
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(THW_read(thw_, 1, 3), 0);
  const ThwRecord shown = thw_;
  EXPECT_EQ(QSL_Rcv(thw_, 1, '*'), 0);
  EXPECT_EQ(QSL_Send(thw_, 1, 'S'), 0);
  EXPECT_EQ(Field(1, 10), "JS*");
  EXPECT_NE(QSL_Rcv(thw_, 1, AscAnsi(QString::fromUtf8("済"))), 0);  // no room for two bytes
  EXPECT_NE(QSL_Rcv(thw_, 2, '*'), 0);
  int32_t confirm = 17;
  EXPECT_EQ(THW_update(thw_, shown, 1, 16, confirm), HAMLOG_STALE);
  Close();
}

TEST_F(HamlogRecords, DeleteAndPackRenumberTheRecordsBehind) {
  AddQsos({{"JA1AAA"}, {"JA1BBB"}, {"JA1CCC"}, {"JA1DDD"}});
  ASSERT_EQ(Open(), 0);
  QString text;
  EXPECT_EQ(Vdbf_read(thw_, 2, text), 0);
  EXPECT_TRUE(text.startsWith("JA1BBB "));
  EXPECT_EQ(Vdbf_delete(thw_, 2), 0);
  EXPECT_EQ(THW_read(thw_, 2, 3), HAMLOG_DELETED);
  EXPECT_EQ(Vdbf_packwk(thw_, text, 58), 0);
  EXPECT_EQ(Vdbf_rcount(thw_), 3);
  Close();
  EXPECT_EQ(Field(1, 0), "JA1AAA");
  EXPECT_EQ(Field(2, 0), "JA1CCC");
  EXPECT_EQ(Field(3, 0), "JA1DDD");
  AddQsos({{"JA1EEE"}});
  EXPECT_EQ(Field(4, 0), "JA1EEE");
}

TEST_F(HamlogRecords, CountingHandleNeedsNoOpenDatabase) {
  AddQsos({{"JA1AAA"}, {"JA1BBB"}});
  int32_t h = 0;
  ASSERT_EQ(dbf_open(Db(), h), 0);
  EXPECT_EQ(dbf_rcount(h), 2);
  AddQsos({{"JA1CCC"}});
  EXPECT_EQ(dbf_rcount(h), 3);
  EXPECT_EQ(dbf_close(h), 0);
  EXPECT_EQ(dbf_rcount(h), -1);
  EXPECT_NE(dbf_open(Path("NONE.HDB"), h), 0);
}

TEST_F(HamlogRecords, NamesMatchWithoutCase) {
  AddQsos({{"JA1AAA"}});
  ASSERT_TRUE(QFile::rename(Db(), Path("hamlog.hdb")));
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(Vdbf_rcount(thw_), 1);
  Close();
}

TEST_F(HamlogRecords, MissingTruncatedOrForeignDatabaseGivesNonZeroNeverACrash) {
  AddQsos({{"JA1AAA"}, {"JA1BBB"}});
  const QByteArray good = ReadFile(Db());
  int32_t h = 0;

  WriteFile(Db(), good.left(good.size() - 200));  // records cut off
  EXPECT_NE(Open(), 0);
  EXPECT_NE(dbf_open(Db(), h), 0);
  WriteFile(Db(), good.left(100));  // header cut off
  EXPECT_NE(Open(), 0);
  WriteFile(Db(), QByteArray("This is not a dBase file at all, just text.\r\n").repeated(40));
  EXPECT_NE(Open(), 0);
  WriteFile(Db(), QByteArray());
  EXPECT_NE(Open(), 0);
  QFile::remove(Db());
  EXPECT_NE(Open(), 0);
  EXPECT_NE(dbf_open(Db(), h), 0);
  // Nothing open: every record call answers non-zero.
  int32_t confirm = 0;
  EXPECT_NE(THW_append(thw_, 16, confirm), 0);
  EXPECT_NE(THW_update(thw_, thw_, 1, 16, confirm), 0);
  EXPECT_NE(Vdbf_delete(thw_, 1), 0);
  EXPECT_NE(Vdbf_packwk(thw_, "", 58), 0);
  EXPECT_NE(QSL_Rcv(thw_, 1, '*'), 0);
  EXPECT_EQ(Vdbf_rcount(thw_), 0);
  EXPECT_LE(Vidx_search(thw_, "JA1AAA", 16), 0);
}

TEST_F(HamlogRecords, AnOrdinaryDbaseReaderOpensTheTable) {
  const QString dbfdump = QStandardPaths::findExecutable("dbfdump");
  if (dbfdump.isEmpty()) GTEST_SKIP() << "dbfdump (shapelib) not installed";
  AddQsos({{"JA1ABC", "1001", "7.025"}, {"JH3XYZ/2", "2501", "435/145", "FM"}});
  // shapelib's reader insists on a ".dbf" name.
  ASSERT_TRUE(QFile::copy(Db(), Path("copy.dbf")));
  QProcess p;
  p.start(dbfdump, {Path("copy.dbf")});
  ASSERT_TRUE(p.waitForFinished(kEventCapMs));
  EXPECT_EQ(p.exitCode(), 0);
  const QString out = QString::fromLatin1(p.readAllStandardOutput());
  EXPECT_TRUE(out.contains("JA1ABC")) << out.toStdString();
  EXPECT_TRUE(out.contains("JH3XYZ/2"));
  EXPECT_TRUE(out.contains("435/145"));
}

TEST(HamlogVersion, LibraryVersionReadsAsTheProgramDecodesIt) {
  hamlogLib = HamlogLib{};
  const QString hex = QString::number(GetThdllVersion(), 16);
  EXPECT_GE(hex.toInt() / 100.0, 503);
}

}  // namespace
