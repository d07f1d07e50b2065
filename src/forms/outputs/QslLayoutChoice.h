#pragma once
// The MMQSL layout-file choice of the log window, the log viewer and the QSO window (their menus
// QSLform "QSL定義体" / "ＱＳＬ定義体"): the window's file dialog, the chosen *.MQL stored in [ORB] MMQSL.
//
//   QSLform.Click = [this] { ChooseMmqslLayoutFile(CommonDialog1); };
//   QSLprnt.Click = [this] { if (PrintQslCard(qsoOfSelectedRow()) ...) QSLprnt.SetEnabled(false); };

#include <QWidget>

#include "platform/ui/dialogs.h"

// True when a file was chosen and stored; Cancel changes nothing.
bool ChooseMmqslLayoutFile(CommonDialog& dialog);
