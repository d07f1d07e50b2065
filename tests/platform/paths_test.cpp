#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/paths.h"
#include "platform/vbfile.h"
#include "support/temp_home.h"

namespace {

void setModified(const QString& path, const QDateTime& when) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::Append));
  ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
}

QDateTime utc(int y, int mo, int d, int h, int mi, int s) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

}  // namespace

TEST(ProgramFolder, ComesFromOrbexHomeOrIsMadeUnderTheUsersDataFolder) {
  TempHome home;
  EXPECT_EQ(ProgramFolder(), home.path());

  const QString fresh = home.path() + "/not/yet";
  qputenv("ORBEX_HOME", fresh.toLocal8Bit());
  EXPECT_EQ(ProgramFolder(), fresh);
  EXPECT_TRUE(QFileInfo(fresh).isDir());

  qunsetenv("ORBEX_HOME");
  const QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
  EXPECT_EQ(ProgramFolder(), home.path() + "/ORBEX5");
  EXPECT_TRUE(QFileInfo(home.path() + "/ORBEX5").isDir());
  if (oldXdg.isEmpty())
    qunsetenv("XDG_DATA_HOME");
  else
    qputenv("XDG_DATA_HOME", oldXdg);
}

TEST(RealPath, WindowsJoinsFindTheFileWhateverTheCase) {
  TempHome home;
  home.write("Hamlog/HAMLOG.MST", "m");
  const QString onDisk = home.path() + "/Hamlog/HAMLOG.MST";

  EXPECT_EQ(RealPath(home.path() + "\\hamlog\\hamlog.mst"), onDisk);
  EXPECT_EQ(RealPath(home.path() + "\\HAMLOG\\\\Hamlog.Mst"), onDisk);  // doubled separator
  EXPECT_EQ(JoinPath(home.path() + "\\HAMLOG", "hamlog.mst"), onDisk);
  EXPECT_EQ(JoinPath(home.path() + "\\HAMLOG\\", "hamlog.mst"), onDisk);
  EXPECT_TRUE(IsFile(home.path() + "\\hamlog\\Hamlog.mst"));

  // A file that does not exist keeps the name as written: never upper-cased, never guessed.
  EXPECT_EQ(RealPath(home.path() + "\\hamlog\\New File.txt"), home.path() + "/Hamlog/New File.txt");
  EXPECT_EQ(RealPath(home.path() + "\\missing\\Sub\\a.TXT"), home.path() + "/missing/Sub/a.TXT");
}

TEST(FileFacts, ExistenceLengthAndDateOfFilesOnly) {
  TempHome home;
  home.write("data/Log.txt", "12345");
  EXPECT_TRUE(IsFile(home.file("data/log.TXT")));
  EXPECT_FALSE(IsFile(home.file("data")));  // a folder is not a file
  EXPECT_TRUE(IsFolder(home.file("DATA")));
  EXPECT_FALSE(IsFile(home.file("nothing.txt")));
  EXPECT_EQ(FileLen(home.file("data\\LOG.txt")), 5);
  EXPECT_EQ(FileLen(home.file("nothing.txt")), -1);

  // Japan time whatever the machine's zone; VB leaves out the time at midnight.
  setModified(home.file("data/Log.txt"), utc(2024, 2, 29, 15, 4, 5));
  EXPECT_EQ(FileDateTime(home.file("data/log.txt")), "2024/03/01 0:04:05");
  setModified(home.file("data/Log.txt"), utc(2024, 3, 1, 0, 30, 0));
  EXPECT_EQ(FileDateTime(home.file("data/log.txt")), "2024/03/01 9:30:00");
  setModified(home.file("data/Log.txt"), utc(2024, 2, 29, 15, 0, 0));
  EXPECT_EQ(FileDateTime(home.file("data/log.txt")), "2024/03/01");
  EXPECT_EQ(FileDateTime(home.file("nothing.txt")), "");
  EXPECT_EQ(FileDateTime(home.file("data")), "");
}

TEST(FileActions, FoldersDeleteAndCopy) {
  TempHome home;
  EXPECT_TRUE(MakeSureDirectoryPathExists(home.path() + "\\a\\b\\c\\"));
  EXPECT_TRUE(QFileInfo(home.file("a/b/c")).isDir());
  EXPECT_TRUE(MakeSureDirectoryPathExists(home.path() + "\\A\\B\\d\\file.txt"));
  EXPECT_TRUE(QFileInfo(home.file("a/b/d")).isDir());  // existing folders matched without case
  EXPECT_FALSE(QFileInfo(home.file("a/b/d/file.txt")).exists());

  for (const char* name : {"w/one.dat", "w/TWO.DAT", "w/keep.txt"}) home.write(name, "1");
  QDir().mkpath(home.file("w/sub.dat"));
  EXPECT_TRUE(Kill(home.path() + "\\W\\*.dat"));
  EXPECT_FALSE(QFileInfo::exists(home.file("w/one.dat")));
  EXPECT_FALSE(QFileInfo::exists(home.file("w/TWO.DAT")));
  EXPECT_TRUE(QFileInfo::exists(home.file("w/keep.txt")));
  EXPECT_TRUE(QFileInfo(home.file("w/sub.dat")).isDir());  // folders are never deleted
  EXPECT_FALSE(Kill(home.path() + "\\w\\one.dat"));        // nothing left to delete
  EXPECT_TRUE(Kill(home.path() + "\\w\\KEEP.TXT"));

  home.write("src.txt", "new");
  home.write("dst.txt", "old");
  const QDateTime when = utc(2020, 5, 6, 7, 8, 9);
  setModified(home.file("src.txt"), when);
  EXPECT_TRUE(FileCopy(home.file("SRC.TXT"), home.file("Dst.txt")));
  EXPECT_EQ(home.read("dst.txt"), "new");
  EXPECT_EQ(QFileInfo(home.file("dst.txt")).lastModified().toUTC(), when);
  EXPECT_FALSE(FileCopy(home.file("missing.txt"), home.file("dst.txt")));
  EXPECT_EQ(home.read("dst.txt"), "new");
}

TEST(DirSearch, GivesEachMatchingFileThenEmpty) {
  TempHome home;
  for (const char* name : {"m/ORBEX_a.TXT", "m/orbex_B.txt", "m/other.txt", "m/ORBEX_c.dat"})
    home.write(name, "");
  QDir().mkpath(home.file("m/ORBEX_dir.txt"));

  EXPECT_EQ(Dir(home.path() + "\\M\\orbex*.txt"), "ORBEX_a.TXT");
  EXPECT_EQ(Dir(), "orbex_B.txt");
  EXPECT_EQ(Dir(), "");
  EXPECT_EQ(Dir(), "");
  EXPECT_EQ(Dir(home.path() + "\\m\\ORBEX_?.DAT"), "ORBEX_c.dat");
  EXPECT_EQ(Dir(home.path() + "\\m\\nothing*"), "");
  EXPECT_EQ(Dir(home.path() + "\\m\\OTHER.TXT"), "other.txt");  // no wildcard: the name on disk

  EXPECT_TRUE(MatchesWildcard("README", "*.*"));
  EXPECT_TRUE(MatchesWildcard("a.b.c", "*.c"));
  EXPECT_FALSE(MatchesWildcard("ab", "a?b"));
  EXPECT_TRUE(MatchesWildcard(QString::fromUtf8("整理簿.txt"), QString::fromUtf8("整理*.TXT")));
}
