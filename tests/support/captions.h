#pragma once
// What the operator cannot read, with the program's font and style installed (DesktopLook): a caption
// (label, button, check or option box, frame title) cut off or lying under another control, a grid
// heading or cell wider than its column, a menu-bar menu off the bar.
//
//   DesktopLook look;
//   EXPECT_TRUE(CutCaptions(window).isEmpty());   // one line per fault: "title: 'caption' needs .."
//   EXPECT_EQ(CaptionCut(sheet.Label6), "");
//   EXPECT_EQ(CellCut(grid, 1, 3), "");

#include <QFont>
#include "support/qt_print.h"

class QWidget;
class FlexGrid;
class StatusBar;

// The program's look for as long as it lives (the test fails when its font is not installed).
class DesktopLook {
 public:
  DesktopLook();
  ~DesktopLook();
  DesktopLook(const DesktopLook&) = delete;
  DesktopLook& operator=(const DesktopLook&) = delete;

 private:
  QFont before_;
};

QString CaptionCut(const QWidget& control);  // empty when it shows whole
QStringList CutCaptions(QWidget& window);
QString CellCut(const FlexGrid& grid, int row, int col);  // row 0: the heading
// A wait's note (the status bar's PanelText of `panel` while it stands): empty when it shows whole on its
// line, else what it needs.
QString NoteCut(const StatusBar& bar, int panel);
