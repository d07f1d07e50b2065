#pragma once
// What the spreadsheet stand-in keeps of an .xlsx: its worksheets in order with their cell values.
// A cell holds text, a number or a truth value; a formula is kept as the value it last showed.
// Formats, column widths, comments, charts and pictures are not kept.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

// One cell's value. A large log's ORB book holds a few hundred thousand of them: kept flat, a row's
// cells side by side and every text of a sheet in one store, so filling, writing and freeing them
// costs no node, variant or string of its own per cell.
struct XlsxCell {
  enum class Kind : uint8_t { Text, Number, Truth };
  int32_t column = 0;  // from 1
  uint32_t size = 0;   // a text's length in UTF-16 units
  union {
    double number = 0;
    uint64_t at;  // where a text begins in its sheet's store (XlsxCells::Text)
  };
  Kind kind = Kind::Text;
  bool truth = false;
};

// The cells of a worksheet by row, each row's cells by column; rows and columns from 1.
class XlsxCells {
 public:
  struct Row {
    int32_t row;
    std::vector<XlsxCell> cells;
  };
  // Sets a cell to a value as a workbook takes it: a text, a number or a truth value, any other kind
  // of value as its text. An empty text empties the cell when `emptyErases`, else the cell is kept as
  // an empty text (as a file may hold one).
  void Put(int32_t row, int32_t column, const QVariant& value, bool emptyErases = false);
  void PutText(int32_t row, int32_t column, QStringView text);
  void PutNumber(int32_t row, int32_t column, double number);
  void PutTruth(int32_t row, int32_t column, bool truth);
  void Erase(int32_t row, int32_t column);
  void Clear() {
    rows_.clear();
    texts_.clear();
  }
  bool Empty() const { return rows_.empty(); }
  const std::vector<Row>& Rows() const { return rows_; }
  // A text cell's text.
  QStringView Text(const XlsxCell& cell) const {
    return QStringView(texts_.data() + cell.at, qsizetype(cell.size));
  }
  // The last row holding a cell; 0 when none.
  int32_t LastRow() const { return rows_.empty() ? 0 : rows_.back().row; }

 private:
  void put(int32_t row, const XlsxCell& cell);
  // The row's place (made when `make`), or nullptr.
  Row* find(int32_t row, bool make);
  std::vector<Row> rows_;  // ascending, none empty
  std::vector<char16_t> texts_;  // the texts one after another (a text overwritten stays, unused)
};

struct XlsxSheet {
  QString name;
  XlsxCells cells;
};

// A workbook read to be kept: its worksheets in order, each part inflated and checked against its
// CRC; their cells are read when asked for (ReadXlsxCells), so a sheet nobody touches costs no parse.
struct XlsxBook {
  struct Sheet {
    QString name, part;
    // The part can be put in place of its own without touching any other member: the book holds
    // worksheets only and no calculation chain, and the sheet has no parts of its own.
    bool replaceable = false;
    QByteArray xml;
  };
  std::vector<Sheet> sheets;
  QStringList shared;  // the shared string table
};
// False, with the reason in words in `error`, when the file is no workbook: not a zip, a part missing
// or damaged, its sheet list or string table unreadable.
bool ReadXlsxBook(const QString& path, XlsxBook& book, QString& error);
// The cells of the book's index-th worksheet into `sheet`; false with the reason when its XML or a
// value is damaged.
bool ReadXlsxCells(const XlsxBook& book, size_t index, XlsxSheet& sheet, QString& error);

// The part of a worksheet holding `cells`, strings inline, numbers as libxlsxwriter writes them; a
// text with a line break takes the cell format `wrapStyle` (the styles part's wrapping one). Empty
// when a text is longer than a cell takes (32,767 characters), or has a line break and `wrapStyle`
// is -1 (no such format known).
QByteArray WorksheetXml(const XlsxCells& cells, int wrapStyle);
// Writes `target` as a copy of the zip `source` whose members named in `replaced` hold the new bytes;
// every other member is copied as it is stored, without inflating it. False when either file fails.
bool CopyZipReplacing(const QString& source, const QString& target, const std::map<QString, QByteArray>& replaced);
