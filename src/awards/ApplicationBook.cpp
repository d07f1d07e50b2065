#include "awards/ApplicationBook.h"

#include <cmath>

#include "core/BandLayout.h"
#include "platform/paths.h"
#include "platform/vbstrings.h"

namespace {

bool extended(int32_t set) { return set == 1; }

// Band index of a book band column; -1 for other columns.
int bandOfColumn(int32_t column, int32_t set) {
  const int32_t last = BookLastBandColumn(set);
  if (column < 2 || column > last) return -1;
  return column == last ? kSatelliteBand : column - 2;
}

const char* const kBandKeys[kBandCount] = {"1R9", "3R5", "7",    "10",   "14",   "18",  "21",  "24",
                                           "28",  "50",  "144",  "430",  "1200", "2400", "5600", "135k",
                                           "475k", "10G", "24G", "47G",  "77G",  "ｻﾃﾗｲﾄ"};

// Whole-number running sum as a Long takes it: every step rounded, halves to even.
double addRounded(double sum, double value) { return std::nearbyint(sum + value); }

const BandTotalsState::Slots& confirmedOf(const BandTotalsState& t, int kind) {
  return kind == 0 ? t.CityConfirmed : kind == 1 ? t.GunConfirmed : t.WardConfirmed;
}

}  // namespace

int32_t BookLastBandColumn(int32_t set) { return extended(set) ? 23 : 17; }
int32_t BookTotalColumn(int32_t set) { return BookLastBandColumn(set) + 1; }

QString BookHeading(int32_t column, int32_t set) {
  if (column == BookTotalColumn(set)) return QStringLiteral("  合 計");
  const int band = bandOfColumn(column, set);
  if (band < 0) return QStringLiteral(" ");
  if (band == 7) return QStringLiteral("24.9MHz");
  return QString::fromUtf8(Bands[band].heading);
}

QString BookBandKey(int32_t column, int32_t set) {
  const int band = bandOfColumn(column, set);
  return band < 0 ? QString() : QString::fromUtf8(kBandKeys[band]);
}

TextTable NewBookTable(int32_t set, const QDate& today) {
  const int32_t total = BookTotalColumn(set);
  TextTable t(kBookRows, total + 1);
  for (int32_t c = 0; c <= total; ++c) t.Set(0, c, BookHeading(c, set));
  const QString added = QStringLiteral("今回追加数 ") + today.toString("yyyy/MM/dd");
  const char* const groups[4] = {"　市", "　郡", "　区", "総　計"};
  for (int g = 0; g < 4; ++g) {
    const int first = 1 + 3 * g;
    t.Set(first, 1, QStringLiteral("前回申請数"));
    t.Set(first + 1, 0, QString::fromUtf8(groups[g]));
    t.Set(first + 1, 1, added);
    t.Set(first + 2, 1, QStringLiteral("今回累計"));
  }
  for (int row : kPrevRows)
    for (int32_t c = 2; c <= BookLastBandColumn(set); ++c) t.Set(row, c, QStringLiteral("0"));
  return t;
}

std::optional<int32_t> PrevCountOfText(const QString& typed) {
  const QString text = NarrowText(typed).trimmed();
  if (text.isEmpty() || text.size() > 5) return std::nullopt;
  int32_t n = 0;
  for (QChar c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    n = n * 10 + (c.unicode() - u'0');
  }
  if (n > kMostPrevCount) return std::nullopt;
  return n;
}

void RecalcBookTotals(TextTable& b, const BandTotalsState& totals, int32_t set) {
  const int32_t last = BookLastBandColumn(set);
  const int32_t total = BookTotalColumn(set);
  auto v = [&b](int row, int32_t col) { return CellValue(b.At(row, col)); };
  for (int kind = 0; kind < 3; ++kind)
    for (int32_t c = 2; c <= last; ++c)
      b.Set(kCurrentRows[kind], c, QString::number(confirmedOf(totals, kind)[c - 2]));
  for (int32_t c = 2; c <= last; ++c) {
    b.Set(12, c, CellText(v(3, c) + v(6, c) + v(9, c)));
    b.Set(2, c, CellText(v(3, c) - v(1, c)));
    b.Set(5, c, CellText(v(6, c) - v(4, c)));
    b.Set(8, c, CellText(v(9, c) - v(7, c)));
    b.Set(10, c, CellText(v(1, c) + v(4, c) + v(7, c)));
    b.Set(11, c, CellText(v(2, c) + v(5, c) + v(8, c)));
  }
  double prev[3] = {0, 0, 0};
  double current[3] = {0, 0, 0};
  for (int kind = 0; kind < 3; ++kind) {
    for (int32_t c = 2; c <= last; ++c) {
      prev[kind] = addRounded(prev[kind], v(kPrevRows[kind], c));
      current[kind] += confirmedOf(totals, kind)[c - 2];
    }
    b.Set(kCurrentRows[kind], total, CellText(current[kind]));
    b.Set(kPrevRows[kind] + 1, total, CellText(current[kind] - prev[kind]));
    b.Set(kPrevRows[kind], total, CellText(prev[kind]));
  }
  b.Set(10, total, CellText(prev[0] + prev[1] + prev[2]));
  b.Set(12, total, CellText(current[0] + current[1] + current[2]));
  b.Set(11, total, CellText(v(12, total) - v(10, total)));
}

QString BookCountsBase(const QString& mode, bool extendedSet) {
  return ProgramFolder() + "/ORB-" + mode + QStringLiteral("前回申請数") + (extendedSet ? "sp" : "");
}

QString BookCountsBaseInForce(const QString& mode, int32_t set) { return BookCountsBase(mode, extended(set)); }

QString BookCsvPath(int32_t set) {
  return JoinPath(ProgramFolder(), extended(set) ? "ORBEX_BOOKsp.CSV" : "ORBEX_BOOK.CSV");
}

bool WriteBookCsv(const TextTable& b, int32_t set, QString* error) {
  QStringList lines;
  for (int row : {2, 3, 5, 6, 8, 9, 11, 12}) {
    QString line;
    for (int32_t c = 2; c <= BookTotalColumn(set); ++c) line += b.At(row, c) + ",";
    lines << line;
  }
  return WriteTextLines(BookCsvPath(set), lines, error);
}

void PutBookOnSheet(Workbook& sheet, const TextTable& b, const QString& title) {
  constexpr int32_t kTop = 3;
  const int32_t widest = BookTotalColumn(1) + 1;
  sheet.SetCell(1, 1, title);
  for (int r = 0; r < b.Rows(); ++r)
    for (int32_t c = 0; c < widest; ++c) {
      const QString text = b.At(r, c);
      bool number = false;
      const double value = r > 0 && c >= 2 ? text.trimmed().toDouble(&number) : 0;
      if (number)
        sheet.SetCell(kTop + r, c + 1, value);
      else
        sheet.SetCell(kTop + r, c + 1, text.trimmed().isEmpty() ? QString() : text);
    }
}
