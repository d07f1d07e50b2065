#include "outputs/Spreadsheets.h"

#include <QLocale>
#include <algorithm>
#include <unordered_map>
#include <vector>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/HamlogAccess.h"
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

// The mode, call and date of every QSO behind the confirmed band cells, each record read once and in
// file order rather than once per cell wherever the sheet puts it.
struct CellQso {
  QString mode, call, date;
};
std::unordered_map<int32_t, CellQso> ReadConfirmedQsos(const SearchRows& rows, int32_t depth) {
  std::vector<int32_t> wanted;
  for (int32_t row = 1; row <= rows.LastDataRow(); ++row)
    for (int32_t band = kFirstBand; band <= BandLayout.LastBandColumn; ++band)
      if (Mark(rows, row, band) == QLatin1String("C"))
        if (const int32_t recNo = CellRecordNumber(row, band); recNo > 0) wanted.push_back(recNo);
  std::sort(wanted.begin(), wanted.end());
  wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  std::unordered_map<int32_t, CellQso> out;
  out.reserve(wanted.size());
  for (const int32_t recNo : wanted) {
    Qso.QsoRecNo = recNo;
    ReadQsoBasic(recNo, depth);
    out[recNo] = {Qso.QsoMode, Qso.QsoCall, Qso.QsoDate};
  }
  return out;
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
  return ShellOpenFailureText(result, name) + (why.isEmpty() ? QString() : "\r\n" + why);
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
    default:
      return QStringLiteral("何らかのエラー　") + QString::number(error);
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
  const std::unordered_map<int32_t, CellQso> qsos = ReadConfirmedQsos(rows, 2);
  // A confirmed cell without a record shows the QSO shown before it, as when each cell was read alone.
  CellQso shown{Qso.QsoMode, Qso.QsoCall, Qso.QsoDate};
  int32_t r = 4;
  for (int32_t row = 1; row <= rows.LastDataRow(); ++row) {
    const QString code = rows.Cell(row, 1).trimmed();
    const QString name = rows.Cell(row, 2).trimmed();
    if (code == QLatin1String("1001")) continue;
    book.SetCell(r, 1, code);
    book.SetCell(r, 2, name);
    for (int32_t band = kFirstBand; band <= BandLayout.LastBandColumn; ++band) {
      const int32_t c = OrbBookColumn(band);
      if (Mark(rows, row, band) == QLatin1String("C")) {
        if (const auto it = qsos.find(CellRecordNumber(row, band)); it != qsos.end()) shown = it->second;
        book.SetCell(r, c, shown.mode);
        book.SetCell(r, c + 1, shown.call);
        book.SetCell(r + 1, c + 1, shown.date);
        ++out.confirmed;
      } else {
        book.SetCell(r, c, QString());
        book.SetCell(r, c + 1, QString());
        book.SetCell(r + 1, c + 1, QString());
      }
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
