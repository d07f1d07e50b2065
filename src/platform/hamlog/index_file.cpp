#include "platform/hamlog/index_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/hdb_table.h"
#include "platform/hamlog/index_build.h"
#include "platform/hamlog/master_file.h"
#include "platform/paths.h"
#include "platform/vbfile.h"

namespace hamlog {

const IndexKind kQsoByCode{"dx1", IndexSource::Hdb, kCodeOffset, kCodeWidth};
const IndexKind kQsoByCall{"dxc", IndexSource::Hdb, kCallOffset, kCallWidth};
const IndexKind kMasterByCode{"dx2", IndexSource::Master, 0, 6};
const IndexKind kMasterByKind{"dx4", IndexSource::Master, kMasterKindOffset, 4};

namespace {

constexpr char kMagic[8] = {'O', 'X', 'I', 'D', 'X', '0', '0', '2'};
constexpr int kHeaderLength = 64;
constexpr uint32_t kRemoveBit = 0x80000000u;
const uint64_t kEmptyLogCheck = Fnv1a(nullptr, 0);

struct Header {
  uint32_t width = 0;
  uint32_t baseCount = 0;
  uint32_t logCount = 0;
  IndexStamp stamp;
  uint64_t logCheck = kEmptyLogCheck;  // FNV-1a of the log's bytes
};

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
  put32(b.data() + 24, h.stamp.identity);
  put32(b.data() + 28, h.stamp.generation);
  put32(b.data() + 32, h.stamp.count);
  put64(b.data() + 40, uint64_t(h.stamp.size));
  put64(b.data() + 48, uint64_t(h.stamp.mtimeNs));
  put64(b.data() + 56, h.logCheck);
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
  h.logCheck = get64(b + 56);
  if (int(h.width) != kind.keyWidth) return false;
  const int64_t need = kHeaderLength + (int64_t(h.baseCount) + h.logCount) * (h.width + 4);
  return f.Stat().size >= need;
}

int64_t logStart(const Header& h) { return kHeaderLength + int64_t(h.baseCount) * (h.width + 4); }

// The log entries from `from` to the header's count, appended to `log`; false when they cannot be read
// or do not continue the check `sofar` (of the entries before `from`) to the header's.
bool readLog(const UnixFile& f, const Header& h, uint32_t from, uint64_t sofar, std::vector<unsigned char>& log) {
  const size_t entry = h.width + 4, at = log.size();
  log.resize(at + size_t(h.logCount - from) * entry);
  if (h.logCount > from && !f.ReadAt(logStart(h) + int64_t(from) * entry, log.data() + at, log.size() - at))
    return false;
  return Fnv1aMore(sofar, log.data() + at, log.size() - at) == h.logCheck;
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

// Folds log entries in writing order into one entry per (key, record), sorted: the last change wins.
std::vector<unsigned char> foldLog(const unsigned char* log, size_t count, int width) {
  const int entry = width + 4;
  std::vector<uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
    return compareEntries(log + size_t(a) * entry, log + size_t(b) * entry, width) < 0;
  });
  std::vector<unsigned char> out;
  out.reserve(count * entry);
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* e = log + size_t(order[i]) * entry;
    if (i + 1 < count && compareEntries(e, log + size_t(order[i + 1]) * entry, width) == 0) continue;
    out.insert(out.end(), e, e + entry);
  }
  return out;
}

// The folded log `log` with the folded later changes `add` put in: a change takes the place of the entry
// of its (key, record).
std::vector<unsigned char> mergeLog(const std::vector<unsigned char>& log, const std::vector<unsigned char>& add,
                                    int width) {
  const int entry = width + 4;
  const size_t n = log.size() / entry, k = add.size() / entry;
  std::vector<unsigned char> out;
  out.reserve(log.size() + add.size());
  size_t i = 0, j = 0;
  while (i < n || j < k) {
    const unsigned char* a = i < n ? &log[i * entry] : nullptr;
    const unsigned char* b = j < k ? &add[j * entry] : nullptr;
    const int c = !a ? 1 : !b ? -1 : compareEntries(a, b, width);
    if (c < 0) {
      out.insert(out.end(), a, a + entry), ++i;
      continue;
    }
    out.insert(out.end(), b, b + entry), ++j;
    if (c == 0) ++i;
  }
  return out;
}

// The log may grow to this many entries before it is merged into the base: every open folds it.
uint32_t logLimit(uint32_t baseCount) { return std::clamp<uint32_t>(baseCount / 256, 1024, 4096); }

// The file an index is made from: its owner, group and mode go to a first index.
QString sourceOf(const QString& indexPath, const IndexKind& kind) {
  return CompanionPath(indexPath, kind.source == IndexSource::Hdb ? "HDB" : "MST");
}

// A new file for the index `path` under a name of this process, which the start removes when a kill
// leaves it (OwnScratchPath): written whole, on the disk, with the owner, group and mode of the file it
// replaces (of the source for a first index).
QString writeScratch(const QString& path, const IndexKind& kind, QByteArrayView bytes) {
  const QString target = ReplaceTarget(path);
  const QString scratch = OwnScratchPath(target);
  if (!WriteScratchFile(scratch, bytes)) return {};
  TakeOwnerAndMode(scratch, StatPath(StatPath(target).exists ? target : sourceOf(path, kind)));
  return scratch;
}

// The scratch file takes the index's place; removed when it cannot.
bool placeScratch(const QString& scratch, const QString& path) {
  if (HdbTable::stepHookForTest) HdbTable::stepHookForTest(HdbTable::WriteStep::IndexWritten);
  if (MoveFileOver(scratch, path)) return true;
  const int cause = errno;
  RemoveFile(scratch);
  errno = cause;
  return false;
}

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
  const auto head = encodeHeader(kind, h);
  QByteArray bytes;
  bytes.reserve(kHeaderLength + qsizetype(entries.Bytes().size()));
  bytes.append(reinterpret_cast<const char*>(head.data()), kHeaderLength);
  bytes.append(reinterpret_cast<const char*>(entries.Bytes().data()), qsizetype(entries.Bytes().size()));
  const QString scratch = writeScratch(path, kind, bytes);
  return !scratch.isEmpty() && placeScratch(scratch, path);
}

bool IndexWantsMerge(const QString& path, const IndexKind& kind) {
  UnixFile f;
  Header h;
  return f.OpenReadOnly(path) && readHeader(f, kind, h) && h.logCount > logLimit(h.baseCount);
}

bool ReadIndexStamp(const QString& path, const IndexKind& kind, IndexStamp& stamp) {
  UnixFile f;
  Header h;
  std::vector<unsigned char> log;
  // A log the disk did not keep whole (a power cut after the header reached it) agrees with nothing.
  if (!f.OpenReadOnly(path) || !readHeader(f, kind, h) || !readLog(f, h, 0, kEmptyLogCheck, log)) return false;
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
  if (!f.Open(path) || !f.Writable() || !readHeader(f, kind, h) || !(h.stamp == before)) return false;
  const int entry = h.width + 4;
  std::vector<unsigned char> add(changes.size() * entry);
  for (size_t i = 0; i < changes.size(); ++i) {
    if (changes[i].key.size() != int(h.width)) return false;
    std::memcpy(&add[i * entry], changes[i].key.constData(), h.width);
    putBig(&add[i * entry + h.width], changes[i].record | (changes[i].remove ? kRemoveBit : 0));
  }
  // The changes go after the log's last entry and the header then counts them: nothing written before
  // moves. Neither waits for the disk: a header the disk kept without its entries fails the log's check,
  // one it did not keep has the stamp of before, and either way the index is built again.
  if (!add.empty() &&
      !f.WriteAt(logStart(h) + int64_t(h.logCount) * entry, add.data(), add.size()))
    return false;
  h.logCount += uint32_t(changes.size());
  h.logCheck = Fnv1aMore(h.logCheck, add.data(), add.size());
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
  const QString scratch = writeScratch(path, kind, bytes);
  if (scratch.isEmpty()) return false;
  // It takes the index's place under the write lock. Writes that came since the snapshot appended to the
  // log of the same file (a rebuild or another merge puts a new file there): their entries go into the
  // new file's log.
  // On a thread of its own: nobody to tell of the wait, which its cap ends.
  const WriteGuard guard(&lock, {});
  UnixFile f;
  Header now;
  std::vector<unsigned char> later;
  bool ok = guard.Held() && f.OpenReadOnly(path) && readHeader(f, kind, now) &&
            f.Stat().inode == view.file_.Stat().inode && now.baseCount == view.baseCount_ &&
            now.logCount >= view.storedLogCount_ && readLog(f, now, view.storedLogCount_, view.logCheck_, later);
  if (ok && !(now.stamp == view.Stamp() && now.logCount == view.storedLogCount_)) {
    h.logCount = uint32_t(later.size() / entry);
    h.logCheck = Fnv1aMore(kEmptyLogCheck, later.data(), later.size());
    h.stamp = now.stamp;
    const auto caughtUp = encodeHeader(kind, h);
    UnixFile out;
    ok = out.Open(scratch) && (later.empty() || out.WriteAt(bytes.size(), later.data(), later.size())) &&
         out.WriteAt(0, caughtUp.data(), caughtUp.size()) && out.Sync();
  }
  if (ok) return placeScratch(scratch, path);
  RemoveFile(scratch);
  return false;
}

bool IndexView::Open(const QString& path, const IndexKind& kind) {
  // The same file as the last open, grown by appends only: the new entries are read and folded in.
  const FileStat named = StatPath(path);
  const bool again = file_.IsOpen() && named.exists && named.inode == file_.Stat().inode &&
                     named.device == file_.Stat().device && width_ == kind.keyWidth;
  if (!again) {
    map_.Unmap();
    log_.clear();
    storedLogCount_ = logCount_ = 0;
    if (!file_.OpenReadOnly(path)) return false;
  }
  // A write in another process may be appending meanwhile: entries the header counts never change, and
  // the check tells a header read while it was being written.
  for (int attempt = 0; attempt < 100; ++attempt) {
    Header h;
    if (!readHeader(file_, kind, h)) return false;
    const bool grown = again && h.baseCount == baseCount_ && h.logCount >= storedLogCount_;
    const uint32_t from = grown ? storedLogCount_ : 0;
    std::vector<unsigned char> added;
    if (!readLog(file_, h, from, grown ? logCheck_ : kEmptyLogCheck, added)) {
      std::this_thread::yield();
      continue;
    }
    width_ = int(h.width);
    const int entry = width_ + 4;
    if (!grown) {
      storedLogCount_ = logCount_ = 0;
      baseCount_ = h.baseCount;
      if (!map_.Map(file_.Fd(), size_t(logStart(h)))) return false;
      base_ = map_.Data() + kHeaderLength;
      log_.clear();
    }
    if (!added.empty()) {
      std::vector<unsigned char> folded = foldLog(added.data(), added.size() / entry, width_);
      log_ = log_.empty() ? std::move(folded) : mergeLog(log_, folded, width_);
    }
    stamp_ = h.stamp;
    storedLogCount_ = h.logCount;
    logCheck_ = h.logCheck;
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
