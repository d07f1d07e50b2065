#pragma once
// What the progress sheet's tally leaves for everybody else: the per-cell arrays of the band cells,
// the band totals per code kind, and the sheet's reading state. They live from the sheet's load to its
// exit or return; `SheetTally = {}` and `BandTotals = {}` reset them (tests).

#include <QString>
#include <array>
#include <cassert>
#include <cstdint>
#include <vector>

// A table over band columns 5 .. last band column and rows 1 .. rows (master rows or grid rows).
template <class T>
class BandCellArray {
 public:
  void Redim(int32_t lastBandColumn, int32_t rows) {
    columns_ = lastBandColumn >= 5 ? lastBandColumn - 4 : 0;
    rows_ = rows > 0 ? rows : 0;
    cells_.assign(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), T{});
  }
  void Erase() { Redim(0, 0); }
  int32_t LastColumn() const { return columns_ + 4; }
  int32_t Rows() const { return rows_; }
  bool Contains(int32_t column, int32_t row) const {
    return column >= 5 && column <= columns_ + 4 && row >= 1 && row <= rows_;
  }
  T& operator()(int32_t column, int32_t row) {
    assert(Contains(column, row));
    return cells_[static_cast<size_t>(row - 1) * columns_ + (column - 5)];
  }
  const T& operator()(int32_t column, int32_t row) const {
    assert(Contains(column, row));
    return cells_[static_cast<size_t>(row - 1) * columns_ + (column - 5)];
  }

 private:
  int32_t columns_ = 0;
  int32_t rows_ = 0;
  std::vector<T> cells_;
};

inline constexpr int32_t kFirstTokyoWard = 100101;
inline constexpr int32_t kLastTokyoWard = 100123;
inline constexpr int32_t kTokyoWardCityDate = 20100401;  // from this day the 23 wards count as cities

struct SheetTallyState {
  // Master row x band column: the record number (ten digits) of the QSO behind the cell's mark.
  BandCellArray<QString> CellRecordNumbers;
  // Its QSO date (yyyymmdd; 0 when unknown), so the totals need not read HAMLOG again.
  BandCellArray<int32_t> CellRecordDates;
  // Master row x band column: QSOs collated into the cell.
  BandCellArray<int32_t> CellQsoCounts;
  // Grid row x band column: CellRecordNumbers of the grid row's master row, as the last fill wrote it.
  BandCellArray<QString> GridCellRecordNumbers;
  // Tokyo ward (100101 .. 100123) x band column: 0 none from 2010-04-01 on; + record number of a
  // confirmed QSO; - record number of a worked-only one (count rule).
  BandCellArray<int32_t> TokyoWardRecordsTable;
  int32_t& TokyoWardRecords(int32_t wardCode, int32_t column) {
    return TokyoWardRecordsTable(column, wardCode - kFirstTokyoWard + 1);
  }
  int32_t TokyoWardRecords(int32_t wardCode, int32_t column) const {
    return TokyoWardRecordsTable(column, wardCode - kFirstTokyoWard + 1);
  }

  int32_t MasterRowCount = 0;  // MasterTable rows loaded
  int32_t GridDataRows = 0;    // code rows of the grid after the last fill (the 60 empty rows apart)
  int32_t FirstDxGridRow = 0;  // grid row of the first DX row of the last fill; 0 when none
  int32_t SheetOpen = 0;       // 1 while the sheet is up (the transceiver pollers read it)

  // Reading state.
  int32_t AppendRead = 0;       // 1 while the append read runs
  // The append's click already found the log changed since the reading: the reading need not look
  // again before it reads the whole log.
  bool LogKnownRewritten = false;
  int32_t ReadPosition = 0;     // last record number read
  int32_t NewLinesWritten = 0;  // 1 once this run took a line
  int32_t ReadFailed = 0;       // 1 when the builder stopped (Esc, failure); read by the sheet load
  QString ReadFailureCause;     // which file and why, for a failure the code alone does not tell

  // Collation walk state.
  int32_t CollationStartRow = 1;
  QString PendingGunCode;

  // View state of the fill.
  QString AreaFilter;        // call-area digit, "" = none
  QString AreaCaption;       // non-empty while an area or prefecture view is filled (no DX rows)
  QString PrefectureFilter;  // two-digit prefecture number, "" = none
  QString CurrentAreaLabel;  // name of the view shown
  int32_t AreaViewActive = 0;

  // Sizes every per-cell array for the band set in force and `rows` master rows, all cleared.
  void SizeCellArrays(int32_t lastBandColumn, int32_t rows);
  // Frees every per-cell array.
  void EraseCellArrays();
};
extern SheetTallyState SheetTally;

// ReadStatusCode values the builder sets (the start window's Esc sets 1).
inline constexpr int32_t kReadAbortedByStartWindow = 1;
inline constexpr int32_t kReadFileError = 2;       // the work file could not be written or read
inline constexpr int32_t kReadSortGaveUp = 3;      // no work file to start from, or the sort gave up
inline constexpr int32_t kReadStoppedByEsc = 4;    // the extraction saw the Esc flag
inline constexpr int32_t kReadAppendNoHamlog = 5;  // HAMLOG did not open for the append read
inline constexpr int32_t kReadNoHamlog = 6;        // HAMLOG did not open for the rewrite
inline constexpr int32_t kReadRecordFailed = 7;    // a HAMLOG record could not be read
inline constexpr int32_t kReadHamlogChanged = 8;   // HAMLOG.HDB was cut short, replaced or written meanwhile
inline constexpr int32_t kReadHamlogBadCount = 9;  // its header count does not fit its length
inline constexpr int32_t kReadWorkFileDamaged = 10;  // the previous work file is not the one completed

// Worked and confirmed codes per kind and band slot (band column - 5), filled by every sheet fill.
struct BandTotalsState {
  using Slots = std::array<int32_t, 22>;
  Slots CityWorked{}, CityConfirmed{};
  Slots GunWorked{}, GunConfirmed{};
  Slots WardWorked{}, WardConfirmed{};
  Slots TownWorked{}, TownConfirmed{};
  Slots VillageWorked{}, VillageConfirmed{};
  Slots DxWorked{}, DxConfirmed{};
};
extern BandTotalsState BandTotals;
