#include "sheet/SheetTally.h"

SheetTallyState SheetTally;
BandTotalsState BandTotals;

void SheetTallyState::SizeCellArrays(int32_t lastBandColumn, int32_t rows) {
  CellRecordNumbers.Redim(lastBandColumn, rows);
  CellRecordDates.Redim(lastBandColumn, rows);
  CellQsoCounts.Redim(lastBandColumn, rows);
  GridCellRecordNumbers.Redim(lastBandColumn, rows);
  TokyoWardRecordsTable.Redim(lastBandColumn, kLastTokyoWard - kFirstTokyoWard + 1);
}

void SheetTallyState::EraseCellArrays() {
  CellRecordNumbers.Erase();
  CellRecordDates.Erase();
  CellQsoCounts.Erase();
  GridCellRecordNumbers.Erase();
  TokyoWardRecordsTable.Erase();
}
