#include "platform/hamlog/db_lock.h"

namespace hamlog {

bool DbLock::Open(const QString& path) { return file_.IsOpen() || file_.Open(path, true); }

bool DbLock::HoldOpen(bool exclusive) {
  if (!file_.IsOpen()) return false;
  if (openHolds_ > 0) {
    // Nested holds in this process: an exclusive one only on top of an exclusive one.
    if (exclusive && !openExclusive_) return false;
    ++openHolds_;
    return true;
  }
  if (!file_.LockByte(0, exclusive, false)) return false;
  openHolds_ = 1;
  openExclusive_ = exclusive;
  return true;
}

bool DbLock::OthersOnlyShare() {
  if (!file_.IsOpen() || openHolds_ > 0 || !file_.LockByte(0, false, false)) return false;
  file_.UnlockByte(0);
  return true;
}

void DbLock::ReleaseOpen() {
  if (openHolds_ == 0) return;
  if (--openHolds_ == 0) file_.UnlockByte(0);
}

bool DbLock::BeginWrite() {
  if (!file_.IsOpen()) return false;
  if (writeDepth_ == 0 && !file_.LockByte(1, true, true)) return false;
  ++writeDepth_;
  return true;
}

void DbLock::EndWrite() {
  if (writeDepth_ == 0) return;
  if (--writeDepth_ == 0) file_.UnlockByte(1);
}

}  // namespace hamlog
