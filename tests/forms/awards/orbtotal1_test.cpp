// The totals window as the operator uses it: the table from the sheet's tally, the range dragged
// across the bands, the CSV export, the snapshot and the way to the application book.

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

#include "award_window_fixture.h"
#include "core/BandLayout.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/ORBBOOK.h"
#include "forms/awards/ORBTOTAL1.h"
#include "platform/ui/snapshot.h"
#include "sheet/SheetTally.h"
#include "support/operator.h"

namespace {

struct ORBTOTAL1Test : AwardWindowTest {
  void SetUp() override {
    AwardWindowTest::SetUp();
    BandTotals.CityConfirmed[2] = 3, BandTotals.CityWorked[2] = 5;
    BandTotals.GunConfirmed[6] = 1, BandTotals.GunWorked[6] = 2;
    BandTotals.WardConfirmed[15] = 1, BandTotals.WardWorked[15] = 1;
  }
  ORBTOTAL1& window() { return Form<ORBTOTAL1>(); }
};

TEST_F(ORBTOTAL1Test, TheWindowShowsTheTallyAndTheWholeRange) {
  ReadConditions.SelMode = "CW";
  FlexGrid& g = window().MSFlexGrid1;
  EXPECT_EQ(window().windowTitle(), "ORB 集計表  抽出モード = CW");
  EXPECT_EQ(window().Label1.text(), "1.9MHz-ｻﾃﾗｲﾄまでの合計を表示しています。");
  ASSERT_EQ(g.Rows(), 17);
  ASSERT_EQ(g.Cols(), 18);
  EXPECT_EQ(g.TextMatrix(0, 17), "ｻﾃﾗｲﾄ");
  EXPECT_EQ(g.TextMatrix(4, 4), "5");
  EXPECT_EQ(g.TextMatrix(1, 1), "5");
  EXPECT_EQ(g.TextMatrix(2, 1), "8");
  EXPECT_EQ(g.RowHeight(9), 120);
  EXPECT_EQ(g.ColWidth(13), 720);
  EXPECT_EQ(g.ColWidth(12), 680);
  window().Show();
  EXPECT_NE(Operator::CellCentre(g, 16, 1).x(), -1) << "WKD-DX whole at the default size";
}

TEST_F(ORBTOTAL1Test, ExtendedSetHasItsOwnColumns) {
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  BandTotals.WardConfirmed[21] = 4;
  FlexGrid& g = window().MSFlexGrid1;
  ASSERT_EQ(g.Cols(), 24);
  EXPECT_EQ(g.TextMatrix(0, 17), "135kHz");
  EXPECT_EQ(g.TextMatrix(7, 23), "4");
  EXPECT_EQ(g.TextMatrix(7, 17), "1");  // the tally's slot 15 is 135 kHz in this set
  EXPECT_EQ(g.TextMatrix(7, 1), "5");
}

TEST_F(ORBTOTAL1Test, DraggingAcrossBandsSetsAndStoresTheRange) {
  FlexGrid& g = window().MSFlexGrid1;
  Drag(g, 3, 8, 3, 4);  // from 21 MHz back to 7 MHz
  EXPECT_EQ(ReadIni("ORB", "BANDST"), "4");
  EXPECT_EQ(ReadIni("ORB", "BANDED"), "8");
  EXPECT_EQ(window().Label1.text(), "7MHz-21MHz帯までの合計を表示しています。");
  EXPECT_EQ(g.TextMatrix(7, 1), "0");
  EXPECT_EQ(g.TextMatrix(1, 1), "4");
  Drag(g, 3, 6, 3, 0);  // released over the labels: every band again
  EXPECT_EQ(ReadIni("ORB", "BANDED"), "17");
  EXPECT_EQ(g.TextMatrix(1, 1), "5");
  // The next opening keeps the stored range.
  Drag(g, 2, 4, 2, 4);
  window().Unload();
  FlushDeletes();
  EXPECT_EQ(window().Label1.text(), "7MHz帯の合計を表示しています。");
  EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(ORBTOTAL1Test, ADragEndingOffTheGridIsToldAndKeepsTheRange) {
  FlexGrid& g = window().MSFlexGrid1;
  Drag(g, 3, 8, 3, 4);
  boxes.Answer(vbOK);
  QTest::mousePress(g.viewport(), Qt::LeftButton, {}, CellCentre(g, 3, 6));
  QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, QPoint(-5, 10));
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_EQ(boxes.texts()[0], "集計する範囲は、表のバンドの列の上でドラッグして指定して下さい。");
  EXPECT_EQ(ReadIni("ORB", "BANDST"), "4");
  EXPECT_EQ(ReadIni("ORB", "BANDED"), "8");
  EXPECT_EQ(window().Label1.text(), "7MHz-21MHz帯までの合計を表示しています。");

  // Over the total column alone there is no band: the caption says how to choose one.
  Drag(g, 3, 1, 5, 1);
  EXPECT_EQ(window().Label1.text(), "合計するバンドがありません。表のバンドの列の上でドラッグして範囲を指定して下さい。");
  EXPECT_EQ(g.TextMatrix(1, 1), "0");
  EXPECT_EQ(g.TextMatrix(4, 4), "5") << "the band cells stay";
}

TEST_F(ORBTOTAL1Test, CsvGoesWhereTheOperatorSaysAndIsOpened) {
  FileDialogResponder files;
  files.Cancel();
  window().fPRN.Trigger();
  EXPECT_TRUE(shell.opened().isEmpty());
  ASSERT_EQ(files.shown().size(), 1u);
  EXPECT_EQ(files.shown()[0].title, "集計表 のﾌｧｲﾙ名を指定します");
  EXPECT_EQ(files.shown()[0].fileName, "ORB_Total");
  EXPECT_EQ(files.shown()[0].initDir, home.path());

  files.Choose(home.file("totals.CSV"));
  window().fPRN.Trigger();
  EXPECT_EQ(lines("totals.CSV").size(), 17);
  EXPECT_EQ(lines("totals.CSV")[3], "CFM-市,3,0,0,3,0,0,0,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(shell.opened(), QStringList({home.file("totals.CSV")}));

  QDir().mkdir(home.file("taken.CSV"));  // a folder stands where the file would go
  files.Choose(home.file("taken.CSV"));
  boxes.Answer(vbOK);
  window().fPRN.Trigger();
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains("を書き込めませんでした。"));
  EXPECT_EQ(shell.opened().size(), 1);
}

TEST_F(ORBTOTAL1Test, SnapshotPlaceCloseAndTheBook) {
  boxes.Answer(vbOK);
  window().MakeBMP.Trigger();
  EXPECT_EQ(boxes.texts().value(0), home.path() + " に ORBEX_TOTAL.bmp というﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙを作りました");
  EXPECT_TRUE(QFile::exists(home.file("ORBEX_TOTAL.bmp")));

  Settings.DataFolder = home.file("gone");
  boxes.Answer(vbOK);
  window().MakeBMP.Trigger();
  EXPECT_TRUE(boxes.texts().value(1).contains("を書き込めませんでした"));

  window().ORBBK.Trigger();
  EXPECT_TRUE(IsLoaded<ORBBOOK>());
  EXPECT_TRUE(IsLoaded<ORBTOTAL1>());

  window().Move(900, 600);
  const QString top = QString::number(window().Top());
  const QString left = QString::number(window().Left());
  window().CLSCNT.Trigger();
  EXPECT_FALSE(IsLoaded<ORBTOTAL1>());
  EXPECT_EQ(ReadIni("ORBEXPOS", "ATPOSTop"), top);
  EXPECT_EQ(ReadIni("ORBEXPOS", "ATPOSLeft"), left);
}

TEST_F(ORBTOTAL1Test, AltPSavesTheClipboardPicture) {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::red);
  QGuiApplication::clipboard()->setImage(image);
  window().Show();
  QTest::keyClick(&window().MSFlexGrid1, Qt::Key_P, Qt::AltModifier);
  EXPECT_TRUE(QFile::exists(home.file("ORBEX_TOTAL.bmp")));
  EXPECT_FALSE(ClipboardHasBitmap());
}

TEST_F(ORBTOTAL1Test, ANegativeStoredTopPutsTheWindowInTheCorner) {
  WriteIni("ORBEXPOS", "ATPOSTop", "-30");
  WriteIni("ORBEXPOS", "ATPOSLeft", "900");
  EXPECT_EQ(window().Top(), 0);
  EXPECT_EQ(window().Left(), 0);
}

}  // namespace
