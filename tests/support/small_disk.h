#pragma once
// A small file system of its own (tmpfs) for the tests of a full or read-only disk: the program's writes
// there fail as they would on the operator's disk. Mounting needs the right to mount; where the tests
// run without it, Available() is false and the test skips.
//
//   SmallDisk disk(64);                       // 64 KB
//   if (!disk.Available()) GTEST_SKIP() << disk.Why();
//   disk.Fill();                              // no byte left
//   disk.ReadOnly();                          // mounted read-only

#include <QString>
#include <QTemporaryDir>

class SmallDisk {
 public:
  explicit SmallDisk(int kilobytes = 256);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Available() const { return mounted_; }
  QString Why() const { return why_; }
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }
  // Takes every free byte with a file of its own.
  void Fill();
  // Gives the filler's bytes back.
  void Free();
  void ReadOnly();
  void Writable();

 private:
  QTemporaryDir dir_;
  bool mounted_ = false;
  QString why_;
};
