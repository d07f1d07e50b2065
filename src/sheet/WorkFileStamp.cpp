#include "sheet/WorkFileStamp.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>

#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "platform/paths.h"
#include "platform/vbfile.h"
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

// "" when the file cannot be read.
QString contentHash(const QString& path) {
  QByteArray bytes;
  if (!ReadWholeFile(path, bytes)) return {};
  return WorkFileHash(bytes);
}

}  // namespace

void NoteHamlogBeforeReading() {
  notedTime = modifiedMs(Hamlog.HamlogDbPath);
  notedSize = QString::number(FileLen(Hamlog.HamlogDbPath));
}

QString WorkFileHash(QByteArrayView bytes) {
  return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

void RecordWorkFileComplete() { RecordWorkFileComplete(contentHash(DmyDbsPath())); }

void RecordWorkFileComplete(const QString& workFileHash) {
  if (notedTime.isEmpty()) NoteHamlogBeforeReading();
  writeOrb("DBSStampTime", notedTime);
  writeOrb("DBSStampSize", notedSize);
  writeOrb("DBSStampWork", QString::number(FileLen(DmyDbsPath())));
  writeOrb("DBSStampHash", workFileHash);
  notedTime.clear();
  notedSize.clear();
}

WorkFileState CheckWorkFile() {
  const int64_t work = FileLen(DmyDbsPath());
  const QString time = modifiedMs(Hamlog.HamlogDbPath);
  const QString storedWork = readOrb("DBSStampWork");
  if (work < 0 || time.isEmpty() || storedWork == "ORB") return WorkFileState::None;
  if (readOrb("DBSStampTime") != time ||
      readOrb("DBSStampSize") != QString::number(FileLen(Hamlog.HamlogDbPath)))
    return WorkFileState::LogChanged;
  const QString hash = readOrb("DBSStampHash");
  if (storedWork != QString::number(work) || hash == "ORB" || hash != contentHash(DmyDbsPath()))
    return WorkFileState::Damaged;
  return WorkFileState::Valid;
}

bool WorkFileStillValid() { return CheckWorkFile() == WorkFileState::Valid; }

QString WorkFileDamagedText() {
  return DmyDbsPath() + QStringLiteral(" は前回の読込の後で書き換えられたか壊れています。") + "\r\n" +
         QStringLiteral("「前回データで起動」はできません。HAMLOG.HDB から読み直して下さい。");
}
