#include "forms/lookup/LookupWindows.h"

#include "forms/lookup/newCODE_LIST.h"
#include "forms/outputs/ListDialog.h"
#include "lookup/DxccTable.h"

void ConnectLookupWindows() {
  SetDxccHitsListener(ShowDXCCHits);
  // The award list's "DX Check" names each DX code's DXCC number from the table.
  OutputHooks.DxccCodeOf = [](const QString& hamlogCode) {
    QString key = hamlogCode;
    return DXCCCodeSearch(key, kFirstEntityId, 6);
  };
}
