#include "sheet/SheetProgress.h"

#include "core/SharedSettings.h"

void SheetProgress::Status(const QString& /*text*/) { Pump(); }

void SheetProgress::Counter(int32_t position, int32_t total) {
  Status(QStringLiteral("読込中 ") + QString::number(position) + "/" + QString::number(total));
}

bool SheetProgress::StopRequested() const { return StartFlags.AbortReading == 1; }

void SheetProgress::PreviousDataUnusable() { StartFlags.StartWithPreviousData = 0; }

SheetProgress& SilentSheetProgress() {
  static SheetProgress silent;
  return silent;
}
