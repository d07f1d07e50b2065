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

}  // namespace

PrevCountsRead LoadPrevCounts(TextTable& book, const QString& base, int32_t set) {
  const QString path = base + ".DAT";
  if (!IsFile(path)) return PrevCountsRead::Missing;
  VbFile f(path, VbMode::Input, 0, VbAccess::Read);
  if (!f.IsOpen()) return PrevCountsRead::Incomplete;
  std::vector<QStringList> records;
  QByteArray line;
  while (f.LineInputBytes(line))
    if (!line.trimmed().isEmpty()) records.push_back(fieldsOf(line));
  const int32_t last = BookLastBandColumn(set);
  const int bands = last - 1;  // 16 or 22
  if (records.size() != 3) return PrevCountsRead::Incomplete;
  const qsizetype width = records[0].size();
  const bool spread = set == 1 && width == 16;
  if (width != bands && !spread) return PrevCountsRead::Incomplete;
  for (const QStringList& r : records)
    if (r.size() != width) return PrevCountsRead::Incomplete;
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
