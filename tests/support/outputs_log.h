#pragma once
// The small hand-checked log the output tests share, over the test master of SheetLog:
//
//   100101 (Tokyo)  7 MHz  confirmed 2009-05-01 (before Tokyo's wards count as cities)
//   100105 (Tokyo)  7 MHz  confirmed 2012-06-01
//   110101 (Yokohama, designated)  7 MHz confirmed 2015-01-01; 21 MHz confirmed 2010-03-31, worked 2011-01-01
//   10001 (gun)     14 MHz SSB confirmed 2016-02-02
//   1002            7 MHz worked 2017-03-03; 14 MHz confirmed 2018-04-04
//   501A (DX)       14 MHz confirmed 2019-01-01
//   0901 (*旧市)     satellite confirmed 2020-03-01

#include <QString>
#include <QStringList>

#include "support/sheet_log.h"

class OutputsLog : public SheetLog {
 public:
  OutputsLog();
  // Prepare() and Load(), with the designated-city code list the lists read.
  void LoadSheet();
  // A file of the data folder as text lines (Windows-31J, CR LF); empty when it is missing.
  QStringList Lines(const QString& name) const;
  // Writes the municipal register of the program folder: "yyyymmdd,code" per entry.
  void WriteRegister(const QStringList& entries);
};
