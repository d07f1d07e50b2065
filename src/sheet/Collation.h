#pragma once
// Collation of the sorted progress work file with MasterTable: the W/C mark of each band cell, the
// QSOs per cell, the record number (and date) of the QSO behind each mark and the Tokyo wards' QSOs
// from 2010-04-01 on.
//
// Work file and master share one order, so one walk serves: each line finds its code's first row at
// or after the walk's start row through an index of the master's codes; a town line first marks its
// gun's row when that comes earlier, and the walk's start row moves to that gun row.

#include <QByteArrayView>
#include <cstdint>
#include <vector>

#include "sheet/SheetProgress.h"

enum class ConfirmRule {
  ListedMarks,  // the received mark must be one of the fifteen configured marks
  AnyMark,      // any non-blank received mark confirms ([ORB] QSL_RCVa = "YES")
};

// The rule of the settings in force.
ConfirmRule CurrentConfirmRule();

// Collates work-file bytes (fixed 33-byte records) into MasterTable and the sheet's cell arrays.
// Marks, record numbers and ward records already there stay unless a line improves them; counts add up.
void CollateDmyDbs(QByteArrayView records, ConfirmRule rule, SheetProgress& progress = SilentSheetProgress());

// A band cell of MasterTable.
struct SheetCell {
  int32_t column, masterRow;
  bool operator==(const SheetCell&) const = default;
};

// Collates only the lines `newLines` (0-based, ascending) of work-file bytes onto the marks, counts and
// record numbers that a collation of the other lines left: the result equals collating all of them
// afresh. The cells whose mark or record number changed are returned.
std::vector<SheetCell> CollateNewDmyDbsLines(QByteArrayView records, const std::vector<qsizetype>& newLines,
                                             ConfirmRule rule, SheetProgress& progress = SilentSheetProgress());

// The two walks of the sheet over DMYDBS.DAT on disk, each ending in the sheet fill.
void ReadDmyDbsCount(SheetProgress& progress = SilentSheetProgress());
void ReadDmyDbsMark(SheetProgress& progress = SilentSheetProgress());
