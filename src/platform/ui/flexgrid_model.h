#pragma once
// The cells behind a FlexGrid (flexgrid.h): one flat vector of texts, row-major, addressed with the
// grid's own row and column numbers. Row 0 is shown as the header when the grid has fixed rows, so the
// view's rows are the grid's rows less that one.
//
// While suspended (Redraw off) the model emits nothing and the view keeps seeing the row and column
// counts it last learned; resuming emits one reset when the shape changed, or one dataChanged when
// only texts or colours did.

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class FlexGridModel : public QAbstractTableModel {
 public:
  explicit FlexGridModel(QObject* parent = nullptr);

  int rows() const { return rows_; }
  int cols() const { return cols_; }
  // 1 when row 0 is shown as the header (the grid has fixed rows), else 0.
  int headerRows() const { return headerRows_; }
  int fixedRows() const { return fixedRows_; }
  int fixedCols() const { return fixedCols_; }

  // Fixed rows and columns take the fixed colour and no selection; row 0 of a grid with fixed rows
  // becomes the header.
  void setShape(int rows, int cols, int fixedRows, int fixedCols);
  const QString& text(int row, int col) const;
  void setText(int row, int col, const QString& text);
  // The rows from `row` on become the ones `cells` holds (row-major, cols() to a row): as setShape to
  // row + cells.size() / cols() rows and then setText for each cell, with the texts moved in and the
  // view told once. Room reserved in `cells` for the rows above `row` spares a copy.
  void setRowTexts(int row, std::vector<QString>&& cells);
  void insertRow(int at, const QStringList& cells);
  void removeRow(int at);
  // Empties every cell (fixed ones too) and drops the cell colours.
  void clearCells();
  // Reorders rows [first, first + order.size()): new row first + i is old row order[i].
  void permuteRows(int first, const std::vector<int>& order);

  // Colours as VB values; -1 = the default.
  int32_t cellBack(int row, int col) const { return Colour(back_, row, col); }
  int32_t cellFore(int row, int col) const { return Colour(fore_, row, col); }
  void setCellBack(int row, int col, int32_t vbColor) { SetColour(back_, row, col, vbColor); }
  void setCellFore(int row, int col, int32_t vbColor) { SetColour(fore_, row, col, vbColor); }
  // VB alignment codes (flexgrid.h); fixed = -1 follows the column's.
  void setAlignment(int col, int code, bool fixed);
  int alignment(int col, bool fixed) const;
  void setToolTip(const QString& tip) { toolTip_ = tip; }
  const QString& toolTip() const { return toolTip_; }

  void suspend();
  // Returns true when the view was reset.
  bool resume();
  bool suspended() const { return suspended_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  bool In(int row, int col) const { return row >= 0 && col >= 0 && row < rows_ && col < cols_; }
  size_t At(int row, int col) const { return static_cast<size_t>(row) * cols_ + col; }
  int32_t Colour(const std::vector<int32_t>& v, int row, int col) const;
  void SetColour(std::vector<int32_t>& v, int row, int col, int32_t vbColor);
  void CellChanged(int row, int col);
  QVariant CellData(int row, int col, int role) const;
  enum Signal { kNone, kInsert, kRemove, kReset };
  // Brackets a change of shape with the signals the view needs (none while suspended).
  void Begin(Signal kind, int first, int last);
  void End();
  void AllChanged();
  template <class T>
  void Reshape(std::vector<T>& v, int rows, int cols, const T& blank);

  int rows_ = 0, cols_ = 0, headerRows_ = 0, fixedRows_ = 0, fixedCols_ = 0;
  bool wantHeader_ = false;
  Signal pending_ = kNone;
  std::vector<QString> cells_;
  std::vector<int32_t> back_, fore_;  // empty until a colour is set
  std::vector<int> colAlign_, fixedAlign_;
  QString toolTip_;
  bool suspended_ = false;
  bool shapeDirty_ = false, dataDirty_ = false;
  int shownRows_ = 0, shownCols_ = 0;  // what the view knows while suspended
};
