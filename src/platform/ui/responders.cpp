#include "platform/ui/responders.h"

#include <QFileInfo>

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

namespace {

// The buttons a message box style offers.
bool Offers(int style, int code) {
  switch (style & 0xF) {
    case vbOKCancel:
      return code == vbOK || code == vbCancel;
    case vbAbortRetryIgnore:
      return code == vbAbort || code == vbRetry || code == vbIgnore;
    case vbYesNoCancel:
      return code == vbYes || code == vbNo || code == vbCancel;
    case vbYesNo:
      return code == vbYes || code == vbNo;
    case vbRetryCancel:
      return code == vbRetry || code == vbCancel;
    default:
      return code == vbOK;
  }
}

}  // namespace

MsgBoxResponder::MsgBoxResponder() {
  previous_ = SetMsgBoxHook([this](const MsgBoxCall& call) -> MsgBoxAnswer {
    shown_.push_back(call);
    if (OnShow) OnShow(call);
    if (call.kind == MsgBoxCall::Timed) return {vbTimedOut, {}};
    const bool input = call.kind == MsgBoxCall::Input;
    if (replies_.empty() || replies_.front().input != input) {
      ReportUiFailure(
          QStringLiteral("%1 with no answer queued: \"%2\"")
              .arg(input ? QStringLiteral("Input box") : QStringLiteral("Message box"), call.text));
      return {input ? vbCancel : (Offers(call.style, vbCancel) ? vbCancel : vbOK), {}};
    }
    const Reply r = replies_.front();
    replies_.pop_front();
    if (!input && !Offers(call.style, r.code))
      ReportUiFailure(
          QStringLiteral("Answer %1 is not a button of the box \"%2\"").arg(r.code).arg(call.text));
    return {r.code, r.text};
  });
}

MsgBoxResponder::~MsgBoxResponder() {
  SetMsgBoxHook(std::move(previous_));
  ReportLeftOver("MsgBoxResponder", replies_.size());
}

MsgBoxResponder& MsgBoxResponder::Answer(int code) {
  replies_.push_back({false, code, {}});
  return *this;
}

MsgBoxResponder& MsgBoxResponder::Type(const QString& text) {
  replies_.push_back({true, text.isEmpty() ? vbCancel : vbOK, text});
  return *this;
}

QStringList MsgBoxResponder::texts() const {
  QStringList out;
  for (const MsgBoxCall& c : shown_) out << c.text;
  return out;
}

FileDialogResponder::FileDialogResponder() {
  previous_ = SetFileDialogHook([this](const FileDialogCall& call) -> FileDialogAnswer {
    shown_.push_back(call);
    if (answers_.empty()) {
      ReportUiFailure(QStringLiteral("File dialog \"%1\" with no answer queued").arg(call.title));
      return {true, {}, 0};
    }
    FileDialogAnswer a = answers_.front();
    answers_.pop_front();
    // The real dialog would not let the operator pick these.
    if (!a.cancelled && !call.save && (call.flags & cdlOFNFileMustExist) && !QFileInfo::exists(a.path))
      ReportUiFailure(
          QStringLiteral("File dialog \"%1\" must pick an existing file, not %2").arg(call.title, a.path));
    if (!a.cancelled && (call.flags & cdlOFNPathMustExist) &&
        !QFileInfo(QFileInfo(a.path).absolutePath()).isDir())
      ReportUiFailure(QStringLiteral("File dialog \"%1\" must pick a file in an existing folder, not %2")
                          .arg(call.title, a.path));
    return a;
  });
}

FileDialogResponder::~FileDialogResponder() {
  SetFileDialogHook(std::move(previous_));
  ReportLeftOver("FileDialogResponder", answers_.size());
}

FileDialogResponder& FileDialogResponder::Choose(const QString& path, int filterIndex) {
  answers_.push_back({false, path, filterIndex});
  return *this;
}

FileDialogResponder& FileDialogResponder::Cancel() {
  answers_.push_back({true, {}, 0});
  return *this;
}

ShellRecorder::ShellRecorder() {
  previous_ = SetShellHook([this](const ShellCall& call) -> int64_t {
    calls_.push_back(call);
    return call.kind == ShellCall::Open ? openResult_ : startResult_;
  });
}

ShellRecorder::~ShellRecorder() { SetShellHook(std::move(previous_)); }

QStringList ShellRecorder::opened() const {
  QStringList out;
  for (const ShellCall& c : calls_)
    if (c.kind == ShellCall::Open) out << c.target;
  return out;
}

QStringList ShellRecorder::started() const {
  QStringList out;
  for (const ShellCall& c : calls_)
    if (c.kind == ShellCall::Start) out << c.target;
  return out;
}

KeyStrokeRecorder::KeyStrokeRecorder() {
  previous_ = SetKeyStrokeHook(
      [this](const std::vector<KeyStrokeEvent>& e) { events_.insert(events_.end(), e.begin(), e.end()); });
}

KeyStrokeRecorder::~KeyStrokeRecorder() { SetKeyStrokeHook(std::move(previous_)); }
