// The log viewer as the operator meets it: pages at the start, the middle and the end of the log, the
// jump box, records that cannot be read, the double click, and what it keeps on closing.
#include <gtest/gtest.h>

#include <QTest>

#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "forms/logbook/LOGDATAVIEW.h"
#include "forms/logbook/TEMP_LOG.h"
#include "logbook/LogWindowState.h"
#include "logbook/QsoRow.h"
#include "support/logbook_log.h"
#include "support/operator.h"
#include "support/qt_print.h"

namespace {

class LogViewer : public LogbookTest {
 protected:
  void Fill(int n) {
    std::vector<LogQso> qsos;
    for (int i = 1; i <= n; ++i) qsos.push_back({QString("JA1V%1").arg(i, 4, 10, QChar('0'))});
    AddQsos(qsos);
  }
  void TearDown() override {
    UnloadForm<LOGDATAVIEW>();
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) w->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    LogbookTest::TearDown();
  }
  LOGDATAVIEW& viewer() { return *LoadedForm<LOGDATAVIEW>(); }
  FlexGrid& grid() { return viewer().MSFlexGrid1; }
  // First and last record number of the page shown, "first-last".
  QString page() {
    const FlexGrid& g = grid();
    if (g.Rows() < 2) return "empty";
    return QString::number(RecordNumberOf(g.TextMatrix(1, 18))) + "-" +
           QString::number(RecordNumberOf(g.TextMatrix(g.Rows() - 1, 18)));
  }
  // A page back ('<') or forward ('>') for each of `ways`, each followed by the page it shows.
  void expectPaging(const char* ways, const QStringList& pages) {
    for (int i = 0; ways[i]; ++i) {
      (ways[i] == '<' ? viewer().GOBACK : viewer().GOFOWARD).Trigger();
      EXPECT_EQ(page(), pages.value(i)) << "step " << i;
    }
  }
};

TEST_F(LogViewer, OpensOnTheNewestPageAndPagesBackAndForth) {
  Fill(250);
  LOGDATAVIEW::OpenViewer();
  ASSERT_TRUE(IsLoaded<LOGDATAVIEW>());
  EXPECT_EQ(LogWindowState.LogViewerOpen, 1);
  EXPECT_EQ(viewer().windowTitle(), QString::fromUtf8("HAMLOG Data　Viewer"));
  EXPECT_EQ(page(), "151-250");
  EXPECT_EQ(grid().Rows(), 101);
  EXPECT_EQ(grid().Row(), 100);
  EXPECT_EQ(grid().Col(), 0);
  EXPECT_EQ(grid().TextMatrix(0, 0), "Rec No");
  EXPECT_GE(Operator::CellCentre(grid(), 100, 0).x(), 0) << "the Rec No column in view";
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  expectPaging("<<<>>>", {"51-150", "1-100", "1-100", "101-200", "151-250", "151-250"});
  EXPECT_EQ(viewer().LogPageEnd, 250);
}

TEST_F(LogViewer, ARowShowsTheRecordWithItsFieldsAsStored) {
  Fill(3);
  LOGDATAVIEW::OpenViewer();
  EXPECT_EQ(page(), "1-3");
  const QStringList heads = {"Rec No", "CallSign", "", "Date", "Time", "His", "My", "Band", "Mode", "Code",
                             "GLoc", "Name", "QTH", "QSL", "S", "R", "Rem1", "Rem2", "Rec No"};
  for (int c = 0; c < 19; ++c) EXPECT_EQ(grid().TextMatrix(0, c), heads[c]) << c;
  EXPECT_EQ(grid().TextMatrix(3, 0), " 03");
  EXPECT_EQ(grid().TextMatrix(3, 1), "JA1V0003            ");  // the field's width
  EXPECT_EQ(grid().TextMatrix(3, 3), "2024-05-06");
  EXPECT_EQ(grid().TextMatrix(3, 13), "J");
  EXPECT_EQ(grid().ColWidth(18), 0);
  expectPaging("><", {"1-3", "1-3"});  // a small log has no page after it, and no page before it
  EXPECT_EQ(viewer().windowTitle(), QString::fromUtf8("HAMLOG Data　Viewer"));  // nothing unreadable
}

TEST_F(LogViewer, TheJumpBoxShowsThePageEndingAtTheNumberWithinTheLogAndRefusesText) {
  Fill(250);
  LOGDATAVIEW::OpenViewer();
  // "" is Cancel; "abc" is refused, said.
  const std::pair<const char*, const char*> jumps[] = {
      {"175", "76-175"},          {"30", "1-100"}, {"", "1-100"}, {"abc", "1-100"},
      {"99999999999", "151-250"}, {"0", "1-100"}};
  for (const auto& [typed, want] : jumps) {
    boxes.Type(typed);
    if (QString(typed) == "abc") boxes.Answer(vbOK);
    viewer().LOG_JUMP.Trigger();
    EXPECT_EQ(page(), want) << typed;
  }
  const QString ask = QString::fromUtf8("指定された交信番号に移動します");
  EXPECT_EQ(boxes.texts(), QStringList(4, ask)
                               << QString::fromUtf8("交信番号は数字で指定して下さい。") << ask << ask);
}

TEST_F(LogViewer, RecordsThatCannotBeReadAreLeftOutAndCounted) {
  Fill(120);
  MarkDeletedAsAnotherProgram(110);
  LOGDATAVIEW::OpenViewer();
  EXPECT_EQ(page(), "21-120");
  EXPECT_EQ(grid().Rows(), 100);
  EXPECT_EQ(grid().TextMatrix(90, 18), " 111");
  EXPECT_EQ(viewer().windowTitle(), QString::fromUtf8("HAMLOG Data　Viewer　（読めなかったデータ 1 件）"));
}

TEST_F(LogViewer, APageShortOfARecordStillPagesOnBothWays) {
  Fill(350);
  MarkDeletedAsAnotherProgram(250);  // the last record of the page 151..250
  MarkDeletedAsAnotherProgram(151);  // and its first
  LOGDATAVIEW::OpenViewer();
  EXPECT_EQ(page(), "251-350");
  expectPaging("<", {"152-249"});
  EXPECT_EQ(viewer().LogPageEnd, 250);
  expectPaging("<>>", {"51-150", "152-249", "251-350"});
}

TEST_F(LogViewer, ADoubleClickOpensTheRecordInTheEntryWindow) {
  Fill(5);
  TEMP_LOG& entry = Form<TEMP_LOG>();
  LOGDATAVIEW::OpenViewer();
  const auto cell = [&](int row) { return grid().visualRect(grid().gridModel().index(row - 1, 1)).center(); };
  QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cell(2));
  EXPECT_EQ(viewer().QslPrintRecNo, 2);
  EXPECT_EQ(entry.Text1.text(), "") << "a click only picks";
  QTest::mouseClick(grid().viewport(), Qt::LeftButton, {}, cell(4));
  QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, cell(4));
  ASSERT_TRUE(IsLoaded<TEMP_LOG>());
  EXPECT_TRUE(LoadedForm<TEMP_LOG>()->isVisible());
  EXPECT_EQ(LoadedForm<TEMP_LOG>()->Text1.text().trimmed(), "JA1V0004");
  EXPECT_EQ(viewer().QslPrintRecNo, 4);
  EXPECT_EQ(LogWindowState.LogRecNo, 4);
  EXPECT_EQ(LogWindowState.StoredRecordShown, 1);
  EXPECT_EQ(Hamlog.HamlogClosed, 1) << "the entry window keeps the record, not the log";
}

TEST_F(LogViewer, CtrlLOpensTheEntryWindowForANewQsoAndTheWheelScrollsARow) {
  Fill(150);
  LOGDATAVIEW::OpenViewer();
  QTest::keyClick(&grid(), Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(IsLoaded<TEMP_LOG>());
  QTest::keyClick(&grid(), Qt::Key_L, Qt::ControlModifier);
  ASSERT_TRUE(IsLoaded<TEMP_LOG>());
  EXPECT_TRUE(LoadedForm<TEMP_LOG>()->isVisible());
  EXPECT_EQ(LoadedForm<TEMP_LOG>()->Text1.text(), "") << "a new QSO";
  EXPECT_EQ(LogWindowState.LogWindowOpen, 1);
  // One notch forward: one row towards the first.
  const int top = grid().TopRow();
  grid().MouseWheel(120, 0);
  EXPECT_EQ(grid().TopRow(), top - 1);
}

TEST_F(LogViewer, ClosingKeepsTheWidthsAndAPlacedWindowsPosition) {
  Fill(5);
  LOGDATAVIEW::OpenViewer();
  grid().SetColWidth(12, 1500);
  viewer().Move(0, 0, 9000, 3000);
  viewer().LOGCL.Trigger();
  EXPECT_EQ(ReadIni("LogDisp", "COLWIDTH12"), "1500");
  EXPECT_EQ(ReadIni("LogDisp", "COLWIDTH17"), "1920");
  EXPECT_FALSE(ReadIniKey("LogDisp", "COLWIDTH18").has_value());
  EXPECT_FALSE(ReadIniKey("CFGPOS", "HLDVPOSTop").has_value());  // top 0: not stored
  EXPECT_EQ(LogWindowState.LogViewerOpen, 0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // All 18 widths stored: they are used.
  LOGDATAVIEW::OpenViewer();
  EXPECT_EQ(grid().ColWidth(12), 1500);
  EXPECT_EQ(grid().ColWidth(18), 0);  // the record number's copy stays out of sight
  viewer().Move(600, 450, 9000, 3000);
  viewer().LOGCL.Trigger();
  EXPECT_EQ(ReadIni("CFGPOS", "HLDVPOSTop"), "450");
  EXPECT_EQ(ReadIni("CFGPOS", "HLDVPOSLeft"), "600");
}

TEST_F(LogViewer, HamlogThatCannotBeOpenedIsSaidAndTheViewerGoes) {
  Fill(5);
  Hamlog.HamlogDbPath = dir + "/NONE.HDB";
  boxes.Answer(vbOK);
  LOGDATAVIEW::OpenViewer();
  EXPECT_EQ(boxes.texts(), QStringList{QString::fromUtf8("HAMLOGのデータがOPEN出来ませんでした\r\nHAMLOG50.DLL=5.4")});
  EXPECT_FALSE(IsLoaded<LOGDATAVIEW>());
  EXPECT_EQ(LogWindowState.LogViewerOpen, 0);
}

}  // namespace
