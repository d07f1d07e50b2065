#pragma once
// The event plumbing every control shares: a Qt widget plus the handlers the window code assigns.
//
//   Text2.KeyPress = [this](int& keyAscii) { if (keyAscii >= 'a' && keyAscii <= 'z') keyAscii -= 32; };
//   Text2.KeyDown  = [this](int& keyCode, int shift) { ... };      // keyCode = 0 swallows the key
//   Command8.MouseUp = [this](int button, int shift, float x, float y) { ... };   // x, y in twips
//   Text3.LostFocus = [this] { ... };
//   Text2.Move(120, 240, 1500, 300);                                 // left, top, width, height (twips)
//
// Order as the handlers expect it: KeyDown, KeyPress, the change, KeyUp; MouseDown, MouseUp, Click.
// KeyUp has the Shift state of the key's press (Alt+D is Alt+D's however it is let go).
// KeyPress also sees text committed by the input method, one character at a time, and may swallow
// (0) or rewrite each one. Its code is the character's code in the Japanese ANSI code page (negative
// for double-byte characters), control characters keep their code (8 Backspace, 13 Enter). An Alt
// chord and the edit keys (Ctrl+A, Ctrl+C, Ctrl+V, Shift+Insert, ...) type nothing: no KeyPress, and
// the control does their job whatever characters it keeps. Handlers never run once the window is unloaded.
//
// GotFocus and LostFocus run when the keyboard moves between controls of the program (Tab, Enter,
// a click, setFocus), not when a pop-up list opens over the control, nor when the operator turns to
// another program and back. setFocus() on a control of a shown window that is not the active one
// brings that window forward, as the operator would by clicking into it.

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/ui/keys.h"
#include "platform/ui/twips.h"

using KeyCodeHandler = std::function<void(int& keyCode, int shift)>;
using KeyAsciiHandler = std::function<void(int& keyAscii)>;
using MouseHandler = std::function<void(int button, int shift, float x, float y)>;
using Handler = std::function<void()>;

// Where a control created with `parent` really lives: a window's client area, or the widget itself.
QWidget* ControlParent(QWidget* parent);

// Runs `keyPress` over typed text; returns what is left to insert (characters swallowed or rewritten).
QString FilterTypedText(const QString& text, const KeyAsciiHandler& keyPress);

// What every control has besides its Qt base: array index and the container rule below.
class VbControlBase {
 public:
  virtual ~VbControlBase() = default;
  // Index inside a control array, -1 for a single control.
  int Index() const { return index_; }

 protected:
  friend class ControlArrayAccess;
  int index_ = -1;
  // Created by a control array: the Qt parent deletes it. Otherwise the control is a member of its
  // window and a container it sits in must let go of it before the container dies.
  bool heapOwned_ = false;
  friend void ReleaseMemberControls(QWidget& container);
};

// Called by containers (frames, picture boxes) from their destructor: member controls inside them are
// detached so that the container does not delete an object it does not own.
void ReleaseMemberControls(QWidget& container);

namespace ui_detail {
// The window's own key handlers when it previews its controls' keys (implemented with the windows).
struct KeyPreview {
  KeyCodeHandler down, up;
  KeyAsciiHandler press;
};
KeyPreview PreviewOf(QWidget& control);
// Runs the window's preview, then the control's KeyDown and KeyPress, for a key press. Returns false when the
// key is swallowed; else `out` is null (deliver the original) or a replacement event with the rewritten text.
bool RunKeyPress(QWidget& w, QKeyEvent& e, const KeyCodeHandler& keyDown, const KeyAsciiHandler& keyPress,
                 std::unique_ptr<QKeyEvent>& out);
void RunKeyUp(QWidget& w, QKeyEvent& e, const KeyCodeHandler& keyUp);
// Returns a replacement input-method event when KeyPress changed the committed text, else null.
std::unique_ptr<QInputMethodEvent> RunImeCommit(QWidget& w, QInputMethodEvent& e,
                                                const KeyAsciiHandler& keyPress);
void RunMouse(QWidget& w, const MouseHandler& h, const QMouseEvent& e, bool move);
bool FocusCounts(const QFocusEvent& e, bool in, const QWidget& control);
// Puts the keyboard on `w`; its window, shown but not active, comes forward to take it.
void SetFocus(QWidget& w, Qt::FocusReason reason);
// Raises and activates a shown top-level window.
void BringForward(QWidget& window);
bool Quiet(const QWidget& w);
// Counts a nesting level for as long as it lives.
struct Hold {
  int& n;
  explicit Hold(int& counter) : n(counter) { ++n; }
  ~Hold() { --n; }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;
};
}  // namespace ui_detail

template <class Base>
class VbControl : public Base, public VbControlBase {
 public:
  explicit VbControl(QWidget* parent) : Base(ControlParent(parent)) { this->setMouseTracking(true); }

  KeyCodeHandler KeyDown, KeyUp;
  KeyAsciiHandler KeyPress;
  MouseHandler MouseDown, MouseUp, MouseMove;
  Handler DblClick, GotFocus, LostFocus;

  // Geometry in twips, relative to the container.
  void Move(int left, int top, int width = -1, int height = -1) {
    this->move(TwipsToPx(left), TwipsToPx(top));
    if (width >= 0 || height >= 0)
      this->resize(width >= 0 ? TwipsToPx(width) : this->width(),
                   height >= 0 ? TwipsToPx(height) : this->height());
  }
  int Left() const { return PxToTwips(this->x()); }
  int Top() const { return PxToTwips(this->y()); }
  int Width() const { return PxToTwips(this->width()); }
  int Height() const { return PxToTwips(this->height()); }
  void SetLeft(int tw) { this->move(TwipsToPx(tw), this->y()); }
  void SetTop(int tw) { this->move(this->x(), TwipsToPx(tw)); }
  void SetWidth(int tw) { this->resize(TwipsToPx(tw), this->height()); }
  void SetHeight(int tw) { this->resize(this->width(), TwipsToPx(tw)); }

  void setFocus() { ui_detail::SetFocus(*this, Qt::OtherFocusReason); }
  void setFocus(Qt::FocusReason reason) { ui_detail::SetFocus(*this, reason); }

 protected:
  // Buttons report MouseUp before their Click; other controls after their own release handling.
  virtual bool MouseUpBeforeDefault() const { return false; }

  // Keys end at the control (as in VB, the window sees them only through its key preview).
  void keyPressEvent(QKeyEvent* e) override {
    std::unique_ptr<QKeyEvent> replaced;
    if (ui_detail::RunKeyPress(*this, *e, KeyDown, KeyPress, replaced))
      Base::keyPressEvent(replaced ? replaced.get() : e);
    e->accept();
  }
  void keyReleaseEvent(QKeyEvent* e) override {
    Base::keyReleaseEvent(e);
    ui_detail::RunKeyUp(*this, *e, KeyUp);
    e->accept();
  }
  void inputMethodEvent(QInputMethodEvent* e) override {
    auto replaced = ui_detail::RunImeCommit(*this, *e, KeyPress);
    Base::inputMethodEvent(replaced ? replaced.get() : e);
  }
  void mousePressEvent(QMouseEvent* e) override {
    ui_detail::RunMouse(*this, MouseDown, *e, false);
    Base::mousePressEvent(e);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (MouseUpBeforeDefault()) ui_detail::RunMouse(*this, MouseUp, *e, false);
    Base::mouseReleaseEvent(e);
    if (!MouseUpBeforeDefault()) ui_detail::RunMouse(*this, MouseUp, *e, false);
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    ui_detail::RunMouse(*this, MouseMove, *e, true);
    Base::mouseMoveEvent(e);
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    Base::mouseDoubleClickEvent(e);
    if (DblClick && e->button() == Qt::LeftButton && !ui_detail::Quiet(*this)) DblClick();
  }
  void focusInEvent(QFocusEvent* e) override {
    Base::focusInEvent(e);
    if (ui_detail::FocusCounts(*e, true, *this) && GotFocus && !ui_detail::Quiet(*this)) GotFocus();
  }
  void focusOutEvent(QFocusEvent* e) override {
    Base::focusOutEvent(e);
    if (ui_detail::FocusCounts(*e, false, *this) && LostFocus && !ui_detail::Quiet(*this)) LostFocus();
  }
};

// A control whose Click is a left-button release inside it (labels, frames, picture boxes). It keeps
// the mouse to itself, so a click on a label is not also a click on the frame behind it.
template <class Base>
class ClickControl : public VbControl<Base> {
 public:
  using VbControl<Base>::VbControl;
  Handler Click;

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    VbControl<Base>::mousePressEvent(e);
    e->accept();
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    VbControl<Base>::mouseReleaseEvent(e);
    e->accept();
    if (Click && e->button() == Qt::LeftButton && this->rect().contains(e->position().toPoint()) &&
        !ui_detail::Quiet(*this))
      Click();
  }
};
