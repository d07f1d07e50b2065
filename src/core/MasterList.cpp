#include "core/MasterList.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/cores.h"
#include "platform/hamlog/master_file.h"
#include "platform/ksort.h"
#include "platform/paths.h"
#include "platform/ui/doevents.h"
#include "platform/vbfile.h"

MasterListState MasterList;

namespace {

QString field(QByteArrayView record, int from, int length) {
  if (from >= record.size()) return {};
  QByteArray bytes = record.sliced(from, std::min<qsizetype>(length, record.size() - from)).toByteArray();
  return FromAnsi(bytes);
}

QString withoutNuls(QString text) { return text.remove(QChar(0)); }

// The group flag that sorts cities and wards ("0") before guns, towns and villages ("1").
// Empty when the code is not listed; `ownFlag` for codes no rule covers.
QString groupFlag(const QString& code, const QString& ownFlag, bool& listed) {
  listed = true;
  const qsizetype len = code.size();
  if (len < 4) {
    listed = false;
    return {};
  }
  const ushort last = code.back().unicode();
  if (len == 4) {
    // Codes 1051..1073 are not award codes of their own.
    if (code >= "1051" && code <= "1073") listed = false;
    return "0";
  }
  if (len == 6 && last < 58) return "0";
  if (len == 5) return "1";
  if (len == 6 && last > 64) return "1";
  // A short record has no last byte: a blank keeps the sort key's columns in place.
  return ownFlag.isEmpty() ? QStringLiteral(" ") : ownFlag;
}

struct WorkLine {
  QString code;
  QString name;
  QString idx;
  QString area;
  QString kind;
};

QList<VbItem> workLine(const QString& flag, const WorkLine& w) {
  return {flag, w.code.leftJustified(6, ' '), w.name, w.idx, w.area, w.kind};
}

void writeWorkLine(VbFile& out, const QString& flag, const WorkLine& w) { out.Write(workLine(flag, w)); }

// Keeps which file stopped a load, and why, for the operator; 0.
int32_t refused(const QString& file, const QString& why) {
  MasterList.LoadProblemFile = RealPath(file);
  MasterList.LoadProblem = why;
  return 0;
}
int32_t refused(const QString& file, const QString& what, int err) {
  return refused(file, FileFaultText(QString(), what, FileFaultCause(file, err)));
}

// Sorts the work file and reads it into MasterTable; the number of rows loaded, 0 when the sort gave up.
int32_t sortAndLoad(const QString& workPath) {
  const QString spec = QString::fromLatin1(kMasterSortKey) + "'" + workPath + "'";
  QString reply;
  int result;
  do {
    DoEvents();
    result = ksort(spec, reply);
  } while (result == KsortBusy);
  if (result == KsortGaveUp) {
    if (MasterList.ClearStartWithPreviousData) MasterList.ClearStartWithPreviousData();
    return refused(workPath, QStringLiteral("を並べ替えられませんでした"), 0);
  }

  VbFile in(workPath, VbMode::Input);
  if (!in.IsOpen()) return refused(workPath, QStringLiteral("を読めません"), in.ErrorNumber());
  MasterList.WardCodeCount = 0;
  MasterList.AbolishedWardCount = 0;
  int32_t n = 0;
  while (!in.Eof()) {
    QString flag, code, name, idx, area, kind;
    if (!in.Input(flag, code, name, idx, area, kind)) break;
    if (kind == "3" && Settings.JaOnly == "1") break;
    // A table sized too small ends the load instead of writing past its end.
    if (n + 1 > MasterTable.Rows() || MasterTable.Columns() < 4) break;
    ++n;
    const QString code6 = code.left(6).leftJustified(6, ' ');
    MasterTable(1, n) = code6;
    if (code6 == "500A  ") MasterList.FirstDxRow = n;
    MasterTable(2, n) = name.left(34).leftJustified(34, ' ');
    MasterTable(3, n) = idx;
    MasterTable(4, n) = area;
    const QString trimmed = code.trimmed();
    if (trimmed.size() == 6 && trimmed.back().isDigit()) {
      ++MasterList.WardCodeCount;
      if (name.contains('*')) ++MasterList.AbolishedWardCount;
    }
  }
  return n;
}

// What is wrong with a code master of 56-byte records, for the operator; empty when it is whole. A cut
// or garbled master would give a sheet with part of the codes and no word about it.
QString masterFileProblem(const QByteArray& master) {
  constexpr int len = hamlog::kMasterRecordLength;
  constexpr int head = hamlog::kMasterFirstRecord;
  const qsizetype size = master.size();
  if (size < head) return QString("%1 バイトしかなく、見出しの途中で切れています。").arg(size);
  if ((size - head) % len != 0)
    return QString("長さ %1 バイトがレコード長 %2 に合わず、途中で切れています。").arg(size).arg(len);
  const qsizetype records = (size - head) / len;
  if (hamlog::HasMasterHeader(master)) {
    const std::optional<hamlog::MasterHeader> header = hamlog::ParseMasterHeader(master, size);
    if (!header)
      return QStringLiteral("見出しが壊れているか、見出しのレコード数よりファイルが短くなっています。");
    if (header->count != records)
      return QString("見出しのレコード数 %1 とファイルのレコード数 %2 が合いません。")
          .arg(header->count)
          .arg(records);
  }
  for (qsizetype k = 0; k < records; ++k) {
    const QByteArrayView rec = QByteArrayView(master).sliced(head + k * len, len);
    bool plain = true;
    for (char c : rec.first(6)) plain = plain && (c == '\0' || (c >= 0x20 && c < 0x7F));
    QByteArray name = rec.sliced(6, 34).toByteArray();
    name.replace('\0', ' ');
    if (!plain || !IsValidAnsi(name)) return QString("レコード %1 が壊れています。").arg(k + 1);
  }
  return {};
}

}  // namespace

MasterRecord ParseMasterRecord(QByteArrayView bytes) {
  MasterRecord r;
  r.Code = field(bytes, 0, 6);
  r.Name = field(bytes, 6, 34);
  r.Kind = field(bytes, 40, 1);
  r.Idx = field(bytes, 41, 2);
  r.Area = field(bytes, 43, 1);
  if (bytes.size() > 44) r.Spare = bytes.sliced(44, std::min<qsizetype>(11, bytes.size() - 44)).toByteArray();
  r.Last = field(bytes, 55, 1);
  return r;
}

int32_t LoadMasterList(int32_t recordLength) {
  QByteArray master;
  MasterList.LoadProblem.clear();
  const QString workPath = JoinPath(ProgramFolder(), "DMYMST.dat");
  VbFile out(workPath, VbMode::Output, 0, VbAccess::Scratch);
  if (const QString& path = MasterList.MasterFilePath; !ReadWholeFile(path, master))
    return refused(path, QStringLiteral("を読めません"),
                   IsFolder(path)  ? EISDIR
                   : !IsFile(path) ? ENOENT
                                   : errno);
  if (!out.IsOpen()) return refused(workPath, QStringLiteral("を書き込めません"), out.ErrorNumber());
  if (recordLength <= 0) return 0;
  if (recordLength == hamlog::kMasterRecordLength)
    if (const QString problem = masterFileProblem(master); !problem.isEmpty())
      return refused(MasterList.MasterFilePath, problem);

  // Record k starts at 1-based position k x length + header; a partial record at the end is not one.
  std::vector<int64_t> starts;
  for (int64_t k = 1;; ++k) {
    const int64_t start = k * recordLength + MasterList.MasterHeaderLen - 1;
    if (start < 0 || start + recordLength > master.size()) break;
    starts.push_back(start);
  }
  // The records are read side by side (each name goes through the code page both ways), then written
  // in their order.
  std::vector<std::optional<QList<VbItem>>> lines(starts.size());
  const size_t parts = starts.size() < 1024 ? 1 : size_t(std::clamp(UsableCores(), 1, 8));
  RunParts(parts, [&](size_t part) {
    for (size_t i = starts.size() * part / parts; i < starts.size() * (part + 1) / parts; ++i) {
      const MasterRecord r = ParseMasterRecord(QByteArrayView(master).sliced(starts[i], recordLength));
      const QString code = withoutNuls(r.Code).trimmed();
      bool listed = false;
      const QString flag = groupFlag(code, r.Last, listed);
      if (listed)
        lines[i] = workLine(flag, {code, withoutNuls(r.Name).leftJustified(34, ' '), r.Idx, r.Area, r.Kind});
    }
  });
  for (const std::optional<QList<VbItem>>& line : lines)
    if (line) out.Write(*line);
  const int32_t recordsRead = int32_t(starts.size());
  if (!out.Close()) return refused(workPath, QStringLiteral("を書き込めません"), out.ErrorNumber());
  if (recordsRead == 0) return 0;
  return sortAndLoad(workPath);
}

int32_t LoadQTHMasterList(int32_t /*unused*/) {
  MasterList.LoadProblem.clear();
  VbFile in(MasterList.QthDataPath, VbMode::Input);
  if (!in.IsOpen()) return refused(MasterList.QthDataPath, QStringLiteral("を読めません"), in.ErrorNumber());
  const QString workPath = JoinPath(ProgramFolder(), "dmyQTHdata.dat");
  VbFile out(workPath, VbMode::Output, 0, VbAccess::Scratch);
  if (!out.IsOpen()) return refused(workPath, QStringLiteral("を書き込めません"), out.ErrorNumber());
  int32_t recordsRead = 0;
  while (!in.Eof()) {
    WorkLine w;
    if (!in.Input(w.code, w.name, w.kind, w.idx, w.area)) break;
    ++recordsRead;
    w.code = w.code.trimmed();
    // The file's fields are trimmed; the table holds them at the code master's widths (bytes).
    w.idx = FromAnsi(FixedAnsi(w.idx, 2));
    w.area = FromAnsi(FixedAnsi(w.area, 1));
    bool listed = false;
    const QString flag = groupFlag(w.code, " ", listed);  // a blank keeps the key columns in place
    if (!listed) continue;
    writeWorkLine(out, flag, w);
  }
  if (!out.Close()) return refused(workPath, QStringLiteral("を書き込めません"), out.ErrorNumber());
  if (recordsRead == 0)
    return refused(MasterList.QthDataPath, QStringLiteral("QTH データが1件もありません。"));
  return sortAndLoad(workPath);
}
