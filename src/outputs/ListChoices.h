#pragma once
// What the operator ticked in the list dialog, and how its band boxes meet the sheet's band columns.
//
//   band boxes 0 .. 21 follow the band indexes of core/BandLayout (0 = 1.9MHz, 15 .. 20 the extended
//   bands, 21 = satellite); box 22 is "ALL Band". Kind boxes: 0 市 C, 1 区 K, 2 郡 G, 3 町 T, 4 村 V, 5 ＤＸ.

#include <QString>
#include <array>
#include <cstdint>

inline constexpr int kBandBoxCount = 23;
inline constexpr int kAllBandBox = 22;
inline constexpr int kKindBoxCount = 6;

// Award list columns beyond the band columns: all bands (satellite left out), and no band ticked.
inline constexpr int32_t kAllBandColumn = 27;
inline constexpr int32_t kNoBandColumn = 28;

struct ListChoices {
  std::array<int32_t, kBandBoxCount> BandTicks{};
  std::array<int32_t, kKindBoxCount> KindTicks{};
  int32_t UnworkedTick = 1;  // "未QSO"
  int32_t WorkedTick = 0;    // "Wkd"
};

// The kind box that a kind letter needs ("C" 0 .. "DX" 5); -1 for a kind no box covers.
int KindBoxOf(const QString& kind);
// The kind test of the wanted lists: a kind whose box is unticked is left out; other kinds pass.
bool KindTicked(const ListChoices& choices, const QString& kind);

// The band label of the text wanted list for band box `box` ("1.9MHz" .. "77GHz", "Sat").
QString WantedBandLabel(int box);

// The award list column of the first ticked band box: its column in the band set in force,
// kAllBandColumn for "ALL Band", kNoBandColumn when nothing is ticked.
int32_t AwardBandColumn(const std::array<int32_t, kBandBoxCount>& ticks);

// Band columns an award list covers: one band, or every band column but the satellite.
struct BandRange {
  int32_t first = 0;
  int32_t last = -1;  // empty when last < first
  QString label;      // "7MHz", "1200MHz", "ｻﾃﾗｲﾄ", "allBand"; "" for no band
  bool Valid() const { return first >= 5 && last >= first; }
};
BandRange AwardBandRange(int32_t bandColumn);
