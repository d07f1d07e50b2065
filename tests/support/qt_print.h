#pragma once
// Lets GoogleTest print Qt texts readably in failure messages.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << '"' << b.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '[';
  for (qsizetype i = 0; i < l.size(); ++i) *os << (i ? ", " : "") << '"' << l[i].toStdString() << '"';
  *os << ']';
}
