#pragma once
// HAMLOG.HDB as a file: open and check it, map it for reading, and write it so that no write can
// damage a QSO already stored.
//
// - Append: the record (and the end-of-file byte after it) is written and flushed first; only then the
//   header's record count, so a write cut short leaves the old count and every earlier QSO readable.
// - Overwrite of a stored record: the new image goes to a journal ("<stem>jnl": "OXJNL001", record
//   number, database identity, FNV-1a of the image, the image) that is flushed before the record is
//   written in place; the next open or write replays a whole journal and drops a torn one.
// - Pack: the kept records go to a new file that replaces the old one by rename.
// Callers hold the database's write lock around every write (DbLock).

#include <QDate>
#include <QString>
#include <cstdint>

#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/index_file.h"
#include "platform/hamlog/unix_file.h"

namespace hamlog {

enum class TableStatus { Ok, Missing, Foreign, Truncated, Failed };

class HdbTable {
 public:
  TableStatus Open(const QString& path);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }
  const QString& Path() const { return path_; }
  bool Writable() const { return file_.Writable(); }

  uint32_t Count() const { return header_.count; }
  const HdbHeader& Header() const { return header_; }
  // Follows what other processes did: a replaced file is reopened, a grown one mapped further.
  TableStatus Refresh();
  // The record image (kHdbRecordLength bytes) or nullptr when the number is out of range.
  const unsigned char* Record(int64_t recNo) const;
  // The stamp its indexes carry while they agree with the table as it is now.
  IndexStamp Stamp() const;

  // Writes; the record images are cleaned (NULs become blanks, the flag a blank).
  bool Append(const unsigned char* image);
  // Many records in large writes; the count is committed every `commitEvery` records.
  bool AppendMany(const unsigned char* images, size_t count, size_t commitEvery = 65536);
  bool Overwrite(int64_t recNo, const unsigned char* image);
  bool PutByte(int64_t recNo, int offset, unsigned char value);
  bool MarkDeleted(int64_t recNo);
  // Drops deleted records (renumbering the rest); true also when there was nothing to drop.
  bool Pack();
  // Replays or drops a journal left by an overwrite that was cut short.
  bool RecoverJournal();

  // Tests stop a write at these points (a forked child kills itself there); null otherwise.
  enum class WriteStep { RecordWritten, JournalWritten };
  static inline void (*stepHookForTest)(WriteStep) = nullptr;

  // Creates an empty table; false when a file is already there or the write failed.
  static bool CreateEmpty(const QString& path);

 private:
  bool commitHeader(uint32_t count, bool bumpGeneration);
  bool remap();
  QString journalPath() const;

  QString path_;
  UnixFile file_;
  FileMap map_;
  HdbHeader header_;
};

// Every record image is written through this: NUL bytes become blanks and the flag is " ".
void CleanRecord(unsigned char* image);

}  // namespace hamlog
