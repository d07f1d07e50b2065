#pragma once
// The band set of the program: which grid column, table column and window width each band gets in the
// standard set (1.9 MHz .. 5.6 GHz and satellite) and in the extended set (135 kHz .. 77 GHz as well),
// and the operator's display flags for band columns and code kinds. No window code here: the start
// window, the settings dialog, the sheet and the award views all read these values.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

inline constexpr int kBandCount = 22;      // band indexes 0 .. 21; 21 is the satellite band
inline constexpr int kSatelliteBand = 21;  // band index of the satellite column
inline constexpr int kFirstBandColumn = 5;

// Columns and window sizes of the band set in force. Defaults are the standard set.
struct BandLayoutState {
  int32_t LastBandColumn = 20;   // last band column of the sheet and of MasterTable (the satellite)
  int32_t KindColumn = 21;       // kind letter; also the column count of MasterTable
  int32_t SatelliteColumn = 20;  // satellite column
  int32_t SheetColumnCount = 23;
  int32_t QsoCountColumn = 22;        // "QSO数"
  int32_t TotalsWindowWidth = 13030;  // ORBTOTAL1, twips
  int32_t TotalsGridWidth = 12690;    // its grid, twips
  int32_t TotalsColumnCount = 18;     // its grid's columns
  int32_t BookWindowWidth = 15015;    // ORBBOOK, twips
  int32_t BookGridWidth = 14540;      // its grid, twips
  int32_t BookColumnCount = 19;       // its grid's columns
};
extern BandLayoutState BandLayout;

// The start window shows or hides its six extra-band menu entries through this hook (it installs it
// in its load); ApplyBandSetLayout calls it with the band set it applied (0 or 1).
struct BandLayoutHooksState {
  std::function<void(int32_t extendedBandSet)> StartWindowBandMenus;
};
extern BandLayoutHooksState BandLayoutHooks;

// Sets BandLayout from Settings.ExtendedBandSet (0 standard, 1 extended; any other value changes
// nothing) and tells the start window's menus.
void ApplyBandSetLayout();

// [DISPBAND_ITEM] flags, band index order; "1" = the band column is shown, any other text = hidden.
extern std::array<QString, kBandCount> ShownBands;

// [DISPCG_ITEM] code-kind flags ("1"/"0") with their number copies, and DelQTH ("1" = abolished
// places hidden).
struct DisplayItemsState {
  QString City = "1", Gun = "1", Ku = "1", Town = "1", Vill = "1", Dx = "1";
  int32_t CityOn = 1, GunOn = 1, KuOn = 1, TownOn = 1, VillOn = 1, DxOn = 1;
  QString DelQTH = "0";
};
extern DisplayItemsState DisplayItems;

// Reads [DISPCG_ITEM] CITY, GUN, KU, TOWN, VILL, DX (a missing key gives "1") with their number copies;
// with `withDelQth` also DelQTH (missing gives "0"). With `failures`, a flag that is no whole number
// counts as 1 and is named there ("[DISPCG_ITEM] KU=x"); without, it counts as its leading number.
void ReadDisplayItemFlags(bool withDelQth, QStringList* failures = nullptr);
// Reads [DISPBAND_ITEM] DB1R9 .. DBsat into ShownBands (a missing key gives "1").
void ReadShownBands();

// Per band index: the settings key in [DISPBAND_ITEM], the HAMLOG band label that FreqToBand gives,
// the grid heading, and the one-band menu entry's name and caption.
struct BandInfo {
  const char* key;      // "DB1R9"
  const char* label;    // "1.9"
  const char* heading;  // "1.9MHz" (UTF-8)
  const char* menu;     // "B1R9D"
  const char* caption;  // "1.9MHz" (UTF-8)
};
extern const std::array<BandInfo, kBandCount> Bands;

// The band column of band index i in the band set in force; 0 when the set has no column for it.
int32_t BandColumnOfIndex(int band);
// The band index shown in column `column` of the band set in force; -1 for a column of no band.
int BandIndexOfColumn(int32_t column);
// The band column of a HAMLOG band label ("1.9" .. "SAT", blanks around it ignored); the satellite
// label goes to the satellite column of the set in force; 0 for no band. The same table serves both
// sets, so "135K" lands in column 20 even in the standard set.
int32_t BandColumnOfLabel(const QString& label);
// Heading text of a band column of the set in force ("1.9MHz" .. "ｻﾃﾗｲﾄ"); "" for no band column.
QString BandHeading(int32_t column);
