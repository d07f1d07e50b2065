#include "platform/hamlog/hdb_table.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/vbfile.h"

namespace hamlog {

namespace {

constexpr char kJournalMagic[8] = {'O', 'X', 'J', 'N', 'L', '0', '0', '1'};
constexpr int kJournalHead = 8 + 4 + 4 + 8;

void put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}
uint32_t get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

void step(HdbTable::WriteStep s) {
  if (HdbTable::stepHookForTest) HdbTable::stepHookForTest(s);
}

int64_t recordOffset(int64_t recNo) { return kHdbHeaderLength + (recNo - 1) * kHdbRecordLength; }

}  // namespace

void CleanRecord(unsigned char* image) {
  image[0] = ' ';
  std::replace(image + 1, image + kHdbRecordLength, '\0', ' ');
}

TableStatus HdbTable::Open(const QString& path) {
  Close();
  if (!StatPath(path).exists) return TableStatus::Missing;
  if (!file_.Open(path)) return TableStatus::Failed;
  QByteArray head(kHdbHeaderLength, '\0');
  if (!file_.ReadAt(0, head.data(), head.size())) {
    Close();
    return TableStatus::Foreign;
  }
  const auto parsed = ParseHdbHeader(head);
  if (!parsed) {
    Close();
    return TableStatus::Foreign;
  }
  header_ = *parsed;
  if (file_.Stat().size < recordOffset(int64_t(header_.count) + 1)) {
    Close();
    return TableStatus::Truncated;
  }
  path_ = path;
  if (!remap()) {
    Close();
    return TableStatus::Failed;
  }
  return TableStatus::Ok;
}

void HdbTable::Close() {
  map_.Unmap();
  file_.Close();
  header_ = {};
}

bool HdbTable::remap() { return map_.Map(file_.Fd(), size_t(recordOffset(int64_t(header_.count) + 1))); }

TableStatus HdbTable::Refresh() {
  if (!IsOpen()) return TableStatus::Missing;
  const FileStat onDisk = StatPath(path_);
  const FileStat mine = file_.Stat();
  if (!onDisk.exists || onDisk.inode != mine.inode || onDisk.device != mine.device) {
    const QString p = path_;
    return Open(p);
  }
  QByteArray head(kHdbHeaderLength, '\0');
  const auto parsed = file_.ReadAt(0, head.data(), head.size()) ? ParseHdbHeader(head) : std::nullopt;
  if (!parsed) return TableStatus::Foreign;
  if (mine.size < recordOffset(int64_t(parsed->count) + 1)) return TableStatus::Truncated;
  header_ = *parsed;
  return remap() ? TableStatus::Ok : TableStatus::Failed;
}

const unsigned char* HdbTable::Record(int64_t recNo) const {
  if (recNo < 1 || recNo > header_.count || !map_.Data()) return nullptr;
  return map_.Data() + recordOffset(recNo);
}

IndexStamp HdbTable::Stamp() const {
  const FileStat s = file_.Stat();
  return {header_.identity, header_.generation, header_.count, s.size, s.mtimeNs};
}

bool HdbTable::commitHeader(uint32_t count, bool bumpGeneration) {
  unsigned char head[32];
  if (!file_.ReadAt(0, head, sizeof head)) return false;
  HdbHeader next = header_;
  next.count = count;
  if (bumpGeneration) ++next.generation;
  StampHdbHeader(head, next, TodayJst());
  if (!file_.WriteAt(0, head, sizeof head)) return false;
  if (!file_.Sync()) return false;
  header_ = next;
  return remap();
}

bool HdbTable::Append(const unsigned char* image) { return AppendMany(image, 1); }

bool HdbTable::AppendMany(const unsigned char* images, size_t count, size_t commitEvery) {
  if (!Writable()) return false;
  commitEvery = std::max<size_t>(commitEvery, 1);
  std::vector<unsigned char> chunk;
  for (size_t done = 0; done < count;) {
    const size_t n = std::min(commitEvery, count - done);
    chunk.resize(n * kHdbRecordLength + 1);
    std::memcpy(chunk.data(), images + done * kHdbRecordLength, n * kHdbRecordLength);
    for (size_t i = 0; i < n; ++i) CleanRecord(chunk.data() + i * kHdbRecordLength);
    chunk.back() = kDbfEof;
    if (!file_.WriteAt(recordOffset(int64_t(header_.count) + 1), chunk.data(), chunk.size())) return false;
    if (!file_.Sync()) return false;
    step(WriteStep::RecordWritten);
    if (!commitHeader(header_.count + uint32_t(n), true)) return false;
    done += n;
  }
  return true;
}

QString HdbTable::journalPath() const { return path_.left(path_.size() - 3) + "jnl"; }

bool HdbTable::Overwrite(int64_t recNo, const unsigned char* image) {
  if (!Writable() || !Record(recNo)) return false;
  std::vector<unsigned char> j(kJournalHead + kHdbRecordLength);
  unsigned char* clean = j.data() + kJournalHead;
  std::memcpy(clean, image, kHdbRecordLength);
  CleanRecord(clean);
  std::memcpy(j.data(), kJournalMagic, 8);
  put32(j.data() + 8, uint32_t(recNo));
  put32(j.data() + 12, header_.identity);
  const uint64_t hash = Fnv1a(clean, kHdbRecordLength);
  put32(j.data() + 16, uint32_t(hash));
  put32(j.data() + 20, uint32_t(hash >> 32));

  UnixFile journal;
  if (!journal.Open(journalPath(), true) || !journal.Truncate(0) || !journal.WriteAt(0, j.data(), j.size()) ||
      !journal.Sync())
    return false;
  journal.Close();
  step(WriteStep::JournalWritten);
  if (!file_.WriteAt(recordOffset(recNo), clean, kHdbRecordLength)) return false;
  if (!file_.Sync()) return false;
  if (!commitHeader(header_.count, true)) return false;
  return RemoveFile(journalPath());
}

bool HdbTable::RecoverJournal() {
  const QString jp = journalPath();
  if (!StatPath(jp).exists) return true;
  if (!Writable()) return false;
  UnixFile journal;
  std::vector<unsigned char> j(kJournalHead + kHdbRecordLength);
  bool whole = journal.OpenReadOnly(jp) && journal.Stat().size == int64_t(j.size()) &&
               journal.ReadAt(0, j.data(), j.size()) && std::memcmp(j.data(), kJournalMagic, 8) == 0;
  journal.Close();
  const unsigned char* image = j.data() + kJournalHead;
  const uint64_t hash = get32(j.data() + 16) | uint64_t(get32(j.data() + 20)) << 32;
  const int64_t recNo = get32(j.data() + 8);
  whole = whole && get32(j.data() + 12) == header_.identity && hash == Fnv1a(image, kHdbRecordLength) &&
          Record(recNo) != nullptr;
  if (whole) {
    if (!file_.WriteAt(recordOffset(recNo), image, kHdbRecordLength) || !file_.Sync()) return false;
    if (!commitHeader(header_.count, true)) return false;
  }
  return RemoveFile(jp);
}

bool HdbTable::PutByte(int64_t recNo, int offset, unsigned char value) {
  if (!Writable() || !Record(recNo) || offset < 0 || offset >= kHdbRecordLength) return false;
  if (!file_.WriteAt(recordOffset(recNo) + offset, &value, 1)) return false;
  if (!file_.Sync()) return false;
  return commitHeader(header_.count, offset == 0);
}

bool HdbTable::MarkDeleted(int64_t recNo) { return PutByte(recNo, 0, '*'); }

bool HdbTable::Pack() {
  if (!Writable()) return false;
  uint32_t kept = 0;
  for (int64_t r = 1; r <= header_.count; ++r)
    if (Record(r)[0] != '*') ++kept;
  if (kept == header_.count) return true;

  HdbHeader next = header_;
  next.count = kept;
  ++next.generation;
  const QString temp = path_ + ".pack";
  UnixFile out;
  bool ok = out.Open(temp, true) && out.Writable() && out.Truncate(0);
  const QByteArray head = BuildHdbHeader(next, TodayJst());
  ok = ok && out.WriteAt(0, head.constData(), head.size());
  std::vector<unsigned char> chunk;
  chunk.reserve(size_t(4096) * kHdbRecordLength);
  int64_t at = kHdbHeaderLength;
  for (int64_t r = 1; ok && r <= header_.count + 1; ++r) {
    const bool last = r == header_.count + 1;
    if (!last && Record(r)[0] != '*') chunk.insert(chunk.end(), Record(r), Record(r) + kHdbRecordLength);
    if (last) chunk.push_back(kDbfEof);
    if (last || chunk.size() >= size_t(4096) * kHdbRecordLength) {
      ok = out.WriteAt(at, chunk.data(), chunk.size());
      at += int64_t(chunk.size());
      chunk.clear();
    }
  }
  ok = ok && out.Sync();
  out.Close();
  if (!ok || !ReplaceFile(temp, path_)) {
    RemoveFile(temp);
    return false;
  }
  const QString p = path_;
  return Open(p) == TableStatus::Ok;
}

bool HdbTable::CreateEmpty(const QString& path) {
  if (StatPath(path).exists) return false;
  HdbHeader h;
  h.generation = 1;
  h.identity = QRandomGenerator::system()->generate();
  QByteArray bytes = BuildHdbHeader(h, TodayJst());
  bytes.append(char(kDbfEof));
  return AtomicWriteFile(path, bytes);
}

}  // namespace hamlog
