#include <gtest/gtest.h>

#include <QDir>

#include "platform/codepage.h"
#include "platform/ksort.h"
#include "support/temp_home.h"

namespace {

int sortFile(const QString& spec) {
  QString reply;
  const int r = ksort(spec, reply);
  EXPECT_FALSE(reply.isEmpty());
  return r;
}

}  // namespace

TEST(Ksort, OrdersByKeysInTurnAndKeepsEqualLinesInTheirOrder) {
  TempHome home;
  // Quoted master lines: prefecture at 6-7, flag at 2, the rest of the code at 8-11.
  home.write("DMYMST.dat",
             "\"1\",\"0102  \",\"gun b\"\r\n"
             "\"0\",\"0201  \",\"city c\"\r\n"
             "\"0\",\"0101  \",\"city a, first\"\r\n"
             "\"1\",\"0101A \",\"gun a\"\r\n"
             "\"0\",\"0101  \",\"city a, second\"\r\n");
  EXPECT_EQ(sortFile("/k(6:2)(2:1)(8:4) '" + home.path() + "\\dmymst.DAT' "), KsortDone);
  EXPECT_EQ(home.read("DMYMST.dat"),
            "\"0\",\"0101  \",\"city a, first\"\r\n"
            "\"0\",\"0101  \",\"city a, second\"\r\n"
            "\"1\",\"0101A \",\"gun a\"\r\n"
            "\"1\",\"0102  \",\"gun b\"\r\n"
            "\"0\",\"0201  \",\"city c\"\r\n");
}

TEST(Ksort, ComparesWindows31JBytesWithShortLinesPaddedByBlanks) {
  TempHome home;
  const QByteArray a = ToAnsi(QString::fromUtf8("あ"));  // 0x82 0xA0
  const QByteArray ka = ToAnsi(QString::fromUtf8("ｱ"));  // 0xB1
  home.write("s.txt", "AB!\r\n" + ka + "\r\nAB\r\n" + a + "\r\nAB\x01\r\nA");
  EXPECT_EQ(sortFile("/k(1:3) \"" + home.file("s.txt") + "\""), KsortDone);
  // "AB" sorts as "AB " (between 0x01 and "!"); bytes compare unsigned; the last line gets its CR LF.
  EXPECT_EQ(home.read("s.txt"), "A\r\nAB\x01\r\nAB\r\nAB!\r\n" + a + "\r\n" + ka + "\r\n");
}

TEST(Ksort, WorkFileCommandWithTheEOptionAndLineEnds) {
  TempHome home;
  home.write("DMYDBS.DAT", "01b\r\n\r\n00a\r\n\r\n00c\r");
  EXPECT_EQ(sortFile("/k(2:2)(1:1)(4:4)(8:4)(14:10) /e'" + home.path() + "\\DMYDBS.DAT' "), KsortDone);
  EXPECT_EQ(home.read("DMYDBS.DAT"), "00a\r\n00c\r\n01b\r\n");  // empty lines left out

  home.write("keep.txt", "b\r\n\r\na\nz\r\n");
  EXPECT_EQ(sortFile("/k(1:1) '" + home.file("keep.txt") + "'"), KsortDone);
  // Without /e empty lines stay (sorted as blanks); a lone LF ends a line as CR LF does.
  EXPECT_EQ(home.read("keep.txt"), "\r\na\r\nb\r\nz\r\n");

  home.write("empty.txt", "");
  EXPECT_EQ(sortFile("/k(1:20) '" + home.file("empty.txt") + "' "), KsortDone);
  EXPECT_EQ(home.read("empty.txt"), "");

  // A folder name with the quote character in it.
  QDir(home.path()).mkdir("o'neil");
  home.write("o'neil/w.dat", "2\r\n1\r\n");
  EXPECT_EQ(sortFile("/k(1:1) '" + home.path() + "\\o'neil\\w.dat' "), KsortDone);
  EXPECT_EQ(home.read("o'neil/w.dat"), "1\r\n2\r\n");
}

TEST(Ksort, GivesUpWithoutTouchingTheFile) {
  TempHome home;
  const QByteArray data = "b\r\na\r\n";
  const QString path = home.write("x.txt", data);
  EXPECT_EQ(sortFile("/k(1:1) '" + home.file("missing.txt") + "' "), KsortGaveUp);
  EXPECT_EQ(sortFile("'" + path + "'"), KsortGaveUp);          // no key
  EXPECT_EQ(sortFile("/k(0:2) '" + path + "'"), KsortGaveUp);  // columns start at 1
  EXPECT_EQ(sortFile("/k(1:x) '" + path + "'"), KsortGaveUp);
  EXPECT_EQ(sortFile("/k(1:1) '" + path), KsortGaveUp);               // unclosed quote
  EXPECT_EQ(sortFile("/k(1:1)"), KsortGaveUp);                        // no file
  EXPECT_EQ(sortFile("/k(1:1) '" + home.path() + "'"), KsortGaveUp);  // a folder
  EXPECT_EQ(home.read("x.txt"), data);
}
