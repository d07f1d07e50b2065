// A log file that changes under the library, or whose header count does not fit its length.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "hamlog_fixture.h"
#include "platform/file_fault.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/hdb_table.h"
#include "support/other_process.h"

namespace {

using hamlog::kHdbRecordLength;

constexpr int64_t endOf(int64_t records) { return hamlog::HdbRecordOffset(records + 1); }

// The header's record count := count, in place.
void setHeaderCount(const QString& path, uint32_t count) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  unsigned char le[4];
  for (int i = 0; i < 4; ++i) le[i] = (count >> (8 * i)) & 0xFF;
  ASSERT_TRUE(f.seek(4));
  ASSERT_EQ(f.write(reinterpret_cast<const char*>(le), 4), 4);
}

void cutTo(const QString& path, int64_t size) { ASSERT_EQ(::truncate(QFile::encodeName(path), size), 0); }

QString scannedPath;

class HamlogGuard : public HamlogFolder {
 protected:
  void SetUp() override {
    HamlogFolder::SetUp();
    AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1103"}, {"JA1DDD", "1104"}});
    scannedPath = Db();
  }
  void TearDown() override {
    HdbScan::afterBeginForTest = nullptr;
    HamlogFolder::TearDown();
  }
};

TEST_F(HamlogGuard, AFileCutShortUnderAnOpenDatabaseGivesChangedNeverAFault) {
  AddQsos(std::vector<TestQso>(16, TestQso("JA1XYZ")));  // 20 records: pages beyond the first
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(THW_read(thw_, 20, 3), 0);
  cutTo(Db(), endOf(1));
  EXPECT_EQ(THW_read(thw_, 20, 3), HAMLOG_CHANGED);  // beyond the file's last page
  EXPECT_EQ(THW_read(thw_, 4, 3), HAMLOG_CHANGED);   // in its last page, past its end
  EXPECT_EQ(THW_read(thw_, 2, 3), HAMLOG_CHANGED);
  EXPECT_EQ(THW_read(thw_, 1, 3), 0);
  EXPECT_EQ(Field(1, 0), "JA1AAA");
  Close();
}

TEST_F(HamlogGuard, AScanReadsTheRecordsAsStoredAndNoticesAFileCutShortDuringIt) {
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(Vdbf_delete(thw_, 2), 0);
  HdbScan scan;
  ASSERT_EQ(scan.Begin(), 0);
  ASSERT_EQ(scan.Count(), 4);
  std::vector<unsigned char> images(4 * kHdbRecordLength);
  ASSERT_EQ(scan.Read(1, 4, images.data()), 0);
  EXPECT_EQ(images[kHdbRecordLength], '*');  // the deleted one, flag and all
  EXPECT_EQ(std::memcmp(images.data() + 3 * kHdbRecordLength + 1, "JA1DDD", 6), 0);
  EXPECT_EQ(scan.End(), 0);
  // Until it begins again, the pass keeps writers out: a dBase writer's lock of the log, or of a record of
  // it, and the lock file's write lock cannot be had; a reader's can.
  EXPECT_EQ(LockAsAnotherProgram(Db()), -1);
  EXPECT_EQ(LockAsAnotherProgram(Db(), hamlog::HdbRecordOffset(2), kHdbRecordLength), -1);
  EXPECT_EQ(LockAsAnotherProgram(Path("HAMLOG.lck"), 1, 1), -1);
  const int reader = LockAsAnotherProgram(Path("HAMLOG.lck"), 1, 1, false);
  EXPECT_GE(reader, 0);
  ::close(reader);

  HdbScan::afterBeginForTest = [] { cutTo(scannedPath, endOf(2)); };
  ASSERT_EQ(scan.Begin(), 0);
  EXPECT_EQ(scan.Read(1, 2, images.data()), 0);
  EXPECT_EQ(scan.Read(3, 2, images.data()), HAMLOG_CHANGED);
  EXPECT_EQ(scan.End(), HAMLOG_CHANGED);
  Close();
}

TEST_F(HamlogGuard, AScanNoticesAFileReplacedOrWrittenDuringIt) {
  WriteFile(Path("copy.HDB"), ReadFile(Db()));
  ASSERT_EQ(Open(), 0);
  HdbScan scan;
  HdbScan::afterBeginForTest = [] {
    const QString copy = scannedPath.left(scannedPath.size() - 10) + "copy.HDB";
    ASSERT_EQ(::rename(QFile::encodeName(copy).constData(), QFile::encodeName(scannedPath).constData()), 0);
  };
  ASSERT_EQ(scan.Begin(), 0);
  std::vector<unsigned char> images(4 * kHdbRecordLength);
  EXPECT_EQ(scan.Read(1, 4, images.data()), 0);  // the file first opened, still whole
  EXPECT_EQ(scan.End(), HAMLOG_CHANGED);
  Close();

  // Another process appending during the pass: size and time move.
  ASSERT_EQ(Open(), 0);
  HdbScan::afterBeginForTest = [] {
    QFile f(scannedPath);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(kHdbRecordLength, ' '));
  };
  ASSERT_EQ(scan.Begin(), 0);
  EXPECT_EQ(scan.End(), HAMLOG_CHANGED);
  Close();
}

TEST_F(HamlogGuard, AHeaderCountingFewerRecordsThanTheFileHoldsIsRefusedBeforeAnyWrite) {
  setHeaderCount(Db(), 2);
  const QByteArray before = ReadFile(Db());
  EXPECT_EQ(Open(), HAMLOG_BAD_COUNT);
  EXPECT_EQ(HamlogProblem(), "HAMLOG.HDB のヘッダの件数 2 件がファイルの長さ (" + QString::number(endOf(4) + 1) +
                                 " バイト = 4 件分) と合いません。ファイルが壊れているか途中で切れています");
  EXPECT_NE(Append({"JA1NEW"}), 0);
  EXPECT_EQ(ReadFile(Db()), before);  // the records the count hides are not overwritten
  int32_t h = 0;
  EXPECT_EQ(dbf_open(Db(), h), HAMLOG_BAD_COUNT);
}

TEST_F(HamlogGuard, AHeaderCountingMoreRecordsThanTheFileHoldsIsRefused) {
  setHeaderCount(Db(), 6);
  EXPECT_EQ(Open(), HAMLOG_BAD_COUNT);
  EXPECT_TRUE(HamlogProblem().contains("件数 6 件")) << HamlogProblem().toStdString();
  EXPECT_TRUE(HamlogProblem().contains("= 4 件分")) << HamlogProblem().toStdString();
  // A count that only fits when a size is taken modulo 2^32, or that no 32-bit record number reaches.
  for (uint32_t count : {0xFFFFFFFFu, 0x80000001u, 4u + 5308983u}) {
    setHeaderCount(Db(), count);
    EXPECT_EQ(Open(), HAMLOG_BAD_COUNT) << count;
    EXPECT_TRUE(HamlogProblem().contains(QString("件数 %1 件").arg(count)))
        << HamlogProblem().toStdString();
  }
  // Repaired, it opens again.
  setHeaderCount(Db(), 4);
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(HamlogProblem(), "");
  Close();
}

TEST_F(HamlogGuard, ALengthThatIsNotWholeRecordsIsRefused) {
  const QByteArray whole = ReadFile(Db());
  WriteFile(Db(), whole + QByteArray(100, ' '));
  EXPECT_EQ(Open(), HAMLOG_BAD_COUNT);
  // The end-of-file byte may be there or not.
  WriteFile(Db(), whole.left(int(endOf(4))));
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(Vdbf_rcount(thw_), 4);
  Close();
}

TEST_F(HamlogGuard, ACountDamagedWhileOpenIsReportedByTheNextWrite) {
  ASSERT_EQ(Open(), 0);
  setHeaderCount(Db(), 3);
  EXPECT_EQ(Append({"JA1NEW"}), HAMLOG_BAD_COUNT);
  EXPECT_TRUE(HamlogProblem().contains("件数 3 件"));
  Close();
}

// An append that died between its steps: the header notes the count to come, the records are half there.
// Only our own note (its check in bytes 12-13) has them cut off; bytes 24-27 set by another program do not.
TEST_F(HamlogGuard, AnAppendCutShortIsReadAsTheOldCountAndCutOffByTheNextWriter) {
  QByteArray bytes = ReadFile(Db());
  bytes.chop(1);                                     // the end-of-file byte
  bytes += QByteArray(kHdbRecordLength + 300, 'X');  // one record whole, one torn
  for (int i = 0; i < 4; ++i) bytes[24 + i] = char(i == 0 ? 6 : 0);
  WriteFile(Db(), bytes);
  EXPECT_EQ(Open(), HAMLOG_BAD_COUNT);  // not ours: named, left as it is
  EXPECT_TRUE(HamlogProblem().contains("件数 4 件"));
  EXPECT_EQ(ReadFile(Db()), bytes);

  hamlog::HdbHeader noted = *hamlog::ParseHdbHeader(bytes);
  noted.pending = 6;
  hamlog::StampHdbHeader(reinterpret_cast<unsigned char*>(bytes.data()), noted, QDate(2024, 5, 6));
  WriteFile(Db(), bytes);
  int32_t h = 0;
  ASSERT_EQ(dbf_open(Db(), h), 0);  // a reader takes the committed count
  EXPECT_EQ(dbf_rcount(h), 4);
  dbf_close(h);
  ASSERT_EQ(Open(), 0);  // a writer cuts the unfinished records off
  EXPECT_EQ(Vdbf_rcount(thw_), 4);
  Close();
  EXPECT_EQ(QFile(Db()).size(), endOf(4) + 1);
  AddQsos({{"JA1EEE"}});
  EXPECT_EQ(Field(5, 0), "JA1EEE");
  EXPECT_EQ(QFile(Db()).size(), endOf(5) + 1);
}

// Another program that opened the log before an edit and a deletion (a logger, a second copy of the
// library) reads them through its descriptor, and its own append stays. The file keeps its inode,
// owner, group, mode, extended attribute and second link.
TEST_F(HamlogGuard, EditsAndDeletionsAreWrittenIntoTheOperatorsOwnFile) {
  const QByteArray db = QFile::encodeName(Db());
  ASSERT_EQ(::link(db.constData(), QFile::encodeName(Path("SECOND.HDB")).constData()), 0);
  ASSERT_EQ(::chmod(db.constData(), 0660), 0);
  if (::geteuid() == 0) { ASSERT_EQ(::chown(db.constData(), 4242, 4243), 0); }
  const bool xattrs = ::setxattr(db.constData(), "user.orbex.test", "kept", 4, 0) == 0;
  const auto kept = [&] {
    struct stat s {};
    EXPECT_EQ(::stat(db.constData(), &s), 0);
    return std::tuple(s.st_ino, s.st_nlink, s.st_uid, s.st_gid, s.st_mode);
  };
  const auto before = kept();
  hamlog::HdbTable other;
  ASSERT_EQ(other.Open(Db()), hamlog::TableStatus::Ok);
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(EditQso(2, {{11, "Yamada"}}), 0);
  Close();
  unsigned char image[kHdbRecordLength];
  ASSERT_TRUE(other.ReadRecord(2, image));
  EXPECT_EQ(QByteArray(reinterpret_cast<char*>(image) + hamlog::SpanOf(11).offset, 6), "Yamada");
  std::memcpy(image + 1, "JA1EEE   ", 9);
  ASSERT_TRUE(other.Append(image));
  other.Close();
  EXPECT_EQ(Field(5, 0), "JA1EEE");
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(Vdbf_delete(thw_, 1), 0);
  ASSERT_EQ(Vdbf_packwk(thw_, "", 58), 0);
  EXPECT_EQ(Vdbf_rcount(thw_), 4);
  Close();
  EXPECT_EQ(Field(1, 11), "Yamada");
  EXPECT_EQ(Field(4, 0), "JA1EEE");
  EXPECT_EQ(kept(), before);
  EXPECT_EQ(ReadFile(Path("SECOND.HDB")), ReadFile(Db()));
  char value[8] = {};
  if (xattrs) { EXPECT_EQ(QByteArray(value, int(::getxattr(db.constData(), "user.orbex.test", value, sizeof value))), "kept"); }
}

// A log whose folder takes no new file, edited by the log's owner (an ordinary user): a QSO and a QSL
// mark are saved; an edit, which needs its journal beside the log, is refused with the true cause.
TEST_F(HamlogGuard, AnEditInAFolderThatTakesNoNewFileIsRefusedWithTheTrueCause) {
  const bool root = ::geteuid() == 0;
  const QString folder = QFileInfo(Db()).absolutePath();
  for (const QString& name : QDir(folder).entryList(QDir::Files))
    if (root) { ASSERT_EQ(::chown(QFile::encodeName(Path(name)).constData(), 65534, 65534), 0); }
  ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
  const bool refused = InOtherProcess([&] {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return false;
    hamlog::UnixFile probe;
    if (probe.Open(Path("new.txt"), true) || errno != EACCES || Open() != 0) return false;
    const bool saved = Append({"JA1EEE"}) == 0 && QSL_Rcv(thw_, 5, 'M') == 0;
    const int32_t edit = EditQso(5, {{11, "Yamada"}});
    std::fprintf(stderr, "saved %d, edit %d: %s\n", saved, edit, qPrintable(HamlogProblem()));
    return saved && edit == HAMLOG_IO_ERROR &&
           HamlogProblem() == Path("HAMLOG.jnl") + " を書き込めませんでした (" + FileErrorReason(EACCES) + ")";
  });
  ::chmod(QFile::encodeName(folder).constData(), 0700);
  EXPECT_TRUE(refused);
  EXPECT_EQ(Field(5, 10), "J M");
  EXPECT_EQ(Field(5, 11), "");
}

// A viewer or a backup reads the whole file while QSOs are edited, taking the shared lock on the write
// byte of the lock file: it finds record 5 (across the end of the first page; its name and remarks 1 one
// letter each time) old or new, not both.
TEST_F(HamlogGuard, AReaderThatTakesTheSharedLockFindsAnEditedRecordOldOrNewNeverPartly) {
  AddQsos({{"JA1EEE"}});
  ASSERT_EQ(Open(), 0);
  std::atomic<int> reads{0}, mixed{0}, updates{0};
  std::thread reader([&, path = Db(), lockPath = Path("HAMLOG.lck")] {
    hamlog::UnixFile lock;
    ASSERT_TRUE(lock.Open(lockPath));
    for (; updates < 300; ++reads) {
      ASSERT_TRUE(lock.LockByte(1, false, true));
      const QByteArray rec = ReadFile(path).mid(hamlog::HdbRecordOffset(5), kHdbRecordLength);
      lock.UnlockByte(1);
      mixed += rec.size() == kHdbRecordLength &&
               rec[hamlog::SpanOf(11).offset] != rec[hamlog::SpanOf(13).offset + 253];
    }
  });
  for (; updates < 300; ++updates) {
    const QString letters(254, QChar(updates % 2 ? 'B' : 'A'));
    EXPECT_EQ(EditQso(5, {{11, letters}, {13, letters}}), 0);
  }
  reader.join();
  Close();
  EXPECT_EQ(mixed, 0) << "of " << reads << " readings";
  EXPECT_EQ(Field(5, 11), QString(64, 'B'));
}

}  // namespace

// A log kept elsewhere and reached through a link (a synchronised folder): an edit is written where the
// link points and the link stays a link.
TEST_F(HamlogGuard, AnEditOfALogReachedThroughALinkOrWithNoRoomForACopyIsStored) {
  ASSERT_TRUE(QFile::rename(Db(), Path("kept.HDB")) && QFile::link(Path("kept.HDB"), Db()));
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(EditQso(2, {{11, "Yamada"}}), 0);
  // A folder named as the copy of the log earlier versions made is no obstacle.
  ASSERT_TRUE(QDir().mkdir(Path("kept.HDB.pack")));
  EXPECT_EQ(EditQso(2, {{11, "Suzuki"}}), 0);
  Close();
  EXPECT_TRUE(QFileInfo(Db()).isSymLink());
  EXPECT_EQ(Field(2, 11), "Suzuki");
}
