#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>

#include "core/QsoRules.h"
#include "lookup/DxccTable.h"
#include "platform/resources.h"
#include "platform/codepage.h"
#include "platform/ui/responders.h"
#include "support/cty_csv.h"
#include "support/qt_print.h"
#include "support/temp_home.h"

namespace {

class DxccTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DxccTable = {};
    SetDxccHitsListener([this](int32_t n) { shown.push_back(n); });
  }
  void TearDown() override { SetDxccHitsListener(nullptr); }

  // A string library of the given lines ("id<TAB>text").
  void Library(const QStringList& lines) { home.write("CodeLib.txt", ToAnsi(lines.join("\r\n") + "\r\n")); }

  QStringList Prefixes() const {
    QStringList out;
    for (int32_t id : DxccTable.DxccHitList) out << DxccTable.DxccEntityTable[id].Prefix;
    return out;
  }

  TempHome home;
  std::vector<int32_t> shown;
};

const QStringList kSmall = {"100\t7",
                            "101\tJA;JE;7J,Japan,AS,45,25,339,500A",
                            "102\tVK9C,Cocos (Keeling) Islands,OC,54,29,038,520A",
                            "103\tVK9L;VK9M,Lord Howe;Mellish,OC,60,30,147,521A",
                            "104\tVK9X,Christmas Island,OC,54,29,35,522A",
                            "105\t,Conway Reef,OC,56,32,489,523A",
                            "106\tUA9;UA0,Asiatic Russia,AS,20-26;30-35,16-19,15,732A",
                            "107\tKH6,Hawaii,OC,61;63,31,110,601A"};

TEST_F(DxccTableTest, TheShippedLibraryLoadsEveryEntity) {
  QFile::copy(ORBEX_DATA_DIR "/home/CodeLib.txt", home.file("CodeLib.txt"));
  // An entity whose prefixes do not fit one line takes more: every line loads, and the 340 entities
  // are all there.
  const int32_t next = LoadDXCCTable();
  EXPECT_EQ(next, 101 + DxccTable.DxccEntityCount);
  QSet<QString> codes;
  for (int32_t id = 101; id < 101 + DxccTable.DxccEntityCount; ++id)
    codes << DxccTable.DxccEntityTable[id].HLcode;
  EXPECT_EQ(codes.size(), 340);
  const DxccEntity& japan = DxccTable.DxccEntityTable[101];
  EXPECT_EQ(japan.Entity, "Japan");
  EXPECT_EQ(japan.HLcode, "500A");
  EXPECT_TRUE(japan.Prefix.split(',').contains("JA"));
  QString code = "500A";
  EXPECT_EQ(DXCCCodeSearch(code, 101, 6), "339");
}

TEST_F(DxccTableTest, TheShippedTableFindsTheEntityCtyCsvGivesForTheCallsOfEveryPrefixAndItsWholeCalls) {
  const CtyCsv cty;
  const auto& entities = cty.Entities();
  ASSERT_GT(entities.size(), 300u) << "cty.csv of the package hamradio-files";
  ASSERT_TRUE(QFile::copy(ORBEX_DATA_DIR "/home/CodeLib.txt", home.file("CodeLib.txt")));
  ASSERT_GT(LoadDXCCTable(), 0);
  // What the progress sheet does with a typed call: the first hit; a Japanese call is left to its city.
  const auto dxcc = [&](int entity) { return QStringLiteral("%1").arg(entities[entity].adif, 3, 10, QLatin1Char('0')); };
  const auto found = [&](const QString& call) {
    const DxccCallEntities f = DxccEntitiesOfCall(call);
    return f.japanese ? QStringLiteral("Japan")
                      : f.ids.empty() ? QString() : DxccTable.DxccEntityTable[f.ids.front()].DXCC;
  };
  QStringList mainsMissed;
  const auto right = [&](const CtyCall& c) {
    const bool ok = found(c.call) == (entities[c.entity].main == "JA" ? "Japan" : dxcc(c.entity));
    if (!ok && c.call.endsWith("/JA1ABC")) mainsMissed << c.call;
    return ok;
  };
  EXPECT_GE(FoundPerMille(cty, "The sheet's call box", right), 990);
  EXPECT_EQ(mainsMissed, QStringList()) << "every entity is found by its main prefix";
  EXPECT_EQ(FoundPerMille(cty, "The sheet's whole calls", right, WholeCallsOfTheirPrefix(cty)), 1000);
  EXPECT_EQ(FoundPerMille(cty, "The sheet's calls past whole calls", right, CallsPastWholeCalls(cty)), 1000);
  EXPECT_EQ(FoundPerMille(cty, "The sheet's whole calls past their prefix", right, WholeCallsPastTheirPrefix(cty)), 1000);
  std::vector<CtyCall> moved = CallsMovedOntoWholeCalls(cty);
  for (const QString call : {"TX4A/5", "NH7S/8", "4U0ITU/1", "4U1WRC/2", "OR3AX/4", "TX5A/3"})
    moved.push_back({call, cty.Head(DxKeyOfCall(call).key)});
  EXPECT_EQ(FoundPerMille(cty, "The sheet's calls moved onto whole calls", right, moved), 1000);
  // Entities whose calls begin alike: Asiatic and European Russia (Perm and Komi count European),
  // Kaliningrad, the islands of Fiji, and a base in Antarctica under a United States call.
  for (const QString call :
       {"RX9ABC", "RV0A", "UB9AA", "RD0AB", "UA9FAA", "UA9GA", "UA9XA", "R9FAB", "RA9XA", "RW2FA", "RV2FAB",
        "RZ2FA", "RA3AA", "RW6HS", "3D2AB", "3D2C", "3D2R", "KC4AAA", "KC4ABC", "9V0AB", "E51MQ", "D8ABC",
        "AH2AV", "AH2O", "KH2BD", "KH2TJ", "NH2JE", "KH9AE", "NH6BD/4", "WH6FAM/3"})
    EXPECT_EQ(found(call), dxcc(cty.Call(call))) << call.toStdString();
}

TEST_F(DxccTableTest, CallsAsOperatorsWriteThemFindTheirEntityFirstAndListOnlyWhatTheCallLeavesOpen) {
  ASSERT_TRUE(QFile::copy(ORBEX_DATA_DIR "/home/CodeLib.txt", home.file("CodeLib.txt")));
  ASSERT_GT(LoadDXCCTable(), 0);
  const auto names = [](const QString& call) {
    QStringList out;
    for (int32_t id : DxccEntitiesOfCall(call).ids) out << DxccTable.DxccEntityTable[id].Entity;
    return out.join(" | ");
  };
  // Area digits, ways of operating, a country's letter in front or behind, letters no country holds whole.
  for (const auto& [entity, calls] : std::initializer_list<std::pair<QString, QString>>{
           {"United States", "W1ABC/6 K6ABC/7 W1ABC/B W/JA1ABC"}, {"Asiatic Russia", "UA3ABC/9 UA9ABC/P"},
           {"Canada", "VE3ABC/1"}, {"Fed. Rep. of Germany", "DL1ABC/2 DL1ABC/A DL1ABC/P DL1ABC/QRP"},
           {"Argentina", "LU1ABC/D LU1ABC"}, {"Canary Islands", "EA8/DL1ABC/P"}, {"Norway", "LA1ABC/LH"},
           {"Spain", "EA1ABC/LGT"}, {"France", "F/JA1ABC JA1ABC/F"}, {"England", "G/JA1ABC JA1ABC/G"},
           {"Italy", "I/JA1ABC"}, {"Hawaii", "JA1ABC/KH6 KH6ABC"}, {"Antarctica", "LU1ZZ FT0YAB FT8YA"},
           {"Falkland Islands", "VP8ABC"}, {"South Shetland Islands", "CE9AB"}, {"Alaska", "KL7ABC"},
           {"Puerto Rico", "KP4ABC WP4ABC"}, {"US Virgin Islands", "KP2AB NP2AB"}, {"Mellish Reef", "AX9MA VI9MA"},
           {"Christmas Island", "AX9XA VI9XA VZ9XA"}, {"Mount Athos", "SY2A SY2A/P"}, {"Greece", "SY2APF"},
           {"Fiji", "3D2RW 3D2CJ"}, {"European Russia", "UA6IC/6/FF RZ7G/6/FF UA9KBF/4/N UA1PAC/1/ANT"}})
    for (const QString& call : calls.split(' ')) EXPECT_EQ(names(call), entity) << call.toStdString();
  // A key too short to tell lists the entities it may still become, the one it already is first.
  EXPECT_TRUE(names("VK9").startsWith("Norfolk Island | ") && names("VK9").contains("Mellish Reef"))
      << names("VK9").toStdString();
  // Aeronautical and maritime mobile stations are in no entity; Japan is left to the city's code.
  for (const QString call : {"DL1ABC/AM", "DL1ABC/MM", "JA1ABC/MM"}) {
    EXPECT_TRUE(DxccEntitiesOfCall(call).noEntity) << call.toStdString();
    EXPECT_FALSE(DXCCLookUpCall(call));
  }
  EXPECT_TRUE(DxccEntitiesOfCall("JA1ABC/P").japanese);
  EXPECT_TRUE(DxccEntitiesOfCall("JA1ABC/3").ids.empty());
  EXPECT_EQ(shown, std::vector<int32_t>(3, 0)) << "no candidates";
}

TEST_F(DxccTableTest, FieldsAreStoredInTheTablesForm) {
  Library(kSmall);
  EXPECT_EQ(LoadDXCCTable(), 108);
  const DxccEntity& r = DxccTable.DxccEntityTable[103];
  EXPECT_EQ(r.Prefix, "VK9L,VK9M");
  EXPECT_EQ(r.Entity, "Lord HoweMellish");
  EXPECT_EQ(r.DXCC, "147");
  EXPECT_EQ(DxccTable.DxccEntityTable[104].DXCC, "035");
  EXPECT_EQ(DxccTable.DxccEntityTable[106].ITU, "20-26,30-35");
  EXPECT_EQ(DxccTable.DxccEntityTable[107].ITU, "61,63");
}

TEST_F(DxccTableTest, APrefixSearchListsEachEntityOnceAndHandsTheHitsOn) {
  Library(kSmall);
  LoadDXCCTable();
  QString key = "vk9";
  EXPECT_EQ(DXCCCodeSearch(key, 101, 0), "Hit!");
  EXPECT_EQ(Prefixes(), QStringList({"VK9C", "VK9L,VK9M", "VK9X"}));
  key = "VK9L";
  DXCCCodeSearch(key, 101, 0);
  EXPECT_EQ(DxccTable.DxccHitCount, 1);
  key = "J";  // the common first letter of two prefixes of one entity: one hit
  DXCCCodeSearch(key, 101, 0);
  EXPECT_EQ(DxccTable.DxccHitList, std::vector<int32_t>({101}));
  EXPECT_EQ(shown, std::vector<int32_t>({3, 1, 1}));

  key = "ZZ";
  EXPECT_EQ(DXCCCodeSearch(key, 101, 0), "");
  EXPECT_EQ(DxccTable.DxccHitCount, 0);
  EXPECT_EQ(shown.size(), 3u);  // no hits: the list is not touched
  key = "";                      // the entity without a prefix is never listed
  DXCCCodeSearch(key, 101, 0);
  EXPECT_EQ(DxccTable.DxccHitCount, 6);
}

TEST_F(DxccTableTest, TheOtherSearchesFindTheirField) {
  Library(kSmall);
  LoadDXCCTable();
  QString key = "island";
  DXCCCodeSearch(key, 101, 1);
  EXPECT_EQ(DxccTable.DxccHitList, std::vector<int32_t>({102, 104}));
  key = "oc";
  DXCCCodeSearch(key, 103, 2);  // from a later start id
  EXPECT_EQ(DxccTable.DxccHitList, std::vector<int32_t>({103, 104, 105, 107}));
  key = "63";
  DXCCCodeSearch(key, 101, 3);
  EXPECT_EQ(DxccTable.DxccHitList, std::vector<int32_t>({107}));
  key = "1";
  EXPECT_EQ(DXCCCodeSearch(key, 101, 5), "");  // numbers are three digits
  key = "038";
  DXCCCodeSearch(key, 101, 5);
  EXPECT_EQ(DxccTable.DxccHitList, std::vector<int32_t>({102}));
  key = "522a";
  EXPECT_EQ(DXCCCodeSearch(key, 101, 6), "035");
  key = "999A";
  EXPECT_EQ(DXCCCodeSearch(key, 101, 6), "unKnown");
  EXPECT_TRUE(shown.empty());  // only prefix searches are listed

  key = "JA";
  EXPECT_EQ(DXCCCodeSearch(key, 101, 7), "");
  EXPECT_EQ(DxccTable.DxccHitCount, 0);
  EXPECT_EQ(DXCCCodeSearch(key, 0, 0), "");
}

TEST_F(DxccTableTest, AZoneInsideARangeAlsoFindsTheRange) {
  Library(kSmall);
  LoadDXCCTable();
  QString key = "22";
  DXCCCodeSearch(key, 101, 3);
  EXPECT_EQ(key, "20-26");
  EXPECT_EQ(DxccTable.DxccHitList, std::vector<int32_t>({106}));
  key = "17";
  DXCCCodeSearch(key, 101, 4);
  EXPECT_EQ(key, "16-19");
  EXPECT_EQ(DxccTable.DxccHitCount, 1);
  key = "29";  // no range: the key stays
  DXCCCodeSearch(key, 101, 4);
  EXPECT_EQ(key, "29");
  EXPECT_EQ(DxccTable.DxccHitList, std::vector<int32_t>({102, 104}));
}

TEST_F(DxccTableTest, AMalformedLibraryLoadsWhatItCanAndSaysSo) {
  Library({"100\t4", "101\tJA,Japan,AS,45,25,339,500A", "102\tVK9C,Cocos,OC,54,29,038",
           "103\tKH6,Hawaii,OC,61,31,110,601A", "104\tA,B,C,D,E,F,G,H"});
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(LoadDXCCTable(), -1);
  EXPECT_EQ(boxes.texts(), QStringList({home.file("CodeLib.txt") +
                                        " に誤りがあります。\r\n2 件（102,104 番）は 7 項目のデータになっていないため"
                                        "読み飛ばしました。\r\nDX の表は読めた 2 件で作りました。"}));
  // The ids after the last good one and the skipped ones are never searched.
  QString key = "";
  DXCCCodeSearch(key, 101, 5);
  EXPECT_EQ(DxccTable.DxccHitCount, 0);
  key = "KH6";
  DXCCCodeSearch(key, 101, 0);
  EXPECT_EQ(DxccTable.DxccHitList, std::vector<int32_t>({103}));
}

TEST_F(DxccTableTest, ACountLineThatIsNoCountIsToldAndOneBeyondTheLinesThereIsBoundedByThem) {
  EXPECT_EQ(LoadDXCCTable(), 0);  // no library at all: said without a box
  QString key = "JA";
  EXPECT_EQ(DXCCCodeSearch(key, 101, 0), "");
  EXPECT_EQ(DxccTable.Missing, "CodeLib.txt がありません（DX の表は空です）");
  ASSERT_TRUE(QDir(home.path()).mkdir("CodeLib.txt"));
  EXPECT_EQ(LoadDXCCTable(), 0);
  EXPECT_EQ(DxccTable.Missing, "CodeLib.txt がフォルダーです（DX の表は空です）");
  ASSERT_TRUE(QDir(home.path()).rmdir("CodeLib.txt"));

  MsgBoxResponder boxes;
  const QString wrong = home.file("CodeLib.txt") + " に誤りがあります。\r\n100 番の件数";
  QStringList beyond = kSmall;
  beyond[0] = "100\t2147483600";
  for (const auto& [lines, loaded, message] : std::initializer_list<std::tuple<QStringList, int, QString>>{
           {{"100\tmany"}, 0, wrong + "「many」が数ではありません。\r\nDX の表は作りませんでした。"},
           {{"100\t0"}, -1, ResourceFilePath("CodeLib") + " の 100 番の件数が 0 です（DXCC の表を作れません）。\r\nプログラムに付いてきた CodeLib.txt に戻して下さい。"},
           {beyond, -1, wrong + "は 2147483600 ですが、データは 7 件分しかありません。\r\nDX の表は読めた 7 件で作りました。"}}) {
    Library(lines);
    boxes.Answer(vbOK);
    EXPECT_EQ(LoadDXCCTable(), loaded);
    EXPECT_EQ(boxes.texts().last(), message);
    EXPECT_EQ(DxccTable.Missing, "");
  }
  key = "KH6";
  EXPECT_EQ(DXCCCodeSearch(key, 101, 0), "Hit!");
}

TEST_F(DxccTableTest, LongStringsAreCutAtTheirLastWholeCharacter) {
  const QString longName = QString(150, QChar(u'諸'));
  Library({"100\t1", "101\tA," + longName + ",AS,1,1,1,1A"});
  EXPECT_EQ(AnsiLen(LoadCodeLibString(101)), 148);  // "A," and 73 double-byte characters: a 74th would not fit
  EXPECT_EQ(LoadCodeLibString(102), "");
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(LoadDXCCTable(), -1);  // the cut string lost its last fields
}

}  // namespace
