#pragma once
// The sheet fill: kind letters of the code rows, the band totals per kind, and the rows of the grid for
// the current view (area, prefecture, kinds shown, abolished places), written through the grid's model
// in one pass when the sheet window is loaded.

#include <QString>
#include <cstdint>
#include <vector>

#include "sheet/Collation.h"
#include "sheet/SheetProgress.h"

// The kind letter of a code ("C", "K", "G", "T", "V", "DX", or "" for none) from its trimmed code and
// its QTH name.
QString KindLetterOf(const QString& code, const QString& qthName);

// Writes the kind letter of every loaded row into MasterTable's kind column.
void AssignKindLetters();

// BandTotals anew from the marks of every loaded row (view filters play no part).
void CountBandTotals();

// One row of the view: its master row and whether the grid hides it (height 0).
struct SheetViewRow {
  int32_t masterRow;
  bool hidden;
};
// The rows that pass the view filters and the kinds shown, in master order.
std::vector<SheetViewRow> SelectViewRows();

// The sheet's refill: kind letters, totals, view rows, GridCellRecordNumbers and the grid (with its 60
// empty rows at the end).
void FillProgressSheet(SheetProgress& progress = SilentSheetProgress());

// After a collation that changed only `cells`: totals, GridCellRecordNumbers and the grid cells of the
// view rows that show them, as a refill would leave them. A refill runs instead when the rows of a refill
// would not be the rows the grid shows (a view that was filled once and left).
void RefreshProgressCells(const std::vector<SheetCell>& cells, SheetProgress& progress = SilentSheetProgress());
