// Reads an .xlsx: the zip through minizip, the workbook's small parts with QXmlStreamReader. The parts are found the
// way every spreadsheet program finds them: the workbook's sheet list names each sheet's part
// through the workbook's relationships, so a sheet's file name says nothing about its place.

#include "platform/automation/xlsx_contents.h"

#include <expat.h>
#include <unzip.h>

#include <algorithm>
#include <cstring>

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
  bool has(const QString& member) { return unzLocateFile(zip_, member.toUtf8().constData(), 1) == UNZ_OK; }

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

// The string table and the worksheets, the bulk of a workbook, go through expat: a worksheet of a
// large log's ORB book holds a few hundred thousand cells, and expat reads them several times faster
// than QXmlStreamReader.
class PartParser {
 public:
  enum class Kind { Sst, Sheet };
  PartParser(Kind kind, const QStringList* shared, XlsxSheet* sheet)
      : kind_(kind), shared_(shared), sheet_(sheet), p_(XML_ParserCreate(nullptr)) {
    XML_SetUserData(p_, this);
    XML_SetElementHandler(p_, &PartParser::start, &PartParser::end);
    XML_SetCharacterDataHandler(p_, &PartParser::text);
  }
  ~PartParser() { XML_ParserFree(p_); }
  PartParser(const PartParser&) = delete;
  PartParser& operator=(const PartParser&) = delete;

  bool parse(const QByteArray& xml, QString& error) {
    if (XML_Parse(p_, xml.constData(), int(xml.size()), XML_TRUE) == XML_STATUS_ERROR && error_.isEmpty())
      error_ = QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(p_))) + QStringLiteral(" (%1 行目)")
                                                                               .arg(XML_GetCurrentLineNumber(p_));
    error = error_;
    return error_.isEmpty();
  }
  QStringList strings;  // the table's items, for Kind::Sst

 private:
  // What an element is, from its parent and its local name.
  enum class Role { Other, Root, SheetData, Row, Cell, V, Item, Run, T };

  // "x:row" -> "row": the parts' elements are all of the spreadsheet namespace, named with or
  // without a prefix (namespace processing would cost as much again).
  static const char* local(const char* name) {
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
  }
  static const char* attribute(const char** atts, const char* name) {
    for (; *atts; atts += 2)
      if (std::strcmp(local(atts[0]), name) == 0) return atts[1];
    return "";
  }

  Role roleOf(const char* name) const {
    if (stack_.empty()) return Role::Root;
    const Role parent = stack_.back();
    auto is = [name](const char* n) { return std::strcmp(name, n) == 0; };
    switch (parent) {
      case Role::Root:
        if (kind_ == Kind::Sheet) return is("sheetData") ? Role::SheetData : Role::Other;
        return is("si") ? Role::Item : Role::Other;
      case Role::SheetData: return is("row") ? Role::Row : Role::Other;
      case Role::Row: return is("c") ? Role::Cell : Role::Other;
      case Role::Cell: return is("v") ? Role::V : is("is") ? Role::Item : Role::Other;
      case Role::Item: return is("t") ? Role::T : is("r") ? Role::Run : Role::Other;
      case Role::Run: return is("t") ? Role::T : Role::Other;
      default: return Role::Other;
    }
  }

  void fail(const QString& why) {
    if (error_.isEmpty()) error_ = why;
    XML_StopParser(p_, XML_FALSE);
  }

  static void start(void* self, const char* name, const char** atts) {
    static_cast<PartParser*>(self)->started(local(name), atts);
  }
  static void end(void* self, const char*) { static_cast<PartParser*>(self)->ended(); }
  static void text(void* self, const char* s, int n) {
    PartParser& me = *static_cast<PartParser*>(self);
    const Role r = me.stack_.back();
    if (r == Role::V || r == Role::T) me.text_.append(s, n);
  }

  void started(const char* name, const char** atts) {
    const Role role = roleOf(name);
    stack_.push_back(role);
    if (role == Role::Row) {
      // Row and cell positions may be left out; each then follows the one before.
      const char* given = attribute(atts, "r");
      row_ = *given ? QByteArray::fromRawData(given, int(std::strlen(given))).toInt() : row_ + 1;
      if (row_ < 1 || row_ > kMaxRow) return fail(QStringLiteral("行番号 ") + QString::fromUtf8(given) + QStringLiteral(" が不正です"));
      column_ = 0;
    } else if (role == Role::Cell) {
      const char* ref = attribute(atts, "r");
      int32_t cellRow = row_;
      if (!*ref)
        ++column_;
      else if (!ParseRef(ref, cellRow, column_) || cellRow != row_)
        return fail(QStringLiteral("セル番地 ") + QString::fromUtf8(ref) + QStringLiteral(" が不正です"));
      if (column_ > kMaxColumn) return fail(QStringLiteral("列が多すぎます"));
      type_ = attribute(atts, "t");
      hasValue_ = false;
      text_.clear();
    } else if (role == Role::Item && kind_ == Kind::Sst) {
      text_.clear();
    }
  }

  void ended() {
    const Role role = stack_.back();
    stack_.pop_back();
    if (role == Role::Item) {
      if (kind_ == Kind::Sst) strings << QString::fromUtf8(text_);
      else hasValue_ = true;
    } else if (role == Role::V) {
      hasValue_ = true;
    } else if (role == Role::Cell && hasValue_) {
      cell();
    }
  }

  void cell() {
    XlsxCells& cells = sheet_->cells;
    if (type_ == "s") {
      bool ok = false;
      const int i = text_.toInt(&ok);
      if (!ok || i < 0 || i >= shared_->size())
        return fail(QStringLiteral("共有文字列 ") + QString::fromUtf8(text_) + QStringLiteral(" がありません"));
      cells.PutText(row_, column_, (*shared_)[i]);
    } else if (type_ == "b") {
      cells.PutTruth(row_, column_, text_.trimmed() == "1");
    } else if (type_ == "inlineStr" || type_ == "str" || type_ == "e" || type_ == "d") {
      cells.PutText(row_, column_, QString::fromUtf8(text_));
    } else {
      bool ok = false;
      const double number = text_.trimmed().toDouble(&ok);
      if (!ok) return fail(QStringLiteral("数値 ") + QString::fromUtf8(text_) + QStringLiteral(" が読めません"));
      cells.PutNumber(row_, column_, number);
    }
  }

  // "AB12" -> (12, 28); false for anything else.
  static bool ParseRef(const char* ref, int32_t& row, int32_t& column) {
    int64_t c = 0, r = 0;
    const char* p = ref;
    for (; *p >= 'A' && *p <= 'Z' && c <= kMaxColumn; ++p) c = c * 26 + (*p - 'A' + 1);
    if (p == ref || !*p) return false;
    for (; *p >= '0' && *p <= '9' && r <= kMaxRow; ++p) r = r * 10 + (*p - '0');
    if (*p || c > kMaxColumn || r < 1 || r > kMaxRow) return false;
    row = int32_t(r);
    column = int32_t(c);
    return true;
  }

  Kind kind_;
  const QStringList* shared_;
  XlsxSheet* sheet_;
  XML_Parser p_;
  QString error_;
  std::vector<Role> stack_;
  QByteArray text_, type_;
  bool hasValue_ = false;
  int32_t row_ = 0, column_ = 0;
};

QStringList SharedStrings(const QByteArray& xml, QString& error) {
  PartParser parser(PartParser::Kind::Sst, nullptr, nullptr);
  if (!parser.parse(xml, error)) error = QStringLiteral("sharedStrings.xml: ") + error;
  return parser.strings;
}

// "xl/worksheets/sheet1.xml" -> "xl/worksheets/_rels/sheet1.xml.rels"
QString PartRelsPath(const QString& part) {
  const qsizetype slash = part.lastIndexOf('/');
  return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

}  // namespace

bool ReadXlsxBook(const QString& path, XlsxBook& book, QString& error) {
  book = {};
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

  QStringList& shared = book.shared;
  for (const Relationship& rel : rels) {
    if (!rel.type.endsWith(QLatin1String("/sharedStrings"))) continue;
    QByteArray xml;
    if (!zip.read(PartPath(rel.target), xml, error)) return false;
    shared = SharedStrings(xml, error);
    if (!error.isEmpty()) return false;
  }

  std::vector<std::pair<QString, QString>> listed;  // name, part
  bool worksheetsOnly = true;
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
    else
      worksheetsOnly = false;
  }
  if (r.hasError()) {
    error = QStringLiteral("xl/workbook.xml: ") + r.errorString();
    return false;
  }
  if (listed.empty()) {
    error = QStringLiteral("ワークシートがありません");
    return false;
  }
  const bool chained = zip.has(QStringLiteral("xl/calcChain.xml"));
  for (const auto& [name, part] : listed) {
    XlsxBook::Sheet sheet{name, part, worksheetsOnly && !chained && !zip.has(PartRelsPath(part)), {}};
    if (!zip.read(part, sheet.xml, error)) return false;
    book.sheets.push_back(std::move(sheet));
  }
  return true;
}

bool ReadXlsxCells(const XlsxBook& book, size_t index, XlsxSheet& sheet, QString& error) {
  const XlsxBook::Sheet& part = book.sheets.at(index);
  sheet = {part.name, {}};
  if (PartParser(PartParser::Kind::Sheet, &book.shared, &sheet).parse(part.xml, error)) return true;
  error = part.part + ": " + error;
  return false;
}
