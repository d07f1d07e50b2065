// The spreadsheet stand-in: the cells and macro calls of one output kept in memory, then written as
// one .xlsx through libxlsxwriter and renamed into place, so the program folder never holds half a
// workbook. A workbook opened to be kept starts from the sheets and values the file holds.

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/automation/xlsx_contents.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/testhooks.h"
#include "platform/vbfile.h"

namespace {

constexpr int kAccessDenied = 5;  // the shell's SE_ERR_ACCESSDENIED
constexpr int kNoPath = 3;
constexpr int kBadFormat = 11;   // the shell's ERROR_BAD_FORMAT
constexpr int kNoSuchSheet = 9;  // subscript out of range
constexpr int kBookClosed = 424;
constexpr int kShareRefused = 26;  // the shell's SE_ERR_SHARE
const QString kFirstSheet = QStringLiteral("Sheet1");
const QString kMacroSheet = QStringLiteral("マクロ");

// The spreadsheet programs that keep a lock file beside a workbook they hold, by their process names.
const QStringList kSpreadsheetPrograms = {"soffice.bin", "soffice", "oosplash", "libreoffice", "localc",
                                          "ooffice", "et", "wps", "DesktopEditors"};

// A spreadsheet program's lock file beside a workbook.
struct WorkbookLock {
  QString path;
  QString owner;       // "user@host（date）" as far as the lock names them
  bool stale = false;  // its user on this machine runs no spreadsheet program: left behind by a crash
  QByteArray held;     // what the lock holds, to know it again
};

QString LoginName() {
  const passwd* pw = getpwuid(geteuid());
  return pw ? QString::fromLocal8Bit(pw->pw_name) : qEnvironmentVariable("USER");
}

bool IsThisMachine(const QString& host) {
  const QString here = QSysInfo::machineHostName();
  const auto bare = [](const QString& h) { return h.section(u'.', 0, 0); };
  return !host.isEmpty() && bare(host).compare(bare(here), Qt::CaseInsensitive) == 0;
}

// The user Office's owner file "~$<workbook>" names: a length byte and the name in the ANSI code page,
// then at byte 54 a 16-bit length and the name again in UTF-16LE, which is taken when it is there.
QString OfficeOwner(const QByteArray& held) {
  if (held.size() >= 56) {
    const int n = uchar(held[54]) | uchar(held[55]) << 8;
    if (n > 0 && 56 + 2 * n <= held.size()) {
      QString name(n, QChar());
      for (int i = 0; i < n; ++i) name[i] = QChar(uchar(held[56 + 2 * i]) | uchar(held[57 + 2 * i]) << 8);
      if (std::none_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; })) return name.trimmed();
    }
  }
  const int n = held.isEmpty() ? 0 : uchar(held[0]);
  return n > 0 && n < held.size() ? FromAnsi(held.mid(1, n)).trimmed() : QString();
}

// LibreOffice's lock is one line "name,user,host,date,profile;" ("\" before a comma, semicolon or
// backslash of a value). Office's "~$" file names no machine: it is taken as held.
std::optional<WorkbookLock> FindLock(const QString& folder, const QString& workbook) {
  for (const QString& name : {QStringLiteral(".~lock.") + workbook + u'#', QStringLiteral("~$") + workbook}) {
    WorkbookLock lock{folder + u'/' + name, {}, false, {}};
    if (!QFileInfo::exists(lock.path)) continue;
    if (QFile f(lock.path); f.open(QIODevice::ReadOnly)) lock.held = f.read(4096);
    const QString text = QString::fromUtf8(lock.held).trimmed();
    QStringList fields{QString()};
    for (qsizetype i = 0; i < text.size() && text[i] != u';'; ++i) {
      if (text[i] == u'\\' && i + 1 < text.size())
        fields.back() += text[++i];
      else if (text[i] == u',')
        fields << QString();
      else
        fields.back() += text[i];
    }
    if (name.startsWith(u'~')) lock.owner = OfficeOwner(lock.held);
    if (name.startsWith(u'.') && fields.size() >= 4) {
      const QString user = fields[1].trimmed(), host = fields[2].trimmed(), since = fields[3].trimmed();
      lock.owner = user + u'@' + host + (since.isEmpty() ? QString() : QStringLiteral("（") + since + QStringLiteral("）"));
      lock.stale = !user.isEmpty() && user == LoginName() && IsThisMachine(host) &&
                   !UserRunsProgram(user, kSpreadsheetPrograms);
    }
    return lock;
  }
  return std::nullopt;
}

WorkbookFactory& Factory() {
  static WorkbookFactory f;
  return f;
}

class XlsxWorkbook : public Workbook {
 public:
  explicit XlsxWorkbook(const QString& name) : name_(name) {
    path_ = JoinPath(ProgramFolder(), XlsxFileName(name));
  }

  int Open() override {
    kept_ = {};
    const int r = checkWritable();
    opened_ = r > 32;
    return r;
  }

  int OpenExisting() override {
    sheets_.clear();
    touched_.clear();
    unread_.clear();
    priorLog_.Clear();
    kept_ = {};
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
    XlsxBook book;
    XlsxSheet log;
    bool read = ReadXlsxBook(path_, book, why);
    // The log of earlier macro calls goes on below its last row; the worksheets' cells are read when
    // a sheet is first written to.
    for (size_t i = 0; read && i < book.sheets.size(); ++i) {
      if (book.sheets[i].name == kMacroSheet) {
        read = ReadXlsxCells(book, i, log, why);
        priorLog_ = std::move(log.cells);
      } else {
        sheets_.push_back({book.sheets[i].name, {}});
        unread_.push_back(int(i));
      }
    }
    if (!read) {
      sheets_.clear();
      unread_.clear();
      error_ = path_ + QStringLiteral(" を読めませんでした（") + why + QStringLiteral("）");
      return kBadFormat;
    }
    kept_ = std::move(book);
    if (sheets_.empty()) SelectSheet(QString());
    touched_.assign(sheets_.size(), false);
    active_ = 0;
    opened_ = true;
    return kShellDone;
  }

  int Attach() override { return opened_ ? 0 : kBookClosed; }

  void SelectSheet(const QString& name) override {
    const QString wanted = name.isEmpty() ? QString() : name;
    if (wanted.isEmpty()) {
      if (sheets_.empty()) addSheet(kFirstSheet);
      active_ = 0;
      return;
    }
    for (size_t i = 0; i < sheets_.size(); ++i)
      if (sheets_[i].name == wanted) {
        active_ = i;
        return;
      }
    addSheet(wanted);
    active_ = sheets_.size() - 1;
  }

  int SelectSheetAt(int32_t index) override {
    if (sheets_.empty()) SelectSheet(QString());
    if (index < 1 || size_t(index) > sheets_.size()) return kNoSuchSheet;
    active_ = size_t(index) - 1;
    return 0;
  }

  void ClearSheet() override {
    if (sheets_.empty()) return;
    sheets_[active_].cells.Clear();
    unread_[active_] = -1;  // what the file held is of no more use
    touch();
  }

  void SetCell(int32_t row, int32_t column, const QVariant& value) override {
    if (XlsxCells* cells = cellsToSet(row, column)) cells->Put(row, column, value, true);
  }

  void SetCell(int32_t row, int32_t column, QStringView text) override {
    XlsxCells* cells = cellsToSet(row, column);
    if (!cells) return;
    if (text.isEmpty())
      cells->Erase(row, column);
    else
      cells->PutText(row, column, text);
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
    // Written beside the file it replaces: a workbook linked from the program folder stays linked.
    const QFileInfo target(ReplaceTarget(path_));
    const QString temp = target.dir().filePath(QStringLiteral(".") + target.fileName() + QStringLiteral(".part"));
    QFile::remove(temp);
    if (!(patchFile(temp) || (readAllCells() && writeFile(temp))) || !MoveFileOver(temp, path_)) {
      // Looked at before the part file goes: a full disk has its room back afterwards.
      const int said = errno, seen = FileFaultCause(temp);
      QFile::remove(temp);
      // A sheet read on the way was damaged: its reason, else the write's.
      error = opened_ ? FileFaultText(path_, QStringLiteral(" を書き込めませんでした"), seen ? seen : said)
                      : error_;
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
    if (const std::optional<WorkbookLock> lock = FindLock(folder.absoluteFilePath(), file.fileName())) {
      const QString owner = lock->owner.isEmpty() ? QString() : QStringLiteral("、") + lock->owner;
      if (!lock->stale) {
        error_ = path_ + QStringLiteral(" は他のプログラムで開かれています（ロックファイル ") + lock->path + owner +
                 QStringLiteral("）。そのプログラムで閉じてからやり直して下さい");
        return kAccessDenied;
      }
      // The lock is the spreadsheet program's own: it stays, and that program sorts it out when it
      // opens the workbook again. Asked once per workbook for the same lock.
      if (acceptedLock_ != lock->path.toUtf8() + lock->held) {
        const QString question =
            lock->path + QStringLiteral(" が残っていますが、これを作った表計算ソフト（") + lock->owner +
            QStringLiteral("）はもう動いていません。異常終了で残った古いロックファイルです。") + "\r\n\r\n" +
            QStringLiteral("このまま ") + path_ + QStringLiteral(" を書き込んで続けますか？") + "\r\n" +
            QStringLiteral("（ロックファイルは、表計算ソフトでこのブックを開いて閉じれば片付きます）");
        if (MsgBox(question, vbYesNo + vbQuestion + vbDefaultButton2) != vbYes) {
          error_ = lock->path + QStringLiteral(" が残っているため、") + path_ + QStringLiteral(" には書き込みませんでした");
          return kShareRefused;
        }
        acceptedLock_ = lock->path.toUtf8() + lock->held;
      }
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

  void addSheet(const QString& name) {
    sheets_.push_back({name, {}});
    touched_.resize(sheets_.size(), false);
    unread_.resize(sheets_.size(), -1);
  }

  // Reads the cells the file holds for sheet i on first need; a damaged sheet closes the book
  // (nothing is written) with the reason in error_.
  bool readCells(size_t i) {
    if (i >= unread_.size() || unread_[i] < 0) return true;
    QString why;
    XlsxBook::Sheet& part = kept_.sheets[size_t(unread_[i])];
    const bool read = ReadXlsxCells(kept_, size_t(unread_[i]), sheets_[i], why);
    part.xml.clear();
    unread_[i] = -1;
    if (!read) {
      error_ = path_ + QStringLiteral(" を読めませんでした（") + why + QStringLiteral("）");
      opened_ = false;
    }
    return read;
  }

  bool readAllCells() {
    for (size_t i = 0; i < sheets_.size(); ++i)
      if (!readCells(i)) return false;
    return true;
  }

  // The active sheet's cells, about to be set at (row, column); nullptr when the cell is off the sheet
  // or the sheet's cells could not be read from the file.
  XlsxCells* cellsToSet(int32_t row, int32_t column) {
    if (row < 1 || column < 1 || row > 1048576 || column > 16384) return nullptr;
    if (sheets_.empty()) SelectSheet(QString());
    if (!readCells(active_)) return nullptr;
    touch();
    return &sheets_[active_].cells;
  }

  void touch() {
    if (active_ < touched_.size()) touched_[active_] = true;
  }

  bool hasMacroLog() const { return !macroCalls_.empty() || !priorLog_.Empty(); }

  // The macro sheet: the calls the file held with this session's below them.
  XlsxSheet macroLog() const {
    XlsxSheet log{kMacroSheet, priorLog_};
    const int32_t below = priorLog_.LastRow();
    for (size_t i = 0; i < macroCalls_.size(); ++i)
      for (int c = 0; c < macroCalls_[i].size(); ++c)
        log.cells.Put(below + int32_t(i) + 1, c + 1, macroCalls_[i][c]);
    return log;
  }

  // A kept workbook whose worksheets are still those of its file, in their order: written as a copy of
  // the file with the changed worksheets' parts replaced. False (nothing written) when the book has
  // grown a sheet, or a changed sheet cannot be replaced alone (a sheet with parts of its own, a
  // wrapped text that needs the writer's format).
  bool patchFile(const QString& target) const {
    const std::vector<XlsxBook::Sheet>& kept = kept_.sheets;
    if (kept.empty() || kept.size() != sheets_.size() + (hasMacroLog() ? 1 : 0)) return false;
    std::map<QString, QByteArray> replaced;
    auto replace = [&](size_t i, const XlsxSheet& s) {
      if (kept[i].name != s.name || !kept[i].replaceable) return false;
      QByteArray& xml = replaced[kept[i].part];
      xml = WorksheetXml(s.cells, -1);
      return !xml.isEmpty();
    };
    for (size_t i = 0; i < sheets_.size(); ++i) {
      if (kept[i].name != sheets_[i].name) return false;
      if (touched_[i] && !replace(i, sheets_[i])) return false;
    }
    if (hasMacroLog() && (kept.back().name != kMacroSheet ||
                          (!macroCalls_.empty() && !replace(kept.size() - 1, macroLog()))))
      return false;
    if (CopyZipReplacing(path_, target, replaced)) return true;
    QFile::remove(target);
    return false;
  }

  // libxlsxwriter lays out the package around empty worksheets (its parts, the styles with the
  // wrapping format, the properties); the worksheets are then put in, strings inline, at the fastest
  // deflate, which spares the shared string table and most of the compression time.
  bool writeFile(const QString& target) const {
    const XlsxSheet first{kFirstSheet, {}}, log = hasMacroLog() ? macroLog() : XlsxSheet{};
    std::vector<const XlsxSheet*> sheets;
    for (const XlsxSheet& s : sheets_) sheets.push_back(&s);
    if (sheets.empty()) sheets.push_back(&first);
    if (hasMacroLog()) sheets.push_back(&log);
    std::map<QString, QByteArray> parts;
    for (size_t i = 0; i < sheets.size(); ++i) {
      QByteArray& xml = parts[QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1)];
      xml = WorksheetXml(sheets[i]->cells, 1);
      if (xml.isEmpty()) return false;
    }
    const QString base = target + QStringLiteral(".base");
    QFile::remove(base);
    lxw_workbook* wb = workbook_new(QFile::encodeName(base).constData());
    if (!wb) return false;
    lxw_format* wrap = workbook_add_format(wb);
    format_set_text_wrap(wrap);
    // The sheets' cells are written with the format's place in the styles: the first after the default.
    bool ok = lxw_format_get_xf_index(wrap) == 1;
    for (size_t i = 0; i < sheets.size() && ok; ++i)
      ok = workbook_add_worksheet(wb, sheets[i]->name.toUtf8().constData()) != nullptr;
    ok = workbook_close(wb) == LXW_NO_ERROR && ok && CopyZipReplacing(base, target, parts);
    QFile::remove(base);
    return ok;
  }

  QString name_, path_, error_;
  QByteArray acceptedLock_;  // a stale lock the operator chose to write past
  bool opened_ = false;
  std::vector<XlsxSheet> sheets_;
  std::vector<bool> touched_;  // by sheet: its cells were set or cleared since the file was read
  std::vector<int> unread_;  // by sheet: its index in kept_ while the file's cells are not yet read, or -1
  XlsxBook kept_;  // the file opened to be kept
  size_t active_ = 0;
  XlsxCells priorLog_;  // the macro log the file already held
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
