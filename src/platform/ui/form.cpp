#include "platform/ui/form.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <tuple>

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

QPointer<VbForm>& LastActiveForm() {
  static QPointer<VbForm> form;
  return form;
}

bool& EndWhenNoForms() {
  static bool on = false;
  return on;
}

// What the window system's frame adds to a window's size. A window not shown yet has no frame of its
// own: it gets the one the shown windows have, so that a size stored with the frame opens as stored.
QSize FrameExtra(const QWidget& window) {
  const auto extraOf = [](const QWidget& w) { return w.frameGeometry().size() - w.size(); };
  if (extraOf(window) != QSize(0, 0)) return extraOf(window);
  for (const QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->windowType() == Qt::Window && extraOf(*w) != QSize(0, 0)) return extraOf(*w);
  return {0, 0};
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

namespace {
const char* const kCloseRefused = "終わるまでこの画面は閉じられません";
constexpr int kCloseRefusedMs = 5000;
}  // namespace

void VbForm::ShowWaitNote(const QString& text) {
  waitNote_ = text;
  if (text.isEmpty()) closeRefused_ = false;
  // The answer to the operator's close comes first, where a note cut short still shows it.
  showNote(closeRefused_ ? "(" + QString::fromUtf8(kCloseRefused) + QStringLiteral(")　") + text : text);
}

bool VbForm::HasStatusBar() const {
  return findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly) && !(noteBar_ && noteBarMade_);
}

void VbForm::showNote(const QString& text) {
  auto* bar = static_cast<QStatusBar*>(noteBar_.data());
  if (text.isEmpty()) {
    if (bar) bar->clearMessage();
    if (bar && noteBarMade_) setStatusBar(nullptr);
    noteBar_ = nullptr;
    return;
  }
  if (!bar) {
    noteBarMade_ = !findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
    noteBar_ = bar = statusBar();
  }
  bar->showMessage(text);
  bar->repaint();
}

VbForm* VbForm::LastActive() {
  VbForm* f = LastActiveForm();
  return f && !f->unloaded_ && f->isVisible() ? f : nullptr;
}

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
  const WorkUnderWay modalWindow;
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
  const QSize extra = FrameExtra(*this);
  const int w = width >= 0 ? TwipsToPx(width) - extra.width() : this->width();
  const int h = height >= 0 ? TwipsToPx(height) - extra.height() : this->height();
  resize(std::max(1, w), std::max(1, h));
}

void VbForm::MoveToStoredPlace(std::optional<int32_t> top, int32_t left) {
  placedByProgram_ = true;
  // Read as one number first: a test of "none or negative" may look at an empty optional's value.
  const int32_t stored = top.value_or(-1);
  placeBesideOpener_ = stored < 0;
  const QPoint at = PlaceOnScreen(stored, left);
  Move(at.x(), at.y());
}

void VbForm::KeepInFrontOf(QWidget* owner) {
  if (!owner || owner == this || !owner->windowHandle()) return;
  winId();  // the window's handle, to name its owner to the window manager
  windowHandle()->setTransientParent(owner->windowHandle());
}

namespace {

// What the operator reads or works with in a window: boxes, lists, grids, buttons, captions, menus.
bool IsControl(const QWidget& w) {
  for (const QWidget* p = w.parentWidget(); p; p = p->parentWidget())
    if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractItemView*>(p) ||
        qobject_cast<const QAbstractSpinBox*>(p))
      return false;  // a part of a control
  const auto* label = qobject_cast<const QLabel*>(&w);
  return (label && !label->text().isEmpty()) || qobject_cast<const QLineEdit*>(&w) ||
         qobject_cast<const QComboBox*>(&w) || qobject_cast<const QAbstractButton*>(&w) ||
         qobject_cast<const QAbstractItemView*>(&w) || qobject_cast<const QAbstractSpinBox*>(&w) ||
         qobject_cast<const QTextEdit*>(&w) || qobject_cast<const QPlainTextEdit*>(&w) ||
         qobject_cast<const QMenuBar*>(&w);
}

long long Overlap(const QRect& a, const std::vector<QRect>& rects) {
  long long area = 0;
  for (const QRect& r : rects) {
    const QRect over = a & r;
    area += static_cast<long long>(over.width()) * over.height();
  }
  return area;
}

}  // namespace

void VbForm::PlaceBeside(const QWidget* opener, bool onlyWhereFree) {
  const auto controlsOf = [](const QWidget& window, std::vector<QRect>& into) {
    for (const QWidget* w : window.findChildren<QWidget*>())
      if (w->isVisible() && IsControl(*w)) into.emplace_back(w->mapToGlobal(QPoint(0, 0)), w->size());
  };
  // The opener's controls come first; the operator works in the program's other windows as well.
  std::vector<QRect> controls, otherControls, others;
  controlsOf(*opener, controls);
  for (const QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w != opener && w->isVisible() && w->windowType() != Qt::Popup &&
        w->windowType() != Qt::ToolTip) {
      others.push_back(w->frameGeometry());
      controlsOf(*w, otherControls);
    }
  const QScreen* screen = opener->screen() ? opener->screen() : QGuiApplication::primaryScreen();
  const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QRect frame = opener->frameGeometry();
  const QSize size = this->size() + FrameExtra(*this);
  const auto onScreen = [&](QPoint p) {
    return QPoint(std::clamp(p.x(), room.left(), std::max(room.left(), room.right() - size.width() + 1)),
                  std::clamp(p.y(), room.top(), std::max(room.top(), room.bottom() - size.height() + 1)));
  };
  // The place of the window's own rule, while it leaves the controls of every open window in sight.
  const QPoint home = onScreen(pos());
  if (Overlap(QRect(home, size), controls) == 0 && Overlap(QRect(home, size), otherControls) == 0) {
    move(home);
    return;
  }
  // Else beside the opener: below it, to its right, above, to its left, or wherever on the screen
  // covers the least of its controls, then of the other windows' controls, then of the other windows,
  // then of the opener; nearest first.
  constexpr int kGap = 4, kStep = 16;
  std::vector<QPoint> tries = {{frame.left(), frame.bottom() + kGap},
                               {frame.right() + kGap, frame.top()},
                               {frame.left(), frame.top() - size.height() - kGap},
                               {frame.left() - size.width() - kGap, frame.top()}};
  const size_t sides = tries.size();
  for (int y = room.top(); y <= room.bottom(); y += kStep)
    for (int x = room.left(); x <= room.right(); x += kStep) tries.emplace_back(x, y);
  const auto cost = [&](size_t i) {
    const QPoint p = onScreen(tries[i]);
    const QRect r(p, size);
    const long long distance = i < sides ? 0 : (p - frame.topLeft()).manhattanLength();
    return std::tuple(Overlap(r, controls), Overlap(r, otherControls), Overlap(r, others), Overlap(r, {frame}),
                      i < sides ? i : sides,
                      distance);
  };
  size_t best = 0;
  auto bestCost = cost(0);
  for (size_t i = 1; i < tries.size(); ++i)
    if (const auto c = cost(i); c < bestCost) best = i, bestCost = c;
  if (onlyWhereFree && (std::get<0>(bestCost) > 0 || std::get<1>(bestCost) > 0)) return;
  move(onScreen(tries[best]));
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
  if (isVisible()) return;
  const bool free = !placedByProgram_;
  if (!placeBesideOpener_ && !free) return;
  placeBesideOpener_ = false;
  placedByProgram_ = true;
  if (!opener || opener == this) opener = LastActive();
  if (opener && opener != this) PlaceBeside(opener, free);
}

void VbForm::ShowInactive(QWidget* opener) {
  if (unloaded_) return;
  PlaceOnFirstShow(opener ? opener : QApplication::activeWindow());
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
    if (e->type() == QEvent::WindowActivate) {
      LastActiveForm() = this;
      Form_Activate();
    }
    if (e->type() == QEvent::WindowDeactivate) Form_Deactivate();
  }
  return r;
}

void VbForm::closeEvent(QCloseEvent* e) {
  // Unload decides; Qt must not close (and possibly delete) the window itself.
  // The program itself never closes a window (it unloads it), so a close is the operator's, unless the
  // whole application is going down.
  e->ignore();
  if (unloaded_) return;
  // Refused only while the window's own job or wait is under way, and said where the operator looks:
  // beside the wait's note while it lasts, else with the job's name for a few seconds.
  if (HeldByWait(this) && !waitNote_.isEmpty()) {
    closeRefused_ = true;
    return ShowWaitNote(waitNote_);
  }
  if (closeLocks_ > 0) {
    const QString job = JobUnderWay();
    showNote(job.isEmpty() ? QStringLiteral("処理中のため、") + QString::fromUtf8(kCloseRefused)
                           : QString::fromUtf8(kCloseRefused) + QStringLiteral(": ") + job);
    QTimer::singleShot(kCloseRefusedMs, this, [this] {
      if (waitNote_.isEmpty()) showNote(QString());
    });
    return;
  }
  // A wait of a moment (a rig poll, a message to another program): the close follows it.
  if (HoldCloseForWait(*this)) return;
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
  if (!e->text().isEmpty() && !TypesNoCharacter(*e)) FilterTypedText(e->text(), [this](int& k) { Form_KeyPress(k); });
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
