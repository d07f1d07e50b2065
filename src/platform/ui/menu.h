#pragma once
// Menus of a window's menu bar, their items, sub-menus and pop-up menus.
//
//   Menu MENU{this, "Menu(&M)"};                     // a menu of the menu bar
//   Menu RTNMN{&MENU, "起動画面に戻る(&B)"};          // an item of it (an item with items is a sub-menu)
//   Menu sep1{&MENU, "-"};                           // a separator line
//   RTNMN.Click = [this] { RTNMN_Click(); };
//   RTNMN.SetEnabled(false);  FUKUGEN.SetVisible(true);  Check.SetChecked(true);  SetCaption(...)
//   ControlArray<Menu> JA1Kenbetsu{&DAREA1, 0, 7};   // menu arrays (control_array.h), captions set after
//
//   PopupMenu(JCCG);                                 // JCCG's items at the mouse pointer, waits for a pick
//
// A menu with items also gets Click, just before it opens; a menu of the menu bar with none is a
// command that one click runs. Hidden menu-bar menus can still pop up.

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <functional>

class QMainWindow;

class Menu {
 public:
  Menu(QMainWindow* window, const QString& caption = QString());
  Menu(Menu* parent, const QString& caption = QString());
  ~Menu();
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  std::function<void()> Click;

  QString Caption() const;
  void SetCaption(const QString& caption);  // "-" makes a separator line
  bool Visible() const;
  void SetVisible(bool on);
  bool Enabled() const;
  void SetEnabled(bool on);
  bool Checked() const;
  void SetChecked(bool on);
  int Index() const { return index_; }
  void SetIndex(int index) { index_ = index; }

  QAction* action() const { return action_; }
  // The menu that holds this one's items (created with the first item).
  QMenu* submenu();
  // Runs Click as a pick by the operator does (nothing when the item is disabled or hidden).
  void Trigger();

 private:
  void Init(const QString& caption);
  QPointer<QWidget> window_;
  QPointer<QAction> action_;
  QPointer<QMenu> submenu_;
  int index_ = -1;
};

// Shows the items of `menu` at the mouse pointer and runs the picked item's Click before it returns.
void PopupMenu(Menu& menu);

// Test hook (responders.h installs it): takes the place of the pop-up; returns the item to pick or null.
using PopupMenuHook = std::function<Menu*(Menu& popup)>;
PopupMenuHook SetPopupMenuHook(PopupMenuHook hook);
// Finds the Menu object behind one of the actions of a pop-up (for hooks that pick by caption).
Menu* MenuOfAction(QAction* action);
