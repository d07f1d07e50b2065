#pragma once
// The lock file "<stem>lck" beside HAMLOG.HDB, shared by every process that uses the database:
//   byte 0  open lock: held shared by every open in shared mode, exclusive by an open without it, so
//           an unshared open fails while anyone else has the database open and the other way round;
//   byte 1  write lock: held exclusive around every write and every index rebuild (waits for it).
// Open-file-description locks, released by the system when a process dies. One DbLock per lock file
// in a process (locks of two descriptors of one process would fight each other); both holds count
// nested use.

#include <QString>

#include "platform/hamlog/unix_file.h"

namespace hamlog {

class DbLock {
 public:
  bool Open(const QString& path);
  bool HoldOpen(bool exclusive);  // does not wait
  void ReleaseOpen();
  // Whether the others who have the database open only share it (programs that read it), so that a
  // hold of our own alone can be had once they are through; false while one holds it alone.
  bool OthersOnlyShare();
  bool HeldOpen() const { return openHolds_ > 0; }
  bool BeginWrite();  // waits
  void EndWrite();

 private:
  UnixFile file_;
  int openHolds_ = 0;
  bool openExclusive_ = false;
  int writeDepth_ = 0;
};

class WriteGuard {
 public:
  explicit WriteGuard(DbLock* lock) : lock_(lock), held_(lock && lock->BeginWrite()) {}
  ~WriteGuard() {
    if (held_) lock_->EndWrite();
  }
  WriteGuard(const WriteGuard&) = delete;
  WriteGuard& operator=(const WriteGuard&) = delete;
  bool Held() const { return held_; }

 private:
  DbLock* lock_;
  bool held_;
};

}  // namespace hamlog
