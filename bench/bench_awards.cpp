// Speed of the award views on the tally of a synthetic log over the sample master.
//
//   BM_TotalsWindow/N        opening the totals window on the sheet of an N-QSO log (table and grid)
//   BM_TotalsWindowShown/N   the same, shown and painted once, as the sheet's menu opens it
//   BM_TotalsTable/N         the totals table alone, for a range drag
//   BM_ApplicationBook/N     opening the application book (counts file, arithmetic, book CSV)
//   BM_LeagueStationCheck/N  the league-station check of a 1,000-call station list against an N-QSO log

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QSet>
#include <QTemporaryDir>
#include <map>

#include "awards/BandTotalsTable.h"
#include "awards/LeagueStationCheck.h"
#include "bench_main.h"
#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "forms/awards/ORBBOOK.h"
#include "forms/awards/ORBTOTAL1.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/paths.h"
#include "platform/ui/form.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/SheetTally.h"
#include "synthetic_log.h"

namespace {

// The sheet's tally of the log, as the totals window finds it.
void tallyOf(int64_t qsos) {
  static int64_t done = -1;
  PrepareSyntheticLog(SyntheticLogFolder(qsos));
  if (done == qsos) return;
  SheetTally = {};
  BandTotals = {};
  SheetTally.MasterRowCount = LoadMasterList(MasterList.MasterRecLen);
  SheetTally.SizeCellArrays(BandLayout.LastBandColumn, MasterList.MasterRowCap);
  BuildDmyDbs();
  done = qsos;
}

void flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void BM_TotalsWindow(benchmark::State& state) {
  tallyOf(state.range(0));
  for (auto _ : state) {
    Form<ORBTOTAL1>();
    state.PauseTiming();
    UnloadForm<ORBTOTAL1>();
    flush();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TotalsWindow)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_TotalsWindowShown(benchmark::State& state) {
  tallyOf(state.range(0));
  for (auto _ : state) {
    ORBTOTAL1& totals = Form<ORBTOTAL1>();
    totals.Show();
    benchmark::DoNotOptimize(totals.grab());
    state.PauseTiming();
    UnloadForm<ORBTOTAL1>();
    flush();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TotalsWindowShown)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_TotalsTable(benchmark::State& state) {
  tallyOf(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(BuildTotalsTable(BandTotals, {4, 8}, 0));
}
BENCHMARK(BM_TotalsTable)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void BM_ApplicationBook(benchmark::State& state) {
  tallyOf(state.range(0));
  for (auto _ : state) {
    Form<ORBBOOK>();
    state.PauseTiming();
    UnloadForm<ORBBOOK>(vbFormControlMenu);  // writes the counts file the next opening reads
    flush();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ApplicationBook)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A station list of 1,000 calls: those of the log's first QSOs (each with QSOs to find), the rest
// calls the log does not hold.
void writeStationList(int count) {
  QSet<QString> calls;
  HamlogOpenDb();
  for (int32_t rec = 1; rec <= Hamlog.HdbRecordCount && calls.size() < count / 2; ++rec) {
    ReadQsoBasic(rec, 1);
    SplitCallSign(Qso.QsoCall);
    calls.insert(QsoRules.CallBase);
  }
  HamlogCloseDb(0);
  for (int i = 0; calls.size() < count; ++i) calls.insert(QString("8J%1ZZ").arg(i));
  VbFile f(JoinPath(ProgramFolder(), "JARLstation.TXT"), VbMode::Output);
  for (const QString& c : calls) f.Print({c});
  f.Close();
}

void BM_LeagueStationCheck(benchmark::State& state) {
  PrepareSyntheticLog(SyntheticLogFolder(state.range(0)));
  writeStationList(1000);
  SetMsgBoxHook([](const MsgBoxCall&) { return MsgBoxAnswer{}; });
  SetShellHook([](const ShellCall&) { return int64_t(kShellDone); });
  for (auto _ : state) CheckJARLStationAward(kAllBandsChoice);
  state.counters["points"] = LeagueStation.LeaguePointCount;
  SetMsgBoxHook({});
  SetShellHook({});
}
BENCHMARK(BM_LeagueStationCheck)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
