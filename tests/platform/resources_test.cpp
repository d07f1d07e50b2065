#include <gtest/gtest.h>

#include <QFile>

#include "platform/codepage.h"
#include "platform/resources.h"
#include "support/qt_print.h"
#include "support/temp_home.h"

TEST(Resources, StringsAreFoundByIdInTheLibrarysFile) {
  TempHome home;
  EXPECT_EQ(LoadResString("CodeLib", 100), "");  // no file
  home.write("codelib.TXT", ToAnsi("100\t3\r\n101\tJA,日本,AS\r\nnot a string\r\n\tno id\r\n101\tsecond\r\n"
                                    "102\t\r\n103\twith\ttab\r\n"));
  EXPECT_EQ(ResourceFilePath("CodeLib"), home.file("codelib.TXT"));  // the name matches without case
  EXPECT_EQ(LoadResString("CodeLib", 100), "3");
  EXPECT_EQ(LoadResString("CodeLib", 101), "JA,日本,AS");  // the first line of an id counts
  EXPECT_EQ(LoadResString("CodeLib", 102), "");
  EXPECT_EQ(LoadResString("CodeLib", 103), "with\ttab");
  EXPECT_EQ(LoadResString("CodeLib", 104), "");
  EXPECT_EQ(LoadResString("Other", 100), "");

  // A changed file is read again.
  home.write("codelib.TXT", ToAnsi("100\t340 entities\r\n"));
  EXPECT_EQ(LoadResString("CodeLib", 100), "340 entities");
  QFile::remove(home.file("codelib.TXT"));
  EXPECT_EQ(LoadResString("CodeLib", 100), "");
}
