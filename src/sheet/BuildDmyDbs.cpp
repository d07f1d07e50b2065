#include "sheet/BuildDmyDbs.h"

#include <sys/mman.h>

#include <QElapsedTimer>
#include <algorithm>
#include <utility>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterTable.h"
#include "core/ModeList.h"
#include "core/QsoColumns.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "platform/cores.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/hugepages.h"
#include "platform/ksort.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/vbdate.h"
#include "platform/vbfile.h"
#include "sheet/Collation.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/DmyDbsMerge.h"
#include "sheet/LogPrint.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetProgress.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStamp.h"
#include "sheet/WorkFileStore.h"

namespace {

void closeHamlog() { HamlogCloseDb(0); }

// Every way out of a failed build: nothing committed, the reason kept for the sheet load.
void fail(SheetProgress& progress, int32_t statusCode, const QString& cause = {}) {
  progress.HideBusyFrame();
  SheetTally.ReadFailed = 1;
  SheetTally.ReadFailureCause = cause;
  StartFlags.ReadStatusCode = statusCode;
  SheetTally.AppendRead = 0;
}

// Why record `recNo` stopped the reading.
QString recordFailureText(int32_t recNo, int32_t result) {
  QString why;
  switch (result) {
    case HAMLOG_DELETED:
      why = QStringLiteral("削除されたレコードです");
      break;
    case HAMLOG_NO_RECORD:
      why = QStringLiteral("レコードがありません (読込中に HAMLOG.HDB が変わりました)");
      break;
    default:
      why = QStringLiteral("読めません (") + HamlogWriteFailureText(result, recNo) + ")";
  }
  return Hamlog.HamlogDbPath + QStringLiteral(" のレコード ") + QString::number(recNo) +
         QStringLiteral(" は") + why + QStringLiteral("。読込を中止しました。");
}

// The file sort on a file, repeated while it is busy. False when it gave up.
bool ksortFile(SheetProgress& progress, const QString& path) {
  const QString command = QString::fromLatin1(kDmyDbsSortKey) + "'" + path + "' ";
  QString reply;
  int result;
  do {
    progress.Pump();
    result = ksort(command, reply);
  } while (result == KsortBusy);
  return result != KsortGaveUp;
}

// Sorts work-file bytes by the file's key. Lines of the form the builder writes are sorted here;
// anything else (a file edited by hand) goes through the file sort, which splits lines its own way.
// `inKeyOrder` tells whether the bytes came out as plain lines in the key's byte order (the first way).
bool sortBytes(SheetProgress& progress, QByteArray& data, bool& inKeyOrder) {
  inKeyOrder = IsPlainDmyDbs(data);
  if (inKeyOrder) {
    data = SortDmyDbsBytes(data);
    return true;
  }
  const QString scratch = JoinPath(ProgramFolder(), "DMYDBS.srt");
  bool sorted =
      AtomicWriteFile(scratch, data) && ksortFile(progress, scratch) && ReadWholeFile(scratch, data);
  Kill(scratch);
  return sorted;
}

void reportFreqErrors() {
  if (Settings.FreqErrReport == QLatin1String("1") && QsoRules.FreqErrorFound == 1) ShowFreqErrorReport();
}

void collateAndFill(SheetProgress& progress, const QByteArray& sorted) {
  progress.Status(QStringLiteral("照合中"));
  progress.SetGridRedraw(false);
  CollateDmyDbs(sorted, CurrentConfirmRule(), progress);
  FillProgressSheet(progress);
  progress.SetGridRedraw(true);
  reportFreqErrors();
}

// No mark, count, record number or ward record on the sheet: what a collation of every line afresh
// starts from.
void clearCollation() {
  const int32_t rows = std::min(SheetTally.MasterRowCount, MasterTable.Rows());
  const int32_t lastBand = std::min(BandLayout.LastBandColumn, MasterTable.Columns());
  for (int32_t r = 1; r <= rows; ++r)
    for (int32_t c = 5; c <= lastBand; ++c) MasterTable(c, r).clear();
  SheetTally.SizeCellArrays(SheetTally.CellQsoCounts.LastColumn(), SheetTally.CellQsoCounts.Rows());
}

// "前回データで起動": the previous file, sorted and collated as it stands; LASTP is not touched.
void reusePreviousFile(SheetProgress& progress) {
  progress.Status(QStringLiteral("SORT中"));
  if (CheckWorkFile() == WorkFileState::Damaged) {
    progress.PreviousDataUnusable();
    fail(progress, kReadWorkFileDamaged);
    return;
  }
  QByteArray data;
  if (!IsFile(DmyDbsPath()) || !ReadWholeFile(DmyDbsPath(), data)) {
    progress.PreviousDataUnusable();
    fail(progress, kReadSortGaveUp);
    return;
  }
  const bool plain = IsPlainDmyDbs(data);
  if (plain) {
    const QByteArray sorted = SortDmyDbsBytes(data);
    if (sorted != data && !AtomicWriteFile(DmyDbsPath(), sorted)) {
      progress.PreviousDataUnusable();
      fail(progress, kReadSortGaveUp);
      return;
    }
    data = sorted;
  } else if (!ksortFile(progress, DmyDbsPath()) || !ReadWholeFile(DmyDbsPath(), data)) {
    progress.PreviousDataUnusable();
    fail(progress, kReadSortGaveUp);
    return;
  }
  HoldWorkFileLines(data, plain);
  collateAndFill(progress, data);
}

// The append's usual way, at a cost that follows the new lines: they are sorted alone and merged into
// the previous lines in place (those the sheet holds), only the cells they reach are
// collated again and redrawn, and the file goes to disk after the sheet shows them. False, with
// nothing done, when the previous lines are not in the form the builder writes or not sorted (edited
// by hand): the append then goes the whole way.
bool appendInOrder(SheetProgress& progress, QByteArray& previous, bool previousSorted, const QByteArray& lines,
                   int32_t lastTaken) {
  if (!IsPlainDmyDbs(lines) || (!previousSorted && (!IsPlainDmyDbs(previous) || !DmyDbsIsSorted(previous))))
    return false;
  std::vector<qsizetype> added;
  MergeIntoSortedDmyDbs(previous, SortDmyDbsBytes(lines), added);
  progress.Status(QStringLiteral("照合中"));
  progress.SetGridRedraw(false);
  RefreshProgressCells(CollateNewDmyDbsLines(previous, added, CurrentConfirmRule(), progress), progress);
  progress.SetGridRedraw(true);
  reportFreqErrors();
  // The sheet shows the new QSOs; the file follows.
  StoreWorkFile(previous, true, QString::number(lastTaken), true);
  return true;
}

// "YYYY-MM-DD" as the eight characters yyyymmdd, without allocating.
struct Yyyymmdd {
  char16_t text[8];
  explicit Yyyymmdd(const QString& iso) {
    static constexpr int from[8] = {0, 1, 2, 3, 5, 6, 8, 9};
    for (int i = 0; i < 8; ++i) text[i] = iso[from[i]].unicode();
  }
  QStringView view() const { return QStringView(text, 8); }
};

bool inDateRange(QStringView yyyymmdd) {
  return yyyymmdd.compare(ReadConditions.StartDate) >= 0 && yyyymmdd.compare(ReadConditions.EndDate) <= 0;
}

enum class QsoLine { Taken, Passed };

// The line of the QSO now in Qso when it passes the reading conditions and the date range.
QsoLine lineOfQso(int32_t recNo, QByteArray& lines) {
  if (!QsoPassesConditions()) return QsoLine::Passed;
  if (!QsoDateIsValid(Qso.QsoDate)) return QsoLine::Passed;  // the callers have counted it
  const Yyyymmdd date(Qso.QsoDate);
  if (!inDateRange(date.view())) return QsoLine::Passed;
  AppendDmyDbsLine(lines, Qso.QsoCode, Qso.QsoBand, Qso.QslReceived, Qso.QslVia, recNo, date.view());
  return QsoLine::Taken;
}

// What an extraction found besides its lines.
struct Extraction {
  QByteArray lines;
  bool sorted = false;  // the lines already in the work file's order
  int32_t lastTaken = 0;
  std::vector<std::pair<int32_t, QString>> freqErrors;  // record number, report line
  std::vector<std::pair<int32_t, QString>> badDates;    // record number, date as stored: no QSO
};

// ---- The record-by-record extraction through the access layer's readers.

enum class ReadEnd { Done, Stopped, Failed };

ReadEnd extractPerRecord(SheetProgress& progress, Extraction& x) {
  SheetTallyState& t = SheetTally;
  const int32_t total = Hamlog.HdbRecordCount;
  QElapsedTimer pumpClock;
  pumpClock.start();
  int32_t sincePump = 0;
  for (;;) {
    if (progress.StopRequested()) return ReadEnd::Stopped;
    if (t.ReadPosition >= total) return ReadEnd::Done;  // never past the last record
    ++t.ReadPosition;
    Qso.QsoRecNo = t.ReadPosition;
    const int32_t read = ReadQsoBasic(Qso.QsoRecNo, 0);
    if (read == 1) return ReadEnd::Failed;  // it has told the operator
    // Esc and the counter get through every 8192 records, and at least every 50 ms.
    if (++sincePump >= 8192 || ((sincePump & 255) == 0 && pumpClock.elapsed() >= 50)) {
      progress.Counter(t.ReadPosition, total);
      sincePump = 0;
      pumpClock.restart();
    }
    if (read == kQsoDeleted) continue;
    if (!QsoDateIsValid(Qso.QsoDate)) {
      x.badDates.emplace_back(t.ReadPosition, Qso.RawDate);  // told once, after the reading
      continue;
    }
    if (lineOfQso(t.ReadPosition, x.lines) == QsoLine::Taken) x.lastTaken = t.ReadPosition;
  }
}

// ---- The whole-log extraction: the records read in parallel ranges, their fields taken into the column
// copy and their lines made from those. A record the copy leaves for the reader (a byte outside ASCII
// in a field it takes, or a date not in the stored "YY/MM/DD" form) goes through the access layer's
// reader afterwards, on this thread, so both extractions give the same lines.

constexpr hamlog::FieldSpan kMode = hamlog::SpanOf(7), kFreq = hamlog::SpanOf(6);

// The reading conditions as the worker threads test them (read only while they run).
struct Conditions {
  // Copies: the settings may change on the window thread while the workers run.
  const QString selMode = ReadConditions.SelMode;
  const QString digitalModes = Settings.DigitalModes;
  const QString startDate = ReadConditions.StartDate, endDate = ReadConditions.EndDate;
  bool extendedBands = Settings.ExtendedBandSet == 1;
  bool allModes = selMode == QLatin1String("MIX");
  bool digital = selMode == QLatin1String("DIGITAL");
  std::vector<char16_t> excludedVia;
  // The period as bytes when both ends are ASCII (compared bytewise as the texts compare), else empty.
  std::optional<std::pair<QByteArray, QByteArray>> asciiPeriod;
  // The period as numbers when both ends are eight digits (then the numbers compare as the texts).
  std::optional<std::pair<int32_t, int32_t>> numericPeriod;
  // The line's band bytes by the column copy's band number; 0 for a number of no band.
  std::array<uint32_t, 256> bandWords{};
  Conditions() {
    for (size_t i = 0; i < bandWords.size(); ++i) {
      const QByteArray label = PaddedBandLabel(int(i), extendedBands).toLatin1();
      if (label.size() == 4 && label[0] != ' ') std::memcpy(&bandWords[i], label.constData(), 4);
    }
    for (const QString& kind : ReadConditions.ExcludedQslKinds)
      if (kind.size() == 1) excludedVia.push_back(kind[0].unicode());
    auto ascii = [](const QString& t) {
      return std::all_of(t.begin(), t.end(), [](QChar c) { return c.unicode() < 0x80; });
    };
    if (ascii(startDate) && ascii(endDate)) asciiPeriod.emplace(startDate.toLatin1(), endDate.toLatin1());
    auto eightDigits = [](const QString& t) {
      return t.size() == 8 &&
             std::all_of(t.begin(), t.end(), [](QChar c) { return c.isDigit() && c.unicode() < 0x80; });
    };
    if (eightDigits(startDate) && eightDigits(endDate))
      numericPeriod.emplace(startDate.toInt(), endDate.toInt());
  }
  bool InPeriod(int32_t date, const char* yyyymmdd) const {
    if (numericPeriod) return date >= numericPeriod->first && date <= numericPeriod->second;
    if (!asciiPeriod) {
      char16_t wide[8];
      std::copy(yyyymmdd, yyyymmdd + 8, wide);
      const QStringView d(wide, 8);
      return d.compare(startDate) >= 0 && d.compare(endDate) <= 0;
    }
    const std::string_view d(yyyymmdd, 8);
    return d >= std::string_view(asciiPeriod->first.constData(), size_t(asciiPeriod->first.size())) &&
           d <= std::string_view(asciiPeriod->second.constData(), size_t(asciiPeriod->second.size()));
  }
};

// The leading bytes of a record that the pass looks at: every field the reader takes as well, and the
// bytes of the log's print (LogPrint.h).
constexpr int kHeadWidth = kQsoColumnHeadWidth;

// A part's lines go into one buffer for the whole pass, from the place of its first record on (a
// record gives one line at most), and are grouped by their sort key as they come; the parts then go
// to their places in the sorted file side by side. Each part is written by its own thread.
struct alignas(kCacheLineBytes) Part {
  Extraction x;  // x.lines unused: the lines are at `base` in the shared buffer
  qsizetype base = -1;
  DmyDbsRun run;
  struct Later {
    int32_t recNo;
    size_t line;  // its place among the part's lines
    std::vector<unsigned char> image;
  };
  std::vector<Later> later;
  std::vector<int8_t> modeSelected;  // by the column fill's mode number: -1 not known yet, else 0 or 1
  // Lines whose groups are still to be found, a batch at a time: their places among the part's lines.
  std::array<size_t, DmyDbsGroups::kBatch> waiting;
  size_t waitingCount = 0;

  void findGroups() {
    const char* lines[DmyDbsGroups::kBatch];
    uint32_t groups[DmyDbsGroups::kBatch];
    for (size_t i = 0; i < waitingCount; ++i) lines[i] = run.lines + waiting[i] * kDmyDbsRecordBytes;
    run.groups.AddMany(lines, waitingCount, groups);
    for (size_t i = 0; i < waitingCount; ++i) run.groupOfLine[waiting[i]] = groups[i];
    waitingCount = 0;
  }
};

// Whether a mode passes the reading's mode, by the mode's text.
bool modeSelected(QLatin1StringView mode, const Conditions& c) {
  if (c.digital) return c.digitalModes.contains(mode);
  return c.allModes || mode == c.selMode;
}

// One record on a worker thread, from the fields the column copy took of it (the frequency's and the
// mode's texts from the record's bytes where the copy keeps a number); its line (if any) is written at
// `line`. `taken` tells whether a line was written.
void takeRecord(const QsoColumnRecord& r, const unsigned char* image, int32_t recNo, const Conditions& c,
                Part& part, char* line, bool& taken) {
  taken = false;
  const uint32_t band = c.bandWords[r.band];
  if (band == 0) {
    const TrimmedField freq(image + kFreq.offset, kFreq.width);
    part.x.freqErrors.emplace_back(recNo, FreqErrorLine(recNo, QString(freq.latin1())));
    return;
  }
  // The code's bytes, NUL-padded (a trimmed code holds no NUL). The fill has only just stored them in
  // small pieces: read as a 4- and a 2-byte piece, not as one word that would wait for those stores.
  uint32_t codeHead;
  uint16_t codeTail;
  std::memcpy(&codeHead, r.code, 4);
  std::memcpy(&codeTail, r.code + 4, 2);
  const uint64_t code = codeHead | uint64_t(codeTail) << 32;
  const int codeSize = code == 0 ? 0 : (71 - __builtin_clzll(code)) / 8;
  constexpr uint64_t k0100 = 0x30303130;  // "0100"
  if (codeSize < 4 || code == k0100) return;
  // A part numbers its modes as it meets them: each number's selection is worked out once.
  bool selected;
  if (r.mode == QsoColumnRecord::kModeInTexts) {
    selected = modeSelected(TrimmedField(image + kMode.offset, kMode.width).latin1(), c);
  } else {
    if (r.mode >= part.modeSelected.size()) part.modeSelected.resize(size_t(r.mode) + 1, -1);
    int8_t& known = part.modeSelected[r.mode];
    if (known < 0) known = modeSelected(TrimmedField(image + kMode.offset, kMode.width).latin1(), c) ? 1 : 0;
    selected = known == 1;
  }
  if (!selected) return;
  for (char16_t kind : c.excludedVia)
    if (kind == char16_t(static_cast<unsigned char>(r.via()))) return;
  const uint64_t date = DmyDbsEightDigits(uint32_t(r.date));
  if (!c.InPeriod(r.date, reinterpret_cast<const char*>(&date))) return;
  const char last = char(code >> (8 * (codeSize - 1)));
  WriteDmyDbsLine(line, DmyDbsLineWords{DmyDbsKindFlag(codeSize, char16_t(uint8_t(last))), code, band,
                                        r.received(), r.via(), recNo, date});
  part.x.lastTaken = recNo;
  taken = true;
}

void onWorker(const QsoColumnRecord* record, const unsigned char* image, int32_t recNo, int32_t first,
              const Conditions& c, Part& part, char* buffer) {
  if (part.base < 0) {
    part.base = qsizetype(recNo - first) * kDmyDbsRecordBytes;
    part.run.lines = buffer + part.base;
  }
  const size_t at = part.run.groupOfLine.size();
  char* line = buffer + part.base + qsizetype(at) * kDmyDbsRecordBytes;
  if (record) {
    bool taken;
    takeRecord(*record, image, recNo, c, part, line, taken);
    if (taken) {
      part.run.groupOfLine.push_back(kDmyDbsNoGroup);
      part.waiting[part.waitingCount++] = at;
      if (part.waitingCount == part.waiting.size()) part.findGroups();
    }
    return;
  }
  // The reader takes the record afterwards: its fields beyond the head are blanks it does not read.
  std::vector<unsigned char> whole(hamlog::kHdbRecordLength, ' ');
  std::copy(image, image + kHeadWidth, whole.begin());
  part.later.push_back({recNo, at, std::move(whole)});
  part.run.groupOfLine.push_back(kDmyDbsNoGroup);
}

// Room for the unsorted lines of a pass, given back to the system when the sorted lines are made: a
// heap block of that size would stay with the process after it is freed.
class LineRoom {
 public:
  explicit LineRoom(size_t bytes) : size_(bytes) {
    if (size_ == 0) return;
    void* p = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    data_ = static_cast<char*>(p);
    PreferHugePages(p, size_);
  }
  ~LineRoom() {
    if (data_) ::munmap(data_, size_);
  }
  LineRoom(const LineRoom&) = delete;
  LineRoom& operator=(const LineRoom&) = delete;
  char* Data() const { return data_; }

 private:
  size_t size_;
  char* data_ = nullptr;
};

// The groups a reading expects: the master's codes on the band labels.
DmyDbsKeyBook keyBookOfMaster() {
  std::vector<uint64_t> codes;
  std::vector<uint32_t> bands;
  char line[kDmyDbsRecordBytes];
  auto lineOf = [&](const QByteArray& code, const QByteArray& band) {
    WriteDmyDbsLine(line, {DmyDbsKindFlag(code.size(), code.isEmpty() ? u'\0' : char16_t(code.back())), code,
                           band, ' ', ' ', 0, "00000000"});
    return line;
  };
  const int32_t rows = std::min(SheetTally.MasterRowCount, MasterTable.Rows());
  for (int32_t r = 1; r <= rows; ++r) {
    const QString code = MasterTable(1, r).trimmed();
    if (code.size() >= 4 && code.size() <= 6 && std::all_of(code.begin(), code.end(), [](QChar c) {
          return c.unicode() > 0x20 && c.unicode() < 0x80;
        }))
      codes.push_back(DmyDbsGroupKey::CodeOf(lineOf(code.toLatin1(), "    ")));
  }
  for (int i = 0; i < kBandCount; ++i)
    bands.push_back(DmyDbsGroupKey::BandOf(lineOf("0000", QByteArray(Bands[i].label).leftJustified(4, ' '))));
  return DmyDbsKeyBook(std::move(codes), std::move(bands));
}

// The records left for the reader take their places, then the parts' lines go out sorted.
void joinParts(std::vector<Part>& parts, Extraction& x) {
  std::vector<DmyDbsRun> runs;
  for (Part& p : parts) {
    if (p.base < 0) continue;
    p.findGroups();
    x.lastTaken = std::max(x.lastTaken, p.x.lastTaken);
    for (auto& e : p.x.freqErrors) x.freqErrors.push_back(std::move(e));
    for (const Part::Later& l : p.later) {
      TakeQsoBasicFromImage(l.image.data(), l.recNo);
      if (Qso.QsoBand.at(0) == u' ') x.freqErrors.emplace_back(l.recNo, FreqErrorLine(l.recNo, Qso.QsoFreq));
      if (!QsoDateIsValid(Qso.QsoDate)) {
        x.badDates.emplace_back(l.recNo, Qso.RawDate);
        continue;
      }
      QByteArray one;
      const QsoLine outcome = lineOfQso(l.recNo, one);
      if (outcome == QsoLine::Taken) {
        char* line = const_cast<char*>(p.run.lines) + l.line * kDmyDbsRecordBytes;
        std::memcpy(line, one.constData(), kDmyDbsRecordBytes);
        p.run.groupOfLine[l.line] = p.run.groups.Add(line);
        x.lastTaken = std::max(x.lastTaken, l.recNo);
      }
    }
    runs.push_back(std::move(p.run));
  }
  x.lines = SortDmyDbsRuns(runs);
  x.sorted = true;
  auto byRecord = [](const auto& a, const auto& b) { return a.first < b.first; };
  std::stable_sort(x.freqErrors.begin(), x.freqErrors.end(), byRecord);
  std::stable_sort(x.badDates.begin(), x.badDates.end(), byRecord);
}

// A pass that did not run through, by HAMLOG's answer: the status code for the sheet, and why when
// that code does not tell.
void failPass(SheetProgress& progress, int32_t result) {
  if (result == kHdbScanStopped) return fail(progress, kReadStoppedByEsc);
  if (result == HAMLOG_CHANGED) return fail(progress, kReadHamlogChanged);
  if (result == HAMLOG_BAD_COUNT) return fail(progress, kReadHamlogBadCount);
  // The wait for another program's write was ended: its box names the file and the program.
  if (result == HAMLOG_LOCKED) return fail(progress, kReadRecordFailed, HamlogProblem());
  fail(progress, kReadRecordFailed,
       Hamlog.HamlogDbPath + QStringLiteral(" が読めません (") + HamlogWriteFailureText(result, 0) +
           QStringLiteral(")。読込を中止しました。"));
}

// HAMLOG_OK, or the pass's failure (failPass).
int32_t extractWholeLog(SheetProgress& progress, Extraction& x, int32_t printFrom, LogPrint& print) {
  SheetTallyState& t = SheetTally;
  if (progress.StopRequested()) return kHdbScanStopped;
  const int32_t first = t.ReadPosition + 1, total = Hamlog.HdbRecordCount;
  const Conditions conditions;
  const DmyDbsKeyBook book = keyBookOfMaster();
  // As many parts as the pass uses: an append's few records need not set up a part for each core.
  std::vector<Part> parts(static_cast<size_t>(HdbScanParts(int64_t(total) - first + 1)));
  std::vector<LogPrint> prints(parts.size());
  // A part's share of the records at most gives its lines (the pages no line reaches are not touched).
  const size_t share = size_t(std::max(total - first + 1, 0)) / parts.size() + 1;
  for (Part& p : parts) {
    p.run = DmyDbsRun(&book);
    p.run.groupOfLine.reserve(share);
  }
  // Room for a line per record; the pages no line reaches are never touched.
  const LineRoom room(size_t(std::max(total - first + 1, 0)) * kDmyDbsRecordBytes);
  char* buffer = room.Data();
  // The column copy takes each record's fields first (the award sheets, the member check and the
  // roadside sheet read them later); the line is made from what it took.
  QsoColumnFill columns(first, total, int(parts.size()));
  const int32_t result = ScanHdbRecords(
      first, total, int(parts.size()),
      [&](int part, int32_t recNo, const unsigned char* image) {
        onWorker(columns.Take(part, recNo, image), image, recNo, first, conditions, parts[part], buffer);
        if (recNo > printFrom) prints[size_t(part)].Add(recNo, image);
      },
      [&](int32_t done) {
        t.ReadPosition = first - 1 + done;
        progress.Counter(t.ReadPosition, total);
        return !progress.StopRequested();
      },
      kHeadWidth);
  if (result != HAMLOG_OK) return result;
  for (const LogPrint& p : prints) print += p;
  t.ReadPosition = std::max(t.ReadPosition, total);
  columns.Commit();
  joinParts(parts, x);
  return 0;
}

}  // namespace

bool ModeIsSelected(const QString& mode) { return ModeInReadingMode(mode, ReadConditions.SelMode); }

bool QsoPassesConditions() {
  if (QStringView(Qso.QsoBand).trimmed().isEmpty()) return false;
  if (Qso.QsoCode.size() < 4 || Qso.QsoCode == QLatin1String("0100")) return false;
  if (!ModeIsSelected(Qso.QsoMode)) return false;
  for (const QString& kind : ReadConditions.ExcludedQslKinds)
    if (!kind.isEmpty() && kind == Qso.QslVia) return false;
  return true;
}

void BuildDmyDbs(SheetProgress& progress) {
  SheetTallyState& t = SheetTally;
  const auto lock = progress.LockJobs();
  const bool knownRewritten = std::exchange(t.LogKnownRewritten, false);
  SettleWorkFile();  // the previous append's file in place before anything is read or written
  if (t.AppendRead != 1 && StartFlags.StartWithPreviousData == 1) {
    reusePreviousFile(progress);
    return;
  }
  bool append = t.AppendRead == 1;

  // HAMLOG first: when it does not open, the previous work file is not touched.
  if (HamlogOpenDb() != 0) {
    closeHamlog();
    fail(progress, append ? kReadAppendNoHamlog : kReadNoHamlog);
    return;
  }
  NoteHamlogBeforeReading();
  t.ReadPosition = 0;
  LogPrint print;  // of the records read before, then of those read now as well
  if (append) {
    // Records gone or moved since they were read: what the sheet holds of them no longer stands, and
    // the records after LASTP are not the new ones. The whole log is read again.
    LogSinceReading since = LogSinceReading::Rewritten;
    // A log with the stamp recorded at the last reading, or grown since by this process alone, holds
    // the records that reading read as it found them: they are not read again.
    const std::optional<LogPrint> kept = LogPrint::FromText(ReadIni("ORB", "DBSLogPrint"));
    if (!knownRewritten && kept && kept->Records <= Hamlog.HdbRecordCount &&
        (WorkFileStamp.NotedLog == ReadIni("ORB", "DBSStampLog") || HamlogGrownOnlyByUs(kept->Records))) {
      since = LogSinceReading::Grown;
      print = *kept;
    } else if (const int32_t r = knownRewritten ? HAMLOG_OK : CompareLogWithReading(progress, since, print);
               r != HAMLOG_OK) {
      closeHamlog();
      failPass(progress, r);
      return;
    }
    // QSL marks moved on records read (a card entered in HAMLOG) are taken only by reading them again.
    append = since == LogSinceReading::Grown;
    if (!append) {
      print = {};  // the marks as they are now
      progress.ReadingWholeLog();
      // As at a start, the reading reports its frequencies anew.
      Kill(JoinPath(Settings.DataFolder, "FreqError_Report.txt"));
    }
  }
  const bool readAgain = t.AppendRead == 1 && !append;
  if (append) {
    // Where the last reading stopped; a value outside the log would read the wrong records.
    QStringList unusable;
    t.ReadPosition =
        StoredNumber("ORB", "LASTP", Settings.LastExtractedRecord, 0, 0, Hamlog.HdbRecordCount, unusable);
    if (!unusable.isEmpty()) {
      closeHamlog();
      fail(progress, kReadAppendNoHamlog,
           IniFilePath() + QStringLiteral(" の ") + unusable[0] +
               QStringLiteral(" が HAMLOG.HDB のレコード数 (") + QString::number(Hamlog.HdbRecordCount) +
               QStringLiteral(") に合いません。HAMLOG.HDB から読み直して下さい。"));
      return;
    }
  }
  progress.Status(QStringLiteral("読込中"));

  Extraction x;
  if (DmyDbsExtractionPath == DmyDbsExtraction::PerRecord) {
    if (t.ReadPosition == 0) QsoColumns.Drop();  // this way fills no copy
    x.lines.reserve(qsizetype(std::clamp(Hamlog.HdbRecordCount - t.ReadPosition, 0, 4'000'000)) *
                    kDmyDbsRecordBytes);
    const ReadEnd end = extractPerRecord(progress, x);
    if (end != ReadEnd::Done) {
      const int32_t result = Hamlog.LastResult;
      closeHamlog();
      if (end == ReadEnd::Stopped)
        fail(progress, kReadStoppedByEsc);
      else
        fail(progress, kReadRecordFailed, recordFailureText(t.ReadPosition, result));
      return;
    }
  } else if (const int32_t r = extractWholeLog(progress, x, print.Records, print); r != HAMLOG_OK) {
    closeHamlog();
    failPass(progress, r);
    return;
  }
  if (DmyDbsExtractionPath == DmyDbsExtraction::PerRecord) {
    if (const int32_t r = PrintHdbRecords(print.Records + 1, Hamlog.HdbRecordCount, print, progress);
        r != HAMLOG_OK) {
      closeHamlog();
      failPass(progress, r);
      return;
    }
  }
  print.Records = std::max(print.Records, Hamlog.HdbRecordCount);
  WorkFileStamp.Print = print;
  AppendFreqErrorReport([&] {
    QStringList report;
    for (const auto& e : x.freqErrors) report << e.second;
    return report;
  }());
  // The records the reading could not use (zeroed or damaged records, dates that are no date), in one
  // message: one box each would keep the operator pressing Enter.
  if (!x.badDates.empty()) MsgBox(BadQsoDatesMessage(x.badDates), vbOKOnly);
  const bool tookLine = !x.lines.isEmpty();
  const int32_t lastTaken = x.lastTaken;
  if (tookLine) t.NewLinesWritten = 1;
  QByteArray& lines = x.lines;
  closeHamlog();
  if (append && !tookLine) {
    // Nothing new: no sort, no collation, LASTP as it was; the file stays what a reading of the log
    // as it is now gives.
    RecordLogReadUnchangedFile();
    return;
  }

  progress.Status(QStringLiteral("SORT中"));
  QByteArray all;
  bool sortedForm = false;
  if (append) {
    // The lines already there stay: those the sheet holds when they are the file, else the file's. A
    // file that is there but cannot be read stops the append.
    QByteArray* held = HeldWorkFileLines(&sortedForm);
    if (!held && IsFile(DmyDbsPath()) && !ReadWholeFile(DmyDbsPath(), all)) {
      fail(progress, kReadFileError, DmyDbsPath() + QStringLiteral(" が読めません。"));
      return;
    }
    if (held && appendInOrder(progress, *held, sortedForm, lines, lastTaken)) return;
    if (held) all = *held;
    all += lines;
    lines.clear();
    // Every line is collated again: the counts start from nothing, and so do the marks when the sheet
    // showed other lines than the file's (a store that failed, a file edited by hand).
    if (held)
      SheetTally.CellQsoCounts.Redim(SheetTally.CellQsoCounts.LastColumn(), SheetTally.CellQsoCounts.Rows());
    else
      clearCollation();
  } else {
    all.swap(lines);
  }
  bool sortedLines = x.sorted && !append;
  if ((append || !x.sorted) && !sortBytes(progress, all, sortedLines)) {
    progress.PreviousDataUnusable();
    fail(progress, kReadSortGaveUp);
    return;
  }
  // The file goes to disk while the marks are collated from the same bytes. A reading that took no line
  // lets the next append read from the first record.
  StoreWorkFile(all, sortedLines, QString::number(tookLine ? lastTaken : 0), false);
  if (readAgain) {
    clearCollation();
    t.NewLinesWritten = 1;  // the whole sheet is drawn again
  }
  collateAndFill(progress, all);
  if (const QString why = SettleWorkFile(); !why.isEmpty()) fail(progress, kReadFileError, why);
}
