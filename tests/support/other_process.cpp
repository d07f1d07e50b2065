#include "support/other_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>

#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hamlog_session.h"

bool InOtherProcess(const std::function<bool()>& work) {
  const pid_t pid = fork();
  if (pid == 0) {
    // The parent's descriptors and locks stay as they are: the child's library starts afresh.
    (void)hamlogLib.session.release();
    hamlogLib = HamlogLib{};
    _exit(work() ? 0 : 3);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int LockAsAnotherProgram(const QString& path, int64_t start, int64_t length, bool exclusive) {
  // Not handed to the programs a test starts: the lock goes with the close.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
  struct flock lock {};
  lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
  lock.l_start = start;
  lock.l_len = length;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? fd : -1;
}

LockInOtherProcess::LockInOtherProcess(const QString& path, int64_t start, int64_t length, bool exclusive) {
  const QByteArray name = QFile::encodeName(path);
  int ready[2], letGo[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) return;
  if (::pipe2(letGo, O_CLOEXEC) != 0) {
    ::close(ready[0]), ::close(ready[1]);
    return;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    // Nothing but system calls here: the parent's threads are gone in the child.
    ::close(ready[0]), ::close(letGo[1]);
    struct flock lock {};
    lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    const int fd = ::open(name.constData(), O_RDWR);
    const char held = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0;
    (void)!::write(ready[1], &held, 1);
    char none;
    (void)!::read(letGo[0], &none, 1);  // until the parent closes its end
    _exit(0);
  }
  ::close(ready[1]), ::close(letGo[0]);
  char held = 0;
  const bool told = pid > 0 && ::read(ready[0], &held, 1) == 1;
  ::close(ready[0]);
  letGo_ = letGo[1];
  process_ = pid;
  if (!told || !held) Release();
}

void LockInOtherProcess::Release() {
  if (letGo_ >= 0) ::close(letGo_);
  letGo_ = -1;
  if (process_ > 0) waitpid(process_, nullptr, 0);
  process_ = -1;
}
