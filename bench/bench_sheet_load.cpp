// Speed of the progress sheet's load on synthetic logs over the sample master: extraction through the
// HAMLOG stand-in, work file, sort, collation, marks, fill and totals.
//
//   BM_SheetLoad/N        the whole load of the sheet window (master, reading, tally, grid)
//   BM_BuildDmyDbs/N      the reading and the tally without a window
//   BM_CollateAndFill/N   collation, kinds and totals of an extracted work file
//   BM_StartToFilledSheet/N  the start window's start button to the shown sheet with its grid filled
//   BM_LogPrint/N         the log's print over all its records, as an append after another program's
//                         QSOs takes it (the log opened, read and closed)
// Counters: QSOs per second, the peak of the process's own memory (MB) during the runs, and for the
// loads the processor time of all the process's threads per run (cpu_ms).

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
#include <time.h>

#include "app/StartProgram.h"
#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/QsoColumns.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBTOP.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/ui/form.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/Collation.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/LogPrint.h"
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

// The processor time of all the process's threads so far.
double processCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Adds up the processor time of the timed parts of the runs.
class CpuTally {
 public:
  void Start() { from_ = processCpuMs(); }
  void Stop() { total_ += processCpuMs() - from_; }
  void Report(benchmark::State& state) const {
    state.counters["cpu_ms"] = state.iterations() ? total_ / double(state.iterations()) : 0;
  }

 private:
  double from_ = 0, total_ = 0;
};

void finish(benchmark::State& state, int64_t qsos, const PeakSampler& peak) {
  state.counters["QSOs/s"] = benchmark::Counter(double(qsos), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peakMB"] = double(peak.PeakMb());
}

// As after QSOs were logged since the last reading: the load writes LASTP and the work file's stamp
// anew, as an operator's first load of the day does.
void forgetLastReading() {
  WriteIniKeys("ORB", {{"LASTP", ""},
                       {"DBSStampLog", ""},
                       {"DBSLogPrint", ""},
                       {"DBSStampWork", ""},
                       {"DBSStampHash", ""}});
}

void BM_SheetLoad(benchmark::State& state) {
  const QString dir = SyntheticLogFolder(state.range(0));
  PeakSampler peak;
  CpuTally cpu;
  for (auto _ : state) {
    state.PauseTiming();
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    PrepareSyntheticLog(dir);
    forgetLastReading();
    // As at the day's first start: no copy of the log yet, so the last run's reading ahead of the
    // remark marks does not share the processors with this load.
    QsoColumns.Drop();
    cpu.Start();
    state.ResumeTiming();
    Form<CWSHEET>();
    state.PauseTiming();
    cpu.Stop();
    state.ResumeTiming();
    if (SheetTally.ReadFailed) state.SkipWithError("the load failed");
  }
  cpu.Report(state);
  finish(state, state.range(0), peak);
  UnloadForm<CWSHEET>();
}
BENCHMARK(BM_SheetLoad)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_BuildDmyDbs(benchmark::State& state) {
  const QString dir = SyntheticLogFolder(state.range(0));
  PeakSampler peak;
  CpuTally cpu;
  for (auto _ : state) {
    state.PauseTiming();
    PrepareSyntheticLog(dir);
    SheetTally = {};
    SheetTally.MasterRowCount = LoadMasterList(MasterList.MasterRecLen);
    SheetTally.SizeCellArrays(BandLayout.LastBandColumn, MasterList.MasterRowCap);
    cpu.Start();
    state.ResumeTiming();
    BuildDmyDbs();
    state.PauseTiming();
    cpu.Stop();
    state.ResumeTiming();
    if (SheetTally.ReadFailed) state.SkipWithError("the reading failed");
  }
  cpu.Report(state);
  finish(state, state.range(0), peak);
}
BENCHMARK(BM_BuildDmyDbs)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LogPrint(benchmark::State& state) {
  PrepareSyntheticLog(SyntheticLogFolder(state.range(0)));
  for (auto _ : state) {
    LogPrint print;
    HamlogOpenDb();
    if (PrintHdbRecords(1, Hamlog.HdbRecordCount, print, SilentSheetProgress()) != HAMLOG_OK)
      state.SkipWithError("the log was not read");
    HamlogCloseDb(0);
    benchmark::DoNotOptimize(print.Whole[0]);
  }
}
BENCHMARK(BM_LogPrint)->Arg(1000000)->Unit(benchmark::kMillisecond);

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

// The operator's way: the start window of a program folder set up for the log, its start button, the
// sheet shown with the marks in its grid. Between the runs the sheet goes back to the start window and
// "前回データで起動" is unticked, so that every run reads HAMLOG afresh.
void BM_StartToFilledSheet(benchmark::State& state) {
  const QString dir = SyntheticLogFolder(state.range(0));
  PrepareSyntheticLog(dir);
  const QString home = Settings.DataFolder;
  QFile::remove(JoinPath(home, "ORBEX5.INI"));
  QFile::copy(QStringLiteral(ORBEX_DATA_DIR "/home/政令指定都市定義.txt"),
              JoinPath(home, "政令指定都市定義.txt"));
  const QString ini = JoinPath(home, "ORBEX5.INI");
  WritePrivateProfileString("ORB", "MYCALL", "JA1ZZZ", ini);
  WritePrivateProfileString("ORB", "TopTips_DISP", "NO", ini);
  WritePrivateProfileString("ORB", "HAMLOGexePOS", hamlogdb::ProgramPath(dir), ini);
  WritePrivateProfileString("ORB", "HAMLOGPOS", hamlogdb::DatabasePath(dir), ini);
  QStringList messages;
  const MsgBoxHook previous = SetMsgBoxHook([&](const MsgBoxCall& call) {
    messages << call.text;
    return MsgBoxAnswer{};
  });
  Form<ORBTOP>();
  ORBTOP* top = LoadedForm<ORBTOP>();
  if (!top) {
    const std::string why = "the start window did not open: " + messages.join(" / ").toStdString();
    state.SkipWithError(why.c_str());
    SetMsgBoxHook(previous);
    return;
  }
  top->Show();
  PeakSampler peak;
  for (auto _ : state) {
    state.PauseTiming();
    top->ClearStartWithPreviousData();
    forgetLastReading();
    QCoreApplication::processEvents();
    messages.clear();
    state.ResumeTiming();
    top->Command1.click();
    QCoreApplication::processEvents();
    state.PauseTiming();
    CWSHEET* sheet = LoadedForm<CWSHEET>();
    if (!sheet || !sheet->isVisible() || SheetTally.ReadFailed || sheet->MSFlexGrid2.Rows() < 100) {
      const std::string why = "no filled sheet: " + messages.join(" / ").toStdString();
      state.SkipWithError(why.c_str());
      break;
    }
    sheet->RTNMN.Trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  finish(state, state.range(0), peak);
  UnloadAllForms();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ReleaseProgramLock();
  SetMsgBoxHook(previous);
}
BENCHMARK(BM_StartToFilledSheet)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
