#pragma once
// The runtime's string constants that messages and labels are built from.

#include <QString>

// The line break of message boxes, labels and text files: CR LF.
inline const QString vbCrLf = QStringLiteral("\r\n");
