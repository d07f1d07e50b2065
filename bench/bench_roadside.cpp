// Speed of the record book and the roadside stations.
//
//   BM_RoadsideScan/N       the pass over an N-QSO log whose every 20th QSO names one of 1,200 stations
//                           in its remarks ("道の駅 □" + number), on the column copy the sheet load leaves
//                           (made before the timing) with its remark marks read
//   BM_RoadsideFirstOpen/N  the same with the remark marks read inside the timing, as on a first open
//                           straight after the sheet load made the copy and started reading them ahead
//   BM_RoadsideOpenAfterLoad/N  the first open a second after the sheet load showed the sheet (the marks
//                           read ahead meanwhile)
//   BM_RoadsideScanPerRecord/N  the pass record by record
//   BM_RecordBookLoad/N     reading, sorting and filtering a record book of N rows (no window)
//   BM_RecordBookWindow/N   the record book window over N rows: load, list, one area filter

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <chrono>
#include <random>
#include <thread>

#include "awards/RecordBook.h"
#include "awards/RoadsideStations.h"
#include "bench_main.h"
#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/SharedSettings.h"
#include "forms/awards/SeiriboSheet.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/paths.h"
#include "platform/ui/form.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"

namespace {

QTemporaryDir& root() {
  static QTemporaryDir dir;
  return dir;
}

QString stationNumber(int i) { return QString("%1%2").arg(i % 47 + 1, 2, 10, QChar('0')).arg(i / 47 + 1, 3, 10, QChar('0')); }

// A generated log whose every 20th record names a station in remarks 1, written straight into the table.
QString roadsideLog(int64_t qsos) {
  static std::map<int64_t, QString> made;
  if (auto it = made.find(qsos); it != made.end()) return it->second;
  const QString dir = root().filePath(QString("log%1").arg(qsos));
  QDir().mkpath(dir);
  hamlogdb::Create(dir);
  hamlogdb::LoadMaster(dir, QString(ORBEX_DATA_DIR) + "/master.csv");
  hamlogdb::Generate(dir, qsos, 20240607);
  QFile hdb(hamlogdb::DatabasePath(dir));
  hdb.open(QIODevice::ReadWrite);
  const hamlog::FieldSpan span = *hamlog::RecordFieldSpan(13);
  std::mt19937 rng(7);
  for (int64_t r = 1; r <= qsos; r += 20) {
    QByteArray remark = ToAnsi("道の駅 □" + stationNumber(int(rng() % 1200)));
    remark.append(QByteArray(span.width - remark.size(), ' '));
    hdb.seek(hamlog::kHdbHeaderLength + (r - 1) * hamlog::kHdbRecordLength + span.offset);
    hdb.write(remark);
  }
  hdb.close();
  made[qsos] = dir;
  return dir;
}

std::vector<RoadsideStation> stations() {
  std::vector<RoadsideStation> s;
  for (int i = 0; i < 1200; ++i) s.push_back({stationNumber(i), "道の駅", "1001", "東京都"});
  return s;
}

enum class RoadsidePass { Copy, FirstOpen, AfterLoad, PerRecord };

void roadsideScan(benchmark::State& state, RoadsidePass pass) {
  const QString dir = roadsideLog(state.range(0));
  Hamlog.HamlogDbPath = hamlogdb::DatabasePath(dir);
  Hamlog.HamlogClosed = 1;
  Hamlog.HdbRecordCount = CountHdbRecords();
  ReadConditions = {};
  // The frequency report goes to the data folder, never into the folder the bench is run from.
  Settings.DataFolder = root().path();
  const std::vector<RoadsideStation> list = stations();
  QsoColumns.Drop();
  if (pass != RoadsidePass::PerRecord && QsoColumns.ReadToLogEnd() != HAMLOG_OK) state.SkipWithError("no copy");
  if (pass == RoadsidePass::Copy) QsoColumns.ReadRemarkMarks();
  RoadsideScan scan;
  for (auto _ : state) {
    if (pass == RoadsidePass::FirstOpen || pass == RoadsidePass::AfterLoad) {
      state.PauseTiming();
      QsoColumns.Drop();
      QsoColumns.ReadToLogEnd();
      QsoColumns.ReadRemarkMarksAhead();  // as the sheet does once it shows
      if (pass == RoadsidePass::AfterLoad)
        std::this_thread::sleep_for(std::chrono::seconds(1));  // the operator's look at the sheet
      state.ResumeTiming();
    }
    scan = ScanHamlogForStations(list, pass == RoadsidePass::PerRecord ? nullptr : &QsoColumns);
  }
  state.counters["wkd"] = scan.ScanWkdCount;
  state.counters["cfm"] = scan.ScanCfmCount;
  QsoColumns.Drop();
}
void BM_RoadsideScan(benchmark::State& state) { roadsideScan(state, RoadsidePass::Copy); }
void BM_RoadsideFirstOpen(benchmark::State& state) { roadsideScan(state, RoadsidePass::FirstOpen); }
void BM_RoadsideOpenAfterLoad(benchmark::State& state) { roadsideScan(state, RoadsidePass::AfterLoad); }
void BM_RoadsideScanPerRecord(benchmark::State& state) { roadsideScan(state, RoadsidePass::PerRecord); }
BENCHMARK(BM_RoadsideScan)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RoadsideFirstOpen)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RoadsideOpenAfterLoad)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RoadsideScanPerRecord)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

QString recordBookHome(int rows) {
  const QString home = root().filePath(QString("home%1").arg(rows));
  QDir().mkpath(home);
  qputenv("ORBEX_HOME", home.toLocal8Bit());
  VbFile f(JoinPath(home, "ORBEX_整理簿.txt"), VbMode::Output);
  const char* status[] = {"", "告", "議", "法", "", ""};
  for (int i = 0; i < rows; ++i) {
    const int pref = i % 47 + 1;
    const QString code = QString("%1%2").arg(pref, 2, 10, QChar('0')).arg(i / 47 % 100, 2, 10, QChar('0'));
    f.Write({QString("2005%1%2").arg(i % 12 + 1, 2, 10, QChar('0')).arg(i % 28 + 1, 2, 10, QChar('0')),
             i % 3 == 0 ? code + "001A" : code, "某県某市" + QString::number(i), i % 7 == 0 ? "消滅" : "", "合併予定",
             QString::fromUtf8(status[i % 6])});
  }
  f.Close();
  return home;
}

void BM_RecordBookLoad(benchmark::State& state) {
  const QString home = recordBookHome(int(state.range(0)));
  BookSelection s;
  s.area = "1";
  for (auto _ : state) {
    const RecordBookLoad load = LoadRecordBook(JoinPath(home, "ORBEX_整理簿.txt"), JoinPath(home, "DMYSBMST.dat"));
    int shown = 0;
    for (const RecordBookRow& r : load.rows) shown += BookRowShown(r, s, {}, {});
    benchmark::DoNotOptimize(shown);
  }
}
BENCHMARK(BM_RecordBookLoad)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_RecordBookWindow(benchmark::State& state) {
  recordBookHome(int(state.range(0)));
  SetMsgBoxHook([](const MsgBoxCall&) { return MsgBoxAnswer{}; });
  for (auto _ : state) {
    SeiriboSheet& book = Form<SeiriboSheet>();
    book.SALL1.Trigger();
    state.PauseTiming();
    UnloadForm<SeiriboSheet>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    state.ResumeTiming();
  }
  SetMsgBoxHook({});
}
BENCHMARK(BM_RecordBookWindow)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
