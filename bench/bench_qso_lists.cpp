// The QSO lists and the log viewer on a log of 1,000,000 QSOs with its indexes: the QSOs of one code and
// of one station (targets: under 20 ms for up to 2,000 hits), a viewer page at the start, the middle and
// the end (under 10 ms), marking a QSL received (under 50 ms), and the log viewer's window opened on the
// last page, shown and painted (under 50 ms).
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_main.h"
#include "synthetic_log.h"

#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "forms/logbook/LOGDATAVIEW.h"
#include "forms/logbook/QSODATA.h"
#include "logbook/LogPage.h"
#include "logbook/QslCheck.h"
#include "logbook/QsoLists.h"
#include "platform/hamlog/hamlog.h"
#include "platform/ui/form.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"

namespace {

constexpr int64_t kQsos = 1000000;

struct Log {
  QString code;  // the code whose run is longest without passing 2,000
  int codeHits = 0;
  QString exactCode;  // the same among guns, towns and wards, whose runs are all listed
  int exactHits = 0;
  QString rareCode;  // a code of few QSOs
  QString call;      // a station with many QSOs
  int callHits = 0;
};

int runLength(const QString& indexPath, const QString& key) {
  IndexHandle h{};
  if (idx_open(indexPath, h) != 0) return 0;
  int n = 0;
  for (int32_t r = idx_search(h, key, int32_t(key.size())); r > 0 && n <= 2001; r = idx_next(h)) ++n;
  idx_close(h);
  return n;
}

Log& log1M() {
  static std::unique_ptr<Log> log;
  if (log) return *log;
  log = std::make_unique<Log>();
  PrepareSyntheticLog(SyntheticLogFolder(kQsos));
  const QString dx1 = Hamlog.HamlogDbPath.left(Hamlog.HamlogDbPath.size() - 3) + "dx1";
  VbFile codes(QString(ORBEX_DATA_DIR) + "/master.csv", VbMode::Input);
  QString code, name, kind, idx, area, longitude, side;
  int rareHits = 0;
  while (!codes.Eof() && codes.Input(code, name, kind, idx, area, longitude, side)) {
    const int n = runLength(dx1, code);
    if (n <= 2000 && n > log->codeHits) log->code = code, log->codeHits = n;
    if (n > 0 && (log->rareCode.isEmpty() || n < rareHits) && code.size() == 6) log->rareCode = code, rareHits = n;
    if ((code.size() == 5 || code.size() == 6) && n <= 2000 && n > log->exactHits) log->exactCode = code, log->exactHits = n;
  }
  // The station: the most worked home call among the first records.
  HamlogOpenDb();
  for (int32_t r = 1; r <= 2000; r += 7) {
    if (THW_read(Hamlog.Thw, r, 3) != 0) continue;
    QString call;
    ThwString(call, Hamlog.Thw, 0);
    call = call.trimmed().section('/', 0, 0);
    int n = 0;
    for (int32_t k = Vidx_search(Hamlog.Thw, call, 16); k > 0 && n < 2000; k = Vidx_next(Hamlog.Thw, 16)) {
      QString c;
      if (THW_read(Hamlog.Thw, k, 3) != 0) continue;
      ThwString(c, Hamlog.Thw, 0);
      if (c.trimmed().section('/', 0, 0) != call) break;
      ++n;
    }
    if (n > log->callHits) log->call = call, log->callHits = n;
  }
  HamlogCloseDb(0);
  return *log;
}

void BM_AreaList1M(benchmark::State& state) {
  Log& log = log1M();
  size_t rows = 0;
  for (auto _ : state) rows = ListAreaQsos(log.code, kAllBands, "MIX").rows.size();
  state.counters["hits"] = log.codeHits;
  state.counters["rows"] = double(rows);
}
BENCHMARK(BM_AreaList1M)->Unit(benchmark::kMillisecond);

// Every hit passes the filter and becomes a row.
void BM_AreaListEveryHitListed1M(benchmark::State& state) {
  Log& log = log1M();
  size_t rows = 0;
  for (auto _ : state) rows = ListAreaQsos(log.exactCode, kAllBands, "MIX").rows.size();
  state.counters["rows"] = double(rows);
}
BENCHMARK(BM_AreaListEveryHitListed1M)->Unit(benchmark::kMillisecond);


void BM_AreaListInTheWindow1M(benchmark::State& state) {
  Log& log = log1M();
  for (auto _ : state) {
    QSODATA::ShowAreaQsos(log.exactCode, kAllBands, "MIX");
    QCoreApplication::processEvents();
  }
  state.counters["rows"] = LoadedForm<QSODATA>() ? LoadedForm<QSODATA>()->MSFlexGrid1.Rows() - 1 : 0;
  UnloadForm<QSODATA>();
}
BENCHMARK(BM_AreaListInTheWindow1M)->Unit(benchmark::kMillisecond);

// The same window with a list of a few rows: what the window itself costs.
void BM_FewRowsInTheWindow1M(benchmark::State& state) {
  Log& log = log1M();
  for (auto _ : state) {
    QSODATA::ShowAreaQsos(log.rareCode, kAllBands, "MIX");
    QCoreApplication::processEvents();
  }
  state.counters["rows"] = LoadedForm<QSODATA>() ? LoadedForm<QSODATA>()->MSFlexGrid1.Rows() - 1 : 0;
  UnloadForm<QSODATA>();
}
BENCHMARK(BM_FewRowsInTheWindow1M)->Unit(benchmark::kMillisecond);

void BM_StationList1M(benchmark::State& state) {
  Log& log = log1M();
  size_t rows = 0;
  for (auto _ : state) {
    QString call = log.call;
    rows = ListStationQsos(call).rows.size();
  }
  state.counters["rows"] = double(rows);
}
BENCHMARK(BM_StationList1M)->Unit(benchmark::kMillisecond);

// A page as the viewer reads it: HAMLOG opened, 100 records, closed.
void BM_ViewerPage1M(benchmark::State& state) {
  log1M();
  const int32_t end = int32_t(state.range(0));
  for (auto _ : state) {
    HamlogCloseDb(0);
    HamlogOpenDb();
    benchmark::DoNotOptimize(ReadLogPage(end).rows.size());
    HamlogCloseDb(0);
  }
}
BENCHMARK(BM_ViewerPage1M)->Arg(100)->Arg(500000)->Arg(kQsos)->Unit(benchmark::kMillisecond);

// The viewer as the operator opens it from the sheet's menu, painted once, then closed.
void BM_LogViewerOpen1M(benchmark::State& state) {
  log1M();
  for (auto _ : state) {
    LOGDATAVIEW::OpenViewer();
    LOGDATAVIEW* viewer = LoadedForm<LOGDATAVIEW>();
    if (!viewer) {
      state.SkipWithError("the viewer did not open");
      break;
    }
    benchmark::DoNotOptimize(viewer->grab());
    state.PauseTiming();
    UnloadForm<LOGDATAVIEW>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LogViewerOpen1M)->Unit(benchmark::kMillisecond);

// Insert in the QSO window: HAMLOG opened, the mark written, HAMLOG closed.
void BM_MarkQslReceived1M(benchmark::State& state) {
  log1M();
  Settings.QslReceivedMarks[0] = "*";
  int32_t r = 1000;
  for (auto _ : state) {
    HamlogCloseDb(0);
    HamlogOpenDb();
    if (!MarkQslReceived(r)) state.SkipWithError("not marked");
    HamlogCloseDb(0);
    r += 997;
  }
}
BENCHMARK(BM_MarkQslReceived1M)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
  // A box would wait for an operator who is not there.
  SetMsgBoxHook([](const MsgBoxCall&) { return MsgBoxAnswer{}; });
  return RunWindowBenchmarks(argc, argv);
}
