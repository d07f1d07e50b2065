#include <gtest/gtest.h>

#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/hamlog/master_file.h"
#include "platform/paths.h"
#include "platform/vbfile.h"
#include "support/qt_print.h"
#include "support/temp_home.h"

namespace {

QByteArray masterRecord(const char* code, const char* name, const char* kind = "1", const char* idx = "ｱ",
                        const char* area = "1") {
  QByteArray r = FixedAnsi(QString::fromUtf8(code), 6) + FixedAnsi(QString::fromUtf8(name), 34) +
                 FixedAnsi(kind, 1) + FixedAnsi(QString::fromUtf8(idx), 2) + FixedAnsi(area, 1);
  r += QByteArray(11, ' ') + "Z";
  return r;
}

// A code master with the 235-byte header layout: record k at 1-based position k x 56 + 235.
QString writeMaster(TempHome& home, const QList<QByteArray>& records) {
  QByteArray bytes(56 + 234, '\0');
  for (const QByteArray& r : records) bytes += r;
  return home.write("HAMLOG.MST", bytes);
}

class MasterListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MasterList = {};
    MasterList.MasterHeaderLen = 235;
    MasterList.MasterFilePath = home.file("HAMLOG.MST");
    Settings.JaOnly = "0";
    MasterTable.Redim(27, 100);
  }
  QStringList codes(int n) const {
    QStringList out;
    for (int r = 1; r <= n; ++r) out << MasterTable(1, r);
    return out;
  }
  TempHome home;
};

}  // namespace

TEST_F(MasterListTest, FiltersGroupsAndOrdersCodes) {
  writeMaster(home, {masterRecord("10005", "東京都西多摩郡"), masterRecord("1060", "欠番"),
                     masterRecord("1074", "あきる野市"), masterRecord("100101", "千代田区"),
                     masterRecord("1050", "府中市"), masterRecord("123", "短い"),
                     masterRecord("10005A", "瑞穂町"), masterRecord("0102", "旭川市"),
                     masterRecord("500A", "ALASKA", "3", "KL", "7"), masterRecord("01001", "阿寒郡")});
  const int n = LoadMasterList(56);
  ASSERT_EQ(n, 8);
  // Per prefecture: cities and wards ("0") first, then guns and towns ("1"), each by the rest of the code.
  EXPECT_EQ(codes(n),
            QStringList({"0102  ", "01001 ", "100101", "1050  ", "1074  ", "10005 ", "10005A", "500A  "}));
  EXPECT_EQ(MasterTable(2, 1), QString::fromUtf8("旭川市").leftJustified(34, ' '));
  EXPECT_EQ(MasterTable(3, 8), "KL");
  EXPECT_EQ(MasterTable(4, 8), "7");
  EXPECT_EQ(MasterList.FirstDxRow, 8);
  EXPECT_EQ(MasterList.WardCodeCount, 1);
  // The work file keeps the columns the sort key relies on.
  const QByteArray work = home.read("DMYMST.dat");
  EXPECT_TRUE(work.startsWith("\"0\",\"0102  \",")) << work.left(40).constData();
}

TEST_F(MasterListTest, JapaneseOnlyStopsAtTheFirstDxCode) {
  Settings.JaOnly = "1";
  MasterList.FirstDxRow = 77;
  writeMaster(home, {masterRecord("0102", "旭川市"), masterRecord("500A", "ALASKA", "3"),
                     masterRecord("501", "X", "3"), masterRecord("500B", "HAWAII", "3")});
  EXPECT_EQ(LoadMasterList(56), 1);
  EXPECT_EQ(MasterList.FirstDxRow, 77);
}

TEST_F(MasterListTest, ShortRecordsOfAnOlderLayoutKeepTheSortColumns) {
  // 55-byte records have no last byte: a code no rule covers gets a blank flag, not an empty one.
  MasterList.MasterHeaderLen = 236;
  QByteArray bytes(55 + 235, '\0');
  for (const char* code : {"01001", "0102", "01010@"}) bytes += masterRecord(code, "x").left(55);
  home.write("HAMLOG.MST", bytes);
  ASSERT_EQ(LoadMasterList(55), 3);
  EXPECT_EQ(codes(3), QStringList({"01010@", "0102  ", "01001 "}));
}

TEST_F(MasterListTest, EmptyOrMissingMasterLoadsNothing) {
  writeMaster(home, {});
  EXPECT_EQ(LoadMasterList(56), 0);
  MasterList.MasterFilePath = home.file("NONE.MST");
  EXPECT_EQ(LoadMasterList(56), 0);
}

TEST_F(MasterListTest, OwnQthDataFileIsLoadedTheSameWay) {
  MasterList.QthDataPath =
      home.write("myqth.csv", ToAnsi(QString::fromUtf8("\"1301\",\"八王子市\",\"1\",\"ﾊ\",\"1\"\r\n"
                                                       "\"13001\",\"西多摩郡\",\"1\",\"ﾆ\",\"1\"\r\n"
                                                       "\"1201\",\"千葉市\",\"1\",\"ﾁ\",\"1\"\r\n")));
  EXPECT_EQ(LoadQTHMasterList(0), 3);
  EXPECT_EQ(codes(3), QStringList({"1201  ", "1301  ", "13001 "}));
  MasterList.QthDataPath = home.file("missing.csv");
  EXPECT_EQ(LoadQTHMasterList(0), 0);
}

TEST_F(MasterListTest, ACutOrGarbledMasterIsRefusedWithWhatIsWrong) {
  const QList<QByteArray> records = {masterRecord("0102", "旭川市"), masterRecord("0103", "札幌市"),
                                     masterRecord("500A", "ALASKA", "3", "KL", "7")};
  const QString path = writeMaster(home, records);
  ASSERT_EQ(LoadMasterList(56), 3);
  EXPECT_TRUE(MasterList.LoadProblem.isEmpty());

  QByteArray whole;
  ASSERT_TRUE(ReadWholeFile(path, whole));
  home.write("HAMLOG.MST", whole.left(whole.size() - 20));
  EXPECT_EQ(LoadMasterList(56), 0);
  EXPECT_TRUE(MasterList.LoadProblem.contains(QString::fromUtf8("途中で切れています")))
      << MasterList.LoadProblem.toStdString();
  home.write("HAMLOG.MST", whole.left(100));
  EXPECT_EQ(LoadMasterList(56), 0);
  EXPECT_TRUE(MasterList.LoadProblem.contains(QString::fromUtf8("見出しの途中で切れています")));

  QByteArray garbled = whole;
  for (int i = 0; i < 40; ++i) garbled[290 + 56 + i] = char(0xFD - i % 3);
  home.write("HAMLOG.MST", garbled);
  EXPECT_EQ(LoadMasterList(56), 0);
  EXPECT_EQ(MasterList.LoadProblem, QString::fromUtf8("レコード 2 が壊れています。"));

  // A master of this library whose header counts other records than the file holds.
  ASSERT_TRUE(hamlog::WriteMasterFile(path, {{"0102", QString::fromUtf8("旭川市"), "", "", ""},
                                             {"0103", QString::fromUtf8("札幌市"), "", "", ""}}));
  ASSERT_TRUE(ReadWholeFile(path, whole));
  EXPECT_EQ(LoadMasterList(56), 2);
  home.write("HAMLOG.MST", whole + records[2]);
  EXPECT_EQ(LoadMasterList(56), 0);
  EXPECT_EQ(MasterList.LoadProblem,
            QString::fromUtf8("見出しのレコード数 2 とファイルのレコード数 3 が合いません。"));
  home.write("HAMLOG.MST", whole.left(whole.size() - 56));
  EXPECT_EQ(LoadMasterList(56), 0);
  EXPECT_TRUE(MasterList.LoadProblem.startsWith(QString::fromUtf8("見出しが壊れているか")));
}
