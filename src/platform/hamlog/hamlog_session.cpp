#include "platform/hamlog/hamlog_session.h"

#include <QScopeGuard>

#include <QFileInfo>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <utility>

#include "platform/hamlog/index_build.h"
#include "platform/vbfile.h"

namespace hamlog {

namespace {

const IndexKind* const kHdbIndexes[] = {&kQsoByCode, &kQsoByCall};
const IndexKind* const kMasterIndexes[] = {&kMasterByCode, &kMasterByKind};

}  // namespace

int32_t ResultOfStatus(TableStatus s) {
  switch (s) {
    case TableStatus::Ok:
      return HAMLOG_OK;
    case TableStatus::Missing:
      return HAMLOG_MISSING;
    case TableStatus::Foreign:
      return HAMLOG_FOREIGN;
    case TableStatus::BadCount:
      return HAMLOG_BAD_COUNT;
    case TableStatus::Locked:
      return HAMLOG_LOCKED;
    case TableStatus::Failed:
      break;
  }
  return HAMLOG_IO_ERROR;
}

namespace {

QByteArray keyOf(const unsigned char* image, const IndexKind& kind) {
  return QByteArray(reinterpret_cast<const char*>(image + kind.keyOffset), kind.keyWidth);
}

// The writes of the process, the last few thousand of them.
struct WriteRecord {
  std::mutex mutex;
  std::deque<HdbWrite> kept;
  uint64_t last = 0;
  static constexpr size_t kKept = 4096;
};
WriteRecord& writeRecord() {
  static WriteRecord r;
  return r;
}

void noteWrite(HdbWrite w) {
  WriteRecord& r = writeRecord();
  const std::lock_guard lock(r.mutex);
  w.serial = ++r.last;
  r.kept.push_back(w);
  if (r.kept.size() > WriteRecord::kKept) r.kept.pop_front();
}

}  // namespace

uint64_t LastHdbWriteSerial() {
  WriteRecord& r = writeRecord();
  const std::lock_guard lock(r.mutex);
  return r.last;
}

std::optional<std::vector<HdbWrite>> HdbWritesSince(uint64_t serial) {
  WriteRecord& r = writeRecord();
  const std::lock_guard lock(r.mutex);
  if (serial > r.last || (serial < r.last && (r.kept.empty() || r.kept.front().serial > serial + 1)))
    return std::nullopt;
  return std::vector<HdbWrite>(r.kept.end() - std::ptrdiff_t(r.last - serial), r.kept.end());
}

// ---- Session

Session::Session() = default;
Session::~Session() { FinishIndexMerges(); }

void Session::MergeIndexesInBackground(const QString& hdbPath) {
  if (merging_) return;
  FinishIndexMerges();
  merging_ = true;
  const QString lockPath = QFileInfo(CompanionPath(hdbPath, "lck")).absoluteFilePath();
  merger_ = std::thread([this, hdbPath, lockPath] {
    DbLock lock;
    if (lock.Open(lockPath))
      for (const IndexKind* kind : kHdbIndexes) {
        const QString path = CompanionPath(hdbPath, kind->suffix);
        if (IndexWantsMerge(path, *kind)) CompactIndex(path, *kind, lock);
      }
    merging_ = false;
  });
}

void Session::FinishIndexMerges() {
  if (merger_.joinable()) merger_.join();
}

DbLock* Session::LockFor(const QString& hdbPath) {
  const QString path = QFileInfo(CompanionPath(hdbPath, "lck")).absoluteFilePath();
  auto& lock = locks_[path];
  if (!lock) lock = std::make_unique<DbLock>();
  return lock->Open(path, hdbPath) ? lock.get() : nullptr;
}

void Session::TakeNoticesOf(HdbTable& table) {
  for (const QString& text : table.TakeNotices())
    if (!notices.contains(text)) notices << text;
}

int32_t Session::IndexFailed(const QString& indexPath, const QString& cause, bool asked) {
  indexProblem = QString(asked ? "HAMLOG の索引ファイル %1 を作り直せませんでした (%2)"
                               : "HAMLOG の索引ファイル %1 がないか古くなっていて、作り直せませんでした (%2)")
                     .arg(indexPath, cause);
  return HAMLOG_IO_ERROR;
}

namespace {

// Why the write lock of the database could not be had: its lock file cannot be made, or only read.
QString lockCause(const QString& hdbPath) {
  return QString("ロックファイル %1 を使えません: %2")
      .arg(CompanionPath(hdbPath, "lck"), FileErrorReason(errno == EBADF ? EACCES : errno));
}

}  // namespace

int32_t Session::indexUnlocked(const QString& indexPath, const WriteGuard& guard, bool asked) {
  const QString hdbPath = CompanionPath(indexPath, "HDB");
  if (!guard.Stopped()) return IndexFailed(indexPath, lockCause(hdbPath), asked);
  IndexFailed(indexPath, guard.StoppedText(kWaitStopped), asked);
  return HAMLOG_LOCKED;
}

int32_t Session::EnsureIndexFile(const QString& indexPath, const IndexKind& kind, bool anew) {
  indexProblem.clear();
  IndexStamp stamp;
  if (kind.source == IndexSource::Master) {
    const QString master = CompanionPath(indexPath, "MST");
    if (!MasterStamp(master, stamp)) return StatPath(master).exists ? HAMLOG_FOREIGN : HAMLOG_MISSING;
    IndexStamp have;
    if (!anew && ReadIndexStamp(indexPath, kind, have) && have == stamp) return HAMLOG_OK;
    const WriteGuard guard(LockFor(CompanionPath(indexPath, "HDB")), LockWait(hamlogLib.lockWait));
    if (!guard.Held()) return indexUnlocked(indexPath, guard, anew);
    if (!anew && ReadIndexStamp(indexPath, kind, have) && MasterStamp(master, stamp) && have == stamp)
      return HAMLOG_OK;
    if (!BuildMasterIndex(master, kind, indexPath))
      return IndexFailed(indexPath, FileErrorReason(LastFileError()), anew);
    ++hamlogLib.indexRebuilds;
    return HAMLOG_OK;
  }
  const QString hdbPath = CompanionPath(indexPath, "HDB");
  // The database opened by HamlogOpen serves; else a table of our own for the check.
  HdbTable own;
  HdbTable* table = &own;
  if (db.IsOpen() && QFileInfo(db.Path()) == QFileInfo(hdbPath)) {
    table = &db.Table();
    if (const int32_t r = ResultOfStatus(table->Refresh()); r != HAMLOG_OK) return r;
  } else if (const int32_t r = ResultOfStatus(own.Open(hdbPath, LockFor(hdbPath))); r != HAMLOG_OK) {
    return r;
  }
  IndexStamp have;
  if (!anew && ReadIndexStamp(indexPath, kind, have) && have == table->Stamp()) return HAMLOG_OK;
  const WriteGuard guard(LockFor(hdbPath), LockWait(hamlogLib.lockWait));
  if (!guard.Held()) return indexUnlocked(indexPath, guard, anew);
  // Another program's write of the log under way is waited for, and none begins before the index is built.
  if (const LockResult r = table->HoldForReading(LockWait(hamlogLib.lockWait)); r != LockResult::Held) {
    if (r != LockResult::Stopped || !table->IsOpen())
      return IndexFailed(indexPath, FileErrorReason(errno), anew);
    IndexFailed(indexPath, table->LockedText(kWaitStopped), anew);
    return HAMLOG_LOCKED;
  }
  const auto letGo = qScopeGuard([table] { table->LetGoReading(); });
  // Another process may have finished its write (and its index) while we waited for the lock.
  if (const int32_t r = ResultOfStatus(table->Refresh()); r != HAMLOG_OK) return r;
  if (table->Writable()) table->RecoverJournal(LockWait(hamlogLib.lockWait));
  TakeNoticesOf(*table);
  if (!anew && ReadIndexStamp(indexPath, kind, have) && have == table->Stamp()) return HAMLOG_OK;
  if (!BuildHdbIndex(*table, kind, indexPath))
    return IndexFailed(indexPath, FileErrorReason(LastFileError()), anew);
  ++hamlogLib.indexRebuilds;
  return HAMLOG_OK;
}

Session& CurrentSession() {
  if (!hamlogLib.session) hamlogLib.session = std::make_unique<Session>();
  return *hamlogLib.session;
}

// ---- QsoDatabase

int32_t QsoDatabase::Open(const QString& hdbPath, bool exclusive) {
  Close();
  const auto heard = qScopeGuard([this] { session_.TakeNoticesOf(table_); });
  lock_ = session_.LockFor(hdbPath);
  const LockWait wait(hamlogLib.lockWait);
  if (const int32_t r = ResultOfStatus(table_.Open(hdbPath, lock_, &wait)); r != HAMLOG_OK) {
    session_.problem = table_.Problem();
    lock_ = nullptr;
    return r;
  }
  session_.problem.clear();
  path_ = hdbPath;
  if (lock_) {
    if (const int32_t r = holdOpen(exclusive); r != HAMLOG_OK) {
      Close();
      return r;
    }
  } else if (table_.Writable()) {
    // A writable database whose folder takes no lock file: refuse rather than write unguarded.
    Close();
    return HAMLOG_IO_ERROR;
  }
  if (table_.Writable()) {
    const WriteGuard guard(lock_, wait);
    if (guard.Stopped()) {
      session_.problem = guard.StoppedText(kOpenStopped);
      Close();
      return HAMLOG_LOCKED;
    }
    // The wait ran events: the log may have been closed meanwhile.
    if (!IsOpen()) return HAMLOG_NOT_OPEN;
    TableStatus s = table_.Refresh();
    if (s == TableStatus::Ok) s = table_.RecoverJournal(wait);
    if (s != TableStatus::Ok) {
      session_.problem = table_.Problem();
      Close();
      return ResultOfStatus(s);
    }
  }
  // Indexes are derived data: a database whose indexes cannot be written still opens.
  ensureHdbIndexes();
  for (const IndexKind* kind : kMasterIndexes)
    if (StatPath(CompanionPath(path_, "MST")).exists)
      session_.EnsureIndexFile(CompanionPath(path_, kind->suffix), *kind);
  return HAMLOG_OK;
}

// Programs that only read the database (a dump, a backup, a viewer) hold it for a moment at a time: an
// open that wants it alone waits for them a little, never for one that holds it alone. A shared open
// waits for one that holds it alone (a program reading it without sharing it holds it for the reading).
int32_t QsoDatabase::holdOpen(bool exclusive) {
  const LockResult r = WaitForLock(
      [this, exclusive] {
        if (!lock_) return LockTry::Failed;    // the wait's events closed the database
        if (holdsOpen_) return LockTry::Held;  // and opened it again, holding it: no second hold
        if (lock_->HoldOpen(exclusive)) return LockTry::Held;
        if (errno != EAGAIN && errno != EACCES) return LockTry::Failed;
        return !exclusive || lock_->OthersOnlyShare() ? LockTry::Busy : LockTry::Failed;
      },
      LockWait(hamlogLib.lockWait), exclusive ? kReaderWaitLooks : 0,
      [lock = lock_] {
        return LockHolder{lock->Path(), lock->OpenHolder()};
      });
  if (r == LockResult::Held) {
    holdsOpen_ = true;
    exclusive_ = exclusive;
    return HAMLOG_OK;
  }
  return exclusive && r == LockResult::Capped ? HAMLOG_BUSY : HAMLOG_IN_USE;
}

void QsoDatabase::LetGo() {
  if (holdsOpen_ && lock_) lock_->ReleaseOpen();
  holdsOpen_ = false;
}

int32_t QsoDatabase::HoldAgain() {
  if (!IsOpen()) return HAMLOG_NOT_OPEN;
  return holdsOpen_ || !lock_ ? int32_t(HAMLOG_OK) : holdOpen(exclusive_);
}

int32_t QsoDatabase::HoldForReading() {
  if (!IsOpen()) return HAMLOG_NOT_OPEN;
  if (readings_ > 0) {
    ++readings_;
    return HAMLOG_OK;
  }
  DbLock* const lock = lock_;
  const LockWait wait(hamlogLib.lockWait);
  if (lock) {
    const LockResult r = lock->BeginRead(wait);
    if (r == LockResult::Stopped || r == LockResult::Capped) {
      session_.problem = LockedText(lock->Path(), lock->WriteHolder(), HdbTable::kReadStopped);
      return HAMLOG_LOCKED;
    }
    if (r != LockResult::Held) return IsOpen() ? HAMLOG_IO_ERROR : HAMLOG_NOT_OPEN;
  }
  auto letGo = qScopeGuard([lock] {
    if (lock) lock->EndRead();
  });
  // The waits ran events: the log may have been closed meanwhile.
  if (!IsOpen() || lock_ != lock) return HAMLOG_NOT_OPEN;
  if (const LockResult r = table_.HoldForReading(wait); r != LockResult::Held) {
    if (!IsOpen()) return HAMLOG_NOT_OPEN;
    if (r != LockResult::Stopped) return HAMLOG_IO_ERROR;
    session_.problem = table_.LockedText(HdbTable::kReadStopped);
    return HAMLOG_LOCKED;
  }
  letGo.dismiss();
  readLock_ = lock;
  readings_ = 1;
  return HAMLOG_OK;
}

void QsoDatabase::LetGoReading() {
  if (readings_ == 0 || --readings_ > 0) return;
  table_.LetGoReading();
  if (readLock_) readLock_->EndRead();
  readLock_ = nullptr;
}

void QsoDatabase::Close() {
  // The table's close lets go of its read lock; the lock file stays open.
  if (readings_ > 0 && readLock_) readLock_->EndRead();
  readings_ = 0;
  readLock_ = nullptr;
  unpacked_.clear();
  if (holdsOpen_ && lock_) lock_->ReleaseOpen();
  holdsOpen_ = false;
  lock_ = nullptr;
  table_.Close();
  callIndex_ = IndexView();
  callLoaded_ = false;
  path_.clear();
}

// Missing or disagreeing indexes are rebuilt; long change logs are merged in the background.
int32_t QsoDatabase::ensureHdbIndexes() {
  int32_t result = HAMLOG_OK;
  bool merge = false;
  for (const IndexKind* kind : kHdbIndexes) {
    const QString path = CompanionPath(path_, kind->suffix);
    if (const int32_t r = session_.EnsureIndexFile(path, *kind); r != HAMLOG_OK)
      result = r;
    else
      merge = merge || IndexWantsMerge(path, *kind);
  }
  if (merge && table_.Writable()) session_.MergeIndexesInBackground(path_);
  return result;
}

// Runs one write under the write lock: `op` writes the table and fills the changes per index
// (dx1, dxc); the indexes then take those changes, or are rebuilt when they did not agree before.
template <class Write>
int32_t QsoDatabase::write(int64_t rewritten, Write&& op, const char* stopped) {
  if (!IsOpen()) return HAMLOG_NOT_OPEN;
  if (!table_.Writable()) return HAMLOG_READ_ONLY;
  // The hook is copied: the wait's events may set it anew while it runs (and close the log).
  const WriteGuard guard(lock_, LockWait(hamlogLib.lockWait));
  if (guard.Stopped()) {
    session_.problem = guard.StoppedText(stopped);
    return IsOpen() ? HAMLOG_LOCKED : HAMLOG_NOT_OPEN;
  }
  if (!guard.Held()) return errno == EROFS || errno == EACCES || errno == EBADF ? HAMLOG_READ_ONLY : HAMLOG_IO_ERROR;
  // The wait ran events: the log may have been closed meanwhile.
  if (!IsOpen()) return HAMLOG_NOT_OPEN;
  // A log replaced by another program is opened afresh before its lock is taken; its header is read
  // under the lock.
  if (const int32_t r = ResultOfStatus(table_.FollowReplaced()); r != HAMLOG_OK) {
    session_.problem = table_.Problem();
    return r;
  }
  const LockResult locked = table_.LockFile(LockWait(hamlogLib.lockWait));
  if (locked == LockResult::Stopped) {
    session_.problem = table_.LockedText(stopped);
    return HAMLOG_LOCKED;
  }
  // The wait ran events: the log may have been closed meanwhile.
  if (locked != LockResult::Held) return IsOpen() ? HAMLOG_IO_ERROR : HAMLOG_NOT_OPEN;
  const auto unlock = qScopeGuard([this] { table_.UnlockFile(); });
  // Everything the write puts back is read now, under the lock.
  if (const int32_t r = ResultOfStatus(table_.Refresh()); r != HAMLOG_OK) {
    session_.problem = table_.Problem();
    return r;
  }
  session_.problem.clear();
  const TableStatus recovered = table_.RecoverJournal();
  session_.TakeNoticesOf(table_);
  if (recovered != TableStatus::Ok) {
    session_.problem = table_.Problem();
    return ResultOfStatus(recovered);
  }
  const IndexStamp before = table_.Stamp();
  HdbWrite noted{0, table_.FileNow(), {}, table_.Count(), 0, rewritten};
  std::vector<IndexChange> changes[2];
  bool rebuild = false;
  int32_t result = op(changes, rebuild);
  const int cause = errno;
  const bool unconfirmed = result == HAMLOG_UNCONFIRMED;
  if (unconfirmed) result = HAMLOG_OK;
  noted.after = table_.FileNow();
  noted.countAfter = table_.Count();
  if (result != HAMLOG_OK) noted.rewritten = -1;  // a write that failed half-way may have changed any record
  if (!(noted.after == noted.before)) noteWrite(noted);
  if (const int32_t r = result; r != HAMLOG_OK) {
    // The write that failed left its reason: a full disk is told apart from other failures, a file
    // that could not be written is named.
    if (r == HAMLOG_IO_ERROR && (cause == ENOSPC || cause == EDQUOT)) return HAMLOG_NO_SPACE;
    session_.problem = table_.Problem();
    return r;
  }
  const IndexStamp after = table_.Stamp();
  bool merge = false;
  for (int i = 0; i < 2; ++i) {
    const QString path = CompanionPath(path_, kHdbIndexes[i]->suffix);
    bool wants = false;
    if (rebuild || !ApplyIndexChanges(path, *kHdbIndexes[i], before, changes[i], after, &wants))
      BuildHdbIndex(table_, *kHdbIndexes[i], path);
    merge = merge || wants;
  }
  if (merge) session_.MergeIndexesInBackground(path_);
  if (!unconfirmed) return HAMLOG_OK;
  session_.problem = QString("%1 に書き込みましたが、ディスクへの書き込みを確かめられません (%2)")
                         .arg(path_, FileErrorReason(cause));
  if (table_.JournalLeft())
    session_.problem += QString("。次に HAMLOG.HDB を開くときに、残したジャーナル %1 から書き込みを仕上げます")
                            .arg(table_.JournalPath());
  return HAMLOG_UNCONFIRMED;
}

namespace {

// A failed table write: the change may still have reached the log, only its flush failing.
int32_t failedWrite(const HdbTable& table) { return table.Landed() ? HAMLOG_UNCONFIRMED : HAMLOG_IO_ERROR; }

QString digitsOf(const QString& text) {
  QString d;
  for (const QChar c : text)
    if (c.isDigit()) d += c;
  return d;
}

// Whether the stored record is the QSO the operator picked: call sign, date, time, band and mode.
bool holdsPicked(const unsigned char* stored, const PickedQso& picked) {
  QString call, date, time, freq, mode;
  ImageString(call, stored, 0);
  ImageString(date, stored, 2);
  ImageString(time, stored, 3);
  ImageString(freq, stored, 6);
  ImageString(mode, stored, 7);
  const auto same = [](QString a, QString b) {
    return a.remove(' ').compare(b.remove(' '), Qt::CaseInsensitive) == 0;
  };
  return same(call, picked.call) && digitsOf(date).right(6) == digitsOf(picked.date).right(6) &&
         same(time, picked.time) && FreqPCheck(freq.trimmed()) == FreqPCheck(picked.freq.trimmed()) &&
         same(mode, picked.mode);
}

}  // namespace

int32_t QsoDatabase::Append(const unsigned char* image, int64_t* recNo) {
  // Taken now: the wait for the file's lock runs events, which may fill the caller's block anew.
  std::array<unsigned char, kHdbRecordLength> record;
  std::memcpy(record.data(), image, kHdbRecordLength);
  return write(0, [&](std::vector<IndexChange>* changes, bool&) {
    const uint32_t before = table_.Count();
    const bool appended = table_.Append(record.data());
    if (!appended && (!table_.Landed() || table_.Count() != before + 1)) return int32_t(HAMLOG_IO_ERROR);
    const uint32_t r = table_.Count();
    unsigned char stored[kHdbRecordLength];
    if (!table_.ReadRecord(r, stored)) return int32_t(HAMLOG_CHANGED);
    for (int i = 0; i < 2; ++i) changes[i].push_back({keyOf(stored, *kHdbIndexes[i]), r, false});
    if (recNo) *recNo = r;
    return int32_t(appended ? HAMLOG_OK : HAMLOG_UNCONFIRMED);
  });
}

int32_t QsoDatabase::AppendMany(size_t count, const BulkFill& fill, const BulkProgress& progress) {
  return write(0, [&](std::vector<IndexChange>* changes, bool& rebuild) {
    const uint32_t first = table_.Count() + 1;
    constexpr size_t kChunk = 65536;  // one write and one count commit per chunk
    std::vector<unsigned char> images;
    for (size_t done = 0; done < count; done += kChunk) {
      const size_t n = std::min(kChunk, count - done);
      images.resize(n * kHdbRecordLength);
      fill(images.data(), done, n);
      if (!table_.AppendMany(images.data(), n, n)) return int32_t(HAMLOG_IO_ERROR);
      if (progress) progress(done + n);
    }
    // A few records go to the indexes' logs; a large load rebuilds them in one sort.
    rebuild = count > 4096;
    unsigned char stored[kHdbRecordLength];
    for (uint32_t r = first; !rebuild && r <= table_.Count(); ++r) {
      if (!table_.ReadRecord(r, stored)) return int32_t(HAMLOG_CHANGED);
      for (int i = 0; i < 2; ++i) changes[i].push_back({keyOf(stored, *kHdbIndexes[i]), r, false});
    }
    return int32_t(HAMLOG_OK);
  });
}

int32_t QsoDatabase::Update(int64_t recNo, const unsigned char* oldImage, const unsigned char* newImage) {
  // Taken now, as for an append.
  std::array<unsigned char, kHdbRecordLength> shown, record;
  std::memcpy(shown.data(), oldImage, kHdbRecordLength);
  std::memcpy(record.data(), newImage, kHdbRecordLength);
  return write(recNo, [&](std::vector<IndexChange>* changes, bool&) {
    unsigned char stored[kHdbRecordLength];
    if (!table_.Has(recNo)) return int32_t(HAMLOG_NO_RECORD);
    if (!table_.ReadRecord(recNo, stored)) return int32_t(HAMLOG_CHANGED);
    if (std::memcmp(stored, shown.data(), kHdbRecordLength) != 0) return int32_t(HAMLOG_STALE);
    const QByteArray oldKeys[2] = {keyOf(stored, kQsoByCode), keyOf(stored, kQsoByCall)};
    const bool written = table_.Overwrite(recNo, record.data());
    if (!written && !table_.Landed()) return int32_t(HAMLOG_IO_ERROR);
    if (!table_.ReadRecord(recNo, stored)) return int32_t(HAMLOG_CHANGED);
    for (int i = 0; i < 2; ++i) {
      const QByteArray now = keyOf(stored, *kHdbIndexes[i]);
      if (now == oldKeys[i]) continue;
      changes[i].push_back({oldKeys[i], uint32_t(recNo), true});
      changes[i].push_back({now, uint32_t(recNo), false});
    }
    return int32_t(written ? HAMLOG_OK : HAMLOG_UNCONFIRMED);
  });
}

int32_t QsoDatabase::PutQslMark(int64_t recNo, int position, unsigned char mark, const PickedQso* picked) {
  return write(recNo, [&](std::vector<IndexChange>*, bool&) {
    unsigned char stored[kHdbRecordLength];
    if (!table_.Has(recNo)) return int32_t(picked ? HAMLOG_STALE : HAMLOG_NO_RECORD);
    if (!table_.ReadRecord(recNo, stored)) return int32_t(HAMLOG_CHANGED);
    if (picked && (stored[0] == '*' || !holdsPicked(stored, *picked))) return int32_t(HAMLOG_STALE);
    if (stored[0] == '*') return int32_t(HAMLOG_DELETED);
    return table_.PutByte(recNo, kQslOffset + position, mark) ? int32_t(HAMLOG_OK) : failedWrite(table_);
  });
}

int32_t QsoDatabase::Delete(int64_t recNo, const unsigned char* shownImage) {
  // Taken now, as for an update: the caller's block may change while the write waits for the lock.
  std::array<unsigned char, kHdbRecordLength> shown{};
  if (shownImage) std::memcpy(shown.data(), shownImage, kHdbRecordLength);
  return write(recNo, [&](std::vector<IndexChange>* changes, bool&) {
    unsigned char stored[kHdbRecordLength];
    if (!table_.Has(recNo)) return int32_t(shownImage ? HAMLOG_STALE : HAMLOG_NO_RECORD);
    if (!table_.ReadRecord(recNo, stored)) return int32_t(HAMLOG_CHANGED);
    if (shownImage && std::memcmp(stored, shown.data(), kHdbRecordLength) != 0) return int32_t(HAMLOG_STALE);
    if (stored[0] == '*') return int32_t(HAMLOG_OK);
    const QByteArray keys[2] = {keyOf(stored, kQsoByCode), keyOf(stored, kQsoByCall)};
    const bool marked = table_.MarkDeleted(recNo);
    if (!marked && !table_.Landed()) return int32_t(HAMLOG_IO_ERROR);
    for (int i = 0; i < 2; ++i) changes[i].push_back({keys[i], uint32_t(recNo), true});
    unpacked_.push_back(recNo);
    return int32_t(marked ? HAMLOG_OK : HAMLOG_UNCONFIRMED);
  });
}

int32_t QsoDatabase::Pack() {
  bool ran = false, packed = false, marksStay = false;
  int packError = 0;
  const QString path = path_;
  const std::vector<int64_t> marked = std::exchange(unpacked_, {});
  session_.problem.clear();
  const int32_t r = write(
      -1,
      [&](std::vector<IndexChange>* changes, bool& rebuild) {
        ran = true;
        const uint32_t before = table_.Count();
        packed = table_.Pack();
        packError = packed ? 0 : errno;
        // Past the commit of its count a pack is in the log, even when a later step failed.
        const bool landed = !packed && table_.Landed();
        if (packed || landed) {
          packed = true;
          // Every record behind a dropped one has a new number, now or once the journal left completes it.
          rebuild = table_.Count() != before || table_.JournalLeft();
          return int32_t(landed ? HAMLOG_UNCONFIRMED : HAMLOG_OK);
        }
        // A deletion takes effect with its pack only: the records this open marked are marked no more,
        // and their note goes with them.
        unsigned char stored[kHdbRecordLength];
        for (int64_t recNo : marked) {
          if (!table_.ReadRecord(recNo, stored) || stored[0] != '*') continue;
          if (!table_.PutByte(recNo, 0, ' ')) {
            marksStay = !table_.Landed();
            return int32_t(HAMLOG_IO_ERROR);
          }
          for (int i = 0; i < 2; ++i)
            changes[i].push_back({keyOf(stored, *kHdbIndexes[i]), uint32_t(recNo), false});
        }
        table_.DropDeletionNote();  // else the next open packs nothing and drops it
        return int32_t(HAMLOG_OK);
      },
      kWaitStopped);
  const int cause = errno;
  if (!marked.empty() && (!ran || marksStay)) {
    // The records stay marked, hidden from every reading, and their note has the next open pack them.
    QStringList numbers;
    for (const int64_t recNo : marked) numbers << QString::number(recNo);
    const QString why =
        !session_.problem.isEmpty()
            ? session_.problem
            : QString("%1 の記録を詰められませんでした (%2)").arg(path, FileErrorReason(cause));
    session_.problem = why + QString(
                                 "。%1 番の QSO は削除の印が付いて、どの読み込みにも出ません。"
                                 "記録を詰めるのは、次に HAMLOG.HDB を開くときに行います")
                                 .arg(numbers.join("、"));
    return HAMLOG_UNCONFIRMED;
  }
  // The write itself went through (the marks were undone): the journal's file and cause still tell
  // the operator why the delete did not.
  if (r == HAMLOG_OK && !packed) session_.problem = table_.Problem();
  // No room for the journal of the packed records (a full disk, or a file-size limit as tight): said as a full disk.
  const bool noRoom = packError == ENOSPC || packError == EDQUOT || packError == EFBIG;
  return r == HAMLOG_OK && !packed ? int32_t(noRoom ? HAMLOG_NO_SPACE : HAMLOG_IO_ERROR) : r;
}

const IndexView* QsoDatabase::CallIndex(uint32_t* serial) {
  if (!IsOpen()) return nullptr;
  if (table_.Refresh() != TableStatus::Ok) return nullptr;
  if (!callLoaded_ || !(callIndex_.Stamp() == table_.Stamp())) {
    const QString path = CompanionPath(path_, kQsoByCall.suffix);
    if (session_.EnsureIndexFile(path, kQsoByCall) != HAMLOG_OK || !callIndex_.Open(path, kQsoByCall)) {
      if (session_.indexProblem.isEmpty()) session_.IndexFailed(path, FileErrorReason(errno));
      callLoaded_ = false;
      return nullptr;
    }
    callLoaded_ = true;
    callSerial_ = session_.NextSerial();
  }
  session_.indexProblem.clear();
  if (serial) *serial = callSerial_;
  return &callIndex_;
}

}  // namespace hamlog
