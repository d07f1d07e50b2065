#pragma once
// Test stand-ins for everything that would wait for the operator or act outside the program. Create
// one in a test; it takes over while it lives and records what the code showed or asked for.
//
//   MsgBoxResponder boxes;
//   boxes.Answer(vbYes).Type("*");                         // the next message box, then an input box
//   ... code under test ...
//   EXPECT_EQ(boxes.texts(), QStringList({"...", "..."}));
//   EXPECT_EQ(boxes.shown()[0].style, vbYesNo + vbQuestion);   // also title, position, time-out
//   (timed boxes need no answer: they time out at once)
//
//   FileDialogResponder files;  files.Choose(tmp.file("a.txt"));  files.Cancel();
//   ShellRecorder shell;        ... shell.opened() / shell.started() / shell.calls()
//   KeyStrokeRecorder keys;     ... keys.events() == {{18, true}, {44, true}, {44, false}, {18, false}}
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

#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/menu.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/snapshot.h"

class MsgBoxResponder {
 public:
  MsgBoxResponder();
  ~MsgBoxResponder();
  MsgBoxResponder(const MsgBoxResponder&) = delete;
  MsgBoxResponder& operator=(const MsgBoxResponder&) = delete;

  // The answer to the next message box (it must be one of the box's buttons).
  MsgBoxResponder& Answer(int code);
  // The text typed into the next input box ("" = Cancel).
  MsgBoxResponder& Type(const QString& text);
  // Runs while a box is up (before its answer is given), for checks of the program's state.
  std::function<void(const MsgBoxCall&)> OnShow;

  const std::vector<MsgBoxCall>& shown() const { return shown_; }
  QStringList texts() const;

 private:
  struct Reply {
    bool input;
    int code;
    QString text;
  };
  std::deque<Reply> replies_;
  std::vector<MsgBoxCall> shown_;
  MsgBoxHook previous_;
};

class FileDialogResponder {
 public:
  FileDialogResponder();
  ~FileDialogResponder();
  FileDialogResponder(const FileDialogResponder&) = delete;
  FileDialogResponder& operator=(const FileDialogResponder&) = delete;

  // The file the operator picks in the next dialog (and, if not 0, the filter chosen, from 1).
  FileDialogResponder& Choose(const QString& path, int filterIndex = 0);
  FileDialogResponder& Cancel();
  const std::vector<FileDialogCall>& shown() const { return shown_; }

 private:
  std::deque<FileDialogAnswer> answers_;
  std::vector<FileDialogCall> shown_;
  FileDialogHook previous_;
};

class ShellRecorder {
 public:
  ShellRecorder();
  ~ShellRecorder();
  ShellRecorder(const ShellRecorder&) = delete;
  ShellRecorder& operator=(const ShellRecorder&) = delete;

  // What the shell answers from now on (default: done, and process id 1000).
  void SetOpenResult(int result) { openResult_ = result; }
  void SetStartResult(int64_t pid) { startResult_ = pid; }
  const std::vector<ShellCall>& calls() const { return calls_; }
  QStringList opened() const;   // files and addresses opened
  QStringList started() const;  // programs started (arguments in calls())

 private:
  std::vector<ShellCall> calls_;
  int openResult_ = kShellDone;
  int64_t startResult_ = 1000;
  ShellHook previous_;
};

class KeyStrokeRecorder {
 public:
  KeyStrokeRecorder();
  ~KeyStrokeRecorder();
  KeyStrokeRecorder(const KeyStrokeRecorder&) = delete;
  KeyStrokeRecorder& operator=(const KeyStrokeRecorder&) = delete;
  const std::vector<KeyStrokeEvent>& events() const { return events_; }

 private:
  std::vector<KeyStrokeEvent> events_;
  KeyStrokeHook previous_;
};

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
