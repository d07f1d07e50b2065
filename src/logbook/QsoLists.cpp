#include "logbook/QsoLists.h"

#include <algorithm>
#include <array>
#include <functional>

#include "core/HamlogAccess.h"
#include "core/ModeList.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "logbook/LogWindowState.h"
#include "logbook/QsoRow.h"
#include "platform/codepage.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"

QsoListState QsoListShared;

namespace {

const char* const kOpenFailed = "HAMLOGデータがOpen出来ません。";

QString u8(const char* text) { return QString::fromUtf8(text); }

QString indexPath(const char* suffix) {
  return Hamlog.HamlogDbPath.left(Hamlog.HamlogDbPath.size() - 3) + suffix;
}

// The index is closed on every path once it was opened.
struct OpenIndex {
  IndexHandle handle{};
  bool open = false;
  explicit OpenIndex(const QString& path) { open = idx_open(path, handle) == 0; }
  ~OpenIndex() { Close(); }
  void Close() {
    if (open) idx_close(handle);
    open = false;
  }
};

QString unreadableNote(int32_t n) {
  return n > 0 ? u8("　（読めなかったデータ ") + QString::number(n) + u8(" 件）") : QString();
}

// Rows with the record number each was read from.
using NumberedRows = std::vector<std::pair<int32_t, QStringList>>;

std::vector<QStringList> byRecordNumber(NumberedRows& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<QStringList> out;
  out.reserve(rows.size());
  for (auto& r : rows) out.push_back(std::move(r.second));
  return out;
}

QString trimmedField(int field) {
  QString text;
  if (ThwString(text, Hamlog.Thw, field) != 0) return {};
  return text.remove(QChar(0)).trimmed();
}

// The records whose leading `width` bytes pass `keep`, read from the log itself (open), in record order:
// the lists' way when an index cannot be had. Deleted records are left out, as the indexes leave them.
std::vector<int32_t> scanLog(int width, const std::function<bool(QByteArrayView)>& keep) {
  std::vector<std::vector<int32_t>> found(size_t(HdbScanParts()), std::vector<int32_t>{});
  const int32_t r = ScanHdbRecords(
      1, Vdbf_rcount(Hamlog.Thw), int(found.size()),
      [&](int part, int32_t recNo, const unsigned char* image) {
        if (keep(QByteArrayView(image, width))) found[size_t(part)].push_back(recNo);
      },
      nullptr, width);
  std::vector<int32_t> hits;
  if (r == HAMLOG_OK)
    for (const auto& part : found) hits.insert(hits.end(), part.begin(), part.end());
  return hits;
}

// Said once per run and cause: an index could not be built, so the lists read the log itself.
void tellIndexProblemOnce(const QString& problem) {
  if (problem.isEmpty() || QsoListShared.IndexProblemsTold.contains(problem)) return;
  QsoListShared.IndexProblemsTold << problem;
  MsgBox(problem + u8("。\r\nQSOの一覧は HAMLOG.HDB を直接読んで作ります (時間がかかります)。\r\n"
                      "原因を取り除くと、次に HAMLOG を開くときに索引を作り直します"));
}

bool countsAsReceived(const QString& mark) {
  for (const QString& m : Settings.QslReceivedMarks)
    if (!m.isEmpty() && m == mark) return true;
  return false;
}

}  // namespace

QsoList ListAreaQsos(const QString& key, int32_t band, const QString& mode) {
  QsoList list;
  HamlogCloseDb(0);
  DoEvents();

  // The record numbers of the run, up to the 2,001 hits.
  std::vector<int32_t> hits;
  const QString none = u8("この地域のQSOデータはありません");
  OpenIndex index(indexPath("dx1"));
  const QString problem = HamlogIndexProblem();
  const bool indexed = index.open;
  if (indexed) {
    TellIndexRebuildOnce();
    const int32_t first = key.isEmpty() ? 0 : idx_search(index.handle, key, int32_t(key.size()));
    if (first < 1) {
      list.notice = none;
      return list;
    }
    hits.reserve(kAreaListSlots);
    hits.push_back(first);
    while (int(hits.size()) < kAreaListSlots) {
      const int32_t next = idx_next(index.handle);
      if (next < 1) break;
      hits.push_back(next);
    }
    index.Close();
  }
  if (HamlogOpenDb() != 0) {
    MsgBox(WithOpenFailureCause(u8(kOpenFailed)));
    list.outcome = QsoList::OpenFailed;
    return list;
  }
  if (!indexed) {
    tellIndexProblemOnce(problem);
    const QByteArray code = ToAnsi(key);
    if (!code.isEmpty())
      hits = scanLog(hamlog::kCodeOffset + hamlog::kCodeWidth, [&code](QByteArrayView image) {
        return image.sliced(hamlog::kCodeOffset).startsWith(code);
      });
    if (hits.empty()) {
      HamlogCloseDb(0);
      list.notice = none;
      return list;
    }
    if (int(hits.size()) > kAreaListSlots) hits.resize(kAreaListSlots);
  }
  list.capped = int(hits.size()) == kAreaListSlots;
  if (list.capped) MsgBox(u8("大量のデータがありますので打ち止め・・・m(__)m"));
  // A town or village (six characters ending in a letter) counts for the gun of its first five.
  const bool gunKey = key.size() == 5;
  NumberedRows rows;
  rows.reserve(hits.size());
  // The rows are read into texts of their own; the shared field buffers are left blank once.
  ClearQsoFieldBuffers();
  for (const int32_t recNo : hits) {
    if (THW_read(Hamlog.Thw, recNo, 3) != 0) {
      ++list.unreadable;
      continue;
    }
    // The filter's three fields first: most records of a long run fail it.
    const QString code = trimmedField(8);
    const bool inGun = gunKey && code.size() == 6 && !code.back().isDigit();
    if ((inGun ? code.left(5) : code) != key) continue;
    if (mode != "MIX" && !ModeInReadingMode(trimmedField(7), mode)) continue;
    if (band != kAllBands && FreqPCheck(trimmedField(6)) != band) continue;
    QStringList row = QsoRowOfRecord(recNo, {'-', false});
    row[1] = row[1].trimmed();
    row[7] = row[7].trimmed();
    row[8] = row[8].trimmed();
    row[9] = code;
    rows.emplace_back(recNo, std::move(row));
  }
  HamlogCloseDb(0);

  if (rows.empty()) {
    list.notice = u8("この地域とは1st QSO です。") + unreadableNote(list.unreadable);
    return list;
  }
  list.rows = byRecordNumber(rows);
  list.outcome = QsoList::Listed;
  list.caption = key + u8("とのＱＳＯ一覧 ") + QString::number(list.rows.size()) + u8("回") +
                 unreadableNote(list.unreadable);
  return list;
}

bool IsJapaneseCall(const QString& call) {
  return call.size() >= 2 && JapanesePrefixes.split(',').contains(call.left(2));
}

QString NormaliseCallSign(const QString& call, bool japanese) {
  QString c = call;
  for (const char* suffix : {"/P", "/R", "/MM", "/QRP"})
    if (c.endsWith(QLatin1String(suffix))) {
      c.remove(QLatin1String(suffix));
      break;
    }
  if (japanese) {
    const qsizetype slash = c.indexOf('/');
    if (slash >= 0) c.truncate(slash);
  }
  return c;
}

QsoList ListStationQsos(QString& call) {
  QsoList list;
  if (Hamlog.HamlogClosed == 0) {
    list.outcome = QsoList::Busy;
    return list;
  }
  if (call.isEmpty()) return list;
  for (const QChar c : call)
    if (!(c.isDigit() || c == '/' || (c.unicode() < 0x80 && c.isLetter()))) {
      MsgBox(u8("コールサインに使えない文字が含まれています。（") + call + u8("）"));
      list.outcome = QsoList::BadCall;
      return list;
    }
  const bool japanese = IsJapaneseCall(NormaliseCallSign(call, false));
  call = NormaliseCallSign(call, japanese);
  const bool checkMode = LogWindowState.QslCheckMode == 1;
  const QString none = checkMode ? u8("この局の未回収QSLはありません。") : u8("この局とは1st QSO です。");

  HamlogCloseDb(0);
  if (HamlogOpenDb() != 0) {
    MsgBox(WithOpenFailureCause(u8(kOpenFailed)));
    HamlogCloseDb(0);
    list.outcome = QsoList::OpenFailed;
    return list;
  }
  TellIndexRebuildOnce();
  // The station's records stand together in call order: the call itself, then its "/" forms. A
  // record past them ends the run; a "/" form that is another station (a foreign call's area
  // designator) is passed over, so that the portable forms behind it are still found.
  const QString slashForm = call + "/";
  NumberedRows rows;
  ClearQsoFieldBuffers();
  bool first = true;
  int32_t recNo = Vidx_search(Hamlog.Thw, call, 16);
  // Without the call-sign index: the records of the call and its "/" forms, read from the log itself.
  std::vector<int32_t> scanned;
  const bool noIndex = recNo <= 0 && !HamlogIndexProblem().isEmpty();
  if (noIndex) {
    tellIndexProblemOnce(HamlogIndexProblem());
    const QByteArray bytes = ToAnsi(call), slashed = ToAnsi(slashForm);
    scanned = scanLog(hamlog::kCallOffset + hamlog::kCallWidth, [&](QByteArrayView image) {
      const QByteArray stored = image.sliced(hamlog::kCallOffset).toByteArray().replace(" ", "");
      return stored == bytes || stored.startsWith(slashed);
    });
  }
  for (size_t next = 0; noIndex ? next < scanned.size() : recNo > 0;
       recNo = noIndex ? 0 : Vidx_next(Hamlog.Thw, 16)) {
    if (noIndex) recNo = scanned[next++];
    const bool wasFirst = first;
    first = false;
    if (THW_read(Hamlog.Thw, recNo, 3) != 0) {
      ++list.unreadable;
      continue;
    }
    QStringList row = QsoRowOfRecord(recNo, {'/', false});
    QString stored = row[1];
    stored.remove(' ');
    if (stored != call && !stored.startsWith(slashForm)) {
      if (wasFirst) continue;
      break;
    }
    if (NormaliseCallSign(stored, japanese) != call) continue;
    if (checkMode && countsAsReceived(row[15])) continue;
    row[1] = stored;
    // The row's own flags, never those of the row before (a code outside the table leaves them blank).
    QsoRules.QslFlagText = "    ";
    QString flags;
    if (ThwString(flags, Hamlog.Thw, 16) == 0) QslFlagsToText(flags.remove(QChar(0)).trimmed());
    row[18] = QsoRules.QslFlagText;
    rows.emplace_back(recNo, std::move(row));
  }
  HamlogCloseDb(0);

  if (rows.empty()) {
    list.notice = none + unreadableNote(list.unreadable);
    return list;
  }
  list.rows = byRecordNumber(rows);
  list.outcome = QsoList::Listed;
  const QString n = QString::number(list.rows.size());
  list.caption = checkMode ? call + u8("局のＱＳＬ未ＣＦＭは ") + n +
                                 u8("枚　　ﾃﾞｰﾀ選択し「Insert」キーで受領ﾏｰｸ入ります")
                           : call + u8("局とのＱＳＯ  ") + n + u8("回");
  list.caption += unreadableNote(list.unreadable);
  return list;
}

void TellIndexRebuildOnce() {
  if (QsoListShared.IndexRebuildTold || hamlogLib.indexRebuilds == 0) return;
  QsoListShared.IndexRebuildTold = true;
  MsgBox(u8("HAMLOGの索引ファイルが無いか古くなっていたため、作り直しました。"));
}
