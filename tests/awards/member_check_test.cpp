// The ACC/JAG member check: reading the member list, the marks, classes and points of a hand-checked
// log, and the index search against a walk to the end of the call-sign order on a varied log.

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <map>

#include "awards/MemberCheck.h"
#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "support/sheet_log.h"
#include "support/varied_log.h"

namespace {

// ---- The member list file

struct MemberListTest : ::testing::Test {
  TempHome home;
  MemberListLoad read(const QByteArray& bytes, const QString& previousTag = {}) {
    return ReadMemberList(home.write("list.txt", bytes), previousTag);
  }
  static QStringList calls(const MemberListLoad& l) {
    QStringList c;
    for (const MemberRow& m : l.members) c << m.call + "=" + m.number;
    return c;
  }
};

TEST_F(MemberListTest, MembersAreReadFromTheThirdLineWithTheirNumbers) {
  const MemberListLoad l = read(
      "acc member list 2024\r\n CALL   ACC#\r\n JA1AAA ACC#0012\r\n\r\n w1aw   acc#0005 x\r\n JA1LONGER 0777\r\n"
      " -------------\r\n JA1AAA ACC#0020\r\n JA2BB  9999ACC#0003\r\n \x81\x20\x81 ACC#0004\r\n   \r\n");
  EXPECT_EQ(l.outcome, MemberListLoad::Loaded);
  EXPECT_EQ(l.tag, "ACC#");
  // A lower-case call is taken in upper case; without the tag the number is characters 4 to 7; the
  // number follows the last tag; a re-issued call keeps both its lines; a rule line is no member.
  EXPECT_EQ(calls(l), QStringList({"JA1AAA=0012", "W1AW=0005", "JA1LON=1LON", "JA1AAA=0020", "JA2BB=0003"}));
  EXPECT_EQ(l.lineCount, 7);
  EXPECT_EQ(MemberListSkipNotice(l),
            "メンバーリストの 4 行を読み飛ばしました。\r\nコールサインのない行 1 行（7 行目）\r\n"
            "読めない文字のある行 1 行（10 行目）\r\n空行 2 行（4,11 行目）");
  EXPECT_EQ(MemberListSkipNotice(read("ACC MEMBER\r\n\r\n JA1AAA 0001\r\n")), "");
}

TEST_F(MemberListTest, ALineFeedOnlyListIsSplitAtItsLineFeeds) {
  const MemberListLoad l = read("JAG MEMBER\nheading\n JA1AAA JAG#0001\n JA3CCC JAG#0002\n");
  EXPECT_EQ(l.tag, "JAG#");
  EXPECT_EQ(calls(l), QStringList({"JA1AAA=0001", "JA3CCC=0002"}));
  EXPECT_EQ(l.lineCount, 4);
}

TEST_F(MemberListTest, ForeignEmptyAndHeaderOnlyFiles) {
  EXPECT_EQ(read("MEMBER LIST\r\n\r\n JA1AAA 0001\r\n").outcome, MemberListLoad::NotAList);
  EXPECT_TRUE(read("").tag.isEmpty());
  // An empty file after an ACC list keeps its tag and is one empty line.
  const MemberListLoad empty = read("", "ACC#");
  EXPECT_EQ(empty.outcome, MemberListLoad::SingleLine);
  EXPECT_EQ(empty.lineCount, 1);
  // Two lines that end in CR LF are a list without members, not one line without CR.
  const MemberListLoad headers = read("ACC MEMBER\r\nline 2\r\n");
  EXPECT_EQ(headers.outcome, MemberListLoad::Loaded);
  EXPECT_TRUE(headers.members.empty());
  EXPECT_EQ(headers.lineCount, 2);
  EXPECT_EQ(read("ACC MEMBER JA1AAA 0001").outcome, MemberListLoad::SingleLine);
  EXPECT_EQ(ReadMemberList(home.file("missing.txt"), "ACC#").outcome, MemberListLoad::Unreadable);
}

// ---- Rules of the search

TEST(MemberRulesTest, ModeClassesBaseCallsAndBandColumns) {
  const ModeClassLists lists;
  for (const auto& [mode, letter] : std::map<QString, QString>{
           {"FM", "P"}, {"", "P"}, {"CW", "C"}, {"PSK31", "R"}, {"cw", "N"}, {"JT65", "N"}})
    EXPECT_EQ(ModeClassLetter(lists, mode), letter) << mode.toStdString();
  for (const auto& [call, base] : std::map<QString, QString>{
           {"KH6/JA1AAA", "JA1AAA"}, {"JA1AAA/KH6", "JA1AAA"}, {"ABC/XYZ", "ABC"}, {"JA1AAA", "JA1AAA"}})
    EXPECT_EQ(MemberBaseCall(call), base) << call.toStdString();

  // The band the progress sheet counts the text on, in either set.
  const std::tuple<const char*, int, int> columns[] = {
      {"1.9", 7, 7},           {"3.5", 8, 8},           {"21.5", 13, 13},   {"144.5", 17, 17},
      {"435.1/145.9", 22, 28}, {"10G", 0, 24},          {"10.368G", 0, 24}, {"1.2G", 0, 0},
      {"0.1357", 0, 22},       {"475K", 0, 23},         {"*10", 0, 24},     {"*24", 0, 25},
      {"*47", 0, 26},          {"*77", 0, 27},          {"10368", 0, 24},   {"24048", 0, 25},
      {"77G", 0, 27},          {"10.500000001G", 0, 0}, {"7.0x", 9, 9},     {"4.630", 0, 0}};
  for (const auto& [freq, standard, extended] : columns)
    EXPECT_EQ(QPoint(MemberBandColumn(freq, false), MemberBandColumn(freq, true)), QPoint(standard, extended))
        << freq;
}

// ---- The check on a log

struct MemberCheckTest : ::testing::Test {
  SheetLog log;
  FlexGrid grid{nullptr};
  VbFile memberList, amaList;
  MemberQsoFinder finder;

  void open() {
    log.Prepare();
    ASSERT_EQ(HamlogOpenDb(), 0);
    finder.Prepare(Hamlog.HdbRecordCount);
  }
  void TearDown() override { HamlogCloseDb(0); }
  void members(const QStringList& rows) {
    grid.SetCols(25);
    grid.SetRows(1);
    for (const QString& r : rows) grid.AddItem(r);
  }
  QString lines(VbFile& f) {
    f.Close();
    return FromAnsi(log.home.read(QFileInfo(f.Path()).fileName()));
  }
  QStringList row(int r) {
    QStringList cells;
    for (int c = 7; c < grid.Cols(); ++c)
      if (!grid.TextMatrix(r, c).isEmpty()) cells << QString::number(c) + ":" + grid.TextMatrix(r, c);
    return cells;
  }
  // The whole check of the member rows: counts, the rows, both list files and the frequency report.
  QString check(const QStringList& rows, const MemberRecordSource& source, const MemberCheckSetup& setup,
                const QsoColumnCopy* copy = nullptr) {
    members(rows);
    grid.SetCols(setup.extendedBandSet ? 31 : 25);
    QFile::remove(log.home.file("FreqError_Report.txt"));
    VbFile list(log.home.file("list.txt"), VbMode::Output), ama(log.home.file("ama.txt"), VbMode::Output);
    MemberCheck c(grid, setup, list, &ama, copy);
    for (int r = 1; r <= rows.size(); ++r) c.CheckMember(r, source);
    c.Finish();
    QString result = QString::asprintf("%d %d %d %d %d %d\n", c.SheetTotal, c.CfmMarkCount, c.WkdMarkCount,
                                       c.ListedCount, c.Unreadable, grid.TopRow());
    for (int r = 1; r <= rows.size(); ++r) result += row(r).join(' ') + "\n";
    return result + lines(list) + lines(ama) + FromAnsi(log.home.read("FreqError_Report.txt"));
  }
};

TEST_F(MemberCheckTest, MarksClassesAndPointsOfAHandCheckedLog) {
  log.Add({"JA1AAA,2001/01/01,7.025,SSB,1001,J  ",      // 1 first hit: phone worked only
           "JA1AAA,2002/01/01,7.010,CW,1001,J *",       // 2 CW confirmed: the member's list line
           "JA1AAA/1,2003/01/01,7.030,SSB,1001,J E",    // 3 phone confirmed now
           "JA1AAA,1978/01/01,14.050,CW,1001,J *",      // 4 before the ACC's start
           "KH6/JA1AAA,2004/01/01,14.2,SSB,1001,J *",   // 5 sorts after the call's run
           "JA1AAA,2005/01/01,10.1,JT65,1001,J *",      // 6 no class
           "JA1AAA,2005/02/01,0.1357,CW,1001,J *",      // 7 no band column
           "W1AW,2010/01/01,21.5,RTTY,,J *",            // 8
           "W1AW,2010/01/02,435.1/145.9,CW,,J *",       // 9 satellite
           "JA2BBA,2010/01/01,7.0,CW,1001,J *",         // 10 another station, first in JA2BB's place
           "VK9/JA2BB,2011/01/01,21.0,CW,1001,J *",     // 11
           "7J1/JA2BB,2012/01/01,14.0,CW,1001,J *"});  // 12 sorts before the call: never reached
  open();
  members({" 1\t0012\tJA1AAA", " 2\t0005\tW1AW", " 3\t0003\tJA2BB", " 4\t0001\tJA9ZZZ"});
  ASSERT_TRUE(memberList.Open(log.home.file("cfmACCstn.txt"), VbMode::Output));
  ASSERT_TRUE(amaList.Open(log.home.file("cfmAMA.txt"), VbMode::Output));
  MemberCheck check(grid, {"ACC#", false, false, {}}, memberList, &amaList);
  for (int r = 1; r <= 4; ++r) check.CheckMember(r, finder.Source());

  EXPECT_EQ(row(1), QStringList({"9:PC", "11:P", "24:36"}));
  EXPECT_EQ(row(2), QStringList({"13:R", "22:C", "24:100"}));  // not Japanese: ten times
  EXPECT_EQ(row(3), QStringList({"13:C", "24:3"}));
  EXPECT_EQ(row(4), QStringList({"24:0"}));
  EXPECT_EQ(check.SheetTotal, 139);
  EXPECT_EQ(check.CfmMarkCount, 6);
  EXPECT_EQ(check.WkdMarkCount, 0);
  EXPECT_EQ(check.ListedCount, 3);
  EXPECT_EQ(lines(memberList),
            "1001          JA1AAA        2002/01/01    7             CW            0012\r\n"
            "              W1AW          2010/01/01    21            RTTY          0005\r\n"
            "1001          VK9/JA2BB     2011/01/01    21            CW            0003\r\n");
  const QStringList ama = lines(amaList).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(ama.size(), 6);
  EXPECT_TRUE(ama[1].startsWith("1001          JA1AAA/1      2003/01/01"));
  EXPECT_TRUE(ama[2].startsWith("1001          KH6/JA1AAA    2004/01/01"));
  EXPECT_TRUE(ama[4].contains("SAT"));
}

// The entry window's "*10" and the other texts of the bands from 10 GHz up count where the sheet counts
// them; where the set has no such band, the report names each as logged.
TEST_F(MemberCheckTest, BandsFromTenGigahertzUpCountWhereTheSheetCountsThem) {
  const QStringList freqs = {"*10", "*24", "*47", "*77", "10368", "24048", "77G", "1.2G"};
  QStringList qsos, reported;
  for (const QString& freq : freqs) {
    qsos << QString("JA1AAA,2001/01/01,%1,CW,1001,J *").arg(freq);
    reported << QString("\"交信番号=%1 の交信周波数=%2 は無効です\"\r\n").arg(qsos.size()).arg(freq);
  }
  log.Add(qsos);
  open();
  const auto report = [this] { return FromAnsi(log.home.read("FreqError_Report.txt")); };
  EXPECT_EQ(check({" 1\t0001\tJA1AAA"}, finder.Source(), {"ACC#", false, true, {}}).section('\n', 1, 1),
            "24:C 25:C 26:C 27:C 30:4");
  EXPECT_EQ(report(), reported.last());
  EXPECT_EQ(check({" 1\t0001\tJA1AAA"}, finder.Source(), {"ACC#", false, false, {}}).section('\n', 1, 1),
            "24:0");
  EXPECT_EQ(report(), reported.join(""));
}

TEST_F(MemberCheckTest, WorkedModeAndAJagList) {
  log.Add({"JA1AAA,2001/01/01,7.025,SSB,1001,J  ", "JA1AAA,1970/01/01,14.0,CW,1001,J  ",
           "JA1AAA,2002/01/01,7.025,SSB,1001,J  "});
  open();
  members({" 1\t0001\tja1aaa"});
  ASSERT_TRUE(memberList.Open(log.home.file("wkdJAGstn.txt"), VbMode::Output));
  MemberCheck check(grid, {"JAG#", true, false, {}}, memberList, nullptr);
  check.CheckMember(1, finder.Source());
  // Every QSO counts, of any date; no points on a JAG list.
  EXPECT_EQ(row(1), QStringList({"9:P", "11:C"}));
  EXPECT_EQ(check.ListedCount, 1);
  EXPECT_EQ(check.SheetTotal, 0);
}

TEST_F(MemberCheckTest, ARecordThatCannotBeReadIsCountedAndTheSearchGoesOn) {
  log.Add({"JA1AAA,2001/01/01,7.025,SSB,1001,J  ", "JA1AAA,2002/01/01,14.0,CW,1001,J *",
           "JA1AAA,2003/01/01,7.025,SSB,1001,J *"});
  open();
  members({" 1\t0010\tJA1AAA"});
  ASSERT_TRUE(memberList.Open(log.home.file("cfmACCstn.txt"), VbMode::Output));
  MemberCheck check(grid, {"ACC#", false, false, {}}, memberList, nullptr);
  // The member's records with one in their midst that the log does not hold.
  check.CheckMember(1, [](const QString&) { return std::vector<int32_t>{1, 999, 2, 3}; });
  EXPECT_EQ(check.Unreadable, 1);
  EXPECT_EQ(row(1), QStringList({"9:P", "11:C", "24:20"}));
  EXPECT_EQ(check.CfmMarkCount, 2);
  EXPECT_EQ(check.WkdMarkCount, 0);
  EXPECT_EQ(check.ListedCount, 1);
  EXPECT_EQ(lines(memberList), "1001          JA1AAA        2002/01/01    14            CW            0010\r\n");
}

// A log of calls that share beginnings, portable forms either side of the call, and QSOs of every
// kind; the index search must give what a walk to the end of the call-sign order gives.
TEST_F(MemberCheckTest, TheIndexSearchGivesWhatAWalkToTheEndGives) {
  const QStringList stations = {"JA1ABC", "JA1AB", "JA1ABCD", "W1AW", "JR1XYZ", "JA2ZZ", "K1A", "JH1QQQ"};
  const QStringList forms = {"%1", "%1", "%1/1", "%1/P", "KH6/%1", "JD1/%1", "7J1/%1", "%1/KH6", "AB/%1"};
  const QStringList freqs = {"7.025", "3.5", "14.2", "21.5", "50.1", "145.0", "435.0/145.9", "1295", "10G",
                             "0.1357", "x"};
  const QStringList modes = {"CW", "SSB", "FM", "RTTY", "SSTV", "FAX", "JT65", ""};
  const QStringList qsls = {"J *", "J E", "J  ", "J  ", "P *"};
  QRandomGenerator random(20240607);
  QStringList qsos;
  for (int i = 0; i < 600; ++i) {
    const QString call = forms[random.bounded(forms.size())].arg(stations[random.bounded(stations.size())]);
    const int year = 1975 + random.bounded(40);
    qsos << QString("%1,%2/0%3/1%4,%5,%6,1001,%7")
                .arg(call)
                .arg(year)
                .arg(1 + random.bounded(9))
                .arg(random.bounded(10))
                .arg(freqs[random.bounded(freqs.size())], modes[random.bounded(modes.size())],
                     qsls[random.bounded(qsls.size())]);
  }
  log.Add(qsos);
  open();
  const auto walk = [](const QString& callBase) {
    std::vector<int32_t> all;
    for (int32_t r = Vidx_search(Hamlog.Thw, callBase, 16); r > 0; r = Vidx_next(Hamlog.Thw, 16)) all.push_back(r);
    return all;
  };

  const QStringList rows = {" 1\t0012\tJA1ABC", " 2\t0001\tJA1AB", " 3\t0100\tW1AW",   " 4\t0002\tJR1XYZ",
                            " 5\t0003\tJA2ZZ",  " 6\t0004\tK1A",   " 7\t0005\tJH1QQQ", " 8\t0006\tJA9NOT"};
  for (bool worked : {false, true}) {
    for (bool extended : {false, true}) {
      const MemberCheckSetup setup{"ACC#", worked, extended, {}};
      const QString expected = check(rows, walk, setup);
      EXPECT_EQ(check(rows, finder.Source(), setup), expected) << "worked " << worked << " extended " << extended;
      EXPECT_GT(expected.size(), 1000);  // the log gave the members plenty of marks and lines
    }
  }
}

// The check on the sheet load's column copy, extended by QSOs logged after the load, gives what the log
// read record by record gives.
TEST_F(MemberCheckTest, TheColumnCopyGivesWhatTheLogGives) {
  MsgBoxResponder boxes;
  boxes.OnShow = [&boxes](const MsgBoxCall&) { boxes.Answer(vbOK); };
  MakeVariedLog(log.dir, 3000);
  log.Prepare();
  log.Load();
  const int32_t loaded = QsoColumns.Count();
  ASSERT_EQ(HamlogOpenDb(), 0);
  QStringList rows;
  for (int32_t r = 5; r <= 3000 && rows.size() < 80; r += 29) {
    if (ReadQsoBasic(r, 1) != 0) continue;
    SplitCallSign(Qso.QsoCall);
    rows << QString(" %1\t%2\t%3").arg(rows.size() + 1).arg(r).arg(QsoRules.CallBase.left(6));
  }
  rows << rows[3] << " 99\t0099\tJA9NOT";  // a member listed twice, one the log does not hold
  HamlogCloseDb(0);
  QStringList later;
  for (int i = 0; i < 8; ++i) {
    const QString call = rows[i].section('\t', 2);
    later << "7J1/" + call + ",2020/01/01,7.025,CW,1001,J *" << call + "/P,2020/01/02,14.5,SSB,1001,J  "
          << call + ",2020/01/03,10G,CW,1001,J E" << call + ",1978/01/03,21.0,FM,1001,J *";
  }
  log.Add(later);
  ASSERT_EQ(HamlogOpenDb(), 0);
  ASSERT_EQ(QsoColumns.ReadToLogEnd(), HAMLOG_OK);
  EXPECT_GT(QsoColumns.Count(), loaded);
  MemberQsoFinder fromLog, fromCopy;
  fromLog.Prepare(Vdbf_rcount(Hamlog.Thw));
  fromCopy.Prepare(Vdbf_rcount(Hamlog.Thw), &QsoColumns);
  for (bool worked : {false, true}) {
    for (bool extended : {false, true}) {
      Settings.ExtendedBandSet = extended ? 1 : 0;
      const MemberCheckSetup setup{"ACC#", worked, extended, {}};
      const QString expected = check(rows, fromLog.Source(), setup);
      EXPECT_EQ(check(rows, fromCopy.Source(), setup, &QsoColumns), expected) << worked << extended;
      EXPECT_GT(expected.size(), 3000);
    }
  }
}

}  // namespace
