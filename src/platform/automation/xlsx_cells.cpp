// The worksheet cell store: rows ascending, each row's cells ascending by column. The outputs and the
// reader set cells row after row, so a cell almost always lands after the last one and costs an append.

#include <algorithm>

#include "platform/automation/xlsx_contents.h"

XlsxCell XlsxCell::Of(int32_t column, const QVariant& value) {
  XlsxCell c;
  c.column = column;
  switch (value.typeId()) {
    case QMetaType::Bool:
      c.kind = Kind::Truth;
      c.truth = value.toBool();
      break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Short:
    case QMetaType::UShort:
      c.kind = Kind::Number;
      c.number = value.toDouble();
      break;
    case QMetaType::QString:
      c.text = *static_cast<const QString*>(value.constData());
      break;
    default:
      c.text = value.toString();
  }
  return c;
}

QVariant XlsxCell::Value() const {
  switch (kind) {
    case Kind::Truth: return truth;
    case Kind::Number: return number;
    default: return text;
  }
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

void XlsxCells::Put(int32_t row, XlsxCell cell) {
  std::vector<XlsxCell>& cells = find(row, true)->cells;
  if (cells.empty() || cells.back().column < cell.column) {
    cells.push_back(std::move(cell));
    return;
  }
  const auto at = std::lower_bound(cells.begin(), cells.end(), cell.column,
                                   [](const XlsxCell& c, int32_t n) { return c.column < n; });
  if (at != cells.end() && at->column == cell.column)
    *at = std::move(cell);
  else
    cells.insert(at, std::move(cell));
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
