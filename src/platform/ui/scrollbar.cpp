#include "platform/ui/scrollbar.h"

ScrollBar::ScrollBar(QWidget* parent, Qt::Orientation orientation) : VbControl(parent) {
  setOrientation(orientation);
  connect(this, &QScrollBar::valueChanged, this, [this] {
    if (Change && !ui_detail::Quiet(*this)) Change();
  });
  connect(this, &QScrollBar::sliderMoved, this, [this] {
    if (Scroll && !ui_detail::Quiet(*this)) Scroll();
  });
}
