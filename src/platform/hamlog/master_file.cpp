#include "platform/hamlog/master_file.h"

#include <QRandomGenerator>
#include <cstring>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/vbfile.h"

namespace hamlog {

namespace {

constexpr char kMagic[8] = {'O', 'X', 'M', 'S', 'T', '0', '0', '1'};
constexpr char kPrefixMagic[8] = {'O', 'X', 'P', 'F', 'X', '0', '0', '1'};
constexpr int kPrefixEntry = 6 + 3;

void put32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = char((v >> (8 * i)) & 0xFF);
}
uint32_t get32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return u[0] | u[1] << 8 | u[2] << 16 | uint32_t(u[3]) << 24;
}

}  // namespace

QByteArray BuildMasterRecord(const MasterEntry& e) {
  QByteArray r;
  r.reserve(kMasterRecordLength);
  r += FixedAnsi(e.code, 6);
  r += FixedAnsi(e.name, 34);
  r += FixedAnsi(e.kind, 1);
  r += FixedAnsi(e.idx, 2);
  r += FixedAnsi(e.area, 1);
  r += QByteArray(11, '\0');
  r += ' ';
  const int lon = std::min(std::abs(e.longitude), 255);
  r[kMasterLongitudeOffset] = char(lon);
  r[kMasterWestOffset] = char(e.longitude < 0 ? 128 : 0);
  return r;
}

bool HasMasterHeader(QByteArrayView head) { return head.startsWith(QByteArrayView(kMagic, sizeof kMagic)); }

std::optional<MasterHeader> ParseMasterHeader(QByteArrayView head, int64_t fileSize) {
  if (head.size() < kMasterFirstRecord || std::memcmp(head.data(), kMagic, 8) != 0) return std::nullopt;
  if (get32(head.data() + 8) != kMasterRecordLength || get32(head.data() + 12) != kMasterFirstRecord)
    return std::nullopt;
  MasterHeader h;
  h.count = get32(head.data() + 16);
  h.identity = get32(head.data() + 20);
  if (fileSize < kMasterFirstRecord + int64_t(h.count) * kMasterRecordLength) return std::nullopt;
  return h;
}

bool WriteMasterFile(const QString& path, const std::vector<MasterEntry>& entries) {
  QByteArray out(kMasterFirstRecord, '\0');
  std::memcpy(out.data(), kMagic, 8);
  put32(out.data() + 8, kMasterRecordLength);
  put32(out.data() + 12, kMasterFirstRecord);
  put32(out.data() + 16, uint32_t(entries.size()));
  put32(out.data() + 20, QRandomGenerator::system()->generate());
  out.reserve(kMasterFirstRecord + kMasterRecordLength * qsizetype(entries.size()));
  for (const MasterEntry& e : entries) out += BuildMasterRecord(e);

  return AtomicWriteFile(path, out);
}

bool WritePrefixFile(const QString& path, const std::vector<PrefixEntry>& entries) {
  if (entries.empty()) return !IsFile(path) || Kill(path);
  QByteArray out(12, '\0');
  std::memcpy(out.data(), kPrefixMagic, 8);
  put32(out.data() + 8, uint32_t(entries.size()));
  for (const PrefixEntry& e : entries) out += FixedAnsi(e.code, 6) + FixedAnsi(e.prefix, 3);
  return AtomicWriteFile(path, out);
}

std::vector<std::pair<QByteArray, QByteArray>> ReadPrefixFile(const QString& path) {
  std::vector<std::pair<QByteArray, QByteArray>> out;
  QByteArray bytes;
  if (!ReadWholeFile(path, bytes) || bytes.size() < 12 ||
      !bytes.startsWith(QByteArrayView(kPrefixMagic, sizeof kPrefixMagic)))
    return out;
  const uint32_t count = get32(bytes.constData() + 8);
  if (bytes.size() < 12 + qsizetype(count) * kPrefixEntry) return out;
  for (uint32_t i = 0; i < count; ++i) {
    const qsizetype at = 12 + qsizetype(i) * kPrefixEntry;
    out.emplace_back(bytes.mid(at, 6), bytes.mid(at + 6, 3));
  }
  return out;
}

}  // namespace hamlog
