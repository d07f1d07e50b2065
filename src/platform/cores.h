#pragma once
// How many processors this process may run on: those of its affinity mask (a program started under
// `taskset` or in a container limited to two cores gets 2), at least 1. Threads beyond these only
// take turns on the same cores.
int UsableCores();
