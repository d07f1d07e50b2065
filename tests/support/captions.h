#pragma once
// What the operator cannot read of a window's captions: labels, buttons, check and option boxes, frame
// titles and menu-bar menus whose text is cut off at the size the window has now, drawn with the
// font the program installs (ApplyDesktopLook).
//
//   DesktopLook look;                        // the program's font for as long as it lives
//   EXPECT_EQ(CutCaptions(window), QStringList());
//   EXPECT_TRUE(CaptionFits(sheet.Label6));  // one control, after the window wrote its text
//   EXPECT_EQ(CellCut(grid, 1, 3), "");        // a grid cell's text within its column

#include <QFont>
#include <QStringList>

class QWidget;
class FlexGrid;

// Installs the program's desktop font; puts back the one before when it goes.
class DesktopLook {
 public:
  DesktopLook();
  ~DesktopLook();
  DesktopLook(const DesktopLook&) = delete;
  DesktopLook& operator=(const DesktopLook&) = delete;

 private:
  QFont before_;
};

// Empty when the control's caption is shown whole (a control with no caption fits); else says why.
QString CaptionCut(const QWidget& control);
inline bool CaptionFits(const QWidget& control) { return CaptionCut(control).isEmpty(); }
// Every shown control of `window` whose caption is cut, and every menu-bar menu that does not fit on
// the bar, one line each: "window: control 'caption': why".
QStringList CutCaptions(QWidget& window);

// Empty when the text of a grid cell shows whole in its column (as the grid draws it, with its
// margins); else says why.
QString CellCut(const FlexGrid& grid, int row, int col);
