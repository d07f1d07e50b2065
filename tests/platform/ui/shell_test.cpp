#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/codepage.h"
#include "platform/ui/responders.h"
#include "platform/ui/shell.h"

namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

TEST(Shell, OpensFilesAndWebAddressesOnly) {
  QTemporaryDir dir;
  const QString list = dir.filePath("Wanted.TXT");
  Write(list, "x");
  ShellRecorder shell;
  EXPECT_GT(ShellOpen(list), 32);
  EXPECT_GT(ShellOpen("https://www.example.jp/jp/index.cfm"), 32);
  EXPECT_GT(ShellOpen("HTTP://example.jp/"), 32);
  for (const char* other : {"mailto:someone@example.jp", "javascript:alert(1)", "file:///etc/passwd"})
    EXPECT_EQ(ShellOpen(other), SE_ERR_NOASSOC) << other;
  EXPECT_EQ(ShellOpen(dir.filePath("missing.txt")), SE_ERR_FNF);
  EXPECT_EQ(ShellOpen(dir.filePath("no/such/missing.txt")), SE_ERR_PNF);
  EXPECT_EQ(ShellOpen(""), SE_ERR_FNF);
  EXPECT_EQ(shell.opened(), QStringList({list, "https://www.example.jp/jp/index.cfm", "HTTP://example.jp/"}));
  shell.SetOpenResult(SE_ERR_NOASSOC);
  EXPECT_EQ(ShellOpen(list), SE_ERR_NOASSOC);
}

TEST(Shell, AnInternetShortcutOpensTheAddressOnItsUrlLine) {
  QTemporaryDir dir;
  const QString good = dir.filePath("QSOBANK.url");
  const QString bad = dir.filePath("evil.URL");
  Write(good, "[InternetShortcut]\r\nURL=http://www.example.jp/user/\r\n");
  Write(bad, "[InternetShortcut]\r\nURL=file:///bin/sh\r\n");
  EXPECT_EQ(UrlOfShortcut(good), "http://www.example.jp/user/");
  ShellRecorder shell;
  EXPECT_GT(ShellOpen(good), 32);
  EXPECT_EQ(ShellOpen(bad), SE_ERR_NOASSOC);
  EXPECT_EQ(OpenHelpFile(dir.filePath("ORBEX5.chm")), SE_ERR_FNF);
  EXPECT_EQ(shell.opened(), QStringList({"http://www.example.jp/user/"}));
}

TEST(Shell, ProgramsStartWithAnArgumentList) {
  ShellRecorder shell;
  shell.SetStartResult(4321);
  EXPECT_EQ(ShellStart("/usr/bin/editor", {"a file; rm -rf ~", "--x"}), 4321);
  EXPECT_EQ(ShellStart("  "), 0);
  ASSERT_EQ(shell.calls().size(), 1u);
  EXPECT_EQ(shell.started(), QStringList({"/usr/bin/editor"}));
  EXPECT_EQ(shell.calls()[0].arguments, QStringList({"a file; rm -rf ~", "--x"}));
}

}  // namespace
