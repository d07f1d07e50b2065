// The progress sheet's AREA menu: one fill of the grid narrowed to a call area or a prefecture, and
// "ALL" to show every code again. The town-list scope buttons follow the view.

#include <array>

#include "forms/sheet/CWSHEET.h"
#include "platform/vbstrings.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetTally.h"

namespace {

struct Prefecture {
  int number;
  const char* name;
};

struct CallArea {
  int digit;
  std::vector<Prefecture> prefectures;
};

// In menu order: areas 1 .. 9, then 0.
const std::array<CallArea, 10> kAreas{{
    {1,
     {{10, "東京都"},
      {11, "神奈川県"},
      {12, "千葉県"},
      {13, "埼玉県"},
      {14, "茨城県"},
      {15, "栃木県"},
      {16, "群馬県"},
      {17, "山梨県"}}},
    {2, {{18, "静岡県"}, {19, "岐阜県"}, {20, "愛知県"}, {21, "三重県"}}},
    {3, {{22, "京都府"}, {23, "滋賀県"}, {24, "奈良県"}, {25, "大阪府"}, {26, "和歌山県"}, {27, "兵庫県"}}},
    {4, {{31, "岡山県"}, {32, "島根県"}, {33, "山口県"}, {34, "鳥取県"}, {35, "広島県"}}},
    {5, {{36, "香川県"}, {37, "徳島県"}, {38, "愛媛県"}, {39, "高知県"}}},
    {6,
     {{40, "福岡県"},
      {41, "佐賀県"},
      {42, "長崎県"},
      {43, "熊本県"},
      {44, "大分県"},
      {45, "宮崎県"},
      {46, "鹿児島県"},
      {47, "沖縄県"}}},
    {7, {{2, "青森県"}, {3, "岩手県"}, {4, "秋田県"}, {5, "山形県"}, {6, "宮城県"}, {7, "福島県"}}},
    {8, {}},
    {9, {{28, "富山県"}, {29, "福井県"}, {30, "石川県"}}},
    {0, {{8, "新潟県"}, {9, "長野県"}}},
}};

const QString kFullWidthDigits = QStringLiteral("０１２３４５６７８９");

QString twoDigits(int n) { return QString::number(n).rightJustified(2, u'0'); }

}  // namespace

void CWSHEET::wireAreaViews() {
  Menu* wholeArea[10] = {&SALL0, &SALL1, &SALL2, &SALL3, &SALL4, &SALL5, &SALL6, &SALL7, &SALL8, &SALL9};
  ControlArray<Menu>* prefectures[10] = {&JA0Kenbetsu, &JA1Kenbetsu, &JA2Kenbetsu, &JA3Kenbetsu,
                                         &JA4Kenbetsu, &JA5Kenbetsu, &JA6Kenbetsu, &JA7Kenbetsu,
                                         &JA8Kenbetsu, &JA9Kenbetsu};
  for (const CallArea& a : kAreas) {
    wholeArea[a.digit]->Click = [this, d = a.digit] { AreaView_Click(d); };
    ControlArray<Menu>& items = *prefectures[a.digit];
    for (const Prefecture& p : a.prefectures) {
      items.Load(p.number);
      items[p.number].SetCaption(twoDigits(p.number) + " " + QString::fromUtf8(p.name));
    }
    items.Bind(&Menu::Click, [this](int index) { PrefectureView_Click(index); });
  }
  JA8Sep.SetVisible(false);  // Hokkaido has no prefecture entries
  SALL.Click = [this] { SALL_Click(); };
  Option1.Bind(&OptionButton::Click, [this](int index) { Option1_Click(index); });
}

void CWSHEET::AreaView_Click(int area) {
  SheetTallyState& t = SheetTally;
  t.AreaFilter = QString::number(area);
  t.AreaCaption = kFullWidthDigits.mid(area, 1) + QStringLiteral("エリア");
  t.CurrentAreaLabel = area == 8 ? QStringLiteral("北海道(01)") : t.AreaCaption;
  if (area != 0) Option1[1].SetValue(true);
  FillProgressSheet(progress_);
  t.AreaFilter.clear();
  t.AreaCaption.clear();
  t.AreaViewActive = 1;
  SALL.SetVisible(true);
}

void CWSHEET::PrefectureView_Click(int prefecture) {
  SheetTallyState& t = SheetTally;
  const QString caption = [&] {
    for (ControlArray<Menu>* items : {&JA1Kenbetsu, &JA2Kenbetsu, &JA3Kenbetsu, &JA4Kenbetsu, &JA5Kenbetsu,
                                      &JA6Kenbetsu, &JA7Kenbetsu, &JA9Kenbetsu, &JA0Kenbetsu})
      if (items->Exists(prefecture)) return (*items)[prefecture].Caption();
    return QString();
  }();
  t.AreaCaption = caption.mid(3);
  t.PrefectureFilter = twoDigits(prefecture);
  t.CurrentAreaLabel = t.AreaCaption + "(" + t.PrefectureFilter + ")";
  Option1[1].SetValue(true);
  FillProgressSheet(progress_);
  t.AreaCaption.clear();
  t.PrefectureFilter.clear();
  SALL.SetVisible(true);
}

void CWSHEET::SALL_Click() {
  SheetTallyState& t = SheetTally;
  t.AreaFilter.clear();
  t.AreaCaption.clear();
  t.PrefectureFilter.clear();
  Option1[0].SetValue(true);  // before the label: its click names the view "　全　国　"
  t.CurrentAreaLabel = QStringLiteral("　全　県　");
  FillProgressSheet(progress_);
  t.AreaViewActive = 0;
  SALL.SetVisible(false);
}

void CWSHEET::Option1_Click(int index) {
  // All of Japan names the town list so; the other choice keeps the name of the area view.
  if (index == 0) SheetTally.CurrentAreaLabel = QStringLiteral("　全　国　");
  if (index == 0)
    Label10.setText(QStringLiteral("全町村シートを作りますが多少時間がかかります (PC能力に依存)") + vbCrLf +
                    QStringLiteral("これより表示を　町村　だけに変更します。") + vbCrLf +
                    QStringLiteral("必要に応じて後で戻してください"));
  else
    Label10.setText(QStringLiteral("「AREA」で指定したエリア・都道府県についての町村シートを作ります") +
                    vbCrLf + QStringLiteral("この時点でMENUの「AREA」から指定変更して下さい"));
}
