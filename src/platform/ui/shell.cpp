#include "platform/ui/shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <signal.h>

#include <algorithm>

#include "platform/codepage.h"
#include "platform/ui/testhooks.h"

namespace {

ShellHook& Hook() {
  static ShellHook h;
  return h;
}

bool IsWebAddress(const QString& t) {
  return t.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
         t.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

// "mailto:", "file:", "javascript:" ... but not a drive letter such as "C:".
bool HasOtherScheme(const QString& t) {
  const qsizetype colon = t.indexOf(QLatin1Char(':'));
  if (colon < 2) return false;
  for (qsizetype i = 0; i < colon; ++i) {
    const QChar c = t[i];
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('+') && c != QLatin1Char('-') &&
        c != QLatin1Char('.'))
      return false;
  }
  return true;
}

int64_t Act(const ShellCall& call) {
  if (Hook()) return Hook()(call);
  if (HeadlessUi()) return call.kind == ShellCall::Open ? kShellDone : 1;
  if (call.kind == ShellCall::Start) {
    qint64 pid = 0;
    return QProcess::startDetached(call.target, call.arguments, QString(), &pid) ? pid : 0;
  }
  const QUrl url = IsWebAddress(call.target) ? QUrl(call.target) : QUrl::fromLocalFile(call.target);
  return QDesktopServices::openUrl(url) ? kShellDone : SE_ERR_NOASSOC;
}

int OpenAddress(const QString& address) {
  if (!IsWebAddress(address) || !QUrl(address).isValid()) return SE_ERR_NOASSOC;
  return static_cast<int>(Act({ShellCall::Open, address, {}}));
}

}  // namespace

ShellHook SetShellHook(ShellHook hook) { return ReplaceHook(Hook(), std::move(hook)); }

QString UrlOfShortcut(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QString();
  for (const QByteArray& raw : f.readAll().split('\n')) {
    const QString line = FromAnsi(raw).trimmed();
    if (line.startsWith(QLatin1String("URL="), Qt::CaseInsensitive)) return line.mid(4).trimmed();
  }
  return QString();
}

int ShellOpen(const QString& target) {
  const QString t = target.trimmed();
  if (IsWebAddress(t)) return OpenAddress(t);
  if (t.isEmpty()) return SE_ERR_FNF;
  if (HasOtherScheme(t)) return SE_ERR_NOASSOC;
  const QFileInfo info(t);
  if (!info.exists()) return QFileInfo(info.absolutePath()).isDir() ? SE_ERR_FNF : SE_ERR_PNF;
  if (info.isFile() && info.suffix().compare(QLatin1String("url"), Qt::CaseInsensitive) == 0)
    return OpenAddress(UrlOfShortcut(info.absoluteFilePath()));
  return static_cast<int>(Act({ShellCall::Open, info.absoluteFilePath(), {}}));
}

QString ShellOpenFailureReason(int result, const QString& target) {
  switch (result) {
    case SE_ERR_FNF:
      return target + QStringLiteral(" が見つかりません");
    case SE_ERR_PNF:
      return target + QStringLiteral(" のフォルダーが見つかりません");
    default:
      return target +
             QStringLiteral(" を開くプログラムがありません (既定のブラウザーやアプリを設定して下さい)");
  }
}

int64_t ShellStart(const QString& program, const QStringList& arguments) {
  if (program.trimmed().isEmpty()) return 0;
  return Act({ShellCall::Start, program, arguments});
}

int OpenHelpFile(const QString& path) { return ShellOpen(path); }

namespace {

QByteArray ProcFile(int64_t pid, const char* name) {
  QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Field 22 of /proc/PID/stat, counted after the command name (which may hold blanks and parentheses).
QByteArray StartTimeOf(int64_t pid) {
  const QByteArray stat = ProcFile(pid, "stat");
  const qsizetype close = stat.lastIndexOf(')');
  if (pid <= 0 || close < 0) return {};
  const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
  return fields.size() > 19 ? fields[19] : QByteArray();
}

// The program's path among the process's first arguments (itself, or the script an interpreter runs).
bool RunsProgram(int64_t pid, const QString& program) {
  const QList<QByteArray> args = ProcFile(pid, "cmdline").split('\0');
  const QString wanted = QFileInfo(program).absoluteFilePath();
  for (qsizetype i = 0; i < std::min<qsizetype>(args.size(), 2); ++i) {
    const QString arg = QFile::decodeName(args[i]);
    if (!arg.isEmpty() && QFileInfo(arg).absoluteFilePath() == wanted) return true;
  }
  return false;
}

}  // namespace

StartedTask ShellStartTask(const QString& program, const QStringList& arguments) {
  StartedTask task;
  task.pid = ShellStart(program, arguments);
  task.program = program;
  if (task.pid > 0) task.startTime = StartTimeOf(task.pid);
  return task;
}

bool TaskRunning(const StartedTask& task) {
  if (task.pid <= 0 || task.startTime.isEmpty()) return false;
  return StartTimeOf(task.pid) == task.startTime && RunsProgram(task.pid, task.program);
}

void EndTask(StartedTask& task) {
  if (TaskRunning(task)) ::kill(static_cast<pid_t>(task.pid), SIGTERM);
  task = {};
}

bool UserRunsProgram(const QString& user, const QStringList& names) {
  const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& pid : pids) {
    bool number = false;
    const int64_t id = pid.toLongLong(&number);
    if (!number || !names.contains(QString::fromLocal8Bit(ProcFile(id, "comm").trimmed()))) continue;
    if (QFileInfo(QStringLiteral("/proc/") + pid).owner() == user) return true;
  }
  return false;
}
