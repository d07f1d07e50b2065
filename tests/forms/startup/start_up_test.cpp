#include <QApplication>
#include <QDateTime>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProgressDialog>
#include <QTimer>
#include <sys/wait.h>
#include <unistd.h>

#include "app/StartProgram.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/SharedSettings.h"
#include "forms/startup/ORBEX_CFG.h"
#include "forms/startup/OrbexTips.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/ui/color.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "rig/RigPortState.h"
#include "sheet/WorkFileStamp.h"
#include "start_window_fixture.h"
#include "support/operator.h"
#include "support/other_process.h"
#include "support/qt_print.h"

namespace {

const QString kWelcome = QString::fromUtf8("ご利用ありがとうございます、まず環境設定をお願いします。");
const QString kIncomplete = QString::fromUtf8("環境設定が不完全です、HAMLOGﾃﾞｰﾀの指定漏れと思われます。");

// The exit code of a start that ends the program.
int EndedStart() {
  int exitCode = 0;
  EXPECT_FALSE(StartProgram(&exitCode));
  return exitCode;
}

}  // namespace

TEST_F(StartWindowTest, NormalStartShowsTheDatabaseAndTheTips) {
  setUpOperator();
  set("LASTCONDX", "QSL1", "P");
  set("LASTCONDX", "QSL2", "N");
  set("LASTCONDX", "SELMODE", "MIX");
  set("LASTCONDX", "STARTdate", "20000101");
  MsgBoxResponder boxes;  // any box would be a failure
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->windowTitle(), "ORBEX5    Ver 5.00");
  EXPECT_EQ(top->Label1.text(), "JA1ZZZ");
  EXPECT_EQ(top->Label5.text(), "HAMLOG.HDB = \r\n" + hdbPath);
  EXPECT_EQ(ForeColor(top->Label5), vbBlack);
  EXPECT_EQ(top->Label11.text(), "3");
  EXPECT_EQ(top->Label9.text(), QString::fromUtf8("ｶｳﾝﾀ"));
  EXPECT_EQ(top->Text1.text(), "P");
  EXPECT_EQ(top->Text2.text(), "N");
  EXPECT_EQ(top->Text6.text(), "MIX");
  EXPECT_EQ(top->Text7.text(), "20000101");
  EXPECT_EQ(top->Text8.text(), "20240501");
  EXPECT_EQ(top->Check1.Value(), 0) << "no work file yet";
  EXPECT_FALSE(top->Label13.isVisibleTo(top));
  EXPECT_EQ(stored("ORB", "DBSDate"), Settings.CurrentHdbDate);
  EXPECT_FALSE(Settings.CurrentHdbDate.isEmpty());
  EXPECT_EQ(stored("ORB", "IM"), "1");
  EXPECT_TRUE(QFile::exists(home.file("QSOBANK.url")));
  EXPECT_TRUE(MasterList.MasterFilePath.endsWith("MST"));
  EXPECT_EQ(RigPortState.PortName, "NONE");
  EXPECT_EQ(StartFlags.CfgFromSettings, 0);

  OrbexTips* tips = LoadedForm<OrbexTips>();
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(StartFlags.TipsMode, 1);
  EXPECT_EQ(StartFlags.TipsOnRequest, 0);
  EXPECT_EQ(tips->Label2.text(), "1");
  EXPECT_FALSE(tips->lblTipText.text().isEmpty());
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(StartWindowTest, NormalStartWarnings) {
  setUpOperator();
  hamlogLib.thdllVersion = 0x49900;
  set("ORB", "HL share", "1");
  QFile::remove(hamlogdb::MasterPath(hamlogDir));
  MsgBoxResponder boxes;
  boxes.Answer(vbOK).Answer(vbOK);
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.texts()[0], QString::fromUtf8("HAMLOGのバージョンが古いです、Ver5.00までは上げて下さい"));
  EXPECT_EQ(boxes.shown()[0].style, vbOKOnly | vbCritical);
  EXPECT_EQ(boxes.shown()[0].title, "ORBEX5");
  EXPECT_EQ(boxes.texts()[1], QString::fromUtf8("指定されたデータフォルダ ") + hamlogDir + "/ に\r\n" +
                                  QFileInfo(hdbPath).completeBaseName() + ".MST" +
                                  QString::fromUtf8("が必要です"));
  EXPECT_TRUE(top->Label13.isVisibleTo(top)) << "share mode on";
  EXPECT_EQ(hamlogLib.share, 1);
}

TEST_F(StartWindowTest, FirstRunAsksForTheSettingsAndStoresFirstConditions) {
  set("ORB", "HAMLOGexePOS", hamlogdb::ProgramPath(hamlogDir));
  set("ORB", "HAMLOGPOS", hdbPath);
  set("ORB", "WNTP", "3");
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(boxes.texts(), QStringList({kWelcome}));
  EXPECT_EQ(top->Label1.text(), QString::fromUtf8("設定を！"));
  EXPECT_EQ(stored("LASTCONDX", "QSL1"), "P");
  EXPECT_EQ(stored("LASTCONDX", "QSL2"), "");
  EXPECT_EQ(stored("LASTCONDX", "SELMODE"), "MIX");
  EXPECT_EQ(stored("ORB", "WNTP"), "1");
  EXPECT_EQ(top->Combo1.Text(), "MIX");
  ASSERT_TRUE(IsLoaded<OrbexTips>());
  EXPECT_EQ(StartFlags.TipsOnRequest, 1);
  ORBEX_CFG* cfg = LoadedForm<ORBEX_CFG>();
  ASSERT_NE(cfg, nullptr) << "the first run leads into the settings";
  EXPECT_TRUE(cfg->isVisible());
  EXPECT_TRUE(top->SETCFG.Enabled());
}

TEST_F(StartWindowTest, IncompleteSetupWithoutSettingsFile) {
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].startsWith(kIncomplete + "\r\n" +
                                          QString::fromUtf8("Hamlogw.exe や Hamlog.hdb の場所とかの指定")));
  EXPECT_EQ(top->Label1.text(), QString::fromUtf8("設定を！"));
  EXPECT_TRUE(QDir(home.file("GeneData")).exists());
  EXPECT_EQ(stored("DISPBAND_ITEM", "DBsat"), "1");
  EXPECT_EQ(stored("ORB", "IM"), "1");
  EXPECT_FALSE(IsLoaded<OrbexTips>());
  EXPECT_TRUE(IsLoaded<ORBEX_CFG>());
}

TEST_F(StartWindowTest, IncompleteSetupWithOldLibraryAndUnsetDatabase) {
  set("ORB", "MYCALL", "JA1ZZZ");
  set("ORB", "HAMLOGexePOS", hamlogdb::ProgramPath(hamlogDir));
  hamlogLib.thdllVersion = 0x49900;
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(boxes.texts()[0].startsWith(
      kIncomplete + "\r\n" + QString::fromUtf8("HAMLOGのバージョンが古いです、Ver5.00までは上げて下さい")));
  EXPECT_EQ(boxes.shown()[0].style, vbOKOnly | vbCritical);
  EXPECT_EQ(top->Label5.text(), QString::fromUtf8("HAMLOG.HDB の場所未登録"));
  EXPECT_EQ(ForeColor(top->Label5), vbRed);
  EXPECT_EQ(top->Label1.text(), "JA1ZZZ");
}

TEST_F(StartWindowTest, MissingDatabaseIsReportedAndTheSettingsKept) {
  setUpOperator();
  set("ORB", "HAMLOGPOS", home.file("nowhere/HAMLOG.HDB"));
  set("LASTCONDX", "QSL1", "X");
  set("LASTCONDX", "SELMODE", "CW");
  set("ORB", "WNTP", "3");
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains(home.file("nowhere/HAMLOG.HDB")));
  EXPECT_FALSE(boxes.texts()[0].startsWith(kWelcome));
  EXPECT_EQ(ForeColor(top->Label5), vbRed);
  EXPECT_EQ(stored("LASTCONDX", "QSL1"), "X");
  EXPECT_EQ(stored("LASTCONDX", "SELMODE"), "CW");
  EXPECT_EQ(stored("ORB", "WNTP"), "3");
  EXPECT_EQ(top->Label1.text(), "JA1ZZZ");
}

TEST_F(StartWindowTest, UnusableSettingIsNamedAndKept) {
  setUpOperator();
  set("RIG_CON_CFG", "Interval", "abc");
  set("LASTCONDX", "SELMODE", "CW");
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  ASSERT_NE(load(), nullptr);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains("[RIG_CON_CFG] Interval=abc"));
  EXPECT_EQ(stored("RIG_CON_CFG", "Interval"), "abc");
  EXPECT_EQ(stored("LASTCONDX", "SELMODE"), "CW");
  EXPECT_EQ(RigPortState.PostWriteWaitMs, 100);
}

TEST_F(StartWindowTest, MissingDefinitionFileEndsTheProgram) {
  QFile::remove(home.file(QString::fromUtf8("政令指定都市定義.txt")));
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(EndedStart(), 1) << "an end the operator did not ask for";
  EXPECT_EQ(LoadedForm<ORBTOP>(), nullptr);
  EXPECT_EQ(boxes.texts(), QStringList({QString::fromUtf8(
                               "政令指定都市定義ファイル (政令指定都市定義.txt) が存在しないか書式が正しく"
                               "ありません\r\nこの先進めませんので終了します")}));
  EXPECT_EQ(boxes.shown()[0].style, vbOKOnly | vbCritical);
  EXPECT_FALSE(QFile::exists(home.file("ORBEX5.INI")));
}

TEST_F(StartWindowTest, ASettingsFileSavedAsUtf8IsToldAndLeftAsItIs) {
  setUpOperator();
  const QByteArray ansi = home.read("ORBEX5.INI");
  const QByteArray utf8 = FromAnsi(ansi).toUtf8() + QString::fromUtf8("DataFol=C:\\ハムログ\\\r\n").toUtf8();
  for (const QByteArray& bytes : {utf8, QByteArray("\xEF\xBB\xBF") + ansi}) {
    home.write("ORBEX5.INI", bytes);
    MsgBoxResponder boxes;
    boxes.Answer(vbOK);
    EXPECT_EQ(EndedStart(), 1);
    EXPECT_EQ(LoadedForm<ORBTOP>(), nullptr);
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(home.file("ORBEX5.INI") +
                                            " は UTF-8 で保存されています。\r\n"
                                            "ORBEX5.INI は Windows-31J (Shift_JIS) で保存して下さい。"))
        << boxes.texts()[0].toStdString();
    EXPECT_FALSE(boxes.texts()[0].contains(QString::fromUtf8("設定が不完全です")));
    EXPECT_EQ(home.read("ORBEX5.INI"), bytes);
  }
  // The same settings in Windows-31J start as usual.
  home.write("ORBEX5.INI", ansi);
  set("ORB", "TopTips_DISP", "NO");
  MsgBoxResponder none;
  EXPECT_NE(load(), nullptr);
}

TEST_F(StartWindowTest, ASettingsFileThatIsAFolderIsNamedAndEndsTheProgram) {
  ASSERT_TRUE(QDir().mkdir(home.file("ORBEX5.INI")));
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(EndedStart(), 1);
  EXPECT_EQ(boxes.texts(), QStringList({home.file("ORBEX5.INI") +
                                        " がフォルダーなので設定を読み書きできません。\r\n"
                                        "このフォルダーの名前を変えるか別の場所へ移して下さい。\r\n"
                                        "この先進めませんので終了します"}));
  EXPECT_TRUE(QFileInfo(home.file("ORBEX5.INI")).isDir());
}

TEST_F(StartWindowTest, ADefinitionFileInUtf8IsNamedAndEndsTheProgram) {
  home.write(QString::fromUtf8("政令指定都市定義.txt"), QString::fromUtf8("横浜市,1101,19560901\r\n").toUtf8());
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(load(), nullptr);
  EXPECT_EQ(boxes.texts(), QStringList({QString::fromUtf8(
                               "政令指定都市定義ファイル (政令指定都市定義.txt) は UTF-8 で保存されています。\r\n"
                               "Windows-31J (Shift_JIS) で保存して下さい (このままでは市名が化けます)。\r\n"
                               "この先進めませんので終了します")}));
}

TEST_F(StartWindowTest, MalformedDefinitionNamesItsLine) {
  home.write(QString::fromUtf8("政令指定都市定義.txt"),
             ToAnsi(QString::fromUtf8("# 注釈\r\n横浜市,1101,19560901\r\n名古屋市,2001\r\n")));
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(load(), nullptr);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_EQ(boxes.texts()[0],
            QString::fromUtf8(
                "政令指定都市定義ファイル (政令指定都市定義.txt) の 2 行目(コメント行は除く)が異常です\r\n"
                "市名,ＪＣＣコード,発足日(yyyymmdd) が正しく区切られているか確認下さい。"));
  // A code that is no four-digit city code would take every code holding it.
  home.write(QString::fromUtf8("政令指定都市定義.txt"), ToAnsi(QString::fromUtf8("横浜市,11011101110111,19560901\r\n")));
  boxes.Answer(vbOK);
  EXPECT_EQ(load(), nullptr);
  EXPECT_TRUE(boxes.texts().last().contains(QString::fromUtf8(" の 1 行目(コメント行は除く)が異常です")));
}

TEST_F(StartWindowTest, SecondCopyEndsAtOnce) {
  setUpOperator();
  QLockFile first(home.file("ORBEX5.lock"));
  ASSERT_TRUE(first.tryLock(0));
  const QStringList before = QDir(home.path()).entryList(QDir::Files);
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(EndedStart(), 1);
  EXPECT_EQ(boxes.texts(), QStringList({"ORBEX5 は既に起動しています (" + home.file("ORBEX5.lock") +
                                        " を使用中)。\r\n起動している ORBEX5 をお使い下さい。"}));
  EXPECT_FALSE(IsLoaded<ORBTOP>());
  EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), before);
  first.unlock();

  MsgBoxResponder none;
  QCoreApplication::setApplicationVersion(QString());
  EXPECT_TRUE(StartProgram());
  EXPECT_TRUE(IsLoaded<ORBTOP>());
  // The version every window shows (the sheet's version box reads it), as the title gives it.
  EXPECT_EQ(QCoreApplication::applicationVersion(), "5.0.0");
  EXPECT_EQ(LoadedForm<ORBTOP>()->windowTitle(), "ORBEX5    Ver 5.00");
}

TEST_F(StartWindowTest, AProgramFolderThatTakesNoFileIsToldAndTheProgramEndsWithAnError) {
  // A plain file where the program folder's parent should be: no file can be made in it, as in a
  // read-only or full folder.
  const QString blocker = home.write("blocker", "x");
  const QByteArray previous = qgetenv("ORBEX_HOME");
  qputenv("ORBEX_HOME", (blocker + "/ORBEX5").toUtf8());
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  const int exitCode = EndedStart();
  qputenv("ORBEX_HOME", previous);
  EXPECT_EQ(exitCode, 1);
  EXPECT_FALSE(IsLoaded<ORBTOP>());
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].startsWith("プログラムフォルダー\r\n" + blocker +
                                          "/ORBEX5\r\nにファイルを作れないので起動できません ("))
      << boxes.texts()[0].toStdString();
}

TEST_F(StartWindowTest, LockLeftByACrashDoesNotKeepTheOperatorOut) {
  setUpOperator();
  set("ORB", "TopTips_DISP", "NO");
  // What a copy that crashed on another host name (a renamed machine, a container) leaves behind.
  QFile lock(home.file("ORBEX5.lock"));
  ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
  lock.write("4194301\norbex5\nsome-other-host\n");
  lock.flush();
  lock.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime);
  lock.close();
  // ... and what it was writing: a journal's scratch file of its own goes; the operator's copies of the
  // books, files of another program where the journal and the old copy of the log go, stay.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const QString scratch = QString("HAMLOG.jnl.~orbex5.%1.1").arg(gone);
  const QStringList kept = QString::fromUtf8(
                               "ORB-MIX前回申請数.DAT.myCopy ORBEX_整理簿.txt.OldVer ORBEX_BOOK.CSV.SaveMe "
                               "orb-mix前回申請数.dat.KeepMe ORBEX_BOOK.CSV.backup ORB-CW.DAT.copy01 "
                               "ORBEX_BOOK.CSV.~ORBEX5.%1.1")
                               .arg(gone)
                               .split(' ');
  for (const QString& name : kept) home.write(name, "x");
  for (const QString& name : {QString("HAMLOG.jnl"), QString("HAMLOG.HDB.pack"), scratch})
    home.write("HAMLOG/" + name, "my own notes\n");
  // The file in the journal's place is named, with what to do about it.
  MsgBoxResponder named;
  named.Answer(vbOK).Answer(vbOK);
  EXPECT_TRUE(StartProgram());
  EXPECT_TRUE(IsLoaded<ORBTOP>());
  for (const QString& name : kept) EXPECT_TRUE(QFile::exists(home.file(name))) << name.toStdString();
  EXPECT_EQ(QDir(hamlogDir).entryList({"*.jnl*", "*.pack"}), QStringList({"HAMLOG.HDB.pack", "HAMLOG.jnl"}));
  UnloadForm<ORBTOP>();
  ReleaseProgramLock();

  // A copy that crashed right after it made the file, before writing its name into it: no wait. A FIFO
  // in the journal's place is named and left, never opened.
  QFile fresh(home.file("ORBEX5.lock"));
  ASSERT_TRUE(fresh.open(QIODevice::WriteOnly));
  fresh.close();
  const QString journal = hamlogDir + "/HAMLOG.jnl";
  ASSERT_TRUE(QFile::remove(journal));
  ASSERT_EQ(mkfifo(QFile::encodeName(journal).constData(), 0600), 0);
  EXPECT_TRUE(StartProgram());
  EXPECT_TRUE(IsLoaded<ORBTOP>());
  ASSERT_EQ(named.texts().size(), 2);
  EXPECT_TRUE(named.texts()[0].startsWith(journal + QString::fromUtf8(" はこのプログラムのジャーナルではない")));
  EXPECT_TRUE(named.texts()[1].startsWith(journal + QString::fromUtf8(" は普通のファイルではない")));
  EXPECT_TRUE(QFileInfo(journal).exists());
}

// A journal the last run left, while another program locks the log: the wait shows in a window of its
// own, Esc ends it, one box names the lock, no second wait. Once the lock is let go, the next start keeps
// the journal (its check fails) aside and names it once, though a work file has it look into the log first.
TEST_F(StartWindowTest, AJournalOfTheLastRunIsFinishedOrNamedAtTheStartWithItsWaitShown) {
  setUpPreviousReading();
  set("ORB", "DBSStampLog", "the log before the write");
  set("ORB", "DBSLogPrint", "3:" + QString(32, '0') + ":" + QString(32, '0') + ":b2");
  QByteArray log, left;
  ASSERT_TRUE(ReadWholeFile(hdbPath, log));
  const QByteArray journal = "OXPAK002" + QByteArray(4, '\0') + log.mid(20, 4) + QByteArray(60, '\x01');
  const QString jnl = home.write("HAMLOG/HAMLOG.jnl", journal);
  const int fd = LockAsAnotherProgram(hdbPath);
  ASSERT_GE(fd, 0);
  QStringList waits;  // the wait window's text, each time it shows; Esc to the keyboard then
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* wait = qobject_cast<QProgressDialog*>(w); wait && wait->isVisible() && !wait->labelText().isEmpty())
        return waits << wait->labelText(), Operator::Key(Qt::Key_Escape);
  });
  look.start(10);
  MsgBoxResponder boxes;
  boxes.Answer(vbOK).Answer(vbOK);
  EXPECT_TRUE(StartProgram());
  ::close(fd);
  EXPECT_EQ(waits,
            QStringList{hdbPath +
                        "\r\nを他のプログラムがロック中。\r\n待っています (Esc で中止) 0 秒 (30 秒まで)"});
  EXPECT_EQ(
      boxes.texts(),
      QStringList{hdbPath +
                  " を他のプログラムがロックしていて、前回途中で終わった書き込みを仕上げられません。\r\n"
                  "そのプログラムが HAMLOG.HDB を放した後、次に HAMLOG.HDB を使うときに仕上げます"});
  EXPECT_TRUE(ReadWholeFile(jnl, left) && left == journal);
  UnloadForm<ORBTOP>();
  ReleaseProgramLock();

  EXPECT_TRUE(StartProgram());
  const QString named = boxes.texts().value(1);
  EXPECT_TRUE(named.startsWith(jnl + " は QSO の削除の途中で残ったこのプログラムのジャーナルですが、壊れているので") &&
              named.endsWith("最後に行った QSO の削除が " + hdbPath + " に入っているか確かめてから、" + jnl + ".damaged を削除して下さい"));
  EXPECT_EQ(boxes.texts().size(), 2);
  EXPECT_FALSE(QFile::exists(jnl));
}

TEST(StartWindowCaption, VersionDigits) {
  EXPECT_EQ(StartWindowCaption(1, 18, 0), "ORBEX5    Ver 1.18");
  EXPECT_EQ(StartWindowCaption(5, 3, 10), "ORBEX5    Ver 5.03A");
}

TEST_F(StartWindowTest, ClosingDeletesTheWorkFilesButKeepsTheProgressData) {
  setUpOperator();
  set("ORB", "TopTips_DISP", "NO");
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  const QStringList work = {"FOREXCEL.DAT", "FOREXCELsp.DAT", "ORBEX_MEMO.TXT",
                            "DMYMST.dat",   "DMYSBMST.dat",   "dmyQTHdata.dat"};
  for (const QString& name : work + QStringList{"DMYDBS.DAT"}) home.write(name, "x\r\n");
  EXPECT_TRUE(top->Unload(vbFormControlMenu));
  for (const QString& name : work) EXPECT_FALSE(QFile::exists(home.file(name))) << name.toStdString();
  EXPECT_TRUE(QFile::exists(home.file("DMYDBS.DAT")));
}

TEST_F(StartWindowTest, ClosedByTheProgramLeavesTheWorkFiles) {
  setUpOperator();
  set("ORB", "TopTips_DISP", "NO");
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  home.write("DMYMST.dat", "x\r\n");
  EXPECT_TRUE(top->Unload(vbFormCode));
  EXPECT_TRUE(QFile::exists(home.file("DMYMST.dat")));
}

TEST_F(StartWindowTest, FailedMasterSortUnticksPreviousData) {
  setUpOperator();
  set("ORB", "TopTips_DISP", "NO");
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  top->Check1.SetValue(1);
  ASSERT_TRUE(MasterList.ClearStartWithPreviousData);
  MasterList.ClearStartWithPreviousData();
  EXPECT_EQ(top->Check1.Value(), 0);
  EXPECT_EQ(StartFlags.StartWithPreviousData, 0);
}

TEST_F(StartWindowTest, PreviousDataOnlyWhileTheWorkFileMatchesTheLog) {
  setUpPreviousReading();
  ORBTOP* top = load();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->Check1.Value(), 1);
  EXPECT_EQ(StartFlags.StartWithPreviousData, 1);

  UnloadAllForms();
  MsgBoxResponder boxes;
  for (const char* damaged : {"cut short\r\n", "previous readinG\r\n"}) {
    home.write("DMYDBS.DAT", damaged);
    boxes.Answer(vbOK);
    EXPECT_EQ(load()->Check1.Value(), 0) << "not the work file that was completed: " << damaged;
    UnloadAllForms();
  }
  ASSERT_EQ(boxes.texts().size(), 2);
  EXPECT_TRUE(boxes.texts()[1].contains(
      QString::fromUtf8("DMYDBS.DAT は前回の読込の後で書き換えられたか壊れています")))
      << boxes.texts()[1].toStdString();

  UnloadAllForms();
  home.write("DMYDBS.DAT", "previous reading\r\n");
  ASSERT_EQ(load()->Check1.Value(), 1);
  UnloadAllForms();
  const QString more =
      home.write("more.csv",
                 "\"JA4DDD\",\"2023/05/01\",\"10:00J\",\"59\",\"59\",\"7.045\",\"SSB\",\"3001\",\"\",\"J *\","
                 "\"\",\"\",\"\",\"\"\r\n");
  ASSERT_TRUE(hamlogdb::Import(hamlogDir, more).Ok());
  EXPECT_EQ(load()->Check1.Value(), 0) << "a QSO logged since";
  EXPECT_EQ(StartFlags.StartWithPreviousData, 0);
}
