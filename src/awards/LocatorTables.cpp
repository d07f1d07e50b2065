#include "awards/LocatorTables.h"

#include <QStringList>

#include "core/HamlogAccess.h"
#include "core/MasterTable.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "platform/ui/msgbox.h"
#include "sheet/BuildDmyDbs.h"

GridTablesState GridTables;

namespace {

constexpr int kSquareCells = 18 * 18 * 10 * 10;
constexpr int kSubSquareCells = 2 * 3 * 10 * 10 * 24 * 24;
constexpr int kEntities = kLastEntity - kFirstEntity + 1;
const QString kLocatorStart = "19850101";
const QString kCrLf = "\r\n";

const char* const kSlotLabels[] = {"1.9", "3.5", "7",   "10",   "14",   "18",  "21", "24",
                                   "28",  "50",  "144", "430", "1200", "2400", "5600"};
const char* const kExtendedLabels[] = {"135K", "475K", "10G", "24G", "47G", "77G", "SAT"};

int slotsOf(bool extended) { return extended ? 23 : 17; }

void size(std::vector<int32_t>& table, int cells, bool extended) {
  ReleaseGridTables();
  GridTables.Slots = slotsOf(extended);
  table.assign(static_cast<size_t>(cells) * GridTables.Slots, 0);
}

// Index of a character within [low, high], -1 outside.
int within(QChar c, char low, char high) {
  return c.unicode() >= uchar(low) && c.unicode() <= uchar(high) ? c.unicode() - uchar(low) : -1;
}

// Cell number of a locator, -1 when a character is out of range.
int squareIndex(const QString& loc) {
  if (loc.size() < 4) return -1;
  const int a = within(loc[0], 'A', 'R'), b = within(loc[1], 'A', 'R'), c = within(loc[2], '0', '9'),
            d = within(loc[3], '0', '9');
  if (a < 0 || b < 0 || c < 0 || d < 0) return -1;
  return ((a * 18 + b) * 10 + c) * 10 + d;
}

int subSquareIndex(const QString& loc) {
  if (loc.size() < 6) return -1;
  const int a = within(loc[0], 'P', 'Q'), b = within(loc[1], 'L', 'N'), c = within(loc[2], '0', '9'),
            d = within(loc[3], '0', '9'), e = within(loc[4], 'A', 'X'), f = within(loc[5], 'A', 'X');
  if (a < 0 || b < 0 || c < 0 || d < 0 || e < 0 || f < 0) return -1;
  return ((((a * 3 + b) * 10 + c) * 10 + d) * 24 + e) * 24 + f;
}

int32_t cell(const std::vector<int32_t>& table, int index, int slot) {
  if (index < 0 || slot < 0 || slot >= GridTables.Slots) return 0;
  const size_t at = static_cast<size_t>(index) * GridTables.Slots + slot;
  return at < table.size() ? table[at] : 0;
}

// Keeps the lowest passing record number: the scan runs upwards, so the first one stays.
void keepFirst(std::vector<int32_t>& table, int index, int slot, int32_t rec) {
  const size_t at = static_cast<size_t>(index) * GridTables.Slots + slot;
  if (at < table.size() && table[at] < 1) table[at] = rec;
}

QString recordHead(int32_t n) {
  return QStringLiteral("HAMLOGデータ　レコードナンバー ( ") + QString::number(n) + QStringLiteral(" ) の") + kCrLf;
}

// The QSO's date as "yyyymmdd"; empty after the message for a record whose date is no date (the
// reader then leaves the raw text in place of "YYYY-MM-DD").
QString dateOrTell(int32_t n) {
  const QString& d = Qso.QsoDate;
  if (d.size() == 10 && d[4] == u'-' && d[7] == u'-') {
    const QChar digits[] = {d[0], d[1], d[2], d[3], d[5], d[6], d[8], d[9]};
    return QString(digits, 8);
  }
  MsgBox(QStringLiteral("HAMLOGデータ　レコードナンバー (") + QString::number(n) + QStringLiteral(") は") + kCrLf +
         QStringLiteral("日付(") + Qso.RawDate + QStringLiteral(")異常です、無視しました。"));
  return {};
}

// Received mark, excluded QSL kinds (a satellite QSO passes those when `satelliteExempt`), period and
// mode; the QSL and mode fields are taken here.
bool passesConditions(const QString& date, bool satelliteExempt) {
  TakeQsoQsl();
  if (Settings.QslRcvOnly == "YES") {
    if (QStringView(Qso.QslReceived).trimmed().isEmpty()) return false;
  } else {
    bool received = false;
    for (const QString& m : Settings.QslReceivedMarks) received = received || (!m.isEmpty() && m == Qso.QslReceived);
    if (!received) return false;
  }
  if (!(satelliteExempt && QStringView(Qso.QsoBand).trimmed() == u"SAT"))
    for (const QString& kind : ReadConditions.ExcludedQslKinds)
      if (!kind.isEmpty() && kind == Qso.QslVia) return false;
  if (date < ReadConditions.StartDate || date > ReadConditions.EndDate) return false;
  TakeQsoMode();
  return ModeIsSelected(Qso.QsoMode);
}

// SQUARE-75 and SUBSQUARE-100 count Japanese stations only, not the league's own stations, and a
// portable affix only for Japanese areas.
bool japaneseStation() {
  static const QStringList prefixes = JapanesePrefixes.split(',');
  static const QString own[] = {"8J1RL", "8J1RM", "8J1RF"};
  if (TakeQsoCall() != 0) return false;
  SplitCallSign(Qso.QsoCall);
  const QString& base = QsoRules.CallBase;
  if (!prefixes.contains(QStringView(base).left(2))) return false;
  for (const QString& o : own)
    if (o.contains(base)) return false;
  const QString& affix = QsoRules.CallAffix;
  return affix.size() <= 1 || affix.contains("JR") || affix.contains("JD") || affix.contains("SO2005");
}

// The slot of the QSO's band; -1 after the message for a band that has none.
int slotOrTell(int32_t n) {
  const int slot = GridBandSlot(Qso.QsoBand.trimmed(), Settings.ExtendedBandSet == 1);
  if (slot < 0)
    MsgBox(recordHead(n) + "[ " + Qso.QsoFreq.leftJustified(16) + QStringLiteral(" ] は 周波数データ不正です、パスします"));
  return slot;
}

// One pass over the log; `take` examines record n, whose band and date are in Qso, takes the other
// fields it looks at, and says whether it passed the conditions.
template <class Take>
TableScan scan(int32_t recordCount, Take take) {
  if (HamlogOpenDb() != 0) {
    HamlogCloseDb(0);
    return TableScan::NotOpened;
  }
  bool found = false;
  for (int32_t n = 1; n <= recordCount; ++n) {
    Qso.QsoRecNo = n;
    if (ReadQsoRecord(n) != 0) {
      HamlogCloseDb(0);
      return TableScan::ReadFailed;
    }
    TakeQsoBand();
    if (QStringView(Qso.QsoBand).trimmed().isEmpty()) continue;
    TakeQsoDate();
    found = take(n) || found;
  }
  HamlogCloseDb(0);
  return found ? TableScan::Found : TableScan::NothingFound;
}

}  // namespace

int GridBandSlot(const QString& label, bool extended) {
  for (int i = 0; i < 15; ++i)
    if (label == QLatin1String(kSlotLabels[i])) return i;
  if (!extended) return label == QLatin1String("SAT") ? 15 : -1;
  for (int i = 0; i < 7; ++i)
    if (label == QLatin1String(kExtendedLabels[i])) return 15 + i;
  return -1;
}

int LastBandSlot(bool extended) { return extended ? 21 : 15; }

void SizeSquareTable(bool extended) { size(GridTables.SquareTable, kSquareCells, extended); }
void SizeSubSquareTable(bool extended) { size(GridTables.SubSquareTable, kSubSquareCells, extended); }
void SizeDxccTable(bool extended) { size(GridTables.DxccTable, kEntities, extended); }

void ReleaseGridTables() {
  for (std::vector<int32_t>* t : {&GridTables.SquareTable, &GridTables.SubSquareTable, &GridTables.DxccTable}) {
    t->clear();
    t->shrink_to_fit();
  }
  GridTables.DxEntityNames.clear();
}

void TakeDxEntityNames(int32_t firstDxRow, int32_t lastRow) {
  GridTables.DxEntityNames.clear();
  if (firstDxRow < 1) return;
  for (int32_t row = firstDxRow; row <= lastRow && row <= MasterTable.Rows(); ++row) {
    const QString name = MasterTable(2, row).trimmed();
    bool numeric = false;
    const int entity = MasterTable(1, row).left(3).toInt(&numeric);
    if (!numeric || name.contains('*') || GridTables.DxEntityNames.contains(entity)) continue;
    GridTables.DxEntityNames.insert(entity, name);
  }
}

int32_t SquareCell(const QString& loc, int slot) { return cell(GridTables.SquareTable, squareIndex(loc), slot); }
int32_t SubSquareCell(const QString& loc, int slot) {
  return cell(GridTables.SubSquareTable, subSquareIndex(loc), slot);
}
int32_t DxccCell(int entity, int slot) {
  return entity < kFirstEntity || entity > kLastEntity ? 0 : cell(GridTables.DxccTable, entity - kFirstEntity, slot);
}

int BadLocatorPosition(const QString& loc, int kind) {
  struct Range {
    char low, high;
  };
  static const Range kSquare75[] = {{'P', 'Q'}, {'L', 'N'}, {'0', '9'}, {'0', '9'}};
  static const Range kWasa[] = {{'A', 'R'}, {'A', 'R'}, {'0', '9'}, {'0', '9'}};
  static const Range kSub[] = {{'P', 'Q'}, {'L', 'N'}, {'0', '9'}, {'0', '9'}, {'A', 'X'}, {'A', 'X'}};
  const Range* ranges = kind == 3 ? kSub : kind == 4 ? kWasa : kSquare75;
  const int count = kind == 3 ? 6 : 4;
  int bad = 0;
  for (int i = 0; i < count; ++i)
    if (i >= loc.size() || within(loc[i], ranges[i].low, ranges[i].high) < 0) bad = i + 1;
  return bad;
}

TableScan MakeGridTable(int kind, int32_t recordCount) {
  const bool sub = kind == 3;
  std::vector<int32_t>& table = sub ? GridTables.SubSquareTable : GridTables.SquareTable;
  const QString suspect = kind == 4 ? QStringLiteral(" 桁目は怪しいナンバーです、パスします")
                                    : QStringLiteral(" 桁目は JA としては怪しいナンバーです、パスします");
  return scan(recordCount, [&](int32_t n) {
    // Every kind tells a record without a date; the silent tests then run cheapest first.
    const QString date = dateOrTell(n);
    if (date.isEmpty() || date < kLocatorStart || !passesConditions(date, !sub)) return false;
    if (kind != 4 && !japaneseStation()) return false;
    TakeQsoGrid();
    const QString& grid = Qso.GridLocator;
    if (sub ? grid.size() != 6 : grid.size() < 4) return true;
    const QString loc = grid.left(sub ? 6 : 4);
    if (const int p = BadLocatorPosition(loc, kind); p > 0) {
      MsgBox(recordHead(n) + "[ " + loc + " ] " + QString::number(p) + suspect);
      return true;
    }
    const int slot = slotOrTell(n);
    if (slot >= 0) keepFirst(table, sub ? subSquareIndex(loc) : squareIndex(loc), slot, n);
    return true;
  });
}

TableScan MakeDXCCTable(int32_t recordCount) {
  return scan(recordCount, [](int32_t n) {
    const QString date = dateOrTell(n);
    if (date.isEmpty() || !passesConditions(date, true)) return false;
    TakeQsoCode();
    if (Qso.QsoCode.size() != 4) return true;
    bool numeric = false;
    const int entity = Qso.QsoCode.left(3).toInt(&numeric);
    // A code whose first three characters are no number is no entity: passed over silently.
    if (!numeric || entity < kFirstEntity) return true;
    const int slot = slotOrTell(n);
    if (slot >= 0) keepFirst(GridTables.DxccTable, entity - kFirstEntity, slot, n);
    return true;
  });
}
