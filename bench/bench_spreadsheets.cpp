// Speed of the spreadsheet outputs on the sheet of a synthetic log (sample master, 100,000 and
// 1,000,000 QSOs): the ORB book (the QSOs behind its confirmed cells taken from the sheet load's
// column copy) and the cfm/wkd list (data file, the macro's rows), each with its .xlsx written into
// the program folder. With them the award book's posting into that ORB book: the workbook opened to
// be kept, the book put on its second sheet and only that sheet and the macro log replaced in the
// file. Target: under 100 ms each.

#include <benchmark/benchmark.h>

#include "bench_main.h"

#include <QFile>

#include "awards/ApplicationBook.h"
#include "core/DesignatedCities.h"
#include "outputs/MasterTableRows.h"
#include "outputs/Spreadsheets.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/SheetTally.h"
#include "synthetic_log.h"

namespace {

void loadSheet(int64_t qsos) {
  static int64_t loaded = -1;
  if (loaded == qsos) return;
  PrepareSyntheticLog(SyntheticLogFolder(qsos));
  SheetTally = {};
  SheetTally.MasterRowCount = LoadMasterList(MasterList.MasterRecLen);
  SheetTally.SizeCellArrays(BandLayout.LastBandColumn, MasterList.MasterRowCap);
  BuildDmyDbs();
  loaded = qsos;
}

// The sheet's ORB book written as ORB_SHEET.xlsx; false with the reason in `error`.
bool WriteOrbBookWorkbook(OrbBookResult& result, QString& error) {
  const MasterTableRows rows;
  std::unique_ptr<Workbook> book = NewWorkbook(kOrbBookWorkbook);
  DefineMacroStandIns(*book, kOrbBookWorkbook);
  int32_t macro = 0;
  if (book->Open() <= 32 || book->Attach() != 0 || book->Run("Main", {rows.LastDataRow(), 0}, macro) != 0 ||
      HamlogOpenDb() != 0) {
    error = QStringLiteral("workbook or HAMLOG would not open");
    return false;
  }
  result = WriteOrbBookCells(*book, rows, nullptr);
  HamlogCloseDb(0);
  return book->Publish(error);
}

QString OrbWorkbookPath() { return JoinPath(ProgramFolder(), XlsxFileName(kOrbBookWorkbook)); }

void BM_OrbBookWorkbook(benchmark::State& state) {
  loadSheet(state.range(0));
  OrbBookResult result;
  for (auto _ : state) {
    QString error;
    if (!WriteOrbBookWorkbook(result, error)) {
      state.SkipWithError(error.toUtf8().constData());
      break;
    }
  }
  state.counters["confirmed"] = double(result.confirmed);
  state.counters["bytes"] = double(QFile(OrbWorkbookPath()).size());
}
BENCHMARK(BM_OrbBookWorkbook)->ArgNames({"qsos"})->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CfmWkdWorkbook(benchmark::State& state) {
  loadSheet(state.range(0));
  for (auto _ : state) {
    const MasterTableRows rows;
    QString error;
    if (!WriteExcelDataFile(rows, false, "0", error)) {
      state.SkipWithError(error.toUtf8().constData());
      break;
    }
    std::unique_ptr<Workbook> book = NewWorkbook(kCfmWkdWorkbook);
    DefineMacroStandIns(*book, kCfmWkdWorkbook);
    int32_t macro = 0;
    if (book->Open() <= 32 || book->Attach() != 0 || book->Run("Main", {0}, macro) != 0 || !book->Publish(error))
      state.SkipWithError("workbook not written");
  }
  state.counters["rows"] = double(MasterTableRows().LastDataRow());
}
BENCHMARK(BM_CfmWkdWorkbook)->ArgNames({"qsos"})->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_PostBookToOrbWorkbook(benchmark::State& state) {
  loadSheet(state.range(0));
  OrbBookResult written;
  QString error;
  if (!WriteOrbBookWorkbook(written, error)) {
    state.SkipWithError(error.toUtf8().constData());
    return;
  }
  TextTable table = NewBookTable(0, QDate(2026, 12, 7));
  RecalcBookTotals(table, BandTotals, 0);
  for (auto _ : state) {
    std::unique_ptr<Workbook> book = NewWorkbook(kOrbBookWorkbook);
    book->DefineMacro("totalMain", [&table](Workbook& b, const QVariantList&) {
      PutBookOnSheet(b, table, QStringLiteral("ORB本用 集計"));
      return 0;
    });
    int32_t macro = 0;
    if (book->OpenExisting() <= 32 || book->Attach() != 0 || book->SelectSheetAt(2) != 0 ||
        book->Run("totalMain", {0, 0}, macro) != 0 || !book->Publish(error)) {
      state.SkipWithError((error + book->ErrorText()).toUtf8().constData());
      break;
    }
  }
  state.counters["bytes"] = double(QFile(OrbWorkbookPath()).size());
}
BENCHMARK(BM_PostBookToOrbWorkbook)->ArgNames({"qsos"})->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
