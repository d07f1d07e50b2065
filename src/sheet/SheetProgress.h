#pragma once
// What the sheet's engine (work file, collation, fill) tells the windows while it works, and how it
// hears a stop request. The sheet window hands its own to the engine; benches and engine tests use the
// silent one, which still honours Esc through StartFlags.AbortReading.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

struct SheetViewRow;

// A grid cell's new text.
struct SheetCellText {
  int32_t row, column;
  QString text;
};

class SheetProgress {
 public:
  // Held while a job runs: controls that would start another job, return or exit stay locked.
  struct JobLock {
    virtual ~JobLock() = default;
  };

  virtual ~SheetProgress() = default;

  // Pending window messages run (Esc gets through).
  virtual void Pump() {}
  // The status line := text, then pending messages run.
  virtual void Status(const QString& text);
  // The record counter of the extraction ("読込中 n/N").
  void Counter(int32_t position, int32_t total);
  // True once the operator asked the running job to stop.
  virtual bool StopRequested() const;
  // The previous work file cannot be used: "前回データで起動" is cleared.
  virtual void PreviousDataUnusable();
  // An append found the records it read before changed in the log: it reads the whole log instead.
  virtual void ReadingWholeLog() {}
  virtual std::unique_ptr<JobLock> LockJobs() { return nullptr; }

  // The sheet grid: redrawing, the busy frame and the rows of a fill.
  virtual void SetGridRedraw(bool /*on*/) {}
  virtual void HideBusyFrame() {}
  virtual void BeginFill() {}
  virtual void WriteRows(const std::vector<SheetViewRow>& /*rows*/) {}
  // Cells of the rows the last WriteRows wrote.
  virtual void WriteCells(const std::vector<SheetCellText>& /*cells*/) {}
  virtual void EndFill() {}
};

// Reports nothing; used where no window is up.
SheetProgress& SilentSheetProgress();
