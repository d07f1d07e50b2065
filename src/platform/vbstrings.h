#pragma once
// The runtime's string constants that messages and labels are built from, and its RTrim.

#include <QString>

// The line break of message boxes, labels and text files: CR LF.
inline const QString vbCrLf = QStringLiteral("\r\n");

// The text without its trailing blanks (spaces only, as the runtime's RTrim).
inline QString RTrim(QString s) {
  qsizetype end = s.size();
  while (end > 0 && s.at(end - 1) == u' ') --end;
  s.truncate(end);
  return s;
}
