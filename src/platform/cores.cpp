#include "platform/cores.h"

#include <sched.h>

#include <algorithm>
#include <thread>
#include <vector>

int UsableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(CPU_COUNT(&set), 1);
  return std::max(int(std::thread::hardware_concurrency()), 1);
}

void RunParts(size_t parts, const std::function<void(size_t)>& part) {
  if (parts == 0) return;
  std::vector<std::thread> helpers;
  helpers.reserve(parts - 1);
  for (size_t k = 1; k < parts; ++k) helpers.emplace_back(part, k);
  part(0);
  for (std::thread& h : helpers) h.join();
}
