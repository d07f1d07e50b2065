#include "platform/vbnumber.h"

#include <cmath>

double VbVal(const QString& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  const qsizetype start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false;
  while (i < n && text[i].isDigit() && text[i].unicode() < 128) ++i, digits = true;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) ++i, digits = true;
  }
  if (!digits) return 0;
  qsizetype end = i;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    qsizetype j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < n && text[j].isDigit()) {
      while (j < n && text[j].isDigit()) ++j;
      end = j;
    }
  }
  return QStringView(text).mid(start, end - start).toDouble();
}

bool IsNumericText(const QString& text) {
  bool ok = false;
  const QString t = text.trimmed();
  if (t.isEmpty()) return false;
  t.toDouble(&ok);
  return ok;
}

int64_t VbValBytes(QByteArrayView text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (v > (int64_t(1) << 56)) break;  // far beyond any record number or date
    v = v * 10 + (text[i] - '0');
  }
  return negative ? -v : v;
}

std::optional<int32_t> WholeNumber(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  for (QChar c : t)
    if (!(c.isDigit() || c == u'.' || c == u'-' || c == u'+')) return std::nullopt;
  bool ok = false;
  const double x = t.toDouble(&ok);
  if (!ok) return std::nullopt;
  const double r = std::nearbyint(x);  // half to even
  if (r < INT32_MIN || r > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(r);
}

QString VbStr(int64_t n) { return n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n); }
