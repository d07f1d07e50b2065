#pragma once
// The progress work file's builder: extracts the HAMLOG QSOs that pass the reading conditions into
// DMYDBS.DAT (anew, or after [ORB] LASTP when SheetTally.AppendRead is 1), or keeps the previous file
// when "前回データで起動" is ticked; sorts it, collates it with MasterTable and fills the sheet. An append
// to a file in the builder's own sorted form sorts only its new lines, merges them in, and collates and
// redraws only the cells they reach.
//
// The new file and LASTP are committed together only when the extraction ran to its end: an Esc or a
// failure leaves the previous file and LASTP as they were, sets SheetTally.ReadFailed to 1 and
// StartFlags.ReadStatusCode to its reason (SheetTally.h).

#include <QString>

#include "sheet/SheetProgress.h"

void BuildDmyDbs(SheetProgress& progress = SilentSheetProgress());

// How the QSOs are taken from HAMLOG: the whole-log reader (the records read in parallel ranges, the
// lines made from their bytes) or record by record through the access layer's readers. Both give the
// same work file; the second is kept as the reference the first is checked against.
enum class DmyDbsExtraction { WholeLog, PerRecord };
inline DmyDbsExtraction DmyDbsExtractionPath = DmyDbsExtraction::WholeLog;

// Whether a QSO now in Qso passes the reading conditions (band, code, mode, excluded QSL kinds;
// the date is tested apart).
bool QsoPassesConditions();
// Whether a logged mode is one the reading conditions select: any for "MIX", one of the digital
// modes for "DIGITAL", else that mode alone.
bool ModeIsSelected(const QString& mode);
