#include "outputs/WantedLists.h"

#include <QStringList>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "platform/vbfile.h"
#include "sheet/SheetTally.h"

namespace {

constexpr int32_t kLastListeningColumn = 16;  // 430 MHz
const QString kTokyo = QStringLiteral("1001");

QString kindOf(const SearchRows& rows, int32_t row) { return rows.Cell(row, BandLayout.KindColumn); }

// Lines of items, plain (the items as they stand) or quoted (Write #); the file is replaced only when
// every line is written.
using Lines = QList<QStringList>;
bool writeFile(const QString& path, const Lines& lines, bool quoted, QString& error) {
  VbFile out(path, VbMode::Output);
  bool ok = out.IsOpen();
  for (const QStringList& items : lines) {
    if (!ok) break;
    if (quoted) {
      QList<VbItem> list;
      for (const QString& item : items) list << VbItem(item);
      ok = out.Write(list);
    } else {
      ok = out.Print({items.join(QString())});
    }
  }
  if (ok && out.Close()) return true;
  error = out.ErrorText();
  out.Abandon();
  return false;
}

}  // namespace

bool RowEntersWantedList(const SearchRows& rows, int32_t row) {
  if (IsDesignatedCityCode(rows.Cell(row, 1).trimmed())) return false;
  return !rows.Cell(row, 2).contains('*');
}

QString WantedTextHeader(const QString& myCall, const ListChoices& c) {
  QString title = QStringLiteral(" Wanted-LIST   ------");
  if (c.BandTicks[kAllBandBox] == 1) {
    if (c.UnworkedTick == 1 && c.WorkedTick == 1)
      title = QStringLiteral(" Wanted-LIST (ALL Band)  ------");
    else if (c.UnworkedTick == 1)
      title = QStringLiteral(" Wanted-LIST (ALL Band 未交信)  ------");
    else
      title = QStringLiteral(" Wanted-LIST (ALL Band 未ｃｆｍ)  ------");
  }
  return myCall + QStringLiteral(" ------ ") + title;
}

QString WantedTextLine(const SearchRows& rows, int32_t row, const ListChoices& c) {
  if (!KindTicked(c, kindOf(rows, row))) return {};
  QString items;
  const int32_t last = BandLayout.LastBandColumn;
  if (c.BandTicks[kAllBandBox] != 1) {
    for (int32_t col = kFirstBandColumn; col <= last; ++col) {
      const int box = BandIndexOfColumn(col);
      if (box < 0 || c.BandTicks[size_t(box)] != 1) continue;
      const QString mark = rows.Cell(row, col).trimmed();
      if (c.UnworkedTick == 1 && mark.isEmpty()) items += "," + WantedBandLabel(box);
      if (c.WorkedTick == 1 && mark == QLatin1String("W")) items += ",Wkd " + WantedBandLabel(box);
    }
  } else {
    QString marks;
    for (int32_t col = kFirstBandColumn; col <= last; ++col) marks += rows.Cell(row, col).trimmed();
    if (!marks.contains('C')) {
      if (marks.contains('W')) {
        if (c.WorkedTick == 1) items = QStringLiteral(",未cfm");
      } else if (c.UnworkedTick == 1) {
        items = QStringLiteral(",未QSO");
      }
    }
  }
  if (items.trimmed().isEmpty()) return {};
  return rows.Cell(row, 1) + "," + rows.Cell(row, 2).trimmed() + items;
}

QString WantedCsvHeader(const SearchRows& rows) {
  QString line = rows.Cell(0, 1) + "," + rows.Cell(0, 2) + ",";
  for (int32_t col = kFirstBandColumn; col <= BandLayout.LastBandColumn; ++col) line += rows.Cell(0, col) + ",";
  return line;
}

QString WantedCsvLine(const SearchRows& rows, int32_t row, const ListChoices& c) {
  if (!KindTicked(c, kindOf(rows, row))) return {};
  QString line = rows.Cell(row, 1).trimmed() + "," + rows.Cell(row, 2).trimmed() + ",";
  for (int32_t col = kFirstBandColumn; col <= BandLayout.LastBandColumn; ++col) line += rows.Cell(row, col) + ",";
  return line;
}

bool WriteWantedList(const QString& path, WantedFormat format, const QString& myCall, const SearchRows& rows,
                     const ListChoices& choices, QString& error) {
  const bool csv = format == WantedFormat::Csv;
  Lines lines{{csv ? WantedCsvHeader(rows) : WantedTextHeader(myCall, choices)}};
  for (int32_t r = 1; r <= rows.LastDataRow(); ++r) {
    if (!RowEntersWantedList(rows, r)) continue;
    const QString line = csv ? WantedCsvLine(rows, r, choices) : WantedTextLine(rows, r, choices);
    if (!line.isEmpty()) lines << QStringList{line};
  }
  return writeFile(path, lines, false, error);
}

bool WriteListeningList(const QString& path, const SearchRows& rows, const ListChoices& c, QString& error) {
  Lines lines{{"Freq(MHz)", "CALL", "Code/DX", "QTH"}};
  const auto ticked = [&c](int box) { return c.KindTicks[size_t(box)] == 1; };
  for (int32_t r = 1; r <= rows.LastDataRow(); ++r) {
    const QString kind = kindOf(rows, r);
    const QString cell = rows.Cell(r, 1);
    const QString code = cell.trimmed();
    const bool tokyo = kind == QLatin1String("K") && cell.startsWith(kTokyo);
    if (kind == QLatin1String("C") && !ticked(0)) continue;
    if (kind == QLatin1String("K") && !ticked(tokyo ? 0 : 1)) continue;
    if ((kind == QLatin1String("G") && !ticked(2)) || (kind == QLatin1String("T") && !ticked(3)) ||
        (kind == QLatin1String("V") && !ticked(4)))
      continue;
    if (!tokyo && IsDesignatedCityCode(code)) continue;
    if (code == QLatin1String("500A")) break;  // the DX entities begin here
    if (rows.Cell(r, 2).contains('*')) continue;
    int32_t ward = 0;
    if (tokyo) {
      bool numeric = false;
      ward = code.toInt(&numeric);
      if (!numeric || ward < kFirstTokyoWard || ward > kLastTokyoWard) {
        error = code;
        return false;
      }
    }
    for (int32_t col = kFirstBandColumn; col <= kLastListeningColumn; ++col) {
      if (c.BandTicks[size_t(col - kFirstBandColumn)] != 1) continue;
      const QString mark = rows.Cell(r, col).trimmed();
      bool wanted = c.WorkedTick == 1 ? mark != QLatin1String("C") : mark.isEmpty();
      if (tokyo && SheetTally.TokyoWardRecordsTable.Contains(col, ward - kFirstTokyoWard + 1)) {
        // As a city (from 2010-04-01 on) a Tokyo ward is wanted by its own QSOs of that period.
        const int32_t city = SheetTally.TokyoWardRecords(ward, col);
        wanted = wanted || (c.WorkedTick == 1 ? city <= 0 : city == 0);
      }
      if (!wanted) continue;
      QString frequency = rows.Cell(0, col);
      frequency.remove(QStringLiteral("MHz"));
      lines << QStringList{frequency, "", code, ""};
    }
  }
  return writeFile(path, lines, true, error);
}
