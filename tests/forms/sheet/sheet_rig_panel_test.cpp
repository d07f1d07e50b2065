// The sheet's transceiver panel against two simulated rigs on pseudo-terminals.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLocalSocket>
#include <QMenuBar>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <memory>

#include "core/SettingsStore.h"
#include "forms/rig/CATtestMod.h"
#include "forms/rig/RigCFG.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/codepage.h"
#include "platform/ipc/ipc.h"
#include "platform/ui/responders.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "support/companion.h"
#include "support/operator.h"
#include "support/pty_transceiver.h"
#include "support/qt_print.h"
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
    RefusalNoteTimes = {};
    RigPortClose();
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
  CWSHEET& sheet() { return Form<CWSHEET>(); }
  CWSHEET& shown() {
    sheet().Show();
    return sheet();
  }
};

// The frames of a transmit shift (XIT on, cleared, the offset) the rig got.
QList<QByteArray> ShiftFrames(const PtyTransceiver& rig) {
  QList<QByteArray> frames = rig.TextCommands();
  frames.removeIf(
      [](const QByteArray& c) { return !c.startsWith("XT") && !c.startsWith("RC") && !c.startsWith("RU"); });
  return frames;
}

// Companions that each send one of `commands` at the same moment, as a burst of orbexsend calls does;
// `answered` gets each one's number (from 1), negative when refused.
std::vector<std::unique_ptr<Companion>> SendAtOnce(const QList<QByteArray>& commands, QList<int>& answered) {
  std::vector<std::unique_ptr<Companion>> companions;
  for (const QByteArray& command : commands) {
    Companion& c = *companions.emplace_back(std::make_unique<Companion>());
    c.Answered = [&answered, i = int(companions.size())](int32_t a) {
      answered << (a == kIpcHandled ? i : -i);
    };
    c.Send(command);
  }
  return companions;
}

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

  // Port closed: nothing changes, and the tick shows the rig still in use.
  RigPortClose();
  s.Check9.SetValue(1);
  EXPECT_EQ(RigPortState.RigModel, "ICOM");
  EXPECT_EQ(RigPortState.PortOpen, 0);
  EXPECT_EQ(s.Check9.Value(), 0);
}

TEST_F(SheetRigPanel, TheRigInUseShowsAlikeInTheTickTheMenuAndThePopUp) {
  RigPortState.Rig1 = {kenwood.PortName(), "KENWOOD", "4800", "2", "00"};
  RigPortState.Rig2 = {ft991.PortName(), "FT991", "4800", "2", "00"};
  CWSHEET& s = shown();
  PopupMenuResponder popup;
  const auto shown = [&] {  // the menu's marks are the pop-up's
    return QString("%1 tick %2 menu %3%4").arg(RigPortState.RigModel).arg(s.Check9.Value()).arg(s.Rig1.Checked()).arg(s.Rig2.Checked());
  };
  Operator::Click(s.Check9);
  EXPECT_EQ(shown(), "FT991 tick 1 menu 01");
  Operator::Click(s.Check9);
  EXPECT_EQ(shown(), "KENWOOD tick 0 menu 10");
  Choose(s, s.RigSel, &s.Rig2);
  EXPECT_EQ(shown(), "FT991 tick 1 menu 01");
  for (int again : {0, 1}) {  // again: the rig in use picked again stays marked
    popup.Pick("KENWOOD");
    s.StatusBar1.PanelClick(3);
    EXPECT_EQ(shown(), "KENWOOD tick 0 menu 10") << again;
  }
}

TEST_F(SheetRigPanel, ACompanionCommandTheRigCannotTakeIsAnsweredAsRefused) {
  CWSHEET& s = sheet();
  int32_t answer = -1;
  icom.Answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c.startsWith(Hex("FEFE94E017") + "NG")) return Hex("FEFEE094FAFD");  // the rig's own "no"
    return std::nullopt;
  };
  // Answered as refused, the reason across the bar; only a command the rig refuses itself reaches it.
  const auto refused = [&](PtyTransceiver& rig, const char* command, int reaching = 0) {
    rig.ClearReceived();
    s.StatusBar1.ShowAcross(QString());
    EXPECT_TRUE(IpcSend("ORBEX5", command, &answer, kEventCapMs) && answer == kIpcRefused) << command;
    EXPECT_EQ(rig.Commands().size(), reaching) << command;
    EXPECT_FALSE(s.StatusBar1.AcrossText().isEmpty()) << command;
  };
  for (const char* command : {"ORBEX5wf_TXshift + 100" /* no XIT */, "ORBEX5wf_CarZeroin + 300000000",
                              "ORBEX5wf_CWM + CQ CQ CQ DE JA1ORB JA1ORB JA1ORB JA1ORB K", "ORBEX5wf_CWM + NG",
                              "ORBEX5wf_CWM + CQ TEST#5", "ORBEX5wf_CWM + B4CQ", "ORBEX5wf_TXshift + abc",
                              "ORBEX5wf_TXshift + 99999999999", "hello there", "ORBEX5wfSomethingElse",
                              "ORBEX5wf_RigNum + abc", "ORBEX5wf_RigNum + ", "JA1ABC+1002+x+abc+CW", "+++++",
                              "JA1XYZ++x+7.025+CW", "JA1XYZ+1002+x+7.025+", "ORBEX5wf_CWMCQ\xFF"})
    refused(icom, command, QByteArray(command).endsWith("+ NG"));
  EXPECT_EQ(RigPortState.RigModel, "ICOM");
  EXPECT_EQ(s.Text3.text(), "") << "no garbage in the call box";
  EXPECT_EQ(s.StatusBar1.AcrossText(),
            "他のプログラムからの指示を受け付けません: \"ORBEX5wf_CWMCQ<0xFF>\" に Windows-31J "
            "の文字でないバイト (0xFF) があります")
      << "the byte sent";
  ASSERT_TRUE(IpcSend("ORBEX5", "ORBEX5wf_RigNum + 1", &answer, kEventCapMs) && answer == kIpcHandled);
  for (const char* command :
       {"ORBEX5wf_TXshift + 100000", "ORBEX5wf_CarZeroin + 2147483647", "ORBEX5wf_CWMCQ;CQ",
        "ORBEX5wf_CWM + CQ CQ CQ DE JA1ORB JA1ORB K"})
    refused(kenwood, command);
  EXPECT_EQ(s.StatusBar1.AcrossText(), "CW メッセージが長すぎるので送りません (24 文字まで、27 文字): CQ CQ CQ DE JA1ORB JA1ORB K");
  EXPECT_TRUE(IpcSend("ORBEX5", "ORBEX5wf_CWM + CQ", &answer, kEventCapMs) && answer == kIpcHandled);
  EXPECT_EQ(kenwood.TextCommands(), QList<QByteArray>({"KY CQ" + QByteArray(22, ' ') + ";"}));
}

TEST_F(SheetRigPanel, ARigCommandIsAnsweredWhenTheRigTookItAndThoseLeftWhenTheSheetWentAreRefused) {
  RigPortState.Rig1 = {kenwood.PortName(), "KENWOOD", "4800", "2", "00"};
  sheet();
  kenwood.ClearReceived();
  QList<QByteArray> commands;
  for (int i = 1; i <= 5; ++i) commands << "ORBEX5wf_TXshift + " + QByteArray::number(100 * i);
  QList<int> answered;
  const auto companions = SendAtOnce(commands, answered);
  // The sheet goes once the first is answered: those it did not carry out by then are refused.
  ASSERT_TRUE(WaitUntil([&] { return !answered.isEmpty(); }));
  UnloadForm<CWSHEET>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(WaitUntil([&] { return answered.size() == 5; }));
  const auto done = std::count_if(answered.begin(), answered.end(), [](int a) { return a > 0; });
  QList<int> expected;
  QList<QByteArray> shifts;
  for (int i = 1; i <= 5; ++i) {
    expected << (i <= done ? i : -i);
    if (i <= done)
      shifts << "XT1;"
             << "RC;" << QString("RU%1;").arg(100 * i, 5, 10, QChar('0')).toLatin1();
  }
  EXPECT_EQ(answered, expected) << "in the order they came, those carried out first";
  EXPECT_LT(done, 5);
  EXPECT_EQ(ShiftFrames(kenwood), shifts);
}

TEST_F(SheetRigPanel, RefusalsAreAnsweredInTheOrderTheCommandsCameOnOneConnectionOrOnMany) {
  RigPortState.Rig1 = {kenwood.PortName(), "KENWOOD", "4800", "2", "00"};
  sheet();
  const QList<QByteArray> commands = {"ORBEX5wf_TXshift + 100", "ORBEX5wf_TXshift + 100000", "hello there",
                                      "ORBEX5wf_CWM + CQ", "ORBEX5wf_CarZeroin + 900000000", "JA1ABC+1002+x+7.025+CW"};
  const auto frame = [](const QByteArray& c) { return char(c.size()) + QByteArray(3, '\0') + c; };
  QByteArray all;
  for (const QByteArray& c : commands) all += frame(c);
  // Each from a companion of its own, all at once, then all from one.
  std::vector<std::unique_ptr<QLocalSocket>> senders(commands.size() + 1);
  QByteArray heard;  // which sender each answer reached, and the answer
  for (int i = 0; i <= commands.size(); ++i) {
    QLocalSocket& s = *(senders[i] = std::make_unique<QLocalSocket>());
    s.connectToServer(IpcSocketPath("ORBEX5"));
    ASSERT_TRUE(s.waitForConnected(kEventCapMs));
    QObject::connect(&s, &QLocalSocket::readyRead, [&, i] {
      for (QLocalSocket& r = *senders[i]; r.bytesAvailable() >= 4;) heard += char('0' + i) + r.read(4).left(1);
    });
    s.write(i < commands.size() ? frame(commands[i]) : all);
    if (i == commands.size() - 1) {
      ASSERT_TRUE(WaitUntil([&] { return heard.size() == 2 * commands.size(); }));
    }
  }
  ASSERT_TRUE(WaitUntil([&] { return heard.size() == 4 * commands.size(); }));
  EXPECT_EQ(heard, QByteArray("0\0" "1\1" "2\1" "3\0" "4\1" "5\0" "6\0" "6\1" "6\1" "6\0" "6\1" "6\0", 24));
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
  CWSHEET& s = shown();
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

TEST_F(SheetRigPanel, APortThatIsNotThereIsShownInTheStatusBarOnOneLine) {
  RigPortState.Rig1.PortName = "COM3";
  CWSHEET& s = shown();
  const QString text = s.StatusBar1.PanelText(3);
  EXPECT_TRUE(text.startsWith("RIG Control Port-COM3 は Windows のポートの名前で"));
  // The bar keeps one line's height; what the panel cannot show is in its tool tip.
  QLabel* panel = s.StatusBar1.widget()->findChildren<QLabel*>().at(2);
  EXPECT_LT(panel->contentsRect().height(), 2 * panel->fontMetrics().lineSpacing());
  QHelpEvent hover(QEvent::ToolTip, panel->rect().center(), panel->mapToGlobal(panel->rect().center()));
  QCoreApplication::sendEvent(panel, &hover);
  EXPECT_EQ(QToolTip::text(), text);
}

TEST_F(SheetRigPanel, TheCloseBoxIsRefusedOnlyDuringAJobWhichItNamesAndDuringAPollClosesAfterIt) {
  RigPortState.Rig1 = {kenwood.PortName(), "KENWOOD", "4800", "2", "00"};
  CWSHEET& s = shown();
  QString refusal;  // the close box clicked while the sheet is filled again for one call area
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    if (refusal.isEmpty() && !s.Frame1.isHidden()) s.close(), refusal = s.StatusBar1.PanelText(5);
  });
  during.start(0);
  s.SALL1.Trigger();
  during.stop();
  EXPECT_EQ(refusal, "終わるまでこの画面は閉じられません: 整理中です　ＱＲＸ");

  // And while the rig answers a poll, another program's window active.
  RigPortState.PollMode = 2;
  RigPortState.PollPeriodMs = 20;
  RigPollStart();
  QWidget other;
  other.show();
  Operator::Activate(other);
  bool clicked = false;
  kenwood.Answer = [&](const QByteArray& command) -> std::optional<QByteArray> {
    if (command == "IF;" && !std::exchange(clicked, true)) Operator::Activate(s), s.close();
    return std::nullopt;
  };
  EXPECT_TRUE(WaitUntil([&] { return !IsLoaded<CWSHEET>() || s.StatusBar1.PanelText(5).startsWith("処理中"); }));
  kenwood.Answer = nullptr;
  EXPECT_FALSE(IsLoaded<CWSHEET>()) << "closed once the poll was over";
}

TEST_F(SheetRigPanel, ARefusalStaysReadableOnOneLineUntilTheOperatorActs) {
  RefusalNoteTimes = {600'000, 600'000};  // neither time runs out on a slow machine
  CWSHEET& s = shown();
  Operator::Activate(s);
  const int barHeight = s.StatusBar1.widget()->height();
  int32_t answer = -1;
  const QString cw = "CQ CQ CQ DE JA1ORB JA1ORB JA1ORB K";
  EXPECT_TRUE(IpcSend("ORBEX5", ToAnsi("ORBEX5wf_CWM + " + cw), &answer, kEventCapMs) && answer == kIpcRefused);
  const QString reason = "CW メッセージが長すぎるので送りません (30 文字まで、34 文字): " + cw;
  for (int i = 0; i < 3; ++i) RigPoll();  // readings come meanwhile
  EXPECT_EQ(s.StatusBar1.PanelText(3), "7.025.000");
  EXPECT_EQ(s.StatusBar1.AcrossText(), reason);
  QCoreApplication::processEvents();
  EXPECT_EQ(s.StatusBar1.widget()->height(), barHeight) << "one line";
  // A key of the operator ends it once it could be read.
  Operator::Key(Qt::Key_Shift);
  EXPECT_EQ(s.StatusBar1.AcrossText(), reason) << "too soon to have been read";
  RefusalNoteTimes.ReadMs = 0;
  Operator::Key(Qt::Key_Shift);
  EXPECT_EQ(s.StatusBar1.AcrossText(), "");
  // Unattended, it goes after its time.
  RefusalNoteTimes.StandsMs = 50;
  EXPECT_TRUE(IpcSend("ORBEX5", ToAnsi("ORBEX5wf_CWM + " + cw), &answer, kEventCapMs) && answer == kIpcRefused);
  EXPECT_EQ(s.StatusBar1.AcrossText(), reason);
  EXPECT_TRUE(WaitUntil([&] { return s.StatusBar1.AcrossText().isEmpty(); }));
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

TEST_F(SheetRigPanel, ThePortListShowsTheRigsPortAsThisProgramsWhileItsSettingsAreOpen) {
  WriteIni("RIG_CON_CFG", "RIGCOMCONT", icom.PortName());
  WriteIni("RIG_CON_CFG", "RIG_TYPE", "ICOM");
  CWSHEET& s = shown();
  Choose(s, s.RigSel, &s.openRCONcfg);  // the port closed while its settings are open
  RigCFG& d = Form<RigCFG>();
  Operator::Click(d.Command1);
  QStringList items;
  for (int i = 0; i < d.List1.ListCount(); ++i) items << d.List1.List(i);
  EXPECT_TRUE(items.contains(icom.PortName() + " > このプログラムで使用中")) << items.join(" | ").toStdString();
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
  CWSHEET& s = shown();
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

// A rig switch from one companion (its port opened and polled in a wait) and a shift from another sent
// meanwhile are answered in the order they came.
TEST_F(SheetRigPanel, ARigSwitchAndAShiftFromTwoCompanionsAreAnsweredInTheirOrder) {
  RigPortState.Rig1 = {icom.PortName(), "ICOM", "9600", "0", "94"};
  sheet();
  std::vector<std::unique_ptr<QLocalSocket>> senders;
  QList<int> heard;
  const QList<QByteArray> texts = {"ORBEX5wf_RigNum + 1", "ORBEX5wf_TXshift + 100"};
  for (int i = 0; i < 2; ++i) {
    QLocalSocket& socket = *senders.emplace_back(std::make_unique<QLocalSocket>());
    socket.connectToServer(IpcSocketPath("ORBEX5"));
    ASSERT_TRUE(socket.waitForConnected(kEventCapMs));
    QObject::connect(&socket, &QLocalSocket::readyRead, [&, i] { heard << i; });
    socket.write(char(texts[i].size()) + QByteArray(3, '\0') + texts[i]);
    socket.flush();
  }
  ASSERT_TRUE(WaitUntil([&] { return heard.size() == 2; }));
  EXPECT_EQ(heard, QList<int>({0, 1})) << "the rig switch came first";
}

// Companions that each open their connection once the one before has wholly sent its command, none
// waiting for its answer (other processes, as the rig program's calls are): the rig gets the commands in
// the order they were sent, and every one is answered as carried out.
TEST_F(SheetRigPanel, CommandsOfCompanionsOneAfterTheOtherReachTheRigInTheOrderSent) {
  RigPortState.Rig1 = {kenwood.PortName(), "KENWOOD", "4800", "2", "00"};
  sheet();
  kenwood.ClearReceived();
  constexpr int kCompanions = 200;
  RigPortState.PollMode = 2;  // and the rig is polled meanwhile
  RigPortState.PollPeriodMs = 20;
  RigPollStart();
  QProcess companions;
  companions.start("python3", {"-c", R"(
import socket, struct, sys
path, n = sys.argv[1], int(sys.argv[2])
connections = []
for k in range(1, n + 1):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.connect(path)
    text = b"ORBEX5wf_TXshift + %d" % (10 * k)
    s.sendall(struct.pack("<I", len(text)) + text)
    connections.append(s)
print(" ".join(str(struct.unpack("<i", s.recv(4))[0]) for s in connections))
)",
                               IpcSocketPath("ORBEX5"), QString::number(kCompanions)});
  ASSERT_TRUE(WaitUntil([&] { return companions.state() == QProcess::NotRunning; }));
  EXPECT_EQ(companions.readAllStandardOutput().trimmed(), QStringList(kCompanions, "0").join(' ').toLatin1());
  QList<QByteArray> atTheRig, shifts;
  for (const QByteArray& command : kenwood.TextCommands())
    if (command.startsWith("RU")) atTheRig << command;
  for (int k = 1; k <= kCompanions; ++k) shifts << QString("RU%1;").arg(10 * k, 5, 10, QChar('0')).toLatin1();
  const auto apart = std::mismatch(atTheRig.begin(), atTheRig.end(), shifts.begin(), shifts.end());
  EXPECT_EQ(atTheRig, shifts) << "first apart: "
                              << (apart.first == atTheRig.end() ? "" : apart.first->toStdString());
  RigPollStop();
}

// Rig switches and shifts from four companions at once, to two rigs of different families: each shift
// goes whole to the rig chosen at its turn, in that rig's format, and the answers keep their order.
TEST_F(SheetRigPanel, RigSwitchesAndShiftsFromSeveralCompanionsGoWholeToTheRigOfTheirTurn) {
  RigPortState.Rig1 = {kenwood.PortName(), "KENWOOD", "4800", "2", "00"};
  RigPortState.Rig2 = {ft991.PortName(), "FT991", "4800", "2", "00"};
  sheet();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    kenwood.ClearReceived();
    ft991.ClearReceived();
    QList<int> answered;
    const auto companions = SendAtOnce(
        {"ORBEX5wf_RigNum + 1", "ORBEX5wf_TXshift + 701", "ORBEX5wf_RigNum + 0", "ORBEX5wf_TXshift + 801"},
        answered);
    ASSERT_TRUE(WaitUntil([&] { return answered.size() == 4; }));
    EXPECT_EQ(answered, QList<int>({1, 2, 3, 4}));
    EXPECT_EQ(ShiftFrames(ft991), QList<QByteArray>({"XT1;", "RC;", "RU0701;"}));
    EXPECT_EQ(ShiftFrames(kenwood), QList<QByteArray>({"XT1;", "RC;", "RU00801;"}));
    EXPECT_EQ(RigPortState.RigModel, "KENWOOD");
  }
}

}  // namespace
