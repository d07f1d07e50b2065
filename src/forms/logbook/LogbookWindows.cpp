// How the other windows reach the entry window: opening it for a new QSO, showing a stored one, and
// the hooks that the lists, the code list and the local-time greeting call.
#include "core/HamlogAccess.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/CODE_LIST.h"
#include "logbook/LocalTime.h"
#include "logbook/LogWindowState.h"
#include "lookup/CodeListState.h"

void OpenLogWindow() {
  TEMP_LOG& w = Form<TEMP_LOG>();
  // Nothing of a stored record shown before goes into the new QSO.
  if (LogWindowState.StoredRecordShown == 1) w.SetEntry(QsoEntry{});
  if (!w.NewRecord()) return;
  if (LogWindowState.DxFlagText != "0") w.toggleZone();
  w.setWindowTitle(QString::fromUtf8("ORBEXログ LogData=>") + Hamlog.HamlogDbPath);
  w.Show();
  w.activateWindow();
  LogWindowState.LogWindowOpen = 1;
}

void ShowStoredQso(int32_t recNo) {
  TEMP_LOG& w = Form<TEMP_LOG>();
  w.ShowQsoInLogWindow();
  w.RecordSaved = 0;
  w.LSave.SetEnabled(LogWindowState.QslCheckMode != 1);
  w.CODECHK.SetVisible(true);
  LogWindowState.StoredRecordShown = 1;
  LogWindowState.LogRecNo = recNo;
  w.Show();
  w.activateWindow();
  LogWindowState.LogWindowOpen = 1;
}

void ConnectLogbookWindows() {
  EntryWindowHooks.ShowStoredQso = ShowStoredQso;
  EntryWindowHooks.OpenLogWindow = OpenLogWindow;
  EntryWindowHooks.NameText = [] {
    const TEMP_LOG* w = LoadedForm<TEMP_LOG>();
    return w ? w->Text12.text() : QString();
  };
  EntryWindowHooks.SetNameText = [](const QString& name) {
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) w->Text12.setText(name);
  };
  CodeListHooks.PutCodeAndQth = [](const QString& code, const QString& qth) {
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) {
      w->Text9.setText(code);
      w->Text13.setText(qth);
    }
  };
  CodeListHooks.QslCheckMode = [] { return LogWindowState.QslCheckMode; };
  CodeListHooks.SetEntryCaption = [](const QString& caption) {
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) w->setWindowTitle(caption);
  };
  CodeListHooks.CalcLocalTimeGreeting = [] {
    LocalTime.LongitudeDegrees = CodeListShared.LocalLongitude;
    LocalTime.LongitudeSide = CodeListShared.LocalLongitudeSide;
    CalcLocalTimeGreeting();
    CodeListShared.LocalTimeText = LocalTime.LocalTimeText;
  };
  LocalTime.ShowLocalTime = [](const QString& caption) {
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) {
      w->LT.SetCaption(caption);
      w->LT.SetVisible(LogWindowState.QslCheckMode != 1);
    }
  };
}
