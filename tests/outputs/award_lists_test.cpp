// Award QSL lists from the sheet of the small hand-checked log (outputs_log.h): which QSO each line
// names, the remaining lists with their founding-date drop, the messages, and failures that keep the
// old files.

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "outputs/AwardLists.h"
#include "outputs/ListChoices.h"
#include "support/outputs_log.h"
#include "platform/ui/responders.h"
#include "sheet/SheetTally.h"
#include "support/shared_state.h"

namespace {

QStringList words(const QString& line) { return line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts); }

struct AwardListsTest : ::testing::Test {
  OutputsLog log;
  void SetUp() override {
    log.WriteRegister({"20160101,1002", "20200101,10001"});
    log.LoadSheet();
  }
  void TearDown() override { ResetSharedState(); }
  QList<QStringList> table(const QString& file) {
    QList<QStringList> t;
    for (const QString& l : log.Lines(file)) t << words(l);
    return t;
  }
  static QString dxcc(const QString& code) { return code == "501A" ? "291" : code == "500A" ? "339" : "unKnown"; }
};

TEST_F(AwardListsTest, JccOnOneBandNamesTheConfirmingQsoAndDropsCitiesFoundedAfterTheLatestOne) {
  const OutputRun run = WriteAwardLists(kAwardJcc, 7, dxcc);
  ASSERT_TRUE(run.ok) << run.error.toStdString();
  const QStringList lines = log.Lines("7MHz_MIX-JCC.txt");
  ASSERT_EQ(lines.size(), 3);
  // Print zones every 14 columns.
  EXPECT_EQ(lines[0], "Count         JCC_code      Callsign      Date          Band          Mode          Remarks");
  // Tokyo's 100105 counts as a city (2012); 100101's only QSO is from 2009. Yokohama's ward stands for
  // the designated city under its four-character code.
  EXPECT_EQ(words(lines[1]), (QStringList{"1", "100105", "JA1AAB", "2012-06-01", "7", "CW"}));
  EXPECT_EQ(words(lines[2]), (QStringList{"2", "1101", "JA1AAC", "2015-01-01", "7", "CW"}));
  // 1002 (founded 2016, after the latest listed QSO of 2015) is left out; 100101 stays from 2010-04-01.
  EXPECT_EQ(table("7MHz_MIX-WACA残.txt"),
            (QList<QStringList>{{"Count", "JCC_code", "QTH", "Remarks(発足日)"},
                                {"1", "100101", "東京都千代田区", "2010-04-01"},
                                {"最終交信日", "2015-01-01"}}));
  EXPECT_EQ(log.Lines("Work.txt"), (QStringList{"\"1\",\"100101\",\"東京都千代田区\",\"2010-04-01\"",
                                                "\"2\",\"1002\",\"東京都八王子市\",\"2016-01-01\""}));
  EXPECT_EQ(run.messages, (QStringList{"JCC 7MHz/MIX = 2ポイント ",
                                       "JCCリストに続いて WACA 的に残っている市リストも表示します（表示が重なりますので要注）\r\n"
                                       "最終(cfm)交信日以降に発足した（する）市は割愛しています"}));
  EXPECT_EQ(run.opened, (QStringList{log.home.file("7MHz_MIX-JCC.txt"), log.home.file("7MHz_MIX-WACA残.txt")}));
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
}

TEST_F(AwardListsTest, AllBandJccTakesTheFirstConfirmedBandAndNeverTheSatellite) {
  const OutputRun run = WriteAwardLists(kAwardJcc, kAllBandColumn, dxcc);
  ASSERT_TRUE(run.ok);
  const QList<QStringList> t = table("allBand_MIX-JCC.txt");
  ASSERT_EQ(t.size(), 4);
  EXPECT_EQ(t[1], (QStringList{"1", "100105", "JA1AAB", "2012-06-01", "7", "CW"}));
  EXPECT_EQ(t[2], (QStringList{"2", "1002", "JA1AAF", "2018-04-04", "14", "CW"}));
  EXPECT_EQ(t[3], (QStringList{"3", "1101", "JA1AAC", "2015-01-01", "7", "CW"}));  // 7 MHz before 21 MHz
  // 0901 is confirmed on the satellite only, and abolished: in neither list.
  EXPECT_EQ(table("allBand_MIX-WACA残.txt").value(1), (QStringList{"1", "100101", "東京都千代田区", "2010-04-01"}));
  EXPECT_EQ(run.messages.value(0), "JCC allBand/MIX = 3ポイント ");

  const OutputRun sat = WriteAwardLists(kAwardJcc, 20, dxcc);
  ASSERT_TRUE(sat.ok);
  // An abolished city's name, blanks removed, is its remark.
  EXPECT_EQ(table("ｻﾃﾗｲﾄ_MIX-JCC.txt").value(1), (QStringList{"1", "0901", "JA0AAA", "2020-03-01", "SAT", "FM", "長野県旧市*05/01"}));
  // 100101, 100105 and 1002 were all there by 2020-03-01.
  EXPECT_EQ(table("ｻﾃﾗｲﾄ_MIX-WACA残.txt").size(), 5);
}

TEST_F(AwardListsTest, JcgRemainingListsAndABandWithNoQsoAtAll) {
  OutputRun run = WriteAwardLists(kAwardJcg, 9, dxcc);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(table("14MHz_MIX-JCG.txt").value(1), (QStringList{"1", "10001", "JA1AAD", "2016-02-02", "14", "SSB"}));
  EXPECT_EQ(table("14MHz_MIX-WAGA残.txt"), (QList<QStringList>{{"Count", "JCG_code", "QTH", "Remarks(発足日)"},
                                                              {"最終交信日", "2016-02-02"}}));
  EXPECT_EQ(run.messages, (QStringList{"JCG 14MHz/MIX = 1ポイント ",
                                       "Cong! 最終(cfm)交信日基準でWAGA的に残っている所はありません"}));
  EXPECT_EQ(run.opened, QStringList{log.home.file("14MHz_MIX-JCG.txt")});


  // No confirmed gun on 1.9 MHz: the list holds its heading, and with no listed QSO no gun is dropped
  // for its founding date.
  run = WriteAwardLists(kAwardJcg, 5, dxcc);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(log.Lines("1.9MHz_MIX-JCG.txt").size(), 1);
  EXPECT_EQ(table("1.9MHz_MIX-WAGA残.txt").value(1), (QStringList{"1", "10001", "東京都大島支庁", "2020-01-01"}));
  EXPECT_EQ(run.messages.value(0), "JCG 1.9MHz/MIX = 0ポイント ");
  EXPECT_EQ(run.opened.size(), 2);

  // Two more guns, founded before and after the latest listed QSO (2016-02-02).
  log.WriteRegister({"20100101,10002", "20200101,10003"});
  MasterTable(1, kRowTown) = "10002 ";
  MasterTable(1, kRowVillage) = "10003 ";
  MasterTable(21, kRowTown) = MasterTable(21, kRowVillage) = "G";
  run = WriteAwardLists(kAwardJcg, 9, dxcc);
  EXPECT_EQ(table("14MHz_MIX-WAGA残.txt").mid(1), (QList<QStringList>{{"1", "10002", "東京都大島町", "2010-01-01"},
                                                                      {"最終交信日", "2016-02-02"}}));
  EXPECT_EQ(run.opened.size(), 2);
}

TEST_F(AwardListsTest, WajaCountsOnePrefectureOnceAndDxNamesTheDxccCode) {
  OutputRun run = WriteAwardLists(kAwardWaja, kAllBandColumn, dxcc);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(table("allBand_MIX-WAJA.txt"),
            (QList<QStringList>{{"Count", "WAJA_code", "Callsign", "Date", "Band", "Mode", "Remarks"},
                                {"1", "10", "JA1AAA", "2009-05-01", "7", "CW", "東京都千代田区"},
                                {"2", "11", "JA1AAC", "2015-01-01", "7", "CW", "横浜市鶴見区"}}));
  EXPECT_EQ(run.messages, QStringList{"WAJA allBand/MIX = 2ポイント "});
  EXPECT_FALSE(QFile::exists(log.home.file("Work.txt")));

  run = WriteAwardLists(kAwardDx, kAllBandColumn, dxcc);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(table("allBand_MIX-DX.txt").value(0).last(), "Remarks(DXCC_code)");
  EXPECT_EQ(table("allBand_MIX-DX.txt").value(1), (QStringList{"1", "501A", "W1AW", "2019-01-01", "14", "CW", "291"}));
  EXPECT_EQ(table("allBand_MIX-DX残.txt"),
            (QList<QStringList>{{"Count", "DX_code", "DXCC_code", "QTH"}, {"1", "500A", "339", "Japan"}}));
  EXPECT_TRUE(run.messages.isEmpty());
  EXPECT_EQ(run.opened.size(), 2);
}

TEST_F(AwardListsTest, ARowOfAnUnknownKindIsSkippedNotTheEndOfTheScan) {
  MasterTable(21, kRowTown) = "?";
  MasterTable(21, kRow1001) = "";
  ASSERT_TRUE(WriteAwardLists(kAwardJcc, 7, dxcc).ok);
  EXPECT_EQ(table("7MHz_MIX-JCC.txt").size(), 3);
  ASSERT_TRUE(WriteAwardLists(kAwardWaja, 7, dxcc).ok);
  EXPECT_EQ(table("7MHz_MIX-WAJA.txt").size(), 3);

  // WAJA ends at the first DX row, even with a Japanese row after it.
  MasterTable(1, kRow501A) = "4701  ";
  MasterTable(21, kRow501A) = "C";
  MasterTable(7, kRow501A) = "C";
  SheetTally.CellRecordNumbers(7, kRow501A) = "0000000003";
  ASSERT_TRUE(WriteAwardLists(kAwardWaja, 7, dxcc).ok);
  EXPECT_EQ(table("7MHz_MIX-WAJA.txt").size(), 3);
}

TEST_F(AwardListsTest, OneHundredCitiesAndFortySevenPrefecturesAreCongratulated) {
  // A table of 100 cities in 47 prefectures, each confirmed on 7 MHz by the first QSO of the log.
  MasterTable.Redim(21, 100);
  SheetTally.MasterRowCount = 100;
  SheetTally.SizeCellArrays(20, 100);
  for (int r = 1; r <= 100; ++r) {
    MasterTable(1, r) = QString("%1%2  ").arg((r - 1) % 47 + 1, 2, 10, QChar('0')).arg(r / 47 + 20);
    MasterTable(2, r) = "市";
    MasterTable(7, r) = r == 100 ? "W" : "C";
    MasterTable(21, r) = "C";
    SheetTally.CellRecordNumbers(7, r) = "0000000001";
  }
  OutputRun run = WriteAwardLists(kAwardJcc, 7, dxcc);
  EXPECT_EQ(run.messages.value(0), "JCC 7MHz/MIX = 99ポイント ");
  MasterTable(7, 100) = "C";
  run = WriteAwardLists(kAwardJcc, 7, dxcc);
  EXPECT_EQ(run.messages.value(0), "Cong!  JCC 7MHz/MIX = 100ポイント ");
}

TEST_F(AwardListsTest, WajaIsCompleteAtFortySevenPrefecturesExactly) {
  // Two cities in each of the 47 prefectures, in prefecture order, each confirmed on 7 MHz.
  MasterTable.Redim(21, 94);
  SheetTally.MasterRowCount = 94;
  SheetTally.SizeCellArrays(20, 94);
  for (int r = 1; r <= 94; ++r) {
    MasterTable(1, r) = QString("%1%2  ").arg((r + 1) / 2, 2, 10, QChar('0')).arg(r % 2 + 1, 2, 10, QChar('0'));
    MasterTable(2, r) = "市";
    MasterTable(7, r) = "C";
    MasterTable(21, r) = "C";
    SheetTally.CellRecordNumbers(7, r) = "0000000001";
  }
  OutputRun run = WriteAwardLists(kAwardWaja, 7, dxcc);
  EXPECT_EQ(run.messages, QStringList{"Cong!  WAJA 完成 7MHz/MIX = 47ポイント "});
  EXPECT_EQ(log.Lines("7MHz_MIX-WAJA.txt").size(), 1 + 47);
  // Prefecture 47 worked only: 46 and no congratulation.
  MasterTable(7, 93) = MasterTable(7, 94) = "W";
  run = WriteAwardLists(kAwardWaja, 7, dxcc);
  EXPECT_EQ(run.messages, QStringList{"WAJA 7MHz/MIX = 46ポイント "});
}

TEST_F(AwardListsTest, ADesignatedCityCountsOnceAndTheDxRemainingListTakesOnlyCodesWithA) {
  // Yokohama's second ward, confirmed on 7 MHz like the first: one line for the city.
  MasterTable(1, kRowVillage) = "110102";
  MasterTable(2, kRowVillage) = "横浜市西区";
  MasterTable(21, kRowVillage) = "K";
  MasterTable(7, kRowVillage) = "C";
  SheetTally.CellRecordNumbers(7, kRowVillage) = SheetTally.CellRecordNumbers(7, kRow110101);
  // A DX row whose code holds no "A" is never a remaining entity.
  MasterTable(1, kRowTown) = "5020  ";
  MasterTable(21, kRowTown) = "DX";
  OutputRun run = WriteAwardLists(kAwardJcc, 7, dxcc);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(table("7MHz_MIX-JCC.txt").size(), 3);
  EXPECT_EQ(table("7MHz_MIX-JCC.txt").value(2).value(1), "1101");

  // DX on one band: 501A on 14 MHz; 500A remains, 5020 does not.
  run = WriteAwardLists(kAwardDx, 9, dxcc);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(table("14MHz_MIX-DX.txt").mid(1), (QList<QStringList>{{"1", "501A", "W1AW", "2019-01-01", "14", "CW", "291"}}));
  EXPECT_EQ(table("14MHz_MIX-DX残.txt").mid(1), (QList<QStringList>{{"1", "500A", "339", "Japan"}}));
  // Nothing confirmed on 7 MHz: the list holds its heading, both are opened, no message.
  run = WriteAwardLists(kAwardDx, 7, dxcc);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(table("7MHz_MIX-DX.txt").size(), 1);
  EXPECT_EQ(table("7MHz_MIX-DX残.txt").size(), 3);
  EXPECT_TRUE(run.messages.isEmpty());
}

TEST_F(AwardListsTest, AllBandJcgTakesTheGunFromAnyBand) {
  const OutputRun run = WriteAwardLists(kAwardJcg, kAllBandColumn, dxcc);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(table("allBand_MIX-JCG.txt").mid(1), (QList<QStringList>{{"1", "10001", "JA1AAD", "2016-02-02", "14", "SSB"}}));
  EXPECT_EQ(run.messages.value(0), "JCG allBand/MIX = 1ポイント ");
}

TEST_F(AwardListsTest, AFailedWriteIsReportedAndKeepsTheOldLists) {
  log.home.write("7MHz_MIX-JCC.txt", "old list\r\n");
  QDir(log.home.path()).mkdir("7MHz_MIX-WACA残.txt");  // a folder where the remaining list goes
  OutputRun run = WriteAwardLists(kAwardJcc, 7, dxcc);
  EXPECT_FALSE(run.ok);
  EXPECT_TRUE(run.error.startsWith("QSLリストの作成に失敗しました")) << run.error.toStdString();
  EXPECT_TRUE(run.messages.isEmpty());
  EXPECT_EQ(log.home.read("7MHz_MIX-JCC.txt"), "old list\r\n");
  EXPECT_EQ(Hamlog.HamlogClosed, 1);

  // A record HAMLOG cannot give is a failure too, after HAMLOG's own message.
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  SheetTally.CellRecordNumbers(9, kRowGun) = "0000000999";
  run = WriteAwardLists(kAwardJcg, 9, dxcc);
  EXPECT_FALSE(run.ok);
  EXPECT_EQ(boxes.texts(), QStringList{"HAMLOGデータが読めませんでした。2\r\n交信番号 999 "
                                       "のレコードはもうありません (HAMLOG で削除されています)"});
  EXPECT_FALSE(QFile::exists(log.home.file("14MHz_MIX-JCG.txt")));

  Hamlog.HamlogDbPath = log.home.file("none/HAMLOG.HDB");
  run = WriteAwardLists(kAwardJcg, 9, dxcc);
  EXPECT_EQ(run.error, "HAMLOGデータがOpen出来ません。\r\nHAMLOG.HDB が見つかりません\r\n" + Hamlog.HamlogDbPath);
  EXPECT_EQ(WriteAwardLists(kAwardJcc, kNoBandColumn, dxcc).error, "バンドを一つ選んでからGOを押して下さい");
}

// GO's band column: the first ticked box, the satellite by the band set in force, "ALL Band" 27, none 28.
TEST(AwardBandColumnTest, TheFirstTickedBoxInEachBandSet) {
  std::array<int32_t, kBandBoxCount> ticks{};
  EXPECT_EQ(AwardBandColumn(ticks), kNoBandColumn);
  ticks[21] = 1;
  EXPECT_EQ(AwardBandColumn(ticks), 20);
  ticks[22] = 1;
  EXPECT_EQ(AwardBandColumn(ticks), 20);
  ticks[21] = 0;
  EXPECT_EQ(AwardBandColumn(ticks), kAllBandColumn);
  ticks[3] = 1;
  EXPECT_EQ(AwardBandColumn(ticks), 8);
  EXPECT_EQ(AwardBandRange(8).label, "10MHz");
  EXPECT_EQ(AwardBandRange(17).label, "1200MHz");
  EXPECT_EQ(AwardBandRange(kAllBandColumn).last, 19);
  EXPECT_FALSE(AwardBandRange(kNoBandColumn).Valid());

  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  ticks = {};
  ticks[21] = 1;
  EXPECT_EQ(AwardBandColumn(ticks), 26);
  ticks[16] = 1;
  EXPECT_EQ(AwardBandColumn(ticks), 21);
  EXPECT_EQ(AwardBandRange(21).label, "475kHz");
  EXPECT_EQ(AwardBandRange(kAllBandColumn).last, 25);
  ResetSharedState();
}

}  // namespace
