#pragma once
// Byte-array conversions for the licence search's web answers: UTF-8 -> UTF-16 (little-endian) ->
// the ANSI code page.

#include <QByteArray>
#include <QString>

struct CodeConvState {
  QString CodeConvError;  // empty, or the text of the last conversion failure; callers clear it first
};

extern CodeConvState CodeConv;

// Every input byte is converted; invalid sequences become U+FFFD.
QByteArray Utf8ToUtf16(const QByteArray& utf8);
// Every whole UTF-16 unit is converted; characters the code page lacks become "?".
QByteArray Utf16ToAnsi(const QByteArray& utf16);
