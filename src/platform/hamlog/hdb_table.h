#pragma once
// HAMLOG.HDB as a file: open and check it, read it, and write it so that no write can damage a QSO
// already stored.
//
// - Reading: single records through a map of the counted records, copied out under a guard; runs of
//   records with positioned reads. Either way a file cut short or replaced by another program under
//   us gives a failed read, not a fault.
// - The header's count must fit the file's length (header + count records + the end-of-file byte or
//   not); a table where they disagree does not open (BadCount, Problem() names both counts): reading
//   it would guess, and an append would overwrite records the count does not cover.
// - Append: the header first notes the count to come ("pending"), flushed; then the records (and the
//   end-of-file byte after them) are written and flushed; only then the header's record count. A write
//   cut short leaves the old count, every earlier QSO readable and the pending note, by which the next
//   writer (under the write lock, so the appender is known dead) cuts the unfinished records off.
// - Overwrite of a stored record: a reader that takes no lock must find the old record or the new one,
//   never a piece of each, and no write in place gives that. So the log is copied (block clones or a
//   copy inside the kernel) with the new record into "HAMLOG.HDB.pack", which replaces it by rename. A
//   change of one byte only (a QSL mark) is written in place: a byte is read whole.
// - When the disk has no room for the copy, the record is written in place behind a journal
//   ("<stem>jnl", 833 bytes: "OXJNL001", then little-endian 32-bit record number, database identity
//   (header bytes 20-23), the 64-bit FNV-1a of the image as its low and high halves, then the 809-byte
//   image) flushed before the record is written; the next open or write replays a whole journal and
//   drops a torn one. FNV-1a: offset basis 0xcbf29ce484222325, prime 0x100000001b3, over the image.
// - Pack: the kept records go to "HAMLOG.HDB.pack" too, which replaces the log by rename.
// Callers hold the database's write lock around every write (DbLock).

#include <QDate>
#include <QString>
#include <cstdint>

#include "platform/hamlog/db_lock.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/index_file.h"
#include "platform/hamlog/unix_file.h"

namespace hamlog {

enum class TableStatus { Ok, Missing, Foreign, BadCount, Failed };

class HdbTable {
 public:
  // `lock` (the database's, may be null) is waited for before a count that does not fit the length is
  // taken for damage: a writer in another process may be between its steps.
  TableStatus Open(const QString& path, DbLock* lock = nullptr);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }
  const QString& Path() const { return path_; }
  bool Writable() const { return file_.Writable(); }

  uint32_t Count() const { return header_.count; }
  const HdbHeader& Header() const { return header_; }
  // What is wrong with the table after BadCount, in words naming the counts; after a failed write,
  // which file could not be written and why.
  const QString& Problem() const { return problem_; }
  // Follows what other processes did: a replaced file is reopened, a new count taken.
  TableStatus Refresh();
  bool Has(int64_t recNo) const { return recNo >= 1 && recNo <= int64_t(header_.count); }
  // Records first .. first + n - 1 (n x kHdbRecordLength bytes) into `out`; false when a number is out
  // of range or the file no longer holds them. Safe from several threads at once.
  bool ReadRecords(int64_t first, int64_t n, unsigned char* out) const;
  // The first `width` bytes of each of those records (bytes `offset` .. `offset` + `width` - 1 with an
  // offset), packed (n x width bytes), straight from the map where it holds them: a pass that looks at
  // a few fields reads only those. Same answers.
  bool ReadRecordHeads(int64_t first, int64_t n, int width, unsigned char* out, int offset = 0) const;
  bool ReadRecord(int64_t recNo, unsigned char* out) const;
  FileStat FileNow() const { return file_.Stat(); }
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
  // Under the write lock: replays or drops a journal left by an overwrite that was cut short, cuts off
  // the records of an append that was, and removes a rewrite that never took the log's place.
  bool RecoverJournal();

  // Tests stop a write at these points (a forked child kills itself there); null otherwise.
  enum class WriteStep { RecordWritten, JournalWritten, RewriteWritten };
  static inline void (*stepHookForTest)(WriteStep) = nullptr;

  // Creates an empty table; false when a file is already there or the write failed.
  static bool CreateEmpty(const QString& path);

 private:
  bool commitHeader(uint32_t count, bool bumpGeneration, uint32_t pending = 0);
  bool rewriteWith(int64_t recNo, const unsigned char* clean);
  // Puts a finished rewrite in place of the log (or drops it, naming the cause in Problem()).
  bool takeRewrite(UnixFile& out, bool written);
  bool overwriteInPlace(int64_t recNo, const unsigned char* clean);
  // Reads the header and checks its count against the length (waiting for the lock when they disagree).
  TableStatus readHeader();
  bool rollBackAppend();
  bool remap();
  QString journalPath() const;

  QString path_;
  QString target_;  // the file a link at path_ points to, which a rewrite replaces
  UnixFile file_;
  FileMap map_;
  DbLock* lock_ = nullptr;
  HdbHeader header_;
  QString problem_;
};

// The file a rewrite of the whole log is made in before it takes the log's place: "HAMLOG.HDB.pack".
QString RewritePath(const QString& hdbPath);

// Every record image is written through this: NUL bytes become blanks and the flag is " ".
void CleanRecord(unsigned char* image);

}  // namespace hamlog
