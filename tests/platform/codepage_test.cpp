#include <gtest/gtest.h>

#include "platform/codepage.h"

TEST(Codepage, RoundTripsJapaneseAndTheCharactersWhereShiftJisDiffers) {
  const QString text = QString::fromUtf8("東京都～①ｱｲｳ ABC");
  const QByteArray b = ToAnsi(text);
  EXPECT_EQ(b.left(2), QByteArray("\x93\x8c"));
  // FULLWIDTH TILDE is 0x8160 in Windows-31J; NEC's circled one is 0x8740.
  EXPECT_TRUE(b.contains(QByteArray("\x81\x60")));
  EXPECT_TRUE(b.contains(QByteArray("\x87\x40")));
  EXPECT_EQ(FromAnsi(b), text);
  EXPECT_EQ(AnsiLen(text), 5 * 2 + 3 + 4);
}

TEST(Codepage, BadBytesNeverFail) {
  EXPECT_FALSE(FromAnsi(QByteArray("\xff\x81", 2)).isEmpty());
  EXPECT_FALSE(FromAnsi(QByteArray("abc\x82", 4)).isEmpty());  // lead byte cut off at the end
  EXPECT_EQ(FromAnsi(QByteArray()), QString());
  // A character outside the code page becomes "?", as the ANSI API writes it.
  EXPECT_EQ(ToAnsi(QString::fromUtf8("a😀bé")), QByteArray("a?b?"));
}

TEST(Codepage, AscAnsiIsVbsAsc) {
  EXPECT_EQ(AscAnsi("A"), 65);
  EXPECT_EQ(AscAnsi("0123"), 48);
  EXPECT_EQ(AscAnsi(QString::fromUtf8("ｱ")), 0xB1);             // half-width katakana: one byte
  EXPECT_EQ(AscAnsi(QString::fromUtf8("あ")), 0x82A0 - 65536);  // double-byte: negative
  EXPECT_LT(AscAnsi(QString::fromUtf8("東京")), 0);
  EXPECT_EQ(AscAnsi(""), 0);
}

TEST(Codepage, CutsNeverSplitACharacter) {
  const QString text = QString::fromUtf8("aあいう");  // 1 + 2 + 2 + 2 bytes
  EXPECT_EQ(CutToAnsiBytes(text, 7), text);
  EXPECT_EQ(CutToAnsiBytes(text, 6), QString::fromUtf8("aあい"));
  EXPECT_EQ(CutToAnsiBytes(text, 4), QString::fromUtf8("aあ"));
  EXPECT_EQ(CutToAnsiBytes(text, 2), QString::fromUtf8("a"));
  EXPECT_EQ(CutToAnsiBytes(text, 0), QString());
  // A trail byte in the lead range (0x95 0x5c = "表") must not be read as a new lead byte.
  const QByteArray b = ToAnsi(QString::fromUtf8("表表"));
  EXPECT_EQ(CutAnsiBytes(b, 3), b.left(2));
  EXPECT_EQ(FixedAnsi(QString::fromUtf8("あいう"), 5), ToAnsi(QString::fromUtf8("あい ")));
  EXPECT_EQ(FixedAnsi("AB", 4), QByteArray("AB  "));
}

TEST(Codepage, TellsWindows31JFromUtf8) {
  const QString text = QString::fromUtf8("丹羽郡 ～ ①");
  EXPECT_TRUE(IsValidAnsi(ToAnsi(text)));
  EXPECT_FALSE(LooksLikeUtf8(ToAnsi(text)));
  EXPECT_TRUE(LooksLikeUtf8(text.toUtf8()));
  EXPECT_FALSE(LooksLikeUtf8("plain ASCII"));
  EXPECT_TRUE(IsValidAnsi("plain ASCII"));
  EXPECT_FALSE(IsValidAnsi("JA\xFD"));
  EXPECT_FALSE(IsValidAnsi("\x82"));        // a lead byte with no trail byte
  EXPECT_FALSE(LooksLikeUtf8("\xC0\xAF"));  // an overlong form
  // Bad bytes met before, checked or only read, leave later good text good.
  EXPECT_TRUE(IsValidAnsi(ToAnsi(text)));
  FromAnsi("\x85\xFF");
  EXPECT_TRUE(IsValidAnsi(ToAnsi(text)));
  int size = 0;
  EXPECT_EQ(ByteOrderMark("\xEF\xBB\xBFx", &size), "UTF-8");
  EXPECT_EQ(size, 3);
  EXPECT_EQ(ByteOrderMark("\xFF\xFEx\0", &size), "UTF-16LE");
  EXPECT_EQ(ByteOrderMark("x", &size), "");
  EXPECT_EQ(size, 0);
}

TEST(Codepage, InputMethodLookAlikesBecomeCharactersWindows31JHoldsAndTheRestAreNamed) {
  const QString typed = QString::fromUtf8("〜−‖—¢£¬¦¥‾"), stored = WithAnsiLookAlikes(typed);
  EXPECT_EQ(NonAnsiCharacters(typed), typed);
  EXPECT_EQ(stored, QString::fromUtf8("～－∥―￠￡￢￤￥￣"));
  EXPECT_EQ(FromAnsi(ToAnsi(stored)), stored);
  EXPECT_EQ(NonAnsiCharacters(QString::fromUtf8("é𠮷田é")), QString::fromUtf8("é𠮷"));
}
