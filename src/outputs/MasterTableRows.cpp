#include "outputs/MasterTableRows.h"

#include "core/BandLayout.h"
#include "core/MasterTable.h"
#include "sheet/SheetFill.h"

MasterTableRows::MasterTableRows() {
  for (const SheetViewRow& v : SelectViewRows()) {
    rows_.push_back(v.masterRow);
    hidden_.push_back(v.hidden);
  }
}

QString MasterTableRows::Cell(int32_t row, int32_t column) const {
  if (row == 0) {
    if (column == 1) return QStringLiteral("CODE");
    if (column == 2) return QStringLiteral("QTH");
    return BandHeading(column);
  }
  if (row < 1 || row > LastDataRow() || column < 1 || column > MasterTable.Columns()) return {};
  return MasterTable(column, rows_[size_t(row - 1)]);
}

bool MasterTableRows::Hidden(int32_t row) const {
  return row >= 1 && row <= LastDataRow() && hidden_[size_t(row - 1)];
}
