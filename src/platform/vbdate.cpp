#include "platform/vbdate.h"

int VbCentury(int twoDigitYear) { return twoDigitYear < 30 ? 2000 + twoDigitYear : 1900 + twoDigitYear; }

std::optional<QDate> VbDateValue(const QString& text) {
  // Three runs of digits joined by one kind of separator ("/", "-" or "."); read without allocating,
  // as every record of the log passes here.
  const QStringView t = QStringView(text).trimmed();
  int value[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int part = 0;
  QChar sep;
  for (QChar c : t) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
      if (++digits[part] > 4) return std::nullopt;
      value[part] = value[part] * 10 + (u - u'0');
    } else if (u == u'/' || u == u'-' || u == u'.') {
      if (sep.isNull()) sep = c;
      if (c != sep || digits[part] == 0 || ++part > 2) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (part != 2 || digits[2] == 0) return std::nullopt;
  int year = value[0];
  if (digits[0] <= 2)
    year = VbCentury(year);
  else if (digits[0] != 4)
    return std::nullopt;
  const QDate d(year, value[1], value[2]);
  if (!d.isValid()) return std::nullopt;
  return d;
}

bool IsEightDigitDate(const QString& text) {
  if (text.size() != 8) return false;
  for (QChar c : text)
    if (c < u'0' || c > u'9') return false;
  return QDate(text.left(4).toInt(), text.mid(4, 2).toInt(), text.mid(6, 2).toInt()).isValid();
}
