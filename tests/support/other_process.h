#pragma once
// Another program beside this one, for changes of the operator's files that the program has not made
// itself (HAMLOG writing its log): `work` runs in a child process that leaves what this process holds
// of HAMLOG alone. True when `work` said so in the child.

#include <QString>
#include <cstdint>
#include <functional>

bool InOtherProcess(const std::function<bool()>& work);

// `path` locked as another program locks it: whole (a dBase writer), or `length` bytes from `start`,
// shared when not `exclusive` (a reader). The descriptor (close lets go), or -1.
int LockAsAnotherProgram(const QString& path, int64_t start = 0, int64_t length = 0, bool exclusive = true);

// `path` (or `length` bytes of it from `start`; shared when not `exclusive`) locked by a process of its own
// with a classic POSIX lock, as a dBase writer or python's fcntl.lockf takes one, so that the lock names
// that process. Held until Release or the object's end.
class LockInOtherProcess {
 public:
  explicit LockInOtherProcess(const QString& path, int64_t start = 0, int64_t length = 0,
                              bool exclusive = true);
  ~LockInOtherProcess() { Release(); }
  LockInOtherProcess(const LockInOtherProcess&) = delete;
  LockInOtherProcess& operator=(const LockInOtherProcess&) = delete;
  bool Held() const { return process_ > 0; }
  int Process() const { return process_; }
  void Release();

 private:
  int process_ = -1;
  int letGo_ = -1;  // closed: the process lets go and ends
};
