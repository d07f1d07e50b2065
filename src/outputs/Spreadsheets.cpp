#include "outputs/Spreadsheets.h"

#include <QLocale>
#include <algorithm>
#include <vector>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/HamlogAccess.h"
#include "core/QsoColumns.h"
#include "core/QsoFields.h"
#include "platform/paths.h"
#include "platform/vbdate.h"
#include "platform/vbfile.h"
#include "sheet/SheetTally.h"

namespace {

constexpr int32_t kFirstBand = 5;
constexpr int32_t kAca1200Column = 17;  // the ACA form's bands end at 1200 MHz

QString Mark(const SearchRows& rows, int32_t row, int32_t column) { return rows.Cell(row, column); }

// Reads the QSO behind a band cell into Qso; a cell without a record reads nothing.
void ReadCellQso(int32_t row, int32_t column, int32_t depth) {
  const BandCellArray<QString>& numbers = SheetTally.GridCellRecordNumbers;
  const int32_t recNo = numbers.Contains(column, row) ? numbers(column, row).toInt() : 0;
  Qso.QsoRecNo = recNo;
  if (recNo > 0) ReadQsoBasic(recNo, depth);
}

int32_t CellRecordNumber(int32_t row, int32_t column) {
  const BandCellArray<QString>& numbers = SheetTally.GridCellRecordNumbers;
  return numbers.Contains(column, row) ? numbers(column, row).toInt() : 0;
}

// The mode, call and date the book shows of each QSO behind its confirmed cells, the texts one after
// another in one store: a large log's book shows tens of thousands of QSOs.
class CellQsos {
 public:
  explicit CellQsos(size_t count) {
    spans_.reserve(count + 1);
    chars_.reserve(count * 24);
  }
  size_t Count() const { return spans_.size(); }
  QStringView Mode(size_t i) const { return text(i, 0); }
  QStringView Call(size_t i) const { return text(i, 1); }
  QStringView Date(size_t i) const { return text(i, 2); }

  void Add(QStringView mode, QStringView call, QStringView date) {
    Span& s = begin();
    s.ends[0] = append(mode);
    s.ends[1] = append(call);
    s.ends[2] = append(date);
  }
  // The same with the call's bytes in Latin-1 (ASCII).
  void Add(QStringView mode, QByteArrayView call, QStringView date) {
    Span& s = begin();
    s.ends[0] = append(mode);
    for (const char b : call) chars_.push_back(char16_t(uchar(b)));
    s.ends[1] = uint32_t(chars_.size());
    s.ends[2] = append(date);
  }
  // The QSO Qso holds.
  void AddQso() { Add(Qso.QsoMode, Qso.QsoCall, Qso.QsoDate); }

 private:
  struct Span {
    uint32_t at;
    uint32_t ends[3];  // of the mode, the call and the date
  };
  Span& begin() { return spans_.emplace_back(Span{uint32_t(chars_.size()), {}}); }
  uint32_t append(QStringView text) {
    chars_.insert(chars_.end(), text.utf16(), text.utf16() + text.size());
    return uint32_t(chars_.size());
  }
  QStringView text(size_t i, int part) const {
    const Span& s = spans_[i];
    const uint32_t from = part == 0 ? s.at : s.ends[part - 1];
    return QStringView(chars_.data() + from, qsizetype(s.ends[part] - from));
  }
  std::vector<Span> spans_;
  std::vector<char16_t> chars_;
};

// The QSOs of records `wanted` (ascending, distinct) as ReadQsoBasic gives them at depth 2, read one
// after another in file order.
void ReadQsos(const std::vector<int32_t>& wanted, CellQsos& qsos) {
  for (const int32_t recNo : wanted) {
    Qso.QsoRecNo = recNo;
    // A record that cannot be read (the reader told the operator) shows nothing rather than the QSO
    // read before it; a deleted one reads as empty fields.
    if (ReadQsoBasic(recNo, 2) != 0 && Hamlog.LastResult != HAMLOG_DELETED)
      qsos.Add(QStringView(), QStringView(), QStringView());
    else
      qsos.AddQso();
  }
}

// The same from the column copy when it holds the log as it is now and every record wanted; false
// (nothing added) otherwise. Qso is left as the reading one by one leaves it: the last record read.
bool CopiedQsos(const std::vector<int32_t>& wanted, CellQsos& qsos) {
  const QsoColumnCopy& copy = QsoColumns;
  if (wanted.empty() || wanted.back() > copy.Count() || !copy.CoversLogEnd()) return false;
  copy.Prefetch(wanted);
  for (size_t i = 0; i < wanted.size(); ++i) {
    copy.PrefetchAhead(wanted, i);
    const int32_t n = wanted[i];
    const QsoColumnRecord& r = copy[n];
    if (!r.Live())  // a deleted record shows nothing
      qsos.Add(QStringView(), QStringView(), QStringView());
    else if (r.Plain())  // its fields are ASCII
      qsos.Add(copy.Mode(n), copy.Call(n), QsoDateText(r.date));
    else
      qsos.Add(copy.Mode(n), copy.Texts(n).call,
               r.date != 0 ? QsoDateText(r.date) : QsoDateText(copy.Texts(n).rawDate));
  }
  Qso.QsoRecNo = wanted.back();
  ReadQsoBasic(wanted.back(), 2);
  return true;
}

QString Grouped(int32_t n) { return QLocale(QLocale::English).toString(n); }

// The text between two positions; empty when the rule's character is missing.
QString Between(const QString& text, qsizetype from, qsizetype to) {
  if (from < 0 || to < 0 || to <= from) return QString();
  return text.mid(from, to - from);
}

}  // namespace

QString ShellOpenFailureText(int result, const QString& name) {
  switch (result) {
    case 0:
      return QStringLiteral("メモリまたはリソースが不足です");
    case 2:
      return name + QStringLiteral("が見つかりません");
    case 3:
      return QStringLiteral("パスが見つかりません");
    case 5:
      return QStringLiteral("何故かアクセスが拒否されました");
    case 11:
      return QStringLiteral("不正な形式とみなされました");
    case 27:
      return QStringLiteral("関連付けが不完全です");
    case 31:
      return QStringLiteral("．ＸＬＳが関連付けが指定されておりません");
    default: {
      const bool blank = name == kAcaWorkbook || name == kChousonWorkbook;
      return name + (blank ? QStringLiteral(" が開けませんでした") : QStringLiteral("が開けませんでした"));
    }
  }
}

QString WorkbookOpenFailureText(const Workbook& book, int result, const QString& name) {
  const QString why = book.ErrorText();
  if (why.isEmpty()) return ShellOpenFailureText(result, name);
  // A refusal whose reason is known (a lock, a folder barred) is that reason, not "for some reason".
  if (result == 5) return why;  // access denied
  return ShellOpenFailureText(result, name) + "\r\n" + why;
}

QString ExcelErrorText(int error) {
  switch (error) {
    case 0:
      return QStringLiteral("メッセージ バーで、セキュリティ（マクロ）の警告が出ていれば") + "\r\n" +
             QStringLiteral("[コンテンツの有効化] をクリックして下さい");
    case 424:
      return QStringLiteral("Excel が終了されました。");
    case 1004:
      return QStringLiteral("Excelのｾｷｭﾘﾃｨ設定ﾚﾍﾞﾙの問題です") + "\r\n" +
             QStringLiteral("ｾｷｭﾘﾃｨﾚﾍﾞﾙを下げてください");
    case 9:
      return QStringLiteral(
          "ワークブックに書き込むシートがありません (シートが消されたか、別のワークブックです)");
    default:
      return QStringLiteral("表計算ソフトとのやり取りが思わぬ理由で失敗しました");
  }
}

QString ExcelDataFilePath(bool extended) {
  return JoinPath(ProgramFolder(), extended ? "FOREXCELsp.DAT" : "FOREXCEL.DAT");
}

bool WriteExcelDataFile(const SearchRows& rows, bool extended, const QString& delQth, QString& error) {
  VbFile f(ExcelDataFilePath(extended), VbMode::Output);
  if (!f.IsOpen()) {
    error = f.ErrorText();
    return false;
  }
  const int32_t last = extended ? 26 : 20;
  for (int32_t r = 1; r <= rows.LastDataRow(); ++r) {
    if (rows.Cell(r, 1).trimmed() == QLatin1String("1001")) continue;
    if (delQth != QLatin1String("0") && rows.Cell(r, 2).contains('*')) continue;
    QStringList fields;
    for (int32_t c = 1; c <= last; ++c) fields << '"' + rows.Cell(r, c) + '"';
    f.Print({fields.join(',')});
  }
  if (!f.Close()) {
    error = f.ErrorText();
    return false;
  }
  return true;
}

void DefineMacroStandIns(Workbook& book, const QString& name) {
  if (name == kCfmWkdWorkbook) {
    book.DefineMacro("Main", [](Workbook& b, const QVariantList& args) {
      const bool extended = args.value(0).toInt() == 1;
      b.SelectSheet(QString());
      static const char* heads[] = {"CODE", "QTH", "IDX", "AREA"};
      for (int32_t c = 1; c <= (extended ? 26 : 20); ++c)
        b.SetCell(1, c, c <= 4 ? QString::fromUtf8(heads[c - 1]) : BandHeading(c));
      VbFile f(ExcelDataFilePath(extended), VbMode::Input);
      QString line;
      for (int32_t r = 2; f.LineInput(line); ++r) {
        const QStringList fields = line.split(',');
        // The data file keeps the sheet's padding; the workbook holds the values, so its codes match
        // those of the other workbooks.
        for (int c = 0; c < fields.size(); ++c) {
          QString v = fields[c];
          if (v.startsWith('"') && v.endsWith('"') && v.size() >= 2) v = v.mid(1, v.size() - 2);
          b.SetCell(r, c + 1, v.trimmed());
        }
      }
      return 0;
    });
  } else if (name == kOrbBookWorkbook) {
    book.DefineMacro("Main", [](Workbook& b, const QVariantList& args) {
      b.SelectSheet(QString());
      b.ClearSheet();
      b.SetCell(1, 1, QStringLiteral("ORB本"));
      b.SetCell(2, 1, QStringLiteral("コード行数"));
      b.SetCell(2, 2, args.value(0).toInt());
      // Each band's column pair (mode | call, date below) under the band's name.
      b.SetCell(3, 1, QStringLiteral("コード"));
      b.SetCell(3, 2, QStringLiteral("QTH"));
      for (int32_t band = kFirstBand; band <= BandLayout.LastBandColumn; ++band)
        b.SetCell(3, OrbBookColumn(band), BandHeading(band));
      // A table posted from the application book stays on its sheet.
      if (b.SelectSheetAt(2) != 0) {
        b.SelectSheet(kOrbPostingSheet);
        b.SetCell(1, 1, QStringLiteral("ORB本用 集計の「この集計表を転記」でここに集計（累積）表を転記します"));
      }
      return 0;
    });
  } else if (name == kChousonWorkbook) {
    book.DefineMacro("DataCls", [](Workbook& b, const QVariantList& args) {
      b.SetCell(1, 2, QStringLiteral("町村リスト ") + args.value(0).toString().trimmed());
      return 0;
    });
  }
}

int32_t OrbBookColumn(int32_t bandColumn) { return 3 + 2 * (bandColumn - kFirstBand); }

OrbBookResult WriteOrbBookCells(Workbook& book, const SearchRows& rows, const KeepGoing& keepGoing) {
  OrbBookResult out;
  // The confirmed cells first: each record behind them is read once, in file order (from the column
  // copy when it holds the log), rather than once per cell wherever the sheet puts it.
  constexpr int32_t kNotConfirmed = -1, kShownBefore = -2;
  const int32_t lastRow = rows.LastDataRow(), bands = std::max(0, BandLayout.LastBandColumn - kFirstBand + 1);
  // Per row and band: the QSO the cell shows (its place in `qsos`), or one of the marks above.
  std::vector<int32_t> shows(size_t(std::max(lastRow, 0)) * size_t(bands), kNotConfirmed);
  std::vector<std::pair<int32_t, int32_t>> behind;  // record number, cell
  for (int32_t row = 1; row <= lastRow; ++row)
    for (int32_t b = 0; b < bands; ++b)
      if (Mark(rows, row, kFirstBand + b) == QLatin1String("C")) {
        const size_t cell = size_t(row - 1) * size_t(bands) + size_t(b);
        const int32_t recNo = CellRecordNumber(row, kFirstBand + b);
        shows[cell] = kShownBefore;
        if (recNo > 0) behind.emplace_back(recNo, int32_t(cell));
      }
  std::sort(behind.begin(), behind.end());
  std::vector<int32_t> wanted;
  for (const auto& [recNo, cell] : behind) {
    if (wanted.empty() || wanted.back() != recNo) wanted.push_back(recNo);
    shows[size_t(cell)] = int32_t(wanted.size() - 1);
  }
  CellQsos qsos(wanted.size());
  if (!CopiedQsos(wanted, qsos)) ReadQsos(wanted, qsos);
  // A confirmed cell without a record shows the QSO shown before it, as when each cell was read alone.
  qsos.AddQso();
  size_t shown = qsos.Count() - 1;
  const QString empty;
  int32_t r = 4;
  for (int32_t row = 1; row <= lastRow; ++row) {
    const QString code = rows.Cell(row, 1).trimmed();
    const QString name = rows.Cell(row, 2).trimmed();
    if (code == QLatin1String("1001")) continue;
    book.SetCell(r, 1, code);
    book.SetCell(r, 2, name);
    const int32_t* cells = shows.data() + size_t(row - 1) * size_t(bands);
    for (int32_t b = 0; b < bands; ++b) {
      const int32_t c = OrbBookColumn(kFirstBand + b);
      if (cells[b] == kNotConfirmed) {
        book.SetCell(r, c, empty);
        book.SetCell(r, c + 1, empty);
        book.SetCell(r + 1, c + 1, empty);
        continue;
      }
      if (cells[b] >= 0) shown = size_t(cells[b]);
      book.SetCell(r, c, qsos.Mode(shown));
      book.SetCell(r, c + 1, qsos.Call(shown));
      book.SetCell(r + 1, c + 1, qsos.Date(shown));
      ++out.confirmed;
    }
    if (keepGoing && !keepGoing()) {
      out.stopped = true;
      break;
    }
    r += 2;
  }
  return out;
}

QString JagTownCode(const QString& code) {
  QString out;
  for (const QChar ch : code) {
    if (ch >= QLatin1Char('A') && ch <= QLatin1Char('X'))
      out += QStringLiteral("\n    -") + QString::number(ch.unicode() - 'A' + 1);
    else
      out += ch;
  }
  return out;
}

ChousonResult WriteChousonCells(Workbook& book, const SearchRows& rows, bool skipAbolished, bool jagCodes) {
  ChousonResult out;
  int32_t r = 4, c = 2;
  book.SetCell(4, 1, 1);
  book.SetCell(5, 1, 1);
  for (int32_t row = 1; row <= rows.LastDataRow(); ++row) {
    const QString qth = rows.Cell(row, 2);
    if (skipAbolished && (qth.contains('*') || qth.contains(QStringLiteral("＊")))) continue;
    for (int32_t band = kFirstBand; band <= BandLayout.LastBandColumn - 1; ++band) {
      const QString code = rows.Cell(row, 1);
      book.SetCell(r, c + 1, jagCodes ? JagTownCode(code) : code);
      book.SetCell(r, c, qth.trimmed());
      if (Mark(rows, row, band) == QLatin1String("C")) {
        ReadCellQso(row, band, 3);
        book.SetCell(r, c + 2, Qso.QsoMode);
        book.SetCell(r, c + 3, Qso.QsoCall);
        book.SetCell(r + 1, c + 2, Qso.QsoBand);
        book.SetCell(r + 1, c + 3, Qso.QsoDate);
        ++out.confirmed;
        break;
      }
      book.SetCell(r, c + 2, QString());
      book.SetCell(r, c + 3, QString());
      book.SetCell(r + 1, c + 2, QString());
      book.SetCell(r + 1, c + 3, QString());
    }
    c += 4;
    if (c > 17) {
      c = 2;
      r += 2;
      book.SetCell(r, 1, r);
      book.SetCell(r + 1, 1, r);
    }
    ++out.written;
  }
  book.SetCell(r + 2, 14, QStringLiteral(" cfm 合　計  = ") + Grouped(out.confirmed) + "/" + Grouped(out.written));
  book.SetCell(r + 3, 1, QStringLiteral("SUM"));
  return out;
}

AcaNames AcaNamesOf(const QString& code, const QString& qth) {
  static const char* const prefectures[] = {
      "北海道", "青森", "岩手", "秋田", "山形", "宮城", "福島", "新潟", "長野", "東京", "神奈川", "千葉",
      "埼玉",   "茨城", "栃木", "群馬", "山梨", "静岡", "岐阜", "愛知", "三重", "京都", "滋賀", "奈良",
      "大阪",   "和歌山", "兵庫", "富山", "福井", "石川", "岡山", "島根", "山口", "鳥取", "広島", "香川",
      "徳島",   "愛媛", "高知", "福岡", "佐賀", "長崎", "熊本", "大分", "宮崎", "鹿児島", "沖縄"};
  AcaNames n;
  const QString pref = code.left(2);
  const int prefNo = pref.toInt();
  QString mark = QStringLiteral("県");
  if (pref == QLatin1String("01"))
    mark = QStringLiteral("道");
  else if (pref == QLatin1String("10"))
    mark = QStringLiteral("都");
  else if (pref == QLatin1String("22") || pref == QLatin1String("25"))
    mark = QStringLiteral("府");
  const qsizetype at = qth.indexOf(mark);
  const QString prefName = at < 0 ? QString() : qth.left(pref == QLatin1String("01") ? at + 1 : at);
  const qsizetype after = at < 0 ? -1 : at + 1;
  if (code.size() == 4) {
    n.prefecture = prefName;
    n.city = Between(qth, after, qth.lastIndexOf(QStringLiteral("市")));
  } else if (code.size() == 5) {
    n.prefecture = prefName;
    qsizetype end = qth.lastIndexOf(QStringLiteral("郡"));
    if (end < 0) end = qth.lastIndexOf(QStringLiteral("支庁"));
    n.city = Between(qth, after, end);
    if (pref == QLatin1String("01")) {
      const qsizetype open = qth.indexOf('('), close = qth.indexOf(')');
      if (open >= 0 && close > open) n.ward = qth.mid(open, close - open + 1);
    }
  } else if (code.size() == 6) {
    n.prefecture = prefNo >= 1 && prefNo <= 47 ? QString::fromUtf8(prefectures[prefNo - 1]) : QString();
    if (pref == QLatin1String("10")) {
      n.city = QStringLiteral("２３区");
      n.ward = Between(qth, qth.indexOf(QStringLiteral("都")) + 1, qth.lastIndexOf(QStringLiteral("区")));
      if (!qth.contains(QStringLiteral("都"))) n.ward.clear();
    } else {
      const qsizetype city = qth.indexOf(QStringLiteral("市"));
      n.city = city < 0 ? QString() : qth.left(city);
      n.ward = city < 0 ? QString() : Between(qth, city + 1, qth.lastIndexOf(QStringLiteral("区")));
    }
  }
  return n;
}

AcaResult WriteAcaCells(Workbook& book, const SearchRows& rows, const QString& startDate, const KeepGoing& keepGoing) {
  AcaResult out;
  int32_t r = 4;
  QString previous = QStringLiteral("01");
  const int startYear = startDate.left(4).toInt();
  book.SetCell(1, 2, startDate.left(4));
  // The form's headings: the code and name columns, and the band of each call / date column.
  book.SetCell(3, 1, QStringLiteral("県"));
  book.SetCell(3, 2, QStringLiteral("市・郡"));
  book.SetCell(3, 3, QStringLiteral("区"));
  for (int32_t band = kFirstBand; band <= kAca1200Column; ++band) book.SetCell(3, band - 1, BandHeading(band));
  for (int32_t row = 2; row <= rows.LastDataRow(); ++row) {
    bool marked = false;
    for (int32_t band = kFirstBand; band <= kAca1200Column && !marked; ++band) marked = !Mark(rows, row, band).isEmpty();
    if (!marked) continue;
    const QString code = rows.Cell(row, 1).trimmed();
    const QString qth = rows.Cell(row, 2).trimmed();
    if (IsDesignatedCityCode(code)) continue;
    if (qth.contains('*')) {
      const auto gone = VbDateValue(qth.mid(qth.lastIndexOf('*') + 1, 5) + "/01");
      if (gone && startYear > gone->year()) continue;
    }
    const QString pref = code.left(2);
    if (pref != previous) r += 2;
    book.SetCell(r, 1, pref);
    const AcaNames names = AcaNamesOf(code, qth);
    if (code.size() >= 4 && code.size() <= 6) {
      book.SetCell(r, 2, code.mid(2, code.size() == 5 ? 3 : 2));
      book.SetCell(r, 3, code.size() == 6 ? code.mid(4, 2) : QString());
      book.SetCell(r + 1, 1, names.prefecture);
      book.SetCell(r + 1, 2, names.city);
      book.SetCell(r + 1, 3, names.ward);
    }
    for (int32_t band = kFirstBand; band <= kAca1200Column; ++band) {
      const int32_t column = band - 1;
      if (Mark(rows, row, band).isEmpty()) {
        book.SetCell(r, column, QString());
        book.SetCell(r + 1, column, QString());
        continue;
      }
      ReadCellQso(row, band, 1);
      const QDate d = QDate::fromString(Qso.QsoDate, "yyyy-MM-dd");
      book.SetCell(r, column, Qso.QsoCall);
      book.SetCell(r + 1, column, d.isValid() ? QStringLiteral("%1/%2").arg(d.month()).arg(d.day()) : QString());
      ++out.written;
    }
    if (keepGoing && !keepGoing()) {
      out.stopped = true;
      break;
    }
    r += 2;
    previous = pref;
  }
  return out;
}
