// The application book as the operator uses it: the first opening of a mode, two applications in a
// row with "申請完", corrections of previous counts, hand-damaged counts files and the ways to close.

#include <QTest>

#include "award_window_fixture.h"
#include "core/BandLayout.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/ORBBOOK.h"
#include "platform/clock.h"
#include "sheet/SheetTally.h"

namespace {

const QString kDat = "ORB-MIX前回申請数.DAT";
const QString kBak = "ORB-MIX前回申請数.bak";

struct ORBBOOKTest : AwardWindowTest {
  void SetUp() override {
    AwardWindowTest::SetUp();
    SetFixedClock(QDateTime(QDate(2026, 12, 7), QTime(3, 0), Qt::UTC));
    BandTotals.CityConfirmed[0] = 5;
    BandTotals.GunConfirmed[2] = 2;
    BandTotals.WardConfirmed[15] = 1;
  }
  void TearDown() override {
    ResetClock();
    AwardWindowTest::TearDown();
  }
  ORBBOOK& book() { return Form<ORBBOOK>(); }
  FlexGrid& grid() { return book().MSFlexGrid1; }
  void reopen() {
    book().Unload();
    FlushDeletes();
  }
  // A second double click within the test's mouse timing would reach the grid as a triple click, so
  // later ones select the cell and double-click it through the grid's own event.
  void doubleClickCell(int row, int col) {
    grid().SetRow(row);
    grid().SetCol(col);
    grid().DblClick();
  }
  void applicationDone() {
    boxes.Answer(vbOK).Answer(vbOK).Answer(vbOK);
    book().B4UPDT.Trigger();
  }
};

TEST_F(ORBBOOKTest, FirstOpeningOfAModeShowsEverythingAsAdded) {
  EXPECT_EQ(book().windowTitle(), "ORB本用 集計  抽出モード = MIX");
  EXPECT_EQ(grid().TextMatrix(2, 1), "今回追加数 2026/12/07");
  EXPECT_EQ(grid().TextMatrix(1, 2), "0");
  EXPECT_EQ(grid().TextMatrix(2, 2), "5");
  EXPECT_EQ(grid().TextMatrix(3, 2), "5");
  EXPECT_EQ(grid().TextMatrix(5, 4), "2");
  EXPECT_EQ(grid().TextMatrix(8, 17), "1");
  EXPECT_EQ(grid().TextMatrix(11, 18), "8");
  EXPECT_TRUE(book().Frame1.isHidden());
  EXPECT_FALSE(book().KICHOU_EXCEL.Enabled());
  EXPECT_EQ(lines("ORBEX_BOOK.CSV").size(), 8);
  EXPECT_TRUE(lines("ORBEX_BOOK.CSV")[0].startsWith("5,0,0,"));
  EXPECT_FALSE(QFile::exists(home.file(kDat)));
  EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(ORBBOOKTest, TwoApplicationsInARowKeepTheCountsFileAndItsBackup) {
  applicationDone();
  ASSERT_EQ(boxes.texts().size(), 3);
  EXPECT_EQ(boxes.shown()[0].title, "実績値書き換え");
  EXPECT_EQ(boxes.shown()[0].style, vbOKCancel + vbExclamation);
  EXPECT_TRUE(boxes.texts()[2].startsWith("前回申請数を更新しました。"));
  EXPECT_FALSE(boxes.texts()[2].contains(".bak"));  // there was nothing to back up
  EXPECT_FALSE(QFile::exists(home.file(kBak)));
  EXPECT_EQ(lines(kDat).value(0), "\"5\"," + QString("\"0\",").repeated(14) + "\"0\"");
  for (int r : {2, 5, 8, 11}) EXPECT_EQ(grid().TextMatrix(r, 18), "0") << r;
  EXPECT_EQ(grid().TextMatrix(1, 2), "5");
  const QByteArray firstApplication = home.read(kDat);

  // The sheet counts more; the book opens again on the first application.
  book().CLSCNT.Trigger();
  FlushDeletes();
  BandTotals.CityConfirmed[0] = 8;
  EXPECT_EQ(grid().TextMatrix(1, 2), "5");
  EXPECT_EQ(grid().TextMatrix(2, 2), "3");
  EXPECT_EQ(grid().TextMatrix(2, 18), "3");
  applicationDone();
  EXPECT_TRUE(boxes.texts().back().contains("ORB-MIX前回申請数.bak として保存しました。"));
  EXPECT_EQ(home.read(kBak), firstApplication);
  EXPECT_TRUE(lines(kDat).value(0).startsWith("\"8\","));
  EXPECT_EQ(grid().TextMatrix(2, 2), "0");
}

TEST_F(ORBBOOKTest, CancelAtEitherQuestionChangesNothing) {
  boxes.Answer(vbCancel);
  book().B4UPDT.Trigger();
  boxes.Answer(vbOK).Answer(vbCancel);
  book().B4UPDT.Trigger();
  EXPECT_FALSE(QFile::exists(home.file(kDat)));
  EXPECT_EQ(grid().TextMatrix(2, 2), "5");
}

TEST_F(ORBBOOKTest, ACorrectedPreviousCountIsStoredAndRecounted) {
  book().Show();
  QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, CellCentre(grid(), 1, 2));
  ASSERT_TRUE(book().Frame1.isVisible());
  EXPECT_EQ(book().BookKindLetter, "C");
  EXPECT_EQ(book().BookBandKey, "1R9");
  QTest::keyClicks(&book().Text1, "2");
  QTest::keyClick(&book().Text1, Qt::Key_Return);
  EXPECT_FALSE(book().Frame1.isVisible());
  EXPECT_EQ(grid().TextMatrix(1, 2), "2");
  EXPECT_EQ(grid().TextMatrix(2, 2), "3");
  EXPECT_EQ(ReadIni("ORB", "C1R9"), "2");
  EXPECT_EQ(book().Text1.text(), "");

  doubleClickCell(4, 4);
  EXPECT_EQ(book().BookKindLetter, "G");
  QTest::keyClicks(&book().Text1, "9");
  QTest::keyClick(&book().Text1, Qt::Key_Escape);
  EXPECT_FALSE(book().Frame1.isVisible());
  EXPECT_EQ(grid().TextMatrix(4, 4), "0");

  // Additions and running totals are not edited.
  doubleClickCell(2, 2);
  EXPECT_FALSE(book().Frame1.isVisible());

  // The correction reaches the counts file when the book closes.
  book().CLSCNT.Trigger();
  EXPECT_TRUE(lines(kDat).value(0).startsWith("\"2\","));
}

TEST_F(ORBBOOKTest, ClosingWaysAndWhatTheySave) {
  book().Move(600, 300);
  book().Unload(vbFormControlMenu);  // the close box: counts saved, place not
  FlushDeletes();
  EXPECT_TRUE(QFile::exists(home.file(kDat)));
  EXPECT_FALSE(ReadIniKey("ORBEXPOS", "ABPOSTop").has_value());
  QFile::remove(home.file(kDat));
  book().Unload();  // the sheet's return: nothing saved
  FlushDeletes();
  EXPECT_FALSE(QFile::exists(home.file(kDat)));
  book().CLSCNT.Trigger();
  EXPECT_TRUE(QFile::exists(home.file(kDat)));
  EXPECT_TRUE(ReadIniKey("ORBEXPOS", "ABPOSTop").has_value());
}

TEST_F(ORBBOOKTest, ExtendedSetReadsTheStandardFileAndWritesItsOwn) {
  home.write(kDat, QString("\"1\",").repeated(15).toUtf8() + "\"7\"\r\n" +
                       QString("\"0\",").repeated(15).toUtf8() + "\"0\"\r\n" +
                       QString("\"0\",").repeated(15).toUtf8() + "\"0\"\r\n");
  const QByteArray standard = home.read(kDat);
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  ASSERT_EQ(grid().Cols(), 25);
  EXPECT_EQ(grid().TextMatrix(1, 17), "0");
  EXPECT_EQ(grid().TextMatrix(1, 23), "7");
  book().CLSCNT.Trigger();
  EXPECT_EQ(home.read(kDat), standard);
  EXPECT_EQ(lines("ORB-MIX前回申請数sp.DAT").size(), 3);
  EXPECT_EQ(lines("ORBEX_BOOKsp.CSV").size(), 8);
}

TEST_F(ORBBOOKTest, AnUnreadableCountsFileIsToldAndNeverOverwritten) {
  const QByteArray damaged = "\"3\",\"4\"\r\nnonsense\r\n";
  home.write(kDat, damaged);
  boxes.Answer(vbOK).Answer(vbOK);
  EXPECT_EQ(grid().TextMatrix(1, 2), "0");
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains("を最後まで読めませんでした。"));
  book().CLSCNT.Trigger();
  EXPECT_TRUE(boxes.texts().value(1).contains("上書きせずに残しました"));
  EXPECT_EQ(home.read(kDat), damaged);
  EXPECT_FALSE(IsLoaded<ORBBOOK>());
}

}  // namespace
