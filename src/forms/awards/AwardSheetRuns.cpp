#include "forms/awards/AwardSheetRuns.h"

#include <QElapsedTimer>

#include "awards/AwardSheets.h"
#include "awards/LocatorSheets.h"
#include "awards/LocatorTables.h"
#include "awards/MemberCheck.h"
#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/MasterList.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "forms/awards/ACCSheet.h"
#include "forms/startup/ORBTOP.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"

namespace {

const QString kOpenFailed = QStringLiteral("HAMLOGデータがOpen出来ません。");
const QString kLegend = QStringLiteral("CW=C Phone=P Sstv=S Rtty=R Fax=F (小文字はwkd状態)");
const char* const kBandHeadings[] = {"1.9MHz", "3.5MHz", "7MHz",   "10MHz",  "14MHz",  "18MHz",
                                     "21MHz",  "24MHz",  "28MHz",  "50MHz",  "144MHz", "430MHz",
                                     "1.2GHz", "2.4GHz", "5.6GHz", "135kHz", "475kHz", "10GHz",
                                     "24GHz",  "47GHz",  "77GHz"};
constexpr int kBandWidth = 730;
constexpr int kPumpMs = 50;

bool extendedSet() { return Settings.ExtendedBandSet == 1; }

// Said when no QSO passes the scan of a sheet kind (2 .. 4 the locator sheets, 5 DXCC); the start
// window stays, for other conditions.
void tellNothingPassed(int kind) {
  const ReadConditionsState& c = ReadConditions;
  MsgBox(QStringLiteral("抽出条件 (期間 %1～%2%3、モード %4、除外するQSL区分) に合う、QSL の届いた%5QSO がありません。")
             .arg(c.StartDate, c.EndDate, kind == 5 ? QString() : QStringLiteral(" のうち 1985/01/01 以降"), c.SelMode,
                  kind == 2 || kind == 3 ? QStringLiteral("国内局との ") : QStringLiteral(" ")));
}

struct ColumnLook {
  int width;
  int alignment;
  const char* heading;
};

// Columns 0 .. 6 as given, the band columns (730 twips, centred, band headings, "ｻﾃﾗｲﾄ" last), a
// hidden column and the "Point" column; the heading row only.
void layoutGrid(FlexGrid& g, const ColumnLook (&first)[7], int pointWidth, const char* pointHeading,
                int fixedCols) {
  const bool extended = extendedSet();
  const int cols = extended ? 31 : 25;
  const int sat = kSheetBandColumn + LastBandSlot(extended);
  g.SetRedraw(false);
  g.SetRows(1);
  g.SetCols(cols);
  g.SetFixedRows(1);
  for (int c = 0; c < 7; ++c) {
    g.SetColWidth(c, first[c].width);
    g.SetColAlignment(c, first[c].alignment);
    g.SetTextMatrix(0, c, QString::fromUtf8(first[c].heading));
  }
  for (int c = kSheetBandColumn; c <= sat; ++c) {
    g.SetColWidth(c, kBandWidth);
    g.SetColAlignment(c, flexAlignCenterCenter);
    g.SetTextMatrix(0, c, c == sat ? QStringLiteral("ｻﾃﾗｲﾄ") : QString::fromUtf8(kBandHeadings[c - kSheetBandColumn]));
  }
  g.SetColWidth(sat + 1, 0);
  g.SetColAlignment(sat + 1, flexAlignCenterCenter);
  g.SetTextMatrix(0, sat + 1, QString());
  g.SetColWidth(sat + 2, pointWidth);
  g.SetColAlignment(sat + 2, flexAlignRightCenter);
  g.SetTextMatrix(0, sat + 2, QString::fromUtf8(pointHeading));
  g.SetFixedCols(fixedCols);
  g.SetRedraw(true);
}

int accPointWidth() { return AwardSheets.MemberTag == "ACC#" ? kBandWidth : 0; }

// The QSO panel takes the place of the result frame.
void showQsoPanel(ACCSheet& s) {
  s.Frame6.Move(s.Frame1.Left(), s.Frame1.Top());
  s.Frame6.show();
}

// ---- ACC/JAG member sheet

void BuildMemberSheet(ACCSheet& s) {
  const bool acc = AwardSheets.MemberTag == "ACC#";
  s.setWindowTitle(acc ? QStringLiteral("ＡＣＣメンバーとのＱＳＯ実績(1979/11/01 以降)")
                       : QStringLiteral("ＪＡＧメンバーとのＱＳＯ実績"));
  s.DispAMA.SetVisible(acc);
  s.Frame1.show();
  s.Frame2.show();
  s.Label5.setText(kLegend);
  s.Label6.show();
  s.Frame6.hide();
  s.DOUT.SetVisible(false);
  static const ColumnLook kFirst[7] = {{750, flexAlignCenterCenter, "件数"}, {820, flexAlignCenterCenter, "Membnum"},
                                       {1000, flexAlignLeftCenter, "  CALL"}, {0, flexAlignLeftCenter, ""},
                                       {0, flexAlignCenterCenter, " "},      {0, flexAlignLeftCenter, ""},
                                       {0, flexAlignCenterCenter, ""}};
  layoutGrid(s.MSFlexGrid2, kFirst, accPointWidth(), "Point", 7);
}

void RunMemberCheck(ACCSheet& s) {
  s.DispAMA.SetEnabled(false);
  const bool acc = AwardSheets.MemberTag == "ACC#";
  const bool worked = AwardSheets.MemberWkdMode == 1;
  const QString listName = QString(worked ? "wkd" : "cfm") + (acc ? "ACC" : "JAG") + "stn.txt";
  const QString listPath = JoinPath(Settings.DataFolder, listName);
  const QString countCaption = worked ? QStringLiteral("wkd局数＝") : QStringLiteral("cfm局数＝");
  s.Label6.setText(countCaption);
  s.AmaListPath = acc ? JoinPath(Settings.DataFolder, "cfmAMA.txt") : QString();

  // `why`: the list file that could not be made and why (a read-only or full data folder), or the
  // member whose number is none.
  const auto abort = [&s](QString why = {}) {
    if (why.isEmpty())
      why = !s.MemberListFile.IsOpen() ? s.MemberListFile.ErrorText() : s.AmaListFile.ErrorText();
    HamlogCloseDb(0);
    s.MemberListFile.Abandon();
    s.AmaListFile.Abandon();
    s.DispAMA.SetEnabled(false);
    s.SheetFilled = 0;
    MsgBox(QStringLiteral("ACCCG ") + QStringLiteral("中断されました") + (why.isEmpty() ? QString() : "\r\n" + why));
    s.Unload();
  };
  if (!s.MemberListFile.Open(listPath, VbMode::Output) ||
      (!s.AmaListPath.isEmpty() && !s.AmaListFile.Open(s.AmaListPath, VbMode::Output))) {
    abort();
    return;
  }
  s.Label4.hide();
  HamlogCloseDb(0);
  if (HamlogOpenDb() != 0) {
    s.MemberListFile.Close();
    if (s.AmaListFile.IsOpen()) s.AmaListFile.Close();
    MsgBox(WithOpenFailureCause(kOpenFailed));
    return;
  }
  QsoRules.FreqErrorFound = 0;
  // The members' QSOs from the column copy of the log when it can be brought to the log's end.
  const QsoColumnCopy* copy = QsoColumns.ReadToLogEnd() == HAMLOG_OK ? &QsoColumns : nullptr;
  MemberQsoFinder finder;
  finder.Prepare(Vdbf_rcount(Hamlog.Thw), copy);
  const MemberCheckSetup setup{AwardSheets.MemberTag, worked, extendedSet(), s.ModeClasses};
  MemberCheck check(s.MSFlexGrid2, setup, s.MemberListFile, s.AmaListFile.IsOpen() ? &s.AmaListFile : nullptr,
                    copy);
  const MemberRecordSource source = finder.Source();
  QElapsedTimer pumped;
  pumped.start();
  const int members = AwardSheets.MemberLineCount - 2;
  for (int row = 1; row <= members && row < s.MSFlexGrid2.Rows(); ++row) {
    if (!check.CheckMember(row, source)) {
      abort(QStringLiteral("%1 番目のメンバー %2 の ACC#「%3」が数字ではありません。"
                           "メンバーリストを直して読み込み直してください。")
                .arg(row)
                .arg(s.MSFlexGrid2.TextMatrix(row, 2).trimmed(), s.MSFlexGrid2.TextMatrix(row, 1).trimmed()));
      return;
    }
    if (acc)
      s.Label1.setText("cfm/wkd=" + QString::number(check.CfmMarkCount) + "/" +
                       QString::number(check.CfmMarkCount + check.WkdMarkCount));
    s.Label2.setText(QString::number(row));
    if (pumped.elapsed() >= kPumpMs || row == members) {
      DoEvents();
      pumped.restart();
    }
  }
  check.Finish();
  HamlogCloseDb(0);
  const bool saved = s.MemberListFile.Close() && (!s.AmaListFile.IsOpen() || s.AmaListFile.Close());
  if (!saved) {
    abort();
    return;
  }
  s.SheetTotal = check.SheetTotal;
  s.Label5.setText(kLegend);
  // A JAG list has no points: its total is the marks, the confirmed ones of all.
  s.Label3.show();
  s.Label4.show();
  s.Label4.setText(acc ? FormatSheetTotal(s.SheetTotal)
                       : QString::number(check.CfmMarkCount) + "/" +
                             QString::number(check.CfmMarkCount + check.WkdMarkCount));
  s.DispAMA.SetEnabled(true);
  s.Label6.setText(countCaption + " " + QString::number(check.ListedCount));
  if (check.Unreadable > 0)
    MsgBox(QStringLiteral("読めないHAMLOGレコードが ") + QString::number(check.Unreadable) +
           QStringLiteral(" 件あり、飛ばしました。"));
  Hamlog.LastResult = ShellOpen(listPath);
  s.SheetFilled = 1;
  if (Settings.FreqErrReport == "1" && QsoRules.FreqErrorFound == 1) ShowFreqErrorReport();
}

// ---- Grid-locator sheets

void BuildGridLocSheet(ACCSheet& s) {
  const int kind = AwardSheets.SheetKind;
  const QString head = QStringLiteral("グリッドローケータＱＳＯ実績(1985/01/01 以降) for ");
  s.setWindowTitle(head + (kind == 4 ? "WASA(JARL)" : kind == 3 ? "SUBSQUARE-100(ACC)" : "SQUARE-75(ACC)"));
  const bool wasa = kind == 4;
  s.aVUonly.SetVisible(!wasa);
  s.aVUSAT.SetVisible(wasa);
  s.aALLBAND.SetVisible(!wasa);
  s.aALLSAT.SetVisible(wasa);
  s.Frame1.hide();
  s.Frame2.show();
  s.Label5.setText(QStringLiteral("cfm分のみの表示です　C　の付いたｾﾙをｸﾘｯｸすると詳細表示可能"));
  s.Label6.hide();
  showQsoPanel(s);
  s.DispAMA.SetVisible(false);
  s.DOUT.SetVisible(true);
  static const ColumnLook kFirst[7] = {{750, flexAlignCenterCenter, "件数"}, {820, flexAlignCenterCenter, "GridLoc"},
                                       {0, flexAlignLeftCenter, ""},         {0, flexAlignLeftCenter, ""},
                                       {0, flexAlignLeftCenter, " "},        {0, flexAlignLeftCenter, ""},
                                       {0, flexAlignCenterCenter, ""}};
  layoutGrid(s.MSFlexGrid2, kFirst, accPointWidth(), "", 2);
}

// FillSquareRows (kinds 2 and 4) and FillSubSquareRows (kind 3).
void fillLocatorRows(ACCSheet& s) {
  s.SheetRowCount = FillLocatorRows(s.MSFlexGrid2, AwardSheets.SheetKind, extendedSet());
  if (s.SheetRowCount > 0) s.MSFlexGrid2.SetTopRow(s.SheetRowCount);
  s.Label6.setText(QStringLiteral("全バンド通算 cfm局数＝ ") + QString::number(s.SheetRowCount));
  s.Label6.show();
  s.SheetFilled = 1;
}

// ---- DXCC sheet

void BuildDxccSheet(ACCSheet& s) {
  s.DispAMA.SetVisible(false);
  for (QWidget* w : std::initializer_list<QWidget*>{&s.Frame1, &s.Frame2, &s.Label5, &s.Label6}) w->hide();
  s.setWindowTitle(QStringLiteral("DXCC実績"));
  showQsoPanel(s);
  s.DOUT.SetVisible(true);
  static const ColumnLook kFirst[7] = {{0, flexAlignCenterCenter, "件数"},   {720, flexAlignCenterCenter, "Code"},
                                       {2760, flexAlignLeftCenter, "  QTH"}, {0, flexAlignLeftCenter, ""},
                                       {0, flexAlignCenterCenter, " "},      {0, flexAlignLeftCenter, ""},
                                       {0, flexAlignCenterCenter, ""}};
  layoutGrid(s.MSFlexGrid2, kFirst, 0, "Point", 7);
  s.SheetFilled = 0;
}

void AddTotalsRow(ACCSheet& s) {
  s.SheetRowCount = FillDxccRows(s.MSFlexGrid2, extendedSet());
  s.SheetFilled = 1;
}

int32_t recordOfCell(ACCSheet& s, int row, int col) {
  return SheetCellRecord(AwardSheets.SheetKind, s.MSFlexGrid2.TextMatrix(row, 1), col);
}

// ---- The start window's scans

void openSheet() { Form<ACCSheet>().Show(); }

void selectLocatorSheet(int kind) {
  ORBTOP& top = Form<ORBTOP>();
  if (kind == 3)
    SizeSubSquareTable(extendedSet());
  else
    SizeSquareTable(extendedSet());
  AwardSheets.SheetKind = kind;
  Hamlog.HdbRecordCount = CountHdbRecords();
  top.Label11.setText(QString::number(Hamlog.HdbRecordCount));
  DoEvents();
  top.BeginReading();
  const TableScan outcome = MakeGridTable(kind, Hamlog.HdbRecordCount);
  if (outcome != TableScan::Found) {
    top.EndReading();
    if (outcome == TableScan::NothingFound) tellNothingPassed(kind);
    return;
  }
  top.SetMousePointer(vbDefault);
  top.ShowReadStatus(QStringLiteral("ｶｳﾝﾀ"));
  openSheet();  // the start window stays busy until the sheet closes
}

}  // namespace

void ConnectAwardSheets() {
  AwardSheetKind members;
  members.Build = BuildMemberSheet;
  members.Fill = RunMemberCheck;
  AwardSheetHooks.Kinds[1] = members;
  AwardSheetKind locators;
  locators.Build = BuildGridLocSheet;
  locators.Fill = fillLocatorRows;
  locators.RecordOfCell = recordOfCell;
  for (int kind : {2, 3, 4}) AwardSheetHooks.Kinds[kind] = locators;
  AwardSheetKind dxcc;
  dxcc.Build = BuildDxccSheet;
  dxcc.Fill = AddTotalsRow;
  dxcc.RecordOfCell = recordOfCell;
  AwardSheetHooks.Kinds[5] = dxcc;
  AwardSheetHooks.ReleaseTables = ReleaseGridTables;
}

void SelectMemberList() {
  ORBTOP& top = Form<ORBTOP>();
  AwardSheets.SheetKind = 1;
  CommonDialog dialog(&top);
  dialog.DialogTitle = QStringLiteral("ACC/JAGメンバーリストを指定します");
  dialog.Filter = QStringLiteral("ACCメンバーリスト(*.txt)|*.txt|");
  dialog.Flags = cdlOFNFileMustExist | cdlOFNHideReadOnly;
  dialog.InitDir = ProgramFolder();
  const QString notChosen = QStringLiteral("ACC/JAGメンバーリストが指定されませんでした");
  if (!dialog.ShowOpen()) {
    MsgBox(notChosen);
    top.EndReading();
    return;
  }
  DoEvents();
  const MemberListLoad list = ReadMemberList(dialog.FileName, AwardSheets.MemberTag);
  if (list.outcome == MemberListLoad::Unreadable) {
    MsgBox(QStringLiteral("File が読めません") + "\r\n" + list.error);
    top.EndReading();
    return;
  }
  AwardSheets.MemberTag = list.tag;
  if (list.tag.isEmpty()) {
    MsgBox(notChosen + "\r\n" +
           (list.encoding.isEmpty()
                ? QStringLiteral("（1行目に \"ACC MEMBER\" も \"JAG MEMBER\" もありません）")
                : "（" + dialog.FileName + " は " + list.encoding +
                      QStringLiteral(" で保存されています。Windows-31J (Shift_JIS) で保存し直して下さい）")));
    top.EndReading();
    return;
  }
  top.BeginReading();
  AwardSheets.MemberLineCount = list.lineCount;
  top.EndReading();
  if (list.outcome == MemberListLoad::SingleLine) {
    MsgBox(QString::number(list.lineCount) + QStringLiteral(" CRの無いファイル？　読み込み出来ませんでした"));
    return;
  }
  if (const QString notice = MemberListSkipNotice(list); !notice.isEmpty()) MsgBox(notice);
  ACCSheet& sheet = Form<ACCSheet>();
  if (!IsLoaded<ACCSheet>()) return;
  FlexGrid& g = sheet.MSFlexGrid2;
  g.SetRedraw(false);
  for (size_t i = 0; i < list.members.size(); ++i)
    g.AddItem(" " + QString::number(i + 1) + "\t" + list.members[i].number + "\t" + list.members[i].call);
  g.SetRedraw(true);
  sheet.Show();
}

void SelectSquareSheet() { selectLocatorSheet(2); }
void SelectSubSquareSheet() { selectLocatorSheet(3); }

void SelectWasaSheet() {
  Hamlog.LastResult = MsgBox(QStringLiteral("WASA-HF , WASA-V,U,SHF は作表後のデータ出力時に") + "\r\n" +
                                 QStringLiteral("切り出し出力できます。") + "\r\n" +
                                 QStringLiteral("（なお１９８５年１月１日より前のデータは無視します）"),
                             vbOKCancel, QStringLiteral("抽出にあたって"));
  if (Hamlog.LastResult == vbCancel) return;
  selectLocatorSheet(4);
}

void ShowDxccSheet() {
  ORBTOP& top = Form<ORBTOP>();
  AwardSheets.SheetKind = 5;
  Settings.JaOnly = "0";
  Hamlog.HdbRecordCount = CountHdbRecords();
  top.Label11.setText(QString::number(Hamlog.HdbRecordCount));
  DoEvents();
  SizeDxccTable(extendedSet());
  const bool nothingPassed = [&top] {
    if (top.CheckHamlogReady() == 1) return false;
    top.BeginReading();
    Hamlog.LastResult = LoadMasterList(MasterList.MasterRecLen);
    if (MasterList.FirstDxRow == 0) {
      top.EndReading();
      MsgBox(QStringLiteral("DXマスターがありません"));
      return false;
    }
    TakeDxEntityNames(MasterList.FirstDxRow, Hamlog.LastResult);
    const TableScan outcome = MakeDXCCTable(Hamlog.HdbRecordCount);
    top.EndReading();
    return outcome == TableScan::NothingFound;
  }();
  if (nothingPassed) {
    tellNothingPassed(5);
    return;
  }
  openSheet();  // also after a failed scan: an empty sheet
}
