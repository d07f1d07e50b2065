#include "platform/ui/menu.h"

#include <QCursor>
#include <QMainWindow>
#include <QMenuBar>

#include "platform/ui/doevents.h"
#include "platform/ui/testhooks.h"

namespace {

PopupMenuHook& Hook() {
  static PopupMenuHook h;
  return h;
}

const char* const kMenuProperty = "orbexMenu";

void Remember(QAction* a, Menu* m) { a->setProperty(kMenuProperty, QVariant::fromValue<void*>(m)); }

}  // namespace

// A menu of the menu bar is a command of its own until it gets items: one click runs it, and no empty
// pop-up opens.
Menu::Menu(QMainWindow* window, const QString& caption) : window_(window) {
  action_ = new QAction(caption, window);
  window->menuBar()->addAction(action_);
  Init(caption);
}

Menu::Menu(Menu* parent, const QString& caption) : window_(parent->window_) {
  action_ = new QAction(caption, window_);
  parent->submenu()->addAction(action_);
  Init(caption);
}

Menu::~Menu() {
  delete action_.data();
  delete submenu_.data();
}

void Menu::Init(const QString& caption) {
  Remember(action_, this);
  SetCaption(caption);
  QObject::connect(action_, &QAction::triggered, action_, [this] {
    if (Click) Click();
  });
}

QMenu* Menu::submenu() {
  if (!submenu_) {
    submenu_ = new QMenu(action_->text(), window_);
    action_->setMenu(submenu_.data());
    QObject::connect(submenu_, &QMenu::aboutToShow, submenu_, [this] {
      if (Click) Click();
    });
  }
  return submenu_;
}

QString Menu::Caption() const {
  if (!action_) return QString();
  return action_->isSeparator() ? QStringLiteral("-") : action_->text();
}

void Menu::SetCaption(const QString& caption) {
  if (!action_) return;
  // A separator is a line: a text on it would be drawn as a heading.
  const bool line = caption == QLatin1String("-");
  action_->setSeparator(line);
  action_->setText(line ? QString() : caption);
  if (submenu_) submenu_->setTitle(action_->text());
}

bool Menu::Visible() const { return action_ && action_->isVisible(); }
void Menu::SetVisible(bool on) {
  if (action_) action_->setVisible(on);
}

bool Menu::Enabled() const { return action_ && action_->isEnabled(); }
void Menu::SetEnabled(bool on) {
  if (action_) action_->setEnabled(on);
}

bool Menu::Checked() const { return action_ && action_->isChecked(); }
void Menu::SetChecked(bool on) {
  if (!action_) return;
  action_->setCheckable(true);
  action_->setChecked(on);
}

void Menu::Trigger() {
  if (action_ && action_->isEnabled() && action_->isVisible() && !action_->signalsBlocked())
    action_->trigger();
}

Menu* MenuOfAction(QAction* action) {
  return action ? static_cast<Menu*>(action->property(kMenuProperty).value<void*>()) : nullptr;
}

PopupMenuHook SetPopupMenuHook(PopupMenuHook hook) { return ReplaceHook(Hook(), std::move(hook)); }

void PopupMenu(Menu& menu) {
  const WorkUnderWay popup;
  if (Hook()) {
    if (menu.Click) menu.Click();
    if (Menu* picked = Hook()(menu)) picked->Trigger();
    return;
  }
  if (HeadlessUi()) {
    ReportUiFailure(QStringLiteral("Pop-up menu \"%1\" shown with no responder").arg(menu.Caption()));
    return;
  }
  // Opening runs the menu's own Click; the picked action's triggered() runs the item's.
  menu.submenu()->exec(QCursor::pos());
}
