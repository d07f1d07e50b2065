#pragma once
// The program's QApplication. It counts how deep in the handling of events the program is, so that
// work that must never start inside other work (a companion program's command, a box the event loop
// brings) can wait for a turn of the outermost event loop: not inside a box, a wait, a menu's loop or
// a long job that lets events run.
//
//   ProgramApplication app(argc, argv);

#include <QApplication>

class ProgramApplication : public QApplication {
 public:
  ProgramApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// How many events are being handled now, one inside the other: 1 inside a handler that the outermost
// loop called, more inside a nested loop (a box, a wait) or a DoEvents; 0 between events, and always
// 0 in a program that has no ProgramApplication.
int EventsUnderWay();
