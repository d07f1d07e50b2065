#include "forms/awards/ORBBOOK.h"

#include <QStringList>

#include "awards/ApplicationBook.h"
#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/ProgramHelp.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/AwardWindows.h"
#include "outputs/Spreadsheets.h"
#include "platform/automation/automation.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/ui/color.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "sheet/SheetTally.h"

namespace {

constexpr int kGridHeight = 3300;
const QString kCrLf = QStringLiteral("\r\n");
const QString kUpdateTitle = QStringLiteral("実績値書き換え");
const QString kPostingTitle = QStringLiteral("集計（累積）表の作成");
constexpr int kSilentExcelError = 1004;

const int32_t kGroupColors[4] = {VbRgb(192, 192, 255), VbRgb(192, 255, 255), VbRgb(192, 255, 192),
                                 VbRgb(255, 192, 192)};

}  // namespace

ORBBOOK::ORBBOOK() {
  setWindowTitle(QStringLiteral("ORB本用 集計"));
  MSFlexGrid1.Move(120, 120, 14540, kGridHeight);
  Frame1.Move(0, 0, 900, 600);
  Text1.Move(60, 240, 780, 300);
  Text1.setToolTip(QStringLiteral("前回申請時の値を入れてEnter"));
  Picture1.Move(0, 0, 0, 0);
  Picture1.hide();
  KICHOU_EXCEL.Click = [this] { PostBookToWorkbook(); };
  MakeBMP.Click = [this] { SnapshotToDataFolder(*this, "ORBEX_BOOKdat.bmp"); };
  CLSCNT.Click = [this] { CLSCNT_Click(); };
  B4UPDT.Click = [this] { B4UPDT_Click(); };
  CNTHELP.Click = [] { OpenHelpPage(kHelpBook); };
  MSFlexGrid1.MouseMove = [this](int, int, float, float) { BookGridHint(); };
  MSFlexGrid1.DblClick = [this] { BeginPrevValueEdit(); };
  MSFlexGrid1.SelChange = [this] { HidePrevValueEdit(); };
  Text1.KeyPress = [this](int& keyAscii) { StorePrevValue(keyAscii); };
}

void ORBBOOK::Form_Load() {
  KeyPreview = true;
  const int32_t set = Settings.ExtendedBandSet;
  standardBase_ = BookCountsBase(ReadConditions.SelMode, false);
  extendedBase_ = BookCountsBase(ReadConditions.SelMode, true);
  baseInForce_ = set == 1 ? extendedBase_ : standardBase_;
  modeProblem_.clear();
  for (const QChar separator : {u'/', u'\\'})
    if (ReadConditions.SelMode.contains(separator))
      modeProblem_ =
          QStringLiteral(
              "抽出モード「%1」の「%2」はファイル名に使えないため、前回申請数のファイル "
              "ORB-%1前回申請数%3.DAT "
              "を作れません。前回申請数は保存しません。\r\n「%2」のないモード名で読み込み直して下さい。")
              .arg(ReadConditions.SelMode, separator, set == 1 ? QStringLiteral("sp") : QString());
  setWindowTitle(QStringLiteral("ORB本用 集計  抽出モード = ") + ReadConditions.SelMode);
  Frame1.hide();
  PlaceStoredWindow(*this, "ABPOS");
  SetWidth(BandLayout.BookWindowWidth);
  book_ = NewBookTable(set, TodayJst());
  LayoutGrid();
  if (modeProblem_.isEmpty())
    LoadPreviousCounts();
  else
    MsgBox(modeProblem_);
  FitWindowToGrid(*this, MSFlexGrid1, BandLayout.BookGridWidth);
  RecalcBookTotals();
  WriteCsv();
}

void ORBBOOK::LayoutGrid() {
  const int32_t set = Settings.ExtendedBandSet;
  const int32_t total = BookTotalColumn(set);
  FlexGrid& g = MSFlexGrid1;
  g.SetRedraw(false);
  g.SetHeight(kGridHeight);
  g.SetCols(BandLayout.BookColumnCount);
  g.SetRows(kBookRows);
  g.SetFixedCols(2);
  g.SetColWidth(0, 800);
  g.SetColWidth(1, 1960);
  for (int32_t c = 2; c <= total; ++c) g.SetColWidth(c, c == total ? 800 : (c == 9 || c == 13) ? 720 : 680);
  for (int r = 1; r < kBookRows; ++r) {
    const int32_t color = kGroupColors[(r - 1) / 3];
    g.SetCellBackColor(r, 0, color);
    g.SetCellBackColor(r, 1, color);
    if (r % 3 == 0)
      for (int32_t c = 2; c <= total; ++c) g.SetCellBackColor(r, c, color);
  }
  g.SetRedraw(true);
}

void ORBBOOK::LoadPreviousCounts() {
  QString base;
  if (FileExists(baseInForce_ + ".DAT") == 1)
    base = baseInForce_;
  else if (Settings.ExtendedBandSet == 1 && FileExists(standardBase_ + ".DAT") == 1)
    base = standardBase_;
  if (base.isEmpty()) return;  // no previous application yet: every previous count is "0"
  QString why;
  if (LoadPrevCounts(book_, base, Settings.ExtendedBandSet, &why) != PrevCountsRead::Incomplete) return;
  if (base == baseInForce_) unreadableCountsFile_ = base + ".DAT";
  MsgBox(RealPath(base + ".DAT") + QStringLiteral(" を最後まで読めませんでした。") + kCrLf + why +
         QStringLiteral("。") + kCrLf +
         QStringLiteral("前回申請数は 0 として表示します。ファイルは書き換えずにそのまま残します。") + kCrLf +
         QStringLiteral("ファイルを直すか消してから、もう一度開いて下さい。"));
}

void ORBBOOK::ShowBook() { CopyTableToGrid(book_, MSFlexGrid1); }

void ORBBOOK::RecalcBookTotals() {
  MSFlexGrid1.SetRedraw(false);
  ::RecalcBookTotals(book_, BandTotals, Settings.ExtendedBandSet);
  ShowBook();
  MSFlexGrid1.SetRedraw(true);
}

void ORBBOOK::WriteCsv() {
  if (!WriteBookCsv(book_, Settings.ExtendedBandSet)) MsgBox(QStringLiteral("ORB本用集計データエラー"));
}

// ---- Corrections of previous counts

void ORBBOOK::BookGridHint() {
  const int r = MSFlexGrid1.MouseRow();
  MSFlexGrid1.SetToolTipText(r == 1 || r == 4 || r == 7 ? QStringLiteral("ダブルクリックで前回値を修正出来ます")
                                                        : QString());
}

void ORBBOOK::HidePrevValueEdit() { Frame1.hide(); }

void ORBBOOK::BeginPrevValueEdit() {
  const int r = MSFlexGrid1.RowSel();
  const int c = MSFlexGrid1.ColSel();
  const int cellHeight = MSFlexGrid1.RowHeight(r);
  int top = 0;
  if (r == 1) {
    BookKindLetter = "C";
    top = cellHeight + 400;
  } else if (r == 4) {
    BookKindLetter = "G";
    top = cellHeight + 1080;
  } else if (r == 7) {
    BookKindLetter = "K";
    top = cellHeight + 1760;
  } else {
    Frame1.hide();
    return;
  }
  const QString key = ::BookBandKey(c, Settings.ExtendedBandSet);
  if (key.isEmpty()) {
    Frame1.hide();
    return;
  }
  this->BookBandKey = key;
  editRow_ = r;
  editCol_ = c;
  Frame1.Move(MSFlexGrid1.Left() + MSFlexGrid1.ColPos(c), top);
  Frame1.show();
  Frame1.raise();
  Text1.setFocus();
}

void ORBBOOK::StorePrevValue(int& keyAscii) {
  if (keyAscii == vbKeyReturn) {
    keyAscii = 0;
    if (!Frame1.isVisible() || editRow_ < 0) return;
    // Only a count goes into the book: other text would be stored in the counts file as it stands.
    const std::optional<int32_t> count = PrevCountOfText(Text1.text());
    if (!count) {
      MsgBox(QStringLiteral("「") + Text1.text() + QStringLiteral("」は前回申請数になりません。") + kCrLf +
                 QStringLiteral("0 から ") + QString::number(kMostPrevCount) +
                 QStringLiteral(" までの整数を入れて Enter を押して下さい（Esc で取り消し）。"),
             vbOKOnly | vbExclamation);
      Text1.selectAll();
      Text1.setFocus();
      return;
    }
    const QString text = QString::number(*count);
    book_.Set(editRow_, editCol_, text);
    Frame1.hide();
    WriteIni("ORB", BookKindLetter + BookBandKey, text);
    RecalcBookTotals();
    Text1.setText(QString());
  } else if (keyAscii == vbKeyEscape) {
    keyAscii = 0;
    Frame1.hide();
    Text1.setText(QString());
  }
}

// ---- Posting into the ORB book workbook

void ORBBOOK::PostBookToWorkbook() {
  Frame1.hide();
  // No macro waits in the workbook here: the program itself writes the sheet, into a workbook that no
  // spreadsheet program holds open. The workbook holds the ORB book the sheet wrote: it is opened to be
  // kept, never started afresh, and before the question, so that what stands in the way is said first.
  const QString workbook = XlsxFileName(kOrbBookWorkbook);
  std::unique_ptr<Workbook> book = NewWorkbook(kOrbBookWorkbook);
  book->DefineMacro("totalMain", [this](Workbook& b, const QVariantList&) {
    PutBookOnSheet(b, book_, windowTitle());
    return 0;
  });
  PostingShellResult = book->OpenExisting();
  if (PostingShellResult <= 32) {
    QString text = WorkbookOpenFailureText(*book, PostingShellResult, workbook);
    if (PostingShellResult == SE_ERR_FNF)
      text += kCrLf + kCrLf + QStringLiteral("転記先のブックは、進捗状況表の「Excel Sheet作成」→「ORB本の作成」で作ります。") +
              kCrLf + QStringLiteral("作ってから、もう一度「この集計表を転記」を選んで下さい。");
    MsgBox(text, vbOKOnly + vbExclamation, kPostingTitle);
    return;
  }
  Hamlog.LastResult =
      MsgBox(QStringLiteral("この集計表を ") + workbook + QStringLiteral(" のシート「集計表」へ転記して、表計算ソフトで開きます。") +
                 kCrLf + kCrLf + QStringLiteral("ほかのシートの値はそのまま残ります。") + kCrLf + kCrLf +
                 QStringLiteral("転記しますか？"),
             vbYesNo + vbQuestion, kPostingTitle);
  if (Hamlog.LastResult != vbYes) {
    MsgBox(QStringLiteral("記帳を中止しました。"));
    return;
  }
  int32_t result = 0;
  int err = book->Attach();
  if (err == 0) err = book->SelectSheetAt(2);
  if (err == 0) err = book->Run("totalMain", {0, Settings.ExtendedBandSet}, result);
  if (err != 0) {
    if (err != kSilentExcelError) MsgBox(QStringLiteral("EXCEL Error\r\n") + ExcelErrorText(err));
    return;
  }
  QString error;
  if (!book->Publish(error)) MsgBox(error);
}

// ---- "申請完"

void ORBBOOK::B4UPDT_Click() {
  Frame1.hide();
  if (!modeProblem_.isEmpty()) {
    MsgBox(modeProblem_);
    return;
  }
  const QString first = QStringLiteral("集計（累計）表への書き込みはお済みですか？") + kCrLf + kCrLf +
                        QStringLiteral("この先へ進むと最新CFM値に書き変わりますのでその前に「この表を転記」で") +
                        kCrLf + kCrLf + QStringLiteral("現況を転記される事をお奨めします") + kCrLf + kCrLf +
                        QStringLiteral("先へ進んで宜しいですか？");
  Hamlog.LastResult = MsgBox(first, vbOKCancel + vbExclamation, kUpdateTitle);
  if (Hamlog.LastResult == vbCancel) return;
  if (MsgBox(QStringLiteral("前回申請数を最新CFM値に書き換えます、本当に宜しいですか？"), vbOKCancel + vbExclamation,
             kUpdateTitle) == vbCancel)
    return;
  const QString datPath = RealPath(baseInForce_ + ".DAT");
  const bool hadFile = FileExists(datPath) == 1;
  // Without its backup the old file is not replaced.
  if (!BackupPrevDat(baseInForce_)) {
    MsgBox(RealPath(baseInForce_ + ".bak") + QStringLiteral(" を作れませんでした。") + kCrLf +
           QStringLiteral("前回申請数は書き換えていません。"));
    return;
  }
  QString error;
  if (!SavePrevCounts(book_, kCurrentRows, baseInForce_, Settings.ExtendedBandSet, &error)) {
    MsgBox(datPath + QStringLiteral(" を書き込めませんでした。前回申請数は書き換えていません。") + kCrLf + error);
    return;
  }
  unreadableCountsFile_.clear();
  LoadPrevCounts(book_, baseInForce_, Settings.ExtendedBandSet);
  RecalcBookTotals();
  WriteCsv();
  QString done = QStringLiteral("前回申請数を更新しました。") + baseInForce_ + ".DAT" + kCrLf +
                 QStringLiteral("　を上書きで保存しました。");
  if (hadFile) done += kCrLf + QStringLiteral("念の為書き換え前のデータを ") + baseInForce_ + QStringLiteral(".bak として保存しました。");
  MsgBox(done);
}

// ---- Closing

bool ORBBOOK::SavePrevCountsOnClose() {
  if (!modeProblem_.isEmpty()) return true;  // told at the opening
  if (!unreadableCountsFile_.isEmpty()) {
    MsgBox(RealPath(unreadableCountsFile_) + QStringLiteral(" は読めなかったため、上書きせずに残しました。"));
    return true;
  }
  QString error;
  if (SavePrevCounts(book_, kPrevRows, baseInForce_, Settings.ExtendedBandSet, &error)) return true;
  MsgBox(RealPath(baseInForce_ + ".DAT") + QStringLiteral(" を書き込めませんでした。") + kCrLf + error);
  return false;
}

void ORBBOOK::CLSCNT_Click() {
  if (!SavePrevCountsOnClose()) return;  // the book stays open with what it shows
  StoreWindowPlace(*this, "ABPOS");
  Unload();
}

void ORBBOOK::Form_QueryUnload(int& cancel, int unloadMode) {
  if (unloadMode == vbFormControlMenu && !SavePrevCountsOnClose()) cancel = 1;
}

void ORBBOOK::Form_KeyDown(int& keyCode, int shift) {
  if (keyCode == vbKeyP && shift == vbAltMask) SaveClipboardSnapshot(Picture1, "ORBEX_BOOKdat.bmp");
}
