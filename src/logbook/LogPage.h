#pragma once
// Pages of the log viewer: the 100 consecutive record numbers that end at a chosen record.

#include <QStringList>
#include <cstdint>
#include <vector>

inline constexpr int32_t kLogPageSize = 100;

struct LogPage {
  std::vector<QStringList> rows;  // 19 cells each (column 18 = column 0), ascending record order
  int32_t unreadable = 0;         // records of the log in the range that could not be read (left out)
};

// The records end - 99 .. end that can be read; HAMLOG must be open. Cells keep the fields' padding.
LogPage ReadLogPage(int32_t end);

// Where each page command lands: the end of the page before one that starts at `first`; after one
// that ends at `last`; and of a jump to `target` (100 at least, the count at most).
int32_t PageEndBefore(int32_t first);
int32_t PageEndAfter(int32_t last, int32_t recordCount);
int32_t PageEndOfJump(int32_t target, int32_t recordCount);
