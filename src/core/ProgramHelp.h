#pragma once
// The program's help and the window snapshot, shared by the start window and the settings dialog.

#include <QString>

// The compiled help file when one is set, else the classic help file of the program folder; a help
// that cannot be opened is told.
void OpenProgramHelp();

// Saves the picture now on the clipboard as `fileName` in the data folder and empties the clipboard
// (the operator's Alt+P); nothing happens when the clipboard holds no picture.
void SaveClipboardSnapshot(const QString& fileName);
