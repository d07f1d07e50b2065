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
