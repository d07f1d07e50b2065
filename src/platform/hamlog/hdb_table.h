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
// - Append: the header first notes the count to come ("pending"), written out to the device before the
//   records (and the end-of-file byte after them) are written and flushed with it; only then the
//   header's record count, flushed. The file's new length reaches the disk only with a journal commit,
//   which keeps the note's earlier write first: the length is never there without the note. A write
//   cut short leaves the old count, every earlier QSO readable and the pending note, by which the next
//   writer (under the write lock, so the appender is known dead) cuts the unfinished records off.
// - Every change is written into the file itself, so the log stays the operator's file: its owner,
//   group, mode, ACLs, extended attributes and hard links, and every descriptor another program holds
//   on it, see each write.
// - Overwrite of a stored record: one positioned write of the whole record, behind a journal
//   ("<stem>jnl", 833 bytes: "OXJNL002", then little-endian 32-bit record number, database identity
//   (header bytes 20-23), the 64-bit FNV-1a of the journal's other 825 bytes (its first 16 and the
//   image) as its low and high halves, then the 809-byte image; FNV-1a: offset basis
//   0xcbf29ce484222325, prime 0x100000001b3). A change of one byte only (a QSL mark) needs no journal.
// - Deletion: the header first notes that records of ours are marked and await their pack (hdb_layout.h),
//   then the mark is written; the pack drops the note. A note left (a kill, a lock or a flush that failed
//   before the pack) has the next open or write pack the log: no mark of ours stays hidden and unpacked.
// - Pack: the records from the first deleted one on, packed, go into the journal ("OXPAK002", the
//   CRC-32C of the records, identity, the first record they replace, the count kept, 4 zero bytes, the
//   FNV-1a of those 28 bytes; then the records); then into the log at that record, the new count
//   committed with the old records past it noted as pending, and the log cut after the kept ones.
// - A journal is written whole under a name of this process ("<stem>jnl.~orbex5.<pid>.<n>"), with the
//   log's owner, group and mode (a log shared through its group), and only then named; it is never written
//   over a file already there. The next open or write completes a journal with our magic and this log's
//   identity that passes its checks (head and records) and removes it; a pack journal is completed even when
//   the header's count fits no length (its commit torn). One of ours that fails them, one of earlier
//   versions ("OXJNL001", "OXPAK001", whose heads carry no check), or a file naming this log's identity with
//   a journal's length whose magic was damaged, is never written back: it is kept as
//   "<stem>jnl.damaged" (numbered when taken) and named in TakeNotices(). Any other file there is left alone
//   and named (a FIFO or a device is not even opened), and a write that needs the name is refused; one this
//   user may not read is named as a journal, with its permission. A scratch journal of a writer that died is
//   removed at the program's start (HamlogRecover).
// - Other programs: every write holds a whole-file lock on HAMLOG.HDB as dBase programs take one
//   (LockFile) and reads the header again under it; what it commits to the header is what it just read
//   there, changed only as the write needs (a record edit: the change counter and the date). A count
//   that does not fit the length is read again once the other program's lock is let go and a moment
//   more has passed (some lock the record and the count apart) before it is taken for damage; a write
//   that holds the lock lets it go for that wait.
// - Readers: one taking the shared lock on the write byte (db_lock.h) never meets a write half done; the
//   library's whole-log readings (HoldForReading) hold the file's read lock too, against dBase writers. One
//   taking no lock gets what one write gives, as with any dBase program: it may meet a record while it is
//   being written, and during a pack records moving.
// Callers hold the database's write lock around every write (DbLock).

#include <QDate>
#include <QString>
#include <cstdint>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "platform/hamlog/db_lock.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/index_file.h"
#include "platform/hamlog/unix_file.h"

namespace hamlog {

// Locked: a write let go of the file's lock for another program and the wait to take it back was ended.
enum class TableStatus { Ok, Missing, Foreign, BadCount, Failed, Locked };

class HdbTable {
 public:
  // `lock` (the database's, may be null) is waited for before a count that does not fit the length is
  // taken for damage: a writer in another process may be between its steps. With `finish` a checked
  // pack journal of ours completes the log first whatever its count says (waiting for the file's lock
  // as LockFile does).
  TableStatus Open(const QString& path, DbLock* lock = nullptr, const LockWait* finish = nullptr);
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
  // Only the first part of that: a replaced file is reopened (Ok and the header as it was otherwise).
  TableStatus FollowReplaced(bool* reopened = nullptr);
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
  // A deletion's mark, behind a note in the header (hdb_layout.h) by which the next open or write of
  // any process packs the log (RecoverJournal) when no pack of this table comes to it.
  bool MarkDeleted(int64_t recNo);
  // The note of a deletion whose pack is still to come stands.
  bool DeletionNoted() const;
  // After the marks of a deletion whose pack failed were taken back: the note goes.
  bool DropDeletionNote();
  // Drops deleted records (renumbering the rest); true also when there was nothing to drop.
  bool Pack();
  // The lock other programs writing the log take, on HAMLOG.HDB itself (UnixFile::TryLockWhole), held
  // around every write, waited for as WaitForLock waits (Stopped: nothing written). The caller reads
  // the header again under it (Refresh). Holds nest.
  LockResult LockFile(const LockWait& wait = {});
  void UnlockFile();
  // The log held as a reader holds it: a read lock on the whole of HAMLOG.HDB as other programs take one,
  // so that their writes wait until the reading is through; waited for (a write of theirs under way) as
  // LockFile waits. Holds nest; a write of this process inside one holds the file's lock as LockFile does.
  LockResult HoldForReading(const LockWait& wait = {});
  void LetGoReading();
  // "<log> を他のプログラム (プロセス n name) がロックしていて、" + `what`: the program named when the
  // lock names it. `what` for a write, a reading and the completion of an earlier write that the wait
  // stopped:
  QString LockedText(const QString& what) const;
  static constexpr const char* kWriteStopped = "書き込みを取りやめました。何も書き込んでいません";
  static constexpr const char* kReadStopped = "待つのをやめました。何も読み込んでいません";
  static constexpr const char* kRecoveryStopped = "前回途中で終わった書き込みを仕上げられません";

  // Under the write lock: completes a journal of ours left by an overwrite or a pack that was cut short
  // (one failing its checks is kept under another name), cuts off the records our pending note says an
  // append cut short left. Takes the file's lock for that (waiting as LockFile: Locked, Problem() naming
  // the lock, when the wait was ended). Failed when a write failed.
  TableStatus RecoverJournal(const LockWait& wait = {});
  // What the recoveries of this table found and left for the operator, each naming its file and what to
  // check; taken (and cleared) by the caller.
  QStringList TakeNotices();
  // After a write that failed: its change is in the log all the same (what failed was a flush or a step
  // after the one that made the change count), or its journal is left to complete it at the next open
  // (JournalLeft). Each write of a record or a pack begins it afresh: what a recovery under the same
  // lock completed before it is not this write's.
  bool Landed() const { return landed_; }
  bool JournalLeft() const { return journalLeft_; }
  // Where the journal of this log's edits and packs goes: "<stem>jnl" beside it.
  QString JournalPath() const;

  // Tests stop a write at these points (a forked child kills itself there); null otherwise.
  // IndexWritten: a new index file written under its scratch name, before it takes the index's place.
  enum class WriteStep {
    RecordWritten, JournalFilled, JournalWritten, PackCopied, PackCounted, Locked, HeaderRead, IndexWritten
  };
  static inline void (*stepHookForTest)(WriteStep) = nullptr;

  // Creates an empty table; false when a file is already there or the write failed.
  static bool CreateEmpty(const QString& path);

 private:
  // The first 32 bytes as they are on the disk now, with `count` and `pending` (when given) and the
  // change counter bumped; the rest as read. False when the count there is not the one this write read.
  // `flush` false: the header is written out to the device without a flush (UnixFile::WriteOut).
  bool commitHeader(std::optional<uint32_t> count, bool bumpGeneration, std::optional<uint32_t> pending = 0,
                    bool flush = true);
  // Writes the journal through `fill` and gives it its name; false (the cause in Problem()) when it
  // cannot be written or its name is taken.
  bool writeJournal(const std::function<bool(UnixFile&)>& fill);
  // Unchecked: a journal of ours of an earlier format, whose head no check covers; Unreadable: one this
  // process may not read (made by another user), which may be ours.
  enum class JournalKind { Foreign, Special, Unreadable, Damaged, Unchecked, Record, Pack };
  // What the file at the journal's name is; `head` gets a record journal whole, a pack journal's head.
  JournalKind readJournal(const QString& path, std::vector<unsigned char>& head, UnixFile& journal) const;
  // Completes what the journal holds (kind Record or Pack) and removes it, or keeps one that is damaged
  // or unchecked aside; anything else stays. False when a write failed.
  bool settleJournal(JournalKind kind, const std::vector<unsigned char>& head, UnixFile& journal);
  bool finishPack(const UnixFile& journal, int64_t first, int64_t kept);
  // A pack journal completed under a header whose count fits no length (Open's `finish`): Ok when it was,
  // Locked when the wait for the file's lock was ended, BadCount otherwise.
  TableStatus finishOverBadCount(const LockWait& wait);
  // Reads the header and checks its count against the length (waiting for another program when they
  // disagree).
  TableStatus readHeader();
  bool rollBackAppend();
  bool remap();
  // Takes the file's lock (shared for a reading only), each look heard by `wait` (or kLockLooks at most).
  LockResult takeFileLock(const LockWait& wait, bool exclusive);
  // After a hold of the file's lock ended or failed: a reading under way keeps its shared lock.
  void keepReadingHold();
  // The log and the process holding it locked, for a wait's words.
  LockHolder holder() const { return {path_, file_.LockHolder()}; }
  // LockFile to complete what an earlier write left: Locked (Problem() naming the lock) when the wait was
  // ended, Failed when the lock cannot be had.
  TableStatus lockToRecover(const LockWait& wait);
  // Waits for another program's write under the file's lock to end (shown as a write's wait for the
  // lock is, hamlogLib.lockWait), and a moment more while the count still does not fit the length (a
  // dBase program may lock the record and the count apart): `h` and `size` as read last; true once they
  // fitted; `stopped` when the operator ended the wait, or nobody heard it for 30 s.
  bool waitForOutsideWriter(HdbHeader& h, int64_t& size, bool& stopped);
  bool readHead(HdbHeader& h, int64_t& size);
  // After a write that failed past its journal: the journal, if still there, completes it at the next open.
  void leaveJournal();
  void keepJournalAside(const QString& path, JournalKind kind, const unsigned char* magic);
  // A pack stopped part way and kept aside leaves the records it had moved up twice, beside the copy not
  // yet written over: the sentence naming each with its two record numbers ("" when none stands twice).
  QString twiceStoredText(const unsigned char* packHead) const;
  void notice(const QString& text);
  // A journal this user may not read, named with its permission: never one to delete.
  QString unreadableJournalText(const QString& journalPath) const;

  QString path_;
  UnixFile file_;
  FileMap map_;
  DbLock* lock_ = nullptr;
  HdbHeader header_;
  QString problem_;
  QStringList notices_;
  int fileLocks_ = 0;
  int readLocks_ = 0;
  bool ownMarks_ = false;  // records this table marked whose pack it has not tried yet
  LockWait lockWait_;      // the wait of the lock held, to take it again after letting it go
  bool landed_ = false;
  bool journalLeft_ = false;
};

// Every record image is written through this: NUL bytes become blanks and the flag is " ".
void CleanRecord(unsigned char* image);

}  // namespace hamlog
