// Ward award lists from DMYDBS.DAT of the small hand-checked log: WAKU's 2010-04-01 rule and its
// leaving out of Tokyo's 23 wards, the ORB ward list's every ward, the remaining lists, the messages.

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include "core/DesignatedCities.h"
#include "core/MasterList.h"
#include "core/SharedSettings.h"
#include "outputs/AwardLists.h"
#include "outputs/ListChoices.h"
#include "outputs/WardLists.h"
#include "support/outputs_log.h"
#include "sheet/WorkFileStore.h"
#include "support/shared_state.h"

namespace {

QStringList words(const QString& line) { return line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts); }

struct WardListsTest : ::testing::Test {
  OutputsLog log;
  void TearDown() override { ResetSharedState(); }
  QList<QStringList> table(const QString& file) {
    QList<QStringList> t;
    for (const QString& l : log.Lines(file)) t << words(l);
    return t;
  }
};

TEST_F(WardListsTest, WakuCountsFromTwentyTenAndLeavesTokyoOut) {
  log.LoadSheet();
  // 110101 on 21 MHz: confirmed only on 2010-03-31, worked after: remaining, "Wkd".
  OutputRun run = WriteAwardLists(kAwardWaku, 11, nullptr);
  ASSERT_TRUE(run.ok) << run.error.toStdString();
  EXPECT_EQ(table("21MHz_MIX-WAKU.txt"),
            (QList<QStringList>{{"Count", "WAKU_code", "Callsign", "Date", "Band", "Mode", "Remarks"}}));
  EXPECT_EQ(table("21MHz_MIX-WAKU残.txt"),
            (QList<QStringList>{{"Count", "WAKU_code", "QTH", "Remarks(発足日)"}, {"1", "110101", "横浜市鶴見区", "Wkd"}}));
  const int total = MasterList.WardCodeCount - MasterList.AbolishedWardCount - 23;
  EXPECT_EQ(run.messages.value(0), "WAKU 21MHz/MIX = 0ポイント /" + QString::number(total));
  EXPECT_EQ(run.messages.value(1), "WAKUリストに続いて WAKU 的に残っている区リストも表示します（表示が重なりますので要注）\r\n"
                                   "最終交信日のチェックは省略しております");
  EXPECT_EQ(run.opened, (QStringList{log.home.file("21MHz_MIX-WAKU.txt"), log.home.file("21MHz_MIX-WAKU残.txt")}));

  // A ward worked on another band only has no remark.
  ASSERT_TRUE(WriteAwardLists(kAwardWaku, 9, nullptr).ok);
  EXPECT_EQ(table("14MHz_MIX-WAKU残.txt").value(1), (QStringList{"1", "110101", "横浜市鶴見区"}));

  // Every current ward outside Tokyo confirmed: complete.
  MasterList.WardCodeCount = 24;
  MasterList.AbolishedWardCount = 0;
  run = WriteAwardLists(kAwardWaku, 7, nullptr);
  ASSERT_TRUE(run.ok);
  const QStringList lines = log.Lines("7MHz_MIX-WAKU.txt");
  // The count is a number item: a blank for its sign before it and one after it.
  EXPECT_TRUE(lines.value(1).startsWith(" 1            110101        JA1AAC        2015-01-01")) << lines.value(1).toStdString();
  EXPECT_EQ(words(lines.value(1)), (QStringList{"1", "110101", "JA1AAC", "2015-01-01", "7", "CW", "横浜市鶴見区"}));
  EXPECT_EQ(run.messages.value(0), "Cong!  WAKU 完成 7MHz/MIX = 1ポイント ");
}

TEST_F(WardListsTest, TheOrbWardListTakesEveryDateAndEveryWard) {
  log.Add({"JA1ZZZ,2015/05/05,435/145,FM,100105,J *"});
  log.LoadSheet();
  OutputRun run = WriteAwardLists(kAwardOrbKu, 7, nullptr);
  ASSERT_TRUE(run.ok);
  const QList<QStringList> t = table("7MHz_MIX-ORB_KU.txt");
  ASSERT_EQ(t.size(), 4);
  EXPECT_EQ(t[0][1], "ORB_KU_code");
  EXPECT_EQ(t[1], (QStringList{"1", "100101", "JA1AAA", "2009-05-01", "7", "CW", "東京都千代田区"}));
  EXPECT_EQ(t[2][1], "100105");
  EXPECT_EQ(t[3][1], "110101");
  EXPECT_EQ(run.messages.value(0), "Cong!  ORB上の KU 完成 7MHz/MIX = 3ポイント ");
  EXPECT_TRUE(run.messages.value(1).startsWith("ORB上の KU リストに続いて ORB 的に残っている区リスト"));

  run = WriteAwardLists(kAwardOrbKu, 11, nullptr);  // 2010-03-31 counts here
  EXPECT_EQ(table("21MHz_MIX-ORB_KU.txt").value(1).value(1), "110101");
  EXPECT_EQ(table("21MHz_MIX-ORB_KU残.txt").size(), 3);
  EXPECT_EQ(run.messages.value(0), "ORB上の KU 21MHz/MIX = 1ポイント /3");

  // In the standard band set the satellite column meets the work file's "SAT" lines.
  ASSERT_TRUE(WriteAwardLists(kAwardOrbKu, 20, nullptr).ok);
  EXPECT_EQ(table("ｻﾃﾗｲﾄ_MIX-ORB_KU.txt").value(1).mid(1, 2), (QStringList{"100105", "JA1ZZZ"}));
}

TEST_F(WardListsTest, AllBandsLeaveTheSatelliteOutAndAMissingWorkFileIsReported) {
  log.Add({"JA1ZZZ,2015/05/05,435/145,FM,100105,J *"});
  log.LoadSheet();
  ASSERT_TRUE(WriteAwardLists(kAwardWaku, kAllBandColumn, nullptr).ok);
  EXPECT_EQ(table("allBand_MIX-WAKU.txt").size(), 2);  // 110101 on 7 MHz
  ASSERT_TRUE(WriteAwardLists(kAwardOrbKu, kAllBandColumn, nullptr).ok);
  EXPECT_EQ(table("allBand_MIX-ORB_KU.txt").value(2).value(5), "CW");  // 100105 by its 7 MHz QSO

  // The lines the sheet holds serve while it is open; after it, the file.
  QFile::remove(log.WorkFile());
  ASSERT_TRUE(WriteAwardLists(kAwardWaku, 7, nullptr).ok);
  ReleaseWorkFileLines();
  const OutputRun run = WriteAwardLists(kAwardWaku, 7, nullptr);
  EXPECT_FALSE(run.ok);
  EXPECT_TRUE(run.error.startsWith("WAKU error"));
}

TEST_F(WardListsTest, AFailedWriteIsReportedAndKeepsTheOldLists) {
  log.LoadSheet();
  log.home.write("7MHz_MIX-WAKU.txt", "old list\r\n");
  QDir(log.home.path()).mkdir("7MHz_MIX-WAKU残.txt");  // a folder where the remaining list goes
  const OutputRun run = WriteAwardLists(kAwardWaku, 7, nullptr);
  EXPECT_FALSE(run.ok);
  EXPECT_EQ(run.error, "WAKU error\r\n" + log.home.file("7MHz_MIX-WAKU残.txt") + " はフォルダーでファイルではありません");
  EXPECT_TRUE(run.messages.isEmpty());
  EXPECT_TRUE(run.opened.isEmpty());
  EXPECT_EQ(log.home.read("7MHz_MIX-WAKU.txt"), "old list\r\n");
}

TEST_F(WardListsTest, AModeWithNoQsoGivesTheListsWithTheirHeadings) {
  log.Prepare();
  DesignatedCityDef.DesignatedCityCodes = "1101,1001";
  ReadConditions.SelMode = "RTTY";
  log.Load();
  OutputRun run = WriteAwardLists(kAwardWaku, 7, nullptr);
  ASSERT_TRUE(run.ok) << run.error.toStdString();
  EXPECT_EQ(table("7MHz_RTTY-WAKU.txt").size(), 1);
  EXPECT_EQ(table("7MHz_RTTY-WAKU残.txt").mid(1), (QList<QStringList>{{"1", "110101", "横浜市鶴見区"}}));
  EXPECT_TRUE(run.messages.value(0).startsWith("WAKU 7MHz/RTTY = 0ポイント /"));
  EXPECT_EQ(run.opened.size(), 2);

  run = WriteAwardLists(kAwardJcc, 7, nullptr);
  ASSERT_TRUE(run.ok);
  EXPECT_EQ(table("7MHz_RTTY-JCC.txt").size(), 1);
  EXPECT_EQ(run.messages.value(0), "JCC 7MHz/RTTY = 0ポイント ");
  // No QSO listed: no city is dropped for its founding date, but Tokyo's wards, cities from 2010-04-01
  // on, are left out with no listed QSO of that time.
  EXPECT_EQ(table("7MHz_RTTY-WACA残.txt").mid(1), (QList<QStringList>{{"1", "1002", "東京都八王子市"}, {"最終交信日"}}));
}

}  // namespace
