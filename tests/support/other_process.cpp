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

int LockedByAnotherProgram(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? fd : -1;
}
