// The entry window's checks: the save's messages in their order, the call area against the code's
// prefecture, the date and time forms, the JST/UTC switch, the call area of the code searches.
#include <gtest/gtest.h>

#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "logbook/QsoDraft.h"
#include "logbook/QsoEntry.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/temp_home.h"

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

QsoEntry valid() {
  QsoEntry e;
  e.call = "JA1ABC", e.date = "2024-05-06", e.time = "21:05J";
  e.freq = "7.025", e.mode = "CW", e.code = "1001";
  return e;
}

// The save's message for a valid entry with one field changed.
QString messageWith(QString QsoEntry::*field, const char* text) {
  QsoEntry e = valid();
  e.*field = u8(text);
  return EntryCheckMessage(CheckEntry(e));
}

class EntryChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSharedState();
    Settings.DataFolder = home.path();
  }
  TempHome home;
};

TEST_F(EntryChecks, TheFirstMissingOrWrongFieldNamesTheMessage) {
  EXPECT_EQ(CheckEntry(valid()), EntryCheck::Ok);
  QsoEntry e = valid();
  e.call.clear();
  e.freq.clear();
  EXPECT_EQ(EntryCheckMessage(CheckEntry(e)), u8("CALL DATA がありません"));
  EXPECT_EQ(messageWith(&QsoEntry::freq, ""), u8("Band DATA がありません"));
  EXPECT_EQ(messageWith(&QsoEntry::freq, "7.02521.1"), u8("Band DATA がありません"));  // no number at all
  EXPECT_EQ(messageWith(&QsoEntry::freq, "99999.9"), u8("この周波数は正常ではありません"));
  EXPECT_EQ(messageWith(&QsoEntry::mode, ""), u8("Mode データがありません"));
  EXPECT_EQ(messageWith(&QsoEntry::code, "A123"), u8("Code欄の値が変です"));
  EXPECT_EQ(messageWith(&QsoEntry::date, "2024-02-30"), u8("不正な日付です"));
  EXPECT_EQ(messageWith(&QsoEntry::time, "25:61J"), u8("不正な時刻です"));
  e = valid();
  e.time = "21:05";  // no zone: not HAMLOG's form
  EXPECT_EQ(CheckEntry(e), EntryCheck::BadTime);
}

TEST_F(EntryChecks, AFrequencyWithoutBandIsReported) {
  QsoEntry e = valid();
  e.freq = "8.5";
  EXPECT_EQ(CheckEntry(e), EntryCheck::BadFreq);
  EXPECT_EQ(QsoRules.FreqErrorFound, 1);
  e.freq = "145/435";
  EXPECT_EQ(CheckEntry(e), EntryCheck::Ok);
}

TEST_F(EntryChecks, CallAreaAgainstTheCodesPrefecture) {
  EXPECT_FALSE(CheckCallArea("JA1ABC/3", "2501").mismatch);
  AreaCheck a = CheckCallArea("JA1ABC/3", "1001");
  EXPECT_TRUE(a.mismatch);
  EXPECT_EQ(a.area, "3");
  EXPECT_EQ(a.prefecture, 10);
  EXPECT_EQ(AreaMismatchQuestion(a),
            u8("QTHcode =10 と、局の（移動）エリア=3 が一致しません\r\nこのまま登録しますか？"));
  EXPECT_FALSE(CheckCallArea("7K3XYZ", "1001").mismatch);  // 7K is area 1
  EXPECT_TRUE(CheckCallArea("7K3XYZ", "2501").mismatch);
  EXPECT_FALSE(CheckCallArea("JA8ABC", "0101").mismatch);
  EXPECT_FALSE(CheckCallArea("JA1ABC/QRP", "1001").mismatch);
  EXPECT_EQ(CheckCallArea("JA1ABC/QRP", "2501").area, "1");
  EXPECT_TRUE(CheckCallArea("JA7ABC", "0801").mismatch);
  EXPECT_FALSE(CheckCallArea("JA0ABC", "0801").mismatch);
  // Not tested: DX calls, short codes, a letter after the "/".
  EXPECT_FALSE(CheckCallArea("W1AW", "2501").mismatch);
  EXPECT_FALSE(CheckCallArea("JA1ABC", "250").mismatch);
  EXPECT_FALSE(CheckCallArea("JA1ABC/P", "2501").mismatch);
  // A prefecture that is no number cannot be checked: the save stops.
  EXPECT_TRUE(CheckCallArea("JA1ABC", "1A23").unformable);
  EXPECT_FALSE(CheckCallArea("W1AW", "1A23").unformable);
}

TEST(EntryDates, CompactFormsBecomeTheFieldsFormAndImpossibleDatesAreRefused) {
  for (const char* date : {"2024-05-06", "20240506", "240506", "2024/05/06"})
    EXPECT_EQ(NormalisedDate(date), u8("2024-05-06")) << date;
  EXPECT_EQ(NormalisedDate("2024-02-29"), u8("2024-02-29"));
  for (const char* bad : {"2026-02-30", "2023-02-29", "20241301", "2024-5-6", "", "ABCDEF", "2024-05-06X", "2035-01-01"})
    EXPECT_EQ(NormalisedDate(u8(bad)), std::nullopt) << bad;
  EXPECT_EQ(TypedDate("2405-06-02", "240506"), u8("2024-05-06"));  // six digits typed over it from a click
  EXPECT_EQ(TypedDate("2023-01-02", "2023"), u8("2023-01-02"));
  EXPECT_EQ(HamlogDateText("2024-05-06"), "24/05/06");
  EXPECT_EQ(EntryDateText("24/05/06"), "2024-05-06");
  EXPECT_EQ(EntryDateText("99/12/31"), "1999-12-31");
}

TEST(EntryTimes, CompactFormsTakeTheColonAndZoneAndImpossibleTimesAreRefused) {
  EXPECT_EQ(NormalisedTime("21:05J"), u8("21:05J"));
  EXPECT_EQ(NormalisedTime("2105"), u8("21:05J"));
  EXPECT_EQ(NormalisedTime("2105", 'U'), u8("21:05U"));
  EXPECT_EQ(NormalisedTime("0930U"), u8("09:30U"));
  EXPECT_EQ(NormalisedTime("09:30"), u8("09:30J"));
  for (const char* bad : {"25:61J", "24:00J", "12:60", "1:05J", "", "AB:CDJ", "210"})
    EXPECT_EQ(NormalisedTime(u8(bad)), std::nullopt) << bad;
}

TEST(EntryTimes, StoredTimesSwitchZoneAcrossMidnight) {
  using P = std::pair<QString, QString>;
  EXPECT_EQ(SwitchZone("2024-01-01", "23:30U"), (P{"2024-01-02", "08:30J"}));
  EXPECT_EQ(SwitchZone("2024-01-01", "05:00J"), (P{"2023-12-31", "20:00U"}));
  EXPECT_EQ(SwitchZone("2024-01-01", "12:00J"), (P{"2024-01-01", "03:00U"}));
  EXPECT_EQ(SwitchZone("garbage", "12:00J"), std::nullopt);
}

TEST(EntryCallArea, SmallestDigitOfThePortablePartOr7KAsArea1) {
  ResetSharedState();
  EXPECT_EQ(CallAreaOf("JA1ABC/3").digit, "3");
  EXPECT_EQ(CallAreaOf("7K1XYZ").digit, "1");
  EXPECT_EQ(CallAreaOf("JR6ABC").digit, "6");
  const CallArea none = CallAreaOf("");
  EXPECT_EQ(none.digit, u8("全"));
  EXPECT_EQ(none.pos, 0);
  EXPECT_EQ(CallAreaOf("ABCDEF").digit, u8("全"));
}

TEST(EntryCodeField, DxFlagFromTheCodesNumberAndPicksOfTheFrequencyList) {
  EXPECT_EQ(DxFlagOfCode("500A"), true);
  EXPECT_EQ(DxFlagOfCode("4999"), false);
  EXPECT_EQ(DxFlagOfCode("499"), false);
  EXPECT_EQ(DxFlagOfCode("ABC"), std::nullopt);
  EXPECT_EQ(DxFlagOfCode(""), std::nullopt);
  EXPECT_EQ(FreqOfPick("10G"), "*10");
  EXPECT_EQ(FreqOfPick("77G"), "*77");
  EXPECT_EQ(FreqOfPick("145/435"), "145/435");
  EXPECT_EQ(FreqOfPick("0.135"), "0.135");
  EXPECT_EQ(StoredFreq("10G"), u8("*10"));  // typed: a band from 10 GHz up as the pick list gives it
  for (const char* bad : {"2.4G", "7.02521.1", "10GG"}) EXPECT_EQ(StoredFreq(bad), std::nullopt) << bad;
}

// The saved station's details go only with its call, nothing typed for a QSO abandoned comes along, a
// look-up fills what was not typed and never empties a stored QSO.
TEST(EntryDraft, WhatASaveStoresComesWithWhereItCameFrom) {
  QsoEntry saved = valid();
  saved.name = "Taro", saved.remarks1 = "r1", saved.remarks2 = "r2", saved.dFlag = true;
  QsoDraft d;
  d.Saved(saved);
  const auto kept = [&d] {
    const QsoEntry e = d.Entry();
    return e.code + e.name + e.qth + e.remarks1 + e.remarks2 + (e.dFlag ? "D" : "");
  };
  for (const char* call : {"JA1ABC/3/P", "KH6/JA1ABC", "JA1AB", "JA1XYZ"}) {
    d.StartNew(QsoEntry{});
    d.Type(QsoBox::Call, call);
    EXPECT_EQ(kept(), QString(call).contains("ABC") ? "1001Taror1D" : "") << call;
  }
  d.Type(QsoBox::Name, "Other");
  d.Type(QsoBox::Call, "JA1ABC");
  EXPECT_EQ(kept(), "1001Otherr1D");
  d.StartNew(QsoEntry{});
  EXPECT_EQ(d.Text(QsoBox::Name), "Taro");
  const auto lookUpFor = [&d](const char* call) { d.Type(QsoBox::Call, call), d.LookUpFor(call); };
  lookUpFor("W1AW");
  EXPECT_TRUE(d.LookUp(QsoBox::Code, "601A"));
  d.Type(QsoBox::Qth, "Newington");
  EXPECT_EQ(kept(), "601ANewingtonD");
  lookUpFor("W1AX");
  EXPECT_FALSE(d.LookUp(QsoBox::Qth, "Tokyo"));
  EXPECT_EQ(kept(), "Newington");
  d.EditStored(saved);
  lookUpFor("JA1ABX");
  EXPECT_FALSE(d.LookUp(QsoBox::Code, ""));
  EXPECT_EQ(kept(), "1001Taror1r2D");
}

}  // namespace
