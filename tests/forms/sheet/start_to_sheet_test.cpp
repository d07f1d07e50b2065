// From the start window's button to the filled sheet and back, as the operator goes through it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QSet>
#include <QTimeZone>
#include <QTimer>

#include "app/StartProgram.h"
#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/HamlogAccess.h"
#include "core/MasterTable.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/ORBBOOK.h"
#include "forms/awards/ORBTOTAL1.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/ORBEX_CFG.h"
#include "forms/startup/ORBTOP.h"
#include "hamlogdb/hamlogdb.h"
#include "hamlogdb/tool_support.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/hamlog/db_lock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/ui/responders.h"
#include "platform/ui/testhooks.h"
#include "rig/RigPortState.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStamp.h"
#include "sheet/WorkFileStore.h"
#include "support/operator.h"
#include "support/other_process.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"
#include "support/small_disk.h"
#include "support/waits.h"

namespace {

struct StartToSheetTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;

  void SetUp() override {
    SetUiFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *", "JA1AAB,2020/01/02,14.050,CW,1002,J  "});
    QFile definitions(QStringLiteral(ORBEX_DATA_DIR "/home/政令指定都市定義.txt"));
    ASSERT_TRUE(definitions.open(QIODevice::ReadOnly));
    log.home.write("政令指定都市定義.txt", definitions.readAll());
    const QString ini = log.home.file("ORBEX5.INI");
    WritePrivateProfileString("ORB", "MYCALL", "JA1ZZZ", ini);
    WritePrivateProfileString("ORB", "HAMLOGexePOS", hamlogdb::ProgramPath(log.dir), ini);
    WritePrivateProfileString("ORB", "HAMLOGPOS", log.Hdb(), ini);
    ResetSharedState();
    ASSERT_NE(start(), nullptr);
  }
  void TearDown() override {
    UnloadAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ReleaseProgramLock();
    StartWindowHooks = {};
    SetUiFailureReporter({});
    ResetClock();
    ResetSharedState();
  }
  ORBTOP* start() {
    Form<ORBTOP>();
    ORBTOP* top = LoadedForm<ORBTOP>();
    if (top) top->Show();
    return top;
  }
  ORBTOP& top() { return *LoadedForm<ORBTOP>(); }
  void pressStart() {
    top().Command1.click();
    QCoreApplication::processEvents();
  }
  // The texts of the counter line all the reading long.
  QSet<QString> pressStartWatchingTheCounter() {
    QSet<QString> counter;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { counter << top().Label9.text(); });
    StartWindowHooks.ShowProgressSheet = [&] {
      watch.start(0);
      Form<CWSHEET>().Show();
      watch.stop();
      return IsLoaded<CWSHEET>();
    };
    pressStart();
    StartWindowHooks.ShowProgressSheet = {};
    return counter;
  }
};

TEST_F(StartToSheetTest, EachWindowsHelpOpensItsShippedPageAndAMissingPageIsTold) {
  QDir().mkpath(log.home.file("help"));  // as the first start seeds the program folder
  for (const QFileInfo& f : QDir(QStringLiteral(ORBEX_DATA_DIR "/home/help")).entryInfoList(QDir::Files))
    QFile::copy(f.filePath(), log.home.file("help/" + f.fileName()));
  ShellRecorder shell;
  top().hlp.Trigger();
  top().SETCFG.Trigger();
  LoadedForm<ORBEX_CFG>()->CFGHLP.Trigger();
  pressStart();
  for (Menu* m : {&LoadedForm<CWSHEET>()->HELP, &LoadedForm<CWSHEET>()->SYUDSP, &Form<ORBTOTAL1>().CNTHELP,
                  &Form<ORBTOTAL1>().ORBBK, &Form<ORBBOOK>().CNTHELP})
    m->Trigger();
  QStringList titles;
  for (const QString& page : shell.opened())
    titles << QString::fromUtf8(log.home.read("help/" + QFileInfo(page).fileName())).section("<h1>", 1).section("</h1>", 0, 0);
  EXPECT_EQ(titles, QStringList({"The start window", "環境設定 (settings)", "The progress sheet",
                                 "ORB 集計表 (totals)", "ORB本用 集計 (application book)"}));
  QFile::remove(log.home.file("help/sheet.html"));
  boxes.Answer(vbOK);
  LoadedForm<CWSHEET>()->HELP.Trigger();
  EXPECT_EQ(boxes.texts().last(), "ヘルプのページ " + log.home.file("help/sheet.html") + " がありません。");
  ASSERT_TRUE(QDir().mkdir(log.home.file("help/sheet.html")));
  boxes.Answer(vbOK);
  LoadedForm<CWSHEET>()->HELP.Trigger();
  EXPECT_EQ(boxes.texts().last(), "ヘルプのページ " + log.home.file("help/sheet.html") +
                                      " はフォルダーです。ページのファイルに置き換えて下さい。");
}

TEST_F(StartToSheetTest, ABandSetSwitchClosesTheViewsOfTheOtherSetAndTheNextReadingShowsTheNewOne) {
  top().SETCFG.Trigger();
  ORBEX_CFG& cfg = *LoadedForm<ORBEX_CFG>();
  StartWindowHooks.ShowProgressSheet = [&] {  // while the reading runs, the set it reads with stays
    boxes.Answer(vbOK);
    Operator::Click(cfg.Check6);
    return false;
  };
  Operator::Click(top().Command1);
  EXPECT_EQ(boxes.texts().value(0), "読み込みや出力の処理中はバンド構成を切り替えられません。\r\n"
                                    "処理が終わってから切り替えて下さい。");
  EXPECT_EQ(cfg.Check6.Value() + Settings.ExtendedBandSet, 0);
  StartWindowHooks = {};
  Operator::Click(top().Command1);
  LoadedForm<CWSHEET>()->SYUDSP.Trigger();
  boxes.Answer(vbOK);
  Operator::Click(cfg.Check6);
  EXPECT_EQ(boxes.texts().value(1), "バンド構成を切り替えるため、前のバンド構成で開いていた次の画面を閉じました。\r\n"
                                    "  進捗シート (集計表、ORB本など)\r\n「読み込み開始」やメニューから開き直して下さい。");
  EXPECT_FALSE(IsLoaded<CWSHEET>() || IsLoaded<ORBTOTAL1>());
  EXPECT_TRUE(top().isVisible() && cfg.isVisible());
  EXPECT_EQ(top().Check1.Value(), 0);  // the work file was read in the other set

  Operator::Click(top().Command1);
  FlexGrid& g = LoadedForm<CWSHEET>()->MSFlexGrid2;
  int row = 1;
  while (row < g.Rows() && !g.TextMatrix(row, 1).startsWith("1002")) ++row;
  EXPECT_EQ(g.TextMatrix(0, 21) + g.TextMatrix(row, 7) + g.TextMatrix(row, 9) + g.TextMatrix(row, 21), "475kHzCW");
  EXPECT_EQ(g.Cols() * 100 + g.ColWidth(27), 2900);  // the kind letters stay hidden
  LoadedForm<CWSHEET>()->SYUDSP.Trigger();
  FlexGrid& t = Form<ORBTOTAL1>().MSFlexGrid1;
  EXPECT_EQ(t.TextMatrix(0, 18), "475kHz");
  for (int r = 1; r < t.Rows(); ++r) EXPECT_TRUE(t.TextMatrix(r, 18) == "0" || t.TextMatrix(r, 18).isEmpty()) << r;
}

TEST_F(StartToSheetTest, StartReturnAndStartFromThePreviousData) {
  pressStart();
  ASSERT_TRUE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(LoadedForm<CWSHEET>()->isVisible());
  EXPECT_FALSE(top().isVisible());
  EXPECT_EQ(MasterTable(kCol7, kRow1002), "C");
  EXPECT_FALSE(LoadedForm<CWSHEET>()->MKACA.Enabled()) << "no ACA list of a period over several years";

  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  QCoreApplication::processEvents();
  EXPECT_FALSE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(top().isVisible());
  EXPECT_EQ(top().Check1.Value(), 1);  // HAMLOG.HDB unchanged since the reading
  EXPECT_EQ(StartFlags.StartWithPreviousData, 1);
  EXPECT_EQ(top().Label9.text(), "ｶｳﾝﾀ");
  EXPECT_TRUE(top().Command1.isEnabled());

  // A card entered in HAMLOG while the start window shows: the press reads the log whole, and says so.
  {
    hamlogdb::OpenedLog hamlog;
    ASSERT_TRUE(hamlog.Open(log.dir).Ok());
    ASSERT_EQ(hamlog.Db().PutQslMark(2, 2, '*'), HAMLOG_OK);  // JA1AAB on 14 MHz
  }
  const QSet<QString> counter = pressStartWatchingTheCounter();
  EXPECT_EQ(QStringList(counter.values()).filter("HAMLOG変更あり 全件読込中").size(), counter.size());
  EXPECT_TRUE(counter.contains("HAMLOG変更あり 全件読込中 2/2"));
  EXPECT_EQ(MasterTable(kCol14, kRow1002), "C");
  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  EXPECT_EQ(top().Check1.Value(), 1);

  // From the previous data: HAMLOG is not read again.
  SheetTally.ReadPosition = 0;
  pressStart();
  ASSERT_TRUE(IsLoaded<CWSHEET>());
  EXPECT_EQ(SheetTally.ReadPosition, 0);

  // A QSO logged meanwhile: the return leaves the box unticked.
  log.Add({"JA1AAC,2020/01/03,21.050,CW,1002,J *"});
  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  EXPECT_EQ(top().Check1.Value(), 0);
  EXPECT_EQ(StartFlags.StartWithPreviousData, 0);
  for (auto [box, date] : {std::pair{&top().Text7, "20200101"}, {&top().Text8, "20201231"}}) {
    Operator::DoubleClick(*box);
    Operator::Type(date);
  }
  pressStart();
  EXPECT_TRUE(LoadedForm<CWSHEET>()->MKACA.Enabled()) << "a period within one year";
  // The append reads up to today, which carries the reading into the next year.
  SetFixedClock(QDateTime(QDate(2021, 1, 5), QTime(12, 0), QTimeZone(9 * 3600)));
  log.Add({"JA1AAD,2021/01/04,7.025,CW,1002,J *"});
  boxes.Answer(vbOK);
  LoadedForm<CWSHEET>()->HLAPD.Trigger();
  EXPECT_FALSE(LoadedForm<CWSHEET>()->MKACA.Enabled()) << "a period over two years after the append";
}

// Data an earlier version kept, whose bands came from the first characters alone ("146.520" on 14 MHz),
// are not offered, and ticked by hand they are not used: the log is read whole and the counter says so.
// The previous data of today's rule bring their reading's frequency report back with them.
TEST_F(StartToSheetTest, DataOfTheEarlierBandRuleTickedByHandAreReadAnew) {
  ShellRecorder shell;
  log.Add({"JA1AAC,2020/01/03,146.520,FM,1002,J *", "JA1AAD,2020/01/04,4.630,CW,1002,J *"});
  const int col144 = BandColumnOfLabel("144");
  pressStart();
  const auto report = [] {
    QFile f(JoinPath(Settings.DataFolder, "FreqError_Report.txt"));
    return f.open(QIODevice::ReadOnly) ? FromAnsi(f.readAll()) : QString();
  };
  const QString reported = report();
  EXPECT_TRUE(reported.contains("4.630")) << reported.toStdString();
  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  ASSERT_EQ(top().Check1.Value(), 1);
  pressStart();
  EXPECT_EQ(report(), reported);

  // The work file as the earlier version left it, completed and stamped, with its print unmarked.
  QByteArray lines = log.home.read("DMYDBS.DAT");
  for (qsizetype at = 7; at < lines.size(); at += kDmyDbsRecordBytes)
    if (lines.mid(at, 4) == "144 ") lines.replace(at, 4, "14  ");
  log.home.write("DMYDBS.DAT", lines);
  RecordWorkFileComplete();
  const QString print = ReadIni("ORB", "DBSLogPrint");
  WriteIni("ORB", "DBSLogPrint", print.left(print.lastIndexOf(':')));
  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  EXPECT_EQ(top().Check1.Value(), 0);
  Operator::Click(top().Check1);
  ASSERT_EQ(top().Check1.Value(), 1);
  const QSet<QString> counter = pressStartWatchingTheCounter();
  EXPECT_TRUE(counter.contains("前回データ不可 全件読込中 4/4"))
      << QStringList(counter.values()).join('|').toStdString();
  EXPECT_EQ(MasterTable(kCol14, kRow1002) + MasterTable(col144, kRow1002), "WC");
  EXPECT_EQ(report(), reported);
  // Read by today's rule, the data are offered again.
  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  EXPECT_EQ(top().Check1.Value(), 1);
}

TEST_F(StartToSheetTest, DesignatedCitiesEditedWhileTheProgramRunsCountFromTheNextReading) {
  Operator::Click(top().Command1);
  EXPECT_EQ(MasterTable(kCol7, kRow1002), "C");
  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  const QByteArray definitions = log.home.read("政令指定都市定義.txt");
  log.home.write("政令指定都市定義.txt", definitions + ToAnsi(QString::fromUtf8("テスト市,1002,19000101\r\n")));
  Operator::Click(top().Command1);  // from the previous data
  ASSERT_TRUE(IsLoaded<CWSHEET>());
  EXPECT_EQ(MasterTable(kCol7, kRow1002), "") << "a designated city counts by its wards";
  LoadedForm<CWSHEET>()->RTNMN.Trigger();
  // A definition the reading cannot use: said, no reading, the definitions before stay.
  log.home.write("政令指定都市定義.txt", definitions + ToAnsi(QString::fromUtf8("テスト市,1002\r\n")));
  boxes.Answer(vbOK);
  Operator::Click(top().Command1);
  EXPECT_FALSE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(boxes.texts().value(0).contains(QString::fromUtf8("行目(コメント行は除く)が異常です")));
  EXPECT_TRUE(IsDesignatedCityCode("1002"));
}

// A reading of a period nothing was logged in: the next append reads from the first record.
TEST_F(StartToSheetTest, AnAppendAfterAReadingThatTookNoQsoTakesTheQsosLoggedSince) {
  SetFixedClock(QDateTime(QDate(2026, 12, 20), QTime(12, 0), QTimeZone(9 * 3600)));
  for (auto [box, date] : {std::pair{&top().Text7, "20261201"}, {&top().Text8, "20261220"}}) {
    Operator::DoubleClick(*box);
    Operator::Type(date);
  }
  pressStart();
  log.Add({"JA1FMA,2026/12/10,7.025,FM,1002,J *", "JA1FMB,2026/12/11,21.050,FM,1002,J  "});
  boxes.Answer(vbOK);
  LoadedForm<CWSHEET>()->HLAPD.Trigger();
  EXPECT_EQ(boxes.texts().size(), 1) << boxes.texts().join('|').toStdString();
  EXPECT_EQ(MasterTable(kCol7, kRow1002) + MasterTable(kCol21, kRow1002), "CW");
}

// A work file the full program folder could not take leaves its QSO to the next reading: once there is
// room, the append again or the previous data after the return picks it up.
TEST_F(StartToSheetTest, AWorkFileThatCouldNotBeWrittenLeavesItsQsoToTheNextReading) {
  SmallDisk disk(2048);
  if (!disk.Available()) GTEST_SKIP() << disk.Why().toStdString();
  UnloadAllForms();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ReleaseProgramLock();
  for (const char* name : {"ORBEX5.INI", "政令指定都市定義.txt"})
    ASSERT_TRUE(QFile::copy(log.home.file(name), disk.file(name)));
  qputenv("ORBEX_HOME", QFile::encodeName(disk.path()));
  ResetSharedState();
  ASSERT_NE(start(), nullptr);
  pressStart();
  for (const QString call : {"JA1NEW", "JA1NEX"}) {
    SCOPED_TRACE(call.toStdString());
    log.Add({call + ",2021/05/05,21.010,CW,1002,J *"});
    disk.Fill();
    boxes.Answer(vbOK).Answer(vbOK);
    LoadedForm<CWSHEET>()->HLAPD.Trigger();
    // The file goes to disk after the sheet shows the QSO, on threads that a loaded machine may
    // still be running when the sheet is done.
    const QString full = DmyDbsPath().chopped(3) + "new を書き込めません（ディスクに空き";
    const auto told = [&] { return !boxes.texts().isEmpty() && boxes.texts().last().startsWith(full); };
    EXPECT_TRUE(WaitUntil(told)) << boxes.texts().join(" | ").toStdString();
    disk.Free();
    if (call == "JA1NEX") {  // back to the start window, and the previous data ticked by hand
      LoadedForm<CWSHEET>()->RTNMN.Trigger();
      Operator::Click(top().Check1);
      pressStart();
    }
    const qsizetype shown = boxes.texts().size();
    boxes.Answer(vbOK);
    LoadedForm<CWSHEET>()->HLAPD.Trigger();
    EXPECT_EQ(boxes.texts().size(), shown + 1) << boxes.texts().last().toStdString();
    SettleWorkFile();
    QFile work(DmyDbsPath());
    ASSERT_TRUE(work.open(QIODevice::ReadOnly));
    EXPECT_TRUE(work.readAll().contains(QByteArray::number(Hamlog.HdbRecordCount).rightJustified(10, '0') +
                                        "20210505"));
    EXPECT_EQ(ReadIni("ORB", "LASTP"), QString::number(Hamlog.HdbRecordCount));
    EXPECT_EQ(MasterTable(kCol21, kRow1002), "C");
  }
  UnloadAllForms();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  qputenv("ORBEX_HOME", QFile::encodeName(log.home.path()));
}

TEST_F(StartToSheetTest, EscOnTheStartWindowStopsTheReading) {
  ASSERT_TRUE(hamlogdb::Generate(log.dir, 20000, 3).Ok());
  UnloadForm<ORBTOP>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ReleaseProgramLock();
  ASSERT_NE(start(), nullptr);
  QTimer esc;
  QObject::connect(&esc, &QTimer::timeout, [] {
    ORBTOP* t = LoadedForm<ORBTOP>();
    if (t && SheetTally.ReadPosition > 0 && StartFlags.AbortReading == 0) {
      int key = vbKeyEscape;
      t->Form_KeyDown(key, 0);
    }
  });
  esc.start(0);
  boxes.Answer(vbOK);
  pressStart();
  esc.stop();
  EXPECT_EQ(boxes.texts(), QStringList{"処理が中断されました"});
  EXPECT_FALSE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(top().isVisible());
  EXPECT_FALSE(QFile::exists(log.WorkFile()));
}

// "読み込み開始" while a dBase writer of its own process holds the log locked: the reading waits, shown in a
// window of its own (the start window has no status bar) that names the log and the process; Esc ends it
// with nothing read, the box naming them too; let go during the wait, the reading runs.
TEST_F(StartToSheetTest, TheReadingWaitsForAnotherProgramsWriteLockShownUntilEscOrItsEnd) {
  for (const bool esc : {true, false}) {
    LockInOtherProcess dBase(log.Hdb());
    ASSERT_TRUE(dBase.Held());
    const QString holder =
        QString("プロセス %1 %2").arg(dBase.Process()).arg(hamlog::ProcessName(dBase.Process()));
    QString waited;
    WhenShown(
        [&] {
          for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* wait = qobject_cast<QProgressDialog*>(w); wait && wait->isVisible())
              waited = wait->labelText();
          return !waited.isEmpty();
        },
        [&] { esc ? Operator::Key(Qt::Key_Escape) : dBase.Release(); });
    if (esc) boxes.Answer(vbOK);
    Operator::Click(top().Command1);
    EXPECT_EQ(waited,
              log.Hdb() + "\r\nを" + holder + " がロック中。\r\n待っています (Esc で中止) 0 秒 (30 秒まで)");
    EXPECT_EQ(IsLoaded<CWSHEET>(), !esc);
    EXPECT_EQ(QFile::exists(log.WorkFile()), !esc);
    if (esc) {
      EXPECT_EQ(boxes.texts(), QStringList{log.Hdb() + " を他のプログラム (" + holder +
                                           ") がロックしていて、待つのをやめました。何も読み込んでいません"});
    }
  }
  EXPECT_EQ(boxes.texts().size(), 1);
}

TEST_F(StartToSheetTest, AFolderOrNoPlaceWhereHamlogsFilesBelongIsNamedWithTheCause) {
  // HAMLOG.HDB a folder, then no place set for it: told so at the start and at the start button.
  for (const QString& place : {log.Hdb(), QString()}) {
    UnloadAllForms();
    ReleaseProgramLock();
    WritePrivateProfileString("ORB", "HAMLOGPOS", place, log.home.file("ORBEX5.INI"));
    QFile::remove(place);
    QDir().mkdir(place);
    boxes.Answer(vbOK).Answer(vbOK);
    start();
    pressStart();
    for (const QString& said : boxes.texts().mid(boxes.texts().size() - 2))
      EXPECT_TRUE(said.contains(place.isEmpty() ? "HAMLOG.HDB の場所 ([ORB] HAMLOGPOS) が正しくありません" : place + " を開けません（同じ名前のフォルダーがあります）。"));
  }
}

}  // namespace
