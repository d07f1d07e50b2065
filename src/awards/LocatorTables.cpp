#include "awards/LocatorTables.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "core/HamlogAccess.h"
#include "core/MasterTable.h"
#include "core/QsoColumns.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/cores.h"
#include "platform/hamlog/hamlog.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"

GridTablesState GridTables;

namespace {

constexpr int kSquareCells = 18 * 18 * 10 * 10;
constexpr int kSubSquareCells = 2 * 3 * 10 * 10 * 24 * 24;
constexpr int kEntities = kLastEntity - kFirstEntity + 1;
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
int within(char16_t c, char low, char high) { return c >= uchar(low) && c <= uchar(high) ? c - uchar(low) : -1; }
int within(QChar c, char low, char high) { return within(c.unicode(), low, high); }
int within(char c, char low, char high) { return within(char16_t(uchar(c)), low, high); }

// Cell number of a locator (a QString or the bytes of an ASCII one), -1 when a character is out of range.
template <class Text>
int squareIndex(const Text& loc) {
  if (loc.size() < 4) return -1;
  const int a = within(loc[0], 'A', 'R'), b = within(loc[1], 'A', 'R'), c = within(loc[2], '0', '9'),
            d = within(loc[3], '0', '9');
  if (a < 0 || b < 0 || c < 0 || d < 0) return -1;
  return ((a * 18 + b) * 10 + c) * 10 + d;
}

template <class Text>
int subSquareIndex(const Text& loc) {
  if (loc.size() < 6) return -1;
  const int a = within(loc[0], 'P', 'Q'), b = within(loc[1], 'L', 'N'), c = within(loc[2], '0', '9'),
            d = within(loc[3], '0', '9'), e = within(loc[4], 'A', 'X'), f = within(loc[5], 'A', 'X');
  if (a < 0 || b < 0 || c < 0 || d < 0 || e < 0 || f < 0) return -1;
  return ((((a * 3 + b) * 10 + c) * 10 + d) * 24 + e) * 24 + f;
}

template <class Text>
int badPosition(const Text& loc, int kind) {
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

int32_t cell(const std::vector<int32_t>& table, int index, int slot) {
  if (index < 0 || slot < 0 || slot >= GridTables.Slots) return 0;
  const size_t at = static_cast<size_t>(index) * GridTables.Slots + slot;
  return at < table.size() ? table[at] : 0;
}

// Keeps the lowest passing record number (the record-by-record scan runs upwards, so its first one
// stays; the parts of the column scan may come in any order).
void keepFirst(std::vector<int32_t>& table, int index, int slot, int32_t rec) {
  const size_t at = static_cast<size_t>(index) * GridTables.Slots + slot;
  if (at < table.size() && (table[at] < 1 || rec < table[at])) table[at] = rec;
}

// What a scan passed over, told once at its end; each line with its record number, as the parts of
// the column scan find them out of order.
struct PassedOver {
  std::vector<std::pair<int32_t, QString>> freqLines;     // frequencies that fit no band
  std::vector<std::pair<int32_t, QString>> badDates;      // record number, date as stored
  std::vector<std::pair<int32_t, QByteArray>> locatorLines;  // locators out of range, in Windows-31J
  void Take(PassedOver& part) {
    auto move = [](auto& to, auto& from) {
      to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
    };
    move(freqLines, part.freqLines), move(badDates, part.badDates), move(locatorLines, part.locatorLines);
  }
  void Sort() {
    auto byRecord = [](const auto& a, const auto& b) { return a.first < b.first; };
    std::stable_sort(freqLines.begin(), freqLines.end(), byRecord);
    std::stable_sort(badDates.begin(), badDates.end(), byRecord);
    std::stable_sort(locatorLines.begin(), locatorLines.end(), byRecord);
  }
};

// A locator that stops inside its square ("PM7") or, for SUBSQUARE-100, inside its sub-square
// ("PM95A"): a typing slip that is told, where an empty one or a plain square is no locator to look at.
bool cutShort(int length, bool sub) { return (length > 0 && length < 4) || (sub && length == 5); }

// "YYYY-MM-DD" of yyyymmdd.
QByteArray isoDate(int32_t d) {
  const char text[10] = {char('0' + d / 10000000),    char('0' + d / 1000000 % 10), char('0' + d / 100000 % 10),
                         char('0' + d / 10000 % 10),  '-',
                         char('0' + d / 1000 % 10),   char('0' + d / 100 % 10),     '-',
                         char('0' + d / 10 % 10),     char('0' + d % 10)};
  return QByteArray(text, 10);
}

// A line of the locator list; the texts in Windows-31J (the call and locator of a plain record are
// ASCII), the labels encoded once.
void noteBadLocator(PassedOver& passed, int32_t n, QByteArrayView call, QByteArrayView date, QByteArrayView loc,
                    int position, int kind) {
  static const QByteArray labels[] = {
      ToAnsi(QStringLiteral("交信番号=")), ToAnsi(QStringLiteral(" コール=")), ToAnsi(QStringLiteral(" 交信日=")),
      ToAnsi(QStringLiteral(" グリッドロケータ=")), ToAnsi(QStringLiteral(" は ")),
      ToAnsi(QStringLiteral(" 桁目が怪しいナンバーです")), ToAnsi(QStringLiteral(" 桁目が JA としては怪しいナンバーです"))};
  QByteArray line;
  line.reserve(128);
  line.append(labels[0]).append(QByteArray::number(n)).append(labels[1]).append(call).append(labels[2]).append(date);
  line.append(labels[3]).append(loc).append(labels[4]).append(QByteArray::number(position));
  line.append(labels[kind == 4 ? 5 : 6]);
  passed.locatorLines.emplace_back(n, std::move(line));
}

// The frequency report in one go, then one message for each kind of record passed over.
void tellPassedOver(PassedOver& passed) {
  passed.Sort();
  QStringList freqLines;
  for (auto& l : passed.freqLines) freqLines << std::move(l.second);
  AppendFreqErrorReport(freqLines);
  if (!passed.badDates.empty()) MsgBox(BadQsoDatesMessage(passed.badDates));
  if (passed.locatorLines.empty()) return;
  const QString path = JoinPath(Settings.DataFolder, kLocatorReportFile);
  // Replaced in one step: a disk that fills on the way leaves the last list, not an empty one.
  VbFile report(path, VbMode::Output);
  QByteArray text;  // printed as one item: the lines are told apart by their CR LF all the same
  for (const auto& line : passed.locatorLines) (text.isEmpty() ? text : text.append("\r\n")).append(line.second);
  if (report.IsOpen()) report.Print({text});
  const bool written = report.IsOpen() && report.Close();
  MsgBox(QStringLiteral("グリッドロケータが怪しいQSOが ") +
         QString::number(qsizetype(passed.locatorLines.size())) +
         QStringLiteral(" 件あり、ロケータ無しとしてパスしました。") + kCrLf +
         (written ? QStringLiteral("一覧は ") + path + QStringLiteral(" に書きました。")
                  : FileFaultText(path, QStringLiteral(" に一覧を書けませんでした"), report.ErrorNumber())));
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

const QString kOwnStations[] = {"8J1RL", "8J1RM", "8J1RF"};

bool japaneseAffix(QStringView affix) {
  return affix.size() <= 1 || affix.contains(u"JR") || affix.contains(u"JD") || affix.contains(u"SO2005");
}

// SQUARE-75 and SUBSQUARE-100 count Japanese stations only, not the league's own stations, and a
// portable affix only for Japanese areas.
bool japaneseStation() {
  static const QStringList prefixes = JapanesePrefixes.split(',');
  if (TakeQsoCall() != 0) return false;
  SplitCallSign(Qso.QsoCall);
  const QString& base = QsoRules.CallBase;
  if (!prefixes.contains(QStringView(base).left(2))) return false;
  for (const QString& o : kOwnStations)
    if (o.contains(base)) return false;
  return japaneseAffix(QsoRules.CallAffix);
}

// The same for the bytes of an ASCII call: SplitCallSign's base and affix without a string made.
bool japaneseCall(std::string_view call) {
  static const std::vector<bool> japaneseHead = [] {
    std::vector<bool> heads(65536, false);
    for (const QString& p : JapanesePrefixes.split(','))
      if (p.size() == 2 && p[0].unicode() < 256 && p[1].unicode() < 256) heads[p[0].unicode() << 8 | p[1].unicode()] = true;
    return heads;
  }();
  std::string_view base = call, affix;
  if (const size_t p = call.rfind('/'); p != std::string_view::npos) {
    const std::string_view left = call.substr(0, p), right = call.substr(p + 1);
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (right == "P" || right == "M" || right == "MM" || right == "QRP" || right == "B") {
      base = left;
    } else if (right.size() == 1 && digit(right[0])) {
      base = left, affix = right;
    } else if (left.empty()) {
      base = right;
    } else if (digit(left.back())) {
      base = right, affix = left;
    } else {
      base = left, affix = right;
      if (base.size() <= affix.size()) std::swap(base, affix);
    }
  }
  if (base.size() < 2 || !japaneseHead[uchar(base[0]) << 8 | uchar(base[1])]) return false;
  for (std::string_view own : {"8J1RL", "8J1RM", "8J1RF"})
    if (own.find(base) != std::string_view::npos) return false;
  return affix.size() <= 1 || affix.find("JR") != std::string_view::npos || affix.find("JD") != std::string_view::npos ||
         affix.find("SO2005") != std::string_view::npos;
}

// What a record-by-record pass does with record n: `take` examines it with its band and date in Qso,
// takes the other fields it looks at, and says whether it passed the conditions. False when the record
// could not be read (after its message).
template <class Take>
bool readAndTake(int32_t n, PassedOver& passed, bool& found, Take& take) {
  Qso.QsoRecNo = n;
  const int32_t read = ReadQsoRecord(n);
  if (read == kQsoDeleted) return true;  // no QSO: passed over as every reader does
  if (read != 0) return false;
  if (!TakeQsoFreqBand()) passed.freqLines.emplace_back(n, FreqErrorLine(n, Qso.QsoFreq));
  if (QStringView(Qso.QsoBand).trimmed().isEmpty()) return true;
  TakeQsoDate();
  if (!QsoDateIsValid(Qso.QsoDate)) {
    passed.badDates.emplace_back(n, Qso.RawDate);
    return true;
  }
  found = take(n) || found;
  return true;
}

template <class Take>
TableScan scanPerRecord(int32_t recordCount, PassedOver& passed, Take take) {
  if (HamlogOpenDb() != 0) {
    HamlogCloseDb(0);
    return TableScan::NotOpened;
  }
  bool found = false;
  for (int32_t n = 1; n <= recordCount; ++n)
    if (!readAndTake(n, passed, found, take)) {
      HamlogCloseDb(0);
      return TableScan::ReadFailed;
    }
  HamlogCloseDb(0);
  return found ? TableScan::Found : TableScan::NothingFound;
}

// The tests of passesConditions on a Plain record of the column copy, set up once per scan.
struct ColumnConditions {
  bool extended = Settings.ExtendedBandSet == 1;
  std::array<int8_t, 32> slotOfBand{};  // band number -> slot in this band set, -1 none
  std::array<bool, 32> noBand{};        // the band number is no band in this set
  std::array<bool, 256> received{}, excluded{};
  std::vector<char> modeSelected;
  std::optional<std::pair<int32_t, int32_t>> period;  // both ends eight digits: compared as numbers

  ColumnConditions() {
    for (int b = 0; b < 32; ++b) {
      const QString label = PaddedBandLabel(b, extended).trimmed();
      noBand[size_t(b)] = label.isEmpty();
      slotOfBand[size_t(b)] = int8_t(label.isEmpty() ? -1 : GridBandSlot(label, extended));
    }
    for (int c = 0; c < 256; ++c) {
      const QString mark = QString(QChar(char16_t(c)));
      if (Settings.QslRcvOnly == "YES")
        received[size_t(c)] = !QStringView(mark).trimmed().isEmpty();
      else
        for (const QString& m : Settings.QslReceivedMarks) received[size_t(c)] = received[size_t(c)] || m == mark;
      for (const QString& kind : ReadConditions.ExcludedQslKinds) excluded[size_t(c)] = excluded[size_t(c)] || kind == mark;
    }
    for (const QString& m : QsoColumns.Modes()) modeSelected.push_back(ModeIsSelected(m) ? 1 : 0);
    auto eightDigits = [](const QString& t) {
      return t.size() == 8 && std::all_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (eightDigits(ReadConditions.StartDate) && eightDigits(ReadConditions.EndDate))
      period.emplace(ReadConditions.StartDate.toInt(), ReadConditions.EndDate.toInt());
  }
  bool InPeriod(int32_t date) const {
    if (period) return date >= period->first && date <= period->second;
    const QString d = QString::fromLatin1(isoDate(date)).remove(u'-');
    return !(d < ReadConditions.StartDate || d > ReadConditions.EndDate);
  }
  bool Pass(int32_t n, const QsoColumnRecord& r, bool satelliteExempt) const {
    if (!received[uchar(r.received())]) return false;
    if (!(satelliteExempt && r.band == kSatBand) && excluded[uchar(r.via())]) return false;
    if (!InPeriod(r.date)) return false;
    return r.mode < modeSelected.size() ? modeSelected[r.mode] != 0 : ModeIsSelected(QsoColumns.Mode(n));
  }
  static inline const int kSatBand = BandIndexOf(u"9999");
};

// Where a part of the column scan keeps what it finds: its first record of each cell it reaches, and
// what it passed over.
class ColumnPart {
 public:
  explicit ColumnPart(size_t cells) : reached_((cells + 63) / 64, 0) {}
  void Keep(int index, int slot, int32_t n) {
    const size_t at = size_t(index) * size_t(GridTables.Slots) + size_t(slot);
    if (at / 64 >= reached_.size() || (reached_[at / 64] >> (at % 64) & 1)) return;
    reached_[at / 64] |= uint64_t(1) << (at % 64);
    firsts_.emplace_back(index, slot, n);
  }
  void Into(std::vector<int32_t>& table) const {
    for (const auto& [index, slot, n] : firsts_) keepFirst(table, index, slot, n);
  }
  PassedOver passed;
  std::vector<int32_t> irregular;  // for the reader, on the window thread
  bool found = false;

 private:
  std::vector<uint64_t> reached_;
  std::vector<std::tuple<int, int, int32_t>> firsts_;
};

// One pass over the column copy, in parallel parts: `plain` examines a Plain record whose band has slot
// `slot` (keeping its cell in the part) and says whether it passed the conditions; the other records
// go through the reader as the record-by-record pass reads them (`take`). Nothing when the copy cannot
// be had: the caller reads record by record.
template <class Plain, class Take>
std::optional<TableScan> scanColumns(int32_t recordCount, std::vector<int32_t>& table, PassedOver& passed,
                                     Plain plain, Take take) {
  if (LocatorTableSource != TableSource::Columns) return std::nullopt;
  if (QsoColumns.ReadToLogEnd() != HAMLOG_OK || QsoColumns.Count() < recordCount) return std::nullopt;
  const ColumnConditions c;
  const int parts = recordCount < 65536 ? 1 : std::clamp(UsableCores(), 1, 8);
  std::vector<ColumnPart> found(size_t(parts), ColumnPart(table.size()));
  RunParts(size_t(parts), [&](size_t part) {
    ColumnPart& mine = found[part];
    const int32_t from = 1 + int32_t(int64_t(recordCount) * part / parts);
    const int32_t to = int32_t(int64_t(recordCount) * (part + 1) / parts);
    for (int32_t n = from; n <= to; ++n) {
      const QsoColumnRecord& r = QsoColumns[n];
      if (!r.Live()) continue;
      if (!r.Plain()) {
        mine.irregular.push_back(n);
        continue;
      }
      if (c.noBand[r.band & 31]) {
        mine.passed.freqLines.emplace_back(n, FreqErrorLine(n, QsoColumns.Freq(n)));
        continue;
      }
      mine.found = plain(n, r, c.slotOfBand[r.band & 31], c, mine) || mine.found;
    }
  });
  bool any = false, opened = false;
  for (ColumnPart& part : found) {
    part.Into(table);
    passed.Take(part.passed);
    any = any || part.found;
    for (int32_t n : part.irregular) {
      if (!opened && HamlogOpenDb() != 0) {
        HamlogCloseDb(0);
        return TableScan::NotOpened;
      }
      opened = true;
      if (!readAndTake(n, passed, any, take)) {
        HamlogCloseDb(0);
        return TableScan::ReadFailed;
      }
    }
  }
  if (opened) HamlogCloseDb(0);
  return any ? TableScan::Found : TableScan::NothingFound;
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

int BadLocatorPosition(const QString& loc, int kind) { return badPosition(loc, kind); }

namespace {

// The date of the QSO now in Qso (its reader turned it into "YYYY-MM-DD") as "yyyymmdd".
QString qsoDate8() { return Qso.QsoDate.left(4) + Qso.QsoDate.mid(5, 2) + Qso.QsoDate.mid(8, 2); }

// The copy's pass when it can be had, else the record-by-record one; then what was passed over is told.
template <class Plain, class Take>
TableScan runScan(int32_t recordCount, std::vector<int32_t>& table, PassedOver& passed, Plain plain, Take take) {
  std::optional<TableScan> outcome = scanColumns(recordCount, table, passed, plain, take);
  if (!outcome) outcome = scanPerRecord(recordCount, passed, take);
  tellPassedOver(passed);
  return *outcome;
}

}  // namespace

TableScan MakeGridTable(int kind, int32_t recordCount) {
  const bool sub = kind == 3;
  std::vector<int32_t>& table = sub ? GridTables.SubSquareTable : GridTables.SquareTable;
  const int width = sub ? 6 : 4;
  PassedOver passed;
  auto take = [&](int32_t n) {
    const QString date = qsoDate8();
    if (date < QLatin1String("19850101") || !passesConditions(date, !sub)) return false;
    if (kind != 4 && !japaneseStation()) return false;
    TakeQsoGrid();
    const QString& grid = Qso.GridLocator;
    if (!cutShort(grid.size(), sub) && (sub ? grid.size() != 6 : grid.size() < 4)) return true;
    const QString loc = grid.left(width);
    if (const int p = BadLocatorPosition(loc, kind); p > 0) {
      if (kind == 4) TakeQsoCall();  // for the report: the other kinds have taken it
      noteBadLocator(passed, n, ToAnsi(Qso.QsoCall), ToAnsi(Qso.QsoDate), ToAnsi(loc), p, kind);
      return true;
    }
    const int slot = GridBandSlot(Qso.QsoBand.trimmed(), Settings.ExtendedBandSet == 1);
    if (slot >= 0) keepFirst(table, sub ? subSquareIndex(loc) : squareIndex(loc), slot, n);
    return true;
  };
  auto plain = [&](int32_t n, const QsoColumnRecord& r, int slot, const ColumnConditions& c, ColumnPart& part) {
    if (r.date < 19850101 || !c.Pass(n, r, !sub)) return false;
    const QByteArrayView call = QsoColumns.Call(n);
    if (kind != 4 && !japaneseCall(std::string_view(call.data(), size_t(call.size())))) return false;
    // The locator is NUL-padded and holds no NUL: its length shows in its bytes.
    const int length = int(std::find(r.grid, r.grid + width, 0) - r.grid);
    if (!cutShort(length, sub) && length < width) return true;
    const QByteArrayView loc(r.grid, length);
    if (const int p = badPosition(loc, kind); p > 0) {
      noteBadLocator(part.passed, n, call, isoDate(r.date), loc, p, kind);
      return true;
    }
    if (slot >= 0) part.Keep(sub ? subSquareIndex(loc) : squareIndex(loc), slot, n);
    return true;
  };
  return runScan(recordCount, table, passed, plain, take);
}

TableScan MakeDXCCTable(int32_t recordCount) {
  PassedOver passed;
  auto take = [](int32_t n) {
    if (!passesConditions(qsoDate8(), true)) return false;
    TakeQsoCode();
    if (Qso.QsoCode.size() != 4) return true;
    bool numeric = false;
    const int entity = Qso.QsoCode.left(3).toInt(&numeric);
    // A code whose first three characters are no number is no entity: passed over silently.
    if (!numeric || entity < kFirstEntity) return true;
    const int slot = GridBandSlot(Qso.QsoBand.trimmed(), Settings.ExtendedBandSet == 1);
    if (slot >= 0) keepFirst(GridTables.DxccTable, entity - kFirstEntity, slot, n);
    return true;
  };
  // The entity of a code's three-character head, worked out as the reader's text would give it.
  auto plain = [](int32_t n, const QsoColumnRecord& r, int slot, const ColumnConditions& c, ColumnPart& part) {
    if (!c.Pass(n, r, true)) return false;
    if (r.code[3] == 0 || r.code[4] != 0) return true;  // NUL-padded, no NUL inside: four characters
    int entity = 0;
    if (r.code[0] >= '0' && r.code[0] <= '9' && r.code[1] >= '0' && r.code[1] <= '9' && r.code[2] >= '0' &&
        r.code[2] <= '9') {
      entity = (r.code[0] - '0') * 100 + (r.code[1] - '0') * 10 + (r.code[2] - '0');
    } else {
      bool numeric = false;
      entity = QString::fromLatin1(r.code, 3).toInt(&numeric);
      if (!numeric) return true;
    }
    if (entity < kFirstEntity) return true;
    if (slot >= 0) part.Keep(entity - kFirstEntity, slot, n);
    return true;
  };
  return runScan(recordCount, GridTables.DxccTable, passed, plain, take);
}
