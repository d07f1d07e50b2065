#pragma once
// The ORB award application book: per band, for cities, guns, wards and the three together, the
// counts of the previous application, the additions since and the current confirmed counts, with a
// total column. The previous counts come from the counts file of the mode and band set
// (PrevCountsFile.h); the current ones from the sheet's tally.

#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>

#include "awards/TextTable.h"
#include "platform/automation/automation.h"
#include "sheet/SheetTally.h"

inline constexpr int kBookRows = 13;  // rows 0 .. 12
// The three previous-count rows (cities, guns, wards), their current-count rows, the sum group.
inline constexpr int kPrevRows[3] = {1, 4, 7};
inline constexpr int kCurrentRows[3] = {3, 6, 9};
inline constexpr int kSumPrevRow = 10;

// Satellite column: 17 standard, 23 extended; the total column after it.
int32_t BookLastBandColumn(int32_t extendedBandSet);
int32_t BookTotalColumn(int32_t extendedBandSet);
// Heading of a book column ("1.9MHz", "24.9MHz", ..., "ｻﾃﾗｲﾄ", "  合 計"; " " for columns 0 and 1).
QString BookHeading(int32_t column, int32_t extendedBandSet);
// The settings key part of a band column ("1R9", "3R5", ..., "ｻﾃﾗｲﾄ"); "" for any other column.
QString BookBandKey(int32_t column, int32_t extendedBandSet);

// A book of the band set with headings and row labels ("今回追加数 " with today's date), every
// previous count "0", nothing computed yet.
TextTable NewBookTable(int32_t extendedBandSet, const QDate& today);

// The largest previous count a correction may give.
inline constexpr int32_t kMostPrevCount = 99999;
// A previous count as the operator typed it: a whole number from 0 to kMostPrevCount, blanks around it
// allowed, full-width digits read as digits. Nothing for any other text.
std::optional<int32_t> PrevCountOfText(const QString& typed);

// Current counts from the tally, additions, sums and the total column, from the previous-count rows
// as they stand (a cell counts by its leading number).
void RecalcBookTotals(TextTable& book, const BandTotalsState& totals, int32_t extendedBandSet);

// Program folder + "\ORB-" + mode + "前回申請数", with "sp" for the extended set.
QString BookCountsBase(const QString& mode, bool extendedSet);
// The base of the band set in force.
QString BookCountsBaseInForce(const QString& mode, int32_t extendedBandSet);
// "ORBEX_BOOK.CSV" or "ORBEX_BOOKsp.CSV" in the program folder.
QString BookCsvPath(int32_t extendedBandSet);

// Additions and current counts (rows 2, 3, 5, 6, 8, 9, 11, 12), columns 2 .. total, each cell
// followed by ",". False (reason in `error`) when it could not be written; an old file then stays.
bool WriteBookCsv(const TextTable& book, int32_t extendedBandSet, QString* error = nullptr);

// The book on the active sheet of a workbook: `title` in A1, the table from A3 as the window shows
// it, its counts as numbers. The cells right of a standard-set table are emptied out to the extended
// set's width, so nothing of an earlier posting of the other set is left beside it.
void PutBookOnSheet(Workbook& sheet, const TextTable& book, const QString& title);
