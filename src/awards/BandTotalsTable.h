#pragma once
// The totals window's table: confirmed and worked codes per kind and band from the sheet's tally, the
// ORB award rows (cities, guns and wards together) and a total over the band range the operator drags.
// The range lives in [ORB] BANDST / BANDED as the first and last grid column.

#include <QString>
#include <cstdint>

#include "awards/TextTable.h"
#include "sheet/SheetTally.h"

inline constexpr int kTotalsRows = 17;  // rows 0 .. 16
inline constexpr int kTotalColumn = 1;  // "　　合　計"
inline constexpr int kFirstTotalsBandColumn = 2;

// The grid column of the satellite band: 17 in the standard set, 23 in the extended set (1).
int32_t TotalsLastBandColumn(int32_t extendedBandSet);
// Heading of a band column in the set ("1.9MHz" .. "ｻﾃﾗｲﾄ"); "" for any other column.
QString TotalsBandHeading(int32_t column, int32_t extendedBandSet);
// Names the range caption is built from: "7MHz" / "7MHz帯", the satellite "SATL" / "ｻﾃﾗｲﾄ".
QString RangeStartName(int32_t column, int32_t extendedBandSet);
QString RangeEndName(int32_t column, int32_t extendedBandSet);

struct TotalsBandRange {
  int32_t first = 2;
  int32_t last = 17;
  bool operator==(const TotalsBandRange&) const = default;
};

// The stored range; a missing or empty key gives the whole band set.
TotalsBandRange ReadBandRange(int32_t extendedBandSet);
void StoreBandRange(const TotalsBandRange& range);
// The range of a drag from (downRow, downCol) to upCol. Releasing over the label column gives every
// band; pressing on the last row's satellite cell starts at the first band.
TotalsBandRange DraggedBandRange(int downRow, int downCol, int upCol, int32_t extendedBandSet);
// "7MHz-21MHz帯までの合計を表示しています。", or "21MHz帯の合計を表示しています。" for one band.
// A column that names no band: the first band for a start before the bands, the last band for an end
// beyond them. A range without a band column says so and how to choose one.
QString BandRangeCaption(const TotalsBandRange& range, int32_t extendedBandSet);

// The whole table of the band set: headings, row labels, counts, range totals and ORB rows.
TextTable BuildTotalsTable(const BandTotalsState& totals, const TotalsBandRange& range, int32_t extendedBandSet);

// The table as CSV: one line per row, columns 0 .. last band column joined by ",", CR LF, Windows-31J.
// False (with the reason in `error`) when the file could not be written; an old file then stays.
bool WriteTotalsCsv(const TextTable& table, const QString& path, QString* error = nullptr);
