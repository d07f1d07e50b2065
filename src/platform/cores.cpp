#include "platform/cores.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

int UsableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(CPU_COUNT(&set), 1);
  return std::max(int(std::thread::hardware_concurrency()), 1);
}

int BalancedParts() { return std::clamp(4 * UsableCores(), 1, 32); }

void RunParts(size_t parts, const std::function<void(size_t)>& part) {
  if (parts == 0) return;
  std::atomic<size_t> next{1};
  auto takeTheRest = [&] {
    for (size_t k; (k = next++) < parts;) part(k);
  };
  std::vector<std::thread> helpers;
  const size_t threads = std::min(parts, size_t(UsableCores()));
  helpers.reserve(threads - 1);
  for (size_t t = 1; t < threads; ++t) helpers.emplace_back(takeTheRest);
  part(0);
  takeTheRest();
  for (std::thread& h : helpers) h.join();
}
