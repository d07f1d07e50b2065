// The worksheet cell store: rows ascending, each row's cells ascending by column. The outputs and the
// reader set cells row after row, so a cell almost always lands after the last one and costs an append.

#include <algorithm>

#include "platform/automation/xlsx_contents.h"

void XlsxCells::Put(int32_t row, int32_t column, const QVariant& value, bool emptyErases) {
  switch (value.typeId()) {
    case QMetaType::Bool:
      return PutTruth(row, column, value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Short:
    case QMetaType::UShort:
      return PutNumber(row, column, value.toDouble());
    default: {
      const QString text = value.toString();
      if (text.isEmpty() && emptyErases) return Erase(row, column);
      return PutText(row, column, text);
    }
  }
}

namespace {

XlsxCell cellOf(int32_t column, XlsxCell::Kind kind) {
  XlsxCell c;
  c.column = column;
  c.kind = kind;
  return c;
}

}  // namespace

void XlsxCells::PutText(int32_t row, int32_t column, QStringView text) {
  XlsxCell c = cellOf(column, XlsxCell::Kind::Text);
  c.at = texts_.size();
  c.size = uint32_t(text.size());
  texts_.insert(texts_.end(), text.utf16(), text.utf16() + text.size());
  put(row, c);
}

void XlsxCells::PutNumber(int32_t row, int32_t column, double number) {
  XlsxCell c = cellOf(column, XlsxCell::Kind::Number);
  c.number = number;
  put(row, c);
}

void XlsxCells::PutTruth(int32_t row, int32_t column, bool truth) {
  XlsxCell c = cellOf(column, XlsxCell::Kind::Truth);
  c.truth = truth;
  put(row, c);
}

XlsxCells::Row* XlsxCells::find(int32_t row, bool make) {
  if (!rows_.empty() && rows_.back().row == row) return &rows_.back();
  if (rows_.empty() || rows_.back().row < row) {
    if (!make) return nullptr;
    rows_.push_back({row, {}});
    return &rows_.back();
  }
  const auto at = std::lower_bound(rows_.begin(), rows_.end(), row, [](const Row& r, int32_t n) { return r.row < n; });
  if (at != rows_.end() && at->row == row) return &*at;
  if (!make) return nullptr;
  return &*rows_.insert(at, Row{row, {}});
}

void XlsxCells::put(int32_t row, const XlsxCell& cell) {
  std::vector<XlsxCell>& cells = find(row, true)->cells;
  if (cells.empty() || cells.back().column < cell.column) {
    cells.push_back(cell);
    return;
  }
  const auto at = std::lower_bound(cells.begin(), cells.end(), cell.column,
                                   [](const XlsxCell& c, int32_t n) { return c.column < n; });
  if (at != cells.end() && at->column == cell.column)
    *at = cell;
  else
    cells.insert(at, cell);
}

void XlsxCells::Erase(int32_t row, int32_t column) {
  Row* r = find(row, false);
  if (!r) return;
  const auto at = std::lower_bound(r->cells.begin(), r->cells.end(), column,
                                   [](const XlsxCell& c, int32_t n) { return c.column < n; });
  if (at == r->cells.end() || at->column != column) return;
  r->cells.erase(at);
  if (r->cells.empty()) rows_.erase(rows_.begin() + (r - rows_.data()));
}
