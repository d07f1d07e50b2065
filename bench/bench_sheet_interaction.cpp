// What the operator does with a filled sheet of a 1,000,000-QSO log (all master rows):
//
//   BM_SearchBoxJump       a code typed into the search box: the row found, scrolled and selected
//   BM_CallBoxLookup       a foreign call typed into the call box: the prefix looked up, the entity's row
//   BM_AreaViewSwitch      an area view and back to all codes (two fills of the grid)
//   BM_AppendThousand      1,000 QSOs logged since the last reading added to the open sheet

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include "bench_main.h"
#include "core/SharedSettings.h"
#include "forms/lookup/LookupWindows.h"
#include "forms/sheet/CWSHEET.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/paths.h"
#include "platform/ui/form.h"
#include "platform/ui/responders.h"
#include "sheet/SheetTally.h"
#include "synthetic_log.h"

namespace {

constexpr int64_t kLog = 1'000'000;

CWSHEET& loadedSheet() {
  if (CWSHEET* s = LoadedForm<CWSHEET>()) return *s;
  PrepareSyntheticLog(SyntheticLogFolder(kLog));
  // The shipped DXCC table, which the call box looks prefixes up in.
  QFile::copy(QStringLiteral(ORBEX_DATA_DIR "/home/CodeLib.txt"),
              QDir(ProgramFolder()).filePath("CodeLib.txt"));
  ConnectLookupWindows();
  return Form<CWSHEET>();
}

void BM_SearchBoxJump(benchmark::State& state) {
  CWSHEET& s = loadedSheet();
  const char* codes[] = {"4601", "100105", "01002", "1101"};
  int i = 0;
  for (auto _ : state) s.Text2.setText(codes[i++ % 4]);
}
BENCHMARK(BM_SearchBoxJump)->Unit(benchmark::kMillisecond);

void BM_CallBoxLookup(benchmark::State& state) {
  CWSHEET& s = loadedSheet();
  const char* calls[] = {"W1AW", "VK2ABC", "DL1XYZ", "ZS6AB"};
  int i = 0;
  for (auto _ : state) s.Text3.setText(calls[i++ % 4]);
}
BENCHMARK(BM_CallBoxLookup)->Unit(benchmark::kMillisecond);

void BM_AreaViewSwitch(benchmark::State& state) {
  CWSHEET& s = loadedSheet();
  for (auto _ : state) {
    s.SALL1.Trigger();
    s.SALL.Trigger();
  }
}
BENCHMARK(BM_AreaViewSwitch)->Unit(benchmark::kMillisecond);

void BM_AppendThousand(benchmark::State& state) {
  CWSHEET& s = loadedSheet();
  const QString dir = SyntheticLogFolder(kLog);
  MsgBoxResponder boxes;
  uint32_t seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    hamlogdb::Generate(dir, 1000, seed++);
    boxes.Answer(vbOK);  // the reading filter confirmed
    state.ResumeTiming();
    s.HLAPD.Trigger();
    if (SheetTally.ReadFailed) state.SkipWithError("the append failed");
  }
}
BENCHMARK(BM_AppendThousand)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
