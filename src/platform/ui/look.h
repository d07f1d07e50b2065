#pragma once
// The program's look, set once by main() after the QApplication exists: a Japanese desktop font at
// the size the window layouts were drawn for (9 pt), so captions fit the twips the windows give them.
//
//   QApplication app(argc, argv);
//   ApplyDesktopLook(app);

class QApplication;

void ApplyDesktopLook(QApplication& app);
