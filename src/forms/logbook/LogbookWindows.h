#pragma once
// Connects the QSO lists and lookups of the logbook to the windows of the other subsystems.

#include <QString>

// The code list's local time and QSL-check mode come from the logbook.
void ConnectLogbookWindows();

// The DX code search of the entry window's call box (its Down key): one entity goes into the entry
// window's code and QTH boxes and the sheet's search box at once; several are listed in the code list
// for the operator to pick.
void SearchDxCodeToWindows(const QString& callText);
