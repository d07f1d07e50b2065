#include "platform/hamlog/db_lock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/vbfile.h"

namespace hamlog {

namespace {

// The holders of the waits under way on this thread, innermost last (a wait's events may begin another).
thread_local std::vector<LockHolder> waitedFor;

}  // namespace

LockHolder WaitedFor() { return waitedFor.empty() ? LockHolder{} : waitedFor.back(); }

LockResult WaitForLock(const std::function<LockTry()>& take, const LockWait& wait, int32_t most,
                       const std::function<LockHolder()>& holder) {
  int32_t look = 0;
  LockResult result = LockResult::Held;
  const size_t depth = waitedFor.size();
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
    if (wait && holder) {
      waitedFor.resize(depth + 1);
      waitedFor[depth] = holder();
    }
    if (wait ? !wait(look) : look > kLockLooks) {
      result = LockResult::Stopped;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  waitedFor.resize(std::min(waitedFor.size(), depth));
  if (look > 0 && wait) {
    const int cause = errno;
    wait(0);
    errno = cause;
  }
  return result;
}

QString ProcessName(int process) {
  QByteArray name;
  if (process > 0) ReadWholeFile(QString("/proc/%1/comm").arg(process), name);
  return QString::fromLocal8Bit(name).trimmed();
}

QString ProcessLabel(int process) {
  return (QString::number(process) + ' ' + ProcessName(process)).trimmed();
}

QString LockedText(const QString& path, int holder, const QString& what) {
  const QString who = holder > 0 ? " (プロセス " + ProcessLabel(holder) + ") " : QString();
  return QString("%1 を他のプログラム%2がロックしていて、%3").arg(path, who, what);
}

bool DbLock::Open(const QString& path, const QString& like) {
  if (file_.IsOpen()) return true;
  const bool made = !NameTaken(path);
  if (!file_.Open(path, true)) return false;
  if (made && !like.isEmpty()) TakeOwnerAndMode(path, StatPath(like));
  path_ = path;
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

LockResult DbLock::takeWriteByte(bool exclusive, const LockWait& wait) {
  if (!file_.IsOpen()) {
    errno = EBADF;
    return LockResult::Failed;
  }
  return WaitForLock(
      [this, exclusive] {
        if (file_.LockByte(1, exclusive, false)) return LockTry::Held;
        return errno == EAGAIN || errno == EACCES ? LockTry::Busy : LockTry::Failed;
      },
      wait, 0,
      [this] {
        return LockHolder{path_, WriteHolder()};
      });
}

LockResult DbLock::BeginWrite(const LockWait& wait) {
  if (writeDepth_ == 0)
    if (const LockResult r = takeWriteByte(true, wait); r != LockResult::Held) return r;
  ++writeDepth_;
  return LockResult::Held;
}

void DbLock::EndWrite() {
  if (writeDepth_ == 0) return;
  if (--writeDepth_ > 0) return;
  // A reading of this process goes on: the byte goes back to shared (no other process can hold it now).
  if (readDepth_ > 0)
    file_.LockByte(1, false, false);
  else
    file_.UnlockByte(1);
}

LockResult DbLock::BeginRead(const LockWait& wait) {
  if (readDepth_ == 0 && writeDepth_ == 0)
    if (const LockResult r = takeWriteByte(false, wait); r != LockResult::Held) return r;
  ++readDepth_;
  return LockResult::Held;
}

void DbLock::EndRead() {
  if (readDepth_ == 0) return;
  if (--readDepth_ == 0 && writeDepth_ == 0) file_.UnlockByte(1);
}

}  // namespace hamlog
