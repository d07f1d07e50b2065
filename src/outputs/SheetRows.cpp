#include "outputs/SheetRows.h"

#include "core/BandLayout.h"
#include "core/MasterTable.h"
#include "sheet/SheetFill.h"

MasterTableRows::MasterTableRows() {
  for (const SheetViewRow& v : SelectViewRows()) rows_.push_back(v.masterRow);
}

QString MasterTableRows::Text(int32_t row, int32_t column) const {
  if (row == 0) {
    if (column == 1) return QStringLiteral("CODE");
    if (column == 2) return QStringLiteral("QTH");
    return BandHeading(column);
  }
  if (row < 1 || row > DataRows() || column < 1 || column > MasterTable.Columns()) return {};
  return MasterTable(column, rows_[size_t(row - 1)]);
}
