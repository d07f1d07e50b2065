#include "platform/ui/responders.h"

#include "platform/ui/testhooks.h"

namespace {

void ReportLeftOver(const char* what, size_t n) {
  if (n)
    ReportUiFailure(QStringLiteral("%1: %2 queued answer(s) never used").arg(QLatin1String(what)).arg(n));
}

}  // namespace

ModalFormResponder::ModalFormResponder() {
  previous_ = SetModalFormHook([this](VbForm& form) {
    shown_ << form.windowTitle();
    if (steps_.empty()) {
      ReportUiFailure(
          QStringLiteral("Modal window \"%1\" shown with no step queued").arg(form.windowTitle()));
      form.hide();
      return;
    }
    auto step = std::move(steps_.front());
    steps_.pop_front();
    step(form);
  });
}

ModalFormResponder::~ModalFormResponder() {
  SetModalFormHook(std::move(previous_));
  ReportLeftOver("ModalFormResponder", steps_.size());
}

ModalFormResponder& ModalFormResponder::Then(std::function<void(VbForm&)> step) {
  steps_.push_back(std::move(step));
  return *this;
}

PopupMenuResponder::PopupMenuResponder() {
  previous_ = SetPopupMenuHook([this](Menu& popup) -> Menu* {
    shown_ << popup.Caption();
    if (picks_.empty()) {
      ReportUiFailure(QStringLiteral("Pop-up menu \"%1\" shown with no pick queued").arg(popup.Caption()));
      return nullptr;
    }
    const QString pick = picks_.front();
    picks_.pop_front();
    if (pick.isNull()) return nullptr;
    for (QAction* a : popup.submenu()->actions()) {
      Menu* m = MenuOfAction(a);
      if (m && a->text() == pick) return m;
    }
    ReportUiFailure(QStringLiteral("Pop-up menu \"%1\" has no item \"%2\"").arg(popup.Caption(), pick));
    return nullptr;
  });
}

PopupMenuResponder::~PopupMenuResponder() {
  SetPopupMenuHook(std::move(previous_));
  ReportLeftOver("PopupMenuResponder", picks_.size());
}

PopupMenuResponder& PopupMenuResponder::Pick(const QString& caption) {
  picks_.push_back(caption.isNull() ? QStringLiteral("") : caption);
  return *this;
}

PopupMenuResponder& PopupMenuResponder::Dismiss() {
  picks_.push_back(QString());
  return *this;
}
