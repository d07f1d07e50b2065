#pragma once
// The sheet grid as the logic reads its rows: the code rows the last fill wrote, never the empty rows
// after them; row 0 holds the headings.

#include <algorithm>

#include "platform/ui/flexgrid.h"
#include "sheet/SheetSearch.h"
#include "sheet/SheetTally.h"

class SheetGridRows : public SearchRows {
 public:
  explicit SheetGridRows(const FlexGrid& g) : g_(g) {}
  QString Cell(int32_t row, int32_t column) const override { return g_.TextMatrix(row, column); }
  bool Hidden(int32_t row) const override { return g_.RowHeight(row) == 0; }
  int32_t LastDataRow() const override { return std::min<int32_t>(SheetTally.GridDataRows, g_.Rows() - 1); }

 private:
  const FlexGrid& g_;
};
