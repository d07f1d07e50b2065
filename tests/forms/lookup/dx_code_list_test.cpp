// The DXCC prefix list: a prefix search's hits in the list, the code handed to the sheet, the
// window's placement and its ways of closing.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include "core/SettingsStore.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/LookupWindows.h"
#include "forms/lookup/newCODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "lookup/CodeListState.h"
#include "lookup/DxccTable.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "platform/ui/responders.h"
#include "platform/ui/twips.h"
#include "support/operator.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

class DxCodeListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
    log.Prepare();
    log.home.write("CodeLib.txt", ToAnsi(QStringList({"100\t4", "101\tJA;JE;7J,Japan,AS,45,25,339,500A",
                                                      "102\tVK9C,Cocos (Keeling) Islands,OC,54,29,038,520A",
                                                      "103\tVK9L;VK9M,Lord Howe,OC,60,30,147,521A",
                                                      "104\tVK9X,Christmas Island,OC,54,29,35,522A"})
                                             .join("\r\n")));
    ConnectLookupWindows();
    Form<CWSHEET>();  // its load builds the table
  }
  void TearDown() override {
    UnloadForm<newCODE_LIST>();
    UnloadForm<TEMP_LOG>();
    SetDxccHitsListener(nullptr);
    CloseSheetAndResetState();
  }
  QString SearchPrefix(const QString& prefix) {
    QString key = prefix;
    return DXCCCodeSearch(key, 101, 0);
  }
  QPoint CellCentre(FlexGrid& g, int row, int col) {
    return g.visualRect(g.gridModel().index(row - 1, col)).center();
  }
  QString SheetSearchBox() { return Form<CWSHEET>().Text2.text(); }

  SheetLog log;
  MsgBoxResponder boxes;
};

TEST_F(DxCodeListTest, SeveralHitsAreListedAndTheFirstGoesToTheSheet) {
  EXPECT_EQ(DxccTable.DxccEntityCount, 4);
  EXPECT_EQ(SearchPrefix("VK9"), "Hit!");
  ASSERT_TRUE(IsLoaded<newCODE_LIST>());
  newCODE_LIST& list = Form<newCODE_LIST>();
  FlexGrid& g = list.MSFlexGrid1;
  EXPECT_TRUE(list.isVisible());
  EXPECT_EQ(list.windowTitle(), "DX Code List");
  EXPECT_EQ(g.Rows(), 4);
  EXPECT_EQ(g.Cols(), 8);
  QStringList header, row2;
  for (int c = 0; c < 8; ++c) header << g.TextMatrix(0, c), row2 << g.TextMatrix(2, c);
  EXPECT_EQ(header, QStringList({"", "Prefix", "Entity", "Cont.", "ITU", "CQ", "DXCC", "HLcode"}));
  EXPECT_EQ(row2, QStringList({"", "VK9L,VK9M", "Lord Howe", "OC", "60", "30", "147", "521A"}));
  EXPECT_EQ(g.TextMatrix(3, 6), "035");
  EXPECT_EQ(g.ColWidth(0), 0);
  EXPECT_EQ(g.ColWidth(2), 2760);
  EXPECT_EQ(g.ColAlignment(1), flexAlignLeftCenter);
  EXPECT_EQ(g.ColAlignment(7), flexAlignCenterCenter);
  EXPECT_EQ(list.sz.Caption(), "3");
  // The columns plus 600 twips, to whole pixels and the desktop's frame.
  EXPECT_NEAR(list.Width(), 8345, 4 * TwipsPerPixel());
  EXPECT_EQ(list.Top(), 0);
  EXPECT_EQ(list.Left(), 0);
  EXPECT_EQ(SheetSearchBox(), "520A");

  // A later search with fewer hits leaves none of the earlier rows.
  SearchPrefix("VK9L");
  EXPECT_FALSE(IsLoaded<newCODE_LIST>());  // one hit: straight to the sheet
  EXPECT_EQ(SheetSearchBox(), "521A");
}

TEST_F(DxCodeListTest, AClickHandsTheRowsCodeOnAndADoubleClickCloses) {
  SearchPrefix("VK9");
  newCODE_LIST& list = Form<newCODE_LIST>();
  FlexGrid& g = list.MSFlexGrid1;
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, CellCentre(g, 3, 2));
  EXPECT_EQ(SheetSearchBox(), "522A");
  EXPECT_EQ(list.sz.Caption(), "Christmas Island");
  EXPECT_TRUE(IsLoaded<newCODE_LIST>());

  list.Move(900, 450);
  QTest::mouseDClick(g.viewport(), Qt::LeftButton, {}, CellCentre(g, 1, 2));
  EXPECT_FALSE(IsLoaded<newCODE_LIST>());
  EXPECT_FALSE(ReadIniKey("CFGPOS", "CDLSTPOSTop"));  // a double click stores no position
}

TEST_F(DxCodeListTest, ClosingStoresThePositionThatTheNextListOpensAt) {
  CodeListShared.JaCodeListMode = 1;
  SearchPrefix("VK9");
  Form<newCODE_LIST>().Move(900, 450);
  Form<newCODE_LIST>().CLSCD.Click();
  EXPECT_FALSE(IsLoaded<newCODE_LIST>());
  EXPECT_EQ(CodeListShared.JaCodeListMode, 0);
  EXPECT_EQ(ReadIni("CFGPOS", "CDLSTPOSTop"), "450");
  EXPECT_EQ(ReadIni("CFGPOS", "CDLSTPOSLeft"), "900");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  SearchPrefix("VK9");
  EXPECT_EQ(Form<newCODE_LIST>().Top(), 450);
  EXPECT_EQ(Form<newCODE_LIST>().Left(), 900);
  // The close box at the top edge keeps the stored place.
  Form<newCODE_LIST>().Move(300, 0);
  Form<newCODE_LIST>().close();
  EXPECT_FALSE(IsLoaded<newCODE_LIST>());
  EXPECT_EQ(ReadIni("CFGPOS", "CDLSTPOSLeft"), "900");
}

TEST_F(DxCodeListTest, TheListComesUpBesideAForeignCallTypedAndTheKeyboardStaysInTheBox) {
  CWSHEET& s = Form<CWSHEET>();
  s.Show();
  s.LOGOPEN.Trigger();
  TEMP_LOG& w = Form<TEMP_LOG>();
  Operator::Activate(w);
  Operator::Key(Qt::Key_Home);
  Operator::Type("VK9X");  // the entry window copies each key's call to the sheet's call box
  EXPECT_EQ(w.Text1.text(), "VK9X");
  EXPECT_EQ(s.Text3.text(), "VK9X");
  EXPECT_EQ(s.Text2.text(), "522A") << "looked up on the sheet";
  EXPECT_EQ(Operator::Focus(), &w.Text1);

  Operator::Click(s.Text3);
  for (int i = 0; i < 4; ++i) Operator::Key(Qt::Key_Backspace);
  Operator::Type("VK9");
  EXPECT_TRUE(Form<newCODE_LIST>().isVisible());
  Operator::Type("L");
  EXPECT_EQ(s.Text3.text(), "VK9L");
  EXPECT_EQ(Operator::Focus(), &s.Text3);
}

TEST_F(DxCodeListTest, NoHitLeavesTheListAndTheSheetAlone) {
  Form<CWSHEET>().Text2.setText("1001");
  EXPECT_EQ(SearchPrefix("ZZ"), "");
  EXPECT_FALSE(IsLoaded<newCODE_LIST>());
  EXPECT_EQ(SheetSearchBox(), "1001");
}

}  // namespace
