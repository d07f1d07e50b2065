#include "platform/ui/look.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

void ApplyDesktopLook(QApplication& app) {
  QApplication::setApplicationName(QStringLiteral("ORBEX5"));
  QFont font = QApplication::font();
  for (const char* family : {"Noto Sans CJK JP", "IPAPGothic", "IPAGothic", "VL PGothic", "TakaoPGothic"}) {
    if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
      font.setFamily(QString::fromLatin1(family));
      break;
    }
  }
  font.setPointSize(9);
  app.setFont(font);
}
