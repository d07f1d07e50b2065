#include "forms/sheet/CWSHEET.h"

#include <QCoreApplication>
#include <QTimer>

#include "awards/RoadsideStations.h"
#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/ProgramHelp.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "core/StartupSettings.h"
#include "forms/awards/AwardWindows.h"
#include "forms/awards/ORBTOTAL1.h"
#include "forms/sheet/CFG.h"
#include "forms/sheet/SheetWindowProgress.h"
#include "forms/startup/ORBTOP.h"
#include "forms/startup/OrbexTips.h"
#include "lookup/DxccTable.h"
#include "platform/ipc/ipc.h"
#include "platform/paths.h"
#include "platform/ui/color.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/snapshot.h"
#include "platform/ui/twips.h"
#include "platform/vbnumber.h"
#include "platform/vbstrings.h"
#include "rig/RigPortState.h"
#include "core/QsoColumns.h"
#include "sheet/BuildDmyDbs.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStamp.h"
#include "sheet/WorkFileStore.h"

namespace {

const QString kBusyText = QStringLiteral("整理中です　ＱＲＸ");
const QString kExitText = QStringLiteral("終了処理中です　ＱＲＸ");
const QString kAllJapan = QStringLiteral("　全　国　");

// The window's size, in twips, when none is stored.
constexpr int kDefaultWidth = 12000;
constexpr int kDefaultHeight = 7905;

constexpr int kBandWidth = 680;
constexpr int k430Width = 730;
constexpr int k430Band = 11;

// The program folder's own file, as a path to show in a message.
QString programFile(const QString& name) { return ProgramFolder() + "/" + name; }

}  // namespace

QString ReadFailureMessage(int32_t code) {
  if (code == kReadAbortedByStartWindow || code == kReadStoppedByEsc)
    return QStringLiteral("処理が中断されました");
  if (!SheetTally.ReadFailureCause.isEmpty()) return SheetTally.ReadFailureCause;
  if (code == kReadWorkFileDamaged) return WorkFileDamagedText();
  if (code == kReadSortGaveUp)
    return QStringLiteral("まだ一度もHAMLOG.HDBを読み込んでいない為か？で") + vbCrLf +
           programFile("DMYDBS.DAT") + vbCrLf + QStringLiteral("が開けませんでした。");
  if (code == kReadHamlogChanged) return HamlogChangedText();
  if (code == kReadHamlogBadCount) return HamlogProblem();
  if (code == kReadNoHamlog || code == kReadAppendNoHamlog)
    return Hamlog.LastResult == HAMLOG_IN_USE ? QStringLiteral("先客です、既にHAMLOG.HDBが使われています。")
                                              : HamlogOpenFailureText(Hamlog.LastResult);
  return programFile("DMYDBS.DAT") + QStringLiteral(" が開けませんでした。err code=") + QString::number(code);
}

CWSHEET::CWSHEET() {
  setWindowTitle(QStringLiteral("ORBEX5 進捗シート"));
  buildLayout();
  wireHandlers();
}

CWSHEET::~CWSHEET() { ReleaseWorkFileLines(); }

void CWSHEET::buildLayout() {
  Move(0, 0, 12000, 7905);
  Frame5.Move(120, 0, 2700, 660);
  Text2.Move(120, 240, 1800, 300);
  Command1.Move(2000, 240, 600, 300);
  Frame2.Move(2900, 0, 2700, 660);
  Text3.Move(120, 240, 1800, 300);
  Command2.Move(2000, 240, 600, 300);
  Command7.Move(3200, 700, 600, 300);
  Command11.Move(3850, 700, 1700, 300);
  Command8.Move(5700, 120, 900, 300);
  Command6.Move(5700, 420, 900, 300);
  Command4.Move(6700, 120, 1200, 300);
  Frame6.Move(8000, 0, 3800, 660);
  Label3.Move(120, 240, 1000, 300);
  Label4.Move(1120, 240, 1000, 300);
  Label5.Move(2120, 240, 600, 300);
  Label6.Move(120, 420, 2600, 240);
  Command3.Move(2800, 220, 900, 360);
  Frame4.Move(120, 700, 3015, 600);
  Text1.Move(120, 240, 800, 300);
  Command15.Move(940, 240, 420, 300);
  Check8.Move(1400, 200, 1500, 200);
  Check9.Move(1400, 380, 800, 200);
  Command5.Move(2200, 360, 700, 220);
  Label1.Move(3300, 760, 2000, 300);
  Label8.Move(5700, 440, 2200, 260);  // under "<= AC =>", where "QSO 一覧" is hidden meanwhile
  Label8.hide();
  Frame10.Move(8400, 960, 1800, 2000);
  Frame10.hide();
  List1.Move(120, 240, 1560, 1640);
  MSFlexGrid2.Move(60, 1340, 11700, 5735);
  Frame3.Move(3000, 1800, 6300, 2400);
  Frame3.hide();
  Label10.Move(120, 240, 5700, 900);
  Option1[0].setText(QStringLiteral("全国一括町村リスト"));
  Option1[0].Move(120, 1200, 2800, 300);
  Option1[1].setText(QStringLiteral("エリア・都道府県別町村リスト"));
  Option1[1].Move(3000, 1200, 2900, 300);
  Check4.Move(120, 1560, 2800, 240);
  Check5.Move(3000, 1560, 3200, 240);
  Command9.Move(3000, 1800, 1200, 400);
  Command10.Move(4400, 1800, 1200, 400);
  Frame1.Move(3000, 3400, 6000, 1100);
  Frame1.hide();
  Label2.Move(240, 360, 5500, 495);
  for (int i = 0; i < kBandCount; ++i) BandView[i].SetCaption(QString::fromUtf8(Bands[i].caption));
  for (Menu* m : {&dmy1, &dmy2, &dmy3}) m->SetEnabled(false);
  StatusBar1.SetPanelWidth(1, 2400);
  StatusBar1.SetPanelWidth(2, 800);
  StatusBar1.SetPanelWidth(3, 1400);
  StatusBar1.SetPanelWidth(4, 1800);
}

void CWSHEET::wireHandlers() {
  RTNMN.Click = [this] { RTNMN_Click(); };
  BYE.Click = [this] { BYE_Click(); };
  ALLB.Click = [this] { ALLB_Click(); };
  BandView.Bind(&Menu::Click, [this](int band) { BandView_Click(band); });
  Timer1.Timer = [this] { Timer1_Timer(); };
  VERDISP.Click = [this] { VERDISP_Click(); };
  SYUDSP.Click = [this] { SYUDSP_Click(); };
  RDAGN.Click = [this] { RDAGN_Click(); };
  HLAPD.Click = [this] { HLAPD_Click(); };
  HELP.Click = [this] { SheetHelp(); };
  WFopn.Click = [this] { WFopn_Click(); };
  WNT.Click = [this] { WNT_Click(); };
  FUKUGEN.Click = [this] { FUKUGEN_Click(); };
  Frame8.WireSheetMenus();
  Workbooks.WireSheetMenus();
  wireEntryBoxes();
  wireCallBox();
  wireGridClicks();
  wireRecordBookLinks();
  Check8.Click = [this] { Check8_Click(); };
  wireAreaViews();
  wireMenus();
  wireRigPanel();
  wireQslPrint();
}

// ---- Load

void CWSHEET::Form_Load() {
  listenToOtherPrograms();
  LoadSheet();
}

void CWSHEET::LoadSheet() {
  SheetTallyState& t = SheetTally;
  // The cell arrays for the band set; keys reach the form before its controls.
  t.SizeCellArrays(BandLayout.LastBandColumn, MasterList.MasterRowCap);
  KeyPreview = true;
  Label1.hide();
  Label1.setText(QString());
  RigPortState.CatBusy = 0;
  AwardCheckMode = 0;
  FUKUGEN.SetEnabled(false);
  offerAcaList();
  // Transceiver controls.
  const QString twoRig = ReadIni("RIG_CON_CFG", "TWORIG");
  Check9.setVisible(twoRig == "YES");
  Frame4.SetWidth(3015);
  Frame4.setVisible(RigPortState.Rig1.PortName != "NONE");
  Text1.setText(QString());
  Frame10.Move(8400, 960);
  RestoreGeometry();
  if (ReadIni("RIG_CON_CFG", "USE_TRV") == "Yes") {
    Check8.SetValue(1);
    RigPortState.TransverterOn = "1";
  } else {
    Check8.SetValue(0);
    RigPortState.TransverterOn = "0";
  }
  t.CurrentAreaLabel = kAllJapan;
  Label10.setText(QStringLiteral("上の「全国一括町村リスト」か「エリア・都道府県別町村リスト」を") + vbCrLf +
                  QStringLiteral("クリックして選択後「Go」釦をクリックして下さい。") + vbCrLf +
                  QStringLiteral("その上のチェック部分は任意です") + vbCrLf);
  StatusBar1.SetPanelText(1, QStringLiteral("抽出モード = ") + ReadConditions.SelMode);
  // The spot site's address as the operator stored it, over HTTPS.
  const QString storedSpotUrl = ReadIni("JCcfg", "JCspotURL");
  SpotUrl = KeptWebAddress(storedSpotUrl);
  if (SpotUrl != storedSpotUrl && !SpotUrl.isEmpty()) WriteIni("JCcfg", "JCspotURL", SpotUrl);
  resetReadingAndViewState();
  const int format = static_cast<int>(VbVal(Settings.WantedListType));
  if (Frame8.Option2.Exists(format)) Frame8.Option2[format].SetValue(true);
  Frame1.hide();
  Frame1.Move(Width() / 2 - 3000, Height() / 2 - 550);
  Frame8.hide();
  SALL.SetVisible(false);
  Command3.setEnabled(false);
  Frame5.setToolTip(QStringLiteral(
      "ｴﾘｱ・JCCGｺｰﾄﾞの数字又はQTHの漢字を入力します。先頭１文字目が D の時はＤＸのﾌﾟﾘﾌｨｯｸｽを検索します"));
  Frame6.setToolTip(QStringLiteral("Ｗ(Wkd)のセルをクリックすると、そのQSOデータを表示します"));
  LayoutSheetGrid();
  if (Settings.ModeCount == "ORB") Settings.ModeCount = "0";
  t.MasterRowCount =
      Settings.UseOwnQthData != 0 ? LoadQTHMasterList(0) : LoadMasterList(MasterList.MasterRecLen);
  if (t.MasterRowCount == 0) {
    QString text = QStringLiteral("HAMLOG.MST/QTH data READ ERROR");
    if (!MasterList.LoadProblem.isEmpty())
      text += vbCrLf + MasterList.LoadProblemFile + vbCrLf + MasterList.LoadProblem;
    abandonLoad(text);
    return;
  }
  BuildDmyDbs(progress_);
  if (t.ReadFailed == 1) {
    abandonLoad(ReadFailureMessage(StartFlags.ReadStatusCode));
    return;
  }
  // Menus of the companion programs and the transceiver.
  const bool mmqsl = Settings.QslProgramPath.contains("MMQSL.EXE", Qt::CaseInsensitive);
  mmqLine.SetVisible(mmqsl);
  exMMQSL.SetVisible(mmqsl);
  RigPortState.UseRig(1);
  Rig1.SetCaption(RigPortState.Rig1.RigModel);
  Rig2.SetCaption(RigPortState.Rig2.RigModel);
  ShowRigInUse();
  // The rig menu holds the rig settings and the CAT test as well: shown to every operator with a rig.
  RigSel.SetVisible(twoRig == "YES" || RigPortState.Rig1.PortName != "NONE");
  Rig2.SetVisible(twoRig == "YES");
  ApplyRigModelRule();
  if (RigPortState.Rig1.PortName != "NONE") RigPortOpen();
  ShowCodeRowCount();
  ReadHdbFieldLengths(Hamlog.HamlogDbPath);
  // The roadside search lists the stations of michinoeki.txt, whether or not their table was written.
  Command4.setEnabled(true);
  // Optional menus by the programs present.
  SNDIF.SetVisible(FileExists(JoinPath(ProgramFolder(), "SSPT.EXE")) == 1);
  WFopn.SetVisible(FileExists(JoinPath(ProgramFolder(), "ORBEX5wf.exe")) == 1);
  t.SheetOpen = 1;
  // The roadside sheet's marks are read while the operator looks at the sheet.
  QsoColumns.ReadRemarkMarksAhead();
  StartFlags.TipsPath = QStringLiteral("ORBEX_Tips.TXT");
  if (!FindFileOnPath(JoinPath(ProgramFolder(), StartFlags.TipsPath)).isEmpty()) {
    StartFlags.TipsMode = 2;
    StartFlags.TipsOnRequest = 0;
    Form<OrbexTips>().Show();
  } else {
    StartFlags.TipsMode = 0;
  }
  RigBkup.SetVisible(false);
  LoadDXCCTable();
  // Without the library a DX call finds no entity: the operator is told why, without a box to answer.
  if (!DxccTable.Missing.isEmpty()) StatusBar1.SetPanelText(5, DxccTable.Missing);
}

void CWSHEET::resetReadingAndViewState() {
  SheetTallyState& t = SheetTally;
  StartFlags.ReadStatusCode = 0;
  StartFlags.InterruptCode = 0;
  ChousonListMode = 0;
  t.AppendRead = 0;
  t.ReadFailed = 0;
  t.ReadFailureCause.clear();
  t.NewLinesWritten = 0;
  t.AreaViewActive = 0;
  t.AreaFilter.clear();
  t.AreaCaption.clear();
  t.PrefectureFilter.clear();
  InsertMode = 0;
  TypedSelLength = 0;
  Cfg.DisplayChanged = 0;
  SheetSearch = {};
}

void CWSHEET::abandonLoad(const QString& message) {
  SheetTally.AppendRead = 0;
  MsgBox(message, vbOKOnly);
  Unload();
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->Show();
}

void CWSHEET::RestoreGeometry() {
  const int screenHeight = ScreenHeightTwips();
  const int screenWidth = ScreenWidthTwips();
  // A stored value that is no number, or a size no screen can show (a damaged file), is named and
  // its default taken; a window that size could not even be painted.
  QStringList failures;
  auto stored = [&](const char* key, const QString& text, int fallback, WindowTwips what) {
    return StoredWindowTwips("ORBEXPOS", key, text, fallback, what, failures);
  };
  int top = 0, left = 0;
  const QString storedTop = ReadIni("ORBEXPOS", "ACPOSTop");
  if (storedTop != "ORBEXPOS" && VbVal(storedTop) >= 0) {
    top = stored("ACPOSTop", storedTop, 0, WindowTwips::Top);
    if (top >= screenHeight) top = 0;
    const QString storedLeft = ReadIni("ORBEXPOS", "ACPOSLeft");
    if (storedLeft != "ORBEXPOS") left = stored("ACPOSLeft", storedLeft, 0, WindowTwips::Left);
    if (left >= screenWidth) left = 0;
  }
  const QString w = ReadIni("ORBEXPOS", "ACPOSWidth");
  const QString h = ReadIni("ORBEXPOS", "ACPOSHeight");
  int width = kDefaultWidth, height = kDefaultHeight;
  if (w != "ORBEXPOS" && h != "ORBEXPOS") {
    width = stored("ACPOSWidth", w, kDefaultWidth, WindowTwips::Width);
    height = stored("ACPOSHeight", h, kDefaultHeight, WindowTwips::Height);
  }
  Move(left, top, width, height);
  ReportUnusableSettings(failures);
}

void CWSHEET::SaveGeometry() {
  WriteIni("ORBEXPOS", "ACPOSTop", QString::number(Top()));
  WriteIni("ORBEXPOS", "ACPOSLeft", QString::number(Left()));
  WriteIni("ORBEXPOS", "ACPOSWidth", QString::number(Width()));
  WriteIni("ORBEXPOS", "ACPOSHeight", QString::number(Height()));
}

// ---- Grid layout and band views

void CWSHEET::SetBandColumn(int32_t column, bool shown, int width) {
  MSFlexGrid2.SetColWidth(column, shown ? width : 0);
  MSFlexGrid2.SetColAlignment(column, shown ? flexAlignCenterCenter : flexAlignRightCenter);
}

void CWSHEET::LayoutSheetGrid() {
  FlexGrid& g = MSFlexGrid2;
  g.SetCols(BandLayout.SheetColumnCount);
  g.SetRows(1);
  g.SetFixedRows(1);
  static const int fixedWidths[] = {0, 720, 2760, 480, 600};
  static const char* fixedHeads[] = {"WN値", "CODE", "QTH", "IDX", "AREA"};
  for (int c = 0; c < 5; ++c) {
    g.SetColWidth(c, fixedWidths[c]);
    g.SetTextMatrix(0, c, QString::fromUtf8(fixedHeads[c]));
  }
  BandColumnTitles.clear();
  for (int32_t c = kFirstBandColumn; c <= BandLayout.LastBandColumn; ++c) {
    g.SetTextMatrix(0, c, BandHeading(c));
    BandColumnTitles << BandHeading(c);
  }
  ApplyShownBands();
  g.SetTextMatrix(0, BandLayout.KindColumn, QStringLiteral("FLG"));
  g.SetTextMatrix(0, BandLayout.QsoCountColumn, QStringLiteral("QSO数"));
  g.SetColWidth(BandLayout.KindColumn, 0);
  g.SetColWidth(BandLayout.QsoCountColumn, 0);
  g.SetColAlignment(BandLayout.KindColumn, flexAlignRightCenter);
  g.SetColAlignment(BandLayout.QsoCountColumn, flexAlignLeftCenter);
  const bool extended = BandLayout.SatelliteColumn == 26;
  for (int i = 15; i <= 20; ++i) BandView[i].SetVisible(extended);
  g.SetColAlignment(1, flexAlignLeftCenter);
  g.SetColAlignment(2, flexAlignLeftCenter);
  g.SetColAlignment(3, flexAlignCenterCenter);
  g.SetColAlignment(4, flexAlignCenterCenter);
  g.SetFixedCols(5);
}

void CWSHEET::ApplyShownBands() {
  for (int32_t c = kFirstBandColumn; c <= BandLayout.LastBandColumn; ++c) {
    const int band = BandIndexOfColumn(c);
    SetBandColumn(c, ShownBands[band] == "1", band == k430Band ? k430Width : kBandWidth);
  }
}

void CWSHEET::ALLB_Click() {
  ApplyShownBands();
  ResetQsoPanel();
}

void CWSHEET::BandView_Click(int band) {
  const int32_t shownColumn = BandColumnOfIndex(band);
  for (int32_t c = kFirstBandColumn; c <= BandLayout.LastBandColumn; ++c)
    MSFlexGrid2.SetColWidth(c, c == shownColumn ? (band == k430Band ? k430Width : kBandWidth) : 0);
  ResetQsoPanel();
}

void CWSHEET::READAGN() {
  MSFlexGrid2.SetColWidth(BandLayout.KindColumn, 0);
  MSFlexGrid2.SetColWidth(BandLayout.QsoCountColumn, 0);
  MSFlexGrid2.SetRedraw(false);
  ApplyShownBands();
  FillProgressSheet(progress_);
  MSFlexGrid2.SetRedraw(true);
  ShowCodeRowCount();
}

void CWSHEET::ShowCodeRowCount() {
  StatusBar1.SetPanelText(4, QStringLiteral("QTHdata= ") + QString::number(SheetTally.GridDataRows));
}

void CWSHEET::ReadDispItems() {
  ReadDisplayItemFlags(false);
  ReadShownBands();
  FillProgressSheet(progress_);
  ShowCodeRowCount();
}

bool CWSHEET::roadsideTableFound() const {
  return !FindFileOnPath(JoinPath(Settings.DataFolder, QString::fromUtf8(kRoadsideTableFile))).isEmpty();
}

void CWSHEET::ResetQsoPanel() {
  SetBackColor(Command3, 0xE0E0E0);
  Command3.setEnabled(false);
  for (Label* l : {&Label3, &Label4, &Label5, &Label6}) l->setText(QString());
  DoEvents();
}

// ---- Notice frame

void CWSHEET::ShowNotice(const QString& text, int milliseconds) {
  Label2.setText(text);
  Frame1.setTitle(QStringLiteral("Information !"));
  Frame1.show();
  Frame1.raise();
  Timer1.SetInterval(milliseconds);
  Timer1.SetEnabled(true);
}

int32_t CWSHEET::BringCodeRowUp(const QString& code, int32_t fromRow) {
  FlexGrid& g = MSFlexGrid2;
  const int end = std::min(SheetTally.GridDataRows, g.Rows() - 1);
  for (int r = std::max(fromRow, 1); r <= end; ++r)
    if (g.TextMatrix(r, 1).startsWith(code)) {
      g.SetTopRow(r);
      g.SetRow(r);  // the current row, and the selection with it: one row, not a run from the last one
      return r;
    }
  return 0;
}

void CWSHEET::offerAcaList() {
  // The ACA application lists the QSOs of one year.
  MKACA.SetEnabled(ReadConditions.StartDate.left(4) == ReadConditions.EndDate.left(4));
}

void CWSHEET::Timer1_Timer() {
  Timer1.SetInterval(0);
  Timer1.SetEnabled(false);
  HideBusyFrame();
}

void CWSHEET::HideBusyFrame() {
  Frame1.hide();
  Label2.setText(kBusyText);
  Label2.SetTop(360);
  Label2.SetHeight(495);
  Frame1.setTitle(QStringLiteral("BUSY"));
}

QString CWSHEET::JobUnderWay() const { return Frame1.isHidden() ? QString() : Label2.text().trimmed(); }

// ---- Small menus

void CWSHEET::VERDISP_Click() { MsgBox(VersionMessageText(), vbOKOnly); }

void CWSHEET::Check8_Click() {
  const bool on = Check8.Value() == 1;
  RigPortState.UseTrv = on ? "Yes" : "No";
  RigPortState.TransverterOn = on ? "1" : "0";
  WriteIni("RIG_CON_CFG", "USE_TRV", RigPortState.UseTrv);
  Text3.setFocus();
}

void CWSHEET::SYUDSP_Click() {
  ResetQsoPanel();
  Form<ORBTOTAL1>().Show();
}

void CWSHEET::RDAGN_Click() {
  if (ChousonListMode == 1) {
    MsgBox(QStringLiteral("町村リスト作成モードにつき変更出来ません"), vbOKOnly);
    return;
  }
  Cfg.CfgMode = 0;
  Form<CFG>().Show();
}

void CWSHEET::SheetHelp() { OpenHelpPage(kHelpSheet); }

void CWSHEET::WFopn_Click() { ShellStart(JoinPath(ProgramFolder(), "ORBEX5wf.exe")); }

void CWSHEET::WNT_Click() {
  CommonDialog1.DialogTitle = QStringLiteral("Wanted List のﾌｧｲﾙを指定します");
  CommonDialog1.Filter = QStringLiteral("(ORBEX*.TXT)|ORBEX*.TXT|");
  CommonDialog1.Flags = cdlOFNPathMustExist | cdlOFNHideReadOnly;
  CommonDialog1.InitDir = Settings.DataFolder;
  if (!CommonDialog1.ShowOpen()) return;
  Hamlog.LastResult = ShellOpen(CommonDialog1.FileName);
}

void CWSHEET::FUKUGEN_Click() {
  DisplayForced = 0;
  ChousonListMode = 0;
  ReadDispItems();
  ALLB_Click();
  FUKUGEN.SetEnabled(false);
}

// ---- Keys and size

void CWSHEET::Form_KeyDown(int& keyCode, int shift) {
  if (keyCode < 16 || keyCode > 90) return;
  if (keyCode == vbKeyEscape) {
    StartFlags.InterruptCode = 1;
    // A running sheet job still reads HAMLOG: it is asked to stop and closes HAMLOG itself.
    if (SheetJobRunning != 0)
      SheetJobRunning = 0;
    else
      HamlogCloseDb(0);
  } else if (keyCode == vbKeyInsert) {
    InsertMode = InsertMode == 1 ? 0 : 1;
    StatusBar1.SetPanelText(2, InsertMode == 1 ? QStringLiteral("挿入") : QStringLiteral("上書き"));
  } else if (keyCode == vbKeyC && shift == vbCtrlMask) {
    Text2.setText(QString());
    Text3.setText(QString());
    Text3.setFocus();
  } else if (keyCode == vbKeyP && shift == vbAltMask) {
    // The window snapshot's second half: the bitmap on the clipboard goes into a file.
    if (ClipboardHasBitmap()) {
      SaveClipboardBitmap(JoinPath(Settings.DataFolder, "ORBEX_CFMWKD.bmp"));
      ClearClipboard();
    }
  } else if (keyCode == vbKeyZ && shift == (vbCtrlMask | vbAltMask)) {
    DeleteWorkFilesOnExit();
    QCoreApplication::quit();
  }
}

void CWSHEET::Form_Resize() {
  MSFlexGrid2.SetWidth(std::max(0, Width() - 300));
  MSFlexGrid2.SetHeight(std::max(0, Height() - 2170));
  Frame1.Move(Width() / 2 - 3000, Height() / 2 - 550);
}

// ---- Return and exits

void CWSHEET::FreeSheetTables() {
  ReleaseWorkFileLines();
  MasterTable.Redim(0, 0);
  SheetTally.EraseCellArrays();
  BandColumnTitles.clear();
  MSFlexGrid2.SetRows(1);
  MSFlexGrid2.Clear();
}

bool CWSHEET::UnloadCompanionWindows(const VbForm* keep) {
  for (VbForm* f : LoadedForms()) {
    if (f == this || f == keep || dynamic_cast<ORBTOP*>(f)) continue;
    QPointer<VbForm> guard(f);
    if (guard && !guard->Unload()) return false;
  }
  return true;
}

void CWSHEET::RTNMN_Click() { ReturnToStartWindow(); }

bool CWSHEET::Busy() const { return SheetTally.SheetOpen != 1 || !MENU.Enabled() || !RTNMN.Enabled(); }

bool CWSHEET::ReturnToStartWindow(const VbForm* keep, bool offerPrevious) {
  // The busy notice lets events run: no second return or exit may start inside this one.
  const auto lock = progress_.LockJobs();
  // A window that keeps what the operator has not saved yet (a record book that could not be written)
  // keeps the sheet as well.
  if (!UnloadCompanionWindows(keep)) return false;
  RigPortClose();
  RigPortState.UseRig(1);
  ShowRigInUse();
  UnloadForm<OrbexTips>();
  Label2.setText(kBusyText);
  Frame1.show();
  Frame1.raise();
  DoEvents();
  ClearClipboard();
  const bool previousUsable = offerPrevious && WorkFileStillValid();
  FreeSheetTables();
  SaveGeometry();
  if (ORBTOP* top = LoadedForm<ORBTOP>()) top->ReturnFromSheet(previousUsable);
  SheetTally.SheetOpen = 0;
  Unload();
  return true;
}

void CWSHEET::Form_QueryUnload(int& cancel, int unloadMode) {
  if (unloadMode == vbFormControlMenu && !exiting_ && !ExitProgram(true)) cancel = 1;
}

void CWSHEET::BYE_Click() { ExitProgram(false); }

bool CWSHEET::ExitProgram(bool fromCloseBox) {
  const auto lock = progress_.LockJobs();
  if (!UnloadCompanionWindows()) return false;  // the program stays with what that window keeps
  exiting_ = true;
  Label2.setText(kExitText);
  if (fromCloseBox) RigPortClose();
  Frame1.show();
  Frame1.raise();
  DoEvents();
  HamlogCloseDb(0);
  FreeSheetTables();
  DeleteWorkFilesOnExit();
  SaveGeometry();
  SheetTally.SheetOpen = 0;
  for (VbForm* f : LoadedForms()) {
    if (f == this) continue;
    QPointer<VbForm> guard(f);
    if (guard) guard->Unload();
  }
  if (!fromCloseBox) Unload();
  QCoreApplication::quit();
  return true;
}
