#include "platform/ui/color.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>
#include <QWidget>

namespace {

// Which palette roles carry a widget's face and text.
struct Roles {
  QPalette::ColorRole back;
  QPalette::ColorRole fore;
  bool fill;  // the role is drawn only with autoFillBackground
};

Roles RolesOf(const QWidget& w) {
  if (qobject_cast<const QLineEdit*>(&w) || qobject_cast<const QAbstractItemView*>(&w) ||
      qobject_cast<const QPlainTextEdit*>(&w) || qobject_cast<const QTextEdit*>(&w) ||
      qobject_cast<const QAbstractSpinBox*>(&w))
    return {QPalette::Base, QPalette::Text, false};
  if (qobject_cast<const QComboBox*>(&w)) return {QPalette::Base, QPalette::Text, false};
  if (qobject_cast<const QAbstractButton*>(&w) && !qobject_cast<const QCheckBox*>(&w) &&
      !qobject_cast<const QRadioButton*>(&w))
    return {QPalette::Button, QPalette::ButtonText, false};
  return {QPalette::Window, QPalette::WindowText, true};
}

QColor SystemColor(uint32_t index) {
  const QPalette p = QApplication::palette();
  switch (index) {
    case 0x05:
      return p.color(QPalette::Base);
    case 0x08:
      return p.color(QPalette::Text);
    case 0x0F:
      return p.color(QPalette::Button);
    case 0x12:
      return p.color(QPalette::ButtonText);
    case 0x0D:
      return p.color(QPalette::Highlight);
    case 0x0E:
      return p.color(QPalette::HighlightedText);
    case 0x11:
      return p.color(QPalette::Disabled, QPalette::Text);
    case 0x18:
      return p.color(QPalette::ToolTipBase);
    case 0x17:
      return p.color(QPalette::ToolTipText);
    default:
      return p.color(QPalette::Window);
  }
}

}  // namespace

QColor VbColor(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  if (v & 0x80000000u) return SystemColor(v & 0xFFu);
  return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int32_t ToVbColor(const QColor& c) { return VbRgb(c.red(), c.green(), c.blue()); }

void SetBackColor(QWidget& w, int32_t value) {
  const Roles r = RolesOf(w);
  QPalette p = w.palette();
  p.setColor(r.back, VbColor(value));
  w.setPalette(p);
  if (r.fill) w.setAutoFillBackground(true);
}

void SetForeColor(QWidget& w, int32_t value) {
  const Roles r = RolesOf(w);
  QPalette p = w.palette();
  p.setColor(r.fore, VbColor(value));
  w.setPalette(p);
}

int32_t BackColor(const QWidget& w) { return ToVbColor(w.palette().color(RolesOf(w).back)); }

int32_t ForeColor(const QWidget& w) { return ToVbColor(w.palette().color(RolesOf(w).fore)); }
