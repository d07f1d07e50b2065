#include "forms/logbook/QSODATA.h"

#include <QApplication>
#include <QPointer>

#include <cerrno>

#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/LogGridLayout.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/outputs/QslPrintMenus.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LogWindowState.h"
#include "logbook/QslCheck.h"
#include "logbook/QsoLists.h"
#include "logbook/QsoRow.h"
#include "platform/paths.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/twips.h"
#include "platform/vbfile.h"
#include "platform/vbnumber.h"
#include "sheet/SheetTally.h"
#include "platform/vbstrings.h"

QsoWindowStateValues QsoWindowState;

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

// The list's end on the sheet: its notice frame, when the sheet is open.
void sheetNotice(const QString& text) {
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->ShowNotice(text);
}

}  // namespace

QSODATA::QSODATA() {
  setWindowTitle("QSO Data");
  Move(0, 0, 9135, 3135);
  KeyPreview = true;
  LOGCL.Click = [this] {
    if (QsoWindowState.ReissueHistoryMode == 0) saveLayout(true);
    QsoWindowState.ReissueHistoryMode = 0;
    Unload();
  };
  QSLPRN.Click = [this] {
    // The pick is found by its number: a sort since then has moved it.
    const QPointer<QSODATA> self(this);
    if (PrintRecNo != 0 && PrintQslOfPickedRow(MSFlexGrid1, 0, PrintRecNo) && self) QSLPRN.SetEnabled(false);
  };
  QSLform.Click = [this] { ChooseMmqslLayoutFile(CommonDialog1); };
  QSLPRN.SetEnabled(false);
  QSLform.SetVisible(false);
  MSFlexGrid1.SetFixedCols(0);
  MSFlexGrid1.SetSelectionMode(flexSelectionByRow);
  MSFlexGrid1.SetAllowUserResizing(flexResizeColumns);
  MSFlexGrid1.MouseUp = [this](int button, int, float, float) { MSFlexGrid1_MouseUp(button); };
  MSFlexGrid1.MouseMove = [this](int, int, float, float) { MSFlexGrid1_MouseMove(); };
  MSFlexGrid1.SelChange = [this] { MSFlexGrid1_SelChange(); };
  MSFlexGrid1.DblClick = [this] { MSFlexGrid1_DblClick(); };
  MSFlexGrid1.KeyDown = [this](int& keyCode, int) { MSFlexGrid1_KeyDown(keyCode); };
  MSFlexGrid1.MouseWheel = [this](int delta, int) { ScrollByWheel(MSFlexGrid1, delta, QsoWindowState.ShiftHeld); };
}

void QSODATA::Form_Load() {
  QsoWindowState.QsoWindowRow = 0;
  QSLPRN.SetEnabled(false);
  sortDescending_ = 1;
  QStringList unusable;
  const int32_t top = ReadWindowTwips("CFGPOS", "QSODATTop", -1, WindowTwips::Top, unusable);
  const bool placed = top >= 0;
  const int width = placed ? ReadWindowTwips("CFGPOS", "QSODATWidth", 9135, WindowTwips::Width, unusable) : 9135;
  SetWidth(width);
  MoveToStoredPlace(placed ? std::optional<int32_t>(top) : std::nullopt,
                    placed ? ReadWindowTwips("CFGPOS", "QSODATLeft", 0, WindowTwips::Left, unusable) : 0);
  ReportUnusableSettings(unusable);
  if (QsoWindowState.ReissueHistoryMode == 1)
    ShowQSLReissueHistory();
  else
    ShowStationQSOs();
  QSLform.SetVisible(IsMmqslProgram(Settings.QslProgramPath));
  Form_Resize();
}

void QSODATA::ShowStationQSOs() {
  setWindowTitle(QsoRules.CallBase + u8("局とのＱＳＯデータ"));
  MSFlexGrid1.SetCols(19);
  MSFlexGrid1.SetRows(1);
  ApplyStoredColumnWidths(MSFlexGrid1, false, 330);
  SetLogGridHeadings(MSFlexGrid1, u8("件数"), "DX");
  for (int c = 0; c < 19; ++c) {
    if (c == 2) continue;
    const bool centred = c == 0 || (c >= 13 && c <= 15) || c == 18;
    MSFlexGrid1.SetColAlignment(c, centred ? flexAlignCenterTop : flexAlignLeftCenter);
  }
}

void QSODATA::ShowQSLReissueHistory() {
  setWindowTitle(u8("ＱＳＬ再発行状況"));
  static const int widths[8] = {800, 1040, 800, 1280, 1040, 560, 720, 2640};
  static const char* const headings[8] = {"件数", "再発行日", "QSL-No", "CallSign", "Date", "Mode", "Code", "QTH"};
  MSFlexGrid1.SetCols(8);
  MSFlexGrid1.SetRows(1);
  for (int c = 0; c < 8; ++c) {
    MSFlexGrid1.SetColWidth(c, widths[c]);
    MSFlexGrid1.SetTextMatrix(0, c, u8(headings[c]));
    MSFlexGrid1.SetColAlignment(c, c == 0 ? flexAlignCenterTop : flexAlignLeftCenter);
  }
  MSFlexGrid1.SetCol(1);
  const QString path = JoinPath(Settings.DataFolder, "QSLAGN.DAT");
  VbFile f(path, VbMode::Input);
  bool failed = !f.IsOpen();
  // A file that is there but holds no Windows-31J text, or ends inside a record, is damaged, not missing;
  // UTF-8 text, which often passes as Windows-31J bytes, would show garbled.
  QByteArray bytes;
  const bool read = !failed && ReadWholeFile(path, bytes), utf8 = read && LooksLikeUtf8(bytes);
  const bool damagedText = read && (utf8 || !IsValidAnsi(bytes));
  int n = 1;
  MSFlexGrid1.SetRedraw(false);
  for (; !failed && !damagedText && !f.Eof(); ++n) {
    QString fields[7];
    if (!f.Input(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6])) {
      failed = true;
      break;
    }
    MSFlexGrid1.AddItem(RecordNumberText(n));
    for (int c = 0; c < 7; ++c) MSFlexGrid1.SetTextMatrix(n, c + 1, fields[c]);
  }
  MSFlexGrid1.SetRedraw(true);
  f.Close();
  if (utf8)
    MsgBox(u8("ＱＳＬ再発行歴 ") + ForeignEncodingText(path, u8("UTF-8")) + "\r\n" +
           u8("Windows-31J (Shift_JIS) で保存し直して下さい。"));
  else if (damagedText || (failed && IsFile(path)))
    MsgBox(u8("ＱＳＬ再発行歴 ") + path + u8(" が壊れています") +
           (damagedText ? u8(" (文字として読めないバイトがあります)") : u8(" (%1 件目が途中で切れています)").arg(n)));
  else if (failed)
    MsgBox(u8("ＱＳＬ再発行歴 が見つかりませんでした") + "\r\n" +
           (f.ErrorNumber() == ENOENT ? path + u8(" がありません")
                                      : FileFaultText(path, u8(" を読めません"), f.ErrorNumber())));
}

void QSODATA::fillRows(const QsoList& list) {
  FlexGrid& g = MSFlexGrid1;
  g.SetRedraw(false);
  g.SetRows(1 + int(list.rows.size()));
  for (int r = 0; r < int(list.rows.size()); ++r)
    for (int c = 0; c < kQsoRowColumns; ++c)
      if (c != 2) g.SetTextMatrix(r + 1, c, list.rows[r][c]);
  g.SetRedraw(true);
  g.SetCol(0);
  g.SetTopRow(g.Rows() - 1);
  setWindowTitle(list.caption);
}

// Shows the rows, or the sheet's notice when there are none. The list used the shared record block: a
// record shown in the entry window is read again.
bool QSODATA::showList(const QsoList& list) {
  if (list.outcome != QsoList::Listed) {
    if (!list.notice.isEmpty()) sheetNotice(list.notice);
    return false;
  }
  QSODATA& w = Form<QSODATA>();
  w.fillRows(list);
  // Listed for the entry window's call: the keyboard stays in the entry window.
  if (dynamic_cast<TEMP_LOG*>(QApplication::activeWindow()))
    w.ShowInactive();
  else
    w.Show();
  if (LogWindowState.StoredRecordShown == 1) ReloadCurrentQso();
  return true;
}

void QSODATA::ShowAreaQsos(const QString& key, int32_t band, const QString& mode) {
  UnloadForm<QSODATA>();
  QsoWindowState.AreaListMode = 1;
  QsoWindowState.ReissueHistoryMode = 0;  // a history unloaded by the program would still say 1
  showList(ListAreaQsos(key, band, mode));
}

void QSODATA::ShowStationQsos(QString& call) {
  UnloadForm<QSODATA>();
  QsoWindowState.AreaListMode = 0;
  QsoWindowState.ReissueHistoryMode = 0;
  const QsoList list = ListStationQsos(call);
  if (list.outcome == QsoList::Busy || list.outcome == QsoList::OpenFailed || list.outcome == QsoList::BadCall)
    return;
  if (CWSHEET* sheet = LoadedForm<CWSHEET>()) {
    sheet->Frame1.hide();
    sheet->Label2.setText(u8("データ読み込み中です  ＱＲＸ"));
  }
  if (!showList(list)) return;
  Form<QSODATA>().listedCall_ = call;
  if (TEMP_LOG* entry = LoadedForm<TEMP_LOG>(); entry && entry->Text12.text().trimmed().isEmpty())
    entry->Text12.setText(RTrim(list.rows.back()[11]));
}

void QSODATA::ShowReissueHistory() {
  UnloadForm<QSODATA>();
  QsoWindowState.AreaListMode = 0;
  QsoWindowState.ReissueHistoryMode = 1;
  Form<QSODATA>().Show();
}

void QSODATA::saveLayout(bool position) {
  SaveColumnWidths(MSFlexGrid1, 18);
  if (!position) return;
  WriteIni("CFGPOS", "QSODATTop", QString::number(Top()));
  WriteIni("CFGPOS", "QSODATLeft", QString::number(Left()));
  WriteIni("CFGPOS", "QSODATWidth", QString::number(Width()));
}

void QSODATA::copyName(int row, bool fullTrim) {
  TEMP_LOG* entry = LoadedForm<TEMP_LOG>();
  if (!entry || row < 1 || row >= MSFlexGrid1.Rows()) return;
  const QString name = MSFlexGrid1.TextMatrix(row, 11);
  entry->PutChosenName(fullTrim ? name.trimmed() : RTrim(name));
}

void QSODATA::MSFlexGrid1_MouseMove() {
  if (MSFlexGrid1.MouseRow() != 0) {
    MSFlexGrid1.SetToolTipText(QString());
    return;
  }
  MSFlexGrid1.SetToolTipText(LogWindowState.QslCheckMode == 1   ? u8("ﾀﾞﾌﾞﾙｸﾘｯｸでLOG帳を開きます")
                             : QsoWindowState.AreaListMode == 1 ? u8("右ｸﾘｯｸするとﾃﾞｰﾀをソート表示します")
                                                                : u8("ｸﾘｯｸするとQRAﾃﾞｰﾀをLOG帳にCOPYします"));
}

void QSODATA::MSFlexGrid1_MouseUp(int button) {
  FlexGrid& g = MSFlexGrid1;
  if (button == 1) {
    QsoWindowState.QsoWindowRow = g.RowSel();
    if (LogWindowState.QslCheckMode != 0) {
      FollowCodeOnSheet();
      return;
    }
    if (QsoWindowState.AreaListMode == 0) copyName(QsoWindowState.QsoWindowRow, true);
    // The history's rows hold no QSO to print: their first column is a running number.
    const bool pick = QsoWindowState.QsoWindowRow > 0 && QsoWindowState.ReissueHistoryMode == 0;
    QSLPRN.SetEnabled(pick);
    if (pick) {
      PrintRecNo = RecordNumberOf(g.TextMatrix(QsoWindowState.QsoWindowRow, 0));
      PrintCall = g.TextMatrix(QsoWindowState.QsoWindowRow, 1);
    }
    return;
  }
  if (button == 2 && g.MouseCol() >= 0 && g.Rows() > 1) {
    g.SetRedraw(false);
    g.SetCol(g.MouseCol());
    g.SetRow(1);
    g.SetRowSel(1);
    g.Sort(sortDescending_ ? flexSortGenericDescending : flexSortGenericAscending);
    sortDescending_ = !sortDescending_;
    g.SetTopRow(1);
  }
  g.SetRedraw(true);
  QslCheck.SkipNewBandCheck = 1;
}

void QSODATA::MSFlexGrid1_SelChange() {
  if (QsoWindowState.AreaListMode == 1) return;
  QsoWindowState.QsoWindowRow = MSFlexGrid1.RowSel();
  if (LogWindowState.QslCheckMode != 0)
    FollowCodeOnSheet();
  else
    copyName(QsoWindowState.QsoWindowRow, false);
}

// Reads the record from the opened HAMLOG and hands it to the entry window, which closes HAMLOG.
void QSODATA::openQso(int32_t recNo, bool sayFailure) {
  Hamlog.LastResult = THW_read(Hamlog.Thw, recNo, 3);
  if (Hamlog.LastResult == 0) {
    if (!ShowStoredQso(recNo)) return;  // said; the entry window is as it was
    LogWindowState.StoredRecordShown = 1;
    LogWindowState.LogRecNo = recNo;
    return;
  }
  if (!sayFailure) return;
  MsgBox(u8("LOG帳が開けませんでした"));
  HamlogCloseDb(0);
}

void QSODATA::MSFlexGrid1_DblClick() {
  const int row = MSFlexGrid1.RowSel();
  QsoWindowState.QsoWindowRow = row;
  if (QsoWindowState.AreaListMode == 0 && LogWindowState.QslCheckMode == 0) {
    copyName(row, true);
  } else if (row > 0) {
    SetQsoOrMaster(1);
    HamlogCloseDb(0);
    if (HamlogOpenDb() != 0) {
      MsgBox(WithOpenFailureCause(u8("HAMLOGデータがOpen出来ません。")));
      return;
    }
    openQso(RecordNumberOf(MSFlexGrid1.TextMatrix(row, 0)), true);
  }
  saveLayout(true);
}

void QSODATA::MSFlexGrid1_KeyDown(int keyCode) {
  if (LogWindowState.QslCheckMode == 0) return;
  const int row = QsoWindowState.QsoWindowRow;
  if (row < 1 || row >= MSFlexGrid1.Rows()) {
    MsgBox(u8("QSOデータを選択（クリック）して下さい。"));
    return;
  }
  SetQsoOrMaster(1);
  HamlogCloseDb(0);
  if (HamlogOpenDb() != 0) {
    MsgBox(WithOpenFailureCause(u8("HAMLOGデータがOpen出来ません。")));
    return;
  }
  const int32_t recNo = RecordNumberOf(MSFlexGrid1.TextMatrix(row, 0));
  bool marked = false;
  // The waits for the log and the boxes run events: the window may be gone after any of them.
  const QPointer<QSODATA> self(this);
  if (keyCode == vbKeyReturn) {
    openQso(recNo, false);
    if (Hamlog.LastResult == 0) return;  // shown in the entry window
  } else if (keyCode == vbKeyInsert) {
    // A mark HAMLOG did not take is said and not shown; only the QSO of the row is marked.
    const FlexGrid& g = MSFlexGrid1;
    const PickedQso picked{g.TextMatrix(row, 1), g.TextMatrix(row, 3), g.TextMatrix(row, 4), g.TextMatrix(row, 7),
                           g.TextMatrix(row, 8)};
    marked = MarkQslReceived(recNo, &picked);
    if (!self) {
      HamlogCloseDb(0);
      return;
    }
    if (marked) {
      MSFlexGrid1.SetTextMatrix(row, 15, Settings.QslReceivedMarks[0]);
      // The progress data kept from the last reading no longer match HAMLOG.
      if (MasterList.ClearStartWithPreviousData) MasterList.ClearStartWithPreviousData();
      StartFlags.StartWithPreviousData = 0;
    }
  }
  // Left open, HAMLOG would turn away the next station list (it runs only while HAMLOG is closed).
  HamlogCloseDb(0);
  if (!self) return;
  // The row no longer shows what the log holds: the list is read again.
  if (!marked && Hamlog.LastResult == HAMLOG_STALE && !listedCall_.isEmpty()) {
    QString call = listedCall_;
    const QsoList list = ListStationQsos(call);
    if (!self) return;
    if (list.outcome == QsoList::Listed)
      fillRows(list);
    else
      MSFlexGrid1.SetRows(1);
    return;
  }
  if (marked && QslCheck.SkipNewBandCheck == 0)
    QSLCHECK(MSFlexGrid1.TextMatrix(row, 7).trimmed(), MSFlexGrid1.TextMatrix(row, 8).trimmed());
}

void QSODATA::FollowCodeOnSheet() {
  QslCheck.SkipNewBandCheck = 0;
  const int row = QsoWindowState.QsoWindowRow;
  if (row < 1 || row >= MSFlexGrid1.Rows()) return;
  bool skip = false;
  QslCheck.QslCheckCode = CodeAsSheetShows(MSFlexGrid1.TextMatrix(row, 9).trimmed(), skip);
  if (skip) {
    QslCheck.SkipNewBandCheck = 1;
    return;
  }
  CWSHEET* sheet = LoadedForm<CWSHEET>();
  if (!sheet || QslCheck.QslCheckCode.isEmpty()) return;
  if (const int32_t r = sheet->BringCodeRowUp(QslCheck.QslCheckCode)) QslCheck.SheetFoundRow = r;
}

void QSODATA::QSLCHECK(const QString& freq, const QString& mode) {
  const int32_t column = NewBandCheckColumn(QslCheck.QslCheckCode, freq, mode);
  CWSHEET* sheet = LoadedForm<CWSHEET>();
  if (column == 0 || !sheet) return;
  if (sheet->MSFlexGrid2.TextMatrix(QslCheck.SheetFoundRow, column).trimmed() == "C") return;
  sheet->ShowNotice(u8("ＮｅｗＯｎｅ！ＴＫＳ ") + sheet->Text3.text() + u8(" さん！"), 3000);
}

void QSODATA::Form_KeyDown(int& keyCode, int) {
  if (keyCode == vbKeyTab) {
    if (CWSHEET* sheet = LoadedForm<CWSHEET>()) sheet->activateWindow();
  } else if (keyCode == vbKeyShift) {
    QsoWindowState.ShiftHeld = 1;
  } else if (keyCode == vbKeyEscape) {
    Unload();
  }
}

void QSODATA::Form_KeyUp(int& keyCode, int) {
  if (keyCode == vbKeyShift) QsoWindowState.ShiftHeld = 0;
}

void QSODATA::Form_Resize() {
  const int inner = ScaleHeight();
  MSFlexGrid1.Move(0, 0, std::max(0, Width() - 220), inner > 0 ? std::max(0, inner - 30) : 0);
}

void QSODATA::Form_QueryUnload(int&, int unloadMode) {
  if (unloadMode != vbFormControlMenu) return;
  if (QsoWindowState.ReissueHistoryMode == 0) saveLayout(Top() > 0);
  QsoWindowState.ReissueHistoryMode = 0;
}

void QSODATA::Form_Unload(int&) { QsoWindowState.AreaListMode = 0; }
