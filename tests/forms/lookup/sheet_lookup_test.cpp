// The sheet's ways into the lookups: the licence search button and the clear buttons that close the
// code lists.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <QTimer>

#include "core/SettingsStore.h"
#include "forms/lookup/CODE_LIST.h"
#include "forms/lookup/ViewMenkyo.h"
#include "forms/lookup/newCODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/http.h"
#include "platform/ui/responders.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "support/operator.h"
#include "support/pty_transceiver.h"
#include "support/qt_print.h"
#include "support/recorded_service.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

class SheetLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
    log.Prepare();
    WriteIni("WEBHOST", "MUSEN", server.Base());
    server.Answer("/musen/list", LocalHttpServer::Xml(Recorded("list_one.xml")));
    server.Answer("/musen/SearchServlet?SC=1&pageID=3", LocalHttpServer::Html(Recorded("search_page.html")));
    server.Answer("/musen/SearchServlet?pageID=4", LocalHttpServer::Html(Recorded("detail_page.html")));
  }
  void TearDown() override {
    UnloadForm<ViewMenkyo>();
    CloseSheetAndResetState();
  }

  SheetLog log;
  LocalHttpServer server;
  MsgBoxResponder boxes;
};

TEST_F(SheetLookupTest, TheLicenceButtonSearchesTheCallBoxInUpperCase) {
  CWSHEET& sheet = Form<CWSHEET>();
  sheet.Text3.setText("  ja1abc/p ");
  QTest::mouseClick(&sheet.Command11, Qt::LeftButton);
  ASSERT_TRUE(IsLoaded<ViewMenkyo>());
  EXPECT_EQ(Form<ViewMenkyo>().Text1.text(), "JA1ABC");
  EXPECT_TRUE(sheet.Frame1.isHidden());
  EXPECT_EQ(server.requests().first(), "/musen/list?ST=1&DA=1&SC=1&DC=1&OF=3&OW=AT&MA=JA1ABC");

  // An empty box closes the viewer and asks nothing.
  sheet.Text3.setText("   ");
  QTest::mouseClick(&sheet.Command11, Qt::LeftButton);
  EXPECT_FALSE(IsLoaded<ViewMenkyo>());
  EXPECT_EQ(server.requests().size(), 3);
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(SheetLookupTest, ASecondPressDuringASlowSearchWithTheRigPolledWaitsForItsEnd) {
  PtyTransceiver rig("ICOM");
  RigPortState.Rig1 = {rig.PortName(), "ICOM", "9600", "0", "94"};
  RigPortState.PostWriteWaitMs = 5;
  RigPortState.PollMode = 2;
  RigPortState.PollPeriodMs = 20;
  CWSHEET& sheet = Form<CWSHEET>();
  sheet.Show();
  ASSERT_EQ(RigPortState.PortOpen, 1);
  server.Delay("/musen/list", 300);  // late, and far inside the deadline however busy the machine is
  Operator::Click(sheet.Text3);
  Operator::Type("JA1ABC");
  // The operator presses again while the rig answers a poll inside the search's wait.
  int pressedDuringAPoll = 0;
  rig.Answer = [&](const QByteArray&) -> std::optional<QByteArray> {
    if (pressedDuringAPoll == 0 && server.requests().size() == 1) {
      ++pressedDuringAPoll;
      Operator::Click(sheet.Command11);
    }
    return std::nullopt;
  };
  Operator::Click(sheet.Command11);
  rig.Answer = nullptr;
  RigPortClose();
  EXPECT_EQ(pressedDuringAPoll, 1);
  EXPECT_EQ(server.requests().filter("/musen/list").size(), 2)
      << "one search, then the press kept for after it";
  ASSERT_TRUE(IsLoaded<ViewMenkyo>());
  EXPECT_EQ(Form<ViewMenkyo>().Text1.text(), "JA1ABC");
  EXPECT_TRUE(boxes.shown().empty()) << boxes.texts().join(" | ").toStdString();
}

TEST_F(SheetLookupTest, TheCloseBoxDuringASearchIsRefusedWithTheWordsOfItsBusyFrame) {
  CWSHEET& sheet = Form<CWSHEET>();
  sheet.Show();
  server.Delay("/musen/list", 300);
  Operator::Click(sheet.Text3);
  Operator::Type("JA1ABC");
  QString refusal;  // the close box clicked once the request is out
  bool clicked = false;
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (!clicked && server.requests().size() == 1)
      clicked = true, sheet.close(), refusal = sheet.StatusBar1.PanelText(5);
  });
  during.start(0);
  Operator::Click(sheet.Command11);
  during.stop();
  QCoreApplication::processEvents();
  EXPECT_TRUE(clicked);
  ASSERT_TRUE(IsLoaded<CWSHEET>()) << "the close was not kept for the search's end";
  EXPECT_EQ(refusal, "終わるまでこの画面は閉じられません: 検索中です");
  ASSERT_TRUE(IsLoaded<ViewMenkyo>());
  EXPECT_EQ(Form<ViewMenkyo>().Text1.text(), "JA1ABC");
}

TEST_F(SheetLookupTest, AFailedSearchTakesItsBusyPictureAwayBeforeItsBox) {
  server.Answer("/musen/list", LocalHttpServer::Redirect("file:///etc/passwd"));
  CWSHEET& sheet = Form<CWSHEET>();
  sheet.Show();
  Operator::Click(sheet.Text3);
  Operator::Type("JA1ABC");
  bool busyUnderTheBox = true;
  boxes.OnShow = [&](const MsgBoxCall&) { busyUnderTheBox = sheet.Frame1.isVisible(); };
  boxes.Answer(vbOK);
  Operator::Click(sheet.Command11);
  EXPECT_FALSE(busyUnderTheBox);
}

TEST_F(SheetLookupTest, TheClearButtonsCloseTheCodeLists) {
  CWSHEET& sheet = Form<CWSHEET>();
  Form<CODE_LIST>();
  QTest::mouseClick(&sheet.Command2, Qt::LeftButton);
  EXPECT_FALSE(IsLoaded<CODE_LIST>());
  Form<CODE_LIST>();
  Form<newCODE_LIST>();
  QTest::mouseClick(&sheet.Command8, Qt::LeftButton);
  EXPECT_FALSE(IsLoaded<CODE_LIST>());
  EXPECT_FALSE(IsLoaded<newCODE_LIST>());
  EXPECT_FALSE(ReadIniKey("CFGPOS", "CDLSTPOSTop"));  // such closes store no place
}

}  // namespace
