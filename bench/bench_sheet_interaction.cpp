// What the operator does with a filled sheet of a 1,000,000-QSO log (all master rows):
//
//   BM_SearchBoxJump       a code typed into the search box: the row found, scrolled and selected
//   BM_CallBoxLookup       a foreign call typed into the call box: the prefix looked up, the entity's row
//   BM_AreaViewSwitch      an area view and back to all codes (two fills of the grid)
//   BM_AppendThousand/N    1,000 QSOs logged since the last reading added to the open sheet (N QSOs)
//   BM_AppendThousandByAnotherProgram/N  the same QSOs logged by another program
//   BM_AppendAfterAnotherProgramsCard/N  and a QSL mark it set on a QSO read: the log read whole
//   BM_AppendNothingNew/N  the append when nothing was logged since the last reading

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <chrono>

#include "bench_main.h"
#include "core/SharedSettings.h"
#include "forms/lookup/LookupWindows.h"
#include "forms/sheet/CWSHEET.h"
#include "hamlogdb/hamlogdb.h"
#include "hamlogdb/tool_support.h"
#include "platform/hamlog/hamlog.h"
#include "platform/paths.h"
#include "platform/ui/form.h"
#include "platform/ui/responders.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStamp.h"
#include "support/other_process.h"
#include "synthetic_log.h"

namespace {

constexpr int64_t kLog = 1'000'000;

// The sheet of the log of `qsos` QSOs, loaded anew when another log's sheet is open.
CWSHEET& loadedSheet(int64_t qsos = kLog) {
  static int64_t shown = 0;
  if (CWSHEET* s = LoadedForm<CWSHEET>()) {
    if (shown == qsos) return *s;
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  shown = qsos;
  PrepareSyntheticLog(SyntheticLogFolder(qsos));
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

// The time until the sheet shows the new QSOs, the previous append's file on disk (as minutes apart);
// to_disk_ms is the further wait, after the last run, until the work file and its stamp are on disk.
// The QSOs logged by this program (its entry window), or by another (HAMLOG): then no record read
// before is known to be as it was without a look at it; with a card entered on a QSO read, the whole
// log is read again.
enum class Writer { Us, AnotherProgram, AnotherProgramWithACard };
void appendThousand(benchmark::State& state, Writer by) {
  CWSHEET& s = loadedSheet(state.range(0));
  const QString dir = SyntheticLogFolder(state.range(0));
  MsgBoxResponder boxes;
  uint32_t seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    if (by == Writer::Us)
      hamlogdb::Generate(dir, 1000, seed);
    else if (!InOtherProcess([&] {
               if (by == Writer::AnotherProgramWithACard) {
                 hamlogdb::OpenedLog log;
                 if (!log.Open(dir).Ok() || log.Db().PutQslMark(seed, 2, seed % 2 ? '*' : ' ') != HAMLOG_OK)
                   return false;
               }
               return hamlogdb::Generate(dir, 1000, seed).Ok();
             }))
      state.SkipWithError("another program's write failed");
    ++seed;
    CheckWorkFile();
    boxes.Answer(vbOK);  // the reading filter confirmed
    state.ResumeTiming();
    s.HLAPD.Trigger();
    if (SheetTally.ReadFailed) state.SkipWithError("the append failed");
  }
  const auto start = std::chrono::steady_clock::now();
  if (!WorkFileStillValid()) state.SkipWithError("the work file's stamp does not hold");
  state.counters["to_disk_ms"] =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
void BM_AppendThousand(benchmark::State& state) { appendThousand(state, Writer::Us); }
void BM_AppendThousandByAnotherProgram(benchmark::State& state) {
  appendThousand(state, Writer::AnotherProgram);
}
void BM_AppendAfterAnotherProgramsCard(benchmark::State& state) {
  appendThousand(state, Writer::AnotherProgramWithACard);
}
BENCHMARK(BM_AppendThousand)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AppendThousandByAnotherProgram)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AppendAfterAnotherProgramsCard)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AppendNothingNew(benchmark::State& state) {
  CWSHEET& s = loadedSheet(state.range(0));
  MsgBoxResponder boxes;
  for (auto _ : state) {
    state.PauseTiming();
    boxes.Answer(vbOK);  // "nothing new" told
    state.ResumeTiming();
    s.HLAPD.Trigger();
    if (SheetTally.ReadFailed) state.SkipWithError("the append failed");
  }
  if (!WorkFileStillValid()) state.SkipWithError("the work file's stamp does not hold");
}
BENCHMARK(BM_AppendNothingNew)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
