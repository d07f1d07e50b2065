#include "platform/hamlog/unix_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/flush_count.h"

namespace hamlog {

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

FileStat fromStat(const struct stat& st) {
  FileStat s;
  s.exists = true;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = st.st_size;
  s.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.mode = st.st_mode & 07777;
  s.uid = st.st_uid;
  s.gid = st.st_gid;
  s.ctimeNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

}  // namespace

FileStat StatPath(const QString& path) {
  struct stat st;
  if (path.isEmpty() || ::stat(native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return fromStat(st);
}

void TakeOwnerAndMode(const QString& path, const FileStat& like) {
  if (!like.exists) return;
  const QByteArray p = native(path);
  if (::chown(p.constData(), like.uid, like.gid) != 0) (void)!::chown(p.constData(), uid_t(-1), like.gid);
  ::chmod(p.constData(), like.mode & 0777);
}

bool NameTaken(const QString& path) {
  struct stat st;
  return !path.isEmpty() && ::lstat(native(path).constData(), &st) == 0;
}

bool SpecialFileAt(const QString& path) {
  struct stat st;
  return !path.isEmpty() && ::stat(native(path).constData(), &st) == 0 && !S_ISREG(st.st_mode) &&
         !S_ISDIR(st.st_mode);
}

namespace {

// A FIFO, a device or a socket under a name of ours is not opened at all (the open alone may wait or act).
bool refuseSpecial(const QString& path) {
  if (!SpecialFileAt(path)) return false;
  errno = EINVAL;
  return true;
}

}  // namespace

UnixFile& UnixFile::operator=(UnixFile&& o) noexcept {
  if (this != &o) {
    Close();
    fd_ = o.fd_;
    writable_ = o.writable_;
    o.fd_ = -1;
  }
  return *this;
}

bool UnixFile::Open(const QString& path, bool create) {
  Close();
  if (refuseSpecial(path)) return false;
  const QByteArray p = native(path);
  fd_ = ::open(p.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (create ? O_CREAT : 0), 0644);
  writable_ = fd_ >= 0;
  if (fd_ < 0 && (errno == EACCES || errno == EROFS)) {
    const int refused = errno;
    fd_ = ::open(p.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) errno = refused;
  }
  return keepRegularFile();
}

bool UnixFile::Create(const QString& path, uint32_t mode) {
  Close();
  fd_ = ::open(native(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0777);
  writable_ = fd_ >= 0;
  return fd_ >= 0;
}

bool UnixFile::OpenReadOnly(const QString& path) {
  Close();
  if (refuseSpecial(path)) return false;
  fd_ = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  return keepRegularFile();
}

// Folders and devices are not files of ours.
bool UnixFile::keepRegularFile() {
  if (fd_ < 0) return false;
  struct stat st {};
  const bool known = ::fstat(fd_, &st) == 0;
  if (known && S_ISREG(st.st_mode)) return true;
  const int cause = !known ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  Close();
  errno = cause;
  return false;
}

void UnixFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  writable_ = false;
}

bool UnixFile::ReadAt(int64_t offset, void* buffer, size_t count) const {
  auto* p = static_cast<char*>(buffer);
  while (count > 0) {
    const ssize_t n = ::pread(fd_, p, count, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n, offset += n, count -= size_t(n);
  }
  return true;
}

bool UnixFile::WriteAt(int64_t offset, const void* buffer, size_t count) {
  auto* p = static_cast<const char*>(buffer);
  while (count > 0) {
    const ssize_t n = ::pwrite(fd_, p, count, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n, offset += n, count -= size_t(n);
  }
  return true;
}

bool UnixFile::Sync() {
  if (const int failure = syncFailureForTest ? syncFailureForTest() : 0) {
    errno = failure;
    return false;
  }
  if (!durableWrites) return true;
  NoteFileFlush();
  return ::fdatasync(fd_) == 0;
}

bool UnixFile::WriteOut(int64_t offset, size_t count) {
  if (const int failure = syncFailureForTest ? syncFailureForTest() : 0) {
    errno = failure;
    return false;
  }
  if (!durableWrites) return true;
  constexpr unsigned kWaited = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
  if (::sync_file_range(fd_, offset, off64_t(count), kWaited) == 0) return true;
  // Where the file system has no such call, a flush does it. A write-out error is reported once per
  // descriptor: a flush after it would succeed and hide it.
  return (errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == ESPIPE) && Sync();
}

bool UnixFile::Truncate(int64_t size) { return ::ftruncate(fd_, size) == 0; }

FileStat UnixFile::Stat() const {
  struct stat st;
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return {};
  return fromStat(st);
}

namespace {

// A lock refused for a test: errno says why.
bool lockRefusedForTest() {
  const int failure = lockFailureForTest ? lockFailureForTest() : 0;
  if (failure) errno = failure;
  return failure != 0;
}

}  // namespace

bool UnixFile::LockByte(int64_t byte, bool exclusive, bool wait) {
  if (lockRefusedForTest()) return false;
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = exclusive ? F_WRLCK : F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  for (;;) {
    if (::fcntl(fd_, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EINTR) return false;
  }
}

void UnixFile::UnlockByte(int64_t byte) {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = F_UNLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  ::fcntl(fd_, F_OFD_SETLK, &fl);
}

UnixFile::WholeLock UnixFile::TryLockWhole(bool exclusive) {
  if (lockRefusedForTest()) return WholeLock::Failed;
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = exclusive ? F_WRLCK : F_RDLCK;
  fl.l_whence = SEEK_SET;
  while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0)
    if (errno != EINTR) return errno == EAGAIN || errno == EACCES ? WholeLock::Busy : WholeLock::Failed;
  int r;
  while ((r = ::flock(fd_, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB)) != 0 && errno == EINTR) {
  }
  // File systems without flock have only the other lock to honour.
  if (r == 0 || (errno != EWOULDBLOCK && errno != EAGAIN)) return WholeLock::Held;
  UnlockWhole();
  return WholeLock::Busy;
}

int UnixFile::LockHolder(int64_t start, int64_t length) const {
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = length;
  if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0 || fl.l_type == F_UNLCK) return 0;
  return fl.l_pid > 0 ? int(fl.l_pid) : 0;
}

void UnixFile::UnlockWhole() {
  ::flock(fd_, LOCK_UN);
  struct flock fl;
  std::memset(&fl, 0, sizeof fl);
  fl.l_type = F_UNLCK;
  fl.l_whence = SEEK_SET;
  ::fcntl(fd_, F_OFD_SETLK, &fl);
}

FileMap& FileMap::operator=(FileMap&& o) noexcept {
  if (this != &o) {
    Unmap();
    data_ = o.data_, size_ = o.size_, fd_ = o.fd_;
    o.data_ = nullptr, o.size_ = 0;
  }
  return *this;
}

bool FileMap::Map(int fd, size_t size) {
  if (size == 0) {
    Unmap();
    return true;
  }
  if (data_ && fd != fd_) Unmap();
  if (data_ && size == size_) return true;
  void* p;
  if (data_)
    p = ::mremap(data_, size_, size, MREMAP_MAYMOVE);
  else
    p = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  if (p == MAP_FAILED) {
    Unmap();
    return false;
  }
  data_ = static_cast<unsigned char*>(p);
  size_ = size;
  fd_ = fd;
  return true;
}

void FileMap::Unmap() {
  if (data_) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

namespace {

// Volatile: the handler reads it between the stores around the copy.
thread_local sigjmp_buf* volatile activeGuard = nullptr;
struct sigaction previousBusAction;

void onBus(int, siginfo_t*, void*) {
  if (sigjmp_buf* guard = activeGuard) {
    activeGuard = nullptr;
    siglongjmp(*guard, 1);
  }
  // A fault outside a guarded copy: the handler in place before ours takes the repeated fault.
  sigaction(SIGBUS, &previousBusAction, nullptr);
}

void installBusGuard() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = onBus;
    sigemptyset(&action.sa_mask);
    // Not blocked while it runs, so the jump out leaves the signal mask as it was.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigaction(SIGBUS, &action, &previousBusAction);
  });
}

}  // namespace

bool GuardedGather(unsigned char* to, const unsigned char* from, size_t count, size_t stride, size_t width) {
  installBusGuard();
  sigjmp_buf env;
  if (sigsetjmp(env, 0) != 0) return false;
  activeGuard = &env;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  for (size_t i = 0; i < count; ++i) std::memcpy(to + i * width, from + i * stride, width);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  activeGuard = nullptr;
  return true;
}

bool GuardedCopy(void* to, const void* from, size_t count) {
  return GuardedGather(static_cast<unsigned char*>(to), static_cast<const unsigned char*>(from), 1, count,
                       count);
}

bool PlaceFile(const QString& from, const QString& to) {
  const QByteArray source = native(from), target = native(to);
  if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) != 0) {
    // File systems without the flag: a second link, then the first goes.
    if ((errno != EINVAL && errno != ENOSYS) || ::link(source.constData(), target.constData()) != 0) return false;
    ::unlink(source.constData());
  }
  const int dir = ::open(native(QFileInfo(to).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    NoteFileFlush();
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool RemoveFile(const QString& path) { return ::unlink(native(path).constData()) == 0 || errno == ENOENT; }

namespace {

uint64_t fnv1a(uint64_t h, const void* data, size_t count) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < count; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
  return h;
}

}  // namespace

uint64_t Fnv1a(const void* data, size_t count) { return fnv1a(0xcbf29ce484222325ull, data, count); }
uint64_t Fnv1aMore(uint64_t sofar, const void* data, size_t count) { return fnv1a(sofar, data, count); }

namespace {

uint32_t crc32cBytes(uint32_t crc, const unsigned char* p, size_t count) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? (c >> 1) ^ 0x82F63B78u : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  for (size_t i = 0; i < count; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

#if defined(__x86_64__)
__attribute__((target("sse4.2"))) uint32_t crc32cWords(uint32_t crc, const unsigned char* p, size_t count) {
  uint64_t c = crc;
  for (; count >= 8; p += 8, count -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    c = __builtin_ia32_crc32di(c, word);
  }
  return crc32cBytes(uint32_t(c), p, count);
}
#endif

}  // namespace

uint32_t Crc32c(uint32_t crc, const void* data, size_t count) {
  const auto* p = static_cast<const unsigned char*>(data);
#if defined(__x86_64__)
  static const bool words = __builtin_cpu_supports("sse4.2");
  if (words) return ~crc32cWords(~crc, p, count);
#endif
  return ~crc32cBytes(~crc, p, count);
}

bool CopyFileData(const UnixFile& from, int64_t fromAt, UnixFile& to, int64_t toAt, int64_t length) {
  loff_t in = fromAt, out = toAt;
  const loff_t end = fromAt + length;
  while (in < end) {
    const ssize_t n = ::copy_file_range(from.Fd(), &in, to.Fd(), &out, size_t(end - in), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n > 0) continue;
    if (n == 0) return false;
    if (errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL) return false;
    // File systems that copy nothing themselves: through a buffer.
    std::vector<char> buffer(size_t(1) << 20);
    while (in < end) {
      const size_t chunk = size_t(std::min<int64_t>(int64_t(buffer.size()), end - in));
      if (!from.ReadAt(in, buffer.data(), chunk) || !to.WriteAt(out, buffer.data(), chunk)) return false;
      in += loff_t(chunk), out += loff_t(chunk);
    }
  }
  return true;
}

}  // namespace hamlog
