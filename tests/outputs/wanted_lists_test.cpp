// Wanted lists and the listening list from the rows of the sheet of the small hand-checked log
// (outputs_log.h): which bands each code still wants, the "ALL Band" lines, the kind boxes, the codes
// no list holds, the CSV columns, the listening list's band range and Tokyo's wards.

#include <gtest/gtest.h>

#include "core/BandLayout.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "outputs/MasterTableRows.h"
#include "outputs/WantedLists.h"
#include "support/outputs_log.h"
#include "support/shared_state.h"

namespace {

struct WantedListsTest : ::testing::Test {
  OutputsLog log;
  ListChoices choices;
  void SetUp() override {
    log.LoadSheet();
    choices.KindTicks.fill(1);
  }
  void TearDown() override { ResetSharedState(); }
  void tick(std::initializer_list<int> boxes) {
    for (int b : boxes) choices.BandTicks[size_t(b)] = 1;
  }
  QStringList textList() {
    QString error;
    EXPECT_TRUE(WriteWantedList(log.home.file("w.txt"), WantedFormat::Text, "JA1ZZZ", MasterTableRows(), choices, error));
    return log.Lines("w.txt");
  }
  QStringList listening() {
    QString error;
    EXPECT_TRUE(WriteListeningList(log.home.file("MachiList.txt"), MasterTableRows(), choices, error));
    return log.Lines("MachiList.txt");
  }
};

TEST_F(WantedListsTest, TheTextListNamesTheUnworkedAndTheWorkedBandsInColumnOrder) {
  tick({2, 4});  // 7MHz, 14MHz
  choices.WorkedTick = 1;
  EXPECT_EQ(textList(), (QStringList{"JA1ZZZ ------  Wanted-LIST   ------", "100101,東京都千代田区,14MHz",
                                     "100105,東京都文京区,14MHz", "1002  ,東京都八王子市,Wkd 7MHz",
                                     "10001 ,東京都大島支庁,7MHz", "10001A,東京都大島町,7MHz,14MHz",
                                     "10001B,東京都利島村,7MHz,14MHz", "110101,横浜市鶴見区,14MHz",
                                     "500A  ,Japan,7MHz,14MHz", "501A  ,Entity,7MHz"}));
  choices.UnworkedTick = 0;
  EXPECT_EQ(textList(), (QStringList{"JA1ZZZ ------  Wanted-LIST   ------", "1002  ,東京都八王子市,Wkd 7MHz"}));
  choices.UnworkedTick = 1;
  choices.WorkedTick = 0;
  choices.KindTicks[3] = 0;  // 町
  choices.KindTicks[5] = 0;  // ＤＸ
  const QStringList lines = textList();
  EXPECT_EQ(lines.size(), 6);
  // 1002 has only "W" and "C" on the ticked bands.
  for (const char* gone : {"1002  ", "10001A", "500A"}) EXPECT_FALSE(lines.join("|").contains(gone)) << gone;
}

TEST_F(WantedListsTest, AllBandListsCodesWithNoQsoOrNoConfirmation) {
  tick({kAllBandBox});
  MasterTable(9, kRow1002) = "";  // 1002: worked on 7 MHz, confirmed nowhere
  choices.WorkedTick = 1;
  EXPECT_EQ(textList(), (QStringList{"JA1ZZZ ------  Wanted-LIST (ALL Band)  ------", "1002  ,東京都八王子市,未cfm",
                                     "10001A,東京都大島町,未QSO", "10001B,東京都利島村,未QSO", "500A  ,Japan,未QSO"}));
  choices.UnworkedTick = 0;
  EXPECT_EQ(textList(), (QStringList{"JA1ZZZ ------  Wanted-LIST (ALL Band 未ｃｆｍ)  ------", "1002  ,東京都八王子市,未cfm"}));
  choices.UnworkedTick = 1;
  choices.WorkedTick = 0;
  EXPECT_EQ(textList().value(0), "JA1ZZZ ------  Wanted-LIST (ALL Band 未交信)  ------");
}

TEST_F(WantedListsTest, TheCsvListHasEveryBandColumnOfEveryRemainingRow) {
  QString error;
  choices.KindTicks[4] = 0;  // 村
  ASSERT_TRUE(WriteWantedList(log.home.file("w.csv"), WantedFormat::Csv, "JA1ZZZ", MasterTableRows(), choices, error));
  const QStringList lines = log.Lines("w.csv");
  EXPECT_EQ(lines.value(0), "CODE,QTH,1.9MHz,3.5MHz,7MHz,10MHz,14MHz,18MHz,21MHz,24MHz,28MHz,50MHz,144MHz,430MHz,"
                            "1.2GHz,2.4GHz,5.6GHz,ｻﾃﾗｲﾄ,");
  // 0901 (abolished), 1001, 1101 (designated) and the village are left out; 100105 is confirmed, still listed.
  ASSERT_EQ(lines.size(), 1 + 8);
  EXPECT_EQ(lines[1], "100101,東京都千代田区,,,C,,,,,,,,,,,,,,");
  EXPECT_EQ(lines[3], "1002,東京都八王子市,,,W,,C,,,,,,,,,,,,");
  EXPECT_EQ(lines[6], "110101,横浜市鶴見区,,,C,,,,C,,,,,,,,,,");
}

TEST_F(WantedListsTest, ExtendedBandsAndTheSatelliteInTheTextList) {
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
  log.Load();
  MasterTable(21, kRow1002) = "W";  // 475 kHz
  MasterTable(26, kRow1002) = "W";  // satellite
  tick({16, 21});
  choices.WorkedTick = 1;
  choices.UnworkedTick = 0;
  EXPECT_EQ(textList().value(1), "1002  ,東京都八王子市,Wkd 475kHz,Wkd Sat");
}

TEST_F(WantedListsTest, TheListeningListCoversTheJapaneseCodesUpTo430MHz) {
  tick({2, 6, 12});  // 7MHz, 21MHz, and 1200MHz, which the list never looks at
  const QStringList records = listening();
  EXPECT_EQ(records.value(0), "\"Freq(MHz)\",\"CALL\",\"Code/DX\",\"QTH\"");
  // 100101's only 7 MHz QSO is from 2009: wanted as a city, once. 1002 is worked on 7 MHz: not listed
  // without "Wkd". 110101 is confirmed on both. Nothing from 500A on.
  EXPECT_EQ(records.mid(1), (QStringList{"\"7\",\"\",\"100101\",\"\"", "\"21\",\"\",\"100101\",\"\"",
                                         "\"21\",\"\",\"100105\",\"\"", "\"21\",\"\",\"1002\",\"\"",
                                         "\"7\",\"\",\"10001\",\"\"", "\"21\",\"\",\"10001\",\"\"",
                                         "\"7\",\"\",\"10001A\",\"\"", "\"21\",\"\",\"10001A\",\"\"",
                                         "\"7\",\"\",\"10001B\",\"\"", "\"21\",\"\",\"10001B\",\"\""}));
  choices.WorkedTick = 1;
  EXPECT_TRUE(listening().contains("\"7\",\"\",\"1002\",\"\""));

  // Tokyo's wards follow the city box, the other wards the ward box.
  choices.KindTicks = {0, 1, 0, 0, 0, 0};
  EXPECT_EQ(listening().size(), 1);
  choices.KindTicks = {1, 0, 0, 0, 0, 0};
  choices.WorkedTick = 0;
  EXPECT_EQ(listening().mid(1), (QStringList{"\"7\",\"\",\"100101\",\"\"", "\"21\",\"\",\"100101\",\"\"",
                                             "\"21\",\"\",\"100105\",\"\"", "\"21\",\"\",\"1002\",\"\""}));
}

TEST_F(WantedListsTest, ATokyoWardCodeOutsideTheTwentyThreeStopsTheListeningList) {
  MasterTable(1, kRow100105) = "100124";
  tick({2});
  choices.KindTicks.fill(1);
  QString error;
  log.home.write("MachiList.txt", "good\r\n");
  EXPECT_FALSE(WriteListeningList(log.home.file("MachiList.txt"), MasterTableRows(), choices, error));
  EXPECT_EQ(error, "100124");
  EXPECT_EQ(log.home.read("MachiList.txt"), "good\r\n");
}

}  // namespace
