#include "logbook/CodeMaster.h"

#include <QByteArrayView>

#include "core/HamlogAccess.h"
#include "platform/hamlog/master_file.h"
#include "platform/paths.h"
#include "platform/vbfile.h"

QString HamlogCompanionPath(const char* suffix) {
  return RealPath(Hamlog.HamlogDbPath.left(Hamlog.HamlogDbPath.size() - 3) + suffix);
}

CodeMasterIndex::CodeMasterIndex(const char* suffix) { open_ = idx_open(HamlogCompanionPath(suffix), handle_) == 0; }

void CodeMasterIndex::Close() {
  if (open_) idx_close(handle_);
  open_ = false;
}

CodeMasterFile::CodeMasterFile() { ReadWholeFile(HamlogCompanionPath("mst"), bytes_); }

qsizetype CodeMasterFile::start(int32_t n) const {
  return qsizetype(MasterList.MasterRecLen) * n + MasterList.MasterHeaderLen - 1;
}

bool CodeMasterFile::Has(int32_t n) const {
  return n >= 1 && start(n) >= 0 && start(n) + kMasterRecordBytes <= bytes_.size();
}

MasterRecord CodeMasterFile::Read(int32_t n) const {
  return ParseMasterRecord(QByteArrayView(bytes_).sliced(start(n), kMasterRecordBytes));
}

namespace {

QString rightTrimmed(QString s) {
  while (s.endsWith(' ') || s.endsWith(QChar(0))) s.chop(1);
  return s;
}

}  // namespace

QString CodeMasterProblem() {
  // Named as HAMLOG names it when it is not there to give its own spelling.
  const QString path = HamlogCompanionPath("MST");
  if (!IsFile(path)) return path + QStringLiteral(" (HAMLOG のコードマスタ) がありません");
  QByteArray bytes;
  if (!ReadWholeFile(path, bytes))
    return path + QStringLiteral(" (HAMLOG のコードマスタ) を読めません");
  if (hamlog::HasMasterHeader(bytes) && !hamlog::ParseMasterHeader(bytes, bytes.size()))
    return path + QStringLiteral(" (HAMLOG のコードマスタ) が途中で切れているか壊れています");
  const CodeMasterIndex dx2("dx2");
  if (!dx2.IsOpen()) return HamlogCompanionPath("dx2") + QStringLiteral(" (コードマスタの索引) が作れません");
  return {};
}

CodeMasterHit HitOf(const MasterRecord& r) {
  return {rightTrimmed(r.Code), rightTrimmed(r.Name.left(28)), r.Idx, r.Area};
}

std::optional<CodeMasterHit> LookUpCode(const QString& code) {
  const QString key = code.trimmed();
  CodeMasterIndex dx2("dx2");
  const int32_t n = dx2.Search(key, int32_t(key.size()));
  dx2.Close();
  if (n < 1) return std::nullopt;
  const CodeMasterFile master;
  if (!master.Has(n)) return std::nullopt;
  return HitOf(master.Read(n));
}

QString InitialSearchKey(int32_t kind, const QString& initial, const QString& areaDigit, int32_t areaPos) {
  return QString::number(kind) + initial + (areaPos >= 1 ? areaDigit : QString());
}

namespace {

// The key with its kana as hiragana (katakana, also half-width, moved over) and as katakana.
QStringList KanaForms(const QString& key) {
  QString hiragana = key.normalized(QString::NormalizationForm_KC), katakana = hiragana;
  for (QChar& c : hiragana)
    if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6) c = QChar(c.unicode() - 0x60);
  for (QChar& c : katakana)
    if (c.unicode() >= 0x3041 && c.unicode() <= 0x3096) c = QChar(c.unicode() + 0x60);
  return hiragana == katakana ? QStringList{key} : QStringList{hiragana, katakana};
}

}  // namespace

std::vector<CodeMasterHit> SearchCodeByInitial(const QString& key, bool withArea) {
  std::vector<CodeMasterHit> hits;
  // The master's initials are kana of either kind as its maker wrote them: both are looked for.
  for (const QString& form : KanaForms(key)) {
    CodeMasterIndex dx4("dx4");
    int32_t n = dx4.Search(form, 0);
    if (n < 1) continue;
    const CodeMasterFile master;
    // The first entry is listed as found; the run ends at the first entry of another key.
    for (bool first = true; n >= 1 && master.Has(n); n = dx4.Next(), first = false) {
      const MasterRecord r = master.Read(n);
      const QString own = r.Kind + r.Idx.left(1) + (withArea ? r.Area : QString());
      if (!first && own != form) break;
      hits.push_back(HitOf(r));
    }
  }
  return hits;
}
