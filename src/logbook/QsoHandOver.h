#pragma once
// Handing a stored QSO to the entry window: every field of the record in Hamlog.Thw taken at once,
// with the byte copy of the record that the entry window's save later gives HAMLOG as the old record.
// The entry window sets its edit state and keeps the copy only when the whole QSO came over, so a
// failed hand-over can never leave a half-filled window that a save would write over a stored record.

#include <QString>
#include <cstdint>
#include <optional>

#include "platform/hamlog/hamlog.h"

struct StoredQso {
  int32_t recNo = 0;
  QString call;      // trimmed
  QString date;      // "yyyy-mm-dd" (as stored when it is no date)
  QString time;      // the 6 characters as stored: "hh:mm" and "J" or "U"
  QString hisRst, myRst, freq;
  QString mode;      // the 16-character field as stored (the mode list is searched with it trimmed)
  QString code, grid;
  QString qslVia, qslSent, qslReceived;  // each with blanks removed
  QString name, qth, remarks1, remarks2;
  QString qslFlagText;  // the record's QSL flags as "D", "C", "1", "2" at their places
  bool dxFlag = false;  // the flag text holds "D"
  ThwRecord backup{};
};

// Nothing when the block holds no record or a field cannot be taken.
std::optional<StoredQso> TakeStoredQso();

// What ReloadCurrentQso reads: HAMLOG closed, opened again ("HAMLOGデータがOpen出来ません。" when it
// does not open) and the record read into Hamlog.Thw; HAMLOG stays open. False when either failed.
bool ReadRecordAgain(int32_t recNo);
