#pragma once
// The award sheet window: one of the award sheets (ACC/JAG members, SQUARE-75, SUBSQUARE-100, WASA,
// DXCC) chosen by AwardSheets.SheetKind before the window is first touched. The frame places the
// window, reads the mode classes, lets the sheet of the kind lay out its grid at load and fill it at
// the first activation, shows the QSO behind a confirmed cell and sorts the member sheet.

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

#include "awards/AwardSheets.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/menu.h"
#include "platform/vbfile.h"

class ACCSheet;

// What each sheet kind brings to the frame. A kind without Build is no sheet: the window unloads.
struct AwardSheetKind {
  std::function<void(ACCSheet&)> Build;  // lays out caption, panels and grid columns at load
  std::function<void(ACCSheet&)> Fill;   // fills the rows; sets SheetFilled = 1 when it completed
  // HAMLOG record number behind a "C" cell (0 when none).
  std::function<int32_t(ACCSheet&, int row, int col)> RecordOfCell;
};
struct AwardSheetHooksState {
  std::array<AwardSheetKind, 6> Kinds;  // by SheetKind 1 .. 5
  std::function<void()> ReleaseTables;  // frees the locator and DXCC tables at unload
};
extern AwardSheetHooksState AwardSheetHooks;

class ACCSheet : public VbForm {
 public:
  ACCSheet();
  ~ACCSheet() override;
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Resize() override;
  void Form_Unload(int& cancel) override;
  // The first activation's filling step runs.
  bool Filling() const { return filling_; }

  // Window state the sheets share with the frame.
  int32_t SheetFilled = 0;
  ModeClassLists ModeClasses;
  int32_t SheetTotal = 0;
  QString AmaListPath;
  int32_t MemberSortToggle = 0;  // 0: the next heading sort is descending
  VbFile MemberListFile;
  VbFile AmaListFile;
  int32_t SheetRowCount = 0;  // data rows of the grid-locator and DXCC sheets
  QString BandListKey;        // the band list asked for last ("1R9", "HF", ...)

  Menu RTNMN{this, "閉じる(&X)"};
  Menu DispAMA{this, "AMA表示"};
  Menu DOUT{this, "データ出力"};
  Menu aSINGLE{&DOUT, "シングルバンド"};
  Menu a19{&aSINGLE, "1.9MHz"};
  Menu a35{&aSINGLE, "3.5MHz"};
  Menu a7{&aSINGLE, "7MHz"};
  Menu a10{&aSINGLE, "10MHz"};
  Menu a14{&aSINGLE, "14MHz"};
  Menu a18{&aSINGLE, "18MHz"};
  Menu a21{&aSINGLE, "21MHz"};
  Menu a24{&aSINGLE, "24MHz"};
  Menu a28{&aSINGLE, "28MHz"};
  Menu a50{&aSINGLE, "50MHz"};
  Menu a144{&aSINGLE, "144MHz"};
  Menu a430{&aSINGLE, "430MHz"};
  Menu a1200{&aSINGLE, "1200MHz"};
  Menu a2400{&aSINGLE, "2400MHz"};
  Menu a5600{&aSINGLE, "5600MHz"};
  Menu a135k{&aSINGLE, "135kHz"};
  Menu a475k{&aSINGLE, "475kHz"};
  Menu a10G{&aSINGLE, "10GHz"};
  Menu a24G{&aSINGLE, "24GHz"};
  Menu a47G{&aSINGLE, "47GHz"};
  Menu a77G{&aSINGLE, "77GHz"};
  Menu aSat{&aSINGLE, "ｻﾃﾗｲﾄ"};
  Menu aHFall{&DOUT, "ＨＦａｌｌ (1.9MHz-28MHz)"};
  Menu aVUonly{&DOUT, "Ｖ・ＵＨＦ( 50-5600)"};
  Menu aVUSAT{&DOUT, "Ｖ・ＵＨＦ( 50-5600 ＆ SAT )"};
  Menu aALLBAND{&DOUT, "オールバンド( 除 SAT)"};
  Menu aALLSAT{&DOUT, "オールバンド( 含 SAT)"};
  Menu HELPMNU{this, "Ｈｅｌｐ"};
  Menu VERDISP{&HELPMNU, "バージョン"};
  Menu HELP{&HELPMNU, "Help"};

  FlexGrid MSFlexGrid2{this};
  Frame Frame6{this, "QSO ﾃﾞｰﾀ"};
  Label Label10{&Frame6};
  Label Label9{&Frame6};
  Label Label8{&Frame6};
  Label Label7{&Frame6};
  Label Label11{&Frame6};
  Frame Frame1{this, "結果表示"};
  Label Label1{&Frame1};
  Label Label2{&Frame1};
  Label Label3{&Frame1, "総合計"};
  Label Label4{&Frame1};
  Frame Frame2{this};
  Label Label6{&Frame2, "cfm局数＝"};
  Label Label5{&Frame2, "CW=C Phone=P Sstv=S Rtty=R Fax=F (小文字はwkd状態)"};
  Frame Frame3{this, "BUSY"};
  Label Label12{&Frame3, "データ読み込み中です  ＱＲＸ"};
  CommonDialog CommonDialog1{this};

 private:
  void CenterBusyFrame();
  void ShowCellQso(int button);
  void ClearQsoPanel();
  // A band menu: the key, then the list of the sheet's confirmed rows on those bands.
  void SelectBandList(const QString& key);
  void WriteBandList();

  Menu* bandMenusOfExtendedSet_[6];
  bool filling_ = false;  // the filling step lets events run: an activation then must not start another
};

// "#,#": thousands separated, 0 as an empty text.
QString FormatSheetTotal(int32_t total);
