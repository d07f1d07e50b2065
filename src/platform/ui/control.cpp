#include "platform/ui/control.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeySequence>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <algorithm>
#include <vector>

#include "platform/codepage.h"
#include "platform/ui/testhooks.h"

namespace {

Qt::Key KeyOfText(const QString& t) {
  if (t.size() == 1 && t[0].unicode() >= 0x20 && t[0].unicode() < 0x7F)
    return static_cast<Qt::Key>(t[0].toUpper().unicode());
  return Qt::Key_unknown;
}

}  // namespace

QString FilterTypedText(const QString& text, const KeyAsciiHandler& keyPress) {
  if (!keyPress) return text;
  QString out;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
    const QString ch = text.mid(i, n);
    i += n;
    const char16_t u = ch[0].unicode();
    if (u == 0x7F) {  // Delete is a key, not a character
      out += ch;
      continue;
    }
    int code = (n == 1 && u < 0x20) ? u : AscAnsi(ch);
    const int original = code;
    keyPress(code);
    if (code == 0) continue;
    if (code == original) {
      out += ch;  // unchanged: keep the character itself, even one the code page lacks
      continue;
    }
    if (code > 0 && code < 0x20) continue;  // rewritten into a control code: nothing to insert
    out += ChrAnsi(code);
  }
  return out;
}

void ReleaseMemberControls(QWidget& container) {
  const auto children = container.children();
  for (QObject* o : children) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w) continue;
    auto* c = dynamic_cast<VbControlBase*>(w);
    if (c && !c->heapOwned_) {
      w->setParent(nullptr);  // its own destructor runs when the window's members go
    } else {
      ReleaseMemberControls(*w);  // deleted with the container: free the members inside it first
    }
  }
}

namespace ui_detail {

bool Quiet(const QWidget& w) { return w.signalsBlocked(); }

namespace {

// The window's KeyPress first, then the control's, as long as the character lives.
KeyAsciiHandler Chain(const KeyAsciiHandler& first, const KeyAsciiHandler& second) {
  if (!first) return second;
  if (!second) return first;
  return [first, second](int& k) {
    first(k);
    if (k != 0) second(k);
  };
}

// Keys pressed on a control and not yet let go. A key's release belongs to the control that had its
// press: the Return that answered a message box is let go over the box behind it, which must not take
// it for a key of its own. It keeps the chord of its press: the D of Alt+D let go after the Alt is
// still Alt+D's. The modifiers are let through wherever they are let go.
struct KeyDown {
  QPointer<QWidget> on;
  int key;
  Qt::KeyboardModifiers mods;
};
std::vector<KeyDown>& KeysDown() {
  static std::vector<KeyDown> keys;
  return keys;
}

bool IsModifier(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
         key == Qt::Key_AltGr;
}

void NotePress(QWidget& w, const QKeyEvent& e) {
  auto& keys = KeysDown();
  std::erase_if(keys, [&](const KeyDown& k) { return k.key == e.key() || !k.on; });
  keys.push_back({&w, e.key(), e.modifiers()});
}

// True when `w` had the press of the key now let go; `chord` gets the modifiers it is let go with.
bool TakePress(QWidget& w, const QKeyEvent& e, Qt::KeyboardModifiers& chord) {
  auto& keys = KeysDown();
  const auto it = std::find_if(keys.begin(), keys.end(), [&](const KeyDown& k) { return k.key == e.key(); });
  const bool here = it != keys.end() && it->on == &w;
  chord = here && !IsModifier(e.key()) ? it->mods : e.modifiers();
  if (it != keys.end()) keys.erase(it);
  return here || IsModifier(e.key());
}

}  // namespace

bool RunKeyPress(QWidget& w, QKeyEvent& e, const KeyCodeHandler& keyDown, const KeyAsciiHandler& keyPress,
                 std::unique_ptr<QKeyEvent>& out) {
  if (!e.isAutoRepeat()) NotePress(w, e);
  if (Quiet(w)) return true;
  const KeyPreview preview = PreviewOf(w);
  int code = VbKeyCode(e);
  if (code != 0) {
    const int shift = VbShift(e.modifiers());
    if (preview.down) preview.down(code, shift);
    if (code == 0 || Quiet(w)) return false;
    if (keyDown) keyDown(code, shift);
    if (code == 0) return false;
  }
  // Alt chords and the edit keys (Ctrl+A, Ctrl+C, Shift+Insert, ...) work whatever characters the
  // control keeps: the control gets them without their text.
  if (TypesNoCharacter(e)) {
    if (!e.text().isEmpty())
      out = std::make_unique<QKeyEvent>(e.type(), e.key(), e.modifiers(), QString(), e.isAutoRepeat(), e.count());
    return true;
  }
  const KeyAsciiHandler press = Chain(preview.press, keyPress);
  if (!press || e.text().isEmpty()) return true;
  const QString kept = FilterTypedText(e.text(), press);
  if (kept == e.text()) return true;
  if (kept.isEmpty()) return false;
  out = std::make_unique<QKeyEvent>(e.type(), KeyOfText(kept), e.modifiers(), kept, e.isAutoRepeat(),
                                    static_cast<quint16>(kept.size()));
  return true;
}

void RunKeyUp(QWidget& w, QKeyEvent& e, const KeyCodeHandler& keyUp) {
  Qt::KeyboardModifiers chord;
  if (e.isAutoRepeat() || !TakePress(w, e, chord) || Quiet(w)) return;
  int code = VbKeyCode(e);
  if (code == 0) return;
  const int shift = VbShift(chord);
  if (const KeyPreview preview = PreviewOf(w); preview.up) preview.up(code, shift);
  if (code != 0 && keyUp && !Quiet(w)) keyUp(code, shift);
}

std::unique_ptr<QInputMethodEvent> RunImeCommit(QWidget& w, QInputMethodEvent& e,
                                                const KeyAsciiHandler& keyPress) {
  if (e.commitString().isEmpty() || Quiet(w)) return nullptr;
  const KeyAsciiHandler press = Chain(PreviewOf(w).press, keyPress);
  if (!press) return nullptr;
  const QString kept = FilterTypedText(e.commitString(), press);
  if (kept == e.commitString()) return nullptr;
  auto r = std::make_unique<QInputMethodEvent>(e.preeditString(), e.attributes());
  r->setCommitString(kept, e.replacementStart(), e.replacementLength());
  return r;
}

void RunMouse(QWidget& w, const MouseHandler& h, const QMouseEvent& e, bool move) {
  if (!h || Quiet(w)) return;
  QPointF p = e.position();
  // Scroll areas get their viewport's events; the handlers count from the control's own corner.
  if (auto* sa = qobject_cast<QAbstractScrollArea*>(&w)) p += sa->viewport()->mapTo(sa, QPoint(0, 0));
  const int button = move ? VbButtons(e.buttons()) : VbButton(e.button());
  h(button, VbShift(e.modifiers()), static_cast<float>(PxToTwipsF(p.x())),
    static_cast<float>(PxToTwipsF(p.y())));
}

namespace {
// The control that kept the keyboard of its window while the operator turned to another program or
// answered a message box: the keyboard coming back to it is no focus change either.
QPointer<const QWidget> keptWhileAway;
}  // namespace

bool FocusCounts(const QFocusEvent& e, bool in, const QWidget& control) {
  if (e.reason() == Qt::PopupFocusReason) return false;
  if (e.reason() != Qt::ActiveWindowFocusReason) return true;
  if (in) {
    const bool back = keptWhileAway == &control;
    if (back) keptWhileAway = nullptr;
    return !back;
  }
  // Leaving for another program, or for a message box over the window, is not a focus change inside
  // the program: a box's own check would otherwise come up over the message (a date refused while the
  // operator is asked whether to close).
  const QWidget* active = QApplication::activeWindow();
  if (active && !qobject_cast<const QMessageBox*>(active) && !qobject_cast<const QInputDialog*>(active))
    return true;
  keptWhileAway = &control;
  return false;
}

void BringForward(QWidget& window) {
  if (!HeadlessUi()) window.raise();  // the offscreen platform has no stacking order
  window.activateWindow();
}

void SetFocus(QWidget& w, Qt::FocusReason reason) {
  w.QWidget::setFocus(reason);
  QWidget* top = w.window();
  // A window behind a modal one stays where it is: the keyboard goes to it once the modal one is gone.
  const QWidget* modal = QApplication::activeModalWidget();
  if (!top->isVisible() || top->isActiveWindow() || (modal && modal != top) ||
      QApplication::activePopupWidget())
    return;
  BringForward(*top);
}

}  // namespace ui_detail
