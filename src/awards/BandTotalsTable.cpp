#include "awards/BandTotalsTable.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "core/BandLayout.h"
#include "core/SettingsStore.h"
#include "platform/vbnumber.h"

namespace {

bool extended(int32_t set) { return set == 1; }

// Band index (Bands) of a totals band column; -1 for any other column.
int bandOfColumn(int32_t column, int32_t set) {
  const int32_t last = TotalsLastBandColumn(set);
  if (column < kFirstTotalsBandColumn || column > last) return -1;
  if (column == last) return kSatelliteBand;
  return column - kFirstTotalsBandColumn;
}

// A stored column: its leading number, kept inside 32 bits.
int32_t storedColumn(const QString& text) {
  const double v = std::trunc(VbVal(text));
  return static_cast<int32_t>(std::clamp(v, -1e9, 1e9));
}

// Rows of each kind: confirmed row, worked row.
struct KindRows {
  int confirmed, worked;
  const BandTotalsState::Slots BandTotalsState::*confirmedSlots;
  const BandTotalsState::Slots BandTotalsState::*workedSlots;
};
const KindRows kKinds[] = {
    {3, 4, &BandTotalsState::CityConfirmed, &BandTotalsState::CityWorked},
    {5, 6, &BandTotalsState::GunConfirmed, &BandTotalsState::GunWorked},
    {7, 8, &BandTotalsState::WardConfirmed, &BandTotalsState::WardWorked},
    {10, 11, &BandTotalsState::TownConfirmed, &BandTotalsState::TownWorked},
    {12, 13, &BandTotalsState::VillageConfirmed, &BandTotalsState::VillageWorked},
    {15, 16, &BandTotalsState::DxConfirmed, &BandTotalsState::DxWorked},
};

const char* const kRowLabels[kTotalsRows] = {"ORB",    "総 CFM", "総 WKD", "CFM-市", "WKD-市", "CFM-郡",
                                             "WKD-郡", "CFM-区", "WKD-区", "",       "CFM-町", "WKD-町",
                                             "CFM-村", "WKD-村", "",       "CFM-DX", "WKD-DX"};

}  // namespace

int32_t TotalsLastBandColumn(int32_t set) { return extended(set) ? 23 : 17; }

QString TotalsBandHeading(int32_t column, int32_t set) {
  const int band = bandOfColumn(column, set);
  return band < 0 ? QString() : QString::fromUtf8(Bands[band].heading);
}

QString RangeStartName(int32_t column, int32_t set) {
  const int band = bandOfColumn(column, set);
  if (band < 0) return QString();
  return band == kSatelliteBand ? QStringLiteral("SATL") : QString::fromUtf8(Bands[band].caption);
}

QString RangeEndName(int32_t column, int32_t set) {
  const int band = bandOfColumn(column, set);
  if (band < 0) return QString();
  return band == kSatelliteBand ? QStringLiteral("ｻﾃﾗｲﾄ") : QString::fromUtf8(Bands[band].caption) + "帯";
}

TotalsBandRange ReadBandRange(int32_t set) {
  const QString st = ReadIniOr("ORB", "BANDST", "");
  const QString ed = ReadIniOr("ORB", "BANDED", "");
  TotalsBandRange r;
  r.first = st.isEmpty() ? kFirstTotalsBandColumn : storedColumn(st);
  r.last = ed.isEmpty() ? TotalsLastBandColumn(set) : storedColumn(ed);
  return r;
}

void StoreBandRange(const TotalsBandRange& range) {
  WriteIni("ORB", "BANDST", QString::number(range.first));
  WriteIni("ORB", "BANDED", QString::number(range.last));
}

TotalsBandRange DraggedBandRange(int downRow, int downCol, int upCol, int32_t set) {
  const int32_t last = TotalsLastBandColumn(set);
  const int32_t start = downRow == kTotalsRows - 1 && downCol == last ? kFirstTotalsBandColumn : downCol;
  if (upCol == 0) return {kFirstTotalsBandColumn, last};
  return {std::min(start, upCol), std::max(start, upCol)};
}

QString BandRangeCaption(const TotalsBandRange& range, int32_t set) {
  // Columns that name no band give way to the band the sums start or end at.
  const int32_t first = std::max(range.first, kFirstTotalsBandColumn);
  const int32_t end = std::min(range.last, TotalsLastBandColumn(set));
  // Only the label or total column, or a range turned round by hand: there is no band to name.
  if (first > end)
    return QStringLiteral("合計するバンドがありません。表のバンドの列の上でドラッグして範囲を指定して下さい。");
  if (first == end) return RangeEndName(end, set) + "の合計を表示しています。";
  return RangeStartName(first, set) + "-" + RangeEndName(end, set) + "までの合計を表示しています。";
}

TextTable BuildTotalsTable(const BandTotalsState& totals, const TotalsBandRange& range, int32_t set) {
  const int32_t last = TotalsLastBandColumn(set);
  TextTable t(kTotalsRows, last + 1);
  t.Set(0, kTotalColumn, QStringLiteral("　　合　計"));
  for (int r = 0; r < kTotalsRows; ++r) t.Set(r, 0, QString::fromUtf8(kRowLabels[r]));
  for (int32_t c = kFirstTotalsBandColumn; c <= last; ++c) {
    t.Set(0, c, TotalsBandHeading(c, set));
    const int slot = c - kFirstTotalsBandColumn;
    for (const KindRows& k : kKinds) {
      t.Set(k.confirmed, c, QString::number((totals.*k.confirmedSlots)[slot]));
      t.Set(k.worked, c, QString::number((totals.*k.workedSlots)[slot]));
    }
  }
  // The range total reads band columns only: a range reaching into the label or total column sums
  // the same as one starting at the first band, and nothing beyond the last band is read.
  if (range.first <= range.last) {
    const int32_t from = std::max(range.first, kFirstTotalsBandColumn);
    const int32_t to = std::min(range.last, last);
    for (const KindRows& k : kKinds) {
      for (int row : {k.worked, k.confirmed}) {
        double sum = 0;
        for (int32_t c = from; c <= to; ++c) sum += CellValue(t.At(row, c));
        t.Set(row, kTotalColumn, CellText(sum));
      }
    }
  }
  for (int32_t c = kTotalColumn; c <= last; ++c) {
    t.Set(1, c, CellText(CellValue(t.At(3, c)) + CellValue(t.At(5, c)) + CellValue(t.At(7, c))));
    t.Set(2, c, CellText(CellValue(t.At(4, c)) + CellValue(t.At(6, c)) + CellValue(t.At(8, c))));
  }
  return t;
}

bool WriteTotalsCsv(const TextTable& table, const QString& path, QString* error) {
  QStringList lines;
  for (int r = 0; r < table.Rows(); ++r) {
    QStringList cells;
    for (int c = 0; c < table.Cols(); ++c) cells << table.At(r, c);
    lines << cells.join(',');
  }
  return WriteTextLines(path, lines, error);
}
