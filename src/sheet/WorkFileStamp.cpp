#include "sheet/WorkFileStamp.h"

#include <QDateTime>
#include <QFileInfo>

#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "platform/paths.h"
#include "sheet/DmyDbsLine.h"

namespace {

QString modifiedMs(const QString& path) {
  const QFileInfo info(RealPath(path));
  return info.exists() ? QString::number(info.lastModified().toMSecsSinceEpoch()) : QString();
}

QString readOrb(const QString& key) {
  QString value;
  ReadIni("ORB", key, value);
  return value;
}

void writeOrb(const QString& key, const QString& value) { WriteIni("ORB", key, value); }

QString notedTime, notedSize;

}  // namespace

void NoteHamlogBeforeReading() {
  notedTime = modifiedMs(Hamlog.HamlogDbPath);
  notedSize = QString::number(FileLen(Hamlog.HamlogDbPath));
}

void RecordWorkFileComplete() {
  if (notedTime.isEmpty()) NoteHamlogBeforeReading();
  writeOrb("DBSStampTime", notedTime);
  writeOrb("DBSStampSize", notedSize);
  writeOrb("DBSStampWork", QString::number(FileLen(DmyDbsPath())));
  notedTime.clear();
  notedSize.clear();
}

bool WorkFileStillValid() {
  const int64_t work = FileLen(DmyDbsPath());
  const QString time = modifiedMs(Hamlog.HamlogDbPath);
  if (work < 0 || time.isEmpty()) return false;
  return readOrb("DBSStampWork") == QString::number(work) && readOrb("DBSStampTime") == time &&
         readOrb("DBSStampSize") == QString::number(FileLen(Hamlog.HamlogDbPath));
}
