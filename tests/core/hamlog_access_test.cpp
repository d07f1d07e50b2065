#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/HamlogAccess.h"
#include "core/ModeList.h"
#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/codepage.h"
#include "platform/hamlog/program_file.h"
#include "platform/paths.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/temp_home.h"

namespace {

class HamlogAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hamlogLib = HamlogLib{};
    ResetSharedState();
    Settings.DataFolder = home.path();
    dir = home.file("HAMLOG");
    ASSERT_TRUE(hamlogdb::Create(dir).Ok());
    Hamlog.HamlogDbPath = hamlogdb::DatabasePath(dir);
  }
  void import(const QString& csv) {
    const QString path = home.write("qsos.csv", ToAnsi(csv));
    const auto outcome = hamlogdb::Import(dir, path);
    ASSERT_TRUE(outcome.Ok()) << outcome.message.toStdString();
  }
  TempHome home;
  QString dir;
};

const char* kTwoQsos =
    "\"JA1ABC\",\"1985/03/"
    "12\",\"21:05J\",\"599\",\"579\",\"7.025\",\"CW\",\"1001\",\"PM95\",\"J*E\",\"太郎\","
    "\"東京都\",\"r1\",\"r2\"\r\n"
    "\"JH3XYZ/3\",\"2012/11/30\",\"03:10U\",\"59\",\"59\",\"4.630\",\"SSB\",\"25001A\",\"\",\"B  "
    "\",\"\",\"\",\"\",\"\"\r\n";

}  // namespace

TEST_F(HamlogAccessTest, OpensOnceAndReadsRecordsAtEachDepth) {
  import(QString::fromUtf8(kTwoQsos));
  EXPECT_EQ(CountHdbRecords(), 2);
  ASSERT_EQ(HamlogOpenDb(), 0);
  EXPECT_EQ(Hamlog.HamlogClosed, 0);
  EXPECT_EQ(HamlogOpenDb(), 0);  // already open: no second open

  Qso.QsoRecNo = 1;
  ASSERT_EQ(ReadQsoBasic(1, 0), 0);
  EXPECT_EQ((QStringList{Qso.QsoCall, Qso.RawDate, Qso.QsoDate, Qso.QsoMode, Qso.QsoBand, Qso.QsoCode,
                         Qso.CodeFixed, Qso.QslVia, Qso.QslReceived}),
            (QStringList{"JA1ABC", "85/03/12", "1985-03-12", "CW", "7   ", "1001", "1001", "J", "E"}));

  // Depth 1 takes call and date only: mode and band stay as they were.
  ASSERT_EQ(ReadQsoBasic(2, 1), 0);
  EXPECT_EQ((QStringList{Qso.QsoCall, Qso.QsoDate, Qso.QsoMode, Qso.QsoBand}),
            (QStringList{"JH3XYZ/3", "2012-11-30", "CW", "7   "}));

  ASSERT_EQ(ReadQsoFull(1), 0);
  EXPECT_EQ((QStringList{Qso.QsoTime, Qso.HisRst, Qso.QsoName, Qso.QslSent, Qso.Remarks2}),
            (QStringList{"21:05J", "599", QString::fromUtf8("太郎"), "*", "r2"}));

  // The mode reader takes the mode and nothing else.
  ASSERT_EQ(ReadQsoMode(2), 0);
  EXPECT_EQ(Qso.QsoMode, "SSB");
  EXPECT_EQ(Qso.QsoCall, "JA1ABC");
  HamlogCloseDb(0);
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
}

TEST_F(HamlogAccessTest, FailuresAreReportedWithTheirMessages) {
  import(QString::fromUtf8(kTwoQsos));
  MsgBoxResponder boxes;
  ASSERT_EQ(HamlogOpenDb(), 0);
  Qso.QsoCall = "KEEP";
  boxes.Answer(vbOK);
  EXPECT_EQ(ReadQsoBasic(99, 0), 1);
  EXPECT_EQ(Qso.QsoCall, "KEEP");
  boxes.Answer(vbOK);
  EXPECT_EQ(ReadQsoFull(99), 1);
  boxes.Answer(vbOK);
  EXPECT_EQ(ReadQsoMode(0), 1);
  HamlogCloseDb(0);

  // A frequency with no band is written to the report with the record number.
  Qso.QsoRecNo = 2;
  ASSERT_EQ(HamlogOpenDb(), 0);
  ASSERT_EQ(ReadQsoBasic(2, 3), 0);
  HamlogCloseDb(0);
  EXPECT_EQ(Qso.QsoBand, "    ");
  EXPECT_TRUE(FromAnsi(home.read("FreqError_Report.txt"))
                  .contains(QString::fromUtf8("交信番号=2 の交信周波数=4.630")));

  // A database that is not there: the open fails and can be tried again.
  Hamlog.HamlogDbPath = home.file("NONE\\HAMLOG.HDB");
  EXPECT_EQ(HamlogOpenDb(), 1);
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  boxes.Answer(vbOK);
  EXPECT_EQ(CountHdbRecords(), 0);
  boxes.Answer(vbOK);
  EXPECT_EQ(ReadHdbFieldLengths(Hamlog.HamlogDbPath), 0);
  const QString gone =
      QString::fromUtf8("\r\n交信番号 %1 のレコードはもうありません (HAMLOG で削除されています)");
  EXPECT_EQ(boxes.texts(),
            QStringList({QString::fromUtf8("HAMLOGデータが読めませんでした。2") + gone.arg(99),
                         QString::fromUtf8("HAMLOGデータが読めませんでした。1") + gone.arg(99),
                         QString::fromUtf8("HAMLOGデータが読めませんでした。3") + gone.arg(0),
                         QString::fromUtf8("HAMLOG.HDB が見つかりません\r\n") + Hamlog.HamlogDbPath,
                         QString::fromUtf8("HAMLOG.HDB が見つかりません\r\n") + Hamlog.HamlogDbPath}));
}

TEST_F(HamlogAccessTest, EachReasonALogDoesNotOpenForHasItsOwnMessage) {
  MsgBoxResponder boxes;
  // A log held alone by another program is the one that is "in use".
  hamlogLib.share = 0;
  ASSERT_EQ(HamlogOpenDb(), 0);
  hamlogLib.share = 1;
  HamlogLib other;
  std::swap(hamlogLib, other);
  boxes.Answer(vbOK);
  EXPECT_EQ(CountHdbRecords(), 0);
  std::swap(hamlogLib, other);
  HamlogCloseDb(0);
  EXPECT_EQ(boxes.texts().last(),
            QString::fromUtf8("HAMLOG.HDB が開けません\r\n") + Hamlog.HamlogDbPath +
                QString::fromUtf8("\r\n既に先客が使用中と思われます\r\n"
                                  "このファイルを使っている HAMLOG などのプログラムを閉じてから、もう一度して下さい。"));

  // A HAMLOG folder that takes no lock file (a folder in the lock file's place stands for it).
  hamlogLib = HamlogLib{};  // a new session: no lock file held open
  ASSERT_TRUE(QFile::remove(dir + "/HAMLOG.lck"));
  ASSERT_TRUE(QDir(dir).mkdir("HAMLOG.lck"));
  EXPECT_EQ(HamlogOpenDb(), 1);
  EXPECT_TRUE(
      HamlogOpenFailureText(Hamlog.LastResult).contains(QString::fromUtf8("ロックファイルが作れない")))
      << HamlogOpenFailureText(Hamlog.LastResult).toStdString();
  ASSERT_TRUE(QDir(dir).rmdir("HAMLOG.lck"));

  // A settings path naming another file, an empty file and a log cut inside its header.
  const QString notes = home.write("notes.txt", "not a log\r\n");
  const QString empty = home.write("EMPTY.HDB", "");
  QByteArray header;
  ASSERT_TRUE(ReadWholeFile(Hamlog.HamlogDbPath, header));
  const QString cut = home.write("CUT.HDB", header.left(20));
  for (const QString& path : {notes, empty, cut}) {
    Hamlog.HamlogDbPath = path;
    boxes.Answer(vbOK);
    EXPECT_EQ(CountHdbRecords(), 0);
    EXPECT_TRUE(boxes.texts().last().contains(
        QString::fromUtf8("HAMLOG のデータファイルではないか、壊れているか途中で切れています")))
        << boxes.texts().last().toStdString();
    EXPECT_TRUE(boxes.texts().last().contains(path));
    EXPECT_FALSE(boxes.texts().last().contains(QString::fromUtf8("先客")));
  }
}

TEST_F(HamlogAccessTest, EmptyLogAndHeaderAndVersion) {
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(CountHdbRecords(), 0);
  EXPECT_EQ(boxes.texts(), QStringList({QString::fromUtf8("HAMLOG.HDBのデータ件数がゼロです。")}));
  // The entry window sizes its boxes by these widths.
  const int sum = ReadHdbFieldLengths(Hamlog.HamlogDbPath);
  // The call sign is stored as two fields; element 0 gives the box its whole width.
  EXPECT_EQ(Hamlog.HdbFieldLengths[0], 20);
  EXPECT_EQ(Hamlog.HdbFieldLengths[0], Hamlog.HdbFieldLengths[1] + Hamlog.HdbFieldLengths[2]);
  EXPECT_GT(sum, 20);
  // With no program path stored, the version comes from Hamlogw.exe beside the database.
  EXPECT_EQ(GetHamlogVersion(), QString::fromLatin1(kStandInVersion));
  Hamlog.HamlogExePath = home.file("missing\\Hamlogw.exe");
  EXPECT_EQ(GetHamlogVersion(), "");
}

TEST(HamlogDatabaseProblem, NamesWhyAFileIsNoDatabase) {
  TempHome home;
  hamlogLib = HamlogLib{};
  const QString dir = home.file("HAMLOG");
  ASSERT_TRUE(hamlogdb::Create(dir).Ok());
  EXPECT_EQ(HamlogDatabaseProblem(hamlogdb::DatabasePath(dir)), "");
  EXPECT_EQ(HamlogDatabaseProblem(home.file("gone/HAMLOG.HDB")), QString::fromUtf8("ファイルがありません"));
  EXPECT_EQ(HamlogDatabaseProblem(dir), QString::fromUtf8("ファイルがありません")) << "a folder";
  EXPECT_EQ(HamlogDatabaseProblem(home.write("x/HAMLOG.HDB", "plain text, no table")),
            QString::fromUtf8("HAMLOG のデータベース (HAMLOG.HDB) ではありません"));
}

// A QSO marked deleted in HAMLOG but not yet packed away is no QSO for any reader: skipped without a
// word, no field of another record left behind.
TEST_F(HamlogAccessTest, ADeletedRecordIsSkippedByEveryReader) {
  import(QString::fromUtf8(kTwoQsos));
  Hamlog.HdbRecordCount = CountHdbRecords();
  ASSERT_EQ(HamlogOpenDb(), 0);
  ASSERT_EQ(Vdbf_delete(Hamlog.Thw, 1), 0);
  MsgBoxResponder none;
  ASSERT_EQ(ReadQsoBasic(2, 0), 0);
  EXPECT_EQ(ReadQsoBasic(1, 0), kQsoDeleted);
  EXPECT_EQ(Qso.QsoCall, "");
  EXPECT_EQ(Qso.QsoRecNo, 1);
  EXPECT_EQ(ReadQsoFull(1), kQsoDeleted);
  EXPECT_EQ(ReadQsoMode(1), kQsoDeleted);
  EXPECT_EQ(ReadQsoRecord(1), kQsoDeleted);
  QStringList modes;
  EXPECT_TRUE(CollectHamlogModes({}, [&](const QString& m) { modes << m; }));
  EXPECT_EQ(modes, QStringList{"SSB"});
  HamlogCloseDb(0);
}
