#include "platform/ui/doevents.h"

#include <QApplication>
#include <QWindow>

namespace {

// The windows held by the waits that live now, outermost first; a hold drops what it added.
struct Holds {
  std::vector<QPointer<QWidget>> windows;
  int depth = 0;
  QObject* filter = nullptr;
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

}  // namespace

bool HeldByWait(const QObject* target) {
  for (const QPointer<QWidget>& w : holds().windows) {
    if (!w) continue;
    if (target == w.data() || (target->isWindowType() && w->windowHandle() == target)) return true;
    if (target->isWidgetType() && static_cast<const QWidget*>(target)->window() == w.data()) return true;
  }
  return false;
}

namespace {

class HoldFilter : public QObject {
 protected:
  bool eventFilter(QObject* target, QEvent* e) override {
    if (!isInput(*e) || !HeldByWait(target)) return false;
    // Taken by the window: no menu shortcut fires from it either.
    if (e->type() == QEvent::ShortcutOverride) e->accept();
    return true;
  }
};

}  // namespace

void DoEvents() { QCoreApplication::processEvents(WaitFlags()); }

InputHold::InputHold() : heldBefore_(holds().windows.size()) {
  Holds& h = holds();
  // A tool without windows (the command sender) has nothing to hold.
  QCoreApplication* app = QCoreApplication::instance();
  if (qobject_cast<QApplication*>(app))
    for (QWidget* w : QApplication::topLevelWidgets()) h.windows.emplace_back(w);
  if (h.depth++ == 0 && app) {
    h.filter = new HoldFilter;
    app->installEventFilter(h.filter);
  }
}

InputHold::~InputHold() {
  Holds& h = holds();
  h.windows.resize(heldBefore_);
  if (--h.depth == 0 && h.filter) {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(h.filter);
    delete h.filter;
    h.filter = nullptr;
  }
}

QEventLoop::ProcessEventsFlags WaitFlags() { return QEventLoop::AllEvents; }

LongJobGuard::LongJobGuard(VbForm& form, std::initializer_list<LockItem> items)
    : form_(&form), items_(items) {
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
}

MousePointerGuard::MousePointerGuard(VbForm& form, int pointer)
    : form_(&form), previous_(form.MousePointer()) {
  form.SetMousePointer(pointer);
}

MousePointerGuard::~MousePointerGuard() {
  if (form_) form_->SetMousePointer(previous_);
}
