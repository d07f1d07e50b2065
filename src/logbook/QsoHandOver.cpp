#include "logbook/QsoHandOver.h"

#include "core/HamlogAccess.h"
#include "core/QsoRules.h"
#include "logbook/HamlogRecordWriter.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"

std::optional<StoredQso> TakeStoredQso() {
  QString text;
  for (int f : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16})
    if (ThwString(text, Hamlog.Thw, f) != 0) return std::nullopt;
  const int32_t recNo = ThwString(text, Hamlog.Thw, 27);
  if (recNo < 1) return std::nullopt;
  ClearQsoFieldBuffers();
  QsoRules.QslFlagText = "    ";
  return StoredQso{recNo, EntryOfRecord(Hamlog.Thw), Hamlog.Thw};
}

bool ReadRecordAgain(int32_t recNo) {
  HamlogCloseDb(0);
  DoEvents();
  Hamlog.LastResult = HamlogOpenDb();
  if (Hamlog.LastResult != 0) {
    MsgBox(WithOpenFailureCause(QString::fromUtf8("HAMLOGデータがOpen出来ません。")));
    return false;
  }
  Hamlog.LastResult = THW_read(Hamlog.Thw, recNo, 3);
  if (Hamlog.LastResult == 0) return true;
  // Left open, HAMLOG would turn the next station list away as busy.
  HamlogCloseDb(0);
  return false;
}
