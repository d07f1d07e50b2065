#pragma once
// The layout of HAMLOG.HDB: a plain dBase III table (version byte 0x03, no memo file) that any dBase
// reader opens. Choices, all ours:
//
//   #  name     width  record field (the number the calls use)
//   1  CALL       15   0  call sign, its first 15 bytes
//   2  CALLX       5   0  call sign, bytes 16 to 20 (fields 1 and 2 together are the 20-byte call)
//   3  DATE        8   2  "YY/MM/DD"
//   4  TIME        6   3  "hh:mm" + "J" (JST) or "U" (UTC)
//   5  CODE        6   8  JCC/JCG/ward/town code or DX entity code
//   6  GL          6   9  grid locator
//   7  QSL         3  10  via, sent mark, received mark
//   8  FLAG        3  16  QSL flag code as decimal text
//   9  HIS        12   4  his report
//  10  MY         12   5  my report
//  11  FREQ       16   6  frequency in MHz as typed
//  12  MODE       16   7  mode
//  13  NAME       64  11  name
//  14  QTH       128  12  QTH
//  15  RMK1      254  13  remarks 1
//  16  RMK2      254  14  remarks 2
//
// The entry window sizes its boxes by the length bytes of descriptors 1 to 16 (call = 1 + 2, his
// report 9, my report 10, frequency 11, name 13, QTH 14, remarks 15 and 16), hence this order. Every
// field is type C, Windows-31J, blank-padded. Fields 1 and 15 of the record and field 27 are not
// stored: 27 is the record number itself.
//
// Header (32 bytes, little-endian): 0 version 0x03; 1-3 date of the last write (year - 1900, month,
// day); 4-7 record count; 8-9 header length (545); 10-11 record length (809: deletion flag + 808);
// 12-13 the check of our pending note (below), zero without one; 14-15 zero; 16-19 our change counter
// (bumped by every write that moves a record or a key); 20-23 the database's identity (random, set by
// create); 24-27 our pending note: the count an append (or the end of a pack) under way will commit, the
// count itself while records a deletion of ours marked await their pack, 0 when none. The note is ours when
// 12-13 hold the low 16 bits of the FNV-1a of bytes 4-7 and 16-27; only then are records past the count taken
// for a write of ours cut short; 28 zero; 29 language driver 0x13 (code page 932); 30-31 zero. Then 16
// descriptors of 32 bytes and the terminator 0x0D; the records follow, each a deletion flag (" " or "*") and
// the fields; 0x1A after the last record.

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <array>
#include <cstdint>
#include <optional>

namespace hamlog {

struct HdbField {
  const char* name;
  int width;
  int recordField;  // the field number of the library calls
};

inline constexpr int kHdbFieldCount = 16;
inline constexpr std::array<HdbField, kHdbFieldCount> kHdbFields = {{
    {"CALL", 15, 0},
    {"CALLX", 5, 0},
    {"DATE", 8, 2},
    {"TIME", 6, 3},
    {"CODE", 6, 8},
    {"GL", 6, 9},
    {"QSL", 3, 10},
    {"FLAG", 3, 16},
    {"HIS", 12, 4},
    {"MY", 12, 5},
    {"FREQ", 16, 6},
    {"MODE", 16, 7},
    {"NAME", 64, 11},
    {"QTH", 128, 12},
    {"RMK1", 254, 13},
    {"RMK2", 254, 14},
}};

inline constexpr int kHdbHeaderLength = 32 + 32 * kHdbFieldCount + 1;  // 545
inline constexpr int kHdbRecordLength = 809;                           // flag + 808
inline constexpr unsigned char kDbfEof = 0x1A;

// Where a record field lies in a record image (offset from the deletion flag at 0).
struct FieldSpan {
  int offset = -1;
  int width = 0;
};

inline constexpr int kMaxRecordField = 31;

// Offset and width of field f, {-1, 0} when the field is not stored.
constexpr FieldSpan SpanOf(int f) {
  FieldSpan s;
  int offset = 1;
  for (const HdbField& d : kHdbFields) {
    if (d.recordField == f) {
      if (s.offset < 0) s.offset = offset;
      s.width += d.width;  // the call sign spans two adjacent descriptors
    }
    offset += d.width;
  }
  return s;
}

inline constexpr int kCallOffset = SpanOf(0).offset;
inline constexpr int kCallWidth = SpanOf(0).width;
inline constexpr int kCodeOffset = SpanOf(8).offset;
inline constexpr int kCodeWidth = SpanOf(8).width;
inline constexpr int kQslOffset = SpanOf(10).offset;
static_assert(kCallOffset == 1 && kCallWidth == 20 && kCodeWidth == 6);

// Field numbers 0, 2-14 and 16; nothing for the others.
std::optional<FieldSpan> RecordFieldSpan(int recordField);

struct HdbHeader {
  uint32_t count = 0;
  uint32_t generation = 0;
  uint32_t identity = 0;
  uint32_t pending = 0;  // count of an append under way, 0 when none
  bool pendingOurs = false;  // the pending note carries our check (set by ParseHdbHeader)
};

// Where record recNo (1-based) begins; record count + 1 is where the end-of-file byte goes.
constexpr int64_t HdbRecordOffset(int64_t recNo) { return kHdbHeaderLength + (recNo - 1) * kHdbRecordLength; }

// How a header's count fits the file's length: the file holds exactly the counted records (and the
// end-of-file byte or not), or an append under way explains the rest, or the two disagree.
enum class CountFit { Agrees, AppendUnderWay, Disagrees };
CountFit FitCountToLength(const HdbHeader& h, int64_t fileSize);
// Records a file of this length holds (whole records after the header).
int64_t RecordsInLength(int64_t fileSize);

// The whole header (545 bytes) for the given values.
QByteArray BuildHdbHeader(const HdbHeader& h, QDate written);
// The first 32 bytes with the count, the change counter, the identity, the pending note (and its
// check) and the date replaced; without `notePending` the note and its check stay as they are.
void StampHdbHeader(unsigned char* first32, const HdbHeader& h, QDate written, bool notePending = true);
// The values of the first 32 bytes as they stand (no check of the rest of the header).
HdbHeader HdbHeadValues(const unsigned char* first32);
// Reads a header and checks that it describes exactly our table; nothing for any other file.
std::optional<HdbHeader> ParseHdbHeader(QByteArrayView bytes);

// A record image of blanks (not deleted).
void BlankRecord(unsigned char* image);

}  // namespace hamlog
