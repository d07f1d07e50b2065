#pragma once
// The CAT test window's work with the rig: one command tried by hand, the backup of the transceiver's
// settings and memories driven by a command list, and writing such a backup back. Each runs as one
// exchange with CatBusy 5, so the FT2000 / FT991 polls keep away; the window shows the results.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Sends `command` & ";" and reads `lengthText` characters; `done` gets the answer trimmed with every
// ";" removed, or nothing when the length is not a number (then nothing is sent).
void CatCommandTest(const QString& command, const QString& lengthText,
                    const std::function<void(std::optional<QString>)>& done);

// One record of a command list (MODEL_CMD.TXT): command without ";", reply length, count.
struct CatListEntry {
  QString Command;
  int32_t Length = 0;
  int32_t Count = 0;
};
// The records after the first (a heading), one a line: the command, its reply length and, for EX, MR
// and MT only, how many to read (a missing third field is empty; blank lines are passed over).
// Nothing when the file cannot be opened or a line is no such record: `why` then says so, naming the
// file and the line, and nothing of the list goes to the rig.
std::optional<std::vector<CatListEntry>> ReadCatCommandList(const QString& path, QString* why = nullptr);

// The backup line for an answer read (";" removed): AI on becomes off, and the few settings that
// would lock the rig or switch its antennas are put back to safe values.
QString RewriteBackupAnswer(const QString& answer, bool& aiRewritten);

struct CatBackupResult {
  bool Written = false;   // both files written
  bool LinkLost = false;  // the port was closed or went away: the list was not run to its end
  QString Failed;         // commands the rig refused or left unanswered, each with ";" and a line break
  bool AiRewritten = false;
};
// Runs the list and writes the backup file and, beside it, "org" & its name with the answers as read.
// `done` gets the result when the exchange has run. A command without an answer is no backup line.
void CatBackup(const std::vector<CatListEntry>& list, const QString& backupPath,
               const std::function<void(const CatBackupResult&)>& done);
// The final message of a backup.
QString CatBackupMessage(const CatBackupResult& result);
// model & "_MemoryBackUp_data_" & yyMMddhhmmss & extension.
QString CatBackupFileName(const QString& model, const QDateTime& now, const QString& extension);
// The model name of a command list file: its name up to the first "_".
QString CatModelOfListFile(const QString& path);

struct MemoryBackup {
  QStringList Lines;
  int32_t Longest = 0;
};
// All lines of a backup file; nothing (after a message box) when it cannot be read or is empty.
std::optional<MemoryBackup> ReadMemoryBackupFile(const QString& path);
// Sends every line & ";" and lets the rig take it (answers are not used). `done` gets false when the
// port was closed or went away before every line had gone out.
void CatWriteBack(const MemoryBackup& backup, const std::function<void(bool allSent)>& done);
