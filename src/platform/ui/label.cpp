#include "platform/ui/label.h"

Label::Label(QWidget* parent, const QString& caption) : ClickControl(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setText(caption);
}

namespace {
constexpr QChar kBreak(0x200B);  // a line may break here; nothing is drawn
}  // namespace

void Label::SetWrapAnywhere(bool on) {
  const QString now = text();
  anywhere_ = on;
  setText(now);
}

void Label::setText(const QString& text) {
  if (!anywhere_) return QLabel::setText(text);
  QString broken;
  broken.reserve(text.size() * 2);
  for (QChar c : text) {
    broken.append(c);
    if (c == u'/' || c == u'-' || c == u'_' || c == u'.') broken.append(kBreak);
  }
  QLabel::setText(broken);
}

QString Label::text() const { return QString(QLabel::text()).remove(kBreak); }
