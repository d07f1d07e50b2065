#pragma once
// The licence viewer " 無線局免許情報": the licences found for a call, one at a time, with a scroll bar
// over the call's records, the emission rows of the shown licence's detail page, and links to the
// service's pages and the league's member search. Its transfer control carries every request of the
// search and reports a failed one. Geometry is kept in [MSRpos].

#include <QString>
#include <cstdint>

#include "platform/http.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/menu.h"
#include "platform/ui/scrollbar.h"
#include "platform/ui/textbox.h"

class ViewMenkyo : public VbForm {
 public:
  ViewMenkyo();
  void Form_Load() override;
  void Form_Resize() override;
  void Form_Unload(int& cancel) override;

  // The search's success ending: the first record of the call in the fields, the window shown and
  // the emission rows of that record appended.
  void ShowLicenceAnswer(const QString& call);
  // Appends the emission rows of the shown record's detail page to Text7 ("Link Error" when there
  // is no page).
  void ShowEmissionDetails();
  // The record number (in the answer) of the record shown.
  int32_t ShownRecord() const;
  // Kept for callers that expect it; does nothing.
  int32_t Dummy() { return 0; }

  InternetTransfer Inet1;

  Menu cls{this, "閉じる(&X)"};
  Menu ViewXML{this, "表示(XML)(&V)"};
  Menu MenSrch{this, "総務省検索サイト(&S)"};
  Menu JarlMemb{this, "JARL会員(&J)"};

  Frame Frame1{this, "免許情報"};
  Label Caption1{&Frame1, "識別信号"};
  TextBox Text1{&Frame1};
  Label Caption8{&Frame1, "都道府県"};
  TextBox Text8{&Frame1};
  Label Caption2{&Frame1, "名称"};
  TextBox Text2{&Frame1};
  Label Caption3{&Frame1, "免許の年月日"};
  TextBox Text3{&Frame1};
  Label Caption4{&Frame1, "免許の有効期間"};
  TextBox Text4{&Frame1};
  Label Caption5{&Frame1, "移動範囲"};
  TextBox Text5{&Frame1};
  Label Caption6{&Frame1, "無線設備の設置場所／常置場所"};
  TextBox Text6{&Frame1};
  Label Caption7{&Frame1, "電波の型式、周波数及び空中線電力"};
  MultiLineTextBox Text7{&Frame1};

  Label Label2{this, "局数"};
  Label Label3{this, "1/1"};
  ScrollBar HScroll1{this};
  Label Label4{this, "２文字コールの場合も３文字検索される為総数が一致しない事あり→"};
  // Hidden trigger: a new caption runs the emission details.
  Label Label5{this, "Label5"};
  void SetLabel5(const QString& caption);

 private:
  // Label3 and the eight fields for the scroll bar's value.
  void FillRecord(int32_t scrollValue);
  void Inet1_StateChanged(int state);
  void Text7_DblClick();

  int32_t lastWidth_ = 0;
  int32_t lastHeight_ = 0;
};
