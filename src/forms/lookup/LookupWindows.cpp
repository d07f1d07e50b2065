#include "forms/lookup/LookupWindows.h"

#include "forms/lookup/newCODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "lookup/DxccTable.h"

void ConnectLookupWindows() {
  SheetHooks.LoadDXCCTable = [] { LoadDXCCTable(); };
  SetDxccHitsListener(ShowDXCCHits);
}
