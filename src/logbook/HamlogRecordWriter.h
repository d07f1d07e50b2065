#pragma once
// The one place where the entry window's QSO goes into HAMLOG.HDB: the fields into the record block,
// then an append of a new QSO or an update of the shown one (refused when the stored record is no
// longer the one shown). Also the record read back into the window's fields, the deletion of the
// shown record and the rebuild of HAMLOG's index files.
//
//   EntryWrite w = WriteHamlogRecord(entry, /*storedRecord=*/false, shownRecNo, backup);
//   if (w.result != 0) ... said nothing; the window keeps what was typed ...

#include <QString>
#include <cstdint>

#include "logbook/QsoEntry.h"
#include "platform/hamlog/hamlog.h"

struct EntryWrite {
  int32_t result = 0;  // the library's answer; 0 = written, HAMLOG_UNCONFIRMED = written, not confirmed
  // In the log, confirmed or not: the window takes the QSO as saved (a second save would store it twice).
  bool Stored() const { return result == 0 || result == HAMLOG_UNCONFIRMED; }
  int32_t recNo = 0;   // the record written (after an append: the record count)
  bool added = false;  // an append that made the log grow
};

// Fills Hamlog.Thw from the entry (QsoRules.QslFlagCode from the "D" box and the last three flags of
// QsoRules.QslFlagText) and appends it, or updates record `shownRecNo` against `backup`. HAMLOG must
// be open; it is closed afterwards on every path.
EntryWrite WriteHamlogRecord(const QsoEntry& entry, bool storedRecord, int32_t shownRecNo, const ThwRecord& backup);

// The record in the block as the window shows it; QsoRules.QslFlagText follows its flag code.
QsoEntry EntryOfRecord(const ThwRecord& thw);

// Is record recNo of the open log still the record read into `shown`?
bool RecordStillShown(int32_t recNo, const ThwRecord& shown);

// Deletes record recNo from the open log when it is still the record in `shown`, and packs the log.
enum class DeleteOutcome { Deleted, Changed, Failed };
DeleteOutcome DeleteShownRecord(int32_t recNo, const ThwRecord& shown);

// Builds the index files beside HAMLOG.HDB anew, each keeping its owner, group and mode, and opens the
// log (which builds any still missing); the log is closed afterwards. False when an index could not be
// built (`why`: which and why, the old one left as it was) or the log could not be opened (`why` as it was).
bool RebuildHamlogIndexes(QString* why = nullptr);

// The window class of a running HAMLOG, the name it takes messages under.
inline constexpr const char* kHamlogWindowClass = "TThwin";
// Asks a running HAMLOG to read its data again ("%R", its Alt+R), so that it shows a QSO written here;
// nothing when HAMLOG does not run.
void RefreshHamlogWindow();
