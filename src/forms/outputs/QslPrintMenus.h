#pragma once
// The QSL print menus of the log window, the log viewer and the QSO window: the MMQSL layout-file
// choice (menus QSLform "QSL定義体" / "ＱＳＬ定義体") and the print of the QSO a grid row shows.
//
//   QSLform.Click = [this] { ChooseMmqslLayoutFile(CommonDialog1); };
//   QSLPRN.Click = [this] { if (PrintQslOfPickedRow(MSFlexGrid1, 0, PrintRecNo)) QSLPRN.SetEnabled(false); };

#include <cstdint>

#include "outputs/QslPrint.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/flexgrid.h"

// The window's file dialog; the chosen *.MQL stored in [ORB] MMQSL. True when a file was chosen and
// stored; Cancel changes nothing.
bool ChooseMmqslLayoutFile(CommonDialog& dialog);

// The card of a row of the 19 QSO columns (call 1, date 3, time 4, his RST 5, frequency 7, mode 8,
// name 11, QTH 12, QSL via, sent, received 13-15, remarks 16 and 17), the cells' trailing blanks cut.
QslCardQso QslCardOfGridRow(const FlexGrid& grid, int row, int32_t recNo);

// Prints the card of record recNo from the row that shows it (its number in `recNoColumn`); a sent mark
// set in HAMLOG shows in the row's "S" column. True when the pick is used up: the card went to the QSL
// program, or no row shows the record any more (the page changed since the pick; nothing printed).
// False when the print failed (said): the operator may set the program and try again.
bool PrintQslOfPickedRow(FlexGrid& grid, int recNoColumn, int32_t recNo);
