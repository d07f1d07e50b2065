#pragma once
// The sorted lines of the progress work file DMYDBS.DAT as the open sheet holds them, and their way to
// disk. A reading hands its sorted lines over; they are written under a scratch name and hashed on
// threads of their own while the sheet collates and shows them, and then put in place:
//   1. LASTP and the print of the log read (LogPrint.h), with the stamp's work-file keys cleared, in
//      one write of the settings file: from here
//      until step 3 the stamp claims no file, so a crash leaves a start that reads HAMLOG afresh;
//   2. the scratch file renamed over DMYDBS.DAT (its folder synced);
//   3. the stamp of the file now on disk (WorkFileStamp.h).
// Until step 1 the previous file, LASTP and stamp stand as they were and still agree.
// A full reading waits for these steps. An append lets the sheet show first: its steps run as soon
// as the write is done (an event of the window thread), and at the latest before the next reading,
// before the work file is checked, and when the sheet lets its lines go. LASTP in memory
// (Settings.LastExtractedRecord) moves only when the file is in place, so that a store that fails
// leaves its QSOs to the next reading.

#include <QByteArray>
#include <QString>
#include <functional>

// Starts storing `lines` as the work file that LASTP `lastp` goes with; the lines are held from now
// on. `sorted` tells that they are plain lines (IsPlainDmyDbs) in the file's order (DmyDbsIsSorted);
// when not told, both are looked at while they are written. A `deferred` store completes on its own
// and tells its failure in a message box; any other is completed by SettleWorkFile, which gives its
// failure back.
void StoreWorkFile(const QByteArray& lines, bool sorted, const QString& lastp, bool deferred);

// Waits for the store under way and completes it. "" when it is done, deferred or none was under
// way; else which file could not be written and why (the previous file, LASTP and stamp then stand).
QString SettleWorkFile();

// Holds the lines of the work file now on disk (a previous file reused as it stands).
void HoldWorkFileLines(const QByteArray& sorted, bool plainSorted);

// The held lines when DMYDBS.DAT is still the file they were stored as (settled first); nullptr when
// none are held, the file was changed meanwhile (edited by hand) or their store failed (they are then
// still the lines the sheet shows, but not the file's). `plainSorted` tells their form. An append
// merges its lines into them in place, then stores them.
QByteArray* HeldWorkFileLines(bool* plainSorted = nullptr);

// The work file's lines for the lists: the held ones (what the sheet shows), else the file's.
bool ReadWorkFileLines(QByteArray& lines);

// Completes a store under way and lets the lines go (the sheet closes).
void ReleaseWorkFileLines();

// Called at each step of a store, for the tests of a store cut short.
enum class WorkFileStoreStep { ScratchWritten, LastpWritten, FileReplaced };
inline std::function<void(WorkFileStoreStep)> workFileStoreHookForTest;
