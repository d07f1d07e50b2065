#pragma once
// The few POSIX file services the HAMLOG stand-in needs and Qt does not give: positioned reads and
// writes, fdatasync, read-only maps, file identity and open-file-description byte locks (which, unlike
// classic fcntl locks, belong to the open file and not to the whole process).

#include <QString>
#include <cstddef>
#include <cstdint>

namespace hamlog {

// Every write step is flushed to the disk (fdatasync) when true, the default. Off, the order of the
// writes still keeps the log whole when a process dies, not when the machine does: for synthetic
// bulk loads and tests only.
inline bool durableWrites = true;
// Tests: while it answers an errno, every flush and write-out fails with it; null otherwise.
inline int (*syncFailureForTest)() = nullptr;
// Tests: the same for every lock taken (a network disk's lock manager failing).
inline int (*lockFailureForTest)() = nullptr;

struct FileStat {
  bool exists = false;
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t size = 0;
  int64_t mtimeNs = 0;
  uint32_t mode = 0;  // permission bits
  uint32_t uid = 0, gid = 0;
  // The status change time: every write moves it, and no program can set it back as it can the
  // modification time.
  int64_t ctimeNs = 0;
  bool operator==(const FileStat&) const = default;
};
FileStat StatPath(const QString& path);
// Gives a file this process made the owner, group and mode of `like` (the log beside it), as far as the
// system lets this process: a log shared through its group stays usable by every member.
void TakeOwnerAndMode(const QString& path, const FileStat& like);
// Anything at all under that name: a file, a folder, a link (even one that leads nowhere).
bool NameTaken(const QString& path);
// A name that leads to something other than a plain file or a folder: a FIFO, a device, a socket.
bool SpecialFileAt(const QString& path);

class UnixFile {
 public:
  UnixFile() = default;
  ~UnixFile() { Close(); }
  UnixFile(UnixFile&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  UnixFile& operator=(UnixFile&& o) noexcept;
  UnixFile(const UnixFile&) = delete;
  UnixFile& operator=(const UnixFile&) = delete;

  // Read and write when allowed, else read only (errno keeps why the write open was refused when the
  // read-only one fails too). `create` makes a missing file. None of the opens opens a FIFO, a device or
  // a socket (EINVAL), nor waits on one.
  bool Open(const QString& path, bool create = false);
  // A new file for reading and writing with the permission bits `mode`; false when one is there.
  bool Create(const QString& path, uint32_t mode);
  bool OpenReadOnly(const QString& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  bool Writable() const { return writable_; }
  int Fd() const { return fd_; }

  bool ReadAt(int64_t offset, void* buffer, size_t count) const;   // all bytes or false
  bool WriteAt(int64_t offset, const void* buffer, size_t count);  // all bytes or false
  bool Sync();                                                     // fdatasync when durableWrites
  // When durableWrites: sends the bytes offset .. offset + count to the device and waits for them, with
  // no flush of the device's cache (sync_file_range). On a journalling file system (ext4, XFS) the
  // commit that makes a later change of the file's length durable flushes that cache first, so these
  // bytes are kept before that length.
  bool WriteOut(int64_t offset, size_t count);
  bool Truncate(int64_t size);
  FileStat Stat() const;

  // Open-file-description locks on single bytes of this file.
  bool LockByte(int64_t byte, bool exclusive, bool wait);
  void UnlockByte(int64_t byte);
  // The whole file as other programs lock it: an open-file-description lock over every byte (classic
  // POSIX locks of other processes, as dBase programs and Windows layers take them, conflict with it)
  // and a flock. Does not wait: Busy while another holds either.
  enum class WholeLock { Held, Busy, Failed };
  WholeLock TryLockWhole(bool exclusive);
  void UnlockWhole();
  // The process that holds a classic POSIX lock on the file (or on `length` bytes from `start`; 0: to
  // the end) against a write lock; 0 when none is known (no lock, or a lock that names no process: an
  // open-file-description lock, a flock).
  int LockHolder(int64_t start = 0, int64_t length = 0) const;

 private:
  bool keepRegularFile();

  int fd_ = -1;
  bool writable_ = false;
};

// A read-only shared map of the first `size` bytes of a file; follows growth with Remap.
class FileMap {
 public:
  FileMap() = default;
  ~FileMap() { Unmap(); }
  FileMap(FileMap&& o) noexcept : data_(o.data_), size_(o.size_), fd_(o.fd_) {
    o.data_ = nullptr, o.size_ = 0;
  }
  FileMap& operator=(FileMap&& o) noexcept;
  FileMap(const FileMap&) = delete;
  FileMap& operator=(const FileMap&) = delete;

  // Maps the first `size` bytes of `fd`; a map of the same file is grown or shrunk in place.
  bool Map(int fd, size_t size);
  void Unmap();
  const unsigned char* Data() const { return data_; }
  size_t Size() const { return size_; }

 private:
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
  int fd_ = -1;
};

// Copies bytes out of a FileMap; false instead of a fault (SIGBUS) when the file was cut short under
// the map by another program.
bool GuardedCopy(void* to, const void* from, size_t count);
// The first `width` bytes of each of `count` items `stride` bytes apart, packed at `to`; the same guard.
bool GuardedGather(unsigned char* to, const unsigned char* from, size_t count, size_t stride, size_t width);

// CRC-32C (Castagnoli, as iSCSI and ext4 use it) of `count` bytes, going on from `crc` (0 to begin):
// fast enough to check hundreds of megabytes of records on the way.
uint32_t Crc32c(uint32_t crc, const void* data, size_t count);

// `length` bytes of `from` at `fromAt` into `to` at `toAt`, inside the kernel where it can.
bool CopyFileData(const UnixFile& from, int64_t fromAt, UnixFile& to, int64_t toAt, int64_t length);

// Gives the file `from` the name `to` unless a file (or anything) already has it, then syncs the folder
// so the name survives a crash. errno says why when it fails (EEXIST: the name is taken).
bool PlaceFile(const QString& from, const QString& to);
bool RemoveFile(const QString& path);

// 64-bit FNV-1a over bytes (offset basis 0xcbf29ce484222325, prime 0x100000001b3): enough to tell a torn
// journal from a whole one, and any tool that knows FNV-1a can check one.
uint64_t Fnv1a(const void* data, size_t count);
// The same continued over more bytes: Fnv1a(a + b) == Fnv1aMore(Fnv1a(a), b).
uint64_t Fnv1aMore(uint64_t sofar, const void* data, size_t count);

}  // namespace hamlog
