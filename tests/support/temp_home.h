#pragma once
// A fresh program folder for one test: ORBEX_HOME points at it while the object lives.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  QString path() const { return dir_.path(); }
  // Full path of a file inside the folder.
  QString file(const QString& name) const { return dir_.filePath(name); }
  // Writes raw bytes into a file of the folder (creating sub-folders) and returns its path.
  QString write(const QString& name, const QByteArray& bytes) const;
  // Reads a file of the folder whole; empty when it is missing.
  QByteArray read(const QString& name) const;

 private:
  QTemporaryDir dir_;
  QByteArray previous_;
  bool hadPrevious_ = false;
};
