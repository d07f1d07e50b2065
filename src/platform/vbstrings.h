#pragma once
// The runtime's string constants that messages and labels are built from, its RTrim and its narrowing
// of full-width letters, digits and marks.

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

// StrConv(text, vbNarrow) for letters, digits, marks and the blank: what an input method types as
// full-width characters ("１２", "Ｊ", "＊", the ideographic space) as the half-width ones they stand
// for; every other character as it is.
inline QString NarrowText(QString s) {
  for (QChar& c : s) {
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E)
      c = QChar(char16_t(u - 0xFEE0));
    else if (u == 0x3000)
      c = QChar(u' ');
  }
  return s;
}
