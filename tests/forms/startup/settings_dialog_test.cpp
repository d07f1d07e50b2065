#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTest>
#include <QWindow>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "core/StartupSettings.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/rig/RigCFG.h"
#include "forms/sheet/CFG.h"
#include "forms/startup/ORBEX_CFG.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/ui/color.h"
#include "platform/ui/responders.h"
#include "start_window_fixture.h"
#include "support/operator.h"
#include "support/qt_print.h"

namespace {

class SettingsDialogTest : public StartWindowTest {
 protected:
  // The start window of a complete set-up, then the dialog from its menu, in `cfg`.
  void open() {
    setUpOperator();
    ASSERT_NE(load(), nullptr);
    openFromMenu();
  }
  void openFromMenu() {
    load()->SETCFG.Trigger();
    cfg = LoadedForm<ORBEX_CFG>();
    ASSERT_NE(cfg, nullptr);
  }
  bool green(QWidget& w) { return BackColor(w) == 0xC0FFC0; }
  ORBEX_CFG* cfg = nullptr;
};

}  // namespace

TEST_F(SettingsDialogTest, FirstRunReachesTheDialogAndACompletedDialogLetsTheStartButtonRun) {
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);  // the incomplete set-up
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  cfg = LoadedForm<ORBEX_CFG>();
  ASSERT_NE(cfg, nullptr);
  EXPECT_EQ(cfg->windowTitle(), "環境設定");
  EXPECT_EQ(cfg->Label2.text(), "Log-DataBaseは現在設定されていません。");
  EXPECT_FALSE(green(cfg->Command6));

  QTest::keyClicks(&cfg->Text1, "ja1zzz");
  EXPECT_EQ(cfg->Text1.text(), "JA1ZZZ");
  EXPECT_EQ(top->Label1.text(), "JA1ZZZ") << "the start window follows the call sign";
  FileDialogResponder files;
  files.Choose(hdbPath).Choose(hamlogdb::ProgramPath(hamlogDir));
  cfg->Command6.click();
  cfg->Command10.click();
  ASSERT_EQ(files.shown().size(), 2u);
  EXPECT_EQ(files.shown()[0].title, "Hamlog データベースを指定します");
  EXPECT_EQ(files.shown()[0].flags, 4100);
  EXPECT_EQ(stored("ORB", "HAMLOGPOS"), hdbPath) << "stored at once";
  EXPECT_EQ(stored("ORB", "HAMLOGexePOS"), hamlogdb::ProgramPath(hamlogDir));
  EXPECT_TRUE(green(cfg->Command6));
  EXPECT_EQ(cfg->Label2.text(), hdbPath);
  EXPECT_EQ(top->Label5.text(), hdbPath);
  EXPECT_TRUE(MasterList.MasterFilePath.endsWith("MST"));
  EXPECT_EQ(Hamlog.HdbFileName, "\\" + QFileInfo(hdbPath).fileName().toUpper());
  EXPECT_EQ(stored("ORB", "MYCALL"), "<missing>") << "the call sign waits for the close";

  cfg->CFGEND.Trigger();
  EXPECT_FALSE(IsLoaded<ORBEX_CFG>());
  EXPECT_EQ(stored("ORB", "MYCALL"), "JA1ZZZ");
  EXPECT_EQ(stored("ORB", "RST599"), "599");
  EXPECT_EQ(stored("CFGPOS", "CFGPOSTop"), QString::number(0));

  bool sheetShown = false;
  StartWindowHooks.ShowProgressSheet = [&] {
    sheetShown = true;
    return false;
  };
  top->Command1.click();
  EXPECT_TRUE(sheetShown) << boxes.texts().join(" / ").toStdString();
  EXPECT_EQ(boxes.shown().size(), 1u) << "no complaint on the way to the sheet";
}

TEST_F(SettingsDialogTest, SwitchesStoreAtOnceOrOnlyInMemoryAsTheyShould) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(open());
  ORBTOP* top = load();

  cfg->Check1.click();
  EXPECT_EQ(stored("ORB", "JA_Only"), "1");
  EXPECT_EQ(Settings.JaOnly, "1");
  cfg->Check2.click();
  EXPECT_EQ(stored("ORB", "QSL_RCVa"), "YES");
  cfg->Check7.click();
  EXPECT_EQ(stored("ORB", "FreqErrReport"), "1");

  cfg->Check4.click();  // ticked by the load (HLYN defaults to YES)
  EXPECT_EQ(Settings.Hlyn, "NO");
  EXPECT_EQ(Settings.HlynConfirm, 0);
  EXPECT_EQ(stored("ORB", "HLYN"), "<missing>");
  cfg->Check5.click();
  EXPECT_EQ(Settings.UseOwnQthData, 1);
  EXPECT_TRUE(cfg->Command1.isEnabled());
  EXPECT_TRUE(top->Label4.isVisibleTo(top));
  EXPECT_EQ(stored("ORB", "UseorgQTH"), "<missing>");

  cfg->Text5.setText("E");
  EXPECT_EQ(stored("ORB", "QSL_RCV2"), "E") << "a received mark is stored as it changes";
  EXPECT_EQ(Settings.QslReceivedMarks[2], "E");

  cfg->Option7[1].click();
  EXPECT_EQ(stored("E-QSL", "eQSL_type"), "1");
  EXPECT_TRUE(cfg->Command13.isEnabled());
  EXPECT_FALSE(cfg->Command14.isEnabled());

  // Band set: the tally of the other set is no use, the report goes, the totals' range is reset.
  top->Check1.SetValue(1);
  home.write("GeneData/FreqError_Report.txt", "x");
  set("ORB", "BANDST", "3");
  cfg->Check6.click();
  EXPECT_EQ(stored("ORB", "exp_Band"), "1");
  EXPECT_EQ(BandLayout.KindColumn, 27);
  EXPECT_EQ(top->Check1.Value(), 0);
  EXPECT_FALSE(QFile::exists(home.file("GeneData/FreqError_Report.txt")));
  EXPECT_EQ(stored("ORB", "BANDST"), "");
  EXPECT_EQ(stored("ORB", "BANDED"), "");

  // Share mode: on at once; off only at the next start.
  cfg->Check8.click();
  EXPECT_EQ(stored("ORB", "HL share"), "1");
  EXPECT_TRUE(top->Label13.isVisibleTo(top));
  EXPECT_EQ(top->Label11.text(), "3");
  boxes.Answer(vbOK);
  cfg->Check8.click();
  EXPECT_EQ(stored("ORB", "HL share"), "0");
  EXPECT_FALSE(top->Label13.isVisibleTo(top));
  EXPECT_EQ(boxes.texts(), QStringList({"共有モードを終えるには ORBEX5 を再起動して下さい"}));
  EXPECT_EQ(hamlogLib.share, 1) << "the database stays shared until the restart";
}

TEST_F(SettingsDialogTest, TheCloseBoxStoresWhatTheMenuStoresAndAnUnloadByTheProgramNothing) {
  MsgBoxResponder boxes;
  set("CFGPOS", "CFGPOSTop", "-100");
  set("CFGPOS", "CFGPOSLeft", "700");
  ASSERT_NO_FATAL_FAILURE(open());
  EXPECT_EQ(cfg->Top(), 0);
  EXPECT_EQ(cfg->Left(), 0);
  EXPECT_EQ(cfg->Text3.text(), "*");
  EXPECT_EQ(stored("ORB", "QSL_RCV"), "<missing>") << "the design text is not written by the load";

  cfg->Check5.click();
  cfg->Text24.setText("59");
  cfg->Text1.setText("JA2XYZ");
  cfg->Text2.setText("J");
  cfg->close();
  EXPECT_FALSE(IsLoaded<ORBEX_CFG>());
  EXPECT_EQ(stored("ORB", "UseorgQTH"), "1");
  EXPECT_EQ(stored("ORB", "RST599"), "59");
  EXPECT_EQ(stored("ORB", "MYCALL"), "JA2XYZ");
  EXPECT_EQ(stored("ORB", "HamLogQSLMK"), "J");
  EXPECT_EQ(stored("ORB", "HLYN"), "YES");
  EXPECT_EQ(stored("ORB", "QSL_RCV"), "*");
  EXPECT_EQ(stored("ORB", "QSL_RCV14"), "");
  EXPECT_EQ(stored("CFGPOS", "CFGPOSTop"), "-100") << "a window at the top keeps the stored position";

  ASSERT_NO_FATAL_FAILURE(openFromMenu());
  EXPECT_EQ(cfg->Text1.text(), "JA2XYZ");
  EXPECT_EQ(cfg->Check5.Value(), 1);
  cfg->Text24.setText("5NN");
  cfg->Text1.setText("JA3QQQ");
  UnloadForm<ORBEX_CFG>();
  EXPECT_EQ(stored("ORB", "MYCALL"), "JA2XYZ");
  EXPECT_EQ(stored("ORB", "RST599"), "59");
}

TEST_F(SettingsDialogTest, TypingFiltersAndABadCallSign) {
  MsgBoxResponder boxes;
  setUpOperator();
  set("ORB", "MYCALL", "ja1zzz");  // written by hand
  ASSERT_NE(load(), nullptr);
  ASSERT_NO_FATAL_FAILURE(openFromMenu());
  EXPECT_EQ(cfg->Text1.text(), "ja1zzz") << "a stored call sign is shown as it stands";
  cfg->Text1.setText("");
  QTest::keyClicks(&cfg->Text1, "ja1");
  boxes.Answer(vbOK);
  QTest::keyClicks(&cfg->Text1, "-");
  EXPECT_EQ(cfg->Text1.text(), "JA1");
  boxes.Answer(vbOK);
  cfg->Text1.setText("JA1 ZZZ");  // pasted
  EXPECT_EQ(cfg->Text1.text(), "JA1");
  EXPECT_EQ(Settings.MyCall, "JA1");
  EXPECT_EQ(boxes.texts().size(), 2);
  EXPECT_TRUE(boxes.texts()[0].contains("コールサイン"));

  cfg->Text24.setFocus();
  cfg->Text24.setCursorPosition(0);
  QTest::keyClicks(&cfg->Text24, "x5");
  EXPECT_EQ(cfg->Text24.text(), "599") << "a letter is refused, a digit replaces the first one";
  cfg->Text2.setText("");
  QTest::keyClicks(&cfg->Text2, "j");
  EXPECT_EQ(cfg->Text2.text(), "J");
  EXPECT_EQ(Settings.HamLogQslMark, "J");
}

TEST_F(SettingsDialogTest, PickersRefuseWhatIsNoDatabaseAndTellACancel) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(open());
  ORBTOP* top = load();
  FileDialogResponder files;

  const QString fake = home.write("fake/HAMLOG.HDB", "not a table at all");
  files.Choose(fake);
  boxes.Answer(vbOK);
  cfg->Command6.click();
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains("HAMLOG のデータベース (HAMLOG.HDB) ではありません"));
  EXPECT_EQ(stored("ORB", "HAMLOGPOS"), hdbPath) << "the previous setting is kept";
  EXPECT_EQ(Hamlog.HamlogDbPath, hdbPath);
  ASSERT_EQ(files.shown().size(), 1u);
  EXPECT_EQ(files.shown()[0].initDir, hamlogDir) << "the picker opens where the database is";
  EXPECT_EQ(files.shown()[0].filter, "hamlog データベース(*.HDB)|*.HDB|");

  files.Cancel();
  boxes.Answer(vbOK);
  cfg->Command6.click();
  EXPECT_EQ(boxes.texts().last(), "log データベースが指定（変更）されませんでした");
  EXPECT_NE(top->Label5.text(), "HAMLOG.HDB の場所未登録") << "one is registered";

  // The QSL program decides whether a print definition can be chosen.
  const QString hlqsl = home.write("QSL/HLQSLN.EXE", "");
  const QString mmqsl = home.write("QSL/MMQSL.EXE", "");
  files.Choose(hlqsl);
  cfg->Command7.click();
  EXPECT_FALSE(cfg->Command18.isEnabled());
  EXPECT_EQ(stored("ORB", "HLQSL"), hlqsl);
  files.Choose(mmqsl);
  cfg->Command7.click();
  EXPECT_TRUE(cfg->Command18.isEnabled());
  EXPECT_EQ(Settings.QslProgramSet, 1);

  const QString mql = home.write("QSL/card.mql", "");
  files.Choose(mql).Choose(mql);
  boxes.Type("AB").Type("");
  cfg->Command18.click();
  EXPECT_EQ(cfg->Text23.text(), "A") << "one character is kept";
  cfg->Command18.click();
  EXPECT_EQ(cfg->Text23.text(), "*") << "an empty answer gives *";
  EXPECT_EQ(stored("ORB", "MMQSL"), mql);
  EXPECT_EQ(stored("ORB", "QSLSendMark"), "<missing>") << "the mark waits for the close";

  Settings.EditorPath.clear();
  files.Cancel();
  boxes.Answer(vbOK);
  cfg->Command8.click();
  EXPECT_EQ(boxes.texts().last(), "現在設定されている Editor はNOTEPAD.EXE です。");

  files.Cancel();
  boxes.Answer(vbOK);
  cfg->Command10.click();
  EXPECT_EQ(stored("ORB", "HAMLOGexePOS"), hamlogdb::ProgramPath(hamlogDir));
  EXPECT_EQ(boxes.texts().last(), "Hamlogw.exe の場所は指定（変更）されませんでした");
}

TEST_F(SettingsDialogTest, RemarksAndTheDigitalModeList) {
  set("ORB", "MODEC", "3");
  set("ORB", "MODE1", "PSK31");
  set("ORB", "MODE2", "PSK");
  set("ORB", "MODE3", "CW");
  set("ORB", "DigitalMode", "PSK31,");
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(open());
  EXPECT_EQ(cfg->Label7.text(), "PSK31,");

  cfg->Command3.click();
  EXPECT_TRUE(cfg->Frame5.isVisibleTo(cfg));
  ASSERT_EQ(cfg->List1.ListCount(), 4) << "MIX and the three stored modes, not DIGITAL";
  EXPECT_EQ(cfg->List1.List(0), "MIX");
  EXPECT_TRUE(cfg->List1.Selected(1));
  EXPECT_TRUE(cfg->List1.Selected(2)) << "the name is found inside PSK31,";
  EXPECT_FALSE(cfg->List1.Selected(3));
  cfg->List1.SetSelected(1, false);
  cfg->List1.SetSelected(3, true);
  cfg->Command2.click();
  EXPECT_FALSE(cfg->Frame5.isVisibleTo(cfg));
  EXPECT_EQ(stored("ORB", "DigitalMode"), "PSK,CW,");
  EXPECT_EQ(Settings.DigitalModes, "PSK,CW,");

  boxes.Type("").Answer(vbOK);
  cfg->Command14.click();
  EXPECT_EQ(boxes.texts().last(), "Remarks文を記入するまでeQSLccは使用できません");
  EXPECT_EQ(Settings.EqslReady, 0);
  boxes.Type("TNX QSO");
  cfg->Command14.click();
  EXPECT_EQ(stored("E-QSL", "eQSL_Mesg"), "TNX QSO");
  EXPECT_TRUE(green(cfg->Command14));
  EXPECT_EQ(Settings.EqslReady, 1);
}

TEST_F(SettingsDialogTest, AFailedWriteOfTheSettingsFileIsTold) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(open());
  // A folder where the file should be: nothing can be written to it.
  QFile::remove(home.file("ORBEX5.INI"));
  QDir().mkpath(home.file("ORBEX5.INI"));
  boxes.Answer(vbOK);
  cfg->Check7.click();
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains("書き込めませんでした"));
  EXPECT_TRUE(boxes.texts()[0].contains("[ORB] FreqErrReport"));
  EXPECT_EQ(Settings.FreqErrReport, "1") << "still in force for this run";
}

TEST_F(SettingsDialogTest, AQslMarkTypedFullWidthIsTheHalfWidthMark) {
  ASSERT_NO_FATAL_FAILURE(open());
  Operator::Click(cfg->Text4);
  Operator::Commit("Ｅ");
  EXPECT_EQ(Settings.QslReceivedMarks[1], "E");
  EXPECT_EQ(stored("ORB", "QSL_RCV1"), "E");
  Operator::Click(cfg->Text2);  // HAMLOG's QSL mark, which the entry window would store as a blank
  Operator::Commit("Ｊ");
  EXPECT_EQ(cfg->Text2.text() + Settings.HamLogQslMark, "JJ");
  // A mark stored full-width before reads as the mark it stands for.
  WriteIni("ORB", "QSL_RCV2", "＊");
  WriteIni("ORB", "HamLogQSLMK", "Ｊ");
  ReadStartupSettings();
  EXPECT_EQ(Settings.QslReceivedMarks[2] + Settings.HamLogQslMark, "*J");
}

TEST_F(SettingsDialogTest, AltPSavesTheClipboardPicture) {
  ASSERT_NO_FATAL_FAILURE(open());
  QImage picture(8, 8, QImage::Format_RGB32);
  picture.fill(Qt::red);
  QGuiApplication::clipboard()->setImage(picture);
  int key = vbKeyP;
  cfg->Form_KeyDown(key, vbAltMask);
  EXPECT_TRUE(QFile::exists(home.file("GeneData/ORBEX_CFG.bmp")));
  EXPECT_TRUE(QGuiApplication::clipboard()->image().isNull()) << "the clipboard is emptied";
}

TEST_F(SettingsDialogTest, TheDisplayAndRigSettingsOpenFromTheDialog) {
  ASSERT_NO_FATAL_FAILURE(open());
  cfg->Command4.click();
  ASSERT_TRUE(IsLoaded<CFG>());
  EXPECT_TRUE(LoadedForm<CFG>()->isVisible());
  EXPECT_EQ(StartFlags.CfgFromSettings, 1) << "its OK leaves the sheet as it is";
  EXPECT_EQ(Cfg.CfgMode, 0);
  cfg->CallRigCFG.Trigger();
  ASSERT_TRUE(IsLoaded<RigCFG>());
  EXPECT_TRUE(LoadedForm<RigCFG>()->isVisible());
  // The window manager keeps it in front of the settings dialog that opened it.
  ASSERT_NE(LoadedForm<RigCFG>()->windowHandle(), nullptr);
  EXPECT_EQ(LoadedForm<RigCFG>()->windowHandle()->transientParent(), cfg->windowHandle());
}

TEST_F(SettingsDialogTest, AnOpenEntryWindowNamesTheDatabasePickedForIt) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(open());
  TEMP_LOG& entry = Form<TEMP_LOG>();
  const QString otherDir = home.file("HAMLOG2");
  ASSERT_TRUE(hamlogdb::Create(otherDir).Ok());
  const QString other = hamlogdb::DatabasePath(otherDir);

  FileDialogResponder files;
  files.Choose(other);
  cfg->Command6.click();
  EXPECT_EQ(stored("ORB", "HAMLOGPOS"), other);
  EXPECT_EQ(entry.windowTitle(), "ORBEX5ログ LogData=>" + other);
  for (CommandButton* b : {&entry.Command6, &entry.Command3, &entry.Command2, &entry.Command5})
    EXPECT_TRUE(b->isVisibleTo(&entry));

  UnloadForm<TEMP_LOG>();
  files.Choose(hdbPath);
  cfg->Command6.click();
  EXPECT_FALSE(IsLoaded<TEMP_LOG>()) << "a window not open is not opened for it";
}

TEST_F(SettingsDialogTest, TheSettingsFileOpensInTheEditor) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(open());
  ShellRecorder shell;
  cfg->Command5.click();
  EXPECT_EQ(shell.opened(), QStringList({home.file("ORBEX5.INI")}));
  EXPECT_TRUE(boxes.texts().isEmpty());

  shell.SetOpenResult(2);
  boxes.Answer(vbOK);
  cfg->Command5.click();
  EXPECT_EQ(boxes.texts(), QStringList({"環境ﾌｧｲﾙがOPEN出来ませんでした、" + home.file("ORBEX5.INI") +
                                        " をﾃｷｽﾄｴﾃﾞｨﾀで編集してください"}));
}

TEST_F(SettingsDialogTest, OpeningWithTheExtendedBandSetSwitchesNothing) {
  setUpOperator();
  set("ORB", "exp_Band", "1");
  set("ORB", "BANDST", "3");
  set("ORB", "BANDED", "12");
  home.write("GeneData/FreqError_Report.txt", "x");
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  top->Check1.SetValue(1);
  ASSERT_NO_FATAL_FAILURE(openFromMenu());
  EXPECT_EQ(cfg->Check6.Value(), 1);
  EXPECT_EQ(stored("ORB", "BANDST"), "3") << "the totals window's band range is kept";
  EXPECT_EQ(stored("ORB", "BANDED"), "12");
  EXPECT_TRUE(QFile::exists(home.file("GeneData/FreqError_Report.txt")));
  EXPECT_EQ(top->Check1.Value(), 1);

  cfg->Check6.click();
  EXPECT_EQ(stored("ORB", "exp_Band"), "0");
  EXPECT_EQ(BandLayout.KindColumn, BandLayoutState{}.KindColumn) << "the standard set";
  EXPECT_EQ(stored("ORB", "BANDST"), "");
  EXPECT_FALSE(QFile::exists(home.file("GeneData/FreqError_Report.txt")));
  EXPECT_EQ(top->Check1.Value(), 0);
}
