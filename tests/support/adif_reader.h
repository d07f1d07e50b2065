#pragma once
// A small ADIF (ADI) reader of the tests' own, as the outside world's readers read a file: a header of
// free text ended by <EOH>, then fields <NAME:length[:type]>value where the length counts the bytes of
// the value, and records ended by <EOR>. Nothing but blanks and line ends may stand between fields; a
// wrong length therefore shows up as an error. Values are decoded from Windows-31J.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

struct AdifFile {
  QString header;                         // the text before <EOH>
  std::vector<QMap<QString, QString>> records;  // field name (upper case) -> value
  std::vector<QStringList> order;         // field names of each record in file order
  QString error;                          // "" when the file read cleanly
};

AdifFile ReadAdif(const QByteArray& bytes);
