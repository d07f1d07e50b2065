#include "support/other_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>

#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hamlog_session.h"
#include "support/waits.h"

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

int LockAsAnotherProgram(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? fd : -1;
}

LockInOtherProcess::LockInOtherProcess(const QString& path, int64_t start, int64_t length, bool exclusive) {
  const QByteArray name = QFile::encodeName(path);
  int held[2], letGo[2];
  if (pipe2(held, O_CLOEXEC) != 0) return;
  if (pipe2(letGo, O_CLOEXEC) != 0) {
    ::close(held[0]);
    ::close(held[1]);
    return;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    ::close(held[0]);
    ::close(letGo[1]);
    const int fd = ::open(name.constData(), exclusive ? O_RDWR : O_RDONLY);
    struct flock lock {};
    lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
    lock.l_start = start;
    lock.l_len = length;
    char c = 1;
    if (fd < 0 || ::fcntl(fd, F_SETLKW, &lock) != 0 || ::write(held[1], &c, 1) != 1) _exit(3);
    // Let go at the latest after the tests' cap: a program that blocks on the lock does not hang them.
    struct pollfd until {letGo[0], POLLIN, 0};
    ::poll(&until, 1, kEventCapMs);
    _exit(0);
  }
  ::close(held[1]);
  ::close(letGo[0]);
  char c = 0;
  if (pid > 0 && ::read(held[0], &c, 1) == 1) {
    pid_ = pid;
    letGo_ = letGo[1];
  } else {
    ::close(letGo[1]);
    if (pid > 0) waitpid(pid, nullptr, 0);
  }
  ::close(held[0]);
}

void LockInOtherProcess::Release() {
  if (pid_ <= 0) return;
  ::close(letGo_);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}
