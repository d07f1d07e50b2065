#pragma once
// Reads a written .xlsx back the way any other program would: the zip unpacked by the system's unzip,
// the sheet XML parsed here. Knows nothing of the writer.
//
//   XlsxFile book(home.file("ORB_SHEET.xlsx"));
//   book.SheetNames()            // {"Sheet1", "マクロ"}
//   book.Cell("Sheet1", "C4")    // the text or number shown ("" for an empty cell)

#include <QMap>
#include <QString>
#include <QStringList>

class XlsxFile {
 public:
  explicit XlsxFile(const QString& path);
  bool ok() const { return ok_; }
  QStringList SheetNames() const { return names_; }
  // "A1" style or (row, column) from 1. Numbers come back as their shortest text ("1", "2.5").
  QString Cell(const QString& sheet, const QString& ref) const;
  QString Cell(const QString& sheet, int row, int column) const;
  // Every non-empty cell of a sheet, "A1" -> text.
  QMap<QString, QString> Cells(const QString& sheet) const { return cells_.value(sheet); }

  static QString Ref(int row, int column);

 private:
  bool ok_ = false;
  QStringList names_;
  QMap<QString, QMap<QString, QString>> cells_;
};
