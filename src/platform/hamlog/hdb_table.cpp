#include "platform/hamlog/hdb_table.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
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

constexpr char kJournalMagic[8] = {'O', 'X', 'J', 'N', 'L', '0', '0', '2'};
constexpr int kJournalHead = 8 + 4 + 4 + 8;
constexpr char kPackMagic[8] = {'O', 'X', 'P', 'A', 'K', '0', '0', '2'};
constexpr int kPackHead = 8 + 4 + 4 + 4 + 4 + 4 + 8;
// Journals of earlier versions: no check covers their heads (a record number, a count), so they are
// never written back.
constexpr char kUncheckedJournalMagic[8] = {'O', 'X', 'J', 'N', 'L', '0', '0', '1'};
constexpr char kUncheckedPackMagic[8] = {'O', 'X', 'P', 'A', 'K', '0', '0', '1'};

// While the count does not fit the length and nobody holds the log's lock, it is read again this many
// times, kLookMs apart, before it is taken for damage; kOutsideLooks caps the whole wait.
constexpr int kLookMs = 5;
constexpr int kQuietLooks = 40;
constexpr int kOutsideLooks = 600;

void put32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}
uint32_t get32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint64_t get64(const unsigned char* p) { return get32(p) | uint64_t(get32(p + 4)) << 32; }

// The check of a record journal: its bytes but the check itself.
uint64_t recordJournalCheck(const unsigned char* j) {
  return Fnv1aMore(Fnv1a(j, 16), j + kJournalHead, kHdbRecordLength);
}

void step(HdbTable::WriteStep s) {
  if (HdbTable::stepHookForTest) HdbTable::stepHookForTest(s);
}

// A pack journal's head that passes its check as it stands, or with our magic in its first eight bytes.
bool packHeadChecks(const unsigned char* head) {
  unsigned char mended[28];
  std::memcpy(mended, head, sizeof mended);
  std::memcpy(mended, kPackMagic, 8);
  return get64(head + 28) == Fnv1a(head, 28) || get64(head + 28) == Fnv1a(mended, 28);
}

}  // namespace

void CleanRecord(unsigned char* image) {
  image[0] = ' ';
  std::replace(image + 1, image + kHdbRecordLength, '\0', ' ');
}

TableStatus HdbTable::Open(const QString& path, DbLock* lock, const LockWait* finish) {
  Close();
  if (!StatPath(path).exists) return TableStatus::Missing;
  if (!file_.Open(path)) return TableStatus::Failed;
  path_ = path;
  lock_ = lock;
  TableStatus s = readHeader();
  if (s == TableStatus::BadCount && finish) {
    s = finishOverBadCount(*finish);
    if (s == TableStatus::Ok) s = readHeader();
  }
  if (s != TableStatus::Ok) {
    const QString problem = problem_;
    Close();
    problem_ = problem;
  }
  return s;
}

void HdbTable::Close() {
  map_.Unmap();
  fileLocks_ = readLocks_ = 0;  // the close releases them
  ownMarks_ = false;
  lockWait_ = {};
  file_.Close();
  header_ = {};
  lock_ = nullptr;
  problem_.clear();
}

bool HdbTable::readHead(HdbHeader& h, int64_t& size) {
  QByteArray head(kHdbHeaderLength, '\0');
  size = file_.Stat().size;
  const auto parsed = file_.ReadAt(0, head.data(), head.size()) ? ParseHdbHeader(head) : std::nullopt;
  if (parsed) h = *parsed;
  return parsed.has_value();
}

TableStatus HdbTable::readHeader() {
  HdbHeader h;
  int64_t size = 0;
  bool stopped = false;
  if (!readHead(h, size)) return TableStatus::Foreign;
  if (FitCountToLength(h, size) == CountFit::Disagrees && (lock_ || fileLocks_ == 0)) {
    // Another process may be between the steps of its append: look again once it is through. A write or
    // a reading of ours holding the file's lock may have taken it between another program's record and
    // its count. A reading of ours holding the write byte keeps every writer of ours out already.
    const WriteGuard guard(lock_ && !lock_->Reading() ? lock_ : nullptr, LockWait(hamlogLib.lockWait));
    stopped = guard.Stopped();
    const bool held = fileLocks_ > 0 || readLocks_ > 0;
    bool settled = !stopped;
    for (int round = 0; settled && round < 3 && FitCountToLength(h, size) == CountFit::Disagrees; ++round) {
      if (held) file_.UnlockWhole();
      settled = waitForOutsideWriter(h, size, stopped);
      if (held && takeFileLock(lockWait_, fileLocks_ > 0 && file_.Writable()) != LockResult::Held) {
        problem_ = LockedText(fileLocks_ > 0 ? kWriteStopped : kReadStopped);
        fileLocks_ = readLocks_ = 0;
        return TableStatus::Locked;
      }
      // Another append may have begun since the wait saw the count fit.
      if (!readHead(h, size)) return TableStatus::Foreign;
    }
  }
  if (FitCountToLength(h, size) == CountFit::Disagrees) {
    const QString name = QFileInfo(path_).fileName();
    if (stopped)
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

bool HdbTable::waitForOutsideWriter(HdbHeader& h, int64_t& size, bool& stopped) {
  // While the other program holds the lock, waited for as every wait for the log is: shown where the
  // operator is, ended by Esc, capped where nobody sees it. Its holds count as one wait: the note and
  // the cap go on across the moments it lets go.
  const LockWait hook = hamlogLib.lockWait;
  int32_t looks = 0;
  bool busy = false;
  const LockWait wait = [&](int32_t look) {
    if (look == 0) return true;  // told once, below
    ++looks;
    return hook ? hook(looks) : looks <= kLockLooks;
  };
  const auto othersLetGo = [&] {
    const UnixFile::WholeLock r = file_.TryLockWhole(false);
    if (r == UnixFile::WholeLock::Held) file_.UnlockWhole();
    busy = busy || r == UnixFile::WholeLock::Busy;
    // A lock that cannot be tried is not waited for: the count tells.
    return r == UnixFile::WholeLock::Busy ? LockTry::Busy : LockTry::Held;
  };
  bool fits = false;
  for (int look = 0, quiet = 0; look < kOutsideLooks && quiet < kQuietLooks; ++look) {
    busy = false;
    if (WaitForLock(othersLetGo, wait, 0, [this] { return holder(); }) != LockResult::Held) {
      stopped = true;
      break;
    }
    if (!readHead(h, size)) break;
    if (FitCountToLength(h, size) != CountFit::Disagrees) {
      fits = true;
      break;
    }
    quiet = busy ? 1 : quiet + 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(kLookMs));
  }
  if (looks > 0 && hook) hook(0);
  return fits;
}

LockResult HdbTable::LockFile(const LockWait& wait) {
  if (!file_.IsOpen()) return LockResult::Failed;
  if (fileLocks_ > 0) {
    ++fileLocks_;
    return LockResult::Held;
  }
  const LockResult result = takeFileLock(wait, file_.Writable());
  if (result != LockResult::Held) {
    keepReadingHold();
    return result;
  }
  fileLocks_ = 1;
  lockWait_ = wait;
  step(WriteStep::Locked);
  return result;
}

LockResult HdbTable::HoldForReading(const LockWait& wait) {
  if (!file_.IsOpen()) return LockResult::Failed;
  if (fileLocks_ == 0 && readLocks_ == 0) {
    const LockResult result = takeFileLock(wait, false);
    if (result != LockResult::Held) return result;
    lockWait_ = wait;
  }
  ++readLocks_;
  return LockResult::Held;
}

void HdbTable::LetGoReading() {
  if (readLocks_ == 0 || --readLocks_ > 0 || fileLocks_ > 0) return;
  file_.UnlockWhole();
  lockWait_ = {};
}

void HdbTable::keepReadingHold() {
  // After a write of ours inside the reading, or an attempt at one that let go of the lock: shared again.
  if (readLocks_ > 0 && fileLocks_ == 0 && file_.TryLockWhole(false) != UnixFile::WholeLock::Held)
    readLocks_ = 0;
}

LockResult HdbTable::takeFileLock(const LockWait& wait, bool exclusive) {
  const LockResult r = WaitForLock(
      [this, exclusive] {
        switch (file_.TryLockWhole(exclusive)) {
          case UnixFile::WholeLock::Held:
            return LockTry::Held;
          case UnixFile::WholeLock::Busy:
            return LockTry::Busy;
          case UnixFile::WholeLock::Failed:
            break;
        }
        return LockTry::Failed;
      },
      wait, 0, [this] { return holder(); });
  return r == LockResult::Capped ? LockResult::Stopped : r;
}

QString HdbTable::LockedText(const QString& what) const {
  return hamlog::LockedText(path_, file_.LockHolder(), what);
}

void HdbTable::UnlockFile() {
  if (fileLocks_ > 0 && --fileLocks_ == 0) {
    if (readLocks_ > 0) return keepReadingHold();
    file_.UnlockWhole();
    lockWait_ = {};
  }
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
  // A note of ours that this write leaves as it is keeps its check over the values written with it.
  StampHdbHeader(head, next, TodayJst(), pending.has_value() || next.pendingOurs);
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
  landed_ = journalLeft_ = false;
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
  const uint64_t check = recordJournalCheck(j.data());
  put32(j.data() + 16, uint32_t(check));
  put32(j.data() + 20, uint32_t(check >> 32));
  if (!writeJournal([&](UnixFile& journal) { return journal.WriteAt(0, j.data(), j.size()); })) return false;
  step(WriteStep::JournalWritten);
  // From here the journal completes the edit, as the pack's does. The record and the header's change
  // counter reach the disk in one flush: the journal covers both.
  bool done = file_.WriteAt(HdbRecordOffset(recNo), clean, kHdbRecordLength);
  if (done) {
    landed_ = true;
    step(WriteStep::RecordWritten);
  }
  done = done && commitHeader(std::nullopt, true, std::nullopt) && RemoveFile(JournalPath());
  if (!done) leaveJournal();
  return done;
}

bool HdbTable::writeJournal(const std::function<bool(UnixFile&)>& fill) {
  const QString name = JournalPath();
  // Anything already there is not ours (our own was completed or dropped under this lock before the
  // write began): it stays, and the write that needs the journal is refused naming it.
  if (NameTaken(name)) {
    problem_ = ::access(QFile::encodeName(name).constData(), R_OK) != 0 && errno == EACCES
                   ? unreadableJournalText(name)
                   : QString("%1 はこのプログラムの作ったファイルではないので、そのままにしてあります "
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
  if (made) TakeOwnerAndMode(scratch, file_.Stat());
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
  if (!journal.OpenReadOnly(jp)) return errno == EACCES ? JournalKind::Unreadable : JournalKind::Foreign;
  const int64_t size = journal.Stat().size;
  if (!journal.ReadAt(0, head.data(), size_t(std::min<int64_t>(size, kPackHead))) || size < 16)
    return JournalKind::Foreign;
  const auto is = [&head](const char* magic) { return std::memcmp(head.data(), magic, 8) == 0; };
  // Ours for this log: its check holds and so does the identity it names (a check that fails may be a
  // flipped bit of the identity).
  const bool thisLog = get32(head.data() + 12) == header_.identity;
  if (is(kUncheckedJournalMagic) || is(kUncheckedPackMagic)) return thisLog ? JournalKind::Unchecked : JournalKind::Foreign;
  if (is(kJournalMagic)) {
    std::vector<unsigned char> j(kJournalHead + kHdbRecordLength);
    if (size != int64_t(j.size()) || !journal.ReadAt(0, j.data(), j.size()) ||
        get64(j.data() + 16) != recordJournalCheck(j.data()))
      return JournalKind::Damaged;
    if (!thisLog) return JournalKind::Foreign;
    head = j;
    return Has(get32(j.data() + 8)) ? JournalKind::Record : JournalKind::Damaged;
  }
  if (!is(kPackMagic)) {
    // Named for this log and as long as a journal of ours: one whose first bytes were damaged.
    const bool journalLength = size == kJournalHead + kHdbRecordLength ||
                               (size >= kPackHead && (size - kPackHead) % kHdbRecordLength == 0);
    return thisLog && journalLength ? JournalKind::Damaged : JournalKind::Foreign;
  }
  if (get64(head.data() + 28) != Fnv1a(head.data(), 28)) return JournalKind::Damaged;
  if (!thisLog) return JournalKind::Foreign;
  const int64_t first = get32(head.data() + 16), kept = get32(head.data() + 20);
  // The log is the one packed: before the pack's end (its old records) or after it (the kept ones). Its
  // length tells that when a torn commit left a count that fits none.
  const int64_t records = std::max<int64_t>(header_.count, RecordsInLength(file_.Stat().size));
  if (first < 1 || kept < first - 1 || size != kPackHead + (kept - first + 1) * int64_t(kHdbRecordLength) ||
      kept > records || first > records + 1)
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

QString HdbTable::twiceStoredText(const unsigned char* packHead) const {
  // A record moves up by as many places as records were dropped before it; a head that fails its check
  // (with our magic too, for one damaged in its first bytes) tells neither where the pack began nor how
  // far: the whole log is looked at, each record beside the next.
  const int64_t count = header_.count;
  const bool known = packHeadChecks(packHead);
  const int64_t first = known ? std::max<int64_t>(1, get32(packHead + 16)) : 1;
  const int64_t reach = known ? std::clamp<int64_t>(count - int64_t(get32(packHead + 20)), 1, 64) : 1;
  constexpr int64_t kRun = 4096;
  constexpr size_t kLength = kHdbRecordLength;
  QStringList found;
  int64_t more = 0;
  std::vector<unsigned char> run;
  for (int64_t at = first; at < count; at += kRun) {
    const int64_t n = std::min(kRun + reach, count - at + 1);  // with the records the run's last ones meet
    run.resize(size_t(n) * kLength);
    if (!ReadRecords(at, n, run.data())) break;
    for (int64_t i = 0; i < std::min(kRun, n); ++i) {
      const unsigned char* record = run.data() + size_t(i) * kLength;
      for (int64_t k = 1; record[0] != '*' && k <= reach && i + k < n; ++k) {
        if (std::memcmp(record, record + size_t(k) * kLength, kLength) != 0) continue;
        if (found.size() == 10) {
          ++more;
          break;
        }
        QString call, date, time;
        ImageString(call, record, 0);
        ImageString(date, record, 2);
        ImageString(time, record, 3);
        found << QString("%1 番と %2 番 (%3 %4 %5)")
                     .arg(at + i)
                     .arg(at + i + k)
                     .arg(call.trimmed(), date.trimmed(), time.trimmed());
        break;
      }
    }
  }
  if (found.isEmpty()) return {};
  return QString("削除が途中で止まったため、%1 の %2 に同じ QSO が二つあります%3。それぞれどちらか一方を削除して下さい。")
      .arg(path_, found.join("、"), more > 0 ? QString(" (ほかに %1 件)").arg(more) : QString());
}

void HdbTable::keepJournalAside(const QString& jp, JournalKind kind, const unsigned char* magic) {
  // A pack's by its magic; with the magic damaged, by its length (an edit's journal has the one length).
  const bool pack =
      std::memcmp(magic, kPackMagic, 5) == 0 ||
      (std::memcmp(magic, kJournalMagic, 5) != 0 && StatPath(jp).size != kJournalHead + kHdbRecordLength);
  const QString what = pack ? QString("QSO の削除") : QString("QSO の修正");
  const QString why = kind == JournalKind::Unchecked ? QString("以前の版の形式で中身を確かめられない")
                                                     : QString("壊れている");
  QString kept = jp + ".damaged";
  for (int n = 2; NameTaken(kept) && n < 1000; ++n) kept = jp + ".damaged." + QString::number(n);
  const QString head = QString("%1 は %2の途中で残ったこのプログラムのジャーナルですが、%3ので %4 に書き戻して")
                           .arg(jp, what, why, path_);
  const QString check = (pack ? twiceStoredText(magic) : QString()) +
                        QString("最後に行った %1が %2 に入っているか確かめてから、").arg(what, path_);
  if (!PlaceFile(jp, kept)) {
    notice(head + QString("いません。名前を変えられなかったので、そのままにしてあります (%1)。").arg(FileErrorReason(errno)) +
           check + "このファイルを削除して下さい");
    return;
  }
  notice(head + QString("おらず、%1 の名前で残しました。").arg(kept) + check + kept + " を削除して下さい");
}

namespace {

// "-rw-r----- root:root": what keeps a file from being read.
QString permissionText(const QString& path) {
  const uint32_t mode = StatPath(path).mode;
  QString bits = "-";
  for (int bit = 8; bit >= 0; --bit) bits += mode & (1u << bit) ? "rwx"[2 - bit % 3] : '-';
  const QFileInfo f(path);
  return bits + ' ' + f.owner() + ':' + f.group();
}

}  // namespace

QString HdbTable::unreadableJournalText(const QString& jp) const {
  return QString("%1 は前回途中で終わった QSO の修正か削除のジャーナルかもしれませんが、このユーザーには読む許可がない"
                 "ので仕上げられません (%2)。削除せずに、持ち主か管理者に、このログを使う人が読み書きできるように"
                 "してもらってから、もう一度 %3 を開いて下さい")
      .arg(jp, permissionText(jp), path_);
}

void HdbTable::notice(const QString& text) {
  if (!notices_.contains(text)) notices_ << text;
}

QStringList HdbTable::TakeNotices() { return std::exchange(notices_, {}); }

TableStatus HdbTable::lockToRecover(const LockWait& wait) {
  const LockResult r = LockFile(wait);
  if (r == LockResult::Held) return TableStatus::Ok;
  if (r != LockResult::Stopped) return TableStatus::Failed;
  problem_ = LockedText(kRecoveryStopped);
  return TableStatus::Locked;
}

TableStatus HdbTable::RecoverJournal(const LockWait& wait) {
  const QString jp = JournalPath();
  // The note of this table's own marks waits for its own pack.
  const bool noted = header_.pending != 0 && header_.pendingOurs && !(DeletionNoted() && ownMarks_);
  if (!noted && !NameTaken(jp)) return TableStatus::Ok;
  if (Writable())
    if (const TableStatus s = lockToRecover(wait); s != TableStatus::Ok) return s;
  const auto unlock = qScopeGuard([this, held = Writable()] {
    if (held) UnlockFile();
  });
  // What another writer left may have been completed while this one waited.
  if (Writable())
    if (const TableStatus s = Refresh(); s != TableStatus::Ok) return s;
  if (header_.pending != 0 && header_.pendingOurs && !DeletionNoted() && (!Writable() || !rollBackAppend()))
    return TableStatus::Failed;
  if (NameTaken(jp)) {
    std::vector<unsigned char> head;
    UnixFile journal;
    const JournalKind kind = readJournal(jp, head, journal);
    if (kind == JournalKind::Unreadable) {
      notice(unreadableJournalText(jp));
      return TableStatus::Ok;
    }
    if (kind == JournalKind::Foreign || kind == JournalKind::Special) {
      const QString what = kind == JournalKind::Special
                               ? QString("普通のファイルではない (FIFO やデバイスなど) ので開かずに")
                               : QString("このプログラムのジャーナルではないので");
      const QString text = QString(
                               "%1 は%2、そのままにしてあります。記録の変更と削除はこの名前を使うので、"
                               "要らないファイルなら削除するか別の名前に変えて下さい")
                               .arg(jp, what);
      notice(text);
      NameOnce(text);
      return TableStatus::Ok;
    }
    if (!Writable() || !settleJournal(kind, head, journal)) return TableStatus::Failed;
    // One kept aside leaves the log for the operator to look into as its notice says, by the numbers it
    // names: no pack comes after it.
    if (kind == JournalKind::Damaged || kind == JournalKind::Unchecked)
      return DropDeletionNote() ? TableStatus::Ok : TableStatus::Failed;
  }
  // Records marked by a deletion whose pack never came (a kill, a lock or a flush that failed): packed now.
  if (DeletionNoted() && !ownMarks_ && (!Writable() || !Pack())) return TableStatus::Failed;
  return TableStatus::Ok;
}

bool HdbTable::settleJournal(JournalKind kind, const std::vector<unsigned char>& head, UnixFile& journal) {
  const QString jp = JournalPath();
  switch (kind) {
    case JournalKind::Damaged:
    case JournalKind::Unchecked:
      journal.Close();
      keepJournalAside(jp, kind, head.data());
      return true;
    case JournalKind::Record:
      if (!file_.WriteAt(HdbRecordOffset(get32(head.data() + 8)), head.data() + kJournalHead, kHdbRecordLength) ||
          !file_.Sync() || !commitHeader(std::nullopt, true, std::nullopt))
        return false;
      break;
    case JournalKind::Pack:
      if (!finishPack(journal, get32(head.data() + 16), get32(head.data() + 20))) return false;
      break;
    default:
      return true;  // not ours: it stays
  }
  journal.Close();
  return RemoveFile(jp);
}

TableStatus HdbTable::finishOverBadCount(const LockWait& wait) {
  const QString jp = JournalPath();
  if (!Writable() || !lock_ || !NameTaken(jp)) return TableStatus::BadCount;
  const WriteGuard guard(lock_, wait);
  if (guard.Stopped()) {
    problem_ = guard.StoppedText(kRecoveryStopped);
    return TableStatus::Locked;
  }
  if (!IsOpen()) return TableStatus::Failed;  // closed while the wait ran events
  if (!guard.Held()) return TableStatus::BadCount;
  if (const TableStatus s = lockToRecover(wait); s != TableStatus::Ok)
    return s == TableStatus::Locked ? s : TableStatus::BadCount;
  const auto unlock = qScopeGuard([this] { UnlockFile(); });
  unsigned char first32[32];
  if (!file_.ReadAt(0, first32, sizeof first32)) return TableStatus::BadCount;
  header_ = HdbHeadValues(first32);
  std::vector<unsigned char> head;
  UnixFile journal;
  const JournalKind kind = readJournal(jp, head, journal);
  // Only a pack sets the count; an edit's journal waits for a log that opens.
  const bool settled = kind != JournalKind::Record && settleJournal(kind, head, journal);
  header_ = {};
  return kind == JournalKind::Pack && settled ? TableStatus::Ok : TableStatus::BadCount;
}

// Puts the packed records from the journal in place of records first.. and cuts the log after them.
// Each step leaves a log that opens: until the new count is committed the length is the old one; the
// count's commit notes the old records past it as ours, so a kill before the cut has them cut next.
bool HdbTable::finishPack(const UnixFile& journal, int64_t first, int64_t kept) {
  const int64_t end = HdbRecordOffset(kept + 1);
  const unsigned char eof = kDbfEof;
  const uint32_t wholeNow = uint32_t(std::max<int64_t>(RecordsInLength(file_.Stat().size), kept));
  const auto copied = [&] {
    return CopyFileData(journal, kPackHead, file_, HdbRecordOffset(first), end - HdbRecordOffset(first)) &&
           file_.Sync();
  };
  // A flush that failed is tried once more with the records written anew: the pages it failed on may
  // have been dropped.
  if (!copied() && !copied()) return false;
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

bool HdbTable::MarkDeleted(int64_t recNo) {
  landed_ = false;
  if (!Writable() || !Has(recNo)) return false;
  // Noted before the mark: a mark on the disk always has its note, by which the next open or write packs
  // the log when this one never comes to it.
  if (!DeletionNoted() && !commitHeader(std::nullopt, false, header_.count)) return false;
  ownMarks_ = true;
  return PutByte(recNo, 0, '*');
}

bool HdbTable::DeletionNoted() const { return header_.pendingOurs && header_.pending == header_.count; }

bool HdbTable::DropDeletionNote() { return !DeletionNoted() || commitHeader(header_.count, false, 0); }

bool HdbTable::Pack() {
  landed_ = journalLeft_ = false;
  ownMarks_ = false;  // packed now, or taken back by the caller
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
  if (first == 0) return DropDeletionNote();

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
  // From here the journal completes the deletion: now, or at the next open when a step fails.
  UnixFile journal;
  bool done = journal.OpenReadOnly(JournalPath()) && finishPack(journal, first, kept);
  journal.Close();
  done = done && RemoveFile(JournalPath());
  if (!done) leaveJournal();
  return done;
}

void HdbTable::leaveJournal() {
  const int cause = errno;
  journalLeft_ = NameTaken(JournalPath());
  landed_ = landed_ || journalLeft_;
  errno = cause;
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
