#pragma once
// VB's file statements on Windows-31J text with CR LF line ends (read: LF alone as well), and the one atomic rewrite that every
// file holding the operator's data goes through.
//
//   VbFile f(path, VbMode::Input);          Line Input / Input # / EOF
//   VbFile f(path, VbMode::Output);         Print # / Write #, committed atomically by Close()
//   VbFile f(path, VbMode::Append);         Print # / Write # at the end of the file
//   VbFile f(path, VbMode::Binary);         Get / Put at 1-based byte positions, LOF
//   VbFile f(path, VbMode::Random, 33);     GetRecord / PutRecord of fixed-length records
//
// Paths are Windows-style texts resolved through RealPath (paths.h). No call ever throws or crashes on a
// missing, empty, truncated or binary file: it answers false (or an empty result) and ErrorText() says why,
// in Japanese, naming the file and the cause.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "platform/codepage.h"
#include "platform/file_fault.h"

class QFileDevice;

// Replaces the file with `bytes` in one step: temporary file in the same folder (unnamed where the file
// system allows), fsync, rename.
// The old file is left as it was when anything fails; `why` then holds the system's reason.
bool AtomicWriteFile(const QString& path, QByteArrayView bytes, QString* why = nullptr);

// The file a replace of `path` puts its bytes into: the file at the end of its symbolic links (so that a
// linked file stays a link and the file it points to takes the new content); `path` itself otherwise.
// A scratch file for MoveFileOver belongs in this file's folder.
QString ReplaceTarget(const QString& path);

// The name a scratch file of this process takes beside `path`: "<path>.~orbex5.<pid>.<n>". Only this
// program makes names of that form, so a start can tell its own leftovers from the operator's files.
QString OwnScratchPath(const QString& path);

// Removes from `folder` the scratch files (OwnScratchPath, names compared with case) of a file name
// matching one of `names` (wildcards "*" and "?") that a process no longer running left. Every other
// file stays.
void RemoveLeftoverTemporaries(const QString& folder, const QStringList& names);

// Says once per process (a line on the program's log output) that a file was found and left alone.
void NameOnce(const QString& text);

// Writes a scratch file that MoveFileOver puts in place next: its bytes are on disk when this returns,
// its name is not (the rename's folder sync covers both). `why` holds the system's reason on failure,
// errno its number.
bool WriteScratchFile(const QString& path, QByteArrayView bytes, QString* why = nullptr);

// Renames `from` over `to` (over the file its links end at, when `to` is a symbolic link) and syncs
// the folder, so that a file written durably under a scratch name takes its place in one step that
// survives a power cut.
// errno says why when it fails.
bool MoveFileOver(const QString& from, const QString& to);

// A handle on the file now at `path` (at the end of its links) that keeps its content alive after a
// MoveFileOver takes its name: a file is freed when its last name and handle go, and for one of tens of
// megabytes that takes milliseconds, which every flush to the disk meanwhile waits for. Release (or the
// end of the object) lets it go on a thread of its own, after the caller's flushes.
class ReplacedFileHold {
 public:
  explicit ReplacedFileHold(const QString& path);
  ~ReplacedFileHold() { Release(); }
  ReplacedFileHold(const ReplacedFileHold&) = delete;
  ReplacedFileHold& operator=(const ReplacedFileHold&) = delete;
  void Release();

 private:
  int fd_ = -1;
};

// The system's error number of the last write here that failed on this thread (0 when none did), for
// the messages that name its cause (FileErrorReason).
int LastFileError();
// Tests make the writes of files fail as a full disk or a read-only folder would: called with the path
// about to be written, it returns the error number to fail with (0 = write).
inline int (*writeFaultForTest)(const QString& path) = nullptr;

// Reads a whole file; false (and `bytes` empty) when it cannot be read.
bool ReadWholeFile(const QString& path, QByteArray& bytes);

// The encoding a text file was saved in when it is not Windows-31J ("UTF-8", "UTF-16LE", ...; see
// ForeignEncoding); "" for Windows-31J and for a file that cannot be read.
QString FileForeignEncoding(const QString& path);

// Copies a file, replacing the destination atomically; the copy keeps the source's modification time.
// `why` names the file and the cause when it fails.
bool FileCopy(const QString& source, const QString& destination, QString* why = nullptr);

enum class VbMode { Input, Output, Append, Binary, Random };
// Binary and Random files open for reading and writing (created when missing) unless Read is asked.
// Scratch: an Output file that is made afresh each time it is used, written in place without waiting
// for the disk (a cut-short one is simply made again).
enum class VbAccess { ReadWrite, Read, Scratch };

// The separators of a Print # list: "," (next 14-column print zone) and ";" (adjacent).
struct VbSeparator {
  bool zone;
};
inline constexpr VbSeparator PrintZone{true};
inline constexpr VbSeparator PrintNext{false};

// One item of a Print # or Write # list: a text, a number, raw Windows-31J bytes or a separator.
class VbItem {
 public:
  enum class Kind { Text, Number, Separator };
  VbItem(const QString& text) : kind_(Kind::Text), bytes_(ToAnsi(text)) {}
  VbItem(const char* utf8) : VbItem(QString::fromUtf8(utf8)) {}
  VbItem(const QByteArray& ansiBytes) : kind_(Kind::Text), bytes_(ansiBytes) {}
  VbItem(int n) : VbItem(static_cast<long long>(n)) {}
  VbItem(long n) : VbItem(static_cast<long long>(n)) {}
  VbItem(long long n);
  VbItem(double x);
  VbItem(VbSeparator s) : kind_(Kind::Separator), zone_(s.zone) {}
  VbItem(bool) = delete;  // VB would print True/False; nothing here wants that

  Kind kind() const { return kind_; }
  bool negative() const { return negative_; }
  bool zone() const { return zone_; }
  // The item's bytes: the text as it stands, a number in VB's form without the sign blank ("-1.5", ".5").
  const QByteArray& bytes() const { return bytes_; }

 private:
  Kind kind_;
  QByteArray bytes_;
  bool negative_ = false;
  bool zone_ = false;
};

class VbFile {
 public:
  VbFile() = default;
  VbFile(const QString& path, VbMode mode, int recordLength = 0, VbAccess access = VbAccess::ReadWrite);
  // An Output file that was not closed is abandoned: the old file stays as it was. Others are closed.
  ~VbFile();
  VbFile(const VbFile&) = delete;
  VbFile& operator=(const VbFile&) = delete;

  bool Open(const QString& path, VbMode mode, int recordLength = 0, VbAccess access = VbAccess::ReadWrite);
  bool IsOpen() const { return open_; }
  // Output: writes the file atomically (false when that failed, and the old file is kept).
  bool Close();
  // Output: drops what was written; the old file stays. Other modes: the same as Close.
  void Abandon();
  QString ErrorText() const { return error_; }
  // The system's reason for the failure ErrorText tells (FileErrorReason); 0 for a file that opened but
  // holds what cannot be read.
  int ErrorNumber() const { return errorNumber_; }
  QString Path() const { return path_; }

  // --- Input
  // True at the end of the data (and for a file that is not open for input).
  bool Eof() const;
  // One line: up to CR LF, a lone CR or a lone LF (files saved by Linux editors read as the Windows ones
  // do). False at the end of the file.
  bool LineInput(QString& line);
  bool LineInputBytes(QByteArray& line);
  // One comma-separated field as VB's Input # reads it into a String. False past the end of the file.
  bool Input(QString& field);
  // Every field of the next line as Input # reads them, none taken from the line after (a blank line
  // holds one empty field). False past the end of the file.
  bool InputLine(QStringList& fields);
  template <class... More>
  bool Input(QString& first, QString& second, More&... more) {
    const bool a = Input(first);
    const bool b = Input(second, more...);
    return a && b;
  }

  // --- Output and Append
  // Print #: items at 14-column print zones after PrintZone, adjacent after PrintNext or with no
  // separator; a list that ends in a separator leaves the line open. Widths count in bytes.
  bool Print(std::initializer_list<VbItem> items = {});
  bool Print(const QList<VbItem>& items);
  // Write #: texts in double quotes, numbers bare, commas between, CR LF after.
  bool Write(std::initializer_list<VbItem> items = {});
  bool Write(const QList<VbItem>& items);

  // --- Binary and Random
  // Length of the file in bytes (Input: of the data read; Output: of what was written so far).
  int64_t Lof() const;
  // Up to `count` bytes from the 1-based `position`; shorter (or empty) at the end of the file.
  QByteArray Get(int64_t position, int64_t count);
  bool Put(int64_t position, QByteArrayView bytes);
  // Record k (1-based) of a Random file. False when the record is not wholly in the file.
  bool GetRecord(int64_t k, QByteArray& record);
  // Writes record k, cut or padded with blanks to the record length; the file grows as needed.
  bool PutRecord(int64_t k, QByteArrayView record);
  int64_t RecordCount() const;

 private:
  template <class Items>
  bool printItems(const Items& items);
  template <class Items>
  bool writeItems(const Items& items);
  bool writable();
  void append(QByteArrayView bytes);
  bool flushBuffer();
  bool fail(const QString& why, int err = 0);
  // The path, `what` and the system's reason for `err`.
  bool failWith(const QString& what, int err);
  void reset();

  QString path_;
  QString error_;
  int errorNumber_ = 0;
  VbMode mode_ = VbMode::Input;
  bool open_ = false;
  int recordLength_ = 0;
  std::unique_ptr<QFileDevice> device_;
  QByteArray data_;  // Input: the whole file; Output/Append: bytes not yet handed to the device
  qsizetype pos_ = 0;
  int64_t written_ = 0;
  int64_t column_ = 0;       // bytes since the last line end, for print zones
  bool afterComma_ = false;  // Input #: the last field ended at a comma
  bool failed_ = false;
};
