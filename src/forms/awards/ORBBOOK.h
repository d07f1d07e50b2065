#pragma once
// The ORB award application book "ORB本用 集計": previous application, additions and current
// confirmed counts of cities, guns and wards per band, the previous counts file of the mode and band
// set with its backup, the book CSV, corrections of previous counts, the posting into the ORB book
// workbook and "申請完".

#include <QString>

#include "awards/PrevCountsFile.h"
#include "awards/TextTable.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/menu.h"
#include "platform/ui/textbox.h"

class ORBBOOK : public VbForm {
 public:
  ORBBOOK();
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void Form_KeyDown(int& keyCode, int shift) override;

  // Current counts, additions and sums from the tally and the previous counts shown.
  void RecalcBookTotals();
  const TextTable& Book() const { return book_; }
  QString CountsBaseInForce() const { return baseInForce_; }

  Menu fMenu{this, "ﾌｧｲﾙ(&F)"};
  Menu MakeBMP{&fMenu, "ｽﾅｯﾌﾟｼｮｯﾄ(&P)"};
  Menu CLSCNT{&fMenu, "閉じる(&X)"};
  Menu KICHOU_EXCEL{this, "この集計表を転記"};
  Menu B4UPDT{this, "申請完"};
  Menu CNTHELP{this, "Help"};

  FlexGrid MSFlexGrid1{this};
  Frame Frame1{this, "前回値"};
  TextBox Text1{&Frame1};
  PictureBox Picture1{this};

  // The cell being corrected: kind letter ("C", "G", "K") and band key ("1R9" ...).
  QString BookKindLetter;
  QString BookBandKey;
  // The open's result of the last posting (above 32: the workbook was opened).
  int PostingShellResult = 0;

 private:
  void LayoutGrid();
  void LoadPreviousCounts();
  void ShowBook();
  void WriteCsv();
  // Writes the previous counts shown as the counts file; false after telling the operator why not.
  bool SavePrevCountsOnClose();
  void BookGridHint();
  void BeginPrevValueEdit();
  void HidePrevValueEdit();
  void StorePrevValue(int& keyAscii);
  void PostBookToWorkbook();
  void B4UPDT_Click();
  void CLSCNT_Click();

  TextTable book_;
  QString standardBase_;
  QString extendedBase_;
  QString baseInForce_;
  // The counts file of the band set in force could not be read whole: it is kept as it is.
  QString unreadableCountsFile_;
  // Why the mode's counts file cannot be named (told once, at the opening); "" when it can.
  QString modeProblem_;
  int editRow_ = -1;
  int editCol_ = -1;
};
