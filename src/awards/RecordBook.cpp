#include "awards/RecordBook.h"

#include <QCryptographicHash>
#include <QDate>
#include <QFileInfo>
#include <algorithm>

#include "awards/CsvFields.h"
#include "platform/codepage.h"
#include "platform/ksort.h"
#include "platform/paths.h"
#include "platform/ui/doevents.h"
#include "platform/vbfile.h"

RecordBookState RecordBook;

namespace {

// The file's six fields: date, code, QTH, mark, remark, status.
constexpr int kBookFields = 6;

// Call area by prefecture number 1 .. 47.
constexpr char kAreaOfPrefecture[48] = {
    0,   '8', '7', '7', '7', '7', '7', '7', '0', '0', '1', '1', '1', '1', '1', '1', '1',
    '1', '2', '2', '2', '2', '3', '3', '3', '3', '3', '3', '9', '9', '9', '4', '4', '4',
    '4', '4', '5', '5', '5', '5', '6', '6', '6', '6', '6', '6', '6', '6'};

// The value cut to `width` characters; counts a cut.
QString within(const QString& value, int width, int32_t& cuts) {
  if (value.size() <= width) return value;
  ++cuts;
  return value.left(width).trimmed();
}

QString backupPath(const QString& bookPath) {
  const qsizetype dot = bookPath.lastIndexOf(u'.');
  const qsizetype sep = std::max(bookPath.lastIndexOf(u'/'), bookPath.lastIndexOf(u'\\'));
  return (dot > sep ? bookPath.left(dot) : bookPath) + QStringLiteral(".bak");
}

}  // namespace

QString NormalizeBookCode(QString code) {
  code.replace(u'*', u'9');
  if (code.size() == 6 && code.endsWith(u'9')) code[5] = u'Z';
  if (code == u"13440Z") return QStringLiteral("134409");
  if (code == u"10010Z") return QStringLiteral("100109");
  if (code == u"10011Z") return QStringLiteral("100119");
  return code;
}

QString BookKindFlag(const QString& code) {
  if (code.size() == 4) return QStringLiteral("0");
  if (code.size() == 6 && code.at(5).unicode() < 58) return QStringLiteral("0");
  return QStringLiteral("1");
}

QString BookAreaDigit(const QString& code) {
  if (code.size() < 2 || !code.at(0).isDigit() || !code.at(1).isDigit()) return {};
  const int prefecture = code.left(2).toInt();
  if (prefecture < 1 || prefecture > 47) return {};
  return QString(QChar(kAreaOfPrefecture[prefecture]));
}

QByteArray RecordBookStamp(const QString& bookPath) {
  QByteArray bytes;
  if (!ReadWholeFile(bookPath, bytes)) return {};
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

RecordBookLoad LoadRecordBook(const QString& bookPath, const QString& workPath) {
  RecordBookLoad load;
  load.stamp = RecordBookStamp(bookPath);
  // No book yet is an empty book: rows the editor adds make the first one.
  if (!QFileInfo::exists(RealPath(bookPath))) {
    load.complete = true;
    return load;
  }
  VbFile in(bookPath, VbMode::Input, 0, VbAccess::Read);
  if (!in.IsOpen()) {
    load.error = RealPath(bookPath) + QStringLiteral(" を読めませんでした");
    return load;
  }
  load.encoding = FileForeignEncoding(bookPath);
  const auto workFailed = [&load, &workPath] {
    load.error = RealPath(workPath) + QStringLiteral(" を書き込めませんでした（") + FileErrorReason(LastFileError()) +
                 QStringLiteral("）");
  };
  VbFile work(workPath, VbMode::Output);
  if (!work.IsOpen()) {
    workFailed();
    return load;
  }
  QByteArray bytes;
  while (in.LineInputBytes(bytes)) {
    if (bytes.trimmed().isEmpty()) {
      ++load.blankLines;
      continue;
    }
    if (!IsAnsiText(bytes)) ++load.unreadable;
    QList<QByteArray> raw = SplitCsvBytes(bytes);
    if (raw.size() < kBookFields) ++load.shortLines;
    if (raw.size() > kBookFields) ++load.longLines;
    raw.resize(kBookFields);
    QString f[kBookFields];
    for (int i = 0; i < kBookFields; ++i) f[i] = FromAnsi(raw[i]).trimmed();
    const QString code = NormalizeBookCode(f[1]);
    work.Print({QuotedCsvLine({BookKindFlag(code), code, f[2], f[0], f[3], f[4], f[5], BookAreaDigit(code)})});
  }
  if (!work.Close()) {
    workFailed();
    return load;
  }
  const QString command = QStringLiteral("/k(6:2)(2:1)(8:4) '") + workPath + QStringLiteral("' ");
  for (;;) {
    DoEvents();
    QString reply;
    const int r = ksort(command, reply);
    if (r == KsortBusy) continue;
    if (r == KsortGaveUp) {
      load.error = RealPath(workPath) + QStringLiteral(" を並べ替えられませんでした（") + reply + QStringLiteral("）");
      return load;
    }
    break;
  }
  VbFile sorted(workPath, VbMode::Input, 0, VbAccess::Read);
  if (!sorted.IsOpen()) {
    load.error = RealPath(workPath) + QStringLiteral(" を読めませんでした");
    return load;
  }
  while (sorted.LineInputBytes(bytes)) {
    QList<QByteArray> raw = SplitCsvBytes(bytes);
    raw.resize(8);
    RecordBookRow row;
    row.code = within(FromAnsi(raw[1]), kBookCodeWidth, load.cutFields);
    row.qth = within(FromAnsi(raw[2]), kBookQthWidth, load.cutFields);
    row.date = within(FromAnsi(raw[3]), kBookDateWidth, load.cutFields);
    row.mark = within(FromAnsi(raw[4]), kBookMarkWidth, load.cutFields);
    row.remark = within(FromAnsi(raw[5]), kBookRemarkWidth, load.cutFields);
    row.status = within(FromAnsi(raw[6]), kBookStatusWidth, load.cutFields);
    row.area = FromAnsi(raw[7]).left(1);
    load.rows.push_back(std::move(row));
  }
  load.complete = load.longLines == 0 && load.unreadable == 0 && load.cutFields == 0 && load.encoding.isEmpty();
  return load;
}

QString RecordBookLoadNotice(const RecordBookLoad& load) {
  QStringList parts;
  if (!load.encoding.isEmpty())
    parts << QStringLiteral("整理簿は %1 で保存されています。Windows-31J (Shift_JIS) で保存し直して下さい")
                 .arg(load.encoding);
  if (load.blankLines > 0) parts << QStringLiteral("空行 %1 行を飛ばしました").arg(load.blankLines);
  if (load.shortLines > 0) parts << QStringLiteral("項目の足りない行 %1 行は空欄で補いました").arg(load.shortLines);
  if (load.cutFields > 0)
    parts << QStringLiteral("整理簿に収まらない長さの項目が %1 個あり、切り詰めて表示しています（QTH と Rem は %2 文字まで）")
                 .arg(load.cutFields)
                 .arg(kBookRemarkWidth);
  if (load.longLines > 0) parts << QStringLiteral("項目の多すぎる行が %1 行あります").arg(load.longLines);
  if (load.unreadable > 0) parts << QStringLiteral("読めない文字を含む行が %1 行あります").arg(load.unreadable);
  if (!load.error.isEmpty()) parts << load.error + QStringLiteral("。");
  if (!load.complete && !parts.isEmpty())
    parts << QStringLiteral("整理簿を傷めないよう、この一覧は編集できず、閉じる時にも書き戻しません");
  return parts.join(QStringLiteral("\r\n"));
}

bool WriteRecordBook(const QString& bookPath, const std::vector<std::array<QString, 6>>& lines, QString& error) {
  const auto failed = [&error](const QString& path, const QString& what) {
    error = RealPath(path) + what + QStringLiteral("（") + FileErrorReason(LastFileError()) + QStringLiteral("）");
    return false;
  };
  if (IsFile(bookPath) && !FileCopy(bookPath, backupPath(bookPath)))
    return failed(backupPath(bookPath), QStringLiteral(" を作れませんでした"));
  VbFile out(bookPath, VbMode::Output);
  bool ok = out.IsOpen();
  for (size_t i = 0; ok && i < lines.size(); ++i) {
    const auto& l = lines[i];
    ok = out.Print({QuotedCsvLine({l[0], l[1], l[2], l[3], l[4], l[5]})});
  }
  if (!ok || !out.Close()) return failed(bookPath, QStringLiteral(" を書き込めませんでした"));
  return true;
}

// ---- Filters

BookDayWindow BookDayWindowOf(const QString& dateText) {
  if (dateText.size() != 9) return {};
  const QDate d = QDate::fromString(dateText.left(8), QStringLiteral("yyyyMMdd"));
  if (!d.isValid()) return {};
  const QDate other = dateText.contains(u'-') ? d.addDays(-1) : d.addDays(1);
  return {d.toString(QStringLiteral("yyyyMMdd")), other.toString(QStringLiteral("yyyyMMdd"))};
}

bool BookRowShown(const RecordBookRow& row, const BookSelection& s, const QString& dateText,
                  const BookDayWindow& day) {
  const QString code = row.code.trimmed();
  if (s.noTownsOrVillages && code.size() == 6 && code.at(5).unicode() > 64) return false;
  if (!s.area.isEmpty()) return row.area == s.area;
  if (!s.text.isEmpty() && s.mode == kBookAreaOrAll) return row.qth.contains(s.text);
  if (!s.text.isEmpty() && s.mode == kBookStatus) return row.status.trimmed() == s.text;
  if (s.mode == kBookNewCities) return row.status.trimmed().isEmpty() && row.mark.trimmed().isEmpty();
  if (s.mode == kBookDisappearing) return row.mark.contains(s.text.isEmpty() ? QStringLiteral("消") : s.text);
  if (s.mode == kBookDate) {
    if (!day.day.isEmpty()) return row.date.contains(day.day) || row.date.contains(day.neighbour);
    if (dateText.size() == 9) return false;  // a day that does not exist
    return row.date.contains(dateText);
  }
  return true;
}
