// The spreadsheet stand-in writes a real workbook that another reader opens; MMQSL says plainly that it
// cannot be driven here.

#include <gtest/gtest.h>

#include <QFile>

#include "platform/automation/automation.h"
#include "platform/ui/responders.h"
#include "support/temp_home.h"
#include "support/xlsx_reader.h"

namespace {

TEST(SpreadsheetStandIn, CellsAndMacroCallsLandInTheXlsxOfTheProgramFolder) {
  TempHome home;
  ShellRecorder shell;
  std::unique_ptr<Workbook> book = NewWorkbook(QStringLiteral("ACA特定申請書.xls"));
  ASSERT_GT(book->Open(), 32);
  ASSERT_EQ(book->Attach(), 0);
  book->DefineMacro("Main", [](Workbook& b, const QVariantList& args) {
    b.SelectSheet(QString());
    b.SetCell(1, 1, args.value(0));
    return 7;
  });
  book->SelectSheet(QStringLiteral("ACAデータ"));
  book->SetCell(1, 2, QStringLiteral("2020"));
  book->SetCell(4, 1, 10);
  book->SetCell(5, 3, QStringLiteral("x"));
  book->SetCell(5, 3, QString());  // emptied again
  book->SetCell(6, 2, QStringLiteral("01001") + "\n" + QStringLiteral("    -1"));
  int32_t result = 0;
  EXPECT_EQ(book->Run("Main", {QStringLiteral("全国"), 1}, result), 0);
  EXPECT_EQ(result, 7);
  book->SetCell(7, 4, 2.5);  // the macro left the active sheet as it was
  QString error;
  ASSERT_TRUE(book->Publish(error)) << error.toStdString();

  const QString path = home.file("ACA特定申請書.xlsx");
  EXPECT_EQ(shell.opened(), QStringList({path}));
  XlsxFile x(path);
  ASSERT_TRUE(x.ok());
  EXPECT_EQ(x.SheetNames(), QStringList({"ACAデータ", "マクロ"}));
  EXPECT_EQ(x.Cell("ACAデータ", "B1"), "2020");
  EXPECT_EQ(x.Cell("ACAデータ", "A4"), "10");
  EXPECT_EQ(x.Cell("ACAデータ", "C5"), "");
  EXPECT_EQ(x.Cell("ACAデータ", "B6"), "01001\n    -1");
  EXPECT_EQ(x.Cell("ACAデータ", "D7"), "2.5");
  EXPECT_EQ(x.Cell("ACAデータ", "A1"), "全国");
  EXPECT_EQ(x.Cell("マクロ", "A1"), "Main");
  EXPECT_EQ(x.Cell("マクロ", "B1"), "全国");
  EXPECT_EQ(x.Cell("マクロ", "C1"), "1");
  EXPECT_FALSE(QFile::exists(home.file(".ACA特定申請書.xlsx.part")));
}

TEST(SpreadsheetStandIn, AnOpenOrWriteProtectedWorkbookIsRefusedAndLeftAsItWas) {
  TempHome home;
  ShellRecorder shell;
  EXPECT_EQ(XlsxFileName("ORB_SHEET.XLS"), "ORB_SHEET.xlsx");
  const QString lock = home.write(".~lock.ORB_SHEET.xlsx#", "someone");
  std::unique_ptr<Workbook> book = NewWorkbook("ORB_SHEET.XLS");
  EXPECT_EQ(book->Open(), 5);
  EXPECT_TRUE(book->ErrorText().contains("他のプログラムで開かれています"));
  EXPECT_EQ(book->Attach(), 424);

  QFile::remove(lock);
  home.write("ORB_SHEET.xlsx", "old");
  book = NewWorkbook("ORB_SHEET.XLS");
  ASSERT_GT(book->Open(), 32);
  book->SetCell(1, 1, "new");
  home.write(".~lock.ORB_SHEET.xlsx#", "opened meanwhile");
  QString error;
  EXPECT_FALSE(book->Publish(error));
  EXPECT_TRUE(error.contains("開かれています"));
  EXPECT_EQ(home.read("ORB_SHEET.xlsx"), "old");
  EXPECT_TRUE(shell.opened().isEmpty());

}

TEST(MmqslStandIn, SaysPlainlyThatItCannotBeDrivenHere) {
  QString why;
  EXPECT_EQ(NewMmqsl(why), nullptr);
  EXPECT_TRUE(why.contains("Linux"));
  EXPECT_TRUE(why.contains("印刷されず"));
}

}  // namespace
