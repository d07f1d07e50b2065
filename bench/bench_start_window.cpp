// Speed of the start window's scans of the whole log on synthetic logs:
//
//   BM_BandStationList/N   the 5.6 GHz station list of the QSOs from 2020 on (so that the list stays
//                          under its 500 stations and the whole log is read): every record read,
//                          the distinct stations kept, the file written and sorted
//   BM_BandStationList144/N the 144 MHz list of the same period, which stops at its 1,001st station
//   BM_BandStationListVU/N the V/UHF group list (five bands); on a big log it reaches its 10,000
//                          stations and stops there, as the operator's list would
//   BM_CollectModes/N      the mode collection of "ﾓｰﾄﾞ自動登録"
// Counter: QSOs per second.

#include <benchmark/benchmark.h>

#include <QDir>

#include "bench_main.h"
#include "synthetic_log.h"

#include "awards/BandStationList.h"
#include "core/HamlogAccess.h"
#include "core/ModeList.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/hamlog/hamlog.h"
#include "platform/ui/msgbox.h"
#include "bench_main.h"
#include "synthetic_log.h"

namespace {

void prepare(const QString& dir) {
  PrepareSyntheticLog(dir);
  ReadConditions.ExcludedQslKinds[0] = "P";
}

void bandList(benchmark::State& state, const char* key) {
  const QString dir = SyntheticLogFolder(state.range(0));
  const QString start = ReadConditions.StartDate;
  prepare(dir);
  ReadConditions.StartDate = start;
  const BandStationListDef* def = FindBandStationList(key);
  int32_t count = 0;
  bool limit = false;
  // The limit's message is answered at once.
  SetMsgBoxHook([](const MsgBoxCall&) { return MsgBoxAnswer{}; });
  for (auto _ : state) {
    HamlogOpenDb();
    const BandStationScan scan = ScanBandStations(*def);
    HamlogCloseDb(0);
    SortBandStationList(*def);
    count = scan.Count;
    limit = scan.LimitReached;
  }
  SetMsgBoxHook({});
  state.counters["stations"] = count;
  state.counters["stoppedAtLimit"] = limit ? 1 : 0;
  state.counters["QSOs/s"] =
      benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_BandStationList(benchmark::State& state) {
  ReadConditions.StartDate = "20200101";
  bandList(state, "5600");
}
BENCHMARK(BM_BandStationList)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_BandStationList144(benchmark::State& state) {
  ReadConditions.StartDate = "20200101";
  bandList(state, "144");
}
BENCHMARK(BM_BandStationList144)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_BandStationListVU(benchmark::State& state) { bandList(state, "VUALL"); }
BENCHMARK(BM_BandStationListVU)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CollectModes(benchmark::State& state) {
  const QString dir = SyntheticLogFolder(state.range(0));
  prepare(dir);
  int found = 0;
  for (auto _ : state) {
    HamlogOpenDb();
    found = 0;
    CollectHamlogModes({"CW"}, [&](const QString&) { ++found; });
    HamlogCloseDb(0);
  }
  state.counters["modes"] = found;
  state.counters["QSOs/s"] =
      benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_CollectModes)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
