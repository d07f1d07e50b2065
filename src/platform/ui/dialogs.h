#pragma once
// The common file dialogs, as a member of the window that shows them.
//
//   CommonDialog CommonDialog1{this};
//   CommonDialog1.DialogTitle = "Wanted List のﾌｧｲﾙ名を指定します";
//   CommonDialog1.Filter = "(*.TXT)|*.TXT|(*.CSV)|*.CSV|";        // text|patterns|text|patterns...
//   CommonDialog1.Flags = cdlOFNHideReadOnly | cdlOFNPathMustExist | cdlOFNOverwritePrompt;
//   CommonDialog1.InitDir = DataFolder;
//   CommonDialog1.FileName = "ORB_Total";
//   if (!CommonDialog1.ShowSave()) return;                         // Cancel
//   QString path = CommonDialog1.FileName;                         // full path; FilterIndex from 1
//
// Patterns ("*.TXT", "HLQSLN.exe;MMQSL.exe") match file names without regard to case. With
// cdlOFNFileMustExist only an existing file can be chosen; without cdlOFNOverwritePrompt a save
// replaces an existing file without asking. Tests answer through FileDialogResponder (responders.h).

#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QWidget;

constexpr int cdlOFNReadOnly = 0x1;
constexpr int cdlOFNOverwritePrompt = 0x2;
constexpr int cdlOFNHideReadOnly = 0x4;
constexpr int cdlOFNNoChangeDir = 0x8;
constexpr int cdlOFNPathMustExist = 0x800;
constexpr int cdlOFNFileMustExist = 0x1000;

class CommonDialog {
 public:
  explicit CommonDialog(QWidget* owner = nullptr) : owner_(owner) {}

  QString DialogTitle;
  QString Filter;
  QString InitDir;
  QString FileName;  // proposed name in, chosen full path out
  QString DefaultExt;
  int Flags = 0;
  int FilterIndex = 1;

  // False when the operator cancelled; FileName then keeps its value.
  bool ShowOpen();
  bool ShowSave();
  // The chosen file's name without its folder.
  QString FileTitle() const;

 private:
  bool Run(bool save);
  QPointer<QWidget> owner_;
};

struct VbFilter {
  QString description;
  QStringList patterns;
};
// "text|*.A;*.B|text2|*.C|" -> {text, {*.A, *.B}}, {text2, {*.C}}. A trailing "|" is allowed.
std::vector<VbFilter> ParseVbFilter(const QString& filter);
// A wildcard pattern that matches without regard to case: "*.TXT" -> "*.[tT][xX][tT]".
QString CaseFreePattern(const QString& pattern);
bool MatchesVbPatterns(const QString& fileName, const QStringList& patterns);
// A pattern as Qt's dialog takes it: free of case, and each character Qt's dialog cannot take in a
// pattern (Japanese, a blank) as "?": "道の駅.mcsv" -> "???.[mM][cC][sS][vV]".
QString QtNamePattern(const QString& pattern);
// The name filters of the Qt dialog for a VB filter: "text (pattern pattern)" each.
QStringList QtNameFilters(const QString& filter);

// Test hook (responders.h installs it).
struct FileDialogCall {
  bool save = false;
  QString title, filter, initDir, fileName, defaultExt;
  int flags = 0;
  int filterIndex = 1;
};
struct FileDialogAnswer {
  bool cancelled = false;
  QString path;
  int filterIndex = 0;  // 0 keeps the caller's
};
using FileDialogHook = std::function<FileDialogAnswer(const FileDialogCall&)>;
FileDialogHook SetFileDialogHook(FileDialogHook hook);
