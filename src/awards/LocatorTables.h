#pragma once
// The grid-locator and DXCC tables of the award sheets: for every locator (or DX entity) and band,
// the HAMLOG record number of the first QSO that passes the reading conditions and is confirmed.
// One pass over the log fills a table; the award sheet shows it and writes band lists from it.

#include <QHash>
#include <QString>
#include <cstdint>
#include <vector>

struct GridTablesState {
  std::vector<int32_t> SquareTable;     // "AA00".."RR99" x band slot
  std::vector<int32_t> SubSquareTable;  // "PL00AA".."QN99XX" x band slot
  std::vector<int32_t> DxccTable;       // entity 500..999 x band slot
  int Slots = 0;                        // band slots of the table in use: 17 or 23
  QHash<int, QString> DxEntityNames;    // entity number -> name, from the code master's DX rows
};
extern GridTablesState GridTables;

constexpr int kFirstEntity = 500;
constexpr int kLastEntity = 999;

// The band slot of a band label ("1.9" 0 .. "5600" 14, then "SAT" 15 in the standard set, or "135K"
// 15 .. "77G" 20 and "SAT" 21 in the extended set); -1 for any other label.
int GridBandSlot(const QString& bandLabel, bool extendedBandSet);
// The last band slot of a set: 15 standard, 21 extended.
int LastBandSlot(bool extendedBandSet);

// Sizing one table clears it and frees the others.
void SizeSquareTable(bool extendedBandSet);
void SizeSubSquareTable(bool extendedBandSet);
void SizeDxccTable(bool extendedBandSet);
void ReleaseGridTables();
// The names of the entities that the code master holds from `firstDxRow` to `lastRow` (abolished
// ones, marked "*", left out).
void TakeDxEntityNames(int32_t firstDxRow, int32_t lastRow);

// A cell of a table; 0 for a locator or entity outside the table's range.
int32_t SquareCell(const QString& locator4, int slot);
int32_t SubSquareCell(const QString& locator6, int slot);
int32_t DxccCell(int entity, int slot);

// The position (1-based) of the last character that is out of range for the sheet kind (2 SQUARE-75,
// 3 SUBSQUARE-100, 4 WASA), 0 when the locator is one; the locator has 4 (6 for kind 3) characters.
int BadLocatorPosition(const QString& locator, int sheetKind);

// The scans. Each goes over every record once (deleted ones skipped), counts a record without a date
// or with a locator out of range as passed over, writes the frequencies that fit no band to the
// frequency report in one go and the passed-over locators to kLocatorReportFile, and tells each kind
// of record passed over in one message with its count.
enum class TableScan {
  Found,        // at least one QSO passed the conditions
  NothingFound, // no QSO passed the period, mode, exclusion and confirmation tests
  NotOpened,    // HAMLOG could not be opened
  ReadFailed,   // a record could not be read (after its message)
};
// SquareTable for kinds 2 (SQUARE-75, Japanese stations) and 4 (WASA); SubSquareTable for kind 3
// (SUBSQUARE-100, Japanese stations).
TableScan MakeGridTable(int sheetKind, int32_t recordCount);
TableScan MakeDXCCTable(int32_t recordCount);

// Where the scans read the records: from the column copy of the sheet's reading (core/QsoColumns.h,
// brought to the log's end first), or record by record through the access layer, which stays as the
// reference the copy is checked against. Both give the same tables, files and messages.
enum class TableSource { Columns, PerRecord };
inline TableSource LocatorTableSource = TableSource::Columns;

// The data folder's list of the locators a grid scan passed over.
inline constexpr char kLocatorReportFile[] = "GridLocError_Report.txt";
