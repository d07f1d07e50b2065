#include "awards/LocatorSheets.h"

#include <QStringList>

#include "awards/LocatorTables.h"
#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/flexgrid.h"
#include "platform/vbfile.h"

namespace {

int lastBandColumn(bool extended) { return kSheetBandColumn + LastBandSlot(extended); }

struct SheetRow {
  QString key;
  std::vector<int> bands;  // grid columns holding "C"
  QString name;            // DXCC: the entity's name
};

// Rows, then the totals row: column 0 " Band計" (locators) or column 2 "    合    計" (DXCC), and the
// count of "C" cells under each band column.
int putRows(FlexGrid& grid, const std::vector<SheetRow>& rows, bool numbered, bool extended) {
  const bool redraw = grid.Redraw();
  grid.SetRedraw(false);
  const int n = static_cast<int>(rows.size());
  grid.SetRows(1);
  grid.SetRows(n + 2);
  std::vector<int> totals(grid.Cols(), 0);
  for (int i = 0; i < n; ++i) {
    if (numbered) grid.SetTextMatrix(i + 1, 0, " " + QString::number(i + 1));
    grid.SetTextMatrix(i + 1, 1, rows[i].key);
    if (!rows[i].name.isEmpty()) grid.SetTextMatrix(i + 1, 2, rows[i].name);
    for (int c : rows[i].bands) {
      grid.SetTextMatrix(i + 1, c, "C");
      if (c < grid.Cols()) ++totals[c];
    }
  }
  if (numbered)
    grid.SetTextMatrix(n + 1, 0, QStringLiteral(" Band計"));
  else
    grid.SetTextMatrix(n + 1, 2, QStringLiteral("    合    計"));
  for (int c = kSheetBandColumn; c <= lastBandColumn(extended) && c < grid.Cols(); ++c)
    grid.SetTextMatrix(n + 1, c, QString::number(totals[c]));
  grid.SetRedraw(redraw);
  return n;
}

template <class CellOf>
std::vector<int> confirmedColumns(bool extended, CellOf cellOf) {
  std::vector<int> cols;
  for (int s = 0; s <= LastBandSlot(extended); ++s)
    if (cellOf(s) > 0) cols.push_back(kSheetBandColumn + s);
  return cols;
}

QString squareOf(int i) {
  const int d = i % 10, c = i / 10 % 10, b = i / 100 % 18, a = i / 1800;
  const QChar text[] = {QChar('A' + a), QChar('A' + b), QChar('0' + c), QChar('0' + d)};
  return QString(text, 4);
}

QString subSquareOf(int i) {
  const int f = i % 24, e = i / 24 % 24, d = i / 576 % 10, c = i / 5760 % 10, b = i / 57600 % 3, a = i / 172800;
  const QChar text[] = {QChar('P' + a), QChar('L' + b), QChar('0' + c),
                        QChar('0' + d), QChar('A' + e), QChar('A' + f)};
  return QString(text, 6);
}

std::vector<int> span(int from, int to) {
  std::vector<int> cols;
  for (int c = from; c <= to; ++c) cols.push_back(c);
  return cols;
}

}  // namespace

int FillLocatorRows(FlexGrid& grid, int kind, bool extended) {
  const bool sub = kind == 3;
  const int cells = sub ? 2 * 3 * 10 * 10 * 24 * 24 : 18 * 18 * 10 * 10;
  std::vector<SheetRow> rows;
  for (int i = 0; i < cells; ++i) {
    const QString loc = sub ? subSquareOf(i) : squareOf(i);
    std::vector<int> cols =
        confirmedColumns(extended, [&](int s) { return sub ? SubSquareCell(loc, s) : SquareCell(loc, s); });
    if (!cols.empty()) rows.push_back({loc, std::move(cols), {}});
  }
  return putRows(grid, rows, true, extended);
}

int FillDxccRows(FlexGrid& grid, bool extended) {
  std::vector<SheetRow> rows;
  for (int entity = kFirstEntity; entity <= kLastEntity; ++entity) {
    std::vector<int> cols = confirmedColumns(extended, [&](int s) { return DxccCell(entity, s); });
    if (!cols.empty())
      rows.push_back({QString::number(entity), std::move(cols), GridTables.DxEntityNames.value(entity)});
  }
  return putRows(grid, rows, false, extended);
}

int32_t SheetCellRecord(int kind, const QString& key, int col) {
  const int slot = col - kSheetBandColumn;
  switch (kind) {
    case 2:
    case 4:
      return SquareCell(key, slot);
    case 3:
      return SubSquareCell(key, slot);
    case 5: {
      bool ok = false;
      const int entity = key.trimmed().toInt(&ok);
      return ok ? DxccCell(entity, slot) : 0;
    }
    default:
      return 0;
  }
}

std::vector<int> BandListColumns(const QString& key, bool extended) {
  static const char* const kSingle[] = {"1R9", "3R5", "7",   "10",   "14",   "18",   "21", "24",
                                        "28",  "50",  "144", "430", "1200", "2400", "5600"};
  static const char* const kExtended[] = {"135k", "475k", "10G", "24G", "47G", "77G"};
  for (int i = 0; i < 15; ++i)
    if (key == QLatin1String(kSingle[i])) return {kSheetBandColumn + i};
  const int sat = extended ? 28 : 22;
  if (key == "SAT") return {sat};
  for (int i = 0; i < 6; ++i)
    if (key == QLatin1String(kExtended[i])) return extended ? std::vector<int>{22 + i} : std::vector<int>{};
  // In the extended set the low bands go with HF and the V/U lists hold the V/U bands only, as their
  // menu captions say.
  if (key == "HF") {
    std::vector<int> cols = span(7, 15);
    if (extended) cols.insert(cols.end(), {22, 23});
    return cols;
  }
  if (key == "VUS" || key == "VUS_and_SAT") {
    std::vector<int> cols = span(16, 21);
    if (extended) cols.insert(cols.end(), {24, 25, 26, 27});
    if (key == "VUS_and_SAT") cols.push_back(sat);
    return cols;
  }
  if (!extended && key == "ALL(1R9to5600)") return span(7, 21);
  if (!extended && key == "ALL(1R9to5600_and_SAT)") return span(7, 22);
  if (extended && key == "ALL(0R135to77G)") return span(7, 27);
  if (extended && key == "ALL(0R135to77G_and_SAT)") return span(7, 28);
  return {};
}

QString BandListPath(int kind, const QString& key) {
  static const char* const kStems[] = {"", "", "SQUARE_", "subSQUARE_", "WASA_", "DXCC_"};
  return JoinPath(Settings.DataFolder, QString::fromLatin1(kStems[kind >= 2 && kind <= 5 ? kind : 0]) + key + ".TXT");
}

BandListOutcome WriteBandList(int kind, const QString& key, const FlexGrid& grid, int rowCount, bool extended) {
  BandListOutcome out;
  out.path = BandListPath(kind, key);
  std::vector<int> cols = BandListColumns(key, extended);
  // The DXCC award has no 135 kHz and 475 kHz.
  if (kind == 5 && extended) std::erase_if(cols, [](int c) { return c == 22 || c == 23; });
  if (HamlogOpenDb() != 0) {
    HamlogCloseDb(0);
    return out;
  }
  out.opened = true;
  VbFile file(out.path, VbMode::Output);
  for (int r = 1; r <= rowCount && file.IsOpen(); ++r) {
    const QString rowKey = grid.TextMatrix(r, 1);
    for (int c : cols) {
      if (grid.TextMatrix(r, c) != "C") continue;
      const int32_t rec = SheetCellRecord(kind, rowKey, c);
      if (rec < 1) continue;
      Qso.QsoRecNo = rec;
      if (ReadQsoFull(rec) != 0) {
        ++out.unreadable;  // after its message; no line from another record's fields
        continue;
      }
      QList<VbItem> items;
      if (kind == 5)
        items << VbItem(rowKey.trimmed().toInt());
      else
        items << VbItem(Qso.GridLocator.left(kind == 3 ? 6 : 4));
      items << PrintZone << Qso.QsoCall << PrintZone << Qso.QsoDate << PrintZone << Qso.QsoBand.leftJustified(4)
            << PrintZone << Qso.QsoMode;
      file.Print(items);
      ++out.count;
      if (kind != 4) break;  // a locator or entity is listed once, with its first band in the list
    }
  }
  HamlogCloseDb(0);
  out.written = file.IsOpen() && file.Close();
  return out;
}
