#include "awards/TextTable.h"

#include <cmath>

#include "platform/vbfile.h"
#include "platform/vbnumber.h"

double CellValue(const QString& text) { return VbVal(text); }

QString CellText(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
    return QString::number(static_cast<long long>(value));
  return QString::number(value, 'g', 15);
}

bool WriteTextLines(const QString& path, const QStringList& lines, QString* error) {
  VbFile f(path, VbMode::Output);
  bool ok = f.IsOpen();
  for (qsizetype i = 0; ok && i < lines.size(); ++i) ok = f.Print({lines[i]});
  if (ok) ok = f.Close();
  if (!ok) {
    if (error) *error = f.ErrorText();
    f.Abandon();
  }
  return ok;
}
