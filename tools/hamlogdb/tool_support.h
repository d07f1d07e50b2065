#pragma once
// The tool's open database: the stand-in opened in shared mode (the program may have it open too).

#include <QString>
#include <QStringList>
#include <vector>

#include "hamlogdb.h"
#include "platform/hamlog/hamlog_session.h"

namespace hamlogdb {

class OpenedLog {
 public:
  OpenedLog();
  ~OpenedLog();
  Outcome Open(const QString& dir);
  // After a bulk append: the QSO indexes brought in step with the log, as HAMLOG keeps them, so that
  // the program finds them current.
  Outcome RefreshIndexes();
  hamlog::QsoDatabase& Db() { return db_; }

 private:
  hamlog::QsoDatabase db_;
};

// One record of an input file: its fields and the line it stands on.
struct Record {
  QStringList fields;
  int64_t line = 0;
};

// The records of an input file in Windows-31J or UTF-8 (told by its byte-order mark or its bytes): one
// a line with exactly `fields` fields, or `longer` when that is given (blank lines passed over), so
// that a missing field is reported on its own line and not as a shift of the next records. Refused
// whole on the first bad line.
Outcome ReadRecords(const QString& file, int fields, const char* recordName, std::vector<Record>& records,
                    int longer = 0);

// A library result as a sentence for the user.
QString ResultText(int32_t result);

// The lock the tool's last wait waited for (hamlog::WaitedFor), kept for the words after it.
inline hamlog::LockHolder lastLockHolder;
// "HAMLOG.lck is locked by another program (process 123 python3)": the file held and, where its lock names
// one, the process holding it.
QString LockedWords(const hamlog::LockHolder& held);

}  // namespace hamlogdb
