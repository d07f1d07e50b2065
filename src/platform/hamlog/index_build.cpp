#include "platform/hamlog/index_build.h"

#include "platform/hamlog/master_file.h"
#include "platform/paths.h"

namespace hamlog {

QString CompanionPath(const QString& hdbPath, const QString& suffix) {
  return RealPath(hdbPath.left(hdbPath.size() - 3) + suffix);
}

bool BuildHdbIndex(const HdbTable& table, const IndexKind& kind, const QString& indexPath) {
  IndexEntries entries(kind.keyWidth);
  entries.Reserve(table.Count());
  for (int64_t r = 1; r <= table.Count(); ++r) {
    const unsigned char* rec = table.Record(r);
    if (rec[0] != '*') entries.Add(rec + kind.keyOffset, uint32_t(r));
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
  stamp = {header.identity, 0, header.count, st.size, st.mtimeNs};
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
  for (uint32_t k = 1; k <= header.count; ++k)
    entries.Add(map.Data() + kMasterFirstRecord + size_t(k - 1) * kMasterRecordLength + kind.keyOffset, k);
  return WriteIndex(indexPath, kind, entries, stamp);
}

}  // namespace hamlog
