// The whole-log reader against the record-by-record reading on a log with every kind of odd field
// (codes outside the master among them):
// the same work file, frequency report and messages, under several reading conditions; deleted
// records skipped; a log changed or damaged under the reading stops it and keeps the previous file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/ui/responders.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/SheetTally.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

// Field bytes as another program could have stored them: Windows-31J text, NULs, control characters,
// dates in other forms or none.
QByteArray sj(const char* utf8) { return ToAnsi(QString::fromUtf8(utf8)); }
QByteArray raw(const char* bytes, int n) { return QByteArray(bytes, n); }

const QList<QByteArray> kDates = {"24/05/06", "99/12/31", "30/01/01", "29/12/31", "24-05-06", "2024/5/6",
                                  "24/02/30", "        ", "24/5/6  ", " 24/05/6", "ab/cd/ef", raw("\0\0\0\0", 4),
                                  "00/02/29", "01/02/29", sj("２４/05/06")};
const QList<QByteArray> kFreqs = {"7.025",        " 7.025", "4.630",  "",        "435/145",
                                  "9999",         "*10.2",  "0.1375", "0.475",   raw("7\0.0", 4),
                                  sj("１４．０"), "14.2\t", "\x01",   "144.1",   "2400.1",
                                  "24.9",         "50.1",   "1.9",    "10450.1", "24050"};
const QList<QByteArray> kModes = {"CW", "FT8", "RTTY", sj("ｼｰﾀﾞﾌﾞﾘｭ"), "", " CW ", raw("C\0W", 3), "SSB"};
const QList<QByteArray> kCodes = {"1002",   "10001A", "0100",     "123",    "100105", "1101",   "110101",
                                  "501A",   sj("東京"), "10001",  "1002 ", raw("\0" "1002", 5), "10\x01" "02",
                                  sj("ｱｲｳｴ"), "1001\t", "100101", "10001B", "0901", "4701", "2502AB", "0501"};
const QList<QByteArray> kQsls = {"J *", "P *", "J E", raw("\0\0\0", 3), "D M", sj("ﾃ *"), "J\x01*", sj("受 "),
                                 "J  "};

class WholeLogExtraction : public ::testing::Test {
 protected:
  SheetLog log;
  MsgBoxResponder boxes;

  void SetUp() override {
    boxes.OnShow = [this](const MsgBoxCall&) { boxes.Answer(vbOK); };
    ASSERT_TRUE(hamlogdb::Generate(log.dir, 20000, 11).Ok());
    // Every fourth record gets odd fields, every 97th is deleted.
    QFile f(log.Hdb());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QRandomGenerator rng(5);
    auto patch = [&](int64_t recNo, int field, const QByteArray& bytes) {
      const hamlog::FieldSpan s = hamlog::SpanOf(field);
      QByteArray padded = bytes.left(s.width);
      padded += QByteArray(s.width - padded.size(), ' ');
      ASSERT_TRUE(f.seek(hamlog::HdbRecordOffset(recNo) + s.offset));
      ASSERT_EQ(f.write(padded), s.width);
    };
    for (int64_t r = 1; r <= 20000; ++r) {
      if (r % 97 == 0) {
        ASSERT_TRUE(f.seek(hamlog::HdbRecordOffset(r)));
        f.write("*");
      }
      if (r % 4 != 0) continue;
      auto pick = [&](const QList<QByteArray>& pool) { return pool[rng.bounded(int(pool.size()))]; };
      if (rng.bounded(3) == 0) patch(r, 2, pick(kDates));
      if (rng.bounded(3) == 0) patch(r, 6, pick(kFreqs));
      if (rng.bounded(3) == 0) patch(r, 7, pick(kModes));
      if (rng.bounded(2) == 0) patch(r, 8, pick(kCodes));
      if (rng.bounded(2) == 0) patch(r, 10, pick(kQsls));
    }
    f.close();
  }
  void TearDown() override {
    DmyDbsExtractionPath = DmyDbsExtraction::WholeLog;
    HdbScan::afterBeginForTest = nullptr;
    ResetSharedState();
  }

  struct Result {
    QByteArray work, report;
    QStringList messages;
    QString lastp;
  };
  // A fresh reading under the conditions `set` leaves, by the given extraction.
  Result Read(DmyDbsExtraction path, const std::function<void()>& set) {
    log.Prepare();
    set();
    QFile::remove(log.home.file("DMYDBS.DAT"));
    QFile::remove(log.home.file("FreqError_Report.txt"));
    const size_t shownBefore = boxes.shown().size();
    DmyDbsExtractionPath = path;
    log.Load();
    EXPECT_EQ(SheetTally.ReadFailed, 0);
    Result r;
    r.work = log.home.read("DMYDBS.DAT");
    r.report = log.home.read("FreqError_Report.txt");
    for (size_t i = shownBefore; i < boxes.shown().size(); ++i) r.messages << boxes.shown()[i].text;
    ReadIni("ORB", "LASTP", r.lastp);
    return r;
  }
};

TEST_F(WholeLogExtraction, GivesTheWorkFileReportAndMessagesOfTheRecordByRecordReading) {
  const std::pair<const char*, std::function<void()>> conditions[] = {
      {"all modes", [] {}},
      {"digital", [] {
         ReadConditions.SelMode = "DIGITAL";
         Settings.DigitalModes = "RTTY,FT8,";
       }},
      {"one mode, dates, QSL kinds, wide bands", [] {
         ReadConditions.SelMode = "CW";
         ReadConditions.StartDate = "19990101";
         ReadConditions.EndDate = "20241231";
         ReadConditions.ExcludedQslKinds[1] = QString::fromUtf8("ﾃ");
         Settings.ExtendedBandSet = 1;
         ApplyBandSetLayout();
         MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
       }},
      {"a period end that is no date", [] { ReadConditions.EndDate = QString::fromUtf8("２０１０0101"); }},
  };
  for (const auto& [name, set] : conditions) {
    const Result perRecord = Read(DmyDbsExtraction::PerRecord, set);
    const Result wholeLog = Read(DmyDbsExtraction::WholeLog, set);
    EXPECT_GT(perRecord.work.size(), 33 * 1000) << name;
    EXPECT_EQ(wholeLog.work, perRecord.work) << name;
    EXPECT_FALSE(perRecord.report.isEmpty()) << name;
    EXPECT_EQ(wholeLog.report, perRecord.report) << name;
    EXPECT_FALSE(perRecord.messages.isEmpty()) << name;  // the dates that are none
    EXPECT_EQ(wholeLog.messages, perRecord.messages) << name;
    EXPECT_EQ(wholeLog.lastp, perRecord.lastp) << name;
  }
}

TEST_F(WholeLogExtraction, DeletedRecordsAreSkippedByBothReadings) {
  for (DmyDbsExtraction path : {DmyDbsExtraction::PerRecord, DmyDbsExtraction::WholeLog}) {
    const Result r = Read(path, [] {});
    for (qsizetype at = 0; at < r.work.size(); at += 33)
      ASSERT_NE(r.work.mid(at + 13, 10).toInt() % 97, 0) << r.work.mid(at, 31).constData();
    for (const QString& m : r.messages) EXPECT_FALSE(m.contains("DMYDBS")) << m.toStdString();
  }
}

QString hdbPath;

TEST_F(WholeLogExtraction, ALogCutShortDuringTheReadingStopsItAndKeepsThePreviousFile) {
  const QString lastp = Read(DmyDbsExtraction::WholeLog, [] {}).lastp;
  const QByteArray before = log.home.read("DMYDBS.DAT");

  log.Prepare();
  hdbPath = log.Hdb();
  HdbScan::afterBeginForTest = [] {
    ASSERT_EQ(::truncate(QFile::encodeName(hdbPath).constData(), hamlog::HdbRecordOffset(5001)), 0);
  };
  log.Load();
  EXPECT_EQ(SheetTally.ReadFailed, 1);
  EXPECT_EQ(StartFlags.ReadStatusCode, kReadHamlogChanged);
  EXPECT_EQ(log.home.read("DMYDBS.DAT"), before);
  QString after;
  ReadIni("ORB", "LASTP", after);
  EXPECT_EQ(after, lastp);
}

TEST_F(WholeLogExtraction, AHeaderCountThatDoesNotFitIsReportedAndNothingIsRead) {
  Read(DmyDbsExtraction::WholeLog, [] {});
  const QByteArray before = log.home.read("DMYDBS.DAT");
  QFile f(log.Hdb());
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.seek(4));
  const char count[4] = {char(0x10), char(0x27), 0, 0};  // 10000 of the 20000
  f.write(count, 4);
  f.close();
  log.Prepare();
  EXPECT_EQ(Hamlog.HdbRecordCount, 0);
  ASSERT_FALSE(boxes.texts().isEmpty());
  EXPECT_EQ(boxes.texts().back(),
            "HAMLOG.HDB のヘッダの件数 10000 件がファイルの長さ (" +
                QString::number(hamlog::HdbRecordOffset(20001) + 1) +
                " バイト = 20000 件分) と合いません。ファイルが壊れているか途中で切れています");
  log.Load();
  EXPECT_EQ(SheetTally.ReadFailed, 1);
  EXPECT_EQ(log.home.read("DMYDBS.DAT"), before);
}

}  // namespace
