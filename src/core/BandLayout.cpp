#include "core/BandLayout.h"

#include <algorithm>

#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "platform/ui/flexgrid_model.h"
#include "platform/vbnumber.h"

BandLayoutState BandLayout;
BandLayoutHooksState BandLayoutHooks;
DisplayItemsState DisplayItems;
std::array<QString, kBandCount> ShownBands = {"1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1",
                                              "1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1"};

const std::array<BandInfo, kBandCount> Bands = {{
    {"DB1R9", "1.9", "1.9MHz", "B1R9D", "1.9MHz"},
    {"DB3R5", "3.5", "3.5MHz", "B3R5D", "3.5MHz"},
    {"DB7", "7", "7MHz", "B7D", "7MHz"},
    {"DB10", "10", "10MHz", "B10D", "10MHz"},
    {"DB14", "14", "14MHz", "B14D", "14MHz"},
    {"DB18", "18", "18MHz", "B18D", "18MHz"},
    {"DB21", "21", "21MHz", "B21D", "21MHz"},
    {"DB24", "24", "24MHz", "B24D", "24MHz"},
    {"DB28", "28", "28MHz", "B28D", "28MHz"},
    {"DB50", "50", "50MHz", "B50D", "50MHz"},
    {"DB144", "144", "144MHz", "B144D", "144MHz"},
    {"DB430", "430", "430MHz", "B430D", "430MHz"},
    {"DB1200", "1200", "1.2GHz", "B1200D", "1200MHz"},
    {"DB2400", "2400", "2.4GHz", "B2400D", "2400MHz"},
    {"DB5600", "5600", "5.6GHz", "B5600D", "5600MHz"},
    {"DB135K", "135K", "135kHz", "B135KD", "135kHz"},
    {"DB475K", "475K", "475kHz", "B475KD", "475kHz"},
    {"DB10G", "10G", "10GHz", "B10GD", "10GHz"},
    {"DB24G", "24G", "24GHz", "B24GD", "24GHz"},
    {"DB47G", "47G", "47GHz", "B47GD", "47GHz"},
    {"DB77G", "77G", "77GHz", "B77GD", "77GHz"},
    {"DBsat", "SAT", "ｻﾃﾗｲﾄ", "BsatD", "ｻﾃﾗｲﾄ"},
}};

void ApplyBandSetLayout() {
  const int32_t set = Settings.ExtendedBandSet;
  if (set == 0) {
    BandLayout = BandLayoutState{};
  } else if (set == 1) {
    BandLayout.LastBandColumn = 26;
    BandLayout.KindColumn = 27;
    BandLayout.SatelliteColumn = 26;
    BandLayout.SheetColumnCount = 29;
    BandLayout.QsoCountColumn = 28;
    BandLayout.TotalsWindowWidth = 17030;
    BandLayout.TotalsGridWidth = 16740;
    BandLayout.TotalsColumnCount = 24;
    BandLayout.BookWindowWidth = 18930;
    BandLayout.BookGridWidth = 18590;
    BandLayout.BookColumnCount = 25;
  } else {
    return;
  }
  if (BandLayoutHooks.StartWindowBandMenus) BandLayoutHooks.StartWindowBandMenus(set);
}

int32_t BandColumnOfIndex(int band) {
  if (band < 0 || band >= kBandCount) return 0;
  if (band == kSatelliteBand) return BandLayout.SatelliteColumn;
  if (band >= 15 && BandLayout.SatelliteColumn == 20) return 0;  // the standard set has no column
  return kFirstBandColumn + band;
}

int BandIndexOfColumn(int32_t column) {
  if (column == BandLayout.SatelliteColumn) return kSatelliteBand;
  if (column < kFirstBandColumn || column > BandLayout.LastBandColumn) return -1;
  return column - kFirstBandColumn;
}

int32_t BandColumnOfLabel(const QString& label) {
  const QString l = label.trimmed();
  if (l.isEmpty()) return 0;
  if (l == QLatin1String("SAT")) return BandLayout.SatelliteColumn;
  for (int i = 0; i < kSatelliteBand; ++i)
    if (l == QLatin1String(Bands[i].label)) return kFirstBandColumn + i;
  return 0;
}

QString BandHeading(int32_t column) {
  const int i = BandIndexOfColumn(column);
  return i < 0 ? QString() : QString::fromUtf8(Bands[i].heading);
}

namespace {

// One kind flag: the stored text ("1" for a missing key) and its number copy.
void readKind(const char* key, QString& text, int32_t& number, QStringList* failures) {
  text = ReadIniOr("DISPCG_ITEM", key, "1");
  if (!failures) {
    // Clamped first: a damaged value far beyond 32 bits has no whole-number value.
    number = static_cast<int32_t>(std::clamp(VbVal(text), -2e9, 2e9));
    return;
  }
  // A box is ticked ("1") or not ("0").
  number = StoredNumber("DISPCG_ITEM", key, text, 1, 0, 1, *failures);
}

}  // namespace

void ReadDisplayItemFlags(bool withDelQth, QStringList* failures) {
  DisplayItemsState& d = DisplayItems;
  readKind("CITY", d.City, d.CityOn, failures);
  readKind("GUN", d.Gun, d.GunOn, failures);
  readKind("KU", d.Ku, d.KuOn, failures);
  readKind("TOWN", d.Town, d.TownOn, failures);
  readKind("VILL", d.Vill, d.VillOn, failures);
  readKind("DX", d.Dx, d.DxOn, failures);
  if (withDelQth) d.DelQTH = ReadIniOr("DISPCG_ITEM", "DelQTH", "0");
}

void ReadShownBands() {
  for (int i = 0; i < kBandCount; ++i) ShownBands[i] = ReadIniOr("DISPBAND_ITEM", Bands[i].key, "1");
}
