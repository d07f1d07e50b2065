#pragma once
// What the QSO entry window shares with the lists and viewers beside it, and the hook through which the
// logic below it (QSL printing) shows it a stored QSO. The hook is empty until the entry window
// installs it; then nothing is shown.

#include <QString>
#include <cstdint>
#include <functional>

struct LogWindowStateValues {
  int32_t LogWindowOpen = 0;      // 1 while the entry window is open
  int32_t StoredRecordShown = 0;  // 1 while it shows a record read from HAMLOG
  int32_t LogRecNo = 0;           // the record it shows
  int32_t EditMode = 0;           // 1 = its save updates ShownRecordNo, 0 = appends
  int32_t QslCheckMode = 0;       // 1 while QSL cards are being marked received
  int32_t LogRecordCount = 0;     // HAMLOG's record count as last taken
  int32_t ShownRecordNo = 0;
  int32_t LogViewerOpen = 0;  // 1 while the log viewer is open
  int32_t UtcMode = 0;        // 1 = a new QSO's time is entered in UTC
  QString DxFlagText = "0";   // "8" = the D flag (DX) of the last code typed or ticked
};
extern LogWindowStateValues LogWindowState;

struct EntryWindowHooksState {
  // Shows the record just read into Hamlog.Thw in the entry window. False when the window keeps a new
  // QSO not saved yet (the operator said so) or the record could not be handed over whole (said);
  // HAMLOG is closed then, and the window and its state are as they were.
  std::function<bool(int32_t recNo)> ShowStoredQso;
};
extern EntryWindowHooksState EntryWindowHooks;
