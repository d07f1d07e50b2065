#include "platform/hamlog/hdb_layout.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/hamlog/unix_file.h"

namespace hamlog {

namespace {

constexpr int kLanguageDriverCp932 = 0x13;

struct SpanTable {
  std::array<FieldSpan, kMaxRecordField + 1> spans{};
  constexpr SpanTable() {
    for (int f = 0; f <= kMaxRecordField; ++f) spans[f] = SpanOf(f);
  }
};
constexpr SpanTable kSpans;

constexpr int recordLength() {
  int n = 1;
  for (const HdbField& d : kHdbFields) n += d.width;
  return n;
}
static_assert(recordLength() == kHdbRecordLength);

void put16(unsigned char* p, uint32_t v) {
  p[0] = v & 0xFF;
  p[1] = (v >> 8) & 0xFF;
}
void put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}
uint32_t get16(const unsigned char* p) { return p[0] | p[1] << 8; }
uint32_t get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

uint32_t pendingCheck(const unsigned char* h) {
  unsigned char fields[16];
  std::memcpy(fields, h + 4, 4);
  std::memcpy(fields + 4, h + 16, 12);
  return uint32_t(Fnv1a(fields, sizeof fields)) & 0xFFFF;
}

}  // namespace

std::optional<FieldSpan> RecordFieldSpan(int recordField) {
  if (recordField < 0 || recordField > kMaxRecordField) return std::nullopt;
  const FieldSpan s = kSpans.spans[recordField];
  if (s.offset < 0) return std::nullopt;
  return s;
}

void StampHdbHeader(unsigned char* h, const HdbHeader& v, QDate written, bool notePending) {
  h[1] = static_cast<unsigned char>(std::clamp(written.year() - 1900, 0, 255));
  h[2] = static_cast<unsigned char>(written.month());
  h[3] = static_cast<unsigned char>(written.day());
  put32(h + 4, v.count);
  put32(h + 16, v.generation);
  put32(h + 20, v.identity);
  if (!notePending) return;
  put32(h + 24, v.pending);
  put16(h + 12, v.pending != 0 ? pendingCheck(h) : 0);
}

HdbHeader HdbHeadValues(const unsigned char* h) {
  HdbHeader v;
  v.count = get32(h + 4);
  v.generation = get32(h + 16);
  v.identity = get32(h + 20);
  v.pending = get32(h + 24);
  v.pendingOurs = v.pending != 0 && get16(h + 12) == pendingCheck(h);
  return v;
}

QByteArray BuildHdbHeader(const HdbHeader& v, QDate written) {
  QByteArray out(kHdbHeaderLength, '\0');
  auto* h = reinterpret_cast<unsigned char*>(out.data());
  h[0] = 0x03;
  StampHdbHeader(h, v, written);
  put16(h + 8, kHdbHeaderLength);
  put16(h + 10, kHdbRecordLength);
  h[29] = kLanguageDriverCp932;
  int offset = 1;
  for (int i = 0; i < kHdbFieldCount; ++i) {
    unsigned char* d = h + 32 + 32 * i;
    std::strncpy(reinterpret_cast<char*>(d), kHdbFields[i].name, 10);
    d[11] = 'C';
    put32(d + 12, offset);  // displacement in the record, as dBase IV+ readers like to see it
    d[16] = static_cast<unsigned char>(kHdbFields[i].width);
    offset += kHdbFields[i].width;
  }
  h[kHdbHeaderLength - 1] = 0x0D;
  return out;
}

std::optional<HdbHeader> ParseHdbHeader(QByteArrayView bytes) {
  if (bytes.size() < kHdbHeaderLength) return std::nullopt;
  const auto* h = reinterpret_cast<const unsigned char*>(bytes.data());
  if (h[0] != 0x03 || get16(h + 8) != kHdbHeaderLength || get16(h + 10) != kHdbRecordLength)
    return std::nullopt;
  if (h[kHdbHeaderLength - 1] != 0x0D) return std::nullopt;
  for (int i = 0; i < kHdbFieldCount; ++i) {
    const unsigned char* d = h + 32 + 32 * i;
    if (std::strncmp(reinterpret_cast<const char*>(d), kHdbFields[i].name, 11) != 0) return std::nullopt;
    if (d[11] != 'C' || d[16] != kHdbFields[i].width) return std::nullopt;
  }
  return HdbHeadValues(h);
}

int64_t RecordsInLength(int64_t fileSize) {
  return fileSize < kHdbHeaderLength ? 0 : (fileSize - kHdbHeaderLength) / kHdbRecordLength;
}

CountFit FitCountToLength(const HdbHeader& h, int64_t fileSize) {
  // Record numbers are 32-bit signed in every call.
  if (h.count > uint32_t(INT32_MAX)) return CountFit::Disagrees;
  const int64_t end = HdbRecordOffset(int64_t(h.count) + 1);
  if (fileSize == end || fileSize == end + 1) return CountFit::Agrees;
  if (h.pendingOurs && h.pending > h.count && h.pending <= uint32_t(INT32_MAX) && fileSize >= end &&
      fileSize <= HdbRecordOffset(int64_t(h.pending) + 1) + 1)
    return CountFit::AppendUnderWay;
  return CountFit::Disagrees;
}

void BlankRecord(unsigned char* image) { std::memset(image, ' ', kHdbRecordLength); }

}  // namespace hamlog
