#include "platform/hamlog/index_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <thread>

#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/master_file.h"
#include "platform/paths.h"
#include "platform/vbfile.h"

namespace hamlog {

const IndexKind kQsoByCode{"dx1", IndexSource::Hdb, kCodeOffset, kCodeWidth};
const IndexKind kQsoByCall{"dxc", IndexSource::Hdb, kCallOffset, kCallWidth};
const IndexKind kMasterByCode{"dx2", IndexSource::Master, 0, 6};
const IndexKind kMasterByKind{"dx4", IndexSource::Master, kMasterKindOffset, 4};

namespace {

constexpr char kMagic[8] = {'O', 'X', 'I', 'D', 'X', '0', '0', '1'};
constexpr int kHeaderLength = 64;
constexpr uint32_t kRemoveBit = 0x80000000u;

struct Header {
  uint32_t width = 0;
  uint32_t baseCount = 0;
  uint32_t logCount = 0;
  IndexStamp stamp;
  bool busy = false;  // a write is putting its entries into the log
};

// Byte 23 of a header whose log is being rewritten; its stamp is then no source's.
constexpr unsigned char kBusyMark = '*';

void put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}
void put64(unsigned char* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}
uint32_t get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint64_t get64(const unsigned char* p) { return get32(p) | uint64_t(get32(p + 4)) << 32; }

void putBig(unsigned char* p, uint32_t v) {
  p[0] = v >> 24, p[1] = (v >> 16) & 0xFF, p[2] = (v >> 8) & 0xFF, p[3] = v & 0xFF;
}
uint32_t getBig(const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

std::array<unsigned char, kHeaderLength> encodeHeader(const IndexKind& kind, const Header& h) {
  std::array<unsigned char, kHeaderLength> b{};
  std::memcpy(b.data(), kMagic, 8);
  put32(b.data() + 8, h.width);
  put32(b.data() + 12, h.baseCount);
  put32(b.data() + 16, h.logCount);
  std::memcpy(b.data() + 20, kind.suffix, 3);
  if (h.busy) b[23] = kBusyMark;
  put32(b.data() + 24, h.stamp.identity);
  put32(b.data() + 28, h.stamp.generation);
  put32(b.data() + 32, h.stamp.count);
  put64(b.data() + 40, uint64_t(h.stamp.size));
  put64(b.data() + 48, uint64_t(h.stamp.mtimeNs));
  return b;
}

// Reads and checks the header against the kind and the file's length.
bool readHeader(const UnixFile& f, const IndexKind& kind, Header& h) {
  unsigned char b[kHeaderLength];
  if (!f.ReadAt(0, b, kHeaderLength) || std::memcmp(b, kMagic, 8) != 0) return false;
  if (std::memcmp(b + 20, kind.suffix, 3) != 0) return false;
  h.width = get32(b + 8);
  h.baseCount = get32(b + 12);
  h.logCount = get32(b + 16);
  h.stamp.identity = get32(b + 24);
  h.stamp.generation = get32(b + 28);
  h.stamp.count = get32(b + 32);
  h.stamp.size = int64_t(get64(b + 40));
  h.stamp.mtimeNs = int64_t(get64(b + 48));
  h.busy = b[23] == kBusyMark;
  if (int(h.width) != kind.keyWidth) return false;
  const int64_t need = kHeaderLength + (int64_t(h.baseCount) + h.logCount) * (h.width + 4);
  return f.Stat().size >= need;
}

// Order of entries: key bytes, then the record number without the remove bit.
int compareEntries(const unsigned char* a, const unsigned char* b, int width) {
  if (const int c = std::memcmp(a, b, width)) return c;
  const uint32_t ra = getBig(a + width) & ~kRemoveBit, rb = getBig(b + width) & ~kRemoveBit;
  return ra < rb ? -1 : ra > rb ? 1 : 0;
}

template <size_t N>
void sortFixed(std::vector<unsigned char>& bytes) {
  using Row = std::array<unsigned char, N>;
  static_assert(sizeof(Row) == N);
  auto* first = reinterpret_cast<Row*>(bytes.data());
  std::sort(first, first + bytes.size() / N,
            [](const Row& a, const Row& b) { return std::memcmp(a.data(), b.data(), N) < 0; });
}

void sortAny(std::vector<unsigned char>& bytes, int entry) {
  const size_t n = bytes.size() / entry;
  std::vector<uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return std::memcmp(&bytes[size_t(a) * entry], &bytes[size_t(b) * entry], entry) < 0;
  });
  std::vector<unsigned char> sorted(bytes.size());
  for (size_t i = 0; i < n; ++i) std::memcpy(&sorted[i * entry], &bytes[size_t(order[i]) * entry], entry);
  bytes.swap(sorted);
}

// Base entries never carry the remove bit, so plain byte order is (key, record) order.
void sortEntries(std::vector<unsigned char>& bytes, int width) {
  switch (width + 4) {
    case 8:
      return sortFixed<8>(bytes);
    case 10:
      return sortFixed<10>(bytes);
    case 24:
      return sortFixed<24>(bytes);
    default:
      return sortAny(bytes, width + 4);
  }
}

// Whether a log is folded already: in (key, record) order, one entry per (key, record). Logs are kept
// so; an index written before they were is folded when it is read, and by its next write.
bool isFolded(const unsigned char* log, uint32_t count, int width) {
  const int entry = width + 4;
  for (uint32_t i = 1; i < count; ++i)
    if (compareEntries(log + size_t(i - 1) * entry, log + size_t(i) * entry, width) >= 0) return false;
  return true;
}

// Folds a log in writing order into one entry per (key, record): the last change wins.
std::vector<unsigned char> foldLog(const unsigned char* log, uint32_t count, int width) {
  const int entry = width + 4;
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return compareEntries(log + size_t(a) * entry, log + size_t(b) * entry, width) < 0;
  });
  std::vector<unsigned char> out;
  out.reserve(size_t(count) * entry);
  for (uint32_t i = 0; i < count; ++i) {
    const unsigned char* e = log + size_t(order[i]) * entry;
    if (i + 1 < count && compareEntries(e, log + size_t(order[i + 1]) * entry, width) == 0) continue;
    out.insert(out.end(), e, e + entry);
  }
  return out;
}

bool writeAll(const QString& path, const IndexKind& kind, const Header& h,
              const std::vector<unsigned char>& body) {
  const auto head = encodeHeader(kind, h);
  QByteArray bytes;
  bytes.reserve(kHeaderLength + qsizetype(body.size()));
  bytes.append(reinterpret_cast<const char*>(head.data()), kHeaderLength);
  bytes.append(reinterpret_cast<const char*>(body.data()), qsizetype(body.size()));
  return AtomicWriteFile(path, bytes);
}

// The folded log `log` with the folded changes `add` put in: a change takes the place of the entry of
// its (key, record). The entries before `*firstChanged` are those of `log`.
std::vector<unsigned char> mergeLog(const std::vector<unsigned char>& log, const std::vector<unsigned char>& add,
                                    int width, size_t* firstChanged) {
  const int entry = width + 4;
  const size_t n = log.size() / entry, k = add.size() / entry;
  std::vector<unsigned char> out;
  out.reserve(log.size() + add.size());
  size_t i = 0, j = 0;
  *firstChanged = SIZE_MAX;
  while (i < n || j < k) {
    const unsigned char* a = i < n ? &log[i * entry] : nullptr;
    const unsigned char* b = j < k ? &add[j * entry] : nullptr;
    const int c = !a ? 1 : !b ? -1 : compareEntries(a, b, width);
    if (c < 0) {
      out.insert(out.end(), a, a + entry), ++i;
      continue;
    }
    if (*firstChanged == SIZE_MAX) *firstChanged = out.size() / entry;
    out.insert(out.end(), b, b + entry), ++j;
    if (c == 0) ++i;
  }
  return out;
}

// The log may grow to this many entries before it is merged into the base.
uint32_t logLimit(uint32_t baseCount) { return std::clamp<uint32_t>(baseCount / 64, 1024, 16384); }

}  // namespace

const IndexKind* IndexKindOfPath(const QString& path) {
  const QString suffix = path.right(3).toLower();
  for (const IndexKind* k : {&kQsoByCode, &kQsoByCall, &kMasterByCode, &kMasterByKind})
    if (suffix == QLatin1String(k->suffix)) return k;
  return nullptr;
}

void IndexEntries::Add(const unsigned char* key, uint32_t record) {
  const size_t at = bytes_.size();
  bytes_.resize(at + width_ + 4);
  std::memcpy(&bytes_[at], key, width_);
  putBig(&bytes_[at + width_], record);
}

void IndexEntries::Sort() { sortEntries(bytes_, width_); }

bool WriteIndex(const QString& path, const IndexKind& kind, IndexEntries& entries, const IndexStamp& stamp) {
  entries.Sort();
  Header h;
  h.width = kind.keyWidth;
  h.baseCount = uint32_t(entries.Count());
  h.stamp = stamp;
  return writeAll(path, kind, h, entries.Bytes());
}

bool IndexWantsMerge(const QString& path, const IndexKind& kind) {
  UnixFile f;
  Header h;
  return f.OpenReadOnly(path) && readHeader(f, kind, h) && h.logCount > logLimit(h.baseCount);
}

bool ReadIndexStamp(const QString& path, const IndexKind& kind, IndexStamp& stamp) {
  UnixFile f;
  Header h;
  if (!f.OpenReadOnly(path) || !readHeader(f, kind, h)) return false;
  stamp = h.stamp;
  return true;
}

bool RestampIndex(const QString& path, const IndexKind& kind, const IndexStamp& before,
                  const IndexStamp& after) {
  return ApplyIndexChanges(path, kind, before, {}, after, nullptr);
}

bool ApplyIndexChanges(const QString& path, const IndexKind& kind, const IndexStamp& before,
                       const std::vector<IndexChange>& changes, const IndexStamp& after, bool* wantsMerge) {
  UnixFile f;
  Header h;
  if (!f.Open(path) || !f.Writable() || !readHeader(f, kind, h) || h.busy || !(h.stamp == before)) return false;
  const int entry = h.width + 4;
  std::vector<unsigned char> add(changes.size() * entry);
  for (size_t i = 0; i < changes.size(); ++i) {
    if (changes[i].key.size() != int(h.width)) return false;
    std::memcpy(&add[i * entry], changes[i].key.constData(), h.width);
    putBig(&add[i * entry + h.width], changes[i].record | (changes[i].remove ? kRemoveBit : 0));
  }
  const int64_t end = kHeaderLength + int64_t(h.baseCount) * entry;
  if (!add.empty()) {
    // The log stays folded, so that no open sorts it: the changes go to their places and the entries
    // from the first place that changed on are written again.
    std::vector<unsigned char> log(size_t(h.logCount) * entry);
    if (!log.empty() && !f.ReadAt(end, log.data(), log.size())) return false;
    const bool refolded = !isFolded(log.data(), h.logCount, h.width);
    if (refolded) log = foldLog(log.data(), h.logCount, h.width);
    add = foldLog(add.data(), uint32_t(changes.size()), h.width);
    size_t first = 0;
    const std::vector<unsigned char> merged = mergeLog(log, add, h.width, &first);
    if (refolded) first = 0;
    // The counted entries are about to change: readers that come meanwhile see a header that no
    // source's stamp matches (and a crash leaves one), so they wait for the write or rebuild.
    if (first < h.logCount) {
      Header busy = h;
      busy.busy = true;
      busy.stamp = {};
      const auto head = encodeHeader(kind, busy);
      if (!f.WriteAt(0, head.data(), head.size())) return false;
    }
    if (!f.WriteAt(end + int64_t(first) * entry, merged.data() + first * entry, merged.size() - first * entry) ||
        !f.Sync())
      return false;
    h.logCount = uint32_t(merged.size() / entry);
  }
  // The header goes without a wait for the disk: lost in a crash, it leaves the stamp of before (or
  // busy), which no longer matches the log, and the next open builds the index again. The entries
  // above were on the disk before it claims them.
  h.stamp = after;
  const auto head = encodeHeader(kind, h);
  if (!f.WriteAt(0, head.data(), head.size())) return false;
  if (wantsMerge) *wantsMerge = h.logCount > logLimit(h.baseCount);
  return true;
}

bool CompactIndex(const QString& path, const IndexKind& kind, DbLock& lock) {
  IndexView view;
  if (!view.Open(path, kind)) return false;
  if (view.storedLogCount_ <= logLimit(uint32_t(view.baseCount_))) return true;
  const int entry = kind.keyWidth + 4;
  QByteArray bytes(kHeaderLength, '\0');
  bytes.reserve(kHeaderLength + qsizetype(view.baseCount_ + view.logCount_) * entry);
  IndexView::Cursor c;
  const unsigned char* key;
  uint32_t rec;
  uint32_t count = 0;
  unsigned char number[4];
  while (view.Next(c, key, rec)) {
    bytes.append(reinterpret_cast<const char*>(key), kind.keyWidth);
    putBig(number, rec);
    bytes.append(reinterpret_cast<const char*>(number), 4);
    ++count;
  }
  Header h;
  h.width = kind.keyWidth;
  h.baseCount = count;
  h.stamp = view.Stamp();
  const auto head = encodeHeader(kind, h);
  std::memcpy(bytes.data(), head.data(), kHeaderLength);
  const QString scratch = path + ".mrg";
  if (!WriteScratchFile(scratch, bytes)) return false;
  // It takes the index's place under the write lock. Writes that came since the snapshot changed the
  // log only, in place (a rebuild or another merge puts a new file there): the entries they made or
  // changed go into the new file's log.
  WriteGuard guard(&lock);
  UnixFile f;
  Header now;
  bool ok = guard.Held() && f.OpenReadOnly(path) && readHeader(f, kind, now) && !now.busy &&
            f.Stat().inode == view.file_.Stat().inode && now.baseCount == view.baseCount_;
  if (ok && !(now.stamp == view.Stamp() && now.logCount == view.storedLogCount_)) {
    std::vector<unsigned char> log(size_t(now.logCount) * entry);
    ok = log.empty() || f.ReadAt(kHeaderLength + int64_t(now.baseCount) * entry, log.data(), log.size());
    if (ok && !isFolded(log.data(), now.logCount, kind.keyWidth))
      log = foldLog(log.data(), now.logCount, kind.keyWidth);
    std::vector<unsigned char> changed;
    for (size_t i = 0, j = 0; ok && i < log.size() / entry; ++i) {
      const unsigned char* e = &log[i * entry];
      while (j < view.logCount_ && compareEntries(view.logEntry(uint32_t(j)), e, kind.keyWidth) < 0) ++j;
      if (j < view.logCount_ && std::memcmp(view.logEntry(uint32_t(j)), e, entry) == 0) continue;
      changed.insert(changed.end(), e, e + entry);
    }
    h.logCount = uint32_t(changed.size() / entry);
    h.stamp = now.stamp;
    const auto caughtUp = encodeHeader(kind, h);
    UnixFile out;
    ok = ok && out.Open(scratch) && (changed.empty() || out.WriteAt(bytes.size(), changed.data(), changed.size())) &&
         out.WriteAt(0, caughtUp.data(), caughtUp.size()) && out.Sync();
  }
  if (ok && MoveFileOver(scratch, path)) return true;
  Kill(scratch);
  return false;
}

bool IndexView::Open(const QString& path, const IndexKind& kind) {
  map_.Unmap();
  if (!file_.OpenReadOnly(path)) return false;
  // A write may be rewriting the log meanwhile (another process): the header read again after the
  // log tells a snapshot it did not touch.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    Header h, again;
    if (!readHeader(file_, kind, h)) return false;
    if (h.busy) {
      std::this_thread::yield();
      continue;
    }
    width_ = int(h.width);
    const int entry = width_ + 4;
    baseCount_ = h.baseCount;
    stamp_ = h.stamp;
    const int64_t end = kHeaderLength + int64_t(h.baseCount) * entry;
    if (!map_.Map(file_.Fd(), size_t(end))) return false;
    base_ = map_.Data() + kHeaderLength;
    log_.resize(size_t(h.logCount) * entry);
    if (h.logCount && !file_.ReadAt(end, log_.data(), log_.size())) return false;
    if (!readHeader(file_, kind, again) || again.busy || !(again.stamp == h.stamp) ||
        again.logCount != h.logCount || again.baseCount != h.baseCount)
      continue;
    if (!isFolded(log_.data(), h.logCount, width_)) log_ = foldLog(log_.data(), h.logCount, width_);
    storedLogCount_ = h.logCount;
    logCount_ = uint32_t(log_.size() / entry);
    return true;
  }
  return false;
}

// The first position in base and in log whose entry does not satisfy `before` (both are sorted).
template <class Before>
IndexView::Cursor IndexView::partition(Before before) const {
  Cursor c;
  uint64_t hi = baseCount_;
  while (c.base < hi) {
    const uint64_t mid = (c.base + hi) / 2;
    before(baseEntry(mid)) ? c.base = mid + 1 : hi = mid;
  }
  uint32_t top = logCount_;
  while (c.log < top) {
    const uint32_t mid = (c.log + top) / 2;
    before(logEntry(mid)) ? c.log = mid + 1 : top = mid;
  }
  return c;
}

IndexView::Cursor IndexView::Seek(QByteArrayView prefix) const {
  const int len = int(std::min<qsizetype>(prefix.size(), width_));
  const auto* p = reinterpret_cast<const unsigned char*>(prefix.data());
  return partition([&](const unsigned char* e) { return std::memcmp(e, p, len) < 0; });
}

IndexView::Cursor IndexView::SeekAfter(const unsigned char* key, uint32_t record) const {
  std::vector<unsigned char> probe(width_ + 4);
  std::memcpy(probe.data(), key, width_);
  putBig(probe.data() + width_, record);
  return partition([&](const unsigned char* e) { return compareEntries(e, probe.data(), width_) <= 0; });
}

bool IndexView::Next(Cursor& c, const unsigned char*& key, uint32_t& record) const {
  for (;;) {
    const bool haveBase = c.base < baseCount_, haveLog = c.log < logCount_;
    if (!haveBase && !haveLog) return false;
    if (haveBase && haveLog) {
      const unsigned char* b = baseEntry(c.base);
      const unsigned char* l = logEntry(c.log);
      const int cmp = compareEntries(b, l, width_);
      const bool removes = getBig(l + width_) & kRemoveBit;
      if (cmp < 0) {
        key = b, record = getBig(b + width_), ++c.base;
        return true;
      }
      ++c.log;
      if (cmp == 0) ++c.base;
      if (removes) continue;
      key = l, record = getBig(l + width_) & ~kRemoveBit;
      return true;
    }
    if (haveBase) {
      const unsigned char* b = baseEntry(c.base++);
      key = b, record = getBig(b + width_);
      return true;
    }
    const unsigned char* l = logEntry(c.log++);
    if (getBig(l + width_) & kRemoveBit) continue;
    key = l, record = getBig(l + width_) & ~kRemoveBit;
    return true;
  }
}

}  // namespace hamlog
