// The award views reached from the start window and the progress sheet: the league-station check
// with its band choice, the mode classes, and the totals and book over a sheet that really read a log.

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include "../startup/start_window_fixture.h"
#include "award_window_fixture.h"
#include "awards/LeagueStationCheck.h"
#include "core/BandLayout.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "forms/awards/ACCset.h"
#include "forms/sheet/CFG.h"
#include "forms/awards/ORBBOOK.h"
#include "forms/awards/ORBTOTAL1.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/ui/responders.h"
#include "sheet/SheetTally.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"
#include "support/small_disk.h"

namespace {

struct StartWindowAwardMenus : StartWindowTest {
  ORBTOP* top = nullptr;
  void SetUp() override {
    StartWindowTest::SetUp();
    setUpOperator();
    set("ORB", "DataFol", home.path());
    top = load();
    ASSERT_NE(top, nullptr);
    home.write("JARLstation.TXT", "JA1AAA\r\nJA2BBB\r\n");
  }
};

TEST_F(StartWindowAwardMenus, TheBandChoiceAnswersAndTheCheckRunsWhileTheWindowIsBusy) {
  QStringList seen;
  ModalFormResponder modal;
  modal.Then([&](VbForm& f) {  // closed without a choice
    seen << top->Label9.text() << (top->Command1.isEnabled() ? "enabled" : "disabled");
    seen << (static_cast<CFG&>(f).Frame3.isEnabled() ? "kinds" : "no kinds");
    f.Unload(vbFormControlMenu);
  });
  top->JARLstn.Trigger();
  EXPECT_EQ(seen, QStringList({"設定待", "disabled", "no kinds"}));
  EXPECT_FALSE(QFile::exists(home.file("allBand-cfm_JARLstation.TXT")));
  EXPECT_TRUE(top->Command1.isEnabled());
  EXPECT_FALSE(IsLoaded<CFG>());

  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  ShellRecorder shell;
  modal.Then([](VbForm& f) {
    CFG& cfg = static_cast<CFG&>(f);
    QTest::mouseClick(&cfg.Check1[2], Qt::LeftButton);  // 7 MHz: the SSB QSO with JA1AAA, confirmed
    cfg.CFGOK.Trigger();
  });
  top->JARLstn.Trigger();
  EXPECT_EQ(LeagueStation.LeaguePointCount, 1);
  EXPECT_TRUE(boxes.texts().value(0).startsWith("もう一頑張りの  1ポイントです。"));
  EXPECT_EQ(shell.opened(), QStringList({home.file("7-cfm_JARLstation.TXT")}));
  EXPECT_TRUE(top->Command1.isEnabled());
  EXPECT_EQ(top->Label9.text(), "ｶｳﾝﾀ");
  EXPECT_FALSE(IsLoaded<CFG>());
  EXPECT_EQ(Cfg.CfgMode, 0);
}

TEST_F(StartWindowAwardMenus, AListThatCannotBeReadOrWrittenIsNamedWithItsCause) {
  MsgBoxResponder boxes;
  FileDialogResponder files;
  QDir().mkdir(home.file("members.txt"));  // a folder chosen as the member list
  files.Choose(home.file("members.txt"));
  boxes.Answer(vbOK).Answer(vbOK);
  top->ACCchk.Trigger();
  EXPECT_TRUE(boxes.texts().last().startsWith("File が読めません\r\n" + home.file("members.txt") + " を読めません（同じ名前のフォルダーがあります）。"));
  SmallDisk disk(64);  // a data folder on a read-only disk
  if (!disk.Available()) GTEST_SKIP() << disk.Why().toStdString();
  Settings.DataFolder = disk.path();
  disk.ReadOnly();
  top->v430.Trigger();
  disk.Writable();
  EXPECT_TRUE(boxes.texts().last().startsWith(disk.file("430MHz-100.txt") + "\r\nが書き込めませんでした（読み取り専用のディスクです）。\r\nファイルとフォルダーに書き込めるか"));
}

TEST_F(StartWindowAwardMenus, ModeSettingsHideTheStartWindowWhileOpen) {
  top->Show();
  top->ACCmodeset.Trigger();
  ASSERT_TRUE(IsLoaded<ACCset>());
  EXPECT_TRUE(top->isHidden());
  Form<ACCset>().CLSE.click();
  EXPECT_FALSE(top->isHidden());
}

// A sheet over a hand-written log: 八王子市 (1002) confirmed on 7 MHz and worked on 14 MHz, the gun
// 10001 confirmed on 21 MHz, its town worked on 7 MHz, the ward 110101 confirmed on 7 MHz, the
// entity 501A confirmed on 14 MHz. A town's QSO also marks its gun worked.
struct SheetTotals : ::testing::TestWithParam<int32_t> {
  SheetLog log;
  MsgBoxResponder boxes;
  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *", "JA1AAB,2020/01/02,14.050,CW,1002,J  ",
             "JA1AAC,2020/01/03,21.050,CW,10001,J *", "JA1AAD,2020/01/04,7.030,CW,10001A,J  ",
             "JA1AAE,2020/01/05,7.040,CW,110101,J *", "K1AAA,2020/01/06,14.020,CW,501A,J *"});
    log.Prepare();
    Settings.ExtendedBandSet = GetParam();
    ApplyBandSetLayout();
    MasterTable.Redim(BandLayout.KindColumn, MasterTable.Rows());
  }
  void TearDown() override {
    UnloadAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
};

TEST_P(SheetTotals, TheSheetsMenuShowsItsCountsAndTheReturnClosesThemUnsaved) {
  CWSHEET& sheet = Form<CWSHEET>();
  ASSERT_TRUE(IsLoaded<CWSHEET>());
  sheet.SYUDSP.Trigger();
  ASSERT_TRUE(IsLoaded<ORBTOTAL1>());
  FlexGrid& g = Form<ORBTOTAL1>().MSFlexGrid1;
  const int last = GetParam() == 1 ? 23 : 17;
  ASSERT_EQ(g.Cols(), last + 1);
  EXPECT_EQ(g.TextMatrix(0, last), "ｻﾃﾗｲﾄ");
  EXPECT_EQ(g.TextMatrix(3, 4), "1");   // CFM-市 7 MHz
  EXPECT_EQ(g.TextMatrix(4, 6), "1");   // WKD-市 14 MHz
  EXPECT_EQ(g.TextMatrix(3, 6), "0");
  EXPECT_EQ(g.TextMatrix(5, 8), "1");   // CFM-郡 21 MHz
  EXPECT_EQ(g.TextMatrix(7, 4), "1");   // CFM-区 7 MHz
  EXPECT_EQ(g.TextMatrix(11, 4), "1");  // WKD-町 7 MHz
  EXPECT_EQ(g.TextMatrix(10, 4), "0");
  EXPECT_EQ(g.TextMatrix(15, 6), "1");  // CFM-DX 14 MHz
  EXPECT_EQ(g.TextMatrix(3, 1), g.TextMatrix(3, 4));
  EXPECT_EQ(g.TextMatrix(1, 4), "2");   // ORB: the city and the ward
  EXPECT_EQ(g.TextMatrix(6, 4), "1");   // WKD-郡 7 MHz: the town's QSO marks its gun
  EXPECT_EQ(g.TextMatrix(2, 1), "5");   // ORB worked: two city bands, two gun bands, the ward

  Form<ORBTOTAL1>().ORBBK.Trigger();
  ASSERT_TRUE(IsLoaded<ORBBOOK>());
  EXPECT_EQ(Form<ORBBOOK>().MSFlexGrid1.TextMatrix(3, 4), g.TextMatrix(3, 4));
  sheet.RTNMN.Trigger();
  EXPECT_FALSE(IsLoaded<ORBTOTAL1>());
  EXPECT_FALSE(IsLoaded<ORBBOOK>());
  EXPECT_FALSE(QFile::exists(log.home.file(GetParam() == 1 ? "ORB-MIX前回申請数sp.DAT" : "ORB-MIX前回申請数.DAT")));
}

INSTANTIATE_TEST_SUITE_P(BothBandSets, SheetTotals, ::testing::Values(0, 1));

}  // namespace
