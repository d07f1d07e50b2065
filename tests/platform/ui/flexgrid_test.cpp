#include <gtest/gtest.h>

#include <QAccessible>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "platform/ui/buttons.h"
#include "platform/ui/flexgrid.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/vbnumber.h"
#include "support/operator.h"
#include "support/waits.h"
#include "ui_test.h"

namespace {

// The current cell and the far corner of the selection, "row,col-rowsel,colsel".
QString Selection(const FlexGrid& g) {
  return QString("%1,%2-%3,%4").arg(g.Row()).arg(g.Col()).arg(g.RowSel()).arg(g.ColSel());
}

class GridWindow : public VbForm {
 public:
  GridWindow() {
    Panel.Move(600, 600, 4200, 1500);
    Go.Move(240, 600, 900, 360);
    Panel.hide();
    Grid.Move(0, 0, 9000, 4500);
    Grid.MouseDown = [this](int b, int s, float, float) {
      log << QString("down %1 %2 %3,%4").arg(b).arg(s).arg(Grid.MouseRow()).arg(Grid.MouseCol());
    };
    Grid.MouseUp = [this](int b, int, float, float) {
      log << QString("up %1 %2,%3").arg(b).arg(Grid.MouseRow()).arg(Grid.MouseCol());
    };
    Grid.Click = [this] { log << "click"; };
    Grid.DblClick = [this] { log << "dblclick"; };
    Grid.RowColChange = [this] { log << QString("rowcol %1,%2").arg(Grid.Row()).arg(Grid.Col()); };
    Grid.SelChange = [this] { log << "sel " + Selection(Grid); };
    Grid.KeyDown = [this](int& k, int s) { log << QString("key %1 %2").arg(k).arg(s); };
  }
  Frame Panel{this, "作成リストの設定"};  // built before the grid, so Qt stacks it underneath
  CommandButton Go{&Panel, "Go"};
  FlexGrid Grid{this};
  QStringList log;
};

class Grid : public ::testing::Test {
 protected:
  void SetUp() override {
    w = &Form<GridWindow>();
    w->resize(700, 400);
    w->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w, kEventCapMs));
    g = &w->Grid;
  }
  void TearDown() override {
    UnloadAllForms();
    FlushDeletes();
  }
  // A sheet-like grid: heading row, `rows` data rows, numbered cells "r:c".
  void Fill(int rows, int cols, int fixedCols = 0) {
    g->SetRedraw(false);
    g->SetCols(cols);
    g->SetRows(1 + rows);
    g->SetFixedRows(1);
    g->SetFixedCols(fixedCols);
    for (int c = 0; c < cols; ++c) g->SetTextMatrix(0, c, QString("H%1").arg(c));
    for (int r = 1; r <= rows; ++r)
      for (int c = 0; c < cols; ++c) g->SetTextMatrix(r, c, QString("%1:%2").arg(r).arg(c));
    g->SetRedraw(true);
  }
  QPoint CellCentre(int row, int col) const {
    return g->visualRect(g->gridModel().index(row - 1, col)).center();
  }
  GridWindow* w = nullptr;
  FlexGrid* g = nullptr;
};

TEST_F(Grid, ABatchFillWithRedrawOffIsOneResetAndRowZeroIsTheHeading) {
  QSignalSpy resets(&g->gridModel(), &QAbstractItemModel::modelReset);
  QSignalSpy inserts(&g->gridModel(), &QAbstractItemModel::rowsInserted);
  QSignalSpy changes(&g->gridModel(), &QAbstractItemModel::dataChanged);
  Fill(5000, 30);
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(inserts.count(), 0);
  EXPECT_EQ(changes.count(), 0);
  EXPECT_EQ(g->Rows(), 5001);
  EXPECT_EQ(g->gridModel().rowCount(), 5000);
  EXPECT_EQ(g->TextMatrix(0, 3), "H3");
  EXPECT_EQ(g->gridModel().headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "H3");
  EXPECT_EQ(g->gridModel().index(0, 3).data().toString(), "1:3");
  g->SetTextMatrix(0, 3, "CODE");
  EXPECT_EQ(g->horizontalHeader()->model()->headerData(3, Qt::Horizontal).toString(), "CODE");
}

// Rows filled in one go are what filling them cell by cell gives: the rows above kept, the count
// grown or shrunk, the colours of rows still there kept; with the redraw on or off.
TEST_F(Grid, RowTextsInOneGoAreTheCellByCellFill) {
  FlexGrid other(w);
  for (FlexGrid* x : {g, &other}) {
    x->SetCols(3);
    x->SetRows(4);
    x->SetTextMatrix(0, 1, "H");
    x->SetTextMatrix(1, 2, "kept");
    x->SetCellBackColor(3, 1, 255);
  }
  const auto shown = [](FlexGrid& x) {
    QStringList t{QString::number(x.Rows()), QString::number(x.gridModel().rowCount()),
                  QString::number(x.gridModel().cellBack(3, 1))};
    for (int r = 0; r < x.Rows(); ++r)
      for (int c = 0; c < 3; ++c) t << x.TextMatrix(r, c);
    return t;
  };
  for (int rows : {6, 1, 3}) {
    std::vector<QString> cells;
    for (int i = 0; i < rows * 3; ++i) cells.push_back(QString::number(i * rows));
    for (FlexGrid* x : {g, &other}) x->SetRedraw(rows != 1);
    g->SetRows(2 + rows);
    for (int i = 0; i < rows * 3; ++i) g->SetTextMatrix(2 + i / 3, i % 3, cells[size_t(i)]);
    other.SetRowTexts(2, cells);
    for (FlexGrid* x : {g, &other}) x->SetRedraw(true);
    EXPECT_EQ(shown(*g), shown(other)) << rows;
  }
}

// A grid a screen reader has read is emptied in one step, not by a removal that walks every cell read
// once for each of them.
TEST_F(Grid, AGridEmptiedGoesInOneStepWhileAScreenReaderHoldsItsCells) {
  Fill(300, 23);
  QAccessible::setActive(true);
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(g);
  for (int i = 0; i < table->childCount(); ++i) table->child(i)->text(QAccessible::Name);
  QSignalSpy removals(&g->gridModel(), &QAbstractItemModel::rowsRemoved);
  g->SetRows(1);
  EXPECT_EQ(removals.count() + table->tableInterface()->rowCount(), 0);
  QAccessible::setActive(false);
}

TEST_F(Grid, RowsAddedOneByOneFromTabSeparatedText) {
  g->SetCols(3);
  g->SetRows(1);
  g->SetTextMatrix(0, 0, "件数");
  g->AddItem("1\tJA1ABC\t2024");
  g->AddItem("2\tJA2XYZ");
  g->AddItem("0\tfirst", 1);
  EXPECT_EQ(g->Rows(), 4);
  EXPECT_EQ(g->TextMatrix(1, 1), "first");
  EXPECT_EQ(g->TextMatrix(2, 2), "2024");
  EXPECT_EQ(g->TextMatrix(3, 2), "");
  g->RemoveItem(1);
  EXPECT_EQ(g->TextMatrix(1, 1), "JA1ABC");
  g->Clear();
  EXPECT_EQ(g->Rows(), 3);
  EXPECT_EQ(g->TextMatrix(0, 0), "");
  EXPECT_EQ(g->TextMatrix(1, 1), "");
}

TEST_F(Grid, HiddenRowsKeepTheirNumbersAndAnyRowCanStandAtTheTop) {
  Fill(200, 6);
  g->SetRowHeight(5, 0);
  g->SetRowHeight(6, 0);
  EXPECT_EQ(g->RowHeight(5), 0);
  EXPECT_GT(g->RowHeight(7), 0);
  g->SetTopRow(5);
  EXPECT_EQ(g->TopRow(), 5);
  // The first row the operator sees is 7, and it is row 7 that the mouse reports.
  QTest::mouseMove(g->viewport(), QPoint(5, 2));
  EXPECT_EQ(g->MouseRow(), 7);
  EXPECT_EQ(g->TextMatrix(7, 0), "7:0");
  const int top = g->TopRow();
  g->SetTopRow(0);  // the heading row cannot scroll
  EXPECT_EQ(g->TopRow(), top);
  g->SetRowHeight(5, -1);
  EXPECT_EQ(g->RowHeight(5), g->RowHeight(8));
}

// The rows the operator sees whole, first and last (0, 0 when none).
std::pair<int, int> RowsInView(FlexGrid& grid, int col) {
  int first = 0, last = 0;
  for (int r = 1; r < grid.Rows(); ++r)
    if (Operator::CellCentre(grid, r, col).x() >= 0) (first ? last : first) = r, last = r;
  return {first, last};
}

TEST_F(Grid, ARowAskedForAtTheTopNearTheEndShowsAFullLastPage) {
  Fill(200, 30, 1);  // wide enough for the grid's own sideways scroll bar
  g->SetTopRow(200);
  auto [first, last] = RowsInView(*g, 1);
  EXPECT_EQ(last, 200) << "the last row, whole, above the sideways scroll bar";
  EXPECT_GT(last - first, 5) << "a full page, not the last row alone";
  EXPECT_TRUE(g->TopRow() == first || g->TopRow() == first - 1) << "TopRow is the first row drawn";

  Fill(3, 30, 1);  // filled again, shorter: nothing left scrolled past the end
  EXPECT_EQ(RowsInView(*g, 1), std::make_pair(1, 3));
  g->SetTopRow(2);  // every row fits: none can scroll
  EXPECT_EQ(RowsInView(*g, 1), std::make_pair(1, 3));
  EXPECT_EQ(g->TopRow(), 1);

  Fill(200, 4, 1);  // the rows after 150 hidden, as an area view leaves them
  for (int r = 151; r <= 200; ++r) g->SetRowHeight(r, 0);
  g->SetTopRow(150);
  EXPECT_EQ(RowsInView(*g, 1).second, 150);
  EXPECT_GT(RowsInView(*g, 1).first, 0);
}

TEST_F(Grid, HiddenRowsSurviveABatchAndASort) {
  Fill(10, 3);
  g->Move(0, 0, 9000, 1500);  // a few rows a page, so that row 4 can stand at the top
  g->SetRedraw(false);
  g->SetRowHeight(3, 0);
  g->SetTopRow(4);
  g->SetRedraw(true);
  EXPECT_EQ(g->verticalHeader()->sectionSize(2), 0);
  EXPECT_EQ(g->TopRow(), 4);
  g->SetCol(0);
  g->Sort(flexSortStringDescending);  // "9:0" .. "2:0", "10:0", "1:0": row 3's text moves to row 7
  EXPECT_EQ(g->TextMatrix(7, 0), "3:0");
  EXPECT_EQ(g->RowHeight(7), 0);
  EXPECT_EQ(g->verticalHeader()->sectionSize(6), 0);
  EXPECT_GT(g->RowHeight(3), 0);
}

// The first scrollable column the operator sees whole.
int FirstColumnInView(FlexGrid& grid) {
  for (int c = grid.FixedCols(); c < grid.Cols(); ++c)
    if (Operator::CellCentre(grid, 1, c).x() >= 0) return c;
  return -1;
}

TEST_F(Grid, TheSidewaysBarScrollsByItsThumbItsArrowAndItsTrack) {
  Fill(20, 30, 2);
  auto* bar = qobject_cast<QScrollBar*>(Operator::WidgetAt(*g, {g->width() / 2, g->height() - 4}));
  ASSERT_NE(bar, nullptr) << "no bar at the grid's foot";
  const int w = bar->width(), e = bar->height();
  const auto at = [&](int x) { return bar->mapTo(g, QPoint(x, e / 2)); };
  Operator::Drag(*g, at(e + 3), at(w - e - 1));
  EXPECT_NE(Operator::CellCentre(*g, 1, 29).x(), -1) << "the thumb dragged to the end: the last column";
  Operator::Drag(*g, at(w - e - 3), at(0));
  EXPECT_EQ(FirstColumnInView(*g), 2) << "and back";
  Operator::Click(*g, at(w - e / 2));
  EXPECT_EQ(FirstColumnInView(*g), 3) << "the right arrow: one column";
  Operator::Click(*g, at(w - e - 2));
  EXPECT_GT(FirstColumnInView(*g), 4) << "the track right of the thumb: a page";
}

TEST_F(Grid, AGridGivenItsWholeSizeShowsEveryCellWithNoBars) {
  Fill(12, 8, 1);
  g->Move(0, 0, 1500, 1500);  // both bars
  g->SetWidth(g->WholeWidth());
  g->SetHeight(g->WholeHeight());
  QCoreApplication::processEvents();
  EXPECT_NE(Operator::CellCentre(*g, 12, 7).x(), -1);
}

TEST_F(Grid, FixedColumnsStayWhileLeftColScrollsTheRest) {
  Fill(20, 30, 2);
  g->SetColWidth(0, 0);
  EXPECT_EQ(g->LeftCol(), 2);
  g->SetLeftCol(10);
  EXPECT_EQ(g->LeftCol(), 10);
  EXPECT_EQ(g->ColWidth(5), 960);  // scrolled off, still its width
  EXPECT_EQ(g->ColWidth(0), 0);
  const int afterFixed = g->columnViewportPosition(1) + g->columnWidth(1) + 2;
  QTest::mouseMove(g->viewport(), QPoint(afterFixed, 5));
  EXPECT_EQ(g->MouseCol(), 10);
  QTest::mouseMove(g->viewport(), QPoint(2, 5));
  EXPECT_EQ(g->MouseCol(), 1);
  g->SetLeftCol(1);  // a fixed column cannot scroll
  EXPECT_EQ(g->LeftCol(), 10);
}

TEST_F(Grid, CurrentCellAndSelectionFromCodeAndFromTheMouse) {
  Fill(20, 6);
  w->log.clear();
  g->SetRow(3);
  g->SetCol(2);
  g->SetRowSel(6);
  EXPECT_EQ(w->log, QStringList({"rowcol 3,1", "sel 3,1-3,1", "rowcol 3,2", "sel 3,2-3,2", "sel 3,2-6,2"}));
  const auto selected = g->selectionModel()->selectedIndexes();
  EXPECT_EQ(selected.size(), 4);
  w->log.clear();
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, CellCentre(5, 4));
  EXPECT_EQ(Selection(*g), "5,4-5,4");
  EXPECT_EQ(w->log, QStringList({"down 1 0 5,4", "rowcol 5,4", "sel 5,4-5,4", "up 1 5,4", "click"}));
  w->log.clear();
  // The right button reports where it is but leaves the selection alone.
  QTest::mouseClick(g->viewport(), Qt::RightButton, Qt::ShiftModifier, CellCentre(8, 1));
  EXPECT_EQ(w->log, QStringList({"down 2 1 8,1", "up 2 8,1"}));
  EXPECT_EQ(g->Row(), 5);
  w->log.clear();
  QTest::mouseClick(g->horizontalHeader()->viewport(), Qt::RightButton, {},
                    QPoint(g->columnViewportPosition(3) + 5, 5));
  EXPECT_EQ(w->log, QStringList({"down 2 0 0,3", "up 2 0,3"}));
  w->log.clear();
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, CellCentre(3, 1));
  w->log.clear();
  QTest::keyClick(g, Qt::Key_Down, Qt::ShiftModifier);  // extends the selection from row 3
  EXPECT_TRUE(w->log.contains("key 40 1"));
  EXPECT_EQ(Selection(*g), "3,1-4,1");
  QTest::keyClicks(g, "15");  // no jump to a row whose text starts so
  EXPECT_EQ(Selection(*g), "3,1-4,1");
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                    QPoint(g->viewport()->width() - 2, 5));  // beyond the columns
  EXPECT_EQ(Selection(*g), "3,1-4,1");
  w->log.clear();
  QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, CellCentre(2, 1));
  EXPECT_TRUE(w->log.contains("dblclick"));
}

TEST_F(Grid, AFixedColumnsCellSelectsItsRowAcrossTheOtherColumns) {
  Fill(20, 6, 2);
  g->SetRow(3);
  g->SetCol(4);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, CellCentre(7, 1));
  EXPECT_EQ(Selection(*g), "7,2-7,5");
  QTest::mouseClick(g->viewport(), Qt::RightButton, {}, CellCentre(9, 0));
  EXPECT_EQ(g->Row(), 7) << "the right button leaves it";
}

TEST_F(Grid, ByRowSelectionSpansTheScrollableColumns) {
  Fill(10, 5, 1);
  g->SetSelectionMode(flexSelectionByRow);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, CellCentre(4, 3));
  EXPECT_EQ(Selection(*g), "4,1-4,4");
  EXPECT_EQ(g->MouseCol(), 3);
}

TEST_F(Grid, SortsTheChosenRowsOnTheChosenColumns) {
  g->SetCols(3);
  g->SetRows(1);
  for (const char* r : {"10\tb\tx", "9\ta\ty", "abc\tc\tz", "100\ta\tw", "-5\tB\tv"}) g->AddItem(r);
  g->SetCol(0);
  g->SetRow(1);
  const auto col0 = [this] {
    QStringList c;
    for (int r = 1; r < g->Rows(); ++r) c << g->TextMatrix(r, 0);
    return c;
  };
  g->Sort(flexSortGenericAscending);  // numbers as numbers; text after them in code-page order
  EXPECT_EQ(col0(), QStringList({"-5", "9", "10", "100", "abc"}));
  g->Sort(flexSortNumericDescending);  // "abc" counts as 0
  EXPECT_EQ(col0(), QStringList({"100", "10", "9", "abc", "-5"}));
  // Columns 1..2 as keys, rows 2..4 only.
  g->SetCol(1);
  g->SetColSel(2);
  g->SetRow(2);
  g->SetRowSel(4);
  g->Sort(flexSortStringNoCaseAscending);
  EXPECT_EQ(g->TextMatrix(1, 0), "100");
  EXPECT_EQ(g->TextMatrix(2, 1), "a");
  EXPECT_EQ(g->TextMatrix(2, 2), "y");
  EXPECT_EQ(g->TextMatrix(4, 1), "c");
  EXPECT_EQ(g->TextMatrix(5, 0), "-5");
  g->Compare = [this](int a, int b) { return g->TextMatrix(a, 2).compare(g->TextMatrix(b, 2)); };
  g->SetRow(1);
  g->Sort(flexSortCustom);
  EXPECT_EQ(g->TextMatrix(1, 2), "v");
  EXPECT_EQ(g->TextMatrix(5, 2), "z");
}

TEST_F(Grid, WidthsAlignmentColoursAndTips) {
  Fill(5, 4, 1);
  g->SetColWidth(2, 1500);
  EXPECT_EQ(g->columnWidth(2), 100);
  g->SetColAlignment(2, flexAlignRightCenter);
  EXPECT_EQ(g->gridModel().index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
            Qt::AlignRight | Qt::AlignVCenter);
  EXPECT_TRUE(g->gridModel().index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);
  g->SetTextMatrix(1, 3, "123");  // general alignment: numbers to the right
  EXPECT_TRUE(g->gridModel().index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
  g->SetRow(2);
  g->SetCol(3);
  g->SetCellBackColor(0xC0FFC0);
  EXPECT_EQ(g->CellBackColor(), 0xC0FFC0);
  EXPECT_EQ(g->gridModel().index(1, 3).data(Qt::BackgroundRole).value<QBrush>().color(),
            QColor(0xC0, 0xFF, 0xC0));
  EXPECT_EQ(g->gridModel().index(1, 0).data(Qt::BackgroundRole).value<QBrush>(),
            QApplication::palette().button());
  g->SetToolTipText("ダブルクリックで前回値を修正出来ます");
  EXPECT_EQ(g->gridModel().index(2, 2).data(Qt::ToolTipRole).toString(),
            QString::fromUtf8("ダブルクリックで前回値を修正出来ます"));
  g->SetToolTipText("");
  EXPECT_FALSE(g->gridModel().index(2, 2).data(Qt::ToolTipRole).isValid());
}

TEST_F(Grid, TheWheelCanBeTakenOverAndFocusIsReported) {
  Fill(50, 3);
  QStringList seen;
  g->clearFocus();
  g->GotFocus = [&] { seen << "got"; };
  g->LostFocus = [&] { seen << "lost"; };
  g->setFocus();
  Operator::Wheel(*g, -1);
  EXPECT_GT(g->TopRow(), 1);  // the grid's own scrolling
  g->SetTopRow(1);
  g->MouseWheel = [&](int delta, int shift) {
    seen << QString("wheel %1 %2").arg(delta).arg(shift);
    g->SetTopRow(g->TopRow() + 1);  // one row per turn, as the sheet windows scroll
  };
  Operator::Wheel(*g, -1);
  EXPECT_EQ(g->TopRow(), 2);
  g->clearFocus();
  EXPECT_EQ(seen, QStringList({"got", "wheel -120 0", "lost"}));
}

// As the windows show their notices and panels over their grids.
TEST_F(Grid, AFrameShownAgainComesInFrontOfTheGrid) {
  w->Panel.show();
  int clicks = 0;
  w->Go.Click = [&] { ++clicks; };
  Operator::Click(w->Go);  // fails when the click lands on the grid
  EXPECT_EQ(clicks, 1);
}

TEST(GridValues, ValAndNumbersAsVbReadsThem) {
  EXPECT_DOUBLE_EQ(VbVal("  12.5abc"), 12.5);
  EXPECT_DOUBLE_EQ(VbVal("-3"), -3);
  EXPECT_DOUBLE_EQ(VbVal("abc"), 0);
  EXPECT_DOUBLE_EQ(VbVal("1e3x"), 1000);
  EXPECT_TRUE(IsNumericText(" 42 "));
  EXPECT_FALSE(IsNumericText("4 2"));
  EXPECT_FALSE(IsNumericText(""));
}

}  // namespace
