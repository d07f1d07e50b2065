#include "sheet/DmyDbsMerge.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "sheet/DmyDbsLine.h"

namespace {

// The sort key (2:2)(1:1)(4:4)(8:4)(14:10) of a line as three big-endian words.
struct Key {
  uint64_t a, b, c;
  explicit Key(const char* line) {
    const auto* p = reinterpret_cast<const unsigned char*>(line);
    auto word = [p](std::initializer_list<int> at) {
      uint64_t w = 0;
      for (int i : at) w = (w << 8) | p[i];
      return w;
    };
    a = word({1, 2, 0, 3, 4, 5, 6, 7});
    b = word({8, 9, 10, 13, 14, 15, 16, 17});
    c = word({18, 19, 20, 21, 22});
  }
  bool operator<(const Key& o) const { return std::tie(a, b, c) < std::tie(o.a, o.b, o.c); }
};

const char* lineAt(QByteArrayView data, qsizetype i) { return data.data() + i * kDmyDbsRecordBytes; }

}  // namespace

bool DmyDbsIsSorted(QByteArrayView data) {
  const qsizetype n = data.size() / kDmyDbsRecordBytes;
  if (n < 2) return true;
  Key previous(lineAt(data, 0));
  for (qsizetype i = 1; i < n; ++i) {
    const Key k(lineAt(data, i));
    if (k < previous) return false;
    previous = k;
  }
  return true;
}

QByteArray MergeSortedDmyDbs(QByteArrayView sorted, QByteArrayView sortedNew, std::vector<qsizetype>& newLines) {
  const qsizetype oldCount = sorted.size() / kDmyDbsRecordBytes, newCount = sortedNew.size() / kDmyDbsRecordBytes;
  newLines.clear();
  newLines.reserve(size_t(newCount));
  QByteArray out(sorted.size() + sortedNew.size(), Qt::Uninitialized);
  char* o = out.data();
  qsizetype taken = 0;  // old lines copied so far
  for (qsizetype j = 0; j < newCount; ++j) {
    const char* line = lineAt(sortedNew, j);
    const Key key(line);
    // After every old line of an equal key, as a stable sort of old-then-new leaves it.
    qsizetype lo = taken, hi = oldCount;
    while (lo < hi) {
      const qsizetype mid = lo + (hi - lo) / 2;
      if (key < Key(lineAt(sorted, mid)))
        hi = mid;
      else
        lo = mid + 1;
    }
    if (const size_t run = size_t(lo - taken) * kDmyDbsRecordBytes; run > 0) {
      std::memcpy(o, lineAt(sorted, taken), run);
      o += run;
    }
    taken = lo;
    newLines.push_back(taken + j);
    std::memcpy(o, line, kDmyDbsRecordBytes);
    o += kDmyDbsRecordBytes;
  }
  if (taken < oldCount) std::memcpy(o, lineAt(sorted, taken), size_t(oldCount - taken) * kDmyDbsRecordBytes);
  return out;
}
