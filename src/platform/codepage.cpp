#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>
#include <utility>

#include "platform/vbstrings.h"

namespace {

// Converters are costly to create (ICU); one per thread, reset before each use.
QStringEncoder& encoder() {
  thread_local QStringEncoder e("windows-31j", QStringConverter::Flag::Stateless);
  return e;
}

// Reset for use. Qt 6.4 keeps an earlier input's error flag through resetState(), which would make
// every later check of valid text fail on this thread; a fresh converter is made then.
QStringDecoder& decoder() {
  thread_local QStringDecoder d("windows-31j", QStringConverter::Flag::Stateless);
  d.resetState();
  if (d.hasError()) d = QStringDecoder("windows-31j", QStringConverter::Flag::Stateless);
  return d;
}

bool isAscii(QByteArrayView bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool isAscii(const QString& text) {
  for (QChar c : text)
    if (c.unicode() >= 0x80) return false;
  return true;
}

}  // namespace

QByteArray ToAnsi(const QString& text) {
  if (isAscii(text)) return text.toLatin1();
  QStringEncoder& e = encoder();
  e.resetState();
  QByteArray out = e.encode(text);
  // The converter substitutes 0xFC 0xFC (no character of the code page) for what it cannot map;
  // the ANSI API gives "?" there, and so do we.
  if (out.contains("\xFC\xFC")) {
    QByteArray fixed;
    fixed.reserve(out.size());
    for (qsizetype i = 0; i < out.size(); ++i) {
      const auto b = static_cast<unsigned char>(out[i]);
      if (b == 0xFC && i + 1 < out.size() && static_cast<unsigned char>(out[i + 1]) == 0xFC) {
        fixed.append('?');
        ++i;
      } else if (IsAnsiLeadByte(b) && i + 1 < out.size()) {
        fixed.append(out[i]).append(out[i + 1]);
        ++i;
      } else {
        fixed.append(out[i]);
      }
    }
    out = fixed;
  }
  return out;
}

QString FromAnsi(QByteArrayView bytes) {
  if (isAscii(bytes)) return QString::fromLatin1(bytes.data(), bytes.size());
  QStringDecoder& d = decoder();
  QString out = d.decode(bytes);
  return out;
}

bool IsAnsiLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

int AscAnsi(const QString& text) {
  if (text.isEmpty()) return 0;
  // The first character may be a surrogate pair; take the whole code point.
  const int n = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
  const QByteArray b = ToAnsi(text.left(n));
  if (b.isEmpty()) return 0;
  const auto lead = static_cast<unsigned char>(b.at(0));
  if (IsAnsiLeadByte(lead) && b.size() >= 2) {
    const auto trail = static_cast<unsigned char>(b.at(1));
    return static_cast<int16_t>(static_cast<uint16_t>(lead << 8 | trail));
  }
  return lead;
}

QString ChrAnsi(int code) {
  QByteArray b;
  if (code < 0 || code > 0xFF) {
    b.append(static_cast<char>((code >> 8) & 0xFF));
    b.append(static_cast<char>(code & 0xFF));
  } else {
    b.append(static_cast<char>(code));
  }
  return FromAnsi(b);
}

int NarrowAnsiCode(int code) {
  if (code >= 0) return code;
  const QString typed = ChrAnsi(code), narrow = NarrowText(typed);
  return narrow != typed && narrow.size() == 1 ? narrow[0].unicode() : code;
}

int AnsiLen(const QString& text) { return isAscii(text) ? text.size() : ToAnsi(text).size(); }

QByteArray CutAnsiBytes(QByteArrayView bytes, int limit) {
  if (limit <= 0) return {};
  if (bytes.size() <= limit) return bytes.toByteArray();
  // Walk character by character so that a trail byte that looks like a lead byte is never mistaken.
  qsizetype i = 0;
  while (i < bytes.size()) {
    const int step = IsAnsiLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return bytes.first(i).toByteArray();
}

QString CutToAnsiBytes(const QString& text, int limit, bool keepOthers) {
  if (limit <= 0) return {};
  if (isAscii(text)) return text.left(limit);
  if (!keepOthers) return FromAnsi(CutAnsiBytes(ToAnsi(text), limit));
  int used = 0;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    used += int(ToAnsi(text.mid(i, n)).size());
    if (used > limit) return text.left(i);
    i += n;
  }
  return text;
}

QString WithAnsiLookAlikes(const QString& text) {
  static const std::pair<char16_t, char16_t> kLookAlikes[] = {
      {u'\u301C', u'\uFF5E'}, {u'\u2212', u'\uFF0D'}, {u'\u2016', u'\u2225'}, {u'\u2014', u'\u2015'},
      {u'\u00A2', u'\uFFE0'}, {u'\u00A3', u'\uFFE1'}, {u'\u00AC', u'\uFFE2'}, {u'\u00A6', u'\uFFE4'},
      {u'\u00A5', u'\uFFE5'}, {u'\u203E', u'\uFFE3'}};
  if (isAscii(text)) return text;
  QString out = text;
  for (QChar& c : out)
    for (const auto& [from, to] : kLookAlikes)
      if (c.unicode() == from) c = QChar(to);
  return out;
}

QString NonAnsiCharacters(const QString& text) {
  QString out;
  if (isAscii(text)) return out;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString ch = text.mid(i, n);
    i += n;
    if (FromAnsi(ToAnsi(ch)) != ch && !out.contains(ch)) out += ch;
  }
  return out;
}

QByteArray FixedAnsi(const QString& text, int width) {
  QByteArray b = CutAnsiBytes(ToAnsi(text), width);
  if (b.size() < width) b.append(width - b.size(), ' ');
  return b;
}

bool IsValidAnsi(QByteArrayView bytes) {
  qsizetype i = 0;
  const qsizetype n = bytes.size();
  while (i < n && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  if (i == n) return true;
  QStringDecoder& d = decoder();
  const QString text = d.decode(bytes.sliced(i));
  return !d.hasError() && !text.contains(QChar::ReplacementCharacter) && !text.contains(QChar(0x1A));
}

bool LooksLikeUtf8(QByteArrayView bytes) {
  bool wide = false;
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n;) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    int more;
    char32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
      more = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      more = 2, cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      more = 3, cp = b & 0x07;
    } else {
      return false;
    }
    for (int k = 1; k <= more; ++k) {
      if (i + k >= n) return false;
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = cp << 6 | (c & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if (more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return false;
    if (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) return false;
    wide = true;
    i += more + 1;
  }
  return wide;
}

QString ByteOrderMark(QByteArrayView bytes, int* size) {
  auto starts = [&](const char* mark, int len) {
    if (bytes.size() < len || memcmp(bytes.data(), mark, len) != 0) return false;
    if (size) *size = len;
    return true;
  };
  if (size) *size = 0;
  if (starts("\xEF\xBB\xBF", 3)) return QStringLiteral("UTF-8");
  if (starts("\xFF\xFE", 2)) return QStringLiteral("UTF-16LE");
  if (starts("\xFE\xFF", 2)) return QStringLiteral("UTF-16BE");
  return {};
}

QString ForeignEncoding(QByteArrayView bytes) {
  if (QString mark = ByteOrderMark(bytes); !mark.isEmpty()) return mark;
  qsizetype evenNuls = 0, oddNuls = 0;
  for (qsizetype i = 0; i < bytes.size(); ++i)
    if (bytes[i] == '\0') ++(i % 2 == 0 ? evenNuls : oddNuls);
  // Windows-31J text holds no NUL at all; UTF-16 holds one in every ASCII character's unit.
  if (oddNuls > 0 && oddNuls >= bytes.size() / 4 && oddNuls > 4 * evenNuls) return QStringLiteral("UTF-16LE");
  if (evenNuls > 0 && evenNuls >= bytes.size() / 4 && evenNuls > 4 * oddNuls) return QStringLiteral("UTF-16BE");
  if (LooksLikeUtf8(bytes)) return QStringLiteral("UTF-8");
  if (!IsValidAnsi(bytes)) return QStringLiteral("不明な文字コード");
  return {};
}

QString ForeignEncodingText(const QString& path, const QString& encoding) {
  if (encoding.isEmpty()) return {};
  return path + QStringLiteral(" は ") + encoding +
         QStringLiteral(" で保存されています（Windows-31J (Shift_JIS) ではありません）。");
}
