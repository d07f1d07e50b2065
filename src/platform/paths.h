#pragma once
// File names and folders as the program writes them: Windows-style joins ("folder\name") whose file names
// match without case. Every function here takes such a text and works on the real file it names.

#include <QString>
#include <cstdint>

// The program folder: $ORBEX_HOME when set, else ~/.local/share/ORBEX5. A folder that does not exist
// yet is created and seeded with the shipped files (ORBEX_DATA_DIR/home). No trailing separator.
QString ProgramFolder();

// A Windows-style path as a real one: "\" becomes "/", doubled separators collapse, and each existing
// component is matched without case in its folder (the name on disk wins). Components that do not
// exist keep the text as given, so a new file gets exactly the name the caller wrote.
QString RealPath(const QString& path);

// folder + "\" + name, without doubling a separator the folder already ends in; resolved as RealPath.
QString JoinPath(const QString& folder, const QString& name);

// True when a file (not a folder) exists at the path.
bool IsFile(const QString& path);
// True when a folder exists at the path.
bool IsFolder(const QString& path);

// Length in bytes; -1 when there is no such file.
int64_t FileLen(const QString& path);

// Modification time as VB's FileDateTime gives it as text, in Japan time: "2024/03/01 9:05:07"
// ("2024/03/01" alone at midnight). "" when there is no such file.
QString FileDateTime(const QString& path);

// Creates every missing folder of the path up to its last separator (a trailing file name is not
// created). False when a folder could not be made.
bool MakeSureDirectoryPathExists(const QString& path);

// Deletes the file; the name part may hold the wildcards * and ?, which deletes every match.
// False when nothing matched or a delete failed. Folders are never deleted.
bool Kill(const QString& path);

// VB's Dir: with a pattern ("folder\*.TXT", wildcards * and ? in the name part, without case) gives
// the first matching file name (name only, as on disk); called again without a pattern gives the next
// one, "" at the end. Files only, in case-insensitive name order.
QString Dir(const QString& pattern);
QString Dir();

// True when `name` matches the DOS wildcard pattern (* and ?, without case; "*.*" matches every name).
bool MatchesWildcard(const QString& name, const QString& pattern);
