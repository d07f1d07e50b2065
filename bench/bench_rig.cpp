// How long one poll cycle holds the program, against the simulated transceiver on a pseudo-terminal:
// per protocol family with no wait after writes (the link's own cost), and for a rig that does not
// answer (target: no longer than the 200 ms read time-out plus the model's wait). While a poll runs
// the window's events keep running: "event_gap_ms" is the longest pause between two 5 ms timer ticks.
#include <benchmark/benchmark.h>

#include "bench_main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "support/pty_transceiver.h"

namespace {

struct Link {
  std::unique_ptr<PtyTransceiver> rig;
  explicit Link(const char* model, int32_t waitMs) {
    rig = std::make_unique<PtyTransceiver>(model);
    RigPortState = {};
    RigPortState.RigModel = model;
    RigPortState.PortName = rig->PortName();
    RigPortState.CivAddress = "94";
    RigPortState.PostWriteWaitMs = waitMs;
    RigPortState.PollMode = 1;
    RigPortOpen();
  }
  ~Link() { RigPortClose(); }
};

// Runs polls and measures the longest pause of a 5 ms timer meanwhile.
void Polls(benchmark::State& state, Link& link) {
  QElapsedTimer sinceTick;
  qint64 longest = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart()); });
  ticker.start(5);
  sinceTick.start();
  for (auto _ : state) RigPoll();
  ticker.stop();
  state.counters["event_gap_ms"] = static_cast<double>(longest);
  if (RigPortState.PortOpen != 1) state.SkipWithError("the link closed");
  (void)link;
}

void BM_PollCycle(benchmark::State& state, const char* model) {
  Link link(model, 0);
  Polls(state, link);
  if (RigPortState.FreqHz != 7'025'000) state.SkipWithError("no reading");
}

void BM_SilentRigPoll(benchmark::State& state) {
  Link link("ICOM", 100);
  link.rig->Silent = true;
  Polls(state, link);
}

BENCHMARK_CAPTURE(BM_PollCycle, ICOM, "ICOM")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PollCycle, FT1000MP, "FT1000MP")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PollCycle, FT767, "FT767")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PollCycle, KENWOOD, "KENWOOD")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PollCycle, JST245, "JST-245")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SilentRigPoll)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
