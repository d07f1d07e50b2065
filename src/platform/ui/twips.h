#pragma once
// Sizes and positions in twips, as the window code keeps them (1440 per inch: 15 per pixel at 96 DPI).
//
//   int px = TwipsToPx(1200);            // 80 at 96 DPI
//   int tw = PxToTwips(widget.width());
//   QPoint p = PlaceOnScreen(storedTop, storedLeft);   // where a window with stored twips goes
//
// The DPI is the primary screen's logical DPI, so a larger desktop font scale gives larger windows.

#include <QPoint>
#include <cstdint>
#include <optional>

// Twips per pixel on the primary screen (15 at 96 DPI). Never below 1.
int TwipsPerPixel();

int PxToTwips(int px);
int TwipsToPx(int twips);
double PxToTwipsF(double px);

// The primary screen's size in twips (VB's Screen.Width / Screen.Height).
int ScreenWidthTwips();
int ScreenHeightTwips();
// The size in twips of the desktop all screens make together.
int DesktopWidthTwips();
int DesktopHeightTwips();

// The place rule for windows that remember their position: a missing or negative top puts the window
// at 0, 0; a top at or beyond the screen height becomes 0, and so does a left at or beyond the screen
// width. A negative left with a valid top is kept (callers whose rule also clears it do that
// themselves). Result: x = left, y = top, both in twips.
QPoint PlaceOnScreen(std::optional<int32_t> top, int32_t left);
