// The sheet's transceiver panel against two simulated rigs on pseudo-terminals.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QTest>
#include <memory>

#include "core/SettingsStore.h"
#include "forms/rig/CATtestMod.h"
#include "forms/rig/RigCFG.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/ipc/ipc.h"
#include "platform/ui/responders.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "support/operator.h"
#include "support/pty_transceiver.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"
#include "support/waits.h"

namespace {

QByteArray Hex(const char* h) { return QByteArray::fromHex(h); }

// The operator clicks `menu` on the window's menu bar, then `item` in the menu that opens.
void Choose(QMainWindow& window, Menu& menu, Menu* item = nullptr) {
  ASSERT_TRUE(menu.action()->isVisible() && (!item || item->action()->isVisible())) << menu.Caption().toStdString();
  Operator::Click(*window.menuBar(), window.menuBar()->actionGeometry(menu.action()).center());
  if (item) Operator::Click(*menu.submenu(), menu.submenu()->actionGeometry(item->action()).center());
}

struct SheetRigPanel : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  PtyTransceiver icom{"ICOM"};
  PtyTransceiver kenwood{"KENWOOD"};
  PtyTransceiver ft991{"FT991"};

  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
    log.Prepare();
    WriteIni("RIG_CON_CFG", "TWORIG", "YES");
    RigPortStateData& s = RigPortState;
    s.Rig1 = {icom.PortName(), "ICOM", "9600", "0", "94"};
    s.Rig2 = {kenwood.PortName(), "KENWOOD", "4800", "2", "00"};
    s.TwoRig = "YES";
    s.PostWriteWaitMs = 5;
    s.PollMode = 0;  // one reading after each open
  }
  void TearDown() override {
    RigPortClose();
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
  CWSHEET& sheet() { return Form<CWSHEET>(); }
};

TEST_F(SheetRigPanel, LoadOpensRigOneAndTheStatusBarFollowsIt) {
  CWSHEET& s = sheet();
  EXPECT_EQ(RigPortState.PortOpen, 1);
  EXPECT_EQ(icom.Commands().value(0), Hex("FEFE94E003FD"));
  EXPECT_EQ(s.StatusBar1.PanelText(3), "7.025.000");
  EXPECT_TRUE(s.Frame4.isVisibleTo(&s));
  EXPECT_TRUE(s.Command5.isVisibleTo(&s));
  EXPECT_TRUE(s.Rig1.Checked());
}

TEST_F(SheetRigPanel, SwitchingRigsReopensThePortAndTheVfoButtonFollowsTheModel) {
  CWSHEET& s = sheet();
  kenwood.FreqHz = 21'025'000;
  s.Check9.SetValue(1);
  EXPECT_EQ(RigPortState.RigModel, "KENWOOD");
  EXPECT_EQ(RigPortState.PortOpen, 1);
  EXPECT_FALSE(s.Command5.isVisibleTo(&s));
  EXPECT_EQ(s.StatusBar1.PanelText(3), "21.025.000");
  s.Rig1.Click();
  EXPECT_EQ(RigPortState.RigModel, "ICOM");
  EXPECT_EQ(s.Check9.Value(), 0);
  EXPECT_TRUE(s.Command5.isVisibleTo(&s));
  EXPECT_EQ(s.StatusBar1.PanelText(3), "7.025.000");

  // Rig 2 without a port: the same rig again, marks unchanged.
  RigPortState.Rig2.PortName = "NONE";
  icom.ClearReceived();
  s.Show();
  Choose(s, s.RigSel, &s.Rig2);
  EXPECT_EQ(RigPortState.RigModel, "ICOM");
  EXPECT_TRUE(s.Rig1.Checked());
  EXPECT_FALSE(s.Rig2.Checked());
  EXPECT_EQ(s.Check9.Value(), 0);
  EXPECT_EQ(icom.Commands().value(0), Hex("FEFE94E003FD"));  // opened and read again

  // Port closed: the box keeps its tick and nothing changes.
  RigPortClose();
  s.Check9.SetValue(1);
  EXPECT_EQ(RigPortState.RigModel, "ICOM");
  EXPECT_EQ(RigPortState.PortOpen, 0);
}

TEST_F(SheetRigPanel, ACompanionCommandTheRigCannotTakeIsAnsweredAsRefused) {
  CWSHEET& s = sheet();
  int32_t answer = -1;
  ASSERT_TRUE(IpcSend("ORBEX5", "ORBEX5wf_RigNum + 1", &answer, kEventCapMs) && answer == kIpcHandled);
  kenwood.ClearReceived();
  for (const char* command :
       {"ORBEX5wf_TXshift + 100000", "ORBEX5wf_CarZeroin + 2147483647", "ORBEX5wf_CWM + CQ CQ CQ DE JA1ORB JA1ORB K"})
    EXPECT_TRUE(IpcSend("ORBEX5", command, &answer, kEventCapMs) && answer == kIpcRefused) << command;
  EXPECT_EQ(s.StatusBar1.PanelText(3), "CW メッセージが長すぎるので送りません (24 文字まで、27 文字): CQ CQ CQ DE JA1ORB JA1ORB K");
  EXPECT_TRUE(IpcSend("ORBEX5", "ORBEX5wf_CWM + CQ", &answer, kEventCapMs) && answer == kIpcHandled);
  EXPECT_EQ(kenwood.TextCommands(), QList<QByteArray>({"XT0;", "IF;", "FR;", "KY CQ" + QByteArray(22, ' ') + ";"}));
}

TEST_F(SheetRigPanel, QsySetsTheModeThenTheFrequency) {
  CWSHEET& s = sheet();
  icom.ClearReceived();
  s.Text1.setText("7.012");
  s.Command15.Click();
  EXPECT_EQ(icom.Commands().mid(0, 2), QList<QByteArray>({Hex("FEFE94E00603FD"), Hex("FEFE94E0050020010700FD")}));
  EXPECT_EQ(icom.FreqHz, 7'012'000);

  s.Check8.SetValue(1);
  RigPortState.TransverterOn = "1";
  RigPortState.TransverterOffsetHz = 22'000'000;
  icom.ClearReceived();
  s.Text1.setText("144.100");
  s.Command15.Click();
  EXPECT_EQ(icom.Mode, "CW");
  EXPECT_EQ(icom.FreqHz, 122'100'000);

  icom.ClearReceived();
  for (const char* text : {"", "  ", "abc", "-7"}) {
    s.Text1.setText(text);
    s.Command15.Click();
  }
  EXPECT_TRUE(icom.Commands().isEmpty());

  s.Command5.Click();
  EXPECT_EQ(icom.VfoSwaps, 1);
}

TEST_F(SheetRigPanel, StatusBarPanelThreeOpensTheRigMenuOnlyWithTwoRigs) {
  CWSHEET& s = sheet();
  PopupMenuResponder popup;
  popup.Pick("KENWOOD");  // the load names the items after the models
  s.StatusBar1.PanelClick(3);
  EXPECT_EQ(popup.shown(), QStringList({"Rig切替"}));
  EXPECT_EQ(RigPortState.RigModel, "KENWOOD");
  EXPECT_EQ(s.Check9.Value(), 1);
  EXPECT_TRUE(s.Rig2.Checked());

  RigPortState.TwoRig = "NO";
  s.StatusBar1.PanelClick(3);
  s.StatusBar1.PanelClick(2);
  EXPECT_EQ(popup.shown().size(), 1);
}

TEST_F(SheetRigPanel, RightClickOnABandHeadingPutsTheFt991OnThatBand) {
  RigPortState.Rig1 = {ft991.PortName(), "FT991", "4800", "2", "00"};
  CWSHEET& s = sheet();
  s.Show();
  ft991.ClearReceived();
  QHeaderView* h = s.MSFlexGrid2.horizontalHeader();
  auto rightClick = [&](int col) {
    QTest::mouseClick(h->viewport(), Qt::RightButton, {}, QPoint(h->sectionViewportPosition(col) + 4, 4));
  };
  ASSERT_EQ(s.MSFlexGrid2.TextMatrix(0, 7), "7MHz");
  rightClick(7);
  rightClick(1);  // CODE: no band
  EXPECT_EQ(ft991.TextCommands(), QList<QByteArray>({"BS03;"}));
}

TEST_F(SheetRigPanel, APortThatIsNotThereIsShownInTheStatusBar) {
  RigPortState.Rig1.PortName = "COM3";
  CWSHEET& s = sheet();
  EXPECT_EQ(RigPortState.PortOpen, 0);
  EXPECT_EQ(s.StatusBar1.PanelText(3), "RIG Control Port-COM3 が見つかりません");
}

TEST_F(SheetRigPanel, BackupAndRestoreMenuOpensTheCatTestWindow) {
  CWSHEET& s = sheet();
  s.CMDtest.Click();
  EXPECT_TRUE(IsLoaded<CATtestMod>());
  EXPECT_EQ(Form<CATtestMod>().memRead.Caption(), "リグデータの退避");
  EXPECT_FALSE(s.RigConMon.Enabled());
  UnloadForm<CATtestMod>();
}

TEST_F(SheetRigPanel, RigSettingsMenuClosesThePortAndOpensTheDialog) {
  CWSHEET& s = sheet();
  s.Check9.SetValue(1);
  EXPECT_EQ(RigPortState.RigModel, "KENWOOD");
  s.openRCONcfg.Click();
  EXPECT_EQ(RigPortState.PortOpen, 0);
  EXPECT_EQ(s.Check9.Value(), 0);
  EXPECT_EQ(RigPortState.RigModel, "ICOM");  // rig 1 again
  EXPECT_TRUE(IsLoaded<RigCFG>());
  UnloadForm<RigCFG>();
}

TEST_F(SheetRigPanel, ClosingTheRigSettingsAdjustsTheSheetsRigControls) {
  CWSHEET& s = sheet();
  WriteIni("RIG_CON_CFG", "RIG_TYPE", "KENWOOD");
  WriteIni("RIG_CON_CFG", "RIGCOMCONT", kenwood.PortName());
  WriteIni("RIG_CON_CFG", "RIG_TYPE2", "ICOM");
  WriteIni("RIG_CON_CFG", "RIGCOMCONT2", icom.PortName());
  WriteIni("RIG_CON_CFG", "ICOM_RIGadrs2", "94");
  s.openRCONcfg.Click();
  EXPECT_EQ(RigPortState.PortOpen, 0);
  s.RigSel.SetVisible(false);
  kenwood.ClearReceived();
  // "設定完了": rig 1 as just stored is opened and read; the menu and the VFO button follow the settings.
  Form<RigCFG>().CFGEND.Click();
  EXPECT_FALSE(IsLoaded<RigCFG>());
  EXPECT_EQ(RigPortState.PortOpen, 1);
  EXPECT_EQ(RigPortState.RigModel, "KENWOOD");
  EXPECT_EQ(kenwood.TextCommands().value(0), "IF;");
  EXPECT_TRUE(s.Frame4.isVisibleTo(&s));
  EXPECT_EQ(s.Frame4.Width(), 3015);
  EXPECT_TRUE(s.RigSel.Visible());
  EXPECT_TRUE(s.Check9.isVisibleTo(&s));
  EXPECT_FALSE(s.Command5.isEnabled());

  // One rig, no port, closed with the close box: the rig frame and "Rig#2" go, the menu and the button
  // stay as they were.
  s.openRCONcfg.Click();
  RigCFG& d = Form<RigCFG>();
  d.Check2.SetValue(0);
  Operator::Pick(d.Combo3, 0);
  d.close();
  EXPECT_FALSE(IsLoaded<RigCFG>());
  EXPECT_EQ(ReadIni("RIG_CON_CFG", "RIGCOMCONT"), "NONE");
  EXPECT_EQ(RigPortState.PortOpen, 0);
  EXPECT_FALSE(s.Frame4.isVisibleTo(&s));
  EXPECT_TRUE(s.Check9.isHidden());
  EXPECT_TRUE(s.RigSel.Visible());
  EXPECT_FALSE(s.Command5.isEnabled());
}

TEST_F(SheetRigPanel, WithOneRigTheMenuHoldsTheRigSettingsAndTheCatTestAndSettingsReopenALostPort) {
  for (auto [key, value] : {std::pair{"TWORIG", "NO"}, {"RIG_TYPE", "ICOM"}, {"BAUD_RATE", "9600"}, {"ICOM_RIGadrs", "94"}})
    WriteIni("RIG_CON_CFG", key, value);
  WriteIni("RIG_CON_CFG", "RIGCOMCONT", icom.PortName());
  RigPortState.TwoRig = "NO";
  CWSHEET& s = sheet();
  s.Show();
  Choose(s, s.RigSel, &s.CMDtest);
  EXPECT_TRUE(IsLoaded<CATtestMod>());
  UnloadForm<CATtestMod>();
  icom.Unplug();  // and it comes back under another name
  RigPoll();
  PtyTransceiver again{"ICOM"};
  Choose(s, s.RigSel, &s.openRCONcfg);
  RigCFG& d = *LoadedForm<RigCFG>();
  Operator::Click(d.Combo3);
  Operator::Key(Qt::Key_A, Qt::ControlModifier);
  Operator::Type(again.PortName());
  Choose(d, d.CFGEND);
  EXPECT_EQ(again.Commands().value(0), Hex("FEFE94E003FD"));
  EXPECT_EQ(s.StatusBar1.PanelText(3), "7.025.000");
}

}  // namespace
