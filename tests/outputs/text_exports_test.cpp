// acag.dat against the layout of the contest logger's own file, and the QTH data file read back into
// the same code table.

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <map>
#include <vector>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/paths.h"
#include "outputs/TextExports.h"
#include "support/outputs_log.h"
#include "platform/clock.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetTally.h"
#include "support/shared_state.h"

namespace {

// Lines of the contest logger's own ACAG.DAT (a public contest logger, MIT licence): a ward, a city, a
// gun, two of Tokyo's wards; its last line.
const char* kReferenceLines[] = {"010101     札幌市中央区", "0102       旭川市", "01001      阿寒郡",
                                 "100101     千代田区", "100105     文京区"};
const char kReferenceEnd[] = "end of file acag.dat";

struct TextExportsTest : ::testing::Test {
  OutputsLog log;
  void TearDown() override {
    ResetClock();
    ResetSharedState();
  }
};

TEST_F(TextExportsTest, AcagDatHasTheContestLoggersLayout) {
  log.Prepare();
  // A code table of the reference's codes, and what acag.dat leaves out.
  const QStringList rows{"0101  |札幌市", "010101|札幌市中央区", "0102  |旭川市", "0103  |*旧市",
                         "01001 |阿寒郡", "01001A|阿寒町", "1001  |東京23区", "100101|千代田区", "100105|文京区",
                         "500A  |Japan"};
  MasterTable.Redim(BandLayout.KindColumn, int32_t(rows.size()));
  for (int r = 1; r <= rows.size(); ++r) {
    MasterTable(1, r) = rows[r - 1].section('|', 0, 0);
    MasterTable(2, r) = rows[r - 1].section('|', 1).leftJustified(34, ' ');
  }
  SheetTally.MasterRowCount = int32_t(rows.size());
  MasterList.FirstDxRow = int32_t(rows.size());
  DesignatedCityDef.DesignatedCityCodes = "0101,1001";
  SetFixedClock(QDateTime(QDate(2026, 1, 15), QTime(12, 0), Qt::UTC));
  ASSERT_TRUE(WriteAcagDat(log.home.file("acag.dat"), TodayJst()));
  const QByteArray bytes = log.home.read("acag.dat");
  EXPECT_TRUE(bytes.endsWith("end of file acag.dat\r\n"));
  const QStringList lines = log.Lines("acag.dat");
  EXPECT_EQ(lines.value(0), "ACAG.DAT for ZLOG 2026.1");
  QStringList reference;
  for (const char* l : kReferenceLines) reference << QString::fromUtf8(l);
  EXPECT_EQ(lines.mid(1, lines.size() - 2), reference);
  EXPECT_EQ(lines.last(), QString::fromUtf8(kReferenceEnd));
}

// The sample code master loaded as the sheet loads HAMLOG's, with the sample designated cities.
void loadSampleMaster(OutputsLog& log) {
  const QString dir = log.home.file("SAMPLE");
  ASSERT_TRUE(hamlogdb::Create(dir).Ok());
  ASSERT_TRUE(hamlogdb::LoadMaster(dir, QString(ORBEX_DATA_DIR) + "/master.csv").Ok());
  log.Prepare();
  QFile::copy(QString(ORBEX_DATA_DIR) + "/home/" + QString::fromUtf8(kDesignatedCityFile),
              log.home.file(QString::fromUtf8(kDesignatedCityFile)));
  int32_t bad = 0;
  ASSERT_GT(LoadDesignatedCityDef(bad), 0);
  MasterList.MasterFilePath = hamlogdb::MasterPath(dir);
  MasterList.MasterRowCap = static_cast<int32_t>((FileLen(MasterList.MasterFilePath) - 290) / 56);
  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
  SheetTally.MasterRowCount = LoadMasterList(MasterList.MasterRecLen);
  ASSERT_GT(SheetTally.MasterRowCount, 2000);
}

TEST_F(TextExportsTest, TheSampleMasterGivesTheCodesOfTheContestLoggersFile) {
  // The contest logger's file holds 772 cities, 379 guns and 194 wards; the sample master is made from
  // the same facts.
  ASSERT_NO_FATAL_FAILURE(loadSampleMaster(log));
  ASSERT_TRUE(WriteAcagDat(log.home.file("acag.dat"), QDate(2023, 12, 1)));
  const QStringList lines = log.Lines("acag.dat");
  std::map<int, int> byLength;
  const QRegularExpression layout("^([0-9]{4,6}) +(\\S.*)$");
  for (const QString& line : lines.mid(1, lines.size() - 2)) {
    const QRegularExpressionMatch m = layout.match(line);
    ASSERT_TRUE(m.hasMatch()) << line.toStdString();
    EXPECT_EQ(m.capturedStart(2), 11) << line.toStdString();
    ++byLength[int(m.captured(1).size())];
  }
  EXPECT_EQ(byLength, (std::map<int, int>{{4, 772}, {5, 379}, {6, 194}}));
  // The reference's codes with the names of HAMLOG's master: the prefecture first, but for the wards
  // of a designated city, which begin with their city.
  for (const char* l : {"010101     札幌市中央区", "0102       北海道旭川市", "01001      北海道阿寒郡",
                        "100101     東京都千代田区", "100105     東京都文京区"})
    EXPECT_TRUE(lines.contains(QString::fromUtf8(l))) << l;
  EXPECT_FALSE(lines.join('\n').contains('*')) << "no vanished place";
}

TEST_F(TextExportsTest, NamesOutsideTheCodePageAreWrittenAsQuestionMarks) {
  log.LoadSheet();
  MasterTable(2, kRow1002) = QString::fromUtf8("𠮷田市").leftJustified(34, ' ');
  ASSERT_TRUE(WriteAcagDat(log.home.file("acag.dat"), QDate(2026, 12, 7)));
  const QStringList lines = log.Lines("acag.dat");
  EXPECT_EQ(lines, (QStringList{"ACAG.DAT for ZLOG 2026.12", "100101     東京都千代田区", "100105     東京都文京区",
                                "1002       ?田市", "10001      東京都大島支庁", "110101     横浜市鶴見区",
                                "end of file acag.dat"}));
  EXPECT_FALSE(WriteAcagDat(log.home.file("none/acag.dat"), QDate(2026, 12, 7)));
}

TEST_F(TextExportsTest, TheQthDataFileIsReadBackToTheSameCodeTable) {
  log.LoadSheet();
  const QString path = log.home.file("OriginalQTHdata.TXT");
  ASSERT_TRUE(WriteQthDataFile(path));
  const QStringList lines = log.Lines("OriginalQTHdata.TXT");
  ASSERT_EQ(lines.size(), 12);
  EXPECT_EQ(lines[kRowGun - 1], "\"10001\",\"東京都大島支庁\",\"5\",\"お\",\"1\"");
  EXPECT_EQ(lines[kRow500A - 1], "\"500A\",\"Japan\",\"3\",\"JA\",\"\"");
  EXPECT_EQ(lines[kRow100101 - 1], "\"100101\",\"東京都千代田区\",\"6\",\"ち\",\"1\"");

  std::vector<QStringList> before;
  for (int r = 1; r <= 12; ++r) before.push_back({MasterTable(1, r), MasterTable(2, r), MasterTable(3, r), MasterTable(4, r)});
  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
  MasterList.QthDataPath = path;
  ASSERT_EQ(LoadQTHMasterList(0), 12);
  for (int r = 1; r <= 12; ++r)
    EXPECT_EQ((QStringList{MasterTable(1, r), MasterTable(2, r), MasterTable(3, r), MasterTable(4, r)}), before[size_t(r - 1)]) << r;
  EXPECT_EQ(KindNumberOf("T"), 7);
  EXPECT_EQ(KindNumberOf("V"), 8);
  EXPECT_EQ(KindNumberOf(""), 0);
}

TEST_F(TextExportsTest, TheWholeSampleMasterComesBackFromItsQthDataFile) {
  ASSERT_NO_FATAL_FAILURE(loadSampleMaster(log));
  AssignKindLetters();
  const int32_t rows = SheetTally.MasterRowCount;
  std::vector<QStringList> before;
  for (int32_t r = 1; r <= rows; ++r)
    before.push_back({MasterTable(1, r), MasterTable(2, r), MasterTable(3, r), MasterTable(4, r),
                      MasterTable(BandLayout.KindColumn, r)});
  const int32_t wards = MasterList.WardCodeCount, abolished = MasterList.AbolishedWardCount;
  const QString path = log.home.file("OriginalQTHdata.TXT");
  ASSERT_TRUE(WriteQthDataFile(path));

  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
  MasterList.QthDataPath = path;
  ASSERT_EQ(LoadQTHMasterList(0), rows);
  AssignKindLetters();
  for (int32_t r = 1; r <= rows; ++r)
    ASSERT_EQ((QStringList{MasterTable(1, r), MasterTable(2, r), MasterTable(3, r), MasterTable(4, r),
                           MasterTable(BandLayout.KindColumn, r)}),
              before[size_t(r - 1)])
        << r;
  EXPECT_EQ(MasterList.WardCodeCount, wards);
  EXPECT_EQ(MasterList.AbolishedWardCount, abolished);
}

}  // namespace
