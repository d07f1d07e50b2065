#include <gtest/gtest.h>

#include "core/CodeConversion.h"
#include "platform/codepage.h"
#include "support/qt_print.h"

TEST(CodeConv, WebAnswerToAnsiKeepsEveryCharacter) {
  const QByteArray utf8 = QString::fromUtf8("局名 東京").toUtf8();
  const QByteArray utf16 = Utf8ToUtf16(utf8);
  EXPECT_EQ(utf16.size(), 2 * 5);
  EXPECT_EQ(Utf8ToUtf16(QString::fromUtf8("あ").toUtf8()), QByteArray("\x42\x30", 2));
  EXPECT_EQ(Utf16ToAnsi(utf16), ToAnsi(QString::fromUtf8("局名 東京")));
  // Three units (an odd count) all convert; a dangling half unit is dropped.
  EXPECT_EQ(Utf16ToAnsi(QByteArray("A\0B\0C\0D", 7)), QByteArray("ABC"));
  EXPECT_TRUE(Utf8ToUtf16(QByteArray()).isEmpty());
  EXPECT_EQ(Utf8ToUtf16(QByteArray("\xff", 1)).size(), 2);  // invalid byte: one replacement character
}
