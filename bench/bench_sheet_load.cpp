// Speed of the progress sheet's load on synthetic logs over the sample master: extraction through the
// HAMLOG stand-in, work file, sort, collation, marks, fill and totals.
//
//   BM_SheetLoad/N        the whole load of the sheet window (master, reading, tally, grid)
//   BM_BuildDmyDbs/N      the reading and the tally without a window
//   BM_CollateAndFill/N   collation, kinds and totals of an extracted work file
// Counters: QSOs per second, and the peak of the process's own memory (MB) during the runs.

#include <benchmark/benchmark.h>

#include "bench_main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/paths.h"
#include "platform/ui/form.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/Collation.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetTally.h"
#include "synthetic_log.h"

namespace {

// Memory of the process's own (anonymous) pages, sampled every 2 ms while the timed work runs. The
// resident size alone would also count the pages of HAMLOG.HDB that the library maps and touches.
int64_t statusKb(const char* key) {
  QFile f("/proc/self/status");
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith(key))
      return line.mid(qsizetype(strlen(key))).trimmed().split(' ').value(0).toLongLong();
  return -1;
}

class PeakSampler {
 public:
  PeakSampler()
      : thread_([this] {
          while (!stop_) {
            peakKb_ = std::max<int64_t>(peakKb_, statusKb("RssAnon:"));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
          }
        }) {}
  ~PeakSampler() {
    stop_ = true;
    thread_.join();
  }
  int64_t PeakMb() const { return std::max<int64_t>(peakKb_, statusKb("RssAnon:")) / 1024; }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<int64_t> peakKb_{0};
  std::thread thread_;
};

void finish(benchmark::State& state, int64_t qsos, const PeakSampler& peak) {
  state.counters["QSOs/s"] = benchmark::Counter(double(qsos), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peakMB"] = double(peak.PeakMb());
}

void BM_SheetLoad(benchmark::State& state) {
  const QString dir = SyntheticLogFolder(state.range(0));
  PeakSampler peak;
  for (auto _ : state) {
    state.PauseTiming();
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    PrepareSyntheticLog(dir);
    state.ResumeTiming();
    Form<CWSHEET>();
    if (SheetTally.ReadFailed) state.SkipWithError("the load failed");
  }
  finish(state, state.range(0), peak);
  UnloadForm<CWSHEET>();
}
BENCHMARK(BM_SheetLoad)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_BuildDmyDbs(benchmark::State& state) {
  const QString dir = SyntheticLogFolder(state.range(0));
  PeakSampler peak;
  for (auto _ : state) {
    state.PauseTiming();
    PrepareSyntheticLog(dir);
    SheetTally = {};
    SheetTally.MasterRowCount = LoadMasterList(MasterList.MasterRecLen);
    SheetTally.SizeCellArrays(BandLayout.LastBandColumn, MasterList.MasterRowCap);
    state.ResumeTiming();
    BuildDmyDbs();
    if (SheetTally.ReadFailed) state.SkipWithError("the reading failed");
  }
  finish(state, state.range(0), peak);
}
BENCHMARK(BM_BuildDmyDbs)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CollateAndFill(benchmark::State& state) {
  const QString dir = SyntheticLogFolder(state.range(0));
  PrepareSyntheticLog(dir);
  SheetTally = {};
  SheetTally.MasterRowCount = LoadMasterList(MasterList.MasterRecLen);
  SheetTally.SizeCellArrays(BandLayout.LastBandColumn, MasterList.MasterRowCap);
  BuildDmyDbs();
  QByteArray work;
  ReadWholeFile(DmyDbsPath(), work);
  PeakSampler peak;
  for (auto _ : state) {
    state.PauseTiming();
    for (int32_t r = 1; r <= SheetTally.MasterRowCount; ++r)
      for (int32_t c = 5; c <= BandLayout.LastBandColumn; ++c) MasterTable(c, r).clear();
    SheetTally.SizeCellArrays(BandLayout.LastBandColumn, MasterList.MasterRowCap);
    state.ResumeTiming();
    CollateDmyDbs(work, CurrentConfirmRule());
    FillProgressSheet();
  }
  finish(state, state.range(0), peak);
}
BENCHMARK(BM_CollateAndFill)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
