#pragma once
// The record book's row editor "整理簿編集": appends, inserts, overwrites and deletes rows of the record
// book's list. It writes no file; the list reaches the book when the record book closes.

#include <cstdint>

#include "platform/ui/buttons.h"
#include "platform/ui/control_array.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/lists.h"
#include "platform/ui/textbox.h"

class Editor : public VbForm {
 public:
  Editor();
  ~Editor() override;
  void Form_Load() override;
  void Form_Unload(int& cancel) override;

  ControlArray<TextBox> Text1{this, 1, 6};
  Label Label1{this, "Code"};
  Label Label2{this, "Q  T  H"};
  Label Label3{this, "年月日"};
  Label Label4{this, "消滅"};
  Label Label5{this, "備　　考"};
  Label Label6{this, "区分"};
  ListBox List1{this};
  Label Label7{this, "整理簿の内容を変更した場合は一旦整理簿を閉じて再表示させて下さい"};
  Label Label8{this, "その時に、Code順で自動的にソートし直します。"};
  CommandButton Eappend{this, "追加 (&A)"};
  CommandButton EditIns{this, "挿入 (&I)"};
  CommandButton Esave{this, "上書き (&S)"};
  CommandButton Edelete{this, "削除 (&D)"};
  CommandButton EditEnd{this, "閉じる(中止) (&X)"};

  // 0 nothing moved, 1 rows added, 2 a row deleted.
  int32_t ChangeState = 0;
  // Rows inserted above the picked row since the editor opened.
  int32_t InsertedAbove = 0;

 private:
  void Eappend_Click();
  void EditIns_Click();
  void Esave_Click();
  void Edelete_Click();
  // The boxes hold only what the book can keep; says what is wrong otherwise.
  bool BoxesFit();
  // The picked row of the record book, or 0 (after a message) when there is none to act on.
  int32_t PickedRow();
  void PutBoxesInto(int32_t row);
};
