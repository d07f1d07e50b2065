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
