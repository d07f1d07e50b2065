// Speed of the progress sheet's load on synthetic logs over the sample master: extraction through the
// HAMLOG stand-in, work file, sort, collation, marks, fill and totals.
//
//   BM_SheetLoad/N        the whole load of the sheet window (master, reading, tally, grid)
//   BM_BuildDmyDbs/N      the reading and the tally without a window
//   BM_CollateAndFill/N   collation, kinds and totals of an extracted work file
// Counters: QSOs per second, and the peak of the process's own memory (MB) during the runs.

#include <benchmark/benchmark.h>

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

namespace {

QTemporaryDir& root() {
  static QTemporaryDir dir;
  return dir;
}

// One HAMLOG folder per log size, generated once.
QString logFolder(int64_t qsos) {
  static std::map<int64_t, QString> made;
  auto it = made.find(qsos);
  if (it != made.end()) return it->second;
  const QString dir = root().filePath(QString("log%1").arg(qsos));
  QDir().mkpath(dir);
  hamlogdb::Create(dir);
  hamlogdb::LoadMaster(dir, QString(ORBEX_DATA_DIR) + "/master.csv");
  hamlogdb::Generate(dir, qsos, 20240607);
  made[qsos] = dir;
  return dir;
}

// Settings of a program folder that reads the log of `dir` afresh.
void prepare(const QString& dir) {
  const QString home = root().filePath("home");
  QDir().mkpath(home);
  qputenv("ORBEX_HOME", home.toLocal8Bit());
  Settings = {};
  Settings.DataFolder = home;
  Settings.QslReceivedMarks[0] = "*";
  Settings.QslReceivedMarks[1] = "E";
  ReadConditions = {};
  StartFlags = {};
  Hamlog.HamlogDbPath = hamlogdb::DatabasePath(dir);
  Hamlog.HamlogClosed = 1;
  Hamlog.HdbRecordCount = CountHdbRecords();
  MasterList.MasterFilePath = hamlogdb::MasterPath(dir);
  MasterList.MasterRecLen = 56;
  MasterList.MasterHeaderLen = 235;
  MasterList.MasterRowCap = static_cast<int32_t>((FileLen(MasterList.MasterFilePath) - 290) / 56);
  ApplyBandSetLayout();
  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
}

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
  const QString dir = logFolder(state.range(0));
  PeakSampler peak;
  for (auto _ : state) {
    state.PauseTiming();
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    prepare(dir);
    state.ResumeTiming();
    Form<CWSHEET>();
    if (SheetTally.ReadFailed) state.SkipWithError("the load failed");
  }
  finish(state, state.range(0), peak);
  UnloadForm<CWSHEET>();
}
BENCHMARK(BM_SheetLoad)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_BuildDmyDbs(benchmark::State& state) {
  const QString dir = logFolder(state.range(0));
  PeakSampler peak;
  for (auto _ : state) {
    state.PauseTiming();
    prepare(dir);
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
  const QString dir = logFolder(state.range(0));
  prepare(dir);
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

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
