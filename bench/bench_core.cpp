// The core readers on large logs: every record of a 1,000,000-QSO log through ReadQsoBasic at the
// progress sheet's depth, the sample code master into the master table, and the band of a frequency
// field as the whole-log reading takes it.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstring>

#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"

namespace {

QString makeLog(QTemporaryDir& dir, int64_t qsos) {
  const QString path = dir.filePath("HAMLOG");
  hamlogdb::Create(path);
  hamlogdb::LoadMaster(path, QString(ORBEX_DATA_DIR) + "/master.csv");
  if (qsos > 0) hamlogdb::Generate(path, qsos, 7);
  return path;
}

void BM_ReadQsoBasicWholeLog(benchmark::State& state) {
  const int64_t qsos = state.range(0);
  QTemporaryDir dir;
  const QString path = makeLog(dir, qsos);
  Settings.DataFolder = dir.path();
  Hamlog = HamlogAccessState{};
  Hamlog.HamlogDbPath = hamlogdb::DatabasePath(path);
  for (auto _ : state) {
    if (HamlogOpenDb() != 0) state.SkipWithError("open failed");
    const int32_t n = CountHdbRecords();
    for (int32_t r = 1; r <= n; ++r) {
      Qso.QsoRecNo = r;
      if (ReadQsoBasic(r, 0) != 0) state.SkipWithError("read failed");
    }
    HamlogCloseDb(0);
  }
  state.SetItemsProcessed(state.iterations() * qsos);
}
BENCHMARK(BM_ReadQsoBasicWholeLog)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_LoadSampleMaster(benchmark::State& state) {
  QTemporaryDir dir;
  qputenv("ORBEX_HOME", dir.path().toLocal8Bit());
  const QString path = makeLog(dir, 0);
  MasterList = MasterListState{};
  MasterList.MasterFilePath = hamlogdb::MasterPath(path);
  MasterList.MasterHeaderLen = 235;
  int32_t rows = 0;
  for (auto _ : state) {
    MasterTable.Redim(27, 4000);
    rows = LoadMasterList(56);
  }
  state.counters["rows"] = rows;
}
BENCHMARK(BM_LoadSampleMaster)->Unit(benchmark::kMillisecond);

void BM_BandOfFrequencyField(benchmark::State& state) {
  const char* const freqs[] = {"7.025", "14.074", "21.010", "145.000", "433.000", "1295.0", "3.535",
                               "50.150", "28.500", "10.120", "1.910", "*10.241", "18.100", "435/145"};
  for (auto _ : state)
    for (const char* f : freqs)
      benchmark::DoNotOptimize(
          BandIndexOfAscii(reinterpret_cast<const unsigned char*>(f), int(std::strlen(f)), std::strchr(f, '/')));
  state.SetItemsProcessed(state.iterations() * int64_t(std::size(freqs)));
}
BENCHMARK(BM_BandOfFrequencyField);

}  // namespace

BENCHMARK_MAIN();
