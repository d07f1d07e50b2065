#pragma once
// Text in the Japanese ANSI code page (Windows-31J, code page 932).
//
// QString is the text type everywhere; files, fixed-width records and byte limits cross to bytes here.
// Windows-31J, not plain Shift_JIS: the two differ on characters such as "～" and the NEC/IBM extensions.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text -> Windows-31J bytes. A character the code page lacks becomes "?" (as the ANSI API does).
QByteArray ToAnsi(const QString& text);

// Windows-31J bytes -> text. Invalid or truncated sequences become U+FFFD; never fails.
QString FromAnsi(QByteArrayView bytes);

// True for a first byte of a double-byte character (0x81-0x9F, 0xE0-0xFC).
bool IsAnsiLeadByte(unsigned char b);

// VB's Asc: the code of the first character in the ANSI code page; a double-byte character gives the
// negative 16-bit value (lead * 256 + trail as a signed Integer). 0 for an empty text.
int AscAnsi(const QString& text);

// VB's Chr for a code AscAnsi gives: the character of that single-byte or (negative, or above 255)
// double-byte code.
QString ChrAnsi(int code);

// The key code of a full-width letter, digit or mark typed through the input method (a negative,
// double-byte code) as the half-width one it stands for; every other code as it is.
int NarrowAnsiCode(int code);

// Length in ANSI bytes (VB's LenB(StrConv(text, vbFromUnicode))).
int AnsiLen(const QString& text);

// The longest prefix of `bytes` that is at most `limit` bytes and does not end in half a character.
QByteArray CutAnsiBytes(QByteArrayView bytes, int limit);

// The text cut to at most `limit` ANSI bytes, never splitting a double-byte character. A character
// the code page lacks becomes "?", or with `keepOthers` stays as it is (counted as that one byte).
QString CutToAnsiBytes(const QString& text, int limit, bool keepOthers = false);

// Typed text with the input methods' look-alikes of Windows-31J characters replaced by them:
// "〜" (U+301C) by "～", "−" (U+2212) by "－", and ‖ — ¢ £ ¬ ¦ ¥ ‾ by ∥ ― ￠ ￡ ￢ ￤ ￥ ￣.
QString WithAnsiLookAlikes(const QString& text);

// The characters of the text that Windows-31J cannot hold, each once, in the order they come.
QString NonAnsiCharacters(const QString& text);

// The text as exactly `width` ANSI bytes: cut (never mid-character) and padded with blanks.
QByteArray FixedAnsi(const QString& text, int width);

// True when every byte sequence is a character of Windows-31J (a file can be checked before its text
// is trusted: FromAnsi never fails, it substitutes).
bool IsValidAnsi(QByteArrayView bytes);

// True for bytes that are well-formed UTF-8 holding at least one non-ASCII character: a text file
// saved as UTF-8 rather than Windows-31J (Japanese text in Windows-31J is practically never valid UTF-8).
bool LooksLikeUtf8(QByteArrayView bytes);

// The byte-order mark a file starts with: "UTF-8", "UTF-16LE", "UTF-16BE" or empty; its length in `size`.
QString ByteOrderMark(QByteArrayView bytes, int* size = nullptr);

// What the bytes of a text file meant to be Windows-31J are instead: "UTF-8", "UTF-16LE" or "UTF-16BE"
// (by the byte-order mark, by the NUL beside every ASCII character of UTF-16, or UTF-8 by its bytes),
// "不明な文字コード" for other bytes Windows-31J does not hold; "" for Windows-31J text (ASCII included).
QString ForeignEncoding(QByteArrayView bytes);
// The operator's note on such a file: "<path> は UTF-8 で保存されています（Windows-31J (Shift_JIS)
// ではありません）。"; "" when `encoding` is empty.
QString ForeignEncodingText(const QString& path, const QString& encoding);
