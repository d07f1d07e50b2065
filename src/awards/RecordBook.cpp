#include "awards/RecordBook.h"

#include <QDate>
#include <QFileInfo>
#include <algorithm>

#include "awards/CsvFields.h"
#include "platform/codepage.h"
#include "platform/cores.h"
#include "platform/ksort.h"
#include "platform/paths.h"
#include "platform/vbfile.h"

RecordBookState RecordBook;

namespace {

// The file's six fields: date, code, QTH, mark, remark, status.
constexpr int kBookFields = 6;

// Call area by prefecture number 1 .. 47.
constexpr char16_t kAreaOfPrefecture[48] = {
    0,    u'8', u'7', u'7', u'7', u'7', u'7', u'7', u'0', u'0', u'1', u'1', u'1', u'1', u'1', u'1',
    u'1', u'1', u'2', u'2', u'2', u'2', u'3', u'3', u'3', u'3', u'3', u'3', u'9', u'9', u'9', u'4',
    u'4', u'4', u'4', u'4', u'5', u'5', u'5', u'5', u'6', u'6', u'6', u'6', u'6', u'6', u'6', u'6'};

// The value cut to `width` characters; counts a cut.
QString within(QString&& value, int width, int32_t& cuts) {
  if (value.size() <= width) return std::move(value);
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
  const char16_t a = code.at(0).unicode(), b = code.at(1).unicode();
  // Two ASCII digits (nearly every code) are read here; other digits as toInt reads them.
  const bool ascii = a <= u'9' && b <= u'9';
  const int prefecture = ascii ? (a - u'0') * 10 + (b - u'0') : code.left(2).toInt();
  if (prefecture < 1 || prefecture > 47) return {};
  // The digit's text lives in the table: no copy is made for each code.
  return QString::fromRawData(reinterpret_cast<const QChar*>(&kAreaOfPrefecture[prefecture]), 1);
}

std::optional<QByteArray> RecordBookStamp(const QString& bookPath) {
  QByteArray bytes;
  if (!ReadWholeFile(bookPath, bytes)) return std::nullopt;
  return bytes;
}

namespace {

// A line's row from its values (kind, code, QTH, date, mark, remark, status, area): each cut to its width.
RecordBookRow bookRow(std::array<QString, 8>&& v, int32_t& cuts) {
  RecordBookRow row;
  row.code = within(std::move(v[1]), kBookCodeWidth, cuts);
  row.qth = within(std::move(v[2]), kBookQthWidth, cuts);
  row.date = within(std::move(v[3]), kBookDateWidth, cuts);
  row.mark = within(std::move(v[4]), kBookMarkWidth, cuts);
  row.remark = within(std::move(v[5]), kBookRemarkWidth, cuts);
  row.status = within(std::move(v[6]), kBookStatusWidth, cuts);
  row.area = v[7].left(1);
  return row;
}

// The values of a line from its six fields (date, code, QTH, mark, remark, status), trimmed here.
std::array<QString, 8> bookValues(QList<QString>& f) {
  for (QString& x : f) x = std::move(x).trimmed();
  QString code = NormalizeBookCode(std::move(f[1]));
  QString kind = BookKindFlag(code), area = BookAreaDigit(code);
  return {std::move(kind), std::move(code), std::move(f[2]), std::move(f[0]),
          std::move(f[3]), std::move(f[4]), std::move(f[5]), std::move(area)};
}

// Blank as the bytes' trimmed() sees it: ASCII white space only (an ideographic space is text).
bool blankLine(QStringView line) {
  for (QChar c : line)
    if (c != u' ' && c != u'\t' && c != u'\v' && c != u'\f' && c != u'\r' && c != u'\n') return false;
  return true;
}

// Calls each(line) for every line of `text` (bytes or text), ending lines as Line Input ends them: at
// CR LF, a lone CR or a lone LF.
template <class View, class Each>
void forEachLine(View text, Each each) {
  const qsizetype n = text.size();
  // The next CR and LF, each found by a whole-run search and looked for again only once passed.
  qsizetype cr = -1, lf = -1;
  for (qsizetype at = 0; at < n;) {
    if (cr < at) cr = text.indexOf('\r', at), cr = cr < 0 ? n : cr;
    if (lf < at) lf = text.indexOf('\n', at), lf = lf < 0 ? n : lf;
    const qsizetype stop = std::min(cr, lf);
    const View line = text.sliced(at, stop - at);
    at = stop + 1;
    if (stop < n && text[stop] == '\r' && at < n && text[at] == '\n') ++at;
    each(line);
  }
}

// Lines read from a piece of the book: each one's row, and its line of the work file, whose bytes the
// sort keys are taken from (views into `workBytes`, or into `ownLines`); and what was made of them.
struct ReadLines {
  std::vector<RecordBookRow> rows;
  std::vector<std::array<QString, 6>> lines;  // of the rows
  std::vector<QByteArrayView> work;
  QByteArray workBytes;
  std::vector<QByteArray> ownLines;
  int32_t blankLines = 0, shortLines = 0, longLines = 0, unreadable = 0, cuts = 0;

  // Copies for the lines are made here, where the texts were just written (and side by side).
  void addRow(RecordBookRow&& row) {
    lines.push_back({row.date, row.code, row.qth, row.mark, row.remark, row.status});
    rows.push_back(std::move(row));
  }

  // The six fields of a line, any number given: the missing ones empty, the ones past six dropped.
  void countFields(QList<QString>& f) {
    if (f.size() < kBookFields) ++shortLines;
    if (f.size() > kBookFields) ++longLines;
    f.resize(kBookFields);
  }
};

// Every line by itself: a piece with bytes foreign to the code page is read so, and the lines that
// hold them keep the text the work file's bytes give back.
void readEachLine(QByteArrayView piece, ReadLines& out) {
  forEachLine(piece, [&](QByteArrayView bytes) {
    if (bytes.trimmed().isEmpty()) {
      ++out.blankLines;
      return;
    }
    const bool readable = IsAnsiText(bytes);
    if (!readable) ++out.unreadable;
    QList<QString> f;
    for (const QByteArray& b : SplitCsvBytes(bytes)) f << FromAnsi(b);
    out.countFields(f);
    std::array<QString, 8> v = bookValues(f);
    out.ownLines.push_back(ToAnsi(QuotedCsvLine(QStringList(v.begin(), v.end()))));
    // Text from bytes that are all Windows-31J comes back from the work file as it went in; any other
    // is read back as the work file's bytes give it.
    if (!readable)
      for (QString& x : v) x = FromAnsi(ToAnsi(x));
    out.addRow(bookRow(std::move(v), out.cuts));
  });
  out.work.assign(out.ownLines.cbegin(), out.ownLines.cend());
}

// A piece that holds only Windows-31J characters (its text turns back into the very same bytes) as
// one text: each line's text is what decoding that line alone gives, and the work lines are all
// encoded in one go.
void readWholeText(const QString& text, ReadLines& out) {
  QString workText;
  workText.reserve(text.size() + text.size() / 2);
  forEachLine(QStringView(text), [&](QStringView line) {
    if (blankLine(line)) {
      ++out.blankLines;
      return;
    }
    QList<QString> f = SplitCsvText(line);
    out.countFields(f);
    std::array<QString, 8> v = bookValues(f);
    if (!out.rows.empty()) workText += u'\n';
    AppendQuotedCsvLine(workText, v);
    out.addRow(bookRow(std::move(v), out.cuts));
  });
  // No value holds a line end: the lines come apart again at each one.
  out.workBytes = ToAnsi(workText);
  out.work.reserve(out.rows.size());
  forEachLine(QByteArrayView(out.workBytes), [&](QByteArrayView line) { out.work.push_back(line); });
}

void readPiece(QByteArrayView piece, BookReading reading, ReadLines& out) {
  if (reading == BookReading::Whole) {
    const QString text = FromAnsi(piece);
    if (ToAnsi(text) == piece) return readWholeText(text, out);
  }
  readEachLine(piece, out);
}

// The book cut into pieces of whole lines (each ends after an LF), one for each core that may work on
// them; a small book is one piece.
std::vector<QByteArrayView> bookPieces(QByteArrayView book) {
  constexpr qsizetype kSmallestPiece = 64 * 1024;
  const qsizetype count =
      std::clamp<qsizetype>(std::min<qsizetype>(UsableCores(), book.size() / kSmallestPiece), 1, 8);
  std::vector<QByteArrayView> pieces;
  qsizetype from = 0;
  for (qsizetype k = 1; k < count && from < book.size(); ++k) {
    const qsizetype lf = book.indexOf('\n', std::max(from, book.size() * k / count));
    if (lf < 0) break;
    pieces.push_back(book.sliced(from, lf + 1 - from));
    from = lf + 1;
  }
  if (from < book.size()) pieces.push_back(book.sliced(from));
  return pieces;
}

}  // namespace

RecordBookLoad LoadRecordBook(const QString& bookPath, const QString& workPath, BookReading reading) {
  RecordBookLoad load;
  // No book yet is an empty book: rows the editor adds make the first one.
  if (!QFileInfo::exists(RealPath(bookPath))) {
    load.complete = true;
    return load;
  }
  QByteArray book;
  if (!ReadWholeFile(bookPath, book)) {
    load.error = RealPath(bookPath) + QStringLiteral(" を読めませんでした");
    return load;
  }
  load.stamp = book;
  const auto workFailed = [&load, &workPath] {
    load.error = RealPath(workPath) + QStringLiteral(" を書き込めませんでした（") + FileErrorReason(LastFileError()) +
                 QStringLiteral("）");
  };
  load.encoding = ForeignEncoding(book);
  // The pieces are read side by side.
  const std::vector<QByteArrayView> pieces =
      reading == BookReading::Whole ? bookPieces(book) : std::vector<QByteArrayView>{book};
  std::vector<ReadLines> read(pieces.size());
  RunParts(pieces.size(), [&](size_t k) { readPiece(pieces[k], reading, read[k]); });
  std::vector<QByteArrayView> workLines;
  int32_t cuts = 0;
  for (const ReadLines& r : read) {
    workLines.insert(workLines.end(), r.work.cbegin(), r.work.cend());
    load.blankLines += r.blankLines;
    load.shortLines += r.shortLines;
    load.longLines += r.longLines;
    load.unreadable += r.unreadable;
    cuts += r.cuts;
  }
  std::vector<uint32_t> order;
  QString reply;
  if (!KsortOrder(QStringLiteral("/k(6:2)(2:1)(8:4)"), workLines, order, reply)) {
    load.error = RealPath(workPath) + QStringLiteral(" を並べ替えられませんでした（") + reply + QStringLiteral("）");
    return load;
  }
  // The work file stays as the sorted list the other programs know; it is made afresh on every open.
  VbFile work(workPath, VbMode::Output, 0, VbAccess::Scratch);
  if (!work.IsOpen()) {
    // Nothing was read when the work file could not be made: the notice names that alone.
    load.blankLines = load.shortLines = load.longLines = load.unreadable = 0;
    workFailed();
    return load;
  }
  // One write of all lines: Print ends the last one as it ends each.
  QByteArray sorted;
  sorted.reserve(qsizetype(book.size() * 2));
  for (uint32_t i : order) {
    if (!sorted.isEmpty()) sorted.append("\r\n", 2);
    sorted.append(workLines[i]);
  }
  if (!order.empty()) work.Print({sorted});
  if (!work.Close()) {
    workFailed();
    return load;
  }
  // Line i of the whole book is row i - start of the piece it fell in.
  std::vector<std::pair<RecordBookRow*, std::array<QString, 6>*>> rowOf;
  rowOf.reserve(workLines.size());
  for (ReadLines& r : read)
    for (size_t i = 0; i < r.rows.size(); ++i) rowOf.emplace_back(&r.rows[i], &r.lines[i]);
  load.rows.reserve(order.size());
  load.lines.reserve(order.size());
  for (uint32_t i : order) {
    load.rows.push_back(std::move(*rowOf[i].first));
    load.lines.push_back(std::move(*rowOf[i].second));
  }
  load.cutFields = cuts;
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

bool BookRowShown(const BookRowTexts& row, const BookSelection& s, const QString& dateText,
                  const BookDayWindow& day) {
  if (s.noTownsOrVillages) {
    const QStringView code = row.code.trimmed();
    if (code.size() == 6 && code.at(5).unicode() > 64) return false;
  }
  if (!s.area.isEmpty()) return row.area == s.area;
  if (!s.text.isEmpty() && s.mode == kBookAreaOrAll) return row.qth.contains(s.text);
  if (!s.text.isEmpty() && s.mode == kBookStatus) return row.status.trimmed() == s.text;
  if (s.mode == kBookNewCities) return row.status.trimmed().isEmpty() && row.mark.trimmed().isEmpty();
  if (s.mode == kBookDisappearing)
    return row.mark.contains(s.text.isEmpty() ? QStringView(u"消") : QStringView(s.text));
  if (s.mode == kBookDate) {
    if (!day.day.isEmpty()) return row.date.contains(day.day) || row.date.contains(day.neighbour);
    if (dateText.size() == 9) return false;  // a day that does not exist
    return row.date.contains(dateText);
  }
  return true;
}
