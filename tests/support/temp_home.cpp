#include "support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempHome::TempHome() {
  hadPrevious_ = qEnvironmentVariableIsSet("ORBEX_HOME");
  previous_ = qgetenv("ORBEX_HOME");
  qputenv("ORBEX_HOME", dir_.path().toLocal8Bit());
}

TempHome::~TempHome() {
  if (hadPrevious_)
    qputenv("ORBEX_HOME", previous_);
  else
    qunsetenv("ORBEX_HOME");
}

QString TempHome::write(const QString& name, const QByteArray& bytes) const {
  const QString p = file(name);
  QDir().mkpath(QFileInfo(p).absolutePath());
  QFile f(p);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
  return p;
}

QByteArray TempHome::read(const QString& name) const {
  QFile f(file(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
