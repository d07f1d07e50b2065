#pragma once
// The rows of the current sheet view read straight from MasterTable and the view filters, in the
// grid's columns (row 0 the headings): what the lists read when no window is up.

#include <QString>
#include <cstdint>
#include <vector>

#include "sheet/SheetSearch.h"

class MasterTableRows : public SearchRows {
 public:
  MasterTableRows();
  QString Cell(int32_t row, int32_t column) const override;
  bool Hidden(int32_t row) const override;
  int32_t LastDataRow() const override { return static_cast<int32_t>(rows_.size()); }

 private:
  std::vector<int32_t> rows_;  // master row of each view row
  std::vector<bool> hidden_;
};
