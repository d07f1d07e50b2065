// acag.dat against the layout of the contest logger's own file, and the QTH data file read back into
// the same code table.

#include <gtest/gtest.h>

#include <QRegularExpression>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "outputs/TextExports.h"
#include "support/outputs_log.h"
#include "platform/clock.h"
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

TEST_F(TextExportsTest, NamesOutsideTheCodePageAreWrittenAsQuestionMarks) {
  log.LoadSheet();
  MasterTable(2, kRow1002) = QString::fromUtf8("𠮷田市").leftJustified(34, ' ');
  ASSERT_TRUE(WriteAcagDat(log.home.file("acag.dat"), QDate(2026, 12, 7)));
  const QStringList lines = log.Lines("acag.dat");
  EXPECT_EQ(lines, (QStringList{"ACAG.DAT for ZLOG 2026.12", "100101     千代田区", "100105     文京区",
                                "1002       ?田市", "10001      大島支庁", "110101     横浜市鶴見区",
                                "end of file acag.dat"}));
  EXPECT_FALSE(WriteAcagDat(log.home.file("none/acag.dat"), QDate(2026, 12, 7)));
}

TEST_F(TextExportsTest, TheQthDataFileIsReadBackToTheSameCodeTable) {
  log.LoadSheet();
  const QString path = log.home.file("OriginalQTHdata.TXT");
  ASSERT_TRUE(WriteQthDataFile(path));
  const QStringList lines = log.Lines("OriginalQTHdata.TXT");
  ASSERT_EQ(lines.size(), 12);
  EXPECT_EQ(lines[kRowGun - 1], "\"10001\",\"大島支庁\",\"5\",\"お\",\"1\"");
  EXPECT_EQ(lines[kRow500A - 1], "\"500A\",\"Japan\",\"3\",\"JA\",\"\"");
  EXPECT_EQ(lines[kRow100101 - 1], "\"100101\",\"千代田区\",\"6\",\"ち\",\"1\"");

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

}  // namespace
