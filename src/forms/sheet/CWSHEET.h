#pragma once
// The progress sheet window: per code and band the W and C marks of the HAMLOG log, with the search
// and call-sign boxes, the QSO panel, the busy/notice frame and the menus to the rest of the program.
// Its load reads the master and the log (BuildDmyDbs) and fills the grid.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "forms/outputs/ListDialog.h"
#include "forms/outputs/SheetWorkbooks.h"
#include "forms/sheet/SheetWindowProgress.h"
#include "platform/ui/buttons.h"
#include "platform/ui/control_array.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/lists.h"
#include "platform/ui/menu.h"
#include "platform/ui/shell.h"
#include "platform/ui/statusbar.h"
#include "platform/ui/textbox.h"
#include "platform/ui/timer.h"
#include "rig/RigLink.h"
#include "sheet/SheetSearch.h"

// The name other programs send their commands to.
inline constexpr char kProgramMessageTitle[] = "ORBEX5";

class IpcReceiver;
class RefusalNote;

// How long a refusal stands over the sheet's status bar: at most StandsMs, and the operator's key or
// click ends it once it stood ReadMs.
struct RefusalNoteTimesData {
  int StandsMs = 10'000;
  int ReadMs = 2'000;
};
inline RefusalNoteTimesData RefusalNoteTimes;

// What the operator is told when a reading of the sheet stopped (SheetTally's status codes). An Esc
// counts as an interruption whichever window saw it, not as a file that would not open.
QString ReadFailureMessage(int32_t code);

class CWSHEET : public VbForm {
 public:
  CWSHEET();
  ~CWSHEET() override;
  void Form_Load() override;
  // The program's waits show in the status bar's note panel.
  void showNote(const QString& text) override { StatusBar1.ShowNote(5, text); }
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Resize() override;
  void Form_KeyDown(int& keyCode, int shift) override;

  // The public refresh: band column widths from ShownBands, then the fill.
  void READAGN();
  // Re-reads [DISPCG_ITEM] and [DISPBAND_ITEM] and refills the grid.
  void ReadDispItems();
  // What the sheet's engine reports to while it fills this window.
  SheetProgress& Progress() { return progress_; }
  // Tunes the current rig to `hz` with the mode for that frequency (the transverter's IF when it is on).
  void SetRigFreq(int64_t& hz);
  // Carries out one command received from another program and tells `done` whether it was carried out
  // (true) or refused (false: not readable, or a companion command the rig could not be given; the
  // reason stands on the status bar). A rig command is told when the rig took it; every command, a
  // refused one too, is told after the ones before it.
  void HandleProgramMessage(const QByteArray& bytes, const std::function<void(bool carriedOut)>& done);
  // A refused command's reason over the status bar, readable until the operator acts or for some seconds.
  void ShowRefusal(const QString& reason);
  // Rig 1 or 2 in use, as the tick, the menu or the companion chose it (the port reopened); false when
  // it could not be changed (port closed, rig 2 without a port), which is said.
  bool UseRigNumber(int rig);
  // The tick "Rig#2", the menu's and the pop-up's marks: the rig in use.
  void ShowRigInUse();
  // Empties the QSO panel and disarms its QSL print button.
  void ResetQsoPanel();
  // Back to the start window as "起動画面に戻る" goes, the window `keep` left open. Without
  // `offerPrevious` the start window does not offer the work file for the next start.
  bool ReturnToStartWindow(const VbForm* keep = nullptr, bool offerPrevious = true);
  // The load, a long job or a panel holds the sheet's way back to the start window.
  bool Busy() const;
  // Shows a notice in the busy frame for `milliseconds` (caption "Information !").
  void ShowNotice(const QString& text, int milliseconds = 2000);
  // Hides the busy frame and gives it back its standing words, so no job after shows another's.
  void HideBusyFrame();
  // The busy frame's words while a long job holds the sheet.
  QString JobUnderWay() const override;
  // Brings the first filled row from `fromRow` whose code begins with `code` to the top of the grid and
  // selects it; its row, 0 when none.
  int32_t BringCodeRowUp(const QString& code, int32_t fromRow = 1);

  // Form-level state.
  QString SpotUrl;
  int32_t AwardCheckMode = 0;   // what the list dialog is set up for; 0 = wanted list
  int32_t ChousonListMode = 0;  // 1 while the town/village frame is open
  int32_t InsertMode = 0;       // 1 insert, 0 overwrite
  // Characters each typed one replaces in overwrite mode; 0 (insert) until a mouse release in the
  // search or call box.
  int32_t TypedSelLength = 0;
  // The last left click on a data row, the cell the QSO panel shows, and the row shown as counts.
  int32_t ClickRow = 0, ClickCol = 0;
  int32_t RightClickPending = 0;  // a right click came last: the double click does nothing
  int32_t LastCellRow = 0, LastCellCol = 0;
  int32_t CountRowShown = 0, CountRowMaster = 0, CountRowTotal = 0;
  std::vector<QString> SavedRowCells;
  int32_t CallListIndex = -1;    // the call list's entry last clicked
  StartedTask SpotProgramTask;  // the spot program started from here
  int32_t SheetJobRunning = 0;   // 1 while a long sheet job runs; Esc sets 0
  int32_t DisplayForced = 0;     // 1 while an output forces the display items
  QStringList BandColumnTitles;  // heading of band column c at index c - 5

  // Menus.
  Menu MENU{this, "Menu(&M)"};
  Menu RTNMN{&MENU, "起動画面に戻る(&B)"};
  Menu HLAPD{&MENU, "HAMLOG追加読込(表の更新)"};
  Menu menuSep1{&MENU, "-"};
  Menu WNT{&MENU, "Wanted-List"};
  Menu mkACAGdat{&MENU, "ZLOG用 acag.dat の作成"};
  Menu mkQTHdat{&MENU, "全QTHデータCSV出力"};
  Menu menuSep2{&MENU, "-"};
  Menu VERDISP{&MENU, "バージョン"};
  Menu OnePointHelp{&MENU, "ﾜﾝﾎﾟｲﾝﾄﾍﾙﾌﾟの表示"};
  Menu BYE{&MENU, "ORBEXの終了(&X)"};
  Menu DAREA{this, "AREA"};
  Menu SALL{&DAREA, "ALL"};
  // AREA: a sub-menu per call area with its whole-area entry and its prefectures, indexed by number.
  Menu JA1{&DAREA, "１"};
  Menu SALL1{&JA1, "関東全て"};
  Menu JA1Sep{&JA1, "-"};
  ControlArray<Menu> JA1Kenbetsu{&JA1, 1, 0};
  Menu JA2{&DAREA, "２"};
  Menu SALL2{&JA2, "中部全て"};
  Menu JA2Sep{&JA2, "-"};
  ControlArray<Menu> JA2Kenbetsu{&JA2, 1, 0};
  Menu JA3{&DAREA, "３"};
  Menu SALL3{&JA3, "近畿全て"};
  Menu JA3Sep{&JA3, "-"};
  ControlArray<Menu> JA3Kenbetsu{&JA3, 1, 0};
  Menu JA4{&DAREA, "４"};
  Menu SALL4{&JA4, "中国全て"};
  Menu JA4Sep{&JA4, "-"};
  ControlArray<Menu> JA4Kenbetsu{&JA4, 1, 0};
  Menu JA5{&DAREA, "５"};
  Menu SALL5{&JA5, "四国全て"};
  Menu JA5Sep{&JA5, "-"};
  ControlArray<Menu> JA5Kenbetsu{&JA5, 1, 0};
  Menu JA6{&DAREA, "６"};
  Menu SALL6{&JA6, "九州全て"};
  Menu JA6Sep{&JA6, "-"};
  ControlArray<Menu> JA6Kenbetsu{&JA6, 1, 0};
  Menu JA7{&DAREA, "７"};
  Menu SALL7{&JA7, "東北全て"};
  Menu JA7Sep{&JA7, "-"};
  ControlArray<Menu> JA7Kenbetsu{&JA7, 1, 0};
  Menu JA8{&DAREA, "８"};
  Menu SALL8{&JA8, "北海道全て"};
  Menu JA8Sep{&JA8, "-"};
  ControlArray<Menu> JA8Kenbetsu{&JA8, 1, 0};
  Menu JA9{&DAREA, "９"};
  Menu SALL9{&JA9, "北陸全て"};
  Menu JA9Sep{&JA9, "-"};
  ControlArray<Menu> JA9Kenbetsu{&JA9, 1, 0};
  Menu JA0{&DAREA, "０"};
  Menu SALL0{&JA0, "信越全て"};
  Menu JA0Sep{&JA0, "-"};
  ControlArray<Menu> JA0Kenbetsu{&JA0, 1, 0};
  Menu DISPBAND{this, "BAND"};
  Menu dmy1{&DISPBAND, "表示項目 ↑ で選択"};
  Menu dmy2{&DISPBAND, "したBandを見た目"};
  Menu dmy3{&DISPBAND, "絞り込むだけです。"};
  Menu bandSep1{&DISPBAND, "-"};
  Menu ALLB{&DISPBAND, "ALL BAND"};
  Menu bandSep2{&DISPBAND, "-"};
  ControlArray<Menu> BandView{&DISPBAND, 0, 21};  // B1R9D .. BsatD, by band index
  Menu RDAGN{this, "表示項目変更"};
  Menu SYUDSP{this, "集計表示"};
  // The spreadsheet outputs (forms/outputs/SheetWorkbooks).
  Menu Mksheet{this, "Excel Sheet作成"};
  Menu ORB_SHEET{&Mksheet, "ORB本の作成"};
  Menu MKchouson{&Mksheet, "町村リストの作成"};
  Menu FUKUGEN{&Mksheet, "元の表示項目へ戻す"};
  Menu MKACA{&Mksheet, "ACAリストの作成"};
  Menu EXCC{&Mksheet, "cfm/wkdリストの作成"};
  // The list dialog's menus (forms/outputs/ListDialog).
  Menu JccGchkSelect{this, "JCC/JCG/KU/WAJA"};
  Menu JCCchk{&JccGchkSelect, "JCC QSL-Listの作成(ﾃｷｽﾄﾃﾞｰﾀ)"};
  Menu awardSep1{&JccGchkSelect, "-"};
  Menu JCGchk{&JccGchkSelect, "JCG QSL-Listの作成(ﾃｷｽﾄﾃﾞｰﾀ)"};
  Menu awardSep2{&JccGchkSelect, "-"};
  Menu WAKUchkF{&JccGchkSelect, "WAKU QSL-Listの作成(ﾃｷｽﾄﾃﾞｰﾀ)"};
  Menu ORBKUchkF{&JccGchkSelect, "ORB-KU QSL-Listの作成(ﾃｷｽﾄﾃﾞｰﾀ)"};
  Menu awardSep3{&JccGchkSelect, "-"};
  Menu WAJAchk{&JccGchkSelect, "WAJA QSL-Listの作成(ﾃｷｽﾄﾃﾞｰﾀ)"};
  Menu awardSep4{&JccGchkSelect, "-"};
  Menu DXCCchk{&JccGchkSelect, "DX Check"};
  Menu wtd{this, "Ｗａｎｔｅｄ"};
  Menu WNTPRN{&wtd, "Wantedの作成"};
  Menu seiribo{&wtd, "新市 整理簿"};
  Menu RigSel{this, "Rig切替"};
  Menu Rig1{&RigSel, "Ｒｉｇ＃１"};
  Menu Rig2{&RigSel, "Ｒｉｇ＃２"};
  Menu RigBkup{&RigSel, "リグデータ保守"};
  Menu openRCONcfg{&RigSel, "リグコン設定"};
  Menu CMDtest{&RigSel, "退避＆復元"};
  Menu RigConMon{&RigSel, "RigMonitor"};
  Menu SNDIF{this, "SendInfo(&S)"};
  Menu WFopn{this, "WF"};
  Menu mmqLine{this, "-"};
  Menu exMMQSL{this, "MMQSLを起動"};
  Menu LOGMENU{this, "LOG"};
  Menu LOGOPEN{&LOGMENU, "LOG帳を開く"};
  Menu LOGDATV{&LOGMENU, "HAMLOG DATA表示(&V)"};
  Menu QSLCHK{&LOGMENU, "QSL受領処理(&Q)"};
  Menu SHOWDAT{&LOGMENU, "各種保存データ閲覧"};
  Menu MEMV{&SHOWDAT, "ﾒﾓ帳"};
  Menu QSL{&SHOWDAT, "QSL再発行状況"};
  Menu QcntL{&LOGMENU, "QSO数リストの保存"};
  Menu MEMOVIEW{this, "メモ帳"};
  Menu JARLMENU{this, "JARL"};
  Menu goJARLaward{&JARLMENU, "JARL ｱﾜｰﾄﾞのﾍﾟｰｼﾞ"};
  Menu goJARL{&JARLMENU, "JARLｱﾜｰﾄﾞ委員会のﾍﾟｰｼﾞ"};
  Menu jarlweb{&JARLMENU, "JARLｱﾜｰﾄﾞWeb申請ｻｲﾄ"};
  Menu HELP{this, "Help"};

  // Controls.
  Frame Frame5{this, "検索"};
  TextBox Text2{&Frame5};
  CommandButton Command1{&Frame5, "CLR"};
  Frame Frame2{this, "Call Sign"};
  TextBox Text3{&Frame2};
  CommandButton Command2{&Frame2, "CLR"};
  CommandButton Command8{this, "<= AC =>"};
  CommandButton Command4{this, "道の駅検索"};
  CommandButton Command6{this, "QSO 一覧"};
  CommandButton Command7{this, "List"};
  CommandButton Command11{this, "総務省無線局検索"};
  Frame Frame6{this, "QSO ﾃﾞｰﾀ"};
  Label Label3{&Frame6};
  Label Label4{&Frame6};
  Label Label5{&Frame6};
  Label Label6{&Frame6};
  CommandButton Command3{&Frame6, "QSL印刷"};
  Frame Frame4{this, "周波数情報"};
  TextBox Text1{&Frame4};
  CheckBox Check8{&Frame4, "ﾄﾗﾝｽﾊﾞｰﾀ on"};
  CheckBox Check9{&Frame4, "Rig#2"};
  CommandButton Command5{&Frame4, "VFOchg"};
  CommandButton Command15{&Frame4, "QSY"};
  Label Label1{this};
  Label Label8{this, "QSL受領処理中"};
  Frame Frame10{this, "Call List"};
  ListBox List1{&Frame10};
  FlexGrid MSFlexGrid2{this};
  Frame Frame3{this, "作成リストの設定"};
  Label Label10{&Frame3};
  ControlArray<OptionButton> Option1{&Frame3, 0, 1};
  CheckBox Check4{&Frame3, "消滅ＱＴＨは書き込みしない"};
  CheckBox Check5{&Frame3, "町村コードをJAGのそれに変換する"};
  CommandButton Command9{&Frame3, "Go"};
  CommandButton Command10{&Frame3, "End"};
  ListDialog Frame8{this};
  Frame Frame7{this, "道の駅 List"};
  ListBox List2{&Frame7};
  Frame Frame1{this, "BUSY"};
  Label Label2{&Frame1, "整理中です　ＱＲＸ"};
  StatusBar StatusBar1{this, 5};
  VbTimer Timer1{this, 0, false};
  CommonDialog CommonDialog1{this};
  SheetWorkbooks Workbooks{this};

 private:
  void buildLayout();
  void wireHandlers();
  void LoadSheet();
  // The ACA list menu, for a reading within one year (the append moves its end to today).
  void offerAcaList();
  // A fresh sheet: no reading under way, no failure, no area view.
  void resetReadingAndViewState();
  // Ends the load when the master or the reading failed: the sheet goes, the start window comes back.
  void abandonLoad(const QString& message);
  void LayoutSheetGrid();
  void RestoreGeometry();
  void SaveGeometry();
  void ALLB_Click();
  void BandView_Click(int band);
  void RTNMN_Click();
  void BYE_Click();
  // False when a window refused to close: nothing of the exit has happened then.
  bool ExitProgram(bool fromCloseBox);
  // "HAMLOG追加読込" is refused while the entry window is open: it is brought forward and that is said.
  bool refusedForLogWindow();
  void Timer1_Timer();
  void VERDISP_Click();
  void WFopn_Click();
  void WNT_Click();
  void SYUDSP_Click();
  void RDAGN_Click();
  void SheetHelp();
  void FUKUGEN_Click();
  // Frees the tables of the tally and empties the grid.
  void FreeSheetTables();
  // Unloads every window but the sheet, the start window and `keep`; false when one of them refused.
  bool UnloadCompanionWindows(const VbForm* keep = nullptr);
  void SetBandColumn(int32_t column, bool shown, int width);
  // Width and alignment of every band column from ShownBands.
  void ApplyShownBands();
  // Status bar panel 4: the code rows of the grid, the 60 empty rows apart.
  void ShowCodeRowCount();

  // Area and prefecture views.
  void wireAreaViews();
  void AreaView_Click(int area);
  void PrefectureView_Click(int prefecture);
  void SALL_Click();
  void Option1_Click(int index);

  // The search box and the typing rules of the entry boxes.
  void wireEntryBoxes();
  void EntryBox_KeyPress(TextBox& box, int& keyAscii);
  void Text2_Change();
  // Commands from other programs (while the sheet is loaded).
  void listenToOtherPrograms();
  // A satellite QSO handed to the entry window as a new QSO.
  void satelliteQsoToLog(const QStringList& fields);
  void wireCallBox();
  void Text3_Change();
  // The search box lets go of the call box's code.
  void dropCallBoxCode();
  // What an entry window loaded unseen holds for the call before: its name and remark, with `call` the
  // call itself.
  void dropUnseenEntryStation(bool call);
  void Text3_KeyDown(int keyCode);
  void HLAPD_Click();
  void wireMenus();
  void List1_Click();
  void QSLCHK_Click();
  // The roadside sheet's table of the stations' bands is in the data folder.
  bool roadsideTableFound() const;
  void Command2_Click();
  void Command8_Click();
  // The buttons that start over close the entry window, its call and name emptied unless it shows a
  // stored record; a new QSO left unsaved there is asked about and may keep it open.
  void closeEntryWindow();
  void QcntL_Click();
  void MEMV_Click();
  void OnePointHelp_Click();
  void SNDIF_Click();
  // Opens a web address the settings hold; says so when none is set.
  void openStoredAddress(const QString& address);
  // The grid under the mouse: the QSO panel and the count row.
  void wireGridClicks();
  void MSFlexGrid2_MouseUp(int button);
  void MSFlexGrid2_DblClick();
  void MSFlexGrid2_LeaveFocus();
  void showCellQso(const QString& qth);
  void disarmQslPrint();
  // While the entry window shows a stored record or QSL cards are being checked the grid shows no QSO:
  // says so and answers true.
  bool logWindowBusy();
  // The entry window in front of the others when it is shown.
  void bringLogWindowForward();
  // The QSO window lists the QSOs of the row's code on the column's band (all bands off the band columns).
  void listCodeQsos(int32_t row, int32_t column);
  // QSL printing from the QSO panel (Command3) and the MMQSL menu.
  void wireQslPrint();
  void Command3_Click();
  void showCountRow(int32_t row);
  void hideCountRow(int32_t row);
  void Command1_Click();
  void Check8_Click();
  void Text2_KeyDown(int keyCode);
  void applySearch(const SearchOutcome& out);

  // The record book beside the sheet (CWSHEET_RecordBook.cpp): the search text mirrored into its box,
  // a right click filling its row editor; the roadside stations of the searched code.
  void wireRecordBookLinks();
  void linkRecordBook(const QString& text);
  // False when the record book is not open or the row is no data row.
  bool fillRecordEditor(int32_t row);
  void Command4_Click();
  void List2_DblClick();
  void List2_MouseUp(int button);

  // The rig panel: rig choice, VFO exchange, QSY; the rig's frequency in the status bar.
  void wireRigPanel();
  void ApplyRigModelRule();
  void Check9_Click();
  void Rig1_Click();
  void Rig2_Click();
  void StatusBar1_PanelClick(int panel);
  void Command5_Click();
  void Command15_Click();
  // A right click on a band heading puts an FT2000 / FT991 on that band; true when a command went.
  bool BandHeading_RightClick(int column);

  std::vector<int> roadsideItems_;  // station of each List2 item
  bool exiting_ = false;
  // The code the call box's look-up put into the search box, "" once anything else wrote there: it
  // goes when the call no longer gives it.
  QString callBoxCode_;
  bool callBoxWriting_ = false;
  SheetWindowProgress progress_;
  std::unique_ptr<IpcReceiver> messages_;
  std::unique_ptr<RigListener> rigListener_;
  RefusalNote* refusalNote_ = nullptr;  // a child of this window
};
