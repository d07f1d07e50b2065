#include "outputs/Seiribo.h"

#include "platform/paths.h"
#include "platform/vbfile.h"

SeiriboRegister::SeiriboRegister() {
  VbFile in(JoinPath(ProgramFolder(), QString::fromUtf8(kSeiriboFile)), VbMode::Input, 0, VbAccess::Read);
  if (!in.IsOpen()) return;
  while (!in.Eof()) {
    QString date, code, qth, change, remark, status;
    if (!in.Input(date, code, qth, change, remark, status)) break;
    const QString key = code.trimmed();
    if (!first_.contains(key)) first_.insert(key, {date, change, remark});
  }
}

QString SeiriboRegister::StartDate(const QString& code) const {
  auto it = first_.constFind(code);
  if (it == first_.constEnd()) return {};
  const QString& d = it->date;
  return d.mid(0, 4) + "-" + d.mid(4, 2) + "-" + d.mid(6, 2);
}

QString SeiriboRegister::Note(const QString& code) const {
  auto it = first_.constFind(code);
  if (it == first_.constEnd()) return {};
  QString date = it->date.trimmed();
  bool numeric = false;
  date.toLongLong(&numeric);
  // "####/##/##": the last eight digits as year, month and day.
  if (numeric && date.size() >= 5)
    date = date.left(date.size() - 4) + "/" + date.mid(date.size() - 4, 2) + "/" + date.right(2);
  return date + QStringLiteral(" に ") + it->change.trimmed() + "(" + it->remark.trimmed() + ")";
}
