#include "core/ModeList.h"

#include <QSet>

#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"

bool StoreModes(const QStringList& stored) {
  bool ok = true;
  for (qsizetype i = 0; i < stored.size(); ++i)
    ok = WriteIni("ORB", QString("MODE%1").arg(i + 1), stored[i]) && ok;
  Settings.ModeCount = QString::number(stored.size());
  return WriteIni("ORB", "MODEC", Settings.ModeCount) && ok;
}

bool ModeInReadingMode(const QString& mode, const QString& readingMode) {
  if (readingMode == QLatin1String("DIGITAL")) return Settings.DigitalModes.contains(mode);
  return readingMode == QLatin1String("MIX") || mode == readingMode;
}

QString ModeNameProblem(const QString& name) {
  if (name.isEmpty()) return QString::fromUtf8("モード名がありません");
  // The character that cannot be used is named first: it is the cause whatever the length.
  for (QChar c : name) {
    const char16_t u = c.unicode();
    if (!((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')))
      return QString::fromUtf8("モード名に「%1」は使えません（使えるのは英字と数字だけです）").arg(c);
  }
  if (name.size() > kModeNameLength)
    return QString::fromUtf8("モード名は英数字%1文字までです").arg(kModeNameLength);
  return {};
}

bool CollectHamlogModes(const QStringList& known, const std::function<void(const QString&)>& found) {
  // The list is compared trimmed and exactly (case counts), as the window shows it.
  QSet<QString> seen;
  for (const QString& k : known) seen.insert(k.trimmed());
  const int32_t total = Hamlog.HdbRecordCount;
  for (int32_t r = 1; r <= total; ++r) {
    Qso.QsoRecNo = r;
    const int32_t read = ReadQsoMode(r);
    if (read == kQsoDeleted) continue;
    if (read != 0) return false;
    if (Qso.QsoMode.isEmpty() || seen.contains(Qso.QsoMode)) continue;
    seen.insert(Qso.QsoMode);
    found(Qso.QsoMode);
  }
  return true;
}
