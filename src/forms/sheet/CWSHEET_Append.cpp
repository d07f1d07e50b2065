// "HAMLOG追加読込(表の更新)": the QSOs logged since the last reading are added to the open sheet
// without a full reading.

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBTOP.h"
#include "logbook/LogWindowState.h"
#include "platform/clock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/ui/color.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "platform/vbnumber.h"
#include "platform/vbstrings.h"
#include "rig/RigLink.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/LogPrint.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStamp.h"
#include "sheet/WorkFileStore.h"

namespace {

// True also when HAMLOG cannot be opened or read: the reading then tells why.
bool logChangedSinceReading(SheetProgress& progress) {
  if (HamlogAsStamped()) return false;  // as the last reading found it: not read again
  const auto lock = progress.LockJobs();  // the pass lets events through
  if (HamlogOpenDb() != 0) {
    HamlogCloseDb(0);
    return true;
  }
  LogSinceReading since;
  LogPrint kept;
  const int32_t r = CompareLogWithReading(progress, since, kept);
  HamlogCloseDb(0);
  SheetTally.LogKnownRewritten = r == HAMLOG_OK && since != LogSinceReading::Grown;
  return r != HAMLOG_OK || since != LogSinceReading::Grown;
}

}  // namespace

bool CWSHEET::refusedForLogWindow() {
  if (LogWindowState.LogWindowOpen != 1) return false;
  bringLogWindowForward();
  MsgBox(QStringLiteral("LOG帳が開いていますので閉じてからにしてください"), vbOKOnly);
  return true;
}

void CWSHEET::HLAPD_Click() {
  SheetTallyState& t = SheetTally;
  t.LogKnownRewritten = false;
  if (refusedForLogWindow()) return;
  UnloadForm<TEMP_LOG>();
  const QString today = TodayJst().toString("yyyyMMdd");
  if (ReadConditions.EndDate != today) {
    if (ORBTOP* top = LoadedForm<ORBTOP>()) top->Text8.setText(today);
    ReadConditions.EndDate = today;
    offerAcaList();
  }
  SettleWorkFile();  // the previous append's file in place: the position read moves with it
  Hamlog.HdbRecordCount = CountHdbRecords();
  if (Hamlog.HdbRecordCount < 1) return;  // it has said why
  const std::optional<int32_t> last = WholeNumber(Settings.LastExtractedRecord);
  if (!last) {
    MsgBox(QStringLiteral("前回の読込位置 (LASTP=") + Settings.LastExtractedRecord +
               QStringLiteral(") が読めません。") + vbCrLf +
               QStringLiteral(" 起動画面に戻って HAMLOG データを読み直してください"),
           vbOKOnly);
    return;
  }
  // As many records as were read may still hide one deleted and another logged, or a card entered in
  // HAMLOG. A log changed under the records read is read whole (BuildDmyDbs).
  if (Hamlog.HdbRecordCount == *last && !logChangedSinceReading(progress_)) {
    MsgBox(QStringLiteral("HAMLOG.HDB は前回より増えていません。"), vbOKOnly);
    return;
  }
  QString qslFlags;
  for (const QString& kind : ReadConditions.ExcludedQslKinds) qslFlags += kind;
  Hamlog.LastResult = MsgBox(QStringLiteral("現在の読込みフィルタは ") + vbCrLf + "  MODE   -> " +
                                 ReadConditions.SelMode + vbCrLf + QStringLiteral("  QSLﾌﾗｸﾞ-> ") + qslFlags +
                                 vbCrLf + QStringLiteral("ですが宜しいですか"),
                             vbOKCancel | vbExclamation, "ORBEX5");
  if (Hamlog.LastResult != vbOK) {
    MsgBox(QStringLiteral("起動画面に戻り[前回データで起動] のチェックを外して") + vbCrLf +
               QStringLiteral(" 再度 HAMLOG データを読み直してください"),
           vbOKOnly);
    return;
  }
  // Another program (a satellite QSO) may have opened the entry window while the question was up.
  if (refusedForLogWindow()) return;
  const RigPollPause pause;
  // Only the cells the new QSOs reach are redrawn: a row showing its counts gets its marks back first.
  // The counts stay; the builder adds the new QSOs' (or counts everything again when it reads all).
  if (CountRowShown == 1 && LastCellRow >= 1) {
    hideCountRow(LastCellRow);
    MSFlexGrid2.SetTextMatrix(LastCellRow, BandLayout.QsoCountColumn, QString());
  }
  SavedRowCells.clear();
  MSFlexGrid2.SetColWidth(BandLayout.QsoCountColumn, 0);
  CountRowTotal = 0;
  ClickRow = 0;
  CountRowShown = 0;
  t.AppendRead = 1;
  t.NewLinesWritten = 0;
  ResetQsoPanel();
  const QString busy = Label2.text();
  Frame1.show();
  Frame1.raise();
  {
    // What the operator types meanwhile arrives after the reading, a box it ends in too; the start
    // window's Esc still stops it.
    const InputHold hold(LoadedForm<ORBTOP>());
    BuildDmyDbs(progress_);
  }
  Frame1.hide();
  Label2.setText(busy);
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->ShowReadStatus(QStringLiteral("ｶｳﾝﾀ"));
  if (t.ReadFailed == 1) {
    t.ReadFailed = 0;
    MsgBox(ReadFailureMessage(StartFlags.ReadStatusCode), vbOKOnly);
  } else if (t.NewLinesWritten != 0) {
    Text2_Change();
  } else {
    MsgBox(QStringLiteral("HAMLOG.HDB は前回より増えていませんでした。"), vbOKOnly);
  }
  t.NewLinesWritten = 0;
  t.AppendRead = 0;
}
