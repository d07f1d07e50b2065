#pragma once
// Colours as the window code writes them: VB colour values &HBBGGRR (blue in the high byte), and the
// system colours &H80000000 + index, which follow the desktop's palette.
//
//   SetBackColor(Command3, 0xE0E0E0);     // grey
//   SetBackColor(Command3, 0x80C0FF);     // light orange (red FF, green C0, blue 80)
//   SetForeColor(Label5, vbRed);
//   if (BackColor(Text5) == 0xC0FFC0) ...
//
// Works on any widget: text boxes, lists and grids colour their field, buttons their face, labels,
// frames and check boxes their whole area.

#include <QColor>
#include <cstdint>

class QWidget;

constexpr int32_t vbBlack = 0x000000;
constexpr int32_t vbRed = 0x0000FF;
constexpr int32_t vbGreen = 0x00FF00;
constexpr int32_t vbYellow = 0x00FFFF;
constexpr int32_t vbBlue = 0xFF0000;
constexpr int32_t vbMagenta = 0xFF00FF;
constexpr int32_t vbCyan = 0xFFFF00;
constexpr int32_t vbWhite = 0xFFFFFF;
// System colours.
constexpr int32_t vbWindowBackground = static_cast<int32_t>(0x80000005u);
constexpr int32_t vbWindowText = static_cast<int32_t>(0x80000008u);
constexpr int32_t vbButtonFace = static_cast<int32_t>(0x8000000Fu);
constexpr int32_t vbButtonText = static_cast<int32_t>(0x80000012u);

// VB's RGB(r, g, b).
constexpr int32_t VbRgb(int r, int g, int b) { return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16; }

QColor VbColor(int32_t value);
int32_t ToVbColor(const QColor& c);

void SetBackColor(QWidget& w, int32_t value);
void SetForeColor(QWidget& w, int32_t value);
// The colour the widget shows now, as a VB value (a system colour reads back as its RGB value).
int32_t BackColor(const QWidget& w);
int32_t ForeColor(const QWidget& w);
