#include "support/synthetic_log.h"

#include <QDir>
#include <QTemporaryDir>
#include <map>

#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"

namespace {

QTemporaryDir& root() {
  static QTemporaryDir dir;
  return dir;
}

}  // namespace

QString SyntheticRoot() { return root().path(); }

QString SyntheticLogFolder(int64_t qsos) {
  static std::map<int64_t, QString> made;
  auto it = made.find(qsos);
  if (it != made.end()) return it->second;
  const QString dir = root().filePath(QString("log%1").arg(qsos));
  QDir().mkpath(dir);
  hamlogdb::Create(dir);
  hamlogdb::LoadMaster(dir, QString(ORBEX_DATA_DIR) + "/master.csv");
  hamlogdb::Generate(dir, qsos, 20240607);
  made[qsos] = dir;
  return dir;
}

void PrepareSyntheticReading(const QString& dir) {
  const QString home = QDir(SyntheticRoot()).filePath("home");
  QDir().mkpath(home);
  qputenv("ORBEX_HOME", home.toLocal8Bit());
  Settings = {};
  Settings.DataFolder = home;
  Settings.QslReceivedMarks[0] = "*";
  Settings.QslReceivedMarks[1] = "E";
  ReadConditions = {};
  StartFlags = {};
  Hamlog.HamlogDbPath = hamlogdb::DatabasePath(dir);
  Hamlog.HamlogClosed = 1;
  Hamlog.HdbRecordCount = CountHdbRecords();
}
