#include "platform/ui/look.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QProxyStyle>
#include <QStyleFactory>

namespace {

// One style on every desktop, with the check and option boxes of the Windows desktop the window
// layouts were drawn on (a 13-pixel box and the caption 4 pixels after it, menu-bar menus side by
// side) and the grid's text 2 pixels from the cell's edges.
class DesktopStyle : public QProxyStyle {
 public:
  DesktopStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    switch (metric) {
      case PM_IndicatorWidth:
      case PM_IndicatorHeight:
      case PM_ExclusiveIndicatorWidth:
      case PM_ExclusiveIndicatorHeight:
        return 13;
      case PM_CheckBoxLabelSpacing:
      case PM_RadioButtonLabelSpacing:
        return 4;
      case PM_FocusFrameHMargin:  // the item views' text margin is this and one pixel
        return 1;
      case PM_MenuBarItemSpacing:  // menu-bar menus side by side, their padding the only space
        return 0;
      default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
  }
};

}  // namespace

QString DesktopFontFamily() {
  // The windows' twips were laid out for the Windows desktop's Japanese font: IPA Gothic has its line
  // height and its 6-pixel digits at 9 pt; the others draw wider numbers or taller lines, so they only
  // stand in.
  for (const char* family : {"IPAGothic", "IPAPGothic", "TakaoPGothic", "VL PGothic", "Noto Sans CJK JP"}) {
    if (QFontDatabase::hasFamily(QString::fromLatin1(family))) return QString::fromLatin1(family);
  }
  return QApplication::font().family();
}

void ApplyDesktopLook(QApplication& app) {
  QApplication::setApplicationName(QStringLiteral("ORBEX5"));
  QApplication::setStyle(new DesktopStyle);
  QFont font = QApplication::font();
  font.setFamily(DesktopFontFamily());
  font.setPointSize(9);
  app.setFont(font);
}
