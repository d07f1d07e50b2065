// The DX code search and the station's local time: which entities a call's prefix finds in the code
// master, the longitude each gives, and the time of day that follows from it.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTimeZone>
#include <algorithm>

#include "logbook/DxCodeSearch.h"
#include "logbook/LocalTime.h"
#include "lookup/DxccTable.h"
#include "lookup/CodeListState.h"
#include "platform/clock.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/vbfile.h"
#include "support/cty_csv.h"
#include "support/logbook_log.h"
#include "support/qt_print.h"

namespace {

using hamlog::MasterEntry;

// The Japan clock at hh:mm.
void clockAt(int h, int m) {
  SetFixedClock(QDateTime(QDate(2024, 5, 6), QTime(h, m), QTimeZone(9 * 3600)));
}

class DxSearch : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    AddQsos({{"JA1AAA"}});
    auto dx = [](const char* code, const char* name, const char* head, const char* tail, int lon) {
      MasterEntry m{code, name, "3", head, tail};
      m.longitude = lon;
      return m;
    };
    WriteMaster({
        {"1001", QString::fromUtf8("東京23区"), "4", QString::fromUtf8("と"), "1"},  // 1
        dx("500A", "Japan", "JA", "", 135),                                          // 2
        dx("784A", "United States", "K", "", -90),                                   // 3
        dx("704A", "Hawaii", "KH", "6", -157),                                       // 4
        dx("705A", "*Kure Island", "KH", "7", -178),                                 // 5
        dx("706A", "Mariana Is.", "KH", "0", 146),                                   // 6
        dx("758A", "Russia (Asia)", "UA", "9", 90),                                  // 7
        dx("759A", "Russia (Europe)", "UA", "", 40),                                 // 8
        dx("732A", "Australia West", "VJ", "6", 115),                                // 9
        dx("733A", "Australia East", "VJ", "2", 151),                                // 10
        dx("732B", "Australia VK6", "VK", "6", 0),                                   // 11
        dx("732C", "Australia VK9", "VK", "9", 0),                                   // 12
        dx("732D", "Australia VK7", "VK", "7", 0),                                   // 13
        dx("732E", "Australia VK2", "VK", "2", 0),                                   // 14
        dx("708_", "Other placeholder", "ZL", "", 0),                                // 15
        dx("708A", "New Zealand", "ZL", "7", 175),                                   // 16
        dx("709A", "Chatham", "ZL", "8", -176),                                      // 17
        dx("710A", "Kermadec", "ZL", "9", -178),                                     // 18
    });
    clockAt(21, 0);  // 12:00 UTC
  }
  QStringList codes(const DxCodeSearchResult& r) {
    QStringList out;
    for (const DxEntityRow& row : r.rows) out << row.code;
    return out;
  }
};

TEST_F(DxSearch, OneEntitySetsTheLongitudeAndTheLocalTimeAtOnce) {
  QString caption;
  LocalTime.ShowLocalTime = [&](const QString& c) { caption = c; };
  const DxCodeSearchResult r = SearchDxCode(" KH6XX ");
  ASSERT_EQ(r.outcome, DxCodeSearchResult::Found);
  ASSERT_EQ(codes(r), QStringList{"704A"});
  EXPECT_EQ(r.rows[0].name, "Hawaii");
  EXPECT_EQ(r.rows[0].head, "KH");
  EXPECT_EQ(r.rows[0].tail, "6");
  EXPECT_EQ(r.rows[0].side, QString::fromUtf8("西経"));
  EXPECT_EQ(CodeListShared.LocalLongitude, 157);
  EXPECT_EQ(CodeListShared.LocalTimeText, "02:00");  // 12:00 UTC less 10 hours
  EXPECT_EQ(caption, "Local Time(Abt)=> 02:00");
}

TEST_F(DxSearch, AShortPrefixListsEveryLaterEntityThatBeginsLikeIt) {
  // "ZL1ABC": "3ZL1" and "3ZL" miss, "3Z" hits the placeholder, which stands for 708A.
  const DxCodeSearchResult r = SearchDxCode("ZL1ABC");
  EXPECT_EQ(codes(r), (QStringList{"708A", "709A", "710A"}));
  EXPECT_EQ(CodeListShared.LocalTimeText, "");  // several: the operator picks first
}

TEST_F(DxSearch, AnAbolishedEntityHandsOnWithinItsPrefixOnly) {
  const DxCodeSearchResult r = SearchDxCode("KH7K");
  EXPECT_EQ(r.outcome, DxCodeSearchResult::NotFound);
  EXPECT_EQ(boxes.texts(), QStringList{QString::fromUtf8("このﾌﾟﾘﾌｨｯｸｽはﾏｽﾀﾃﾞｰﾀに存在しません")});
  EXPECT_EQ(boxes.shown()[0].title, QString::fromUtf8("DX Code検索"));
  EXPECT_EQ(boxes.shown()[0].timeoutSeconds, 1);
}

TEST_F(DxSearch, AMasterCutShortOrGoneIsNamedNotTakenForAPrefixItLacks) {
  const QString mst = hamlogdb::MasterPath(dir);
  QByteArray whole;
  ASSERT_TRUE(ReadWholeFile(mst, whole));
  ASSERT_TRUE(AtomicWriteFile(mst, whole.left(whole.size() - 56 * 3)));
  boxes.Answer(vbOK);
  EXPECT_EQ(SearchDxCode("ZL8AA").outcome, DxCodeSearchResult::NotFound);
  EXPECT_EQ(boxes.texts().value(0), QString::fromUtf8("ﾌﾟﾘﾌｨｯｸｽを調べられません\r\n") + mst +
                                        QString::fromUtf8(" (HAMLOG のコードマスタ) が途中で切れているか壊れています"));
  ASSERT_TRUE(QFile::remove(mst));
  boxes.Answer(vbOK);
  EXPECT_EQ(SearchDxCode("KH6XX").outcome, DxCodeSearchResult::NotFound);
  EXPECT_EQ(boxes.texts().value(1),
            QString::fromUtf8("ﾌﾟﾘﾌｨｯｸｽを調べられません\r\n") + mst + QString::fromUtf8(" (HAMLOG のコードマスタ) がありません"));
}

TEST_F(DxSearch, NoPrefixJapanAndAnEmptyCall) {
  EXPECT_EQ(SearchDxCode("QQ1A").outcome, DxCodeSearchResult::NotFound);
  EXPECT_EQ(SearchDxCode("JA1ABC").outcome, DxCodeSearchResult::Silent);
  EXPECT_EQ(SearchDxCode("  ").outcome, DxCodeSearchResult::Silent);
  EXPECT_EQ(boxes.texts().size(), 1);
}

TEST_F(DxSearch, APrefixOperatedUnderWinsOverTheHomeCall) {
  // Two characters or more after the "/" are searched; a single area digit moves the home call there.
  EXPECT_EQ(codes(SearchDxCode("JA1ABC/KH6")), QStringList{"704A"});
  EXPECT_EQ(codes(SearchDxCode("UA3XX/9")), QStringList{"758A"});
}

TEST_F(DxSearch, RussianAndAmericanLongitudesComeFromTheLowestDigitOfTheCall) {
  // "UA9" finds 758A; of the digits 5 and 9 the lower decides.
  SearchDxCode("UA9AB5");
  EXPECT_EQ(LocalTime.LongitudeOverrideSet, 1);
  EXPECT_EQ(LocalTime.LongitudeOverride, 105);  // digit 5 (0 is not tried for 758)
  SearchDxCode("UA9AA");
  EXPECT_EQ(LocalTime.LongitudeOverride, 75);
  SearchDxCode("K7ABC2");
  EXPECT_EQ(LocalTime.LongitudeOverride, 77);  // digit 2 before 7
  SearchDxCode("KH6XX");
  EXPECT_EQ(LocalTime.LongitudeOverrideSet, 0);  // cleared by every search
}

TEST_F(DxSearch, AustralianRecordsChooseByTheThirdCharacter) {
  // Records coded 732 stand for one of two entities by the third character of the key.
  EXPECT_EQ(codes(SearchDxCode("VK9XX")).value(0), "732A");
  EXPECT_EQ(codes(SearchDxCode("VK6XX")).value(0), "733A");
  EXPECT_EQ(codes(SearchDxCode("VK2XX")).value(0), "732E");  // 2: the record found stays
  EXPECT_EQ(SearchDxCode("VK7XX").outcome, DxCodeSearchResult::NotFound);
}

TEST_F(DxSearch, TheShippedMasterAndTableGiveTheEntityCtyCsvGivesFirstAndAgreeWithTheSheet) {
  // The master and its prefix list as scripts/run loads them, and the DXCC table of the program folder.
  ASSERT_TRUE(hamlogdb::LoadMaster(dir, ORBEX_DATA_DIR "/master.csv", ORBEX_DATA_DIR "/dx_prefixes.csv").Ok());
  ASSERT_TRUE(QFile::copy(ORBEX_DATA_DIR "/home/CodeLib.txt", home.file("CodeLib.txt")));
  const CtyCsv cty;
  const auto& entities = cty.Entities();
  ASSERT_GT(entities.size(), 300u) << "cty.csv of the package hamradio-files";
  // Found: the entity in the first row; a Japanese call is left to the code of its city without a
  // word. The sheet's call box jumps to the code of the same entity.
  QStringList disagree;
  const auto first = [&](const CtyCall& c) {
    const DxCodeSearchResult r = SearchDxCode(c.call);
    const std::vector<int32_t> sheet = DxccEntitiesOfCall(c.call).ids;
    const QString entry = r.rows.empty() ? QString() : r.rows[0].code;
    if (entry != (sheet.empty() ? QString() : DxccTable.DxccEntityTable[sheet[0]].HLcode)) disagree << c.call;
    if (r.outcome == DxCodeSearchResult::Silent) return entities[c.entity].main == "JA";
    return !r.rows.empty() && r.rows[0].name == entities[c.entity].name.left(28);
  };
  EXPECT_GE(FoundPerMille(cty, "The entry window", first), 990);
  EXPECT_EQ(FoundPerMille(cty, "The entry window (whole calls)", first, WholeCallsOfTheirPrefix(cty)), 1000);
  EXPECT_EQ(FoundPerMille(cty, "The entry window (past whole calls)", first, CallsPastWholeCalls(cty)), 1000);
  EXPECT_EQ(FoundPerMille(cty, "The entry window (whole calls past their prefix)", first, WholeCallsPastTheirPrefix(cty)),
            1000);
  EXPECT_EQ(FoundPerMille(cty, "The entry window (calls moved onto whole calls)", first, CallsMovedOntoWholeCalls(cty)),
            1000);
  EXPECT_EQ(disagree, QStringList());

  // A list only where the call cannot tell (the calls it decides: tests/forms, DxCodeWindow).
  const DxCodeSearchResult vk9 = SearchDxCode("VK9");
  ASSERT_GT(vk9.rows.size(), 1u);
  EXPECT_EQ(vk9.rows[0].name, "Norfolk Island");
  EXPECT_EQ(SearchDxCode("DL1ABC/MM").outcome, DxCodeSearchResult::NoEntity);
  EXPECT_EQ(SearchDxCode("DL1ABC/AM").outcome, DxCodeSearchResult::NoEntity);
}

TEST(LocalTimeRule, OneHourPerFullFifteenDegrees) {
  LocalTime = {};
  CodeListShared = {};
  const auto at = [](int degrees, const char* side) {
    CodeListShared.LocalLongitude = degrees;
    CodeListShared.LocalLongitudeSide = QString::fromUtf8(side);
    CalcLocalTimeGreeting();
    return CodeListShared.LocalTimeText;
  };
  clockAt(21, 0);  // 12:00 UTC
  EXPECT_EQ(at(135, "東経"), "21:00");
  EXPECT_EQ(at(0, "東経"), "12:00");
  EXPECT_EQ(at(75, "西経"), "07:00");
  EXPECT_EQ(at(7, "西経"), "12:00");    // toward zero
  EXPECT_EQ(at(29, ""), "13:00");       // no side counts as east
  EXPECT_EQ(at(181, "西経"), "00:00");  // either side of 180 degrees: 12 hours
  EXPECT_EQ(at(180, "東経"), "00:00");
  EXPECT_EQ(at(182, "西経"), "21:00");  // out of range: 135 east
  EXPECT_EQ(CodeListShared.LocalLongitudeSide, QString::fromUtf8("東経"));
  clockAt(11, 30);  // 02:30 UTC
  EXPECT_EQ(at(75, "西経"), "21:30");
  clockAt(5, 0);  // 20:00 UTC the day before
  EXPECT_EQ(at(135, "東経"), "05:00");
  // A digit override outlives the pick of another longitude.
  LocalTime.LongitudeOverride = 120;
  LocalTime.LongitudeOverrideSet = 1;
  EXPECT_EQ(at(30, "東経"), "04:00");
  ResetClock();
  LocalTime = {};
  CodeListShared = {};
}

}  // namespace
