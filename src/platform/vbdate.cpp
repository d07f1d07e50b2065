#include "platform/vbdate.h"

#include <QStringList>

int VbCentury(int twoDigitYear) { return twoDigitYear < 30 ? 2000 + twoDigitYear : 1900 + twoDigitYear; }

std::optional<QDate> VbDateValue(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  const QChar sep = t.contains('/')   ? QChar('/')
                    : t.contains('-') ? QChar('-')
                    : t.contains('.') ? QChar('.')
                                      : QChar();
  if (sep.isNull()) return std::nullopt;
  const QStringList parts = t.split(sep);
  if (parts.size() != 3) return std::nullopt;
  int v[3];
  for (int i = 0; i < 3; ++i) {
    const QString& p = parts[i];
    if (p.isEmpty() || p.size() > 4) return std::nullopt;
    for (QChar c : p)
      if (!c.isDigit() || c.unicode() > '9') return std::nullopt;
    v[i] = p.toInt();
  }
  int year = v[0];
  if (parts[0].size() <= 2)
    year = VbCentury(year);
  else if (parts[0].size() != 4)
    return std::nullopt;
  const QDate d(year, v[1], v[2]);
  if (!d.isValid()) return std::nullopt;
  return d;
}
