// The award sheet window's frame: which sheet it builds, when it fills, where it stands, the QSO
// behind a confirmed cell, the member sheet's heading sort and what closing stores.

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <QWheelEvent>

#include "award_window_fixture.h"
#include "awards/AwardSheets.h"
#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/ACCSheet.h"
#include "support/qt_print.h"
#include "support/sheet_log.h"

namespace {

struct ACCSheetTest : AwardWindowTest {
  int builds = 0;
  int fills = 0;
  int32_t record = 0;

  void SetUp() override {
    AwardWindowTest::SetUp();
    installSheets();
  }
  // Two sheets of the kinds the frame serves: a locator sheet and a member sheet.
  void installSheets() {
    AwardSheetKind square;
    square.Build = [this](ACCSheet& s) {
      ++builds;
      FlexGrid& g = s.MSFlexGrid2;
      g.SetCols(10);
      g.SetRows(3);
      g.SetTextMatrix(1, 1, "PM95");
      g.SetTextMatrix(1, 7, "C");
      g.SetTextMatrix(1, 8, "C");
      g.SetTextMatrix(2, 7, "");
    };
    square.Fill = [this](ACCSheet& s) {
      ++fills;
      s.Form_Activate();  // the step lets events run: an activation arriving now starts nothing
      s.SheetFilled = 1;
    };
    square.RecordOfCell = [this](ACCSheet&, int, int col) { return col == 7 ? record : 0; };
    AwardSheetHooks.Kinds[2] = square;
    AwardSheetKind members;
    members.Build = [](ACCSheet& s) {
      FlexGrid& g = s.MSFlexGrid2;
      g.SetCols(5);
      g.SetRows(1);
      for (const char* row : {" 1\t0002\tJA1BBB", " 2\t0001\tJA1AAA", " 3\t0003\tJA1CCC"}) g.AddItem(row);
    };
    AwardSheetHooks.Kinds[1] = members;
  }
  ACCSheet& sheet() { return Form<ACCSheet>(); }
  void clickCell(int row, int col) {
    FlexGrid& g = sheet().MSFlexGrid2;
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, CellCentre(g, row, col));
  }
  void clickHeading(int col) {
    FlexGrid& g = sheet().MSFlexGrid2;
    QTest::mouseClick(g.horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(g.columnViewportPosition(col) + 5, 5));
  }
};

TEST_F(ACCSheetTest, AKindWithoutASheetUnloadsAtOnce) {
  AwardSheets.SheetKind = 4;
  sheet();
  EXPECT_FALSE(IsLoaded<ACCSheet>());
  AwardSheets.SheetKind = 9;
  sheet();
  EXPECT_FALSE(IsLoaded<ACCSheet>());
}

TEST_F(ACCSheetTest, TheSheetIsBuiltAtLoadAndFilledOnceAtTheFirstActivation) {
  AwardSheets.SheetKind = 2;
  WriteIni("ACCCFG", "CW", "CW,CWR");
  sheet();
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(sheet().SheetFilled, 0);
  EXPECT_EQ(sheet().ModeClasses.CwModes, "CW,CWR");
  EXPECT_EQ(sheet().ModeClasses.PhoneModes, "SSB,AM,FM");
  sheet().Form_Activate();
  sheet().Form_Activate();
  EXPECT_EQ(fills, 1);
  EXPECT_EQ(sheet().SheetFilled, 1);
  EXPECT_TRUE(sheet().Frame3.isHidden());
}

TEST_F(ACCSheetTest, PlaceSizeAndBandMenusFollowTheSettings) {
  AwardSheets.SheetKind = 2;
  WriteIni("ORBEXPOS", "SBPOSWidth", "9000");  // the height is missing: the default size
  EXPECT_EQ(sheet().Top(), 0);
  EXPECT_EQ(sheet().Left(), 0);
  EXPECT_EQ(sheet().Width(), 12000);
  EXPECT_EQ(sheet().Height(), 7905);
  EXPECT_FALSE(sheet().a135k.Visible());
  EXPECT_EQ(sheet().aHFall.Caption(), "ＨＦａｌｌ (1.9MHz-28MHz)");
  EXPECT_EQ(sheet().aVUonly.Caption(), "Ｖ・ＵＨＦ( 50-5600)");
  sheet().Unload();
  FlushDeletes();
  Settings.ExtendedBandSet = 1;
  EXPECT_TRUE(sheet().a77G.Visible());
  EXPECT_EQ(sheet().aVUSAT.Caption(), "Ｖ・ＵＨＦ( 50MHz-77GHz ＆ SAT )");
}

TEST_F(ACCSheetTest, ClosingStoresThePlaceAndSize) {
  AwardSheets.SheetKind = 2;
  sheet().Move(300, 450, 9000, 6000);
  const QString w = QString::number(sheet().Width());
  sheet().RTNMN.Trigger();
  EXPECT_FALSE(IsLoaded<ACCSheet>());
  EXPECT_EQ(ReadIni("ORBEXPOS", "SBPOSWidth"), w);
  EXPECT_TRUE(ReadIniKey("ORBEXPOS", "SBPOSTop").has_value());
  FlushDeletes();
  EXPECT_EQ(sheet().Width(), w.toInt());
}

TEST_F(ACCSheetTest, AConfirmedCellShowsItsQso) {
  SheetLog log;
  log.Add({"JA1ABC,2021/03/04,7.025,CW,1002,J *"});
  log.Prepare();
  installSheets();
  AwardSheets.SheetKind = 2;
  sheet().Show();
  record = 0;
  clickCell(1, 7);  // a "C" whose record is unknown: nothing changes
  EXPECT_EQ(sheet().Label10.text(), "");
  record = 1;
  clickCell(1, 7);
  EXPECT_EQ(QStringList({sheet().Label10.text(), sheet().Label9.text(), sheet().Label8.text()}),
            QStringList({"JA1ABC", "2021-03-04", "CW"}));
  clickCell(2, 7);  // no "C": the panel empties
  EXPECT_EQ(sheet().Label10.text(), "");
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
}

TEST_F(ACCSheetTest, TheMemberSheetSortsOnItsHeadings) {
  AwardSheets.SheetKind = 1;
  sheet().Show();
  FlexGrid& g = sheet().MSFlexGrid2;
  clickHeading(2);
  EXPECT_EQ(g.TextMatrix(1, 2), "JA1CCC");
  clickHeading(0);  // no sort, but the next one turns round
  EXPECT_EQ(g.TextMatrix(1, 2), "JA1CCC");
  clickHeading(1);
  EXPECT_EQ(g.TextMatrix(1, 1), "0003");
  EXPECT_EQ(sheet().MemberSortToggle, 1);
  clickCell(2, 2);  // member cells show nothing
  EXPECT_EQ(sheet().Label10.text(), "");
}

TEST_F(ACCSheetTest, TheWheelMovesOneRowAndWithShiftOneShownColumn) {
  AwardSheetKind tall;
  tall.Build = [](ACCSheet& s) {
    FlexGrid& g = s.MSFlexGrid2;
    g.SetCols(31);
    g.SetRows(80);
    g.SetFixedCols(2);
    for (int c = 2; c <= 6; ++c) g.SetColWidth(c, 0);
  };
  AwardSheetHooks.Kinds[3] = tall;
  AwardSheets.SheetKind = 3;
  sheet().Show();
  FlexGrid& g = sheet().MSFlexGrid2;
  auto wheel = [&](int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const QPointF at(10, 10);
    QWheelEvent e(at, g.viewport()->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(g.viewport(), &e);
  };
  g.SetTopRow(1);
  wheel(-120);
  EXPECT_EQ(g.TopRow(), 2);
  wheel(-360);
  EXPECT_EQ(g.TopRow(), 3);
  wheel(120);
  EXPECT_EQ(g.TopRow(), 2);
  g.SetLeftCol(2);
  wheel(-120, Qt::ShiftModifier);
  EXPECT_EQ(g.LeftCol(), 7) << "the hidden columns are passed over";
  EXPECT_EQ(g.TopRow(), 2);
}

}  // namespace
