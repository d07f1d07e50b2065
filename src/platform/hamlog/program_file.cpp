#include "platform/hamlog/program_file.h"

#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/vbfile.h"

namespace {

constexpr char kFirstLine[] = "; HAMLOG stand-in: no program runs from this file";

}  // namespace

QString ReadProgramVersion(const QString& exePath) {
  if (!IsFile(exePath)) return {};
  return GetPrivateProfileString("Version", "ProductVersion", "", exePath);
}

bool WriteProgramFile(const QString& exePath, const QString& version) {
  const QByteArray text =
      QByteArray(kFirstLine) + "\r\n[Version]\r\nProductVersion=" + version.toLatin1() + "\r\n";
  return AtomicWriteFile(exePath, text);
}
