#include "platform/ui/form.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QWindow>
#include <algorithm>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "platform/ui/control.h"
#include "platform/ui/doevents.h"
#include "platform/ui/testhooks.h"
#include "platform/ui/timer.h"

namespace {

struct Entry {
  std::type_index type;
  QPointer<VbForm> form;
};

std::vector<Entry>& Registry() {
  static std::vector<Entry> r;
  return r;
}

ModalFormHook& ModalHook() {
  static ModalFormHook h;
  return h;
}

void Forget(const VbForm* form) {
  auto& r = Registry();
  std::erase_if(r, [form](const Entry& e) { return e.form.isNull() || e.form == form; });
}

bool& EndWhenNoForms() {
  static bool on = false;
  return on;
}

}  // namespace

namespace ui_detail {

KeyPreview PreviewOf(QWidget& control) {
  auto* form = dynamic_cast<VbForm*>(control.window());
  if (!form || !form->KeyPreview || form->IsUnloaded()) return {};
  QPointer<VbForm> f(form);
  return {[f](int& code, int shift) {
            if (f) f->Form_KeyDown(code, shift);
          },
          [f](int& code, int shift) {
            if (f) f->Form_KeyUp(code, shift);
          },
          [f](int& k) {
            if (f) f->Form_KeyPress(k);
          }};
}

}  // namespace ui_detail

QWidget* ControlParent(QWidget* parent) {
  if (auto* f = dynamic_cast<VbForm*>(parent)) return f->ClientArea();
  return parent;
}

VbForm* FormRegistry::Find(std::type_index type) {
  for (const Entry& e : Registry())
    if (e.type == type && e.form && !e.form->unloaded_) return e.form;
  return nullptr;
}

void FormRegistry::Add(std::type_index type, VbForm* form) { Registry().push_back({type, form}); }

void FormRegistry::Load(VbForm& form) {
  form.loaded_ = true;
  form.Form_Load();
}

std::vector<VbForm*> LoadedForms() {
  std::vector<VbForm*> out;
  for (const Entry& e : Registry())
    if (e.form && !e.form->IsUnloaded()) out.push_back(e.form);
  return out;
}

bool UnloadAllForms(int unloadMode) {
  bool all = true;
  for (VbForm* f : LoadedForms()) {
    QPointer<VbForm> guard(f);
    if (guard && !guard->IsUnloaded() && !guard->Unload(unloadMode)) all = false;
  }
  return all;
}

void EndProgramWhenAllUnloaded(bool on) { EndWhenNoForms() = on; }

ModalFormHook SetModalFormHook(ModalFormHook hook) { return ReplaceHook(ModalHook(), std::move(hook)); }

VbForm::VbForm() : client_(new QWidget(this)) {
  setCentralWidget(client_);
  client_->setMouseTracking(true);
  client_->installEventFilter(this);
  setAttribute(Qt::WA_DeleteOnClose, false);
}

VbForm::~VbForm() { Forget(this); }

void VbForm::Show(int modal, QWidget* owner) {
  if (unloaded_) return;
  QWidget* opener = QApplication::activeWindow();
  PlaceOnFirstShow(opener);
  KeepInFrontOf(owner ? owner->window() : modal == vbModal ? opener : nullptr);
  if (modal != vbModal) {
    if (isMinimized()) showNormal();
    show();
    ui_detail::BringForward(*this);
    return;
  }
  QPointer<VbForm> self(this);
  if (ModalHook()) {
    show();
    ModalHook()(*this);
    if (self && !self->unloaded_ && self->isVisible()) {
      ReportUiFailure(
          QStringLiteral("Modal window \"%1\" still open after its responder").arg(windowTitle()));
      self->hide();
    }
    return;
  }
  if (HeadlessUi()) {
    ReportUiFailure(QStringLiteral("Modal window \"%1\" shown with no responder").arg(windowTitle()));
    return;
  }
  if (isVisible()) hide();
  setWindowModality(Qt::ApplicationModal);
  show();
  ui_detail::BringForward(*this);
  QEventLoop loop;
  connect(this, &VbForm::hiddenOrUnloaded, &loop, &QEventLoop::quit);
  connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  if (isVisible()) loop.exec(QEventLoop::DialogExec);
  if (self) self->setWindowModality(Qt::NonModal);
}

bool VbForm::Unload(int unloadMode) {
  if (unloaded_) return true;
  if (inUnload_) return false;  // a handler unloading its own window: the running unload decides
  QPointer<VbForm> self(this);
  inUnload_ = true;
  int cancel = 0;
  Form_QueryUnload(cancel, unloadMode);
  if (self && cancel == 0) Form_Unload(cancel);
  if (!self) return true;
  inUnload_ = false;
  if (cancel != 0) return false;
  unloaded_ = true;
  Forget(this);
  for (VbTimer* t : findChildren<VbTimer*>()) t->Stop();
  // From here on no handler of this window runs; the object goes when the event loop is idle.
  for (QObject* o : findChildren<QObject*>()) o->blockSignals(true);
  hide();
  emit hiddenOrUnloaded();
  deleteLater();
  if (EndWhenNoForms() && LoadedForms().empty()) QCoreApplication::quit();
  return true;
}

int VbForm::Left() const { return PxToTwips(frameGeometry().x()); }
int VbForm::Top() const { return PxToTwips(frameGeometry().y()); }
int VbForm::Width() const { return PxToTwips(frameGeometry().width()); }
int VbForm::Height() const { return PxToTwips(frameGeometry().height()); }
int VbForm::ScaleWidth() const { return PxToTwips(client_->width()); }
int VbForm::ScaleHeight() const { return PxToTwips(client_->height()); }

void VbForm::Move(int left, int top, int width, int height) {
  move(TwipsToPx(left), TwipsToPx(top));
  if (width < 0 && height < 0) return;
  // Width and height count the frame; Qt sizes the inside.
  const QSize extra = frameGeometry().size() - size();
  const int w = width >= 0 ? TwipsToPx(width) - extra.width() : this->width();
  const int h = height >= 0 ? TwipsToPx(height) - extra.height() : this->height();
  resize(std::max(1, w), std::max(1, h));
}

void VbForm::MoveToStoredPlace(std::optional<int32_t> top, int32_t left) {
  placeBesideOpener_ = !top || *top < 0;
  const QPoint at = PlaceOnScreen(placeBesideOpener_ ? std::nullopt : top, left);
  Move(at.x(), at.y());
}

void VbForm::KeepInFrontOf(QWidget* owner) {
  if (!owner || owner == this || !owner->windowHandle()) return;
  winId();  // the window's handle, to name its owner to the window manager
  windowHandle()->setTransientParent(owner->windowHandle());
}

void VbForm::PlaceBeside(const QWidget* opener) {
  // Where the operator types in the opener: those stay in sight.
  std::vector<QRect> boxes;
  for (const QWidget* w : opener->findChildren<QWidget*>()) {
    const bool input = qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
                       qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
                       qobject_cast<const QPlainTextEdit*>(w);
    if (input && w->isVisible() && !qobject_cast<const QComboBox*>(w->parentWidget()))
      boxes.emplace_back(w->mapToGlobal(QPoint(0, 0)), w->size());
  }
  const QScreen* screen = opener->screen() ? opener->screen() : QGuiApplication::primaryScreen();
  const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QSize size = frameGeometry().size();
  QRect inputs;
  for (const QRect& b : boxes) inputs |= b;
  const QRect frame = opener->frameGeometry();
  constexpr int kGap = 8;
  const QPoint tries[] = {{frame.left(), inputs.bottom() + kGap},   // below the boxes
                          {inputs.right() + kGap, frame.top()},     // beside them
                          {room.left(), room.bottom() - size.height() + 1},
                          {room.right() - size.width() + 1, room.bottom() - size.height() + 1}};
  auto onScreen = [&](QPoint p) {
    return QPoint(std::clamp(p.x(), room.left(), std::max(room.left(), room.right() - size.width() + 1)),
                  std::clamp(p.y(), room.top(), std::max(room.top(), room.bottom() - size.height() + 1)));
  };
  auto covered = [&](QPoint p) {
    long long area = 0;
    for (const QRect& b : boxes) {
      const QRect over = b & QRect(p, size);
      area += static_cast<long long>(over.width()) * over.height();
    }
    return area;
  };
  QPoint best = onScreen(tries[0]);
  for (const QPoint& t : tries) {
    const QPoint p = onScreen(t);
    if (covered(p) < covered(best)) best = p;
    if (covered(best) == 0) break;
  }
  move(best);
}

int VbForm::WindowState() const {
  if (isMinimized()) return vbMinimized;
  if (isMaximized()) return vbMaximized;
  return vbNormal;
}

void VbForm::SetWindowState(int state) {
  Qt::WindowStates s = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (state == vbMinimized) s |= Qt::WindowMinimized;
  if (state == vbMaximized) s |= Qt::WindowMaximized;
  setWindowState(s);
}

void VbForm::PlaceOnFirstShow(QWidget* opener) {
  if (!placeBesideOpener_ || isVisible()) return;
  placeBesideOpener_ = false;
  if (opener && opener != this) PlaceBeside(opener);
}

void VbForm::ShowInactive() {
  if (unloaded_) return;
  PlaceOnFirstShow(QApplication::activeWindow());
  if (isMinimized()) showNormal();
  setAttribute(Qt::WA_ShowWithoutActivating);  // the window manager leaves the keyboard where it is
  if (!isVisible() && HeadlessUi()) {
    // The offscreen platform gives the keyboard to every window it shows but a tool tip: the window
    // is shown as one, then made an ordinary window again.
    winId();
    QWindow* w = windowHandle();
    const Qt::WindowFlags flags = w->flags();
    w->setFlags((flags & ~Qt::WindowType_Mask) | Qt::ToolTip);
    show();
    w->setFlags(flags);
  } else {
    show();
  }
  setAttribute(Qt::WA_ShowWithoutActivating, false);
  ZOrder();
}

void VbForm::ZOrder() {
  if (!isVisible()) return;
  if (!HeadlessUi()) raise();
  emit broughtForward();
}

void VbForm::SetTopmost(bool on) {
  if (on == bool(windowFlags() & Qt::WindowStaysOnTopHint)) return;
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (shown) show();  // changing the flags hides a window
}

void VbForm::SetMousePointer(int pointer) {
  mousePointer_ = pointer;
  switch (pointer) {
    case vbHourglass:
      setCursor(Qt::WaitCursor);
      break;
    case 13:
      setCursor(Qt::BusyCursor);
      break;
    case vbArrow:
      setCursor(Qt::ArrowCursor);
      break;
    case 3:
      setCursor(Qt::IBeamCursor);
      break;
    default:
      unsetCursor();
      break;
  }
}

bool VbForm::event(QEvent* e) {
  // The event may delete the window (the deferred delete after an unload, or a nested event loop that
  // runs it): nothing of it may be read afterwards.
  QPointer<VbForm> self(this);
  const bool r = QMainWindow::event(e);
  if (self && !unloaded_ && loaded_) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    if (e->type() == QEvent::WindowDeactivate) Form_Deactivate();
  }
  return r;
}

void VbForm::closeEvent(QCloseEvent* e) {
  // Unload decides; Qt must not close (and possibly delete) the window itself.
  // The program itself never closes a window (it unloads it), so a close is the operator's, unless the
  // whole application is going down.
  e->ignore();
  if (unloaded_ || closeLocks_ > 0 || HeldByWait(this)) return;
  Unload(QCoreApplication::closingDown() ? vbAppWindows : vbFormControlMenu);
}

void VbForm::hideEvent(QHideEvent* e) {
  QMainWindow::hideEvent(e);
  if (!e->spontaneous()) emit hiddenOrUnloaded();
}

void VbForm::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  if (!unloaded_ && loaded_) Form_Resize();
}

void VbForm::keyPressEvent(QKeyEvent* e) {
  // Keys of the window itself (no control has the focus); the controls keep theirs and show them to
  // the window only through its key preview.
  if (unloaded_) {
    QMainWindow::keyPressEvent(e);
    return;
  }
  int code = VbKeyCode(*e);
  if (code) Form_KeyDown(code, VbShift(e->modifiers()));
  if (!e->text().isEmpty()) FilterTypedText(e->text(), [this](int& k) { Form_KeyPress(k); });
}

void VbForm::keyReleaseEvent(QKeyEvent* e) {
  if (unloaded_ || e->isAutoRepeat()) {
    QMainWindow::keyReleaseEvent(e);
    return;
  }
  int code = VbKeyCode(*e);
  if (code) Form_KeyUp(code, VbShift(e->modifiers()));
}

void VbForm::wheelEvent(QWheelEvent* e) {
  e->accept();
  if (!unloaded_ && loaded_) Form_MouseWheel(e->angleDelta().y(), VbShift(e->modifiers()));
}

bool VbForm::eventFilter(QObject* watched, QEvent* e) {
  if (watched != client_ || unloaded_ || !loaded_) return false;
  const QEvent::Type t = e->type();
  if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease && t != QEvent::MouseMove)
    return false;
  const auto* m = static_cast<QMouseEvent*>(e);
  const auto x = static_cast<float>(PxToTwipsF(m->position().x()));
  const auto y = static_cast<float>(PxToTwipsF(m->position().y()));
  const int shift = VbShift(m->modifiers());
  if (t == QEvent::MouseMove) {
    Form_MouseMove(VbButtons(m->buttons()), shift, x, y);
  } else if (t == QEvent::MouseButtonPress) {
    Form_MouseDown(VbButton(m->button()), shift, x, y);
  } else {
    Form_MouseUp(VbButton(m->button()), shift, x, y);
    if (m->button() == Qt::LeftButton && client_->rect().contains(m->position().toPoint())) Form_Click();
  }
  return false;
}
