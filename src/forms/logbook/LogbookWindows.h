#pragma once
// Connects the QSO lists and lookups of the logbook to the windows of the other subsystems.

#include <QString>

// What the logic below tells the entry window: a stored QSO to show, the station's local time.
void ConnectLogbookWindows();

// A QSO list used the shared record block for its own QSOs: the stored record the entry window shows
// is read again, so that a save writes what the window shows.
void ReloadCurrentQso();

// The DX code search of the entry window's call box (its Down key): one entity goes into the entry
// window's code and QTH boxes and the sheet's search box at once; several are listed in the code list
// for the operator to pick.
void SearchDxCodeToWindows(const QString& callText);
