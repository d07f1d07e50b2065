#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/codepage.h"
#include "platform/profile.h"
#include "support/temp_home.h"

namespace {

QByteArray sjis(const char* utf8) { return ToAnsi(QString::fromUtf8(utf8)); }

}  // namespace

TEST(ProfileRead, NamesWithoutCaseDefaultsAndTrimmedValues) {
  TempHome home;
  const QByteArray head =
      "; settings\r\n[ORB]\r\n  MyCall  =  JA1ABC  \r\nEmpty=\r\nQuoted=\" spaced \"\r\n"
      "garbage line without equals\r\nDataFol=";
  const QByteArray tail =
      "\r\n[other]\r\nMyCall=JA9ZZZ\r\n[orb]\r\nMyCall=second section of the same name is not read";
  const QString ini = home.write("ORBEX5.INI", head + sjis("/home/op/データ") + tail);
  EXPECT_EQ(GetPrivateProfileString("orb", "MYCALL", "ORB", ini), "JA1ABC");
  EXPECT_EQ(GetPrivateProfileString("ORB", "Empty", "ORB", ini), "");  // empty is not missing
  EXPECT_EQ(GetPrivateProfileString("ORB", "Quoted", "ORB", ini), " spaced ");
  EXPECT_EQ(GetPrivateProfileString("ORB", "DataFol", "", ini), QString::fromUtf8("/home/op/データ"));
  EXPECT_EQ(GetPrivateProfileString("ORB", "Nothing", "ORB", ini), "ORB");
  EXPECT_EQ(GetPrivateProfileString("ORB", "garbage line without equals", "d", ini), "d");
  EXPECT_EQ(GetPrivateProfileString("Other", "mycall", "", ini), "JA9ZZZ");
  EXPECT_EQ(GetPrivateProfileString("None", "MyCall", "None", ini), "None");
  EXPECT_EQ(GetPrivateProfileString("ORB", "MyCall", "ORB", home.file("missing.ini")), "ORB");
  EXPECT_EQ(GetPrivateProfileString("ORB", "x", "ORB", home.path()), "ORB");  // a folder, not a file

  // LF-only lines, no final newline, an overlong value.
  const QByteArray longValue(100000, 'v');
  const QString lf = home.write("lf.ini", "[A]\nk=1\nlong=" + longValue + "\n[B]\nk=2");
  EXPECT_EQ(GetPrivateProfileString("a", "k", "", lf), "1");
  EXPECT_EQ(GetPrivateProfileString("b", "K", "", lf), "2");
  EXPECT_EQ(GetPrivateProfileString("a", "long", "", lf).size(), longValue.size());
}

TEST(ProfileWrite, ChangesOnlyItsOwnLine) {
  TempHome home;
  // No final newline.
  const QByteArray before =
      "; comment\r\n\r\n[ORB]\r\nMyCall=JA1ABC\r\njunk ]]] ===\r\nLASTP=10\r\n\r\n[RIG]\r\nPort=COM1";
  const QString ini = home.write("ORBEX5.INI", before);

  ASSERT_TRUE(WritePrivateProfileString("orb", "lastp", "20", ini));
  QByteArray expected = before;
  expected.replace("LASTP=10", "LASTP=20");  // the key keeps its spelling in the file
  EXPECT_EQ(home.read("ORBEX5.INI"), expected);

  ASSERT_TRUE(WritePrivateProfileString("ORB", "NewKey", QString::fromUtf8("値"), ini));
  expected.replace("LASTP=20\r\n", "LASTP=20\r\nNewKey=" + sjis("値") + "\r\n");
  EXPECT_EQ(home.read("ORBEX5.INI"), expected);

  ASSERT_TRUE(WritePrivateProfileString("RIG", "Baud", "9600", ini));
  expected.append("\r\nBaud=9600\r\n");
  EXPECT_EQ(home.read("ORBEX5.INI"), expected);

  ASSERT_TRUE(WritePrivateProfileString("E-QSL", "eQSLFOL", "a\r\nb", ini));  // no line injected
  expected.append("[E-QSL]\r\neQSLFOL=a  b\r\n");
  EXPECT_EQ(home.read("ORBEX5.INI"), expected);
  EXPECT_EQ(GetPrivateProfileString("e-qsl", "eqslfol", "", ini), "a  b");
}

TEST(ProfileWrite, SeveralKeysInOneRewriteAsOneByOne) {
  TempHome home;
  const QByteArray before = "[ORB]\r\nLASTP=10\r\n\r\n[RIG]\r\nPort=COM1\r\n";
  const QString one = home.write("one.ini", before), many = home.write("many.ini", before);
  const QList<std::pair<QString, QString>> keys = {
      {"DBSStampTime", "1700000000000"}, {"lastp", "20"}, {"DBSStampHash", "ab\r\ncd"}};
  for (const auto& [key, value] : keys) ASSERT_TRUE(WritePrivateProfileString("ORB", key, value, one));
  ASSERT_TRUE(WritePrivateProfileStrings("ORB", keys, many));
  EXPECT_EQ(home.read("many.ini"), home.read("one.ini"));
  EXPECT_EQ(GetPrivateProfileString("ORB", "DBSStampHash", "", many), "ab  cd");
  // Values already stored: the file is not rewritten (it keeps its inode).
  struct stat a {
  }, b{};
  ASSERT_EQ(::stat(QFile::encodeName(many).constData(), &a), 0);
  ASSERT_TRUE(WritePrivateProfileStrings("ORB", keys, many));
  ASSERT_EQ(::stat(QFile::encodeName(many).constData(), &b), 0);
  EXPECT_EQ(a.st_ino, b.st_ino);
  // A new section with them when there is none.
  ASSERT_TRUE(WritePrivateProfileStrings("NEWSEC", {{"A", "1"}, {"B", "2"}}, many));
  EXPECT_TRUE(home.read("many.ini").endsWith("[NEWSEC]\r\nA=1\r\nB=2\r\n"));
}

TEST(ProfileWrite, CreatesTheFileAndDeletesKeysAndSections) {
  TempHome home;
  const QString ini = home.file("New.ini");
  ASSERT_TRUE(WritePrivateProfileString("ORB", "A", "1", ini));
  ASSERT_TRUE(WritePrivateProfileString("ORB", "B", "", ini));
  ASSERT_TRUE(WritePrivateProfileString("POS", "Top", "100", ini));
  EXPECT_EQ(home.read("New.ini"), "[ORB]\r\nA=1\r\nB=\r\n[POS]\r\nTop=100\r\n");
  EXPECT_EQ(GetPrivateProfileString("ORB", "B", "ORB", ini), "");

  ASSERT_TRUE(DeletePrivateProfileKey("orb", "a", ini));
  EXPECT_EQ(home.read("New.ini"), "[ORB]\r\nB=\r\n[POS]\r\nTop=100\r\n");
  ASSERT_TRUE(DeletePrivateProfileSection("Orb", ini));
  EXPECT_EQ(home.read("New.ini"), "[POS]\r\nTop=100\r\n");
  EXPECT_TRUE(DeletePrivateProfileKey("None", "x", ini));
  EXPECT_EQ(home.read("New.ini"), "[POS]\r\nTop=100\r\n");

  // A folder that does not exist: a clear failure, nothing created.
  EXPECT_FALSE(WritePrivateProfileString("ORB", "A", "1", home.file("no/such.ini")));
  EXPECT_FALSE(QDir(home.file("no")).exists());

  // Something is there that cannot be read as a file: it is not replaced by a one-key file.
  const QString fifo = home.file("Busy.ini");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_FALSE(WritePrivateProfileString("ORB", "A", "1", fifo));
  EXPECT_FALSE(QFileInfo(fifo).isFile());
}
