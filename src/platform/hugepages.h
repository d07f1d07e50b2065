#pragma once
// Large blocks of fresh memory that are written from end to end.

#include <cstddef>

// Asks the system to back the whole 2 MB pages inside the block with huge pages: a block of tens of
// megabytes is then given in a few dozen faults instead of thousands. Only advice: nothing changes
// when the system has no huge pages to give. A block that is later moved (a realloc that cannot grow
// it in place) has its huge pages split one by one, which costs more than they saved: such a block
// is given room to grow in place.
void PreferHugePages(void* block, size_t bytes);
