// The code list beside the entry window: what a pick copies into the entry window, the local time of
// a DX pick, QSL-check mode, and the ways of closing.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QTimeZone>

#include "core/SettingsStore.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/CODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LocalTime.h"
#include "logbook/LogWindowState.h"
#include "lookup/CodeListState.h"
#include "platform/clock.h"
#include "platform/ui/responders.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

class CodeListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
    log.Prepare();
    SetFixedClock(QDateTime(QDate(2024, 5, 6), QTime(21, 0), QTimeZone(9 * 3600)));  // 12:00 UTC
    Form<TEMP_LOG>().setWindowTitle("ORBEXログ");  // the list picks for the entry window
    LocalTime.ShowLocalTime = [this](const QString&) { ++greetings; };
  }
  void TearDown() override {
    UnloadForm<CODE_LIST>();
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) w->Unload();
    CloseSheetAndResetState();
  }
  TEMP_LOG& entryWindow() { return *LoadedForm<TEMP_LOG>(); }
  // The entry window's code and QTH.
  QString entry() { return entryWindow().Text9.text() + "|" + entryWindow().Text13.text(); }
  // Opens the list as a filling procedure does: rows of code, QTH, prefix or index, area and, for DX
  // rows, the longitude's side and degrees.
  CODE_LIST& Open(int jaMode, const QList<QStringList>& rows) {
    CodeListShared.JaCodeListMode = jaMode;
    CODE_LIST& list = Form<CODE_LIST>();
    FlexGrid& g = list.MSFlexGrid1;
    g.SetRows(static_cast<int>(rows.size()) + 1);
    for (int r = 0; r < rows.size(); ++r) {
      for (int c = 0; c < 4; ++c) g.SetTextMatrix(r + 1, c + 1, rows[r][c]);
      if (rows[r].size() > 4) g.SetTextMatrix(r + 1, 22, rows[r][4]), g.SetTextMatrix(r + 1, 23, rows[r][5]);
    }
    entryWindow().PutCodeAndQth({}, {}, TEMP_LOG::Put::LookedUp);
    list.Show();
    return list;
  }
  CODE_LIST& OpenDx() {
    return Open(0, {{"520A  ", "Cocos (Keeling) Is.  ", "VK", "9", "東経", "97"},
                    {"601A", "Hawaii", "KH", "6", "西経", "156"},
                    {"522A", "Christmas Is.", "VK", "9", "東経", "106"}});
  }
  QPoint CellCentre(FlexGrid& g, int row, int col) {
    return g.visualRect(g.gridModel().index(row - 1, col)).center();
  }

  SheetLog log;
  int greetings = 0;
};

TEST_F(CodeListTest, TheLayoutFollowsTheListKind) {
  FlexGrid& dx = OpenDx().MSFlexGrid1;
  EXPECT_EQ(Form<CODE_LIST>().windowTitle(), "Code List");
  EXPECT_EQ(dx.Cols(), 24);
  EXPECT_EQ(dx.FixedCols(), 5);
  QStringList header;
  for (int c = 0; c < 5; ++c) header << dx.TextMatrix(0, c);
  EXPECT_EQ(header, QStringList({"件数", "CODE", "QTH", "Prfx", "AREA"}));
  EXPECT_EQ(dx.ColWidth(2), 2760);
  EXPECT_EQ(dx.ColWidth(23), 0);
  EXPECT_EQ(Form<CODE_LIST>().Top(), 0);
  UnloadForm<CODE_LIST>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  FlexGrid& ja = Open(1, {{"1001", "札幌市", "さ", "8"}}).MSFlexGrid1;
  EXPECT_EQ(ja.TextMatrix(0, 3), "IDX");
}

TEST_F(CodeListTest, MovingThroughADxListCopiesEachRowAndItsLocalTime) {
  FlexGrid& g = OpenDx().MSFlexGrid1;
  g.setFocus();
  QTest::keyClick(&g, Qt::Key_Down);
  EXPECT_EQ(entry(), "601A|Hawaii");
  EXPECT_EQ(CodeListShared.LocalTimeText, "02:00");  // 156 west: 10 hours less
  QTest::keyClick(&g, Qt::Key_Up);
  EXPECT_EQ(entry(), "520A|Cocos (Keeling) Is.");    // right-trimmed
  EXPECT_EQ(CodeListShared.LocalTimeText, "18:00");  // 97 east: 6 hours more
}

TEST_F(CodeListTest, AClickOnADxRowSetsTheEntryCaptionAndMovesTheSheet) {
  Form<CWSHEET>();
  FlexGrid& g = OpenDx().MSFlexGrid1;
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, CellCentre(g, 3, 2));
  EXPECT_EQ(entry(), "522A|Christmas Is.");
  EXPECT_EQ(entryWindow().windowTitle(), "ORBEXログ　Local Time=> 19:00");
  EXPECT_EQ(Form<CWSHEET>().Text2.text(), "522A");
  EXPECT_TRUE(IsLoaded<CODE_LIST>());
}

TEST_F(CodeListTest, AJaListGivesNoLocalTime) {
  FlexGrid& g = Open(1, {{"1001", "札幌市", "さ", "8"}, {"1002", "札幌市*旧", "さ", "8"}}).MSFlexGrid1;
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, CellCentre(g, 2, 2));
  EXPECT_EQ(entry(), "1002|札幌市*旧");
  EXPECT_EQ(greetings, 0);
  EXPECT_EQ(entryWindow().windowTitle(), "ORBEXログ");
  Form<CODE_LIST>().CLSCD.Click();
  EXPECT_EQ(greetings, 0);
  EXPECT_EQ(CodeListShared.JaCodeListMode, 0);
}

TEST_F(CodeListTest, InQslCheckModeOnlyAClickCopies) {
  LogWindowState.QslCheckMode = 1;
  FlexGrid& g = OpenDx().MSFlexGrid1;
  g.setFocus();
  QTest::keyClick(&g, Qt::Key_Down);
  EXPECT_EQ(entry(), "|");
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, CellCentre(g, 1, 2));
  EXPECT_EQ(entry(), "520A  |Cocos (Keeling) Is.  ");  // as the cells hold them
}

TEST_F(CodeListTest, EnterRightAfterOpeningGivesTheFirstRowsTimeAndCloses) {
  CODE_LIST& list = OpenDx();
  list.Move(600, 300);
  greetings = 0;
  CodeListShared.LocalTimeText.clear();
  QTest::keyClick(&list.MSFlexGrid1, Qt::Key_Return);
  EXPECT_FALSE(IsLoaded<CODE_LIST>());
  EXPECT_EQ(greetings, 1);
  EXPECT_EQ(CodeListShared.LocalTimeText, "18:00");
  EXPECT_EQ(CodeListShared.JaCodeListMode, 0);
  EXPECT_EQ(ReadIni("CFGPOS", "CDLSTPOSTop"), "300");
  EXPECT_EQ(ReadIni("CFGPOS", "CDLSTPOSLeft"), "600");
}

TEST_F(CodeListTest, TheCloseBoxAndADoubleClickStoreNoPositionAtTheTop) {
  CodeListShared.JaCodeListMode = 1;
  CODE_LIST& list = OpenDx();
  list.Move(600, 0);
  list.close();
  EXPECT_FALSE(IsLoaded<CODE_LIST>());
  EXPECT_EQ(CodeListShared.JaCodeListMode, 0);
  EXPECT_FALSE(ReadIniKey("CFGPOS", "CDLSTPOSTop"));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  CODE_LIST& again = Open(1, {{"1001", "札幌市", "さ", "8"}});
  again.Move(600, 900);
  QTest::mouseDClick(again.MSFlexGrid1.viewport(), Qt::LeftButton, {}, CellCentre(again.MSFlexGrid1, 1, 2));
  EXPECT_FALSE(IsLoaded<CODE_LIST>());
  EXPECT_EQ(CodeListShared.JaCodeListMode, 0);
  EXPECT_FALSE(ReadIniKey("CFGPOS", "CDLSTPOSTop"));
}

}  // namespace
