#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>

#include "platform/ui/dialogs.h"
#include "platform/ui/responders.h"
#include "ui_test.h"

namespace {

TEST(FileDialogs, VbFiltersAndPatternsWithoutCase) {
  const auto f = ParseVbFilter("(*.TXT)|*.TXT|(*.CSV)|*.CSV|");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[1].description, "(*.CSV)");
  EXPECT_EQ(f[1].patterns, QStringList({"*.CSV"}));
  const auto q = ParseVbFilter("HLQSL(HLQSLN.exe) or MMQSL(MMQSL.exe)|HLQSLN.exe;MMQSL.exe");
  ASSERT_EQ(q.size(), 1u);
  EXPECT_EQ(q[0].patterns, QStringList({"HLQSLN.exe", "MMQSL.exe"}));
  EXPECT_TRUE(MatchesVbPatterns("hamlog.hdb", {"*.HDB"}));
  EXPECT_TRUE(MatchesVbPatterns("mmqsl.EXE", q[0].patterns));
  EXPECT_TRUE(MatchesVbPatterns("Hamlogw.exe", {"*W.EXE"}));
  EXPECT_FALSE(MatchesVbPatterns("hamlog.hdb.bak", {"*.HDB"}));
  EXPECT_EQ(CaseFreePattern("*W.EXE"), "*[wW].[eE][xX][eE]");
  EXPECT_EQ(CaseFreePattern("ORBEX*.TXT"), "[oO][rR][bB][eE][xX]*.[tT][xX][tT]");
}

TEST(FileDialogs, TheQtDialogListsFilesWhoseNamesOrPatternsAreJapanese) {
  QFileDialog d;
  d.setOption(QFileDialog::DontUseNativeDialog);
  auto listed = [&](const QString& filter, const QString& name) {
    d.setNameFilters(QtNameFilters(filter));
    d.selectNameFilter(d.nameFilters().first());
    return QDir::match(d.findChild<QFileSystemModel*>()->nameFilters(), name);
  };
  const QString station = "道の駅.mcsv(道の駅.mcsv)|道の駅.mcsv|";
  EXPECT_TRUE(listed(station, "道の駅.mcsv") && listed(station, "道の駅.MCSV") && !listed(station, "michinoeki.txt"));
  EXPECT_TRUE(listed("ﾒﾓﾃﾞｰﾀ (*.TXT)|*.TXT", "メモ帳.txt") && listed("(ORBEX*.TXT)|ORBEX*.TXT|", "ORBEX_整理簿.txt"));
}

TEST(FileDialogs, TheResponderAnswersAndRecordsWhatWasAsked) {
  QTemporaryDir dir;
  const QString existing = dir.filePath("HAMLOG.HDB");
  QFile(existing).open(QIODevice::WriteOnly);
  FileDialogResponder files;
  files.Choose(existing).Cancel().Choose(dir.filePath("ORB_Total.csv"), 2);
  CommonDialog d;
  d.DialogTitle = "Hamlog データベースを指定します";
  d.Filter = "hamlog データベース(*.HDB)|*.HDB|";
  d.Flags = cdlOFNFileMustExist | cdlOFNHideReadOnly;
  d.InitDir = dir.path();
  ASSERT_TRUE(d.ShowOpen());
  EXPECT_EQ(d.FileName, existing);
  EXPECT_EQ(d.FileTitle(), "HAMLOG.HDB");
  EXPECT_FALSE(d.ShowOpen());  // Cancel keeps the name
  EXPECT_EQ(d.FileName, existing);
  CommonDialog s;
  s.Filter = "(*.CSV)|*.CSV|(*.TXT)|*.TXT|";
  s.Flags = 2054;
  s.FileName = "ORB_Total";
  ASSERT_TRUE(s.ShowSave());
  EXPECT_EQ(s.FilterIndex, 2);
  ASSERT_EQ(files.shown().size(), 3u);
  EXPECT_FALSE(files.shown()[0].save);
  EXPECT_EQ(files.shown()[0].initDir, dir.path());
  EXPECT_EQ(files.shown()[0].flags, 4100);
  EXPECT_TRUE(files.shown()[2].save);
  EXPECT_EQ(files.shown()[2].flags, cdlOFNHideReadOnly | cdlOFNOverwritePrompt | cdlOFNPathMustExist);
  EXPECT_EQ(files.shown()[2].fileName, "ORB_Total");
}

TEST(FileDialogs, AnAnswerTheRealDialogWouldRefuseIsATestFailure) {
  CapturedUiFailures failures;
  {
    FileDialogResponder files;
    files.Choose("/no/such/folder/x.txt");
    CommonDialog d;
    d.Flags = cdlOFNFileMustExist;
    d.ShowOpen();
    d.ShowOpen();  // nothing queued
  }
  ASSERT_EQ(failures.messages.size(), 2);
  EXPECT_TRUE(failures.messages[0].contains("existing file"));
  EXPECT_TRUE(failures.messages[1].contains("no answer queued"));
}

}  // namespace
