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
#include "platform/vbfile.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetProgress.h"
#include "sheet/SheetTally.h"

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
    const qsizetype n = data.size() / kDmyDbsRecordBytes;
    SheetTally.CollationStartRow = 1;
    SheetTally.PendingGunCode.clear();
    QElapsedTimer pumpClock;
    pumpClock.start();
    for (qsizetype i = 0; i < n; ++i) {
      if ((i & 4095) == 4095 && pumpClock.elapsed() >= 50) {
        progress.Pump();
        pumpClock.restart();
      }
      line(i);
    }
    writeBack();
  }

 private:
  size_t cell(int32_t column, int32_t row) const { return size_t(row - 1) * width_ + (column - 5); }

  static uint32_t bandWord(const char* b) {
    uint32_t w;
    std::memcpy(&w, b, 4);
    return w;
  }

  // The band's column, 0 when it has none; the last band looked up is kept, as lines come by band.
  int32_t columnOf(const char* band) {
    const uint32_t w = bandWord(band);
    if (w == lastBand_) return bandColumnFound_;
    lastBand_ = w;
    bandColumnFound_ = 0;
    for (const auto& [b, col] : bandColumns_)
      if (b == w) bandColumnFound_ = col;
    return bandColumnFound_;
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

  void line(qsizetype i) {
    const DmyDbsRecord rec{data_.sliced(i * kDmyDbsRecordBytes, kDmyDbsRecordBytes)};
    const QByteArrayView field = rec.Code();
    if (field != QByteArrayView(lastField_)) {
      lastField_ = field.toByteArray();
      info_ = describe(FromAnsi(field).trimmed());
    }
    const int32_t date = dateOf(rec.DateAndEnd());
    if (info_.neverCounts) return;
    if (info_.designatedFrom >= 0 && date >= info_.designatedFrom) return;
    if (info_.isTown) SheetTally.PendingGunCode = info_.gunCode;

    const int32_t start = SheetTally.CollationStartRow;
    const int32_t own = firstAtOrAfter(info_.rows, start);
    if (!SheetTally.PendingGunCode.isEmpty()) {
      if (SheetTally.PendingGunCode != pendingLookedUp_) {
        pendingLookedUp_ = SheetTally.PendingGunCode;
        auto it = rowsByCode_.find(pendingLookedUp_);
        pendingRows_ = it == rowsByCode_.end() ? nullptr : &it->second;
      }
      const int32_t gun = firstAtOrAfter(pendingRows_, start);
      if (gun > 0 && (own == 0 || gun < own)) {
        apply(gun, rec, date, i);
        SheetTally.CollationStartRow = gun;
        SheetTally.PendingGunCode.clear();
      }
    }
    if (own > 0) apply(own, rec, date, i);
  }

  static int32_t firstAtOrAfter(const std::vector<int32_t>* rows, int32_t start) {
    if (!rows) return 0;
    auto it = std::lower_bound(rows->begin(), rows->end(), start);
    return it == rows->end() ? 0 : *it;
  }

  CodeInfo describe(const QString& code) {
    CodeInfo c;
    c.code = code;
    auto it = rowsByCode_.find(code);
    c.rows = it == rowsByCode_.end() ? nullptr : &it->second;
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

  void apply(int32_t row, const DmyDbsRecord& rec, int32_t date, qsizetype line) {
    const int32_t col = columnOf(rec.Band().data());
    if (col == 0) return;  // no band column: the line marks nothing
    if (col > lastColumn_ || row > rows_) return;
    const size_t k = cell(col, row);
    const char received = rec.Received();
    auto recordNumber = [&] { return static_cast<int32_t>(VbValBytes(rec.RecordNumber())); };
    Mark& m = marks_[k];
    int32_t& count = SheetTally.CellQsoCounts(col, row);
    if (rule_ == ConfirmRule::ListedMarks) {
      const bool confirmed = listed_[static_cast<unsigned char>(received)];
      if (m == kEmpty) {
        ++count;
        m = confirmed ? kConfirmed : kWorked;
        lastLine_[k] = static_cast<int32_t>(line);
      } else if (m == kWorked) {
        ++count;
        if (confirmed) {
          m = kConfirmed;
          lastLine_[k] = static_cast<int32_t>(line);
        }
      } else if (m == kConfirmed) {
        ++count;
      }
      if (info_.tokyoWard && date >= kTokyoWardCityDate) {
        int32_t& entry = SheetTally.TokyoWardRecords(info_.tokyoWard, col);
        if (entry < 1) entry = confirmed ? recordNumber() : -recordNumber();
      }
    } else {
      ++count;
      if (m != kConfirmed) {
        m = received != ' ' ? kConfirmed : kWorked;
        lastLine_[k] = static_cast<int32_t>(line);
      }
      if (info_.tokyoWard && date >= kTokyoWardCityDate) {
        int32_t& entry = SheetTally.TokyoWardRecords(info_.tokyoWard, col);
        if (entry < 1) entry = recordNumber();
      }
    }
  }

  void writeBack() {
    static const QString w = QStringLiteral("W"), c = QStringLiteral("C");
    for (int32_t r = 1; r <= rows_; ++r)
      for (int32_t col = 5; col <= lastColumn_; ++col) {
        const size_t k = cell(col, r);
        if (lastLine_[k] < 0) continue;
        MasterTable(col, r) = marks_[k] == kConfirmed ? c : w;
        const DmyDbsRecord rec{
            data_.sliced(qsizetype(lastLine_[k]) * kDmyDbsRecordBytes, kDmyDbsRecordBytes)};
        SheetTally.CellRecordNumbers(col, r) = QString::fromLatin1(rec.RecordNumber());
        SheetTally.CellRecordDates(col, r) = dateOf(rec.DateAndEnd());
      }
  }

  ConfirmRule rule_;
  int32_t lastColumn_ = 0, rows_ = 0, width_ = 0;
  QByteArrayView data_;
  std::unordered_map<QString, std::vector<int32_t>> rowsByCode_;
  std::vector<std::pair<uint32_t, int32_t>> bandColumns_;  // band bytes, column
  uint32_t lastBand_ = 0;                                  // never four band bytes: they hold no NUL
  int32_t bandColumnFound_ = 0;
  std::vector<Mark> marks_;
  std::vector<int32_t> lastLine_;  // line that set the cell's current mark in this walk; -1 none
  std::array<bool, 256> listed_{};
  QByteArray lastField_ = QByteArray(1, '\0');  // never equal to a six-byte code field
  CodeInfo info_;
  QString pendingLookedUp_;
  const std::vector<int32_t>* pendingRows_ = nullptr;
};

void readAndCollate(ConfirmRule rule, SheetProgress& progress) {
  progress.SetGridRedraw(false);
  QByteArray data;
  ReadWholeFile(DmyDbsPath(), data);  // a missing file collates as an empty one
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

void ReadDmyDbsCount(SheetProgress& progress) { readAndCollate(ConfirmRule::ListedMarks, progress); }
void ReadDmyDbsMark(SheetProgress& progress) { readAndCollate(ConfirmRule::AnyMark, progress); }
