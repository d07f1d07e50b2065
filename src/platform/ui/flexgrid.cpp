#include "platform/ui/flexgrid.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>

#include "platform/codepage.h"
#include "platform/vbnumber.h"

namespace {

constexpr int kDefaultColTwips = 960;

}  // namespace

FlexGrid::FlexGrid(QWidget* parent) : VbControl(parent), model_(*new FlexGridModel(this)) {
  defaultRowPx_ = std::max(TwipsToPx(240), fontMetrics().height() + 2);
  defaultColPx_ = TwipsToPx(kDefaultColTwips);
  setModel(&model_);
  setEditTriggers(NoEditTriggers);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  QAbstractItemView::setSelectionMode(ContiguousSelection);
  setVerticalScrollMode(ScrollPerItem);
  setHorizontalScrollMode(ScrollPerItem);
  // Sideways the grid scrolls by whole columns behind its fixed ones: the bar's value is LeftCol, the
  // columns scrolled off are drawn zero wide and the view itself never scrolls sideways.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setMouseTracking(true);

  QHeaderView* vh = verticalHeader();
  vh->hide();
  vh->setMinimumSectionSize(0);
  vh->setSectionResizeMode(QHeaderView::Fixed);
  vh->setDefaultSectionSize(defaultRowPx_);
  QHeaderView* hh = horizontalHeader();
  hh->setMinimumSectionSize(0);
  hh->setSectionResizeMode(QHeaderView::Fixed);
  hh->setDefaultSectionSize(defaultColPx_);
  hh->setSectionsClickable(false);
  hh->setHighlightSections(false);
  hh->setStretchLastSection(false);
  hh->setFixedHeight(defaultRowPx_);
  hh->viewport()->setMouseTracking(true);
  hh->viewport()->installEventFilter(this);
  connect(hh, &QHeaderView::sectionResized, this, [this](int col, int, int size) {
    // The operator dragged a column border (AllowUserResizing).
    if (syncing_ == 0 && col < static_cast<int>(colWidthTw_.size())) colWidthTw_[col] = PxToTwips(size);
  });

  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (syncing_ == 0) SetLeftCol(v);
  });
  // The table puts its sideways offset where the bar's value says when the columns change: the
  // value is a column number here, and the offset stays 0.
  connect(hh, &QHeaderView::sectionCountChanged, this, [hh] { hh->setOffset(0); });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int) {
    if (syncing_ == 0) wantedTop_ = -1;  // the operator scrolled
    if (Scroll && !model_.suspended() && !ui_detail::Quiet(*this)) Scroll();
  });
  connect(&model_, &QAbstractItemModel::modelReset, this, [this] { ApplyAll(); });

  model_.setShape(2, 2, fixedRows_, fixedCols_);
  colWidthTw_.assign(2, -1);
  rowHeightTw_.assign(2, -1);
  ApplyAll();
}

// ---- shape ----

void FlexGrid::KeepTop(const std::function<void()>& change) {
  if (!model_.suspended() && savedTop_ < 0) savedTop_ = TopRow();
  change();
  if (!model_.suspended()) savedTop_ = -1;
}

void FlexGrid::SetRows(int rows) {
  rows = std::max(rows, 0);
  if (rows == Rows()) return;
  rowHeightTw_.resize(rows, -1);
  KeepTop([&] { model_.setShape(rows, Cols(), fixedRows_, fixedCols_); });
  ClampState();
  if (!model_.suspended()) UpdateHBar();
}

void FlexGrid::SetRowTexts(int row, std::vector<QString> cells) {
  if (Cols() == 0) return;
  row = std::clamp(row, 0, Rows());
  rowHeightTw_.resize(size_t(row) + cells.size() / size_t(Cols()), -1);
  KeepTop([&] { model_.setRowTexts(row, std::move(cells)); });
  ClampState();
  if (!model_.suspended()) UpdateHBar();
}

void FlexGrid::SetCols(int cols) {
  cols = std::max(cols, 0);
  if (cols == Cols()) return;
  colWidthTw_.resize(cols, -1);
  leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(cols - 1, fixedCols_));
  KeepTop([&] { model_.setShape(Rows(), cols, fixedRows_, fixedCols_); });
  ClampState();
}

void FlexGrid::SetFixedRows(int n) {
  n = std::clamp(n, 0, Rows());
  if (n == fixedRows_) return;
  fixedRows_ = n;
  KeepTop([&] { model_.setShape(Rows(), Cols(), fixedRows_, fixedCols_); });
  if (row_ < fixedRows_ && Rows() > fixedRows_) SetState(fixedRows_, col_, fixedRows_, colSel_);
  ApplySelection();
}

void FlexGrid::SetFixedCols(int n) {
  n = std::clamp(n, 0, Cols());
  if (n == fixedCols_) return;
  fixedCols_ = n;
  model_.setShape(Rows(), Cols(), fixedRows_, fixedCols_);
  // Back to the first scrollable column: one left from an earlier layout would hide the new ones.
  leftCol_ = std::min(fixedCols_, std::max(Cols() - 1, 0));
  if (col_ < fixedCols_ && Cols() > fixedCols_) SetState(row_, fixedCols_, rowSel_, fixedCols_);
  if (!model_.suspended()) {
    ApplyColumns();
    ApplySelection();
    UpdateHBar();
  }
}

void FlexGrid::ForEachFilled(const std::function<void(int row, int col)>& f) {
  if (fillStyle_ != flexFillRepeat) {
    f(row_, col_);
    return;
  }
  for (int r = std::min(row_, rowSel_); r <= std::max(row_, rowSel_); ++r)
    for (int c = std::min(col_, colSel_); c <= std::max(col_, colSel_); ++c) f(r, c);
}

void FlexGrid::SetText(const QString& text) {
  ForEachFilled([&](int r, int c) { model_.setText(r, c, text); });
}

void FlexGrid::AddItem(const QString& item, int index) {
  if (index < 0 || index > Rows()) index = Rows();
  rowHeightTw_.insert(rowHeightTw_.begin() + index, -1);
  KeepTop([&] { model_.insertRow(index, item.split(QLatin1Char('\t'))); });
  if (!model_.suspended()) UpdateHBar();
}

void FlexGrid::RemoveItem(int index) {
  if (index < 0 || index >= Rows()) return;
  rowHeightTw_.erase(rowHeightTw_.begin() + index);
  KeepTop([&] { model_.removeRow(index); });
  ClampState();
  ApplySelection();
}

void FlexGrid::Clear() { model_.clearCells(); }

// ---- current cell and selection ----

void FlexGrid::ClampState() {
  const int lastRow = std::max(Rows() - 1, 0);
  const int lastCol = std::max(Cols() - 1, 0);
  SetState(std::clamp(row_, 0, lastRow), std::clamp(col_, 0, lastCol), std::clamp(rowSel_, 0, lastRow),
           std::clamp(colSel_, 0, lastCol));
}

void FlexGrid::SetState(int row, int col, int rowSel, int colSel) {
  const bool cell = row != row_ || col != col_;
  const bool sel = cell || rowSel != rowSel_ || colSel != colSel_;
  row_ = row;
  col_ = col;
  rowSel_ = rowSel;
  colSel_ = colSel;
  if (ui_detail::Quiet(*this)) return;
  if (cell && RowColChange) RowColChange();
  if (sel && SelChange) SelChange();
}

void FlexGrid::SetRow(int row) {
  if (row < 0 || row >= Rows()) return;
  SetState(row, col_, row, col_);
  ApplySelection();
}

void FlexGrid::SetCol(int col) {
  if (col < 0 || col >= Cols()) return;
  SetState(row_, col, row_, col);
  ApplySelection();
}

void FlexGrid::SetRowSel(int row) {
  if (row < 0 || row >= Rows()) return;
  SetState(row_, col_, row, colSel_);
  ApplySelection();
}

void FlexGrid::SetColSel(int col) {
  if (col < 0 || col >= Cols()) return;
  SetState(row_, col_, rowSel_, col);
  ApplySelection();
}

void FlexGrid::ApplySelection() {
  if (model_.suspended()) return;
  ui_detail::Hold h(syncing_);
  const int hdr = Hdr();
  int r1 = std::min(row_, rowSel_), r2 = std::max(row_, rowSel_);
  int c1 = std::min(col_, colSel_), c2 = std::max(col_, colSel_);
  if (selectionMode_ == flexSelectionByRow) c1 = fixedCols_, c2 = Cols() - 1;
  if (selectionMode_ == flexSelectionByColumn) r1 = fixedRows_, r2 = Rows() - 1;
  r1 = std::max({r1, hdr, fixedRows_});
  c1 = std::max(c1, fixedCols_);
  QItemSelection selection;
  if (r1 <= r2 && c1 <= c2 && r2 < Rows() && c2 < Cols())
    selection.select(model_.index(r1 - hdr, c1), model_.index(r2 - hdr, c2));
  const bool inView = row_ >= hdr && row_ < Rows() && col_ >= 0 && col_ < Cols();
  // Moving the current cell in code does not scroll (the code sets TopRow when it wants that).
  const bool autoScroll = hasAutoScroll();
  setAutoScroll(false);
  selectionModel()->setCurrentIndex(inView ? model_.index(row_ - hdr, col_) : QModelIndex(),
                                    QItemSelectionModel::NoUpdate);
  setAutoScroll(autoScroll);
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void FlexGrid::ReadSelectionFromView() {
  const QModelIndex cur = currentIndex();
  if (!cur.isValid()) return;
  const int hdr = Hdr();
  const int cr = cur.row() + hdr, cc = cur.column();
  int top = cr, bottom = cr, left = cc, right = cc;
  const QItemSelection s = selectionModel()->selection();
  if (!s.isEmpty()) {
    top = bottom = s.first().top() + hdr;
    left = right = s.first().left();
    for (const QItemSelectionRange& r : s) {
      top = std::min(top, r.top() + hdr);
      bottom = std::max(bottom, r.bottom() + hdr);
      left = std::min(left, r.left());
      right = std::max(right, r.right());
    }
  }
  // Qt's current cell is the moving end; the grid's Row/Col is where the selection started.
  int row = cr == top ? bottom : top;
  int col = cc == left ? right : left;
  int rowSel = cr, colSel = cc;
  if (selectionMode_ == flexSelectionByRow) col = fixedCols_, colSel = Cols() - 1;
  if (selectionMode_ == flexSelectionByColumn) row = fixedRows_, rowSel = Rows() - 1;
  SetState(row, col, rowSel, colSel);
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (syncing_ == 0 && viewInput_ == 0) ReadSelectionFromView();
}

void FlexGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  QTableView::selectionChanged(selected, deselected);
  if (syncing_ == 0 && viewInput_ == 0) ReadSelectionFromView();
}

void FlexGrid::SetSelectionMode(int mode) {
  selectionMode_ = mode;
  setSelectionBehavior(mode == flexSelectionByRow      ? SelectRows
                       : mode == flexSelectionByColumn ? SelectColumns
                                                       : SelectItems);
  ApplySelection();
}

// ---- scrolling ----

int FlexGrid::TopRow() const {
  if (savedTop_ >= 0) return savedTop_;
  return verticalScrollBar()->value() + Hdr();
}

void FlexGrid::SetTopRow(int row) {
  if (row < fixedRows_ || row >= Rows()) return;
  if (model_.suspended()) {
    savedTop_ = row;
    return;
  }
  ApplyTop(row);
}

void FlexGrid::ApplyTop(int row) {
  wantedTop_ = row;
  ApplyWantedTop();
}

// A row asked for at the top goes as far up as a full last page allows; the wish holds until the
// operator scrolls, so rows added or a window grown later bring it closer.
void FlexGrid::ApplyWantedTop() {
  if (wantedTop_ < 0) return;
  QScrollBar* sb = verticalScrollBar();
  ui_detail::Hold h(syncing_);
  sb->setValue(std::clamp(wantedTop_ - Hdr(), 0, sb->maximum()));
}

void FlexGrid::SetLeftCol(int col) {
  if (col < fixedCols_ || col >= Cols() || col == leftCol_) return;
  leftCol_ = col;
  if (model_.suspended()) return;
  ApplyColumns();
  UpdateHBar();
  if (Scroll && !ui_detail::Quiet(*this)) Scroll();
}

int FlexGrid::MaxLeftCol() const {
  // The columns' room: the upright bar's width is taken from it only when the rows need that bar even
  // without a sideways one, else each bar would keep the other shown.
  const QSize room = maximumViewportSize();
  const int barHeight =
      horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ? horizontalScrollBar()->sizeHint().height() : 0;
  const bool rowsFit = verticalHeader()->length() <= room.height() + barHeight;
  const int width = room.width() - (rowsFit ? 0 : verticalScrollBar()->sizeHint().width());
  int used = 0;
  for (int c = 0; c < fixedCols_ && c < Cols(); ++c) used += WidthPx(c);
  for (int c = Cols() - 1; c >= fixedCols_; --c) {
    used += WidthPx(c);
    if (used > width) return std::min(c + 1, Cols() - 1);
  }
  return fixedCols_;
}

void FlexGrid::UpdateHBar() {
  if (model_.suspended()) return;
  const int maxLeft = std::max(MaxLeftCol(), leftCol_);
  const bool show = maxLeft > fixedCols_;
  // A page is the scrollable columns that fit beside the fixed ones.
  int page = 0;
  for (int c = leftCol_, used = 0; c < Cols(); ++c) {
    used += WidthPx(c);
    if (used > viewport()->width() - columnViewportPosition(leftCol_)) break;
    ++page;
  }
  QScrollBar* bar = horizontalScrollBar();
  {
    ui_detail::Hold h(syncing_);
    bar->setRange(fixedCols_, maxLeft);
    bar->setPageStep(std::max(page, 1));
    bar->setSingleStep(1);
    bar->setValue(leftCol_);
  }
  const Qt::ScrollBarPolicy policy = show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
  if (horizontalScrollBarPolicy() != policy) setHorizontalScrollBarPolicy(policy);
}

void FlexGrid::updateGeometries() {
  {
    ui_detail::Hold h(syncing_);
    QTableView::updateGeometries();
  }
  ApplyWantedTop();
  UpdateHBar();
}

void FlexGrid::scrollContentsBy(int, int dy) { QTableView::scrollContentsBy(0, dy); }

void FlexGrid::resizeEvent(QResizeEvent* e) {
  VbControl::resizeEvent(e);
  UpdateHBar();
}

void FlexGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid()) return;
  const int c = index.column();
  if (c >= fixedCols_) {
    if (c < leftCol_) SetLeftCol(c);
    while (leftCol_ < c && columnViewportPosition(c) + columnWidth(c) > viewport()->width())
      SetLeftCol(leftCol_ + 1);
  }
  {
    ui_detail::Hold h(syncing_);
    QTableView::scrollTo(index, hint);
  }
  UpdateHBar();
}

QModelIndex FlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  QModelIndex i = QTableView::moveCursor(action, modifiers);
  if (i.isValid() && i.column() < fixedCols_ && fixedCols_ < Cols()) i = model_.index(i.row(), fixedCols_);
  return i;
}

void FlexGrid::wheelEvent(QWheelEvent* e) {
  if (MouseWheel) {
    if (!ui_detail::Quiet(*this)) MouseWheel(e->angleDelta().y(), VbShift(e->modifiers()));
    e->accept();
    return;
  }
  VbControl::wheelEvent(e);
}

// ---- sizes ----

int FlexGrid::WidthPx(int col) const {
  const int tw = col >= 0 && col < static_cast<int>(colWidthTw_.size()) ? colWidthTw_[col] : -1;
  return tw < 0 ? defaultColPx_ : TwipsToPx(tw);
}

int FlexGrid::HeightPx(int row) const {
  const int tw = row >= 0 && row < static_cast<int>(rowHeightTw_.size()) ? rowHeightTw_[row] : -1;
  return tw < 0 ? defaultRowPx_ : TwipsToPx(tw);
}

int FlexGrid::ColWidth(int col) const {
  if (col < 0 || col >= Cols()) return 0;
  return colWidthTw_[col] < 0 ? PxToTwips(defaultColPx_) : colWidthTw_[col];
}

void FlexGrid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= Cols()) return;
  colWidthTw_[col] = twips < 0 ? -1 : twips;
  if (model_.suspended()) return;
  ApplyColumns();
  UpdateHBar();
}

int FlexGrid::RowHeight(int row) const {
  if (row < 0 || row >= Rows()) return 0;
  return rowHeightTw_[row] < 0 ? PxToTwips(defaultRowPx_) : rowHeightTw_[row];
}

void FlexGrid::SetRowHeight(int row, int twips) {
  if (row < 0 || row >= Rows()) return;
  rowHeightTw_[row] = twips < 0 ? -1 : twips;
  if (!model_.suspended()) ApplyRowHeight(row);
}

void FlexGrid::ApplyColumns() {
  ui_detail::Hold h(syncing_);
  QHeaderView* hh = horizontalHeader();
  for (int c = 0; c < Cols() && c < hh->count(); ++c) {
    // Columns scrolled off to the left are drawn zero wide; their width is kept.
    const int px = c >= fixedCols_ && c < leftCol_ ? 0 : WidthPx(c);
    if (hh->sectionSize(c) != px) hh->resizeSection(c, px);
  }
}

void FlexGrid::ApplyRowHeight(int row) {
  ui_detail::Hold h(syncing_);
  const int px = HeightPx(row);
  if (row < Hdr()) {
    horizontalHeader()->setFixedHeight(px);
    horizontalHeader()->setVisible(px > 0);
    return;
  }
  QHeaderView* vh = verticalHeader();
  const int section = row - Hdr();
  if (section < vh->count() && vh->sectionSize(section) != px) vh->resizeSection(section, px);
}

void FlexGrid::ApplyRowHeights() {
  QHeaderView* vh = verticalHeader();
  vh->setUpdatesEnabled(false);  // one repaint for all rows, not one per row
  {
    // Nor a signal for each row resized: the view's layout and paint follow once, below.
    const QSignalBlocker quiet(vh);
    for (int r = 0; r < Rows(); ++r) ApplyRowHeight(r);
  }
  vh->setUpdatesEnabled(true);
  updateGeometries();
  viewport()->update();
}

void FlexGrid::ApplyAll() {
  if (model_.suspended()) return;
  ApplyColumns();
  ApplyRowHeights();
  if (Rows() == 0 || Hdr() == 0) horizontalHeader()->setVisible(false);
  ApplySelection();
  updateGeometries();
  const int top = savedTop_;
  savedTop_ = -1;
  if (top >= 0) ApplyTop(top);
  UpdateHBar();
}

void FlexGrid::SetRedraw(bool on) {
  if (on == Redraw()) return;
  if (!on) {
    savedTop_ = TopRow();
    model_.suspend();
    setUpdatesEnabled(false);
    return;
  }
  if (!model_.resume()) ApplyAll();  // a reset has run ApplyAll already
  savedTop_ = -1;
  setUpdatesEnabled(true);
  viewport()->update();
}

int FlexGrid::WholeWidth() const {
  int px = 2 * frameWidth();
  for (int c = 0; c < Cols(); ++c) px += WidthPx(c);
  return PxToTwips(px);
}

int FlexGrid::WholeHeight() const {
  int px = 2 * frameWidth();
  if (WholeWidth() > PxToTwips(width())) px += horizontalScrollBar()->sizeHint().height();
  for (int r = 0; r < Rows(); ++r) px += HeightPx(r);
  return PxToTwips(px);
}

int FlexGrid::RowPos(int row) const {
  if (row < Hdr()) return PxToTwips(horizontalHeader()->y());
  return PxToTwips(viewport()->y() + rowViewportPosition(row - Hdr()));
}

int FlexGrid::ColPos(int col) const { return PxToTwips(viewport()->x() + columnViewportPosition(col)); }

// ---- colours, tips, resizing ----

int32_t FlexGrid::CellBackColor() const {
  const int32_t c = model_.cellBack(row_, col_);
  return c < 0 ? 0 : c;
}

int32_t FlexGrid::CellForeColor() const {
  const int32_t c = model_.cellFore(row_, col_);
  return c < 0 ? 0 : c;
}

void FlexGrid::SetCellBackColor(int32_t vbColor) {
  ForEachFilled([&](int r, int c) { model_.setCellBack(r, c, vbColor); });
}

void FlexGrid::SetCellForeColor(int32_t vbColor) {
  ForEachFilled([&](int r, int c) { model_.setCellFore(r, c, vbColor); });
}

void FlexGrid::SetToolTipText(const QString& tip) {
  model_.setToolTip(tip);
  setToolTip(tip);
}

void FlexGrid::SetAllowUserResizing(int mode) {
  allowResizing_ = mode;
  horizontalHeader()->setSectionResizeMode(mode & flexResizeColumns ? QHeaderView::Interactive
                                                                    : QHeaderView::Fixed);
}

// ---- sorting ----

void FlexGrid::Sort(int how) {
  if (how <= flexSortNone || how > flexSortCustom) return;
  int r1 = std::min(row_, rowSel_), r2 = std::max(row_, rowSel_);
  if (r1 == r2) r1 = fixedRows_, r2 = Rows() - 1;
  r1 = std::max(r1, fixedRows_);
  const int c1 = std::min(col_, colSel_), c2 = std::max(col_, colSel_);
  const int n = r2 - r1 + 1;
  if (n < 2 || c1 < 0 || c2 >= Cols()) return;

  // Keys are worked out once per cell: numbers, and text as Windows-31J bytes (the code page's order).
  struct Key {
    double number;
    bool numeric;
    QByteArray bytes;
  };
  const int k = c2 - c1 + 1;
  std::vector<Key> keys(static_cast<size_t>(n) * k);
  const bool noCase = how == flexSortStringNoCaseAscending || how == flexSortStringNoCaseDescending;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < k; ++j) {
      const QString& t = model_.text(r1 + i, c1 + j);
      Key& key = keys[static_cast<size_t>(i) * k + j];
      key.numeric = IsNumericText(t);
      key.number = how <= flexSortNumericDescending ? VbVal(t) : 0;
      key.bytes = ToAnsi(noCase ? t.toUpper() : t);
    }
  auto compareKeys = [&](int a, int b) {
    for (int j = 0; j < k; ++j) {
      const Key& x = keys[static_cast<size_t>(a) * k + j];
      const Key& y = keys[static_cast<size_t>(b) * k + j];
      int c = 0;
      const bool numbers =
          how == flexSortNumericAscending || how == flexSortNumericDescending ||
          ((how == flexSortGenericAscending || how == flexSortGenericDescending) && x.numeric && y.numeric);
      if (numbers)
        c = x.number < y.number ? -1 : x.number > y.number ? 1 : 0;
      else
        c = x.bytes < y.bytes ? -1 : y.bytes < x.bytes ? 1 : 0;
      if (c != 0) return c;
    }
    return 0;
  };
  const bool descending = how % 2 == 0;
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const int c = how == flexSortCustom ? (Compare ? Compare(r1 + a, r1 + b) : 0) : compareKeys(a, b);
    return how == flexSortCustom ? c < 0 : descending ? c > 0 : c < 0;
  });
  model_.permuteRows(r1, order);
  std::vector<int> heights(n);
  for (int i = 0; i < n; ++i) heights[i] = rowHeightTw_[r1 + order[i]];
  std::copy(heights.begin(), heights.end(), rowHeightTw_.begin() + r1);
  if (!model_.suspended()) ApplyRowHeights();
}

// ---- mouse ----

void FlexGrid::TrackMouse(const QPoint& viewportPos) {
  const int r = rowAt(viewportPos.y());
  mouseRow_ = r < 0 ? -1 : r + Hdr();
  mouseCol_ = columnAt(viewportPos.x());
}

void FlexGrid::FireMouse(const MouseHandler& h, int button, Qt::KeyboardModifiers mods, QPointF gridPos) {
  if (!h || ui_detail::Quiet(*this)) return;
  h(button, VbShift(mods), static_cast<float>(PxToTwipsF(gridPos.x())),
    static_cast<float>(PxToTwipsF(gridPos.y())));
}

void FlexGrid::mousePressEvent(QMouseEvent* e) {
  TrackMouse(e->position().toPoint());
  const QPointF at = e->position() + QPointF(viewport()->pos());
  FireMouse(MouseDown, VbButton(e->button()), e->modifiers(), at);
  leftPressed_ = e->button() == Qt::LeftButton;
  // The right button and the empty space leave the selection where it is.
  if (e->button() == Qt::LeftButton && mouseRow_ >= 0 && mouseCol_ >= 0 && !IsFixedCol(mouseCol_)) {
    {
      ui_detail::Hold h(viewInput_);
      QTableView::mousePressEvent(e);
    }
    ReadSelectionFromView();
  } else {
    // A fixed column's cell selects its row across the other columns (MSFlexGrid's big selection).
    if (e->button() == Qt::LeftButton && mouseRow_ >= fixedRows_ && IsFixedCol(mouseCol_) &&
        Cols() > fixedCols_) {
      SetState(mouseRow_, fixedCols_, mouseRow_, Cols() - 1);
      ApplySelection();
    }
    setFocus(Qt::MouseFocusReason);
  }
  e->accept();
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* e) {
  TrackMouse(e->position().toPoint());
  if (e->button() == Qt::LeftButton) QTableView::mouseReleaseEvent(e);
  FireMouse(MouseUp, VbButton(e->button()), e->modifiers(), e->position() + QPointF(viewport()->pos()));
  const bool click = leftPressed_ && e->button() == Qt::LeftButton;
  leftPressed_ = false;
  if (click && Click && !ui_detail::Quiet(*this)) Click();
  e->accept();
}

void FlexGrid::mouseMoveEvent(QMouseEvent* e) {
  TrackMouse(e->position().toPoint());
  FireMouse(MouseMove, VbButtons(e->buttons()), e->modifiers(), e->position() + QPointF(viewport()->pos()));
  if (e->buttons() & Qt::LeftButton) {
    {
      ui_detail::Hold h(viewInput_);
      QTableView::mouseMoveEvent(e);
    }
    ReadSelectionFromView();
  }
}

void FlexGrid::keyPressEvent(QKeyEvent* e) {
  {
    ui_detail::Hold h(viewInput_);
    VbControl::keyPressEvent(e);
  }
  ReadSelectionFromView();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  TrackMouse(e->position().toPoint());
  if (e->button() != Qt::LeftButton) return;
  if (DblClick && !ui_detail::Quiet(*this)) DblClick();
  e->accept();
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* e) {
  QHeaderView* hh = horizontalHeader();
  if (watched != hh->viewport()) return VbControl::eventFilter(watched, e);
  const QEvent::Type t = e->type();
  if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease && t != QEvent::MouseMove &&
      t != QEvent::MouseButtonDblClick)
    return false;
  auto* m = static_cast<QMouseEvent*>(e);
  mouseRow_ = 0;
  mouseCol_ = hh->logicalIndexAt(m->position().toPoint());
  const QPointF at = m->position() + QPointF(hh->viewport()->mapTo(this, QPoint(0, 0)));
  if (t == QEvent::MouseMove) {
    FireMouse(MouseMove, VbButtons(m->buttons()), m->modifiers(), at);
  } else if (t == QEvent::MouseButtonPress) {
    FireMouse(MouseDown, VbButton(m->button()), m->modifiers(), at);
    leftPressed_ = m->button() == Qt::LeftButton;
    setFocus(Qt::MouseFocusReason);
  } else if (t == QEvent::MouseButtonRelease) {
    FireMouse(MouseUp, VbButton(m->button()), m->modifiers(), at);
    const bool click = leftPressed_ && m->button() == Qt::LeftButton;
    leftPressed_ = false;
    if (click && Click && !ui_detail::Quiet(*this)) Click();
  } else if (m->button() == Qt::LeftButton && DblClick && !ui_detail::Quiet(*this)) {
    DblClick();
  }
  // The heading row is cells, not buttons; only column borders stay draggable when allowed.
  return !(allowResizing_ & flexResizeColumns);
}

void ScrollGridOneStep(FlexGrid& grid, int delta, bool sideways, bool skipHidden) {
  const int step = delta > 0 ? -1 : 1;
  const int first = sideways ? grid.FixedCols() : grid.FixedRows();
  const int count = sideways ? grid.Cols() : grid.Rows();
  int to = (sideways ? grid.LeftCol() : grid.TopRow()) + step;
  auto hidden = [&](int i) { return sideways ? grid.ColWidth(i) == 0 : grid.RowHeight(i) == 0; };
  while (skipHidden && to >= first && to < count && hidden(to)) to += step;
  if (to < first || to >= count) return;
  if (sideways)
    grid.SetLeftCol(to);
  else
    grid.SetTopRow(to);
}
