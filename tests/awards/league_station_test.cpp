// The league-station check over a small log: which QSOs count (year rules, band, mode, confirmation,
// duplicates, portable calls), the report, the points message, and station lists written carelessly.

#include <gtest/gtest.h>

#include "awards/LeagueStationCheck.h"
#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/ui/responders.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

struct LeagueStationTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  ShellRecorder shell;

  void SetUp() override {
    log.Add({"8J1ITU,1994/05/01,7.025,CW,1002,J *", "8J1ITU,1995/05/01,7.025,CW,1002,J *",
             "8J5ITU,2003/01/01,14.050,CW,1002,J *", "8J5ITU,2004/01/01,14.050,CW,1002,J *",
             "8J1RL,2020/01/01,7.025,CW,1001,J *",   "8J1RL,2020/02/01,7.030,CW,1001,J *",
             "8J1RL,2020/03/01,14.050,CW,1001,J *",  "8J1RL/1,2021/01/01,21.100,SSB,1002,J E",
             "8J1RL,2020/04/01,21.100,CW,1001,J  ",  "8J1RL,2020/05/01,28.500,CW,1001,J X",
             "8J1RLA,2020/01/01,7.025,CW,1001,J *",  "JA1XYZ,2020/01/01,7.025,CW,1001,J *"});
    log.Prepare();
    writeList("# 記念局\r\n\r\n8j1itu\r\n 8J5ITU \r\n8J1RL/1\r\n8J1RL\r\n8J1ITU\r\n" + ToAnsi("ＪＡ１") +
              "\r\nVERYLONGCALLSIGN123456789\r\n\x85\xFF\r\n");
  }
  void TearDown() override { ResetSharedState(); }
  // Items at 14-column print zones.
  static QString zones(const QStringList& items) {
    QString s;
    for (const QString& i : items) s += i.leftJustified(14);
    return s;
  }
  void writeList(const QByteArray& bytes) { log.home.write("JARLstation.TXT", bytes); }
  // The check of a band, its message answered: the points it counted.
  int points(int32_t bandIndex) {
    boxes.Answer(vbOK);
    CheckJARLStationAward(bandIndex);
    return LeagueStation.LeaguePointCount;
  }
  QStringList report(const QString& key) {
    QStringList l = FromAnsi(log.home.read(key + "-cfm_JARLstation.TXT")).split("\r\n");
    if (!l.isEmpty() && l.back().isEmpty()) l.removeLast();
    return l;
  }
};

TEST_F(LeagueStationTest, TheListIsReadAsBaseCallsOnceEachAndOddLinesAreNamed) {
  StationList list;
  ASSERT_TRUE(ReadStationList(log.home.file("JARLstation.TXT"), list));
  EXPECT_EQ(list.calls, QStringList({"8J1ITU", "8J5ITU", "8J1RL"}));
  ASSERT_EQ(list.skipped.size(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(list.skipped[i].startsWith(QString("行 %1: ").arg(8 + i))) << list.skipped[i].toStdString();
}

TEST_F(LeagueStationTest, AllBandsCountsEachStationBandYearAndCodeOnce) {
  EXPECT_EQ(points(kAllBandsChoice), 5);
  const QStringList l = report("allBand");
  ASSERT_EQ(l.size(), 6);
  EXPECT_EQ(l[0], zones({"Count", "Code", "Callsign", "Date", "Band"}) + "Mode");
  EXPECT_EQ(l[1], zones({" 1 ", "1002", "8J1ITU", "1994-05-01", "7   "}) + "CW");
  EXPECT_EQ(l[3], zones({" 3 ", "1001", "8J1RL", "2020-01-01", "7   "}) + "CW");
  EXPECT_EQ(l[4], zones({" 4 ", "1001", "8J1RL", "2020-03-01", "14  "}) + "CW");
  // A portable QSO is found through its base call and reported as logged.
  EXPECT_EQ(l[5], zones({" 5 ", "1002", "8J1RL/1", "2021-01-01", "21  "}) + "SSB");
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].startsWith("Cong!!!  5ポイントです。\r\n各賞の最低ラインは"));
  EXPECT_TRUE(boxes.texts()[0].contains("行 9: VERYLONGCALLSIGN"));
  EXPECT_EQ(shell.opened(), QStringList({log.home.file("allBand-cfm_JARLstation.TXT")}));
}

TEST_F(LeagueStationTest, OneBandModeAndConfirmationNarrowTheCount) {
  writeList("8J1ITU\r\n8J5ITU\r\n8J1RL\r\n");
  EXPECT_EQ(points(2), 2);  // 7 MHz
  EXPECT_EQ(report("7").size(), 3);
  EXPECT_TRUE(boxes.texts().back().startsWith("もう一頑張りの  2ポイントです。"));

  ReadConditions.SelMode = "CW";
  EXPECT_EQ(points(kAllBandsChoice), 4);

  // "DIGITAL" takes the digital modes of the settings, as the sheet does.
  ReadConditions.SelMode = "DIGITAL";
  Settings.DigitalModes = "SSB,";
  EXPECT_EQ(points(kAllBandsChoice), 1);
  ReadConditions.SelMode = "CW";

  Settings.QslRcvOnly = "YES";  // the 28 MHz QSO marked "X" counts too
  EXPECT_EQ(points(kAllBandsChoice), 5);

  EXPECT_EQ(points(13), 0);  // 2400 MHz: nothing
  EXPECT_EQ(boxes.texts().back(), "対象局が見つかりませんでした。");
  EXPECT_EQ(shell.opened().size(), 4);  // the empty run's report is not shown
}

TEST_F(LeagueStationTest, YearRulesOfTheCommemorativeStations) {
  EXPECT_TRUE(LeagueYearAllowed("8J1ITU", "1994"));
  EXPECT_FALSE(LeagueYearAllowed("8J1ITU", "1995"));
  EXPECT_FALSE(LeagueYearAllowed("8N3ITU", "1993"));
  EXPECT_TRUE(LeagueYearAllowed("8J5ITU", "2003"));
  EXPECT_TRUE(LeagueYearAllowed("8J0ITU", "1990"));
  EXPECT_FALSE(LeagueYearAllowed("8J5ITU", "2004"));
  EXPECT_TRUE(LeagueYearAllowed("8J1RL", "2030"));
  EXPECT_EQ(LeagueBandKey(0), "1.9");
  EXPECT_EQ(LeagueBandKey(21), "SAT");
  EXPECT_EQ(LeagueBandKey(22), "allBand");
  EXPECT_EQ(LeagueBandKey(23), "");
}

TEST_F(LeagueStationTest, MissingListOrHamlogIsToldAndNothingIsCounted) {
  QFile::remove(log.home.file("JARLstation.TXT"));
  points(kAllBandsChoice);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].endsWith("JARLstation.TXTが見つかりません"));
  EXPECT_EQ(report("allBand").size(), 1);

  writeList("8J1RL\r\n");
  Hamlog.HamlogDbPath = log.home.file("nowhere/HAMLOG.HDB");
  EXPECT_EQ(points(kAllBandsChoice), 0);
  EXPECT_EQ(boxes.texts().back(),
            "HAMLOGデータがOpen出来ません。\r\nHAMLOG.HDB が見つかりません\r\n" + Hamlog.HamlogDbPath);
  EXPECT_TRUE(shell.opened().isEmpty());
}

}  // namespace
