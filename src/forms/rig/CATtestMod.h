#pragma once
// The CAT test window: one text command tried on the open port, the transceiver's settings and
// memories saved by a per-model command list (MODEL_CMD.TXT), and such a backup written back.

#include <QString>

#include "platform/ui/buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/menu.h"
#include "platform/ui/textbox.h"

class CATtestMod : public VbForm {
 public:
  CATtestMod();
  void Form_Load() override;
  void Form_Activate() override;

  Menu memRead{this, "リグデータの退避"};
  Menu memWrt{this, "リグへの書込"};
  Menu Mend{this, "終了"};
  Label Label5{this, "CATコマンド毎のテスト"};
  Label Label1{this, "CMD"};
  TextBox Text1{this};
  Label Label3{this, "LEN"};
  TextBox Text3{this};
  CommandButton Command1{this, "Go!"};
  Label Label2{this, "ANS"};
  TextBox Text2{this};
  Label Label4{this};
  CommonDialog CommonDialog1{this};

 private:
  void Command1_Click();
  void memRead_Click();
  void memWrt_Click();
  // The sheet's busy notice while the rig is read or written; "" hides it.
  void SheetNotice(const QString& text);
  // A message box over the sheet.
  void Message(const QString& text);
  // The CAT port is open; otherwise the operator is told so.
  bool PortReady();
};
