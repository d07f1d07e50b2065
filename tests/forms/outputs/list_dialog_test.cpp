// The list dialog on the progress sheet as the operator uses it: opening it for a wanted list or an
// award, what it locks on the sheet and gives back, GO for each kind of list, the text exports and
// the register note.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/SeiriboSheet.h"
#include "forms/outputs/ListDialog.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/clock.h"
#include "platform/ui/responders.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetTally.h"
#include "support/rig_poll_watch.h"
#include "support/outputs_log.h"
#include "support/shared_state.h"

namespace {

const QString kProgressTitle = "ORB/JCC/JCG 進捗状況";

struct ListDialogTest : ::testing::Test {
  OutputsLog log;
  MsgBoxResponder boxes;
  ShellRecorder shell;
  FileDialogResponder files;
  RigPollWatch poll{boxes};

  void SetUp() override {
    log.Prepare();
    poll.Start();
    DesignatedCityDef.DesignatedCityCodes = "1101,1001";
    Settings.MyCall = "JA1ZZZ";
  }
  void TearDown() override {
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetClock();
    ResetSharedState();
  }
  CWSHEET& sheet() { return Form<CWSHEET>(); }
  ListDialog& dialog() { return sheet().Frame8; }
  QStringList ticked() {
    QStringList t;
    for (int i = 0; i <= 22; ++i)
      if (dialog().Check1[i].Value() == 1) t << dialog().Check1[i].text();
    return t;
  }
  // Wanted-list state: the sheet's controls as the operator finds them with no dialog open.
  void expectSheetFree() {
    CWSHEET& s = sheet();
    EXPECT_FALSE(dialog().isVisibleTo(&s));
    for (Menu* m : {&s.MENU, &s.DAREA, &s.DISPBAND, &s.JccGchkSelect, &s.WNTPRN, &s.wtd, &s.SYUDSP,
                    &s.seiribo, &s.MEMOVIEW})
      EXPECT_TRUE(m->Enabled()) << m->Caption().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{&s.Command1, &s.Command2, &s.Command8, &s.Frame5,
                                                      &s.Frame6, &dialog().Command14, &dialog().Command13})
      EXPECT_TRUE(w->isEnabled());
    EXPECT_EQ(dialog().Command14.text(), "GO !");
  }
};

TEST_F(ListDialogTest, OpeningForAWantedListMirrorsTheDisplayAndLocksTheSheet) {
  CWSHEET& s = sheet();
  ListDialog& d = dialog();
  s.WNTPRN.Trigger();
  EXPECT_TRUE(d.isVisibleTo(&s));
  EXPECT_EQ(d.title(), "Wanted-LIST 作成項目選択");
  EXPECT_EQ(ticked(), (QStringList{"1.9MHz", "3.5MHz", "7MHz", "10MHz", "14MHz", "18MHz", "21MHz", "24MHz", "28MHz",
                                   "50MHz", "144MHz", "430MHz", "1200MHz", "ｻﾃﾗｲﾄ"}));
  for (int i = 15; i <= 20; ++i) EXPECT_TRUE(d.Check1[i].isHidden()) << i;
  EXPECT_EQ(d.Check1[21].Top(), 1320);
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(d.Check2[i].Value(), 1);
  EXPECT_EQ(d.Check2[5].Value(), 0);
  for (Menu* m : {&s.MENU, &s.DAREA, &s.DISPBAND, &s.JccGchkSelect, &s.WNTPRN, &s.seiribo}) EXPECT_FALSE(m->Enabled());
  EXPECT_TRUE(s.wtd.Enabled());
  for (QWidget* w : std::initializer_list<QWidget*>{&s.Command1, &s.Frame5, &s.Frame6})
    EXPECT_FALSE(w->isEnabled());

  // GO with neither status box refuses and leaves everything as it is.
  d.Check6.SetValue(0);
  boxes.Answer(vbOK);
  d.Command14.click();
  EXPECT_EQ(boxes.texts(), QStringList{"「未QSO」「Wkd」どちらもチェック無しでは作成出来ません　(^^ゞ"});
  EXPECT_TRUE(d.isVisibleTo(&s));
  EXPECT_FALSE(s.MENU.Enabled());
  EXPECT_FALSE(poll.offDuringABox);

  d.Command20.click();  // "全解除" of the bands
  EXPECT_TRUE(ticked().isEmpty());
  d.Command21.click();
  EXPECT_EQ(d.Check2[0].Value(), 0);
  d.Check1[3].SetValue(1);
  d.Command13.click();  // CANCEL
  expectSheetFree();
  EXPECT_EQ(d.Check1[3].Value(), 1);
  s.WNTPRN.Trigger();  // opened again: the boxes come from the display settings, the status boxes stay
  EXPECT_EQ(ticked().size(), 14);
  EXPECT_EQ(d.Check6.Value(), 0);
}

TEST_F(ListDialogTest, TheListeningFormatTakesTheBandsAboveTheWayAndEveryOptionIsStored) {
  Settings.WantedListType = "2";
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
  CWSHEET& s = sheet();
  ListDialog& d = dialog();
  EXPECT_EQ(ReadIni("ORB", "WNTP"), "2");
  s.WNTPRN.Trigger();
  for (int i = 12; i <= 21; ++i) EXPECT_FALSE(d.Check1[i].isEnabled()) << i;
  for (int i = 15; i <= 20; ++i) EXPECT_FALSE(d.Check1[i].isHidden()) << i;
  EXPECT_NEAR(d.Check1[21].Top(), 2752, 15);  // twips through whole pixels
  EXPECT_FALSE(d.Check2[5].isEnabled());
  d.Option2[1].SetValue(true);
  EXPECT_EQ(ReadIni("ORB", "WNTP"), "1");
  for (int i = 12; i <= 21; ++i) EXPECT_TRUE(d.Check1[i].isEnabled()) << i;
  EXPECT_EQ(d.Check1[13].Value(), 0);  // nothing ticked back
  d.Option2[3].SetValue(true);
  EXPECT_EQ(Settings.WantedListType, "3");
  d.Command13.click();
  EXPECT_EQ(ReadIni("ORB", "WNTP"), "3");
}

TEST_F(ListDialogTest, GoWritesTheTextListAndGivesTheSheetBack) {
  CWSHEET& s = sheet();
  ListDialog& d = dialog();
  s.WNTPRN.Trigger();
  d.Command20.click();
  d.Check1[2].SetValue(1);
  d.Check1[4].SetValue(1);
  d.Check7.SetValue(1);
  const QString path = log.home.file("wanted.txt");
  files.Choose(path);
  boxes.OnShow = [&](const MsgBoxCall&) {
    EXPECT_EQ(s.Frame8.Command14.text(), "QRX");
    poll.Note();
  };
  boxes.Answer(vbOK);
  d.Command14.click();
  ASSERT_EQ(files.shown().size(), 1u);
  const FileDialogCall& call = files.shown()[0];
  EXPECT_TRUE(call.save);
  EXPECT_EQ(call.title, "Wanted List のﾌｧｲﾙ名を指定します");
  EXPECT_EQ(call.filter, "(*.TXT)|*.TXT|(*.CSV)|*.CSV|");
  EXPECT_EQ(call.flags, 2052);
  EXPECT_EQ(call.initDir, log.home.path());
  EXPECT_EQ(call.fileName, "ORBEX5_WantedList");
  EXPECT_EQ(boxes.texts(), QStringList{"Wanted List " + path + "を保存しました"});
  EXPECT_EQ(boxes.shown()[0].title, kProgressTitle);
  // The grid's 60 empty rows give no lines; the "ＤＸ" box starts unticked.
  const QStringList lines = log.Lines("wanted.txt");
  EXPECT_EQ(lines.size(), 8);
  EXPECT_EQ(lines.value(0), "JA1ZZZ ------  Wanted-LIST   ------");
  EXPECT_EQ(lines.value(3), "1002  ,東京都八王子市,Wkd 7MHz");
  EXPECT_EQ(shell.opened(), QStringList{path});
  EXPECT_TRUE(poll.offDuringABox);
  EXPECT_TRUE(RigPollWatch::Polling());
  EXPECT_EQ(s.AwardCheckMode, 0);
  expectSheetFree();
}

TEST_F(ListDialogTest, ACancelledDialogOrAFileThatCannotBeWrittenEndsTheListAndSaysSo) {
  CWSHEET& s = sheet();
  s.WNTPRN.Trigger();
  files.Cancel();
  boxes.Answer(vbOK);
  dialog().Command14.click();
  EXPECT_EQ(boxes.texts(), QStringList{"Wanted List のファイル書き込みは中止されました "});
  EXPECT_TRUE(shell.opened().isEmpty());
  EXPECT_TRUE(RigPollWatch::Polling());
  expectSheetFree();

  // A folder where the list should go: no success message, nothing opened.
  QDir(log.home.path()).mkdir("gone");
  s.WNTPRN.Trigger();
  files.Choose(log.home.file("gone"));
  boxes.Answer(vbOK);
  dialog().Command14.click();
  EXPECT_TRUE(boxes.texts().value(1).startsWith("Wanted List のファイル書き込みは中止されました "));
  EXPECT_EQ(boxes.texts().size(), 2);
  EXPECT_TRUE(shell.opened().isEmpty());
  expectSheetFree();
}

TEST_F(ListDialogTest, APollTheOperatorHadOffStaysOff) {
  RigPollStop();
  CWSHEET& s = sheet();
  s.WNTPRN.Trigger();
  files.Choose(log.home.file("wanted.txt"));
  boxes.Answer(vbOK);
  dialog().Command14.click();
  EXPECT_EQ(log.Lines("wanted.txt").size(), 8);
  EXPECT_FALSE(RigPollWatch::Polling());
  expectSheetFree();
}

TEST_F(ListDialogTest, TheCsvAndTheListeningListFromGo) {
  SetFixedClock(QDateTime(QDate(2026, 1, 15), QTime(1, 0), Qt::UTC));
  CWSHEET& s = sheet();
  ListDialog& d = dialog();
  d.Option2[3].SetValue(true);
  s.WNTPRN.Trigger();
  const QString csv = log.home.file("w.csv");
  files.Choose(csv);
  boxes.Answer(vbOK);
  d.Command14.click();
  EXPECT_EQ(files.shown().at(0).fileName, "JA1ZZZ_WantedList(CSV)_2026-01-15");
  EXPECT_TRUE(log.Lines("w.csv").value(0).startsWith("CODE,QTH,1.9MHz,"));
  EXPECT_EQ(log.Lines("w.csv").size(), 8);

  d.Option2[2].SetValue(true);
  s.WNTPRN.Trigger();
  d.Command20.click();
  d.Check1[2].SetValue(1);
  boxes.Answer(vbOK);
  d.Command14.click();
  EXPECT_EQ(boxes.texts().value(1), log.home.path() + " にMachiList.txt　を作成しました\r\nこのファイルをHWCV/JCV のフォルダへ置いて下さい。");
  EXPECT_EQ(log.Lines("MachiList.txt").value(1), "\"7\",\"\",\"100101\",\"\"");
  EXPECT_EQ(shell.opened().value(1), log.home.file("MachiList.txt"));
  EXPECT_TRUE(RigPollWatch::Polling());
  expectSheetFree();
}

TEST_F(ListDialogTest, AwardMenusLayTheDialogOutForOneBand) {
  CWSHEET& s = sheet();
  ListDialog& d = dialog();
  s.Show();
  s.ORBKUchkF.Trigger();
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(s.AwardCheckMode, 5);
  EXPECT_EQ(d.title(), "ＯＲＢ上のＫＵチェック ( MIX )");
  EXPECT_EQ(ticked(), QStringList{"1.9MHz"});
  EXPECT_FALSE(d.Check1[22].isEnabled());
  EXPECT_EQ(d.Check1[22].text(), "ALL Band(除SAT)");
  EXPECT_EQ(d.Command13.text(), "CLOSE");
  for (QWidget* w : std::initializer_list<QWidget*>{&d.Frame9, &d.Check6, &d.Option2[1]})
    EXPECT_FALSE(w->isEnabled());
  EXPECT_TRUE(d.Option2[3].isEnabled());
  for (Menu* m : {&s.MENU, &s.DAREA, &s.wtd, &s.SNDIF}) EXPECT_FALSE(m->Enabled());
  EXPECT_TRUE(s.JccGchkSelect.Enabled());
  EXPECT_TRUE(s.Label6.isHidden());

  s.JCCchk.Trigger();  // another award while the dialog is open
  EXPECT_EQ(s.AwardCheckMode, 1);
  EXPECT_EQ(ticked(), QStringList{"ALL Band(除SAT)"});
  EXPECT_TRUE(d.Check1[22].isEnabled());
  EXPECT_EQ(d.title(), "ＪＣＣチェック ( MIX )");

  // A click moves the one tick; clicking the ticked box keeps it.
  QTest::mouseClick(&d.Check1[5], Qt::LeftButton);
  EXPECT_EQ(ticked(), QStringList{"18MHz"});
  QTest::mouseClick(&d.Check1[5], Qt::LeftButton);
  EXPECT_EQ(ticked(), QStringList{"18MHz"});
  QTest::mouseClick(&d.Check1[2], Qt::RightButton);
  EXPECT_EQ(ticked(), QStringList{"7MHz"});

  boxes.Answer(vbOK).Answer(vbOK);
  d.Command14.click();
  EXPECT_EQ(boxes.texts().value(0), "JCC 7MHz/MIX = 2ポイント ");
  EXPECT_EQ(shell.opened(), (QStringList{log.home.file("7MHz_MIX-JCC.txt"), log.home.file("7MHz_MIX-WACA残.txt")}));
  EXPECT_TRUE(d.isVisible());  // stays open for the next band
  EXPECT_EQ(d.Command14.text(), "GO !");
  EXPECT_TRUE(s.JccGchkSelect.Enabled());
  EXPECT_FALSE(poll.offDuringABox);

  d.Command20.click();
  boxes.Answer(vbOK);
  d.Command14.click();
  EXPECT_EQ(boxes.texts().value(2), "バンドを一つ選んでからGOを押して下さい");

  // The grid does not answer clicks while an award is set up.
  FlexGrid& g = s.MSFlexGrid2;
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, g.visualRect(g.gridModel().index(4, 7)).center());
  EXPECT_EQ(s.Label3.text(), "");
  EXPECT_EQ(s.Text2.text(), "");

  s.ORBKUchkF.Trigger();
  d.Command13.click();  // CLOSE
  EXPECT_EQ(s.AwardCheckMode, 0);
  EXPECT_EQ(d.Command13.text(), "CANCEL");
  EXPECT_EQ(d.Check1[22].text(), "ALL Band");
  EXPECT_EQ(d.title(), "Wanted-LIST 作成項目選択");
  EXPECT_TRUE(d.Frame9.isEnabled());
  EXPECT_TRUE(s.Label6.isVisible());
  EXPECT_FALSE(d.Check1[22].isEnabled());  // until another award item enables it
  EXPECT_EQ(ticked(), QStringList{"1.9MHz"});
  expectSheetFree();
}

TEST_F(ListDialogTest, DxCheckAndTheRegisterWindow) {
  // The DXCC table the sheet loads names each entity's DXCC code.
  ASSERT_TRUE(QFile::copy(QString(ORBEX_DATA_DIR) + "/home/CodeLib.txt", log.home.file("CodeLib.txt")));
  CWSHEET& s = sheet();
  EXPECT_TRUE(s.DXCCchk.Enabled());
  s.DXCCchk.Trigger();
  EXPECT_EQ(dialog().title(), "ＤＸチェック ( MIX )");
  EXPECT_EQ(ticked(), QStringList{"1.9MHz"});
  QTest::mouseClick(&dialog().Check1[4], Qt::LeftButton);  // 14MHz
  dialog().Command14.click();
  EXPECT_TRUE(boxes.texts().isEmpty());  // DX tells no score
  EXPECT_EQ(shell.opened(), (QStringList{log.home.file("14MHz_MIX-DX.txt"), log.home.file("14MHz_MIX-DX残.txt")}));
  EXPECT_TRUE(log.Lines("14MHz_MIX-DX.txt").value(1).contains(QRegularExpression("^1 +501A +W1AW .* 246 *$")))
      << log.Lines("14MHz_MIX-DX.txt").value(1).toStdString();
  EXPECT_TRUE(log.Lines("14MHz_MIX-DX残.txt").value(1).contains(QRegularExpression("^1 +500A +339 +Japan *$")));
  dialog().Command13.click();
  s.seiribo.Trigger();
  EXPECT_TRUE(IsLoaded<SeiriboSheet>());
  EXPECT_EQ(s.Label2.text(), "読み込み中です　ＱＲＸ");

  // The search box names the searched code's register entry in the status bar.
  log.WriteRegister({"20160101,1002"});
  s.Text2.setText("1002");
  EXPECT_EQ(s.StatusBar1.PanelText(5), "2016/01/01 に 新設(合併)");
  s.Text2.setText("1003");
  EXPECT_EQ(s.StatusBar1.PanelText(5), "");
}

TEST_F(ListDialogTest, TextExportMenus) {
  SetFixedClock(QDateTime(QDate(2026, 12, 7), QTime(1, 0), Qt::UTC));
  CWSHEET& s = sheet();
  s.mkACAGdat.Trigger();
  EXPECT_EQ(log.Lines("acag.dat").value(0), "ACAG.DAT for ZLOG 2026.12");
  EXPECT_EQ(shell.opened(), QStringList{log.home.file("acag.dat")});
  QFile::remove(log.home.file("acag.dat"));
  QDir(log.home.path()).mkpath("acag.dat/x");
  boxes.Answer(vbOK);
  s.mkACAGdat.Trigger();
  EXPECT_EQ(boxes.texts(), QStringList{"acag.datの作成に失敗しました "});

  // The whole table, whatever the grid shows.
  SheetTally.PrefectureFilter = "47";
  FillProgressSheet(s.Progress());
  files.Choose(log.home.file("OriginalQTHdata.TXT"));
  s.mkQTHdat.Trigger();
  EXPECT_EQ(files.shown().at(0).title, "QTHデータのﾌｧｲﾙ名を指定します");
  EXPECT_EQ(files.shown().at(0).fileName, "OriginalQTHdata");
  EXPECT_EQ(log.Lines("OriginalQTHdata.TXT").size(), 12);
  EXPECT_EQ(shell.opened().value(1), log.home.file("OriginalQTHdata.TXT"));
  files.Cancel();
  s.mkQTHdat.Trigger();
  EXPECT_EQ(shell.opened().size(), 2);
}

TEST_F(ListDialogTest, EndOfTheTownFrameGivesTheDisplayBack) {
  CWSHEET& s = sheet();
  s.Frame3.show();
  s.ShowNotice("note");
  s.ChousonListMode = 1;
  s.Command10.click();
  EXPECT_FALSE(s.Frame3.isVisibleTo(&s));
  EXPECT_FALSE(s.Frame1.isVisibleTo(&s));
  EXPECT_EQ(s.ChousonListMode, 0);
}

}  // namespace
