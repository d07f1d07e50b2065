// The QSO lists as the QSO window shows them: which QSOs of a code or a station are listed, in what
// order, with what caption, and what the sheet's notice says when there is nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "core/HamlogAccess.h"
#include "core/QsoRules.h"
#include "logbook/LogWindowState.h"
#include "logbook/QsoLists.h"
#include "support/logbook_log.h"
#include "support/qt_print.h"

namespace {

using L = QStringList;

class AreaList : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    AddQsos({{"JA1AAA", "11009", "7.025", "CW"},     // 1 gun
             {"JA1BBB", "11009A", "14.050", "SSB"},  // 2 town in it
             {"JA1CCC", "1101", "7.010", "CW"},      // 3 city
             {"JA1DDD", "110101", "7.010", "CW"},    // 4 ward of the city
             {"JA1EEE", "11009B", "7.030", "cw"},    // 5 village, mode in small letters
             {"JA1FFF", "11009", "145.00", "FM"},    // 6
             {"JA1GGG", "110091", "7.025", "CW"}});  // 7 six characters ending in a digit: no town
  }
};

TEST_F(AreaList, AGunListsItsTownsAndVillagesACityNotItsWards) {
  QsoList l = ListAreaQsos("11009", kAllBands, "MIX");
  ASSERT_EQ(l.outcome, QsoList::Listed);
  EXPECT_EQ(NumbersAndCalls(l.rows), (L{"1 JA1AAA", "2 JA1BBB", "5 JA1EEE", "6 JA1FFF"}));
  EXPECT_EQ(l.caption, QString::fromUtf8("11009とのＱＳＯ一覧 4回"));
  EXPECT_TRUE(boxes.texts().isEmpty());
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  // The city alone, not its ward; the ward alone.
  EXPECT_EQ(NumbersAndCalls(ListAreaQsos("1101", kAllBands, "MIX").rows), (L{"3 JA1CCC"}));
  EXPECT_EQ(NumbersAndCalls(ListAreaQsos("110101", kAllBands, "MIX").rows), (L{"4 JA1DDD"}));
  EXPECT_EQ(NumbersAndCalls(ListAreaQsos("11009A", kAllBands, "MIX").rows), (L{"2 JA1BBB"}));
}

TEST_F(AreaList, RowsHoldTheRecordAsTheWindowShowsIt) {
  const QsoList l = ListAreaQsos("1101", kAllBands, "MIX");
  ASSERT_EQ(l.rows.size(), 1u);
  EXPECT_EQ(l.rows[0], (L{" 03", "JA1CCC", "", "2024-05-06", "21:05J", "599", "579", "7.010", "CW", "1101",
                          "PM95", "", "QTH", "J", " ", " ", "rem1", "rem2", ""}));
}

TEST_F(AreaList, OneBandAndOneModeNarrowTheList) {
  // 7 MHz is band 2 of FreqPCheck.
  EXPECT_EQ(NumbersAndCalls(ListAreaQsos("11009", 2, "MIX").rows), (L{"1 JA1AAA", "5 JA1EEE"}));
  EXPECT_EQ(NumbersAndCalls(ListAreaQsos("11009", 2, "CW").rows), (L{"1 JA1AAA"}));  // "cw" is not "CW"
  EXPECT_EQ(NumbersAndCalls(ListAreaQsos("11009", 10, "FM").rows), (L{"6 JA1FFF"}));
}

TEST_F(AreaList, NothingToListIsANoticeNotAWindow) {
  QsoList l = ListAreaQsos("2501", kAllBands, "MIX");
  EXPECT_EQ(l.outcome, QsoList::NoQso);
  EXPECT_EQ(l.notice, QString::fromUtf8("この地域のQSOデータはありません"));
  // QSOs with the code, but none on the band: a first QSO there.
  l = ListAreaQsos("1101", 4, "MIX");
  EXPECT_EQ(l.outcome, QsoList::NoQso);
  EXPECT_EQ(l.notice, QString::fromUtf8("この地域とは1st QSO です。"));
  EXPECT_EQ(ListAreaQsos("", kAllBands, "MIX").notice, QString::fromUtf8("この地域のQSOデータはありません"));
  EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(AreaList, AMissingIndexIsBuiltAgainAndSaidOnce) {
  ASSERT_TRUE(QFile::remove(dir + "/HAMLOG.dx1"));
  const QString said = QString::fromUtf8("HAMLOGの索引ファイルが無いか古くなっていたため、作り直しました。");
  boxes.Answer(vbOK);
  EXPECT_EQ(ListAreaQsos("1101", kAllBands, "MIX").rows.size(), 1u);
  EXPECT_EQ(boxes.texts(), L{said});
  ASSERT_TRUE(QFile::remove(dir + "/HAMLOG.dx1"));
  EXPECT_EQ(ListAreaQsos("1101", kAllBands, "MIX").rows.size(), 1u);
  EXPECT_EQ(boxes.texts(), L{said});  // not again
}

TEST_F(AreaList, HamlogThatCannotBeOpenedIsSaid) {
  Hamlog.HamlogDbPath = dir + "/NOWHERE.HDB";
  boxes.Answer(vbOK);
  EXPECT_EQ(ListAreaQsos("1101", kAllBands, "MIX").outcome, QsoList::OpenFailed);
  EXPECT_EQ(boxes.texts(),
            L{QString::fromUtf8("HAMLOGデータがOpen出来ません。\r\nHAMLOG.HDB が見つかりません\r\n") +
              Hamlog.HamlogDbPath});
}

class AreaListCap : public LogbookTest {
 protected:
  void Fill(int n) {
    std::vector<LogQso> qsos;
    for (int i = 1; i <= n; ++i) qsos.push_back({QString("JA1X%1").arg(i, 4, 10, QChar('0')), "1101"});
    qsos.push_back({"JA1ZZZ", "1001"});
    AddQsos(qsos);
  }
};

TEST_F(AreaListCap, MoreThanTwoThousandAndOneHitsAreCutWithAMessage) {
  Fill(2100);
  boxes.Answer(vbOK);
  const QsoList l = ListAreaQsos("1101", kAllBands, "MIX");
  EXPECT_EQ(boxes.texts(), L{QString::fromUtf8("大量のデータがありますので打ち止め・・・m(__)m")});
  ASSERT_EQ(l.rows.size(), 2001u);
  EXPECT_TRUE(l.capped);
  EXPECT_EQ(l.rows.front()[0], " 01");
  EXPECT_EQ(l.rows.back()[0], " 2001");
  EXPECT_EQ(l.caption, QString::fromUtf8("1101とのＱＳＯ一覧 2001回"));
}

TEST_F(AreaListCap, ExactlyTwoThousandAndOneHitsFillEverySlotAndSaySo) {
  Fill(2001);
  boxes.Answer(vbOK);
  EXPECT_EQ(ListAreaQsos("1101", kAllBands, "MIX").rows.size(), 2001u);
  EXPECT_EQ(boxes.texts().size(), 1);
  // One fewer: no message.
  EXPECT_EQ(ListAreaQsos("1001", kAllBands, "MIX").rows.size(), 1u);
  EXPECT_EQ(boxes.texts().size(), 1);
}

class StationList : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    AddQsos({{"JA1ABCD", "1001", "7.025", "CW", "J  ", "Taro"},     // 1
             {"JA1ABC/1", "1001", "7.025", "CW", "J *", "Ichiro"},  // 2
             {"JA1ABC", "1001", "14.025", "CW", "J  ", "Jiro"},     // 3
             {"JA1ABC/P", "1001", "7.025", "SSB", "J E", ""},       // 4 received with "E"
             {"JA1ABC/1/P", "1101", "7.025", "CW", "J  ", "Saburo"},// 5
             {"W1AW", "", "14.025", "CW", "J  ", "Hiram"},          // 6
             {"W1AW/4", "", "14.025", "CW", "J  ", ""},             // 7
             {"W1AW/P", "", "14.025", "CW", "J  ", ""},             // 8
             {"W1AW/QRP", "", "14.025", "CW", "J  ", ""},           // 9
             {"JA1ABC", "1001", "21.025", "CW", "J* ", "Shiro"}});  // 10 sent, not received
  }
};

TEST_F(StationList, AJapaneseCallListsItsAreaAndPortableFormsButNotALongerCall) {
  QString call = "JA1ABC/1/P";
  const QsoList l = ListStationQsos(call);
  EXPECT_EQ(call, "JA1ABC");  // normalised in place
  ASSERT_EQ(l.outcome, QsoList::Listed);
  EXPECT_EQ(NumbersAndCalls(l.rows),
            (L{"2 JA1ABC/1", "3 JA1ABC", "4 JA1ABC/P", "5 JA1ABC/1/P", "10 JA1ABC"}));
  EXPECT_EQ(l.caption, QString::fromUtf8("JA1ABC局とのＱＳＯ  5回"));
  EXPECT_EQ(l.rows[0][3], "2024/05/06");  // the station list writes the date with slashes
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  QString longer = "JA1ABCD";
  EXPECT_EQ(NumbersAndCalls(ListStationQsos(longer).rows), (L{"1 JA1ABCD"}));
}

TEST_F(StationList, AForeignCallKeepsItsAreaDesignatorButNotItsPortableSuffix) {
  QString call = "W1AW/P";
  EXPECT_EQ(NumbersAndCalls(ListStationQsos(call).rows), (L{"6 W1AW", "8 W1AW/P", "9 W1AW/QRP"}));
  EXPECT_EQ(call, "W1AW");
  QString area = "W1AW/4";
  EXPECT_EQ(NumbersAndCalls(ListStationQsos(area).rows), (L{"7 W1AW/4"}));
}

TEST_F(StationList, QslCheckModeListsOnlyCardsNotReceived) {
  LogWindowState.QslCheckMode = 1;
  QString call = "JA1ABC";
  const QsoList l = ListStationQsos(call);
  EXPECT_EQ(NumbersAndCalls(l.rows), (L{"3 JA1ABC", "5 JA1ABC/1/P", "10 JA1ABC"}));
  EXPECT_EQ(l.caption, QString::fromUtf8("JA1ABC局のＱＳＬ未ＣＦＭは 3枚　　ﾃﾞｰﾀ選択し「Insert」キーで受領ﾏｰｸ入ります"));
  AddQsos({{"JA2XYZ", "1001", "7.025", "CW", "J *"}});
  QString received = "JA2XYZ";
  EXPECT_EQ(ListStationQsos(received).notice, QString::fromUtf8("この局の未回収QSLはありません。"));
  QString unknown = "JA9QQQ";
  EXPECT_EQ(ListStationQsos(unknown).notice, QString::fromUtf8("この局の未回収QSLはありません。"));
}

TEST_F(StationList, AnUnknownStationIsAFirstQsoAndABusyLogIsLeftAlone) {
  QString unknown = "JA9QQQ";
  const QsoList l = ListStationQsos(unknown);
  EXPECT_EQ(l.outcome, QsoList::NoQso);
  EXPECT_EQ(l.notice, QString::fromUtf8("この局とは1st QSO です。"));
  ASSERT_EQ(HamlogOpenDb(), 0);
  QString call = "JA1ABC";
  EXPECT_EQ(ListStationQsos(call).outcome, QsoList::Busy);
  EXPECT_EQ(Hamlog.HamlogClosed, 0);  // the other operation keeps its log
  HamlogCloseDb(0);
  QString empty;
  EXPECT_EQ(ListStationQsos(empty).outcome, QsoList::NoQso);
  EXPECT_TRUE(boxes.texts().isEmpty());
  // Characters no call sign has: said, nothing searched.
  boxes.Answer(vbOK);
  QString odd = QString::fromUtf8("JA1あ");
  EXPECT_EQ(ListStationQsos(odd).outcome, QsoList::BadCall);
  EXPECT_EQ(boxes.texts(), QStringList{QString::fromUtf8("コールサインに使えない文字が含まれています。（JA1あ）")});
}

TEST_F(StationList, EachRowShowsItsOwnFlagsAndTheLastListedStayInTheSharedQslText) {
  // Record 4 ("JA1ABC/P", the last of the station in call order) carries the D and C flags (code 24).
  ChangeStoredField(4, 16, "24");
  QString call = "JA1ABC";
  QsoRules.QslFlagText = "  12";
  const QsoList l = ListStationQsos(call);
  QStringList flags;
  for (const QStringList& row : l.rows) flags << row[18];
  EXPECT_EQ(NumbersAndCalls(l.rows), (L{"2 JA1ABC/1", "3 JA1ABC", "4 JA1ABC/P", "5 JA1ABC/1/P", "10 JA1ABC"}));
  EXPECT_EQ(flags, (L{"    ", "    ", "DC  ", "    ", "    "}));  // imported QSOs carry flag code 0
  EXPECT_EQ(QsoRules.QslFlagText, "DC  ");
  // The area list has no flag column.
  EXPECT_EQ(ListAreaQsos("1001", kAllBands, "MIX").rows[0][18], "");
}

// A record marked deleted behind HAMLOG's back, the file's time kept to the nanosecond: the indexes
// still name it.
void MarkDeletedInFile(const QString& hdb, int32_t recNo) {
  const QByteArray path = QFile::encodeName(hdb);
  struct stat before {};
  ASSERT_EQ(::stat(path.constData(), &before), 0);
  {
    QFile f(hdb);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(545 + qint64(recNo - 1) * 809));
    ASSERT_EQ(f.write("*", 1), 1);
  }
  const struct timespec times[2] = {{0, UTIME_OMIT}, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
}

TEST_F(StationList, ARecordThatCannotBeReadIsLeftOutAndCountedInBothLists) {
  MarkDeletedInFile(dir + "/HAMLOG.HDB", 3);
  QString call = "JA1ABC";
  QsoList l = ListStationQsos(call);
  EXPECT_EQ(NumbersAndCalls(l.rows), (L{"2 JA1ABC/1", "4 JA1ABC/P", "5 JA1ABC/1/P", "10 JA1ABC"}));
  EXPECT_EQ(l.unreadable, 1);
  EXPECT_EQ(l.caption, QString::fromUtf8("JA1ABC局とのＱＳＯ  4回　（読めなかったデータ 1 件）"));
  l = ListAreaQsos("1001", kAllBands, "MIX");
  EXPECT_EQ(l.unreadable, 1);
  EXPECT_FALSE(NumbersAndCalls(l.rows).contains("3 JA1ABC"));
  EXPECT_TRUE(l.caption.endsWith(QString::fromUtf8("　（読めなかったデータ 1 件）"))) << qPrintable(l.caption);
  // Only that record: nothing else to list is still a first QSO, with the count.
  MarkDeletedInFile(dir + "/HAMLOG.HDB", 5);
  l = ListAreaQsos("1101", kAllBands, "MIX");
  EXPECT_EQ(l.outcome, QsoList::NoQso);
  EXPECT_EQ(l.notice, QString::fromUtf8("この地域とは1st QSO です。　（読めなかったデータ 1 件）"));
}

TEST_F(StationList, IndexesThatCannotBeBuiltAreNamedOnceAndTheListsReadTheLog) {
  for (const QString index : {"dx1", "dxc"})  // a folder in the index file's place
    ASSERT_TRUE(QFile::remove(dir + "/HAMLOG." + index) && QDir().mkdir(dir + "/HAMLOG." + index));
  boxes.Answer(vbOK).Answer(vbOK);
  for (int twice = 0; twice < 2; ++twice) {  // said once
    QString call = "JA1ABC";
    EXPECT_EQ(NumbersAndCalls(ListStationQsos(call).rows),
              (L{"2 JA1ABC/1", "3 JA1ABC", "4 JA1ABC/P", "5 JA1ABC/1/P", "10 JA1ABC"}));
    EXPECT_EQ(NumbersAndCalls(ListAreaQsos("1101", kAllBands, "MIX").rows), (L{"5 JA1ABC/1/P"}));
  }
  const QString why = QString::fromUtf8(
      "HAMLOG の索引ファイル %1/HAMLOG.%2 がないか古くなっていて、作り直せませんでした "
      "(同じ名前のフォルダーがあります)。\r\nQSOの一覧は HAMLOG.HDB を直接読んで作ります "
      "(時間がかかります)。\r\n原因を取り除くと、次に HAMLOG を開くときに索引を作り直します");
  EXPECT_EQ(boxes.texts(), (L{why.arg(dir, "dxc"), why.arg(dir, "dx1")}));
}

TEST(CallSigns, PortableSuffixesAndJapaneseDesignators) {
  for (const char* call : {"JA1ABC/P", "JA1ABC/3/P", "JA1ABC/JD1"})
    EXPECT_EQ(NormaliseCallSign(call, true), "JA1ABC") << call;
  for (const char* call : {"W1AW/R", "W1AW/MM", "W1AW/QRP"})
    EXPECT_EQ(NormaliseCallSign(call, false), "W1AW") << call;
  EXPECT_EQ(NormaliseCallSign("W1AW/4/P", false), "W1AW/4");
  EXPECT_EQ(NormaliseCallSign("W1AW/PX", false), "W1AW/PX");  // only a suffix at the end counts
  EXPECT_TRUE(IsJapaneseCall("7K1XYZ"));
  EXPECT_FALSE(IsJapaneseCall("KH6/JA1ABC"));
}

}  // namespace
