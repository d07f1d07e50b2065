#pragma once
// The sheet engine's progress shown on the windows: the start window's status label and
// "前回データで起動" box, the sheet's busy frame, QSO panel and grid. Each call leaves a window that is
// not loaded alone.

#include "sheet/SheetProgress.h"

class SheetWindowProgress : public SheetProgress {
 public:
  void Pump() override;
  void Status(const QString& text) override;
  void PreviousDataUnusable() override;
  void ReadingWholeLog() override;
  std::unique_ptr<JobLock> LockJobs() override;
  void SetGridRedraw(bool on) override;
  void HideBusyFrame() override;
  void BeginFill() override;
  void WriteRows(const std::vector<SheetViewRow>& rows) override;
  void WriteCells(const std::vector<SheetCellText>& cells) override;
  void EndFill() override;
};
