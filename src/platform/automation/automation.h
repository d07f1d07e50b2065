#pragma once
// The two automation servers the outputs drive: a spreadsheet (the progress sheet's workbooks) and
// MMQSL (QSL card printing).
//
// Spreadsheet: the outputs write cells and call the workbook's macros in the order they always did.
// Here the workbook becomes a real .xlsx in the program folder, named as the workbook with the .xlsx
// ending ("ORB_SHEET.XLS" -> "ORB_SHEET.xlsx"), opened with the desktop's handler when published.
// Every macro call is logged on the workbook's sheet "マクロ"; a macro that hands the operator data
// (a data file, a row count) gets a stand-in that puts it on the first sheet (DefineMacro).
//
//   std::unique_ptr<Workbook> book = NewWorkbook("ORB_SHEET.XLS");
//   int r = book->Open();                  // like the shell: above 32 done, else a failure code
//   if (int e = book->Attach()) ...        // 0, or a run-time error number (424: the book is gone)
//   book->SelectSheet("ACAデータ");          // "" = the first sheet
//   book->SelectSheetAt(2);                // the second worksheet: 0, or 9 when there is none
//   book->SetCell(4, 1, "1002");           // rows and columns from 1; "" empties the cell
//   int32_t result; book->Run("Main", {rows, ext}, result);
//   if (!book->Publish(error)) MsgBox(error);   // written whole or not at all, then opened
//
// Open starts an empty workbook that replaces the file when published. OpenExisting starts from the
// worksheets and cell values the file holds (not its formats or formulas) and writes them back with
// the changes: 2 when the file is missing, 11 when it is no workbook that can be read whole, 5 when
// it is open in another program (ErrorText names the lock file); the file is then left as it is. A
// lock file left by a spreadsheet program that no longer runs (this machine, this user, no such
// program running) is named to the operator, who may go on past it (26 when they do not).
//
// MMQSL: NewMmqsl(why) gives nothing on Linux, and `why` says so in words for the operator.
//
// Tests install recording implementations (SetWorkbookFactory, SetMmqslFactory).

#include <QString>
#include <QStringView>
#include <QVariant>
#include <QVariantList>
#include <cstdint>
#include <functional>
#include <memory>

class Workbook {
 public:
  using Macro = std::function<int32_t(Workbook& book, const QVariantList& args)>;
  virtual ~Workbook() = default;

  // The shell's open of the workbook; above 32 = the workbook can be written. ErrorText() says more
  // about a refusal.
  virtual int Open() = 0;
  // The same for a workbook whose file is kept: its sheets and values are read first.
  virtual int OpenExisting() = 0;
  // The spreadsheet application behind the open workbook: 0, or a run-time error number.
  virtual int Attach() = 0;
  // Makes a worksheet active: "" the first one; a name is created when the workbook lacks it.
  virtual void SelectSheet(const QString& name) = 0;
  // Makes the index-th worksheet active (from 1; the macro log is not one): 0, or 9 when there is none.
  virtual int SelectSheetAt(int32_t index) = 0;
  // Empties every cell of the active sheet.
  virtual void ClearSheet() = 0;
  // A cell of the active sheet. Text, a number or a truth value; an empty text empties the cell.
  virtual void SetCell(int32_t row, int32_t column, const QVariant& value) = 0;
  // The same for a text, without a variant made of it: the outputs write texts by the hundred thousand.
  virtual void SetCell(int32_t row, int32_t column, QStringView text) {
    SetCell(row, column, QVariant(text.toString()));
  }
  void SetCell(int32_t row, int32_t column, const QString& text) { SetCell(row, column, QStringView(text)); }
  void SetCell(int32_t row, int32_t column, const char* utf8) {
    SetCell(row, column, QString::fromUtf8(utf8));
  }
  virtual void SetScreenUpdating(bool on) = 0;
  // Runs a workbook macro: 0, or a run-time error number; `result` receives its return value.
  virtual int Run(const QString& macro, const QVariantList& args, int32_t& result) = 0;
  // The stand-in for a macro of this workbook (run after the call is logged).
  virtual void DefineMacro(const QString& macro, Macro body) = 0;
  // Writes the workbook and hands it to the operator; false with `error` when it could not be written
  // or was never opened.
  virtual bool Publish(QString& error) = 0;
  virtual QString ErrorText() const = 0;
};

// A workbook by the name the outputs know it by (a file of the program folder).
std::unique_ptr<Workbook> NewWorkbook(const QString& name);
// The .xlsx that a workbook name gives: "ORB_SHEET.XLS" -> "ORB_SHEET.xlsx".
QString XlsxFileName(const QString& workbookName);

using WorkbookFactory = std::function<std::unique_ptr<Workbook>(const QString& name)>;
WorkbookFactory SetWorkbookFactory(WorkbookFactory factory);

// MMQSL's automation object "MMQSL.Application". Every call answers 0, or an automation error number.
class Mmqsl {
 public:
  virtual ~Mmqsl() = default;
  virtual int OpenDoc(const QString& layoutFile) = 0;
  virtual int DeleteLog() = 0;
  virtual int AddLog(const QString& line) = 0;
  virtual int SortLog97(int32_t order) = 0;
  virtual int SetPrintMax() = 0;
  virtual int SetEnableLogFile(int16_t value) = 0;
  virtual int SetDisableExit(int16_t value) = 0;
  virtual int Foreground() = 0;
  virtual int SetPrintStat(int16_t value) = 0;
  virtual int GetPrintStat(int16_t& value) = 0;
  virtual int DoPrint() = 0;
  virtual int GetPrintedPos(int16_t which, int16_t& position) = 0;
};

// Creates the object; nothing, with the reason in `why`, when MMQSL cannot be driven.
std::unique_ptr<Mmqsl> NewMmqsl(QString& why);

using MmqslFactory = std::function<std::unique_ptr<Mmqsl>(QString& why)>;
MmqslFactory SetMmqslFactory(MmqslFactory factory);
