#pragma once
// The rows of the grid-locator and DXCC sheets from their tables, the record behind a "C" cell, and
// the band list of a sheet: the confirmed locators or entities of one band or band group with the
// QSO behind each, for an award application.

#include <QString>
#include <cstdint>
#include <vector>

class FlexGrid;

constexpr int kSheetBandColumn = 7;  // band slot s is grid column s + 7

// Data rows (from row 1) and a totals row for kinds 2 and 4 (SquareTable), 3 (SubSquareTable) or 5
// (DxccTable, with the entity's name in column 2); rows shown before are dropped first. The number of
// data rows.
int FillLocatorRows(FlexGrid& grid, int sheetKind, bool extendedBandSet);
int FillDxccRows(FlexGrid& grid, bool extendedBandSet);

// The record number behind band column `col` of a row whose column 1 holds `rowKey` (the locator, or
// the entity number on the DXCC sheet); 0 when none.
int32_t SheetCellRecord(int sheetKind, const QString& rowKey, int col);

// Grid columns of a band-list key ("1R9" .. "SAT", "HF", "VUS", "ALL(1R9to5600)" ...), ascending;
// none for a key that the band set does not have.
std::vector<int> BandListColumns(const QString& key, bool extendedBandSet);
// DataFolder\SQUARE_<key>.TXT, subSQUARE_, WASA_ or DXCC_ by the sheet kind.
QString BandListPath(int sheetKind, const QString& key);

struct BandListOutcome {
  bool opened = false;  // HAMLOG could be opened
  bool written = false; // the file was written
  int32_t count = 0;    // lines written
  int32_t unreadable = 0;
  QString path;
};
// Writes the list of the sheet's rows 1 .. rowCount: per locator (kinds 2, 3) or entity (kind 5) the
// QSO of its first "C" band among the key's columns; on WASA (kind 4) one line per "C" band.
BandListOutcome WriteBandList(int sheetKind, const QString& key, const FlexGrid& grid, int rowCount,
                              bool extendedBandSet);
