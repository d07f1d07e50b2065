// The grid-locator and DXCC tables: locator checks, the scans' conditions and messages, the sheets'
// rows and totals, and the band lists written from them.

#include <gtest/gtest.h>

#include <algorithm>

#include "awards/LocatorSheets.h"
#include "awards/LocatorTables.h"
#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"
#include "hamlogdb/record_image.h"
#include "hamlogdb/tool_support.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/SheetTally.h"
#include "support/other_process.h"
#include "support/sheet_log.h"
#include "support/small_disk.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <QRandomGenerator>

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
  TableScan scan(int kind, bool extended = false, const QString& dataFolder = {}) {
    log.Prepare();
    if (!dataFolder.isEmpty()) Settings.DataFolder = dataFolder;
    ReadConditions.StartDate = "19520729";
    ReadConditions.EndDate = "99999999";
    ReadConditions.SelMode = "MIX";
    Settings.ExtendedBandSet = extended ? 1 : 0;
    (kind == 5 ? SizeDxccTable : kind == 3 ? SizeSubSquareTable : SizeSquareTable)(extended);
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
           "JA1JJJ,1994/01/01,21.0,CW,1001,J *,,,PM9"});     // 12 cut short: told
  boxes.Answer(vbOK);
  EXPECT_EQ(scan(2), TableScan::Found);
  // The locators passed over: one message with their count, and their list in the data folder.
  EXPECT_EQ(boxes.texts(), QStringList({"グリッドロケータが怪しいQSOが 3 件あり、ロケータ無しとしてパスしました。\r\n一覧は " +
                                        log.home.file("GridLocError_Report.txt") + " に書きました。"}));
  EXPECT_EQ(listLines("GridLocError_Report.txt"),
            QStringList({"交信番号=5 コール=JA1EEE 交信日=1993-01-01 グリッドロケータ=OM95 は 1 桁目が JA としては怪しいナンバーです",
                         "交信番号=9 コール=JA1HHH 交信日=1994-01-01 グリッドロケータ=pm95 は 2 桁目が JA としては怪しいナンバーです",
                         "交信番号=12 コール=JA1JJJ 交信日=1994-01-01 グリッドロケータ=PM9 は 4 桁目が JA としては怪しいナンバーです"}));
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
  // On a full disk the last list is kept whole and the box says why the new one is not there.
  SmallDisk disk(64);
  if (!disk.Available()) GTEST_SKIP() << disk.Why().toStdString();
  ASSERT_TRUE(AtomicWriteFile(disk.file("GridLocError_Report.txt"), QByteArray(9000, 'x')));
  disk.Fill();
  boxes.Answer(vbOK);
  scan(2, false, disk.path());
  EXPECT_TRUE(boxes.texts().last().endsWith(disk.file("GridLocError_Report.txt") + " に一覧を書けませんでした（ディスクに空きがありません）。\r\nディスクに空きを作ってから、もう一度行って下さい。"));
  EXPECT_EQ(QFile(disk.file("GridLocError_Report.txt")).size(), 9000);
}

TEST_F(LocatorTablesTest, WasaTakesTheWholeWorldAndSubSquaresSixCharacters) {
  log.Add({"W1AW,1990/01/01,14.2,SSB,,J *,,,IO91", "JA1AAA,1990/01/01,14.2,SSB,1001,J *,,,SM95",
           "JA1AAA,1991/01/01,3.5,CW,1001,J *,,,PM95AB", "JA1BBB,1991/01/01,3.5,CW,1001,J *,,,PM95AA",
           "JA1CCC,1991/01/01,3.5,CW,1001,J *,,,PM95ab", "JA1DDD,1991/01/01,435.0/145.9,FM,1001,P *,,,PM95AC"});
  boxes.Answer(vbOK);
  EXPECT_EQ(scan(4), TableScan::Found);
  EXPECT_TRUE(boxes.texts().value(0).startsWith("グリッドロケータが怪しいQSOが 1 件あり"));
  EXPECT_EQ(listLines("GridLocError_Report.txt"),
            QStringList({"交信番号=2 コール=JA1AAA 交信日=1990-01-01 グリッドロケータ=SM95 は 1 桁目が怪しいナンバーです"}));
  EXPECT_EQ(rows(FillLocatorRows(grid, 4, false)),
            QStringList({" 1|IO91 11:C", " 2|PM95 8:C 22:C", " Band計| 8:1 11:1 22:1"}));

  boxes.Answer(vbOK);
  EXPECT_EQ(scan(3), TableScan::Found);
  EXPECT_EQ(listLines("GridLocError_Report.txt"),
            QStringList({"交信番号=5 コール=JA1CCC 交信日=1991-01-01 グリッドロケータ=PM95ab は 6 桁目が JA としては怪しいナンバーです"}));
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

// The column copy that the sheet load leaves (extended by an appending reading) against the
// record-by-record scan on a log with every kind of odd field: the same tables, sheet rows, band
// lists, reports and messages, in both band sets.
TEST_F(LocatorTablesTest, TheColumnCopyGivesWhatTheRecordByRecordScanGives) {
  ASSERT_TRUE(hamlogdb::Generate(log.dir, 6000, 23).Ok());
  const QByteArray sj = ToAnsi(QString::fromUtf8("ＰＭ９５"));
  const QList<QByteArray> odd[] = {
      {"24/05/06", "24/02/30", "2024/5/6", QByteArray(8, '\0'), ToAnsi(QString::fromUtf8("２４/05/06")), "84/12/31"},
      {"7.025", "4.630", "", "435/145", "*10.2", "0.1375", "0.475", ToAnsi(QString::fromUtf8("１４．０")), "14.2\t", "1.9"},
      {"PM95", "pm95", "OM95", "PM95AX", "PM95ay", "QN99XX", "IO91", "PM9", "", sj, "AR00", QByteArray("P\0M95", 5)},
      {"JA1AAA/1", "W1AW/JA1", "/JA1XYZ", "JA1AAA/P", "JA1XYZ/QRP", "8J1RL", "JR1/JA1AB", "JA1A/SO2005", "J",
       ToAnsi(QString::fromUtf8("ＪＡ１")), "JD1ABC/JD1", "KH0/JA1AA"},
      {"J *", "P *", "J E", QByteArray(3, '\0'), "D M", ToAnsi(QString::fromUtf8("ﾃ *")), "J  ", "P E"},
      {"501A", "5X1A", "1001", "+50A", "999A", "100105", ToAnsi(QString::fromUtf8("東京"))},
      {"CW", "FT8", "", ToAnsi(QString::fromUtf8("ｼｰﾀﾞﾌﾞﾘｭ")), "SSB"}};
  const int fields[] = {2, 6, 9, 0, 10, 8, 7};
  QFile f(log.Hdb());
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  QRandomGenerator rng(3);
  auto put = [&](int64_t r, int64_t at, const QByteArray& bytes) {
    ASSERT_TRUE(f.seek(hamlog::HdbRecordOffset(r) + at));
    ASSERT_EQ(f.write(bytes), bytes.size());
  };
  for (int64_t r = 1; r <= 6000; ++r) {
    if (r % 97 == 0) put(r, 0, "*");
    if (r == 1234) put(r, 0, QByteArray(hamlog::kHdbRecordLength, '\0'));  // a zeroed record
    if (r % 7 == 0) put(r, hamlog::SpanOf(7).offset, ("X" + QByteArray::number(r)).leftJustified(16));  // 857 modes
    if (r % 3 != 0) continue;
    for (int i = 0; i < 7; ++i) {
      if (rng.bounded(4) != 0) continue;
      const hamlog::FieldSpan span = hamlog::SpanOf(fields[i]);
      const QByteArray v = odd[i][rng.bounded(int(odd[i].size()))].left(span.width);
      put(r, span.offset, v + QByteArray(span.width - v.size(), ' '));
    }
  }
  f.close();
  log.Prepare();
  Settings.QslReceivedMarks[2] = "M";
  ReadConditions.StartDate = "19520729";
  ReadConditions.EndDate = "20231231";
  ReadConditions.SelMode = "MIX";
  boxes.OnShow = [this](const MsgBoxCall&) { boxes.Answer(vbOK); };
  log.Load();
  ASSERT_EQ(QsoColumns.Count(), 6000);
  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,J *,,,QM05", "JA1NEW/2,2021/05/06,21.010,CW,1002,J E,,,PM96",
           "VK2AB,2021/05/07,14.010,CW,501A,J *,,,QF56"});
  Hamlog.HdbRecordCount = CountHdbRecords();
  SheetTally.AppendRead = 1;
  BuildDmyDbs();
  ASSERT_EQ(QsoColumns.Count(), 6003);  // extended by the appending reading
  ASSERT_TRUE(QsoColumns.CoversLogEnd());
  ASSERT_FALSE(QsoColumns.UndatedRecords().empty());
  ASSERT_FALSE(QsoColumns.SlashedCalls().empty());

  struct Outcome {
    TableScan scan;
    std::vector<int32_t> table;
    QStringList rows, messages;
    QByteArray list, freqReport, locatorReport;
  };
  auto run = [&](int kind, bool extended, TableSource source) {
    Settings.ExtendedBandSet = extended ? 1 : 0;
    LocatorTableSource = source;
    for (const char* file : {"FreqError_Report.txt", "GridLocError_Report.txt"}) QFile::remove(log.home.file(file));
    const size_t before = boxes.shown().size();
    (kind == 5 ? SizeDxccTable : kind == 3 ? SizeSubSquareTable : SizeSquareTable)(extended);
    grid.SetCols(extended ? 31 : 25);
    Outcome o;
    o.scan = kind == 5 ? MakeDXCCTable(Hamlog.HdbRecordCount) : MakeGridTable(kind, Hamlog.HdbRecordCount);
    o.table = kind == 5 ? GridTables.DxccTable : kind == 3 ? GridTables.SubSquareTable : GridTables.SquareTable;
    const int n = kind == 5 ? FillDxccRows(grid, extended) : FillLocatorRows(grid, kind, extended);
    o.rows = rows(n);
    const QString key = extended ? "ALL(0R135to77G_and_SAT)" : "ALL(1R9to5600_and_SAT)";
    WriteBandList(kind, key, grid, n, extended);
    o.list = log.home.read(QFileInfo(BandListPath(kind, key)).fileName());
    o.freqReport = log.home.read("FreqError_Report.txt");
    o.locatorReport = log.home.read("GridLocError_Report.txt");
    for (size_t i = before; i < boxes.shown().size(); ++i) o.messages << boxes.shown()[i].text;
    LocatorTableSource = TableSource::Columns;
    return o;
  };
  for (int kind : {2, 3, 4, 5})
    for (bool extended : {false, true}) {
      const Outcome fast = run(kind, extended, TableSource::Columns);
      const Outcome reference = run(kind, extended, TableSource::PerRecord);
      const std::string name = std::to_string(kind) + (extended ? " extended" : " standard");
      EXPECT_EQ(fast.scan, TableScan::Found) << name;
      EXPECT_EQ(fast.scan, reference.scan) << name;
      EXPECT_GE(reference.rows.size(), 3) << name;  // two rows at least, and the totals
      EXPECT_EQ(fast.table, reference.table) << name;
      EXPECT_EQ(fast.rows, reference.rows) << name;
      EXPECT_EQ(fast.list, reference.list) << name;
      EXPECT_FALSE(reference.freqReport.isEmpty()) << name;
      EXPECT_EQ(fast.freqReport, reference.freqReport) << name;
      EXPECT_EQ(fast.locatorReport, reference.locatorReport) << name;
      EXPECT_EQ(fast.locatorReport.isEmpty(), kind == 5) << name;
      EXPECT_EQ(fast.messages, reference.messages) << name;
      EXPECT_EQ(fast.messages.size(), kind == 5 ? 1 : 2) << name;  // the dates, the locators
    }
}

// The column copy after the log changed in place and grew, by this program's own writes, by another
// program, and by a rewrite at the same size and time: each time the tables show the log as it is now,
// as a scan of it record by record gives them.
TEST_F(LocatorTablesTest, TheColumnCopyFollowsEveryChangeOfTheLog) {
  ASSERT_TRUE(hamlogdb::Generate(log.dir, 3000, 9).Ok());
  log.Prepare();
  ReadConditions.EndDate = "20991231";
  log.Load();
  ASSERT_EQ(QsoColumns.Count(), 3000);
  auto tables = [&](TableSource source) {
    LocatorTableSource = source;
    SizeSquareTable(false);
    EXPECT_EQ(MakeGridTable(2, CountHdbRecords()), TableScan::Found);
    const std::vector<int32_t> squares = GridTables.SquareTable;
    SizeDxccTable(false);
    EXPECT_EQ(MakeDXCCTable(CountHdbRecords()), TableScan::Found);
    LocatorTableSource = TableSource::Columns;
    return std::pair(squares, GridTables.DxccTable);
  };
  auto shown = tables(TableSource::Columns);
  auto expectCurrent = [&](const char* step) {
    const auto now = tables(TableSource::Columns);
    EXPECT_NE(now, shown) << step << ": the change shows";
    EXPECT_EQ(now, tables(TableSource::PerRecord)) << step;
    shown = now;
  };
  // The fields of a confirmed QSO of a new square.
  auto fieldsOf = [](const char* grid) {
    return std::vector<std::pair<int, const char*>>{{0, "JA1ZZZ"}, {2, "20/01/01"}, {6, "50.1"},
                                                    {8, "1002"},   {9, grid},       {10, "J *"}};
  };
  auto square = [&](unsigned char* image, const char* grid) {
    for (auto [field, text] : fieldsOf(grid)) hamlogdb::PutField(image, field, text);
  };

  // This program's writes: a record changed in place, then one more QSO.
  ASSERT_EQ(HamlogOpenDb(), 0);
  ASSERT_EQ(THW_read(Hamlog.Thw, 1000, 3), 0);
  const ThwRecord old = Hamlog.Thw;
  for (auto [field, text] : fieldsOf("PM42")) SetThBuffer(Hamlog.Thw, text, field);
  int32_t confirm = 17;  // written without asking
  ASSERT_EQ(THW_update(Hamlog.Thw, old, 1000, 16, confirm), 0);
  HamlogCloseDb(1);
  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,J *,,,QM05"});
  expectCurrent("own writes");

  // Another program's: a record changed in place, a received mark taken away, one more QSO.
  ASSERT_TRUE(InOtherProcess([&] {
    hamlogdb::OpenedLog other;
    if (!other.Open(log.dir).Ok()) return false;
    unsigned char before[hamlog::kHdbRecordLength], after[hamlog::kHdbRecordLength];
    if (!other.Db().Table().ReadRecord(1500, before)) return false;
    std::copy(before, before + sizeof before, after);
    square(after, "QM17");
    return other.Db().Update(1500, before, after) == 0 && other.Db().PutQslMark(1000, 2, ' ') == 0 &&
           hamlogdb::Generate(log.dir, 5, 77).Ok();
  }));
  expectCurrent("another program's writes");

  // Rewritten in place with other bytes at the same size and modification time.
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(log.Hdb()).constData(), &st), 0);
  QFile f(log.Hdb());
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  QByteArray bytes = f.readAll();
  square(reinterpret_cast<unsigned char*>(bytes.data()) + hamlog::HdbRecordOffset(2000), "PN13");
  ASSERT_TRUE(f.seek(0));
  ASSERT_EQ(f.write(bytes), bytes.size());
  f.close();
  const timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(log.Hdb()).constData(), times, 0), 0);
  expectCurrent("rewritten at the same size and time");
}

}  // namespace
