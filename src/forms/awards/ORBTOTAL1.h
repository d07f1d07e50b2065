#pragma once
// The totals window "ORB 集計表": confirmed and worked codes per kind and band from the sheet's tally,
// the ORB award rows and a total over the band range dragged across the grid; CSV, snapshot, and the
// way to the application book.

#include "awards/BandTotalsTable.h"
#include "awards/TextTable.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/menu.h"

class ORBTOTAL1 : public VbForm {
 public:
  ORBTOTAL1();
  void Form_Load() override;
  void Form_KeyDown(int& keyCode, int shift) override;

  // Fills the grid and the caption from the tally and the stored band range.
  void ShowBandRangeTotals();
  const TotalsBandRange& Range() const { return range_; }

  Menu fMenu{this, "ファイル(&F)"};
  Menu MakeBMP{&fMenu, "ｽﾅｯﾌﾟｼｮｯﾄ(&P)"};
  Menu fPRN{&fMenu, "CSV作成(&S)"};
  Menu CLSCNT{&fMenu, "閉じる(&X)"};
  Menu ORBBK{this, "ORB本の手引き(&V)"};
  Menu CNTHELP{this, "Help"};

  Label Label1{this};
  FlexGrid MSFlexGrid1{this};
  PictureBox Picture1{this};
  CommonDialog CommonDialog1{this};

 private:
  void LayoutGrid();
  void fPRN_Click();
  void CLSCNT_Click();
  void ORBBK_Click();
  void MSFlexGrid1_MouseDown();
  void MSFlexGrid1_MouseUp();

  int32_t lastBandColumn_ = 17;
  TotalsBandRange range_;
  TextTable table_;
  int downRow_ = -1;
  int downCol_ = -1;
};
