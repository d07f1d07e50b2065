#include "platform/hamlog/db_lock.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/vbfile.h"

namespace hamlog {

LockResult WaitForLock(const std::function<LockTry()>& take, const LockWait& wait, int32_t most) {
  int32_t look = 0;
  LockResult result = LockResult::Held;
  for (;;) {
    const LockTry t = take();
    if (t == LockTry::Held) break;
    if (t == LockTry::Failed) {
      result = LockResult::Failed;
      break;
    }
    ++look;
    if (most > 0 && look > most) {
      result = LockResult::Capped;
      break;
    }
    if (wait ? !wait(look) : look > kLockLooks) {
      result = LockResult::Stopped;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (look > 0 && wait) {
    const int cause = errno;
    wait(0);
    errno = cause;
  }
  return result;
}

QString LockedText(const QString& path, int holder, const QString& what) {
  QString who;
  if (holder > 0) {
    QByteArray name;
    ReadWholeFile(QString("/proc/%1/comm").arg(holder), name);
    who = " (プロセス " + (QString::number(holder) + ' ' + QString::fromLocal8Bit(name)).trimmed() + ") ";
  }
  return QString("%1 を他のプログラム%2がロックしていて、%3").arg(path, who, what);
}

bool DbLock::Open(const QString& path, const QString& like) {
  if (file_.IsOpen()) return true;
  const bool made = !NameTaken(path);
  if (!file_.Open(path, true)) return false;
  if (made && !like.isEmpty()) TakeOwnerAndMode(path, StatPath(like));
  return true;
}

bool DbLock::HoldOpen(bool exclusive) {
  if (!file_.IsOpen()) {
    errno = EBADF;
    return false;
  }
  if (openHolds_ > 0) {
    // Nested holds in this process: an exclusive one only on top of an exclusive one.
    if (exclusive && !openExclusive_) {
      errno = EAGAIN;
      return false;
    }
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

LockResult DbLock::BeginWrite(const LockWait& wait) {
  if (!file_.IsOpen()) {
    errno = EBADF;
    return LockResult::Failed;
  }
  if (writeDepth_ == 0) {
    const LockResult r = WaitForLock(
        [this] {
          if (file_.LockByte(1, true, false)) return LockTry::Held;
          return errno == EAGAIN || errno == EACCES ? LockTry::Busy : LockTry::Failed;
        },
        wait);
    if (r != LockResult::Held) return r;
  }
  ++writeDepth_;
  return LockResult::Held;
}

void DbLock::EndWrite() {
  if (writeDepth_ == 0) return;
  if (--writeDepth_ == 0) file_.UnlockByte(1);
}

}  // namespace hamlog
