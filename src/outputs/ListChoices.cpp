#include "outputs/ListChoices.h"

#include "core/BandLayout.h"

int KindBoxOf(const QString& kind) {
  static const char* kinds[kKindBoxCount] = {"C", "K", "G", "T", "V", "DX"};
  for (int i = 0; i < kKindBoxCount; ++i)
    if (kind == QLatin1String(kinds[i])) return i;
  return -1;
}

bool KindTicked(const ListChoices& choices, const QString& kind) {
  const int box = KindBoxOf(kind);
  return box < 0 || choices.KindTicks[size_t(box)] == 1;
}

QString WantedBandLabel(int box) {
  if (box == kSatelliteBand) return QStringLiteral("Sat");
  if (box < 0 || box >= kBandCount) return {};
  return QString::fromUtf8(Bands[size_t(box)].caption);
}

int32_t AwardBandColumn(const std::array<int32_t, kBandBoxCount>& ticks) {
  for (int i = 0; i < kBandBoxCount; ++i) {
    if (ticks[size_t(i)] != 1) continue;
    if (i == kAllBandBox) return kAllBandColumn;
    const int32_t column = BandColumnOfIndex(i);
    // A box of a band the set in force has no column for counts as none.
    return column > 0 ? column : kNoBandColumn;
  }
  return kNoBandColumn;
}

BandRange AwardBandRange(int32_t bandColumn) {
  BandRange r;
  if (bandColumn == kAllBandColumn) {
    r.first = kFirstBandColumn;
    r.last = BandLayout.LastBandColumn - 1;
    r.label = QStringLiteral("allBand");
  } else if (bandColumn >= kFirstBandColumn && bandColumn <= BandLayout.LastBandColumn) {
    r.first = r.last = bandColumn;
    r.label = QString::fromUtf8(Bands[size_t(BandIndexOfColumn(bandColumn))].caption);
  }
  return r;
}
