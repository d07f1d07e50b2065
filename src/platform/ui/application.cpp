#include "platform/ui/application.h"

#include "platform/ui/doevents.h"

namespace {
int depth = 0;
}

ProgramApplication::ProgramApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ProgramApplication::notify(QObject* receiver, QEvent* event) {
  struct Level {
    Level() { ++depth; }
    ~Level() {
      if (--depth == 0) OutermostEventDone();
    }
  } level;
  return QApplication::notify(receiver, event);
}

int EventsUnderWay() { return depth; }
