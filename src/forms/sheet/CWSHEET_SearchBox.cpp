// The progress sheet's search box Text2 and the typing rules of its three entry boxes (frequency,
// search, call sign).

#include "core/BandLayout.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/sheet/SheetGridRows.h"
#include "sheet/SheetSearch.h"
#include "sheet/SheetTally.h"

namespace {

SearchView currentView() {
  SearchView v;
  v.townsAndVillagesShown = DisplayItems.Town != "0" && DisplayItems.Vill != "0";
  v.abolishedHidden = DisplayItems.DelQTH == "1";
  v.firstDxRow = SheetTally.FirstDxGridRow;
  return v;
}

}  // namespace

void CWSHEET::wireEntryBoxes() {
  Text2.setToolTip(
      QStringLiteral("JCCGｺｰﾄﾞの数字又はQTHの漢字を入力します。先頭１文字目が D "
                     "の時はＤＸのﾌﾟﾘﾌｨｯｸｽを検索(ﾀﾞﾌﾞﾙｸﾘｯｸで次候補検索)"));
  Text2.Change = [this] { Text2_Change(); };
  Command1.Click = [this] { Command1_Click(); };
  Text2.KeyDown = [this](int& keyCode, int) { Text2_KeyDown(keyCode); };
  Text2.DblClick = [this] { applySearch(SearchNextDxCandidate(Text2.text(), SheetGridRows(MSFlexGrid2))); };
  Text1.KeyPress = [this](int& keyAscii) { EntryBox_KeyPress(Text1, keyAscii); };
  Text2.KeyPress = [this](int& keyAscii) { EntryBox_KeyPress(Text2, keyAscii); };
  Text3.KeyPress = [this](int& keyAscii) { EntryBox_KeyPress(Text3, keyAscii); };
  // A mouse release in the search or call box notes its selection; from then on typing overwrites there.
  auto selection = [this](TextBox& box) {
    return
        [this, &box](int, int, float, float) { TypedSelLength = box.SelLength() > 0 ? box.SelLength() : 1; };
  };
  Text2.MouseUp = selection(Text2);
  Text3.MouseUp = selection(Text3);
}

void CWSHEET::Command1_Click() {
  Text2.setText(QString());
  SheetSearch.SearchStartRow = 1;
  MSFlexGrid2.SetRowSel(1);
  MSFlexGrid2.SetTopRow(1);
  Text2.setFocus();
  ResetQsoPanel();
  update();
}

void CWSHEET::EntryBox_KeyPress(TextBox& box, int& keyAscii) {
  const bool frequency = &box == &Text1;
  if (keyAscii == 8) return;  // Backspace: nothing more
  if (keyAscii == 13) {
    if (&box != &Text3) Text3.setFocus();
  } else if (keyAscii >= 'a' && keyAscii <= 'z') {
    keyAscii = frequency ? 0 : keyAscii - 32;
  } else if (frequency && !(keyAscii >= '0' && keyAscii <= '9') && keyAscii != '.') {
    keyAscii = 0;
  }
  if (keyAscii == 0 || InsertMode != 0) return;
  // Overwrite: the typed character replaces the selection, or the character at the caret; the search
  // and call boxes insert until the first mouse release in one of them.
  box.TypeOver(frequency ? 1 : std::min(TypedSelLength, 1));
}

void CWSHEET::Text2_Change() {
  const QString text = Text2.text();
  // Another code, the operator's or another window's, stays when the call changes.
  if (!callBoxWriting_ && text != callBoxCode_) callBoxCode_.clear();
  Label1.setText(text);
  ResetQsoPanel();
  FlexGrid& g = MSFlexGrid2;
  g.SetRedraw(false);
  SheetSearch.SearchStartRow = 1;
  linkRecordBook(text);
  if (text.isEmpty()) {
    StatusBar1.SetPanelText(5, QString());
    g.SetRedraw(true);
    return;
  }
  applySearch(SearchBoxChanged(text, SheetGridRows(g), currentView()));
}

void CWSHEET::Text2_KeyDown(int keyCode) {
  const bool next = keyCode == 34 || keyCode == 40;
  if (!next && keyCode != 33 && keyCode != 38) return;
  if (Text2.text().isEmpty()) return;
  const SearchOutcome out = SearchStep(Text2.text(), next, SheetGridRows(MSFlexGrid2), currentView());
  Text2.SetSelStart(SheetSearch.SearchLength);
  applySearch(out);
}

void CWSHEET::applySearch(const SearchOutcome& out) {
  FlexGrid& g = MSFlexGrid2;
  if (out.topRow > 0) {
    g.SetTopRow(out.topRow);
    g.SetRowSel(out.topRow);
  }
  if (out.setPanel) {
    Label3.setText(out.label3);
    Label4.setText(out.label4);
    Label6.setText(out.label6);
  }
  if (!out.notice.isEmpty()) ShowNotice(out.notice);
  g.SetRedraw(true);
  // The municipal register's note for the searched code.
  if (out.lookUp) Frame8.FindInSeiribo(out.lookUpText);
}
