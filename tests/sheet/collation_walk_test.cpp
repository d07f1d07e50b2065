// The collation's one walk against a line-by-line transcription of the row scan it replaces: both run
// on the same varied lines (sorted and unsorted, a master with towns, guns, missing codes, designated
// cities, Tokyo wards) and must leave the same marks, counts, record numbers and ward records.

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QStringList>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "sheet/Collation.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetTally.h"
#include "support/shared_state.h"

namespace {

// ---- The row scan, transcribed step by step.

int32_t referenceBandColumn(const QString& label) {
  static const char* labels[] = {"1.9",  "3.5",  "7",    "10",  "14",  "18",   "21",
                                 "24",   "28",   "50",   "144", "430", "1200", "2400",
                                 "5600", "135K", "475K", "10G", "24G", "47G",  "77G"};
  for (int i = 0; i < 21; ++i)
    if (label == labels[i]) return 5 + i;
  if (label == "SAT") return BandLayout.SatelliteColumn;
  return 0;
}

struct ReferenceLine {
  QString code, band, received, recordNumber;
  int32_t date;
};

void referenceTokyo(const ReferenceLine& l, int32_t column, bool confirmed, bool anyMark) {
  bool numeric = false;
  const int32_t value = l.code.toInt(&numeric);
  if (!numeric || value < 100101 || value > 100123 || l.date < 20100401) return;
  int32_t& entry = SheetTally.TokyoWardRecords(value, column);
  const int32_t rec = l.recordNumber.toInt();
  if (anyMark) {
    if (entry < 1) entry = rec;
  } else if (confirmed) {
    if (entry < 1) entry = rec;
  } else if (entry < 1) {
    entry = -rec;
  }
}

void countBandQso(const ReferenceLine& l, int32_t row) {
  const int32_t col = referenceBandColumn(l.band);
  if (col < 5 || col > BandLayout.LastBandColumn) return;  // the failing statement is passed over
  bool confirmed = false;
  for (const QString& m : Settings.QslReceivedMarks)
    if (!m.isEmpty() && m == l.received) confirmed = true;
  QString& cell = MasterTable(col, row);
  if (cell == "") {
    SheetTally.CellQsoCounts(col, row) += 1;
    cell = confirmed ? "C" : "W";
    SheetTally.CellRecordNumbers(col, row) = l.recordNumber;
  } else if (cell == "W") {
    SheetTally.CellQsoCounts(col, row) += 1;
    if (confirmed) {
      cell = "C";
      SheetTally.CellRecordNumbers(col, row) = l.recordNumber;
    }
  } else if (cell == "C") {
    SheetTally.CellQsoCounts(col, row) += 1;
  }
  referenceTokyo(l, col, confirmed, false);
}

void setBandMark(const ReferenceLine& l, int32_t row) {
  const int32_t col = referenceBandColumn(l.band);
  if (col < 5 || col > BandLayout.LastBandColumn) return;
  SheetTally.CellQsoCounts(col, row) += 1;
  QString& cell = MasterTable(col, row);
  if (cell != "C") {
    cell = l.received.trimmed().isEmpty() ? "W" : "C";
    SheetTally.CellRecordNumbers(col, row) = l.recordNumber;
  }
  referenceTokyo(l, col, true, true);
}

void referenceWalk(const QByteArray& data, bool anyMark) {
  const int n = int(data.size() / 33);
  int32_t startRow = 1;
  QString pending = "     ";
  for (int i = 0; i < n; ++i) {
    const QByteArray rec = data.mid(i * 33, 33);
    ReferenceLine l{QString::fromLatin1(rec.mid(1, 6)).trimmed(),
                    QString::fromLatin1(rec.mid(7, 4)).trimmed(), QString::fromLatin1(rec.mid(11, 1)),
                    QString::fromLatin1(rec.mid(13, 10)), int32_t(VbValBytes(rec.mid(23, 10)))};
    const int prefecture = int(VbValBytes(l.code.left(2).toLatin1()));
    if (l.code.size() == 4 && prefecture >= 1 && prefecture <= 47) {
      if (l.code == "1001") continue;
      bool skip = false;
      for (const DesignatedCity& d : DesignatedCityDef.DesignatedCities)
        if (d.Code == l.code) {
          skip = l.date >= d.StartDate;
          break;
        }
      if (skip) continue;
    }
    if (l.code.size() == 6 && l.code.back() >= 'A' && l.code.back() <= 'Z') pending = l.code.left(5);
    for (int32_t row = startRow; row <= SheetTally.MasterRowCount; ++row) {
      const QString rowCode = MasterTable(1, row).trimmed();
      if (rowCode == l.code) {
        anyMark ? setBandMark(l, row) : countBandQso(l, row);
        break;
      }
      if (pending == rowCode) {
        anyMark ? setBandMark(l, row) : countBandQso(l, row);
        startRow = row;
        pending = "     ";
      }
    }
  }
}

// ---- The varied data.

struct CollationWalkTest : ::testing::Test {
  QRandomGenerator rng{20240607};
  QStringList pool;

  void SetUp() override {
    ResetSharedState();
    Settings.QslReceivedMarks[0] = "*";
    Settings.QslReceivedMarks[3] = "M";
    DesignatedCityDef.DesignatedCities = {{"横浜市", "1101", 19560901}, {"浜松市", "1823", 20070401}};
  }
  void TearDown() override { ResetSharedState(); }

  void makeMaster(bool shuffled) {
    // In master order; some codes twice, a gun without towns, towns whose gun is missing.
    QStringList codes = {"1001",   "100101", "100105", "100123", "1002",   "1101",   "110101",
                         "1120",   "10001",  "10001A", "10001B", "10002",  "10002A", "1823",
                         "182301", "11001",  "11001A", "11001A", "11003B", "1201",   "12001",
                         "12001C", "500A",   "501A",   "502A",   "502B",   "733A"};
    if (shuffled)
      for (qsizetype i = codes.size() - 1; i > 0; --i) codes.swapItemsAt(i, rng.bounded(int(i + 1)));
    MasterTable.Redim(BandLayout.KindColumn, codes.size());
    for (int r = 1; r <= codes.size(); ++r) {
      MasterTable(1, r) = codes[r - 1].leftJustified(6, ' ');
      MasterTable(2, r) = "QTH";
    }
    SheetTally.MasterRowCount = int32_t(codes.size());
    SheetTally.SizeCellArrays(BandLayout.LastBandColumn, int32_t(codes.size()));
    pool = codes;
    // The last with a blank before it, as a hand-edited file may hold.
    pool += QStringList{"11003A", "13001A", "9999", "123", "110102", "100110", "100124", "1001", " 1002"};
  }

  QByteArray makeLines(int count, int firstRecord) {
    static const char* bands[] = {"1.9", "7", "14", "144", "430", "SAT", "135K", "10G", "", "XX"};
    static const char* marks[] = {"*", "M", "S", " ", "E", "*"};
    static const int32_t dates[] = {19560831, 19560901, 20070331, 20070401, 20100331, 20100401, 20120505};
    QByteArray out;
    for (int i = 0; i < count; ++i)
      AppendDmyDbsLine(out, pool[rng.bounded(int(pool.size()))], bands[rng.bounded(10)],
                       marks[rng.bounded(6)], "J", firstRecord + i, QString::number(dates[rng.bounded(7)]));
    return out;
  }

  void expectSameAsReference(const QByteArray& lines, ConfirmRule rule) {
    const MasterTableData masterBefore = MasterTable;
    const SheetTallyState tallyBefore = SheetTally;
    referenceWalk(lines, rule == ConfirmRule::AnyMark);
    const MasterTableData masterExpected = MasterTable;
    const SheetTallyState expected = SheetTally;
    MasterTable = masterBefore;
    SheetTally = tallyBefore;
    CollateDmyDbs(lines, rule);
    for (int32_t r = 1; r <= SheetTally.MasterRowCount; ++r)
      for (int32_t c = 5; c <= BandLayout.LastBandColumn; ++c) {
        SCOPED_TRACE(QString("row %1 column %2").arg(r).arg(c).toStdString());
        ASSERT_EQ(MasterTable(c, r), masterExpected(c, r));
        ASSERT_EQ(SheetTally.CellQsoCounts(c, r), expected.CellQsoCounts(c, r));
        ASSERT_EQ(SheetTally.CellRecordNumbers(c, r), expected.CellRecordNumbers(c, r));
      }
    for (int32_t w = kFirstTokyoWard; w <= kLastTokyoWard; ++w)
      for (int32_t c = 5; c <= BandLayout.LastBandColumn; ++c)
        ASSERT_EQ(SheetTally.TokyoWardRecords(w, c), expected.TokyoWardRecords(w, c));
  }
};

TEST_F(CollationWalkTest, SortedLinesOverTheMasterInItsOrder) {
  makeMaster(false);
  for (ConfirmRule rule : {ConfirmRule::ListedMarks, ConfirmRule::AnyMark}) {
    SheetTally.SizeCellArrays(BandLayout.LastBandColumn, SheetTally.MasterRowCount);
    for (int r = 1; r <= SheetTally.MasterRowCount; ++r)
      for (int c = 5; c <= BandLayout.LastBandColumn; ++c) MasterTable(c, r).clear();
    const QByteArray lines = SortDmyDbsBytes(makeLines(3000, 1));
    expectSameAsReference(lines, rule);
    // A second collation over more lines (the append read) builds on the first.
    SheetTally.CellQsoCounts.Redim(BandLayout.LastBandColumn, SheetTally.MasterRowCount);
    expectSameAsReference(SortDmyDbsBytes(lines + makeLines(500, 3001)), rule);
  }
}

TEST_F(CollationWalkTest, UnsortedLinesAndAShuffledMaster) {
  makeMaster(true);
  expectSameAsReference(makeLines(2000, 1), ConfirmRule::ListedMarks);
  expectSameAsReference(makeLines(2000, 5001), ConfirmRule::AnyMark);
}

// Enough lines for the walk to go in parts side by side (where the machine has the cores).
TEST_F(CollationWalkTest, ManyLinesInPartsOverAMasterInItsOrderOrShuffled) {
  for (bool shuffled : {false, true}) {
    makeMaster(shuffled);
    const QByteArray lines = makeLines(70000, 1);
    expectSameAsReference(SortDmyDbsBytes(lines), shuffled ? ConfirmRule::AnyMark : ConfirmRule::ListedMarks);
    expectSameAsReference(lines, ConfirmRule::ListedMarks);
  }
}

TEST_F(CollationWalkTest, ExtendedBandSet) {
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  makeMaster(false);
  expectSameAsReference(SortDmyDbsBytes(makeLines(2000, 1)), ConfirmRule::ListedMarks);
}

}  // namespace
