#include "platform/hamlog/hdb_table.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <QRandomGenerator>
#include <functional>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>
#include <cstring>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/vbfile.h"

namespace hamlog {

namespace {

constexpr char kJournalMagic[8] = {'O', 'X', 'J', 'N', 'L', '0', '0', '1'};
constexpr int kJournalHead = 8 + 4 + 4 + 8;
constexpr char kPackMagic[8] = {'O', 'X', 'P', 'A', 'K', '0', '0', '2'};
// Pack journals of earlier versions carry no check of their records: never written back.
constexpr char kUncheckedPackMagic[8] = {'O', 'X', 'P', 'A', 'K', '0', '0', '1'};
constexpr int kPackHead = 8 + 4 + 4 + 4 + 4 + 4 + 8;

void put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}
uint32_t get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

void step(HdbTable::WriteStep s) {
  if (HdbTable::stepHookForTest) HdbTable::stepHookForTest(s);
}

}  // namespace

void CleanRecord(unsigned char* image) {
  image[0] = ' ';
  std::replace(image + 1, image + kHdbRecordLength, '\0', ' ');
}

TableStatus HdbTable::Open(const QString& path, DbLock* lock) {
  Close();
  if (!StatPath(path).exists) return TableStatus::Missing;
  if (!file_.Open(path)) return TableStatus::Failed;
  path_ = path;
  lock_ = lock;
  const TableStatus s = readHeader();
  if (s != TableStatus::Ok) {
    const QString problem = problem_;
    Close();
    problem_ = problem;
  }
  return s;
}

void HdbTable::Close() {
  map_.Unmap();
  fileLocks_ = 0;  // the close releases them
  file_.Close();
  header_ = {};
  lock_ = nullptr;
  problem_.clear();
}

TableStatus HdbTable::readHeader() {
  auto read = [this](HdbHeader& h, int64_t& size) {
    QByteArray head(kHdbHeaderLength, '\0');
    size = file_.Stat().size;
    const auto parsed = file_.ReadAt(0, head.data(), head.size()) ? ParseHdbHeader(head) : std::nullopt;
    if (parsed) h = *parsed;
    return parsed.has_value();
  };
  HdbHeader h;
  int64_t size = 0;
  bool waited = true;
  if (!read(h, size)) return TableStatus::Foreign;
  if (FitCountToLength(h, size) == CountFit::Disagrees && (lock_ || fileLocks_ == 0)) {
    // Another process may be between the steps of its append: look again once it is through.
    WriteGuard guard(lock_);
    waited = waitForOutsideWriter();
    if (!read(h, size)) return TableStatus::Foreign;
  }
  if (FitCountToLength(h, size) == CountFit::Disagrees) {
    const QString name = QFileInfo(path_).fileName();
    if (!waited)
      problem_ = QString(
                     "%1 を他のプログラムが書き込み中で (件数がまだ書かれていません)、待つのをやめました。"
                     "何も読み込んでいません。そのプログラムが書き終えてから、もう一度行って下さい")
                     .arg(path_);
    else if (h.count > uint32_t(INT32_MAX))
      problem_ = QString("%1 のヘッダの件数 %2 件はレコード番号の上限 (%3) を超えています。"
                         "ファイルが壊れています")
                     .arg(name)
                     .arg(h.count)
                     .arg(INT32_MAX);
    else
      problem_ = QString("%1 のヘッダの件数 %2 件がファイルの長さ (%3 バイト = %4 件分) と合いません。"
                         "ファイルが壊れているか途中で切れています")
                     .arg(name)
                     .arg(h.count)
                     .arg(size)
                     .arg(RecordsInLength(size));
    return TableStatus::BadCount;
  }
  problem_.clear();
  header_ = h;
  return remap() ? TableStatus::Ok : TableStatus::Failed;
}

bool HdbTable::waitForOutsideWriter() {
  if (fileLocks_ > 0) return true;  // held by this write: nobody else is between steps
  // Heard as a write's wait for the lock is: shown where the operator is, and Esc ends it.
  const LockWait wait = hamlogLib.lockWait;
  int32_t look = 0;
  bool through = true;
  for (;;) {
    const UnixFile::WholeLock r = file_.TryLockWhole(false);
    if (r == UnixFile::WholeLock::Held) file_.UnlockWhole();
    if (r != UnixFile::WholeLock::Busy) break;
    ++look;
    if (wait ? !wait(look) : look > 300) {
      through = !wait;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (look > 0 && wait) wait(0);
  return through;
}

HdbTable::LockResult HdbTable::LockFile(const LockWait& wait) {
  if (!file_.IsOpen()) return LockResult::Failed;
  if (fileLocks_ > 0) {
    ++fileLocks_;
    return LockResult::Held;
  }
  int32_t look = 0;
  LockResult result = LockResult::Held;
  for (;;) {
    const UnixFile::WholeLock r = file_.TryLockWhole(file_.Writable());
    if (r == UnixFile::WholeLock::Held) break;
    if (r == UnixFile::WholeLock::Failed) {
      result = LockResult::Failed;
      break;
    }
    ++look;
    if (wait ? !wait(look) : look > kLockLooks) {
      result = LockResult::Stopped;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (look > 0 && wait) wait(0);
  if (result != LockResult::Held) return result;
  fileLocks_ = 1;
  step(WriteStep::Locked);
  return result;
}

void HdbTable::UnlockFile() {
  if (fileLocks_ > 0 && --fileLocks_ == 0) file_.UnlockWhole();
}

bool HdbTable::remap() { return map_.Map(file_.Fd(), size_t(HdbRecordOffset(int64_t(header_.count) + 1))); }

bool HdbTable::ReadRecord(int64_t recNo, unsigned char* out) const {
  if (!Has(recNo)) return false;
  const size_t at = size_t(HdbRecordOffset(recNo));
  // Past the end of a file cut short the map gives zeros up to the page's end, then the fault; a
  // record whose flag is neither " " nor "*" is read again from the file, which tells the truth.
  if (map_.Data() && at + kHdbRecordLength <= map_.Size() &&
      GuardedCopy(out, map_.Data() + at, kHdbRecordLength) && (out[0] == ' ' || out[0] == '*'))
    return true;
  return ReadRecords(recNo, 1, out);
}

TableStatus HdbTable::FollowReplaced(bool* reopened) {
  if (reopened) *reopened = false;
  if (!IsOpen()) return TableStatus::Missing;
  const FileStat onDisk = StatPath(path_);
  const FileStat mine = file_.Stat();
  if (onDisk.exists && onDisk.inode == mine.inode && onDisk.device == mine.device) return TableStatus::Ok;
  // Under the file's lock the file locked must stay the one written.
  if (fileLocks_ > 0) {
    problem_ = QString("%1 が書き込みの途中で別のファイルに置き換えられました").arg(path_);
    return TableStatus::Failed;
  }
  if (reopened) *reopened = true;
  const QString p = path_;
  return Open(p, lock_);
}

TableStatus HdbTable::Refresh() {
  bool reopened = false;
  if (const TableStatus s = FollowReplaced(&reopened); s != TableStatus::Ok || reopened) return s;
  const TableStatus s = readHeader();
  if (fileLocks_ > 0 && s == TableStatus::Ok) step(WriteStep::HeaderRead);
  return s;
}

bool HdbTable::ReadRecords(int64_t first, int64_t n, unsigned char* out) const {
  if (n <= 0 || !Has(first) || !Has(first + n - 1)) return false;
  return file_.ReadAt(HdbRecordOffset(first), out, size_t(n) * kHdbRecordLength);
}

bool HdbTable::ReadRecordHeads(int64_t first, int64_t n, int width, unsigned char* out, int offset) const {
  if (n <= 0 || width <= 0 || offset < 0 || offset + width > kHdbRecordLength || !Has(first) || !Has(first + n - 1))
    return false;
  const size_t at = size_t(HdbRecordOffset(first)), length = size_t(n) * kHdbRecordLength;
  if (map_.Data() && at + length <= map_.Size() &&
      GuardedGather(out, map_.Data() + at + offset, size_t(n), kHdbRecordLength, size_t(width))) {
    // A file cut short under the map reads as zeros to the end of its last page: such a flag sends the
    // run to the file, which tells the truth.
    std::vector<unsigned char> flagBytes;
    const unsigned char* flags = out;
    size_t step = size_t(width);
    if (offset > 0) {
      flagBytes.resize(size_t(n));
      if (!GuardedGather(flagBytes.data(), map_.Data() + at, size_t(n), kHdbRecordLength, 1)) flagBytes.assign(size_t(n), 0);
      flags = flagBytes.data();
      step = 1;
    }
    bool sound = true;
    for (int64_t i = 0; i < n && sound; ++i) sound = flags[size_t(i) * step] == ' ' || flags[size_t(i) * step] == '*';
    if (sound) return true;
  }
  std::vector<unsigned char> whole(length);
  if (!ReadRecords(first, n, whole.data())) return false;
  for (int64_t i = 0; i < n; ++i)
    std::memcpy(out + i * width, whole.data() + i * kHdbRecordLength + offset, size_t(width));
  return true;
}

IndexStamp HdbTable::Stamp() const {
  const FileStat s = file_.Stat();
  return {header_.identity, header_.generation, header_.count, s.size, s.mtimeNs};
}

bool HdbTable::commitHeader(std::optional<uint32_t> count, bool bumpGeneration, std::optional<uint32_t> pending,
                            bool flush) {
  unsigned char head[32];
  if (!file_.ReadAt(0, head, sizeof head)) return false;
  HdbHeader next = HdbHeadValues(head);
  if (count && next.count != header_.count) {
    // Another program wrote the count without the file's lock since this write read it.
    problem_ = QString("%1 の件数が書き込みの途中で他のプログラムに変えられました").arg(path_);
    errno = ESTALE;
    return false;
  }
  if (count) next.count = *count;
  if (pending) next.pending = *pending, next.pendingOurs = *pending != 0;
  if (bumpGeneration) ++next.generation;
  StampHdbHeader(head, next, TodayJst(), pending.has_value());
  if (!file_.WriteAt(0, head, sizeof head)) return false;
  // Only a note of what is to come changes nothing readers see.
  const bool noteOnly = pending && *pending != 0 && !bumpGeneration && next.count == header_.count;
  if (!(flush ? file_.Sync() : file_.WriteOut(0, sizeof head))) {
    header_ = next;
    landed_ = landed_ || !noteOnly;
    return false;
  }
  header_ = next;
  return remap();
}

bool HdbTable::Append(const unsigned char* image) { return AppendMany(image, 1); }

bool HdbTable::AppendMany(const unsigned char* images, size_t count, size_t commitEvery) {
  landed_ = false;
  if (!Writable() || int64_t(header_.count) + int64_t(count) > INT32_MAX) return false;
  commitEvery = std::max<size_t>(commitEvery, 1);
  std::vector<unsigned char> chunk;
  for (size_t done = 0; done < count;) {
    const size_t n = std::min(commitEvery, count - done);
    chunk.resize(n * kHdbRecordLength + 1);
    std::memcpy(chunk.data(), images + done * kHdbRecordLength, n * kHdbRecordLength);
    for (size_t i = 0; i < n; ++i) CleanRecord(chunk.data() + i * kHdbRecordLength);
    chunk.back() = kDbfEof;
    const uint32_t next = header_.count + uint32_t(n);
    if (!commitHeader(header_.count, false, next, false)) return false;
    if (!file_.WriteAt(HdbRecordOffset(int64_t(header_.count) + 1), chunk.data(), chunk.size())) return false;
    if (!file_.Sync()) return false;
    step(WriteStep::RecordWritten);
    if (!commitHeader(next, true)) return false;
    done += n;
  }
  return true;
}

QString HdbTable::JournalPath() const { return path_.left(path_.size() - 3) + "jnl"; }

bool HdbTable::Overwrite(int64_t recNo, const unsigned char* image) {
  landed_ = false;
  if (!Writable() || !Has(recNo)) return false;
  problem_.clear();
  unsigned char clean[kHdbRecordLength], stored[kHdbRecordLength];
  std::memcpy(clean, image, kHdbRecordLength);
  CleanRecord(clean);
  if (!ReadRecord(recNo, stored)) return false;
  int differing = 0, at = 0;
  for (int i = 0; i < kHdbRecordLength; ++i)
    if (clean[i] != stored[i]) ++differing, at = i;
  if (differing == 0) return true;
  // A single byte (a QSL mark) cannot be torn: no journal needed.
  if (differing == 1) {
    if (!file_.WriteAt(HdbRecordOffset(recNo) + at, clean + at, 1)) return false;
    landed_ = true;
    return file_.Sync() && commitHeader(std::nullopt, true, std::nullopt);
  }

  std::vector<unsigned char> j(kJournalHead + kHdbRecordLength);
  std::memcpy(j.data() + kJournalHead, clean, kHdbRecordLength);
  std::memcpy(j.data(), kJournalMagic, 8);
  put32(j.data() + 8, uint32_t(recNo));
  put32(j.data() + 12, header_.identity);
  const uint64_t hash = Fnv1a(clean, kHdbRecordLength);
  put32(j.data() + 16, uint32_t(hash));
  put32(j.data() + 20, uint32_t(hash >> 32));
  if (!writeJournal([&](UnixFile& journal) { return journal.WriteAt(0, j.data(), j.size()); })) return false;
  step(WriteStep::JournalWritten);
  // The record and the header's change counter reach the disk in one flush: the journal covers both.
  if (!file_.WriteAt(HdbRecordOffset(recNo), clean, kHdbRecordLength)) return false;
  landed_ = true;
  step(WriteStep::RecordWritten);
  return commitHeader(std::nullopt, true, std::nullopt) && RemoveFile(JournalPath());
}

bool HdbTable::writeJournal(const std::function<bool(UnixFile&)>& fill) {
  const QString name = JournalPath();
  // Anything already there is not ours (our own was completed or dropped under this lock before the
  // write began): it stays, and the write that needs the journal is refused naming it.
  if (NameTaken(name)) {
    problem_ = QString("%1 はこのプログラムの作ったファイルではないので、そのままにしてあります "
                       "(記録の変更と削除がこの名前を使います)")
                   .arg(name);
    errno = EEXIST;
    return false;
  }
  // Written whole under a name of this process, then named: a journal found under its name is whole.
  const QString scratch = OwnScratchPath(name);
  UnixFile journal;
  bool ok = journal.Create(scratch, file_.Stat().mode & 0666);
  const bool made = ok;
  ok = ok && fill(journal) && journal.Sync();
  int cause = errno;
  journal.Close();
  if (ok) step(WriteStep::JournalFilled);
  if (ok && !PlaceFile(scratch, name)) ok = false, cause = errno;
  if (ok) return true;
  if (made) RemoveFile(scratch);
  problem_ = QString("%1 を書き込めませんでした (%2)").arg(name, FileErrorReason(cause));
  errno = cause;
  return false;
}

bool HdbTable::rollBackAppend() {
  const unsigned char eof = kDbfEof;
  const int64_t end = HdbRecordOffset(int64_t(header_.count) + 1);
  return file_.Truncate(end) && file_.WriteAt(end, &eof, 1) && file_.Sync() &&
         commitHeader(header_.count, false, 0);
}

HdbTable::JournalKind HdbTable::readJournal(const QString& jp, std::vector<unsigned char>& head, UnixFile& journal) const {
  head.assign(kPackHead, 0);
  if (SpecialFileAt(jp)) return JournalKind::Special;
  if (!journal.OpenReadOnly(jp)) return JournalKind::Foreign;
  const int64_t size = journal.Stat().size;
  if (!journal.ReadAt(0, head.data(), size_t(std::min<int64_t>(size, kPackHead))) || size < 16 ||
      get32(head.data() + 12) != header_.identity)
    return JournalKind::Foreign;
  if (std::memcmp(head.data(), kJournalMagic, 8) == 0) {
    std::vector<unsigned char> j(kJournalHead + kHdbRecordLength);
    const unsigned char* image = j.data() + kJournalHead;
    const bool whole = size == int64_t(j.size()) && journal.ReadAt(0, j.data(), j.size());
    const uint64_t hash = get32(j.data() + 16) | uint64_t(get32(j.data() + 20)) << 32;
    head = j;
    return whole && Has(get32(j.data() + 8)) &&
                   (hash == Fnv1a(image, kHdbRecordLength) || hash == Fnv1aOfEarlierJournals(image, kHdbRecordLength))
               ? JournalKind::Record
               : JournalKind::Damaged;
  }
  if (std::memcmp(head.data(), kUncheckedPackMagic, 8) == 0) return JournalKind::Damaged;
  if (std::memcmp(head.data(), kPackMagic, 8) != 0) return JournalKind::Foreign;
  const uint64_t check = get32(head.data() + 28) | uint64_t(get32(head.data() + 32)) << 32;
  const int64_t first = get32(head.data() + 16), kept = get32(head.data() + 20);
  // The log is the one packed, before the pack's end (its old count) or after it (the kept count).
  if (check != Fnv1a(head.data(), 28) || first < 1 || kept < first - 1 ||
      size != kPackHead + (kept - first + 1) * int64_t(kHdbRecordLength) || kept > int64_t(header_.count) ||
      first > int64_t(header_.count) + 1)
    return JournalKind::Damaged;
  // Every record, before one of them goes back into the log.
  std::vector<unsigned char> run(size_t(1) << 20);
  uint32_t crc = 0;
  for (int64_t at = kPackHead; at < size;) {
    const size_t n = size_t(std::min<int64_t>(int64_t(run.size()), size - at));
    if (!journal.ReadAt(at, run.data(), n)) return JournalKind::Damaged;
    crc = Crc32c(crc, run.data(), n);
    at += int64_t(n);
  }
  return crc == get32(head.data() + 8) ? JournalKind::Pack : JournalKind::Damaged;
}

void HdbTable::keepDamagedJournal(const QString& jp) {
  QString kept = jp + ".damaged";
  for (int n = 2; NameTaken(kept) && n < 1000; ++n) kept = jp + ".damaged." + QString::number(n);
  if (!PlaceFile(jp, kept)) {
    notices_ << QString("%1 はこのプログラムのジャーナルですが、壊れているので %2 に書き戻していません。"
                        "名前を変えられなかったので、そのままにしてあります (%3)。"
                        "%2 の記録を確かめてから、このファイルを削除して下さい")
                    .arg(jp, path_, FileErrorReason(errno));
    return;
  }
  notices_ << QString("%1 はこのプログラムのジャーナルですが、壊れていたので %2 に書き戻さず、%3 の名前で"
                      "残しました。%2 の記録 (特に最後の変更や削除) を確かめてから、%3 を削除して下さい")
                  .arg(jp, path_, kept);
}

QStringList HdbTable::TakeNotices() { return std::exchange(notices_, {}); }

bool HdbTable::RecoverJournal(const LockWait& wait) {
  const QString jp = JournalPath();
  if (!(header_.pending != 0 && header_.pendingOurs) && !NameTaken(jp)) return true;
  if (Writable()) {
    if (LockFile(wait) != LockResult::Held) return false;
  }
  struct Unlock {
    HdbTable* t;
    bool held;
    ~Unlock() {
      if (held) t->UnlockFile();
    }
  } unlock{this, Writable()};
  // What another writer left may have been completed while this one waited.
  if (Writable() && Refresh() != TableStatus::Ok) return false;
  if (header_.pending != 0 && header_.pendingOurs && (!Writable() || !rollBackAppend())) return false;
  if (!NameTaken(jp)) return true;
  std::vector<unsigned char> head;
  UnixFile journal;
  const JournalKind kind = readJournal(jp, head, journal);
  if (kind == JournalKind::Foreign || kind == JournalKind::Special) {
    const QString what = kind == JournalKind::Special ? QString("普通のファイルではない (FIFO やデバイスなど) ので開かずに")
                                                      : QString("このプログラムのジャーナルではないので");
    const QString notice = QString("%1 は%2、そのままにしてあります。記録の変更と削除はこの名前を使うので、"
                                   "要らないファイルなら削除するか別の名前に変えて下さい")
                               .arg(jp, what);
    if (!notices_.contains(notice)) notices_ << notice;
    NameOnce(notice);
    return true;
  }
  if (!Writable()) return false;
  if (kind == JournalKind::Damaged) {
    journal.Close();
    keepDamagedJournal(jp);
    return true;
  }
  if (kind == JournalKind::Record) {
    const int64_t recNo = get32(head.data() + 8);
    if (!file_.WriteAt(HdbRecordOffset(recNo), head.data() + kJournalHead, kHdbRecordLength) || !file_.Sync() ||
        !commitHeader(std::nullopt, true, std::nullopt))
      return false;
  } else if (kind == JournalKind::Pack && !finishPack(journal, get32(head.data() + 16), get32(head.data() + 20))) {
    return false;
  }
  journal.Close();
  return RemoveFile(jp);
}

// Puts the packed records from the journal in place of records first.. and cuts the log after them.
// Each step leaves a log that opens: until the new count is committed the length is the old one; the
// count's commit notes the old records past it as ours, so a kill before the cut has them cut next.
bool HdbTable::finishPack(const UnixFile& journal, int64_t first, int64_t kept) {
  const int64_t end = HdbRecordOffset(kept + 1);
  const unsigned char eof = kDbfEof;
  const uint32_t wholeNow = uint32_t(std::max<int64_t>(RecordsInLength(file_.Stat().size), kept));
  if (!CopyFileData(journal, kPackHead, file_, HdbRecordOffset(first), end - HdbRecordOffset(first)) ||
      !file_.Sync())
    return false;
  step(WriteStep::PackCopied);
  if (!commitHeader(uint32_t(kept), true, wholeNow > kept ? wholeNow : 0)) return false;
  landed_ = true;
  step(WriteStep::PackCounted);
  return file_.Truncate(end) && file_.WriteAt(end, &eof, 1) && file_.Sync() &&
         (header_.pending == 0 || commitHeader(header_.count, false, 0));
}

bool HdbTable::PutByte(int64_t recNo, int offset, unsigned char value) {
  landed_ = false;
  if (!Writable() || !Has(recNo) || offset < 0 || offset >= kHdbRecordLength) return false;
  if (!file_.WriteAt(HdbRecordOffset(recNo) + offset, &value, 1)) return false;
  landed_ = true;
  if (!file_.Sync()) return false;
  return commitHeader(std::nullopt, offset == 0, std::nullopt);
}

bool HdbTable::MarkDeleted(int64_t recNo) { return PutByte(recNo, 0, '*'); }

bool HdbTable::Pack() {
  landed_ = false;
  if (!Writable()) return false;
  problem_.clear();
  constexpr int64_t kRun = 4096;
  const int64_t count = header_.count;
  // The first deleted record: the records before it stay where they are.
  int64_t first = 0;
  std::vector<unsigned char> flags(static_cast<size_t>(kRun));
  for (int64_t r = 1; first == 0 && r <= count; r += kRun) {
    const int64_t n = std::min(kRun, count - r + 1);
    if (!ReadRecordHeads(r, n, 1, flags.data())) return false;
    for (int64_t i = 0; first == 0 && i < n; ++i)
      if (flags[size_t(i)] == '*') first = r + i;
  }
  if (first == 0) return true;

  // The records from the first deleted one on, packed, go into the journal; then back into the log.
  std::vector<unsigned char> head(kPackHead, 0), run(size_t(kRun) * kHdbRecordLength), chunk;
  int64_t kept = first - 1;
  uint32_t crc = 0;
  const bool journaled = writeJournal([&](UnixFile& journal) {
    int64_t at = kPackHead;
    for (int64_t r = first; r <= count; r += kRun) {
      const int64_t n = std::min(kRun, count - r + 1);
      if (!ReadRecords(r, n, run.data())) return false;
      chunk.clear();
      for (int64_t i = 0; i < n; ++i) {
        const unsigned char* rec = run.data() + size_t(i) * kHdbRecordLength;
        if (rec[0] != '*') chunk.insert(chunk.end(), rec, rec + kHdbRecordLength), ++kept;
      }
      if (!journal.WriteAt(at, chunk.data(), chunk.size())) return false;
      crc = Crc32c(crc, chunk.data(), chunk.size());
      at += int64_t(chunk.size());
    }
    std::memcpy(head.data(), kPackMagic, 8);
    put32(head.data() + 8, crc);
    put32(head.data() + 12, header_.identity);
    put32(head.data() + 16, uint32_t(first));
    put32(head.data() + 20, uint32_t(kept));
    const uint64_t check = Fnv1a(head.data(), 28);
    put32(head.data() + 28, uint32_t(check));
    put32(head.data() + 32, uint32_t(check >> 32));
    return journal.WriteAt(0, head.data(), head.size());
  });
  if (!journaled) return false;
  step(WriteStep::JournalWritten);
  UnixFile journal;
  if (!journal.OpenReadOnly(JournalPath()) || !finishPack(journal, first, kept)) return false;
  journal.Close();
  return RemoveFile(JournalPath());
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
