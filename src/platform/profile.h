#pragma once
// Private-profile (INI) files as Windows reads and writes them: Windows-31J text, CR LF lines,
// "[section]" headers and "key=value" lines, section and key names matched without case.
// Every other line (comments, blank lines, lines that are neither, other sections) keeps its place and
// its bytes; a write goes through the atomic rewrite, so a failed write leaves the old file.

#include <QList>
#include <QString>
#include <utility>

// The value of `key` in `section`: trimmed of blanks, one pair of enclosing quotes ("..." or '...')
// removed; "" for an empty value; `defaultValue` when the file, the section or the key is missing.
// The first section and the first key of that name count.
QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                const QString& path);

// Sets `key` of `section` to `value`, creating the file, the section (at the end of the file) and the
// key (after the last line of its section) as needed. Line breaks in the value become blanks.
// False when the file could not be written, or is there but cannot be read (it is then left alone).
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& path);
// Several keys of one section in one rewrite of the file, each as WritePrivateProfileString sets it.
bool WritePrivateProfileStrings(const QString& section, const QList<std::pair<QString, QString>>& values,
                                const QString& path);

// What Windows does for a null value: removes the key's line. True also when there was no such key.
bool DeletePrivateProfileKey(const QString& section, const QString& key, const QString& path);

// What Windows does for a null key: removes the section's header and all its lines.
bool DeletePrivateProfileSection(const QString& section, const QString& path);
