// The HAMLOG stand-in on a log of 1,000,000 QSOs: generating it, reading every record one by one as
// the windows do and in one whole-log pass as the progress sheet does, appending one QSO with its
// indexes, editing a stored one, marking one's QSL and deleting one (its pack).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <memory>
#include <vector>

#include "core/HamlogAccess.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hamlog_session.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/flush_count.h"

namespace {

constexpr int64_t kQsos = 1000000;

QString masterList() { return QString(ORBEX_DATA_DIR) + "/master.csv"; }

// The log of the last generate run, made on first use when the generate bench did not run.
std::unique_ptr<QTemporaryDir>& logFolder() {
  static std::unique_ptr<QTemporaryDir> dir;
  return dir;
}

QString makeLog(std::unique_ptr<QTemporaryDir>& dir) {
  dir = std::make_unique<QTemporaryDir>();
  const QString path = dir->filePath("HAMLOG");
  hamlogdb::Create(path);
  hamlogdb::LoadMaster(path, masterList());
  return path;
}

QString logPath() {
  if (!logFolder()) {
    const QString path = makeLog(logFolder());
    hamlogdb::Generate(path, kQsos, 1);
  }
  return logFolder()->filePath("HAMLOG");
}

// The library started afresh on the log, opened as the windows open it.
void openLog(benchmark::State& state, ThwRecord& thw) {
  const QString path = logPath();
  hamlogLib = HamlogLib{};
  if (HamlogOpen(0, thw, path + "/HAMLOG", 1) != 0) state.SkipWithError("open failed");
}

void BM_Generate1M(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    hamlogLib = HamlogLib{};
    const QString path = makeLog(logFolder());
    state.ResumeTiming();
    const hamlogdb::Outcome o = hamlogdb::Generate(path, kQsos, 1);
    if (!o.Ok()) state.SkipWithError(o.message.toStdString().c_str());
  }
  state.SetItemsProcessed(state.iterations() * kQsos);
}
BENCHMARK(BM_Generate1M)->Iterations(1)->Unit(benchmark::kMillisecond);

// ReadQsoBasic with depth 0 for every record: call, date, mode, frequency, code, grid, QSL.
void BM_ReadAllForTheSheet(benchmark::State& state) {
  ThwRecord thw{};
  openLog(state, thw);
  QString call(20, ' '), date(8, ' '), mode(16, ' '), freq(16, ' '), code(6, ' '), grid(6, ' '), qsl(3, ' ');
  int64_t chars = 0;
  for (auto _ : state) {
    for (int32_t r = 1; r <= kQsos; ++r) {
      if (THW_read(thw, r, 3) != 0) continue;
      ThwString(call, thw, 0);
      ThwString(date, thw, 2);
      ThwString(mode, thw, 7);
      ThwString(freq, thw, 6);
      ThwString(code, thw, 8);
      ThwString(grid, thw, 9);
      ThwString(qsl, thw, 10);
      chars += call.trimmed().size() + mode.trimmed().size() + freq.trimmed().size() + code.trimmed().size();
    }
  }
  benchmark::DoNotOptimize(chars);
  HamlogClose(thw, 0);
  state.SetItemsProcessed(state.iterations() * kQsos);
}
BENCHMARK(BM_ReadAllForTheSheet)->Unit(benchmark::kMillisecond)->MinTime(2);

// The whole-log pass of the access layer: every record read in parallel ranges, its code looked at.
void BM_ScanAllInParallel(benchmark::State& state) {
  ThwRecord thw{};
  openLog(state, thw);
  std::vector<int64_t> sums(size_t(state.range(0)), 0);
  for (auto _ : state) {
    const int32_t r = ScanHdbRecords(
        1, kQsos, int(state.range(0)),
        [&](int part, int32_t, const unsigned char* image) { sums[size_t(part)] += image[hamlog::kCodeOffset]; },
        {});
    if (r != 0) state.SkipWithError("the pass failed");
  }
  benchmark::DoNotOptimize(sums);
  HamlogClose(thw, 0);
  state.SetItemsProcessed(state.iterations() * kQsos);
}
BENCHMARK(BM_ScanAllInParallel)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->MinTime(2);

// This process's figure `key` of /proc/self/io: "wchar:" bytes handed to write calls, "write_bytes:"
// bytes of the pages it made dirty (what the disk is sent).
int64_t ioFigure(const char* key = "wchar:") {
  std::ifstream io("/proc/self/io");
  std::string name;
  int64_t value = 0;
  while (io >> name >> value)
    if (name == key) return value;
  return 0;
}
int64_t bytesWritten() { return ioFigure(); }

// One QSO as the entry window saves it: fifteen fields, then the append (record, count, dx1, call index).
// Per QSO: the bytes handed to write calls and the pages made dirty (log and indexes), the flushes; the
// most any one QSO took, and the mean over the run with the indexes' background merges. A merge runs
// between two QSOs here, not beside one.
void BM_AppendOneTo1M(benchmark::State& state) {
  ThwRecord thw{};
  openLog(state, thw);
  int32_t confirm = 0, n = 0;
  double slowest = 0;
  int64_t mostBytes = 0, mostPages = 0, mostFlushes = 0, pagesOver256K = 0;
  const int64_t bytesAtStart = ioFigure("wchar:"), pagesAtStart = ioFigure("write_bytes:");
  const uint64_t flushesAtStart = FileFlushCount();
  for (auto _ : state) {
    ++n;
    SetThBuffer(thw, QString("JA1B%1").arg(n % 1000, 3, 10, QChar('0')), 0);
    SetThBuffer(thw, "24/05/06", 2);
    SetThBuffer(thw, "21:05J", 3);
    SetThBuffer(thw, "599", 4);
    SetThBuffer(thw, "599", 5);
    SetThBuffer(thw, "7.025", 6);
    SetThBuffer(thw, "CW", 7);
    SetThBuffer(thw, "1101", 8);
    SetThBuffer(thw, "PM95", 9);
    SetThBuffer(thw, "J  ", 10);
    SetThBuffer(thw, QString::fromUtf8("太郎"), 11);
    SetThBuffer(thw, QString::fromUtf8("横浜市"), 12);
    SetThBuffer(thw, "", 13);
    SetThBuffer(thw, "", 14);
    SetThBuffer(thw, "0", 16);
    // A merge of the indexes' logs a former QSO started is waited for here: its writes count in the
    // means, not in this QSO's figures.
    state.PauseTiming();
    hamlog::CurrentSession().FinishIndexMerges();
    state.ResumeTiming();
    const int64_t bytes = ioFigure("wchar:"), pages = ioFigure("write_bytes:");
    const uint64_t flushes = FileFlushCount();
    const auto start = std::chrono::steady_clock::now();
    if (THW_append(thw, 16, confirm) != 0) state.SkipWithError("append failed");
    slowest = std::max(
        slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    mostBytes = std::max(mostBytes, ioFigure("wchar:") - bytes);
    mostPages = std::max(mostPages, ioFigure("write_bytes:") - pages);
    pagesOver256K += ioFigure("write_bytes:") - pages >= 256 * 1024;
    mostFlushes = std::max(mostFlushes, int64_t(FileFlushCount() - flushes));
  }
  HamlogClose(thw, 0);
  hamlog::CurrentSession().FinishIndexMerges();
  const double qsos = double(std::max<int64_t>(state.iterations(), 1));
  state.SetItemsProcessed(state.iterations());
  state.counters["slowest_ms"] = slowest;
  state.counters["most_KB"] = double(mostBytes) / 1024;
  state.counters["most_page_KB"] = double(mostPages) / 1024;
  state.counters["most_flushes"] = double(mostFlushes);
  state.counters["qsos_256KB_pages"] = double(pagesOver256K);
  state.counters["mean_KB"] = double(ioFigure("wchar:") - bytesAtStart) / 1024 / qsos;
  state.counters["mean_page_KB"] = double(ioFigure("write_bytes:") - pagesAtStart) / 1024 / qsos;
  state.counters["mean_flushes"] = double(FileFlushCount() - flushesAtStart) / qsos;
}
BENCHMARK(BM_AppendOneTo1M)->Unit(benchmark::kMillisecond)->Iterations(20000);

// Index lookups with the change logs the appends above left: the area list's run of one code (a fresh
// open of "dx1" each time, as the list opens it) and the station list's call search on the open log
// after a new QSO.
void BM_IndexLookupsAfterAppends1M(benchmark::State& state) {
  ThwRecord thw{};
  openLog(state, thw);
  const QString dx1 = logPath() + "/HAMLOG.dx1";
  int64_t hits = 0;
  int32_t confirm = 0;
  for (auto _ : state) {
    if (state.range(0) == 0) {
      IndexHandle h{};
      if (idx_open(dx1, h) != 0) state.SkipWithError("no index");
      for (int32_t r = idx_search(h, "1101", 4), n = 0; r > 0 && n < 2000; r = idx_next(h), ++n) ++hits;
      idx_close(h);
    } else {
      state.PauseTiming();
      SetThBuffer(thw, "JA1BAA", 0);
      SetThBuffer(thw, "1101", 8);
      if (THW_append(thw, 16, confirm) != 0) state.SkipWithError("append failed");
      state.ResumeTiming();
      for (int32_t r = Vidx_search(thw, "JA1B", 16), n = 0; r > 0 && n < 100; r = Vidx_next(thw, 16), ++n) ++hits;
    }
  }
  benchmark::DoNotOptimize(hits);
  HamlogClose(thw, 0);
  hamlog::CurrentSession().FinishIndexMerges();
}
BENCHMARK(BM_IndexLookupsAfterAppends1M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(200);

// What one write of the log costs, timed around it: the slowest, and per write the bytes handed to
// write calls and the pages it made dirty (what the disk is sent).
struct WriteCost {
  double slowest = 0;
  int64_t bytes = 0, pages = 0;
  template <class Write>
  bool Time(Write&& write) {
    const int64_t bytesBefore = ioFigure("wchar:"), pagesBefore = ioFigure("write_bytes:");
    const auto start = std::chrono::steady_clock::now();
    const bool done = write();
    slowest = std::max(
        slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    bytes += ioFigure("wchar:") - bytesBefore;
    pages += ioFigure("write_bytes:") - pagesBefore;
    return done;
  }
  void Report(benchmark::State& state) const {
    const double n = double(std::max<int64_t>(state.iterations(), 1));
    state.counters["slowest_ms"] = slowest;
    state.counters["KB_each"] = double(bytes) / 1024 / n;
    state.counters["page_KB_each"] = double(pages) / 1024 / n;
  }
};

// Writes of stored records spread over the log, one an iteration: `prepare(thw, n)` with the record read
// into the block, then `write(thw, recNo, n)` timed with its costs.
template <class Prepare, class Write>
void timeRecordWrites(benchmark::State& state, Prepare&& prepare, Write&& write) {
  ThwRecord thw{};
  openLog(state, thw);
  int32_t n = 0;
  WriteCost cost;
  for (auto _ : state) {
    state.PauseTiming();
    const int32_t recNo = 1 + int32_t((int64_t(++n) * 7919) % kQsos);
    if (THW_read(thw, recNo, 3) != 0) state.SkipWithError("read failed");
    prepare(thw, n);
    state.ResumeTiming();
    if (!cost.Time([&] { return write(thw, recNo, n); })) state.SkipWithError("write failed");
  }
  HamlogClose(thw, 0);
  cost.Report(state);
}

// An edit of a stored QSO as the entry window saves it: its name and remarks, keys unchanged.
void BM_EditOneIn1M(benchmark::State& state) {
  ThwRecord old{};
  timeRecordWrites(
      state,
      [&](ThwRecord& thw, int32_t n) {
        old = thw;
        SetThBuffer(thw, QString::fromUtf8("山田 %1").arg(n), 11);
        SetThBuffer(thw, QString("edited %1").arg(n), 13);
      },
      [&](ThwRecord& thw, int32_t recNo, int32_t) {
        int32_t confirm = 17;
        return THW_update(thw, old, recNo, 16, confirm) == 0;
      });
}
BENCHMARK(BM_EditOneIn1M)->Unit(benchmark::kMillisecond)->Iterations(2000);

// A QSL received mark as the QSO window sets it, on the QSO picked (checked under the log's lock).
void BM_MarkOneIn1M(benchmark::State& state) {
  PickedQso picked;
  timeRecordWrites(
      state,
      [&](ThwRecord& thw, int32_t) {
        for (auto [text, field] :
             {std::pair{&picked.call, 0}, {&picked.date, 2}, {&picked.time, 3}, {&picked.freq, 6}, {&picked.mode, 7}})
          ThwString(*text, thw, field);
      },
      [&](ThwRecord& thw, int32_t recNo, int32_t n) { return QSL_Rcv(thw, recNo, n % 2 ? 'M' : '*', &picked) == 0; });
}
BENCHMARK(BM_MarkOneIn1M)->Unit(benchmark::kMillisecond)->Iterations(2000);

// A deletion as the entry window makes it: the mark, then the pack, with the record in the middle of
// the log (half of it moves up) and its indexes rebuilt.
void BM_DeleteOneIn1M(benchmark::State& state) {
  ThwRecord thw{};
  openLog(state, thw);
  int64_t written = 0;
  for (auto _ : state) {
    const int64_t before = bytesWritten();
    if (Vdbf_delete(thw, int32_t(Vdbf_rcount(thw) / 2)) != 0 || Vdbf_packwk(thw, QString(), 58) != 0)
      state.SkipWithError("delete failed");
    written += bytesWritten() - before;
  }
  HamlogClose(thw, 0);
  state.counters["MB_per_deletion"] = double(written) / 1e6 / double(std::max<int64_t>(state.iterations(), 1));
}
BENCHMARK(BM_DeleteOneIn1M)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same deletion in a log of 100,000 QSOs (made for this bench only).
void BM_DeleteOneIn100k(benchmark::State& state) {
  static std::unique_ptr<QTemporaryDir> dir;
  if (!dir) hamlogdb::Generate(makeLog(dir), 100000, 1);
  hamlogLib = HamlogLib{};
  ThwRecord thw{};
  if (HamlogOpen(0, thw, dir->filePath("HAMLOG") + "/HAMLOG", 1) != 0) state.SkipWithError("open failed");
  for (auto _ : state)
    if (Vdbf_delete(thw, int32_t(Vdbf_rcount(thw) / 2)) != 0 || Vdbf_packwk(thw, QString(), 58) != 0)
      state.SkipWithError("delete failed");
  HamlogClose(thw, 0);
}
BENCHMARK(BM_DeleteOneIn100k)->Unit(benchmark::kMillisecond)->Iterations(5);

// Open and close, as the program does around every use. The first open after the appends above merges
// their index logs (reported as first_open_ms); the later ones only check the files.
void BM_OpenClose1M(benchmark::State& state) {
  const QString path = logPath();
  hamlogLib = HamlogLib{};
  ThwRecord thw{};
  static double first = -1;  // the bench runs more than once; the merge happens in the first run
  const auto start = std::chrono::steady_clock::now();
  if (HamlogOpen(0, thw, path + "/HAMLOG", 1) != 0) state.SkipWithError("open failed");
  HamlogClose(thw, 0);
  if (first < 0)
    first = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  state.counters["first_open_ms"] = first;
  for (auto _ : state) {
    if (HamlogOpen(0, thw, path + "/HAMLOG", 1) != 0) state.SkipWithError("open failed");
    HamlogClose(thw, 0);
  }
}
BENCHMARK(BM_OpenClose1M)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
