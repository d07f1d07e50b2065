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

void MergeIntoSortedDmyDbs(QByteArray& sorted, QByteArrayView sortedNew, std::vector<qsizetype>& newLines) {
  const qsizetype oldCount = sorted.size() / kDmyDbsRecordBytes, newCount = sortedNew.size() / kDmyDbsRecordBytes;
  newLines.clear();
  newLines.reserve(size_t(newCount));
  // Where each new line goes among the old ones: after every old line of an equal key, as a stable
  // sort of old-then-new leaves it.
  qsizetype lo = 0;
  for (qsizetype j = 0; j < newCount; ++j) {
    const Key key(lineAt(sortedNew, j));
    qsizetype hi = oldCount;
    while (lo < hi) {
      const qsizetype mid = lo + (hi - lo) / 2;
      if (key < Key(lineAt(sorted, mid)))
        hi = mid;
      else
        lo = mid + 1;
    }
    newLines.push_back(lo + j);
  }
  // The array grows in place (a large block is remapped, not copied); from the back, each run of old
  // lines moves up by the number of new lines before it, and each new line takes its place.
  sorted.resize(sorted.size() + sortedNew.size());
  char* data = sorted.data();
  qsizetype oldEnd = oldCount;
  for (qsizetype j = newCount - 1; j >= 0; --j) {
    const qsizetype before = newLines[size_t(j)] - j;  // old lines before new line j
    if (oldEnd > before)
      std::memmove(data + (before + j + 1) * kDmyDbsRecordBytes, data + before * kDmyDbsRecordBytes,
                   size_t(oldEnd - before) * kDmyDbsRecordBytes);
    std::memcpy(data + newLines[size_t(j)] * kDmyDbsRecordBytes, lineAt(sortedNew, j), kDmyDbsRecordBytes);
    oldEnd = before;
  }
}
