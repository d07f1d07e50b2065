// hamlogdb: see hamlogdb.h.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "hamlogdb.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout), err(stderr);
  QStringList args = app.arguments();
  args.removeFirst();
  return hamlogdb::RunCommandLine(args, out, err);
}
