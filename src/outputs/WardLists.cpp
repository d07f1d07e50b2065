#include "outputs/WardLists.h"

#include <QHash>
#include <QList>
#include <array>
#include <vector>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "outputs/AwardLists.h"
#include "outputs/ListChoices.h"
#include "outputs/ListFiles.h"
#include "platform/codepage.h"
#include "platform/vbfile.h"
#include "platform/vbnumber.h"
#include "sheet/Collation.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStore.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

struct WardRow {
  int32_t row;
  QString code;
};

// What the work file says of one ward on the chosen bands.
struct WardFind {
  int32_t confirmingRecord = 0;  // the first confirmed QSO; 0 none
  bool worked = false;
};

}  // namespace

OutputRun WriteKuLists(int32_t bandColumn, int32_t mode) {
  OutputRun run;
  const bool waku = mode == kAwardWaku;
  const BandRange range = AwardBandRange(bandColumn);
  if (!range.Valid()) {
    run.error = kNoBandMessage;
    return run;
  }
  const int32_t cutOff = waku ? kWakuFirstDate : 0;
  const QString error = QStringLiteral("WAKU error");

  // The band labels of the work file that the range covers.
  std::array<bool, kBandCount> inRange{};
  for (int32_t c = range.first; c <= range.last; ++c)
    if (const int b = BandIndexOfColumn(c); b >= 0) inRange[size_t(b)] = true;
  QHash<QByteArray, int> bandOfLabel;
  for (int b = 0; b < kBandCount; ++b)
    if (inRange[size_t(b)]) bandOfLabel.insert(QByteArray(Bands[size_t(b)].label), b);

  // Ward rows in table order.
  std::vector<WardRow> wards;
  QHash<QString, WardFind> finds;
  const int32_t rows = std::min(SheetTally.MasterRowCount, MasterTable.Rows());
  const int32_t last = MasterList.FirstDxRow > 0 ? std::min(MasterList.FirstDxRow - 1, rows) : rows;
  for (int32_t r = 1; r <= last; ++r) {
    const QString code = MasterTable(1, r).trimmed();
    if (code.size() != 6 || !code.back().isDigit()) continue;
    if (waku && code.startsWith(QLatin1String("1001"))) continue;
    wards.push_back({r, code});
    finds.insert(code, {});
  }

  // One walk over the work file's lines (those the sheet holds): per ward its first confirmed QSO in
  // file order.
  QByteArray work;
  if (!ReadWorkFileLines(work)) {
    run.error = error + kCrLf + DmyDbsPath();
    return run;
  }
  const bool anyMark = CurrentConfirmRule() == ConfirmRule::AnyMark;
  std::array<bool, 256> listed{};
  for (const QString& m : Settings.QslReceivedMarks) {
    const QByteArray b = ToAnsi(m);
    if (b.size() == 1) listed[static_cast<unsigned char>(b[0])] = true;
  }
  const qsizetype n = work.size() / kDmyDbsRecordBytes;
  QByteArray lastCode;
  WardFind* find = nullptr;
  for (qsizetype i = 0; i < n; ++i) {
    const DmyDbsRecord rec{QByteArrayView(work).sliced(i * kDmyDbsRecordBytes, kDmyDbsRecordBytes)};
    if (rec.KindFlag() == QByteArrayView("1")) continue;
    const QByteArrayView code = rec.Code();
    if (code != QByteArrayView(lastCode)) {
      lastCode = code.toByteArray();
      auto it = finds.find(QString::fromLatin1(lastCode).trimmed());
      find = it == finds.end() ? nullptr : &*it;
    }
    if (!find || find->confirmingRecord != 0) continue;
    if (VbValBytes(rec.DateAndEnd()) < cutOff) continue;
    if (!bandOfLabel.contains(rec.Band().trimmed().toByteArray())) continue;
    const char received = rec.Received();
    const bool confirmed = anyMark ? received != ' ' : listed[static_cast<unsigned char>(received)];
    if (confirmed)
      find->confirmingRecord = static_cast<int32_t>(VbValBytes(rec.RecordNumber()));
    else
      find->worked = true;
  }

  if (HamlogOpenDb() == 1) {
    HamlogCloseDb(0);
    run.error = WithOpenFailureCause(kNoHamlogMessage);
    return run;
  }
  const QString stem = waku ? QStringLiteral("-WAKU") : QStringLiteral("-ORB_KU");
  const QString listPath = AwardListPath(range.label, stem + ".txt");
  const QString remainPath = AwardListPath(range.label, stem + QStringLiteral("残.txt"));
  VbFile list(listPath, VbMode::Output);
  VbFile remain(remainPath, VbMode::Output);
  const QString codeHeading = waku ? QStringLiteral("WAKU_code") : QStringLiteral("ORB_KU_code");
  bool ok = PrintZoned(list, {"Count", codeHeading, "Callsign", "Date", "Band", "Mode", "Remarks"}) &&
            PrintZoned(remain, {"Count", codeHeading, "QTH", "Remarks(発足日)"});
  int32_t count = 0, remaining = 0;
  for (const WardRow& w : wards) {
    if (!ok) break;
    const WardFind& f = finds[w.code];
    const QString name = MasterTable(2, w.row).trimmed();
    if (f.confirmingRecord != 0) {
      Qso.QsoRecNo = f.confirmingRecord;
      ok = ReadQsoBasic(f.confirmingRecord, 0) == 0 &&
           PrintZoned(list, {++count, Qso.QsoCode, Qso.QsoCall, Qso.QsoDate, Qso.QsoBand, Qso.QsoMode, name});
    } else if (!name.contains('*')) {
      ok = PrintZoned(remain, {QString::number(++remaining), w.code, name,
                               f.worked ? QStringLiteral("Wkd") : QString()});
    }
  }
  HamlogCloseDb(0);
  // The list goes in last: a run that fails leaves the old list, the one with the score, in place.
  ok = ok && remain.Close() && list.Close();
  if (!ok) {
    // The list that could not be written, and why (a read-only or full data folder).
    const QString why = !list.ErrorText().isEmpty() ? list.ErrorText() : remain.ErrorText();
    run.error = why.isEmpty() ? error : error + kCrLf + why;
    return run;
  }

  const int32_t total = MasterList.WardCodeCount - MasterList.AbolishedWardCount - (waku ? 23 : 0);
  const QString score = range.label + "/" + ReadConditions.SelMode + " = " + QString::number(count) +
                        QStringLiteral("ポイント ");
  const QString title = waku ? QStringLiteral("WAKU") : QStringLiteral("ORB上の KU");
  if (count == total)
    run.messages << (waku ? QStringLiteral("Cong!  WAKU 完成 ") : QStringLiteral("Cong!  ORB上の KU 完成 ")) + score;
  else
    run.messages << title + " " + score + "/" + QString::number(total);
  run.messages << (waku ? QStringLiteral("WAKUリストに続いて WAKU 的に")
                        : QStringLiteral("ORB上の KU リストに続いて ORB 的に")) +
                      QStringLiteral("残っている区リストも表示します（表示が重なりますので要注）") + kCrLf +
                      QStringLiteral("最終交信日のチェックは省略しております");
  run.opened << listPath << remainPath;
  run.ok = true;
  return run;
}
