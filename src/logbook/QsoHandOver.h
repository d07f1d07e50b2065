#pragma once
// Handing a stored QSO to the entry window: every field of the record in Hamlog.Thw taken at once,
// with the byte copy of the record that the entry window's save later gives HAMLOG as the old record.
// The entry window sets its edit state and keeps the copy only when the whole QSO came over, so a
// failed hand-over can never leave a half-filled window that a save would write over a stored record.

#include <cstdint>
#include <optional>

#include "logbook/QsoEntry.h"
#include "platform/hamlog/hamlog.h"

struct StoredQso {
  int32_t recNo = 0;
  QsoEntry entry;     // the fields as the window shows them (HamlogRecordWriter's EntryOfRecord)
  ThwRecord backup{};
};

// Nothing when the block holds no record or a field cannot be taken. QsoRules.QslFlagText becomes the
// record's own flags (blank for a code outside the table, never those of the record read before).
std::optional<StoredQso> TakeStoredQso();

// What ReloadCurrentQso reads: HAMLOG closed, opened again ("HAMLOGデータがOpen出来ません。" when it
// does not open) and the record read into Hamlog.Thw; HAMLOG stays open. False when either failed
// (HAMLOG closed again, the read failure unsaid).
bool ReadRecordAgain(int32_t recNo);
