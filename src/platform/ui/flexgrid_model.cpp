#include "platform/ui/flexgrid_model.h"

#include <QApplication>
#include <QPalette>
#include <algorithm>

#include "platform/ui/color.h"
#include "platform/vbnumber.h"

namespace {

const QString kEmpty;

Qt::Alignment AlignmentOf(int code, const QString& text) {
  switch (code) {
    case 0:
      return Qt::AlignLeft | Qt::AlignTop;
    case 1:
      return Qt::AlignLeft | Qt::AlignVCenter;
    case 2:
      return Qt::AlignLeft | Qt::AlignBottom;
    case 3:
      return Qt::AlignHCenter | Qt::AlignTop;
    case 4:
      return Qt::AlignCenter;
    case 5:
      return Qt::AlignHCenter | Qt::AlignBottom;
    case 6:
      return Qt::AlignRight | Qt::AlignTop;
    case 7:
      return Qt::AlignRight | Qt::AlignVCenter;
    case 8:
      return Qt::AlignRight | Qt::AlignBottom;
    default:  // general: numbers to the right, text to the left
      return (IsNumericText(text) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
  }
}

// Rows taken from the end one at a time go as a removal; more go in one reset. A removal of many rows
// walks, for each kept index into their cells, all the others, and a screen reader keeps an index for
// every cell it has read: a whole sheet emptied that way takes minutes.
bool Removal(int oldRows, int newRows) { return newRows == oldRows - 1; }

}  // namespace

FlexGridModel::FlexGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void FlexGridModel::setShape(int rows, int cols, int fixedRows, int fixedCols) {
  rows = std::max(rows, 0);
  cols = std::max(cols, 0);
  wantHeader_ = fixedRows > 0;
  const int newHeader = rows > 0 && wantHeader_ ? 1 : 0;
  if (fixedCols != fixedCols_ || fixedRows != fixedRows_) {
    fixedCols_ = fixedCols;
    fixedRows_ = fixedRows;
    AllChanged();
  }
  if (rows == rows_ && cols == cols_ && newHeader == headerRows_) return;
  // Rows added or taken at the end: the view follows without a reset.
  const int oldView = rows_ - headerRows_;
  const int newView = rows - newHeader;
  const bool rowsOnly = cols == cols_ && newHeader == headerRows_;
  Begin(rowsOnly && newView > oldView           ? kInsert
        : rowsOnly && Removal(oldView, newView) ? kRemove
                                                : kReset,
        std::min(oldView, newView), std::max(oldView, newView) - 1);
  if (cols == cols_) {
    cells_.resize(static_cast<size_t>(rows) * cols);
    for (auto* v : {&back_, &fore_})
      if (!v->empty()) v->resize(cells_.size(), -1);
  } else {
    Reshape(cells_, rows, cols, QString());
    if (!back_.empty()) Reshape(back_, rows, cols, -1);
    if (!fore_.empty()) Reshape(fore_, rows, cols, -1);
  }
  colAlign_.resize(cols, 9);
  fixedAlign_.resize(cols, -1);
  rows_ = rows;
  cols_ = cols;
  headerRows_ = newHeader;
  End();
}

template <class T>
void FlexGridModel::Reshape(std::vector<T>& v, int rows, int cols, const T& blank) {
  std::vector<T> n(static_cast<size_t>(rows) * cols, blank);
  for (int r = 0; r < std::min(rows, rows_); ++r)
    for (int c = 0; c < std::min(cols, cols_); ++c)
      n[static_cast<size_t>(r) * cols + c] = std::move(v[At(r, c)]);
  v.swap(n);
}

void FlexGridModel::Begin(Signal kind, int first, int last) {
  pending_ = suspended_ ? kNone : kind;
  if (suspended_) {
    if (kind != kNone) shapeDirty_ = true;
    return;
  }
  switch (kind) {
    case kInsert:
      beginInsertRows(QModelIndex(), first, last);
      break;
    case kRemove:
      beginRemoveRows(QModelIndex(), first, last);
      break;
    case kReset:
      beginResetModel();
      break;
    case kNone:
      break;
  }
}

void FlexGridModel::End() {
  if (suspended_) return;
  shownRows_ = rows_ - headerRows_;
  shownCols_ = cols_;
  switch (pending_) {
    case kInsert:
      endInsertRows();
      break;
    case kRemove:
      endRemoveRows();
      break;
    case kReset:
      endResetModel();
      break;
    case kNone:
      break;
  }
  pending_ = kNone;
}

void FlexGridModel::AllChanged() {
  if (suspended_) {
    dataDirty_ = true;
    return;
  }
  if (headerRows_ && cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
  if (rowCount() > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, cols_ - 1));
}

const QString& FlexGridModel::text(int row, int col) const {
  return In(row, col) ? cells_[At(row, col)] : kEmpty;
}

void FlexGridModel::setText(int row, int col, const QString& text) {
  if (!In(row, col)) return;
  QString& cell = cells_[At(row, col)];
  if (cell == text) return;
  cell = text;
  CellChanged(row, col);
}

void FlexGridModel::setRowTexts(int row, std::vector<QString>&& cells) {
  if (cols_ == 0) return;
  row = std::clamp(row, 0, rows_);
  cells.resize(cells.size() / size_t(cols_) * size_t(cols_));
  const int rows = row + static_cast<int>(cells.size() / size_t(cols_));
  const int newHeader = rows > 0 && wantHeader_ ? 1 : 0;
  const int oldView = rows_ - headerRows_;
  const int newView = rows - newHeader;
  Begin(newHeader != headerRows_    ? kReset
        : newView > oldView         ? kInsert
        : Removal(oldView, newView) ? kRemove
        : newView < oldView         ? kReset
                                    : kNone,
        std::min(oldView, newView), std::max(oldView, newView) - 1);
  // The rows above `row` stay, moved in front of the new ones; the new texts are not copied.
  const auto kept = static_cast<qsizetype>(At(row, 0));
  cells.insert(cells.begin(), std::make_move_iterator(cells_.begin()),
               std::make_move_iterator(cells_.begin() + kept));
  cells_.swap(cells);
  for (auto* v : {&back_, &fore_})
    if (!v->empty()) v->resize(cells_.size(), -1);
  rows_ = rows;
  headerRows_ = newHeader;
  End();
  if (suspended_) {
    dataDirty_ = true;
    return;
  }
  if (row < headerRows_) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
  const int top = std::max(row, headerRows_) - headerRows_;
  if (top < rowCount()) emit dataChanged(index(top, 0), index(rowCount() - 1, cols_ - 1));
}

void FlexGridModel::CellChanged(int row, int col) {
  if (suspended_) {
    dataDirty_ = true;
    return;
  }
  if (row < headerRows_)
    emit headerDataChanged(Qt::Horizontal, col, col);
  else
    emit dataChanged(index(row - headerRows_, col), index(row - headerRows_, col));
}

void FlexGridModel::insertRow(int at, const QStringList& cells) {
  at = std::clamp(at, 0, rows_);
  const int newHeader = wantHeader_ ? 1 : 0;
  // A row that takes the header's place moves what the header shows: the view starts afresh.
  const bool plain = newHeader == headerRows_ && at >= headerRows_;
  Begin(plain ? kInsert : kReset, at - headerRows_, at - headerRows_);
  const auto first = static_cast<qsizetype>(At(at, 0));
  cells_.insert(cells_.begin() + first, cols_, QString());
  for (int c = 0; c < cols_ && c < cells.size(); ++c) cells_[first + c] = cells[c];
  for (auto* v : {&back_, &fore_})
    if (!v->empty()) v->insert(v->begin() + first, cols_, -1);
  ++rows_;
  headerRows_ = newHeader;
  End();
}

void FlexGridModel::removeRow(int at) {
  if (at < 0 || at >= rows_) return;
  const int newHeader = rows_ > 1 && wantHeader_ ? 1 : 0;
  const bool plain = newHeader == headerRows_ && at >= headerRows_;
  Begin(plain ? kRemove : kReset, at - headerRows_, at - headerRows_);
  const auto first = static_cast<qsizetype>(At(at, 0));
  cells_.erase(cells_.begin() + first, cells_.begin() + first + cols_);
  for (auto* v : {&back_, &fore_})
    if (!v->empty()) v->erase(v->begin() + first, v->begin() + first + cols_);
  --rows_;
  headerRows_ = newHeader;
  End();
}

void FlexGridModel::clearCells() {
  for (QString& s : cells_) s.clear();
  back_.clear();
  fore_.clear();
  AllChanged();
}

void FlexGridModel::permuteRows(int first, const std::vector<int>& order) {
  const int n = static_cast<int>(order.size());
  if (n == 0 || first < 0 || first + n > rows_) return;
  auto apply = [&](auto& v) {
    if (v.empty()) return;
    std::remove_reference_t<decltype(v)> moved(static_cast<size_t>(n) * cols_);
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < cols_; ++c)
        moved[static_cast<size_t>(i) * cols_ + c] = std::move(v[At(first + order[i], c)]);
    std::move(moved.begin(), moved.end(), v.begin() + static_cast<qsizetype>(At(first, 0)));
  };
  apply(cells_);
  apply(back_);
  apply(fore_);
  AllChanged();
}

int32_t FlexGridModel::Colour(const std::vector<int32_t>& v, int row, int col) const {
  return v.empty() || !In(row, col) ? -1 : v[At(row, col)];
}

void FlexGridModel::SetColour(std::vector<int32_t>& v, int row, int col, int32_t vbColor) {
  if (!In(row, col)) return;
  if (v.empty()) {
    if (vbColor == -1) return;
    v.assign(cells_.size(), -1);
  }
  if (v[At(row, col)] == vbColor) return;
  v[At(row, col)] = vbColor;
  CellChanged(row, col);
}

void FlexGridModel::setAlignment(int col, int code, bool fixed) {
  if (col < 0 || col >= cols_) return;
  (fixed ? fixedAlign_ : colAlign_)[col] = code;
  AllChanged();
}

int FlexGridModel::alignment(int col, bool fixed) const {
  if (col < 0 || col >= cols_) return 9;
  if (fixed && fixedAlign_[col] >= 0) return fixedAlign_[col];
  return colAlign_[col];
}

void FlexGridModel::suspend() {
  if (suspended_) return;
  suspended_ = true;
  shownRows_ = rows_ - headerRows_;
  shownCols_ = cols_;
}

bool FlexGridModel::resume() {
  if (!suspended_) return false;
  suspended_ = false;
  const bool reset = shapeDirty_;
  if (shapeDirty_) {
    beginResetModel();
    shownRows_ = rows_ - headerRows_;
    shownCols_ = cols_;
    endResetModel();
  } else if (dataDirty_) {
    AllChanged();
  }
  shapeDirty_ = dataDirty_ = false;
  return reset;
}

int FlexGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return suspended_ ? shownRows_ : rows_ - headerRows_;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return suspended_ ? shownCols_ : cols_;
}

QVariant FlexGridModel::CellData(int row, int col, int role) const {
  if (!In(row, col)) return QVariant();
  const bool fixed = row < fixedRows_ || col < fixedCols_;
  switch (role) {
    case Qt::DisplayRole:
      return cells_[At(row, col)];
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(AlignmentOf(alignment(col, fixed), cells_[At(row, col)]));
    case Qt::BackgroundRole: {
      const int32_t c = cellBack(row, col);
      if (c != -1) return QBrush(VbColor(c));
      if (fixed) return QApplication::palette().button();
      return QVariant();
    }
    case Qt::ForegroundRole: {
      const int32_t c = cellFore(row, col);
      return c != -1 ? QVariant(QBrush(VbColor(c))) : QVariant();
    }
    case Qt::ToolTipRole:
      return toolTip_.isEmpty() ? QVariant() : QVariant(toolTip_);
    default:
      return QVariant();
  }
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  return CellData(index.row() + headerRows_, index.column(), role);
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || headerRows_ == 0) return QVariant();
  if (role == Qt::BackgroundRole && cellBack(0, section) == -1) return QVariant();  // the header's own face
  return CellData(0, section, role);
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // Fixed cells take no selection, as in the original grid.
  const bool fixed = index.column() < fixedCols_ || index.row() + headerRows_ < fixedRows_;
  return fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
