#pragma once
// The tips window "ORBEX ﾜﾝﾎﾟｲﾝﾄ ｱﾄﾞﾊﾞｲｽ": short usage tips one at a time, from a text file of one tip a
// line in the program folder. The opener sets StartFlags.TipsMode, TipsOnRequest and TipsPath first;
// opened at start-up (TipsOnRequest 0) the window closes at once when the operator switched the tips
// off ([ORB] TopTips_DISP or Tips_DISP = "NO").

#include <QStringList>
#include <cstdint>

#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"

class OrbexTips : public VbForm {
 public:
  OrbexTips();
  void Form_Load() override;

  // Reads the tips from `path` and shows the first; false when there is no such file.
  bool LoadTips(const QString& path);
  void NextTip();
  void PrevTip();

  PictureBox Picture1{this};
  Label Label1{this, "簡単な使い方説明"};
  Label lblTipText{this};
  Label Label2{this};
  Label Label3{this, "/"};
  Label Label4{this};
  CheckBox chkLoadTipsAtStartup{this, "起動時に このﾜﾝﾎﾟｲﾝﾄを表示する(&S)"};
  CommandButton Command1{this, "前を表示(&B)"};
  CommandButton cmdNextTip{this, "次を表示(&N)"};
  CommandButton cmdOK{this, "閉じる(&X)"};

 private:
  void DisplayCurrentTip();
  void chkLoadTipsAtStartup_Click();

  QStringList tips_;
  int32_t currentTip_ = 0;
};
