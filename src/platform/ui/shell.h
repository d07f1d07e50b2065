#pragma once
// Opening files and web pages with the desktop's handler, and starting other programs.
//
//   int r = ShellOpen(path);                     // a file: the desktop's program for it
//   ShellOpen("https://www.jarl.org/");          // http and https only; other schemes are refused
//   ShellOpen(programFolder + "/QSOBANK.url");   // an internet shortcut: the address on its URL= line
//   if (r <= 32) ReportShellOpenFailure(r, ...); // results as the shell gives them: above 32 = done
//   ShellStart(editor, {file});                  // a program with its arguments (never a command line)
//   OpenHelpFile(helpPath);                      // help files open the same way
//
// Tests record these calls instead of acting (ShellRecorder in responders.h); without a recorder a
// test run acts on nothing and reports success.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

constexpr int kShellDone = 42;      // any value above 32 means the open was handed over
constexpr int SE_ERR_FNF = 2;       // file not found
constexpr int SE_ERR_PNF = 3;       // folder not found
constexpr int SE_ERR_NOASSOC = 31;  // nothing to open it with (or a refused address)

int ShellOpen(const QString& target);
// Why ShellOpen of `target` answered `result` (32 or less), in the operator's words.
QString ShellOpenFailureReason(int result, const QString& target);
// Starts a program; its process id, or 0 when it could not be started.
int64_t ShellStart(const QString& program, const QStringList& arguments = QStringList());
int OpenHelpFile(const QString& path);

// A program started here, known by its process id and by what the system says of that process when it
// started: an id alone may belong to any other program once the first one has ended.
struct StartedTask {
  int64_t pid = 0;
  QString program;
  QByteArray startTime;  // the process's start as the system keeps it; empty when it was already gone
};
// Starts a program as ShellStart does and notes which process it is.
StartedTask ShellStartTask(const QString& program, const QStringList& arguments = QStringList());
// True while that very process runs: its id, its start and its program all match.
bool TaskRunning(const StartedTask& task);
// Asks that process to end (SIGTERM); never signals a process that is not it. The task is cleared.
void EndTask(StartedTask& task);
// True while a process of the login `user` runs a program by one of these names (the name the system
// gives the process: the program file's name, cut at 15 characters).
bool UserRunsProgram(const QString& user, const QStringList& names);
// The address on the URL= line of an internet-shortcut file ("" when there is none).
QString UrlOfShortcut(const QString& path);

// Test hook.
struct ShellCall {
  enum Kind { Open, Start };
  Kind kind = Open;
  QString target;  // an address or a file path (for a shortcut: its address)
  QStringList arguments;
};
using ShellHook = std::function<int64_t(const ShellCall&)>;
ShellHook SetShellHook(ShellHook hook);
