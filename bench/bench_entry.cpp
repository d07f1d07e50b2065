// The QSO entry window: saving a new QSO (checks, append with its indexes, the read-back into the
// window) on logs of 100,000 and 1,000,000 QSOs; on the larger one, opening a stored record for
// editing and the initial-letter search of the code master.

#include <benchmark/benchmark.h>

#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>
#include <algorithm>
#include <chrono>
#include <vector>

#include "bench_main.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/TEMP_LOG.h"
#include "logbook/CodeMaster.h"
#include "logbook/LogWindowState.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/unix_file.h"
#include "synthetic_log.h"

namespace {

constexpr int64_t kQsos = 1000000;

TEMP_LOG& entryWindow(int64_t qsos = kQsos) {
  PrepareSyntheticLog(SyntheticLogFolder(qsos));
  hamlogLib = HamlogLib{};
  Settings.ModeCount = "0";
  Settings.Hlyn = "NO";  // no "このQSOをHAMLOGに登録しますか？" before each save
  TEMP_LOG& w = Form<TEMP_LOG>();
  w.Combo1.AddItem("CW");
  return w;
}

// Counters of the saves timed (the median and the slowest); the window closed, flushes on again.
void endSaves(benchmark::State& state, std::vector<double>& times) {
  std::sort(times.begin(), times.end());
  if (!times.empty()) {
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["slowest_ms"] = times.back();
  }
  UnloadForm<TEMP_LOG>();
  hamlog::durableWrites = true;
}

// Logs of 100,000 and 1,000,000 QSOs, each with its writes flushed to the disk and not.
void onBothLogs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"qsos", "flushed"})->ArgsProduct({{100000, 1000000}, {1, 0}})->Unit(benchmark::kMillisecond);
}

// F1 on a typed QSO, 200 times: the checks, the append (record, count, code and call indexes) and the
// read-back. The indexes' change logs start 100 entries short of the length at which they are merged
// into their bases (a 64th of the base, 1,024 to 16,384 entries), as after days of logging, so that the
// merge falls due among the saves. Counters: the median and the slowest save. The second argument 0
// turns the flushes to the disk off, which leaves the saves' own work without the waits of a disk
// that other programs keep busy.
void BM_SaveNewQso(benchmark::State& state) {
  const int64_t qsos = state.range(0);
  const QString dir = SyntheticLogFolder(qsos);
  {
    // Entries now in the code index's log (header: base count at byte 12, log count at 16).
    QFile index(hamlogdb::DatabasePath(dir).chopped(3) + "dx1");
    const QByteArray head = index.open(QIODevice::ReadOnly) ? index.read(20) : QByteArray();
    const int64_t logged = head.size() == 20 ? qFromLittleEndian<quint32>(head.constData() + 16) : 0;
    hamlogLib = HamlogLib{};
    // In pieces small enough to go to the logs, not to a rebuild.
    for (int64_t left = std::clamp<int64_t>(qsos / 64, 1024, 16384) - 100 - logged, seed = 90 + logged; left > 0;
         left -= 4000)
      hamlogdb::Generate(dir, std::min<int64_t>(left, 4000), uint32_t(seed++));
  }
  TEMP_LOG& w = entryWindow(qsos);
  hamlog::durableWrites = state.range(1) != 0;
  std::vector<double> times;
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    w.NewRecord();
    w.Text1.setText(QString("JA1B%1").arg(++n % 1000, 3, 10, QChar('0')));
    w.Text8.setText("7.025");
    w.Combo1.SetListIndex(0);
    w.Text9.setText("1101");
    w.Text12.setText(QString::fromUtf8("太郎"));
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    w.SaveQso();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (LogWindowState.EditMode != 1) state.SkipWithError("not saved");
  }
  endSaves(state, times);
}
BENCHMARK(BM_SaveNewQso)->Apply(onBothLogs)->Iterations(200);

// A stored record opened for editing, as the lists and the log viewer open one.
void BM_OpenStoredRecord1M(benchmark::State& state) {
  TEMP_LOG& w = entryWindow();
  QRandomGenerator random(7);
  for (auto _ : state) {
    const int32_t n = int32_t(random.bounded(1, int(kQsos)));
    HamlogCloseDb(0);
    if (HamlogOpenDb() != 0 || THW_read(Hamlog.Thw, n, 3) != 0) state.SkipWithError("read failed");
    ShowStoredQso(n);
  }
  if (w.Text1.text().isEmpty()) state.SkipWithError("nothing shown");
  UnloadForm<TEMP_LOG>();
}
BENCHMARK(BM_OpenStoredRecord1M)->Unit(benchmark::kMillisecond);

// F1 on an edit of a stored record (its name changed), 20 times: the log is copied with the record into
// a file that takes its place, so that a reader without a lock finds the record old or new. Counters as
// for the new QSO.
void BM_SaveEditedQso(benchmark::State& state) {
  TEMP_LOG& w = entryWindow(state.range(0));
  hamlog::durableWrites = state.range(1) != 0;
  const int32_t recNo = int32_t(state.range(0) / 2);
  std::vector<double> times;
  for (auto _ : state) {
    state.PauseTiming();
    HamlogCloseDb(0);
    if (HamlogOpenDb() != 0 || THW_read(Hamlog.Thw, recNo, 3) != 0) state.SkipWithError("read failed");
    ShowStoredQso(recNo);
    w.Text12.setText(times.size() % 2 ? "Taro" : "Hanako");
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    w.SaveQso();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (w.RecordSaved != 1) state.SkipWithError("not saved");
  }
  endSaves(state, times);
  WriteIni("Hamlog", "LastMode", "0");  // the stored record's mode joined the list: not there next time
}
BENCHMARK(BM_SaveEditedQso)->Apply(onBothLogs)->Iterations(20);

// The initial-letter search of the cities of one area, with the master's list of hits.
void BM_InitialLetterSearch(benchmark::State& state) {
  PrepareSyntheticLog(SyntheticLogFolder(kQsos));
  const CodeMasterFile master;
  QString key;
  for (int32_t n = 1; master.Has(n) && key.isEmpty(); ++n) {
    const MasterRecord r = master.Read(n);
    if (r.Kind == "4") key = InitialSearchKey(4, r.Idx.left(1), r.Area, 1);
  }
  size_t hits = 0;
  for (auto _ : state) {
    HamlogCloseDb(0);
    hits = SearchCodeByInitial(key, true).size();
  }
  if (hits == 0) state.SkipWithError("nothing found");
  state.counters["hits"] = double(hits);
}
BENCHMARK(BM_InitialLetterSearch)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
