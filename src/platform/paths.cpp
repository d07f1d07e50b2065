#include "platform/paths.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

QString withoutTrailingSlash(QString dir) {
  while (dir.size() > 1 && dir.endsWith('/')) dir.chop(1);
  return dir;
}

// Copies the shipped seed files into a new program folder; files already there are kept.
void seedProgramFolder(const QString& dir) {
  const QString seed = QStringLiteral(ORBEX_DATA_DIR "/home");
  if (!QFileInfo(seed).isDir()) return;
  QDirIterator it(seed, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString from = it.next();
    const QString to = dir + '/' + QDir(seed).relativeFilePath(from);
    if (QFileInfo::exists(to)) continue;
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::copy(from, to);
  }
}

// "\" to "/" and no doubled separators; nothing is looked up yet.
QString normalized(const QString& path) {
  QString p = path;
  p.replace('\\', '/');
  QString out;
  out.reserve(p.size());
  for (QChar c : p)
    if (c != '/' || !out.endsWith('/')) out.append(c);
  return out;
}

// The name in `folder` that equals `name` without case; "" when none does.
QString findWithoutCase(const QString& folder, const QString& name) {
  QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
  QStringList entries =
      dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& e : entries)
    if (e.compare(name, Qt::CaseInsensitive) == 0) return e;
  return {};
}

struct DirSearch {
  QStringList names;
  qsizetype next = 0;
};

DirSearch& dirSearch() {
  static DirSearch s;
  return s;
}

// Files of the folder whose names match the pattern, in case-insensitive order.
QStringList matchingFiles(const QString& folder, const QString& pattern) {
  QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
  QStringList out;
  for (const QString& e : dir.entryList(QDir::Files | QDir::System))
    if (MatchesWildcard(e, pattern)) out.append(e);
  std::sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
  });
  return out;
}

// Splits a normalized path into its folder (with no trailing "/" unless it is the root) and name.
void splitPath(const QString& path, QString& folder, QString& name) {
  const qsizetype slash = path.lastIndexOf('/');
  folder = slash < 0 ? QString() : (slash == 0 ? QStringLiteral("/") : path.left(slash));
  name = path.mid(slash + 1);
}

bool hasWildcard(const QString& name) { return name.contains('*') || name.contains('?'); }

bool matchFrom(const QString& s, qsizetype i, const QString& p, qsizetype j) {
  // Iterative glob match with one backtrack point for the last "*".
  qsizetype starP = -1, starS = 0;
  while (i < s.size()) {
    if (j < p.size() && (p[j] == '?' || p[j] == s[i])) {
      ++i;
      ++j;
    } else if (j < p.size() && p[j] == '*') {
      starP = j++;
      starS = i;
    } else if (starP >= 0) {
      j = starP + 1;
      i = ++starS;
    } else {
      return false;
    }
  }
  while (j < p.size() && p[j] == '*') ++j;
  return j == p.size();
}

}  // namespace

QString ProgramFolder() {
  QString dir = qEnvironmentVariable("ORBEX_HOME");
  if (dir.isEmpty()) {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    dir = base + QStringLiteral("/ORBEX5");
  }
  dir = withoutTrailingSlash(normalized(dir));
  if (!QFileInfo(dir).isDir() && QDir().mkpath(dir)) seedProgramFolder(dir);
  return dir;
}

QString RealPath(const QString& path) {
  const QString p = normalized(path);
  if (p.isEmpty()) return p;
  const QStringList parts = p.split('/');
  QString out = p.startsWith('/') ? QStringLiteral("/") : QString();
  bool resolving = true;
  for (qsizetype k = 0; k < parts.size(); ++k) {
    QString part = parts[k];
    if (part.isEmpty()) continue;  // the leading or a trailing "/"
    if (resolving && part != "." && part != "..") {
      const QString exact = out + part;
      if (!QFileInfo::exists(exact)) {
        const QString onDisk = findWithoutCase(out, part);
        if (onDisk.isEmpty())
          resolving = false;  // nothing below a missing folder can exist
        else
          part = onDisk;
      }
    }
    out += part;
    if (k + 1 < parts.size()) out += '/';
  }
  return out;
}

QString JoinPath(const QString& folder, const QString& name) {
  if (folder.isEmpty()) return RealPath(name);
  const bool ends = folder.endsWith('\\') || folder.endsWith('/');
  return RealPath(ends ? folder + name : folder + '\\' + name);
}

bool IsFile(const QString& path) { return QFileInfo(RealPath(path)).isFile(); }

bool IsFolder(const QString& path) { return QFileInfo(RealPath(path)).isDir(); }

int64_t FileLen(const QString& path) {
  const QFileInfo fi(RealPath(path));
  return fi.isFile() ? fi.size() : -1;
}

QString FileDateTime(const QString& path) {
  const QFileInfo fi(RealPath(path));
  if (!fi.isFile()) return {};
  const QDateTime jst = fi.lastModified().toOffsetFromUtc(9 * 3600);
  const QString date = jst.toString(QStringLiteral("yyyy/MM/dd"));
  if (jst.time().hour() == 0 && jst.time().minute() == 0 && jst.time().second() == 0) return date;
  return date + ' ' + jst.toString(QStringLiteral("H:mm:ss"));
}

bool MakeSureDirectoryPathExists(const QString& path) {
  const QString p = normalized(path);
  const qsizetype slash = p.lastIndexOf('/');
  if (slash < 0) return true;
  const QString folder = RealPath(p.left(slash + 1));
  return folder.isEmpty() || QDir().mkpath(folder);
}

bool Kill(const QString& path) {
  QString folder, name;
  splitPath(RealPath(path), folder, name);
  if (name.isEmpty()) return false;
  const QStringList victims = hasWildcard(name) ? matchingFiles(folder, name) : QStringList{name};
  bool ok = !victims.isEmpty();
  for (const QString& v : victims) {
    const QString full = folder.isEmpty() ? v : (folder.endsWith('/') ? folder + v : folder + '/' + v);
    if (!QFileInfo(full).isFile() || !QFile::remove(full)) ok = false;
  }
  return ok;
}

QString Dir(const QString& pattern) {
  DirSearch& s = dirSearch();
  s = DirSearch{};
  QString folder, name;
  splitPath(RealPath(pattern), folder, name);
  if (normalized(pattern).endsWith('/')) {
    folder = RealPath(pattern);
    name = QStringLiteral("*");
  }
  if (name.isEmpty()) return {};
  s.names = matchingFiles(folder, name);
  return Dir();
}

QString Dir() {
  DirSearch& s = dirSearch();
  return s.next < s.names.size() ? s.names[s.next++] : QString();
}

bool MatchesWildcard(const QString& name, const QString& pattern) {
  if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) return true;
  return matchFrom(name.toCaseFolded(), 0, pattern.toCaseFolded(), 0);
}
