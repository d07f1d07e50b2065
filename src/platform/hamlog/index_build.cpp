#include "platform/hamlog/index_build.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <vector>

#include "platform/hamlog/master_file.h"
#include "platform/paths.h"

namespace hamlog {

QString CompanionPath(const QString& hdbPath, const QString& suffix) {
  return RealPath(hdbPath.left(hdbPath.size() - 3) + suffix);
}

bool BuildHdbIndex(const HdbTable& table, const IndexKind& kind, const QString& indexPath) {
  IndexEntries entries(kind.keyWidth);
  const int64_t count = table.Count();
  entries.Reserve(count);
  constexpr int64_t kRun = 4096;
  std::vector<unsigned char> run(size_t(kRun) * kHdbRecordLength);
  for (int64_t r = 1; r <= count; r += kRun) {
    const int64_t n = std::min(kRun, count - r + 1);
    if (!table.ReadRecords(r, n, run.data())) return false;
    for (int64_t i = 0; i < n; ++i) {
      const unsigned char* rec = run.data() + size_t(i) * kHdbRecordLength;
      if (rec[0] != '*') entries.Add(rec + kind.keyOffset, uint32_t(r + i));
    }
  }
  return WriteIndex(indexPath, kind, entries, table.Stamp());
}

namespace {

bool openMaster(const QString& masterPath, UnixFile& f, MasterHeader& header, IndexStamp& stamp) {
  if (!f.OpenReadOnly(masterPath)) return false;
  const FileStat st = f.Stat();
  QByteArray head(kMasterFirstRecord, '\0');
  if (!f.ReadAt(0, head.data(), head.size())) return false;
  const auto parsed = ParseMasterHeader(head, st.size);
  if (!parsed) return false;
  header = *parsed;
  // The prefix list counts in the stamp too: any change of it rebuilds "dx4".
  const FileStat prefixes = StatPath(CompanionPath(masterPath, "PFX"));
  const int64_t both[2] = {prefixes.size, prefixes.mtimeNs};
  const uint32_t prefixStamp = prefixes.exists ? uint32_t(Fnv1a(both, sizeof both)) | 1 : 0;
  stamp = {header.identity, prefixStamp, header.count, st.size, st.mtimeNs};
  return true;
}

}  // namespace

bool MasterStamp(const QString& masterPath, IndexStamp& stamp) {
  UnixFile f;
  MasterHeader header;
  return openMaster(masterPath, f, header, stamp);
}

bool BuildMasterIndex(const QString& masterPath, const IndexKind& kind, const QString& indexPath) {
  UnixFile f;
  FileMap map;
  MasterHeader header;
  IndexStamp stamp;
  if (!openMaster(masterPath, f, header, stamp) ||
      !map.Map(f.Fd(), size_t(kMasterFirstRecord) + size_t(header.count) * kMasterRecordLength))
    return false;
  IndexEntries entries(kind.keyWidth);
  entries.Reserve(header.count);
  auto record = [&](uint32_t k) {
    return map.Data() + kMasterFirstRecord + size_t(k - 1) * kMasterRecordLength;
  };
  for (uint32_t k = 1; k <= header.count; ++k) entries.Add(record(k) + kind.keyOffset, k);
  if (&kind == &kMasterByKind) {
    // Further DX prefixes: kind "3" and the prefix, pointing at the entity's record.
    QHash<QByteArray, uint32_t> recordOfCode;
    for (uint32_t k = header.count; k >= 1; --k)
      recordOfCode.insert(QByteArray(reinterpret_cast<const char*>(record(k)), 6), k);
    QSet<QByteArray> seen;
    for (const auto& [code, prefix] : ReadPrefixFile(CompanionPath(masterPath, "PFX"))) {
      const uint32_t k = recordOfCode.value(code);
      if (k == 0) continue;
      const QByteArray key = "3" + prefix;
      const QByteArray own(reinterpret_cast<const char*>(record(k) + kind.keyOffset), kind.keyWidth);
      if (key == own || seen.contains(key + code)) continue;
      seen.insert(key + code);
      entries.Add(reinterpret_cast<const unsigned char*>(key.constData()), k);
    }
  }
  return WriteIndex(indexPath, kind, entries, stamp);
}

}  // namespace hamlog
