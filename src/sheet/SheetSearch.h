#pragma once
// The sheet's search box: finds a row of the progress sheet by code, QTH name, reading index or DX
// prefix, and steps to the next or previous match. The search reads the rows through SearchRows and
// answers with what the window should do (scroll, labels, notice), so it runs the same on the window's
// grid and on a table in a test.

#include <QString>
#include <cstdint>

// The sheet's rows as the search sees them: data rows 1 .. LastDataRow(); columns 1 "CODE",
// 2 "QTH", 3 "IDX", 4 "AREA".
class SearchRows {
 public:
  virtual ~SearchRows() = default;
  virtual QString Cell(int32_t row, int32_t column) const = 0;
  virtual bool Hidden(int32_t row) const = 0;
  virtual int32_t LastDataRow() const = 0;
};

// The state the search keeps between keystrokes. SearchStartRow is shared: other windows that search
// or scroll the sheet set it too.
struct SheetSearchState {
  int32_t SearchStartRow = 1;
  int32_t SearchRow = 0;
  int32_t SearchColumn = 1;
  int32_t SearchLength = 0;
  QString SearchDirection;  // "", "Down" or "Up"
};
extern SheetSearchState SheetSearch;

// What the window shows after a search step.
struct SearchOutcome {
  int32_t topRow = 0;     // row scrolled to the top and selected; 0 leaves the grid where it is
  QString notice;         // text for the sheet's notice frame; empty posts none
  bool setPanel = false;  // the QSO panel's Label3 / Label4 / Label6 get the texts below
  QString label3, label4, label6;
  // The text to look up in the new-city record book afterwards; empty when no look-up runs.
  bool lookUp = false;
  QString lookUpText;
};

// What the sheet's display flags say about hidden kinds.
struct SearchView {
  bool townsAndVillagesShown = true;  // [DISPCG_ITEM] TOWN and VILL both "1"
  bool abolishedHidden = false;       // [DISPCG_ITEM] DelQTH "1"
  int32_t firstDxRow = 0;             // grid row of the first DX row; 0 when none
};

// The box text changed (typed or written by another window). SearchStartRow is reset to 1 first.
SearchOutcome SearchBoxChanged(const QString& boxText, const SearchRows& rows, const SearchView& view);
// Down / PageDown (next = true) or Up / PageUp.
SearchOutcome SearchStep(const QString& boxText, bool next, const SearchRows& rows, const SearchView& view);
// Double click: the next DX candidate after the last row found.
SearchOutcome SearchNextDxCandidate(const QString& boxText, const SearchRows& rows);
