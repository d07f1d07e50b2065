// Electronic QSL files of 100,000 QSOs read from HAMLOG (target: under 1 s each), and the writers alone.
#include <benchmark/benchmark.h>

#include "synthetic_log.h"

#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "logbook/EqslExport.h"
#include "logbook/EqslFiles.h"

namespace {

constexpr int64_t kQsos = 100000;

void prepare() {
  static bool done = false;
  if (done) return;
  PrepareSyntheticLog(SyntheticLogFolder(kQsos));
  Settings.EqslMark = "N";
  done = true;
}

void exportRun(benchmark::State& state, EqslFormat format) {
  prepare();
  const QString path = SyntheticRoot().filePath(format == EqslFormat::QsoBankXml ? "bench.xml" : "bench.ADI");
  EqslQso shown;
  for (auto _ : state) {
    Eqsl.EqslStartMark = 1;
    Eqsl.EqslEndMark = int32_t(kQsos);
    const EqslExportResult r = ExportEqslRecords(format, path, shown, 1);
    if (!r.ok || r.written < kQsos / 2) state.SkipWithError("export failed");
    benchmark::DoNotOptimize(r.written);
  }
}

void BM_EqslAdif100k(benchmark::State& state) { exportRun(state, EqslFormat::EqslAdif); }
void BM_QsoBankXml100k(benchmark::State& state) { exportRun(state, EqslFormat::QsoBankXml); }

// The writer alone, on QSOs already read.
void BM_LogAdifBytes100k(benchmark::State& state) {
  prepare();
  std::vector<EqslQso> qsos;
  HamlogOpenDb();
  ReadEqslRecords(1, int32_t(kQsos), "", qsos);
  HamlogCloseDb(0);
  for (auto _ : state) {
    QByteArray bytes;
    EqslFileBytes(EqslFormat::LogAdif, qsos, "JA1ZZZ", bytes);
    benchmark::DoNotOptimize(bytes.size());
  }
}

}  // namespace

BENCHMARK(BM_EqslAdif100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QsoBankXml100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogAdifBytes100k)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
