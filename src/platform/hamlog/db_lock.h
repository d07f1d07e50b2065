#pragma once
// The lock file "<stem>lck" beside HAMLOG.HDB, shared by every process that uses the database:
//   byte 0  open lock: held shared by every open in shared mode, exclusive by an open without it, so
//           an unshared open fails while anyone else has the database open and the other way round;
//   byte 1  write lock: held exclusive around every write and every index rebuild, shared by a whole
//           reading of the log (writers wait for it).
// Open-file-description locks, released by the system when a process dies. One DbLock per lock file
// in a process (locks of two descriptors of one process would fight each other); the holds count
// nested use, and a write of this process inside its own reading holds byte 1 exclusive until it ends.
//
// Every wait for a lock another process holds (these bytes, the whole log as dBase programs lock it)
// goes through WaitForLock, so that each is heard by the same hook (hamlogLib.lockWait): shown, ended
// by the operator, capped where nobody sees it.

#include <QString>
#include <cstdint>
#include <functional>

#include "platform/hamlog/unix_file.h"

namespace hamlog {

// Hears each look that found the lock taken (1, 2, .. 10 ms apart), then 0 once the wait is over,
// however it ended; false from it ends the wait.
using LockWait = std::function<bool(int32_t look)>;
// Looks a wait takes at most when no hook hears it (30 s).
inline constexpr int32_t kLockLooks = 3000;
enum class LockTry { Held, Busy, Failed };
// Stopped: the hook ended the wait, or nobody heard it for kLockLooks; Capped: `most` looks ran out.
enum class LockResult { Held, Stopped, Capped, Failed };
// What a wait waits for: the file another program holds locked, and that program's process where its
// lock names one (0 where it does not: a flock, an open-file-description lock).
struct LockHolder {
  QString path;
  int process = 0;
};
// Tries `take` until it holds or fails; `most` (0: none) caps the looks whatever the hook says. errno
// is the failed take's. `holder` is asked before each look the hook hears.
LockResult WaitForLock(const std::function<LockTry()>& take, const LockWait& wait, int32_t most = 0,
                       const std::function<LockHolder()>& holder = {});
// The holder that the innermost wait under way on this thread last found (for its hook); an empty path
// when no wait is under way.
LockHolder WaitedFor();

// "<path> を他のプログラム (プロセス n name) がロックしていて、" + `what`: the process named when the
// lock names one (`holder`, 0 when it does not).
QString LockedText(const QString& path, int holder, const QString& what);
// The program of process `process` as the system names it ("python3"); "" when unknown.
QString ProcessName(int process);
// The process and its program, "22658 python3" ("22658" when the program is unknown).
QString ProcessLabel(int process);

class DbLock {
 public:
  // A lock file made here takes the owner, group and mode of `like` (the log).
  bool Open(const QString& path, const QString& like = {});
  const QString& Path() const { return path_; }
  bool HoldOpen(bool exclusive);  // does not wait; errno says why it failed
  void ReleaseOpen();
  // Whether the others who have the database open only share it (programs that read it), so that a
  // hold of our own alone can be had once they are through; false while one holds it alone.
  bool OthersOnlyShare();
  bool HeldOpen() const { return openHolds_ > 0; }
  LockResult BeginWrite(const LockWait& wait);
  void EndWrite();
  // The write lock shared, for a reading: waits for writers as BeginWrite waits.
  LockResult BeginRead(const LockWait& wait);
  void EndRead();
  bool Reading() const { return readDepth_ > 0; }
  // The process that holds the write lock (shared or not), or the open lock, when its lock names one;
  // 0 otherwise.
  int WriteHolder() const { return file_.LockHolder(1, 1); }
  int OpenHolder() const { return file_.LockHolder(0, 1); }

 private:
  LockResult takeWriteByte(bool exclusive, const LockWait& wait);

  QString path_;
  UnixFile file_;
  int openHolds_ = 0;
  bool openExclusive_ = false;
  int writeDepth_ = 0;
  int readDepth_ = 0;
};

class WriteGuard {
 public:
  WriteGuard(DbLock* lock, const LockWait& wait)
      : lock_(lock), result_(lock ? lock->BeginWrite(wait) : LockResult::Failed) {}
  ~WriteGuard() {
    if (Held()) lock_->EndWrite();
  }
  WriteGuard(const WriteGuard&) = delete;
  WriteGuard& operator=(const WriteGuard&) = delete;
  bool Held() const { return result_ == LockResult::Held; }
  // The wait was ended (by the operator, or by its cap): nothing was done under the lock.
  bool Stopped() const { return result_ == LockResult::Stopped || result_ == LockResult::Capped; }
  // Why it was ended, naming the lock file and the program that holds its write lock: LockedText of `what`.
  QString StoppedText(const QString& what) const {
    return LockedText(lock_->Path(), lock_->WriteHolder(), what);
  }

 private:
  DbLock* lock_;
  LockResult result_;
};

}  // namespace hamlog
