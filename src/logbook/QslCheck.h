#pragma once
// QSL-check mode: marking a card received in HAMLOG, and what the progress sheet needs to follow the
// picked QSO's code and to greet a band not yet confirmed.

#include <QString>
#include <cstdint>

#include "platform/hamlog/hamlog.h"

struct QslCheckStateValues {
  QString QslCheckCode;          // code of the picked QSO, cut to the form the sheet shows
  int32_t SheetFoundRow = 0;     // sheet row that holds it
  int32_t SkipNewBandCheck = 0;  // 1 = the next mark skips the new-band check
};
extern QslCheckStateValues QslCheck;

// Marks record recNo's QSL received with the first character of the first received mark; HAMLOG must
// be open. False, after a message, when HAMLOG refused (no mark set, record gone, file not written).
// With `picked`, only while the record still holds that QSO (HAMLOG_STALE in Hamlog.LastResult when not).
bool MarkQslReceived(int32_t recNo, const PickedQso* picked = nullptr);

// The code as the sheet shows it while towns, villages or wards are hidden. `skip` is set when DX
// entities are hidden and the code is one (no sheet row to follow).
QString CodeAsSheetShows(const QString& code, bool& skip);

// The sheet column of the band of a frequency text when the new-band check applies to it: the code
// has 4 characters at least and the mode is the reading mode (or that is "MIX"); 0 otherwise.
int32_t NewBandCheckColumn(const QString& code, const QString& freq, const QString& mode);
