#include "lookup/DateCheck.h"

#include "platform/vbdate.h"

bool CheckDateText(const QString& text) {
  const qsizetype n = text.size();
  if (n != 6 && n != 8) return false;
  for (QChar c : text)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  const int yearDigits = n == 6 ? 2 : 4;
  // Years below 100 do not exist for the runtime's dates; "0024" is no year.
  if (n == 8 && text.left(4).toInt() < 100) return false;
  const QString joined = text.left(yearDigits) + QLatin1Char('/') + text.mid(yearDigits, 2) + QLatin1Char('/') +
                         text.mid(yearDigits + 2, 2);
  return VbDateValue(joined).has_value();
}
