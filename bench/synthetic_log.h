#pragma once
// Synthetic HAMLOG logs over the sample master for the benches: one folder per log size, generated
// once per run, and the shared state of a program folder that reads it afresh.

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <map>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/paths.h"

inline QTemporaryDir& SyntheticRoot() {
  static QTemporaryDir dir;
  return dir;
}

// The HAMLOG folder of a log of `qsos` QSOs.
inline QString SyntheticLogFolder(int64_t qsos) {
  static std::map<int64_t, QString> made;
  auto it = made.find(qsos);
  if (it != made.end()) return it->second;
  const QString dir = SyntheticRoot().filePath(QString("log%1").arg(qsos));
  QDir().mkpath(dir);
  hamlogdb::Create(dir);
  hamlogdb::LoadMaster(dir, QString(ORBEX_DATA_DIR) + "/master.csv");
  hamlogdb::Generate(dir, qsos, 20240607);
  made[qsos] = dir;
  return dir;
}

// Settings of a program folder that reads the log of `dir` afresh.
inline void PrepareSyntheticLog(const QString& dir) {
  const QString home = SyntheticRoot().filePath("home");
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
  MasterList.MasterFilePath = hamlogdb::MasterPath(dir);
  MasterList.MasterRecLen = 56;
  MasterList.MasterHeaderLen = 235;
  MasterList.MasterRowCap = static_cast<int32_t>((FileLen(MasterList.MasterFilePath) - 290) / 56);
  ApplyBandSetLayout();
  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
}
