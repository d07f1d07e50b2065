// orbexsend: sends one text command to a running ORBEX5, as the companion rig program, the satellite
// program or a spot sender would.
//
//   orbexsend "ORBEX5wf_TXshift + 300"
//   orbexsend "SatMate+435.100+FM+rem1+rem2+x+y+JA1ABC+1002+T"
//   orbexsend "JA1ABC+1002+x+7.025+CW"
//   orbexsend --to "SendSpot for JCV/HWCV" "..."
//
// The text is sent in Windows-31J. ORBEX5 answers a rig command once the rig took it or refused it,
// after the commands queued before it. Exit status: 0 carried out, 1 nobody listens or no answer came
// within five minutes, 2 a usage error, or a command ORBEX5 refused (its status bar says why).

#include <QCoreApplication>
#include <QTextStream>

#include "platform/codepage.h"
#include "platform/ipc/ipc.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = app.arguments().mid(1);
  const QString ours = QStringLiteral("ORBEX5");
  QString to = ours;
  QTextStream err(stderr);
  if (args.size() >= 2 && args[0] == "--to") {
    to = args[1];
    args = args.mid(2);
  }
  if (args.size() != 1) {
    err << "usage: orbexsend [--to TITLE] TEXT\n";
    return 2;
  }
  const QByteArray message = ToAnsi(args[0]);
  if (message.size() > kIpcMaxMessage) {
    err << "orbexsend: the text is longer than " << kIpcMaxMessage << " bytes\n";
    return 2;
  }
  if (const QString why = IpcFolderProblem(); !why.isEmpty()) {
    err << "orbexsend: " << why << "\n";
    return 1;
  }
  // Each rig command takes the rig well under a second: five minutes cover a burst of some hundred
  // commands queued before this one, and end the wait for a program that no longer answers.
  constexpr int kAnswerWaitMs = 5 * 60 * 1000;
  int32_t answer = 0;
  if (!IpcSend(to, message, &answer, kAnswerWaitMs)) {
    err << "orbexsend: no answer from \"" << to << "\" (is it running?)\n";
    return 1;
  }
  // Other receivers' answers mean what their programs make of them.
  if (to == ours && answer == kIpcRefused) {
    err << "orbexsend: ORBEX5 refused the command (its status bar says why)\n";
    return 2;
  }
  return 0;
}
