#pragma once
// The 19-column QSO grid that the QSO window and the log viewer share: headings, default widths and the
// column widths kept in [LogDisp] COLWIDTH0 .. COLWIDTH18.

#include <array>

#include "platform/ui/flexgrid.h"

// Date and Band wide enough for "2024/05/06" and "10368.000" in the desktop font.
inline constexpr std::array<int, 19> kLogGridWidths = {815, 1290, 0,   960,  720, 405, 405,  870,  570, 720,
                                                       815, 960,  1920, 405, 330, 330, 1920, 1920, 0};

// Headings of row 0; column 2 has none. `first` and `last` are the headings of columns 0 and 18.
void SetLogGridHeadings(FlexGrid& grid, const QString& first, const QString& last);

// Widths of columns 0 .. 17 from [LogDisp]. `allOrNothing`: unless every key is there, all defaults
// (the viewer); otherwise only a missing COLWIDTH0 gives the defaults and a later missing key hides its
// column (the QSO window). Column 18 is left as it is when stored widths are used. False when the
// defaults were applied.
bool ApplyStoredColumnWidths(FlexGrid& grid, bool allOrNothing, int column18Default);

// Writes the widths of columns 0 .. last to [LogDisp].
void SaveColumnWidths(const FlexGrid& grid, int last);

// One wheel notch moves the top row by one (forward: towards row 1), or with Shift held the leftmost
// shown column.
void ScrollByWheel(FlexGrid& grid, int delta, int32_t shiftHeld);
