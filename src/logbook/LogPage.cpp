#include "logbook/LogPage.h"

#include <algorithm>

#include "core/HamlogAccess.h"
#include "logbook/QsoRow.h"

LogPage ReadLogPage(int32_t end) {
  LogPage page;
  page.rows.reserve(kLogPageSize);
  for (int32_t r = std::max(1, end - (kLogPageSize - 1)); r <= end; ++r) {
    if (const int32_t read = THW_read(Hamlog.Thw, r, 3); read != 0) {
      // A number past the end of the log is no record that failed: a short log's page asks for them.
      if (read != HAMLOG_NO_RECORD) ++page.unreadable;
      continue;
    }
    QStringList row = QsoRowOfRecord(r, {'-', true});
    row[18] = row[0];
    page.rows.push_back(std::move(row));
  }
  return page;
}

int32_t PageEndBefore(int32_t first) { return std::max(first - 1, kLogPageSize); }

int32_t PageEndAfter(int32_t last, int32_t recordCount) { return std::min(last + kLogPageSize, recordCount); }

int32_t PageEndOfJump(int32_t target, int32_t recordCount) {
  return std::min(std::max(target, kLogPageSize), recordCount);
}
