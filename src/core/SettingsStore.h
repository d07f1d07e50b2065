#pragma once
// The settings store over ORBEX5.INI in the program folder, and the small file helpers that several
// windows share.
//
//   QString v;
//   ReadIni("ORB", "MYCALL", v);
//   if (v == "ORB") v = "";   // a missing key reads back as the section name

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>

// Longest value a read gives back, in bytes of the file's code page.
inline constexpr int kIniValueLimit = 127;

// Full path of ORBEX5.INI.
QString IniFilePath();

// The encoding ORBEX5.INI was saved in when it is not Windows-31J ("UTF-8", "UTF-16LE", ...): its
// Japanese values would read garbled and a rewrite would mix two encodings. Empty when it is fine or
// missing.
QString IniForeignEncoding();

// Reads `key` of `section`; a missing key (or section or file) gives the section name, a stored empty
// value gives "". Values are cut to 127 bytes, never inside a character.
void ReadIni(const QString& section, const QString& key, QString& value);
QString ReadIni(const QString& section, const QString& key);
// ReadIni with the missing-key test done: nothing when the key is missing.
std::optional<QString> ReadIniKey(const QString& section, const QString& key);
// ReadIni with the caller's default in place of a missing key.
QString ReadIniOr(const QString& section, const QString& key, const QString& fallback);
// Writes `value` under `key` of `section`. The key "NEW" deletes the whole file instead. False when
// the file could not be written (it is then as it was).
bool WriteIni(const QString& section, const QString& key, const QString& value);
// Several keys of one section in one write of the file (none of them "NEW").
bool WriteIniKeys(const QString& section, const QList<std::pair<QString, QString>>& values);

// A stored whole number, or `fallback` with "[section] key=text" added to `failures`: an unusable
// value is named and its default taken, the file left as it is.
int32_t StoredNumber(const QString& section, const QString& key, const QString& text, int32_t fallback,
                     QStringList& failures);
// The same for a number that must lie in [least, most]: a value outside is unusable as well.
int32_t StoredNumber(const QString& section, const QString& key, const QString& text, int32_t fallback,
                     int32_t least, int32_t most, QStringList& failures);

// A stored window place or size in twips, checked against the screens as StoredNumber checks: a left
// further off the screens than the desktop is wide, or a width / height over twice the desktop's (or
// the default's), would put the window out of reach or could not even be painted. A top is any number:
// a negative one means "not placed" to the windows that store it.
enum class WindowTwips { Top, Left, Width, Height };
int32_t StoredWindowTwips(const QString& section, const QString& key, const QString& text, int32_t fallback,
                          WindowTwips what, QStringList& failures);
// The same read from ORBEX5.INI; a missing key gives `fallback` unnamed.
int32_t ReadWindowTwips(const QString& section, const QString& key, int32_t fallback, WindowTwips what,
                        QStringList& failures);

// Shows the operator the settings that could not be used ("[SECTION] key=value" each) and that their
// defaults were taken; empties the list. Nothing when it is empty.
void ReportUnusableSettings(QStringList& failures);

// 1 when a file (not a folder) exists at the path, 0 otherwise.
int32_t FileExists(const QString& path);

// Full path of the first file of that name: a full path is tried as given, else the program folder,
// then the current folder, then the folders of PATH. "" when there is none.
QString FindFileOnPath(const QString& fileName);

// Appends one quoted line to 1_Datacheck.txt in the program folder.
void AppendDataCheckLog(const QString& line);

// 1 when the text file has fewer than 3 lines (a lone LF does not end a line), 0 otherwise; 9 after
// the message "FCCerr" when it cannot be read.
int32_t IsShortListFile(const QString& path);
