#include "outputs/ListFiles.h"

const QString kNoHamlogMessage = QStringLiteral("HAMLOGデータがOpen出来ません。");
const QString kNoBandMessage = QStringLiteral("バンドを一つ選んでからGOを押して下さい");

bool PrintZoned(VbFile& file, const QList<VbItem>& items) {
  QList<VbItem> line;
  for (const VbItem& item : items) {
    if (!line.isEmpty()) line << VbItem(PrintZone);
    line << item;
  }
  return file.Print(line);
}
