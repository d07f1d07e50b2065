// Index searches as the area list, the station list, the code lookups and the DX code search walk them.
#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>
#include <algorithm>

#include "hamlog_fixture.h"
#include "platform/hamlog/hamlog_session.h"
#include "platform/hamlog/unix_file.h"
#include "platform/flush_count.h"
#include <tuple>

namespace {

using V = std::vector<int32_t>;

class HamlogIndex : public HamlogFolder {
 protected:
  void SetUp() override {
    HamlogFolder::SetUp();
    const QString a = QString::fromUtf8("あ"), i = QString::fromUtf8("い");
    WriteMaster({
        {"0101", QString::fromUtf8("札幌市"), "4", QString::fromUtf8("さ"), "8"},    // 1
        {"1001", QString::fromUtf8("東京23区"), "4", QString::fromUtf8("と"), "1"},  // 2
        {"1101", QString::fromUtf8("横浜市"), "4", QString::fromUtf8("よ"), "1"},    // 3
        {"1102", QString::fromUtf8("厚木市"), "4", a, "1"},                          // 4
        {"2201", QString::fromUtf8("綾部市"), "4", a, "3"},                          // 5
        {"1103", QString::fromUtf8("伊勢原市"), "4", i, "1"},                        // 6
        {"1109", QString::fromUtf8("愛甲市"), "4", a, "1"},                          // 7
        {"11009", QString::fromUtf8("愛甲郡"), "5", a, "1"},                         // 8
        {"500A", "Japan", "3", "JA", ""},                                            // 9
        {"784A", "United States", "3", "K", ""},                                     // 10
        {"704A", "Hawaii", "3", "KH", "6"},                                          // 11
        {"705A", QString::fromUtf8("*Kure Island"), "3", "KH", "7"},                 // 12
    });
  }
};

TEST_F(HamlogIndex, AreaIndexRunsByCodePrefixAndWorksWhileTheDatabaseIsClosed) {
  AddQsos({{"JA1AAA", "11009"},     // 1 gun
           {"JA1BBB", "11009A"},    // 2 town in it
           {"JA1CCC", "1101"},      // 3 city
           {"JA1DDD", "110101"},    // 4 ward of it
           {"JA1EEE", "11009B"},    // 5 village in the gun
           {"JA1FFF", "11009"},     // 6
           {"JA1GGG", "110109"}});  // 7
  // Gun key of 5 characters with its length: the gun, its towns and villages; equal codes by number.
  EXPECT_EQ(Run("dx1", "11009", 5), (V{1, 6, 2, 5}));
  // City key: the city and its wards (the area list drops the wards itself).
  EXPECT_EQ(Run("dx1", "1101", 4), (V{3, 4, 7}));
  EXPECT_EQ(Run("dx1", "110101", 6), (V{4}));
  EXPECT_EQ(Run("dx1", "2501", 4), V{});
  // Only the first `length` characters of the key count.
  EXPECT_EQ(Run("dx1", "11019999", 4), (V{3, 4, 7}));
}

TEST_F(HamlogIndex, KindIndexMatchesKindInitialAndAreaExactly) {
  const QString a = QString::fromUtf8("あ");
  // Cities of area 1 with the initial "あ", in record order within the key.
  EXPECT_EQ(Run("dx4", "4" + a + "1"), (V{4, 7}));
  // Without an area: every area's cities with that initial, area by area.
  EXPECT_EQ(Run("dx4", "4" + a), (V{4, 7, 5}));
  EXPECT_EQ(Run("dx4", "5" + a + "1"), (V{8}));
  // Two initials can match no one-character IDX.
  EXPECT_EQ(Run("dx4", "4" + a + QString::fromUtf8("い") + "1"), V{});
  // DX prefixes: "3" + up to three characters; the longest search that hits wins in the caller.
  EXPECT_EQ(Run("dx4", "3KH6"), (V{11}));
  EXPECT_EQ(Run("dx4", "3KH7"), (V{12}));
  EXPECT_EQ(Run("dx4", "3K1A"), V{});
  EXPECT_EQ(Run("dx4", "3K1"), V{});
  EXPECT_EQ(Run("dx4", "3K"), (V{10, 11, 12}));  // "K  " sorts before "KH6"
  EXPECT_EQ(Run("dx4", "3JA"), (V{9}));
}

TEST_F(HamlogIndex, CodeIndexFindsMasterRecords) {
  EXPECT_EQ(Run("dx2", "1101", 4), (V{3}));
  EXPECT_EQ(Run("dx2", "784A"), (V{10}));
  EXPECT_EQ(Run("dx2", "110"), (V{8, 3, 4, 6, 7}));  // "11009 " before "1101  "
  EXPECT_EQ(Run("dx2", "9999"), V{});
}

TEST_F(HamlogIndex, IndexCallsOnBadHandlesAndFilesGiveNothing) {
  IndexHandle fresh{};
  EXPECT_EQ(idx_search(fresh, "1101", 4), 0);
  EXPECT_EQ(idx_next(fresh), 0);
  EXPECT_EQ(idx_close(fresh), 0);
  EXPECT_NE(idx_open(Path("HAMLOG.txt"), handle_), 0);
  // A foreign master: its indexes cannot be had.
  WriteFile(Path("HAMLOG.MST"), QByteArray(500, 'x'));
  EXPECT_NE(idx_open(Index("dx2"), handle_), 0);
  EXPECT_EQ(idx_search(handle_, "1101", 4), 0);
  QFile::remove(Path("HAMLOG.MST"));
  EXPECT_NE(idx_open(Index("dx4"), handle_), 0);
  // No database: no QSO index.
  QFile::remove(Db());
  EXPECT_NE(idx_open(Index("dx1"), handle_), 0);
}

TEST_F(HamlogIndex, CallOrderFindsTheStationAndWalksOnToTheEndOfTheLog) {
  AddQsos(
      {{"JA1ABC/3"}, {"W1AW"}, {"JA1ABC"}, {"JA1ABD"}, {"JA1ABC/P"}, {"JA1ABC"}, {"KH6/JA1ABC"}});  // 1 .. 7
  ASSERT_EQ(Open(), 0);
  // Plain call first (blank sorts before "/"), equal calls by number, then its "/" forms, then on.
  EXPECT_EQ(CallWalk("JA1ABC"), (V{3, 6, 1, 5, 4, 7, 2}));
  // A search finds the first call that begins with the text.
  EXPECT_EQ(CallWalk("JA1AB").front(), 3);
  EXPECT_EQ(Vidx_search(thw_, "JA2", 16), 0);
  EXPECT_EQ(Vidx_search(thw_, "ZZ9ZZ", 16), 0);
  // Reading records between the calls does not lose the place.
  ASSERT_EQ(Vidx_search(thw_, "JA1ABD", 16), 4);
  ASSERT_EQ(THW_read(thw_, 1, 3), 0);
  EXPECT_EQ(Vidx_next(thw_, 16), 7);
  EXPECT_EQ(Vidx_next(thw_, 16), 2);
  EXPECT_EQ(Vidx_next(thw_, 16), 0);
  Close();
  EXPECT_LE(Vidx_search(thw_, "JA1ABC", 16), 0);  // needs the open database
}

TEST_F(HamlogIndex, IndexesFollowAppendUpdateDeleteAndPack) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1101"}});
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(CallWalk("JA1CCC"), (V{3}));
  // Append while a call-sign walk is under way: the walk goes on and sees the new record.
  ASSERT_EQ(Vidx_search(thw_, "JA1BBB", 16), 2);
  ASSERT_EQ(Append({"JA1BBZ", "1101"}), 0);
  EXPECT_EQ(Vidx_next(thw_, 16), 4);
  EXPECT_EQ(Vidx_next(thw_, 16), 3);
  EXPECT_EQ(Run("dx1", "1101", 4), (V{1, 3, 4}));

  // Update that changes code and call.
  ASSERT_EQ(EditQso(1, {{0, "JA1ZZZ"}, {8, "1102"}}), 0);
  EXPECT_EQ(Run("dx1", "1101", 4), (V{3, 4}));
  EXPECT_EQ(Run("dx1", "1102", 4), (V{1, 2}));
  EXPECT_EQ(CallWalk("JA1AAA"), V{});
  EXPECT_EQ(CallWalk("JA1ZZZ"), (V{1}));

  // Delete, then pack: record 3 goes and record 4 becomes 3.
  ASSERT_EQ(Vdbf_delete(thw_, 3), 0);
  EXPECT_EQ(Run("dx1", "1101", 4), (V{4}));
  ASSERT_EQ(Vdbf_packwk(thw_, "", 58), 0);
  EXPECT_EQ(Run("dx1", "1101", 4), (V{3}));
  EXPECT_EQ(Run("dx1", "1102", 4), (V{1, 2}));
  EXPECT_EQ(CallWalk("JA1BBZ"), (V{3, 1}));
  Close();
}

TEST_F(HamlogIndex, MissingIndexesAreBuiltAgainOnOpen) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}});
  for (const char* s : {"dx1", "dx2", "dx4", "dxc"}) ASSERT_TRUE(QFile::remove(Index(s))) << s;
  hamlogLib.indexRebuilds = 0;
  ASSERT_EQ(Open(), 0);
  Close();
  EXPECT_EQ(hamlogLib.indexRebuilds, 4);  // counted, so that the program can say so
  ASSERT_EQ(Open(), 0);
  Close();
  EXPECT_EQ(hamlogLib.indexRebuilds, 4);  // indexes in step are not built again
  for (const char* s : {"dx1", "dx2", "dx4", "dxc"}) EXPECT_TRUE(QFile::exists(Index(s))) << s;
  EXPECT_EQ(Run("dx1", "1102", 4), (V{2}));
}

TEST_F(HamlogIndex, AnIndexThatDisagreesWithTheDatabaseIsRebuilt) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}});
  const QByteArray older = ReadFile(Index("dx1"));
  AddQsos({{"JA1CCC", "1102"}});
  // An index left from an earlier state of the log.
  WriteFile(Index("dx1"), older);
  EXPECT_EQ(Run("dx1", "1102", 4), (V{2, 3}));
  // Garbage in place of an index.
  WriteFile(Index("dx1"), QByteArray(300, '\x55'));
  EXPECT_EQ(Run("dx1", "1102", 4), (V{2, 3}));
  // The database changed by another program (a byte of a code edited in place).
  QByteArray db = ReadFile(Db());
  const int code2 = db.indexOf("1102  ");
  ASSERT_GT(code2, 0);
  db[code2 + 3] = '1';
  WriteFile(Db(), db);
  EXPECT_EQ(Run("dx1", "1101", 4), (V{1, 2}));
  // A new master replaces the master's indexes' contents.
  WriteMaster({{"4701", QString::fromUtf8("那覇市"), "4", QString::fromUtf8("な"), "6"}});
  EXPECT_EQ(Run("dx2", "4701"), (V{1}));
  EXPECT_EQ(Run("dx2", "1101"), V{});
}

// Appends, updates and deletes through the change log: every lookup equals that of indexes built afresh
// from the same log, the log keeps every change in writing order (nothing written moves), and a log past
// its share of the base is merged into it on a thread of its own.
TEST_F(HamlogIndex, LookupsThroughTheChangeLogEqualFreshlyBuiltIndexes) {
  hamlog::durableWrites = false;
  const char* codes[] = {"1101", "1102", "1103", "2201"};
  auto qso = [&](int i) { return TestQso(QString("JA%1A%2").arg(i % 7).arg(i % 300, 3, 10, QChar('0')), codes[i % 4]); };
  std::vector<TestQso> qsos;
  for (int i = 0; i < 700; ++i) qsos.push_back(qso(i));
  AddQsos(qsos);
  ASSERT_EQ(Open(), 0);
  for (int i = 1; i <= 700; i += 7) {  // a new code and call for every seventh, every eleventh deleted
    ASSERT_EQ(THW_read(thw_, i, 3), 0);
    const ThwRecord old = thw_;
    FillQso(thw_, qso(i * 13 + 5));
    int32_t noQuestion = 17;
    ASSERT_EQ(THW_update(thw_, old, i, 16, noQuestion), 0);
  }
  for (int i = 3; i <= 700; i += 11) ASSERT_EQ(Vdbf_delete(thw_, i), 0);
  // In the open that marked them (the next one packs them).
  auto lookups = [&] {
    std::vector<V> all;
    for (const char* c : codes) all.push_back(Run("dx1", c, 4));
    const bool open = Vdbf_rcount(thw_) > 0;
    EXPECT_TRUE(open || Open() == 0);
    all.push_back(CallWalk("JA"));
    if (!open) Close();
    return all;
  };
  // Base and log counts of a header (little-endian at bytes 12 and 16), and whether its log is folded.
  auto counts = [&](const char* suffix) {
    const QByteArray f = ReadFile(Index(suffix));
    auto at = [&](qsizetype i) { return qFromLittleEndian<quint32>(f.constData() + i); };
    const int entry = at(8) + 4;
    const QByteArray log = f.mid(64 + qsizetype(at(12)) * entry, qsizetype(at(16)) * entry);
    bool folded = true;
    for (qsizetype i = entry; i < log.size(); i += entry) {
      QByteArray a = log.mid(i - entry, entry), b = log.mid(i, entry);
      a[entry - 4] = char(a[entry - 4] & 0x7F), b[entry - 4] = char(b[entry - 4] & 0x7F);
      folded = folded && a < b;
    }
    return std::make_tuple(at(12), at(16), folded);
  };
  // Every change as written: 700 QSOs, the old and new keys of the 100 updated ones, 64 deletions.
  EXPECT_EQ(counts("dx1"), std::make_tuple(0u, 964u, false));
  EXPECT_EQ(counts("dxc"), std::make_tuple(0u, 964u, false));
  const std::vector<V> logged = lookups();
  ASSERT_FALSE(logged[0].empty());
  for (const char* s : {"dx1", "dxc"}) ASSERT_TRUE(QFile::remove(Index(s)));
  EXPECT_EQ(lookups(), logged) << "indexes built afresh";
  Close();

  // Past its share (1,024 entries) the log is merged in the background; lookups stay the same.
  qsos.clear();
  for (int i = 0; i < 1100; ++i) qsos.push_back(qso(i + 1000));
  AddQsos(qsos);
  hamlog::CurrentSession().FinishIndexMerges();
  // The writes made during a merge stay in the new file's log.
  const auto [inBase, inLog, inKeyOrder] = counts("dx1");
  EXPECT_EQ(inBase + inLog, 1800u - 64u);  // 64 deleted
  EXPECT_LE(inLog, 1024u);
  const std::vector<V> merged = lookups();
  for (const char* s : {"dx1", "dxc"}) ASSERT_TRUE(QFile::remove(Index(s)));
  EXPECT_EQ(lookups(), merged);
  hamlog::durableWrites = true;
}

// A new QSO reaches the disk with two flushes, and its index entries go after every entry written before.
TEST_F(HamlogIndex, ANewQsoTakesTwoFlushesAndMovesNoIndexEntryWrittenBefore) {
  AddQsos({{"JA1CCC", "1103"}, {"JA1BBB", "1102"}, {"JA1ZZZ", "1109"}});
  const QByteArray before[2] = {ReadFile(Index("dx1")), ReadFile(Index("dxc"))};
  ASSERT_EQ(Open(), 0);
  const uint64_t flushes = FileFlushCount();
  ASSERT_EQ(Append({"JA1AAA", "1101"}), 0);
  EXPECT_LE(FileFlushCount() - flushes, 2u);
  Close();
  for (const auto& [suffix, old] : {std::pair{"dx1", before[0]}, std::pair{"dxc", before[1]}})
    EXPECT_EQ(ReadFile(Index(suffix)).mid(64, old.size() - 64), old.mid(64)) << suffix;
  EXPECT_EQ(Run("dx1", "110", 3), (V{4, 2, 1, 3}));
}

// A log where one code has more QSOs than the area list's 2,001 slots, and calls that share a prefix.
class HamlogIndexLongRuns : public HamlogFolder {
 protected:
  void SetUp() override {
    HamlogFolder::SetUp();
    hamlog::durableWrites = false;
    std::vector<TestQso> qsos;
    for (int i = 1; i <= 2600; ++i) {
      // 1101 on 2,500 records, its ward 110101 on every 26th, 1102 on every 100th.
      const QString code = i % 100 == 0 ? "1102" : i % 26 == 0 ? "110101" : "1101";
      qsos.push_back({QString("JA1X%1").arg(i, 4, 10, QChar('0')), code});
    }
    for (const char* call : {"JA1ABCD", "JA1ABC/1", "JA1ABC", "JA1ABC/P", "JA1ABCD", "JA1ABC"})
      qsos.push_back({call, "1001"});  // records 2601 .. 2606
    AddQsos(qsos);
  }
  void TearDown() override {
    hamlog::durableWrites = true;
    HamlogFolder::TearDown();
  }
};

TEST_F(HamlogIndexLongRuns, ARunLongerThanTheAreaListsCapGoesOnToItsEndAndStopsThere) {
  ASSERT_EQ(idx_open(Index("dx1"), handle_), 0);
  int32_t r = idx_search(handle_, "1101", 4);
  std::vector<int32_t> run;
  for (; r > 0; r = idx_next(handle_)) run.push_back(r);
  // Every 1101 and 110101 record, nothing of 1102 beside it; the numbers rise within the equal codes.
  EXPECT_EQ(run.size(), 2600u - 26u);
  // 2,476 city records by number, then the 98 ward records by number.
  EXPECT_TRUE(std::is_sorted(run.begin(), run.begin() + 2476));
  EXPECT_TRUE(std::is_sorted(run.begin() + 2476, run.end()));
  EXPECT_EQ(run[2476], 26);
  EXPECT_EQ(run.front(), 1);
  EXPECT_EQ(std::count(run.begin(), run.end(), 100), 0);
  // After the end the run stays ended.
  EXPECT_EQ(idx_next(handle_), 0);
  EXPECT_EQ(idx_next(handle_), 0);
  // A new search on the same handle starts a new run.
  EXPECT_EQ(idx_search(handle_, "1102", 4), 100);
  EXPECT_EQ(idx_next(handle_), 200);
  idx_close(handle_);
  EXPECT_EQ(idx_next(handle_), 0);  // a closed handle gives nothing
  // The ward key alone: every 26th record that is not a 100th one.
  EXPECT_EQ(Run("dx1", "110101", 6).size(), 98u);
}

TEST_F(HamlogIndexLongRuns, CallsSharingAPrefixStandInCallOrder) {
  ASSERT_EQ(Open(), 0);
  // The plain call (blank-padded) first, then its "/" forms, then the longer call.
  const V walk = CallWalk("JA1ABC");
  ASSERT_GE(walk.size(), 6u);
  EXPECT_EQ(V(walk.begin(), walk.begin() + 6), (V{2603, 2606, 2602, 2604, 2601, 2605}));
  EXPECT_EQ(Vidx_next(thw_, 16), 0);  // the walk went to the end of the log: it stays there
  // A search for the longer call starts at it; one for a call that no stored call begins with gives 0.
  EXPECT_EQ(Vidx_search(thw_, "JA1ABCD", 16), 2601);
  EXPECT_EQ(Vidx_next(thw_, 16), 2605);
  EXPECT_EQ(Vidx_search(thw_, "JA1ABCE", 16), 0);
  EXPECT_EQ(Vidx_next(thw_, 16), 0);  // a search that found nothing leaves no walk behind
  Close();
}

}  // namespace
