#include "core/QsoColumns.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "platform/codepage.h"
#include "platform/cores.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/unix_file.h"
#include "platform/hugepages.h"
#include "platform/vbdate.h"

QsoColumnCopy QsoColumns;

namespace {

constexpr hamlog::FieldSpan kCall = hamlog::SpanOf(0), kDate = hamlog::SpanOf(2), kFreq = hamlog::SpanOf(6),
                            kMode = hamlog::SpanOf(7), kCode = hamlog::SpanOf(8), kGrid = hamlog::SpanOf(9),
                            kQsl = hamlog::SpanOf(10), kRemark1 = hamlog::SpanOf(13), kRemark2 = hamlog::SpanOf(14);
static_assert(kRemark2.offset == kRemark1.offset + kRemark1.width);
static_assert(kCall.offset == 1 && kQsl.offset + kQsl.width == 50 && kFreq.offset + kFreq.width == kMode.offset);
static_assert(kCall.width >= 16 && kCall.width <= 32);  // looked at in two 16-byte looks
static_assert(kCode.width <= 6 && kGrid.width <= 6 && kMode.width <= 16);  // each field taken in one look
static_assert(kFreq.width >= 16 && kFreq.width <= 32);                     // looked through for "/" at once

constexpr unsigned char kBoxLead = 0x81, kBoxTrail = 0xA0;  // "□" in Windows-31J

// The bytes of the fields the copy holds are all ASCII: the call, date, code, locator and QSL lie
// together at the head of the record, the frequency and mode together further on.
bool asciiFields(const unsigned char* head) {
  auto ascii = [head](int from, int to) {
    uint64_t high = 0;
    int i = from;
    for (; i + 8 <= to; i += 8) {
      uint64_t w;
      std::memcpy(&w, head + i, 8);
      high |= w;
    }
    for (; i < to; ++i) high |= head[i];
    return (high & 0x8080808080808080ull) == 0;
  };
  return ascii(kCall.offset, kQsl.offset + kQsl.width) && ascii(kFreq.offset, kMode.offset + kMode.width);
}

bool isDay(int year, int month, int day) {
  static constexpr int kDays[13] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDays[month]) return false;
  return month != 2 || day < 29 || (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0));
}

// yyyymmdd of a stored "YY/MM/DD" that is a real day; 0 for anything else.
int32_t storedDate(const unsigned char* d) {
  auto digit = [&](int i) { return d[i] >= '0' && d[i] <= '9'; };
  if (!(digit(0) && digit(1) && d[2] == '/' && digit(3) && digit(4) && d[5] == '/' && digit(6) && digit(7))) return 0;
  const int year = VbCentury((d[0] - '0') * 10 + d[1] - '0');
  const int month = (d[3] - '0') * 10 + d[4] - '0', day = (d[6] - '0') * 10 + d[7] - '0';
  return isDay(year, month, day) ? year * 10000 + month * 100 + day : 0;
}

// yyyymmdd of the reader's "YYYY-MM-DD"; 0 when it left the raw text.
int32_t readerDate(const QString& d) {
  if (!QsoDateIsValid(d)) return 0;
  int32_t v = 0;
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    const char16_t c = d[i].unicode();
    if (c < u'0' || c > u'9') return 0;
    v = v * 10 + (c - u'0');
  }
  return v;
}

// A frequency of digits with at most one "." (at most 9 digits, 15 characters) as digits and shape.
// Without a branch per character: where the "." falls differs from band to band.
bool encodeFreq(const char* t, int n, uint32_t& digits, uint8_t& shape) {
  if (n < 1 || n > 15) return false;
  uint64_t v = 0;
  int point = -1, dots = 0, count = 0;
  bool sound = true;
  for (int i = 0; i < n; ++i) {
    const unsigned c = static_cast<unsigned char>(t[i]);
    const bool dot = c == '.';
    const unsigned d = c - '0';
    sound &= dot || d <= 9;
    dots += dot;
    point = dot ? i : point;
    v = dot ? v : v * 10 + d;
    count += !dot;
  }
  if (!sound || dots > 1 || count == 0 || count > 9) return false;
  digits = uint32_t(v);
  shape = uint8_t(n | ((point + 1) << 4));
  return true;
}

const QsoColumnTexts kNoTexts;

// kBox13 / kBox14 of remarks 1 and 2 (their bytes one after the other), 0 when neither is marked.
uint8_t remarkMark(const char* remarks) {
  if (HasBoxMark(remarks, kRemark1.width)) return QsoColumnRecord::kBox13;
  if (HasBoxMark(remarks + kRemark1.width, kRemark2.width)) return QsoColumnRecord::kBox14;
  return 0;
}

QByteArray markedRemark(const char* remarks, uint8_t flag) {
  return flag == QsoColumnRecord::kBox13 ? QByteArray(remarks, kRemark1.width)
                                         : QByteArray(remarks + kRemark1.width, kRemark2.width);
}

bool blankByte(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13); }

bool hasNul(const unsigned char* p, int n) {
  int i = 0;
  for (uint64_t w; i + 8 <= n; i += 8) {
    std::memcpy(&w, p + i, 8);
    if ((w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull) return true;
  }
  for (; i < n; ++i)
    if (p[i] == 0) return true;
  return false;
}

// Whether byte `c` is among the `width` (16 .. 32) bytes at p (a field's bytes: trimming keeps all but
// blanks and NULs).
bool fieldHolds(const unsigned char* p, int width, char c) {
#ifdef __SSE2__
  const __m128i k = _mm_set1_epi8(c);
  const auto at = [&k](const unsigned char* q) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q)), k));
  };
  return (at(p) | at(p + width - 16)) != 0;
#else
  return std::memchr(p, c, size_t(width)) != nullptr;
#endif
}

}  // namespace

// ---- Fields

// The trim without a 16-byte look: the padding is blanks, eight at a time from the end, then the
// blanks ending the last word with no byte-by-byte loop (the other blank characters, seldom there, go
// the slow way).
void TrimmedField::trimByWords(const unsigned char* p, int width) {
  constexpr uint64_t kBlanks = 0x2020202020202020ull, kLow = 0x7f7f7f7f7f7f7f7full;
  int b = 0, e = width;
  for (uint64_t w; e >= 8 && (std::memcpy(&w, p + e - 8, 8), w == kBlanks);) e -= 8;
  if (e >= 8) {
    uint64_t w;
    std::memcpy(&w, p + e - 8, 8);
    const uint64_t x = w ^ kBlanks;
    // The high bit of each byte that is no ' ': not 0, the word is not all blanks.
    const uint64_t other = (((x & kLow) + kLow) | x) & ~kLow;
    e -= __builtin_clzll(other) >> 3;
  }
  while (e > b && blankByte(p[e - 1])) --e;
  while (b < e && blankByte(p[b])) ++b;
  text = reinterpret_cast<const char*>(p) + b;
  size = e - b;
  if (hasNul(p + b, e - b)) dropNuls(p + b, e - b);
}

void TrimmedField::dropNuls(const unsigned char* p, int n) {
  int kept = 0;
  for (int i = 0; i < n; ++i)
    if (p[i] != 0) buffer[kept++] = char(p[i]);
  int b = 0;
  while (b < kept && blankByte(uchar(buffer[b]))) ++b;
  while (kept > b && blankByte(uchar(buffer[kept - 1]))) --kept;
  text = buffer + b;
  size = kept - b;
}

// ---- Records block

QsoColumnRecords::QsoColumnRecords(int32_t first, int32_t last) : first_(first) {
  size_ = last >= first ? size_t(last - first + 1) : 0;
  if (size_ == 0) return;
  // A whole log's block has room for the QSOs of many appends after it: it grows in place, and the
  // huge pages it asks for are never split by a move.
  capacity_ = first == 1 ? size_ + kRoomAhead : size_;
  data_ = static_cast<QsoColumnRecord*>(std::calloc(capacity_, sizeof(QsoColumnRecord)));
  if (!data_) throw std::bad_alloc();
  if (first == 1) PreferHugePages(data_, capacity_ * sizeof(QsoColumnRecord));
}

QsoColumnRecords::~QsoColumnRecords() { std::free(data_); }

void QsoColumnRecords::Extend(int32_t last) {
  const size_t want = last >= first_ ? size_t(last - first_ + 1) : 0;
  if (want <= size_) return;
  if (want > capacity_) {
    const size_t room = want + kRoomAhead;
    auto* grown = static_cast<QsoColumnRecord*>(std::realloc(data_, room * sizeof(QsoColumnRecord)));
    if (!grown) throw std::bad_alloc();
    data_ = grown;
    capacity_ = room;
  }
  std::memset(static_cast<void*>(data_ + size_), 0, (want - size_) * sizeof(QsoColumnRecord));
  size_ = want;
}

// ---- The fill

// Written by one thread of the pass for each record.
struct alignas(kCacheLineBytes) QsoColumnFill::Part {
  // The part's calls one after the other, in room grown in steps and never zeroed: adding one is a
  // copy of its bytes.
  std::unique_ptr<char[]> calls;
  size_t callsUsed = 0, callRoom = 0;
  int32_t low = INT32_MAX, high = 0;
  // A mode's bytes NUL-padded (a trimmed mode holds no NUL), compared as two words.
  struct ModeBytes {
    uint64_t words[2] = {0, 0};
    bool operator==(const ModeBytes&) const = default;
  };
  std::vector<ModeBytes> modes;  // the part's own mode numbers: their bytes
  // A mode's number + 1 by a hash of its bytes (0: none), so that most records find their mode in one
  // look; a mode that shares its slot is found by the walk over all.
  std::array<uint8_t, 64> modeSlots{};
  std::vector<int32_t> slashed;
  std::vector<std::pair<int32_t, QString>> oddFreqs, oddModes;
  std::vector<std::pair<int32_t, std::vector<unsigned char>>> later;  // for the reader

  void addCall(const TrimmedField& call) {
    const size_t size = size_t(call.size);
    if (callsUsed + size > callRoom) {
      const size_t room = std::max(callRoom * 2, callsUsed + size + 4096);
      auto grown = std::make_unique_for_overwrite<char[]>(room);
      std::memcpy(grown.get(), calls.get(), callsUsed);
      calls = std::move(grown);
      callRoom = room;
    }
    std::memcpy(calls.get() + callsUsed, call.text, size);
    callsUsed += size;
  }
  static QString TextOf(const ModeBytes& m) {
    const char* text = reinterpret_cast<const char*>(m.words);
    return QString::fromLatin1(text, qsizetype(strnlen(text, sizeof m.words)));
  }
  uint8_t modeOf(const TrimmedField& m) {
    const unsigned __int128 low = m.Low16();
    const ModeBytes bytes{{uint64_t(low), uint64_t(low >> 64)}};
    uint8_t& slot = modeSlots[((bytes.words[0] + bytes.words[1] * 31) * 0x9E3779B97F4A7C15ull) >> 58];
    if (slot != 0 && modes[slot - 1u] == bytes) return uint8_t(slot - 1u);
    for (size_t i = 0; i < modes.size(); ++i)
      if (modes[i] == bytes) {
        slot = uint8_t(i + 1);
        return uint8_t(i);
      }
    if (modes.size() >= QsoColumnRecord::kModeInTexts) return QsoColumnRecord::kModeInTexts;
    modes.push_back(bytes);
    slot = uint8_t(modes.size());  // at most kModeInTexts
    return uint8_t(modes.size() - 1);
  }
};

namespace {

uint64_t headHash(const unsigned char* head) { return XXH3_64bits(head, kQsoColumnHeadWidth); }

}  // namespace

QsoColumnFill::QsoColumnFill(int32_t first, int32_t last, int parts)
    : first_(std::max(first, 1)),
      last_(last),
      records_(std::max(first, 1), last),
      heads_(size_t(std::max(last - std::max(first, 1) + 1, 0))) {
  QsoColumnCopy& c = QsoColumns;
  if (first_ == 1) {
    // Noted before the pass: a write while it runs leaves the log other than noted.
    writesSeen_ = hamlog::LastHdbWriteSerial();
    note_ = hamlog::StatPath(Hamlog.HamlogDbPath);
  } else {
    active_ = first_ <= c.count_ + 1 && c.catchUp();
  }
  if (!active_ || first_ == 1) c.Drop();
  // Room for the calls of a part's share of the records (most calls are six or seven bytes), so the
  // pool is not copied over and over as it grows.
  const size_t share = last_ >= first_ ? size_t(last_ - first_ + 1) / size_t(std::max(parts, 1)) : 0;
  for (int p = 0; p < std::max(parts, 1); ++p) {
    parts_.push_back(std::make_unique<Part>());
    parts_.back()->calls = std::make_unique_for_overwrite<char[]>(share * 8);
    parts_.back()->callRoom = share * 8;
  }
}

QsoColumnFill::~QsoColumnFill() = default;

const QsoColumnRecord* QsoColumnFill::Take(int part, int32_t recNo, const unsigned char* head) {
  if (recNo < first_ || recNo > last_ || part < 0 || size_t(part) >= parts_.size()) return nullptr;
  Part& p = *parts_[size_t(part)];
  heads_[size_t(recNo - first_)] = headHash(head);
  p.low = std::min(p.low, recNo);
  p.high = std::max(p.high, recNo);
  QsoColumnRecord& r = records_.At(recNo);
  r.flags = QsoColumnRecord::kLive;
  const int32_t date = asciiFields(head) ? storedDate(head + kDate.offset) : 0;
  if (date == 0) {
    // The reader takes it on the calling thread: its fields beyond the head are blanks it does not read.
    r.flags |= QsoColumnRecord::kIrregular;
    std::vector<unsigned char> whole(hamlog::kHdbRecordLength, ' ');
    std::copy(head, head + kQsoColumnHeadWidth, whole.begin());
    p.later.emplace_back(recNo, std::move(whole));
    return nullptr;
  }
  r.date = date;
  const TrimmedField call(head + kCall.offset, kCall.width);
  r.callAt = uint32_t(p.callsUsed);
  r.callSize = uint8_t(call.size);
  p.addCall(call);
  // A "/" of the call is one of the field's bytes (trimming takes only blanks and NULs away).
  if (fieldHolds(head + kCall.offset, kCall.width, '/')) p.slashed.push_back(recNo);
  const TrimmedField freq(head + kFreq.offset, kFreq.width);
  // The band and the digits in one look at the text; a longer one's digits the long way.
  const FreqField f = ReadFreqField(reinterpret_cast<const unsigned char*>(freq.text), freq.size,
                                    fieldHolds(head + kFreq.offset, kFreq.width, '/'));
  r.band = uint8_t(f.band);
  if (f.plain) {
    r.freqDigits = f.digits;
    r.freqShape = uint8_t(freq.size | ((f.point + 1) << 4));
  } else if (!encodeFreq(freq.text, freq.size, r.freqDigits, r.freqShape)) {
    p.oddFreqs.emplace_back(recNo, QString::fromLatin1(freq.text, freq.size));
  }
  const TrimmedField mode(head + kMode.offset, kMode.width);
  r.mode = p.modeOf(mode);
  if (r.mode == QsoColumnRecord::kModeInTexts) p.oddModes.emplace_back(recNo, QString::fromLatin1(mode.text, mode.size));
  const TrimmedField code(head + kCode.offset, kCode.width, kQsoColumnHeadWidth - kCode.offset),
      grid(head + kGrid.offset, kGrid.width, kQsoColumnHeadWidth - kGrid.offset);
  // In pieces of a fixed size, which the pass's reads of the code take over as they are stored.
  const uint64_t codeBytes = uint64_t(code.Low16()), gridBytes = uint64_t(grid.Low16());
  std::memcpy(r.code, &codeBytes, sizeof r.code);
  std::memcpy(r.grid, &gridBytes, sizeof r.grid);
  std::memcpy(r.qsl, head + kQsl.offset, 3);
  return &r;
}

void QsoColumnFill::Commit() {
  QsoColumnCopy& c = QsoColumns;
  if (!active_) return;
  c.endAhead();  // its findings would be of the copy as it was
  if (first_ > 1) {
    // Records the copy holds are taken again (the sheet's appending reading starts after the last QSO
    // it took, which may be before the copy's end; a record this process rewrote): what the copy kept
    // of them goes.
    auto within = [this](auto& m) { m.erase(m.lower_bound(first_), m.upper_bound(last_)); };
    within(c.texts_), within(c.oddFreqs_), within(c.rawDates_), within(c.modeTexts_);
    c.remarks_.erase(c.remarkFrom(first_), c.remarkFrom(last_ + 1));
    for (std::vector<int32_t>* v : {&c.slashed_, &c.undated_, &c.stale_})
      v->erase(std::lower_bound(v->begin(), v->end(), first_), std::upper_bound(v->begin(), v->end(), last_));
    // New records get their remark marks when the roadside sheet asks; a record taken again inside the
    // copy gets them from the caller.
    if (last_ >= c.count_) c.marksThrough_ = std::min(c.marksThrough_, first_ - 1);
  }
  auto internMode = [&c](const QString& m) -> uint8_t {
    const qsizetype at = c.modes_.indexOf(m);
    if (at >= 0) return uint8_t(at);
    if (c.modes_.size() >= QsoColumnRecord::kModeInTexts) return QsoColumnRecord::kModeInTexts;
    c.modes_ << m;
    return uint8_t(c.modes_.size() - 1);
  };
  std::vector<int32_t> slashed;
  std::vector<std::pair<int32_t, std::vector<unsigned char>>> later;
  // Each part's calls go after the ones before it and its mode numbers become the copy's.
  std::vector<std::vector<uint8_t>> globals(parts_.size());
  std::vector<uint32_t> bases(parts_.size());
  uint32_t callsEnd = uint32_t(c.calls_.size());
  for (size_t k = 0; k < parts_.size(); ++k) {
    const Part& p = *parts_[k];
    for (const Part::ModeBytes& m : p.modes) globals[k].push_back(internMode(Part::TextOf(m)));
    bases[k] = callsEnd;
    callsEnd += uint32_t(p.callsUsed);
  }
  // The records are renumbered on threads of their own while the calls are copied here.
  std::vector<std::vector<std::pair<int32_t, QString>>> overflow(parts_.size());
  std::thread renumbering([&] {
    RunParts(parts_.size(), [&](size_t k) {
      const Part& p = *parts_[k];
      for (int32_t n = p.low; n <= p.high; ++n) {
        QsoColumnRecord& r = records_.At(n);
        if (!r.Plain()) continue;
        r.callAt += bases[k];
        if (r.mode == QsoColumnRecord::kModeInTexts) continue;  // in oddModes
        const uint8_t m = globals[k][r.mode];
        // More modes than the number holds: the mode's text is kept apart.
        if (m == QsoColumnRecord::kModeInTexts) overflow[k].emplace_back(n, Part::TextOf(p.modes[r.mode]));
        r.mode = m;
      }
    });
  });
  c.calls_.reserve(callsEnd);
  for (const std::unique_ptr<Part>& part : parts_) {
    Part& p = *part;
    c.calls_.insert(c.calls_.end(), p.calls.get(), p.calls.get() + p.callsUsed);
    for (auto& f : p.oddFreqs) c.oddFreqs_[f.first] = std::move(f.second);
    for (auto& f : p.oddModes) c.modeTexts_[f.first] = std::move(f.second);
    slashed.insert(slashed.end(), p.slashed.begin(), p.slashed.end());
    for (auto& l : p.later) later.push_back(std::move(l));
  }
  renumbering.join();
  for (auto& kept : overflow)
    for (auto& [n, text] : kept) c.modeTexts_[n] = std::move(text);
  // Records the fast rules do not read: as the reader gives them.
  for (auto& [n, image] : later) {
    QsoColumnRecord& r = records_.At(n);
    QsoColumnTexts t;
    if (TakeQsoBasicFromImage(image.data(), n) == 0) {
      t.call = Qso.QsoCall;
      t.rawDate = Qso.RawDate;
      t.freq = Qso.QsoFreq;
      t.mode = Qso.QsoMode;
      t.code = Qso.QsoCode;
      t.grid = Qso.GridLocator;
      ImageString(t.qsl, image.data(), 10);
    }
    r.date = readerDate(Qso.QsoDate);
    const QByteArray call = ToAnsi(t.call);
    r.callAt = uint32_t(c.calls_.size());
    r.callSize = uint8_t(std::min<qsizetype>(call.size(), 255));
    c.calls_.insert(c.calls_.end(), call.begin(), call.begin() + r.callSize);
    r.band = uint8_t(BandIndexOf(t.freq));
    r.mode = internMode(t.mode);
    if (t.call.contains(u'/')) slashed.push_back(n);
    if (r.date == 0) c.rawDates_[n] = t.rawDate;
    c.texts_[n] = std::move(t);
  }
  std::sort(slashed.begin(), slashed.end());
  c.slashed_.insert(std::lower_bound(c.slashed_.begin(), c.slashed_.end(), first_), slashed.begin(),
                    slashed.end());
  for (auto& [n, image] : later)
    if (records_.At(n).date == 0) c.undated_.push_back(n);
  std::sort(c.undated_.begin(), c.undated_.end());

  if (first_ == 1) {
    c.records_ = std::move(records_);
    c.heads_ = std::move(heads_);
  } else {
    c.records_.Extend(last_);
    for (int32_t n = first_; n <= last_; ++n) c.records_.At(n) = records_.At(n);
    if (c.heads_.size() < size_t(last_)) c.heads_.resize(size_t(last_));
    std::copy(heads_.begin(), heads_.end(), c.heads_.begin() + (first_ - 1));
  }
  c.count_ = std::max(last_, c.count_);
  c.path_ = Hamlog.HamlogDbPath;
  if (first_ == 1) c.note_ = note_, c.writesSeen_ = writesSeen_;
  active_ = false;
}

// ---- The copy

struct QsoColumnCopy::Ahead {
  QString path;
  hamlog::FileStat note;
  int32_t first = 0, last = 0;
  int32_t through = 0;  // the last record looked at
  std::atomic<bool> stop{false};
  bool sound = false;  // first .. through read from the log as stamped
  std::vector<std::pair<int32_t, uint8_t>> marks;
  std::vector<std::pair<int32_t, QByteArray>> remarks;
  std::thread thread;

  void Read() {
    hamlog::UnixFile file;
    if (!file.OpenReadOnly(path)) return;
    constexpr int32_t kRun = 1024;
    std::vector<unsigned char> buffer(size_t(kRun) * hamlog::kHdbRecordLength);
    through = first - 1;
    for (int32_t r = first; r <= last && !stop; r += kRun) {
      const int32_t n = std::min(kRun, last - r + 1);
      if (!file.ReadAt(hamlog::HdbRecordOffset(r), buffer.data(), size_t(n) * hamlog::kHdbRecordLength)) return;
      for (int32_t i = 0; i < n; ++i) {
        const char* bytes = reinterpret_cast<const char*>(buffer.data()) + size_t(i) * hamlog::kHdbRecordLength +
                            kRemark1.offset;
        const uint8_t flag = remarkMark(bytes);
        if (flag == 0) continue;
        marks.emplace_back(r + i, flag);
        remarks.emplace_back(r + i, markedRemark(bytes, flag));
      }
      through = r + n - 1;
    }
    // Bytes read while the log was written are no reading of the log the copy holds.
    sound = file.Stat() == note;
  }
};

QsoColumnCopy::~QsoColumnCopy() { endAhead(); }

void QsoColumnCopy::endAhead() {
  if (!ahead_) return;
  ahead_->stop = true;
  ahead_->thread.join();
  ahead_.reset();
}

void QsoColumnCopy::ReadRemarkMarksAhead() {
  if (count_ == 0 || marksThrough_ >= count_ || ahead_) return;
  auto a = std::make_unique<Ahead>();
  a->path = path_;
  a->note = note_;
  a->first = marksThrough_ + 1;
  a->last = count_;
  a->thread = std::thread([p = a.get()] { p->Read(); });
  ahead_ = std::move(a);
}

void QsoColumnCopy::takeAhead() {
  if (!ahead_) return;
  Ahead& a = *ahead_;
  // What it has not read yet, the caller's scan over all cores reads sooner.
  a.stop = true;
  a.thread.join();
  if (a.sound && a.path == path_ && a.note == note_ && a.first == marksThrough_ + 1 && a.through <= count_) {
    for (const auto& [n, flag] : a.marks)
      if (records_.At(n).Live()) records_.At(n).flags |= flag;
    // Records after the ones read for marks: each goes at the end.
    for (auto& [n, bytes] : a.remarks)
      if (records_.At(n).Live()) remarks_.emplace_back(n, std::move(bytes));
    marksThrough_ = a.through;
  }
  ahead_.reset();
}

void QsoColumnCopy::Drop() {
  endAhead();
  path_.clear();
  note_ = {};
  writesSeen_ = 0;
  stale_.clear();
  heads_.clear();
  count_ = marksThrough_ = 0;
  records_ = QsoColumnRecords();
  calls_.clear();
  calls_.shrink_to_fit();
  modes_.clear();
  texts_.clear();
  oddFreqs_.clear();
  rawDates_.clear();
  modeTexts_.clear();
  remarks_.clear();
  slashed_.clear();
  undated_.clear();
}

bool QsoColumnCopy::CoversLogEnd() const {
  if (path_.isEmpty() || path_ != Hamlog.HamlogDbPath || !stale_.empty()) return false;
  const hamlog::FileStat st = hamlog::StatPath(path_);
  return st.exists && st == note_ && hamlog::RecordsInLength(st.size) == count_;
}

bool QsoColumnCopy::catchUp() {
  if (count_ == 0 || path_.isEmpty() || path_ != Hamlog.HamlogDbPath) return false;
  const hamlog::FileStat now = hamlog::StatPath(path_);
  if (!now.exists) return false;
  if (now == note_) return true;
  const auto writes = hamlog::HdbWritesSince(writesSeen_);
  if (!writes) return false;
  hamlog::FileStat at = note_;
  std::vector<int32_t> rewritten;
  for (const hamlog::HdbWrite& w : *writes) {
    if (w.before.device != at.device || w.before.inode != at.inode) continue;  // another file
    // Someone else wrote before this write, or it may have touched any record.
    if (!(w.before == at) || w.rewritten < 0) return false;
    if (w.rewritten > 0 && w.rewritten <= count_) rewritten.push_back(int32_t(w.rewritten));
    at = w.after;
  }
  if (!(at == now)) return false;  // written by someone else after this process
  std::sort(rewritten.begin(), rewritten.end());
  std::vector<int32_t> all;
  std::set_union(stale_.begin(), stale_.end(), rewritten.begin(), rewritten.end(), std::back_inserter(all));
  stale_.swap(all);
  note_ = now;
  writesSeen_ = writes->empty() ? writesSeen_ : writes->back().serial;
  return true;
}

int32_t QsoColumnCopy::fillRange(int32_t first, int32_t last, bool wholeRecords,
                                 const std::function<void(int32_t, const unsigned char*)>& alsoSee) {
  const int parts = wholeRecords ? 1 : HdbScanParts();
  QsoColumnFill fill(first, last, parts);
  if (!fill.Active()) return kNotExtended;
  const int32_t r = ScanHdbRecords(
      first, last, parts,
      [&](int part, int32_t n, const unsigned char* head) {
        fill.Take(part, n, head);
        if (alsoSee) alsoSee(n, head);
      },
      nullptr, wholeRecords ? hamlog::kHdbRecordLength : kQsoColumnHeadWidth);
  if (r == HAMLOG_OK) fill.Commit();
  return r;
}

int32_t QsoColumnCopy::retakeStale() {
  const std::vector<int32_t> stale = stale_;
  for (const int32_t n : stale) {
    QByteArray remark;
    uint8_t flag = 0;
    const int32_t r = fillRange(n, n, true, [&](int32_t, const unsigned char* image) {
      flag = remarkMark(reinterpret_cast<const char*>(image) + kRemark1.offset);
      if (flag) remark = markedRemark(reinterpret_cast<const char*>(image) + kRemark1.offset, flag);
    });
    if (r != HAMLOG_OK) return r;
    // Its remark marks, where the copy holds those of the records around it.
    if (n <= marksThrough_ && flag != 0 && records_.At(n).Live()) {
      records_.At(n).flags |= flag;
      remarks_.insert(remarkFrom(n), {n, remark});
    }
  }
  return HAMLOG_OK;
}

int32_t QsoColumnCopy::retakeChanged(int32_t total) {
  constexpr size_t kFewRecords = 1024;
  if (count_ == 0 || heads_.size() != size_t(count_)) return kNotExtended;
  // The writes first: one between the two then shows as a file other than noted.
  const uint64_t writes = hamlog::LastHdbWriteSerial();
  const hamlog::FileStat before = hamlog::StatPath(path_);
  if (!before.exists || before.device != note_.device || before.inode != note_.inode) return kNotExtended;
  int64_t live = 0;
  for (int32_t n = 1; n <= count_; ++n) live += records_.At(n).Live() ? 1 : 0;
  const int parts = std::max(HdbScanParts(), 1);
  struct alignas(kCacheLineBytes) Found {
    std::vector<int32_t> changed;
    int64_t live = 0;
  };
  std::vector<Found> found(static_cast<size_t>(parts));
  const int32_t r = ScanHdbRecords(
      1, count_, parts,
      [&](int part, int32_t n, const unsigned char* head) {
        Found& f = found[size_t(part)];
        const bool wasLive = records_.At(n).Live();
        f.live += wasLive ? 1 : 0;
        if (!wasLive || heads_[size_t(n - 1)] != headHash(head)) f.changed.push_back(n);
      },
      nullptr, kQsoColumnHeadWidth);
  if (r != HAMLOG_OK) return r;
  std::vector<int32_t> changed;
  for (Found& f : found) {
    live -= f.live;
    changed.insert(changed.end(), f.changed.begin(), f.changed.end());
  }
  std::sort(changed.begin(), changed.end());
  // A QSO the copy holds is not in the log any more (deleted), or the log was written during the pass.
  if (live != 0 || !(hamlog::StatPath(path_) == before)) return kNotExtended;
  // A fill from the first record makes the copy anew.
  if (changed.size() > kFewRecords || (!changed.empty() && changed.front() == 1)) return kNotExtended;
  // Another program may have changed any remark: the marks are read again when asked for.
  endAhead();
  for (int32_t n = 1; n <= count_; ++n)
    records_.At(n).flags &= uint8_t(~(QsoColumnRecord::kBox13 | QsoColumnRecord::kBox14));
  remarks_.clear();
  marksThrough_ = 0;
  note_ = before;
  writesSeen_ = writes;
  std::vector<int32_t> all;
  std::set_union(stale_.begin(), stale_.end(), changed.begin(), changed.end(), std::back_inserter(all));
  stale_.swap(all);
  int32_t result = retakeStale();
  if (result == HAMLOG_OK && total > count_) result = fillRange(count_ + 1, total);
  return result;
}

int32_t QsoColumnCopy::ReadToLogEnd() {
  const bool known = catchUp();
  if (known && stale_.empty() && hamlog::RecordsInLength(note_.size) == count_) return HAMLOG_OK;
  const bool opened = Hamlog.HamlogClosed == 1;
  if (opened && HamlogOpenDb() != 0) {
    HamlogCloseDb(0);
    Drop();
    return Hamlog.LastOpenResult;
  }
  const int32_t total = Vdbf_rcount(Hamlog.Thw);
  // The records this process rewrote are taken again and new records after the ones held extend the
  // copy, as long as they are few; anything else is read again from the start.
  constexpr size_t kFewRecords = 1024;
  int32_t r = kNotExtended;
  if (known && total >= count_ && stale_.size() <= std::min(kFewRecords, size_t(count_) / 8 + 1)) {
    r = retakeStale();
    if (r == HAMLOG_OK && total > count_) r = fillRange(count_ + 1, total);
  } else if (!known && total >= count_ && path_ == Hamlog.HamlogDbPath) {
    r = retakeChanged(total);
  }
  if (r == kNotExtended) r = fillRange(1, total);
  if (r != HAMLOG_OK) Drop();
  if (opened) HamlogCloseDb(0);
  return r;
}

QString QsoColumnCopy::Freq(int32_t recNo) const {
  const QsoColumnRecord& r = records_.At(recNo);
  if (!r.Plain()) return Texts(recNo).freq;
  if (r.freqShape == 0) {
    const auto it = oddFreqs_.find(recNo);
    return it == oddFreqs_.end() ? QString() : it->second;
  }
  const int length = r.freqShape & 15, point = (r.freqShape >> 4) - 1;
  char text[16];
  uint32_t v = r.freqDigits;
  for (int i = length - 1; i >= 0; --i) {
    if (i == point) {
      text[i] = '.';
      continue;
    }
    text[i] = char('0' + v % 10);
    v /= 10;
  }
  return QString::fromLatin1(text, length);
}

QString QsoColumnCopy::Mode(int32_t recNo) const {
  const QsoColumnRecord& r = records_.At(recNo);
  if (!r.Plain()) return Texts(recNo).mode;
  if (r.mode < modes_.size()) return modes_[r.mode];
  const auto it = modeTexts_.find(recNo);
  return it == modeTexts_.end() ? QString() : it->second;
}

QString QsoColumnCopy::RawDate(int32_t recNo) const {
  const auto it = rawDates_.find(recNo);
  if (it != rawDates_.end()) return it->second;
  const auto t = texts_.find(recNo);
  if (t != texts_.end()) return t->second.rawDate;
  const int32_t d = records_.At(recNo).date;
  return QString::asprintf("%02d/%02d/%02d", d / 10000 % 100, d / 100 % 100, d % 100);
}

const QsoColumnTexts& QsoColumnCopy::Texts(int32_t recNo) const {
  const auto it = texts_.find(recNo);
  return it == texts_.end() ? kNoTexts : it->second;
}

int32_t QsoColumnCopy::ReadRemarkMarks() {
  takeAhead();
  if (count_ == 0 || marksThrough_ >= count_) return HAMLOG_OK;
  const int32_t first = marksThrough_ + 1, last = count_;
  const bool opened = Hamlog.HamlogClosed == 1;
  if (opened && HamlogOpenDb() != 0) {
    HamlogCloseDb(0);
    return Hamlog.LastOpenResult;
  }
  const int parts = HdbScanParts();
  struct Found {
    std::vector<std::pair<int32_t, uint8_t>> marks;
    std::vector<std::pair<int32_t, QByteArray>> remarks;
  };
  std::vector<Found> found(size_t(std::max(parts, 1)));
  const int32_t r = ScanHdbRecords(
      first, last, parts,
      [&](int part, int32_t n, const unsigned char* remarks) {
        if (!records_.At(n).Live()) return;
        const char* bytes = reinterpret_cast<const char*>(remarks);
        const uint8_t flag = remarkMark(bytes);
        if (flag == 0) return;
        Found& f = found[size_t(part)];
        f.marks.emplace_back(n, flag);
        f.remarks.emplace_back(n, markedRemark(bytes, flag));
      },
      nullptr, kRemark1.width + kRemark2.width, kRemark1.offset);
  if (opened) HamlogCloseDb(0);
  if (r != HAMLOG_OK) return r;
  for (Found& f : found) {
    for (const auto& [n, flag] : f.marks) records_.At(n).flags |= flag;
    for (auto& [n, bytes] : f.remarks) remarks_.emplace_back(n, std::move(bytes));
  }
  marksThrough_ = last;
  return HAMLOG_OK;
}

std::vector<std::pair<int32_t, QByteArray>>::const_iterator QsoColumnCopy::remarkFrom(int32_t n) const {
  return std::lower_bound(remarks_.cbegin(), remarks_.cend(), n,
                          [](const auto& e, int32_t k) { return e.first < k; });
}

QByteArrayView QsoColumnCopy::MarkedRemark(int32_t recNo) const {
  const auto it = remarkFrom(recNo);
  return it == remarks_.end() || it->first != recNo ? QByteArrayView() : QByteArrayView(it->second);
}

size_t QsoColumnCopy::Footprint() const {
  size_t bytes = records_.Size() * sizeof(QsoColumnRecord) + calls_.capacity();
  bytes += (texts_.size() + oddFreqs_.size() + rawDates_.size() + remarks_.size()) * 96;
  bytes += (slashed_.capacity() + undated_.capacity()) * sizeof(int32_t);
  bytes += heads_.capacity() * sizeof(uint64_t);
  return bytes;
}

bool HasBoxMark(const char* bytes, int length) {
  // Most remarks hold no double-byte character at all: look for the lead byte first.
  if (!std::memchr(bytes, kBoxLead, size_t(length))) return false;
  for (int i = 0; i + 1 < length;) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b == kBoxLead && static_cast<unsigned char>(bytes[i + 1]) == kBoxTrail) return true;
    i += IsAnsiLeadByte(b) ? 2 : 1;
  }
  return false;
}
