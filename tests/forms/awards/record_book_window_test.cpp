// The new-city record book beside the progress sheet: the list, the AREA filters, the search in step
// with the sheet's search box, the row editor, and what closing leaves in the book.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <cerrno>

#include "awards/RecordBook.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/AwardWindows.h"
#include "forms/awards/Editor.h"
#include "forms/awards/SeiriboSheet.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/codepage.h"
#include "platform/ui/color.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "support/captions.h"
#include "support/operator.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

const char* const kBook =
    "\"20050401\",\"11001A\",\"埼玉県ときがわ町\",\"\",\"\",\"告\"\r\n"
    "\"20041201\",\"1002\",\"東京都八王子市\",\"\",\"合併\",\"\"\r\n"
    "\"20050301\",\"1101\",\"神奈川県横浜市\",\"\",\"\",\"法\"\r\n"
    "\"20050201\",\"0101\",\"北海道札幌市\",\"消滅\",\"\",\"議\"\r\n"
    "\"20050131\",\"1001\",\"東京都区部\",\"\",\"\",\"\"\r\n";

struct RecordBookWindowTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  ShellRecorder shell;

  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
    log.Prepare();
    log.home.write("ORBEX_整理簿.txt", ToAnsi(QString::fromUtf8(kBook)));
  }
  void TearDown() override {
    for (VbForm* f : LoadedForms()) f->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
  SeiriboSheet& book() {
    SeiriboSheet& b = Form<SeiriboSheet>();
    b.Show();
    return b;
  }
  // With `shownOnly`, the rows the filters leave in view.
  QStringList column(int col, bool shownOnly = false) {
    FlexGrid& g = book().MSFlexGrid2;
    QStringList c;
    for (int r = 1; r < g.Rows(); ++r)
      if (!shownOnly || g.RowHeight(r) > 0) c << g.TextMatrix(r, col);
    return c;
  }
  QStringList shownCodes() { return column(1, true); }
  QString bookText() const { return FromAnsi(log.home.read("ORBEX_整理簿.txt")); }
  // Row 0: the column's heading.
  void click(int row, int col, Qt::MouseButton button = Qt::LeftButton) {
    Operator::ClickCell(book().MSFlexGrid2, row, col, button);
  }
  // The search's row is picked and drawn whole where the operator looks.
  static ::testing::AssertionResult Landed(FlexGrid& g, int row) {
    if (g.RowSel() != row) return ::testing::AssertionFailure() << "row " << g.RowSel() << " picked";
    if (Operator::CellCentre(g, row, 1).x() < 0) return ::testing::AssertionFailure() << "row " << row << " not in view";
    return ::testing::AssertionSuccess();
  }
};

TEST_F(RecordBookWindowTest, TheListIsTheSortedBookAndTheWindowItsPlace) {
  SeiriboSheet& b = book();
  EXPECT_EQ(b.windowTitle(), "新市 整理簿");
  EXPECT_EQ(column(1), QStringList({"0101", "1001", "1002", "1101", "11001A"}));
  EXPECT_EQ(column(0).first(), " 01");
  EXPECT_EQ(b.MSFlexGrid2.TextMatrix(0, 3), "実施日");
  EXPECT_EQ(b.MSFlexGrid2.TextMatrix(1, 7), "8");
  EXPECT_EQ(b.MSFlexGrid2.ColWidth(7), 0);
  EXPECT_EQ(b.SeiriboCount, 5);
  EXPECT_EQ(RecordBook.RecordBookLinked, 1);
  EXPECT_FALSE(b.SALL.Visible());
  EXPECT_NEAR(b.Width(), 10550, 120);  // the frame the desktop adds
  EXPECT_EQ(b.Top(), 0);
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(RecordBookWindowTest, AreaMenusHideAndShowRowsAndAllBringsThemBack) {
  SeiriboSheet& b = book();
  b.SALL1.Trigger();
  EXPECT_EQ(shownCodes(), QStringList({"1001", "1002", "1101", "11001A"}));
  EXPECT_TRUE(b.SALL.Visible());
  b.SKN.Trigger();
  EXPECT_EQ(shownCodes(), QStringList({"1101"}));
  b.SALL8.Trigger();
  EXPECT_EQ(shownCodes(), QStringList({"0101"}));
  b.skokuji.Trigger();
  EXPECT_EQ(shownCodes(), QStringList({"11001A"}));
  b.sNotChoSon.Trigger();
  EXPECT_TRUE(b.sNotChoSon.Checked());
  EXPECT_TRUE(shownCodes().isEmpty());
  b.sShometu.Trigger();
  EXPECT_EQ(shownCodes(), QStringList({"0101"}));
  boxes.Type("20050201-");
  b.ThisMonth.Trigger();
  EXPECT_EQ(shownCodes(), QStringList({"0101", "1001"}));
  b.SALL.Trigger();
  EXPECT_EQ(shownCodes(), QStringList({"0101", "1001", "1002", "1101"}));  // towns still out
  EXPECT_FALSE(b.SALL.Visible());
}

TEST_F(RecordBookWindowTest, TheCodesAndDatesShowWhole) {
  DesktopLook look;
  FlexGrid& g = book().MSFlexGrid2;
  for (int r = 1; r < g.Rows(); ++r)
    for (int c : {1, 3}) EXPECT_TRUE(CellCut(g, r, c).isEmpty()) << CellCut(g, r, c).toStdString();
}

TEST_F(RecordBookWindowTest, HeadingClicksSortAndTheFilterRestoresTheLoadOrder) {
  book();
  click(0, 2);
  EXPECT_EQ(column(1).first(), "0101");  // 北海道 sorts last in the code page: descending puts it first
  click(0, 1);
  EXPECT_EQ(column(1), QStringList({"0101", "1001", "1002", "1101", "11001A"}));
  click(0, 1);
  EXPECT_EQ(column(1), QStringList({"11001A", "1101", "1002", "1001", "0101"}));
  book().SALL1.Trigger();
  EXPECT_EQ(column(1), QStringList({"0101", "1001", "1002", "1101", "11001A"}));
}

TEST_F(RecordBookWindowTest, SearchBoxFindsCodesAndPlacesAndStepsWithTheArrows) {
  SeiriboSheet& b = book();
  b.Text2.setText("1101");
  EXPECT_TRUE(Landed(b.MSFlexGrid2, 4));
  b.Text2.setText("東京");
  EXPECT_TRUE(Landed(b.MSFlexGrid2, 2));
  int down = 40;
  b.Text2.KeyDown(down, 0);
  EXPECT_TRUE(Landed(b.MSFlexGrid2, 3));
  int up = 38;
  b.Text2.KeyDown(up, 0);
  EXPECT_TRUE(Landed(b.MSFlexGrid2, 2));
  b.Command1.click();
  EXPECT_TRUE(b.Text2.text().isEmpty());
}

TEST_F(RecordBookWindowTest, TypingOverwritesUntilInsertAndTheMergerSiteOpens) {
  SeiriboSheet& b = book();
  Operator::Click(b.Text2);
  Operator::Type("1101");
  Operator::ClickCaret(b.Text2, 0);
  Operator::Type("a");
  EXPECT_EQ(b.Text2.text(), "A101");
  Operator::Key(Qt::Key_Insert);
  Operator::ClickCaret(b.Text2, 0);
  Operator::Type("1");
  EXPECT_EQ(b.Text2.text(), "1A101");
  log.home.write("合併情報.url", "[InternetShortcut]\r\nURL=https://gappei.example/\r\n");
  b.Gappei.Trigger();
  ASSERT_FALSE(shell.opened().isEmpty());
  EXPECT_EQ(shell.opened().back(), "https://gappei.example/");
}

TEST_F(RecordBookWindowTest, ANewProgramFolderHoldsTheMergerSitesShortcut) {
  SeiriboSheet& b = book();
  const QString fresh = log.home.path() + "/fresh";
  qputenv("ORBEX_HOME", fresh.toLocal8Bit());
  b.Gappei.Trigger();
  qputenv("ORBEX_HOME", log.home.path().toLocal8Bit());
  EXPECT_TRUE(QFile::exists(fresh + "/合併情報.url"));
  ASSERT_FALSE(shell.opened().isEmpty());
  EXPECT_EQ(shell.opened().back(), "https://www.soumu.go.jp/gapei/");
}

TEST_F(RecordBookWindowTest, TheSheetAndTheBookSearchInStep) {
  ConnectAwardWindows();
  CWSHEET& sheet = Form<CWSHEET>();
  sheet.seiribo.Trigger();
  ASSERT_TRUE(IsLoaded<SeiriboSheet>());
  EXPECT_FALSE(sheet.Frame1.isVisible());
  SeiriboSheet& b = *LoadedForm<SeiriboSheet>();
  sheet.Text2.setText("1101");
  EXPECT_EQ(b.Text2.text(), "1101");
  EXPECT_TRUE(Landed(b.MSFlexGrid2, 4));
  EXPECT_EQ(sheet.StatusBar1.PanelText(5), "2005/03/01 に ()");
  b.Show();
  b.MSFlexGrid2.SetTopRow(1);
  click(3, 2);
  EXPECT_EQ(sheet.Text2.text(), "1002");
  b.Text2.setText("1001");
  EXPECT_EQ(sheet.Text2.text(), "1001");
  b.Unload();
  sheet.Text2.setText("1002");
  EXPECT_EQ(RecordBook.RecordBookLinked, 0);
}

TEST_F(RecordBookWindowTest, ASheetRowRightClickedFillsTheEditor) {
  CWSHEET& sheet = Form<CWSHEET>();
  sheet.Show();
  FlexGrid& g = sheet.MSFlexGrid2;
  int row = 1;
  while (row < g.Rows() && g.TextMatrix(row, 1).trimmed() != "1002") ++row;
  Operator::ClickCell(g, row, 2, Qt::RightButton);
  EXPECT_FALSE(IsLoaded<Editor>());  // no record book: nothing to edit
  book();
  Form<Editor>().Text1[3].setText("20990101");
  Operator::ClickCell(g, row, 2, Qt::RightButton);
  Editor& e = Form<Editor>();
  EXPECT_EQ(e.Text1[1].text(), "1002");
  EXPECT_EQ(e.Text1[2].text(), "東京都八王子市");
  EXPECT_EQ(e.Text1[3].text(), "20990101");  // an open editor keeps the rest
}

TEST_F(RecordBookWindowTest, EditorOverwritesARowThroughThePickListAndCloses) {
  click(3, 2, Qt::RightButton);
  Editor& e = Form<Editor>();
  EXPECT_EQ(RecordBook.RecordEditorOpen, 1);
  EXPECT_EQ(e.Text1[1].text(), "1002");
  EXPECT_EQ(e.Text1[5].text(), "合併");
  EXPECT_EQ(book().MSFlexGrid2.gridModel().cellBack(3, 1), VbRgb(255, 255, 192));
  Operator::Click(e.Label6);
  Operator::Pick(e.List1, 0);
  EXPECT_EQ(e.Text1[6].text(), "告");
  e.Label4.Click();
  boxes.Answer(vbYes);
  e.Esave.click();
  EXPECT_EQ(boxes.texts().back(), "本当に上書きしますか？");
  EXPECT_FALSE(IsLoaded<Editor>());
  EXPECT_EQ(RecordBook.RecordEditorOpen, 0);
  FlexGrid& g = book().MSFlexGrid2;
  EXPECT_EQ(g.TextMatrix(3, 6), "告");
  EXPECT_EQ(g.TextMatrix(3, 4), "消滅");
  EXPECT_EQ(g.gridModel().cellBack(3, 1), VbRgb(231, 254, 254));
}

TEST_F(RecordBookWindowTest, InsertAppendDeleteAndTheBookWrittenOnClose) {
  click(3, 2, Qt::RightButton);
  Editor& e = Form<Editor>();
  for (int i = 3; i <= 6; ++i) e.Text1[i].setText(QString());
  e.Text1[1].setText("2001");
  e.Text1[2].setText("愛知県新市");
  e.EditIns.click();
  e.Text1[1].setText("2002");
  e.EditIns.click();
  EXPECT_EQ(column(1), QStringList({"0101", "1001", "2001", "2002", "1002", "1101", "11001A"}));
  e.Text1[1].setText("4701");
  e.Text1[2].setText("沖縄県, \"新市\"");
  e.Eappend.click();
  FlexGrid& g = book().MSFlexGrid2;
  EXPECT_EQ(g.TextMatrix(g.Rows() - 1, 1), "4701");
  EXPECT_EQ(g.TextMatrix(g.Rows() - 1, 0), "");
  EXPECT_GE(Operator::CellCentre(g, g.Rows() - 1, 1).x(), 0) << "the appended row in view";
  EXPECT_EQ(book().SeiriboCount, 8);
  e.EditEnd.click();
  EXPECT_EQ(g.gridModel().cellBack(5, 1), VbRgb(231, 254, 254));  // the picked row, two rows down
  // The area filter finds the added rows too; they follow the loaded ones.
  book().SALL6.Trigger();
  EXPECT_EQ(shownCodes(), QStringList({"4701"}));
  book().SALL.Trigger();
  EXPECT_EQ(column(1), QStringList({"0101", "1001", "1002", "1101", "11001A", "2001", "2002", "4701"}));

  click(2, 2, Qt::RightButton);
  boxes.Answer(vbYes);
  Form<Editor>().Edelete.click();
  EXPECT_EQ(book().SeiriboCount, 7);
  EXPECT_EQ(column(1).first(), "0101");
  EXPECT_FALSE(column(1).contains("1001"));

  const QString before = bookText();
  const int width = book().Width();
  book().RTNMN.Trigger();
  EXPECT_FALSE(IsLoaded<SeiriboSheet>());
  const QStringList lines = bookText().split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 7);
  EXPECT_EQ(lines[0], "\"20050201\",\"0101\",\"北海道札幌市\",\"消滅\",\"\",\"議\"");
  EXPECT_EQ(lines[1], "\"20041201\",\"1002\",\"東京都八王子市\",\"\",\"合併\",\"\"");
  EXPECT_EQ(lines[4], "\"\",\"2001\",\"愛知県新市\",\"\",\"\",\"\"");
  EXPECT_EQ(lines[6], "\"\",\"4701\",\"沖縄県, \"\"新市\"\"\",\"\",\"\",\"\"");
  EXPECT_EQ(FromAnsi(log.home.read("ORBEX_整理簿.bak")), before);
  EXPECT_EQ(ReadIniOr("ORBEXPOS", "SBPOSWidth", "-"), QString::number(width));
  // Quotes come back as they were written, and stay so through another close.
  EXPECT_EQ(column(2).last(), "沖縄県, \"新市\"");
  const QString written = bookText();
  book().RTNMN.Trigger();
  EXPECT_EQ(bookText(), written);
}

TEST_F(RecordBookWindowTest, ABookThatWasNotReadWholeIsNeverWrittenBack) {
  const QByteArray damaged = ToAnsi(QString::fromUtf8(kBook)) + "\"2005\",\"1003\",\"x\",\"\",\"\",\"\",\"extra\"\r\n";
  log.home.write("ORBEX_整理簿.txt", damaged);
  boxes.Answer(vbOK);
  book();
  EXPECT_TRUE(boxes.texts().back().contains("書き戻しません"));
  EXPECT_FALSE(book().BookLoadedWhole());
  book().Unload(vbFormControlMenu);
  EXPECT_EQ(log.home.read("ORBEX_整理簿.txt"), damaged);
  EXPECT_EQ(ReadIniOr("ORBEXPOS", "SBPOSWidth", "-"), "-");  // the close box keeps no width
}

TEST_F(RecordBookWindowTest, ABookThatFailedToLoadIsToldTakesNoEditsAndIsLeftAsItIs) {
  const QByteArray before = log.home.read("ORBEX_整理簿.txt");
  QDir(log.home.path()).mkdir("DMYSBMST.dat");  // the work file cannot be written
  boxes.Answer(vbOK);
  EXPECT_FALSE(book().ListEdit.Enabled());
  EXPECT_TRUE(boxes.texts().value(0).startsWith(log.home.file("DMYSBMST.dat") +
                                                " を書き込めませんでした（同じ名前のフォルダーがあります）。"));
  // The sheet's right click still opens the editor; the list takes nothing from it.
  Form<CWSHEET>().Show();
  Operator::ClickCell(Form<CWSHEET>().MSFlexGrid2, 1, 2, Qt::RightButton);
  boxes.Answer(vbOK);
  Operator::Click(Form<Editor>().Eappend);
  EXPECT_EQ(book().MSFlexGrid2.Rows(), 1);
  book().RTNMN.Trigger();
  EXPECT_EQ(log.home.read("ORBEX_整理簿.txt"), before);
}

TEST_F(RecordBookWindowTest, AFailedWriteKeepsTheWindowAndTheEditsAndAChangedBookIsNotOverwrittenUnasked) {
  book().ListEdit.Trigger();
  Editor& e = Form<Editor>();
  Operator::Click(e.Text1[1]);
  Operator::Type("4701");
  Operator::Click(e.Text1[5]);
  Operator::Type(QString(40, 'x'));  // the book keeps 34 characters of a remark: the box takes no more
  Operator::Click(e.Eappend);
  Operator::Click(e.EditEnd);
  FlexGrid& g = book().MSFlexGrid2;
  EXPECT_EQ(g.TextMatrix(g.Rows() - 1, 5), QString(34, 'x'));

  writeFaultForTest = [](const QString& path) { return path.endsWith(".txt") ? ENOSPC : 0; };
  boxes.Answer(vbNo).Answer(vbNo);
  book().RTNMN.Trigger();
  Form<CWSHEET>().Show();
  Form<CWSHEET>().BYE.Trigger();  // nor does the end of the program take the edits with it
  writeFaultForTest = nullptr;
  EXPECT_TRUE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(boxes.texts().value(1).contains("を書き込めませんでした（ディスクに空きがありません）。"));
  EXPECT_EQ(g.TextMatrix(g.Rows() - 1, 1), "4701");

  // Another editor adds a line meanwhile: the list asks before it goes over it.
  const QByteArray other = log.home.read("ORBEX_整理簿.txt") + "\"20060101\",\"2001\",\"x\",\"\",\"\",\"\"\r\n";
  log.home.write("ORBEX_整理簿.txt", other);
  boxes.Answer(vbCancel).Answer(vbYes);
  book().RTNMN.Trigger();
  EXPECT_EQ(log.home.read("ORBEX_整理簿.txt"), other);
  book().RTNMN.Trigger();
  EXPECT_TRUE(bookText().contains("\"4701\""));
  EXPECT_EQ(log.home.read("ORBEX_整理簿.bak"), other);

  // Unedited, a book changed by another program is left to it.
  book();
  log.home.write("ORBEX_整理簿.txt", other);
  book().RTNMN.Trigger();
  EXPECT_EQ(log.home.read("ORBEX_整理簿.txt"), other);
}

}  // namespace
