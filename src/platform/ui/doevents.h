#pragma once
// Letting pending events run during long jobs, and keeping the window safe meanwhile.
//
//   {
//     LongJobGuard guard(*this, {MENU, RTNMN, Command1, Frame5});   // disabled until the block ends
//     MousePointerGuard hourglass(*this);                          // hourglass until the block ends
//     for (...) { ...; if (++n % 2000 == 0) DoEvents(); }
//   }                                                              // every way out restores both
//
// While a LongJobGuard lives, the operator's close box of its window is refused and the listed
// controls and menus are disabled; each gets back the state it had before (one that was disabled
// stays disabled). A window unloaded meanwhile is simply skipped. The keyboard, pushed off a control
// the guard disabled, goes back to it: what the operator types meanwhile (held) arrives there.

#include <QAction>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/ui/form.h"
#include "platform/ui/menu.h"

// Runs the events that are waiting (clicks, key strokes, timers, repaints) and returns; inside a wait
// that holds the operator's input (below), the input for the held windows stays held.
void DoEvents();

// A wait of the program (a serial exchange, a web request, a message to another program) lets timers,
// sockets and repaints run but holds the operator's input off every window that was open when it
// began, so that no click or key stroke reaches the windows whose work is half done. The input is
// kept, all of it (clicks, keys, text from the input method), and handed on in the order it came once
// the wait is over (keys whose window a click handed on before them closed go where the keyboard is
// then), and so is a click on a held window's close box. A window the program closes
// meanwhile (a notice that closes after a few seconds) closes. A wait inside another (a rig poll
// during a web request) keeps the outer one's windows held. A window opened meanwhile (a message box)
// takes input as usual, and a box shown during the wait first takes in the input that came before it.
// A window left free (the one whose Esc stops a long job) takes its input at once.
//
//   InputHold hold;
//   loop.exec(WaitFlags());
class InputHold {
 public:
  explicit InputHold(const QWidget* leftFree = nullptr);
  ~InputHold();
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;

 private:
  size_t heldBefore_;
};
// The flags for a wait's event loop: every event runs; the hold keeps what is not for now.
QEventLoop::ProcessEventsFlags WaitFlags();
// True while other work runs: a wait that holds input, a box (WorkUnderWay) or any other loop nested in
// the handling of an event, a long job letting events run (DoEvents). A turn of the outermost event loop
// is free.
bool OtherWorkRuns();
// Runs `job` from the event loop once no other work runs: never inside a box, a wait or another job.
// Jobs run one a turn, in the order they came; one that opens a box or waits keeps the next back until
// it is over. A job whose `context` went is dropped.
void WhenNoOtherWork(QObject* context, std::function<void()> job);
// Told by the program's QApplication each time the outermost event has been handled.
void OutermostEventDone();
// A box, a pop-up menu, a file dialog or a modal window up, or a long job's DoEvents, while it lives: no
// free turn comes meanwhile, also where the box is answered at once (the tests' responders).
class WorkUnderWay {
 public:
  WorkUnderWay();
  ~WorkUnderWay();
  WorkUnderWay(const WorkUnderWay&) = delete;
  WorkUnderWay& operator=(const WorkUnderWay&) = delete;
};
// True when `target` (a window, or a widget in one) is held by a wait that lives now.
bool HeldByWait(const QObject* target);
// True while a wait holds input.
bool WaitHoldsInput();
// The operator's close of `window` during a wait that holds its input (a rig poll, a message to another
// program): kept with the input held and carried out once the wait is over. False when nothing holds it.
bool HoldCloseForWait(QWidget& window);

// A wait the operator may end with Esc (a write waiting for another program to let go of a file): input
// is held as by InputHold, but an Esc pressed meanwhile belongs to the wait.
//
//   EscapableWait wait;
//   while (!ready()) if (wait.Escaped()) return Stopped;
class EscapableWait {
 public:
  EscapableWait();
  ~EscapableWait();
  EscapableWait(const EscapableWait&) = delete;
  EscapableWait& operator=(const EscapableWait&) = delete;
  // Runs the events that are waiting; true once Esc was pressed.
  bool Escaped();

 private:
  InputHold hold_;
  QObject* filter_ = nullptr;
  bool escaped_ = false;
};

class LockItem {
 public:
  LockItem(QWidget& w) : widget_(&w) {}       // NOLINT: implicit on purpose, for brace lists
  LockItem(Menu& m) : action_(m.action()) {}  // NOLINT
 private:
  friend class LongJobGuard;
  QPointer<QWidget> widget_;
  QPointer<QAction> action_;
  bool wasEnabled_ = true;
};

class LongJobGuard {
 public:
  explicit LongJobGuard(VbForm& form, std::initializer_list<LockItem> items = {});
  ~LongJobGuard();
  LongJobGuard(const LongJobGuard&) = delete;
  LongJobGuard& operator=(const LongJobGuard&) = delete;

 private:
  QPointer<VbForm> form_;
  std::vector<LockItem> items_;
  QPointer<QWidget> focus_;
};

class MousePointerGuard {
 public:
  explicit MousePointerGuard(VbForm& form, int pointer = vbHourglass);
  ~MousePointerGuard();
  MousePointerGuard(const MousePointerGuard&) = delete;
  MousePointerGuard& operator=(const MousePointerGuard&) = delete;

 private:
  QPointer<VbForm> form_;
  int previous_;
};
