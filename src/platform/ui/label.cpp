#include "platform/ui/label.h"

Label::Label(QWidget* parent, const QString& caption) : ClickControl(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setText(caption);
}
