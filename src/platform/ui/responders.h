#pragma once
// Test stand-ins for everything that would wait for the operator or act outside the program. Create
// one in a test; it takes over while it lives and records what the code showed or asked for.
//
//   ModalFormResponder modal;                              // Show(vbModal) runs this instead of waiting
//   modal.Then([](VbForm& f) { static_cast<CFG&>(f).CFGOK.Trigger(); });
//
//   PopupMenuResponder popup;  popup.Pick("市");           // the item to pick from the next pop-up
//   ... popup.shown()                                      // captions of the menus popped up
//
// Every queued answer must be used and every box must find one: a box without an answer, or an answer
// left over when the responder goes, is a test failure (testhooks.h).

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "platform/ui/form.h"
#include "platform/ui/menu.h"

class ModalFormResponder {
 public:
  ModalFormResponder();
  ~ModalFormResponder();
  ModalFormResponder(const ModalFormResponder&) = delete;
  ModalFormResponder& operator=(const ModalFormResponder&) = delete;

  // What to do with the next window shown modally; it must hide or unload the window.
  ModalFormResponder& Then(std::function<void(VbForm&)> step);
  // Titles of the windows shown modally, in order.
  const QStringList& shown() const { return shown_; }

 private:
  std::deque<std::function<void(VbForm&)>> steps_;
  QStringList shown_;
  ModalFormHook previous_;
};

class PopupMenuResponder {
 public:
  PopupMenuResponder();
  ~PopupMenuResponder();
  PopupMenuResponder(const PopupMenuResponder&) = delete;
  PopupMenuResponder& operator=(const PopupMenuResponder&) = delete;

  // Picks the item with this caption from the next pop-up.
  PopupMenuResponder& Pick(const QString& caption);
  // Closes the next pop-up without a pick.
  PopupMenuResponder& Dismiss();
  // Captions of the menus popped up, in order.
  const QStringList& shown() const { return shown_; }

 private:
  std::deque<QString> picks_;  // a null text dismisses
  QStringList shown_;
  PopupMenuHook previous_;
};
