#include <gtest/gtest.h>

#include "awards/BandStationList.h"
#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/responders.h"
#include "platform/ui/testhooks.h"
#include "platform/vbfile.h"
#include "support/qt_print.h"
#include "support/sheet_log.h"

namespace {

class BandStationListTest : public ::testing::Test {
 protected:
  void SetUp() override { SetUiFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); }); }
  void TearDown() override { SetUiFailureReporter({}); }

  // A scan of the list with HAMLOG opened for it and closed after.
  static BandStationScan scanned(const BandStationListDef& def) {
    EXPECT_EQ(HamlogOpenDb(), 0);
    const BandStationScan scan = ScanBandStations(def);
    HamlogCloseDb(0);
    return scan;
  }
  // Scans, sorts and reads back the list of a band key.
  BandStationScan run(const char* key) {
    log.Prepare();
    const BandStationListDef* def = FindBandStationList(key);
    EXPECT_NE(def, nullptr);
    const BandStationScan scan = scanned(*def);
    EXPECT_TRUE(SortBandStationList(*def));
    lines.clear();
    VbFile f(BandStationListPath(*def), VbMode::Input);
    QString line;
    while (f.LineInput(line)) lines << line;
    return scan;
  }
  static QString call20(const char* call) { return QString(call).leftJustified(20, u' '); }

  SheetLog log;
  QStringList lines;
};

}  // namespace

TEST_F(BandStationListTest, DistinctConfirmedStationsSortedByCall) {
  log.Add({"JA1AAA,2010/05/01,144.10,FM,1001,J *",  "JA1AAA/1,2011/05/01,144.20,FM,1002,J E",
           "JA2BBB/SO2005,2012/01/01,145.00,SSB,1101,J *", "JA3CCC,2012/01/02,144.10,FM,1001,J  ",
           "JA4DDD,2012/01/03,144.10,FM,1001,P *",  "JA5EEE,2012/01/04,430.10,FM,1001,J *",
           "JA0ZZZ,2012/01/05,144.10,CW,100101,J *"});
  const BandStationScan scan = run("144");
  EXPECT_TRUE(scan.AnyPassed);
  EXPECT_EQ(scan.Count, 3);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], "\"" + call20("JA0ZZZ") + "\",\"2012-01-05\",\"144 \",\"CW\",\"100101\",\"JA0ZZZ\"");
  EXPECT_EQ(lines[1], "\"" + call20("JA1AAA") + "\",\"2010-05-01\",\"144 \",\"FM\",\"1001  \",\"JA1AAA\"");
  EXPECT_EQ(lines[2], "\"" + call20("JA2BBB") + "\",\"2012-01-01\",\"144 \",\"SSB\",\"1101  \",\"JA2BBB/SO2005\"");
  EXPECT_EQ(BandStationCountMessage(*FindBandStationList("144"), scan.Count),
            QString::fromUtf8("現在のところ 3 局です"));
}

TEST_F(BandStationListTest, TheWarcListsAndTheirEarliestDate) {
  log.Add({"JA1AAA,2002/03/31,10.120,CW,1001,J *", "JA1AAA,2002/04/01,10.120,CW,1001,J *",
           "JA1AAA,2003/01/01,18.080,CW,1001,J *", "JA1AAA,2003/01/01,24.900,CW,1001,J *",
           "JA2BBB,2002/03/31,10.120,CW,1001,J *", "JA3CCC,2002/03/31,144.10,FM,1001,J *"});
  BandStationScan scan = run("ALL");
  EXPECT_EQ(scan.Count, 3) << "one station on three bands counts three times";
  EXPECT_EQ(lines.size(), 3);
  scan = run("10");
  EXPECT_EQ(scan.Count, 1) << "JA2BBB's QSO is a day too early";
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(lines[0].startsWith("1,\"JA1AAA")) << "the 10 MHz list numbers its lines";
  EXPECT_EQ(run("VUALL").Count, 1) << "the same date counts on 144 MHz";
}

TEST_F(BandStationListTest, TheNumberedListStaysInTheOrderOfItsNumbers) {
  QStringList qsos;
  for (int i = 0; i < 12; ++i) qsos << QString("JA%1X%2,2010/01/%3,10.120,CW,1001,J *").arg(i % 10).arg(QChar('A' + i)).arg(i + 1, 2, 10, QChar('0'));
  log.Add(qsos);
  run("10");
  ASSERT_EQ(lines.size(), 12);
  for (int i = 0; i < 12; ++i) EXPECT_TRUE(lines[i].startsWith(QString::number(i + 1) + ",")) << lines[i].toStdString();
}

TEST_F(BandStationListTest, ConfirmationByTheMarksOrByAnyMark) {
  log.Add({"JA1AAA,2010/05/01,50.10,SSB,1001,J *", "JA2BBB,2010/05/01,50.10,SSB,1001,J X",
           "JA3CCC,2010/05/01,50.10,SSB,1001,J  "});
  EXPECT_EQ(run("50").Count, 1);
  log.Prepare();
  Settings.QslRcvOnly = "YES";
  const BandStationListDef* def = FindBandStationList("50");
  EXPECT_EQ(scanned(*def).Count, 2) << "any mark but a blank";

  log.Prepare();
  Settings.QslReceivedMarks[2] = " ";
  EXPECT_EQ(scanned(*def).Count, 1) << "a QSO without a received mark never counts";
}

TEST_F(BandStationListTest, ReadingConditionsApply) {
  log.Add({"JA1AAA,2010/05/01,430.10,FM,1001,J *", "JA2BBB,2015/05/01,430.10,SSB,1001,J *",
           "JA3CCC,2020/05/01,430.10,FM,1001,J *"});
  log.Prepare();
  ReadConditions.StartDate = "20100502";
  ReadConditions.EndDate = "20200501";
  ReadConditions.SelMode = "FM";
  const BandStationListDef* def = FindBandStationList("430");
  EXPECT_EQ(scanned(*def).Count, 1) << "JA3CCC only";
  ReadConditions.SelMode = "DIGITAL";
  Settings.DigitalModes = "SSB,";
  EXPECT_EQ(scanned(*def).Count, 1) << "JA2BBB: the group takes its modes";
  ReadConditions.SelMode = "CW";
  EXPECT_FALSE(scanned(*def).AnyPassed);
  EXPECT_EQ(FileLen(BandStationListPath(*def)), 0) << "the file is made anew, empty";
}

TEST_F(BandStationListTest, TheCapacityStopsTheScan) {
  QStringList qsos;
  for (int i = 0; i < 502; ++i) qsos << QString("JR%1,2010/05/01,1295.0,FM,1001,J *").arg(i, 4, 10, QChar('0'));
  log.Add(qsos);
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  const BandStationScan scan = run("1200");
  EXPECT_EQ(boxes.texts(), QStringList({QString::fromUtf8("Cong!!! 500オーバーです。")}));
  EXPECT_TRUE(scan.LimitReached);
  EXPECT_EQ(scan.Count, 501);
  EXPECT_EQ(lines.size(), 500);
}

TEST_F(BandStationListTest, CountMessagesOfTheGroupLists) {
  const BandStationListDef& all = *FindBandStationList("ALL");
  EXPECT_TRUE(BandStationCountMessage(all, 999).startsWith(QString::fromUtf8("残念でした 999 局")));
  EXPECT_TRUE(BandStationCountMessage(all, 1000).contains(QString::fromUtf8("取り敢えず第一ステップ")));
  EXPECT_TRUE(BandStationCountMessage(all, 2500).startsWith(QString::fromUtf8("＼(^o^)／ 第 2ステップ")));
  EXPECT_TRUE(BandStationCountMessage(all, 9000).contains(QString::fromUtf8("ファイナルステージ")));
  EXPECT_EQ(BandStationCountMessage(all, 10001), "");
  EXPECT_EQ(FindBandStationList("135K"), nullptr);
  EXPECT_EQ(QString(FindBandStationList("77G")->FileName), "75GHz-500.txt");
}
