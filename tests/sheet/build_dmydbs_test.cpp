// The reading of a hand-checked log into the progress work file and the marks it leaves: reading
// conditions, the three ways of building the file, Esc and failures.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTimer>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"
#include "hamlogdb/tool_support.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hamlog_session.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStamp.h"
#include "sheet/WorkFileStore.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

// call, date, frequency, mode, code, QSL
const QStringList kLog = {
    "JA1AAA,2020/01/01,7.025,CW,1002,J *",     // 1  1002 7 MHz confirmed
    "JA1AAB,2020/01/02,14.050,CW,1002,J  ",    // 2  1002 14 MHz worked
    "JA1AAC,2020/01/03,14.060,SSB,1002,J M",   // 3  "M" is no configured mark
    "JA1AAD,2020/01/04,21.020,FT8,1002,P *",   // 4  QSL kind P excluded
    "JA1AAE,2020/01/05,4.630,CW,1002,J *",     // 5  no band
    "JA1AAF,2020/01/06,7.030,CW,0100,J *",     // 6  code 0100
    "JA1AAG,2020/01/07,7.030,CW,123,J *",      // 7  code too short
    "JA1AAH,2020/01/08,7.030,CW,10001A,J *",   // 8  town and its gun
    "JA1AAI,2020/01/09,7.030,CW,1001,J *",     // 9  Tokyo's 23 wards as a whole: nothing
    "JA1AAJ,1956/08/31,7.030,CW,1101,J *",     // 10 designated city the day before
    "JA1AAK,1956/09/01,14.030,CW,1101,J *",    // 11 and on its first day: nothing
    "JA1AAL,1956/09/01,14.030,CW,110101,J *",  // 12 its ward
    "JA1AAM,2010/03/31,7.030,CW,100101,J *",   // 13 Tokyo ward before 2010-04-01
    "JA1AAN,2010/04/01,14.030,CW,100105,J  ",  // 14 and from that day
    "W1AW,2020/02/01,14.025,CW,501A,D *",      // 15 DX
    "JA0AAA,2020/03/01,435/145,FM,0901,J E",   // 16 satellite, eQSL mark
    "JA1AAO,2020/01/10,7.030,RTTY,1002,J  ",   // 17 digital mode
};

// What the settings file holds once the work file is on disk.
QString readOrb(const QString& key) {
  SettleWorkFile();
  QString v;
  ReadIni("ORB", key, v);
  return v;
}

struct BuildDmyDbsTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;

  void SetUp() override {
    log.Add(kLog);
    log.Prepare();
  }
  void TearDown() override { ResetSharedState(); }
  static QString cell(int row, int column) { return MasterTable(column, row); }
  QByteArray work() const {
    SettleWorkFile();
    return log.home.read("DMYDBS.DAT");
  }
  // An append of what HAMLOG.HDB holds now.
  static void append() {
    Hamlog.HdbRecordCount = CountHdbRecords();
    SheetTally.AppendRead = 1;
    BuildDmyDbs();
  }
  // A change another program makes to the log while it holds it.
  bool byAnotherProgram(const std::function<bool(hamlog::QsoDatabase&)>& change) {
    hamlogdb::OpenedLog other;
    return other.Open(log.dir).Ok() && change(other.Db());
  }
  // The file as an append left it is the one a full reading writes.
  void expectWhatAFullReadingWrites() {
    const QByteArray appended = work();
    log.Prepare();
    log.Load();
    EXPECT_TRUE(appended == work()) << "the file a full reading writes";
  }
  QList<int> recordsInFile() const {
    QList<int> out;
    const QByteArray w = work();
    for (qsizetype at = 0; at + 33 <= w.size(); at += 33) out << w.mid(at + 13, 10).toInt();
    return out;
  }
};

TEST_F(BuildDmyDbsTest, ConditionsLinesAndMarksOfAFreshReading) {
  log.Load();
  ASSERT_EQ(SheetTally.ReadFailed, 0);
  // Sorted by prefecture, kind flag, code, band, record number; no line for records 4 to 7.
  // ("14  " sorts before "7   ").
  EXPECT_EQ(recordsInFile(), (QList<int>{16, 9, 13, 14, 2, 3, 1, 17, 8, 11, 10, 12, 15}));
  EXPECT_EQ(work().left(33), QByteArray("00901  SAT EJ000000001620200301\r\n"));
  EXPECT_EQ(work().mid(6 * 33, 33), QByteArray("01002  7   *J000000000120200101\r\n"));
  EXPECT_EQ(readOrb("LASTP"), "17");
  EXPECT_EQ(Settings.LastExtractedRecord, "17");
  // As Write # puts each line, in the code page.
  EXPECT_EQ(FromAnsi(log.home.read("FreqError_Report.txt")),
            QStringLiteral("\"交信番号=5 の交信周波数=4.630 は無効です\"\r\n"));

  const std::tuple<int, int, const char*> marks[] = {
      {kRow0901, kColSat, "C"}, {kRow1001, kCol7, ""},   {kRow100101, kCol7, "C"}, {kRow100105, kCol14, "W"},
      {kRow1002, kCol7, "C"},   {kRow1002, kCol14, "W"}, {kRow1002, kCol21, ""},   {kRowGun, kCol7, "C"},
      {kRowTown, kCol7, "C"},   {kRow1101, kCol7, "C"},  {kRow1101, kCol14, ""},   {kRow110101, kCol14, "C"},
      {kRow501A, kCol14, "C"},
  };
  for (const auto& [row, column, mark] : marks)
    EXPECT_EQ(cell(row, column), mark) << "row " << row << ", column " << column;
  EXPECT_EQ(SheetTally.CellQsoCounts(kCol7, kRow1002), 2);
  EXPECT_EQ(SheetTally.CellRecordNumbers(kCol14, kRow1002), "0000000002");
  EXPECT_EQ(SheetTally.TokyoWardRecords(100105, kCol14), -14);

  EXPECT_EQ(MasterTable(BandLayout.KindColumn, kRowTown), "T");
  EXPECT_EQ(BandTotals.CityWorked[2], 2);  // 1002, 1101
  EXPECT_EQ(BandTotals.CityWorked[4], 2);  // 1002 and the Tokyo ward of 2010-04-01
  EXPECT_EQ(BandTotals.CityConfirmed[4], 0);
  EXPECT_EQ(BandTotals.WardConfirmed[2], 1);   // the Tokyo ward of 2010-03-31
  EXPECT_EQ(BandTotals.WardConfirmed[4], 1);   // 110101
  EXPECT_EQ(BandTotals.CityConfirmed[15], 1);  // the abolished city on the satellite
  EXPECT_EQ(BandTotals.GunConfirmed[2], 1);
  EXPECT_EQ(BandTotals.TownConfirmed[2], 1);
  EXPECT_EQ(BandTotals.DxConfirmed[4], 1);
  EXPECT_TRUE(WorkFileStillValid());
}

TEST_F(BuildDmyDbsTest, OneModeDigitalModesAndThePeriodBounds) {
  ReadConditions.SelMode = "CW";
  log.Load();
  EXPECT_EQ(SheetTally.CellQsoCounts(kCol7, kRow1002), 1);
  EXPECT_EQ(cell(kRow0901, kColSat), "");

  log.Prepare();
  ReadConditions.SelMode = "DIGITAL";
  Settings.DigitalModes = "FT8,RTTY,";
  log.Load();
  EXPECT_EQ(recordsInFile(), QList<int>{17});
  EXPECT_EQ(cell(kRow1002, kCol7), "W");

  log.Prepare();
  ReadConditions.StartDate = "19560901";
  ReadConditions.EndDate = "20100401";
  log.Load();
  EXPECT_EQ(recordsInFile(), (QList<int>{13, 14, 11, 12}));
  EXPECT_EQ(readOrb("LASTP"), "14");
}

TEST_F(BuildDmyDbsTest, AnyReceivedMarkConfirmsWhenSoSet) {
  Settings.QslRcvOnly = "YES";
  log.Load();
  EXPECT_EQ(cell(kRow1002, kCol14), "C");
  EXPECT_EQ(SheetTally.CellRecordNumbers(kCol14, kRow1002), "0000000003");
  EXPECT_EQ(SheetTally.TokyoWardRecords(100105, kCol14), 14);
}

TEST_F(BuildDmyDbsTest, RecordsWithoutADateAreSkippedAndToldInOneMessage) {
  log.AddRaw("23/02/30");
  log.Prepare();
  boxes.Answer(vbOK);
  log.Load();
  EXPECT_EQ(boxes.texts(),
            QStringList{"HAMLOGデータ　レコードナンバー (18) は\r\n日付(23/02/30)異常です、無視しました。"});
  EXPECT_EQ(SheetTally.ReadFailed, 0);
  EXPECT_FALSE(recordsInFile().contains(18));

  // Thirty more, and a zeroed record (which passed silently before): one message for the 32, by either
  // way of reading.
  for (int i = 0; i < 30; ++i) log.AddRaw("ab/cd/ef");
  QFile f(log.Hdb());
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.seek(hamlog::HdbRecordOffset(3)));
  f.write(QByteArray(hamlog::kHdbRecordLength, '\0'));
  f.close();
  const QString one = "HAMLOGデータに 日付が異常なレコードが 32 件あります、無視しました。\r\n(最初はレコードナンバー (3) 日付(" +
                      QString(8, QChar(0)) + "))";
  for (DmyDbsExtraction way : {DmyDbsExtraction::WholeLog, DmyDbsExtraction::PerRecord}) {
    DmyDbsExtractionPath = way;
    log.Prepare();
    const qsizetype before = boxes.texts().size();
    boxes.Answer(vbOK);
    log.Load();
    EXPECT_EQ(boxes.texts().mid(before), QStringList{one});
    EXPECT_EQ(SheetTally.ReadFailed, 0);
    EXPECT_FALSE(recordsInFile().contains(3));
  }
  DmyDbsExtractionPath = DmyDbsExtraction::WholeLog;
}

TEST_F(BuildDmyDbsTest, JapaneseCodesOnlyLeaveTheDxLineWithoutARow) {
  Settings.JaOnly = "1";
  log.Load();
  EXPECT_EQ(SheetTally.MasterRowCount, kRow110101);
  EXPECT_TRUE(recordsInFile().contains(15));
  EXPECT_EQ(BandTotals.DxWorked[4], 0);
}

TEST_F(BuildDmyDbsTest, ExtendedBandSetColumns) {
  log.Add({"JA1ZZZ,2021/01/01,0.1375,CW,1002,J *"});
  log.Prepare();
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
  log.Load();
  EXPECT_EQ(cell(kRow1002, 20), "C");  // 135 kHz
  EXPECT_EQ(cell(kRow0901, 26), "C");  // satellite
  EXPECT_EQ(BandTotals.CityConfirmed[21], 1);
}

TEST_F(BuildDmyDbsTest, AppendAfterLastpAndStartFromThePreviousFile) {
  log.Load();
  const QByteArray first = work();
  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,J *", "JA1NEX,2021/05/06,21.010,CW,1003,P *"});
  EXPECT_FALSE(WorkFileStillValid());  // HAMLOG.HDB changed

  // Append: only the records after LASTP are read; the counts keep what they had and gain the new QSOs.
  append();
  EXPECT_EQ(SheetTally.ReadFailed, 0);
  EXPECT_EQ(SheetTally.NewLinesWritten, 1);
  EXPECT_EQ(work().size(), first.size() + 33);
  EXPECT_EQ(readOrb("LASTP"), "18");
  EXPECT_EQ(cell(kRow1002, kCol21), "C");
  EXPECT_EQ(SheetTally.CellQsoCounts(kCol21, kRow1002), 1);
  EXPECT_EQ(SheetTally.CellQsoCounts(kCol7, kRow1002), 2);
  EXPECT_EQ(cell(kRow1002, kCol7), "C");
  EXPECT_TRUE(WorkFileStillValid());

  // Nothing new: no line, no collation, LASTP as it was.
  const QByteArray second = work();
  SheetTally.AppendRead = 1;
  SheetTally.NewLinesWritten = 0;
  SheetTally.CellQsoCounts.Redim(BandLayout.LastBandColumn, MasterList.MasterRowCap);
  BuildDmyDbs();
  EXPECT_EQ(SheetTally.NewLinesWritten, 0);
  EXPECT_EQ(work(), second);
  EXPECT_EQ(readOrb("LASTP"), "18");
  EXPECT_EQ(SheetTally.CellQsoCounts(kCol21, kRow1002), 0);

  // The previous file, without HAMLOG at all.
  log.Prepare();
  Hamlog.HamlogDbPath = log.home.file("nowhere/HAMLOG.HDB");
  StartFlags.StartWithPreviousData = 1;
  log.Load();
  EXPECT_EQ(SheetTally.ReadFailed, 0);
  EXPECT_EQ(cell(kRow1002, kCol21), "C");
  EXPECT_EQ(readOrb("LASTP"), "18");
}

// A QSO read, deleted and packed away by another program, then one logged: as many records as were read.
TEST_F(BuildDmyDbsTest, AnAppendToALogPackedByAnotherProgramReadsItWhole) {
  log.Load();
  ASSERT_TRUE(byAnotherProgram([](auto& db) {  // JA1AAA, the 7 MHz confirmation of 1002
    return db.Delete(1) == HAMLOG_OK && db.Pack() == HAMLOG_OK;
  }));
  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,J *"});
  ASSERT_EQ(QString::number(CountHdbRecords()), readOrb("LASTP"));
  append();
  EXPECT_EQ(SheetTally.ReadFailed, 0);
  EXPECT_EQ(cell(kRow1002, kCol7), "W");
  EXPECT_EQ(SheetTally.CellQsoCounts(kCol7, kRow1002), 1);
  EXPECT_TRUE(WorkFileStillValid());
  expectWhatAFullReadingWrites();
}

// A received mark set in place on a QSO read (a card entered in HAMLOG): the append reads the whole log.
TEST_F(BuildDmyDbsTest, AnAppendAfterAMarkSetInPlaceReadsTheLogWhole) {
  log.Load();
  ASSERT_TRUE(byAnotherProgram([](auto& db) { return db.PutQslMark(2, 2, '*') == HAMLOG_OK; }));  // JA1AAB
  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,J *"});
  append();
  EXPECT_EQ(cell(kRow1002, kCol21) + cell(kRow1002, kCol14), "CC");
  EXPECT_EQ(CheckWorkFile(), WorkFileState::Valid);
  expectWhatAFullReadingWrites();
}

// The previous data stand while the log gives a reading what it gave: a QSO of an excluded kind read by
// an append, a mark set and taken back by a tool that keeps the file's time. Not a mark left set so.
TEST_F(BuildDmyDbsTest, ThePreviousDataStandWhileTheLogGivesAReadingWhatItGave) {
  log.Load();
  const auto markKeepingTime = [&](char mark) {  // JA1AAB's received mark
    QFile hdb(log.Hdb());
    ASSERT_TRUE(hdb.open(QIODevice::ReadWrite));
    const QDateTime time = hdb.fileTime(QFileDevice::FileModificationTime);
    ASSERT_TRUE(hdb.seek(hamlog::HdbRecordOffset(2) + hamlog::kQslOffset + 2) && hdb.putChar(mark) && hdb.flush());
    ASSERT_TRUE(hdb.setFileTime(time, QFileDevice::FileModificationTime));
  };
  markKeepingTime('*');
  EXPECT_EQ(CheckWorkFile(), WorkFileState::LogChanged);
  markKeepingTime(' ');
  EXPECT_EQ(CheckWorkFile(), WorkFileState::Valid);
  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,P *"});
  SheetTally.NewLinesWritten = 0;
  append();
  EXPECT_EQ(SheetTally.NewLinesWritten, 0);
  EXPECT_EQ(CheckWorkFile(), WorkFileState::Valid);
  // A work file of the earlier band rule, whose print names no rule, is read anew.
  const QString print = ReadIni("ORB", "DBSLogPrint");
  WriteIni("ORB", "DBSLogPrint", print.left(print.lastIndexOf(':')));
  EXPECT_EQ(CheckWorkFile(), WorkFileState::EarlierBandRule);
  append();
  EXPECT_EQ(CheckWorkFile(), WorkFileState::Valid);
  expectWhatAFullReadingWrites();
}

TEST_F(BuildDmyDbsTest, AnAppendFromAStoredPositionOutsideTheLogIsRefusedAndNothingWritten) {
  log.Load();
  const QByteArray first = work();
  Hamlog.HdbRecordCount = CountHdbRecords();
  for (const char* lastp : {"-5", "99999999", "x"}) {
    Settings.LastExtractedRecord = lastp;
    SheetTally.AppendRead = 1;
    SheetTally.ReadFailed = 0;
    BuildDmyDbs();
    EXPECT_EQ(SheetTally.ReadFailed, 1) << lastp;
    EXPECT_TRUE(SheetTally.ReadFailureCause.contains(QString("[ORB] LASTP=") + lastp))
        << SheetTally.ReadFailureCause.toStdString();
    EXPECT_EQ(work(), first);
    EXPECT_EQ(readOrb("LASTP"), "17");
  }
}

TEST_F(BuildDmyDbsTest, PreviousDataWithoutAFileFails) {
  StartFlags.StartWithPreviousData = 1;
  log.Load();
  EXPECT_EQ(SheetTally.ReadFailed, 1);
  EXPECT_EQ(StartFlags.ReadStatusCode, kReadSortGaveUp);
  EXPECT_EQ(StartFlags.StartWithPreviousData, 0);
}

TEST_F(BuildDmyDbsTest, PreviousDataDamagedAtTheSameSizeIsRefusedAndKept) {
  log.Load();
  ASSERT_TRUE(WorkFileStillValid());
  QByteArray damaged = work();
  ASSERT_GT(damaged.size(), 10);
  damaged[5] = damaged[5] == 'x' ? 'y' : 'x';
  ASSERT_TRUE(AtomicWriteFile(DmyDbsPath(), damaged));
  EXPECT_EQ(CheckWorkFile(), WorkFileState::Damaged);
  log.Prepare();
  StartFlags.StartWithPreviousData = 1;
  log.Load();
  EXPECT_EQ(SheetTally.ReadFailed, 1);
  EXPECT_EQ(StartFlags.ReadStatusCode, kReadWorkFileDamaged);
  EXPECT_EQ(StartFlags.StartWithPreviousData, 0);
  EXPECT_EQ(work(), damaged) << "the file is left for the operator to look at";
  EXPECT_TRUE(WorkFileDamagedText().contains("DMYDBS.DAT"));
}

TEST_F(BuildDmyDbsTest, AWorkFileOfManyPiecesIsKnownByItsContentAndEarlierStampsStillHold) {
  log.Load();
  // 3.3 MB of lines, hashed piece by piece.
  QByteArray big;
  for (int i = 0; i < 100000; ++i)
    big += "01002  7   *J" + QByteArray::number(1000000000 + i) + "20200101\r\n";
  ASSERT_GT(big.size(), 3 << 20);
  ASSERT_TRUE(AtomicWriteFile(DmyDbsPath(), big));
  RecordWorkFileComplete();
  EXPECT_EQ(readOrb("DBSStampHash"), WorkFileHash(big));
  EXPECT_EQ(CheckWorkFile(), WorkFileState::Valid);
  QByteArray damaged = big;
  damaged[(2 << 20) + 5] = 'x';  // in the third piece
  ASSERT_TRUE(AtomicWriteFile(DmyDbsPath(), damaged));
  EXPECT_EQ(CheckWorkFile(), WorkFileState::Damaged);
  // The hashes earlier versions stamped: the whole file's MD5, and the MD5 of its 1 MiB pieces' MD5s.
  ASSERT_TRUE(AtomicWriteFile(DmyDbsPath(), big));
  const auto md5 = [](QByteArrayView b) { return QCryptographicHash::hash(b, QCryptographicHash::Md5); };
  QByteArray pieces;
  for (qsizetype at = 0; at < big.size(); at += 1 << 20)
    pieces += md5(QByteArrayView(big).sliced(at, std::min<qsizetype>(1 << 20, big.size() - at)));
  for (const QByteArray& earlier : {md5(big), md5(pieces)}) {
    WriteIni("ORB", "DBSStampHash", QString::fromLatin1(earlier.toHex()));
    EXPECT_EQ(CheckWorkFile(), WorkFileState::Valid);
  }
}

TEST_F(BuildDmyDbsTest, HamlogThatDoesNotOpenLeavesTheFileAndLastpAlone) {
  log.Load();
  const QByteArray before = work();
  log.Prepare();
  Hamlog.HamlogDbPath = log.home.file("nowhere/HAMLOG.HDB");
  log.Load();
  EXPECT_EQ(SheetTally.ReadFailed, 1);
  EXPECT_EQ(StartFlags.ReadStatusCode, kReadNoHamlog);
  EXPECT_EQ(work(), before);
  EXPECT_EQ(readOrb("LASTP"), "17");

  SheetTally.AppendRead = 1;
  SheetTally.ReadFailed = 0;
  BuildDmyDbs();
  EXPECT_EQ(StartFlags.ReadStatusCode, kReadAppendNoHamlog);
  EXPECT_EQ(SheetTally.AppendRead, 0);
}

TEST_F(BuildDmyDbsTest, AWorkFileWhoseLastpCannotBeStoredIsNotReplaced) {
  log.Load();
  const QByteArray before = work();
  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,J *"});
  log.Prepare();
  ASSERT_TRUE(QFile::remove(log.home.file("ORBEX5.INI")));
  ASSERT_TRUE(QDir().mkpath(log.home.file("ORBEX5.INI")));
  log.Load();
  EXPECT_EQ(SheetTally.ReadFailed, 1);
  EXPECT_EQ(StartFlags.ReadStatusCode, kReadFileError);
  EXPECT_EQ(work(), before);
}

TEST_F(BuildDmyDbsTest, EscDuringTheExtractionKeepsThePreviousFileAndLastp) {
  log.Load();
  const QByteArray before = work();
  ASSERT_TRUE(hamlogdb::Generate(log.dir, 20000, 5).Ok());
  log.Prepare();
  // Esc on the start window, pressed once the extraction has begun.
  QTimer esc;
  QObject::connect(&esc, &QTimer::timeout, [&] {
    if (SheetTally.ReadPosition > 0) StartFlags.AbortReading = 1;
  });
  esc.start(0);
  struct : SheetProgress {
    void Pump() override { QCoreApplication::processEvents(); }
  } pumping;
  log.Load(pumping);
  EXPECT_EQ(SheetTally.ReadFailed, 1);
  EXPECT_EQ(StartFlags.ReadStatusCode, kReadStoppedByEsc);
  EXPECT_GT(SheetTally.ReadPosition, 17);
  EXPECT_EQ(work(), before);
  EXPECT_EQ(readOrb("LASTP"), "17");
  EXPECT_EQ(cell(kRow1002, kCol7), "");  // nothing collated
}

// An append whose file is not yet durable when the process is killed (at each step of its store) or
// whose file cannot be written: the next start either reads HAMLOG afresh or uses the file it finds,
// and an append on that file gives what a full reading gives.
TEST_F(BuildDmyDbsTest, AnAppendCutShortBeforeItsFileIsDurableLeavesAFileTheNextStartCanUse) {
  hamlog::durableWrites = false;
  uint32_t seed = 40;
  for (int cut : {0, 1, 2, 3}) {
    SCOPED_TRACE(cut);
    log.Prepare();
    log.Load();
    ASSERT_TRUE(hamlogdb::Generate(log.dir, 300, seed++).Ok());
    if (cut < 3) {
      const pid_t pid = fork();
      if (pid == 0) {
        (void)hamlogLib.session.release();  // the parent's descriptors and locks stay as they are
        hamlogLib = HamlogLib{};
        workFileStoreHookForTest = [cut](WorkFileStoreStep s) {
          if (int(s) == cut) raise(SIGKILL);
        };
        append();
        SettleWorkFile();
        _exit(4);
      }
      int status = 0;
      waitpid(pid, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status)) << status;
      EXPECT_NE(CheckWorkFile(), WorkFileState::Valid);
      // A start on the previous data: refused when the file is not the one stamped, else appended to.
      log.Prepare();
      StartFlags.StartWithPreviousData = 1;
      log.Load();
      if (SheetTally.ReadFailed) {
        StartFlags.StartWithPreviousData = 0;
        log.Prepare();
        log.Load();
      } else {
        Settings.LastExtractedRecord = readOrb("LASTP");  // as the start reads it
        append();
      }
    } else {
      // The scratch file cannot be written: the operator is told; the next append writes it all.
      ASSERT_TRUE(QDir().mkpath(log.home.file("DMYDBS.new")));
      boxes.Answer(vbOK);
      append();
      SettleWorkFile();
      ASSERT_TRUE(boxes.texts().last().contains("DMYDBS.new を書き込めません"));
      EXPECT_NE(CheckWorkFile(), WorkFileState::Valid);
      ASSERT_TRUE(QDir().rmdir(log.home.file("DMYDBS.new")));
      ASSERT_TRUE(hamlogdb::Generate(log.dir, 50, seed++).Ok());
      append();
    }
    ASSERT_EQ(SheetTally.ReadFailed, 0);
    const QByteArray got = work();
    const QString lastp = readOrb("LASTP");
    EXPECT_EQ(CheckWorkFile(), WorkFileState::Valid);
    log.Prepare();
    log.Load();
    EXPECT_TRUE(got == work()) << "the file a full reading writes";
    EXPECT_EQ(lastp, readOrb("LASTP"));
  }
  hamlog::durableWrites = true;
}

}  // namespace
