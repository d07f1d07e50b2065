#pragma once
// What the entry window and the log viewer share when they hand QSOs to an electronic-QSL service:
// the save dialog of the service's file, the start of the QSOBank upload program, the question that
// follows an eQSL file, the service switch; and the entry window's whole export.
//
//   // TEMP_LOG: Command8/Command9 set the marks (logbook/EqslExport.h), Command7's left button:
//   ExportEqslFromEntry(CommonDialog1, shownQso, shownRecNo);
//   Command7.setText(SwitchEqslService());                 // its right button

#include <QString>
#include <QWidget>
#include <cstdint>

#include "logbook/EqslFiles.h"
#include "platform/ui/dialogs.h"

// "eQSLcc" or "QSOBank", after the service setting in memory.
QString EqslServiceCaption();
// Switches the service in memory (the settings file keeps its value); the new caption.
QString SwitchEqslService();

// The folder part of a chosen file's path (before its last separator); "" when it has none.
QString FolderOfChosenFile(const QString& path);

// The save dialog of the current service's file, opened in the folder last used for it (else the data
// folder), which it stores back. The chosen path; "" when the operator cancelled.
QString ChooseEqslFile(CommonDialog& dialog, const QString& proposedName);

// Starts the upload program [E-QSL] PutQSOData with the file as its one argument. "" when started,
// else what to tell the operator (the file stays); `task` gets the process id.
QString StartQsoBankUpload(const QString& path, int64_t& task);

// After an eQSL file: asks whether to connect to the eQSL site now. Yes opens the program folder's
// shortcut: false when that failed. No tells where the file is, with `savedSuffix` after its path.
bool OfferEqslSite(const QString& path, const QString& savedSuffix);

// Opens one of the program folder's internet shortcuts ("eQSLcchomepage.url", "QSOBANK.url"); the
// shell's result (above 32 = opened).
int OpenServiceShortcut(const QString& name);
// The entry window's menus GOEQSL and GOQSOBANK: the shortcut opened, or "ＵＲＬが開けませんでした".
void GoToServiceSite(const QString& shortcutName);

// The entry window's export (its Command7, left button): the shown QSO or the marked run of records
// to the current service's file, then the upload program or the eQSL question. `shown` holds the
// window's fields; nothing is done without a call sign or a frequency.
void ExportEqslFromEntry(CommonDialog& dialog, const EqslQso& shown, int32_t shownRecNo);
