// The record writer on a small log: what HAMLOG holds after an append, an update, a refused update,
// a deletion and an index rebuild, and that the QSO lists find a new QSO at once.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <map>
#include <tuple>

#include "core/HamlogAccess.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "logbook/CodeMaster.h"
#include "logbook/HamlogRecordWriter.h"
#include "logbook/QsoLists.h"
#include "platform/paths.h"
#include "platform/vbfile.h"
#include "support/logbook_log.h"
#include "support/qt_print.h"

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

class RecordWriter : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    AddQsos({{"JA1AAA", "1001"}, {"JA1BBB", "1101", "14.025", "SSB", "J *"}});
  }
  static QsoEntry entry() {
    QsoEntry e;
    e.call = "JA2XYZ", e.date = "2024-05-06", e.time = "21:05J", e.hisRst = "599", e.myRst = "579  ";
    e.freq = "7.025", e.mode = "CW", e.code = "11009", e.grid = "PM95", e.qslVia = "J", e.name = "Taro";
    e.qth = u8("愛甲郡"), e.remarks1 = "rem one", e.remarks2 = "rem two";
    return e;
  }
  EntryWrite append(const QsoEntry& e) {
    EXPECT_EQ(HamlogOpenDb(), 0);
    return WriteHamlogRecord(e, false, Vdbf_rcount(Hamlog.Thw) + 1, ThwRecord{});
  }
  // Reads record n into `block` (HAMLOG opened and closed).
  void read(int32_t n, ThwRecord& block) {
    ASSERT_EQ(HamlogOpenDb(), 0);
    ASSERT_EQ(THW_read(block, n, 3), 0);
    HamlogCloseDb(0);
  }
  QString rawField(int32_t n, int field) {
    ThwRecord block{};
    read(n, block);
    QString s;
    ThwString(s, block, field);
    return s;
  }
};

TEST_F(RecordWriter, AnAppendStoresEveryFieldInHamlogsForm) {
  const EntryWrite w = append(entry());
  EXPECT_EQ(w.result, 0);
  EXPECT_EQ(w.recNo, 3);
  EXPECT_TRUE(w.added);
  EXPECT_EQ(Hamlog.HamlogClosed, 1);  // closed after the write
  const QStringList dump = Dump();
  ASSERT_EQ(dump.size(), 3);
  EXPECT_EQ(dump[2], u8("3,\"JA2XYZ\",\"2024/05/06\",\"21:05J\",\"599\",\"579\",\"7.025\",\"CW\",\"11009\","
                        "\"PM95\",\"J  \",\"Taro\",\"愛甲郡\",\"rem one\",\"rem two\""));
  EXPECT_EQ(rawField(3, 2), "24/05/06");
  EXPECT_EQ(rawField(3, 5), "579         ");  // trailing blanks of my report go, then padded to 12
  EXPECT_EQ(rawField(3, 16).trimmed(), "0");
  // The others are untouched.
  EXPECT_TRUE(dump[0].startsWith("1,\"JA1AAA\""));
  EXPECT_TRUE(dump[1].startsWith("2,\"JA1BBB\""));
}

TEST_F(RecordWriter, ANewQsoIsFoundByTheListsAtOnce) {
  ASSERT_EQ(append(entry()).result, 0);
  QsoList area = ListAreaQsos("11009", kAllBands, "MIX");
  ASSERT_EQ(area.outcome, QsoList::Listed);
  EXPECT_EQ(NumbersAndCalls(area.rows), QStringList{"3 JA2XYZ"});
  QString call = "JA2XYZ";
  QsoList station = ListStationQsos(call);
  ASSERT_EQ(station.outcome, QsoList::Listed);
  EXPECT_EQ(NumbersAndCalls(station.rows), QStringList{"3 JA2XYZ"});
}

TEST_F(RecordWriter, OverlongTextIsCutAtTheFieldsByteWidthWithoutSplittingACharacter) {
  QsoEntry e = entry();
  e.call = "JA2XYZ/1234567890ABCDEFGHIJ";  // 27 characters, the field holds 20
  e.name = QString(40, QChar(0x3042));     // 80 bytes, the field holds 64
  e.qslVia = "JARL";
  ASSERT_EQ(append(e).result, 0);
  EXPECT_EQ(rawField(3, 0), "JA2XYZ/1234567890ABC");
  EXPECT_EQ(rawField(3, 11), QString(32, QChar(0x3042)));
  EXPECT_EQ(rawField(3, 10), "J  ");  // one character each of via, sent and received
  // A double-byte mark would push the received mark out of the three-byte field: it is left blank.
  e.qslSent = QString::fromUtf8("済");
  e.qslRcvd = "*";
  ASSERT_EQ(append(e).result, 0);
  EXPECT_EQ(rawField(4, 10), "J *");
  e.qslSent.clear();
  e.name = "A" + QString(40, QChar(0x3042));  // the 32nd double-byte character would straddle the width
  ASSERT_EQ(append(e).result, 0);
  EXPECT_EQ(rawField(5, 11), "A" + QString(31, QChar(0x3042)) + " ");
}

TEST_F(RecordWriter, TheDFlagGoesWithTheFlagsOfTheRecordShown) {
  QsoRules.QslFlagText = " C  ";  // the record shown had its C flag
  QsoEntry e = entry();
  e.dFlag = true;
  ASSERT_EQ(append(e).result, 0);
  EXPECT_EQ(rawField(3, 16).trimmed(), "24");
  e.dFlag = false;
  ASSERT_EQ(append(e).result, 0);
  EXPECT_EQ(rawField(4, 16).trimmed(), "16");
}

TEST_F(RecordWriter, AnUpdateReplacesTheShownRecordAndKeepsItsOtherFields) {
  ThwRecord shown{};
  read(2, shown);
  QsoEntry e = EntryOfRecord(shown);
  EXPECT_EQ(e.call, "JA1BBB");
  EXPECT_EQ(e.date, "2024-05-06");
  EXPECT_EQ(e.qslRcvd, "*");
  e.name = "Hanako";
  e.remarks2.clear();
  ASSERT_EQ(HamlogOpenDb(), 0);
  const EntryWrite w = WriteHamlogRecord(e, true, 2, shown);
  EXPECT_EQ(w.result, 0);
  EXPECT_EQ(w.recNo, 2);
  const QStringList dump = Dump();
  ASSERT_EQ(dump.size(), 2);
  EXPECT_EQ(dump[1], u8("2,\"JA1BBB\",\"2024/05/06\",\"21:05J\",\"599\",\"579\",\"14.025\",\"SSB\",\"1101\","
                        "\"PM95\",\"J *\",\"Hanako\",\"QTH\",\"rem1\",\"\""));
}

TEST_F(RecordWriter, AnUpdateOfARecordChangedElsewhereIsRefusedAndNothingIsWritten) {
  ThwRecord shown{};
  read(2, shown);
  // Another program marks the card meanwhile.
  ASSERT_EQ(HamlogOpenDb(), 0);
  ASSERT_EQ(QSL_Rcv(Hamlog.Thw, 2, 'E'), 0);
  HamlogCloseDb(0);
  const QStringList before = Dump();
  QsoEntry e = EntryOfRecord(shown);
  e.name = "Hanako";
  ASSERT_EQ(HamlogOpenDb(), 0);
  EXPECT_EQ(WriteHamlogRecord(e, true, 2, shown).result, HAMLOG_STALE);
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  EXPECT_EQ(Dump(), before);
}

TEST_F(RecordWriter, DeletionTakesOnlyTheShownRecordWhenItIsStillTheSame) {
  ThwRecord shown{};
  read(1, shown);
  ASSERT_EQ(append(entry()).result, 0);
  ASSERT_EQ(HamlogOpenDb(), 0);
  EXPECT_EQ(DeleteShownRecord(2, shown), DeleteOutcome::Changed);  // record 2 is not the one shown
  EXPECT_EQ(DeleteShownRecord(1, shown), DeleteOutcome::Deleted);
  HamlogCloseDb(0);
  const QStringList dump = Dump();
  ASSERT_EQ(dump.size(), 2);
  EXPECT_TRUE(dump[0].startsWith("1,\"JA1BBB\""));
  EXPECT_TRUE(dump[1].startsWith("2,\"JA2XYZ\""));
  // The lists follow the renumbered log.
  QString call = "JA2XYZ";
  EXPECT_EQ(NumbersAndCalls(ListStationQsos(call).rows), QStringList{"2 JA2XYZ"});
}

// Every index written anew keeps its owner, group and mode; a file of another beside them stays.
TEST_F(RecordWriter, TheIndexRebuildBuildsEveryIndexAgainKeepingItsOwnerAndMode) {
  const bool root = ::geteuid() == 0;
  const auto stated = [](const char* suffix) {
    struct stat st {};
    ::stat(QFile::encodeName(HamlogCompanionPath(suffix)).constData(), &st);
    return std::tuple(st.st_ino, st.st_mode & 07777, st.st_uid, st.st_gid);
  };
  std::map<QString, ino_t> built;
  for (const char* s : {"dx1", "dxc", "dx2", "dx4"}) {
    ASSERT_EQ(::chmod(QFile::encodeName(HamlogCompanionPath(s)).constData(), 0660), 0) << s;
    if (root) { ASSERT_EQ(::chown(QFile::encodeName(HamlogCompanionPath(s)).constData(), 1001, 1001), 0); }
    built[s] = std::get<0>(stated(s));
  }
  ASSERT_TRUE(AtomicWriteFile(HamlogCompanionPath("dx9"), "my notes"));
  EXPECT_TRUE(RebuildHamlogIndexes());
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  for (const char* s : {"dx1", "dxc", "dx2", "dx4"}) {
    const auto [inode, mode, uid, gid] = stated(s);
    EXPECT_TRUE(inode != built[s] && mode == 0660 && (!root || (uid == 1001 && gid == 1001)))
        << s << ": built anew, its owner, group and mode kept";
  }
  EXPECT_TRUE(IsFile(HamlogCompanionPath("dx9")));
  EXPECT_EQ(NumbersAndCalls(ListAreaQsos("1001", kAllBands, "MIX").rows), QStringList{"1 JA1AAA"});
  Hamlog.HamlogDbPath = home.file("nowhere/HAMLOG.HDB");
  EXPECT_FALSE(RebuildHamlogIndexes());
}

TEST_F(RecordWriter, CodeMasterLookupsByCodeAndByInitial) {
  const auto hit = LookUpCode("11009");
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->code, "11009");
  EXPECT_EQ(hit->name, u8("神奈川県愛甲郡"));
  EXPECT_FALSE(LookUpCode("9999"));
  // Kind 7 (town), initial あ, area 1.
  const QString key = InitialSearchKey(7, u8("あ"), "1", 3);
  EXPECT_EQ(key, u8("7あ1"));
  const auto towns = SearchCodeByInitial(key, true);
  ASSERT_EQ(towns.size(), 1u);
  EXPECT_EQ(towns[0].code, "11009A");
  EXPECT_TRUE(SearchCodeByInitial(InitialSearchKey(7, u8("あ"), "2", 3), true).empty());
  // Typed in katakana, full or half width: the master's hiragana index finds the same town.
  for (const char* kana : {"ア", "ｱ"}) {
    const auto same = SearchCodeByInitial(InitialSearchKey(7, u8(kana), "1", 3), true);
    EXPECT_TRUE(same.size() == 1 && same[0].code == "11009A") << kana;
  }
  // Without an area digit every area's entries of the kind and initial are listed.
  EXPECT_EQ(SearchCodeByInitial(InitialSearchKey(4, u8("と"), u8("全"), 0), false).size(), 1u);
}

}  // namespace
