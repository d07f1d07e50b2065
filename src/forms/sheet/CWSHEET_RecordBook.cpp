// The sheet beside the new-city record book and the roadside stations: the search text mirrored into
// the record book's own box, a right click on a row filling the book's row editor, and the roadside
// stations of the searched code with the bands each is marked on.

#include "awards/RecordBook.h"
#include "awards/RoadsideStations.h"
#include "forms/awards/Editor.h"
#include "forms/awards/SeiriboSheet.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/ui/keys.h"
#include "platform/vbstrings.h"

void CWSHEET::wireRecordBookLinks() {
  Command4.setToolTip(QStringLiteral("この街の「道の駅」は？"));
  Command4.Click = [this] { Command4_Click(); };
  Frame7.hide();
  Frame7.Move(5760, 700, 3600, 1800);
  List2.Move(120, 240, 3360, 1440);
  List2.setToolTip(QStringLiteral("ダブルクリックで選択  右クリックで閉じる"));
  List2.DblClick = [this] { List2_DblClick(); };
  List2.MouseUp = [this](int button, int, float, float) { List2_MouseUp(button); };
  Frame7.Click = [this] { Frame7.hide(); };
}

void CWSHEET::linkRecordBook(const QString& text) {
  Frame7.hide();
  if (RecordBook.RecordBookLinked != 1) return;
  if (SeiriboSheet* book = LoadedForm<SeiriboSheet>()) book->Text2.setText(text);
}

bool CWSHEET::fillRecordEditor(int32_t row) {
  if (RecordBook.RecordBookLinked != 1 || row < 1) return false;
  const bool keep = RecordBook.RecordEditorOpen == 1;
  Editor& e = Form<Editor>();
  if (!keep)
    for (int i = 3; i <= 6; ++i) e.Text1[i].setText(QString());
  const auto rightTrimmed = [](QString s) {
    while (!s.isEmpty() && s.back().isSpace()) s.chop(1);
    return s;
  };
  e.Text1[1].setText(rightTrimmed(MSFlexGrid2.TextMatrix(row, 1)));
  e.Text1[2].setText(rightTrimmed(MSFlexGrid2.TextMatrix(row, 2)));
  e.Show();
  return true;
}

void CWSHEET::Command4_Click() {
  if (Roadside.RoadsideStationCount < 1) LoadMichinoekiTxt(MichinoekiTxtPath());
  List2.Clear();
  roadsideItems_.clear();
  for (const StationOfCode& s : StationsInCode(Text2.text())) {
    List2.AddItem(s.text);
    roadsideItems_.push_back(s.index);
  }
  if (!roadsideItems_.empty()) {
    Frame7.Move(5760, 700);
    Frame7.show();
    Frame7.raise();
  }
  Text3.setFocus();
}

void CWSHEET::List2_DblClick() {
  const int item = List2.ListIndex();
  if (item < 0 || item >= static_cast<int>(roadsideItems_.size())) {
    Frame7.hide();
    Label1.setText(Text2.text());
    return;
  }
  const RoadsideStation& station = Roadside.RoadsideStations[size_t(roadsideItems_[size_t(item)])];
  QString key = station.number;
  key.remove(QStringLiteral("□"));
  Label1.setText(key);
  const RoadsideBands bands = RoadsideBandsOf(key);
  if (bands.found) {
    if (bands.cfm.isEmpty() && bands.wkd.isEmpty()) {
      Label2.setText(QStringLiteral("New です！"));
      Label2.Move(Label2.Left(), 360, Label2.Width(), 495);
    } else {
      QString text;
      if (!bands.cfm.isEmpty()) text = QStringLiteral("cfm= ") + bands.cfm;
      if (!bands.cfm.isEmpty() && !bands.wkd.isEmpty()) text += QStringLiteral("\r\n");
      if (!bands.wkd.isEmpty()) text += QStringLiteral("wkd= ") + bands.wkd;
      Label2.setText(text);
      Label2.Move(Label2.Left(), 240, Label2.Width(), 736);
    }
    Frame1.setTitle(QStringLiteral("道の駅 cfm/wkd"));
    Frame1.show();
    Frame1.raise();
    Timer1.SetInterval(5000);
    Timer1.SetEnabled(true);
  } else if (!roadsideTableFound()) {
    // The stations come from michinoeki.txt; their bands only from the table the roadside sheet writes.
    Label2.Move(Label2.Left(), 240, Label2.Width(), 736);
    ShowNotice(QString::fromUtf8(kRoadsideTableFile) + QStringLiteral(" がまだありません。") + vbCrLf +
                   QStringLiteral("「道の駅 整理簿」の「表のCSV形式出力」で作って下さい。"),
               5000);
  }
  Frame7.hide();
  Text3.setFocus();
}

void CWSHEET::List2_MouseUp(int button) {
  if (button != vbRightButton) return;
  Frame7.hide();
  Label1.setText(Text2.text());
}
