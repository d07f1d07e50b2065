#pragma once
// The progress sheet's spreadsheet outputs: the cfm/wkd data file FOREXCEL.DAT / FOREXCELsp.DAT and
// the cells of the ORB book, the town/village list and the ACA application workbook, written into a
// workbook of the automation stand-in (platform/automation). The windows' side (questions, locks,
// messages) is in forms/outputs/SheetWorkbooks.
//
// Every loop reads the code rows the last fill wrote (SearchRows::LastDataRow), never the empty rows
// below them. `keepGoing` is asked after each code: it lets events run and answers false once the
// operator pressed Esc.

#include <QString>
#include <cstdint>
#include <functional>

#include "platform/automation/automation.h"
#include "sheet/SheetSearch.h"

inline const QString kCfmWkdWorkbook = QStringLiteral("ORBEX5.XLS");
inline const QString kAcaWorkbook = QStringLiteral("ACA特定申請書.xls");
inline const QString kOrbBookWorkbook = QStringLiteral("ORB_SHEET.XLS");
// The second sheet of ORB_SHEET.XLS, where the award book is posted.
inline const QString kOrbPostingSheet = QStringLiteral("集計表");
inline const QString kChousonWorkbook = QStringLiteral("町村管理.XLS");

using KeepGoing = std::function<bool()>;

// What the operator is told when the shell would not open a workbook (result 32 or less).
QString ShellOpenFailureText(int result, const QString& workbookName);
// The same with what the workbook knows about the refusal, on a line of its own; a refusal of access
// whose reason the workbook knows is told by that reason alone.
QString WorkbookOpenFailureText(const Workbook& book, int result, const QString& workbookName);
// What the operator is told when the spreadsheet side failed with a run-time error number.
QString ExcelErrorText(int error);

// FOREXCEL.DAT (standard band set) or FOREXCELsp.DAT (extended) of the program folder.
QString ExcelDataFilePath(bool extended);
// Writes the data file: per code row its code, QTH, IDX, AREA and band marks, each in double quotes.
// Tokyo's "1001" is left out, and abolished QTHs ("*") when `delQth` is not "0".
bool WriteExcelDataFile(const SearchRows& rows, bool extended, const QString& delQth, QString& error);

// The macros whose data the operator needs on the first sheet: "Main" of ORBEX5.XLS (the data file),
// "Main" of ORB_SHEET.XLS (its row count; it also heads the band column pairs and lays out the second
// sheet "集計表" that the award book posts into), "DataCls" of 町村管理.XLS (the area as the list's title).
void DefineMacroStandIns(Workbook& book, const QString& workbookName);

struct OrbBookResult {
  int32_t confirmed = 0;
  bool stopped = false;
};
// The ORB book's first column of a band column's pair (1.9 MHz: column 3), headed by the band's name.
int32_t OrbBookColumn(int32_t bandColumn);
// The ORB book's cells on the first sheet: two rows per code from row 4, mode / call / date of the
// confirming QSO per band from column 3. HAMLOG must be open.
OrbBookResult WriteOrbBookCells(Workbook& book, const SearchRows& rows, const KeepGoing& keepGoing);

// A town/village code in the league's JAG form: each capital "A" .. "X" becomes LF, four blanks, "-"
// and the letter's place in the alphabet.
QString JagTownCode(const QString& code);
struct ChousonResult {
  int32_t confirmed = 0;
  int32_t written = 0;
};
// The town/village list on the active sheet: four blocks a row pair from B4 on, the row numbers in
// column A, the total and "SUM" under the last block. HAMLOG must be open.
ChousonResult WriteChousonCells(Workbook& book, const SearchRows& rows, bool skipAbolished, bool jagCodes);

// The names the ACA form wants from a code of 4 (city), 5 (gun) or 6 (ward) characters and its QTH.
struct AcaNames {
  QString prefecture, city, ward;
};
AcaNames AcaNamesOf(const QString& code, const QString& qth);
struct AcaResult {
  int32_t written = 0;
  bool stopped = false;
};
// The ACA sheet's cells (the active sheet): B1 the start year, then per city, gun and ward worked on
// 1.9 to 1200 MHz its code parts, names and the call and month/day per band. HAMLOG must be open.
AcaResult WriteAcaCells(Workbook& book, const SearchRows& rows, const QString& startDate, const KeepGoing& keepGoing);
