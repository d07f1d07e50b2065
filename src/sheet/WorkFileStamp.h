#pragma once
// Whether the progress work file DMYDBS.DAT can stand in for a fresh reading of HAMLOG.
//
// The sheet records, in the same step that commits a newly built or extended work file, a stamp of
// HAMLOG.HDB and the size and hash of the work file, in section "ORB":
//   DBSStampLog   HAMLOG.HDB as the reading found it: "size:mtime:ctime:inode:counter", the times in
//                 nanoseconds, the counter the header's change counter (bumped by every write of ours);
//                 empty (left by earlier versions) when the work file is not what a full reading gives
//   DBSStampWork  DMYDBS.DAT's size in bytes
//   DBSStampHash  DMYDBS.DAT's content hash (WorkFileHash, hexadecimal), which tells a file damaged at
//                 the same size from the one completed
// A log whose stamp differs is not yet a changed log: a restore, a tool that keeps the time or a mark
// set and taken away again leave what a reading takes as it was. The log's print (LogPrint.h) decides
// then, and only then is the log read.
// A reading stopped by Esc or a failure commits nothing, so the stamp keeps describing the file on disk;
// while a new file takes its place the last two keys are empty, and the file counts as damaged.
// The start window ticks "前回データで起動" only when WorkFileStillValid() says so.

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

#include "platform/hamlog/unix_file.h"
#include "sheet/LogPrint.h"

// HAMLOG.HDB's stamp as noted when the running reading started, and what the reading saw of it; empty
// between readings.
struct WorkFileStampState {
  QString NotedLog;
  std::optional<LogPrint> Print;  // kept with LASTP
  hamlog::FileStat NotedFile;     // the file as noted, and this process's writes to logs until then
  uint64_t NotedWrites = 0;
};
extern WorkFileStampState WorkFileStamp;

// Notes HAMLOG.HDB's stamp as the reading starts (a QSO logged while it runs is then not taken for read).
void NoteHamlogBeforeReading();
// HAMLOG.HDB's stamp now, as DBSStampLog holds it; empty when there is no log.
QString HamlogStampNow();
// Whether HAMLOG.HDB is as the stamp recorded with the work file: then nothing a reading takes has
// changed, and the log need not be read to know it.
bool HamlogAsStamped();
// Whether HAMLOG.HDB changed since the stamp recorded with the work file only by this process's own
// writes, none of which touched records 1 .. `records`: those then give what they gave, unread.
bool HamlogGrownOnlyByUs(int32_t records);
// After an append that took no new line: the print and stamp of the reading that just ran, with the
// work file as it was.
void RecordLogReadUnchangedFile();

// The work file's hash: XXH3's 128 bits, fast enough for a work file of a million lines on one thread.
// Stamps of earlier versions (the whole file's MD5, or the MD5 of its 1 MiB pieces' MD5s) still hold.
QString WorkFileHash(QByteArrayView bytes);

// Writes the three keys: HAMLOG.HDB as noted when the reading started (as it is now when nothing was
// noted) and the work file of `workSize` bytes and hash `workHash` just made durable.
void RecordWorkFileComplete(int64_t workSize, const QString& workHash);
// The same with HAMLOG.HDB as `noted` when its reading started.
void RecordWorkFileComplete(int64_t workSize, const QString& workHash, const WorkFileStampState& noted);
// The same for the DMYDBS.DAT now on disk.
void RecordWorkFileComplete();

enum class WorkFileState {
  Valid,            // the completed file, and HAMLOG.HDB as it was read
  None,             // no work file, no HAMLOG.HDB, or no stamp
  LogChanged,       // HAMLOG.HDB has changed since
  Damaged,          // DMYDBS.DAT is not the file that was completed (changed, cut short or damaged)
  EarlierBandRule,  // read by an earlier version, whose bands came from the first characters alone
};
// A store of the work file under way is completed first (WorkFileStore.h).
WorkFileState CheckWorkFile();

// True when DMYDBS.DAT exists with the recorded size and content and HAMLOG.HDB gives what it gave the
// reading that made it.
bool WorkFileStillValid();

// Whether DMYDBS.DAT is there with no print of today's band rule beside it (an earlier version's
// reading): its lines put some QSOs on other bands than a reading does now. Looks at the settings only.
bool WorkFileOfEarlierBandRule();

// What the operator is told about a damaged work file.
QString WorkFileDamagedText();
