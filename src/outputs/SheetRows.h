#pragma once
// The rows of the progress sheet as the lists read them: what the grid shows, code rows only (the
// empty rows after the last code row are not part of it). The sheet window hands its grid over
// through this; MasterTableRows gives the same rows straight from MasterTable and the view filters.

#include <QString>
#include <cstdint>
#include <vector>

class SheetRows {
 public:
  virtual ~SheetRows() = default;
  // Code rows 1 .. DataRows().
  virtual int32_t DataRows() const = 0;
  // Cell text: row 0 the headings, columns as the sheet grid's (1 code, 2 QTH, 5 .. band marks, kind).
  virtual QString Text(int32_t row, int32_t column) const = 0;
};

// The rows of the current view, read from MasterTable (for work without the window).
class MasterTableRows : public SheetRows {
 public:
  MasterTableRows();
  int32_t DataRows() const override { return static_cast<int32_t>(rows_.size()); }
  QString Text(int32_t row, int32_t column) const override;

 private:
  std::vector<int32_t> rows_;  // master row of each view row
};
