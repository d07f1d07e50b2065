#pragma once
// The memo window "メモ帳": one text box over the whole window and a file menu that opens a memo text
// file, saves it over itself or under a new name, clears it, or closes. In help-memo mode (opened from
// the start window on ORBEX_MyHelp.TXT) only overwrite, save-and-close and close are offered.
//
//   Form<MemoDAT>().Show();                  // plain memo pad
//   MemoDAT::ShowHelpMemo();                 // the operator's own help memo

#include <QString>
#include <cstdint>

#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/menu.h"
#include "platform/ui/textbox.h"

struct MemoStateValues {
  int32_t HelpMemoMode = 0;  // 1 while the window shows the help memo
};
extern MemoStateValues MemoState;

class MemoDAT : public VbForm {
 public:
  MemoDAT();
  // False, with the reason told, while the memo pad is open with the operator's own memo.
  static bool ShowHelpMemo();

  void Form_Load() override;
  void Form_Resize() override;
  void Form_Unload(int& cancel) override;

  QString MemoFileName;

  Menu mFile{this, "ﾌｧｲﾙ(&F)"};
  Menu MEMOPEN{&mFile, "ﾒﾓﾃﾞｰﾀを開く(&O)"};
  Menu L1{&mFile, "-"};
  Menu RCVMEMOue{&mFile, "上書き保存(&V)"};
  Menu RCVMEMO{&mFile, "名前をつけて保存(&S)"};
  Menu L2{&mFile, "-"};
  Menu MEMCLR{&mFile, "ﾒﾓの白紙化(&C)"};
  Menu L3{&mFile, "-"};
  Menu Send{&mFile, "保存して終了(&E)"};
  Menu RDEND{&mFile, "終了(&X)"};
  Menu Fname{this, ""};
  MultiLineTextBox Text1{this};
  CommonDialog CommonDialog1{this};

 private:
  void MEMOPEN_Click();
  // True when the memo was written under the name the operator chose.
  bool RCVMEMO_Click();
  void RCVMEMOue_Click();
  bool writeMemo(const QString& path);
  QString memoFolder(const QString& fallback) const;
};
