// Speed of the file stand-ins: the work-file sort and one INI read.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <random>

#include "platform/ksort.h"
#include "platform/profile.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

// 1,000,000 work-file lines of 33 bytes (31 + CR LF): flag, code, band, marks, record number, date.
QByteArray workFile(int lines) {
  std::mt19937 rng(42);
  QByteArray out;
  out.reserve(qsizetype(lines) * 33);
  for (int i = 0; i < lines; ++i) {
    const QByteArray line = QByteArray::number(rng() % 2) +
                            QByteArray::number(100 + rng() % 4700).rightJustified(4, '0') + "  " + "14  " +
                            "C" + "J" + QByteArray::number(rng() % 2000000).rightJustified(10, '0') +
                            QByteArray::number(19520729 + rng() % 700000).left(8) + "\r\n";
    out.append(line);
  }
  return out;
}

void BM_KsortMillionLinesTwoKeys(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath("DMYDBS.DAT");
  const QByteArray unsorted = workFile(1000000);
  const QString spec = "/k(2:6)(14:10) '" + path + "' ";
  for (auto _ : state) {
    state.PauseTiming();
    writeFile(path, unsorted);
    state.ResumeTiming();
    QString reply;
    if (ksort(spec, reply) != KsortDone) state.SkipWithError("ksort gave up");
  }
  state.SetBytesProcessed(state.iterations() * unsorted.size());
}
BENCHMARK(BM_KsortMillionLinesTwoKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_IniReadOneKeyOf300Lines(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath("ORBEX5.INI");
  QByteArray ini;
  for (int s = 0; s < 12; ++s) {
    ini += "[Section" + QByteArray::number(s) + "]\r\n";
    for (int k = 0; k < 24; ++k)
      ini += "Key" + QByteArray::number(k) + "=value of key " + QByteArray::number(k) + "\r\n";
  }
  writeFile(path, ini);  // 300 lines
  for (auto _ : state) {
    benchmark::DoNotOptimize(GetPrivateProfileString("section11", "KEY23", "x", path));
  }
}
BENCHMARK(BM_IniReadOneKeyOf300Lines)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
