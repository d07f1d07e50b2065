#pragma once
// The HAMLOG access layer: open and close the log, count its records, read one record into the shared
// QSO fields, switch to shared access, find HAMLOG's version. Every other part of the program reaches
// the log through here and through the library calls in platform/hamlog.
//
//   if (HamlogOpenDb() == 1) { HamlogCloseDb(0); MsgBox("HAMLOGデータがOpen出来ません。"); return; }
//   for (...) { Qso.QsoRecNo = n; if (ReadQsoBasic(n, 0) != 0) break; ... }
//   HamlogCloseDb(0);
//
// The log is never held open between two operations of the operator, so HAMLOG can run beside us.

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"

struct HamlogAccessState {
  ThwRecord Thw{};             // the library's record block
  int32_t HamlogClosed = 1;    // 1 while the log is closed
  int32_t LastResult = 0;      // last library result (also message-box answers elsewhere)
  int32_t LastOpenResult = 0;  // the library's result of the last HamlogOpenDb (0: it opened)
  QString HamlogDbPath;        // full path of HAMLOG.HDB
  QString HamlogExePath;       // HAMLOG's program file; may be empty
  QString HdbFileName;         // "\" + upper-cased file name of HAMLOG.HDB
  int32_t HdbRecordCount = 0;  // counted at start-up and before each reading
  int32_t DbfHandle = 0;
  // Length bytes of the first 16 field descriptors of HAMLOG.HDB; [0] = [1] + [2].
  std::array<int32_t, 17> HdbFieldLengths{};
};

extern HamlogAccessState Hamlog;

// Widths of the fields the program reads, by field number (0 where a field is never read).
int FieldWidth(int field);

int32_t SetHamlogShare();
// 0 = open (also when it was open already), 1 = not opened. Shows nothing but a wait for another
// program's hold of the log, in the window the operator is in (Esc ends a write's wait).
int32_t HamlogOpenDb();
void HamlogCloseDb(int32_t flag);
// Before the program's first use of the log: what a copy killed while writing it left is completed or
// put aside (HamlogRecover), a wait for another program's lock shown in a window of its own (Esc or its
// cap end it). The text for the operator: every file kept aside with what to check, and the lock when
// it kept the last write from being completed (`completed` false then); "" when there is nothing to tell.
QString RecoverHamlogAtStart(bool* completed = nullptr);
// Why a write of record `recNo` (0: a new one) failed, from the library's result: a read-only log, a
// full disk, a record gone or changed by another program, a damaged header count.
QString HamlogWriteFailureText(int32_t result, int32_t recNo);
// What the operator can do about it (FileErrorAdvice of the disk's fault); "" when nothing.
QString HamlogWriteFailureAdvice(int32_t result);
// `text` (the window's own words, "HAMLOGデータがOpen出来ません。") followed by why the last HamlogOpenDb
// failed, in the operator's words: the file gone, its header count damaged, held by another program...
QString WithOpenFailureCause(const QString& text);
// Number of records, 0 after its message when the log cannot be counted.
int32_t CountHdbRecords();
// Why HAMLOG.HDB (Hamlog.HamlogDbPath) did not open, for the operator, from the library's result: a
// log held by another program, a missing file, a file that is no log or is cut short, a folder that
// takes no lock file.
QString HamlogOpenFailureText(int32_t result);

// The readers put the fields into Qso (core/QsoFields.h). 0 = read, 1 = failed (after a message when
// the record could not be read), kQsoDeleted = the record is marked deleted (not yet packed away): no
// QSO, skipped by every reader, no message. A failed read never leaves fields of another record behind
// as if they were the one asked for: the result says so.
inline constexpr int32_t kQsoDeleted = 2;
int32_t ReadQsoMode(int32_t recNo);
// Depth 1: call and date; 2: and mode; 3: and frequency and band; anything else: and code, grid, QSL.
int32_t ReadQsoBasic(int32_t recNo, int32_t depth);
int32_t ReadQsoFull(int32_t recNo);
// The date the readers give (Qso.QsoDate) for a stored date text: "YYYY-MM-DD" when it names a day,
// else the text as it stands; and for a day as yyyymmdd.
QString QsoDateText(const QString& rawDate);
QString QsoDateText(int32_t yyyymmdd);
// ReadQsoBasic(recNo, 0) on a record image read by a whole-log pass; a frequency that fits no band is
// left for the caller to report.
int32_t TakeQsoBasicFromImage(const unsigned char* image, int32_t recNo);

// Whole-log passes: records first .. last of the open log split into `parts` ranges in order, read on
// as many threads as there are cores (at most one per part), each thread taking the next range not
// begun when it ends one; `visit(part, recNo, image)` runs on the thread reading the part for each
// record not marked deleted, in record order within a part. With `width` below the record length the image
// holds only the record's first `width` bytes (a pass over a few leading fields then reads only those).
// `pump(done)` runs on the calling thread before the reading, about every 30 ms during it and after it, with
// the records read so far; false stops the pass. Answers HAMLOG_OK, kHdbScanStopped, HAMLOG_CHANGED (the file
// was cut short, replaced or written during the pass), HAMLOG_BAD_COUNT or another library result. With an
// `offset` the image holds bytes `offset` .. `offset` + `width` - 1 of the record, and deleted records are
// visited too (the deletion flag is not in the image).
inline constexpr int32_t kHdbScanStopped = -1;
using HdbVisit = std::function<void(int part, int32_t recNo, const unsigned char* image)>;
using HdbPump = std::function<bool(int32_t done)>;
int32_t ScanHdbRecords(int32_t first, int32_t last, int parts, const HdbVisit& visit, const HdbPump& pump,
                       int width = hamlog::kHdbRecordLength, int offset = 0);
// The parts a pass uses on this machine (BalancedParts).
int HdbScanParts();
// The parts a pass over `records` records is cut into at most: fewer for a short pass.
int HdbScanParts(int64_t records);
// HAMLOG.HDB was cut short, replaced or written while it was being read: said with its path.
QString HamlogChangedText();

// For scans that look at a few fields of every record: ReadQsoRecord loads the record (1 after the
// same message as ReadQsoBasic when it cannot be read, kQsoDeleted for a deleted one), then each Take puts
// its fields into Qso as ReadQsoBasic does. TakeQsoCall is 1 after a message when the library gives no call
// sign.
int32_t ReadQsoRecord(int32_t recNo);
int32_t TakeQsoCall();
void TakeQsoDate();
void TakeQsoMode();
void TakeQsoBand();      // the frequency and its band label (a frequency of no band is reported)
bool TakeQsoFreqBand();  // the same, not reported: false when no band fits (the caller gathers those)
void TakeQsoCode();
void TakeQsoGrid();
void TakeQsoQsl();  // via and received mark
void ClearQsoFieldBuffers();

// Why the file cannot serve as HAMLOG's database ("" when it can): missing, a folder, not a HAMLOG
// table. A database that HAMLOG holds right now is still one.
QString HamlogDatabaseProblem(const QString& path);

// HAMLOG's product version text ("5.40"), "" when it cannot be read.
QString GetHamlogVersion();
// Reads the field lengths of the header of HAMLOG.HDB; their sum, 0 after a message on failure.
int32_t ReadHdbFieldLengths(const QString& path);

// "HAMLOGのデータがOPEN出来ませんでした" with the library version (hexadecimal digits read as a
// decimal number / 10000, e.g. 5.4), as the windows that open the log report a failed open.
QString HamlogOpenFailureText();
