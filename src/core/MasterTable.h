#pragma once
// The code table every award view walks: one row per code, columns as the grid shows them.
//
//   MasterTable(1, row)  code, 6 characters, blank-padded
//   MasterTable(2, row)  QTH name, 34 characters ("*" in it marks an abolished code)
//   MasterTable(3, row)  IDX (the two-character field)      MasterTable(4, row)  AREA (call area)
//   MasterTable(5.., row) band marks "", "W", "C"; the last column the kind letter
// Rows and columns are 1-based; Redim discards the contents, as the runtime's ReDim does.

#include <QString>
#include <cstdint>
#include <vector>

class MasterTableData {
 public:
  void Redim(int32_t columns, int32_t rows);
  int32_t Columns() const { return columns_; }
  int32_t Rows() const { return rows_; }
  // A cell; out-of-range indexes are a programming error (checked in debug builds).
  QString& operator()(int32_t column, int32_t row);
  const QString& operator()(int32_t column, int32_t row) const;

 private:
  int32_t columns_ = 0;
  int32_t rows_ = 0;
  std::vector<QString> cells_;
};

extern MasterTableData MasterTable;
