#include "forms/logbook/LogGridLayout.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/SettingsStore.h"
#include "platform/vbnumber.h"

namespace {

const char* const kHeadings[19] = {"",    "CallSign", "",    "Date", "Time", "His", "My",   "Band", "Mode", "Code",
                                   "GLoc", "Name",     "QTH", "QSL",  "S",    "R",   "Rem1", "Rem2", ""};

QString key(int i) { return "COLWIDTH" + QString::number(i); }

}  // namespace

void SetLogGridHeadings(FlexGrid& grid, const QString& first, const QString& last) {
  for (int c = 1; c < 18; ++c)
    if (c != 2) grid.SetTextMatrix(0, c, QString::fromLatin1(kHeadings[c]));
  grid.SetTextMatrix(0, 0, first);
  grid.SetTextMatrix(0, 18, last);
}

bool ApplyStoredColumnWidths(FlexGrid& grid, bool allOrNothing, int column18Default) {
  std::array<std::optional<QString>, 18> stored;
  bool complete = true;
  for (int i = 0; i < 18; ++i) {
    stored[i] = ReadIniKey("LogDisp", key(i));
    if (!stored[i]) complete = false;
  }
  if (!stored[0] || (allOrNothing && !complete)) {
    for (int c = 0; c < 18; ++c) grid.SetColWidth(c, kLogGridWidths[c]);
    grid.SetColWidth(18, column18Default);
    return false;
  }
  // An empty width hides its column, as a missing one does.
  QStringList unusable;
  for (int i = 0; i < 18; ++i)
    grid.SetColWidth(i, stored[i] && !stored[i]->trimmed().isEmpty()
                            ? StoredWindowTwips("LogDisp", key(i), *stored[i], kLogGridWidths[i], WindowTwips::Width,
                                                unusable)
                            : 0);
  ReportUnusableSettings(unusable);
  return true;
}

void SaveColumnWidths(const FlexGrid& grid, int last) {
  for (int i = 0; i <= last; ++i) WriteIni("LogDisp", key(i), QString::number(grid.ColWidth(i)));
}

void ScrollByWheel(FlexGrid& grid, int delta, int32_t shiftHeld) {
  const int step = delta > 0 ? -1 : delta < 0 ? 1 : 0;
  if (shiftHeld == 1)
    grid.SetLeftCol(std::clamp(grid.LeftCol() + step, grid.FixedCols(), std::max(grid.FixedCols(), grid.Cols() - 1)));
  else
    grid.SetTopRow(std::clamp(grid.TopRow() + step, 1, std::max(1, grid.Rows() - 1)));
}
