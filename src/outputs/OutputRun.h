#pragma once
// What a list writer leaves for the window: the messages to show and the files to open, in order, or
// why it failed. A failed run shows no success message and replaces no earlier file.

#include <QString>
#include <QStringList>

struct OutputRun {
  bool ok = false;
  QString error;         // the failure message; "" when ok
  QStringList messages;  // after a successful run
  QStringList opened;    // files to open with the shell, after the messages
};
