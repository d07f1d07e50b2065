#include "sheet/Collation.h"

#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/cores.h"
#include "platform/vbfile.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetProgress.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStore.h"

namespace {

enum Mark : uint8_t { kEmpty, kWorked, kConfirmed, kOther };

Mark markOf(const QString& cell) {
  if (cell.isEmpty()) return kEmpty;
  if (cell == QLatin1String("W")) return kWorked;
  if (cell == QLatin1String("C")) return kConfirmed;
  return kOther;
}

// What the walk needs to know of one code, worked out once per run of equal codes.
struct CodeInfo {
  QString code;                                // trimmed
  const std::vector<int32_t>* rows = nullptr;  // master rows holding it, ascending
  int32_t designatedFrom = -1;                 // first day of the designated city of this code; -1 none
  bool neverCounts = false;                    // "1001"
  bool isTown = false;
  QString gunCode;        // first five characters of a town's code
  int32_t tokyoWard = 0;  // 100101 .. 100123, else 0
  bool touched = false;   // in the marks pass: a row of the code holds a cell to work out again
};

// What one walk over a stretch of lines keeps as it goes: the row it looks from, a town's gun still to
// be marked, and what it last looked up.
struct Lane {
  int32_t startRow = 1;
  QString pendingGun;
  uint64_t lastCode = ~uint64_t(0);  // never a line's code (six bytes)
  CodeInfo info;
  uint32_t lastBand = 0;  // never four band bytes: they hold no NUL
  int32_t bandColumn = 0;
  QString pendingLookedUp;
  const std::vector<int32_t>* pendingRows = nullptr;
};

class Walk {
 public:
  Walk(ConfirmRule rule) : rule_(rule) {
    const int32_t rows = std::min(SheetTally.MasterRowCount, MasterTable.Rows());
    // Every array the walk writes bounds it, so a line never reaches past one of them.
    lastColumn_ =
        std::min({BandLayout.LastBandColumn, MasterTable.Columns(), SheetTally.CellQsoCounts.LastColumn(),
                  SheetTally.CellRecordNumbers.LastColumn(), SheetTally.CellRecordDates.LastColumn(),
                  SheetTally.TokyoWardRecordsTable.LastColumn()});
    rows_ = std::min({rows, SheetTally.CellQsoCounts.Rows(), SheetTally.CellRecordNumbers.Rows(),
                      SheetTally.CellRecordDates.Rows()});
    for (int32_t r = 1; r <= rows_; ++r) rowsByCode_[MasterTable(1, r).trimmed()].push_back(r);
    width_ = lastColumn_ >= 5 ? lastColumn_ - 4 : 0;
    marks_.resize(size_t(width_) * rows_);
    lastLine_.assign(marks_.size(), -1);
    for (int32_t r = 1; r <= rows_; ++r)
      for (int32_t c = 5; c <= lastColumn_; ++c) marks_[cell(c, r)] = markOf(MasterTable(c, r));
    for (const QString& m : Settings.QslReceivedMarks) {
      const QByteArray b = ToAnsi(m);
      if (b.size() == 1) listed_[static_cast<unsigned char>(b[0])] = true;
    }
    for (int i = 0; i < kBandCount; ++i) {
      const int32_t col = i == kSatelliteBand ? BandLayout.SatelliteColumn : kFirstBandColumn + i;
      const QByteArray label = QByteArray(Bands[i].label).leftJustified(4, ' ');
      if (label.size() != 4) continue;
      const uint32_t band = bandWord(label.constData());
      if (std::none_of(bandColumns_.begin(), bandColumns_.end(),
                       [&](const auto& b) { return b.first == band; }))
        bandColumns_.emplace_back(band, col);
    }
  }

  void Run(QByteArrayView data, SheetProgress& progress) {
    data_ = data;
    if (!runInParts(progress)) pass(data, progress, nullptr);
    writeBack();
  }

  // Only the lines `added` (ascending) are new: their counts and ward records are added, and the cells
  // they reach get their mark and record number worked out again from every line that reaches them
  // (which line sets a mark depends on the file order, not on which lines came first).
  void RunAdded(QByteArrayView data, const std::vector<qsizetype>& added, SheetProgress& progress) {
    touched_.assign(marks_.size(), false);
    rowTouched_.assign(size_t(rows_) + 1, false);
    mode_ = Mode::Counts;
    pass(data, progress, &added);
    for (size_t k = 0; k < marks_.size(); ++k)
      if (touched_[k] && marks_[k] != kOther) {
        marks_[k] = kEmpty;
        rowTouched_[k / size_t(width_) + 1] = true;
      } else {
        touched_[k] = false;
      }
    mode_ = Mode::Marks;
    pass(data, progress, nullptr);
    writeBack();
  }

  // The cells whose mark or record number the walk set.
  std::vector<SheetCell> Changed() const {
    std::vector<SheetCell> cells;
    for (int32_t r = 1; r <= rows_; ++r)
      for (int32_t col = 5; col <= lastColumn_; ++col)
        if (lastLine_[cell(col, r)] >= 0) cells.push_back({col, r});
    return cells;
  }

 private:
  enum class Mode {
    All,     // marks, counts and ward records from every line
    Counts,  // counts and ward records of the listed lines; the cells they reach are noted
    Marks,   // marks of the noted cells only
  };

  // One walk over the lines; with `only`, the other lines just move the walk on, so that each listed
  // line lands where a walk of all lines puts it.
  void pass(QByteArrayView data, SheetProgress& progress, const std::vector<qsizetype>* only) {
    data_ = data;
    Lane lane;
    const qsizetype n = data.size() / kDmyDbsRecordBytes;
    QElapsedTimer pumpClock;
    pumpClock.start();
    size_t next = 0;  // in `only`
    for (qsizetype i = 0, steps = 0; i < n; ++i) {
      if ((++steps & 4095) == 0 && pumpClock.elapsed() >= 50) {
        progress.Pump();
        pumpClock.restart();
      }
      const bool listed = !only || (next < only->size() && (*only)[next] == i);
      if (listed && only) ++next;
      // A line that only passed by: so do the other lines of its code up to the next listed one.
      if (line(i, listed, lane)) i = lastOfRun(i, only && next < only->size() ? (*only)[next] : n);
    }
    SheetTally.CollationStartRow = lane.startRow;
    SheetTally.PendingGunCode = lane.pendingGun;
  }

  // The walk of all lines in parts side by side, when the lines are many and fall into stretches that
  // reach no row in common. A stretch begins where the kind flag or the prefecture changes (a town
  // and its gun share them) with no town's gun pending; the lane at each cut is found first by a walk
  // that moves over the lines without marking (a run of one code moves it as its first line does, or
  // its first line that counts). False, with nothing done, when the walk is to go in one: few lines,
  // one core, or a code whose rows two stretches would reach (lines not in the file's order, or codes
  // that differ only in blanks).
  bool runInParts(SheetProgress& progress) {
    const qsizetype n = data_.size() / kDmyDbsRecordBytes;
    constexpr qsizetype kLinesForParts = 65536;
    if (UsableCores() < 2 || n < kLinesForParts) return false;
    const size_t parts = size_t(BalancedParts());
    struct Cut {
      qsizetype from;
      Lane lane;
    };
    std::vector<Cut> cuts{{0, Lane()}};
    // The stretch each code's rows are reached from (by its own lines, or by its towns' for a gun).
    std::unordered_map<QString, size_t> stretchOfCode;
    auto claim = [&](const QString& code) {
      const auto [at, added] = stretchOfCode.try_emplace(code, cuts.size() - 1);
      return added || at->second == cuts.size() - 1;
    };
    Lane lane;
    bool runSettled = false;
    for (qsizetype i = 0; i < n; ++i) {
      const char* bytes = data_.data() + i * kDmyDbsRecordBytes;
      const bool newRun = i == 0 || codeOf(bytes) != codeOf(bytes - kDmyDbsRecordBytes);
      if (newRun) {
        runSettled = false;
        if (i > 0 && std::memcmp(bytes, bytes - kDmyDbsRecordBytes, 3) != 0 && cuts.size() < parts &&
            i >= qsizetype(cuts.size()) * n / qsizetype(parts) && lane.pendingGun.isEmpty())
          cuts.push_back({i, lane});
      }
      if (runSettled) continue;
      const bool passedBy = line(i, false, lane);
      if (newRun && (!claim(lane.info.code) || (lane.info.isTown && !claim(lane.info.gunCode)))) return false;
      runSettled = passedBy || lane.info.isTown;
      if (runSettled) i = lastOfRun(i, n);  // the rest of the run moves the walk no further
    }
    RunParts(cuts.size(), [&](size_t k) {
      Lane own = cuts[k].lane;
      const qsizetype to = k + 1 < cuts.size() ? cuts[k + 1].from : n;
      QElapsedTimer pumpClock;
      pumpClock.start();
      for (qsizetype i = cuts[k].from; i < to; ++i) {
        // Only the window thread's part lets events through.
        if (k == 0 && (i & 4095) == 0 && pumpClock.elapsed() >= 50) {
          progress.Pump();
          pumpClock.restart();
        }
        line(i, true, own);
      }
      if (k + 1 == cuts.size()) lane = own;
    });
    SheetTally.CollationStartRow = lane.startRow;
    SheetTally.PendingGunCode = lane.pendingGun;
    return true;
  }

  // The last line before `limit` that has the code of line `i` (the file keeps a code's lines
  // together).
  qsizetype lastOfRun(qsizetype i, qsizetype limit) const {
    const uint64_t code = codeOf(data_.data() + i * kDmyDbsRecordBytes);
    auto same = [&](qsizetype j) { return codeOf(data_.data() + j * kDmyDbsRecordBytes) == code; };
    qsizetype good = i, step = 1;
    while (good + step < limit && same(good + step)) good += step, step *= 2;
    for (; step > 0; step /= 2)
      if (good + step < limit && same(good + step)) good += step;
    return good;
  }

  size_t cell(int32_t column, int32_t row) const { return size_t(row - 1) * width_ + (column - 5); }

  // The six code bytes of a line as a number (compared once or twice for every line).
  static uint64_t codeOf(const char* line) {
    uint32_t head;
    uint16_t tail;
    std::memcpy(&head, line + 1, 4);
    std::memcpy(&tail, line + 5, 2);
    return head | uint64_t(tail) << 32;
  }

  static uint32_t bandWord(const char* b) {
    uint32_t w;
    std::memcpy(&w, b, 4);
    return w;
  }

  // The band's column, 0 when it has none; the last band looked up is kept, as lines come by band.
  int32_t columnOf(const char* band, Lane& lane) const {
    const uint32_t w = bandWord(band);
    if (w == lane.lastBand) return lane.bandColumn;
    lane.lastBand = w;
    lane.bandColumn = 0;
    for (const auto& [b, col] : bandColumns_)
      if (b == w) lane.bandColumn = col;
    return lane.bandColumn;
  }

  // The date of "yyyymmdd" + CR, as VbVal reads it.
  static int32_t dateOf(QByteArrayView dateAndEnd) {
    const char* d = dateAndEnd.data();
    int32_t v = 0;
    for (int i = 0; i < 8; ++i) {
      if (d[i] < '0' || d[i] > '9') return static_cast<int32_t>(VbValBytes(dateAndEnd));
      v = v * 10 + (d[i] - '0');
    }
    return d[8] == '\r' ? v : static_cast<int32_t>(VbValBytes(dateAndEnd));
  }

  // True when the line only passed by (it reaches no cell to work out and moves the walk on not at all).
  bool line(qsizetype i, bool listed, Lane& lane) {
    const DmyDbsRecord rec{data_.sliced(i * kDmyDbsRecordBytes, kDmyDbsRecordBytes)};
    const QByteArrayView field = rec.Code();
    CodeInfo& info = lane.info;
    if (const uint64_t code = codeOf(rec.bytes.data()); code != lane.lastCode) {
      lane.lastCode = code;
      info = describe(FromAnsi(field).trimmed());
      // A town's lines mark its gun's row as well: every town of a gun whose cell is worked out again
      // takes part, not only the towns the new lines came from.
      if (mode_ == Mode::Marks)
        info.touched =
            reachesTouchedRow(info.rows) || (info.isTown && reachesTouchedRow(rowsOf(info.gunCode)));
    }
    // The marks pass sets marks only in the rows the new lines reached: the lines of other codes just
    // move the walk on, unless a town's gun is pending (its row may be one of them).
    if (mode_ == Mode::Marks) listed = info.touched || !lane.pendingGun.isEmpty();
    // A line not listed matters only where it moves the walk's start row.
    if (!listed && !info.isTown && lane.pendingGun.isEmpty()) return true;
    if (info.neverCounts) return false;
    // Only a designated city's lines and the Tokyo wards' look at the date.
    const int32_t date = info.designatedFrom >= 0 || info.tokyoWard ? dateOf(rec.DateAndEnd()) : 0;
    if (info.designatedFrom >= 0 && date >= info.designatedFrom) return false;
    if (info.isTown) lane.pendingGun = info.gunCode;

    const int32_t start = lane.startRow;
    const int32_t own = firstAtOrAfter(info.rows, start);
    if (!lane.pendingGun.isEmpty()) {
      if (lane.pendingGun != lane.pendingLookedUp) {
        lane.pendingLookedUp = lane.pendingGun;
        lane.pendingRows = rowsOf(lane.pendingLookedUp);
      }
      const int32_t gun = firstAtOrAfter(lane.pendingRows, start);
      if (gun > 0 && (own == 0 || gun < own)) {
        if (listed) apply(gun, rec, date, i, lane);
        lane.startRow = gun;
        lane.pendingGun.clear();
      }
    }
    if (own > 0 && listed) apply(own, rec, date, i, lane);
    return false;
  }

  const std::vector<int32_t>* rowsOf(const QString& code) const {
    const auto it = rowsByCode_.find(code);
    return it == rowsByCode_.end() ? nullptr : &it->second;
  }

  bool reachesTouchedRow(const std::vector<int32_t>* rows) const {
    return rows && std::any_of(rows->begin(), rows->end(),
                               [&](int32_t r) { return r <= rows_ && rowTouched_[size_t(r)]; });
  }

  static int32_t firstAtOrAfter(const std::vector<int32_t>* rows, int32_t start) {
    if (!rows) return 0;
    auto it = std::lower_bound(rows->begin(), rows->end(), start);
    return it == rows->end() ? 0 : *it;
  }

  CodeInfo describe(const QString& code) const {
    CodeInfo c;
    c.code = code;
    c.rows = rowsOf(code);
    const int64_t prefecture = VbValBytes(ToAnsi(code.left(2)));
    if (code.size() == 4 && prefecture >= 1 && prefecture <= 47) {
      if (code == QLatin1String("1001")) {
        c.neverCounts = true;
      } else {
        for (const DesignatedCity& d : DesignatedCityDef.DesignatedCities)
          if (d.Code == code) {
            c.designatedFrom = d.StartDate;
            break;
          }
      }
    }
    if (code.size() == 6 && code.back().unicode() >= 'A' && code.back().unicode() <= 'Z') {
      c.isTown = true;
      c.gunCode = code.left(5);
    }
    bool numeric = false;
    const int32_t value = code.toInt(&numeric);
    if (numeric && value >= kFirstTokyoWard && value <= kLastTokyoWard) c.tokyoWard = value;
    return c;
  }

  void apply(int32_t row, const DmyDbsRecord& rec, int32_t date, qsizetype line, Lane& lane) {
    if (row > rows_ || (mode_ == Mode::Marks && !rowTouched_[size_t(row)])) return;
    const int32_t col = columnOf(rec.Band().data(), lane);
    if (col == 0) return;  // no band column: the line marks nothing
    if (col > lastColumn_) return;
    const size_t k = cell(col, row);
    const char received = rec.Received();
    const bool confirmed =
        rule_ == ConfirmRule::ListedMarks ? listed_[static_cast<unsigned char>(received)] : received != ' ';
    if (mode_ == Mode::Marks) {
      if (touched_[k]) setMark(k, confirmed, line);
      return;
    }
    // The count rule's cells that hold another text count nothing; the mark rule's count every line.
    if (rule_ == ConfirmRule::AnyMark || marks_[k] != kOther) ++SheetTally.CellQsoCounts(col, row);
    if (mode_ == Mode::All)
      setMark(k, confirmed, line);
    else
      touched_[k] = true;
    if (lane.info.tokyoWard && date >= kTokyoWardCityDate) {
      const auto recordNumber = static_cast<int32_t>(VbValBytes(rec.RecordNumber()));
      int32_t& entry = SheetTally.TokyoWardRecords(lane.info.tokyoWard, col);
      if (rule_ == ConfirmRule::ListedMarks) {
        if (entry < 1) entry = confirmed ? recordNumber : -recordNumber;
      } else if (entry < 1) {
        entry = recordNumber;
      }
    }
  }

  // The count rule keeps the first line of the best mark; the mark rule the last line until one is
  // confirmed.
  void setMark(size_t k, bool confirmed, qsizetype line) {
    Mark& m = marks_[k];
    if (rule_ == ConfirmRule::ListedMarks) {
      if (m == kEmpty || (m == kWorked && confirmed)) {
        m = confirmed ? kConfirmed : kWorked;
        lastLine_[k] = static_cast<int32_t>(line);
      }
    } else if (m != kConfirmed) {
      m = confirmed ? kConfirmed : kWorked;
      lastLine_[k] = static_cast<int32_t>(line);
    }
  }

  // A string or two for each marked cell: the rows are shared out among the cores.
  void writeBack() {
    static const QString w = QStringLiteral("W"), c = QStringLiteral("C");
    const int32_t parts = rows_ >= 256 ? std::clamp(UsableCores(), 1, 8) : 1;
    RunParts(size_t(parts), [&](size_t part) {
      const int32_t from = 1 + int32_t(int64_t(rows_) * int32_t(part) / parts),
                    to = int32_t(int64_t(rows_) * (int32_t(part) + 1) / parts);
      for (int32_t r = from; r <= to; ++r)
        for (int32_t col = 5; col <= lastColumn_; ++col) {
          const size_t k = cell(col, r);
          if (lastLine_[k] < 0) continue;
          MasterTable(col, r) = marks_[k] == kConfirmed ? c : w;
          const DmyDbsRecord rec{
              data_.sliced(qsizetype(lastLine_[k]) * kDmyDbsRecordBytes, kDmyDbsRecordBytes)};
          SheetTally.CellRecordNumbers(col, r) = QString::fromLatin1(rec.RecordNumber());
          SheetTally.CellRecordDates(col, r) = dateOf(rec.DateAndEnd());
        }
    });
  }

  ConfirmRule rule_;
  int32_t lastColumn_ = 0, rows_ = 0, width_ = 0;
  QByteArrayView data_;
  std::unordered_map<QString, std::vector<int32_t>> rowsByCode_;
  std::vector<std::pair<uint32_t, int32_t>> bandColumns_;  // band bytes, column
  std::vector<Mark> marks_;
  std::vector<int32_t> lastLine_;  // line that set the cell's current mark in this walk; -1 none
  std::array<bool, 256> listed_{};
  Mode mode_ = Mode::All;
  std::vector<bool> touched_;     // cells reached by a listed line
  std::vector<bool> rowTouched_;  // rows holding such a cell
};

void readAndCollate(ConfirmRule rule, SheetProgress& progress) {
  progress.SetGridRedraw(false);
  QByteArray data;
  ReadWorkFileLines(data);  // a missing file collates as an empty one
  CollateDmyDbs(data, rule, progress);
  FillProgressSheet(progress);
  progress.SetGridRedraw(true);
}

}  // namespace

ConfirmRule CurrentConfirmRule() {
  return Settings.QslRcvOnly == QLatin1String("YES") ? ConfirmRule::AnyMark : ConfirmRule::ListedMarks;
}

void CollateDmyDbs(QByteArrayView records, ConfirmRule rule, SheetProgress& progress) {
  Walk walk(rule);
  walk.Run(records, progress);
}

std::vector<SheetCell> CollateNewDmyDbsLines(QByteArrayView records, const std::vector<qsizetype>& newLines,
                                             ConfirmRule rule, SheetProgress& progress) {
  Walk walk(rule);
  walk.RunAdded(records, newLines, progress);
  return walk.Changed();
}

void ReadDmyDbsCount(SheetProgress& progress) { readAndCollate(ConfirmRule::ListedMarks, progress); }
void ReadDmyDbsMark(SheetProgress& progress) { readAndCollate(ConfirmRule::AnyMark, progress); }
