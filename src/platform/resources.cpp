#include "platform/resources.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>

#include "platform/paths.h"
#include "platform/vbfile.h"

namespace {

struct LoadedLibrary {
  QString path;
  QDateTime modified;
  qint64 size = -1;
  QHash<int, QString> strings;
};

const QHash<int, QString>& Strings(const QString& path) {
  static LoadedLibrary cache;
  const QFileInfo info(path);
  if (cache.path == path && info.exists() && info.lastModified() == cache.modified && info.size() == cache.size)
    return cache.strings;
  cache = LoadedLibrary{path, info.lastModified(), info.size(), {}};
  VbFile f(path, VbMode::Input);
  QString line;
  while (f.LineInput(line)) {
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    bool number = false;
    const int id = line.left(tab).toInt(&number);
    if (tab > 0 && number && !cache.strings.contains(id)) cache.strings.insert(id, line.mid(tab + 1));
  }
  return cache.strings;
}

}  // namespace

QString ResourceFilePath(const QString& library) { return JoinPath(ProgramFolder(), library + ".txt"); }

QString LoadResString(const QString& library, int id) {
  const QString path = ResourceFilePath(library);
  if (!IsFile(path)) return QString();
  return Strings(path).value(id);
}

QHash<int, QString> LoadResStrings(const QString& library) {
  const QString path = ResourceFilePath(library);
  if (!IsFile(path)) return {};
  return Strings(path);
}
