#include "core/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"
#include "platform/vbfile.h"
#include "platform/vbnumber.h"
#include "platform/vbstrings.h"

QString IniFilePath() { return JoinPath(ProgramFolder(), "ORBEX5.INI"); }

QString IniForeignEncoding() {
  QByteArray bytes;
  if (!ReadWholeFile(IniFilePath(), bytes)) return {};
  return ForeignEncoding(bytes);
}

void ReadIni(const QString& section, const QString& key, QString& value) {
  const QString v = GetPrivateProfileString(section, key, section, IniFilePath());
  // The value ends at a NUL, as the fixed read buffer did.
  value = CutToAnsiBytes(v.section(QChar(0), 0, 0), kIniValueLimit);
}

QString ReadIni(const QString& section, const QString& key) {
  QString value;
  ReadIni(section, key, value);
  return value;
}

std::optional<QString> ReadIniKey(const QString& section, const QString& key) {
  QString value = ReadIni(section, key);
  if (value == section) return std::nullopt;
  return value;
}

QString ReadIniOr(const QString& section, const QString& key, const QString& fallback) {
  return ReadIniKey(section, key).value_or(fallback);
}

bool WriteIni(const QString& section, const QString& key, const QString& value) {
  if (key == "NEW") {
    // Resets every setting to the first-run state.
    return FileExists(IniFilePath()) == 0 || Kill(IniFilePath());
  }
  return WritePrivateProfileString(section, key, value, IniFilePath());
}

bool WriteIniKeys(const QString& section, const QList<std::pair<QString, QString>>& values) {
  return WritePrivateProfileStrings(section, values, IniFilePath());
}

int32_t StoredNumber(const QString& section, const QString& key, const QString& text, int32_t fallback,
                     QStringList& failures) {
  return StoredNumber(section, key, text, fallback, INT32_MIN, INT32_MAX, failures);
}

int32_t StoredNumber(const QString& section, const QString& key, const QString& text, int32_t fallback,
                     int32_t least, int32_t most, QStringList& failures) {
  if (const std::optional<int32_t> n = WholeNumber(text); n && *n >= least && *n <= most) return *n;
  failures << QString("[%1] %2=%3").arg(section, key, text);
  return fallback;
}

int32_t StoredWindowTwips(const QString& section, const QString& key, const QString& text, int32_t fallback,
                          WindowTwips what, QStringList& failures) {
  switch (what) {
    case WindowTwips::Top:
      return StoredNumber(section, key, text, fallback, failures);
    case WindowTwips::Left:
      return StoredNumber(section, key, text, fallback, -DesktopWidthTwips(), INT32_MAX, failures);
    case WindowTwips::Width:
      return StoredNumber(section, key, text, fallback, 0, 2 * std::max(fallback, DesktopWidthTwips()), failures);
    case WindowTwips::Height:
      return StoredNumber(section, key, text, fallback, 0, 2 * std::max(fallback, DesktopHeightTwips()), failures);
  }
  return fallback;
}

int32_t ReadWindowTwips(const QString& section, const QString& key, int32_t fallback, WindowTwips what,
                        QStringList& failures) {
  const std::optional<QString> text = ReadIniKey(section, key);
  return text ? StoredWindowTwips(section, key, *text, fallback, what, failures) : fallback;
}

void ReportUnusableSettings(QStringList& failures) {
  if (failures.isEmpty()) return;
  MsgBox("ORBEX5.INI の次の設定値は使えないので既定値で起動します。" + vbCrLf + failures.join(vbCrLf));
  failures.clear();
}

int32_t FileExists(const QString& path) { return IsFile(path) ? 1 : 0; }

QString FindFileOnPath(const QString& fileName) {
  if (fileName.isEmpty()) return {};
  const QString asGiven = RealPath(fileName);
  if (QFileInfo(asGiven).isAbsolute()) return IsFile(asGiven) ? asGiven : QString();
  QStringList folders{ProgramFolder(), QDir::currentPath()};
  folders += qEnvironmentVariable("PATH").split(':', Qt::SkipEmptyParts);
  for (const QString& folder : folders) {
    const QString candidate = JoinPath(folder, fileName);
    if (IsFile(candidate)) return candidate;
  }
  return {};
}

void AppendDataCheckLog(const QString& line) {
  VbFile f(JoinPath(ProgramFolder(), "1_Datacheck.txt"), VbMode::Append);
  if (f.IsOpen()) f.Write({line});
}

int32_t IsShortListFile(const QString& path) {
  VbFile f(path, VbMode::Input);
  if (!f.IsOpen()) {
    MsgBox("FCCerr");
    return 9;
  }
  int lines = 0;
  QString line;
  while (lines < 3 && f.LineInput(line)) ++lines;
  return lines < 3 ? 1 : 0;
}
