// Reads an .xlsx: the zip through minizip, the parts with QXmlStreamReader. The parts are found the
// way every spreadsheet program finds them: the workbook's sheet list names each sheet's part
// through the workbook's relationships, so a sheet's file name says nothing about its place.

#include "platform/automation/xlsx_contents.h"

#include <unzip.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

namespace {

constexpr uint64_t kLargestPart = 512ull << 20;  // a part beyond this is no workbook of ours
constexpr int32_t kMaxRow = 1048576;
constexpr int32_t kMaxColumn = 16384;

// One zip opened for reading its members whole.
class Zip {
 public:
  explicit Zip(const QString& path) : zip_(unzOpen64(QFile::encodeName(path).constData())) {}
  ~Zip() {
    if (zip_) unzClose(zip_);
  }
  Zip(const Zip&) = delete;
  Zip& operator=(const Zip&) = delete;
  bool isOpen() const { return zip_ != nullptr; }

  // The member's bytes, checked against its CRC (minizip checks it at the close once all is read);
  // false with `error` when it is missing or damaged.
  bool read(const QString& member, QByteArray& out, QString& error) {
    if (unzLocateFile(zip_, member.toUtf8().constData(), 1) != UNZ_OK) {
      error = member + QStringLiteral(" がありません");
      return false;
    }
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.uncompressed_size > kLargestPart || unzOpenCurrentFile(zip_) != UNZ_OK) {
      error = member + QStringLiteral(" を読めません");
      return false;
    }
    out.resize(qsizetype(info.uncompressed_size));
    qsizetype got = 0;
    bool ok = true;
    while (got < out.size()) {
      const int n = unzReadCurrentFile(zip_, out.data() + got,
                                       unsigned(std::min<qsizetype>(out.size() - got, 1 << 20)));
      if (n <= 0) {
        ok = false;
        break;
      }
      got += n;
    }
    const int closed = unzCloseCurrentFile(zip_);
    if (!ok || closed != UNZ_OK) {
      error = member + QStringLiteral(" が壊れています");
      return false;
    }
    return true;
  }

 private:
  unzFile zip_;
};

// "worksheets/sheet1.xml" beside xl/workbook.xml -> "xl/worksheets/sheet1.xml"; "/xl/..." as it stands.
QString PartPath(const QString& target) {
  if (target.startsWith('/')) return target.mid(1);
  return QDir::cleanPath(QStringLiteral("xl/") + target);
}

struct Relationship {
  QString type, target;
};

// Id -> relationship of xl/_rels/workbook.xml.rels.
QHash<QString, Relationship> Relationships(const QByteArray& xml, QString& error) {
  QHash<QString, Relationship> out;
  QXmlStreamReader r(xml);
  while (!r.atEnd()) {
    r.readNext();
    if (r.isStartElement() && r.name() == QLatin1String("Relationship")) {
      const QXmlStreamAttributes a = r.attributes();
      out.insert(a.value("Id").toString(), {a.value("Type").toString(), a.value("Target").toString()});
    }
  }
  if (r.hasError()) error = QStringLiteral("xl/_rels/workbook.xml.rels: ") + r.errorString();
  return out;
}

// The text of a string item (<si> or <is>): plain <t>, or the <t> of its runs; the phonetic
// reading of Japanese text (<rPh>) is not part of the value.
QString ItemText(QXmlStreamReader& r) {
  QString out;
  while (r.readNextStartElement()) {
    if (r.name() == QLatin1String("t")) {
      out += r.readElementText();
    } else if (r.name() == QLatin1String("r")) {
      while (r.readNextStartElement()) {
        if (r.name() == QLatin1String("t"))
          out += r.readElementText();
        else
          r.skipCurrentElement();
      }
    } else {
      r.skipCurrentElement();
    }
  }
  return out;
}

QStringList SharedStrings(const QByteArray& xml, QString& error) {
  QStringList out;
  QXmlStreamReader r(xml);
  if (r.readNextStartElement()) {
    while (r.readNextStartElement()) {
      if (r.name() == QLatin1String("si"))
        out << ItemText(r);
      else
        r.skipCurrentElement();
    }
  }
  if (r.hasError()) error = QStringLiteral("sharedStrings.xml: ") + r.errorString();
  return out;
}

// "AB12" -> (12, 28); false for anything else.
bool ParseRef(QStringView ref, int32_t& row, int32_t& column) {
  qsizetype i = 0;
  int64_t c = 0, r = 0;
  for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && c <= kMaxColumn; ++i)
    c = c * 26 + (ref[i].unicode() - 'A' + 1);
  if (i == 0 || i == ref.size()) return false;
  for (; i < ref.size() && ref[i].isDigit() && r <= kMaxRow; ++i) r = r * 10 + ref[i].digitValue();
  if (i != ref.size() || c > kMaxColumn || r < 1 || r > kMaxRow) return false;
  row = int32_t(r);
  column = int32_t(c);
  return true;
}

class SheetReader {
 public:
  SheetReader(const QStringList& shared, XlsxSheet& sheet) : shared_(shared), sheet_(sheet) {}

  bool read(const QByteArray& xml, QString& error) {
    QXmlStreamReader r(xml);
    if (r.readNextStartElement()) {  // <worksheet>
      while (r.readNextStartElement()) {
        if (r.name() == QLatin1String("sheetData"))
          sheetData(r);
        else
          r.skipCurrentElement();
      }
    }
    if (r.hasError()) error = r.errorString();
    return !r.hasError();
  }

 private:
  static void fail(QXmlStreamReader& r, const QString& why) { r.raiseError(why); }

  void sheetData(QXmlStreamReader& r) {
    int32_t row = 0;
    while (r.readNextStartElement()) {
      if (r.name() != QLatin1String("row")) {
        r.skipCurrentElement();
        continue;
      }
      // Row and cell positions may be left out; each then follows the one before.
      const QXmlStreamAttributes rowAttributes = r.attributes();
      const QStringView given = rowAttributes.value("r");
      row = given.isEmpty() ? row + 1 : given.toInt();
      if (row < 1 || row > kMaxRow)
        return fail(r, QStringLiteral("行番号 ") + given.toString() + QStringLiteral(" が不正です"));
      int32_t column = 0;
      while (r.readNextStartElement()) {
        if (r.name() != QLatin1String("c")) {
          r.skipCurrentElement();
          continue;
        }
        const QXmlStreamAttributes cellAttributes = r.attributes();
        const QStringView ref = cellAttributes.value("r");
        int32_t cellRow = row;
        if (ref.isEmpty())
          ++column;
        else if (!ParseRef(ref, cellRow, column) || cellRow != row)
          return fail(r, QStringLiteral("セル番地 ") + ref.toString() + QStringLiteral(" が不正です"));
        if (column > kMaxColumn) return fail(r, QStringLiteral("列が多すぎます"));
        if (!cell(r, row, column)) return;
      }
    }
  }

  bool cell(QXmlStreamReader& r, int32_t row, int32_t column) {
    const QString type = r.attributes().value("t").toString();
    QString value;
    bool hasValue = false;
    while (r.readNextStartElement()) {
      if (r.name() == QLatin1String("v")) {
        value = r.readElementText();
        hasValue = true;
      } else if (r.name() == QLatin1String("is")) {
        value = ItemText(r);
        hasValue = true;
      } else {
        r.skipCurrentElement();  // the formula, extensions
      }
    }
    if (!hasValue) return true;  // a formatted empty cell
    QVariant v;
    if (type == QLatin1String("s")) {
      bool ok = false;
      const int i = value.toInt(&ok);
      if (!ok || i < 0 || i >= shared_.size()) {
        fail(r, QStringLiteral("共有文字列 ") + value + QStringLiteral(" がありません"));
        return false;
      }
      v = shared_[i];
    } else if (type == QLatin1String("b")) {
      v = value.trimmed() == QLatin1String("1");
    } else if (type == QLatin1String("inlineStr") || type == QLatin1String("str") ||
               type == QLatin1String("e") || type == QLatin1String("d")) {
      v = value;
    } else {
      bool ok = false;
      const double d = value.trimmed().toDouble(&ok);
      if (!ok) {
        fail(r, QStringLiteral("数値 ") + value + QStringLiteral(" が読めません"));
        return false;
      }
      v = d;
    }
    sheet_.cells[{row, column}] = v;
    return true;
  }

  const QStringList& shared_;
  XlsxSheet& sheet_;
};

}  // namespace

bool ReadXlsxSheets(const QString& path, std::vector<XlsxSheet>& sheets, QString& error) {
  sheets.clear();
  error.clear();
  Zip zip(path);
  if (!zip.isOpen()) {
    error = QStringLiteral("Excelブック（zip形式）ではありません");
    return false;
  }
  QByteArray workbookXml, relsXml;
  if (!zip.read(QStringLiteral("xl/workbook.xml"), workbookXml, error) ||
      !zip.read(QStringLiteral("xl/_rels/workbook.xml.rels"), relsXml, error))
    return false;
  const QHash<QString, Relationship> rels = Relationships(relsXml, error);
  if (!error.isEmpty()) return false;

  QStringList shared;
  for (const Relationship& rel : rels) {
    if (!rel.type.endsWith(QLatin1String("/sharedStrings"))) continue;
    QByteArray xml;
    if (!zip.read(PartPath(rel.target), xml, error)) return false;
    shared = SharedStrings(xml, error);
    if (!error.isEmpty()) return false;
  }

  std::vector<std::pair<QString, QString>> listed;  // name, part
  QXmlStreamReader r(workbookXml);
  while (!r.atEnd()) {
    r.readNext();
    if (!r.isStartElement() || r.name() != QLatin1String("sheet")) continue;
    QString id;
    for (const QXmlStreamAttribute& a : r.attributes())
      if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty()) id = a.value().toString();
    const auto rel = rels.constFind(id);
    if (rel == rels.constEnd()) {
      error = QStringLiteral("シート ") + r.attributes().value("name").toString() +
              QStringLiteral(" の中身がありません");
      return false;
    }
    // Chart and dialog sheets hold no cells.
    if (rel->type.endsWith(QLatin1String("/worksheet")))
      listed.emplace_back(r.attributes().value("name").toString(), PartPath(rel->target));
  }
  if (r.hasError()) {
    error = QStringLiteral("xl/workbook.xml: ") + r.errorString();
    return false;
  }
  if (listed.empty()) {
    error = QStringLiteral("ワークシートがありません");
    return false;
  }
  for (const auto& [name, part] : listed) {
    QByteArray xml;
    if (!zip.read(part, xml, error)) return false;
    XlsxSheet sheet{name, {}};
    if (!SheetReader(shared, sheet).read(xml, error)) {
      error = part + ": " + error;
      return false;
    }
    sheets.push_back(std::move(sheet));
  }
  return true;
}
