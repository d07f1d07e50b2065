#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/codepage.h"
#include "platform/vbfile.h"
#include "support/small_disk.h"
#include "support/temp_home.h"

namespace {

// Every line (Line Input) or every field (Input) the file gives.
QStringList all(const QString& path, bool fields) {
  VbFile f(path, VbMode::Input);
  QStringList out;
  for (QString s; fields ? f.Input(s) : !f.Eof() && f.LineInput(s);) out << s;
  return out;
}
QStringList allLines(const QString& path) { return all(path, false); }
QStringList allFields(const QString& path) { return all(path, true); }

QByteArray sjis(const char* utf8) { return ToAnsi(QString::fromUtf8(utf8)); }

}  // namespace

TEST(VbFileLines, EndAtCrLfCrOrLf) {
  TempHome home;
  EXPECT_EQ(allLines(home.write("a.txt", "one\r\ntwo\rthree\nstill three\r\n\r\nlast")),
            (QStringList{"one", "two", "three", "still three", "", "last"}));
  // A file saved by a Linux editor reads line for line as its Windows twin.
  EXPECT_EQ(allLines(home.write("lf.txt", "one\ntwo\n\nlast\n")), (QStringList{"one", "two", "", "last"}));
  EXPECT_EQ(allLines(home.write("b.txt", "x\r\n")), QStringList{"x"});
  EXPECT_EQ(allLines(home.write("jp.txt", sjis("東京都\r\n表示"))),
            (QStringList{QString::fromUtf8("東京都"), QString::fromUtf8("表示")}));

  VbFile empty(home.write("empty.txt", ""), VbMode::Input);
  QString line = "stale";
  EXPECT_TRUE(empty.Eof());
  EXPECT_FALSE(empty.LineInput(line));
  EXPECT_EQ(line, "");
}

TEST(VbFileLines, BadFilesGiveAClearAnswer) {
  TempHome home;
  VbFile missing(home.file("missing.txt"), VbMode::Input);
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.ErrorText(), home.file("missing.txt") + " がありません");
  EXPECT_TRUE(missing.Eof());
  QString s;
  EXPECT_FALSE(missing.LineInput(s));
  EXPECT_FALSE(missing.Input(s));

  VbFile folder(home.path(), VbMode::Input);
  EXPECT_FALSE(folder.IsOpen());

  // Binary junk, a lead byte cut off at the end and a 2 MB line all read without harm.
  QByteArray junk;
  for (int i = 0; i < 256; ++i) junk.append(char(i));
  junk.append("\x82");
  const QStringList lines = allLines(home.write("junk.bin", junk));
  EXPECT_EQ(lines.size(), 3);  // its LF and CR bytes end lines
  const QByteArray longLine(2 << 20, 'x');
  EXPECT_EQ(allLines(home.write("long.txt", longLine + "\r\nend")), (QStringList{QString(longLine), "end"}));
}

TEST(VbFileInput, ReadsFieldsAsVbDoes) {
  TempHome home;
  const QString path = home.write(
      "f.txt",
      "\"a, b\",  12 ,  bare text  ,\"q\"junk,\r\n"  // quoted comma, trimmed bare, text after quote
      "\r\n"                                         // a blank line holds no field
      "\"unclosed,x\r\n"                             // a missing quote ends at the line end
      "last,\r\n"                                    // comma then line end: empty field
      "lf-only\nnext");
  EXPECT_EQ(allFields(path),
            (QStringList{"a, b", "12", "bare text", "q", "", "unclosed,x", "last", "", "lf-only", "next"}));

  VbFile f(home.write("jp.txt", sjis("\"東京\",表\r\n")), VbMode::Input);
  QString a, b, c = "stale";
  EXPECT_FALSE(f.Input(a, b, c));  // only two fields: the third is past the end
  EXPECT_EQ(a, QString::fromUtf8("東京"));
  EXPECT_EQ(b, QString::fromUtf8("表"));
  EXPECT_EQ(c, "");
}

TEST(VbFileWrite, QuotesTextLeavesNumbersBareAndReadsBack) {
  TempHome home;
  const QString path = home.file("w.txt");
  {
    VbFile f(path, VbMode::Output);
    ASSERT_TRUE(f.IsOpen());
    EXPECT_TRUE(f.Write({"A1", 12, -3, 0.5, QString::fromUtf8("東京, 都"), ""}));
    EXPECT_TRUE(f.Write());
    EXPECT_TRUE(f.Close());
  }
  EXPECT_EQ(home.read("w.txt"), "\"A1\",12,-3,.5,\"" + sjis("東京, 都") + "\",\"\"\r\n\r\n");
  EXPECT_EQ(allFields(path), (QStringList{"A1", "12", "-3", ".5", QString::fromUtf8("東京, 都"), ""}));
}

TEST(VbFilePrint, PlacesItemsAtFourteenColumnZonesCountingBytes) {
  TempHome home;
  {
    VbFile f(home.file("p.txt"), VbMode::Output);
    f.Print({"Count", PrintZone, "Code", PrintZone, "Call"});
    f.Print({"12345678901234", PrintZone, "x"});  // an item that fills its zone leaves one blank zone
    f.Print({QString::fromUtf8("東京都"), PrintZone, "b"});  // 6 bytes wide, not 3
    f.Print({7, PrintZone, -2, PrintNext, "z"});             // numbers: sign blank and trailing blank
    f.Print({PrintZone, "lead"});
    f.Print({"open", PrintNext});  // the line stays open
    f.Print({PrintZone, "same line"});
    f.Print();
    f.Print({"a", "b", 1.5});
    EXPECT_TRUE(f.Close());
  }
  const QByteArray expected =
      "Count         Code          Call\r\n"
      "12345678901234              x\r\n" +
      sjis("東京都") +
      "        b\r\n"
      " 7            -2 z\r\n"
      "              lead\r\n"
      "open          same line\r\n"
      "\r\n"
      "ab 1.5 \r\n";
  EXPECT_EQ(home.read("p.txt"), expected);
}

TEST(VbFileOutput, AnOutputThatIsNotClosedLeavesTheOldFile) {
  TempHome home;
  const QString path = home.write("book.txt", "operator data\r\n");
  {
    VbFile f(path, VbMode::Output);
    f.Print({"half written"});
  }  // abandoned: destroyed without Close
  EXPECT_EQ(home.read("book.txt"), "operator data\r\n");
  {
    VbFile f(path, VbMode::Output);
    f.Print({"replaced"});
    f.Abandon();
    EXPECT_FALSE(f.IsOpen());
  }
  EXPECT_EQ(home.read("book.txt"), "operator data\r\n");
  {
    VbFile f(path, VbMode::Output);
    f.Print({"new"});
    EXPECT_TRUE(f.Close());
  }
  EXPECT_EQ(home.read("book.txt"), "new\r\n");
  EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), QStringList{"book.txt"});  // no temporary file left

  VbFile nowhere(home.file("no/such/folder/x.txt"), VbMode::Output);
  EXPECT_FALSE(nowhere.IsOpen());
  EXPECT_FALSE(nowhere.Print({"x"}));

  EXPECT_TRUE(AtomicWriteFile(home.file("atomic.txt"), "bytes"));
  EXPECT_EQ(home.read("atomic.txt"), "bytes");
  EXPECT_FALSE(AtomicWriteFile(home.path(), "a folder is not replaced"));
}

TEST(VbFileOutput, AScratchFileIsWrittenInPlaceAndAScratchNameTakesItsBytesDurably) {
  TempHome home;
  const QString path = home.write("DMYMST.dat", "a longer file from the last load\r\n");
  {
    VbFile f(path, VbMode::Output, 0, VbAccess::Scratch);
    f.Write({"0", "1002"});
    EXPECT_TRUE(f.Close());
  }
  EXPECT_EQ(home.read("DMYMST.dat"), "\"0\",\"1002\"\r\n");
  VbFile folder(home.path(), VbMode::Output, 0, VbAccess::Scratch);
  EXPECT_FALSE(folder.IsOpen());

  QString why;
  EXPECT_TRUE(WriteScratchFile(home.file("work.new"), "lines\r\n", &why));
  EXPECT_EQ(home.read("work.new"), "lines\r\n");
  EXPECT_TRUE(MoveFileOver(home.file("work.new"), home.file("work.dat")));
  EXPECT_EQ(home.read("work.dat"), "lines\r\n");
  QDir(home.path()).mkdir("taken.new");
  EXPECT_FALSE(WriteScratchFile(home.file("taken.new"), "x", &why));
  EXPECT_EQ(why, "同じ名前のフォルダーがあります");
}

TEST(VbFileOutput, AppendAddsAtTheEnd) {
  TempHome home;
  for (int i = 0; i < 2; ++i) {
    VbFile f(home.file("log.txt"), VbMode::Append);
    f.Write({QString("line %1").arg(i)});
  }  // closed by the destructor: appended data is kept
  EXPECT_EQ(home.read("log.txt"), "\"line 0\"\r\n\"line 1\"\r\n");
}

TEST(VbFileRandom, RecordsAndBytesAtOneBasedPositions) {
  TempHome home;
  const QString path = home.write("r.dat", "AAAA\r\nBBBB\r\nCC");
  {
    VbFile f(path, VbMode::Binary, 0, VbAccess::Read);
    EXPECT_EQ(f.Lof(), 14);
    EXPECT_EQ(f.Get(7, 4), "BBBB");
    EXPECT_EQ(f.Get(13, 10), "CC");  // shorter at the end
    EXPECT_EQ(f.Get(15, 1), "");
    EXPECT_FALSE(f.Put(1, "x"));  // opened for reading only
  }
  {
    VbFile f(path, VbMode::Random, 6);
    QByteArray rec;
    EXPECT_EQ(f.RecordCount(), 2);
    EXPECT_TRUE(f.GetRecord(2, rec));
    EXPECT_EQ(rec, "BBBB\r\n");
    EXPECT_FALSE(f.GetRecord(3, rec));             // only part of a record is there
    EXPECT_TRUE(f.PutRecord(1, sjis("aあいう")));  // cut at 6 bytes, never mid-character
    EXPECT_TRUE(f.PutRecord(3, "x"));              // padded with blanks
    EXPECT_TRUE(f.GetRecord(3, rec));
    EXPECT_EQ(rec, "x     ");
  }
  EXPECT_EQ(home.read("r.dat"), sjis("aあい ") + "BBBB\r\nx     ");

  VbFile missing(home.file("none.dat"), VbMode::Binary, 0, VbAccess::Read);
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_FALSE(QFileInfo::exists(home.file("none.dat")));  // reading never creates the file
}

TEST(VbFileOutput, AFullDiskAndAReadOnlyOneAreToldApartAndTheOldFileKept) {
  SmallDisk disk(64);
  if (!disk.Available()) GTEST_SKIP() << disk.Why().toStdString();
  ASSERT_TRUE(AtomicWriteFile(disk.file("book.txt"), "old\r\n"));
  disk.Fill();
  VbFile full(disk.file("book.txt"), VbMode::Output);
  full.Print({QString(8000, 'x')});
  EXPECT_FALSE(full.Close());
  EXPECT_EQ(full.ErrorText(), disk.file("book.txt") + " を書き換えられません (ディスクに空きがありません)");
  disk.Free();
  disk.ReadOnly();
  VbFile readOnly(disk.file("book.txt"), VbMode::Output);
  EXPECT_FALSE(readOnly.IsOpen());
  EXPECT_EQ(readOnly.ErrorText(), disk.file("book.txt") + " に書き込めません (読み取り専用のディスクです)");
  QByteArray kept;
  ASSERT_TRUE(ReadWholeFile(disk.file("book.txt"), kept));
  EXPECT_EQ(kept, "old\r\n");
  disk.Writable();
}
