#include "forms/awards/Editor.h"

#include <algorithm>

#include "awards/RecordBook.h"
#include "forms/awards/SeiriboSheet.h"
#include "platform/codepage.h"
#include "platform/ui/color.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"

namespace {

constexpr int32_t kCodeBack = VbRgb(231, 254, 254);
constexpr int32_t kCodeFore = VbRgb(0, 0, 255);
// By box: the widths the book keeps (RecordBook.h); a box takes no more.
const int kLongest[7] = {0, kBookCodeWidth, kBookQthWidth, kBookDateWidth, kBookMarkWidth, kBookRemarkWidth,
                         kBookStatusWidth};
const char* const kBoxNames[7] = {"", "Code", "QTH", "年月日", "消滅", "備考", "区分"};

}  // namespace

Editor::Editor() {
  setWindowTitle(QStringLiteral("整理簿編集"));
  Move(0, 0, 6600, 3900);
  Label* labels[] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6};
  for (int i = 1; i <= 6; ++i) {
    labels[i - 1]->Move(120, 120 + (i - 1) * 380, 900, 300);
    Text1[i].Move(1080, 120 + (i - 1) * 380, i == 2 || i == 5 ? 5200 : 1600, 300);
    Text1[i].setMaxLength(kLongest[i]);
  }
  Label6.setToolTip(QStringLiteral("クリックでリスト表示"));
  List1.Move(2800, 2000, 800, 1300);
  for (const char* s : {"告", "議", "法", "任", "休", "報"}) List1.AddItem(QString::fromUtf8(s));
  List1.hide();
  Label7.Move(120, 2460, 6300, 240);
  Label8.Move(120, 2720, 6300, 240);
  const int y = 3060;
  Eappend.Move(120, y, 1100, 360);
  EditIns.Move(1300, y, 1100, 360);
  Esave.Move(2480, y, 1100, 360);
  Edelete.Move(3660, y, 1100, 360);
  EditEnd.Move(4840, y, 1600, 360);
  Eappend.Click = [this] { Eappend_Click(); };
  EditIns.Click = [this] { EditIns_Click(); };
  Esave.Click = [this] { Esave_Click(); };
  Edelete.Click = [this] { Edelete_Click(); };
  EditEnd.Click = [this] { Unload(); };
  Label4.Click = [this] { Text1[4].setText(QStringLiteral("消滅")); };
  Label6.Click = [this] { List1.show(); };
  List1.Click = [this] {
    if (List1.ListIndex() < 0) return;
    Text1[6].setText(List1.Text());
    Text1[6].setFocus();
    List1.hide();
  };
  // The date is typed over, as in the other date boxes.
  Text1[3].KeyPress = [this](int& k) {
    if (k != vbKeyBack) Text1[3].SetSelLength(1);
  };
  // Town and village codes end in a capital letter.
  Text1[1].KeyPress = [](int& k) {
    if (k >= 'a' && k <= 'z') k -= 32;
  };
}

Editor::~Editor() = default;

void Editor::Form_Load() {
  RecordBook.RecordEditorOpen = 1;
  ChangeState = 0;
  InsertedAbove = 0;
}

bool Editor::BoxesFit() {
  SeiriboSheet* book = LoadedForm<SeiriboSheet>();
  if (!book || !book->TakesEdits()) return false;
  for (int i = 1; i <= 6; ++i) {
    const QString t = Text1[i].text();
    QString wrong;
    if (std::any_of(t.begin(), t.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
      wrong = QStringLiteral("に改行やタブなどの制御文字は書けません");
    else if (const QString lost = NonAnsiCharacters(t); !lost.isEmpty())
      wrong = QStringLiteral("に Windows-31J (Shift_JIS) にない文字は書けません: ") + lost;
    if (wrong.isEmpty()) continue;
    MsgBox(QString::fromUtf8(kBoxNames[i]) + QStringLiteral(" ") + wrong + QStringLiteral("。"),
           vbOKOnly | vbExclamation, QStringLiteral("整理簿整理"));
    Text1[i].setFocus();
    return false;
  }
  return true;
}

int32_t Editor::PickedRow() {
  SeiriboSheet* book = LoadedForm<SeiriboSheet>();
  const int32_t row = book ? book->EditRow : 0;
  if (book && row >= 1 && row < book->MSFlexGrid2.Rows()) return row;
  MsgBox(QStringLiteral("整理簿の行を右クリックで選んで下さい"), vbOKOnly | vbExclamation, QStringLiteral("整理簿整理"));
  return 0;
}

void Editor::PutBoxesInto(int32_t row) {
  FlexGrid& g = Form<SeiriboSheet>().MSFlexGrid2;
  for (int i = 1; i <= 6; ++i) g.SetTextMatrix(row, i, Text1[i].text());
  // The hidden area column follows the code, so that the area filters find the row.
  g.SetTextMatrix(row, 7, BookAreaDigit(Text1[1].text().trimmed()));
}

void Editor::Eappend_Click() {
  SeiriboSheet* book = LoadedForm<SeiriboSheet>();
  if (!BoxesFit()) return;
  FlexGrid& g = book->MSFlexGrid2;
  g.AddItem(QString());
  const int row = g.Rows() - 1;
  PutBoxesInto(row);
  g.SetTopRow(row);
  ChangeState = 1;
  ++book->SeiriboCount;
}

void Editor::EditIns_Click() {
  const int32_t row = PickedRow();
  if (row == 0 || !BoxesFit()) return;
  SeiriboSheet& book = Form<SeiriboSheet>();
  book.MSFlexGrid2.AddItem(QString(), row + InsertedAbove);
  PutBoxesInto(row + InsertedAbove);
  ++InsertedAbove;
  ChangeState = 1;
  ++book.SeiriboCount;
}

void Editor::Esave_Click() {
  const int32_t row = PickedRow();
  if (row == 0 || !BoxesFit()) return;
  if (MsgBox(QStringLiteral("本当に上書きしますか？"), vbYesNo | vbExclamation, QStringLiteral("整理簿整理")) != vbYes)
    return;
  PutBoxesInto(row + InsertedAbove);
  ChangeState = 0;
  Unload();
}

void Editor::Edelete_Click() {
  if (SeiriboSheet* open = LoadedForm<SeiriboSheet>(); open && !open->TakesEdits()) return;
  const int32_t row = PickedRow();
  if (row == 0) return;
  if (MsgBox(QStringLiteral("本当に削除しますか？"), vbYesNo | vbExclamation, QStringLiteral("整理簿整理")) != vbYes)
    return;
  SeiriboSheet& book = Form<SeiriboSheet>();
  book.MSFlexGrid2.RemoveItem(row + InsertedAbove);
  --book.SeiriboCount;
  book.EditRow = 0;
  ChangeState = 2;
  Unload();
}

void Editor::Form_Unload(int& /*cancel*/) {
  if (SeiriboSheet* book = LoadedForm<SeiriboSheet>(); book && ChangeState != 2) {
    FlexGrid& g = book->MSFlexGrid2;
    const int32_t row = book->EditRow + InsertedAbove;
    if (book->EditRow >= 1 && row < g.Rows()) {
      g.SetCellBackColor(row, 1, kCodeBack);
      g.SetCellForeColor(row, 1, kCodeFore);
    }
    book->EditRow = book->EditRow >= 1 ? row : 0;
  }
  RecordBook.RecordEditorOpen = 0;
}
