// Speed of the spreadsheet outputs on the sheet of a synthetic log (sample master, 1,000,000 QSOs):
// the ORB book (a HAMLOG read per confirmed cell) and the cfm/wkd list (data file, the macro's rows),
// each with its .xlsx written into the program folder. Target: under 2 s each.

#include <benchmark/benchmark.h>

#include "bench_main.h"

#include <QFile>

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

void BM_OrbBookWorkbook(benchmark::State& state) {
  loadSheet(state.range(0));
  OrbBookResult result;
  for (auto _ : state) {
    const MasterTableRows rows;
    std::unique_ptr<Workbook> book = NewWorkbook(kOrbBookWorkbook);
    DefineMacroStandIns(*book, kOrbBookWorkbook);
    int32_t macro = 0;
    if (book->Open() <= 32 || book->Attach() != 0 || book->Run("Main", {rows.LastDataRow(), 0}, macro) != 0 ||
        HamlogOpenDb() != 0) {
      state.SkipWithError("workbook or HAMLOG would not open");
      break;
    }
    result = WriteOrbBookCells(*book, rows, nullptr);
    HamlogCloseDb(0);
    QString error;
    if (!book->Publish(error)) state.SkipWithError(error.toUtf8().constData());
  }
  state.counters["confirmed"] = double(result.confirmed);
  state.counters["bytes"] = double(QFile(JoinPath(ProgramFolder(), XlsxFileName(kOrbBookWorkbook))).size());
}
BENCHMARK(BM_OrbBookWorkbook)->ArgNames({"qsos"})->Arg(1000000)->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_CfmWkdWorkbook)->ArgNames({"qsos"})->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
