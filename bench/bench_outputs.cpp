// Speed of the sheet's outputs on the sheet of a synthetic log (sample master, 1,000,000 QSOs by
// default): each award list on all bands, the ward lists (one walk over DMYDBS.DAT), the wanted lists,
// the listening list, acag.dat and the QTH data file. Target: every list under 1 s.

#include <benchmark/benchmark.h>

#include "bench_main.h"

#include <QApplication>
#include <QFile>

#include "core/DesignatedCities.h"
#include "outputs/AwardLists.h"
#include "outputs/ListChoices.h"
#include "outputs/MasterTableRows.h"
#include "outputs/TextExports.h"
#include "outputs/WantedLists.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/SheetTally.h"
#include "synthetic_log.h"

namespace {

// The sheet of a log of `qsos` QSOs, loaded once.
void loadSheet(int64_t qsos) {
  static int64_t loaded = -1;
  if (loaded == qsos) return;
  const QString dir = SyntheticLogFolder(qsos);
  PrepareSyntheticLog(dir);
  QFile::copy(QString(ORBEX_DATA_DIR) + "/home/" + QString::fromUtf8(kDesignatedCityFile),
              JoinPath(ProgramFolder(), QString::fromUtf8(kDesignatedCityFile)));
  int32_t bad = 0;
  LoadDesignatedCityDef(bad);
  SheetTally = {};
  SheetTally.MasterRowCount = LoadMasterList(MasterList.MasterRecLen);
  SheetTally.SizeCellArrays(BandLayout.LastBandColumn, MasterList.MasterRowCap);
  BuildDmyDbs();
  loaded = qsos;
}

QString dxcc(const QString&) { return QStringLiteral("291"); }

void BM_AwardList(benchmark::State& state) {
  loadSheet(state.range(1));
  const auto mode = static_cast<int32_t>(state.range(0));
  OutputRun run;
  for (auto _ : state) {
    run = WriteAwardLists(mode, kAllBandColumn, dxcc);
    if (!run.ok) state.SkipWithError(run.error.toUtf8().constData());
  }
  // Lines of the list, as a check that the work was real.
  QByteArray list;
  ReadWholeFile(run.opened.value(0), list);
  state.counters["lines"] = double(list.count('\n'));
  state.counters["work"] = double(Hamlog.HdbRecordCount);
}
BENCHMARK(BM_AwardList)
    ->ArgNames({"mode", "qsos"})
    ->ArgsProduct({{kAwardJcc, kAwardJcg, kAwardWaja, kAwardWaku, kAwardOrbKu, kAwardDx}, {1000000}})
    ->Unit(benchmark::kMillisecond);

ListChoices everything() {
  ListChoices c;
  c.BandTicks.fill(1);
  c.BandTicks[kAllBandBox] = 0;
  c.KindTicks.fill(1);
  c.WorkedTick = 1;
  return c;
}

void BM_WantedList(benchmark::State& state) {
  loadSheet(state.range(1));
  const QString path = JoinPath(Settings.DataFolder, "wanted.txt");
  for (auto _ : state) {
    const MasterTableRows rows;
    QString error;
    const bool ok = state.range(0) == 2 ? WriteListeningList(path, rows, everything(), error)
                                        : WriteWantedList(path, state.range(0) == 3 ? WantedFormat::Csv : WantedFormat::Text,
                                                          "JA1ZZZ", rows, everything(), error);
    if (!ok) state.SkipWithError(error.toUtf8().constData());
  }
}
// 1 text, 2 listening list, 3 CSV.
BENCHMARK(BM_WantedList)->ArgNames({"format", "qsos"})->ArgsProduct({{1, 2, 3}, {1000000}})->Unit(benchmark::kMillisecond);

void BM_TextExport(benchmark::State& state) {
  loadSheet(state.range(1));
  for (auto _ : state) {
    const bool ok = state.range(0) == 0 ? WriteAcagDat(JoinPath(Settings.DataFolder, "acag.dat"), QDate(2026, 12, 7))
                                        : WriteQthDataFile(JoinPath(Settings.DataFolder, "OriginalQTHdata"));
    if (!ok) state.SkipWithError("the file was not written");
  }
}
// 0 acag.dat, 1 QTH data file.
BENCHMARK(BM_TextExport)->ArgNames({"file", "qsos"})->ArgsProduct({{0, 1}, {1000000}})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
