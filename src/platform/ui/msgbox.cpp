#include "platform/ui/msgbox.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <vector>

#include "platform/ui/doevents.h"
#include "platform/ui/form.h"
#include "platform/ui/testhooks.h"

ScreenPoint MsgBoxCentre;

namespace {

MsgBoxHook& Hook() {
  static MsgBoxHook h;
  return h;
}

std::optional<QPoint>& NextPosition() {
  static std::optional<QPoint> p;
  return p;
}

// The placement applies to one box only.
std::optional<QPoint> TakePosition() {
  std::optional<QPoint> p = NextPosition();
  NextPosition().reset();
  return p;
}

QString Plain(const QString& text) {
  QString t = text;
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t;
}

QString TitleOr(const QString& title) { return title.isEmpty() ? AppTitle() : title; }

struct Button {
  QMessageBox::StandardButton qt;
  int code;
  const char* caption;
};

std::vector<Button> ButtonsOf(int style) {
  const Button ok{QMessageBox::Ok, vbOK, "OK"};
  const Button cancel{QMessageBox::Cancel, vbCancel, "キャンセル"};
  const Button yes{QMessageBox::Yes, vbYes, "はい(&Y)"};
  const Button no{QMessageBox::No, vbNo, "いいえ(&N)"};
  const Button abort{QMessageBox::Abort, vbAbort, "中止(&A)"};
  const Button retry{QMessageBox::Retry, vbRetry, "再試行(&R)"};
  const Button ignore{QMessageBox::Ignore, vbIgnore, "無視(&I)"};
  switch (style & 0xF) {
    case vbOKCancel:
      return {ok, cancel};
    case vbAbortRetryIgnore:
      return {abort, retry, ignore};
    case vbYesNoCancel:
      return {yes, no, cancel};
    case vbYesNo:
      return {yes, no};
    case vbRetryCancel:
      return {retry, cancel};
    default:
      return {ok};
  }
}

// The answer a box gives when nobody is there to answer (it is reported as a failure as well).
int DismissAnswer(int style) {
  const auto buttons = ButtonsOf(style);
  for (const Button& b : buttons)
    if (b.code == vbCancel) return vbCancel;
  return buttons.back().code;
}

// The window a box speaks for, which it opens over: the active one, or the one active last while the
// window system has not given the keyboard back after an earlier box.
QWidget* Owner() {
  if (QWidget* w = QApplication::activeWindow()) return w;
  return VbForm::LastActive();
}

void PlaceAndStyle(QWidget& box, int style, const std::optional<QPoint>& at) {
  if (style & vbSystemModal) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  if (at) box.move(*at);  // the top-left corner of the box itself, frame included
}

int Show(const MsgBoxCall& call) {
  const WorkUnderWay shown;
  if (Hook()) return Hook()(call).code;
  if (HeadlessUi()) {
    ReportUiFailure(QStringLiteral("Message box shown with no responder: \"%1\"").arg(call.text));
    return DismissAnswer(call.style);
  }
  // Input that came during a wait and is not taken in yet would be lost to the box's window system
  // queue (the windows behind a modal box get none): taken in now, it is held for them.
  if (WaitHoldsInput()) DoEvents();
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (call.style & 0x70) {
    case vbCritical:
      icon = QMessageBox::Critical;
      break;
    case vbQuestion:
      icon = QMessageBox::Question;
      break;
    case vbExclamation:
      icon = QMessageBox::Warning;
      break;
    case vbInformation:
      icon = QMessageBox::Information;
      break;
    default:
      break;
  }
  QMessageBox box(icon, call.title, Plain(call.text), QMessageBox::NoButton, Owner());
  box.setTextFormat(Qt::PlainText);
  const auto buttons = ButtonsOf(call.style);
  std::vector<QPushButton*> made;
  for (const Button& b : buttons) {
    QPushButton* p = box.addButton(b.qt);
    p->setText(QString::fromUtf8(b.caption));
    made.push_back(p);
  }
  const int def = (call.style >> 8) & 0x3;
  if (def < static_cast<int>(made.size())) box.setDefaultButton(made[def]);
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].code == vbCancel || buttons.size() == 1) box.setEscapeButton(made[i]);
  PlaceAndStyle(box, call.style, call.position);
  bool timedOut = false;
  if (call.timeoutSeconds > 0)
    QTimer::singleShot(call.timeoutSeconds * 1000, &box, [&] {
      timedOut = true;
      box.done(0);
    });
  box.exec();
  if (timedOut) return vbTimedOut;
  for (size_t i = 0; i < made.size(); ++i)
    if (box.clickedButton() == made[i]) return buttons[i].code;
  return DismissAnswer(call.style);
}

}  // namespace

QString AppTitle() { return QStringLiteral("ORBEX5"); }

MsgBoxHook SetMsgBoxHook(MsgBoxHook hook) { return ReplaceHook(Hook(), std::move(hook)); }

int MsgBox(const QString& text, int style, const QString& title) {
  MsgBoxCall call;
  call.text = text;
  call.title = TitleOr(title);
  call.style = style;
  call.position = TakePosition();
  return Show(call);
}

void MsgBoxPosHook(int32_t x, int32_t y) { NextPosition() = QPoint(x, y); }

int MsgBoxTimeout(const QString& text, const QString& caption, int32_t seconds) {
  MsgBoxCall call;
  call.kind = MsgBoxCall::Timed;
  call.text = text;
  call.title = TitleOr(caption);
  call.style = vbInformation | vbMsgBoxSetForeground;
  call.position = TakePosition();
  call.timeoutSeconds = std::max(seconds, 1);
  return Show(call);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
  MsgBoxCall call;
  call.kind = MsgBoxCall::Input;
  call.text = prompt;
  call.title = TitleOr(title);
  call.style = vbOKCancel;
  call.position = TakePosition();
  call.defaultText = defaultText;
  const WorkUnderWay shown;
  if (Hook()) return Hook()(call).text;
  if (HeadlessUi()) {
    ReportUiFailure(QStringLiteral("Input box shown with no responder: \"%1\"").arg(prompt));
    return QString();
  }
  QInputDialog dialog(Owner());
  dialog.setWindowTitle(call.title);
  dialog.setLabelText(Plain(prompt));
  dialog.setTextValue(defaultText);
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QString::fromUtf8("キャンセル"));
  PlaceAndStyle(dialog, 0, call.position);
  return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void SetMsgBoxCentre(const QWidget& window) {
  const QRect r = window.frameGeometry();
  MsgBoxCentre.x = r.left() + r.width() / 2;
  MsgBoxCentre.y = r.top() + r.height() / 2;
}
