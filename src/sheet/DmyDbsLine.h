#pragma once
// One line of the progress work file DMYDBS.DAT: 31 single-byte characters and CR LF, so that line n
// is the fixed record of bytes (n-1) x 33 .. (n-1) x 33 + 32.
//
//   1      kind flag: "0" city (4 characters) or ward (6, ending in a digit), "1" gun, town, village
//   2-7    code, left-aligned, blank-padded      8-11  band label, left-aligned, blank-padded
//   12     received QSL mark                      13    QSL via character
//   14-23  HAMLOG record number, 10 digits        24-31 QSO date yyyymmdd

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

#include "platform/vbnumber.h"

inline constexpr int kDmyDbsRecordBytes = 33;
inline constexpr char kDmyDbsFileName[] = "DMYDBS.DAT";
// The key the file is sorted by: prefecture, kind flag, rest of the code, band, record number.
inline constexpr char kDmyDbsSortKey[] = "/k(2:2)(1:1)(4:4)(8:4)(14:10) /e";

// Program folder + "\DMYDBS.DAT".
QString DmyDbsPath();

// "0" or "1" by the code's length and last character; a six-character code ends in a digit or a
// lower character for "0", as in the code master, and in anything else for "1".
char DmyDbsKindFlag(const QString& code);
// The same from the code's length and last character.
char DmyDbsKindFlag(qsizetype length, char16_t last);

// Appends one line (33 bytes). Characters that do not fit one byte, and control characters, become
// "?" and blank so that every line keeps its width.
void AppendDmyDbsLine(QByteArray& out, const QString& code, const QString& band, const QString& received,
                      const QString& via, int32_t recordNumber, QStringView yyyymmdd);

// The same line from fields already in single-byte ASCII form (the whole-log reader's): 33 bytes
// written at `line`.
struct DmyDbsAsciiFields {
  char kindFlag;
  QByteArrayView code;
  QByteArrayView band;
  char received;
  char via;
  int32_t recordNumber;
  QByteArrayView yyyymmdd;
};
void WriteDmyDbsLine(char* line, const DmyDbsAsciiFields& fields);

// The same from words, as the whole-log pass holds the fields: each word's bytes in memory order; the
// code NUL-padded (NULs and other bytes below 0x20 become blanks, as above).
struct DmyDbsLineWords {
  char kindFlag;
  uint64_t code;  // bytes 0 .. 5
  uint32_t band;
  char received;
  char via;
  int32_t recordNumber;
  uint64_t yyyymmdd;
};
void WriteDmyDbsLine(char* line, const DmyDbsLineWords& fields);
// The eight decimal digits of `v` (below 100000000, leading zeros kept) as a word in memory order.
// Written twice for each QSO of the log: all digits side by side in one word, each step a multiply
// that divides every lane of it at once.
inline uint64_t DmyDbsEightDigits(uint32_t v) {
  const uint64_t halves = v / 10000 | uint64_t(v % 10000) << 32;             // 4 + 4 digits
  const uint64_t hundreds = (halves * 10486 >> 20) & 0x0000007F0000007Full;  // x / 100 for x < 10000
  const uint64_t pairs = hundreds | (halves - hundreds * 100) << 16;         // 2 + 2 + 2 + 2 digits
  const uint64_t tens = (pairs * 103 >> 10) & 0x000F000F000F000Full;         // x / 10 for x < 100
  return (tens | (pairs - tens * 10) << 8) + 0x3030303030303030ull;
}

// Fields of one fixed record (33 bytes; the last field holds the date and the line end).
struct DmyDbsRecord {
  QByteArrayView bytes;
  QByteArrayView KindFlag() const { return bytes.sliced(0, 1); }
  QByteArrayView Code() const { return bytes.sliced(1, 6); }
  QByteArrayView Band() const { return bytes.sliced(7, 4); }
  char Received() const { return bytes[11]; }
  char Via() const { return bytes[12]; }
  QByteArrayView RecordNumber() const { return bytes.sliced(13, 10); }
  QByteArrayView DateAndEnd() const { return bytes.sliced(23, 10); }
};

// True when the bytes are whole 33-byte lines that each end in CR LF and hold no other CR: the form
// that BuildDmyDbs writes, which the line-based and the fixed-record readings split alike.
bool IsPlainDmyDbs(QByteArrayView data);

// Sorts plain work-file bytes (IsPlainDmyDbs) by the work file's key, stably, as the file sort does.
QByteArray SortDmyDbsBytes(QByteArrayView data);

// The sort key of a line up to the record number (prefecture, kind flag, code, band) as two
// big-endian words in the key's order: the 7 bytes of the kind flag and code, then the 4 band bytes.
struct DmyDbsGroupKey {
  uint64_t a;
  uint32_t b;
  bool operator==(const DmyDbsGroupKey&) const = default;
  auto operator<=>(const DmyDbsGroupKey&) const = default;
  static DmyDbsGroupKey Of(const char* line);
  static DmyDbsGroupKey Of(uint64_t code, uint32_t band) {
    return {code << 8 | band >> 24, band & 0xFFFFFFu};
  }
  // The kind flag and code bytes (key order), and the band bytes, of a line.
  static uint64_t CodeOf(const char* line);
  static uint32_t BandOf(const char* line);
};

inline constexpr uint32_t kDmyDbsNoGroup = UINT32_MAX;

// Dense numbers in key order for the groups a reading expects, every code of the master on every band
// label, so that lines are grouped without a table of their own keys. Read-only once made: the runs
// of a reading share it.
class DmyDbsKeyBook {
 public:
  DmyDbsKeyBook() = default;
  // Codes as CodeOf gives them, band bytes as BandOf; repeats are dropped.
  DmyDbsKeyBook(std::vector<uint64_t> codes, std::vector<uint32_t> bands);
  // The number of the line's group; kDmyDbsNoGroup when its code or band is not in the book.
  uint32_t Find(const char* line) const;
  // Where Find of a line begins to look, with that table entry asked of the processor ahead: Find of
  // the line from its probe looks there without working it out again.
  struct Probe {
    uint64_t code;  // the line's code + 1, as the table holds it
    size_t slot;
  };
  Probe Prefetch(const char* line) const;
  uint32_t Find(const char* line, const Probe& probe) const;
  uint32_t Size() const { return uint32_t(codes_.size() * bands_.size()); }
  DmyDbsGroupKey KeyOf(uint32_t group) const {
    return DmyDbsGroupKey::Of(codes_[group / bands_.size()], bands_[group % bands_.size()]);
  }

 private:
  Probe probeOf(const char* line) const;
  std::vector<uint64_t> codes_;                           // ascending
  std::vector<uint32_t> bands_;                           // ascending
  std::vector<std::pair<uint64_t, uint32_t>> codeTable_;  // code + 1 (0 free), its place in codes_
  std::vector<std::pair<uint32_t, uint32_t>> bandTable_;  // band, its place + 1 (0 free)
};

// Groups of lines that share the key up to the record number: the book's groups by their numbers,
// others numbered after them in the order they are first met; with the count of lines of each.
class DmyDbsGroups {
 public:
  explicit DmyDbsGroups(const DmyDbsKeyBook* book = nullptr);
  // The group of the 33-byte line at `line`, counted once more.
  uint32_t Add(const char* line);
  // Add of `n` lines (at most kBatch), their groups in `groups`: the tables they read are asked for
  // side by side, where line after line each would wait for memory on its own.
  static constexpr size_t kBatch = 16;
  void AddMany(const char* const* lines, size_t n, uint32_t* groups);
  uint32_t Count() const { return uint32_t(counts_.size()); }
  uint32_t BookSize() const { return bookSize_; }
  DmyDbsGroupKey KeyOfGroup(uint32_t group) const {
    return group < bookSize_ ? book_->KeyOf(group) : keys_[group - bookSize_];
  }
  uint32_t LinesOf(uint32_t group) const { return counts_[group]; }

 private:
  size_t slotOf(const DmyDbsGroupKey& k) const;
  const DmyDbsKeyBook* book_;
  uint32_t bookSize_;
  std::vector<DmyDbsGroupKey> keys_;  // the groups outside the book
  std::vector<uint32_t> counts_;
  std::vector<uint32_t> table_ = std::vector<uint32_t>(64, 0);  // group outside the book + 1; 0 free
};

// Lines in record-number order cut into runs that follow each other: each run's lines (33 bytes each,
// `groupOfLine[i]` the group of line i, kDmyDbsNoGroup for a place left empty) and their groups (of
// one book for all runs).
struct DmyDbsRun {
  explicit DmyDbsRun(const DmyDbsKeyBook* book = nullptr) : groups(book) {}
  const char* lines = nullptr;
  std::vector<uint32_t> groupOfLine;
  DmyDbsGroups groups;
};
// All runs' lines in the work file's order (SortDmyDbsBytes of the runs joined), each run's lines put
// in place on a thread of its own.
QByteArray SortDmyDbsRuns(const std::vector<DmyDbsRun>& runs);
