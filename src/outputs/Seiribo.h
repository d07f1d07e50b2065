#pragma once
// Look-ups into the municipal register ORBEX_整理簿.txt of the program folder (six quoted fields a
// record: start date yyyymmdd, code, QTH, change mark, remark, status letter). Read once per use; a
// missing or unreadable file is an empty register.

#include <QHash>
#include <QString>

class SeiriboRegister {
 public:
  // Reads the register file.
  SeiriboRegister();
  // Start date of the code's first record as "YYYY-MM-DD"; "" when the code is not listed.
  QString StartDate(const QString& code) const;
  // The status-bar note of the code's first record: "yyyy/mm/dd に <change>(<remark>)"; "" when none.
  QString Note(const QString& code) const;

 private:
  struct Record {
    QString date, change, remark;
  };
  QHash<QString, Record> first_;  // trimmed code -> its first record
};

inline constexpr char kSeiriboFile[] = "ORBEX_整理簿.txt";
