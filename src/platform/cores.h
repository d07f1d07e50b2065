#pragma once
// How many processors this process may use, and work cut into parts that run on them.

#include <cstddef>
#include <functional>

// The processors of this process's affinity mask (a program started under `taskset` or in a container
// limited to two cores gets 2), at least 1. Threads beyond these only take turns on the same cores.
int UsableCores();

// The bytes of one cache line: what threads write side by side is kept this far apart, so that one
// thread's writes do not take the line away from another.
inline constexpr size_t kCacheLineBytes = 64;

// How many parts to cut work into that RunParts spreads over the cores: a few for each core, so that
// the cores that end theirs first take the rest of one that falls behind (another program, the
// system's own work).
int BalancedParts();

// Runs part(0) .. part(parts - 1) side by side on as many threads as there are cores, part(0) on the
// calling thread, and returns when every one has. A thread that ends a part takes the next one not
// begun, so more parts than cores keep every core busy to the end.
void RunParts(size_t parts, const std::function<void(size_t)>& part);
