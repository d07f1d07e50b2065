// The rig settings dialog: its round trip through [RIG_CON_CFG], its controls' effects, and the port
// list against a pseudo-terminal.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "core/SettingsStore.h"
#include "forms/rig/RigCFG.h"
#include "platform/ui/keys.h"
#include "platform/ui/responders.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "support/operator.h"
#include "support/pty_transceiver.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/temp_home.h"

namespace {

struct RigCFGTest : ::testing::Test {
  TempHome home;
  void TearDown() override {
    RigPortClose();
    UnloadForm<RigCFG>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
  QString key(const char* k) { return ReadIni("RIG_CON_CFG", k); }
};

TEST_F(RigCFGTest, EmptySectionOpensWithDefaultsAndCfgendWritesThemAll) {
  RigCFG& d = Form<RigCFG>();
  EXPECT_EQ(d.Check2.Value(), 0);
  EXPECT_EQ(d.Height(), 4095);
  EXPECT_EQ(d.Check1.Value(), 0);
  EXPECT_TRUE(d.Option4[0].Value());
  EXPECT_TRUE(d.Option5[0].Value());
  EXPECT_FALSE(d.Text11.isEnabled());
  EXPECT_EQ(QStringList({d.Combo3.Text(), d.Combo1.Text(), d.Text5.text(), d.Text11.text(), d.Label41.text(),
                         d.Text16.text()}),
            QStringList({"NONE", "Not Use", "100", "00", "500", "22"}));
  d.CFGEND.Click();
  const QList<std::pair<const char*, const char*>> written = {
      {"Interval", "100"},  {"ICOM_RIGadrs", "00"}, {"VFOCHECK", "No"}, {"TRVIFfreq", "22"},
      {"RIG_TYPE", "Not Use"}, {"STOP_BIT", "0"},   {"RIGCOMCONT", "NONE"},    {"BAUD_RATE", "4800"},
      {"Poll_Time", "500"}, {"ICOM_RIGadrs2", "00"}, {"RIG_TYPE2", "Not Use"}, {"STOP_BIT2", "1"},
      {"RIGCOMCONT2", "NONE"}, {"BAUD_RATE2", "4800"}, {"TWORIG", "NO"}};
  for (const auto& [k, v] : written) EXPECT_EQ(key(k), v) << k;
  EXPECT_FALSE(IsLoaded<RigCFG>());
}

TEST_F(RigCFGTest, StoredValuesShowAndChangesGoBack) {
  PtyTransceiver rig("ICOM");
  // The second rig's port (RIGCOMCONT2) as Windows names it.
  const QList<std::pair<const char*, QString>> stored = {
      {"RIG_TYPE", "ICOM"}, {"RIGCOMCONT", rig.PortName()}, {"BAUD_RATE", "19200"},
      {"STOP_BIT", "2"},    {"ICOM_RIGadrs", "94"},         {"VFOCHECK", "YesP"},
      {"TWORIG", "YES"},    {"RIGCOMCONT2", "COM3"},        {"RIG_TYPE2", "TS590"}};
  for (const auto& [k, v] : stored) WriteIni("RIG_CON_CFG", k, v);
  RigCFG& d = Form<RigCFG>();
  EXPECT_EQ(d.Combo3.Text(), rig.PortName());
  EXPECT_EQ(d.Combo1.Text(), "ICOM");
  EXPECT_TRUE(d.Text11.isEnabled());
  EXPECT_TRUE(d.Option4[2].Value());
  EXPECT_TRUE(d.Option5[1].Value());
  EXPECT_EQ(d.Check1.Value(), 1);
  EXPECT_EQ(d.Height(), 7470);
  EXPECT_EQ(d.Combo4.Text(), "COM3");
  EXPECT_TRUE(d.PortState2.text().startsWith("COM3 は Windows のポートの名前で、この機械にはありません"));
  EXPECT_EQ(d.Combo2.Text(), "TS590");
  EXPECT_EQ(RigPortState.Rig1.PortName, rig.PortName());

  d.Show();
  Operator::Pick(d.Combo1, 2);  // KENWOOD: no address
  EXPECT_FALSE(d.Text11.isEnabled());
  d.Option4[1].SetValue(true);
  d.Text16.setText("116");
  EXPECT_EQ(RigPortState.TransverterOffsetHz, 116'000'000);
  d.Text5.setText("");
  EXPECT_EQ(RigPortState.PostWriteWaitMs, 50);
  d.HScroll3.setValue(800);
  d.Check2.SetValue(0);
  EXPECT_EQ(d.Height(), 4095);
  d.CFGEND.Click();
  const QList<std::pair<const char*, const char*>> written = {
      {"RIG_TYPE", "KENWOOD"}, {"BAUD_RATE", "9600"}, {"TRVIFfreq", "116"},    {"Interval", "50"},
      {"Poll_Time", "800"},    {"TWORIG", "NO"},      {"RIGCOMCONT2", "COM3"}, {"RIG_TYPE2", "TS590"}};
  for (const auto& [k, v] : written) EXPECT_EQ(key(k), v) << k;
  EXPECT_EQ(RigPortState.Rig1.RigModel, "KENWOOD");

  // Choosing no port switches polling off.
  Form<RigCFG>().Show();
  Operator::Pick(Form<RigCFG>().Combo3, 0);
  EXPECT_EQ(Form<RigCFG>().Check1.Value(), 0);
  EXPECT_EQ(RigPortState.PollMode, 0);
}

TEST_F(RigCFGTest, EnterInTheWaitBoxReopensThePortAndLettersAreRefused) {
  PtyTransceiver rig("FT991");
  WriteIni("RIG_CON_CFG", "RIG_TYPE", "FT991");
  WriteIni("RIG_CON_CFG", "RIGCOMCONT", rig.PortName());
  RigCFG& d = Form<RigCFG>();
  d.Show();
  Operator::Click(d.Text5);
  Operator::Type("a");
  EXPECT_FALSE(d.Text5.text().contains('a'));
  Operator::Type("7");
  EXPECT_TRUE(d.Text5.text().endsWith('7'));
  Operator::Key(Qt::Key_Return);
  EXPECT_EQ(RigPortState.PortOpen, 1);
  EXPECT_EQ(rig.TextCommands().value(0), "AI0;");
  RigPortClose();  // before its terminal goes
}

TEST_F(RigCFGTest, PortListShowsThePseudoTerminalAndAPickFillsThePortBox) {
  PtyTransceiver rig("ICOM");
  RigCFG& d = Form<RigCFG>();
  d.Combo3.SetText(rig.PortName());  // typed by the operator
  d.Command1.Click();
  EXPECT_TRUE(d.Frame7.isVisibleTo(&d));
  const QString item = rig.PortName() + " > 使用可能";
  // Pressed again, the list is made afresh: the port once.
  d.Command1.Click();
  int row = -1, times = 0;
  for (int i = 0; i < d.List1.ListCount(); ++i) {
    if (d.List1.List(i) != item) continue;
    row = i;
    ++times;
  }
  ASSERT_GE(row, 0);
  EXPECT_EQ(times, 1);
  d.Show();
  Operator::Pick(d.Combo3, 0);
  Operator::Pick(d.List1, row);
  EXPECT_EQ(d.Combo3.Text(), rig.PortName());
  EXPECT_EQ(d.keys.Port, rig.PortName());
  d.Command3.Click();
  EXPECT_FALSE(d.Frame7.isVisibleTo(&d));
  EXPECT_EQ(d.ComListTarget, 0);
}

TEST_F(RigCFGTest, AnIcomAddressThatCannotBeUsedIsRefusedAtTheEndWithWhatToType) {
  RigCFG& d = Form<RigCFG>();
  d.Show();
  Operator::Pick(d.Combo1, 1);  // ICOM, the address still the default 00
  EXPECT_TRUE(d.AddressLabel1.buddy() == &d.Text11 && d.AddressLabel1.isVisibleTo(&d));
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  d.CFGEND.Click();
  EXPECT_EQ(boxes.texts(), QStringList({"ICOM のアドレス 00 は使えません (00 は全部の機器に宛てる同報のアドレスです)。\r\n"
                                        "リグの CI-V アドレスを16進数2桁で入れて下さい (例えば 94)。"}));
  ASSERT_TRUE(IsLoaded<RigCFG>() && Operator::Focus() == &d.Text11);
  Operator::Type("94");
  d.CFGEND.Click();
  EXPECT_FALSE(IsLoaded<RigCFG>());
  EXPECT_EQ(key("ICOM_RIGadrs"), "94");
}

TEST_F(RigCFGTest, UnreadableNumbersStopTheLoadWithAMessage) {
  WriteIni("RIG_CON_CFG", "Poll_Time", "fast");
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  Form<RigCFG>();
  EXPECT_EQ(boxes.texts(), QStringList({"ORBEX CFG ERROR\r\n" + IniFilePath() +
                                        " の [RIG_CON_CFG] の次の値が使えません:\r\nPoll_Time=fast (50〜30000 ミリ秒)"}));
}

}  // namespace
