#pragma once
// Another program beside this one, for changes of the operator's files that the program has not made
// itself (HAMLOG writing its log): `work` runs in a child process that leaves what this process holds
// of HAMLOG alone. True when `work` said so in the child.

#include <QString>
#include <cstdint>
#include <functional>

bool InOtherProcess(const std::function<bool()>& work);

// `path` locked whole as another program (a dBase writer) locks it: the descriptor (close lets go), or -1.
int LockAsAnotherProgram(const QString& path);

// Another process holding `length` bytes of `path` from `start` with a classic POSIX lock, as a program
// using fcntl.lockf holds them (the kernel names the process), exclusive or shared, until Release().
class LockInOtherProcess {
 public:
  LockInOtherProcess(const QString& path, int64_t start, int64_t length, bool exclusive);
  ~LockInOtherProcess() { Release(); }
  LockInOtherProcess(const LockInOtherProcess&) = delete;
  LockInOtherProcess& operator=(const LockInOtherProcess&) = delete;
  bool Held() const { return pid_ > 0; }
  void Release();

 private:
  int pid_ = -1;
  int letGo_ = -1;  // closed: the process lets go and ends
};
