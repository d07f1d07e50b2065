#pragma once
// What the load and the tally do to the windows while they work: the start window's status label and
// "前回データで起動" box, the sheet's busy frame, QSO panel and grid. Each call does nothing to a
// window that is not loaded, so the tally also runs without windows (benches, the award builders).

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

struct SheetViewRow;

// Lets pending window messages run (Esc on the start window gets through).
void PumpSheetEvents();
// The start window's status label := text, then pending messages run.
void ShowStartStatus(const QString& text);
// The record counter of the extraction in the start window's status label, then pending messages run.
void ShowReadCounter(int32_t position, int32_t total);
// Unticks "前回データで起動" (its click handler clears StartWithPreviousData; without the start
// window the flag is cleared here).
void UntickStartWithPreviousData();
// Hides the sheet's busy frame.
void HideSheetBusyFrame();
// The sheet grid's redrawing on or off.
void SetGridRedraw(bool on);
// First and last steps of the sheet fill on the sheet window (QSO panel reset, busy frame, "計算中").
void BeginSheetFill();
void EndSheetFill();
// Writes the view rows into the sheet grid in one pass, followed by the 60 empty rows.
void WriteSheetGrid(const std::vector<SheetViewRow>& rows);

// While it lives, the sheet's menus and buttons that would start another job, return or exit are
// disabled and its close box refused.
class SheetJobLock {
 public:
  SheetJobLock();
  ~SheetJobLock();
  SheetJobLock(const SheetJobLock&) = delete;
  SheetJobLock& operator=(const SheetJobLock&) = delete;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
