#include "platform/ui/snapshot.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include "platform/ui/keys.h"
#include "platform/ui/testhooks.h"

namespace {

KeyStrokeHook& Hook() {
  static KeyStrokeHook h;
  return h;
}

Qt::KeyboardModifier ModifierOf(int vk) {
  switch (vk) {
    case vbKeyShift:
      return Qt::ShiftModifier;
    case vbKeyControl:
      return Qt::ControlModifier;
    case vbKeyMenu:
      return Qt::AltModifier;
    default:
      return Qt::NoModifier;
  }
}

void SendKey(QWidget* target, QEvent::Type type, int vk, Qt::KeyboardModifiers mods) {
  const Qt::Key key = QtKeyOf(vk);
  if (key == Qt::Key_unknown || !target) return;
  QString text;
  if (!(mods & (Qt::ControlModifier | Qt::AltModifier)) &&
      ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')))
    text = (mods & Qt::ShiftModifier) ? QString(QChar(vk)) : QString(QChar(vk)).toLower();
  QKeyEvent e(type, key, mods, text);
  QCoreApplication::sendEvent(target, &e);
}

}  // namespace

KeyStrokeHook SetKeyStrokeHook(KeyStrokeHook hook) { return ReplaceHook(Hook(), std::move(hook)); }

void SendKeyStroke(int key, int secondKey) {
  std::vector<KeyStrokeEvent> events{{key, true}};
  if (secondKey) {
    events.push_back({secondKey, true});
    events.push_back({secondKey, false});
  }
  events.push_back({key, false});
  if (Hook()) {
    Hook()(events);
    return;
  }
  // The stroke goes to this program's active window, handled at once.
  QWidget* window = QApplication::activeWindow();
  const int main = secondKey ? secondKey : key;
  const Qt::KeyboardModifiers mods = secondKey ? ModifierOf(key) : Qt::NoModifier;
  if (main == vbKeySnapshot) {
    if ((mods & Qt::AltModifier) && window) {
      GrabWindowToClipboard(*window);
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
      QGuiApplication::clipboard()->setImage(s->grabWindow(0).toImage());
    }
    return;
  }
  QPointer<QWidget> target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
  SendKey(target, QEvent::KeyPress, main, mods);
  SendKey(target, QEvent::KeyRelease, main, mods);
}

bool GrabWindowToClipboard(QWidget& window) {
  const QImage image = window.window()->grab().toImage();
  if (image.isNull()) return false;
  QGuiApplication::clipboard()->setImage(image);
  return true;
}

bool ClipboardHasBitmap() {
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  return m && m->hasImage();
}

QImage ClipboardBitmap() { return ClipboardHasBitmap() ? QGuiApplication::clipboard()->image() : QImage(); }

bool SaveClipboardBitmap(const QString& path) {
  const QImage image = ClipboardBitmap();
  return !image.isNull() && image.save(path, "BMP");
}

bool SaveWindowBitmap(QWidget& window, const QString& path) {
  const QImage image = window.window()->grab().toImage();
  return !image.isNull() && image.save(path, "BMP");
}

void ClearClipboard() { QGuiApplication::clipboard()->clear(); }

void SetClipboardText(const QString& text) { QGuiApplication::clipboard()->setText(text); }

QString ClipboardText() { return QGuiApplication::clipboard()->text(); }
