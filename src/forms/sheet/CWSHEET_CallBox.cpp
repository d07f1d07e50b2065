// The progress sheet's call-sign box Text3: a typed call is prepared for the log, a foreign call's
// entity is looked up in the DXCC table (the prefix list shows the candidates and the search box jumps
// to the entity), and Enter or Down keeps the call in the call list.

#include <QScopedValueRollback>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LogWindowState.h"
#include "lookup/DxccTable.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"

void CWSHEET::wireCallBox() {
  Text3.setToolTip(QStringLiteral("↓でCall検索、EnterでCall-Listに追加"));
  Text3.Change = [this] { Text3_Change(); };
  Text3.KeyDown = [this](int& keyCode, int) { Text3_KeyDown(keyCode); };
}

void CWSHEET::Text3_Change() {
  UnloadForm<QSODATA>();
  const QString text = Text3.text();
  if (LogWindowState.StoredRecordShown == 1) return;
  if (text.isEmpty()) {
    // No call gives no entity: the candidates of the call before go as for any such call.
    DXCCLookUpCall(QString());
    dropCallBoxCode();
    dropUnseenEntryStation(true);
    return;
  }
  SetMsgBoxCentre(*this);
  Frame6.setTitle(QStringLiteral("QSO ﾃﾞｰﾀ"));
  Frame10.hide();
  const QString call = text.trimmed().toUpper();
  CallBox.StationCall = call;
  // The entry window takes the call even before it is opened: it is loaded unseen to hold it.
  TEMP_LOG& log = Form<TEMP_LOG>();
  log.Text1.setText(call);
  // The look-up hands the likely entity's code to the search box. A Japanese call finds none and
  // leaves the box to its city's code; a maritime or aeronautical mobile one empties it.
  {
    const QScopedValueRollback writing(callBoxWriting_, true);
    if (!DXCCLookUpCall(call)) Text2.setText(QString());
  }
  if (DxccTable.DxccEntityCount > 0 && DxccTable.DxccHitCount > 0)
    callBoxCode_ = Text2.text();
  else
    dropCallBoxCode();
  // Typed here, the keyboard stays in the box; typed in the entry window (which copies its call
  // here), it stays there.
  if (isActiveWindow()) Text3.setFocus();
  dropUnseenEntryStation(false);
  // Keywords that show or hide the grid's two working columns.
  const QString upper = text.toUpper();
  if (upper == "DEBUGON") {
    MSFlexGrid2.SetColWidth(BandLayout.KindColumn, 400);
    MSFlexGrid2.SetColWidth(BandLayout.QsoCountColumn, 700);
  } else if (upper == "DEBUGOFF") {
    MSFlexGrid2.SetColWidth(BandLayout.KindColumn, 0);
    MSFlexGrid2.SetColWidth(BandLayout.QsoCountColumn, 0);
  }
}

void CWSHEET::dropUnseenEntryStation(bool call) {
  // Found anew: a look-up may show a message box, and no window reference outlives one. A window
  // loaded unseen holds only what was put there for the call in the box now: nothing of the call
  // before, nor that call once the box is emptied. A shown one keeps what the operator typed and drops
  // itself what came with another station.
  TEMP_LOG* unseen = LoadedForm<TEMP_LOG>();
  if (!unseen || unseen->isVisible()) return;
  if (call) unseen->Text1.setText(QString());
  unseen->Text12.setText(QString());
  unseen->Text14.setText(QString());
}

void CWSHEET::dropCallBoxCode() {
  if (!callBoxCode_.isEmpty() && Text2.text() == callBoxCode_) Text2.setText(QString());
  callBoxCode_.clear();
}

void CWSHEET::Text3_KeyDown(int keyCode) {
  if (keyCode != vbKeyReturn && keyCode != vbKeyDown) return;
  if (LogWindowState.QslCheckMode == 0 && LogWindowState.StoredRecordShown == 1) return;
  if (Text3.text().trimmed().isEmpty() || CallBox.StationCall.isEmpty()) {
    MsgBox(QStringLiteral("CallSign を記入してください"), vbOKOnly);
    Text3.setFocus();
    return;
  }
  if (Hamlog.HamlogDbPath.trimmed().isEmpty()) {
    MsgBox(QStringLiteral("HAMLOGの設定がありません"), vbOKOnly);
    return;
  }
  QString station = CallBox.StationCall;
  QSODATA::ShowStationQsos(station);
  const QString call = Text3.text().trimmed().toUpper();
  for (int i = 0; i < List1.ListCount(); ++i)
    if (List1.List(i).trimmed() == call) return;
  List1.AddItem(call);
}
