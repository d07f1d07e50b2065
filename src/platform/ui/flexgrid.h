#pragma once
// The grid control: rows and columns of text addressed by number, row 0 the heading row.
//
//   FlexGrid MSFlexGrid2{this};
//   MSFlexGrid2.SetRedraw(false);                       // batch: nothing is drawn, one reset at the end
//   MSFlexGrid2.SetCols(23);  MSFlexGrid2.SetRows(1);  MSFlexGrid2.SetFixedCols(5);
//   MSFlexGrid2.SetTextMatrix(0, 1, "CODE");            // the heading row is row 0, as any other row
//   MSFlexGrid2.AddItem("12\t1001\t札幌市");            // tab-separated, from column 0
//   MSFlexGrid2.SetColWidth(0, 0);                      // twips; 0 hides the column
//   MSFlexGrid2.SetRowHeight(7, 0);                     // a hidden row keeps its number
//   MSFlexGrid2.SetRedraw(true);
//   MSFlexGrid2.SetTopRow(r);  MSFlexGrid2.SetRowSel(r);   // scroll row r to the top, extend the selection
//   MSFlexGrid2.MouseUp = [this](int button, int shift, float x, float y) {
//     if (MSFlexGrid2.MouseRow() == 0) ...;             // the row and column under the mouse
//   };
//
// Numbers as the window code uses them: Rows/Cols count every row and column, fixed ones included;
// FixedRows 0 or 1 (row 0 is then the heading, drawn as the header; more fixed rows are drawn as plain
// rows with the fixed colour), FixedCols columns stay in view when the grid scrolls sideways; TopRow
// and LeftCol are the first scrollable row and column shown (a row asked for near the end stops where
// the last page is full: the last row is always reachable, shown whole above the sideways scroll bar;
// a change of FixedCols scrolls back to the first scrollable column); Row/Col is the current cell and
// RowSel/ColSel the other end of the selection (setting Row or Col collapses the selection).
// MouseRow/MouseCol are -1 away from any cell. Sizes are twips.
//
// Events: Click (left button), DblClick, MouseDown/MouseUp/MouseMove (any button; the right button
// does not move the selection), KeyDown/KeyPress/KeyUp, RowColChange, SelChange, Scroll, GotFocus,
// LostFocus. MouseWheel, when set, replaces the grid's own wheel scrolling.

#include <QScrollBar>
#include <QString>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/flexgrid_model.h"

constexpr int flexAlignLeftTop = 0;
constexpr int flexAlignLeftCenter = 1;
constexpr int flexAlignLeftBottom = 2;
constexpr int flexAlignCenterTop = 3;
constexpr int flexAlignCenterCenter = 4;
constexpr int flexAlignCenterBottom = 5;
constexpr int flexAlignRightTop = 6;
constexpr int flexAlignRightCenter = 7;
constexpr int flexAlignRightBottom = 8;
constexpr int flexAlignGeneral = 9;

constexpr int flexSortNone = 0;
constexpr int flexSortGenericAscending = 1;
constexpr int flexSortGenericDescending = 2;
constexpr int flexSortNumericAscending = 3;
constexpr int flexSortNumericDescending = 4;
constexpr int flexSortStringNoCaseAscending = 5;
constexpr int flexSortStringNoCaseDescending = 6;
constexpr int flexSortStringAscending = 7;
constexpr int flexSortStringDescending = 8;
constexpr int flexSortCustom = 9;

constexpr int flexSelectionFree = 0;
constexpr int flexSelectionByRow = 1;
constexpr int flexSelectionByColumn = 2;

constexpr int flexResizeNone = 0;
constexpr int flexResizeColumns = 1;
constexpr int flexResizeRows = 2;
constexpr int flexResizeBoth = 3;

constexpr int flexFillSingle = 0;
constexpr int flexFillRepeat = 1;

class FlexGrid : public VbControl<QTableView> {
 public:
  explicit FlexGrid(QWidget* parent);

  Handler Click, SelChange, RowColChange, Scroll;
  // Replaces the wheel scrolling: delta is 120 per notch, positive away from the user.
  std::function<void(int delta, int shift)> MouseWheel;
  // flexSortCustom: negative, 0 or positive as row1 sorts before, with or after row2.
  std::function<int(int row1, int row2)> Compare;

  int Rows() const { return model_.rows(); }
  void SetRows(int rows);
  int Cols() const { return model_.cols(); }
  void SetCols(int cols);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int n);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int n);

  QString TextMatrix(int row, int col) const { return model_.text(row, col); }
  void SetTextMatrix(int row, int col, const QString& text) { model_.setText(row, col, text); }
  // The rows from `row` on become the ones `cells` holds (row-major, Cols() to a row), in one go: the
  // same as SetRows(row + cells.size() / Cols()) and SetTextMatrix for each of their cells, without a
  // signal or a comparison for every cell. Room reserved in `cells` for the rows above `row` spares a
  // copy of the list.
  void SetRowTexts(int row, std::vector<QString> cells);
  // The current cell's text.
  QString Text() const { return model_.text(row_, col_); }
  void SetText(const QString& text);
  // Adds a row (tab-separated texts from column 0) at `index`, or at the end.
  void AddItem(const QString& item, int index = -1);
  void RemoveItem(int index);
  // Empties every cell and its colours; rows and columns stay.
  void Clear();

  int Row() const { return row_; }
  void SetRow(int row);
  int Col() const { return col_; }
  void SetCol(int col);
  int RowSel() const { return rowSel_; }
  void SetRowSel(int row);
  int ColSel() const { return colSel_; }
  void SetColSel(int col);
  int TopRow() const;
  void SetTopRow(int row);
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int col);
  int MouseRow() const { return mouseRow_; }
  int MouseCol() const { return mouseCol_; }

  int ColWidth(int col) const;
  // Twips; 0 hides the column, -1 gives back the default width.
  void SetColWidth(int col, int twips);
  int RowHeight(int row) const;
  // Twips; 0 hides the row (it keeps its number), -1 gives back the default height.
  void SetRowHeight(int row, int twips);
  int ColAlignment(int col) const { return model_.alignment(col, false); }
  void SetColAlignment(int col, int alignment) { model_.setAlignment(col, alignment, false); }
  int FixedAlignment(int col) const { return model_.alignment(col, true); }
  void SetFixedAlignment(int col, int alignment) { model_.setAlignment(col, alignment, true); }
  // The grid's width and height in twips that show every column and row whole, at the sizes the
  // program's font draws them (the height with room for the sideways bar while the columns need it).
  int WholeWidth() const;
  int WholeHeight() const;
  // Left and top of a row or column in twips, from the grid's corner (as shown now).
  int RowPos(int row) const;
  int ColPos(int col) const;

  // The current cell's colours (flexFillRepeat: every selected cell). 0 reads back an unset colour.
  int32_t CellBackColor() const;
  void SetCellBackColor(int32_t vbColor);
  int32_t CellForeColor() const;
  void SetCellForeColor(int32_t vbColor);
  void SetCellBackColor(int row, int col, int32_t vbColor) { model_.setCellBack(row, col, vbColor); }
  void SetCellForeColor(int row, int col, int32_t vbColor) { model_.setCellFore(row, col, vbColor); }
  int FillStyle() const { return fillStyle_; }
  void SetFillStyle(int style) { fillStyle_ = style; }

  bool Redraw() const { return !model_.suspended(); }
  void SetRedraw(bool on);
  // Sorts rows Row..RowSel (every scrollable row when they are equal) on columns Col..ColSel.
  void Sort(int how);
  QString ToolTipText() const { return model_.toolTip(); }
  void SetToolTipText(const QString& tip);
  int SelectionMode() const { return selectionMode_; }
  void SetSelectionMode(int mode);
  int AllowUserResizing() const { return allowResizing_; }
  void SetAllowUserResizing(int mode);

  FlexGridModel& gridModel() { return model_; }

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void updateGeometries() override;
  void scrollContentsBy(int dx, int dy) override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  // Typed letters are for KeyPress; the grid does not jump to a matching row by itself.
  void keyboardSearch(const QString&) override {}
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  int Hdr() const { return model_.headerRows(); }
  int WidthPx(int col) const;
  int HeightPx(int row) const;
  void ApplyColumns();
  void ApplyRowHeight(int row);
  void ApplyRowHeights();
  void ApplySelection();
  void ApplyTop(int row);
  void ApplyWantedTop();
  void ApplyAll();
  void UpdateHBar();
  int MaxLeftCol() const;
  void ReadSelectionFromView();
  void SetState(int row, int col, int rowSel, int colSel);
  void ClampState();
  void TrackMouse(const QPoint& viewportPos);
  void FireMouse(const MouseHandler& h, int button, Qt::KeyboardModifiers mods, QPointF gridPos);
  void KeepTop(const std::function<void()>& change);
  // The current cell, or with flexFillRepeat every selected cell.
  void ForEachFilled(const std::function<void(int row, int col)>& f);
  bool IsFixedCol(int col) const { return col >= 0 && col < fixedCols_; }

  FlexGridModel& model_;
  int fixedRows_ = 1, fixedCols_ = 1;
  int row_ = 1, col_ = 1, rowSel_ = 1, colSel_ = 1;
  int leftCol_ = 1;
  int mouseRow_ = -1, mouseCol_ = -1;
  int selectionMode_ = flexSelectionFree;
  int allowResizing_ = flexResizeNone;
  int fillStyle_ = flexFillSingle;
  int defaultRowPx_ = 16, defaultColPx_ = 64;
  std::vector<int> colWidthTw_;   // -1 default
  std::vector<int> rowHeightTw_;  // -1 default
  int savedTop_ = -1;             // TopRow to put back after a batch or a reset
  int wantedTop_ = -1;            // the row the code asked for at the top, until the operator scrolls
  int syncing_ = 0;               // the grid itself is writing selection or scroll state
  int viewInput_ = 0;             // Qt is moving the selection for a click or key: read it once after
  bool leftPressed_ = false;
};

// One wheel notch on a grid window: the first shown row (or, sideways, the first shown scrollable
// column) moves by exactly one, away from the user for a positive delta. With `skipHidden`, rows of
// height 0 (columns of width 0 sideways) are passed over in the same direction.
void ScrollGridOneStep(FlexGrid& grid, int delta, bool sideways, bool skipHidden);
