#pragma once
// Another program beside this one, for changes of the operator's files that the program has not made
// itself (HAMLOG writing its log): `work` runs in a child process that leaves what this process holds
// of HAMLOG alone. True when `work` said so in the child.

#include <QString>
#include <functional>

bool InOtherProcess(const std::function<bool()>& work);

// `path` locked whole as another program (a dBase writer) locks it: the descriptor (close lets go), or -1.
int LockAsAnotherProgram(const QString& path);
