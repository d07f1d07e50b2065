#include "forms/sheet/CFG.h"

#include "core/BandLayout.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/ui/doevents.h"
#include "rig/RigLink.h"

CfgState Cfg;

namespace {

const char* const kKindKeys[6] = {"CITY", "KU", "GUN", "TOWN", "VILL", "DX"};
constexpr int kAllBandsBox = 22;
constexpr int kSatelliteBox = 21;

QString* kindText(int index) {
  DisplayItemsState& d = DisplayItems;
  QString* texts[6] = {&d.City, &d.Ku, &d.Gun, &d.Town, &d.Vill, &d.Dx};
  return texts[index];
}

int32_t* kindNumber(int index) {
  DisplayItemsState& d = DisplayItems;
  int32_t* numbers[6] = {&d.CityOn, &d.KuOn, &d.GunOn, &d.TownOn, &d.VillOn, &d.DxOn};
  return numbers[index];
}

int boxValue(const QString& stored) { return stored.trimmed().toInt() != 0 ? 1 : 0; }

}  // namespace

CFG::CFG() {
  setWindowTitle(QStringLiteral("ORBEX表示設定"));
  // Wide enough for every caption in the desktop font: "5600MHz", "ALL Band ( 除 SAT)", "市区町村 (DX)".
  Move(2400, 1800, 4800, 4500);
  Frame1.Move(120, 60, 4440, 3660);
  Frame2.Move(120, 240, 2800, 3360);
  for (int i = 0; i <= kAllBandsBox; ++i) {
    Check1[i].setText(i < kAllBandsBox ? QString::fromUtf8(Bands[i].caption) : QStringLiteral("ALL Band"));
    if (i <= 10)
      Check1[i].Move(120, 360 + 240 * i, 1080, 240);
    else if (i <= 14)
      Check1[i].Move(1200, 360 + 240 * (i - 11), 1200, 240);
    else if (i <= kSatelliteBox)
      Check1[i].Move(1200, 1320 + 240 * (i - 15), 1200, 240);
    else
      Check1[i].Move(840, 3000, 1900, 240);
  }
  Frame3.Move(2980, 240, 1380, 1800);
  const char* kinds[6] = {"市", "区", "郡", "町", "村", "ＤＸ"};
  for (int i = 0; i < 6; ++i) {
    Check2[i].setText(QString::fromUtf8(kinds[i]));
    Check2[i].Move(120, 240 + 240 * i, 1200, 240);
  }
  Check3.Move(120, 3360, 2700, 240);
  Check1.Bind(&CheckBox::Click, [this](int index) { Check1_Click(index); });
  Check2.Bind(&CheckBox::Click, [this](int index) { Check2_Click(index); });
  Check3.Click = [this] { Check3_Click(); };
  CFGOK.Click = [this] { CFGOK_Click(); };
}

void CFG::Form_Load() {
  settingBoxes_ = true;
  loadBoxes();
  settingBoxes_ = false;
}

void CFG::loadBoxes() {
  if (bandChoice()) {
    Frame1.setTitle(QStringLiteral("周波数帯指定"));
    Check1[kAllBandsBox].setText(QStringLiteral("ALL Band ( 除 SAT)"));
    Check1[kAllBandsBox].show();
    for (int i = 0; i < kAllBandsBox; ++i) Check1[i].SetValue(0);
    Check1[kAllBandsBox].SetValue(1);
    Cfg.CfgBandChoice = kAllBandsBox;
    return;
  }
  Check1[kAllBandsBox].hide();
  Check1[kAllBandsBox].setText(QStringLiteral("ALL Band"));
  Frame1.setTitle(QStringLiteral("表示項目設定"));
  for (int i = 0; i < 6; ++i) Check2[i].SetValue(*kindNumber(i) != 0 ? 1 : 0);
  for (int i = 0; i <= 14; ++i) Check1[i].SetValue(boxValue(ShownBands[i]));
  Check1[kSatelliteBox].SetValue(boxValue(ShownBands[kSatelliteBox]));
  const bool extended = Settings.ExtendedBandSet == 1;
  for (int i = 15; i <= 20; ++i) {
    Check1[i].setVisible(extended);
    // The hidden bands' boxes show unticked; their stored values stay as they are.
    Check1[i].SetValue(extended ? boxValue(ShownBands[i]) : 0);
  }
  Check1[kSatelliteBox].SetTop(extended ? 2760 : 1320);
  Check3.SetValue(boxValue(DisplayItems.DelQTH));
  Cfg.DisplayChanged = 0;  // opening the dialog is no change
  if (Settings.JaOnly == "1") Check2[5].setEnabled(false);
}

void CFG::Check1_Click(int index) {
  if (settingBoxes_) return;
  if (bandChoice()) {
    settingBoxes_ = true;
    for (int i = 0; i <= kAllBandsBox; ++i) Check1[i].SetValue(i == index ? 1 : 0);
    settingBoxes_ = false;
    Cfg.CfgBandChoice = index;
    return;
  }
  Cfg.DisplayChanged = 1;
  if (index == kAllBandsBox) return;
  ShownBands[index] = Check1[index].Value() == 1 ? "1" : "0";
  WriteIni("DISPBAND_ITEM", Bands[index].key, ShownBands[index]);
}

void CFG::Check2_Click(int index) {
  const bool on = Check2[index].Value() == 1;
  Cfg.DisplayChanged = 1;
  *kindText(index) = on ? "1" : "0";
  *kindNumber(index) = on ? 1 : 0;
  WriteIni("DISPCG_ITEM", kKindKeys[index], *kindText(index));
}

void CFG::Check3_Click() {
  Cfg.DisplayChanged = 1;
  DisplayItems.DelQTH = Check3.Value() == 1 ? "1" : "0";
  WriteIni("DISPCG_ITEM", "DelQTH", DisplayItems.DelQTH);
}

void CFG::CFGOK_Click() {
  if (bandChoice()) {
    Cfg.CfgMode = 2;
    Hide();
    return;
  }
  Cfg.CfgMode = 0;
  {
    const RigPollPause pause;
    Hide();
    DoEvents();
    redisplayIfChanged();
  }
  Unload();
}

void CFG::Form_Unload(int& /*cancel*/) {
  Cfg.CfgMode = 0;
  Hide();
  DoEvents();
  redisplayIfChanged();
}

void CFG::redisplayIfChanged() {
  if (Cfg.DisplayChanged != 1 || StartFlags.CfgFromSettings != 0) return;
  CWSHEET* sheet = LoadedForm<CWSHEET>();
  if (!sheet) return;
  sheet->SetMousePointer(vbHourglass);
  sheet->READAGN();
  Cfg.DisplayChanged = 0;
  sheet->SetMousePointer(vbDefault);
}
