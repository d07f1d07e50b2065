#pragma once
// Index files beside HAMLOG.HDB, our own format:
//
//   "dx1"  QSOs by code          key = CODE (6 bytes) of HAMLOG.HDB
//   "dxc"  QSOs by call sign     key = the 20-byte call sign of HAMLOG.HDB
//   "dx2"  code master by code   key = code (6 bytes) of HAMLOG.MST
//   "dx4"  code master by kind   key = kind (1) + IDX (2) + AREA (1) of HAMLOG.MST
//
// File: a 64-byte header, then the sorted base entries, then a log of changes. Header: "OXIDX002", key
// width, base count, log count (little-endian 32-bit), the suffix, a zero byte, the stamp of the source
// file the index agrees with (identity, change counter, record count, size and modification time of
// HAMLOG.HDB or HAMLOG.MST) and at 56 the 64-bit FNV-1a of the log's bytes. An entry is the key bytes
// and the record number big-endian, so that plain byte order is (key, record number) order; a log entry
// with the top bit of the number set removes that entry. The log is kept in writing order: a write puts
// its entries after the last one and then the header, nothing written before moves, and neither waits
// for the disk (the check tells a log the disk did not keep whole). An open folds the log (sorted, one
// entry per key and record, the last change winning); an open of the same file again folds in only the
// entries added since. A log grown past a share of the base is merged into a new file on a thread of its
// own, never inside a write. An index whose stamp is not the source's current one (a write cut short, a
// file copied from elsewhere, a database changed by another program) or whose log fails its check is
// rebuilt from the source. A new file is written under a scratch name of this process and then takes the
// index's place with the owner, group and mode of the file it replaces.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

#include "platform/hamlog/db_lock.h"
#include "platform/hamlog/unix_file.h"

namespace hamlog {

enum class IndexSource { Hdb, Master };

struct IndexKind {
  const char* suffix;
  IndexSource source;
  int keyOffset;  // in the source record
  int keyWidth;
};
extern const IndexKind kQsoByCode;     // dx1
extern const IndexKind kQsoByCall;     // dxc
extern const IndexKind kMasterByCode;  // dx2
extern const IndexKind kMasterByKind;  // dx4
// The kind for a file name's last three characters, without case; nullptr for other names.
const IndexKind* IndexKindOfPath(const QString& path);

struct IndexStamp {
  uint32_t identity = 0;
  uint32_t generation = 0;
  uint32_t count = 0;
  int64_t size = 0;
  int64_t mtimeNs = 0;
  bool operator==(const IndexStamp&) const = default;
};

// Entries of `width` + 4 bytes, in the order they are collected.
class IndexEntries {
 public:
  explicit IndexEntries(int width) : width_(width) {}
  void Reserve(size_t n) { bytes_.reserve(n * (width_ + 4)); }
  void Add(const unsigned char* key, uint32_t record);
  size_t Count() const { return bytes_.size() / (width_ + 4); }
  void Sort();
  const std::vector<unsigned char>& Bytes() const { return bytes_; }

 private:
  int width_;
  std::vector<unsigned char> bytes_;
};

// Writes a whole index (sorting the entries first) through a scratch file and a rename.
bool WriteIndex(const QString& path, const IndexKind& kind, IndexEntries& entries, const IndexStamp& stamp);

struct IndexChange {
  QByteArray key;  // exactly the key width
  uint32_t record;
  bool remove;
};
// Adds changes to an index that agrees with `before` and stamps it `after`. False when the index does
// not agree with `before` (or cannot be written): the caller then rebuilds it. `wantsMerge` tells
// whether the log has grown past its share of the base.
bool ApplyIndexChanges(const QString& path, const IndexKind& kind, const IndexStamp& before,
                       const std::vector<IndexChange>& changes, const IndexStamp& after,
                       bool* wantsMerge = nullptr);
// Merges a log grown past its share of the base into a new base. The new file is made from a snapshot
// without the write lock and takes the index's place under it, with the log entries that writes made
// meanwhile; false when the index was replaced meanwhile (or the file could not be written).
bool CompactIndex(const QString& path, const IndexKind& kind, DbLock& lock);
// Whether the index's log has grown past its share of the base.
bool IndexWantsMerge(const QString& path, const IndexKind& kind);
// Gives an index that agrees with `before` the stamp `after` (a write that moved no key).
bool RestampIndex(const QString& path, const IndexKind& kind, const IndexStamp& before,
                  const IndexStamp& after);
// The stamp written in an index; false when the file is missing, not an index of this kind or its log
// fails its check.
bool ReadIndexStamp(const QString& path, const IndexKind& kind, IndexStamp& stamp);

// A read-only snapshot of an index: the base is mapped, the log is read and folded at open. Opened
// again on the same file, it reads only what was appended since.
class IndexView {
 public:
  struct Cursor {
    uint64_t base = 0;
    uint32_t log = 0;
  };

  // False for a missing, truncated or foreign file.
  bool Open(const QString& path, const IndexKind& kind);
  const IndexStamp& Stamp() const { return stamp_; }
  int KeyWidth() const { return width_; }

  // The first entry whose key, cut to the prefix's length, is not below the prefix.
  Cursor Seek(QByteArrayView prefix) const;
  // The first entry after (key, record).
  Cursor SeekAfter(const unsigned char* key, uint32_t record) const;
  // The entry at the cursor, moving the cursor past it; false at the end.
  bool Next(Cursor& c, const unsigned char*& key, uint32_t& record) const;

 private:
  friend bool CompactIndex(const QString& path, const IndexKind& kind, DbLock& lock);
  template <class Before>
  Cursor partition(Before before) const;
  const unsigned char* baseEntry(uint64_t i) const { return base_ + i * (width_ + 4); }
  const unsigned char* logEntry(uint32_t i) const { return log_.data() + size_t(i) * (width_ + 4); }

  UnixFile file_;
  FileMap map_;
  IndexStamp stamp_;
  int width_ = 0;
  uint64_t baseCount_ = 0;
  const unsigned char* base_ = nullptr;
  std::vector<unsigned char> log_;  // folded: sorted, one entry per (key, record), last change wins
  uint32_t logCount_ = 0;
  uint32_t storedLogCount_ = 0;  // as the header counts them
  uint64_t logCheck_ = 0;        // of those
};

}  // namespace hamlog
