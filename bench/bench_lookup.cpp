// Speed of the lookups: the DXCC table at each sheet load, the entities the call box looks up for a
// typed call at every key, and cutting a large licence answer.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "lookup/DxccTable.h"
#include "lookup/LicenceSearch.h"

namespace {

struct ShippedLibrary {
  ShippedLibrary() {
    qputenv("ORBEX_HOME", dir.path().toLocal8Bit());
    QFile::copy(ORBEX_DATA_DIR "/home/CodeLib.txt", dir.filePath("CodeLib.txt"));
  }
  QTemporaryDir dir;
};

void BM_LoadDXCCTableShipped(benchmark::State& state) {
  ShippedLibrary library;
  for (auto _ : state) benchmark::DoNotOptimize(LoadDXCCTable());
}
BENCHMARK(BM_LoadDXCCTableShipped)->Unit(benchmark::kMicrosecond);

// What one typed DX call costs the call box: the look-up after each of its keys.
void BM_EntitiesOfOneTypedCall(benchmark::State& state) {
  ShippedLibrary library;
  LoadDXCCTable();
  const QString call = "VK9XAB/P";
  for (auto _ : state)
    for (int k = 1; k <= call.size(); ++k) benchmark::DoNotOptimize(DxccEntitiesOfCall(call.left(k)));
}
BENCHMARK(BM_EntitiesOfOneTypedCall)->Unit(benchmark::kMicrosecond);

// A short call matches many longer ones: an answer of 1,000 licences.
void BM_ParseLicenceAnswer1000(benchmark::State& state) {
  QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><musenInformation><lastUpdateDate>2026-12-01"
                   "</lastUpdateDate><totalCount>1000</totalCount><musen>";
  for (int i = 1; i <= 1000; ++i)
    xml += "<listInfo><no>" + QByteArray::number(i) + "</no><name>山田　太郎</name><tdfkCd>東京都</tdfkCd>"
           "<identificationSignals>JA1A" + QByteArray::number(i % 26 + 10, 36).toUpper() +
           "</identificationSignals><licenseDate>2020-05-01</licenseDate><validTerms>2025-04-30</validTerms>"
           "<movementArea>陸上</movementArea><radioEuipmentLocation>東京都千代田区</radioEuipmentLocation>"
           "<radioSpec1>4HA 1910kHz 50W</radioSpec1></listInfo>";
  xml += "</musen></musenInformation>";
  for (auto _ : state) benchmark::DoNotOptimize(ParseLicenceXML(xml, "JA1AB"));
}
BENCHMARK(BM_ParseLicenceAnswer1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
