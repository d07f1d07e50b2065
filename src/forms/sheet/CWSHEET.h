#pragma once
// The progress sheet window: per code and band the W and C marks of the HAMLOG log, with the search
// and call-sign boxes, the QSO panel, the busy/notice frame and the menus to the rest of the program.
// Its load reads the master and the log (BuildDmyDbs) and fills the grid.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

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
#include "platform/ui/statusbar.h"
#include "platform/ui/textbox.h"
#include "platform/ui/timer.h"
#include "sheet/SheetSearch.h"

// Windows and services that come with later work plug in here. A menu whose hook is empty stays
// disabled; an empty service hook is skipped.
struct SheetHooksState {
  std::function<void()> ShowTotals;           // SYUDSP "集計表示": the totals window
  std::function<void()> ShowDisplaySettings;  // RDAGN "表示項目変更": the display-settings dialog
  std::function<void()> AppendHamlog;         // HLAPD "HAMLOG追加読込(表の更新)"
  std::function<void()> RigPortOpen;          // transceiver port, opened by the load
  std::function<void()> RigPortClose;         // and closed by the exits and the return
  std::function<void()> LoadDXCCTable;        // DXCC entity table, loaded at the end of the load
};
extern SheetHooksState SheetHooks;

class CWSHEET : public VbForm {
 public:
  CWSHEET();
  ~CWSHEET() override;
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_Resize() override;
  void Form_KeyDown(int& keyCode, int shift) override;

  // The public refresh: band column widths from ShownBands, then the fill.
  void READAGN();
  // Re-reads [DISPCG_ITEM] and [DISPBAND_ITEM] and refills the grid.
  void ReadDispItems();
  // What the sheet's engine reports to while it fills this window.
  SheetProgress& Progress() { return progress_; }
  // Empties the QSO panel and disarms its QSL print button.
  void ResetQsoPanel();
  // Shows a notice in the busy frame for `milliseconds` (caption "Information !").
  void ShowNotice(const QString& text, int milliseconds = 2000);
  // The wanted-list format of the list dialog's option buttons (0 or 1 text, 2 listening list, 3 CSV).
  void SelectListFormat(int index);

  // Form-level state.
  QString SpotUrl;
  int32_t AwardCheckMode = 0;   // what the list dialog is set up for; 0 = wanted list
  int32_t ChousonListMode = 0;  // 1 while the town/village frame is open
  int32_t InsertMode = 0;       // 1 insert, 0 overwrite
  // Characters each typed one replaces in overwrite mode; 0 (insert) until a mouse release in the
  // search or call box.
  int32_t TypedSelLength = 0;
  int32_t SheetJobRunning = 0;   // 1 while a long sheet job runs; Esc sets 0
  int32_t DisplayForced = 0;     // 1 while an output forces the display items
  int32_t NoBandYet = 1;         // the wanted-list writer's flag that a row got no band yet
  QStringList BandColumnTitles;  // heading of band column c at index c - 5

  // Menus.
  Menu MENU{this, "Menu(&M)"};
  Menu RTNMN{&MENU, "起動画面に戻る(&B)"};
  Menu HLAPD{&MENU, "HAMLOG追加読込(表の更新)"};
  Menu menuSep1{&MENU, "-"};
  Menu WNT{&MENU, "Wanted-List"};
  Menu FUKUGEN{&MENU, "元の表示項目へ戻す"};
  Menu menuSep2{&MENU, "-"};
  Menu VERDISP{&MENU, "バージョン"};
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
  Menu RigSel{this, "Rig切替"};
  Menu Rig1{&RigSel, "Rig1"};
  Menu Rig2{&RigSel, "Rig2"};
  Menu RigBkup{&RigSel, "リグデータ保守"};
  Menu SNDIF{this, "SendInfo(&S)"};
  Menu WFopn{this, "WF"};
  Menu mmqLine{this, "-"};
  Menu exMMQSL{this, "MMQSLを起動"};
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
  Label Label1{this};
  Label Label8{this, "QSL受領処理中"};
  Frame Frame10{this, "Call List"};
  ListBox List1{&Frame10};
  FlexGrid MSFlexGrid2{this};
  Frame Frame3{this, "町村リスト"};
  Label Label10{&Frame3};
  ControlArray<OptionButton> Option1{&Frame3, 0, 1};
  CommandButton Command9{&Frame3, "Go"};
  CommandButton Command10{&Frame3, "End"};
  Frame Frame8{this, "Wanted-LIST 作成項目選択"};
  ControlArray<OptionButton> Option2{&Frame8, 0, 3};
  Frame Frame1{this, "BUSY"};
  Label Label2{&Frame1, "整理中です　ＱＲＸ"};
  StatusBar StatusBar1{this, 5};
  VbTimer Timer1{this, 0, false};
  CommonDialog CommonDialog1{this};

 private:
  void buildLayout();
  void wireHandlers();
  void LoadSheet();
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
  void ExitProgram(bool fromCloseBox);
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
  // Unloads every other window but the start window.
  void UnloadCompanionWindows();
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
  void Text2_KeyDown(int keyCode);
  void applySearch(const SearchOutcome& out);

  bool exiting_ = false;
  SheetWindowProgress progress_;
};
