#include "forms/logbook/LOGDATAVIEW.h"

#include <QPointer>
#include <algorithm>

#include "core/HamlogAccess.h"
#include "core/ProgramHelp.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/EqslExportFlow.h"
#include "forms/logbook/LogGridLayout.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/outputs/QslPrintMenus.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LogPage.h"
#include "logbook/LogWindowState.h"
#include "logbook/QsoRow.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/twips.h"
#include "platform/vbnumber.h"

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

const char* const kTitle = "HAMLOG Data　Viewer";

}  // namespace

LOGDATAVIEW::LOGDATAVIEW() {
  setWindowTitle(u8(kTitle));
  Move(0, 0, 9135, 3135);
  KeyPreview = true;
  LOGCL.Click = [this] { Unload(); };
  GOBACK.Click = [this] { GOBACK_Click(); };
  GOFOWARD.Click = [this] { GOFOWARD_Click(); };
  LOG_JUMP.Click = [this] { LOG_JUMP_Click(); };
  QSODat_HELP.Click = [this] { QSODat_HELP_Click(); };
  eQSLmode.Click = [this] { ToggleEqslMode(); };
  eQSLtype.Click = [this] { ToggleEqslType(); };
  eQSLsend.Click = [this] { SendEqsl(); };
  LOGtoADIF.Click = [this] { LOGtoADIF_Click(); };
  QSLprnt.Click = [this] { QSLprnt_Click(); };
  QSLform.Click = [this] { ChooseMmqslLayoutFile(CommonDialog1); };
  for (Menu* off : {&QSLprnt, &eQSLsend}) off->SetEnabled(false);
  QSLform.SetVisible(false);
  eQSLtype.SetVisible(false);
  MSFlexGrid1.SetFixedCols(0);
  MSFlexGrid1.SetSelectionMode(flexSelectionByRow);
  MSFlexGrid1.SetAllowUserResizing(flexResizeColumns);
  MSFlexGrid1.Click = [this] { MSFlexGrid1_Click(); };
  MSFlexGrid1.DblClick = [this] { MSFlexGrid1_DblClick(); };
  MSFlexGrid1.MouseWheel = [this](int delta, int) { ScrollByWheel(MSFlexGrid1, delta, ShiftHeld); };
}

void LOGDATAVIEW::OpenViewer() {
  LOGDATAVIEW& v = Form<LOGDATAVIEW>();
  if (v.IsUnloaded()) return;  // HAMLOG could not be opened (said; the unload took the sheet's mark)
  v.Show();
  LogWindowState.LogViewerOpen = 1;
}

void LOGDATAVIEW::Form_Load() {
  EqslMode = 0;
  QSLprnt.SetEnabled(false);
  QSLform.SetVisible(IsMmqslProgram(Settings.QslProgramPath));
  QStringList unusable;
  const int32_t top = ReadWindowTwips("CFGPOS", "HLDVPOSTop", -1, WindowTwips::Top, unusable);
  if (top < 0) {
    Move(0, 0, 9135, 3135);
    MoveToStoredPlace(std::nullopt, 0);
  } else {
    MoveToStoredPlace(top, ReadWindowTwips("CFGPOS", "HLDVPOSLeft", 0, WindowTwips::Left, unusable));
    Move(Left(), Top(), ReadWindowTwips("CFGPOS", "HLDVPOSWidth", 9135, WindowTwips::Width, unusable),
         ReadWindowTwips("CFGPOS", "HLDVPOSHeight", 3135, WindowTwips::Height, unusable));
  }
  ReportUnusableSettings(unusable);
  Form_Resize();
  SetLogGridHeader();
  SetQsoOrMaster(1);
  HamlogCloseDb(0);
  if (HamlogOpenDb() != 0) {
    openFailed();
    return;
  }
  LogWindowState.LogRecordCount = Vdbf_rcount(Hamlog.Thw);
  LogPageEnd = LogWindowState.LogRecordCount;
  FillLogPage(LogPageEnd);
  HamlogCloseDb(0);
}

void LOGDATAVIEW::openFailed() {
  MsgBox(HamlogOpenFailureText());
  HamlogCloseDb(0);
  Unload();
}

void LOGDATAVIEW::SetLogGridHeader() {
  FlexGrid& g = MSFlexGrid1;
  g.SetCols(19);
  g.SetRows(1);
  // The copy of the record number stays hidden under stored widths too (they cover columns 0 to 17).
  if (ApplyStoredColumnWidths(g, true, 0)) g.SetColWidth(18, 0);
  SetLogGridHeadings(g, "Rec No", "Rec No");
  for (int c = 0; c < 19; ++c)
    if (c != 2) g.SetColAlignment(c, c >= 13 && c <= 15 ? flexAlignCenterCenter : flexAlignLeftCenter);
}

void LOGDATAVIEW::FillLogPage(int32_t n) {
  const LogPage page = ReadLogPage(n);
  FlexGrid& g = MSFlexGrid1;
  g.SetRedraw(false);
  const int first = g.Rows();
  g.SetRows(first + int(page.rows.size()));
  for (int r = 0; r < int(page.rows.size()); ++r)
    for (int c = 0; c < kQsoRowColumns; ++c)
      if (c != 2) g.SetTextMatrix(first + r, c, page.rows[r][c]);
  g.SetRedraw(true);
  setWindowTitle(page.unreadable > 0 ? u8(kTitle) + u8("　（読めなかったデータ ") +
                                           QString::number(page.unreadable) + u8(" 件）")
                                     : u8(kTitle));
  if (page.rows.empty()) return;
  g.SetTopRow(g.Rows() - 1);
  g.SetRow(g.Rows() - 1);
  g.SetCol(0);
}

bool LOGDATAVIEW::reopenAndFill(int32_t n) {
  LogPageEnd = n;
  MSFlexGrid1.SetRows(1);
  HamlogCloseDb(0);
  if (HamlogOpenDb() != 0) {
    openFailed();
    return false;
  }
  FillLogPage(n);
  HamlogCloseDb(0);
  return true;
}

// The pages step from the end of the page shown, not from its first or last row: a record that
// cannot be read leaves a page short, and the page after it must still be reachable.
void LOGDATAVIEW::GOBACK_Click() {
  if (LogPageEnd < 1) return;
  reopenAndFill(PageEndBefore(LogPageEnd - (kLogPageSize - 1)));
}

void LOGDATAVIEW::GOFOWARD_Click() {
  if (LogPageEnd < 1) return;
  reopenAndFill(PageEndAfter(LogPageEnd, LogWindowState.LogRecordCount));
}

void LOGDATAVIEW::LOG_JUMP_Click() {
  const QString answer = InputBox(u8("指定された交信番号に移動します"), u8("Jump先の指定")).trimmed();
  if (answer.isEmpty()) return;  // Cancel
  bool number = false;
  const qlonglong target = answer.toLongLong(&number);
  if (!number) {
    MsgBox(u8("交信番号は数字で指定して下さい。"));
    return;
  }
  // A number past the last record shows the newest page, one before the first the first page.
  const int32_t count = LogWindowState.LogRecordCount;
  reopenAndFill(PageEndOfJump(int32_t(std::clamp<qlonglong>(target, 0, count)), count));
}

void LOGDATAVIEW::QSODat_HELP_Click() { OpenHelpPage(kHelpLogViewer); }

void LOGDATAVIEW::MSFlexGrid1_Click() {
  FlexGrid& g = MSFlexGrid1;
  if (EqslMode != 0) {
    const int from = std::min(g.Row(), g.RowSel()), to = std::max(g.Row(), g.RowSel());
    for (int r = std::max(from, 1); r <= to && r < g.Rows(); ++r)
      g.SetTextMatrix(r, 0, g.TextMatrix(r, 0) == "eQSL" ? g.TextMatrix(r, 18) : QString("eQSL"));
    return;
  }
  LogSelectedRow = MSFlexGrid1.RowSel();
  QSLprnt.SetEnabled(LogSelectedRow >= 1);
  if (LogSelectedRow < 1) return;
  QslPrintRecNo = RecordNumberOf(MSFlexGrid1.TextMatrix(LogSelectedRow, 0));
  QslPrintCall = MSFlexGrid1.TextMatrix(LogSelectedRow, 1);
}

void LOGDATAVIEW::QSLprnt_Click() {
  if (QslPrintRecNo == 0) return;
  if (LogSelectedRow >= 1 && LogSelectedRow < MSFlexGrid1.Rows())
    QslPrintCall = MSFlexGrid1.TextMatrix(LogSelectedRow, 1);
  // Column 18 keeps the number while the eQSL mode marks column 0.
  const QPointer<LOGDATAVIEW> self(this);
  if (PrintQslOfPickedRow(MSFlexGrid1, 18, QslPrintRecNo) && self) QSLprnt.SetEnabled(false);
}

void LOGDATAVIEW::MSFlexGrid1_DblClick() {
  LogSelectedRow = MSFlexGrid1.RowSel();
  if (LogSelectedRow < 1) return;
  SetQsoOrMaster(1);
  if (HamlogOpenDb() != 0) {
    MsgBox(WithOpenFailureCause(u8("HAMLOGデータがOpen出来ません。")));
    return;
  }
  const int32_t r = RecordNumberOf(MSFlexGrid1.TextMatrix(LogSelectedRow, 18));
  QslPrintRecNo = r;
  Hamlog.LastResult = THW_read(Hamlog.Thw, r, 3);
  if (Hamlog.LastResult != 0) {
    MsgBox(u8("LOG帳が開けませんでした"));
    HamlogCloseDb(0);
    return;
  }
  // The entry window takes the record read and closes HAMLOG.
  if (!ShowStoredQso(r)) return;  // said; the entry window is as it was
  LogWindowState.LogRecNo = r;
  LogWindowState.StoredRecordShown = 1;
}

void LOGDATAVIEW::Form_Resize() {
  const int inner = ScaleHeight();
  MSFlexGrid1.Move(0, 0, std::max(0, Width() - 220), inner > 30 ? inner - 30 : 0);
}

void LOGDATAVIEW::Form_KeyDown(int& keyCode, int shift) {
  if (keyCode == vbKeyShift) ShiftHeld = 1;
  if (keyCode == 'L' && shift == vbCtrlMask) OpenLogWindow();
}

void LOGDATAVIEW::Form_KeyUp(int& keyCode, int) {
  if (keyCode == vbKeyShift) ShiftHeld = 0;
}

void LOGDATAVIEW::Form_QueryUnload(int&, int) {}

void LOGDATAVIEW::Form_Unload(int&) {
  LogWindowState.LogViewerOpen = 0;
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->LOGDATV.SetChecked(false);
  SaveColumnWidths(MSFlexGrid1, 17);
  if (Top() > 0) {
    WriteIni("CFGPOS", "HLDVPOSTop", QString::number(Top()));
    WriteIni("CFGPOS", "HLDVPOSLeft", QString::number(Left()));
    WriteIni("CFGPOS", "HLDVPOSWidth", QString::number(Width()));
    WriteIni("CFGPOS", "HLDVPOSHeight", QString::number(Height()));
  }
}

void LOGDATAVIEW::ToggleEqslMode() {
  const bool entering = EqslMode != 1;
  eQSLmode.SetCaption(entering ? u8("電子QSLモード中") : u8("電子QSLモードへ"));
  eQSLsend.SetEnabled(entering);
  eQSLtype.SetVisible(entering);
  LOGtoADIF.SetEnabled(!entering);
  EqslMode = entering ? 1 : 0;
  if (entering) {
    eQSLtype.SetCaption(EqslServiceCaption());
    return;
  }
  FlexGrid& g = MSFlexGrid1;
  for (int r = 1; r < g.Rows(); ++r)
    if (g.TextMatrix(r, 0) == "eQSL") g.SetTextMatrix(r, 0, g.TextMatrix(r, 18));
}

void LOGDATAVIEW::ToggleEqslType() { eQSLtype.SetCaption(SwitchEqslService()); }

EqslWriteResult LOGDATAVIEW::pageQsos(bool markedOnly, std::vector<EqslQso>& qsos) {
  EqslWriteResult r;
  const FlexGrid& g = MSFlexGrid1;
  for (int row = 1; row < g.Rows(); ++row) {
    if (markedOnly && (g.TextMatrix(row, 0) != "eQSL" || g.TextMatrix(row, 13) == Settings.EqslMark)) continue;
    QStringList cells;
    for (int c = 0; c < kQsoRowColumns; ++c) cells << g.TextMatrix(row, c);
    const int32_t recNo = RecordNumberOf(cells[18]);
    std::optional<EqslQso> q = EqslQsoOfRow(cells, recNo);
    if (!q) {
      r.ok = false;
      r.failedRecNo = recNo;
      r.failure = QString::fromUtf8("No.%1 (%2) の日付 (%3) が読めません。").arg(recNo).arg(cells[1].trimmed(), cells[3].trimmed());
      return r;
    }
    qsos.push_back(std::move(*q));
  }
  return r;
}

EqslWriteResult LOGDATAVIEW::WriteADIF() {
  const bool eqsl = EqslMode != 0;
  std::vector<EqslQso> qsos;
  const EqslWriteResult r = pageQsos(eqsl, qsos);
  if (!r.ok) return r;
  return eqsl ? WriteEqslFile(ViewerFilePath, EqslFormat::EqslAdif, qsos, EqslMessage(EqslFormat::EqslAdif, Settings.EqslMesg))
              : WriteEqslFile(ViewerFilePath, EqslFormat::LogAdif, qsos, Settings.MyCall.trimmed());
}

void LOGDATAVIEW::SendEqsl() {
  const FlexGrid& g = MSFlexGrid1;
  EqslMarkedRows = 0;
  for (int r = 1; r < g.Rows(); ++r)
    if (g.TextMatrix(r, 0) == "eQSL") ++EqslMarkedRows;
  if (EqslMarkedRows == 0) {
    Hamlog.LastResult = MsgBox(u8("送信するデータがありません、送信するデータを選択して下さい。"), vbExclamation);
    return;
  }
  const QString path = ChooseEqslFile(CommonDialog1, TodayJst().toString("yyMMdd") + "ORBEX_EQSL");
  if (path.isEmpty()) {
    MsgBox(u8("電子QSLデータの保存を中止しました。"));
    return;
  }
  ViewerFilePath = path;
  const QString unreachable = u8("接続不可、環境設定をご確認下さい。");
  if (Settings.EqslType == "1") {
    std::vector<EqslQso> qsos;
    EqslWriteResult r = pageQsos(true, qsos);
    if (r.ok) r = WriteEqslFile(path, EqslFormat::QsoBankXml, qsos, EqslMessage(EqslFormat::QsoBankXml, Settings.EqslMesg));
    if (r.nothing) return nothingMarked(r);
    if (!r.ok) {
      MsgBox(unreachable + "\r\n" + r.failure);
      return;
    }
    const QString failed = StartQsoBankUpload(path, EqslUploaderTask);
    if (!failed.isEmpty()) MsgBox(unreachable + "\r\n" + failed);
    return;
  }
  const EqslWriteResult r = WriteADIF();
  if (r.nothing) return nothingMarked(r);
  if (!r.ok) {
    MsgBox(unreachable + "\r\n" + r.failure);
    return;
  }
  if (!r.leftOut.isEmpty()) MsgBox(AdifLeftOutText(EqslFormat::EqslAdif, r.leftOut), vbExclamation);
  if (!OfferEqslSite(path, u8("のファイルを作成保存しました。"))) MsgBox(unreachable);
}

void LOGDATAVIEW::LOGtoADIF_Click() {
  ViewerExportFolder = ReadIniOr("E-LOG", "eLOGFOL", ProgramFolder());
  CommonDialog1.InitDir = ViewerExportFolder;
  CommonDialog1.Filter = u8("電子LOGﾃﾞｰﾀ(ADIF形式) (*.ADI)|*.ADI");
  CommonDialog1.DialogTitle = u8("電子LOGﾃﾞｰﾀ保存(ADIF形式)");
  CommonDialog1.Flags = cdlOFNOverwritePrompt | cdlOFNHideReadOnly;
  CommonDialog1.DefaultExt.clear();
  // A log shorter than a page starts at record 1, not at a negative number.
  CommonDialog1.FileName = QString("ELOG_%1to%2").arg(std::max(1, LogPageEnd - 99)).arg(LogPageEnd);
  if (!CommonDialog1.ShowSave()) return;
  ViewerFilePath = CommonDialog1.FileName;
  ViewerExportFolder = FolderOfChosenFile(ViewerFilePath);
  WriteIni("E-LOG", "eLOGFOL", ViewerExportFolder);
  const EqslWriteResult r = WriteADIF();
  if (!r.ok) MsgBox(r.failure);
  if (r.ok && !r.leftOut.isEmpty()) MsgBox(AdifLeftOutText(EqslFormat::LogAdif, r.leftOut), vbExclamation);
}

// Every marked row carries the eQSL mark, or lacks a band or mode: nothing is written or started.
void LOGDATAVIEW::nothingMarked(const EqslWriteResult& r) {
  if (!r.leftOut.isEmpty()) {
    MsgBox(r.failure, vbExclamation);
    return;
  }
  MsgBox(r.failure + "\r\n" + u8("（電子QSLのマーク「%1」の交信は送りません）").arg(Settings.EqslMark), vbExclamation);
}
