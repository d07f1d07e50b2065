#include "logbook/QslCheck.h"

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/ModeList.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/ui/msgbox.h"
#include "platform/vbnumber.h"

QslCheckStateValues QslCheck;

bool MarkQslReceived(int32_t recNo, const PickedQso* picked) {
  const QString mark = Settings.QslReceivedMarks[0].left(1);
  const QByteArray ansi = ToAnsi(mark);
  Hamlog.LastResult = mark.isEmpty() ? int32_t(HAMLOG_BAD_ARGUMENT)
                                     : QSL_Rcv(Hamlog.Thw, recNo, static_cast<unsigned char>(ansi[0]), picked);
  const int32_t result = Hamlog.LastResult;
  if (result == HAMLOG_UNCONFIRMED) {
    MsgBox(HamlogWriteFailureText(result, recNo));
    return true;
  }
  if (result != 0) {
    const QString why = result == HAMLOG_BAD_ARGUMENT ? QString() : "\r\n" + HamlogWriteFailureText(result, recNo);
    MsgBox(QString::fromUtf8("QSL受領マークを書き込めませんでした。（交信番号=") + QString::number(recNo) +
           QString::fromUtf8("）") + why);
    Hamlog.LastResult = result;
    return false;
  }
  return true;
}

QString CodeAsSheetShows(const QString& code, bool& skip) {
  skip = false;
  QString c = code;
  if ((DisplayItems.Town == "0" || DisplayItems.Vill == "0") && c.size() == 6 && c.back().unicode() >= 65 &&
      c.back().unicode() <= 122)
    c.truncate(5);
  if (DisplayItems.Ku == "0" && c.size() == 6 && c.back().isDigit()) c.truncate(4);
  if (DisplayItems.Dx == "0" && VbVal(c.left(3)) >= 500) skip = true;
  return c;
}

int32_t NewBandCheckColumn(const QString& code, const QString& freq, const QString& mode) {
  if (code.size() < 4) return 0;
  if (!ModeInReadingMode(mode, ReadConditions.SelMode)) return 0;
  return BandColumnOfLabel(BandLabelOf(freq.trimmed(), Settings.ExtendedBandSet == 1));
}
