#include "sheet/WorkFileStamp.h"

#include <xxhash.h>

#include <QCryptographicHash>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "platform/cores.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/unix_file.h"
#include "platform/paths.h"
#include "platform/vbfile.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/WorkFileStore.h"

namespace {

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

// Whether the log, its stamp changed, still gives a reading what it gave the one that made the work
// file: its print over the records as they are now equals the one kept. The stamp is then recorded
// anew, so that the next look costs nothing.
bool logReadsAsPrinted(const QString& stampNow) {
  const std::optional<LogPrint> kept = LogPrint::FromText(readOrb("DBSLogPrint"));
  if (!kept) return false;
  const bool wasOpen = Hamlog.HamlogClosed == 0;
  if (HamlogOpenDb() != 0) return false;
  LogPrint now;
  const bool same = Vdbf_rcount(Hamlog.Thw) == kept->Records &&
                    PrintHdbRecords(1, kept->Records, now, SilentSheetProgress()) == HAMLOG_OK &&
                    std::equal(now.Whole, now.Whole + 2, kept->Whole);
  if (!wasOpen) HamlogCloseDb(0);
  if (same && HamlogStampNow() == stampNow) WriteIni("ORB", "DBSStampLog", stampNow);
  return same;
}

QString stampOf(hamlog::FileStat& s) {
  hamlog::UnixFile log;
  s = {};
  if (!log.OpenReadOnly(RealPath(Hamlog.HamlogDbPath))) return {};
  s = log.Stat();
  unsigned char head[32];
  if (!s.exists || !log.ReadAt(0, head, sizeof head)) return {};
  const uint32_t changes = hamlog::HdbHeadValues(head).generation;
  return QStringLiteral("%1:%2:%3:%4:%5").arg(s.size).arg(s.mtimeNs).arg(s.ctimeNs).arg(s.inode).arg(changes);
}

// The log as the stamp last recorded by this process found it (empty when it recorded none).
struct RecordedLog {
  QString stamp;
  hamlog::FileStat file;
  uint64_t writes = 0;
};
RecordedLog lastRecorded;

void noteRecorded(const WorkFileStampState& noted) {
  lastRecorded = RecordedLog{noted.NotedLog, noted.NotedFile, noted.NotedWrites};
}

}  // namespace

WorkFileStampState WorkFileStamp;

QString HamlogStampNow() {
  hamlog::FileStat file;
  return stampOf(file);
}

bool HamlogGrownOnlyByUs(int32_t records) {
  if (lastRecorded.stamp.isEmpty() || lastRecorded.stamp != readOrb("DBSStampLog")) return false;
  const auto writes = hamlog::HdbWritesSince(lastRecorded.writes);
  if (!writes) return false;
  hamlog::FileStat at = lastRecorded.file;
  for (const hamlog::HdbWrite& w : *writes) {
    if (w.before.device != at.device || w.before.inode != at.inode) continue;  // another file
    if (!(w.before == at) || w.rewritten < 0 || (w.rewritten > 0 && w.rewritten <= records)) return false;
    at = w.after;
  }
  return at == hamlog::StatPath(RealPath(Hamlog.HamlogDbPath));
}

bool HamlogAsStamped() {
  const QString stamped = readOrb("DBSStampLog");
  return !stamped.isEmpty() && stamped != "ORB" && stamped == HamlogStampNow();
}

void NoteHamlogBeforeReading() {
  // The writes first: one between the two then shows as a file that is not the first write's own.
  const uint64_t writes = hamlog::LastHdbWriteSerial();
  hamlog::FileStat file;
  const QString stamp = stampOf(file);
  WorkFileStamp = {stamp, {}, file, writes};
}

QString WorkFileHash(QByteArrayView bytes) {
  const XXH128_hash_t h = XXH3_128bits(bytes.data(), size_t(bytes.size()));
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(h.high64),
                static_cast<unsigned long long>(h.low64));
  return QString::fromLatin1(text, 32);
}

void RecordWorkFileComplete(int64_t workSize, const QString& workHash) {
  if (WorkFileStamp.NotedLog.isEmpty()) NoteHamlogBeforeReading();
  RecordWorkFileComplete(workSize, workHash, WorkFileStamp);
  WorkFileStamp = {};
}

void RecordWorkFileComplete(int64_t workSize, const QString& workHash, const WorkFileStampState& noted) {
  if (noted.NotedLog.isEmpty()) return RecordWorkFileComplete(workSize, workHash);
  // One rewrite of the settings file for the three keys.
  WriteIniKeys("ORB", {{"DBSStampLog", noted.NotedLog},
                       {"DBSStampWork", QString::number(workSize)},
                       {"DBSStampHash", workHash}});
  noteRecorded(noted);
}

void RecordWorkFileComplete() {
  QByteArray bytes;
  const bool read = ReadWholeFile(DmyDbsPath(), bytes);
  RecordWorkFileComplete(FileLen(DmyDbsPath()), read ? WorkFileHash(bytes) : QString());
}

void RecordLogReadUnchangedFile() {
  const WorkFileStampState noted = std::exchange(WorkFileStamp, {});
  if (noted.NotedLog.isEmpty() || !noted.Print) return;
  const QString print = noted.Print->Text(), log = noted.NotedLog;
  if (print != readOrb("DBSLogPrint") || log != readOrb("DBSStampLog"))
    WriteIniKeys("ORB", {{"DBSLogPrint", print}, {"DBSStampLog", log}});
  noteRecorded(noted);
}

WorkFileState CheckWorkFile() {
  SettleWorkFile();
  const int64_t work = FileLen(DmyDbsPath());
  const QString log = HamlogStampNow();
  const QString storedWork = readOrb("DBSStampWork");
  if (work < 0 || log.isEmpty() || storedWork == "ORB") return WorkFileState::None;
  // Cleared while a new file takes the place of the one it described.
  if (storedWork.isEmpty()) return WorkFileState::Damaged;
  if (WorkFileOfEarlierBandRule()) return WorkFileState::EarlierBandRule;
  if (readOrb("DBSStampLog") != log && !logReadsAsPrinted(log)) return WorkFileState::LogChanged;
  const QString hash = readOrb("DBSStampHash");
  if (storedWork != QString::number(work) || hash == "ORB" || !hashMatches(DmyDbsPath(), hash))
    return WorkFileState::Damaged;
  return WorkFileState::Valid;
}

bool WorkFileStillValid() { return CheckWorkFile() == WorkFileState::Valid; }

bool WorkFileOfEarlierBandRule() {
  return IsFile(DmyDbsPath()) && !LogPrint::FromText(readOrb("DBSLogPrint"));
}

QString WorkFileDamagedText() {
  return DmyDbsPath() + QStringLiteral(" は前回の読込の後で書き換えられたか壊れています。") + "\r\n" +
         QStringLiteral("「前回データで起動」はできません。HAMLOG.HDB から読み直して下さい。");
}
