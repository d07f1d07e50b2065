#include "support/cty_csv.h"

#include <QFile>
#include <QRegularExpression>

CtyCsv::CtyCsv(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return;
  static const QRegularExpression overrides(R"([\(\[<{~].*$)");
  while (!f.atEnd()) {
    const QStringList row = QString::fromLatin1(f.readLine()).trimmed().split(',');
    if (row.size() < 10 || row[0].startsWith('*')) continue;
    CtyEntity e{row[0], row[1], row[2].toInt(), -row[8].toDouble(), {}, {}};
    for (QString item : row[9].chopped(row[9].endsWith(';') ? 1 : 0).split(' ', Qt::SkipEmptyParts)) {
      const bool whole = item.startsWith('=');
      item = item.mid(whole ? 1 : 0).remove(overrides);
      QStringList& list = whole ? e.exact : e.prefixes;
      if (!list.contains(item)) list << item;
    }
    const int i = int(entities_.size());
    for (const QString& p : e.prefixes) byPrefix_.insert(p, i);
    for (const QString& c : e.exact)
      if (!byCall_.contains(c)) byCall_.insert(c, i);
    entities_.push_back(std::move(e));
  }
}

int CtyCsv::Head(const QString& text) const {
  for (qsizetype n = text.size(); n > 0; --n)
    if (auto it = byPrefix_.constFind(text.left(n)); it != byPrefix_.constEnd()) return *it;
  return -1;
}

int CtyCsv::Call(const QString& call) const { return byCall_.value(call, Head(call)); }
