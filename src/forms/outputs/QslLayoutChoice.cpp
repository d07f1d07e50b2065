#include "forms/outputs/QslLayoutChoice.h"

#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include <QDir>

bool ChooseMmqslLayoutFile(CommonDialog& d) {
  d.DialogTitle = QStringLiteral("MMQSL定義ﾌｧｲﾙを指定します");
  d.Filter = QStringLiteral("MMQSL定義ﾌｧｲﾙ(*.MQL)|*.mql");
  d.Flags = cdlOFNFileMustExist | cdlOFNHideReadOnly;
  const QString current = Settings.MmqslDefFile;
  const qsizetype slash = std::max(current.lastIndexOf('\\'), current.lastIndexOf('/'));
  d.InitDir = slash >= 0 ? current.left(slash) : QDir::rootPath();  // the root the program folder is on
  if (!d.ShowOpen()) return false;
  Settings.MmqslDefFile = d.FileName;
  WriteIni("ORB", "MMQSL", Settings.MmqslDefFile);
  return true;
}
