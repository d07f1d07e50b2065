#include "platform/ui/doevents.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWindow>
#include <deque>
#include <functional>
#include <memory>

#include "platform/ui/application.h"
#include "platform/ui/control.h"

namespace {

// An input event held for a window while a wait lives, to reach it when the wait is over.
struct HeldInput {
  QPointer<QObject> target;
  std::function<std::unique_ptr<QEvent>()> event;
};

// The windows held by the waits that live now, outermost first (a hold drops what it added), and the
// input held for them, in the order it came.
struct Holds {
  std::vector<QPointer<QWidget>> windows;
  int depth = 0;
  QObject* filter = nullptr;
  std::deque<HeldInput> input;
  int replaying = 0;  // held input being handed on
  bool handOnPosted = false;
};

Holds& holds() {
  static Holds h;
  return h;
}

bool isInput(const QEvent& e) {
  switch (e.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

// What makes an input event again when it is handed on. A pointer event's point is shared with the
// window system's own, which the events after it change: the event is made afresh from its values.
std::function<std::unique_ptr<QEvent>()> Kept(const QEvent& e) {
  if (const auto* m = dynamic_cast<const QMouseEvent*>(&e))
    return [t = m->type(), at = m->position(), scene = m->scenePosition(), global = m->globalPosition(),
            b = m->button(), bs = m->buttons(), mods = m->modifiers(), dev = m->pointingDevice()] {
      return std::make_unique<QMouseEvent>(t, at, scene, global, b, bs, mods, dev);
    };
  if (const auto* w = dynamic_cast<const QWheelEvent*>(&e))
    return [at = w->position(), global = w->globalPosition(), pixels = w->pixelDelta(),
            angle = w->angleDelta(), bs = w->buttons(), mods = w->modifiers(), phase = w->phase(),
            inverted = w->inverted(), source = w->source(), dev = w->pointingDevice()] {
      return std::make_unique<QWheelEvent>(at, global, pixels, angle, bs, mods, phase, inverted, source, dev);
    };
  return [copy = std::shared_ptr<QEvent>(e.clone())] { return std::unique_ptr<QEvent>(copy->clone()); };
}

// True while a modal window (a message box shown after the wait, a notice that closes by itself)
// shuts `target`'s window off: Qt drops input handed to it, so the input waits until the box is gone.
bool ShutOffByModal(const QObject* target) {
  const QWindow* modal = QGuiApplication::modalWindow();
  if (!modal || !target) return false;
  const QWindow* window = qobject_cast<const QWindow*>(target);
  if (!window && target->isWidgetType())
    window = static_cast<const QWidget*>(target)->window()->windowHandle();
  if (!window) return false;
  for (const QWindow* w = window; w; w = w->transientParent())
    if (w == modal) return false;  // the box itself, or a window it opened
  if (modal->modality() == Qt::ApplicationModal) return true;
  for (const QWindow* w = modal->transientParent(); w; w = w->transientParent())
    if (w == window) return true;
  return false;
}

// Hands the held input on, in order, once no wait lives; a wait begun by one of them keeps the rest,
// and so does a modal box over their window until it closes.
void HandOnHeldInput() {
  Holds& h = holds();
  h.handOnPosted = false;
  while (!h.input.empty() && h.depth == 0) {
    if (ShutOffByModal(h.input.front().target)) return;
    HeldInput next = std::move(h.input.front());
    h.input.pop_front();
    QObject* target = next.target;
    const std::unique_ptr<QEvent> event = next.event();
    // Keys typed after a click or key that closed their window (handed on just before them) go where
    // the keyboard is now, as they would have gone with no wait.
    const QEvent::Type type = event->type();
    if (auto* window = qobject_cast<QWindow*>(target);
        window && !window->isVisible() && (type == QEvent::KeyPress || type == QEvent::KeyRelease))
      target = QGuiApplication::focusWindow();
    // Text from the input method goes where the keyboard is now, as the keys before it went.
    if (auto* window = qobject_cast<QWidget*>(target); window && type == QEvent::InputMethod)
      target = window->isVisible() ? window->focusWidget() : QApplication::focusWidget();
    if (!target) continue;
    const ui_detail::Hold replaying(h.replaying);
    QCoreApplication::sendEvent(target, event.get());
  }
}

void PostHandOn() {
  Holds& h = holds();
  if (h.handOnPosted || !h.filter) return;
  h.handOnPosted = true;
  QMetaObject::invokeMethod(h.filter, &HandOnHeldInput, Qt::QueuedConnection);
}

// Input for a held window waits; so does any input behind it, until it has been handed on (input that
// the handing on itself gives rise to goes at once, and so does the answer to a modal box the held
// input waits behind).
bool waitsItsTurn(const QObject* target) {
  const Holds& h = holds();
  const bool behind =
      h.depth == 0 && h.replaying == 0 && !h.input.empty() && !ShutOffByModal(h.input.front().target);
  return behind || HeldByWait(target);
}

class HoldFilter : public QObject {
 protected:
  bool eventFilter(QObject* target, QEvent* e) override {
    Holds& h = holds();
    // A modal box that kept the held input back has closed.
    if (e->type() == QEvent::WindowUnblocked && h.depth == 0 && !h.input.empty()) PostHandOn();
    if (!isInput(*e)) return false;
    if (!waitsItsTurn(target)) return false;
    // Taken by the window: no menu shortcut fires from it either; the key itself is held.
    if (e->type() == QEvent::ShortcutOverride) {
      e->accept();
      return true;
    }
    QObject* to = target;
    if (e->type() == QEvent::InputMethod && target->isWidgetType())
      to = static_cast<QWidget*>(target)->window();
    h.input.push_back({to, Kept(*e)});
    if (h.depth == 0) PostHandOn();
    return true;
  }
};

}  // namespace

bool HeldByWait(const QObject* target) {
  for (const QPointer<QWidget>& w : holds().windows) {
    if (!w) continue;
    if (target == w.data() || (target->isWindowType() && w->windowHandle() == target)) return true;
    if (target->isWidgetType() && static_cast<const QWidget*>(target)->window() == w.data()) return true;
  }
  return false;
}

bool WaitHoldsInput() { return holds().depth > 0; }

bool HoldCloseForWait(QWidget& window) {
  Holds& h = holds();
  if (!waitsItsTurn(&window)) return false;
  h.input.push_back({&window, [] { return std::make_unique<QCloseEvent>(); }});
  if (h.depth == 0) PostHandOn();
  return true;
}

namespace {

// Jobs that wait for a turn free of other work, and why the last turn was not free: a wait, a box or a
// DoEvents is waited out by its end, a nested loop by the end of the outermost event.
struct FreeTurns {
  std::deque<std::pair<QPointer<QObject>, std::function<void()>>> jobs;
  bool posted = false;
  enum class Blocked { No, ByWait, ByNesting } blocked = Blocked::No;
  int underWay = 0;  // WorkUnderWay
};

FreeTurns& freeTurns() {
  static FreeTurns t;
  return t;
}

void postFreeTurn();

void runFreeTurn() {
  FreeTurns& t = freeTurns();
  t.posted = false;
  while (!t.jobs.empty() && !t.jobs.front().first) t.jobs.pop_front();
  if (t.jobs.empty()) return;
  if (WaitHoldsInput() || t.underWay > 0) {
    t.blocked = FreeTurns::Blocked::ByWait;
    return;
  }
  if (EventsUnderWay() > 1) {
    t.blocked = FreeTurns::Blocked::ByNesting;
    return;
  }
  t.blocked = FreeTurns::Blocked::No;
  const std::function<void()> job = std::move(t.jobs.front().second);
  t.jobs.pop_front();
  job();
  if (!t.jobs.empty()) postFreeTurn();
}

void postFreeTurn() {
  FreeTurns& t = freeTurns();
  if (t.posted) return;
  t.posted = true;
  QMetaObject::invokeMethod(QCoreApplication::instance(), &runFreeTurn, Qt::QueuedConnection);
}

// A wait, a box or a DoEvents that kept a turn back has ended.
void waitEnded() {
  FreeTurns& t = freeTurns();
  if (t.blocked == FreeTurns::Blocked::ByWait && !WaitHoldsInput() && t.underWay == 0) {
    t.blocked = FreeTurns::Blocked::No;
    postFreeTurn();
  }
}

}  // namespace

bool OtherWorkRuns() { return WaitHoldsInput() || freeTurns().underWay > 0 || EventsUnderWay() > 1; }

void WhenNoOtherWork(QObject* context, std::function<void()> job) {
  FreeTurns& t = freeTurns();
  t.jobs.emplace_back(context, std::move(job));
  if (t.blocked == FreeTurns::Blocked::No) postFreeTurn();
}

void OutermostEventDone() {
  FreeTurns& t = freeTurns();
  if (t.blocked != FreeTurns::Blocked::ByNesting) return;
  t.blocked = FreeTurns::Blocked::No;
  postFreeTurn();
}

WorkUnderWay::WorkUnderWay() { ++freeTurns().underWay; }

WorkUnderWay::~WorkUnderWay() {
  --freeTurns().underWay;
  waitEnded();
}

void DoEvents() {
  const WorkUnderWay job;
  QCoreApplication::processEvents(WaitFlags());
}

InputHold::InputHold(const QWidget* leftFree) : heldBefore_(holds().windows.size()) {
  Holds& h = holds();
  // A tool without windows (the command sender) has nothing to hold.
  QCoreApplication* app = QCoreApplication::instance();
  if (qobject_cast<QApplication*>(app))
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != leftFree) h.windows.emplace_back(w);
  ++h.depth;
  if (!h.filter && app) {
    // Stays for the program's life: held input may still be waiting to be handed on after a wait.
    h.filter = new HoldFilter;
    h.filter->setParent(app);
    app->installEventFilter(h.filter);
  }
}

InputHold::~InputHold() {
  Holds& h = holds();
  h.windows.resize(heldBefore_);
  if (--h.depth == 0 && !h.input.empty()) PostHandOn();
  waitEnded();
}

QEventLoop::ProcessEventsFlags WaitFlags() { return QEventLoop::AllEvents; }

namespace {

// Installed after the hold's filter, so it sees the keys first.
class EscFilter : public QObject {
 public:
  explicit EscFilter(bool& escaped) : escaped_(escaped) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    const QEvent::Type t = e->type();
    if (t != QEvent::KeyPress && t != QEvent::KeyRelease && t != QEvent::ShortcutOverride) return false;
    if (static_cast<QKeyEvent*>(e)->key() != Qt::Key_Escape) return false;
    if (t == QEvent::KeyPress) escaped_ = true;
    e->accept();
    return true;
  }

 private:
  bool& escaped_;
};

}  // namespace

EscapableWait::EscapableWait() {
  if (QCoreApplication* app = QCoreApplication::instance()) {
    filter_ = new EscFilter(escaped_);
    app->installEventFilter(filter_);
  }
}

EscapableWait::~EscapableWait() { delete filter_; }

bool EscapableWait::Escaped() {
  DoEvents();
  return escaped_;
}

LongJobGuard::LongJobGuard(VbForm& form, std::initializer_list<LockItem> items)
    : form_(&form), items_(items), focus_(form.focusWidget()) {
  form.LockClose();
  for (LockItem& i : items_) {
    if (i.widget_) {
      i.wasEnabled_ = !i.widget_->testAttribute(Qt::WA_ForceDisabled);
      i.widget_->setEnabled(false);
    } else if (i.action_) {
      i.wasEnabled_ = i.action_->isEnabled();
      i.action_->setEnabled(false);
    }
  }
}

LongJobGuard::~LongJobGuard() {
  for (LockItem& i : items_) {
    if (i.widget_) i.widget_->setEnabled(i.wasEnabled_);
    if (i.action_) i.action_->setEnabled(i.wasEnabled_);
  }
  if (form_) form_->UnlockClose();
  if (focus_ && form_ && focus_->isEnabled() && form_->focusWidget() != focus_)
    focus_->setFocus(Qt::OtherFocusReason);
}

MousePointerGuard::MousePointerGuard(VbForm& form, int pointer)
    : form_(&form), previous_(form.MousePointer()) {
  form.SetMousePointer(pointer);
}

MousePointerGuard::~MousePointerGuard() {
  if (form_) form_->SetMousePointer(previous_);
}
