#pragma once
// HAMLOG's libraries (Hamlog50.dll and Thdll2Vb.dll) as our own code: the calls by the names, arguments
// and results the program uses, over files of our own design beside HAMLOG.HDB.
//
// Files (all beside the database; "<stem>" is its path less the last three characters, "HDB"):
//   HAMLOG.HDB   the log, a plain dBase III table (layout: hdb_layout.h)
//   HAMLOG.MST   the code master, fixed 56-byte records (layout: master_file.h)
//   HAMLOG.PFX   optional further DX prefixes of the master's entities, for "dx4" (master_file.h)
//   <stem>dx1    QSOs by code, <stem>dxc QSOs by call sign, <stem>dx2 master by code, <stem>dx4 master
//                by kind + IDX + AREA (format: index_file.h); any missing or disagreeing one is rebuilt
//   <stem>lck    lock file (db_lock.h); <stem>jnl journal of an edit or a pack under way (hdb_table.h);
//                <stem>jnl.damaged a journal of ours that failed its checks, kept for the operator
//   Every write also holds a whole-file lock of HAMLOG.HDB itself, as dBase programs lock it.
//   Hamlogw.exe  the stand-in program file: an INI text giving the product version (program_file.h)
//
// Texts cross as QString and are stored in Windows-31J. Record numbers run 1..count. A call on a
// closed database, a missing, truncated or foreign file, a file cut short or replaced by another
// program while open, or a bad argument answers with a non-zero result, never a crash.
//
// HAMLOG's product version: the core's GetHamlogVersion calls ReadProgramVersion (program_file.h)
// with HamlogExePath, or with the database path less ".HDB" followed by "W.EXE"; names match without
// case, so HAMLOG.HDB finds the Hamlogw.exe that `hamlogdb create` writes beside it.
//
// Values the program passes and the stand-in does not need: the first and last arguments of
// HamlogOpen (0, 1), the flag of HamlogClose, the read mode 3 of THW_read, the 16 of THW_append,
// THW_update, Vidx_search and Vidx_next, the text and 58 of Vdbf_packwk. They are accepted and ignored.
//
// The confirmation of THW_append (1) and of THW_update (0) asks the operator, as HAMLOG does, before the
// record is written (any other value writes without asking); "いいえ" writes nothing and answers
// HAMLOG_DECLINED. The database is not held while the question is up: others read and write it
// meanwhile, and the update compares the stored record with the old one after the answer.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/hamlog/unix_file.h"

// The record block the program owns and passes to every call. Opaque: the library keeps the current
// record's image (the dBase record, deletion flag included), its number and the call-sign search
// position in it. A copy of the block is a copy of the record as read (THW_update compares with it).
struct ThwRecord {
  alignas(8) unsigned char bytes[3928];
};
static_assert(sizeof(ThwRecord) == 3928);

// An opened index file. Opaque.
struct IndexHandle {
  alignas(8) unsigned char bytes[272];
};
static_assert(sizeof(IndexHandle) == 272);

// Results (0 = done). The program only tells 0 from the rest.
enum HamlogResult : int32_t {
  HAMLOG_OK = 0,
  HAMLOG_BAD_ARGUMENT = 1,
  HAMLOG_MISSING = 2,     // no such file
  HAMLOG_FOREIGN = 3,     // not our table, master or index, or a truncated one
  HAMLOG_IN_USE = 4,      // opened by someone else (unshared), or shared while we ask for it alone
  HAMLOG_IO_ERROR = 5,    // a read or write of the file failed
  HAMLOG_STALE = 6,       // THW_update: the stored record is no longer the one the old block holds
  HAMLOG_NOT_OPEN = 7,    // the database is not open
  HAMLOG_NO_RECORD = 8,   // record number outside 1..count
  HAMLOG_DELETED = 9,     // the record is marked deleted
  HAMLOG_READ_ONLY = 10,  // the database cannot be written
  HAMLOG_NOT_QSO = 11,    // SetQsoOrMaster selected something other than the QSO database
  HAMLOG_CHANGED = 12,    // the file was cut short or replaced while it was being read
  HAMLOG_BAD_COUNT = 13,  // the header's record count does not fit the file's length (HamlogProblem)
  HAMLOG_DECLINED = 14,   // THW_append / THW_update: the operator answered "いいえ" to the confirmation
  HAMLOG_NO_SPACE = 15,   // a write found the disk full
  HAMLOG_BUSY = 16,       // asked for alone, still read by other programs when the wait for them ran out
  HAMLOG_LOCKED = 17,     // another program held HAMLOG.HDB locked and the wait for it was ended: nothing written
  HAMLOG_UNCONFIRMED = 18,  // the write is in the log, but the disk did not confirm it (a flush failed)
};

namespace hamlog {
class Session;

// A write this process made to a table through the library (the calls below, the hamlogdb tool), for
// the readers that keep a copy of its records: the file just before and just after (both under the
// write lock: no other writer came between) and what changed. A reader that noted the file as one
// write's `before` finds, by following the writes on, every record that changed, as long as the file it
// then finds is the last `after`.
struct HdbWrite {
  uint64_t serial = 0;  // counts the writes of the process, from 1
  FileStat before, after;
  int64_t countBefore = 0, countAfter = 0;  // records countBefore + 1 .. countAfter were appended
  int64_t rewritten = 0;                    // the record rewritten in place; 0 none; -1 any (a pack)
};
// The serial of the last write made (0 before the first).
uint64_t LastHdbWriteSerial();
// The writes after `serial`, oldest first; nothing when some of them are no longer kept.
std::optional<std::vector<HdbWrite>> HdbWritesSince(uint64_t serial);
}  // namespace hamlog

// The library's shared state, one instance. `hamlogLib = HamlogLib{}` closes everything and starts
// afresh (tests).
struct HamlogLib {
  int32_t share = 0;               // SetDbsShare
  int32_t qsoOrMaster = 1;         // SetQsoOrMaster; 1 = the QSO database (the only one served)
  int32_t thdllVersion = 0x54000;  // GetThdllVersion: 5.40 (hex digits 54000 read as decimal / 10000)
  int32_t indexRebuilds = 0;       // index files built again because missing or out of step with their source
  // Heard while anything waits for another program's lock (db_lock.h: WaitForLock): a write, an open, a
  // whole-log reading (HdbScan) or an index rebuild waiting for the lock file's write lock or for a
  // program that holds HAMLOG.HDB or a record of it locked (a dBase program, HAMLOG under a Windows
  // layer), a shared open waiting for a program that holds the log alone, an open that wants it alone
  // waiting for programs that read it. Each look (1 .., 10 ms apart; hamlog::WaitedFor names the file
  // and the holder meanwhile), then 0 once the wait is over. False ends the wait: nothing is read or
  // written (HAMLOG_LOCKED, or HAMLOG_IN_USE for an open). Without it a wait ends after 30 s.
  std::function<bool(int32_t look)> lockWait;
  std::unique_ptr<hamlog::Session> session;

  HamlogLib();
  ~HamlogLib();
  HamlogLib(HamlogLib&&) noexcept;
  HamlogLib& operator=(HamlogLib&&) noexcept;
};
extern HamlogLib hamlogLib;

// ---- Hamlog50.dll

// 1 = later opens share the database with other processes (the program, the hamlogdb tool); 0 = an
// open holds it alone. Returns 1 (done). An open that holds it alone waits up to kReaderWaitLooks x
// 10 ms for programs that only read it (they share it) and never for one that holds it alone; a shared
// open waits for one that holds it alone (HAMLOG_IN_USE when that wait is ended).
inline constexpr int32_t kReaderWaitLooks = 300;
int32_t SetDbsShare(int32_t share);
// Opens `basePath` + ".HDB" (name matched without case) for the record calls; closes one opened
// before. Replays an interrupted update and rebuilds missing or disagreeing indexes.
int32_t HamlogOpen(int32_t mode, ThwRecord& thw, const QString& basePath, int32_t flag);
int32_t HamlogClose(ThwRecord& thw, int32_t flag);
// A counting handle on a database file (full path); needs no open database.
int32_t dbf_open(const QString& hdbPath, int32_t& handle);
int32_t dbf_rcount(int32_t handle);  // the record count as it is now; -1 for a bad handle
int32_t dbf_close(int32_t handle);
// Loads record recNo into the block. HAMLOG_DELETED for a record marked deleted.
int32_t THW_read(ThwRecord& thw, int32_t recNo, int32_t mode);
// Appends the block's record as number count + 1 (written and flushed before the count changes).
int32_t THW_append(ThwRecord& thw, int32_t mode, int32_t& confirm);
// Replaces record recNo with the block's record when the stored record still equals the record in
// `old` (the copy taken when it was shown); HAMLOG_STALE otherwise.
int32_t THW_update(ThwRecord& thw, const ThwRecord& old, int32_t recNo, int32_t mode, int32_t& confirm);
// Index files by path: "<stem>dx1", "dxc", "dx2", "dx4". Work without an open database.
int32_t idx_open(const QString& path, IndexHandle& handle);
// First record number whose key begins with `key` (its first `length` characters; the whole key when
// length is 0); 0 when none. Entries run in key order, equal keys by record number.
int32_t idx_search(IndexHandle& handle, const QString& key, int32_t length);
// Next record number of the same run (key still beginning with the searched text); 0 at the end.
int32_t idx_next(IndexHandle& handle);
int32_t idx_close(IndexHandle& handle);
// Builds every index file of the database `hdbPath` anew from the log and the code master (when there),
// each new file taking the old one's place with its owner, group and mode; no other file beside the log
// is touched. Needs no open database. HAMLOG_OK, or the first failure (HamlogIndexProblem names it).
int32_t idx_rebuild(const QString& hdbPath);
// The QSO an operator picked from a list, for a write by record number: call sign, date ("YY/MM/DD"
// or with the century; only the digits count), time, frequency (its band counts) and mode.
struct PickedQso {
  QString call, date, time, freq, mode;
};
// QSL marks: the received (third) or sent (second) character of field 10 := the character `mark`
// (a one-byte code, as VB's Asc gives it). With `picked` the record must still hold that QSO when the
// write has the log: HAMLOG_STALE, nothing written, when another program changed or moved it.
int32_t QSL_Rcv(ThwRecord& thw, int32_t recNo, int32_t mark, const PickedQso* picked = nullptr);
int32_t QSL_Send(ThwRecord& thw, int32_t recNo, int32_t mark, const PickedQso* picked = nullptr);
// Band number of a frequency text in MHz, in the order of the progress sheet's band columns:
// 0 1.9, 1 3.5, 2 7, 3 10, 4 14, 5 18, 6 21, 7 24, 8 28, 9 50, 10 144, 11 430, 12 1200, 13 2400,
// 14 5600, 15 satellite, then 16 135 kHz, 17 475 kHz, 18 10 GHz, 19 24 GHz, 20 47 GHz, 21 77 GHz;
// -1 for a text that fits no band. The same rules as the band labels, so a marked cell finds its QSOs:
// "/" or "9999" satellite; a value within a band's edges (band_edges.h) that band ("146.500" 144 MHz,
// "10368" and "10G" 10 GHz), or none where the program has no such band ("70.2"); any other text by its
// first characters ("7" anything starting with 7, "*1" 10 GHz, "10.171" 10 MHz and so on).
int32_t FreqPCheck(const QString& freq);
// 0x54000: hexadecimal digits 54000, version 5.40.
int32_t GetThdllVersion();

// What a writer of ours killed half way left (an append our pending note covers, a journal of ours or
// its scratch file) is completed or removed, under the write lock: for a program's start. Files that
// are not provably ours stay where they are; a journal of ours that fails its checks is kept under
// another name. `notices` gets, for the operator, each such file with what to do about it.
// HAMLOG_OK when nothing of ours is left.
int32_t HamlogRecover(const QString& hdbPath, QStringList* notices = nullptr);

// Words for the last open that failed with HAMLOG_BAD_COUNT (the counts named), or for the last write
// that failed on a file it names, "" otherwise.
QString HamlogProblem();
// Why the index last asked for (idx_open, Vidx_search) could not be had, naming its file and the cause
// (a read-only folder, a folder in its place, a full disk); "" when it was there.
QString HamlogIndexProblem();

// ---- Whole-log passes (the calls above read one record at a time)

// One pass over the records of the database opened by HamlogOpen, read in runs with positioned reads:
// a file cut short or replaced during the pass ends it with HAMLOG_CHANGED, never a fault. Begin holds
// the log for the pass, as QsoDatabase::HoldForReading holds it (waiting for a write under way: another
// program's lock of HAMLOG.HDB or of a record, or the lock file's write lock; HAMLOG_LOCKED when that
// wait was ended, nothing read), until the scan ends or begins again; it then notes the file (identity,
// size, time) and its count. Read may run on several threads at once; End answers HAMLOG_CHANGED when
// the file is no longer the one noted or a read fell short.
class HdbScan {
 public:
  HdbScan() = default;
  ~HdbScan();
  HdbScan(const HdbScan&) = delete;
  HdbScan& operator=(const HdbScan&) = delete;
  int32_t Begin();
  int32_t Count() const { return count_; }
  // Record images (deletion flag at byte 0) of first .. first + n - 1 into `out` (n x 809 bytes).
  int32_t Read(int32_t first, int32_t n, unsigned char* out) const;
  // Only the first `width` bytes of each of those records (from byte `offset` on), packed (n x width bytes).
  int32_t ReadHeads(int32_t first, int32_t n, int width, unsigned char* out, int offset = 0) const;
  int32_t End() const;

  // Tests change the file at this point (right after Begin noted it); null otherwise.
  static inline void (*afterBeginForTest)() = nullptr;

 private:
  void letGo();

  int32_t count_ = 0;
  int64_t size_ = 0, mtimeNs_ = 0;
  uint64_t device_ = 0, inode_ = 0;
  mutable std::atomic<bool> fellShort_{false};
  bool holding_ = false;
};

// ---- Thdll2Vb.dll

int32_t SetQsoOrMaster(int32_t which);
// The buffer becomes the text of the loaded record's field (its stored width, blank-padded);
// field 27 gives the record number as text and as the result. Other fields answer 0, an unknown
// field (1, 15, ...) leaves the buffer as it was and answers HAMLOG_BAD_ARGUMENT.
int32_t ThwString(QString& buffer, const ThwRecord& thw, int32_t field);
// The loaded record's field as stored: its Windows-31J bytes, blank-padded to the field's width.
// Empty for an unknown field or a block holding no record; valid until the block is read again. For
// passes over the whole log that look at a field before taking any text from it.
QByteArrayView ThwBytes(const ThwRecord& thw, int32_t field);
// ThwString on a record image as HdbScan reads it (field 27 is not in the image).
int32_t ImageString(QString& buffer, const unsigned char* image, int32_t field);
// Puts a field's text into the block (cut or blank-padded to the field's width in Windows-31J).
int32_t SetThBuffer(ThwRecord& thw, const QString& text, int32_t field);
// Record count of the open database; 0 when it is not open.
int32_t Vdbf_rcount(ThwRecord& thw);
// Loads the record like THW_read; `text` receives "<call> <date> <time>" of it.
int32_t Vdbf_read(ThwRecord& thw, int32_t recNo, QString& text);
// Marks the record deleted (it stays until Vdbf_packwk). When `thw` holds this record as read, only while
// the stored record is still that one: HAMLOG_STALE when another program changed or moved it meanwhile.
int32_t Vdbf_delete(ThwRecord& thw, int32_t recNo);
// Removes the deleted records; the records behind them move up one number each. A pack that fails
// (a full disk) takes back the marks Vdbf_delete made since HAMLOG was opened: those records stay.
int32_t Vdbf_packwk(ThwRecord& thw, const QString& text, int32_t mode);
// Call-sign order: the first QSO whose call sign begins with `call` (0 when none); Vidx_next gives
// the following QSO in call-sign order, to the end of the log (0 at the end). Calls with an equal
// call sign run by record number. Needs the open database.
int32_t Vidx_search(ThwRecord& thw, const QString& call, int32_t mode);
int32_t Vidx_next(ThwRecord& thw, int32_t mode);
