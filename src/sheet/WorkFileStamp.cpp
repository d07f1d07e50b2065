#include "sheet/WorkFileStamp.h"

#include <xxhash.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "platform/cores.h"
#include "platform/paths.h"
#include "platform/vbfile.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/WorkFileStore.h"

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

QString md5Hex(QByteArrayView bytes) {
  return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

constexpr qsizetype kMd5Piece = 1 << 20;

// The hash earlier versions stored for a file over 1 MiB: the MD5 of the MD5s of its 1 MiB pieces,
// hashed side by side.
QString piecewiseMd5Hex(QByteArrayView bytes) {
  const qsizetype pieces = (bytes.size() + kMd5Piece - 1) / kMd5Piece;
  std::vector<QByteArray> digests(static_cast<size_t>(pieces));
  const qsizetype threads = std::clamp<qsizetype>(UsableCores(), 1, std::min<qsizetype>(pieces, 8));
  RunParts(size_t(threads), [&](size_t first) {
    for (qsizetype i = qsizetype(first); i < pieces; i += threads)
      digests[size_t(i)] = QCryptographicHash::hash(
          bytes.sliced(i * kMd5Piece, std::min(kMd5Piece, bytes.size() - i * kMd5Piece)),
          QCryptographicHash::Md5);
  });
  QCryptographicHash all(QCryptographicHash::Md5);
  for (const QByteArray& d : digests) all.addData(d);
  return QString::fromLatin1(all.result().toHex());
}

// Whether the file holds the stamped content: by its hash, or by a hash that earlier versions stored.
bool hashMatches(const QString& path, const QString& stored) {
  QByteArray bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  return stored == WorkFileHash(bytes) || stored == md5Hex(bytes) ||
         (bytes.size() > kMd5Piece && stored == piecewiseMd5Hex(bytes));
}

}  // namespace

WorkFileStampState WorkFileStamp;

void NoteHamlogBeforeReading() {
  WorkFileStamp = {modifiedMs(Hamlog.HamlogDbPath), QString::number(FileLen(Hamlog.HamlogDbPath)), {}, true};
}

QString WorkFileHash(QByteArrayView bytes) {
  const XXH128_hash_t h = XXH3_128bits(bytes.data(), size_t(bytes.size()));
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(h.high64),
                static_cast<unsigned long long>(h.low64));
  return QString::fromLatin1(text, 32);
}

void RecordWorkFileComplete(int64_t workSize, const QString& workHash) {
  if (WorkFileStamp.NotedTime.isEmpty()) NoteHamlogBeforeReading();
  RecordWorkFileComplete(workSize, workHash, WorkFileStamp);
  WorkFileStamp = {};
}

void RecordWorkFileComplete(int64_t workSize, const QString& workHash, const WorkFileStampState& noted) {
  if (noted.NotedTime.isEmpty()) return RecordWorkFileComplete(workSize, workHash);
  // One rewrite of the settings file for the four keys.
  WriteIniKeys("ORB", {{"DBSStampTime", noted.AsFullReading ? noted.NotedTime : QString()},
                       {"DBSStampSize", noted.AsFullReading ? noted.NotedSize : QString()},
                       {"DBSStampWork", QString::number(workSize)},
                       {"DBSStampHash", workHash}});
}

void RecordWorkFileComplete() {
  QByteArray bytes;
  const bool read = ReadWholeFile(DmyDbsPath(), bytes);
  RecordWorkFileComplete(FileLen(DmyDbsPath()), read ? WorkFileHash(bytes) : QString());
}

WorkFileState CheckWorkFile() {
  SettleWorkFile();
  const int64_t work = FileLen(DmyDbsPath());
  const QString time = modifiedMs(Hamlog.HamlogDbPath);
  const QString storedWork = readOrb("DBSStampWork");
  if (work < 0 || time.isEmpty() || storedWork == "ORB") return WorkFileState::None;
  // Cleared while a new file takes the place of the one it described.
  if (storedWork.isEmpty()) return WorkFileState::Damaged;
  if (readOrb("DBSStampTime") != time ||
      readOrb("DBSStampSize") != QString::number(FileLen(Hamlog.HamlogDbPath)))
    return WorkFileState::LogChanged;
  const QString hash = readOrb("DBSStampHash");
  if (storedWork != QString::number(work) || hash == "ORB" || !hashMatches(DmyDbsPath(), hash))
    return WorkFileState::Damaged;
  return WorkFileState::Valid;
}

bool WorkFileStillValid() { return CheckWorkFile() == WorkFileState::Valid; }

QString WorkFileDamagedText() {
  return DmyDbsPath() + QStringLiteral(" は前回の読込の後で書き換えられたか壊れています。") + "\r\n" +
         QStringLiteral("「前回データで起動」はできません。HAMLOG.HDB から読み直して下さい。");
}
