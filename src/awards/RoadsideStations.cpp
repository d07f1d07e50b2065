#include "awards/RoadsideStations.h"

#include <algorithm>
#include <cstring>

#include "awards/CsvFields.h"
#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "sheet/BuildDmyDbs.h"

RoadsideStationsState Roadside;

namespace {

constexpr int kStationItems = 5;
constexpr int kYieldEvery = 500;  // lines between two looks at the window messages
const QString kBox = QStringLiteral("□");

const QString kRemakeList = QStringLiteral(
    "\r\n道の駅.mcsv から取り込み直して下さい（michinoeki.txt を消すと次に道の駅 "
    "整理簿を開くときに取り込めます）。");

QString lineNumbers(const QList<int32_t>& lines) {
  QStringList numbers;
  for (int32_t n : lines) numbers << QString::number(n);
  return numbers.join(u',');
}

const char* const kBandNames[kRoadsideMarkedBands] = {"1.9", "3.5", "7",  "10",  "14",   "18",   "21",  "24",
                                                      "28",  "50",  "144", "430", "1200", "2400", "5600"};

int bandIndex(int column) { return column - kRoadsideFirstBandColumn; }

}  // namespace

QString HamlogFolder() {
  const QString& p = Hamlog.HamlogDbPath;
  const qsizetype k = std::max(p.lastIndexOf(u'\\'), p.lastIndexOf(u'/'));
  return k < 0 ? QStringLiteral(".") : p.left(k);
}

QString MichinoekiTxtPath() { return JoinPath(HamlogFolder(), QString::fromUtf8(kMichinoekiFile)); }

StationListRead ReadStationList(const QString& path, bool keepMark) {
  StationListRead read;
  VbFile in(path, VbMode::Input, 0, VbAccess::Read);
  if (!in.IsOpen()) {
    read.error = FileFaultText(in.Path(), QStringLiteral(" を読めません"), in.ErrorNumber());
    return read;
  }
  // Bytes of another code page (or none at all) would become stations no remark names.
  if (const QString encoding = FileForeignEncoding(in.Path()); !encoding.isEmpty()) {
    read.error = ForeignEncodingText(in.Path(), encoding) + kRemakeList;
    return read;
  }
  QByteArray bytes;
  int32_t lines = 0;
  while (in.LineInputBytes(bytes)) {
    if (++lines % kYieldEvery == 0) DoEvents();
    if (bytes.trimmed().isEmpty()) {
      ++read.blankLines;
      continue;
    }
    QList<QByteArray> items = SplitCsvBytes(bytes);
    if (items.size() > kStationItems) ++read.longLines;
    items.resize(kStationItems);
    RoadsideStation s{FromAnsi(items[0]), FromAnsi(items[1]), FromAnsi(items[2]), FromAnsi(items[3])};
    if (QString(s.number).remove(kBox).trimmed().isEmpty()) {
      read.unnumberedLines << lines;
      continue;
    }
    if (!keepMark) s.number.remove(kBox);
    read.stations.push_back(std::move(s));
  }
  read.ok = true;
  if (read.stations.empty())
    read.error = in.Path() + QStringLiteral(" に道の駅が1件もありません。") + kRemakeList;
  return read;
}

QString StationListNotice(const StationListRead& list) {
  QStringList parts;
  if (list.longLines > 0)
    parts << QStringLiteral("michinoeki.txt の %1 行は項目が５つを超えています（先頭の５項目を読みました）")
                 .arg(list.longLines);
  if (!list.unnumberedLines.isEmpty())
    parts << QStringLiteral("michinoeki.txt の道の駅No のない行は読み飛ばしました（%1 行目）")
                 .arg(lineNumbers(list.unnumberedLines));
  return parts.join(QStringLiteral("\r\n"));
}

StationImport ImportMichinoekiCsv(const QString& source) {
  StationImport import;
  const QString kept = QStringLiteral("\r\n") + MichinoekiTxtPath() + QStringLiteral(" は書き換えていません。");
  // Read as Windows-31J, another code page's text would become names and numbers no remark holds.
  QByteArray whole;
  if (ReadWholeFile(source, whole)) {
    if (const QString encoding = ForeignEncoding(whole); !encoding.isEmpty()) {
      import.error = ForeignEncodingText(RealPath(source), encoding) + kept;
      return import;
    }
  }
  VbFile in(source, VbMode::Input, 0, VbAccess::Read);
  if (!in.IsOpen()) {
    import.error = FileFaultText(in.Path(), QStringLiteral(" を読めません"), in.ErrorNumber());
    return import;
  }
  VbFile out(MichinoekiTxtPath(), VbMode::Output);
  if (!out.IsOpen()) {
    import.error = FileFaultText(out.Path(), QStringLiteral(" を書き込めません"), out.ErrorNumber()) + kept;
    return import;
  }
  QByteArray bytes;
  int32_t number = 0;
  while (in.LineInputBytes(bytes)) {
    if (++number % kYieldEvery == 0) DoEvents();
    if (number == 1) continue;  // the heading
    if (bytes.trimmed().isEmpty()) {
      ++import.blankLines;
      continue;
    }
    const QList<QByteArray> fields = SplitCsvBytes(bytes);
    const qsizetype items = fields.size();
    if (items > kStationItems) {
      import.longLines << number;
      continue;
    }
    // A station without a number would take every remark that holds "□".
    if (FromAnsi(fields[0]).remove(kBox).trimmed().isEmpty()) {
      import.unnumberedLines << number;
      continue;
    }
    // A line that stops after its fourth item gets the empty fifth one.
    if (items < kStationItems) bytes.append(',');
    if (!out.Print({bytes})) break;
    ++import.stations;
  }
  // No usable line: the earlier list is better than none.
  if (import.stations == 0) {
    out.Abandon();
    import.error = RealPath(source) + QStringLiteral(" に読み込める道の駅がありません。") + kept;
    return import;
  }
  if (!out.Close()) {
    import.error = FileFaultText(out.Path(), QStringLiteral(" を書き込めません"), out.ErrorNumber()) + kept;
    return import;
  }
  import.ok = true;
  return import;
}

QString StationImportNotice(const StationImport& import) {
  QStringList parts;
  if (!import.longLines.isEmpty())
    parts << QStringLiteral("項目が５つを超える行は読み込みませんでした（%1 行目）")
                 .arg(lineNumbers(import.longLines));
  if (!import.unnumberedLines.isEmpty())
    parts << QStringLiteral("道の駅No のない行は読み込みませんでした（%1 行目）")
                 .arg(lineNumbers(import.unnumberedLines));
  if (import.blankLines > 0) parts << QStringLiteral("空行 %1 行を飛ばしました").arg(import.blankLines);
  return parts.join(QStringLiteral("\r\n"));
}

int32_t LoadMichinoekiTxt(const QString& path) {
  Roadside.RoadsideStationCount = 0;
  StationListRead read = ReadStationList(path, true);
  if (!read.error.isEmpty()) {
    Roadside.RoadsideStations.clear();
    MsgBox(read.error + QStringLiteral("\r\n") + HamlogFolder() +
           QStringLiteral("/ にMichinoeki.txtがありますか？"));
    return 0;
  }
  Roadside.RoadsideStations = std::move(read.stations);
  Roadside.RoadsideStationCount = static_cast<int32_t>(Roadside.RoadsideStations.size());
  return Roadside.RoadsideStationCount;
}

// ---- Stations named in remarks

StationMatcher::StationMatcher(const std::vector<RoadsideStation>& stations) {
  numbers_.reserve(stations.size());
  for (const RoadsideStation& s : stations) {
    QString n = s.number;
    n.remove(kBox);
    numbers_.push_back(ToAnsi(n));
  }
  for (int i = 0; i < static_cast<int>(numbers_.size()); ++i) {
    const QByteArray& n = numbers_[size_t(i)];
    if (n.isEmpty()) {
      if (emptyNumber_ < 0) emptyNumber_ = i;
      continue;
    }
    first_.try_emplace(std::string_view(n.constData(), size_t(n.size())), i);
    const auto byte = [&n](int k) { return static_cast<unsigned char>(n[k]); };
    firstByte_.set(byte(0));
    if (n.size() == 1)
      oneByteNumber_ = true;
    else
      firstTwo_.set(size_t(byte(0)) << 8 | byte(1));
    if (std::find(lengths_.begin(), lengths_.end(), int(n.size())) == lengths_.end())
      lengths_.push_back(int(n.size()));
  }
}

int StationMatcher::Match(const char* remark, int length) const {
  int best = emptyNumber_ < 0 ? INT32_MAX : emptyNumber_;
  const auto* bytes = reinterpret_cast<const unsigned char*>(remark);
  // A number occurs in the text when its bytes start at a character boundary.
  for (int i = 0; i < length && best > 0; i += IsAnsiLeadByte(bytes[i]) ? 2 : 1) {
    if (!firstByte_.test(bytes[i])) continue;
    if (!oneByteNumber_ && (i + 1 >= length || !firstTwo_.test(size_t(bytes[i]) << 8 | bytes[i + 1])))
      continue;
    for (int len : lengths_) {
      if (i + len > length) continue;
      auto it = first_.find(std::string_view(remark + i, size_t(len)));
      if (it != first_.end() && it->second < best) best = it->second;
    }
  }
  return best == INT32_MAX ? -1 : best;
}

char RoadsideScan::Mark(int station, int column) const {
  if (station < 0 || station >= stations || column < kRoadsideFirstBandColumn || column > kRoadsideLastBandColumn)
    return 0;
  return marks[size_t(station) * kRoadsideMarkedBands + size_t(bandIndex(column))];
}

int32_t RoadsideScan::Record(int station, int column) const {
  if (Mark(station, column) == 0) return 0;
  return CellRecordNo[size_t(station) * kRoadsideMarkedBands + size_t(bandIndex(column))];
}

int RoadsideColumnOfBand(const QString& band) {
  for (int i = 0; i < kRoadsideMarkedBands; ++i)
    if (band == QLatin1String(kBandNames[i])) return kRoadsideFirstBandColumn + i;
  return 0;
}

namespace {

// The remark as the comparison sees it: NUL characters out, blanks around it off. `buffer` holds a copy
// only when the field has a NUL in it.
int cleanRemark(QByteArrayView field, char* buffer, const char*& start) {
  const char* p = field.data();
  int n = int(field.size());
  if (std::memchr(p, 0, size_t(n))) {
    int k = 0;
    for (int i = 0; i < n; ++i)
      if (p[i] != 0) buffer[k++] = p[i];
    p = buffer;
    n = k;
  }
  while (n > 0 && p[n - 1] == ' ') --n;
  while (n > 0 && *p == ' ') ++p, --n;
  start = p;
  return n;
}

bool passesConditions() {
  QString date = Qso.QsoDate;
  date.remove(u'-');
  if (date < ReadConditions.StartDate || date > ReadConditions.EndDate) return false;
  if (!ModeIsSelected(Qso.QsoMode)) return false;
  for (const QString& kind : ReadConditions.ExcludedQslKinds)
    if (!kind.isEmpty() && kind == Qso.QslVia) return false;
  return true;
}

}  // namespace

void MarkBandCell(RoadsideScan& scan, int station, int column, int32_t recNo, bool confirmed) {
  if (station < 0 || station >= scan.stations || column < kRoadsideFirstBandColumn || column > kRoadsideLastBandColumn)
    return;
  const size_t cell = size_t(station) * kRoadsideMarkedBands + size_t(bandIndex(column));
  if (scan.marks[cell] == 'C') return;
  scan.CellRecordNo[cell] = recNo;
  if (confirmed) {
    scan.marks[cell] = 'C';
    ++scan.ScanCfmCount;
  } else {
    scan.marks[cell] = 'W';
  }
  ++scan.ScanWkdCount;
}

namespace {

enum class RecordScan { Next, Stop };

// One record of the pass read from the log: its mark when its remarks name a station.
RecordScan scanRecord(RoadsideScan& scan, const StationMatcher& matcher, int32_t r) {
  Qso.QsoRecNo = r;
  const int32_t read = THW_read(Hamlog.Thw, r, 3);
  if (read == HAMLOG_DELETED) return RecordScan::Next;  // no QSO any more, nothing to tie to a station
  if (read != 0) {
    MsgBox(QStringLiteral("HAMLOGデータが読めませんでした。1\r\n") + HamlogWriteFailureText(read, r));
    return RecordScan::Stop;
  }
  int remark = 0;
  for (int field : {13, 14}) {
    const QByteArrayView f = ThwBytes(Hamlog.Thw, field);
    if (HasBoxMark(f.data(), int(f.size()))) {
      remark = field;
      break;
    }
  }
  if (remark == 0) return RecordScan::Next;
  if (ReadQsoBasic(r, 0) != 0) return RecordScan::Stop;
  if (!passesConditions()) return RecordScan::Next;
  char buffer[256];
  const char* text = nullptr;
  const int length = cleanRemark(ThwBytes(Hamlog.Thw, remark), buffer, text);
  const int station = matcher.Match(text, length);
  if (station < 0) {
    ++scan.UnlistedCount;
    return RecordScan::Next;
  }
  const int column = RoadsideColumnOfBand(Qso.QsoBand.trimmed());
  if (column == 0) return RecordScan::Next;
  MarkBandCell(scan, station, column, r, !Qso.QslReceived.trimmed().isEmpty());
  return RecordScan::Next;
}

// The pass on the column copy, which holds every record of the open log with its remark marks: only
// the marked QSOs are looked at, those the copy does not hold as plain text read from the log.
bool scanCopy(RoadsideScan& scan, const StationMatcher& matcher, const QsoColumnCopy& copy) {
  const bool extended = Settings.ExtendedBandSet == 1;
  std::vector<signed char> modeSelected(size_t(copy.Modes().size()), -1);
  std::vector<int> columns;  // by band number; -1 for a band the reading of the record reports
  for (int band = 0; band < 256; ++band) {
    const QString& label = PaddedBandLabel(band, extended);
    columns.push_back(label.at(0) == u' ' ? -1 : RoadsideColumnOfBand(label.trimmed()));
  }
  // The period as numbers when both ends are eight digits, as they are when the settings wrote them.
  const auto dateNumber = [](const QString& text) {
    bool ok = text.size() == 8;
    for (QChar c : text) ok = ok && c >= u'0' && c <= u'9';
    return ok ? text.toInt() : -1;
  };
  const int firstDay = dateNumber(ReadConditions.StartDate), lastDay = dateNumber(ReadConditions.EndDate);
  char buffer[256];
  for (const auto& [r, remark] : copy.MarkedRemarks()) {
    const QsoColumnRecord& q = copy[r];
    const int column = columns[q.band];
    if (!q.Plain() || q.date == 0 || column < 0) {
      if (scanRecord(scan, matcher, r) == RecordScan::Stop) return false;
      continue;
    }
    if (firstDay >= 0 && lastDay >= 0) {
      if (q.date < firstDay || q.date > lastDay) continue;
    } else {
      const QString date = QString::number(q.date).rightJustified(8, u'0');
      if (date < ReadConditions.StartDate || date > ReadConditions.EndDate) continue;
    }
    signed char& selected = modeSelected[q.mode];
    if (selected < 0) selected = ModeIsSelected(copy.Modes().at(q.mode)) ? 1 : 0;
    if (!selected) continue;
    const QChar via = QLatin1Char(q.via());
    bool excluded = false;
    for (const QString& kind : ReadConditions.ExcludedQslKinds) excluded |= kind.size() == 1 && kind.at(0) == via;
    if (excluded) continue;
    const char* text = nullptr;
    const int length = cleanRemark(remark, buffer, text);
    const int station = matcher.Match(text, length);
    if (station < 0) {
      ++scan.UnlistedCount;
      continue;
    }
    if (column == 0) continue;
    const char received = q.received();
    MarkBandCell(scan, station, column, r, !(received == ' ' || (received >= 9 && received <= 13)));
  }
  return true;
}

}  // namespace

RoadsideScan ScanHamlogForStations(const std::vector<RoadsideStation>& stations, QsoColumnCopy* copy) {
  RoadsideScan scan;
  const FreqErrorReportBatch report;
  scan.stations = static_cast<int32_t>(stations.size());
  scan.marks.assign(size_t(scan.stations) * kRoadsideMarkedBands, 0);
  scan.CellRecordNo.assign(scan.marks.size(), 0);
  Hamlog.LastResult = HamlogOpenDb();
  if (Hamlog.LastResult != 0) {
    MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータがOpen出来ません。")));
    return scan;
  }
  scan.opened = true;
  const StationMatcher matcher(stations);
  // The log as it stands now: QSOs logged since the start window counted it are in the sheet too.
  const int32_t total = Vdbf_rcount(Hamlog.Thw);
  if (copy && copy->ReadToLogEnd() == HAMLOG_OK && copy->ReadRemarkMarks() == HAMLOG_OK && copy->Count() == total) {
    scan.complete = scanCopy(scan, matcher, *copy);
    HamlogCloseDb(0);
    return scan;
  }
  for (int32_t r = 1; r <= total; ++r) {
    if (scanRecord(scan, matcher, r) == RecordScan::Stop) {
      HamlogCloseDb(0);
      return scan;
    }
  }
  HamlogCloseDb(0);
  scan.complete = true;
  return scan;
}

// ---- Outputs

BandKeyColumns RoadsideBandKeyColumns(const QString& key) {
  static const char* const keys[] = {"1R9", "3R5", "7",   "10",   "14",   "18",   "21",  "24",
                                     "28",  "50",  "144", "430",  "1200", "2400", "5600"};
  for (int i = 0; i < kRoadsideMarkedBands; ++i)
    if (key == QLatin1String(keys[i])) return {kRoadsideFirstBandColumn + i, kRoadsideFirstBandColumn + i};
  if (key == u"SAT") return {kRoadsideSatColumn, kRoadsideSatColumn};
  if (key == u"ALL(1R9to5600)") return {kRoadsideFirstBandColumn, kRoadsideLastBandColumn};
  if (key == u"ALL(1R9to5600_and_SAT)") return {kRoadsideFirstBandColumn, kRoadsideSatColumn};
  return {};
}

bool WriteBandStationList(const BandListRequest& request, const std::vector<RoadsideStation>& stations,
                          const RoadsideScan& scan) {
  Hamlog.LastResult = HamlogOpenDb();
  if (Hamlog.LastResult != 0) {
    MsgBox(WithOpenFailureCause(QStringLiteral("HAMLOGデータがOpen出来ません。")));
    return false;
  }
  struct Line {
    QString number, name, call, date, band, mode;
  };
  std::vector<Line> lines;
  bool readAll = true;
  for (int station : request.shownStations) {
    if (station < 0 || station >= static_cast<int>(stations.size())) continue;
    for (int c = request.firstColumn; c > 0 && c <= request.lastColumn; ++c) {
      const int32_t rec = scan.Mark(station, c) == 'C' ? scan.Record(station, c) : 0;
      if (rec <= 0) continue;
      Qso.QsoRecNo = rec;
      if (ReadQsoFull(rec) != 0) {
        readAll = false;
        break;
      }
      const RoadsideStation& s = stations[size_t(station)];
      lines.push_back({s.number, s.name, Qso.QsoCall, Qso.QsoDate, Qso.QsoBand.trimmed(), Qso.QsoMode});
    }
    if (!readAll) break;
  }
  HamlogCloseDb(0);
  // Columns wide enough for the longest name and call of the list, two blanks between.
  int nameWidth = 0, callWidth = 0;
  for (const Line& l : lines) {
    nameWidth = std::max(nameWidth, AnsiLen(l.name));
    callWidth = std::max(callWidth, int(l.call.size()));
  }
  VbFile out(request.path, VbMode::Output);
  for (const Line& l : lines) {
    if (request.format == u"T")
      out.Print({l.number + QStringLiteral("  ") + l.name + QString(nameWidth - AnsiLen(l.name) + 2, u' ') +
                 l.call.leftJustified(callWidth + 2) + l.date + QStringLiteral("  ") + l.band.leftJustified(4) +
                 QStringLiteral("  ") + l.mode});
    else
      out.Print({CsvLine({l.number, l.name, l.call, l.date, l.band, l.mode})});
  }
  if (!out.Close() || !readAll) {
    MsgBox(QStringLiteral("すみません、エラーが発生しました>") + QString::number(readAll ? 2 : 1) + "\r\n" +
           (readAll
                ? FileFaultText(out.Path(), QStringLiteral(" を書き込めません"), out.ErrorNumber())
                : request.path + QStringLiteral(" の一覧は途中までです (HAMLOG の交信が読めませんでした)")));
    return false;
  }
  return true;
}

bool WriteRoadsideTable(const QString& path, const QStringList& headings, const std::vector<RoadsideStation>& stations,
                        const RoadsideScan& scan, QString& error) {
  VbFile out(path, VbMode::Output);
  out.Print({CsvLine(headings)});
  for (int i = 0; i < static_cast<int>(stations.size()); ++i) {
    const RoadsideStation& s = stations[size_t(i)];
    QStringList items{s.number, s.name, s.code, s.qth};
    for (int c = kRoadsideFirstBandColumn; c <= kRoadsideSatColumn; ++c) {
      const char m = scan.Mark(i, c);
      items << (m ? QString(QChar(m)) : QString());
    }
    out.Print({CsvLine(items)});
  }
  if (!out.Close()) {
    error = out.ErrorText();
    return false;
  }
  return true;
}

// ---- The progress sheet's look-up

std::vector<StationOfCode> StationsInCode(const QString& code) {
  std::vector<StationOfCode> found;
  if (code.isEmpty()) return found;
  for (int i = 0; i < Roadside.RoadsideStationCount && i < static_cast<int>(Roadside.RoadsideStations.size()); ++i) {
    const RoadsideStation& s = Roadside.RoadsideStations[size_t(i)];
    const bool match = code.size() == 5 ? s.code.left(5) == code : s.code == code;
    if (!match) continue;
    QString number = s.number;
    number.remove(kBox);
    found.push_back({i, number + u' ' + s.name + u' ' + s.code});
  }
  return found;
}

RoadsideBands RoadsideBandsOf(const QString& key) {
  RoadsideBands bands;
  VbFile in(JoinPath(Settings.DataFolder, QString::fromUtf8(kRoadsideTableFile)), VbMode::Input, 0, VbAccess::Read);
  if (!in.IsOpen() || key.isEmpty()) return bands;
  QByteArray bytes;
  constexpr int kItems = 4 + kRoadsideMarkedBands + 1;
  while (in.LineInputBytes(bytes)) {
    const QList<QByteArray> items = SplitCsvBytes(bytes);
    if (!FromAnsi(items.value(0)).contains(key)) continue;
    if (items.size() < kItems) return bands;  // a short record: no answer
    for (int k = 0; k <= kRoadsideMarkedBands; ++k) {
      const QByteArray& cell = items[4 + k];
      const QString name = k < kRoadsideMarkedBands ? QLatin1String(kBandNames[k]) + QStringLiteral("MHz") : QStringLiteral("Sat");
      if (cell == "C") bands.cfm += name + u',';
      if (cell == "W") bands.wkd += name + u',';
    }
    bands.found = true;
    return bands;
  }
  return bands;
}
