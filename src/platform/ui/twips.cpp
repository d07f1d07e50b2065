#include "platform/ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {

double LogicalDpi() {
  const QScreen* s = QGuiApplication::primaryScreen();
  const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
  return dpi > 0 ? dpi : 96.0;
}

// The primary screen's area, or the whole desktop across every screen; a common size with no screen.
QRect screenArea(bool wholeDesktop) {
  const QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return QRect(0, 0, 1024, 768);
  return wholeDesktop ? s->virtualGeometry() : s->geometry();
}

}  // namespace

int TwipsPerPixel() { return std::max(1, static_cast<int>(std::lround(1440.0 / LogicalDpi()))); }

int PxToTwips(int px) { return px * TwipsPerPixel(); }

double PxToTwipsF(double px) { return px * TwipsPerPixel(); }

int TwipsToPx(int twips) {
  const int t = TwipsPerPixel();
  // Round half away from zero so that 7 twips at 15 per pixel still shows as nothing, 8 as one pixel.
  return twips >= 0 ? (twips + t / 2) / t : -((-twips + t / 2) / t);
}

int ScreenWidthTwips() { return PxToTwips(screenArea(false).width()); }
int ScreenHeightTwips() { return PxToTwips(screenArea(false).height()); }
int DesktopWidthTwips() { return PxToTwips(screenArea(true).width()); }
int DesktopHeightTwips() { return PxToTwips(screenArea(true).height()); }

QPoint PlaceOnScreen(std::optional<int32_t> top, int32_t left) {
  // Read as one number first: a test of "none or negative" may look at an empty optional's value.
  const int32_t stored = top.value_or(-1);
  if (stored < 0) return QPoint(0, 0);
  const int y = stored >= ScreenHeightTwips() ? 0 : stored;
  const int x = left >= ScreenWidthTwips() ? 0 : left;
  return QPoint(x, y);
}
