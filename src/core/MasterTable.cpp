#include "core/MasterTable.h"

#include <cassert>

MasterTableData MasterTable;

void MasterTableData::Redim(int32_t columns, int32_t rows) {
  columns_ = columns < 0 ? 0 : columns;
  rows_ = rows < 0 ? 0 : rows;
  cells_.assign(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), QString());
}

QString& MasterTableData::operator()(int32_t column, int32_t row) {
  assert(column >= 1 && column <= columns_ && row >= 1 && row <= rows_);
  return cells_[static_cast<size_t>(row - 1) * columns_ + (column - 1)];
}

const QString& MasterTableData::operator()(int32_t column, int32_t row) const {
  assert(column >= 1 && column <= columns_ && row >= 1 && row <= rows_);
  return cells_[static_cast<size_t>(row - 1) * columns_ + (column - 1)];
}
