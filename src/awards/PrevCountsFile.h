#pragma once
// The previous application's counts file of the award book: three lines (cities, guns, wards) of 16
// (standard set) or 22 (extended set) quoted numbers, one per band column; and its backup ".bak".
// The file is the operator's record of what was claimed: it is replaced atomically, and a file that
// cannot be read whole is never replaced by what the book happens to show.

#include <QString>
#include <cstdint>

#include "awards/TextTable.h"

enum class PrevCountsRead {
  Read,        // rows 1, 4 and 7 hold the file's counts
  Missing,     // no file: the rows are untouched
  Incomplete,  // the file is there but not three lines of the expected fields: the rows are untouched
};

// Fills the previous-count rows from base + ".DAT". In the extended set a standard-set file (16
// fields) spreads over the bands: fields 1 .. 15 to the first fifteen, "0" to the six extra bands,
// field 16 to the satellite. Fields may be quoted or not (a comma inside quotes belongs to the field);
// each gives its leading number ("007" -> "7", "" -> "0"); a field that does not begin with a digit, or
// whose number has more than nine digits, is no count. Blank lines are ignored. All or nothing: an
// incomplete file changes no cell, and `why` says where it stopped being a counts file.
PrevCountsRead LoadPrevCounts(TextTable& book, const QString& base, int32_t extendedBandSet,
                              QString* why = nullptr);

// Writes rows (three of them) as the counts file base + ".DAT": the cell texts of the band columns,
// quoted. Replaces the old file in one step; false (reason in `error`) leaves it as it was, also when a
// cell holds text that would not read back as it stands ("1,2" would come back as 1).
bool SavePrevCounts(const TextTable& book, const int (&rows)[3], const QString& base, int32_t extendedBandSet,
                    QString* error = nullptr);

// Copies base + ".DAT" to base + ".bak" when it exists. False only when a copy failed.
bool BackupPrevDat(const QString& base);
