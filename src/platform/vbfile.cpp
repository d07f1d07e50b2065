#include "platform/vbfile.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/flush_count.h"
#include "platform/paths.h"

namespace {

constexpr int64_t kPrintZone = 14;
constexpr qsizetype kBufferLimit = 1 << 20;

std::atomic<uint64_t> fileFlushes{0};

void syncFolderOf(const QString& path) {
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    NoteFileFlush();
    ::fsync(fd);
    ::close(fd);
  }
}

// Flush, fsync, rename, then fsync the folder so that the rename itself survives a power cut.
bool commitSaveFile(QSaveFile& f, QString* why = nullptr) {
  NoteFileFlush();
  if (!f.flush() || ::fsync(f.handle()) != 0) {
    if (why) *why = FileErrorReason(errno);
    f.cancelWriting();
    return false;
  }
  if (!f.commit()) {
    if (why) *why = FileErrorReason(errno);
    return false;
  }
  syncFolderOf(f.fileName());
  return true;
}

// VB's text of a number (Str$ without its sign blank): "12", "-1.5", ".5", "1E+20".
QByteArray vbNumberText(double x) {
  if (!std::isfinite(x)) return "0";
  if (x == std::floor(x) && std::fabs(x) < 1e15) return QByteArray::number(static_cast<long long>(x));
  QByteArray s = QByteArray::number(x, 'g', 15);
  s.replace('e', 'E');
  if (s.startsWith("0."))
    s.remove(0, 1);
  else if (s.startsWith("-0."))
    s.remove(1, 1);
  return s;
}

thread_local int lastFileError = 0;

// Keeps the cause of a failed write: errno where the system gave one, else what the path shows.
void noteFailure(const QString& path, int error = 0) {
  if (error == 0) error = errno;
  if (error == 0 && QFileInfo(path).isDir()) error = EISDIR;
  lastFileError = error != 0 ? error : EIO;
}

// The error a test asks this write to fail with; 0 normally.
int injectedFault(const QString& path) { return writeFaultForTest ? writeFaultForTest(path) : 0; }

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool AtomicWriteFile(const QString& path, QByteArrayView bytes, QString* why) {
  const QString real = RealPath(path);
  if (real.isEmpty() || QFileInfo(real).isDir()) {
    if (why) *why = real.isEmpty() ? QStringLiteral("ファイル名ではありません") : QStringLiteral("同じ名前のフォルダーがあります");
    noteFailure(real, real.isEmpty() ? ENOENT : EISDIR);
    return false;
  }
  if (const int fault = injectedFault(real)) {
    if (why) *why = FileErrorReason(fault);
    noteFailure(real, fault);
    return false;
  }
  QSaveFile f(real);
  f.setDirectWriteFallback(false);
  errno = 0;
  if (!f.open(QIODevice::WriteOnly)) {
    noteFailure(real);
    if (why) *why = FileErrorReason(LastFileError());
    return false;
  }
  if (f.write(bytes.data(), bytes.size()) != bytes.size()) {
    noteFailure(real);
    if (why) *why = FileErrorReason(LastFileError());
    f.cancelWriting();
    return false;
  }
  if (!commitSaveFile(f, why)) {
    noteFailure(real);
    return false;
  }
  return true;
}

bool WriteScratchFile(const QString& path, QByteArrayView bytes, QString* why) {
  const QString real = RealPath(path);
  const int fd = real.isEmpty() ? -1
                                : ::open(QFile::encodeName(real).constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  bool ok = fd >= 0;
  // A large file goes to the disk piece by piece as it is written, each piece waited for before the
  // next but one: one flush of it all at the end would hold up every other program's (and our own
  // saves') flushes for as long as the whole file takes.
  constexpr qsizetype kPiece = qsizetype(4) << 20;
  qsizetype previousPiece = -1;
  for (qsizetype at = 0; ok && at < bytes.size();) {
    const qsizetype pieceEnd = std::min(bytes.size(), (at / kPiece + 1) * kPiece);
    const ssize_t n = ::write(fd, bytes.data() + at, size_t(pieceEnd - at));
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    at += n > 0 ? n : 0;
    if (ok && at % kPiece == 0 && at < bytes.size()) {
      if (previousPiece >= 0)
        ::sync_file_range(fd, previousPiece, kPiece,
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
      previousPiece = at - kPiece;
      ::sync_file_range(fd, previousPiece, kPiece, SYNC_FILE_RANGE_WRITE);
    }
  }
  if (ok) NoteFileFlush();
  ok = ok && ::fsync(fd) == 0;
  int cause = errno;
  if (fd >= 0 && ::close(fd) != 0 && ok) {
    ok = false;
    cause = errno;
  }
  if (!ok) {
    if (real.isEmpty()) cause = ENOENT;
    if (why) *why = real.isEmpty() ? QStringLiteral("ファイル名ではありません") : FileErrorReason(cause);
    if (fd >= 0) ::unlink(QFile::encodeName(real).constData());
    noteFailure(real, cause);
    errno = cause;
  }
  return ok;
}

QString ReplaceTarget(const QString& path) {
  QString at = RealPath(path);
  // A bounded walk: a loop of links ends it where it stands.
  for (int hops = 0; hops < 40; ++hops) {
    const QFileInfo link(at);
    if (!link.isSymLink()) break;
    at = link.symLinkTarget();
  }
  return at;
}

QString OwnScratchPath(const QString& path) {
  static std::atomic<unsigned> made{0};
  return path + ".~orbex5." + QString::number(::getpid()) + '.' + QString::number(++made);
}

void RemoveLeftoverTemporaries(const QString& folder, const QStringList& names) {
  QStringList patterns;
  for (const QString& name : names)
    patterns << QRegularExpression::wildcardToRegularExpression(name, QRegularExpression::UnanchoredWildcardConversion);
  const QRegularExpression scratch("^(?:" + patterns.join('|') + ")\\.~orbex5\\.(?<pid>[1-9][0-9]{0,9})\\.[1-9][0-9]*$");
  for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
    const QRegularExpressionMatch m = scratch.match(f.fileName());
    if (!m.hasMatch()) continue;
    // A process of that number still running may be the one writing it.
    const qint64 pid = m.captured(u"pid").toLongLong();
    if (pid > INT32_MAX || pid == ::getpid() || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
    QFile::remove(f.filePath());
  }
}

void NameOnce(const QString& text) {
  static std::mutex mutex;
  static QSet<QString> said;
  const std::lock_guard lock(mutex);
  if (!said.contains(text)) {
    said.insert(text);
    qWarning().noquote() << text;
  }
}

bool MoveFileOver(const QString& from, const QString& to) {
  const QString source = RealPath(from), target = ReplaceTarget(to);
  if (source.isEmpty() || target.isEmpty()) return false;
  if (QFileInfo(target).isDir()) {
    noteFailure(target, EISDIR);
    errno = EISDIR;
    return false;
  }
  if (::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0) {
    const int cause = errno;
    noteFailure(target, cause);
    errno = cause;
    return false;
  }
  syncFolderOf(target);
  return true;
}

ReplacedFileHold::ReplacedFileHold(const QString& path) {
  const QString real = RealPath(path);
  if (!real.isEmpty()) fd_ = ::open(QFile::encodeName(real).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

void ReplacedFileHold::Release() {
  if (fd_ < 0) return;
  std::thread([fd = fd_] { ::close(fd); }).detach();
  fd_ = -1;
}

int LastFileError() { return lastFileError; }

uint64_t FileFlushCount() { return fileFlushes; }
void NoteFileFlush() { ++fileFlushes; }

bool ReadWholeFile(const QString& path, QByteArray& bytes) {
  bytes.clear();
  const QString real = RealPath(path);
  QFile f(real);
  if (!QFileInfo(real).isFile() || !f.open(QIODevice::ReadOnly)) return false;
  bytes = f.readAll();
  return f.error() == QFileDevice::NoError;
}

QString FileForeignEncoding(const QString& path) {
  QByteArray bytes;
  return ReadWholeFile(path, bytes) ? ForeignEncoding(bytes) : QString();
}

bool FileCopy(const QString& source, const QString& destination, QString* why) {
  const QString from = RealPath(source);
  QByteArray bytes;
  // A read cut short must not become a short copy.
  if (!ReadWholeFile(from, bytes)) {
    if (why) *why = from + QStringLiteral(" を読めません (") + FileErrorReason(errno) + QStringLiteral(")");
    return false;
  }
  const QDateTime modified = QFileInfo(from).lastModified();
  QString cause;
  if (!AtomicWriteFile(destination, bytes, &cause)) {
    if (why) *why = RealPath(destination) + QStringLiteral(" に書き込めません (") + cause + QStringLiteral(")");
    return false;
  }
  QFile out(RealPath(destination));
  if (out.open(QIODevice::Append)) out.setFileTime(modified, QFileDevice::FileModificationTime);
  return true;
}

VbItem::VbItem(long long n) : kind_(Kind::Number), bytes_(QByteArray::number(n)), negative_(n < 0) {}

VbItem::VbItem(double x) : kind_(Kind::Number), bytes_(vbNumberText(x)), negative_(x < 0) {}

VbFile::VbFile(const QString& path, VbMode mode, int recordLength, VbAccess access) {
  Open(path, mode, recordLength, access);
}

VbFile::~VbFile() {
  if (open_ && mode_ == VbMode::Output)
    Abandon();
  else if (open_)
    Close();
}

void VbFile::reset() {
  device_.reset();
  data_.clear();
  pos_ = 0;
  written_ = 0;
  column_ = 0;
  afterComma_ = false;
  failed_ = false;
  open_ = false;
}

bool VbFile::fail(const QString& why, int err) {
  error_ = why;
  errorNumber_ = err;
  failed_ = true;
  return false;
}

bool VbFile::failWith(const QString& what, int err) {
  return fail(path_ + what + QStringLiteral(" (") + FileErrorReason(err) + QStringLiteral(")"), err);
}

bool VbFile::Open(const QString& path, VbMode mode, int recordLength, VbAccess access) {
  if (open_) Close();
  reset();
  error_.clear();
  errorNumber_ = 0;
  path_ = RealPath(path);
  mode_ = mode;
  recordLength_ = recordLength;
  const QFileInfo info(path_);
  if (path_.isEmpty()) return fail(QStringLiteral("ファイル名がありません"), ENOENT);
  if (info.isDir()) {
    if (mode != VbMode::Input) noteFailure(path_, EISDIR);
    return fail(path_ + QStringLiteral(" はフォルダーでファイルではありません"), EISDIR);
  }

  switch (mode) {
    case VbMode::Input: {
      if (!info.exists()) return fail(path_ + QStringLiteral(" がありません"), ENOENT);
      if (!ReadWholeFile(path_, data_)) return failWith(QStringLiteral(" を読めません"), errno);
      break;
    }
    case VbMode::Output: {
      errno = 0;
      if (access == VbAccess::Scratch) {
        auto f = std::make_unique<QFile>(path_);
        if (!f->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
          noteFailure(path_);
          return failWith(QStringLiteral(" に書き込めません"), LastFileError());
        }
        device_ = std::move(f);
        break;
      }
      auto f = std::make_unique<QSaveFile>(path_);
      f->setDirectWriteFallback(false);
      if (!f->open(QIODevice::WriteOnly)) {
        noteFailure(path_);
        return failWith(QStringLiteral(" に書き込めません"), LastFileError());
      }
      device_ = std::move(f);
      break;
    }
    case VbMode::Append: {
      auto f = std::make_unique<QFile>(path_);
      if (!f->open(QIODevice::WriteOnly | QIODevice::Append))
        return failWith(QStringLiteral(" に書き足せません"), errno);
      written_ = f->size();
      device_ = std::move(f);
      break;
    }
    case VbMode::Binary:
    case VbMode::Random: {
      if (mode == VbMode::Random && recordLength <= 0)
        return fail(path_ + QStringLiteral(" のレコード長がありません"));
      if (access == VbAccess::Read && !info.exists())
        return fail(path_ + QStringLiteral(" がありません"), ENOENT);
      auto f = std::make_unique<QFile>(path_);
      const bool ok = (access == VbAccess::ReadWrite && f->open(QIODevice::ReadWrite)) ||
                      (info.exists() && f->open(QIODevice::ReadOnly));
      if (!ok) return failWith(QStringLiteral(" を開けません"), errno);
      device_ = std::move(f);
      break;
    }
  }
  failed_ = false;
  open_ = true;
  return true;
}

bool VbFile::flushBuffer() {
  if (data_.isEmpty() || !device_) return !failed_;
  if (device_->write(data_) != data_.size()) failWith(QStringLiteral(" に書き込めません"), errno);
  data_.clear();
  return !failed_;
}

bool VbFile::Close() {
  if (!open_) return !failed_;
  bool ok = true;
  if (mode_ == VbMode::Output && !qobject_cast<QSaveFile*>(device_.get())) {
    ok = flushBuffer() && device_->flush();
    if (!ok) {
      noteFailure(path_);
      if (!failed_) failWith(QStringLiteral(" に書き込めません"), LastFileError());
    }
  } else if (mode_ == VbMode::Output) {
    auto* f = static_cast<QSaveFile*>(device_.get());
    const int fault = injectedFault(path_);
    QString why = fault ? FileErrorReason(fault) : QString();
    errno = 0;
    const bool written = fault == 0 && flushBuffer();
    ok = written && commitSaveFile(*f, &why);
    if (!ok) {
      noteFailure(path_, fault);
      f->cancelWriting();
      if (written || fault) error_ = path_ + QStringLiteral(" を書き換えられません (") + why + QStringLiteral(")");
      errorNumber_ = LastFileError();
    }
  } else if (mode_ == VbMode::Append) {
    ok = flushBuffer() && device_->flush();
  }
  reset();
  return ok;
}

void VbFile::Abandon() {
  if (!open_) return;
  if (auto* f = qobject_cast<QSaveFile*>(device_.get()); mode_ == VbMode::Output && f) {
    f->cancelWriting();
    reset();
    return;
  }
  Close();
}

// --- Input

bool VbFile::Eof() const { return !open_ || mode_ != VbMode::Input || pos_ >= data_.size(); }

bool VbFile::LineInputBytes(QByteArray& line) {
  line.clear();
  if (!open_ || mode_ != VbMode::Input) return fail(QStringLiteral("読むために開いたファイルではありません"));
  const qsizetype n = data_.size();
  if (pos_ >= n) return fail(path_ + QStringLiteral(" の終わりを過ぎて読もうとしました"));
  const char* d = data_.constData();
  qsizetype i = pos_;
  while (i < n && !isLineEnd(d[i])) ++i;
  line = data_.mid(pos_, i - pos_);
  if (i < n && d[i++] == '\r' && i < n && d[i] == '\n') ++i;
  pos_ = i;
  afterComma_ = false;
  return true;
}

bool VbFile::LineInput(QString& line) {
  QByteArray bytes;
  const bool ok = LineInputBytes(bytes);
  line = FromAnsi(bytes);
  return ok;
}

bool VbFile::Input(QString& field) {
  field.clear();
  if (!open_ || mode_ != VbMode::Input) return fail(QStringLiteral("読むために開いたファイルではありません"));
  const char* d = data_.constData();
  const qsizetype n = data_.size();
  qsizetype i = pos_;
  // Blanks before a field are skipped; so are line ends, unless a comma has just opened a field
  // (then a line end closes it empty).
  while (i < n && (isBlank(d[i]) || (!afterComma_ && isLineEnd(d[i])))) ++i;
  if (i >= n) {
    pos_ = n;
    if (!afterComma_) return fail(path_ + QStringLiteral(" の終わりを過ぎて読もうとしました"));
    afterComma_ = false;
    return true;  // "a," at the very end: the last field is empty
  }
  qsizetype start, end;
  if (d[i] == '"') {
    // A quoted field ends at its closing quote; a missing one ends it at the line end, so a stray
    // quote never swallows the rest of the file. What follows the quote up to the comma is dropped.
    start = ++i;
    while (i < n && d[i] != '"' && !isLineEnd(d[i])) ++i;
    end = i;
    while (i < n && d[i] != ',' && !isLineEnd(d[i])) ++i;
  } else {
    start = i;
    while (i < n && d[i] != ',' && !isLineEnd(d[i])) ++i;
    end = i;
    while (end > start && isBlank(d[end - 1])) --end;
  }
  field = FromAnsi(QByteArrayView(d + start, end - start));
  afterComma_ = i < n && d[i] == ',';
  if (afterComma_) {
    ++i;
  } else if (i < n && d[i] == '\r') {
    ++i;
    if (i < n && d[i] == '\n') ++i;
  } else if (i < n) {
    ++i;  // a lone LF
  }
  pos_ = i;
  return true;
}

bool VbFile::InputLine(QStringList& fields) {
  fields.clear();
  if (!open_ || mode_ != VbMode::Input) return fail(QStringLiteral("読むために開いたファイルではありません"));
  if (pos_ >= data_.size()) return fail(path_ + QStringLiteral(" の終わりを過ぎて読もうとしました"));
  // As after a comma: the line's end closes its first field too, so no field comes from the next line.
  afterComma_ = true;
  QString field;
  while (afterComma_ && Input(field)) fields << field;
  return true;
}

// --- Output and Append

bool VbFile::writable() {
  if (!open_ && failed_) return false;  // the open's own reason stays the one told
  if (!open_ || (mode_ != VbMode::Output && mode_ != VbMode::Append))
    return fail(QStringLiteral("書くために開いたファイルではありません"));
  return !failed_;
}

void VbFile::append(QByteArrayView bytes) {
  data_.append(bytes);
  written_ += bytes.size();
  const qsizetype nl = bytes.lastIndexOf('\n');
  column_ = nl < 0 ? column_ + bytes.size() : bytes.size() - nl - 1;
  if (data_.size() >= kBufferLimit) flushBuffer();
}

template <class Items>
bool VbFile::printItems(const Items& items) {
  if (!writable()) return false;
  bool endLine = true;
  for (const VbItem& item : items) {
    switch (item.kind()) {
      case VbItem::Kind::Separator:
        if (item.zone()) {
          // The blanks to the next zone, straight into the buffer: a line has several zones.
          const int64_t next = (column_ / kPrintZone + 1) * kPrintZone;
          data_.append(qsizetype(next - column_), ' ');
          written_ += next - column_;
          column_ = next;
        }
        endLine = false;
        break;
      case VbItem::Kind::Number:
        if (!item.negative()) append(" ");
        append(item.bytes());
        append(" ");
        endLine = true;
        break;
      case VbItem::Kind::Text:
        append(item.bytes());
        endLine = true;
        break;
    }
  }
  if (endLine) append("\r\n");
  return !failed_;
}

template <class Items>
bool VbFile::writeItems(const Items& items) {
  if (!writable()) return false;
  // The line is put together first and added to the file's buffer in one piece.
  QByteArray line;
  bool first = true;
  for (const VbItem& item : items) {
    if (item.kind() == VbItem::Kind::Separator) continue;
    if (!first) line += ',';
    first = false;
    if (item.kind() == VbItem::Kind::Text)
      line += '"' + item.bytes() + '"';
    else
      line += item.bytes();
  }
  line += "\r\n";
  append(line);
  return !failed_;
}

bool VbFile::Print(std::initializer_list<VbItem> items) { return printItems(items); }
bool VbFile::Print(const QList<VbItem>& items) { return printItems(items); }
bool VbFile::Write(std::initializer_list<VbItem> items) { return writeItems(items); }
bool VbFile::Write(const QList<VbItem>& items) { return writeItems(items); }

// --- Binary and Random

int64_t VbFile::Lof() const {
  if (!open_) return 0;
  switch (mode_) {
    case VbMode::Input:
      return data_.size();
    case VbMode::Output:
    case VbMode::Append:
      return written_;
    default:
      return device_->size();
  }
}

QByteArray VbFile::Get(int64_t position, int64_t count) {
  if (!open_ || (mode_ != VbMode::Binary && mode_ != VbMode::Random)) {
    fail(QStringLiteral("バイナリで開いたファイルではありません"));
    return {};
  }
  if (position < 1 || count <= 0 || position > device_->size() || !device_->seek(position - 1)) return {};
  return device_->read(count);
}

bool VbFile::Put(int64_t position, QByteArrayView bytes) {
  if (!open_ || (mode_ != VbMode::Binary && mode_ != VbMode::Random))
    return fail(QStringLiteral("バイナリで開いたファイルではありません"));
  if (position < 1 || !device_->isWritable() || !device_->seek(position - 1))
    return fail(path_ + QStringLiteral(" のこの位置には書き込めません"));
  if (device_->write(bytes.data(), bytes.size()) != bytes.size() || !device_->flush())
    return failWith(QStringLiteral(" に書き込めません"), errno);
  return true;
}

bool VbFile::GetRecord(int64_t k, QByteArray& record) {
  record.clear();
  if (mode_ != VbMode::Random || k < 1) return false;
  record = Get((k - 1) * recordLength_ + 1, recordLength_);
  return record.size() == recordLength_;
}

bool VbFile::PutRecord(int64_t k, QByteArrayView record) {
  if (mode_ != VbMode::Random || k < 1) return fail(path_ + QStringLiteral(" にそのレコードはありません"));
  QByteArray fixed = CutAnsiBytes(record, recordLength_);
  fixed.append(recordLength_ - fixed.size(), ' ');
  return Put((k - 1) * recordLength_ + 1, fixed);
}

int64_t VbFile::RecordCount() const {
  return mode_ == VbMode::Random && recordLength_ > 0 ? Lof() / recordLength_ : 0;
}
