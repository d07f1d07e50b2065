#include "core/CodeConversion.h"

#include <QtEndian>

#include "platform/codepage.h"

CodeConvState CodeConv;

QByteArray Utf8ToUtf16(const QByteArray& utf8) {
  const QString text = QString::fromUtf8(utf8);
  QByteArray out(text.size() * 2, '\0');
  for (qsizetype i = 0; i < text.size(); ++i)
    qToLittleEndian<quint16>(text.at(i).unicode(), out.data() + 2 * i);
  return out;
}

QByteArray Utf16ToAnsi(const QByteArray& utf16) {
  const qsizetype units = utf16.size() / 2;
  QString text(units, Qt::Uninitialized);
  for (qsizetype i = 0; i < units; ++i)
    text[i] = QChar(qFromLittleEndian<quint16>(utf16.constData() + 2 * i));
  return ToAnsi(text);
}
