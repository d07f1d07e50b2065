#include "platform/ui/doevents.h"

#include <QCoreApplication>

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

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
