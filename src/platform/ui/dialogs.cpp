#include "platform/ui/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/ui/doevents.h"
#include "platform/ui/testhooks.h"

namespace {

FileDialogHook& Hook() {
  static FileDialogHook h;
  return h;
}

}  // namespace

FileDialogHook SetFileDialogHook(FileDialogHook hook) { return ReplaceHook(Hook(), std::move(hook)); }

std::vector<VbFilter> ParseVbFilter(const QString& filter) {
  std::vector<VbFilter> out;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    VbFilter f;
    f.description = parts[i];
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
      f.patterns << p.trimmed();
    if (!f.description.isEmpty() || !f.patterns.isEmpty()) out.push_back(f);
  }
  return out;
}

QString CaseFreePattern(const QString& pattern) {
  QString out;
  for (const QChar c : pattern) {
    if (c.toLower() != c.toUpper())
      out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
    else
      out += c;
  }
  return out;
}

bool MatchesVbPatterns(const QString& fileName, const QStringList& patterns) {
  for (const QString& p : patterns) {
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p),
                                QRegularExpression::CaseInsensitiveOption);
    if (re.match(fileName).hasMatch()) return true;
  }
  return false;
}

QString QtNamePattern(const QString& pattern) {
  // Qt's dialog takes a filter's patterns only when every character is one of these; one other
  // character (a Japanese name, a blank) would leave the whole filter matching no file.
  static const QString kTaken = QStringLiteral("_.,*?+;#-[]@{}/!<>$%&=^~:|");
  QString out;
  for (const QChar c : CaseFreePattern(pattern))
    out += (c.unicode() < 128 && (c.isLetterOrNumber() || kTaken.contains(c))) ? c : QLatin1Char('?');
  return out;
}

QStringList QtNameFilters(const QString& filter) {
  QStringList names;
  for (const VbFilter& f : ParseVbFilter(filter)) {
    QStringList patterns;
    for (const QString& p : f.patterns) patterns << QtNamePattern(p);
    names << f.description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return names;
}

bool CommonDialog::ShowOpen() { return Run(false); }
bool CommonDialog::ShowSave() { return Run(true); }

QString CommonDialog::FileTitle() const { return QFileInfo(FileName).fileName(); }

bool CommonDialog::Run(bool save) {
  const WorkUnderWay dialog;
  FileDialogCall call;
  call.save = save;
  call.title = DialogTitle;
  call.filter = Filter;
  call.initDir = InitDir;
  call.fileName = FileName;
  call.defaultExt = DefaultExt;
  call.flags = Flags;
  call.filterIndex = FilterIndex;
  if (Hook()) {
    const FileDialogAnswer a = Hook()(call);
    if (a.cancelled) return false;
    FileName = a.path;
    if (a.filterIndex > 0) FilterIndex = a.filterIndex;
    return true;
  }
  if (HeadlessUi()) {
    ReportUiFailure(QStringLiteral("File dialog \"%1\" shown with no responder").arg(DialogTitle));
    return false;
  }
  QFileDialog d(owner_ ? owner_->window() : nullptr, DialogTitle);
  // Qt's own dialog: the same on every desktop, and it shows the filter texts exactly as written.
  d.setOption(QFileDialog::DontUseNativeDialog);
  d.setOption(QFileDialog::HideNameFilterDetails);
  d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  d.setFileMode(!save && (Flags & cdlOFNFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (save && !(Flags & cdlOFNOverwritePrompt)) d.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList names = QtNameFilters(Filter);
  if (!names.isEmpty()) {
    d.setNameFilters(names);
    d.selectNameFilter(names.value(std::max(FilterIndex, 1) - 1, names.first()));
  }
  if (!DefaultExt.isEmpty()) d.setDefaultSuffix(DefaultExt);
  QString dir = InitDir;
  const QFileInfo proposed(FileName);
  if (dir.isEmpty() && proposed.isAbsolute()) dir = proposed.absolutePath();
  if (!dir.isEmpty()) d.setDirectory(dir);
  if (!FileName.isEmpty()) d.selectFile(proposed.fileName());
  if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return false;
  FileName = QDir::toNativeSeparators(d.selectedFiles().first());
  FilterIndex = static_cast<int>(names.indexOf(d.selectedNameFilter())) + 1;
  if (FilterIndex < 1) FilterIndex = 1;
  return true;
}
