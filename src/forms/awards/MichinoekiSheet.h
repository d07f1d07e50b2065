#pragma once
// The roadside-station sheet "道の駅 整理簿": one row per station of michinoeki.txt, one column per band,
// "C" / "W" from the "□" marks in the HAMLOG remarks; the area selection, the band lists of confirmed
// stations, the table CSV and the QSO behind a cell.

#include <QString>
#include <cstdint>

#include "awards/RoadsideStations.h"
#include "platform/ui/control_array.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/label.h"
#include "platform/ui/menu.h"

class MichinoekiSheet : public VbForm {
 public:
  MichinoekiSheet();
  ~MichinoekiSheet() override;
  void Form_Load() override;
  void Form_Unload(int& cancel) override;
  void Form_Resize() override;
  void Form_KeyDown(int& keyCode, int shift) override;
  void Form_KeyUp(int& keyCode, int shift) override;

  QString BandKey;
  QString AreaName = QStringLiteral("全国");
  QString OutputFormat = QStringLiteral("T");
  int32_t ViewCfmCount = 0, ViewWkdCount = 0;
  int32_t ShiftHeld = 0;
  // The stations as the sheet lists them (numbers without "□") and what the log says of them.
  std::vector<RoadsideStation> Stations;
  RoadsideScan Scan;

  Menu fMenu{this, "File(&F)"};
  Menu mkCSV{&fMenu, "表のCSV形式出力"};
  Menu RTNMN{&fMenu, "閉じる(&X)"};
  Menu selArea{this, "Area"};
  Menu selALL{&selArea, "全国"};
  Menu lineall{&selArea, "-"};
  Menu selJA8{&selArea, "北海道"};
  Menu selJA7{&selArea, "東北"};
  Menu selJA7all{&selJA7, "東北全て"};
  ControlArray<Menu> selJA7kenbetsu{&selJA7, 2, 7};
  Menu selJA1{&selArea, "関東"};
  Menu selJA1all{&selJA1, "関東全て"};
  ControlArray<Menu> selJA1kenbetsu{&selJA1, 10, 17};
  Menu selJA0{&selArea, "信越"};
  Menu selJA0all{&selJA0, "信越全て"};
  ControlArray<Menu> selJA0kenbetsu{&selJA0, 8, 9};
  Menu selJA2{&selArea, "東海"};
  Menu selJA2all{&selJA2, "東海全て"};
  ControlArray<Menu> selJA2kenbetsu{&selJA2, 18, 21};
  Menu selJA3{&selArea, "近畿"};
  Menu selJA3all{&selJA3, "近畿全て"};
  ControlArray<Menu> selJA3kenbetsu{&selJA3, 22, 27};
  Menu selJA9{&selArea, "北陸"};
  Menu selJA9all{&selJA9, "北陸全て"};
  ControlArray<Menu> selJA9kenbetsu{&selJA9, 28, 30};
  Menu selJA4{&selArea, "中国"};
  Menu selJA4all{&selJA4, "中国全て"};
  ControlArray<Menu> selJA4kenbetsu{&selJA4, 31, 35};
  Menu selJA5{&selArea, "四国"};
  Menu selJA5all{&selJA5, "四国全て"};
  ControlArray<Menu> selJA5kenbetsu{&selJA5, 36, 39};
  Menu selJA6{&selArea, "九州・沖縄"};
  Menu selJA6all{&selJA6, "九州全て"};
  ControlArray<Menu> selJA6kenbetsu{&selJA6, 40, 47};
  Menu Fileout{this, "出力形式"};
  ControlArray<Menu> outFormat{&Fileout, 0, 1};
  Menu DOUT{this, "データ出力"};
  Menu aSINGLE{&DOUT, "シングルバンド"};
  Menu a19{&aSINGLE, "1.9MHz"};
  Menu a35{&aSINGLE, "3.5MHz"};
  Menu a7{&aSINGLE, "7MHz"};
  Menu a10{&aSINGLE, "10MHz"};
  Menu a14{&aSINGLE, "14MHz"};
  Menu a18{&aSINGLE, "18MHz"};
  Menu a21{&aSINGLE, "21MHz"};
  Menu a24{&aSINGLE, "24MHz"};
  Menu a28{&aSINGLE, "28MHz"};
  Menu a50{&aSINGLE, "50MHz"};
  Menu a144{&aSINGLE, "144MHz"};
  Menu a430{&aSINGLE, "430MHz"};
  Menu a1200{&aSINGLE, "1200MHz"};
  Menu a2400{&aSINGLE, "2400MHz"};
  Menu a5600{&aSINGLE, "5600MHz"};
  Menu a135k{&aSINGLE, "135kHz"};
  Menu a10G{&aSINGLE, "10GHz"};
  Menu a24G{&aSINGLE, "24GHz"};
  Menu a47G{&aSINGLE, "47GHz"};
  Menu a77G{&aSINGLE, "77GHz"};
  Menu aSat{&aSINGLE, "Sat"};
  Menu aALLBAND{&DOUT, "オールバンド( 除 SAT)"};
  Menu aALLSAT{&DOUT, "オールバンド( 含 SAT)"};
  Menu HELPMNU{this, "Ｈｅｌｐ"};

  FlexGrid MSFlexGrid2{this};
  Frame Frame3{this, "BUSY"};
  Label Label12{&Frame3, "データ読み込み中です  ＱＲＸ"};
  Frame Frame1{this, "結果表示 (cfm/wkd)"};
  Label Label3{&Frame1, "総合計"};
  Label Label4{&Frame1, "9999/9999"};
  Frame Frame6{this, "QSO ﾃﾞｰﾀ"};
  Label Label10{&Frame6};
  Label Label9{&Frame6};
  Label Label8{&Frame6};
  Label Label7{&Frame6};
  Label Label11{&Frame6};

  // Shows only the stations whose prefecture number is in `codes` (all for an empty list).
  void SelectArea(const QString& name, const QString& codes);
  void WriteBandList(const QString& key);

 private:
  void wireMenus();
  void SetupMichiGrid();
  // Reads the list (numbers without "□") into the shared table and the grid; count = stations read.
  void LoadMichinoekiList(const QString& path, int32_t& count);
  void ShowScanMarks();
  void CenterBusyFrame();
  void SelectFormat(int index);
  void mkCSV_Click();
  void MSFlexGrid2_MouseUp(int button);
  void Recount(int firstColumn, int lastColumn);
  void SavePlace();

  bool loaded_ = false;  // the list was there: the sheet was built
  QString savedWidth_, savedHeight_;
};

// The start window's "道の駅 整理簿": finds michinoeki.txt beside HAMLOG.HDB (or converts the
// operator's 道の駅.mcsv into it first) and opens the sheet in place of the start window.
void OpenMichinoekiSheet();
