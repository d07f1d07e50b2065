#pragma once
// What a reading saw of HAMLOG.HDB's records, so that the append ("HAMLOG追加読込") can tell a log that
// only grew from one changed under it: packed (by this program or another), cut short, replaced or
// written in place. No file identity, size or time tells that: a pack may keep the file, and a log that
// lost one record and gained another has the size it had (the log's stamp, WorkFileStamp.h, tells
// only that nothing was written since). Two sums of a hash of each live record's
// fields that a reading takes (date, code, frequency, mode, QSL), the hash keyed by the record's number:
//   Same   without the QSL field: which QSO stands at each number, as far as a reading sees it
//   Whole  with it
// Sums, so that the parts of a pass add up in any order and an append's new records add on to the
// records read before. Kept beside LASTP (WorkFileStore.h), in section "ORB":
//   DBSLogPrint   "records:same:whole": the records 1 .. records covered, then 32 hexadecimal digits each

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/cores.h"
#include "sheet/SheetProgress.h"

// A line of its own: the parts of a pass add up side by side, one a thread.
struct alignas(kCacheLineBytes) LogPrint {
  int32_t Records = 0;
  uint64_t Same[2] = {}, Whole[2] = {};

  // A live record's leading kLogPrintWidth bytes (the fields a reading takes lie in them).
  void Add(int32_t recNo, const unsigned char* head);
  // The sums only: Records is the caller's.
  LogPrint& operator+=(const LogPrint& other);
  QString Text() const;
  static std::optional<LogPrint> FromText(const QString& text);
};

// The leading bytes of a record that the print covers.
extern const int kLogPrintWidth;

// How HAMLOG.HDB's records 1 .. Records of the print kept with LASTP stand now.
enum class LogSinceReading {
  Grown,         // as they were read: an append gives what a full reading gives
  MarksChanged,  // QSL marks set or taken away in place: the QSOs stand, but only a full reading
                 // takes their new marks
  Rewritten,     // packed, cut short, other QSOs in their places, or no print kept: only a full
                 // reading is sound
};

// Compares the open log with the kept print (put in `kept`; empty when none). HAMLOG_OK, or the pass's
// failure (ScanHdbRecords): kHdbScanStopped when the operator stopped it.
int32_t CompareLogWithReading(SheetProgress& progress, LogSinceReading& since, LogPrint& kept);

// The print of the live records first .. last of the open log, added to `print`.
int32_t PrintHdbRecords(int32_t first, int32_t last, LogPrint& print, SheetProgress& progress);
