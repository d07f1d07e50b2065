#pragma once
// A small table of cell texts addressed like a grid (row 0 the heading row), for the award views'
// arithmetic: the logic fills it, the window copies it into its grid in one pass, the files read it.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class TextTable {
 public:
  TextTable() = default;
  TextTable(int rows, int cols) : rows_(rows > 0 ? rows : 0), cols_(cols > 0 ? cols : 0) {
    cells_.resize(static_cast<size_t>(rows_) * cols_);
  }
  int Rows() const { return rows_; }
  int Cols() const { return cols_; }
  bool Contains(int row, int col) const { return row >= 0 && row < rows_ && col >= 0 && col < cols_; }
  // A cell outside the table reads as empty and takes no text.
  QString At(int row, int col) const { return Contains(row, col) ? cells_[index(row, col)] : QString(); }
  void Set(int row, int col, const QString& text) {
    if (Contains(row, col)) cells_[index(row, col)] = text;
  }

 private:
  size_t index(int row, int col) const { return static_cast<size_t>(row) * cols_ + col; }
  int rows_ = 0;
  int cols_ = 0;
  std::vector<QString> cells_;
};

// Replaces the file with these lines (CR LF, Windows-31J) in one step. False, with the reason in
// `error`, when it could not be written: the old file then stays as it was.
bool WriteTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);

// A cell's number as the award arithmetic takes it: the number at the start of its text, 0 when none.
double CellValue(const QString& text);
// A result as the cells show it: whole numbers without a decimal point ("-2"), others as short as
// they go ("1.5").
QString CellText(double value);
