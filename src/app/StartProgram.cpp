#include "app/StartProgram.h"

#include <QCoreApplication>
#include <QLockFile>
#include <memory>

#include "core/HamlogAccess.h"
#include "core/StartupSettings.h"
#include "forms/awards/AwardWindows.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/lookup/LookupWindows.h"
#include "forms/startup/ORBEX_CFG.h"
#include "forms/startup/ORBTOP.h"
#include "forms/startup/OrbexTips.h"
#include "outputs/Seiribo.h"
#include "platform/paths.h"
#include "platform/ui/form.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "platform/vbstrings.h"

namespace {

std::unique_ptr<QLockFile>& programLock() {
  static std::unique_ptr<QLockFile> lock;
  return lock;
}

// Why the program folder cannot be used, with the system's reason.
QString programFolderText() {
  const QString folder = ProgramFolder();
  QString why;
  const QString probe = JoinPath(folder, "ORBEX5.probe");
  if (AtomicWriteFile(probe, "x", &why)) {
    Kill(probe);
    why.clear();
  }
  return "プログラムフォルダー" + vbCrLf + folder + vbCrLf + "にファイルを作れないので起動できません" +
         (why.isEmpty() ? QString() : " (" + why + ")") + "。" + vbCrLf +
         "読み取り専用でないか、ディスクに空きがあるかを確認下さい。";
}

}  // namespace

bool StartProgram(int* exitCode) {
  if (exitCode) *exitCode = 0;
  auto lock = std::make_unique<QLockFile>(JoinPath(ProgramFolder(), "ORBEX5.lock"));
  // A running copy keeps the system's lock on the file, so it is never taken over. A file left by a copy
  // that crashed is taken over once it is older than the stale time, even when it names another host
  // (a renamed machine, a container, a shared folder), which a process check alone would never clear.
  lock->setStaleLockTime(30'000);
  bool locked = lock->tryLock(0);
  // A file nobody holds (its copy crashed, perhaps before it could write its name into it) is taken
  // over at once: only a running copy holds the system's lock on it.
  if (!locked && lock->error() == QLockFile::LockFailedError && lock->removeStaleLockFile())
    locked = lock->tryLock(0);
  if (!locked) {
    if (exitCode) *exitCode = 1;
    if (lock->error() == QLockFile::LockFailedError) {
      MsgBox("ORBEX5 は既に起動しています (" + JoinPath(ProgramFolder(), "ORBEX5.lock") + " を使用中)。" + vbCrLf +
                 "起動している ORBEX5 をお使い下さい。",
             vbOKOnly | vbExclamation, "ORBEX5");
      return false;
    }
    // The folder takes no file: settings and work files could not be kept either.
    MsgBox(programFolderText(), vbOKOnly | vbCritical, "ORBEX5");
    return false;
  }
  programLock() = std::move(lock);

  QCoreApplication::setApplicationVersion(ProgramVersionText());
  ConnectLookupWindows();
  ConnectAwardWindows();
  ConnectLogbookWindows();
  Form<ORBTOP>();
  ORBTOP* top = LoadedForm<ORBTOP>();
  if (!top) {
    // The start-up refused to go on (its message said why): the program ends with an error.
    if (exitCode) *exitCode = 1;
    ReleaseProgramLock();
    return false;
  }
  top->Show();
  // The tips and the settings dialog opened by the start-up stay in front of the start window.
  if (OrbexTips* tips = LoadedForm<OrbexTips>()) tips->raise();
  if (ORBEX_CFG* cfg = LoadedForm<ORBEX_CFG>()) cfg->raise();
  return true;
}

void ReleaseProgramLock() { programLock().reset(); }
