// The award sheets on a synthetic log of 1,000,000 QSOs.
//
//   BM_MemberCheck/N      the member check of a 5,000-member list (half of them in the log): each member
//                         through the call index, its QSOs from the column copy the sheet load leaves (made
//                         before the timing, as the operator opens the sheet first)
//   BM_MemberCheckPerRecord/N  the same from the log record by record: the pass over the log's calls, then
//                         a read of each QSO
//   BM_SquareTable/N      the SQUARE-75 scan of the log (a group-by over the column copy that the sheet
//                         load leaves, made once before the timing as the operator opens the sheet first)
//   BM_WasaTable/N        the WASA scan (the DX stations' odd locators are counted, listed and told once)
//   BM_SubSquareTable/N   the SUBSQUARE-100 scan
//   BM_DxccTable/N        the DXCC scan
//   BM_SquareTablePerRecord/N  the SQUARE-75 scan record by record, the reference the copy is checked
//                         against
//   BM_DxccTableAfterOwnWrite/N  the DXCC scan right after this program wrote the log: a received mark
//                         set on one QSO (as the QSO window does) and one QSO appended (as the entry
//                         window does); the copy takes those two records again
//   BM_DxccTableAfterOtherWrite/N  the DXCC scan right after another program (HAMLOG) set a received
//                         mark on one QSO: the copy reads the whole log again, as the first view after an
//                         outside change does

#include <benchmark/benchmark.h>

#include <QSet>

#include "awards/LocatorTables.h"
#include "awards/MemberCheck.h"
#include "bench_main.h"
#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "hamlogdb/tool_support.h"
#include "platform/hamlog/hamlog.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "support/other_process.h"
#include "synthetic_log.h"

namespace {

constexpr int kMembers = 5000;

// Member rows: base calls of the log's first QSOs, then calls the log does not hold.
QStringList memberCalls() {
  QSet<QString> seen;
  QStringList calls;
  HamlogOpenDb();
  for (int32_t rec = 1; rec <= Hamlog.HdbRecordCount && calls.size() < kMembers / 2; ++rec) {
    ReadQsoBasic(rec, 1);
    SplitCallSign(Qso.QsoCall);
    if (QsoRules.CallBase.size() <= 6 && !seen.contains(QsoRules.CallBase)) {
      seen.insert(QsoRules.CallBase);
      calls << QsoRules.CallBase;
    }
  }
  HamlogCloseDb(0);
  for (int i = 0; calls.size() < kMembers; ++i) calls << QString("8N%1ZZ").arg(i);
  return calls;
}

void memberCheck(benchmark::State& state, bool inMemory) {
  PrepareSyntheticLog(SyntheticLogFolder(state.range(0)));
  const QStringList calls = memberCalls();
  if (inMemory && QsoColumns.ReadToLogEnd() != HAMLOG_OK) state.SkipWithError("no column copy");
  FlexGrid grid(nullptr);
  int32_t listed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    grid.SetRows(1);
    grid.SetCols(25);
    for (int i = 0; i < calls.size(); ++i)
      grid.AddItem(" " + QString::number(i + 1) + "\t" + QString::number(i % 9999 + 1) + "\t" + calls[i]);
    state.ResumeTiming();
    VbFile list(JoinPath(Settings.DataFolder, "cfmACCstn.txt"), VbMode::Output);
    VbFile ama(JoinPath(Settings.DataFolder, "cfmAMA.txt"), VbMode::Output);
    HamlogOpenDb();
    const QsoColumnCopy* copy = inMemory && QsoColumns.ReadToLogEnd() == HAMLOG_OK ? &QsoColumns : nullptr;
    MemberQsoFinder finder;
    finder.Prepare(Vdbf_rcount(Hamlog.Thw), copy);
    MemberCheck check(grid, {"ACC#", false, false, {}}, list, &ama, copy);
    const MemberRecordSource source = finder.Source();
    for (int row = 1; row <= kMembers; ++row) check.CheckMember(row, source);
    check.Finish();
    HamlogCloseDb(0);
    list.Close();
    ama.Close();
    listed = check.ListedCount;
  }
  state.counters["listed"] = listed;
}
void BM_MemberCheck(benchmark::State& state) { memberCheck(state, true); }
void BM_MemberCheckPerRecord(benchmark::State& state) { memberCheck(state, false); }
BENCHMARK(BM_MemberCheck)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MemberCheckPerRecord)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void scanBench(benchmark::State& state, int kind, TableSource source = TableSource::Columns) {
  PrepareSyntheticLog(SyntheticLogFolder(state.range(0)));
  LocatorTableSource = source;
  if (QsoColumns.ReadToLogEnd() != HAMLOG_OK) state.SkipWithError("no column copy");
  int messages = 0;
  SetMsgBoxHook([&messages](const MsgBoxCall&) {
    ++messages;
    return MsgBoxAnswer{};
  });
  TableScan outcome{};
  for (auto _ : state) {
    if (kind == 5)
      SizeDxccTable(false);
    else if (kind == 3)
      SizeSubSquareTable(false);
    else
      SizeSquareTable(false);
    outcome = kind == 5 ? MakeDXCCTable(Hamlog.HdbRecordCount) : MakeGridTable(kind, Hamlog.HdbRecordCount);
  }
  if (outcome != TableScan::Found) state.SkipWithError("nothing found");
  state.counters["messages"] = messages / static_cast<double>(state.iterations());
  state.counters["copyMB"] = double(QsoColumns.Footprint()) / 1e6;
  SetMsgBoxHook({});
  ReleaseGridTables();
  LocatorTableSource = TableSource::Columns;
}

void BM_SquareTable(benchmark::State& state) { scanBench(state, 2); }
void BM_SubSquareTable(benchmark::State& state) { scanBench(state, 3); }
void BM_WasaTable(benchmark::State& state) { scanBench(state, 4); }
void BM_DxccTable(benchmark::State& state) { scanBench(state, 5); }
void BM_SquareTablePerRecord(benchmark::State& state) { scanBench(state, 2, TableSource::PerRecord); }
BENCHMARK(BM_SquareTable)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SubSquareTable)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WasaTable)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DxccTable)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SquareTablePerRecord)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

enum class Writer { Own, Other };

void dxccAfterWrite(benchmark::State& state, Writer writer) {
  const QString dir = SyntheticLogFolder(state.range(0));
  PrepareSyntheticLog(dir);
  if (QsoColumns.ReadToLogEnd() != HAMLOG_OK) state.SkipWithError("no column copy");
  SetMsgBoxHook([](const MsgBoxCall&) { return MsgBoxAnswer{}; });
  char mark = '*';
  for (auto _ : state) {
    state.PauseTiming();
    mark = mark == '*' ? ' ' : '*';
    if (writer == Writer::Own) {
      // A QSL mark, an edit of a stored QSO (the log replaced by its copy) and a new QSO.
      HamlogOpenDb();
      const int32_t half = Hamlog.HdbRecordCount / 2;
      QSL_Rcv(Hamlog.Thw, half, mark);
      int32_t confirm = 0;
      THW_read(Hamlog.Thw, half - 1, 3);
      const ThwRecord old = Hamlog.Thw;
      SetThBuffer(Hamlog.Thw, mark == '*' ? "edited" : "again", 13);
      THW_update(Hamlog.Thw, old, half - 1, 16, confirm);
      THW_read(Hamlog.Thw, half, 3);
      THW_append(Hamlog.Thw, 16, confirm);
      HamlogCloseDb(1);
    } else if (!InOtherProcess([&] {
                 hamlogdb::OpenedLog other;
                 return other.Open(dir).Ok() &&
                        other.Db().PutQslMark(Hamlog.HdbRecordCount / 2, 2, mark) == 0;
               })) {
      state.SkipWithError("the other program's write failed");
    }
    state.ResumeTiming();
    SizeDxccTable(false);
    if (MakeDXCCTable(CountHdbRecords()) != TableScan::Found) state.SkipWithError("nothing found");
  }
  SetMsgBoxHook({});
  ReleaseGridTables();
}
void BM_DxccTableAfterOwnWrite(benchmark::State& state) { dxccAfterWrite(state, Writer::Own); }
void BM_DxccTableAfterOtherWrite(benchmark::State& state) { dxccAfterWrite(state, Writer::Other); }
BENCHMARK(BM_DxccTableAfterOwnWrite)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_DxccTableAfterOtherWrite)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
