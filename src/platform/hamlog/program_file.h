#pragma once
// The stand-in for HAMLOG's program file. HAMLOG runs on Windows only, so its folder holds, under the
// program's name "Hamlogw.exe" (the name the settings and the start-up look for), a small INI text
// (Windows-31J, CR LF) instead of a program:
//
//   ; HAMLOG stand-in: no program runs from this file
//   [Version]
//   ProductVersion=5.40
//
// ReadProgramVersion gives what Windows' version information gives for HAMLOG's program: the
// product version text, "" when the file is missing or is not such a text (a real Windows program,
// for instance). The start-up chooses the code-master layout by it (5.35 and later: 235-byte header).

#include <QString>

inline constexpr const char* kProgramFileName = "Hamlogw.exe";
inline constexpr const char* kStandInVersion = "5.40";

QString ReadProgramVersion(const QString& exePath);
bool WriteProgramFile(const QString& exePath, const QString& version = QString::fromLatin1(kStandInVersion));
