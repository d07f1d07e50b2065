#pragma once
// Whether the progress work file DMYDBS.DAT can stand in for a fresh reading of HAMLOG.
//
// The sheet records, in the same step that commits a newly built or extended work file, the
// modification time and size of HAMLOG.HDB and the size and hash of the work file, in section "ORB":
//   DBSStampTime  HAMLOG.HDB's modification time, milliseconds since 1970-01-01 UTC; empty when the
//                 work file is not what a full reading gives (an append that left QSL marks changed
//                 in place unread)
//   DBSStampSize  HAMLOG.HDB's size in bytes (empty with the time)
//   DBSStampWork  DMYDBS.DAT's size in bytes
//   DBSStampHash  DMYDBS.DAT's content hash (WorkFileHash, hexadecimal), which tells a file damaged at
//                 the same size from the one completed
// A reading stopped by Esc or a failure commits nothing, so the stamp keeps describing the file on disk;
// while a new file takes its place the last two keys are empty, and the file counts as damaged.
// The start window ticks "前回データで起動" only when WorkFileStillValid() says so.

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

#include "sheet/LogPrint.h"

// HAMLOG.HDB's time and size as noted when the running reading started, and what the reading saw of
// it; empty between readings.
struct WorkFileStampState {
  QString NotedTime, NotedSize;
  std::optional<LogPrint> Print;  // kept with LASTP
  bool AsFullReading = true;      // false: the log's time and size are not stamped
};
extern WorkFileStampState WorkFileStamp;

// Notes HAMLOG.HDB's time and size as the reading starts (a QSO logged while it runs is then not
// taken for read).
void NoteHamlogBeforeReading();

// The work file's hash: XXH3's 128 bits, fast enough for a work file of a million lines on one thread.
// Stamps of earlier versions (the whole file's MD5, or the MD5 of its 1 MiB pieces' MD5s) still hold.
QString WorkFileHash(QByteArrayView bytes);

// Writes the four keys: HAMLOG.HDB as noted when the reading started (as it is now when nothing was
// noted) and the work file of `workSize` bytes and hash `workHash` just made durable.
void RecordWorkFileComplete(int64_t workSize, const QString& workHash);
// The same with HAMLOG.HDB as `noted` when its reading started.
void RecordWorkFileComplete(int64_t workSize, const QString& workHash, const WorkFileStampState& noted);
// The same for the DMYDBS.DAT now on disk.
void RecordWorkFileComplete();

enum class WorkFileState {
  Valid,       // the completed file, and HAMLOG.HDB as it was read
  None,        // no work file, no HAMLOG.HDB, or no stamp
  LogChanged,  // HAMLOG.HDB has changed since
  Damaged,     // DMYDBS.DAT is not the file that was completed (changed, cut short or damaged)
};
// A store of the work file under way is completed first (WorkFileStore.h).
WorkFileState CheckWorkFile();

// True when DMYDBS.DAT exists with the recorded size and content and HAMLOG.HDB still has the
// recorded modification time and size.
bool WorkFileStillValid();

// What the operator is told about a damaged work file.
QString WorkFileDamagedText();
