#pragma once
// The program's look, set once by main() after the QApplication exists: a Japanese desktop font at
// the size the window layouts were drawn for (9 pt) and one widget style with the Windows desktop's
// box sizes, so captions fit the twips the windows give them on any desktop.
//
//   QApplication app(argc, argv);
//   ApplyDesktopLook(app);

#include <QString>

class QApplication;

void ApplyDesktopLook(QApplication& app);
// The font family the look uses: the first installed of the Japanese desktop fonts it knows.
QString DesktopFontFamily();
