#include "sheet/DmyDbsLine.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/cores.h"
#include "platform/hugepages.h"
#include "platform/paths.h"

QString DmyDbsPath() { return JoinPath(ProgramFolder(), kDmyDbsFileName); }

char DmyDbsKindFlag(qsizetype length, char16_t last) {
  if (length == 5) return '1';
  if (length == 6) return last < 58 ? '0' : '1';
  return '0';
}

char DmyDbsKindFlag(const QString& code) {
  return DmyDbsKindFlag(code.size(), code.isEmpty() ? u'\0' : code.back().unicode());
}

namespace {

// Exactly `width` bytes of single-byte text at `out`: wider characters become "?", control characters
// blanks, the rest blank-padded.
char* putField(char* out, QStringView text, int width) {
  int n = 0;
  for (qsizetype i = 0; i < text.size() && n < width; ++i, ++n) {
    const char16_t u = text[i].unicode();
    char c;
    if (u < 0x80) {
      c = static_cast<char>(u);  // the common case, without a trip through the code page
    } else {
      const QByteArray b = ToAnsi(text.mid(i, 1).toString());
      c = b.size() == 1 ? b[0] : '?';
    }
    *out++ = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  for (; n < width; ++n) *out++ = ' ';
  return out;
}

void putRecordNumber(char* p, int32_t recordNumber) {
  const uint32_t v = recordNumber < 0 ? 0u : static_cast<uint32_t>(recordNumber);
  const uint32_t high = v / 100000000;  // a 32-bit number has ten digits at most
  const uint16_t highDigits = uint16_t(('0' + high / 10) | ('0' + high % 10) << 8);
  const uint64_t low = DmyDbsEightDigits(v % 100000000);
  std::memcpy(p, &highDigits, 2);
  std::memcpy(p + 2, &low, 8);
}

constexpr uint64_t kBlankWord = 0x2020202020202020ull;

// The eight bytes of a word with those below 0x20 made blanks (the others as they are).
uint64_t controlsBlanked(uint64_t w) {
  const uint64_t below = ~(((w & 0x7F7F7F7F7F7F7F7Full) + 0x6060606060606060ull) | w) & 0x8080808080808080ull;
  const uint64_t m = (below >> 7) * 0xFF;
  return (w & ~m) | (kBlankWord & m);
}

}  // namespace

void AppendDmyDbsLine(QByteArray& out, const QString& code, const QString& band, const QString& received,
                      const QString& via, int32_t recordNumber, QStringView yyyymmdd) {
  char line[kDmyDbsRecordBytes];
  char* p = line;
  *p++ = DmyDbsKindFlag(code);
  p = putField(p, code, 6);
  p = putField(p, band, 4);
  p = putField(p, received, 1);
  p = putField(p, via, 1);
  putRecordNumber(p, recordNumber);
  p = putField(p + 10, yyyymmdd, 8);
  *p++ = '\r';
  *p = '\n';
  out.append(line, kDmyDbsRecordBytes);
}

void WriteDmyDbsLine(char* line, const DmyDbsAsciiFields& f) {
  DmyDbsLineWords w{f.kindFlag, 0, 0, f.received, f.via, f.recordNumber, 0};
  std::memcpy(&w.code, f.code.data(), size_t(std::clamp<qsizetype>(f.code.size(), 0, 6)));
  uint64_t band = kBlankWord, date = kBlankWord;
  std::memcpy(&band, f.band.data(), size_t(std::clamp<qsizetype>(f.band.size(), 0, 4)));
  std::memcpy(&date, f.yyyymmdd.data(), size_t(std::clamp<qsizetype>(f.yyyymmdd.size(), 0, 8)));
  w.band = uint32_t(band);
  w.yyyymmdd = date;
  WriteDmyDbsLine(line, w);
}

void WriteDmyDbsLine(char* line, const DmyDbsLineWords& f) {
  static_assert(std::endian::native == std::endian::little);
  // Written once per QSO of the log: in words, straight to the line.
  const uint64_t codeAndBand = (f.code & 0xFFFFFFFFFFFFull) | uint64_t(f.band & 0xFFFF) << 48;
  const uint64_t rest = f.band >> 16 | uint64_t(uint8_t(f.received)) << 16 | uint64_t(uint8_t(f.via)) << 24;
  const uint64_t bytes1to8 = controlsBlanked(codeAndBand), bytes9to12 = controlsBlanked(rest),
                 date = controlsBlanked(f.yyyymmdd);
  line[0] = f.kindFlag;
  std::memcpy(line + 1, &bytes1to8, 8);
  std::memcpy(line + 9, &bytes9to12, 4);
  putRecordNumber(line + 13, f.recordNumber);
  std::memcpy(line + 23, &date, 8);
  line[31] = '\r';
  line[32] = '\n';
}

bool IsPlainDmyDbs(QByteArrayView data) {
  if (data.size() % kDmyDbsRecordBytes != 0) return false;
  for (qsizetype at = 0; at < data.size(); at += kDmyDbsRecordBytes) {
    const char* r = data.data() + at;
    if (r[31] != '\r' || r[32] != '\n' || std::memchr(r, '\r', 31)) return false;
  }
  return true;
}

namespace {

// Big-endian word of the bytes of a line at the given places.
uint64_t word(const unsigned char* p, std::initializer_list<int> at) {
  uint64_t w = 0;
  for (int i : at) w = (w << 8) | p[i];
  return w;
}

// Lines already in record-number order (a fresh reading) need only a stable grouping by the rest of
// the key, prefecture, kind flag, code and band. False (nothing done) for lines that are not in
// record-number order.
bool sortByGroups(QByteArrayView data, QByteArray& out) {
  const size_t n = static_cast<size_t>(data.size() / kDmyDbsRecordBytes);
  const auto* d = reinterpret_cast<const unsigned char*>(data.data());
  std::vector<DmyDbsRun> runs(1);
  DmyDbsRun& run = runs[0];
  run.lines = data.data();
  run.groupOfLine.resize(n);
  std::pair<uint64_t, uint64_t> previous{0, 0};
  for (size_t i = 0; i < n; ++i) {
    const unsigned char* p = d + i * kDmyDbsRecordBytes;
    const std::pair<uint64_t, uint64_t> record{word(p, {13, 14, 15, 16, 17, 18, 19, 20}), word(p, {21, 22})};
    if (record < previous) return false;
    previous = record;
    run.groupOfLine[i] = run.groups.Add(data.data() + i * kDmyDbsRecordBytes);
  }
  out = SortDmyDbsRuns(runs);
  return true;
}

}  // namespace

uint64_t DmyDbsGroupKey::CodeOf(const char* line) {
  const auto* p = reinterpret_cast<const unsigned char*>(line);
  uint64_t c = uint64_t(p[1]) << 48 | uint64_t(p[2]) << 40 | uint64_t(p[0]) << 32;
  for (int i = 3; i < 7; ++i) c |= uint64_t(p[i]) << (8 * (6 - i));
  return c;
}

uint32_t DmyDbsGroupKey::BandOf(const char* line) {
  const auto* p = reinterpret_cast<const unsigned char*>(line);
  return uint32_t(p[7]) << 24 | uint32_t(p[8]) << 16 | uint32_t(p[9]) << 8 | p[10];
}

DmyDbsGroupKey DmyDbsGroupKey::Of(const char* line) { return Of(CodeOf(line), BandOf(line)); }

namespace {

uint64_t mix(uint64_t h) {
  h *= 0x9E3779B97F4A7C15ull;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  return h ^ (h >> 32);
}

size_t tableSizeFor(size_t n) {
  size_t size = 16;
  while (size < 2 * n) size *= 2;
  return size;
}

}  // namespace

DmyDbsKeyBook::DmyDbsKeyBook(std::vector<uint64_t> codes, std::vector<uint32_t> bands)
    : codes_(std::move(codes)), bands_(std::move(bands)) {
  std::sort(codes_.begin(), codes_.end());
  codes_.erase(std::unique(codes_.begin(), codes_.end()), codes_.end());
  std::sort(bands_.begin(), bands_.end());
  bands_.erase(std::unique(bands_.begin(), bands_.end()), bands_.end());
  if (codes_.empty() || bands_.empty() || codes_.size() * bands_.size() >= kDmyDbsNoGroup) {
    codes_.clear();
    bands_.clear();
    return;
  }
  codeTable_.assign(tableSizeFor(codes_.size()), {0, 0});
  for (uint32_t i = 0; i < codes_.size(); ++i) {
    size_t s = mix(codes_[i]) & (codeTable_.size() - 1);
    while (codeTable_[s].first != 0) s = (s + 1) & (codeTable_.size() - 1);
    codeTable_[s] = {codes_[i] + 1, i};
  }
  bandTable_.assign(tableSizeFor(bands_.size()), {0, 0});
  for (uint32_t i = 0; i < bands_.size(); ++i) {
    size_t s = mix(bands_[i]) & (bandTable_.size() - 1);
    while (bandTable_[s].second != 0) s = (s + 1) & (bandTable_.size() - 1);
    bandTable_[s] = {bands_[i], i + 1};
  }
}

DmyDbsKeyBook::Probe DmyDbsKeyBook::probeOf(const char* line) const {
  if (codes_.empty()) return {0, 0};
  const uint64_t code = DmyDbsGroupKey::CodeOf(line);
  return {code + 1, mix(code) & (codeTable_.size() - 1)};
}

DmyDbsKeyBook::Probe DmyDbsKeyBook::Prefetch(const char* line) const {
  const Probe probe = probeOf(line);
  if (!codes_.empty()) __builtin_prefetch(&codeTable_[probe.slot]);
  return probe;
}

uint32_t DmyDbsKeyBook::Find(const char* line) const { return Find(line, probeOf(line)); }

uint32_t DmyDbsKeyBook::Find(const char* line, const Probe& probe) const {
  if (codes_.empty()) return kDmyDbsNoGroup;
  size_t s = probe.slot;
  while (codeTable_[s].first != probe.code) {
    if (codeTable_[s].first == 0) return kDmyDbsNoGroup;
    s = (s + 1) & (codeTable_.size() - 1);
  }
  const uint32_t codePlace = codeTable_[s].second;
  const uint32_t band = DmyDbsGroupKey::BandOf(line);
  size_t b = mix(band) & (bandTable_.size() - 1);
  while (bandTable_[b].first != band || bandTable_[b].second == 0) {
    if (bandTable_[b].second == 0) return kDmyDbsNoGroup;
    b = (b + 1) & (bandTable_.size() - 1);
  }
  return codePlace * uint32_t(bands_.size()) + bandTable_[b].second - 1;
}

DmyDbsGroups::DmyDbsGroups(const DmyDbsKeyBook* book)
    : book_(book), bookSize_(book ? book->Size() : 0), counts_(bookSize_, 0) {}

size_t DmyDbsGroups::slotOf(const DmyDbsGroupKey& k) const {
  // Every key byte reaches the low bits: codes that differ only in their prefecture spread too.
  return size_t(mix(k.a ^ (uint64_t(k.b) << 7))) & (table_.size() - 1);
}

uint32_t DmyDbsGroups::Add(const char* line) {
  if (bookSize_ != 0) {
    if (const uint32_t g = book_->Find(line); g != kDmyDbsNoGroup) {
      ++counts_[g];
      return g;
    }
  }
  const DmyDbsGroupKey k = DmyDbsGroupKey::Of(line);
  size_t s = slotOf(k);
  while (table_[s] != 0 && keys_[table_[s] - 1] != k) s = (s + 1) & (table_.size() - 1);
  if (table_[s] != 0) {
    ++counts_[bookSize_ + table_[s] - 1];
    return bookSize_ + table_[s] - 1;
  }
  keys_.push_back(k);
  counts_.push_back(1);
  table_[s] = uint32_t(keys_.size());
  if (keys_.size() * 2 > table_.size()) {
    table_.assign(table_.size() * 4, 0);
    for (uint32_t g = 0; g < keys_.size(); ++g) {
      size_t t = slotOf(keys_[g]);
      while (table_[t] != 0) t = (t + 1) & (table_.size() - 1);
      table_[t] = g + 1;
    }
  }
  return bookSize_ + uint32_t(keys_.size() - 1);
}

void DmyDbsGroups::AddMany(const char* const* lines, size_t n, uint32_t* groups) {
  if (bookSize_ == 0 || n > kBatch) {
    for (size_t i = 0; i < n; ++i) groups[i] = Add(lines[i]);
    return;
  }
  DmyDbsKeyBook::Probe probes[kBatch];
  for (size_t i = 0; i < n; ++i) probes[i] = book_->Prefetch(lines[i]);
  uint32_t found[kBatch];
  for (size_t i = 0; i < n; ++i) {
    found[i] = book_->Find(lines[i], probes[i]);
    if (found[i] != kDmyDbsNoGroup) __builtin_prefetch(&counts_[found[i]], 1);
  }
  for (size_t i = 0; i < n; ++i) {
    if (found[i] == kDmyDbsNoGroup) {
      groups[i] = Add(lines[i]);
    } else {
      ++counts_[found[i]];
      groups[i] = found[i];
    }
  }
}

QByteArray SortDmyDbsRuns(const std::vector<DmyDbsRun>& runs) {
  // The groups outside the book by key, and a key's groups by run; the book's groups are in key order
  // by their numbers already.
  struct Entry {
    DmyDbsGroupKey key;
    uint32_t run, group;
  };
  std::vector<Entry> others;
  for (uint32_t r = 0; r < runs.size(); ++r)
    for (uint32_t g = runs[r].groups.BookSize(); g < runs[r].groups.Count(); ++g)
      others.push_back({runs[r].groups.KeyOfGroup(g), r, g});
  std::sort(others.begin(), others.end(),
            [](const Entry& x, const Entry& y) { return x.key != y.key ? x.key < y.key : x.run < y.run; });
  // Where each run's group begins in the output (in lines).
  std::vector<std::vector<uint32_t>> next(runs.size());
  for (size_t r = 0; r < runs.size(); ++r) next[r].resize(runs[r].groups.Count());
  uint32_t at = 0;
  auto place = [&](uint32_t r, uint32_t g) {
    next[r][g] = at;
    at += runs[r].groups.LinesOf(g);
  };
  size_t o = 0;
  const uint32_t book = runs.empty() ? 0 : runs[0].groups.BookSize();
  for (uint32_t g = 0; g < book; ++g) {
    bool any = false;
    for (const DmyDbsRun& run : runs) any = any || run.groups.LinesOf(g) != 0;
    if (!any) continue;
    const DmyDbsGroupKey key = runs[0].groups.KeyOfGroup(g);
    for (; o < others.size() && others[o].key < key; ++o) place(others[o].run, others[o].group);
    for (uint32_t r = 0; r < runs.size(); ++r) place(r, g);
  }
  for (; o < others.size(); ++o) place(others[o].run, others[o].group);

  // The lines of a whole log get room after them for those of the appends to come: the sheet holds
  // them and appends grow them in place, so the huge pages they ask for are never split by a move.
  const qsizetype bytes = qsizetype(at) * kDmyDbsRecordBytes;
  constexpr qsizetype kWholeLog = qsizetype(8) << 20, kAppendRoom = qsizetype(2) << 20;
  QByteArray out;
  if (bytes >= kWholeLog) {
    out.reserve(bytes + kAppendRoom);
    PreferHugePages(out.data(), size_t(out.capacity()));
  }
  out.resize(bytes);
  char* to = out.data();
  auto fill = [&](size_t r) {
    const DmyDbsRun& run = runs[r];
    std::vector<uint32_t>& places = next[r];
    const size_t lines = run.groupOfLine.size();
    // Lines go to places far apart: the place of a line some lines on is asked for ahead.
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < lines; ++i) {
      if (i + kAhead < lines)
        if (const uint32_t g = run.groupOfLine[i + kAhead]; g != kDmyDbsNoGroup) {
          char* place = to + size_t(places[g]) * kDmyDbsRecordBytes;
          __builtin_prefetch(place, 1);
          __builtin_prefetch(place + kDmyDbsRecordBytes - 1, 1);
        }
      if (const uint32_t g = run.groupOfLine[i]; g != kDmyDbsNoGroup)
        std::memcpy(to + size_t(places[g]++) * kDmyDbsRecordBytes, run.lines + i * kDmyDbsRecordBytes,
                    kDmyDbsRecordBytes);
    }
  };
  RunParts(runs.size(), fill);
  return out;
}

QByteArray SortDmyDbsBytes(QByteArrayView data) {
  QByteArray out;
  if (sortByGroups(data, out)) return out;
  const size_t n = static_cast<size_t>(data.size() / kDmyDbsRecordBytes);
  // The 21 key bytes (2:2)(1:1)(4:4)(8:4)(14:10) as three big-endian words, then the line number
  // for stability.
  struct Entry {
    uint64_t a, b, c;
    uint32_t line;
  };
  std::vector<Entry> keys(n);
  const auto* d = reinterpret_cast<const unsigned char*>(data.data());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char* p = d + i * kDmyDbsRecordBytes;
    keys[i] = {word(p, {1, 2, 0, 3, 4, 5, 6, 7}), word(p, {8, 9, 10, 13, 14, 15, 16, 17}),
               word(p, {18, 19, 20, 21, 22}), static_cast<uint32_t>(i)};
  }
  std::sort(keys.begin(), keys.end(), [](const Entry& x, const Entry& y) {
    if (x.a != y.a) return x.a < y.a;
    if (x.b != y.b) return x.b < y.b;
    if (x.c != y.c) return x.c < y.c;
    return x.line < y.line;
  });
  out = QByteArray(data.size(), Qt::Uninitialized);
  char* o = out.data();
  for (const Entry& e : keys) {
    std::memcpy(o, data.data() + size_t(e.line) * kDmyDbsRecordBytes, kDmyDbsRecordBytes);
    o += kDmyDbsRecordBytes;
  }
  return out;
}
