#pragma once
// What the totals window and the award book share: their snapshot file, their remembered place, their
// help, and copying a table of the award logic into a grid.

#include <QPoint>
#include <QString>

#include "awards/TextTable.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"

// Saves a picture of the window as DataFolder\<fileName> and tells the operator where it went, or that
// it could not be written.
void SnapshotToDataFolder(VbForm& window, const QString& fileName);
// Alt+P in the window: a picture on the clipboard goes into `picture` and becomes DataFolder\<fileName>.
void SaveClipboardSnapshot(PictureBox& picture, const QString& fileName);
// The place stored under [ORBEXPOS] <prefix>Top / <prefix>Left, in twips: a missing or negative top
// gives 0, 0; a top or left beyond the screen gives 0.
QPoint StoredWindowPlace(const QString& prefix);
void PlaceStoredWindow(VbForm& window, const QString& prefix);
void StoreWindowPlace(const VbForm& window, const QString& prefix);
// The compiled help when there is one, else ORBEX5.HLP of the program folder.
void OpenAwardHelp();
// Every cell of the table into the grid, in one pass.
void CopyTableToGrid(const TextTable& table, FlexGrid& grid);
// The window is as wide as the grid and its margin, or the screen with the grid narrowed to fit.
void FitWindowToGrid(VbForm& window, FlexGrid& grid, int gridWidth);
