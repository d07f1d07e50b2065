#include "logbook/QsoHandOver.h"

#include "core/HamlogAccess.h"
#include "core/QsoRules.h"
#include "logbook/QsoRow.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"

namespace {

bool take(int field, QString& out) {
  out.clear();
  if (ThwString(out, Hamlog.Thw, field) != 0) return false;
  out.remove(QChar(0));
  return true;
}

QString trimmedRight(QString s) {
  while (s.endsWith(' ')) s.chop(1);
  return s;
}

}  // namespace

std::optional<StoredQso> TakeStoredQso() {
  ClearQsoFieldBuffers();
  QString text[17];
  for (int f : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16})
    if (!take(f, text[f])) return std::nullopt;
  QString number;
  const int32_t recNo = ThwString(number, Hamlog.Thw, 27);
  if (recNo < 1) return std::nullopt;

  StoredQso q;
  q.recNo = recNo;
  q.call = trimmedRight(text[0]);
  // The row reader's date rule: "yyyy-mm-dd" for a date, the stored text otherwise.
  q.date = QsoRowOfRecord(recNo, {'-', false})[3];
  q.time = text[3];
  q.hisRst = trimmedRight(text[4]);
  q.myRst = trimmedRight(text[5]);
  q.freq = trimmedRight(text[6]);
  q.mode = text[7];
  q.code = trimmedRight(text[8]);
  q.grid = trimmedRight(text[9]);
  const QString qsl = text[10].leftJustified(3, ' ');
  q.qslVia = QString(qsl.at(0)).remove(' ');
  q.qslSent = QString(qsl.at(1)).remove(' ');
  q.qslReceived = QString(qsl.at(2)).remove(' ');
  q.name = trimmedRight(text[11]);
  q.qth = trimmedRight(text[12]);
  q.remarks1 = trimmedRight(text[13]);
  q.remarks2 = trimmedRight(text[14]);
  // A code outside the table must not leave the flags of the record read before.
  QsoRules.QslFlagText = "    ";
  QslFlagsToText(text[16].trimmed());
  q.qslFlagText = QsoRules.QslFlagText;
  q.dxFlag = q.qslFlagText.contains('D');
  q.backup = Hamlog.Thw;
  return q;
}

bool ReadRecordAgain(int32_t recNo) {
  HamlogCloseDb(0);
  DoEvents();
  Hamlog.LastResult = HamlogOpenDb();
  if (Hamlog.LastResult != 0) {
    MsgBox(QString::fromUtf8("HAMLOGデータがOpen出来ません。"));
    return false;
  }
  Hamlog.LastResult = THW_read(Hamlog.Thw, recNo, 3);
  return Hamlog.LastResult == 0;
}
