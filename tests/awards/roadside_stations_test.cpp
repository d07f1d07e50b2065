// The roadside stations: the operator's list converted and read, the pass over a hand-checked log
// that ties QSOs to stations by the "□" marks of their remarks, the band lists, the table CSV, and the
// progress sheet's look-up of a code's stations.

#include <gtest/gtest.h>

#include <QFile>

#include "awards/RoadsideStations.h"
#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/ui/responders.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"
#include "support/varied_log.h"

namespace {

const char* const kStations =
    "□13001,道の駅あ,1001,東京都千代田区,\r\n"
    "□130011,道の駅い,1002,東京都八王子市,\r\n"
    "□21001,道の駅う,1101,神奈川県横浜市,x\r\n"
    "□21002,\"道の駅,え\",1101,神奈川県横浜市,\r\n";

struct RoadsideTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  ShellRecorder shell;

  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1001,J  ,□13001",
             "JA1AAB,2020/01/02,7.030,CW,1001,J *,道の駅 □13001 訪問",
             "JA1AAC,2020/01/03,7.030,CW,1001,J *,□13001", "JA1AAD,2020/01/04,430.00,FM,1002,J  ,□130011",
             "JA1AAE,2020/01/05,1295.0,FM,1101,J *,,□21002", "JA1AAF,2020/01/06,435/145,FM,1101,J *,□21001",
             "JA1AAG,2020/01/07,14.050,CW,1101,P *,□21001",
             "JA1AAH,2020/01/08,14.050,SSB,1101,J *,□21001,□21002",
             "JA1AAI,2020/01/09,14.050,CW,1101,J *,□99999", "JA1AAJ,2020/01/10,14.050,CW,1101,J *,□ のみ",
             "JA1AAK,2020/01/11,21.100,CW,1101,J *,21001", "JA1AAL,2021/01/11,21.100,CW,1101,J *,□21001"});
    log.Prepare();
    ReadConditions.StartDate = "20200101";
    ReadConditions.EndDate = "20201231";
    log.home.write("HAMLOG/michinoeki.txt", ToAnsi(QString::fromUtf8(kStations)));
  }
  void TearDown() override { ResetSharedState(); }
  std::vector<RoadsideStation> stations() { return ReadStationList(MichinoekiTxtPath(), false).stations; }
  QStringList lines(const QString& name) const {
    QStringList l = FromAnsi(log.home.read(name)).split("\r\n");
    if (!l.isEmpty() && l.back().isEmpty()) l.removeLast();
    return l;
  }
};

TEST_F(RoadsideTest, TheListIsReadWithAndWithoutTheMark) {
  EXPECT_EQ(MichinoekiTxtPath(), RealPath(log.dir + "/michinoeki.txt"));
  const std::vector<RoadsideStation> s = stations();
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].number, "13001");
  EXPECT_EQ(s[3].name, "道の駅,え");
  EXPECT_EQ(s[2].qth, "神奈川県横浜市");
  EXPECT_EQ(LoadMichinoekiTxt(MichinoekiTxtPath()), 4);
  EXPECT_EQ(Roadside.RoadsideStations[0].number, "□13001");
  EXPECT_EQ(Roadside.RoadsideStationCount, 4);
}

TEST_F(RoadsideTest, TheScanMarksEachStationAndBandByTheRemarks) {
  const std::vector<RoadsideStation> s = stations();
  const RoadsideScan scan = ScanHamlogForStations(s);
  ASSERT_TRUE(scan.complete);
  // A worked QSO, then a confirmed one: the cell ends "C" with the second QSO; the third changes nothing.
  EXPECT_EQ(scan.Mark(0, 9), 'C');
  EXPECT_EQ(scan.Record(0, 9), 2);
  // 130011 holds 13001, which is listed first: the first station takes it. 430 MHz is column 18.
  EXPECT_EQ(scan.Mark(0, 18), 'W');
  EXPECT_EQ(scan.Record(0, 18), 4);
  EXPECT_EQ(scan.Mark(1, 18), 0);
  // Remarks 2 when remarks 1 holds no mark; 1.2 GHz is column 19.
  EXPECT_EQ(scan.Mark(3, 19), 'C');
  // Remarks 1 only, when it holds a mark.
  EXPECT_EQ(scan.Mark(2, 11), 'C');
  EXPECT_EQ(scan.Mark(3, 11), 0);
  // Satellite, an excluded QSL, a number not listed, a mark alone, no mark, outside the period: nothing.
  int marked = 0;
  for (int st = 0; st < 4; ++st)
    for (int c = 7; c <= 21; ++c) marked += scan.Mark(st, c) != 0;
  EXPECT_EQ(marked, 4);
  EXPECT_EQ(scan.ScanCfmCount, 3);
  EXPECT_EQ(scan.ScanWkdCount, 5);
  EXPECT_EQ(scan.UnlistedCount, 2);  // "□99999" and "□ のみ"
}

TEST_F(RoadsideTest, TheModeAndAMissingLogLimitTheScan) {
  ReadConditions.SelMode = "SSB";
  RoadsideScan scan = ScanHamlogForStations(stations());
  EXPECT_EQ(scan.ScanWkdCount, 1);
  EXPECT_EQ(scan.Mark(2, 11), 'C');
  const std::vector<RoadsideStation> listed = stations();
  Hamlog.HamlogDbPath = log.home.file("nowhere/HAMLOG.HDB");
  boxes.Answer(vbOK);
  scan = ScanHamlogForStations(listed);
  EXPECT_FALSE(scan.opened);
  EXPECT_EQ(boxes.texts().back(), "HAMLOGデータがOpen出来ません。\r\nHAMLOG.HDB が見つかりません\r\n" + Hamlog.HamlogDbPath);
}

// The pass on the sheet load's column copy, extended by QSOs logged after the load, gives what the log
// read record by record gives, under several reading conditions.
TEST(RoadsideCopyTest, TheColumnCopyGivesWhatTheLogGives) {
  SheetLog log;
  MsgBoxResponder boxes;
  boxes.OnShow = [&boxes](const MsgBoxCall&) { boxes.Answer(vbOK); };
  MakeVariedLog(log.dir, 3000);
  log.Prepare();
  log.Load();
  log.Add({"JA1AAA,2020/01/01,7.025,CW,1001,J *,□13001", "JA1AAB,2020/01/02,14.025,CW,1001,J  ,,道の駅 □13002",
           "JA1AAC,2020/01/03,x,CW,1001,J *,□13003", "JA1AAD,2020/01/04,7.025,CW,1001,J *,□99999"});
  std::vector<RoadsideStation> stations = {{"1300", "", "", ""}};
  for (int i = 1; i <= 40; ++i) stations.push_back({QString::number(13000 + i), "", "", ""});
  const auto scan = [&](QsoColumnCopy* copy) {
    QFile::remove(log.home.file("FreqError_Report.txt"));
    const size_t shown = boxes.shown().size();
    const RoadsideScan s = ScanHamlogForStations(stations, copy);
    QString text = QString::asprintf("%d %d %d complete %d\n", s.ScanCfmCount, s.ScanWkdCount,
                                     s.UnlistedCount, int(s.complete));
    for (size_t i = 0; i < s.marks.size(); ++i)
      if (s.marks[i]) text += QString("%1%2:%3 ").arg(i).arg(s.marks[i]).arg(s.CellRecordNo[i]);
    for (size_t i = shown; i < boxes.shown().size(); ++i) text += boxes.shown()[i].text + "\n";
    return text + FromAnsi(log.home.read("FreqError_Report.txt"));
  };
  const std::function<void()> conditions[] = {
      [] {},
      [] {
        ReadConditions.StartDate = "20000101";
        ReadConditions.SelMode = "CW";
        Settings.ExtendedBandSet = 1;
      },
      [] { ReadConditions.ExcludedQslKinds[1] = "J"; }};
  for (const auto& set : conditions) {
    set();
    const QString expected = scan(nullptr);
    EXPECT_EQ(scan(&QsoColumns), expected);
    EXPECT_TRUE(expected.contains("complete 1\n"));  // deleted records do not stop the pass
    EXPECT_GT(expected.size(), 500);
  }
  // The marks read ahead while the sheet is looked at give the same.
  QsoColumns.Drop();
  ASSERT_EQ(QsoColumns.ReadToLogEnd(), HAMLOG_OK);
  QsoColumns.ReadRemarkMarksAhead();
  const QString ahead = scan(&QsoColumns);
  EXPECT_EQ(ahead, scan(nullptr));
}

TEST(StationMatcherTest, FirstListedNumberInTheRemarkWins) {
  std::vector<RoadsideStation> s = {{"21", "", "", ""}, {"13001", "", "", ""}, {"□北01", "", "", ""}};
  StationMatcher m(s);
  const QByteArray a = ToAnsi("□13001 と □2101");
  EXPECT_EQ(m.Match(a.constData(), int(a.size())), 0);
  const QByteArray b = ToAnsi("訪問□北01");
  EXPECT_EQ(m.Match(b.constData(), int(b.size())), 2);
  const QByteArray c = ToAnsi("□99");
  EXPECT_EQ(m.Match(c.constData(), int(c.size())), -1);
  // A station without a number takes every remark.
  s.push_back({"", "", "", ""});
  StationMatcher withEmpty(s);
  EXPECT_EQ(withEmpty.Match(c.constData(), int(c.size())), 3);
  // "□" found only at a character boundary: 0x81 0xA0 inside other characters is no mark.
  const QByteArray box = ToAnsi("x□");
  EXPECT_TRUE(HasBoxMark(box.constData(), int(box.size())));
  const QByteArray other = QByteArray("\x88\x81\xA0", 3);  // a kanji, then a lone 0xA0
  EXPECT_FALSE(HasBoxMark(other.constData(), int(other.size())));
}

TEST_F(RoadsideTest, ImportAppendsTheMissingItemAndReportsLongLines) {
  QFile::remove(MichinoekiTxtPath());
  log.home.write("道の駅.mcsv", ToAnsi("番号,名前,コード,QTH,予備\r\n"
                                      "□13001,あ,1001,東京\r\n"
                                      "□13002,い,1001,東京,x\r\n"
                                      "\r\n"
                                      "□13003,う,1001\r\n"
                                      "□13004,え,1001,東京,x,y\r\n"));
  const StationImport import = ImportMichinoekiCsv(log.home.file("道の駅.mcsv"));
  ASSERT_TRUE(import.ok);
  EXPECT_EQ(import.stations, 3);
  EXPECT_EQ(import.longLines, QList<int32_t>({6}));
  EXPECT_EQ(StationImportNotice(import), "項目が５つを超える行は読み込みませんでした（6 行目）\r\n空行 1 行を飛ばしました");
  EXPECT_EQ(lines("HAMLOG/michinoeki.txt"),
            QStringList({"□13001,あ,1001,東京,", "□13002,い,1001,東京,x", "□13003,う,1001,"}));
}

TEST_F(RoadsideTest, AFailedImportKeepsTheListAndAnEmptyListIsReported) {
  const QByteArray before = log.home.read("HAMLOG/michinoeki.txt");
  EXPECT_FALSE(ImportMichinoekiCsv(log.home.file("missing.mcsv")).ok);
  EXPECT_EQ(log.home.read("HAMLOG/michinoeki.txt"), before);

  log.home.write("道の駅.mcsv", ToAnsi("番号,名前,コード,QTH,予備\r\n"));  // the heading alone
  EXPECT_FALSE(ImportMichinoekiCsv(log.home.file("道の駅.mcsv")).ok);
  EXPECT_EQ(log.home.read("HAMLOG/michinoeki.txt"), before);
  // A list of no station, or of bytes that are no text, is named with its cause: no junk station is read.
  for (const QByteArray& bytes : {QByteArray(), QByteArray("\xA0,\x85\xFF\r\n\xFC\x7F,\x81", 10).repeated(400)}) {
    log.home.write("HAMLOG/michinoeki.txt", bytes);
    boxes.Answer(vbOK);
    EXPECT_EQ(LoadMichinoekiTxt(MichinoekiTxtPath()), 0);
    EXPECT_TRUE(boxes.texts().back().startsWith(MichinoekiTxtPath() + (bytes.isEmpty() ? " に道の駅が1件もありません。" : " は 不明な文字コード で保存")) && boxes.texts().back().endsWith(" にMichinoeki.txtがありますか？"));
  }
  // A station without a number would take every remark's "□": it is left out and named.
  log.home.write("HAMLOG/michinoeki.txt", ToAnsi("□13001,あ,1001,東京,\r\n□,名無し,1001,東京,\r\n"));
  const StationListRead read = ReadStationList(MichinoekiTxtPath(), false);
  EXPECT_EQ(read.stations.size(), 1u);
  EXPECT_EQ(StationListNotice(read), "michinoeki.txt の道の駅No のない行は読み飛ばしました（2 行目）");
}

TEST_F(RoadsideTest, AListInAnotherCodePageOrWithoutNumbersIsCheckedBeforeTheStationsAreReplaced) {
  const QByteArray before = log.home.read("HAMLOG/michinoeki.txt");
  ASSERT_FALSE(before.isEmpty());
  log.home.write("道の駅.mcsv", QString("番号,名前,コード,QTH,予備\r\n□13001,あ,1001,東京\r\n").toUtf8());
  StationImport import = ImportMichinoekiCsv(log.home.file("道の駅.mcsv"));
  EXPECT_TRUE(import.error.startsWith(log.home.file("道の駅.mcsv") + " は UTF-8 で保存されています"));
  log.home.write("道の駅.mcsv", ToAnsi("番号,名前,コード,QTH,予備\r\n□,名無し,1001,東京\r\n"));
  EXPECT_FALSE(ImportMichinoekiCsv(log.home.file("道の駅.mcsv")).ok);
  EXPECT_EQ(log.home.read("HAMLOG/michinoeki.txt"), before);

  // A station without a number is left out and named; it takes no remark's "□".
  log.home.write("道の駅.mcsv", ToAnsi("番号,名前,コード,QTH,予備\r\n□,名無し,1001,東京\r\n□13001,あ,1001,東京\r\n"));
  import = ImportMichinoekiCsv(log.home.file("道の駅.mcsv"));
  ASSERT_TRUE(import.ok);
  EXPECT_EQ(StationImportNotice(import), "道の駅No のない行は読み込みませんでした（2 行目）");
  EXPECT_EQ(lines("HAMLOG/michinoeki.txt"), QStringList({"□13001,あ,1001,東京,"}));
}

TEST_F(RoadsideTest, BandListsHoldTheConfirmedCellsOfTheShownStations) {
  const std::vector<RoadsideStation> s = stations();
  const RoadsideScan scan = ScanHamlogForStations(s);
  BandListRequest r;
  r.path = log.home.file("道の駅_全国_ALL(1R9to5600).TXT");
  r.format = "C";
  const BandKeyColumns all = RoadsideBandKeyColumns("ALL(1R9to5600)");
  r.firstColumn = all.first;
  r.lastColumn = all.last;
  r.shownStations = {0, 1, 2, 3};
  ASSERT_TRUE(WriteBandStationList(r, s, scan));
  EXPECT_EQ(lines("道の駅_全国_ALL(1R9to5600).TXT"),
            QStringList({"13001,道の駅あ,JA1AAB,2020-01-02,7,CW", "21001,道の駅う,JA1AAH,2020-01-08,14,SSB",
                         "21002,\"道の駅,え\",JA1AAE,2020-01-05,1200,FM"}));
  r.format = "T";
  r.shownStations = {0, 3};
  ASSERT_TRUE(WriteBandStationList(r, s, scan));
  EXPECT_EQ(lines("道の駅_全国_ALL(1R9to5600).TXT"),
            QStringList({"13001  道の駅あ   JA1AAB  2020-01-02  7     CW",
                         "21002  道の駅,え  JA1AAE  2020-01-05  1200  FM"}));
  EXPECT_EQ(RoadsideBandKeyColumns("SAT").first, 22);
  EXPECT_EQ(RoadsideBandKeyColumns("ALL(0R135to77G)").first, 0);
  EXPECT_EQ(RoadsideBandKeyColumns("3R5").first, 8);
}

TEST_F(RoadsideTest, TheTableCsvAndTheSheetsLookUp) {
  const std::vector<RoadsideStation> s = stations();
  const RoadsideScan scan = ScanHamlogForStations(s);
  QStringList headings{" 道の駅No", " 道の駅名", " Code", " Q T H"};
  for (int c = 7; c <= 22; ++c) headings << QString("b%1").arg(c);
  QString error;
  ASSERT_TRUE(WriteRoadsideTable(log.home.file("道の駅_整理簿.TXT"), headings, s, scan, error));
  const QStringList l = lines("道の駅_整理簿.TXT");
  ASSERT_EQ(l.size(), 5);
  EXPECT_TRUE(l[0].startsWith("\" 道の駅No\",\" 道の駅名\""));
  QStringList cells(16);
  cells[9 - 7] = "C";
  cells[18 - 7] = "W";
  EXPECT_EQ(l[1], "13001,道の駅あ,1001,東京都千代田区," + cells.join(','));
  cells = QStringList(16);
  cells[19 - 7] = "C";
  EXPECT_EQ(l[4], "21002,\"道の駅,え\",1101,神奈川県横浜市," + cells.join(','));

  LoadMichinoekiTxt(MichinoekiTxtPath());
  const std::vector<StationOfCode> inCode = StationsInCode("1101");
  ASSERT_EQ(inCode.size(), 2u);
  EXPECT_EQ(inCode[0].text, "21001 道の駅う 1101");
  EXPECT_EQ(inCode[1].index, 3);
  EXPECT_TRUE(StationsInCode("110").empty());
  EXPECT_EQ(StationsInCode("10011").size(), 0u);

  RoadsideBands b = RoadsideBandsOf("13001");
  EXPECT_TRUE(b.found);
  EXPECT_EQ(b.cfm, "7MHz,");
  EXPECT_EQ(b.wkd, "430MHz,");
  b = RoadsideBandsOf("130011");
  EXPECT_TRUE(b.found);
  EXPECT_TRUE(b.cfm.isEmpty() && b.wkd.isEmpty());
  EXPECT_FALSE(RoadsideBandsOf("99999").found);
}

}  // namespace
