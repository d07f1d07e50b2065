#include "forms/logbook/LogbookWindows.h"

#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/CODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/DxCodeSearch.h"
#include "logbook/LocalTime.h"
#include "logbook/LogWindowState.h"
#include "logbook/QsoHandOver.h"
#include "lookup/CodeListState.h"

namespace {

// A new QSO typed in the shown entry window and not saved is replaced only when the operator lets it go.
bool mayReplaceShownQso() {
  TEMP_LOG* w = LoadedForm<TEMP_LOG>();
  if (!w || !w->isVisible() || w->MayDropNewQso()) return true;
  w->raise();
  w->activateWindow();
  return false;
}

}  // namespace

bool OpenLogWindow() {
  if (!mayReplaceShownQso()) return false;
  TEMP_LOG& w = Form<TEMP_LOG>();
  // Nothing of a stored record shown before goes into the new QSO.
  if (LogWindowState.StoredRecordShown == 1) w.SetEntry(QsoEntry{});
  if (!w.NewRecord()) return false;
  if (LogWindowState.DxFlagText != "0") w.toggleZone();
  w.setWindowTitle(QString::fromUtf8("ORBEXログ LogData=>") + Hamlog.HamlogDbPath);
  w.Show();
  w.activateWindow();
  // The call is usually there already: the time is what the operator types first.
  w.Text4.setFocus();
  LogWindowState.LogWindowOpen = 1;
  return true;
}

bool ShowStoredQso(int32_t recNo) {
  if (!mayReplaceShownQso()) {
    HamlogCloseDb(0);
    return false;
  }
  TEMP_LOG& w = Form<TEMP_LOG>();
  if (!w.ShowQsoInLogWindow()) return false;
  w.RecordSaved = 0;
  w.LSave.SetEnabled(LogWindowState.QslCheckMode != 1);
  w.CODECHK.SetVisible(true);
  if (Settings.QslProgramSet == 1) w.HLQ.SetEnabled(true);
  LogWindowState.StoredRecordShown = 1;
  LogWindowState.LogRecNo = recNo;
  w.Show();
  w.activateWindow();
  LogWindowState.LogWindowOpen = 1;
  return true;
}

void ReloadCurrentQso() {
  TEMP_LOG* w = LoadedForm<TEMP_LOG>();
  if (!w || !ReadRecordAgain(LogWindowState.LogRecNo) || !w->ShowQsoInLogWindow()) return;
  if (Settings.QslProgramSet == 1) w->HLQ.SetEnabled(true);
  LogWindowState.LogRecNo = LogWindowState.ShownRecordNo;
  LogWindowState.StoredRecordShown = 1;
}

void ConnectLogbookWindows() {
  EntryWindowHooks.ShowStoredQso = ShowStoredQso;
  LocalTime.ShowLocalTime = [](const QString& caption) {
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) {
      w->LT.SetCaption(caption);
      w->LT.SetVisible(LogWindowState.QslCheckMode != 1);
    }
  };
}

void SearchDxCodeToWindows(const QString& callText) {
  // A list left from an earlier search is not mixed with this one.
  UnloadForm<CODE_LIST>();
  const DxCodeSearchResult result = SearchDxCode(callText);
  if (result.outcome == DxCodeSearchResult::NoEntity) {
    // As the sheet's search box: a station at sea or in the air has no entity's code.
    if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Text2.setText(QString());
    if (TEMP_LOG* entry = LoadedForm<TEMP_LOG>())
      entry->PutCodeAndQth(QString(), QString(), TEMP_LOG::Put::LookedUp);
  }
  if (result.outcome != DxCodeSearchResult::Found) return;
  const DxEntityRow& first = result.rows.front();
  if (result.rows.size() == 1) {
    if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->Text2.setText(first.code);
    if (TEMP_LOG* entry = LoadedForm<TEMP_LOG>())
      entry->PutCodeAndQth(first.code, first.name, TEMP_LOG::Put::LookedUp);
    return;
  }
  CodeListShared.JaCodeListMode = 0;
  CODE_LIST& list = Form<CODE_LIST>();
  list.SetWidth(5215);
  FlexGrid& g = list.MSFlexGrid1;
  g.SetFixedCols(1);
  g.Move(g.Left(), g.Top(), 5000, g.Height());
  for (int c = 5; c <= 20; ++c) g.SetColWidth(c, 0);
  g.SetRows(1);
  for (size_t i = 0; i < result.rows.size(); ++i) {
    const DxEntityRow& e = result.rows[i];
    const int r = int(i) + 1;
    g.AddItem(r == 1 ? QString() : QString::number(r));
    g.SetTextMatrix(r, 1, e.code);
    g.SetTextMatrix(r, 2, e.name);
    g.SetTextMatrix(r, 3, e.head);
    g.SetTextMatrix(r, 4, e.tail);
    g.SetTextMatrix(r, 22, e.side);
    g.SetTextMatrix(r, 23, QString::number(e.degrees));
  }
  list.ShowInactive();  // beside the entry window, whose fields keep the keyboard
}
