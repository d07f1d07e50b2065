#pragma once
// "MODE設定": the mode names of HAMLOG that fall into each class of the member check (phone, CW,
// SSTV, RTTY and other digital modes, fax), and whether the check takes confirmed QSOs only.

#include "awards/AwardSheets.h"
#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/textbox.h"

class ACCset : public VbForm {
 public:
  ACCset();
  void Form_Load() override;
  void Form_Unload(int& cancel) override;

  CheckBox Check1{this, "QSLは\"cfm\"を抽出条件とする"};
  Label Label1{this, "各モードに対応するLOG上のモード記号を設定します。カンマで区切る"};
  Label PhoneLabel{this, "Phone"};
  TextBox Text1{this};
  Label CwLabel{this, "CW"};
  TextBox Text2{this};
  Label SstvLabel{this, "SSTV"};
  TextBox Text3{this};
  Label RttyLabel{this, "RTTYetc"};
  TextBox Text4{this};
  Label FaxLabel{this, "FAX"};
  TextBox Text5{this};
  Label Label3{this, "参考：HAMLOGに登録されているMode名"};
  Label Label2{this};
  CommandButton CLSE{this, "設定(閉じる)　(&X)"};
};
