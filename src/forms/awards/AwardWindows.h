#pragma once
// What the totals window and the award book share: their snapshot file, their remembered place, their
// help, and copying a table of the award logic into a grid.

#include <QPoint>
#include <QString>
#include <QStringList>

#include "awards/TextTable.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"

// Saves a picture of the window as DataFolder\<fileName> and tells the operator where it went, or that
// it could not be written.
void SnapshotToDataFolder(VbForm& window, const QString& fileName);
// Alt+P in the window: a picture on the clipboard goes into `picture` and becomes DataFolder\<fileName>.
void SaveClipboardSnapshot(PictureBox& picture, const QString& fileName);
// Moves the window to the place stored under [ORBEXPOS] <prefix>Top / <prefix>Left, in twips: a top
// or left beyond the screen gives 0; with a missing or negative top the window opens beside its opener
// (VbForm::MoveToStoredPlace). A stored number out of its range is added to `unusable` and its default
// taken; the other calls show such numbers themselves.
void MoveToStoredWindowPlace(VbForm& window, const QString& prefix, QStringList& unusable);
void PlaceStoredWindow(VbForm& window, const QString& prefix);
void StoreWindowPlace(const VbForm& window, const QString& prefix);
// The stored place, and the size stored under <prefix>Width / <prefix>Height when both are there (else
// the default size). The stored texts of the size, "" when missing, go to `width` and `height`.
void PlaceAndSizeStoredWindow(VbForm& window, const QString& prefix, int defaultWidth, int defaultHeight,
                              QString* width = nullptr, QString* height = nullptr);
// The QSO panel of an award sheet: call, date, mode and band on the first line, the QTH below.
void LayOutQsoPanel(QWidget& frame, QWidget& call, QWidget& date, QWidget& mode, QWidget& band, QWidget& qth);
// Every cell of the table into the grid, in one pass.
void CopyTableToGrid(const TextTable& table, FlexGrid& grid);
// The window is as wide as the grid and its margin, or the screen with the grid narrowed to fit.
void FitWindowToGrid(VbForm& window, FlexGrid& grid, int gridWidth);
// The text of the version boxes: "ORBEX5 Ver " major "." minor (two digits), then the revision in
// hexadecimal when it is not 0.
QString VersionMessageText();
// Hands the sheet's outputs the windows of the award views (the record book).
void ConnectAwardWindows();
