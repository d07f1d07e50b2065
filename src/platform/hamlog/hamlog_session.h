#pragma once
// What the library keeps between calls: the database opened by HamlogOpen with its lock and its
// call-sign index, the handles of dbf_open and idx_open, and one lock object per database.
// Also the write operations shared by the library calls and the hamlogdb tool.

#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/hamlog/db_lock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_table.h"
#include "platform/hamlog/index_file.h"

namespace hamlog {

class Session;

// What a wait for a lock that was ended leaves undone (after LockedText): an open; an index or a pack,
// which say the rest themselves.
inline constexpr const char* kOpenStopped = "待つのをやめました。何も読み書きしていません";
inline constexpr const char* kWaitStopped = "待つのをやめました";

// The library's result for a table's status (Failed: HAMLOG_IO_ERROR).
int32_t ResultOfStatus(TableStatus s);

// HAMLOG.HDB opened for use: the table, its lock and its indexes kept in step with every write.
class QsoDatabase {
 public:
  explicit QsoDatabase(Session& session) : session_(session) {}
  ~QsoDatabase() { Close(); }
  QsoDatabase(const QsoDatabase&) = delete;
  QsoDatabase& operator=(const QsoDatabase&) = delete;

  // Opens the table; `exclusive` refuses (and is refused by) any other open of the database.
  // Replays a journal and rebuilds missing or disagreeing indexes (the master's too, when present).
  int32_t Open(const QString& hdbPath, bool exclusive);
  void Close();
  bool IsOpen() const { return table_.IsOpen(); }
  // While the operator is asked before a write, the database is not held against others: LetGo
  // releases the hold of the open, HoldAgain takes it back as Open took it (waiting for readers).
  void LetGo();
  int32_t HoldAgain();
  HdbTable& Table() { return table_; }
  const HdbTable& Table() const { return table_; }
  const QString& Path() const { return path_; }

  int32_t Append(const unsigned char* image, int64_t* recNo = nullptr);
  // Bulk append for the tool: `fill` writes `n` record images for the records `first` .. first + n - 1
  // (0-based within the load), chunk by chunk; `progress` gets the number written so far. The
  // indexes are brought in step once, at the end.
  using BulkFill = std::function<void(unsigned char* images, size_t first, size_t n)>;
  using BulkProgress = std::function<void(size_t done)>;
  int32_t AppendMany(size_t count, const BulkFill& fill, const BulkProgress& progress = {});
  // Replaces record recNo when it still equals `oldImage`; HAMLOG_STALE when it does not.
  int32_t Update(int64_t recNo, const unsigned char* oldImage, const unsigned char* newImage);
  // One of the three QSL characters (0 via, 1 sent, 2 received); with `picked`, only on that QSO.
  int32_t PutQslMark(int64_t recNo, int position, unsigned char mark, const PickedQso* picked = nullptr);
  // With `shownImage`, only while the record still equals it (HAMLOG_STALE when it does not or is gone).
  int32_t Delete(int64_t recNo, const unsigned char* shownImage = nullptr);
  // Drops the deleted records. When that fails the records that Delete marked since this open are
  // restored, so that a deletion which could not be completed leaves its record as it was. When the pack
  // could not even begin (a lock that failed or whose wait was ended), or the marks could not be taken
  // back, they stay (hidden from every reading) with their note, and the next open packs them:
  // HAMLOG_UNCONFIRMED, HamlogProblem saying so.
  int32_t Pack();
  // The call-sign index as it agrees with the table now; nullptr when it cannot be had.
  const IndexView* CallIndex(uint32_t* serial);
  // Holds the log for a reading of it: the writes of this and of other programs wait until it lets go
  // (the lock file's write byte shared, HAMLOG.HDB read-locked as other programs lock it), and it waits
  // for a write under way, each wait heard by hamlogLib.lockWait. HAMLOG_LOCKED when a wait was ended
  // (HamlogProblem names the file and its holder), HAMLOG_NOT_OPEN when its events closed the log. Holds
  // nest; Close lets go of them.
  int32_t HoldForReading();
  void LetGoReading();

 private:
  // `rewritten`: as HdbWrite::rewritten. Holds the database's write lock and the log's file lock;
  // `op` sees the header as read under them. `op` answers HAMLOG_UNCONFIRMED for a change that reached
  // the log though its flush failed: the indexes still take it.
  // `stopped`: what the box says after LockedText when a wait for a lock was ended.
  template <class Write>
  int32_t write(int64_t rewritten, Write&& op, const char* stopped = HdbTable::kWriteStopped);
  int32_t ensureHdbIndexes();
  int32_t holdOpen(bool exclusive);

  Session& session_;
  QString path_;
  HdbTable table_;
  DbLock* lock_ = nullptr;
  bool holdsOpen_ = false;
  bool exclusive_ = false;
  IndexView callIndex_;
  bool callLoaded_ = false;
  uint32_t callSerial_ = 0;
  std::vector<int64_t> unpacked_;  // records Delete marked that no Pack has dropped yet
  int readings_ = 0;
  DbLock* readLock_ = nullptr;  // the lock whose write byte the readings hold shared
};

class Session {
  // Declared first so that the database and the handles are closed before their locks go.
  std::map<QString, std::unique_ptr<DbLock>> locks_;
  uint32_t serial_ = 0;

 public:
  Session();
  ~Session();

  // One lock object per database in this process; nullptr when the lock file cannot be made.
  DbLock* LockFor(const QString& hdbPath);
  uint32_t NextSerial() { return ++serial_; }

  // Brings an index file in step with its source (HAMLOG.HDB or HAMLOG.MST beside it); `anew` builds it
  // again even when it agrees. A new file takes the place of the old one with its owner, group and mode.
  int32_t EnsureIndexFile(const QString& indexPath, const IndexKind& kind, bool anew = false);

  // Merges the QSO indexes' logs grown past their share into their bases on a thread of its own, one
  // merge at a time: the rewrite of a whole index never holds up an operator's write. The thread
  // takes the write lock through a lock of its own, as another process would, and only to put a
  // finished file in place.
  void MergeIndexesInBackground(const QString& hdbPath);
  // Waits for a merge under way.
  void FinishIndexMerges();

  QsoDatabase db{*this};
  // HamlogProblem's text.
  QString problem;
  // What the recoveries of every table found and left for the operator (HdbTable::TakeNotices), until
  // HamlogRecover hands them on.
  QStringList notices;
  void TakeNoticesOf(HdbTable& table);
  // HamlogIndexProblem's text; IndexFailed sets it and answers HAMLOG_IO_ERROR (`asked`: a build the
  // operator asked for, not one of an index missing or out of step).
  QString indexProblem;
  int32_t IndexFailed(const QString& indexPath, const QString& cause, bool asked = false);

  struct DbfSlot {
    HdbTable table;
  };
  std::vector<std::unique_ptr<DbfSlot>> dbfSlots;

  struct IndexSlot {
    IndexView view;
    uint32_t serial = 0;
  };
  std::vector<std::unique_ptr<IndexSlot>> indexSlots;

 private:
  // IndexFailed for an index whose write lock could not be had (HAMLOG_LOCKED when its wait was ended).
  int32_t indexUnlocked(const QString& indexPath, const WriteGuard& guard, bool asked);

  std::thread merger_;
  std::atomic<bool> merging_{false};
};

Session& CurrentSession();

}  // namespace hamlog
