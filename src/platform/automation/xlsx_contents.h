#pragma once
// What the spreadsheet stand-in keeps of an .xlsx: its worksheets in order with their cell values.
// A cell holds text, a number or a truth value; a formula is kept as the value it last showed.
// Formats, column widths, comments, charts and pictures are not kept.

#include <QString>
#include <QVariant>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

struct XlsxSheet {
  QString name;
  std::map<std::pair<int32_t, int32_t>, QVariant> cells;  // (row, column) from 1
};

// The worksheets of an .xlsx file (a zip of XML parts). False, with the reason in words in `error`,
// when the file is no workbook that can be read whole: not a zip, a part missing or damaged.
bool ReadXlsxSheets(const QString& path, std::vector<XlsxSheet>& sheets, QString& error);
