// The spreadsheet stand-in: the cells and macro calls of one output kept in memory, then written as
// one .xlsx through libxlsxwriter and renamed into place, so the program folder never holds half a
// workbook. A workbook opened to be kept starts from the sheets and values the file holds.

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/automation/xlsx_contents.h"
#include "platform/paths.h"
#include "platform/ui/shell.h"
#include "platform/ui/testhooks.h"

namespace {

constexpr int kAccessDenied = 5;  // the shell's SE_ERR_ACCESSDENIED
constexpr int kNoPath = 3;
constexpr int kBadFormat = 11;   // the shell's ERROR_BAD_FORMAT
constexpr int kNoSuchSheet = 9;  // subscript out of range
constexpr int kBookClosed = 424;
const QString kFirstSheet = QStringLiteral("Sheet1");
const QString kMacroSheet = QStringLiteral("マクロ");

WorkbookFactory& Factory() {
  static WorkbookFactory f;
  return f;
}

bool IsNumber(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Short:
    case QMetaType::UShort:
      return true;
    default:
      return false;
  }
}

class XlsxWorkbook : public Workbook {
 public:
  explicit XlsxWorkbook(const QString& name) : name_(name) {
    path_ = JoinPath(ProgramFolder(), XlsxFileName(name));
  }

  int Open() override {
    const int r = checkWritable();
    opened_ = r > 32;
    return r;
  }

  int OpenExisting() override {
    sheets_.clear();
    priorLog_.clear();
    opened_ = false;
    if (!QFileInfo::exists(path_)) {
      error_ = path_ + QStringLiteral(" がありません");
      return SE_ERR_FNF;
    }
    if (const int r = checkWritable(); r <= 32) return r;
    if (!QFileInfo(path_).isReadable()) {
      error_ = path_ + QStringLiteral(" を読み込めません");
      return kAccessDenied;
    }
    QString why;
    std::vector<XlsxSheet> sheets;
    if (!ReadXlsxSheets(path_, sheets, why)) {
      error_ = path_ + QStringLiteral(" を読めませんでした（") + why + QStringLiteral("）");
      return kBadFormat;
    }
    // The log of earlier macro calls goes on below its last row.
    for (XlsxSheet& s : sheets) {
      if (s.name == kMacroSheet)
        priorLog_ = std::move(s.cells);
      else
        sheets_.push_back(std::move(s));
    }
    if (sheets_.empty()) sheets_.push_back({kFirstSheet, {}});
    active_ = 0;
    opened_ = true;
    return kShellDone;
  }

  int Attach() override { return opened_ ? 0 : kBookClosed; }

  void SelectSheet(const QString& name) override {
    const QString wanted = name.isEmpty() ? QString() : name;
    if (wanted.isEmpty()) {
      if (sheets_.empty()) sheets_.push_back({kFirstSheet, {}});
      active_ = 0;
      return;
    }
    for (size_t i = 0; i < sheets_.size(); ++i)
      if (sheets_[i].name == wanted) {
        active_ = i;
        return;
      }
    sheets_.push_back({wanted, {}});
    active_ = sheets_.size() - 1;
  }

  int SelectSheetAt(int32_t index) override {
    if (sheets_.empty()) SelectSheet(QString());
    if (index < 1 || size_t(index) > sheets_.size()) return kNoSuchSheet;
    active_ = size_t(index) - 1;
    return 0;
  }

  void ClearSheet() override {
    if (!sheets_.empty()) sheets_[active_].cells.clear();
  }

  void SetCell(int32_t row, int32_t column, const QVariant& value) override {
    if (row < 1 || column < 1 || row > 1048576 || column > 16384) return;
    if (sheets_.empty()) SelectSheet(QString());
    auto& cells = sheets_[active_].cells;
    if (!IsNumber(value) && value.toString().isEmpty())
      cells.erase({row, column});
    else
      cells[{row, column}] = value;
  }

  void SetScreenUpdating(bool) override {}  // a file has no screen to spare

  int Run(const QString& macro, const QVariantList& args, int32_t& result) override {
    result = 0;
    if (!opened_) return kBookClosed;
    QVariantList call{macro};
    call.append(args);
    macroCalls_.push_back(call);
    const auto it = macros_.find(macro);
    if (it != macros_.end()) {
      const size_t active = active_;
      result = it->second(*this, args);
      active_ = active;
    }
    return 0;
  }

  void DefineMacro(const QString& macro, Macro body) override { macros_[macro] = std::move(body); }

  bool Publish(QString& error) override {
    if (!opened_) {
      error = error_.isEmpty() ? path_ + QStringLiteral(" は開かれていません") : error_;
      return false;
    }
    if (checkWritable() <= 32) {
      error = error_;
      return false;
    }
    const QString temp = QFileInfo(path_).dir().filePath(QStringLiteral(".") + QFileInfo(path_).fileName() +
                                                         QStringLiteral(".part"));
    QFile::remove(temp);
    if (!writeFile(temp)) {
      QFile::remove(temp);
      error = path_ + QStringLiteral(" を書き込めませんでした");
      return false;
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path_).constData()) != 0) {
      QFile::remove(temp);
      error = path_ + QStringLiteral(" を書き込めませんでした");
      return false;
    }
    ShellOpen(path_);
    return true;
  }

  QString ErrorText() const override { return error_; }

 private:
  // Above 32 when the workbook file can be replaced; else a shell code and the reason in error_.
  int checkWritable() {
    const QFileInfo file(path_);
    const QFileInfo folder(file.absolutePath());
    error_.clear();
    if (!folder.isDir()) {
      error_ = folder.absoluteFilePath() + QStringLiteral(" がありません");
      return kNoPath;
    }
    if (!folder.isWritable()) {
      error_ = folder.absoluteFilePath() + QStringLiteral(" に書き込めません");
      return kAccessDenied;
    }
    const QString base = file.fileName();
    if (QFileInfo::exists(folder.absoluteFilePath() + "/.~lock." + base + "#") ||
        QFileInfo::exists(folder.absoluteFilePath() + "/~$" + base)) {
      error_ = path_ + QStringLiteral(" は他のプログラムで開かれています。閉じてからやり直して下さい");
      return kAccessDenied;
    }
    if (file.exists() && !file.isWritable()) {
      error_ = path_ + QStringLiteral(" は書き込み禁止です");
      return kAccessDenied;
    }
    if (file.exists() && !file.isFile()) {
      error_ = path_ + QStringLiteral(" はファイルではないため書き込めません");
      return kAccessDenied;
    }
    return kShellDone;
  }

  bool writeFile(const QString& target) const {
    const QByteArray name = QFile::encodeName(target);
    lxw_workbook* wb = workbook_new(name.constData());
    if (!wb) return false;
    lxw_format* wrap = workbook_add_format(wb);
    format_set_text_wrap(wrap);
    std::vector<XlsxSheet> sheets = sheets_;
    if (sheets.empty()) sheets.push_back({kFirstSheet, {}});
    if (!macroCalls_.empty() || !priorLog_.empty()) {
      XlsxSheet log{kMacroSheet, priorLog_};
      const int32_t below = priorLog_.empty() ? 0 : priorLog_.rbegin()->first.first;
      for (size_t i = 0; i < macroCalls_.size(); ++i)
        for (int c = 0; c < macroCalls_[i].size(); ++c)
          log.cells[{below + int32_t(i) + 1, c + 1}] = macroCalls_[i][c];
      sheets.push_back(std::move(log));
    }
    bool ok = true;
    for (const XlsxSheet& s : sheets) {
      lxw_worksheet* ws = workbook_add_worksheet(wb, s.name.toUtf8().constData());
      if (!ws) {
        ok = false;
        break;
      }
      for (const auto& [at, value] : s.cells) {
        const lxw_row_t row = lxw_row_t(at.first - 1);
        const lxw_col_t col = lxw_col_t(at.second - 1);
        lxw_error e;
        if (value.typeId() == QMetaType::Bool) {
          e = worksheet_write_boolean(ws, row, col, value.toBool(), nullptr);
        } else if (IsNumber(value)) {
          e = worksheet_write_number(ws, row, col, value.toDouble(), nullptr);
        } else {
          const QString text = value.toString();
          e = worksheet_write_string(ws, row, col, text.toUtf8().constData(),
                                     text.contains('\n') ? wrap : nullptr);
        }
        if (e != LXW_NO_ERROR) ok = false;
      }
    }
    const lxw_error closed = workbook_close(wb);
    return ok && closed == LXW_NO_ERROR;
  }

  QString name_, path_, error_;
  bool opened_ = false;
  std::vector<XlsxSheet> sheets_;
  size_t active_ = 0;
  std::map<std::pair<int32_t, int32_t>, QVariant> priorLog_;  // the macro log the file already held
  std::vector<QVariantList> macroCalls_;
  std::map<QString, Macro> macros_;
};

}  // namespace

QString XlsxFileName(const QString& workbookName) {
  const qsizetype dot = workbookName.lastIndexOf('.');
  return (dot > 0 ? workbookName.left(dot) : workbookName) + QStringLiteral(".xlsx");
}

std::unique_ptr<Workbook> NewWorkbook(const QString& name) {
  if (Factory()) return Factory()(name);
  return std::make_unique<XlsxWorkbook>(name);
}

WorkbookFactory SetWorkbookFactory(WorkbookFactory factory) { return ReplaceHook(Factory(), std::move(factory)); }
