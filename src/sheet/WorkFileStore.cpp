#include "sheet/WorkFileStore.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <atomic>
#include <cerrno>
#include <memory>
#include <optional>
#include <thread>

#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/DmyDbsMerge.h"
#include "sheet/WorkFileStamp.h"

namespace {

// What tells one file on disk from another without reading it.
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modifiedNs = 0;
  bool operator==(const FileId&) const = default;
};

std::optional<FileId> fileIdOf(const QString& path) {
  struct stat st {};
  const QString real = RealPath(path);
  if (real.isEmpty() || ::stat(QFile::encodeName(real).constData(), &st) != 0) return std::nullopt;
  return FileId{st.st_dev, st.st_ino, st.st_size, int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

struct Held {
  QByteArray lines;
  bool plainSorted = false;
  // The file they were stored as; none while a store is under way, or after one failed.
  std::optional<FileId> file;
  // The store failed: the lines are what the sheet shows, the file on disk and LASTP are older.
  bool storeFailed = false;
};
std::optional<Held> held;

QString notWritten(const QString& path, int cause) {
  return FileFaultText(path, QStringLiteral(" を書き込めません"), FileFaultCause(path, cause));
}

void step(WorkFileStoreStep s) {
  if (workFileStoreHookForTest) workFileStoreHookForTest(s);
}

void settleIfDone();

class Store {
 public:
  Store(const QByteArray& bytes, bool sorted, const QString& lastp, bool deferred)
      : deferred_(deferred),
        scratch_(JoinPath(ProgramFolder(), "DMYDBS.new")),
        lastp_(lastp),
        noted_(WorkFileStamp),
        size_(bytes.size()),
        writer_([this, bytes] {
          written_ = WriteScratchFile(scratch_, bytes);
          cause_ = written_ ? 0 : errno;
          finished();
        }),
        hasher_([this, bytes, sorted] {
          hash_ = WorkFileHash(bytes);
          plainSorted_ = sorted || (IsPlainDmyDbs(bytes) && DmyDbsIsSorted(bytes));
          finished();
        }) {
    WorkFileStamp = {};
  }
  ~Store() {
    join();
    if (!replaced_) Kill(scratch_);
  }
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  bool Deferred() const { return deferred_; }
  bool Done() const { return running_ == 0; }
  const QString& Lastp() const { return lastp_; }
  bool PlainSorted() const { return plainSorted_; }

  // The three steps; "" when the file, LASTP and stamp are in place.
  QString Complete() {
    join();
    if (!written_) return notWritten(scratch_, cause_);
    step(WorkFileStoreStep::ScratchWritten);
    // What the settings file says of the file on disk, put back when the new one cannot take its place.
    const QString oldLastp = ReadIni("ORB", "LASTP"), oldWork = ReadIni("ORB", "DBSStampWork"),
                  oldHash = ReadIni("ORB", "DBSStampHash"), oldPrint = ReadIni("ORB", "DBSLogPrint");
    const QString print = noted_.Print ? noted_.Print->Text() : QString();
    if (!WriteIniKeys(
            "ORB", {{"LASTP", lastp_}, {"DBSLogPrint", print}, {"DBSStampWork", ""}, {"DBSStampHash", ""}}) ||
        ReadIni("ORB", "LASTP") != lastp_)
      return IniFilePath() +
             QStringLiteral(" に書き込めません (読み取り専用か、フォルダーに空きがありません)。");
    step(WorkFileStoreStep::LastpWritten);
    ReplacedFileHold previous(DmyDbsPath());  // freed after the stamp is written
    if (!MoveFileOver(scratch_, DmyDbsPath())) {
      const int cause = errno;
      WriteIniKeys("ORB", {{"LASTP", oldLastp},
                           {"DBSLogPrint", oldPrint},
                           {"DBSStampWork", oldWork},
                           {"DBSStampHash", oldHash}});
      return notWritten(DmyDbsPath(), cause);
    }
    replaced_ = true;
    step(WorkFileStoreStep::FileReplaced);
    RecordWorkFileComplete(size_, hash_, noted_);
    return {};
  }

 private:
  void join() {
    if (writer_.joinable()) writer_.join();
    if (hasher_.joinable()) hasher_.join();
  }
  // The last thread to end has the window thread complete a deferred store.
  void finished() {
    if (--running_ == 0 && deferred_ && QCoreApplication::instance())
      QMetaObject::invokeMethod(QCoreApplication::instance(), &settleIfDone, Qt::QueuedConnection);
  }

  const bool deferred_;
  const QString scratch_, lastp_;
  const WorkFileStampState noted_;
  const qsizetype size_;
  std::atomic<int> running_{2};
  bool written_ = false, replaced_ = false, plainSorted_ = false;
  int cause_ = 0;
  QString hash_;
  std::thread writer_, hasher_;
};

std::unique_ptr<Store> pending;

void settleIfDone() {
  if (pending && pending->Deferred() && pending->Done()) SettleWorkFile();
}

}  // namespace

void StoreWorkFile(const QByteArray& lines, bool sorted, const QString& lastp, bool deferred) {
  SettleWorkFile();
  pending = std::make_unique<Store>(lines, sorted, lastp, deferred);
  // The lines are the sheet's from now on; LASTP moves only with the file (SettleWorkFile).
  held = Held{lines, false, std::nullopt, false};
}

QString SettleWorkFile() {
  if (!pending) return {};
  const std::unique_ptr<Store> store = std::move(pending);
  const QString why = store->Complete();
  if (why.isEmpty()) {
    Settings.LastExtractedRecord = store->Lastp();
    if (held) *held = Held{held->lines, store->PlainSorted(), fileIdOf(DmyDbsPath()), false};
    return why;
  }
  // The sheet shows lines the file does not hold: the next reading after LASTP takes them again.
  if (held) held->storeFailed = true;
  if (!store->Deferred()) return why;
  // The sheet has shown its lines long since: the operator learns here that they are not on disk.
  MsgBox(why, vbOKOnly);
  return {};
}

void HoldWorkFileLines(const QByteArray& sorted, bool plainSorted) {
  SettleWorkFile();
  held = Held{sorted, plainSorted, fileIdOf(DmyDbsPath()), false};
}

QByteArray* HeldWorkFileLines(bool* plainSorted) {
  SettleWorkFile();
  if (!held || held->storeFailed) return nullptr;
  if (!held->file || held->file != fileIdOf(DmyDbsPath())) {
    held.reset();
    return nullptr;
  }
  if (plainSorted) *plainSorted = held->plainSorted;
  return &held->lines;
}

bool ReadWorkFileLines(QByteArray& lines) {
  if (held) {
    lines = held->lines;
    return true;
  }
  return ReadWholeFile(DmyDbsPath(), lines);
}

void ReleaseWorkFileLines() {
  SettleWorkFile();
  held.reset();
}
