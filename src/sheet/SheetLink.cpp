#include "sheet/SheetLink.h"

#include "core/SharedSettings.h"
#include "platform/ui/doevents.h"

// Until the sheet and start windows are built on this layer, the load reports through the shared
// flags alone.
void PumpSheetEvents() { DoEvents(); }
void ShowStartStatus(const QString&) { DoEvents(); }
void ShowReadCounter(int32_t, int32_t) { DoEvents(); }
void UntickStartWithPreviousData() { StartFlags.StartWithPreviousData = 0; }
void HideSheetBusyFrame() {}
void SetGridRedraw(bool) {}
void BeginSheetFill() {}
void EndSheetFill() {}
void WriteSheetGrid(const std::vector<SheetViewRow>&) {}

struct SheetJobLock::Impl {};
SheetJobLock::SheetJobLock() {}
SheetJobLock::~SheetJobLock() = default;
