#pragma once
// A compact in-memory copy of the QSO fields that the award sheets, the member check and the roadside
// sheet look at: one entry of 32 bytes per record of HAMLOG.HDB (index = record number) plus the call
// signs, made by the progress sheet's whole-log pass, so that those views are group-bys in memory
// instead of a read of the log record by record.
//
//   if (QsoColumns.ReadToLogEnd() != HAMLOG_OK) { the record-by-record way }  // at once when current
//   for (int32_t n = 1; n <= QsoColumns.Count(); ++n) {
//     const QsoColumnRecord& r = QsoColumns[n];
//     if (!r.Live()) continue;                                                  // deleted
//     if (!r.Plain()) { const QsoColumnTexts& t = QsoColumns.Texts(n); ... }   // texts as the reader gives
//     ... r.date, r.band, QsoColumns.Call(n), r.Code(), r.Grid(), r.via(), r.received(), r.mode ...
//   }
//
// Every live record has date, band, call (bytes) and mode (Mode(n) when it is kModeInTexts: more than
// 254 modes); code, grid, QSL and the frequency's digits are in the record for Plain records only, in
// Texts for the others.
//
// What a record holds is what the access layer's readers (ReadQsoBasic depth 0) leave in Qso: texts
// with NULs removed and blanks trimmed, the date as a number when the reader turns it into
// "YYYY-MM-DD", the band of the frequency by the extended set's rules. A record whose fields hold a
// byte outside ASCII, or whose date is not the stored "YY/MM/DD" of a real day, is taken through the
// reader itself; its texts are then kept as QStrings (Texts), so every consumer sees exactly what the
// reader would give.
//
// The copy belongs to one log: Hamlog.HamlogDbPath as it was when the copy took its records, noted
// by the file's identity, size, modification and change times. A reading from the first record makes
// it anew; the sheet's appending read (records after SheetTally.ReadPosition) and ReadToLogEnd extend
// it. A log found as noted is the copy's log (a stat, no read). A log written since is followed through
// the writes this process made to it (HdbWrite, hamlog.h): the records they rewrote are taken again
// one by one and the records they appended are added, when the file found is the one the last of them
// left.
// Any other change (another program's write, a log replaced, cut short, packed, or rewritten at the same
// size and time) may have touched any record: ReadToLogEnd then looks at every record's leading bytes
// (a hash of those each record was taken from is kept) and takes again the few that differ, or reads
// the whole log again (a record gone, a file replaced, many changed); an extension drops the copy
// instead (CoversLogEnd is false until then).
//
// Thread use: filled on worker threads through QsoColumnFill, read on the window thread.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/unix_file.h"

struct QsoColumnRecord {
  enum Flag : uint8_t {
    kLive = 1,       // a QSO: not marked deleted (a record never read is not live either)
    kIrregular = 2,  // its texts are in QsoColumnCopy::Texts (see above)
    kBox13 = 4,      // remarks 1 carries the roadside box mark (valid once RemarkMarks() is true)
    kBox14 = 8,      // remarks 2 carries it (and remarks 1 does not)
  };
  int32_t date;         // yyyymmdd; 0 when the reader gives no "YYYY-MM-DD"
  uint32_t callAt;      // where the call's bytes begin in the call pool
  uint32_t freqDigits;  // the frequency's digits as a number (see QsoColumnCopy::Freq)
  uint8_t callSize;
  uint8_t band;       // BandIndexOf(frequency): 0 = no band; PaddedBandLabel gives the label
  uint8_t freqShape;  // 0: the text is kept apart; else its length (low 4 bits), 1 + the place of its "."
                      // (high 4 bits, 0 when none)
  uint8_t mode;       // index into QsoColumnCopy::Modes(); kModeInTexts: see QsoColumnCopy::Mode
  char code[6];       // trimmed, NUL-padded (Plain records)
  char grid[6];       // trimmed, NUL-padded (Plain records)
  char qsl[3];        // via, sent, received as stored (Plain records)
  uint8_t flags;

  static constexpr uint8_t kModeInTexts = 255;
  bool Live() const { return (flags & kLive) != 0; }
  bool Plain() const { return (flags & (kLive | kIrregular)) == kLive; }
  QByteArrayView Code() const { return QByteArrayView(code, qsizetype(strnlen(code, 6))); }
  QByteArrayView Grid() const { return QByteArrayView(grid, qsizetype(strnlen(grid, 6))); }
  char via() const { return qsl[0]; }
  char received() const { return qsl[2]; }
};
static_assert(sizeof(QsoColumnRecord) == 32);

// A record's fields as the reader gives them, for records that are not Plain.
struct QsoColumnTexts {
  QString call, rawDate, freq, mode, code, grid, qsl;  // qsl: the three characters as delivered
};

// Records first .. last in one zeroed block (a zeroed record is no QSO), given by the system in pages
// that are touched only when written.
class QsoColumnRecords {
 public:
  QsoColumnRecords() = default;
  QsoColumnRecords(int32_t first, int32_t last);
  ~QsoColumnRecords();
  QsoColumnRecords(QsoColumnRecords&& o) noexcept { swap(o); }
  QsoColumnRecords& operator=(QsoColumnRecords&& o) noexcept {
    swap(o);
    return *this;
  }
  void swap(QsoColumnRecords& o) noexcept {
    std::swap(data_, o.data_);
    std::swap(first_, o.first_);
    std::swap(size_, o.size_);
    std::swap(capacity_, o.capacity_);
  }
  QsoColumnRecord& At(int32_t recNo) { return data_[size_t(recNo - first_)]; }
  const QsoColumnRecord& At(int32_t recNo) const { return data_[size_t(recNo - first_)]; }
  // Grows to hold records through `last`, the new ones zeroed.
  void Extend(int32_t last);
  size_t Size() const { return size_; }

 private:
  QsoColumnRecord* data_ = nullptr;
  int32_t first_ = 1;
  size_t size_ = 0, capacity_ = 0;
  static constexpr size_t kRoomAhead = 65536;  // records: 2 MB
};

class QsoColumnCopy {
 public:
  // ---- Which log, how far

  // Records 1 .. Count() are held (Count() may be 0: nothing held).
  int32_t Count() const { return count_; }
  // Whether the copy is of the log now named by Hamlog.HamlogDbPath and nothing was written to it
  // since the copy read it (so it holds every record and each as it is).
  bool CoversLogEnd() const;
  // Brings the copy up to the log as it is now (see above): the records this process rewrote taken
  // again, the records after Count() read in parallel, or the whole log. Opens and closes the log itself
  // when it is closed. HAMLOG_OK, or the library's result (the copy is then dropped).
  int32_t ReadToLogEnd();
  // Forgets everything (a log replaced, a reading from the start about to begin).
  void Drop();

  // ---- Per record (1 <= recNo <= Count())

  const QsoColumnRecord& operator[](int32_t recNo) const { return records_.At(recNo); }
  // The call's bytes as stored (Windows-31J; NULs removed, blanks trimmed).
  QByteArrayView Call(int32_t recNo) const {
    const QsoColumnRecord& r = records_.At(recNo);
    return QByteArrayView(calls_.data() + r.callAt, r.callSize);
  }
  // Asks the processor for the records and their calls ahead of a walk over them in this order (a
  // call's records lie all over the copy: fetched one by one, each waits for memory).
  void Prefetch(const std::vector<int32_t>& recNos) const {
    for (size_t i = 0; i < recNos.size() && i < kPrefetchDistance; ++i) PrefetchAhead(recNos, i);
  }
  // During such a walk, at its i-th record: the record some places on, and the call of one nearer
  // (its record has arrived by then). Prefetch starts the walk.
  void PrefetchAhead(const std::vector<int32_t>& recNos, size_t i) const {
    if (i + kPrefetchDistance < recNos.size()) prefetchRecord(recNos[i + kPrefetchDistance]);
    if (i + kPrefetchDistance / 2 < recNos.size()) {
      const int32_t n = recNos[i + kPrefetchDistance / 2];
      if (n >= 1 && n <= count_) __builtin_prefetch(calls_.data() + records_.At(n).callAt);
    }
  }
  // The frequency text as the reader gives it.
  QString Freq(int32_t recNo) const;
  // The mode text (Modes()[mode], or the text kept apart for kModeInTexts, or Texts(n).mode).
  QString Mode(int32_t recNo) const;
  // The date text as stored, for messages about a record whose date is 0.
  QString RawDate(int32_t recNo) const;
  // Texts of a record that is not Plain (empty texts for any other).
  const QsoColumnTexts& Texts(int32_t recNo) const;
  // The modes, each once; QsoColumnRecord::mode indexes this list.
  const QStringList& Modes() const { return modes_; }
  // Records whose call holds a "/", ascending.
  const std::vector<int32_t>& SlashedCalls() const { return slashed_; }
  // Live records whose date is 0 (zeroed or damaged records, dates that are no date), ascending.
  const std::vector<int32_t>& UndatedRecords() const { return undated_; }

  // ---- Roadside box marks (read on first need: the sheet load does not read the remarks)

  // Whether kBox13 / kBox14 are set for every held record; false until ReadRemarkMarks ran.
  bool RemarkMarks() const { return marksThrough_ == count_ && count_ > 0; }
  // Reads remarks 1 and 2 of the held records not read for marks yet, in parallel, and keeps the bytes
  // of the marked remark (13 before 14) of each marked record (call ReadToLogEnd first for a current
  // copy). Opens and closes the log itself when it is closed. HAMLOG_OK or the library's result.
  // A reading ahead (ReadRemarkMarksAhead) is stopped where it is, and what it found of this very log
  // is taken first: only the rest is read.
  int32_t ReadRemarkMarks();
  // Starts reading the marks of the held records on a thread of its own that runs when the processors
  // are otherwise idle, so that the roadside sheet's first open finds them read; a copy dropped,
  // extended or of a log written since takes nothing of it.
  void ReadRemarkMarksAhead();
  // The marked remark's bytes (254, as stored) of a record with kBox13 or kBox14; empty otherwise.
  QByteArrayView MarkedRemark(int32_t recNo) const;
  // Every record with kBox13 or kBox14, ascending, with its marked remark's bytes.
  const std::vector<std::pair<int32_t, QByteArray>>& MarkedRemarks() const { return remarks_; }

  // Bytes the copy holds (records, calls, side tables), for the benches.
  size_t Footprint() const;

  QsoColumnCopy() = default;
  ~QsoColumnCopy();
  QsoColumnCopy(const QsoColumnCopy&) = delete;
  QsoColumnCopy& operator=(const QsoColumnCopy&) = delete;

 private:
  static constexpr size_t kPrefetchDistance = 8;
  // The first of remarks_ at or after record n.
  std::vector<std::pair<int32_t, QByteArray>>::const_iterator remarkFrom(int32_t n) const;
  void prefetchRecord(int32_t n) const {
    if (n >= 1 && n <= count_) __builtin_prefetch(&records_.At(n));
  }
  friend class QsoColumnFill;
  struct Ahead;
  // The reading ahead's findings when they are of the log as the copy holds it; it is ended either way.
  void takeAhead();
  void endAhead();
  // True when the log is as noted, or was changed since only by writes of this process: the note then
  // moves on to the log as it is, and the records they rewrote join stale_. False for any other change.
  bool catchUp();
  // Takes the records of stale_ again, one by one, with their remark marks when those were read.
  int32_t retakeStale();
  // After another program's write to the log the copy holds: the records whose leading bytes are not
  // the ones the copy took them from (their hashes compared in one pass) are taken again, the remark
  // marks left to be read anew, and new records added; kNotExtended when that cannot tell (a record
  // gone, the first or many changed, the file replaced or written meanwhile).
  int32_t retakeChanged(int32_t total);
  // A fill of records first .. last through a pass over them; kNotExtended when the copy could not be
  // extended by it (the log changed meanwhile).
  int32_t fillRange(int32_t first, int32_t last, bool wholeRecords = false,
                    const std::function<void(int32_t, const unsigned char*)>& alsoSee = {});
  static constexpr int32_t kNotExtended = -1;
  std::unique_ptr<Ahead> ahead_;
  QString path_;
  hamlog::FileStat note_;       // the log whose records the copy holds (all but stale_)
  uint64_t writesSeen_ = 0;     // the last write of this process the note takes in
  std::vector<int32_t> stale_;  // records this process rewrote since the copy took them, ascending
  std::vector<uint64_t> heads_;  // by record number - 1: the hash of the leading bytes each was taken from
  int32_t count_ = 0;
  int32_t marksThrough_ = 0;
  QsoColumnRecords records_;
  std::vector<char> calls_;
  QStringList modes_;
  std::map<int32_t, QsoColumnTexts> texts_;
  std::map<int32_t, QString> oddFreqs_, rawDates_, modeTexts_;
  std::vector<std::pair<int32_t, QByteArray>> remarks_;  // ascending: walked in order by the roadside scan
  std::vector<int32_t> slashed_, undated_;
};

extern QsoColumnCopy QsoColumns;

// A field's bytes with NULs taken out and ASCII blanks trimmed, as the reader leaves an ASCII field;
// most fields hold no NUL and are trimmed in place (`text` then points into the field). Made five times
// for each record of the log, hence here, to be inlined.
struct TrimmedField {
  const char* text;
  int size = 0;
  char buffer[32];  // the kept bytes of a field with NULs (the widest field taken, the call, is 20)
  // `readable`: how many bytes from p may be read, when more than the field's (a narrow field is then
  // looked at in one go).
  TrimmedField(const unsigned char* p, int width, int readable = 0) {
#ifdef __SSE2__
    if (width >= 1 && width <= 32 && (width >= 16 || readable >= 16)) {
      trimBy16(p, width);
      return;
    }
#endif
    trimByWords(p, width);
  }
  TrimmedField(const TrimmedField&) = delete;
  QLatin1StringView latin1() const { return QLatin1StringView(text, size); }
  // The kept bytes of a field of at most 16, zero-padded, as a number in memory order (the first byte
  // lowest). Made from the bytes the trim looked at, in registers: a copy of `size` bytes through
  // memory would make a following read of the whole word wait for the copy's stores.
  unsigned __int128 Low16() const {
    if (!inLook_) {
      unsigned __int128 v = 0;
      std::memcpy(&v, text, size_t(std::clamp(size, 0, 16)));
      return v;
    }
    const unsigned __int128 v = look_ >> (8 * (text - reinterpret_cast<const char*>(from_)));
    return size >= 16 ? v : v & ((static_cast<unsigned __int128>(1) << (8 * size)) - 1);
  }

 private:
  const unsigned char* from_ = nullptr;
  unsigned __int128 look_ = 0;  // the 16 bytes at from_, when inLook_
  bool inLook_ = false;         // the kept bytes lie among them
#ifdef __SSE2__
  // Bits of the 16 bytes at p: which are blanks (' ' or 9 .. 13) and which are NUL.
  static void classesOf16(const unsigned char* p, uint64_t& blank, uint64_t& nul) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i fromTab = _mm_sub_epi8(v, _mm_set1_epi8(9));
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(fromTab, _mm_set1_epi8(4)), fromTab);  // 9 .. 13
    blank = uint32_t(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), control)));
    nul = uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
  }
  // Up to 32 bytes (at least 16 readable) in one or two 16-byte looks: the first and last bytes that
  // are no blank, and whether a NUL lies between them.
  void trimBy16(const unsigned char* p, int width) {
    uint64_t blank, nul;
    classesOf16(p, blank, nul);
    std::memcpy(&look_, p, 16);
    from_ = p;
    if (width > 16) {
      uint64_t highBlank, highNul;
      classesOf16(p + width - 16, highBlank, highNul);
      blank |= highBlank << (width - 16);
      nul |= highNul << (width - 16);
    }
    const uint64_t solid = ~blank & ((uint64_t(1) << width) - 1);
    const int b = solid == 0 ? 0 : __builtin_ctzll(solid), e = solid == 0 ? 0 : 64 - __builtin_clzll(solid);
    text = reinterpret_cast<const char*>(p) + b;
    size = e - b;
    inLook_ = e <= 16;
    if ((nul >> b) & ((uint64_t(1) << (e - b)) - 1)) {
      dropNuls(p + b, e - b);
      inLook_ = false;
    }
  }
#endif
  void trimByWords(const unsigned char* p, int width);
  void dropNuls(const unsigned char* p, int n);  // the `n` bytes at p trimmed, with a NUL among them
};

// True when the remark's bytes hold the roadside box mark "□" (at a character boundary).
bool HasBoxMark(const char* bytes, int length);

// The leading bytes of a record that the fill looks at (fields 0, 2, 6, 7, 8, 9 and 10).
inline constexpr int kQsoColumnHeadWidth = [] {
  int end = 0;
  for (int f : {0, 2, 6, 7, 8, 9, 10})
    end = std::max(end, hamlog::SpanOf(f).offset + hamlog::SpanOf(f).width);
  return end;
}();

// Filling the copy during a whole-log pass over records first .. last (ScanHdbRecords with at least
// kQsoColumnHeadWidth leading bytes). first == 1 makes the copy anew; a later first extends a copy of
// this log that holds at least records 1 .. first - 1, as they are now or as this process rewrote them
// (the records first .. last are taken again), and drops any other (Active false). Take runs on the
// pass's threads and gives the record it made (nullptr for a record left for the reader), also when the
// copy is not extended, so the pass can read its fields from it; Commit, on the calling thread after a
// pass that ran to its end, takes the records left for the reader (this uses Qso) and makes the records
// part of the copy. A fill from the first record drops the copy at once; an extension leaves it as it
// was until Commit.
class QsoColumnFill {
 public:
  QsoColumnFill(int32_t first, int32_t last, int parts);
  ~QsoColumnFill();
  QsoColumnFill(const QsoColumnFill&) = delete;
  QsoColumnFill& operator=(const QsoColumnFill&) = delete;
  const QsoColumnRecord* Take(int part, int32_t recNo, const unsigned char* head);
  void Commit();
  bool Active() const { return active_; }

  struct Part;

 private:
  int32_t first_, last_;
  bool active_ = true;  // false: an extension of a copy that does not end just before first
  QsoColumnRecords records_;
  hamlog::FileStat note_;  // a fill from the first record: the log as the pass found it
  uint64_t writesSeen_ = 0;
  std::vector<uint64_t> heads_;  // by record number - first_ (QsoColumnCopy::heads_)
  std::vector<std::unique_ptr<Part>> parts_;
};
