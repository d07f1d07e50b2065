#include "sheet/SheetFill.h"

#include <QDate>
#include <algorithm>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterTable.h"
#include "core/QsoFields.h"
#include "platform/vbdate.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetProgress.h"
#include "sheet/SheetTally.h"

namespace {

int32_t loadedRows() { return std::min(SheetTally.MasterRowCount, MasterTable.Rows()); }

int32_t kindColumn() { return std::min(BandLayout.KindColumn, MasterTable.Columns()); }

int32_t lastBandColumn() { return std::min(BandLayout.LastBandColumn, MasterTable.Columns()); }

// The rows the last fill wrote.
std::vector<SheetViewRow> filledRows;

bool sameRows(const std::vector<SheetViewRow>& a, const std::vector<SheetViewRow>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const SheetViewRow& x, const SheetViewRow& y) {
    return x.masterRow == y.masterRow && x.hidden == y.hidden;
  });
}

bool isTokyoWardRow(const QString& code) {
  return code.size() == 6 && code.startsWith(QLatin1String("1001"));
}

// The QSO date behind a Tokyo ward cell whose date the collation did not keep: read from HAMLOG.
int32_t dateFromHamlog(int32_t recordNumber) {
  Qso.QsoRecNo = recordNumber;
  if (ReadQsoFull(recordNumber) != 0) return 0;
  const std::optional<QDate> d = VbDateValue(Qso.RawDate);
  return d ? d->year() * 10000 + d->month() * 100 + d->day() : 0;
}

void add(BandTotalsState::Slots& worked, BandTotalsState::Slots& confirmed, int slot, const QString& mark) {
  const QString m = mark.trimmed();
  if (m.isEmpty()) return;
  ++worked[slot];
  if (m == QLatin1String("C")) ++confirmed[slot];
}

}  // namespace

QString KindLetterOf(const QString& code, const QString& qthName) {
  switch (code.size()) {
    case 4:
      return VbValBytes(code.left(3).toLatin1()) < 500 ? QStringLiteral("C") : QStringLiteral("DX");
    case 5:
      return QStringLiteral("G");
    case 6:
      if (code.back().unicode() < 58) return QStringLiteral("K");
      for (qsizetype i = qthName.size() - 1; i >= 0; --i) {
        if (qthName[i] == QChar(0x753A)) return QStringLiteral("T");  // 町
        if (qthName[i] == QChar(0x6751)) return QStringLiteral("V");  // 村
      }
      return {};
    default:
      return {};
  }
}

void AssignKindLetters() {
  const int32_t kind = kindColumn();
  if (kind < 1) return;
  for (int32_t r = 1; r <= loadedRows(); ++r)
    MasterTable(kind, r) = KindLetterOf(MasterTable(1, r).trimmed(), MasterTable(2, r));
}

void CountBandTotals() {
  BandTotals = {};
  const int32_t kind = kindColumn();
  const int32_t last = lastBandColumn();
  bool hamlogOpened = false;
  QString lastDxEntity;
  for (int32_t r = 1; r <= loadedRows(); ++r) {
    const QString k = MasterTable(kind, r);
    const QString code = MasterTable(1, r).trimmed();
    BandTotalsState::Slots* worked = nullptr;
    BandTotalsState::Slots* confirmed = nullptr;
    if (k == QLatin1String("C")) {
      worked = &BandTotals.CityWorked, confirmed = &BandTotals.CityConfirmed;
    } else if (k == QLatin1String("G")) {
      worked = &BandTotals.GunWorked, confirmed = &BandTotals.GunConfirmed;
    } else if (k == QLatin1String("T")) {
      worked = &BandTotals.TownWorked, confirmed = &BandTotals.TownConfirmed;
    } else if (k == QLatin1String("V")) {
      worked = &BandTotals.VillageWorked, confirmed = &BandTotals.VillageConfirmed;
    } else if (k == QLatin1String("K") && !isTokyoWardRow(code)) {
      worked = &BandTotals.WardWorked, confirmed = &BandTotals.WardConfirmed;
    } else if (k == QLatin1String("DX")) {
      const QString entity = code.left(3);
      if (entity == lastDxEntity) continue;  // only the first row of an entity counts
      lastDxEntity = entity;
      worked = &BandTotals.DxWorked, confirmed = &BandTotals.DxConfirmed;
    }
    if (worked) {
      for (int32_t c = 5; c <= last; ++c) add(*worked, *confirmed, c - 5, MasterTable(c, r));
      continue;
    }
    if (k != QLatin1String("K")) continue;
    // Tokyo's 23 wards count as cities from 2010-04-01 on: the date of the QSO behind each mark decides.
    for (int32_t c = 5; c <= last; ++c) {
      if (!SheetTally.CellRecordNumbers.Contains(c, r)) continue;
      bool numeric = false;
      const int32_t recordNumber = SheetTally.CellRecordNumbers(c, r).trimmed().toInt(&numeric);
      if (!numeric) continue;
      int32_t date = SheetTally.CellRecordDates.Contains(c, r) ? SheetTally.CellRecordDates(c, r) : 0;
      if (date == 0) {
        if (!hamlogOpened) hamlogOpened = HamlogOpenDb() == 0;
        if (hamlogOpened) date = dateFromHamlog(recordNumber);
        if (SheetTally.CellRecordDates.Contains(c, r)) SheetTally.CellRecordDates(c, r) = date;
      }
      if (date >= kTokyoWardCityDate)
        add(BandTotals.CityWorked, BandTotals.CityConfirmed, c - 5, MasterTable(c, r));
      else
        add(BandTotals.WardWorked, BandTotals.WardConfirmed, c - 5, MasterTable(c, r));
    }
  }
  if (hamlogOpened) {
    HamlogCloseDb(0);
  }
}

std::vector<SheetViewRow> SelectViewRows() {
  std::vector<SheetViewRow> rows;
  const int32_t kind = kindColumn();
  for (int32_t r = 1; r <= loadedRows(); ++r) {
    const QString k = MasterTable(kind, r);
    if (k == QLatin1String("DX") && !SheetTally.AreaCaption.isEmpty()) continue;
    if (!SheetTally.AreaFilter.isEmpty()) {
      if (MasterTable(4, r) != SheetTally.AreaFilter) continue;
    } else if (!SheetTally.PrefectureFilter.isEmpty()) {
      if (MasterTable(1, r).left(2) != SheetTally.PrefectureFilter) continue;
    }
    int32_t shown = 0;
    if (k == QLatin1String("C"))
      shown = DisplayItems.CityOn;
    else if (k == QLatin1String("G"))
      shown = DisplayItems.GunOn;
    else if (k == QLatin1String("K"))
      shown = DisplayItems.KuOn;
    else if (k == QLatin1String("T"))
      shown = DisplayItems.TownOn;
    else if (k == QLatin1String("V"))
      shown = DisplayItems.VillOn;
    else if (k == QLatin1String("DX"))
      shown = DisplayItems.DxOn;
    if (shown != 1) continue;
    const bool hidden = (k == QLatin1String("C") && MasterTable(1, r).trimmed() == QLatin1String("1001")) ||
                        (DisplayItems.DelQTH == QLatin1String("1") && MasterTable(2, r).contains('*'));
    rows.push_back({r, hidden});
  }
  return rows;
}

void FillProgressSheet(SheetProgress& progress) {
  // The fill lets events run between its steps; a view change clicked meanwhile must not start a
  // second fill inside this one.
  const auto lock = progress.LockJobs();
  progress.BeginFill();
  AssignKindLetters();
  CountBandTotals();
  progress.Status(QStringLiteral("書込中"));
  const std::vector<SheetViewRow> rows = SelectViewRows();
  const int32_t last = lastBandColumn();
  int32_t gridRow = 0;
  SheetTally.FirstDxGridRow = 0;
  for (const SheetViewRow& v : rows) {
    ++gridRow;
    for (int32_t c = 5; c <= last; ++c)
      if (SheetTally.GridCellRecordNumbers.Contains(c, gridRow) &&
          SheetTally.CellRecordNumbers.Contains(c, v.masterRow))
        SheetTally.GridCellRecordNumbers(c, gridRow) = SheetTally.CellRecordNumbers(c, v.masterRow);
    if (SheetTally.FirstDxGridRow == 0 && MasterTable(kindColumn(), v.masterRow) == QLatin1String("DX"))
      SheetTally.FirstDxGridRow = gridRow;
  }
  SheetTally.GridDataRows = gridRow;
  // Rows past the view keep no record numbers of an earlier, longer view.
  for (int32_t r = gridRow + 1; r <= SheetTally.GridCellRecordNumbers.Rows(); ++r)
    for (int32_t c = 5; c <= SheetTally.GridCellRecordNumbers.LastColumn(); ++c)
      SheetTally.GridCellRecordNumbers(c, r).clear();
  progress.WriteRows(rows);
  filledRows = rows;
  progress.EndFill();
}

void RefreshProgressCells(const std::vector<SheetCell>& cells, SheetProgress& progress) {
  std::vector<SheetViewRow> rows = SelectViewRows();
  if (!sameRows(rows, filledRows) || int32_t(rows.size()) != SheetTally.GridDataRows) {
    FillProgressSheet(progress);
    return;
  }
  const auto lock = progress.LockJobs();
  progress.BeginFill();
  CountBandTotals();
  progress.Status(QStringLiteral("書込中"));
  std::vector<int32_t> gridRowOf(size_t(loadedRows()) + 1, 0);
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].masterRow < int32_t(gridRowOf.size())) gridRowOf[size_t(rows[i].masterRow)] = int32_t(i) + 1;
  std::vector<SheetCellText> texts;
  texts.reserve(cells.size());
  for (const SheetCell& c : cells) {
    if (c.masterRow < 1 || c.masterRow >= int32_t(gridRowOf.size()) || c.column > lastBandColumn()) continue;
    const int32_t gridRow = gridRowOf[size_t(c.masterRow)];
    if (gridRow == 0) continue;
    if (SheetTally.GridCellRecordNumbers.Contains(c.column, gridRow) &&
        SheetTally.CellRecordNumbers.Contains(c.column, c.masterRow))
      SheetTally.GridCellRecordNumbers(c.column, gridRow) = SheetTally.CellRecordNumbers(c.column, c.masterRow);
    texts.push_back({gridRow, c.column, MasterTable(c.column, c.masterRow)});
  }
  progress.WriteCells(texts);
  progress.EndFill();
}
