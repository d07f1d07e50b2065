// The grid-locator and DXCC tables: locator checks, the scans' conditions and messages, the sheets'
// rows and totals, and the band lists written from them.

#include <gtest/gtest.h>

#include <algorithm>

#include "awards/LocatorSheets.h"
#include "awards/LocatorTables.h"
#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/responders.h"
#include "support/sheet_log.h"

namespace {

TEST(LocatorRulesTest, CharactersOutOfRangeGiveTheirLastPosition) {
  EXPECT_EQ(BadLocatorPosition("PM95", 2), 0);
  EXPECT_EQ(BadLocatorPosition("OM95", 2), 1);
  EXPECT_EQ(BadLocatorPosition("pm95", 2), 2);
  EXPECT_EQ(BadLocatorPosition("PM9A", 2), 4);
  EXPECT_EQ(BadLocatorPosition("IO91", 4), 0);
  EXPECT_EQ(BadLocatorPosition("SM95", 4), 1);
  EXPECT_EQ(BadLocatorPosition("IO91", 2), 2);
  EXPECT_EQ(BadLocatorPosition("PM95AA", 3), 0);
  EXPECT_EQ(BadLocatorPosition("PM95ab", 3), 6);
  EXPECT_EQ(BadLocatorPosition("PO95AY", 3), 6);

  EXPECT_EQ(GridBandSlot("1.9", false), 0);
  EXPECT_EQ(GridBandSlot("5600", false), 14);
  EXPECT_EQ(GridBandSlot("SAT", false), 15);
  EXPECT_EQ(GridBandSlot("10G", false), -1);
  EXPECT_EQ(GridBandSlot("475K", true), 16);
  EXPECT_EQ(GridBandSlot("SAT", true), 21);
}

struct LocatorTablesTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  FlexGrid grid{nullptr};

  void TearDown() override { ReleaseGridTables(); }
  TableScan scan(int kind, bool extended = false) {
    log.Prepare();
    ReadConditions.StartDate = "19520729";
    ReadConditions.EndDate = "99999999";
    ReadConditions.SelMode = "MIX";
    Settings.ExtendedBandSet = extended ? 1 : 0;
    if (kind == 5)
      SizeDxccTable(extended);
    else if (kind == 3)
      SizeSubSquareTable(extended);
    else
      SizeSquareTable(extended);
    grid.SetCols(extended ? 31 : 25);
    return kind == 5 ? MakeDXCCTable(Hamlog.HdbRecordCount) : MakeGridTable(kind, Hamlog.HdbRecordCount);
  }
  // Data rows and the totals row: column 1 and the marked band columns.
  QStringList rows(int count) {
    QStringList out;
    for (int r = 1; r <= count + 1; ++r) {
      QString line = grid.TextMatrix(r, 0) + "|" + grid.TextMatrix(r, 1);
      for (int c = 7; c < grid.Cols(); ++c)
        if (!grid.TextMatrix(r, c).isEmpty() && grid.TextMatrix(r, c) != "0")
          line += " " + QString::number(c) + ":" + grid.TextMatrix(r, c);
      out << line;
    }
    return out;
  }
  QStringList listLines(const QString& name) {
    return FromAnsi(log.home.read(name)).split("\r\n", Qt::SkipEmptyParts);
  }
};

TEST_F(LocatorTablesTest, Square75CountsConfirmedJapaneseSquaresFrom1985) {
  log.Add({"JA1AAA,1990/01/01,7.025,CW,1001,J *,,,PM95",      // 1
           "JA1BBB,1991/01/01,7.010,CW,1001,J *,,,PM95XX",    // 2 same square and band: 1 stays
           "JA1CCC,1992/01/01,435.0/145.9,FM,1001,P *,,,PM95",  // 3 satellite: the excluded kind passes
           "JA1DDD,1993/01/01,14.2,SSB,1001,J E,,,QM05",      // 4
           "JA1EEE,1993/01/01,14.2,SSB,1001,J *,,,OM95",      // 5 out of range: told
           "W1AW,1993/01/01,14.2,SSB,1001,J *,,,FN31",        // 6 not Japanese: silent
           "JA1FFF,1984/12/31,21.0,CW,1001,J *,,,PM96",       // 7 before 1985
           "JA1GGG,1994/01/01,21.0,CW,1001,J  ,,,PM97",       // 8 not confirmed
           "JA1HHH,1994/01/01,21.0,CW,1001,J *,,,pm95",       // 9 lower case: told
           "8J1RL,1994/01/01,21.0,CW,1001,J *,,,PM98",        // 10 the league's station
           "JA1III,1994/01/01,21.0,CW,1001,P *,,,PM99",       // 11 excluded kind
           "JA1JJJ,1994/01/01,21.0,CW,1001,J *,,,PM9"});     // 12 too short: silent
  boxes.Answer(vbOK).Answer(vbOK);
  EXPECT_EQ(scan(2), TableScan::Found);
  EXPECT_EQ(boxes.texts(),
            QStringList({"HAMLOGデータ　レコードナンバー ( 5 ) の\r\n[ OM95 ] 1 桁目は JA としては怪しいナンバーです、パスします",
                         "HAMLOGデータ　レコードナンバー ( 9 ) の\r\n[ pm95 ] 2 桁目は JA としては怪しいナンバーです、パスします"}));
  EXPECT_EQ(SquareCell("PM95", 2), 1);
  EXPECT_EQ(SquareCell("PM95", 15), 3);
  const int n = FillLocatorRows(grid, 2, false);
  ASSERT_EQ(n, 2);
  // PM95 before QM05; each square once, and once in each band's total.
  EXPECT_EQ(rows(n), QStringList({" 1|PM95 9:C 22:C", " 2|QM05 11:C", " Band計| 9:1 11:1 22:1"}));
  EXPECT_EQ(grid.Rows(), 4);
  // A refill starts from the heading row again.
  EXPECT_EQ(FillLocatorRows(grid, 2, false), 2);
  EXPECT_EQ(grid.Rows(), 4);
}

TEST_F(LocatorTablesTest, WasaTakesTheWholeWorldAndSubSquaresSixCharacters) {
  log.Add({"W1AW,1990/01/01,14.2,SSB,,J *,,,IO91", "JA1AAA,1990/01/01,14.2,SSB,1001,J *,,,SM95",
           "JA1AAA,1991/01/01,3.5,CW,1001,J *,,,PM95AB", "JA1BBB,1991/01/01,3.5,CW,1001,J *,,,PM95AA",
           "JA1CCC,1991/01/01,3.5,CW,1001,J *,,,PM95ab", "JA1DDD,1991/01/01,435.0/145.9,FM,1001,P *,,,PM95AC"});
  boxes.Answer(vbOK);
  EXPECT_EQ(scan(4), TableScan::Found);
  EXPECT_EQ(boxes.texts().value(0),
            "HAMLOGデータ　レコードナンバー ( 2 ) の\r\n[ SM95 ] 1 桁目は怪しいナンバーです、パスします");
  EXPECT_EQ(rows(FillLocatorRows(grid, 4, false)),
            QStringList({" 1|IO91 11:C", " 2|PM95 8:C 22:C", " Band計| 8:1 11:1 22:1"}));

  boxes.Answer(vbOK);
  EXPECT_EQ(scan(3), TableScan::Found);
  EXPECT_EQ(boxes.texts().value(1),
            "HAMLOGデータ　レコードナンバー ( 5 ) の\r\n[ PM95ab ] 6 桁目は JA としては怪しいナンバーです、パスします");
  // The 4-character locators pass silently; the satellite QSO of an excluded kind does not count here.
  EXPECT_EQ(rows(FillLocatorRows(grid, 3, false)),
            QStringList({" 1|PM95AA 8:C", " 2|PM95AB 8:C", " Band計| 8:2"}));
}

TEST_F(LocatorTablesTest, AnEmptyTableGivesOnlyTheTotalsRow) {
  log.Add({"JA1AAA,1990/01/01,7.025,CW,1001,J  ,,,PM95"});
  EXPECT_EQ(scan(2), TableScan::NothingFound);
  EXPECT_EQ(FillLocatorRows(grid, 2, false), 0);
  EXPECT_EQ(grid.TextMatrix(1, 0), " Band計");
  EXPECT_EQ(grid.TextMatrix(1, 22), "0");
}

TEST_F(LocatorTablesTest, TheDxccTableTakesEntitiesOfConfirmedDxCodes) {
  log.Add({"W1AW,1980/01/01,14.2,SSB,501A,J *",       // 1
           "W1AX,1981/01/01,14.2,SSB,501A,J *",       // 2 the lower record stays
           "JA1AAA,1990/01/01,14.2,SSB,1001,J *",     // 3 a city, no entity
           "K1A,1990/01/01,0.475,CW,502A,J *",        // 4 475 kHz
           "K1B,1990/01/01,435.0/145.9,FM,503A,P *",  // 5 satellite of an excluded kind
           "K1C,1990/01/01,0.1357,CW,502A,J *",       // 6 135 kHz
           "K1D,1990/01/01,14.0,CW,5X1A,J *",         // 7 no number: passed over
           "K1E,1990/01/01,9.0,CW,504A,J *"});       // 8 no band
  EXPECT_EQ(scan(5, true), TableScan::Found);
  EXPECT_EQ(DxccCell(501, 4), 1);
  EXPECT_EQ(DxccCell(502, 16), 4);
  EXPECT_EQ(DxccCell(503, 21), 5);
  const int n = FillDxccRows(grid, true);
  EXPECT_EQ(rows(n), QStringList({"|501 11:C", "|502 22:C 23:C", "|503 28:C", "| 11:1 22:1 23:1 28:1"}));
  EXPECT_EQ(grid.TextMatrix(n + 1, 2), "    合    計");

  // The band list of all bands leaves out 135 kHz and 475 kHz; each entity is listed once.
  const BandListOutcome all = WriteBandList(5, "ALL(0R135to77G_and_SAT)", grid, n, true);
  EXPECT_EQ(all.count, 2);
  const QStringList lines = listLines("DXCC_ALL(0R135to77G_and_SAT).TXT");
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], " 501          W1AW          1980-01-01    14            SSB");
  EXPECT_TRUE(lines[1].startsWith(" 503          K1B"));
}

TEST_F(LocatorTablesTest, BandListsOfOneBandAndOfABandGroup) {
  log.Add({"JA1AAA,1990/01/01,3.5,CW,1001,J *,,,PM95", "JA1BBB,1990/01/02,14.2,SSB,1001,J *,,,PM95",
           "JA1CCC,1990/01/03,1.9,CW,1001,J *,,,QN01", "JA1DDD,1990/01/04,50.1,FM,1001,J *,,,PM96"});
  ASSERT_EQ(scan(2), TableScan::Found);
  int n = FillLocatorRows(grid, 2, false);
  BandListOutcome hf = WriteBandList(2, "HF", grid, n, false);
  EXPECT_EQ(hf.count, 2);
  EXPECT_EQ(listLines("SQUARE_HF.TXT"),
            QStringList({"PM95          JA1AAA        1990-01-01    3.5           CW",
                         "QN01          JA1CCC        1990-01-03    1.9           CW"}));
  EXPECT_EQ(WriteBandList(2, "50", grid, n, false).count, 1);
  EXPECT_EQ(WriteBandList(2, "10G", grid, n, false).count, 0);  // no such band in the standard set

  ASSERT_EQ(scan(4), TableScan::Found);
  n = FillLocatorRows(grid, 4, false);
  EXPECT_EQ(WriteBandList(4, "HF", grid, n, false).count, 3);  // PM95 once per band
  EXPECT_EQ(listLines("WASA_HF.TXT").value(1), "PM95          JA1BBB        1990-01-02    14            SSB");
  const BandListOutcome low = WriteBandList(4, "1R9", grid, n, false);
  EXPECT_TRUE(low.path.endsWith("/WASA_1R9.TXT"));
  EXPECT_EQ(low.count, 1);
  EXPECT_EQ(WriteBandList(4, "1R9", grid, 0, false).count, 0);
  EXPECT_TRUE(listLines("WASA_1R9.TXT").isEmpty());

  EXPECT_EQ(BandListColumns("HF", true), std::vector<int>({7, 8, 9, 10, 11, 12, 13, 14, 15, 22, 23}));
  EXPECT_EQ(BandListColumns("VUS", true), std::vector<int>({16, 17, 18, 19, 20, 21, 24, 25, 26, 27}));
  EXPECT_EQ(BandListColumns("VUS_and_SAT", false), std::vector<int>({16, 17, 18, 19, 20, 21, 22}));
  EXPECT_TRUE(BandListColumns("ALL(1R9to5600)", true).empty());
}

TEST_F(LocatorTablesTest, ARecordThatCannotBeReadGivesNoLineOfAnotherQso) {
  log.Add({"JA1AAA,1990/01/01,3.5,CW,1001,J *,,,PM95", "JA1BBB,1990/01/02,14.2,SSB,1001,J *,,,PM95",
           "JA1CCC,1990/01/03,7.0,CW,1001,J *,,,QN01"});
  ASSERT_EQ(scan(2), TableScan::Found);
  const int n = FillLocatorRows(grid, 2, false);
  // The 3.5 MHz QSO of PM95 is gone from the log since the scan.
  auto first = std::find(GridTables.SquareTable.begin(), GridTables.SquareTable.end(), 1);
  ASSERT_NE(first, GridTables.SquareTable.end());
  *first = 999;
  boxes.Answer(vbOK);
  const BandListOutcome hf = WriteBandList(2, "HF", grid, n, false);
  EXPECT_EQ(boxes.texts().size(), 1);  // the reader's own message
  EXPECT_EQ(hf.unreadable, 1);
  EXPECT_EQ(hf.count, 2);
  EXPECT_TRUE(hf.written);
  EXPECT_EQ(listLines("SQUARE_HF.TXT"), QStringList({"PM95          JA1BBB        1990-01-02    14            SSB",
                                                     "QN01          JA1CCC        1990-01-03    7             CW"}));
}

}  // namespace
