#include "forms/lookup/LookupWindows.h"

#include "forms/lookup/newCODE_LIST.h"
#include "lookup/DxccTable.h"

void ConnectLookupWindows() {
  SetDxccHitsListener(ShowDXCCHits);
}
