#include "awards/PrevCountsFile.h"

#include <QStringList>
#include <vector>

#include "awards/ApplicationBook.h"
#include "awards/CsvFields.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/vbfile.h"

namespace {

// The fields of one line: separated by commas outside quotes, each trimmed of blanks and its quotes.
QStringList fieldsOf(QByteArrayView line) {
  QStringList fields;
  for (const QByteArray& f : SplitCsvBytes(line)) fields << FromAnsi(f).trimmed();
  return fields;
}

// A count as the file keeps it: a number in the form the cells show, which reads back as it was written.
bool readsBack(const QString& text) { return !text.isEmpty() && CellText(CellValue(text)) == text; }

// A field the book can take as a count: empty, or a leading number of at most nine digits. Letters
// would show as 0 and twenty digits as 1e+20, and either would be written back so.
bool countField(const QString& field) {
  qsizetype digits = 0;
  while (digits < field.size() && field[digits] >= u'0' && field[digits] <= u'9') ++digits;
  bool number = false;
  const qlonglong value = QStringView(field).left(digits).toLongLong(&number);
  return field.isEmpty() || (number && value <= 999'999'999);
}

}  // namespace

PrevCountsRead LoadPrevCounts(TextTable& book, const QString& base, int32_t set, QString* why) {
  const QString path = base + ".DAT";
  if (!IsFile(path)) return PrevCountsRead::Missing;
  const auto incomplete = [why](const QString& cause) {
    if (why) *why = cause;
    return PrevCountsRead::Incomplete;
  };
  VbFile f(path, VbMode::Input, 0, VbAccess::Read);
  if (!f.IsOpen()) return incomplete(FileErrorReason(f.ErrorNumber()));
  std::vector<QStringList> records;
  QByteArray line;
  while (f.LineInputBytes(line))
    if (!line.trimmed().isEmpty()) records.push_back(fieldsOf(line));
  const int32_t last = BookLastBandColumn(set);
  const int bands = last - 1;  // 16 or 22
  if (records.size() != 3)
    return incomplete(QStringLiteral("3 行ではなく %1 行あります").arg(records.size()));
  const qsizetype width = records[0].size();
  const bool spread = set == 1 && width == 16;
  if (width != bands && !spread)
    return incomplete(QStringLiteral("1 行目の項目が %1 個ではなく %2 個あります").arg(bands).arg(width));
  for (size_t k = 0; k < records.size(); ++k) {
    const QStringList& r = records[k];
    if (r.size() != width)
      return incomplete(
          QStringLiteral("%1 行目の項目が %2 個ではなく %3 個あります").arg(k + 1).arg(width).arg(r.size()));
    for (qsizetype i = 0; i < r.size(); ++i)
      if (!countField(r[i]))
        return incomplete(
            QStringLiteral("%1 行目 %2 番目の「%3」は数ではありません").arg(k + 1).arg(i + 1).arg(r[i]));
  }
  for (int k = 0; k < 3; ++k) {
    const QStringList& r = records[static_cast<size_t>(k)];
    const int row = kPrevRows[k];
    for (int32_t c = 2; c <= last; ++c) {
      QString field;
      if (!spread)
        field = r[c - 2];
      else if (c <= 16)
        field = r[c - 2];
      else if (c == last)
        field = r[15];
      else
        field = QStringLiteral("0");
      book.Set(row, c, CellText(CellValue(field)));
    }
  }
  return PrevCountsRead::Read;
}

bool SavePrevCounts(const TextTable& book, const int (&rows)[3], const QString& base, int32_t set,
                    QString* error) {
  const char* const kinds[3] = {"市", "郡", "区"};
  QStringList lines;
  for (int k = 0; k < 3; ++k) {
    const int row = rows[k];
    QStringList cells;
    for (int32_t c = 2; c <= BookLastBandColumn(set); ++c) {
      const QString text = book.At(row, c).trimmed();
      // A file the next opening could not read whole would lose every count in it.
      if (!readsBack(text)) {
        if (error)
          *error = QString::fromUtf8(kinds[k]) + QStringLiteral(" ") + BookHeading(c, set) + QStringLiteral(" の「") +
                   text + QStringLiteral("」は数として読み戻せません。");
        return false;
      }
      cells << text;
    }
    lines << QuotedCsvLine(cells);
  }
  return WriteTextLines(base + ".DAT", lines, error);
}

bool BackupPrevDat(const QString& base) {
  const QString path = base + ".DAT";
  if (!IsFile(path)) return true;
  return FileCopy(path, base + ".bak");
}
