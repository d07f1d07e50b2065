#include "forms/awards/MichinoekiSheet.h"

#include <algorithm>

#include "core/HamlogAccess.h"
#include "core/QsoFields.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/AwardWindows.h"
#include "forms/startup/ORBTOP.h"
#include "platform/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/doevents.h"
#include "platform/ui/keys.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/ui/snapshot.h"
#include "platform/vbnumber.h"

namespace {

constexpr int kDefaultWidth = 12000;
constexpr int kDefaultHeight = 7905;
constexpr int kShownRow = 225;
constexpr int kColumns = 23;
constexpr int kFixedColumns = 7;

const char* const kPrefectureNames[48] = {
    "",       "北海道", "青森県", "岩手県",   "秋田県", "山形県", "宮城県", "福島県", "新潟県", "長野県",
    "東京都", "神奈川県", "千葉県", "埼玉県", "茨城県", "栃木県", "群馬県", "山梨県", "静岡県", "岐阜県",
    "愛知県", "三重県", "京都府", "滋賀県",   "奈良県", "大阪府", "和歌山県", "兵庫県", "富山県", "福井県",
    "石川県", "岡山県", "島根県", "山口県",   "鳥取県", "広島県", "香川県", "徳島県", "愛媛県", "高知県",
    "福岡県", "佐賀県", "長崎県", "熊本県",   "大分県", "宮崎県", "鹿児島県", "沖縄県"};


}  // namespace

MichinoekiSheet::MichinoekiSheet() {
  setWindowTitle(QStringLiteral("道の駅 整理簿"));
  Move(0, 0, kDefaultWidth, kDefaultHeight);
  LayOutQsoPanel(Frame6, Label10, Label9, Label8, Label11, Label7);
  Label7.setToolTip(QStringLiteral("ｸﾘｯｸするとｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰします。"));
  Label7.Click = [this] { SetClipboardText(Label7.text().trimmed()); };
  Frame1.Move(6240, 60, 3400, 900);
  Label3.Move(120, 300, 1400, 300);
  Label4.Move(1600, 300, 1700, 300);
  MSFlexGrid2.Move(120, 1080, kDefaultWidth - 400, kDefaultHeight - 1960);
  Frame3.Move(0, 0, 4200, 900);
  Label12.Move(240, 360, 3800, 300);
  Frame3.hide();
  Frame1.hide();
  Frame6.hide();
  DOUT.SetVisible(false);
  outFormat[0].SetCaption(QStringLiteral("テキスト形式"));
  outFormat[1].SetCaption(QStringLiteral("CSV形式"));
  MSFlexGrid2.MouseUp = [this](int button, int, float, float) { MSFlexGrid2_MouseUp(button); };
  MSFlexGrid2.MouseWheel = [this](int delta, int shift) {
    ScrollGridOneStep(MSFlexGrid2, delta, (shift & vbShiftMask) != 0, true);
  };
  wireMenus();
}

MichinoekiSheet::~MichinoekiSheet() = default;

void MichinoekiSheet::wireMenus() {
  RTNMN.Click = [this] {
    SavePlace();
    Unload();
  };
  mkCSV.Click = [this] { mkCSV_Click(); };
  outFormat.Bind(&Menu::Click, [this](int index) { SelectFormat(index); });
  selALL.Click = [this] { SelectArea(QStringLiteral("全国"), QString()); };
  selJA8.Click = [this] { SelectArea(QStringLiteral("北海道"), QStringLiteral("01")); };
  struct Region {
    Menu* all;
    ControlArray<Menu>* prefectures;
    const char* name;
    const char* codes;
  };
  const Region regions[] = {
      {&selJA7all, &selJA7kenbetsu, "東北", "02,03,04,05,06,07"},
      {&selJA1all, &selJA1kenbetsu, "関東", "10,11,12,13,14,15,16,17"},
      {&selJA0all, &selJA0kenbetsu, "信越", "08,09"},
      {&selJA2all, &selJA2kenbetsu, "東海", "18,19,20,21"},
      {&selJA3all, &selJA3kenbetsu, "近畿", "22,21,23,24,25,26,27"},
      {&selJA9all, &selJA9kenbetsu, "北陸", "28,29,30"},
      {&selJA4all, &selJA4kenbetsu, "中国", "31,32,33,34,35"},
      {&selJA5all, &selJA5kenbetsu, "四国", "36,37,38,39"},
      {&selJA6all, &selJA6kenbetsu, "九州", "40,41,42,43,44,45,46,47"},
  };
  for (const Region& r : regions) {
    const QString name = QString::fromUtf8(r.name), codes = QString::fromUtf8(r.codes);
    r.all->Click = [this, name, codes] { SelectArea(name, codes); };
    ControlArray<Menu>& items = *r.prefectures;
    for (int i = items.LBound(); i <= items.UBound(); ++i)
      items[i].SetCaption(QString::number(i).rightJustified(2, u'0') + u' ' + QString::fromUtf8(kPrefectureNames[i]));
    items.Bind(&Menu::Click, [this, &items](int index) {
      SelectArea(items[index].Caption().mid(3, 3), QString::number(index).rightJustified(2, u'0'));
    });
  }
  const std::pair<Menu*, const char*> singles[] = {
      {&a19, "1R9"}, {&a35, "3R5"}, {&a7, "7"},       {&a10, "10"},     {&a14, "14"},     {&a18, "18"},
      {&a21, "21"},  {&a24, "24"},  {&a28, "28"},     {&a50, "50"},     {&a144, "144"},   {&a430, "430"},
      {&a1200, "1200"}, {&a2400, "2400"}, {&a5600, "5600"}, {&aSat, "SAT"}};
  for (const auto& [menu, key] : singles) {
    const QString k = QString::fromUtf8(key);
    menu->Click = [this, k] { WriteBandList(k); };
  }
  aALLBAND.Click = [this] {
    WriteBandList(Settings.ExtendedBandSet == 1 ? QStringLiteral("ALL(0R135to77G)") : QStringLiteral("ALL(1R9to5600)"));
  };
  aALLSAT.Click = [this] {
    WriteBandList(Settings.ExtendedBandSet == 1 ? QStringLiteral("ALL(0R135to77G_and_SAT)")
                                                : QStringLiteral("ALL(1R9to5600_and_SAT)"));
  };
}

void MichinoekiSheet::Form_Load() {
  KeyPreview = true;
  Label3.show();
  Label4.show();
  Scan = RoadsideScan{};
  AreaName = QStringLiteral("全国");
  for (Menu* m : {&a135k, &a10G, &a24G, &a47G, &a77G}) m->SetVisible(false);
  PlaceAndSizeStoredWindow(*this, QStringLiteral("MEPOS"), kDefaultWidth, kDefaultHeight, &savedWidth_,
                           &savedHeight_);
  CenterBusyFrame();
  OutputFormat = ReadIniOr("ORB", "FO-MichinoEki", "T") == u"C" ? QStringLiteral("C") : QStringLiteral("T");
  outFormat[0].SetChecked(OutputFormat == u"T");
  outFormat[1].SetChecked(OutputFormat == u"C");

  int32_t count = 0;
  LoadMichinoekiList(Roadside.MichinoekiPath, count);
  if (count < 1) {
    MsgBox(QStringLiteral("道の駅データなし"), vbOKOnly);
    return;
  }
  loaded_ = true;
  SetupMichiGrid();
  Frame3.show();
  Frame3.raise();
  DoEvents();
  Scan = ScanHamlogForStations(Stations);
  Frame3.hide();
  ShowScanMarks();
  if (Scan.UnlistedCount > 0)
    MsgBox(QStringLiteral("備考の「□」が道の駅リストにない番号を指す交信が %1 件あります（読み飛ばしました）")
               .arg(Scan.UnlistedCount));
}

void MichinoekiSheet::LoadMichinoekiList(const QString& path, int32_t& count) {
  const StationListRead list = ReadStationList(path, false);
  if (!list.error.isEmpty()) MsgBox(QStringLiteral("Serr Michinoeki.txt不備\r\n") + list.error);
  if (const QString notice = StationListNotice(list); !notice.isEmpty()) MsgBox(notice);
  Stations = list.stations;
  Roadside.RoadsideStations = list.stations;
  Roadside.RoadsideStationCount = static_cast<int32_t>(Stations.size());
  count = Roadside.RoadsideStationCount;
  FlexGrid& g = MSFlexGrid2;
  g.SetRedraw(false);
  g.SetCols(kColumns);
  g.SetRows(static_cast<int>(Stations.size()) + 1);
  for (int i = 1; i <= static_cast<int>(Stations.size()); ++i) {
    const RoadsideStation& s = Stations[size_t(i - 1)];
    g.SetTextMatrix(i, 0, QStringLiteral(" "));
    g.SetTextMatrix(i, 1, s.number);
    g.SetTextMatrix(i, 2, s.name);
    g.SetTextMatrix(i, 3, s.code);
    g.SetTextMatrix(i, 4, s.qth);
  }
  g.SetRedraw(true);
}

void MichinoekiSheet::SetupMichiGrid() {
  Frame1.show();
  Frame6.show();
  DOUT.SetVisible(true);
  FlexGrid& g = MSFlexGrid2;
  g.SetRedraw(false);
  g.SetCols(kColumns);
  g.SetFixedCols(kFixedColumns);
  const char* headings[kColumns] = {"件数",   " 道の駅No", " 道の駅名", " Code",  " Q T H",  "",       "",      "1.9MHz",
                                    "3.5MHz", "7MHz",      "10MHz",     "14MHz",  "18MHz",   "21MHz",  "24MHz", "28MHz",
                                    "50MHz",  "144MHz",    "430MHz",    "1.2GHz", "2.4GHz",  "5.6GHz", "ｻﾃﾗｲﾄ"};
  const int widths[kFixedColumns] = {0, 1215, 2805, 720, 2625, 0, 0};
  for (int c = 0; c < kColumns; ++c) {
    g.SetTextMatrix(0, c, QString::fromUtf8(headings[c]));
    g.SetColWidth(c, c < kFixedColumns ? widths[c] : c == 18 ? 730 : 680);
    g.SetColAlignment(c, c == 0 || c >= kFixedColumns ? flexAlignCenterCenter : flexAlignLeftCenter);
  }
  g.SetRedraw(true);
}

void MichinoekiSheet::ShowScanMarks() {
  FlexGrid& g = MSFlexGrid2;
  g.SetRedraw(false);
  for (int i = 0; i < Scan.stations; ++i)
    for (int c = kRoadsideFirstBandColumn; c <= kRoadsideLastBandColumn; ++c)
      if (const char m = Scan.Mark(i, c)) g.SetTextMatrix(i + 1, c, QString(QChar(m)));
  g.SetRedraw(true);
  if (Scan.opened) Label4.setText(QString::number(Scan.ScanCfmCount) + "/" + QString::number(Scan.ScanWkdCount));
}

void MichinoekiSheet::CenterBusyFrame() {
  Frame3.Move(std::max(0, (Width() - Frame3.Width()) / 2), std::max(0, (Height() - Frame3.Height()) / 2));
}

void MichinoekiSheet::SelectArea(const QString& name, const QString& codes) {
  AreaName = name;
  FlexGrid& g = MSFlexGrid2;
  g.SetRedraw(false);
  int first = 1;
  for (int r = 1; r <= static_cast<int>(Stations.size()) && r < g.Rows(); ++r) {
    const bool shown = codes.isEmpty() || codes.contains(g.TextMatrix(r, 1).left(2));
    g.SetRowHeight(r, shown ? kShownRow : 0);
    if (shown && first == 1 && !codes.isEmpty()) first = r;
  }
  g.SetRedraw(true);
  if (g.Rows() > 1) {
    g.SetCol(kRoadsideFirstBandColumn);
    g.SetRow(first);
    g.SetTopRow(first);
  }
}

void MichinoekiSheet::SelectFormat(int index) {
  OutputFormat = index == 1 ? QStringLiteral("C") : QStringLiteral("T");
  outFormat[0].SetChecked(index != 1);
  outFormat[1].SetChecked(index == 1);
  WriteIni("ORB", "FO-MichinoEki", OutputFormat);
}

void MichinoekiSheet::WriteBandList(const QString& key) {
  BandKey = key;
  if (BandKey.isEmpty()) return;
  const BandKeyColumns columns = RoadsideBandKeyColumns(BandKey);
  BandListRequest request;
  request.path = JoinPath(Settings.DataFolder, QStringLiteral("道の駅_") + AreaName + "_" + BandKey + ".TXT");
  request.format = OutputFormat;
  request.firstColumn = columns.first;
  request.lastColumn = columns.last;
  for (int r = 1; r <= static_cast<int>(Stations.size()) && r < MSFlexGrid2.Rows(); ++r)
    if (MSFlexGrid2.RowHeight(r) != 0) request.shownStations.push_back(r - 1);
  Frame3.show();
  DoEvents();
  const bool written = WriteBandStationList(request, Stations, Scan);
  Frame3.hide();
  if (written) Hamlog.LastResult = ShellOpen(request.path);
}

void MichinoekiSheet::mkCSV_Click() {
  QStringList headings;
  for (int c : {1, 2, 3, 4}) headings << MSFlexGrid2.TextMatrix(0, c);
  for (int c = kRoadsideFirstBandColumn; c <= kRoadsideSatColumn; ++c) headings << MSFlexGrid2.TextMatrix(0, c);
  const QString path = JoinPath(Settings.DataFolder, QString::fromUtf8(kRoadsideTableFile));
  QString error;
  const bool written = WriteRoadsideTable(path, headings, Stations, Scan, error);
  Frame3.hide();
  if (!written) {
    MsgBox(path + QStringLiteral(" を書き込めませんでした。") + error);
    return;
  }
  Hamlog.LastResult = ShellOpen(path);
}

void MichinoekiSheet::Recount(int firstColumn, int lastColumn) {
  ViewCfmCount = 0;
  ViewWkdCount = 0;
  FlexGrid& g = MSFlexGrid2;
  for (int r = 1; r < g.Rows(); ++r) {
    if (g.RowHeight(r) == 0) continue;
    for (int c = firstColumn; c <= lastColumn; ++c) {
      const QString m = g.TextMatrix(r, c);
      if (m == u"C") ++ViewCfmCount;
      if (m == u"C" || m == u"W") ++ViewWkdCount;
    }
  }
  Label4.setText(QString::number(ViewCfmCount) + "/" + QString::number(ViewWkdCount));
}

void MichinoekiSheet::MSFlexGrid2_MouseUp(int button) {
  if (button != vbLeftButton || !loaded_) return;
  FlexGrid& g = MSFlexGrid2;
  const int row = g.MouseRow(), col = g.MouseCol();
  if (row < 0 || col < 0) return;
  if (col > 6 && row > 0) {
    g.SetTopRow(row);
    const int32_t rec = Scan.Record(row - 1, col);
    Qso.QsoRecNo = rec;
    if (rec < 1) {
      for (Label* l : {&Label10, &Label9, &Label8, &Label7, &Label11}) l->setText(QString());
    } else {
      Hamlog.LastResult = HamlogOpenDb();
      if (Hamlog.LastResult != 0) {
        MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータがOpen出来ません。")));
      } else if (ReadQsoFull(rec) == 0) {
        Label10.setText(Qso.QsoCall);
        Label9.setText(Qso.QsoDate);
        Label8.setText(Qso.QsoMode);
        Label7.setText(Qso.QsoQth);
        Label11.setText(Qso.QsoBand.trimmed() + QStringLiteral("MHz"));
      }
      HamlogCloseDb(0);
    }
    Recount(kRoadsideFirstBandColumn, kRoadsideSatColumn);
    bool anyHidden = false;
    for (int r = 1; r < g.Rows() && !anyHidden; ++r) anyHidden = g.RowHeight(r) == 0;
    Label3.setText(anyHidden ? QStringLiteral("抽出分総合計") : QStringLiteral("総合計"));
  } else if (col > 6 && row == 0) {
    Recount(col, col);
    Label3.setText(g.TextMatrix(0, col) + QStringLiteral("合計"));
  } else if (row == 0 && col <= 5) {
    Label4.setText(QString::number(Scan.ScanCfmCount) + "/" + QString::number(Scan.ScanWkdCount));
    Label3.setText(QStringLiteral("総合計"));
  }
}

void MichinoekiSheet::Form_KeyDown(int& keyCode, int /*shift*/) {
  if (keyCode == vbKeyShift) ShiftHeld = 1;
}

void MichinoekiSheet::Form_KeyUp(int& keyCode, int /*shift*/) {
  if (keyCode == vbKeyShift) ShiftHeld = 0;
}

void MichinoekiSheet::Form_Resize() {
  const int w = Width() - 400, h = Height() - 1960;
  if (w > 0 && h > 0) {
    MSFlexGrid2.SetWidth(w);
    MSFlexGrid2.SetHeight(h);
  }
  CenterBusyFrame();
}

void MichinoekiSheet::SavePlace() {
  WriteIni("ORBEXPOS", "MEPOSTop", QString::number(Top()));
  WriteIni("ORBEXPOS", "MEPOSLeft", QString::number(Left()));
  savedWidth_ = QString::number(Width());
  savedHeight_ = QString::number(Height());
  WriteIni("ORBEXPOS", "MEPOSWidth", savedWidth_);
  WriteIni("ORBEXPOS", "MEPOSHeight", savedHeight_);
}

void MichinoekiSheet::Form_Unload(int& /*cancel*/) {
  HamlogCloseDb(0);
  Scan = RoadsideScan{};
  SavePlace();
  SetMousePointer(vbDefault);
  // At the program's end the start window may be gone already: it is not made again then.
  if (ORBTOP* top = LoadedForm<ORBTOP>()) {
    top->Show();
    top->EndReading();
  }
}

void OpenMichinoekiSheet() {
  ORBTOP& top = Form<ORBTOP>();
  top.BeginReading();
  const QString path = MichinoekiTxtPath();
  const auto fail = [&top](const QString& why) {
    MsgBox(why + QStringLiteral("\r\n道の駅 整理簿を開きません（Merr）。"));
    top.EndReading();
  };
  if (!IsFile(path)) {
    MsgBox(HamlogFolder() + QStringLiteral("/ に　道の駅データ　がみつかりません") + "\r\n\r\n" +
           QStringLiteral("「道の駅.mcsv」 の場所を指定して下さい"));
    CommonDialog d(&top);
    d.DialogTitle = QStringLiteral("道の駅.mcsvを指定します");
    d.Filter = QStringLiteral("道の駅.mcsv(道の駅.mcsv)|道の駅.mcsv|");
    d.Flags = cdlOFNFileMustExist | cdlOFNHideReadOnly;
    d.InitDir = HamlogFolder();
    if (!d.ShowOpen()) {
      fail(QStringLiteral("道の駅.mcsv が指定されませんでした。"));
      return;
    }
    const StationImport import = ImportMichinoekiCsv(d.FileName);
    const QString notice = StationImportNotice(import);
    if (!notice.isEmpty()) MsgBox(notice);
    // A failed import is told once, with its file and cause; the sheet does not open without a list.
    if (!import.ok || !IsFile(path)) {
      fail(QStringLiteral("エラーです　") +
           (import.ok ? QStringLiteral("??? ") + path + QStringLiteral(" が作られませんでした。")
                      : import.error));
      return;
    }
  }
  Roadside.MichinoekiPath = path;
  MichinoekiSheet& sheet = Form<MichinoekiSheet>();
  if (sheet.Stations.empty()) {
    // Nothing to show: the sheet goes at once and the start window is usable again.
    UnloadForm<MichinoekiSheet>();
    return;
  }
  sheet.Show();
  top.Hide();
  top.SetMousePointer(vbDefault);
}
