// The sheet window as the operator meets it: the grid after the load, the band views, the notice
// frame, the load's failure messages, and what the exits and the return leave on disk.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMenuBar>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/LookupWindows.h"
#include "forms/lookup/newCODE_LIST.h"
#include "forms/sheet/CFG.h"
#include "forms/sheet/CWSHEET.h"
#include "hamlogdb/hamlogdb.h"
#include "hamlogdb/tool_support.h"
#include "logbook/LogWindowState.h"
#include "lookup/DxccTable.h"
#include "outputs/AwardLists.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/hamlog/db_lock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/ipc/ipc.h"
#include "platform/ui/doevents.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "sheet/DmyDbsLine.h"
#include "sheet/SheetFill.h"
#include "sheet/SheetTally.h"
#include "sheet/WorkFileStamp.h"
#include "sheet/WorkFileStore.h"
#include "support/captions.h"
#include "support/companion.h"
#include "support/cty_csv.h"
#include "support/operator.h"
#include "support/other_process.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"
#include "support/waits.h"

#include <signal.h>
#include <unistd.h>

namespace {

struct CWSHEETTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;

  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *", "JA1AAB,2020/01/02,14.050,CW,1002,J  ",
             "JA1AAC,2020/01/03,7.030,CW,1001,J *", "JA0AAA,2020/03/01,435/145,FM,0901,J E"});
    log.Prepare();
  }
  void TearDown() override { CloseSheetAndResetState(); }
  CWSHEET& sheet() { return Form<CWSHEET>(); }
  CWSHEET& shown() {
    sheet().Show();
    return sheet();
  }
  // What the operator can see of a filled sheet and what its files hold: the grid, the QSO behind each
  // cell, the counts a QTH click shows, the totals, the Tokyo wards' QSOs, the work file and LASTP.
  struct SheetState {
    QStringList grid, recordNumbers;
    std::vector<int32_t> counts, totals, wards;
    QByteArray workFile;
    QString lastp;
  };
  // Names the first difference.
  static void expectSame(const SheetState& got, const SheetState& want) {
    auto first = [](const auto& a, const auto& b) {
      const qsizetype n = std::min<qsizetype>(a.size(), b.size());
      for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i]) return i;
      return a.size() == b.size() ? qsizetype(-1) : n;
    };
    const qsizetype cellAt = first(got.grid, want.grid);
    EXPECT_EQ(cellAt, -1) << "grid cell " << got.grid.value(cellAt).toStdString() << " / "
                          << want.grid.value(cellAt).toStdString();
    EXPECT_EQ(first(got.recordNumbers, want.recordNumbers), -1) << "QSO behind a cell";
    EXPECT_EQ(first(got.counts, want.counts), -1) << "QSO count";
    EXPECT_EQ(got.totals, want.totals);
    EXPECT_EQ(got.wards, want.wards);
    EXPECT_EQ(first(got.workFile, want.workFile), -1) << "work file byte";
    EXPECT_EQ(got.lastp, want.lastp);
  }
  SheetState state() {
    SheetState st;
    FlexGrid& g = sheet().MSFlexGrid2;
    for (int r = 0; r < g.Rows(); ++r)
      for (int c = 0; c < g.Cols(); ++c) st.grid << g.TextMatrix(r, c);
    for (int r = 1; r <= SheetTally.GridDataRows; ++r)
      for (int c = 5; c <= BandLayout.LastBandColumn; ++c) {
        st.recordNumbers << SheetTally.GridCellRecordNumbers(c, r);
        st.counts.push_back(SheetTally.CellQsoCounts(c, g.TextMatrix(r, 0).toInt()));
      }
    const BandTotalsState& t = BandTotals;
    for (const auto* kind : {&t.CityWorked, &t.CityConfirmed, &t.GunWorked, &t.GunConfirmed, &t.WardWorked,
                             &t.WardConfirmed, &t.TownWorked, &t.TownConfirmed, &t.VillageWorked,
                             &t.VillageConfirmed, &t.DxWorked, &t.DxConfirmed})
      st.totals.insert(st.totals.end(), kind->begin(), kind->end());
    for (int32_t w = kFirstTokyoWard; w <= kLastTokyoWard; ++w)
      for (int c = 5; c <= SheetTally.TokyoWardRecordsTable.LastColumn(); ++c)
        st.wards.push_back(SheetTally.TokyoWardRecords(w, c));
    SettleWorkFile();  // the file as it is once on disk
    st.workFile = log.home.read("DMYDBS.DAT");
    st.lastp = ReadIni("ORB", "LASTP");
    return st;
  }
  // The sheet read afresh from HAMLOG, as the start window's reading does it.
  SheetState reloaded() {
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QString rule = Settings.QslRcvOnly;
    log.Prepare();
    Settings.QslRcvOnly = rule;
    ReadConditions.EndDate = TodayJst().toString("yyyyMMdd");
    return state();
  }
  // The sheet as it stands against the sheet read afresh (in that order).
  void expectAsReadAfresh() {
    const SheetState now = state();
    expectSame(now, reloaded());
  }
  // Texts of grid cells, each {row, column, text}.
  static void expectCells(FlexGrid& g, std::initializer_list<std::tuple<int, int, QString>> cells) {
    for (const auto& [row, col, text] : cells) EXPECT_EQ(g.TextMatrix(row, col), text) << row << ", " << col;
  }
  // The place and size: top, left, width, height.
  static std::vector<int> place(CWSHEET& s) { return {s.Top(), s.Left(), s.Width(), s.Height()}; }
  // A load that fails, its box answered; the box's text.
  QString failedLoad() {
    boxes.Answer(vbOK);
    Form<CWSHEET>();
    EXPECT_FALSE(IsLoaded<CWSHEET>());
    return lastBox();
  }
  // "HAMLOG追加読込" with the next `answers` boxes answered; the last box's text.
  QString append(int answers = 1) {
    for (int i = 0; i < answers; ++i) boxes.Answer(vbOK);
    sheet().HLAPD.Trigger();
    return lastBox();
  }
  QString lastBox() const { return boxes.texts().value(boxes.texts().size() - 1); }
  // What the box `act` raises says, answered.
  QString boxOf(const std::function<void()>& act) {
    boxes.Answer(vbOK);
    act();
    return lastBox();
  }
  // Whether `seen` held at some turn of the events while `act` ran.
  static bool seenWhile(const std::function<bool()>& seen, const std::function<void()>& act) {
    bool was = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { was = was || seen(); });
    probe.start(0);
    act();
    return was;
  }
  // Grid row of a master row.
  int gridRow(int masterRow) {
    FlexGrid& g = sheet().MSFlexGrid2;
    for (int r = 1; r < g.Rows(); ++r)
      if (g.TextMatrix(r, 0) == " " + QString::number(masterRow)) return r;
    return -1;
  }
};

TEST_F(CWSHEETTest, TheLoadFillsTheGridOneRowPerCodeAndSixtyEmptyRows) {
  FlexGrid& g = sheet().MSFlexGrid2;
  ASSERT_TRUE(IsLoaded<CWSHEET>());
  EXPECT_EQ(g.Cols(), 23);
  EXPECT_EQ(g.Rows(), 1 + 12 + 60);
  EXPECT_EQ(sheet().StatusBar1.PanelText(4), "QTHdata= 12");
  EXPECT_EQ(sheet().StatusBar1.PanelText(1), "抽出モード = MIX");
  const int r = gridRow(kRow1002);
  expectCells(g, {{0, 1, "CODE"}, {0, 5, "1.9MHz"}, {0, 17, "1.2GHz"}, {0, 20, "ｻﾃﾗｲﾄ"}, {0, 22, "QSO数"}});
  // Column 21 holds the kind of the row.
  expectCells(g, {{r, 1, "1002  "}, {r, 7, "C"}, {r, 9, "W"}, {r, 21, "C"}, {gridRow(kRow0901), 20, "C"}});
  EXPECT_EQ(SheetTally.GridCellRecordNumbers(9, r), "0000000002");
  EXPECT_EQ(g.RowHeight(gridRow(kRow1001)), 0);
  EXPECT_GT(g.RowHeight(r), 0);
  for (auto [c, width] : {std::pair{21, 0}, {16, 730}}) EXPECT_EQ(g.ColWidth(c), width) << c;
  EXPECT_FALSE(sheet().Frame1.isVisible());
  EXPECT_EQ(sheet().BandColumnTitles.value(15), "ｻﾃﾗｲﾄ");
  EXPECT_EQ(SheetTally.SheetOpen, 1);
}

TEST_F(CWSHEETTest, SettingsTheLoadApplies) {
  WriteIni("ORBEXPOS", "ACPOSTop", "-5");
  WriteIni("ORBEXPOS", "ACPOSLeft", "3000");
  WriteIni("RIG_CON_CFG", "USE_TRV", "yes");
  WriteIni("RIG_CON_CFG", "TWORIG", "YES");
  WriteIni("JCcfg", "JCspotURL", "http://jcv-spot.example.jp/");
  CWSHEET& s = sheet();
  EXPECT_EQ(place(s), (std::vector{0, 0, 12000, 7905}));
  EXPECT_EQ(s.Check8.Value(), 0);
  EXPECT_EQ(RigPortState.TransverterOn, "0");
  EXPECT_FALSE(s.Check9.isHidden());
  EXPECT_TRUE(s.RigSel.Visible());
  EXPECT_EQ(ReadIni("JCcfg", "JCspotURL"), "https://jcv-spot.example.jp/");
  EXPECT_EQ(SheetTally.CurrentAreaLabel, "　全　国　");
  UnloadForm<CWSHEET>();

  // An address copied from Windows is kept; plain HTTP becomes HTTPS of the same host.
  WriteIni("JCcfg", "JCspotURL", "http://spot.example.org/cw?x=1");
  WriteIni("RIG_CON_CFG", "USE_TRV", "Yes");
  log.Prepare();
  EXPECT_EQ(sheet().SpotUrl, "https://spot.example.org/cw?x=1");
  EXPECT_EQ(ReadIni("JCcfg", "JCspotURL"), "https://spot.example.org/cw?x=1");
  UnloadForm<CWSHEET>();
  WriteIni("JCcfg", "JCspotURL", "");  // nothing stored: nothing made up
  log.Prepare();
  EXPECT_EQ(sheet().SpotUrl, "");
  EXPECT_EQ(ReadIni("JCcfg", "JCspotURL"), "");
  EXPECT_EQ(sheet().Check8.Value(), 1);
  EXPECT_EQ(RigPortState.TransverterOn, "1");
}

TEST_F(CWSHEETTest, AStoredGeometryNoScreenCanShowIsNamedAndTheDefaultTaken) {
  WriteIni("ORBEXPOS", "ACPOSTop", "1500");
  WriteIni("ORBEXPOS", "ACPOSLeft", "-999999999");
  WriteIni("ORBEXPOS", "ACPOSWidth", "999999999");
  WriteIni("ORBEXPOS", "ACPOSHeight", "-40");
  boxes.Answer(vbOK);
  CWSHEET& s = sheet();
  ASSERT_EQ(boxes.texts().size(), 1);
  const QString text = boxes.texts()[0];
  EXPECT_TRUE(text.startsWith("ORBEX5.INI の次の設定値は使えないので既定値で起動します。"))
      << text.toStdString();
  for (const char* named :
       {"[ORBEXPOS] ACPOSLeft=-999999999", "[ORBEXPOS] ACPOSWidth=999999999", "[ORBEXPOS] ACPOSHeight=-40"})
    EXPECT_TRUE(text.contains(named)) << named;
  EXPECT_FALSE(text.contains("ACPOSTop"));
  EXPECT_EQ(place(s), (std::vector{1500, 0, 12000, 7905}));
  s.MSFlexGrid2.grab();  // paints
  EXPECT_EQ(ReadIni("ORBEXPOS", "ACPOSWidth"), "999999999") << "the file is left as it is";
}

TEST_F(CWSHEETTest, ExtendedBandSetAndTheBandViews) {
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  MasterTable.Redim(BandLayout.KindColumn, MasterList.MasterRowCap);
  ShownBands[kSatelliteBand] = "0";
  ShownBands[0] = " 1";  // anything but exactly "1" hides
  FlexGrid& g = sheet().MSFlexGrid2;
  EXPECT_EQ(g.Cols(), 29);
  expectCells(g, {{0, 20, "135kHz"}, {0, 26, "ｻﾃﾗｲﾄ"}, {0, 27, "FLG"}, {gridRow(kRow0901), 26, "C"}});
  EXPECT_EQ(sheet().BandColumnTitles.value(21), "ｻﾃﾗｲﾄ");
  EXPECT_TRUE(sheet().BandView[15].Visible());
  for (auto [c, width] : {std::pair{26, 0}, {5, 0}, {25, 680}}) EXPECT_EQ(g.ColWidth(c), width) << c;

  sheet().Label3.setText("JA1AAA");  // a QSO shown in the panel, its print button armed
  sheet().Command3.setEnabled(true);
  sheet().BandView[11].Trigger();  // 430 MHz alone
  EXPECT_EQ(sheet().Label3.text(), "");
  EXPECT_FALSE(sheet().Command3.isEnabled());
  for (int c = 5; c <= 26; ++c) EXPECT_EQ(g.ColWidth(c), c == 16 ? 730 : 0) << c;
  sheet().ALLB.Trigger();
  for (auto [c, width] : {std::pair{5, 0}, {6, 680}, {26, 0}, {28, 0}}) EXPECT_EQ(g.ColWidth(c), width) << c;
}

TEST_F(CWSHEETTest, DisplayItemsReadAgainFromTheSettings) {
  sheet();
  WriteIni("DISPCG_ITEM", "GUN", "0");
  WriteIni("DISPBAND_ITEM", "DB7", "0");
  ShownBands.fill("0");
  sheet().ReadDispItems();
  EXPECT_EQ(ShownBands[2], "0");
  EXPECT_EQ(ShownBands[3], "1");  // a missing key shows the band
  EXPECT_EQ(DisplayItems.GunOn, 0);
  EXPECT_EQ(gridRow(kRowGun), -1);
  EXPECT_EQ(sheet().StatusBar1.PanelText(4), "QTHdata= 11");
}

TEST_F(CWSHEETTest, AViewWithoutRowsShowsAnEmptyGrid) {
  FlexGrid& g = sheet().MSFlexGrid2;
  SheetTally.PrefectureFilter = "47";
  FillProgressSheet(sheet().Progress());
  EXPECT_EQ(g.Rows(), 61);
  EXPECT_EQ(g.TextMatrix(1, 1), "");
  EXPECT_EQ(SheetTally.GridDataRows, 0);
  EXPECT_EQ(SheetTally.GridCellRecordNumbers(9, 1), "");
  SheetTally.PrefectureFilter.clear();
  sheet().READAGN();
  EXPECT_EQ(g.Rows(), 73);
  EXPECT_EQ(sheet().StatusBar1.PanelText(4), "QTHdata= 12");
}

TEST_F(CWSHEETTest, ANoticeStaysUntilTheTimerPutsTheBusyFrameBack) {
  CWSHEET& s = shown();
  s.ShowNotice("この局とは1st QSO です。");
  EXPECT_TRUE(s.Frame1.isVisibleTo(&s));
  EXPECT_EQ(s.Frame1.title(), "Information !");
  // Drawn over the grid whole: the grid's marks do not show through.
  const QRect area = s.Frame1.geometry();
  const QImage over = s.ClientArea()->grab(area).toImage();
  s.MSFlexGrid2.hide();
  EXPECT_TRUE(over == s.ClientArea()->grab(area).toImage()) << "the grid shows through the notice";
  s.MSFlexGrid2.show();
  EXPECT_EQ(s.Timer1.Interval(), 2000);
  s.Timer1.Timer();
  EXPECT_FALSE(s.Frame1.isVisibleTo(&s));
  EXPECT_EQ(s.Frame1.title(), "BUSY");
  EXPECT_EQ(s.Label2.text(), "整理中です　ＱＲＸ");
  EXPECT_EQ(s.Timer1.Interval(), 0);
  EXPECT_FALSE(s.Timer1.Enabled());
}

TEST_F(CWSHEETTest, VersionAndDisplaySettingsMessages) {
  QCoreApplication::setApplicationVersion("1.18.0");
  boxes.Answer(vbOK).Answer(vbOK).Answer(vbOK);
  sheet().VERDISP.SetEnabled(true);
  sheet().VERDISP.Trigger();
  QCoreApplication::setApplicationVersion("5.0.10");
  sheet().VERDISP.Trigger();
  QCoreApplication::setApplicationVersion(QString());
  sheet().ChousonListMode = 1;
  sheet().RDAGN.Trigger();
  EXPECT_FALSE(IsLoaded<CFG>());
  EXPECT_EQ(boxes.texts(),
            (QStringList{"ORBEX5 Ver 1.18", "ORBEX5 Ver 5.00A", "町村リスト作成モードにつき変更出来ません"}));
}

TEST_F(CWSHEETTest, EscStopsARunningSheetJobBeforeItClosesHamlog) {
  sheet();
  ASSERT_EQ(HamlogOpenDb(), 0);
  sheet().SheetJobRunning = 1;
  int key = vbKeyEscape;
  sheet().Form_KeyDown(key, 0);
  EXPECT_EQ(sheet().SheetJobRunning, 0);
  EXPECT_EQ(Hamlog.HamlogClosed, 0);  // the job still reading HAMLOG keeps it
  key = vbKeyEscape;
  sheet().Form_KeyDown(key, 0);
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
}

TEST_F(CWSHEETTest, LoadFailuresTellTheOperatorAndCloseTheSheet) {
  StartFlags.StartWithPreviousData = 1;
  const QString never = failedLoad();
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(never.startsWith("まだ一度もHAMLOG.HDBを読み込んでいない為か？で\r\n"));
  EXPECT_TRUE(never.endsWith("/DMYDBS.DAT\r\nが開けませんでした。"));

  log.Prepare();
  Hamlog.HamlogDbPath = log.home.file("nowhere/HAMLOG.HDB");
  const QString noHdb = failedLoad();
  EXPECT_EQ(noHdb, "HAMLOG.HDB が見つかりません\r\n" + Hamlog.HamlogDbPath);

  log.Prepare();
  MasterList.MasterFilePath = log.home.file("nowhere/HAMLOG.MST");
  EXPECT_TRUE(failedLoad().startsWith("HAMLOG.MST/QTH data READ ERROR\r\n" + MasterList.MasterFilePath +
                                      "\r\nを読めません（ファイルかフォルダーがありません）。"));

  // HAMLOG.HDB cut short by another program while the sheet reads it: said as such, no crash, the
  // previous work file kept.
  log.Prepare();
  const QByteArray before = log.home.read("DMYDBS.DAT");
  static QString hdb;
  hdb = log.Hdb();
  QByteArray whole;
  ASSERT_TRUE(ReadWholeFile(hdb, whole));
  HdbScan::afterBeginForTest = [] { QFile(hdb).resize(hamlog::HdbRecordOffset(2)); };
  const QString changed = failedLoad();
  HdbScan::afterBeginForTest = nullptr;
  EXPECT_EQ(changed,
            "HAMLOG.HDB が読み込みの途中で書き換えられました (HAMLOG で入力や整理をしていませんか)。\r\n" +
                hdb + "\r\nもう一度読み込んで下さい");
  EXPECT_EQ(log.home.read("DMYDBS.DAT"), before);
  ASSERT_TRUE(AtomicWriteFile(hdb, whole));
  // A master cut short says so.
  log.Prepare();
  QByteArray master;
  ASSERT_TRUE(ReadWholeFile(MasterList.MasterFilePath, master));
  ASSERT_TRUE(AtomicWriteFile(MasterList.MasterFilePath, master.left(master.size() - 30)));
  const QString cut = failedLoad();
  EXPECT_TRUE(cut.startsWith("HAMLOG.MST/QTH data READ ERROR\r\n" + MasterList.MasterFilePath + "\r\n長さ "))
      << cut.toStdString();
}

TEST_F(CWSHEETTest, AWorkFileOrSettingsFileThatCannotBeWrittenIsNamedWithTheCause) {
  // A folder where a work file (or its scratch file) should be: the box names that file and the cause.
  for (const QString name : {"DMYDBS.DAT", "DMYDBS.new", "DMYMST.dat"}) {
    log.Prepare();
    QFile::remove(log.home.file(name));  // left by the last load
    QDir(log.home.path()).mkdir(name);
    const QString said = failedLoad();
    EXPECT_TRUE(said.contains(log.home.file(name))) << said.toStdString();
    EXPECT_TRUE(said.contains("を書き込めません（同じ名前のフォルダーがあります）。"));
    QDir(log.home.path()).rmdir(name);
  }

  log.Prepare();
  const QString ini = IniFilePath();
  QFile::remove(ini);
  QDir().mkdir(ini);
  const QString said = failedLoad();
  EXPECT_TRUE(said.startsWith(ini + " に書き込めません")) << said.toStdString();
  EXPECT_FALSE(QFile::exists(DmyDbsPath())) << "no work file without its LASTP";
  QDir().rmdir(ini);
}

TEST_F(CWSHEETTest, WhileTheLoadPumpsTheSheetCannotBeLeft) {
  const auto menusOff = [] {
    CWSHEET* s = LoadedForm<CWSHEET>();
    return s && SheetTally.MasterRowCount > 0 && !s->MENU.Enabled() && !s->DISPBAND.Enabled();
  };
  EXPECT_TRUE(seenWhile(menusOff, [this] { sheet(); })) << "menus off during the load";
  EXPECT_TRUE(sheet().MENU.Enabled());
  EXPECT_TRUE(sheet().RTNMN.Enabled());
}

TEST_F(CWSHEETTest, ExitThroughTheMenuKeepsTheProgressDataAndRemovesTheWorkFilesAsTheCloseBoxDoes) {
  sheet().Move(1500, 900, 10500, 7200);
  const std::vector<int> was = place(sheet());
  const QStringList work = {"FOREXCEL.DAT", "FOREXCELsp.DAT", "ORBEX_MEMO.TXT", "dmyQTHdata.dat"};
  for (const QString& f : work) log.home.write(f, "x");
  ASSERT_TRUE(QFile::exists(log.home.file("DMYMST.dat")));
  sheet().BYE.Trigger();
  EXPECT_FALSE(IsLoaded<CWSHEET>());
  for (const QString& f : work + QStringList{"DMYMST.dat"})
    EXPECT_FALSE(QFile::exists(log.home.file(f))) << f.toStdString();
  EXPECT_TRUE(QFile::exists(log.home.file("DMYDBS.DAT")));
  for (int i = 0; const char* key : {"ACPOSTop", "ACPOSLeft", "ACPOSWidth", "ACPOSHeight"})
    EXPECT_EQ(ReadIni("ORBEXPOS", key), QString::number(was[i++])) << key;
  EXPECT_EQ(MasterTable.Rows(), 0);
}

TEST_F(CWSHEETTest, TheCloseBoxAlsoRemovesTheMasterWorkFiles) {
  sheet();
  log.home.write("dmyQTHdata.dat", "x");
  sheet().Unload(vbFormControlMenu);
  EXPECT_FALSE(IsLoaded<CWSHEET>());
  EXPECT_FALSE(QFile::exists(log.home.file("DMYMST.dat")));
  EXPECT_FALSE(QFile::exists(log.home.file("dmyQTHdata.dat")));
  EXPECT_TRUE(QFile::exists(log.home.file("DMYDBS.DAT")));
  EXPECT_NE(ReadIni("ORBEXPOS", "ACPOSWidth"), "ORBEXPOS");
}

TEST_F(CWSHEETTest, TheReturnKeepsEveryWorkFileAndTheGeometryComesBackNextTime) {
  sheet().Move(1500, 900, 10500, 7200);
  const int width = sheet().Width();
  const auto menusOff = [] { return LoadedForm<CWSHEET>() && !LoadedForm<CWSHEET>()->MENU.Enabled(); };
  EXPECT_TRUE(seenWhile(menusOff, [this] { sheet().RTNMN.Trigger(); })) << "menus off during the return";
  EXPECT_FALSE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(QFile::exists(log.home.file("DMYDBS.DAT")));
  EXPECT_TRUE(QFile::exists(log.home.file("DMYMST.dat")));
  EXPECT_EQ(SheetTally.SheetOpen, 0);
  EXPECT_EQ(SheetTally.CellRecordNumbers.Rows(), 0);
  EXPECT_EQ(ReadIni("ORBEXPOS", "ACPOSWidth"), QString::number(width));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  log.Prepare();
  EXPECT_EQ(sheet().Width(), width);
}

}  // namespace

TEST_F(CWSHEETTest, TheSearchBoxScrollsToTheRowTyped) {
  CWSHEET& s = shown();
  FlexGrid& g = s.MSFlexGrid2;
  QTest::keyClicks(&s.Text2, "1002");
  EXPECT_EQ(s.Text2.text(), "1002");
  EXPECT_EQ(g.TopRow(), gridRow(kRow1002));
  EXPECT_TRUE(s.Command6.isEnabled());
  EXPECT_EQ(s.Label1.text(), "1002");
  s.Text2.setText("9999");
  EXPECT_EQ(s.Label2.text(), "このコードは存在しません。");
  EXPECT_TRUE(s.Frame1.isVisible());
  s.Text2.setText(QString());
  boxes.Answer(vbOK);  // "QSO 一覧" stays usable and says what it needs, as when the sheet opens
  Operator::Click(s.Command6);
  EXPECT_EQ(boxes.texts(), QStringList{QString::fromUtf8("検索欄にコードを入れてから押してください")});
  EXPECT_TRUE(g.Redraw());

  // Typing rules: lower case becomes upper case; the frequency box takes digits and "." only.
  Operator::Click(s.Text3);
  Operator::Type("ja1abc");
  EXPECT_EQ(s.Text3.text(), "JA1ABC");
  s.Frame4.show();
  Operator::Click(s.Text1);
  Operator::Type("7.0a2");
  EXPECT_EQ(s.Text1.text(), "7.02");
  // Overwrite mode after a click without a selection: each character replaces one.
  Operator::ClickCaret(s.Text3, 0);
  Operator::Type("7k");
  EXPECT_EQ(s.Text3.text(), "7K1ABC");
  // A selection made with the mouse goes with the first character; the next replaces one.
  Operator::ClickCaret(s.Text3, 2);
  Operator::ClickCaret(s.Text3, 4, Qt::ShiftModifier);
  Operator::Type("22");
  EXPECT_EQ(s.Text3.text(), "7K22C");
}

TEST_F(CWSHEETTest, AreaAndPrefectureViewsNarrowOneFill) {
  CWSHEET& s = sheet();
  FlexGrid& g = s.MSFlexGrid2;
  EXPECT_EQ(s.JA1Kenbetsu[10].Caption(), "10 東京都");
  EXPECT_EQ(s.JA7Kenbetsu[2].Caption(), "02 青森県");
  EXPECT_FALSE(s.JA8Kenbetsu.Exists(1));

  s.SALL0.Trigger();
  EXPECT_EQ(SheetTally.GridDataRows, 1);
  EXPECT_EQ(g.TextMatrix(1, 1), "0901  ");
  EXPECT_EQ(SheetTally.CurrentAreaLabel, "０エリア");
  EXPECT_TRUE(SheetTally.AreaFilter.isEmpty()) << "a view is one fill, not a standing filter";
  EXPECT_TRUE(s.SALL.Visible());

  s.JA1Kenbetsu[11].Trigger();
  EXPECT_EQ(SheetTally.GridDataRows, 2) << "codes beginning 11 and no DX entity";
  EXPECT_EQ(g.TextMatrix(1, 1), "1101  ");
  EXPECT_EQ(SheetTally.CurrentAreaLabel, "神奈川県(11)");
  EXPECT_TRUE(s.Option1[1].Value());
  EXPECT_TRUE(s.Label10.text().startsWith("「AREA」で指定した"));

  s.SALL1.Trigger();
  EXPECT_EQ(SheetTally.GridDataRows, 9) << "area 1: every Japanese row but the one of area 0";
  s.READAGN();
  EXPECT_EQ(SheetTally.GridDataRows, 12) << "the next refill lists every code again";
  EXPECT_EQ(SheetTally.CurrentAreaLabel, "１エリア");

  s.SALL.Trigger();
  EXPECT_EQ(SheetTally.CurrentAreaLabel, "　全　県　");
  EXPECT_TRUE(s.Option1[0].Value());
  EXPECT_FALSE(s.SALL.Visible());
  EXPECT_EQ(SheetTally.AreaViewActive, 0);
}

TEST_F(CWSHEETTest, DisplaySettingsAreStoredAtOnceAndRedisplayTheSheetOnce) {
  CWSHEET& s = sheet();
  s.JA1Kenbetsu[11].Trigger();  // a narrowed view shows whether the sheet was filled again
  ASSERT_EQ(SheetTally.GridDataRows, 2);
  s.RDAGN.Trigger();
  ASSERT_TRUE(IsLoaded<CFG>());
  CFG& cfg = Form<CFG>();
  EXPECT_EQ(cfg.Frame1.title(), "表示項目設定");
  EXPECT_FALSE(cfg.Check1[15].isVisibleTo(&cfg)) << "standard band set: 135kHz .. 77GHz hidden";
  EXPECT_EQ(cfg.Check1[21].Top(), 1320) << "ｻﾃﾗｲﾄ under 5600MHz";
  cfg.Unload();
  EXPECT_EQ(SheetTally.GridDataRows, 2) << "opening and closing changes nothing";

  Form<CFG>().Show();
  QTest::mouseClick(&Form<CFG>().Check1[2], Qt::LeftButton);  // 7MHz off
  QTest::mouseClick(&Form<CFG>().Check2[2], Qt::LeftButton);  // guns off
  EXPECT_EQ(ReadIni("DISPBAND_ITEM", "DB7"), "0");
  EXPECT_EQ(ReadIni("DISPCG_ITEM", "GUN"), "0");
  Form<CFG>().CFGOK.Trigger();
  EXPECT_FALSE(IsLoaded<CFG>());
  EXPECT_EQ(SheetTally.GridDataRows, 11) << "every code but the gun";
  EXPECT_EQ(s.MSFlexGrid2.ColWidth(7), 0) << "7MHz column hidden";

  StartFlags.CfgFromSettings = 1;
  s.JA1Kenbetsu[11].Trigger();
  Form<CFG>().Show();
  QTest::mouseClick(&Form<CFG>().Check3, Qt::LeftButton);
  EXPECT_EQ(ReadIni("DISPCG_ITEM", "DelQTH"), "1");
  Form<CFG>().CFGOK.Trigger();
  EXPECT_EQ(SheetTally.GridDataRows, 2) << "opened from the settings dialog: stored, not redisplayed";
}

TEST_F(CWSHEETTest, DisplaySettingsDialogAsABandPicker) {
  Cfg.CfgMode = 1;
  CFG& cfg = Form<CFG>();
  cfg.Show();
  EXPECT_EQ(cfg.Frame1.title(), "周波数帯指定");
  EXPECT_EQ(cfg.Check1[22].text(), "ALL Band ( 除 SAT)");
  EXPECT_EQ(Cfg.CfgBandChoice, 22);
  QTest::mouseClick(&cfg.Check1[6], Qt::LeftButton);
  EXPECT_EQ(Cfg.CfgBandChoice, 6);
  QTest::mouseClick(&cfg.Check1[22], Qt::LeftButton);
  EXPECT_EQ(Cfg.CfgBandChoice, 22);
  EXPECT_EQ(cfg.Check1[6].Value(), 0);
  EXPECT_EQ(cfg.Check1[22].Value(), 1);
  EXPECT_EQ(ReadIni("DISPBAND_ITEM", "DB21"), "DISPBAND_ITEM") << "the picker stores nothing";
  cfg.CFGOK.Trigger();
  EXPECT_EQ(Cfg.CfgMode, 2);
  UnloadForm<CFG>();
  Cfg.CfgMode = 1;
  Form<CFG>().Unload(vbFormControlMenu);
  EXPECT_EQ(Cfg.CfgMode, 0) << "closed without a choice";
}

TEST_F(CWSHEETTest, ClearButtonAndTransverterSwitch) {
  CWSHEET& s = shown();
  s.Text2.setText("1101");
  ASSERT_GT(s.MSFlexGrid2.TopRow(), 1);
  QTest::mouseClick(&s.Command1, Qt::LeftButton);
  EXPECT_EQ(s.Text2.text(), "");
  EXPECT_EQ(s.MSFlexGrid2.TopRow(), 1);
  EXPECT_EQ(SheetSearch.SearchStartRow, 1);

  s.Frame4.show();
  for (auto [stored, on] : {std::pair{"Yes", "1"}, {"No", "0"}}) {
    QTest::mouseClick(&s.Check8, Qt::LeftButton);
    EXPECT_EQ(ReadIni("RIG_CON_CFG", "USE_TRV"), stored);
    EXPECT_EQ(RigPortState.TransverterOn, on);
  }
}

TEST_F(CWSHEETTest, ClickingACellShowsItsQsoAndTheQthCellShowsCounts) {
  CWSHEET& s = shown();
  FlexGrid& g = s.MSFlexGrid2;
  const int row = gridRow(kRow1002);
  const auto click = [&](int col) { Operator::ClickCell(g, row, col); };
  click(9);  // 14 MHz: worked, JA1AAB
  EXPECT_EQ(QStringList({s.Label3.text(), s.Label4.text(), s.Label5.text(), s.Text2.text()}),
            QStringList({"JA1AAB", "2020-01-02", "CW", "1002"}));
  EXPECT_FALSE(s.Command3.isEnabled()) << "no QSL program set";
  s.Label3.setText("unchanged");
  click(9);
  EXPECT_EQ(s.Label3.text(), "unchanged") << "the cell already shown is not read again";
  click(7);  // 7 MHz: confirmed, JA1AAA
  EXPECT_EQ(s.Label3.text(), "JA1AAA");

  click(2);  // the QTH cell: marks become counts
  expectCells(g, {{row, 7, "1"}, {row, 5, "0"}, {row, 22, "2"}});
  EXPECT_EQ(g.ColWidth(22), 700);
  click(2);  // again: the marks come back
  expectCells(g, {{row, 7, "C"}, {row, 9, "W"}});
  EXPECT_EQ(g.ColWidth(22), 0);

  // The QTH cells of two rows one after the other: the first gets its marks back, the second counts.
  const int other = gridRow(kRow0901);
  click(2);
  g.SetTopRow(other);  // scrolled up to it, as the scroll bar does
  Operator::ClickCell(g, other, 2);
  EXPECT_EQ(g.TextMatrix(row, 7), "C");
  EXPECT_EQ(g.TextMatrix(other, kColSat), "1");
  EXPECT_EQ(g.TextMatrix(0, 5), "1.9MHz") << "the heading row never shows counts";
  Operator::ClickCell(g, other, 2);
  EXPECT_EQ(g.TextMatrix(other, kColSat), "C");
  // A click on another row's code cell takes that row.
  click(1);
  EXPECT_EQ(s.Text2.text(), "1002");
  EXPECT_EQ(g.RowSel(), row);
}

TEST_F(CWSHEETTest, AppendingNewQsosEqualsAFullReading) {
  CWSHEET& s = sheet();
  FlexGrid& g = s.MSFlexGrid2;
  ReadConditions.EndDate = "20991231";
  append();
  EXPECT_EQ(boxes.texts().value(0), "HAMLOG.HDB は前回より増えていません。");
  EXPECT_EQ(ReadConditions.EndDate, TodayJst().toString("yyyyMMdd")) << "the period is brought up to today";

  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,J *", "JA1NEW,2021/05/06,50.100,FM,1002,P  "});
  RigPortState.PollMode = 2;
  RigPortState.PollPeriodMs = 60'000;
  RigPollStart();  // the operator's poll runs: the append pauses it and starts it again
  append();
  EXPECT_TRUE(
      boxes.texts().value(1).startsWith("現在の読込みフィルタは \r\n  MODE   -> MIX\r\n  QSLﾌﾗｸﾞ-> P"));
  EXPECT_EQ(boxes.texts().size(), 2) << "new QSOs: no message after the confirmation";
  EXPECT_TRUE(RigPollTimer().Enabled());
  RigPollStop();
  const int row = gridRow(kRow1002);
  EXPECT_EQ(g.TextMatrix(row, 11), "C");
  EXPECT_EQ(g.TextMatrix(row, 14), "") << "the portable QSO is excluded by the reading conditions";
  const SheetState appended = state();
  EXPECT_EQ(appended.lastp, "5") << "the excluded QSO is not taken";
  EXPECT_TRUE(WorkFileStillValid()) << "the stamp describes the extended file";
  expectSame(appended, reloaded());

  log.Add({"JA1OLD,2021/05/07,21.010,CW,1101,P *"});  // excluded: nothing new for the sheet
  EXPECT_EQ(append(2), "HAMLOG.HDB は前回より増えていませんでした。");

  // A position read past the log's end is no place to go on from.
  Settings.LastExtractedRecord = "99";
  const QString past = append(2);
  EXPECT_TRUE(past.contains("LASTP=99")) << past.toStdString();
  Settings.LastExtractedRecord = ReadIni("ORB", "LASTP");

  // The entry window open: nothing is read. Only loaded, unseen: it is closed before the reading.
  LogWindowState.LogWindowOpen = 1;
  EXPECT_EQ(append(), "LOG帳が開いていますので閉じてからにしてください");
  LogWindowState.LogWindowOpen = 0;
  Form<TEMP_LOG>();
  append(2);
  EXPECT_FALSE(IsLoaded<TEMP_LOG>());

  // A satellite QSO that comes while the append's question is up waits for the append's end, then opens
  // the entry window.
  log.Add({"JA1SAT,2021/05/08,435.100,FM,1002,J *"});
  Companion satMate;
  boxes.OnShow = [&](const MsgBoxCall& box) {
    if (!box.text.startsWith("現在の読込みフィルタは")) return;
    satMate.Send("SatMate+435.100+FM+r1+r2+x+y+JA1SAT+1002+T");
    EXPECT_TRUE(WaitUntil([] { return IpcMessagesWaiting() == 1; }));
  };
  EXPECT_TRUE(append().startsWith("現在の読込みフィルタは"));
  EXPECT_EQ(LogWindowState.LogWindowOpen, 0);
  EXPECT_EQ(state().lastp, "8") << "the satellite QSO of the log is read";
  ASSERT_TRUE(WaitUntil([&] { return !satMate.Answers().isEmpty(); }));
  EXPECT_EQ(LoadedForm<TEMP_LOG>()->Text1.text(), "JA1SAT");
}

TEST_F(CWSHEETTest, AppendsToALargerLogEqualAFullReadingUnderBothConfirmationRules) {
  ASSERT_TRUE(hamlogdb::Generate(log.dir, 3000, 7).Ok());
  uint32_t seed = 11;
  for (const char* rule : {"NO", "YES"}) {
    SCOPED_TRACE(rule);
    Settings.QslRcvOnly = rule;
    reloaded();
    CWSHEET& s = shown();
    QCoreApplication::processEvents();
    // A row showing its counts: the append gives it its marks back.
    FlexGrid& g = s.MSFlexGrid2;
    Operator::ClickCell(g, gridRow(kRowGun), 2);
    ASSERT_EQ(s.CountRowShown, 1);
    for (int round = 0; round < 2; ++round, ++seed) {
      ASSERT_TRUE(hamlogdb::Generate(log.dir, 400, seed).Ok());
      // An area view on screen: the append shows every code again, as a refill does.
      if (round == 1) sheet().SALL1.Trigger();
      append();
      ASSERT_EQ(SheetTally.ReadFailed, 0);
      SCOPED_TRACE(round);
      expectAsReadAfresh();
    }
  }
}

TEST_F(CWSHEETTest, TheMarkOfAGunStaysWithItsOwnFirstQsoWhenItComesLater) {
  log.Add({"JA1TWN,2020/02/02,7.010,CW,10001A,J  "});  // the town marks its gun too
  log.Prepare();
  CWSHEET& s = sheet();
  const int gun = gridRow(kRowGun);
  EXPECT_EQ(s.MSFlexGrid2.TextMatrix(gun, kCol7), "W");
  EXPECT_EQ(SheetTally.GridCellRecordNumbers(kCol7, gun), "0000000005");
  log.Add({"JA1GUN,2021/02/02,7.010,CW,10001,J  "});
  append();
  // The gun's own lines come first in the work file: its QSO is the one behind the mark.
  EXPECT_EQ(SheetTally.GridCellRecordNumbers(kCol7, gun), "0000000006");
  expectAsReadAfresh();
}

// A gun confirmed through one of its towns stays confirmed when a worked QSO of a town comes in, in the
// grid, the totals and the JCG list alike.
TEST_F(CWSHEETTest, AnAppendKeepsTheGunConfirmedThroughItsTowns) {
  log.Add({"JA3TWN,2020/02/02,7.010,CW,10001A,J *", "JA3GUN,2020/02/03,7.020,CW,10001,J  "});
  log.Prepare();
  CWSHEET& s = sheet();
  const int gun = gridRow(kRowGun);
  ASSERT_EQ(s.MSFlexGrid2.TextMatrix(gun, kCol7), "C");
  for (const char* code : {"10001A", "10001B"}) {
    SCOPED_TRACE(code);
    log.Add({QString("JA3NEW,2021/05/05,7.015,CW,%1,J  ").arg(code)});
    append();
    EXPECT_EQ(
        (s.MSFlexGrid2.TextMatrix(gun, kCol7) + SheetTally.GridCellRecordNumbers(kCol7, gun)).toStdString(),
        "C0000000005");
    EXPECT_EQ(BandTotals.GunConfirmed[kCol7 - 5], 1);
    const OutputRun jcg = WriteAwardLists(kAwardJcg, kCol7, [](const QString&) { return QString(); });
    EXPECT_EQ(jcg.messages.value(0).toStdString(), "JCG 7MHz/MIX = 1ポイント ");
  }
  expectAsReadAfresh();
}

TEST_F(CWSHEETTest, AWorkFileEditedOutOfOrderIsSortedWholeByTheAppend) {
  sheet();
  QByteArray work = log.home.read("DMYDBS.DAT");
  ASSERT_GE(work.size(), 66);
  work = work.right(33) + work.chopped(33);  // the last line moved to the top
  log.home.write("DMYDBS.DAT", work);
  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,J *"});
  append();
  ASSERT_EQ(SheetTally.ReadFailed, 0);
  expectAsReadAfresh();
}

TEST_F(CWSHEETTest, QsoCountFileCallListAndTheLeaguePages) {
  CWSHEET& s = shown();
  Settings.DataFolder = log.home.path();
  EXPECT_EQ(boxOf([&] { s.QcntL.Trigger(); }), log.home.path() + " に QSO_Count.TXT を保存しました。");
  const QStringList lines = FromAnsi(log.home.read("QSO_Count.TXT")).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 11) << "every code row but 1001";
  EXPECT_FALSE(lines.join("\n").contains("\"1001  \""));
  const QString row1002 = lines.filter("\"1002  \"").value(0);
  EXPECT_TRUE(row1002.startsWith("\"1002  \",\"東京都八王子市")) << qPrintable(row1002);
  EXPECT_TRUE(row1002.endsWith(",0,0,1,0,1,0,0,0,0,0,0,0,0,0,0,0")) << "16 counts: 7 MHz and 14 MHz";

  for (const char* call : {"JA1ABC", "JA2XYZ"}) s.List1.AddItem(call);
  Operator::Click(s.Command7);  // "List": over the grid, and opening it picks nothing
  EXPECT_TRUE(s.Frame10.isVisible());
  EXPECT_EQ(s.Text3.text(), "");
  Operator::Pick(s.List1, 1);
  EXPECT_EQ(s.Text3.text(), "JA2XYZ");
  EXPECT_FALSE(s.Frame10.isVisible());
  Operator::Click(s.Command7);
  EXPECT_TRUE(s.Frame10.isVisible());
  Operator::Click(s.Command7);
  EXPECT_FALSE(s.Frame10.isVisible());

  EXPECT_EQ(s.StatusBar1.PanelText(5), "CodeLib.txt がありません（DX の表は空です）");
  ShellRecorder shell;
  s.goJARLaward.Trigger();
  s.goJARL.Trigger();  // the award committee's page, kept in the settings for the operator to change
  EXPECT_EQ(ReadIniOr("JARL", "JARLcommittee", "?"), "https://www.jarl.org/award/index.html");
  WriteIni("JARL", "JARLcommittee", "https://example.jp/award/");
  s.goJARL.Trigger();
  EXPECT_EQ(shell.opened(),
            QStringList({"https://www.jarl.org/Japanese/1_Tanoshimo/1-2_Award/Award_Main.htm",
                         "https://www.jarl.org/award/index.html", "https://example.jp/award/"}));
  WriteIni("JARL", "JARLcommittee", "");
  EXPECT_EQ(boxOf([&] { s.goJARL.Trigger(); }), "このページのアドレスが設定されていません。");
}

TEST_F(CWSHEETTest, ASocketFolderOthersCanWriteIntoIsRefusedAndNamed) {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  QTemporaryDir base;
  qputenv("XDG_RUNTIME_DIR", base.path().toLocal8Bit());
  ASSERT_TRUE(QDir().mkdir(base.path() + "/orbex5-ipc"));
  QFile::setPermissions(base.path() + "/orbex5-ipc", QFile::Permissions(0x7777));
  boxes.Answer(vbOK);
  sheet().Show();
  qputenv("XDG_RUNTIME_DIR", runtime);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_EQ(boxes.texts()[0], "他のプログラム (リグコン, SatMate) からの指示は受け取りません。\r\n" +
                                  base.path() + "/orbex5-ipc に他のユーザーも書き込めます");
}

TEST_F(CWSHEETTest, SendInfoEndsOnlyTheSpotProgramItStarted) {
  // Its output goes nowhere and its sleep ends with it, so nothing of it outlives the test.
  const QString spot = log.home.write(
      "SSPT.EXE", "#!/bin/sh\nexec >/dev/null 2>&1\nsleep 30 &\ntrap 'kill $!; exit' TERM\nwait\n");
  ASSERT_TRUE(QFile::setPermissions(spot, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  // Another program of the operator's, which the spot program's old id now names.
  QProcess other;
  other.start("sleep", {"30"});
  ASSERT_TRUE(other.waitForStarted());
  int64_t startedPid = 0;
  ShellHook previous = SetShellHook([&](const ShellCall& call) -> int64_t {
    if (call.kind != ShellCall::Start) return kShellDone;
    if (startedPid == 0) return other.processId();
    qint64 pid = 0;
    QProcess::startDetached(call.target, call.arguments, QString(), &pid);
    return startedPid = pid;
  });
  CWSHEET& s = shown();
  Operator::Click(s.Text2);
  Operator::Type("1001");
  s.SNDIF.Trigger();  // "started": the id the shell gave is the other program's
  startedPid = -1;
  s.SNDIF.Trigger();  // not the spot program: it is left alone and the spot program started
  EXPECT_EQ(other.state(), QProcess::Running);
  ASSERT_GT(startedPid, 0);
  EXPECT_EQ(::kill(pid_t(startedPid), 0), 0);
  s.SNDIF.Trigger();  // the spot program itself ends
  // Gone, or a zombie nobody has reaped yet (a detached program is not this process's child).
  const auto ended = [&] {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(startedPid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray s = stat.readAll();
    return s.mid(s.lastIndexOf(')') + 2, 1) == "Z";
  };
  EXPECT_TRUE(WaitUntil(ended));
  EXPECT_EQ(other.state(), QProcess::Running);
  SetShellHook(previous);
  other.kill();
  other.waitForFinished();
}

TEST_F(CWSHEETTest, TheWheelMovesTheSheetOneRowAndPassesHiddenRows) {
  CWSHEET& s = shown();
  FlexGrid& g = s.MSFlexGrid2;
  auto wheel = [&](int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const QPointF at(10, 10);
    QWheelEvent e(at, g.viewport()->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(g.viewport(), &e);
  };
  ASSERT_EQ(gridRow(kRow1001), 2);
  g.SetTopRow(1);
  wheel(-120);
  EXPECT_EQ(g.TopRow(), 3) << "the hidden row of 1001 is passed over";
  wheel(-360);
  EXPECT_EQ(g.TopRow(), 4) << "one row per notch, whatever the amount";
  wheel(120);
  wheel(120);
  EXPECT_EQ(g.TopRow(), 1);
  const int left = g.LeftCol();
  wheel(-120, Qt::ShiftModifier);
  EXPECT_EQ(g.LeftCol(), left + 1);
  EXPECT_EQ(g.TopRow(), 1);
}

TEST_F(CWSHEETTest, TheCallBoxLooksUpForeignPrefixesAndKeepsTheCallList) {
  log.home.write("CodeLib.txt", ToAnsi(QStringList({"100\t2", "101\tJA;JE;7J,Japan,AS,45,25,339,500A",
                                                    "102\tK;W,United States,NA,08,05,291,501A"})
                                           .join("\r\n")));
  ConnectLookupWindows();
  CWSHEET& s = shown();
  EXPECT_EQ(s.StatusBar1.PanelText(5), "");
  QTest::keyClicks(&s.Text3, "w1aw");
  EXPECT_EQ(CallBox.StationCall, "W1AW");
  EXPECT_EQ(s.Text2.text(), "501A") << "the entity of the longest matching prefix";
  EXPECT_EQ(s.MSFlexGrid2.TopRow(), gridRow(kRow501A));
  s.Text2.setText(QString());
  s.Text3.setText("JA1ABC");
  EXPECT_EQ(s.Text2.text(), "") << "a Japanese call is not looked up";
  s.Text3.setText("JA1ABC/MM");
  EXPECT_EQ(s.Text2.text(), "");

  QTest::keyClick(&s.Text3, Qt::Key_Return);
  QTest::keyClick(&s.Text3, Qt::Key_Down);
  EXPECT_EQ(s.List1.ListCount(), 1) << "a call is listed once however often it is looked up";
  EXPECT_EQ(s.List1.List(0), "JA1ABC/MM");
  s.Text3.setText(QString());
  const auto enter = [&](const char* call) {
    s.Text3.setText(call);
    QTest::keyClick(&s.Text3, Qt::Key_Return);
  };
  EXPECT_EQ(boxOf([&] { enter(" "); }), "CallSign を記入してください");

  // Without HAMLOG's place no QSO can be listed: said, and the call is not kept.
  const QString hamlog = Hamlog.HamlogDbPath;
  Hamlog.HamlogDbPath.clear();
  EXPECT_EQ(boxOf([&] { enter("JA1NOP"); }), "HAMLOGの設定がありません");
  EXPECT_EQ(s.List1.ListCount(), 1);
  Hamlog.HamlogDbPath = hamlog;

  s.Text3.setText("DEBUGON");
  EXPECT_EQ(s.MSFlexGrid2.ColWidth(21), 400);
  EXPECT_EQ(s.MSFlexGrid2.ColWidth(22), 700);
  s.Text3.setText("DEBUGOFF");
  EXPECT_EQ(s.MSFlexGrid2.ColWidth(21), 0);
  SetDxccHitsListener(nullptr);
}

TEST_F(CWSHEETTest, TypedForeignCallsBringTheEntityCtyCsvGivesWithTheShippedTable) {
  ASSERT_TRUE(QFile::copy(ORBEX_DATA_DIR "/home/CodeLib.txt", log.home.file("CodeLib.txt")));
  ConnectLookupWindows();
  CWSHEET& s = shown();
  const CtyCsv cty;
  ASSERT_FALSE(cty.Entities().empty()) << "cty.csv of the package hamradio-files";
  Operator::Activate(s);
  Operator::Click(s.Text3);
  // "CALL=": no entity (Japanese, maritime mobile); "CALL=WHOSE": that of WHOSE; "CALL": its own.
  for (const QString& entry :
       QString(
           "JA1ABC= JA1ABC/P= DL1ABC/MM= JA1ABC/KH6=KH6 JD1AB W1AW K1ABC KL7AA N2XX VK2ABC BV2AA UA3ABC "
           "UA9ABC RA2FA KH6/JA1ABC=KH6 VP2E/W1AW=VP2E 3D2AB W1ABC/6=W6ABC UA3ABC/9=UA9ABC DL1ABC/A=DL1ABC "
           "LU1ABC/D=LU1ABC DL1ABC/P=DL1ABC EA8/DL1ABC/P=EA8 LA1ABC/LH=LA1ABC JA1ABC/F=F F/JA1ABC=F C7A C7B= "
           "W1ABC/QRPP= SY2APF UA6IC/6/FF=UA6IC IT9CKA/CA IT9DTU/N IT9GDS/WLK IT9YBL/SG")
           .split(' ')) {
    const QString call = entry.section('=', 0, 0), whose = entry.section('=', -1);
    s.Text2.setText("1002");
    Operator::Type(call);
    QString code = s.Text2.text();  // where the sheet jumps: the entity's code in the master
    if (whose.isEmpty()) {
      EXPECT_EQ(code, call.startsWith('J') ? "1002" : "") << call.toStdString();
      EXPECT_FALSE(IsLoaded<newCODE_LIST>()) << "no candidates of a call typed before " << call.toStdString();
    } else {
      const int want = cty.Call(whose);
      ASSERT_GE(want, 0) << call.toStdString();
      EXPECT_EQ(DXCCCodeSearch(code, kFirstEntityId, 6),
                QString::number(cty.Entities()[want].adif).rightJustified(3, '0'))
          << call.toStdString() << " -> " << code.toStdString();
    }
    for (qsizetype i = 0; i < call.size(); ++i) Operator::Key(Qt::Key_Backspace);
  }
  // Key by key the search box holds the likely entity of what the call box shows, or nothing: Ctrl+A,
  // then each key typed over what the box holds ('<' a BackSpace).
  const auto keys = [&](const QString& typed) {
    Operator::Key(Qt::Key_A, Qt::ControlModifier);
    for (const QChar key : typed) {
      key == '<' ? Operator::Key(Qt::Key_Backspace) : Operator::Type(key);
      const std::vector<int32_t> ids = DxccEntitiesOfCall(s.Text3.text()).ids;
      EXPECT_EQ(s.Text2.text(), ids.empty() ? QString() : DxccTable.DxccEntityTable[ids[0]].HLcode)
          << s.Text3.text().toStdString();
      // The candidates are listed while there are several, and go with the call.
      EXPECT_EQ(IsLoaded<newCODE_LIST>(), ids.size() > 1) << s.Text3.text().toStdString();
    }
  };
  for (const char* typed :
       {"IZ8XX", "JA2ATE", "KH6/JA", "JA1ABC/W<", "8J1RL<", "JD1ABC<<<<<", "3D2AG<<<<<", "I<"})
    keys(typed);
  // A code the operator typed is his: a Japanese call leaves it; a call's own goes with the call.
  Operator::Click(s.Text2);
  Operator::Type("1002");
  Operator::Click(s.Text3);
  Operator::Type("JA1ABC");
  EXPECT_EQ(s.Text2.text(), "1002");
  keys("W1AW<<<<");
  EXPECT_EQ(s.Text2.text(), "");
  SetDxccHitsListener(nullptr);
}

TEST_F(CWSHEETTest, OtherProgramsSendCommandsThroughTheSender) {
  CWSHEET& s = shown();
  auto send = [](const QString& text) {
    QProcess sender;
    sender.start(ORBEXSEND_PATH, {text});
    // The sheet answers on this thread: let it run while the sender waits.
    while (sender.state() != QProcess::NotRunning) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      sender.waitForFinished(5);
    }
    return sender.exitCode();
  };
  EXPECT_EQ(send("JA1XYZ+1002+x+7.025+CW"), 0);
  EXPECT_EQ(QStringList({s.Text2.text(), s.Text3.text(), s.Text1.text(), RigPortState.SatMateMode}),
            QStringList({"1002", "JA1XYZ", "7.025", "CW"}));
  EXPECT_EQ(s.MSFlexGrid2.TopRow(), gridRow(kRow1002));

  RigPortState.ManualFreqFlag = 1;
  EXPECT_EQ(send("SatMate+435.100+FM+r1+r2+x+y+JA1ABC+1101"), 0);
  EXPECT_EQ(s.Text2.text(), "1101") << "the code is looked up";
  EXPECT_EQ(RigPortState.ManualFreqFlag, 0) << "no tenth field: the hand-over fails";
  EXPECT_EQ(send("SatMate+435.100+FM+r1+r2+x+y+JA1AAB+1002+T"), 0);
  ASSERT_NE(LoadedForm<TEMP_LOG>(), nullptr) << "the satellite QSO goes to the entry window";
  const auto entry = [] {  // call, frequency, code, QTH
    const TEMP_LOG& w = *LoadedForm<TEMP_LOG>();
    return QStringList({w.Text1.text(), w.Text8.text(), w.Text9.text(), w.Text13.text()});
  };
  EXPECT_EQ(entry(), QStringList({"JA1AAB", "435.100", "1002", "東京都八王子市"}))
      << "the QTH of the code's row";
  EXPECT_EQ(RigPortState.ManualFreqFlag, 1);
  LoadedForm<TEMP_LOG>()->Unload();
  // A code the sheet does not hold: no QTH of the row that happens to be selected.
  QsoRules.QslFlagCode = "4";
  EXPECT_EQ(send("SatMate+435.100+FM+r1+r2+x+y+JA1AAB+4999+T"), 0);
  ASSERT_NE(LoadedForm<TEMP_LOG>(), nullptr);
  EXPECT_EQ(entry().mid(2), QStringList({"4999", ""}));
  EXPECT_EQ(QsoRules.QslFlagCode, "0");
  LoadedForm<TEMP_LOG>()->Unload();
  s.Check9.show();
  EXPECT_EQ(send("ORBEX5wfclose"), 0);
  EXPECT_EQ(s.Text2.text(), "4999") << "the companion's closing changes nothing";

  // A message over the size limit never reaches the sheet.
  int32_t answer = -1;
  EXPECT_FALSE(IpcSend("ORBEX5", QByteArray(kIpcMaxMessage + 1, 'A'), &answer));
  UnloadForm<CWSHEET>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(send("JA1XYZ+1002+x+7.025+CW"), 1) << "nobody listens once the sheet is closed";
}

// Satellite QSOs from companions while the entry window holds a QSO not saved: one question at a time,
// in the order they came (the next comes while a question is up, as a box lets events run), and the
// window ends with the newest.
TEST_F(CWSHEETTest, SatelliteQsosWhileAQsoIsNotSavedAskOneAtATimeInTheirOrder) {
  shown().LOGOPEN.Trigger();
  Operator::Activate(*LoadedForm<TEMP_LOG>());
  Operator::Key(Qt::Key_F2);
  Operator::Type("JA1UNS");
  std::vector<std::unique_ptr<Companion>> satMates;
  const auto send = [&] {
    const QByteArray call = "JA1SQ" + QByteArray(1, char('A' + satMates.size()));
    satMates.emplace_back(std::make_unique<Companion>())
        ->Send("SatMate+435.100+FM+r1+r2+x+y+" + call + "+1002+T");
  };
  int open = 0;
  QStringList asked;
  boxes.OnShow = [&](const MsgBoxCall& box) {
    ++open;
    asked << QString("%1 %2 %3").arg(box.text, LoadedForm<TEMP_LOG>()->Text1.text()).arg(open);
    if (satMates.size() < 4) {
      send();
      EXPECT_TRUE(WaitUntil([&] { return IpcMessagesWaiting() == 1 || open > 1; }));
    }
    --open;
  };
  for (int i = 0; i < 4; ++i) boxes.Answer(vbYes);
  send();
  ASSERT_TRUE(WaitUntil([&] {
    return satMates.size() == 4 && std::all_of(satMates.begin(), satMates.end(),
                                               [](const auto& c) { return !c->Answers().isEmpty(); });
  }));
  const QString question = "LOGﾃﾞｰﾀが未保存ですが宜しいですか ";
  EXPECT_EQ(asked, QStringList({question + "JA1UNS 1", question + "JA1SQA 1", question + "JA1SQB 1",
                                question + "JA1SQC 1"}));
  EXPECT_EQ(LoadedForm<TEMP_LOG>()->Text1.text(), "JA1SQD");
}

// A satellite QSO that comes while a deletion waits for another program's lock of the log is carried
// out once the deletion is through: the QSO shown is deleted, then the companion's comes.
TEST_F(CWSHEETTest, ACompanionsQsoDuringADeletionsWaitComesAfterTheDeletion) {
  shown().LOGOPEN.Trigger();
  TEMP_LOG& w = *LoadedForm<TEMP_LOG>();
  Operator::Activate(w);
  Operator::Click(w.Command2);  // the newest stored QSO
  ASSERT_EQ(w.Text1.text(), "JA0AAA");
  const int32_t count = CountHdbRecords();
  int other = LockAsAnotherProgram(log.Hdb());
  Companion satMate;
  WhenShown(&WaitHoldsInput, [&] {
    satMate.Send("SatMate+435.100+FM+r1+r2+x+y+JA1SQA+1002+T");
    WhenShown([] { return IpcMessagesWaiting() == 1; }, [&] { ::close(std::exchange(other, -1)); });
  });
  boxes.OnShow = [](const MsgBoxCall&) {  // a box on the screen lets events run
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  };
  boxes.Answer(vbYes).Answer(vbOK);
  Operator::Click(*w.menuBar(), w.menuBar()->actionGeometry(w.HLMENT.action()).center());
  Operator::Click(*w.HLMENT.submenu(), w.HLMENT.submenu()->actionGeometry(w.DATDEL.action()).center());
  ASSERT_TRUE(WaitUntil([&] { return !satMate.Answers().isEmpty(); }));
  EXPECT_EQ(satMate.Answers(), QList<int32_t>({kIpcHandled}));
  EXPECT_EQ(boxes.texts().value(1), "4 を削除しました");
  EXPECT_EQ(boxes.texts().size(), 2) << "no question of the companion's in between";
  EXPECT_EQ(CountHdbRecords(), count - 1);
  QString left;
  QTextStream out(&left);
  ASSERT_TRUE(hamlogdb::Dump(log.dir, 1, 100, out).Ok());
  out.flush();
  EXPECT_FALSE(left.contains("JA0AAA")) << "the QSO the window showed is the one deleted";
  EXPECT_EQ(LoadedForm<TEMP_LOG>()->Text1.text(), "JA1SQA");
}

TEST_F(CWSHEETTest, RightClicksAndTheCallBoxOpenTheQsoLists) {
  CWSHEET& s = shown();
  FlexGrid& g = s.MSFlexGrid2;
  const int row = gridRow(kRow1002);
  Operator::ClickCell(g, row, 7, Qt::RightButton);
  ASSERT_NE(LoadedForm<QSODATA>(), nullptr);
  EXPECT_EQ(LoadedForm<QSODATA>()->windowTitle(), "1002とのＱＳＯ一覧 1回") << "7 MHz only";
  Operator::ClickCell(g, row, 2, Qt::RightButton);
  EXPECT_EQ(LoadedForm<QSODATA>()->windowTitle(), "1002とのＱＳＯ一覧 2回") << "off the bands: every band";

  s.Text3.setText("JA1AAB");
  EXPECT_EQ(LoadedForm<QSODATA>(), nullptr) << "typing a call closes the list";
  QTest::keyClick(&s.Text3, Qt::Key_Return);
  ASSERT_NE(LoadedForm<QSODATA>(), nullptr);
  EXPECT_TRUE(LoadedForm<QSODATA>()->windowTitle().contains("JA1AAB"));
  QTest::mouseClick(&s.Command8, Qt::LeftButton);
  EXPECT_EQ(LoadedForm<QSODATA>(), nullptr);

  LogWindowState.StoredRecordShown = 1;
  EXPECT_EQ(boxOf([&] { Operator::ClickCell(g, row, 7, Qt::RightButton); }),
            "LOG帳open中　あるいは\r\nQSL受領処理中はQSOデータを表示出来ません10");
  EXPECT_EQ(LoadedForm<QSODATA>(), nullptr);
  LogWindowState = {};
}

TEST_F(CWSHEETTest, QslReceiptModeListsTheCardsNotYetCome) {
  CWSHEET& s = shown();
  s.QSLCHK.Trigger();
  EXPECT_TRUE(s.QSLCHK.Checked());
  EXPECT_EQ(LogWindowState.QslCheckMode, 1);
  EXPECT_TRUE(s.Label8.isVisible());
  EXPECT_FALSE(s.Text2.isEnabled());
  EXPECT_FALSE(s.Command6.isVisible());
  QTest::keyClicks(&s.Text3, "JA1AAB");
  QTest::keyClick(&s.Text3, Qt::Key_Return);
  ASSERT_NE(LoadedForm<QSODATA>(), nullptr);
  EXPECT_TRUE(LoadedForm<QSODATA>()->windowTitle().startsWith("JA1AAB局のＱＳＬ未ＣＦＭは 1枚"));
  s.QSLCHK.Trigger();
  EXPECT_FALSE(s.QSLCHK.Checked());
  EXPECT_EQ(LogWindowState.QslCheckMode, 0);
  EXPECT_EQ(LoadedForm<QSODATA>(), nullptr);
  EXPECT_TRUE(s.Text2.isEnabled());
  LogWindowState = {};
}

// A satellite QSO sent while a save waits for another program's lock comes once the typed QSO is stored;
// a close meanwhile says why it cannot be; an entry window unloaded during the wait ends its save unsaid.
TEST_F(CWSHEETTest, ASatelliteQsoDuringASavesWaitComesAfterTheSaveAndAnUnloadSaysNoFailure) {
  Settings.Hlyn = "NO";  // saved without HAMLOG's question
  Settings.ModeCount = "1";
  WriteIni("ORB", "MODE1", "FM");
  sheet().Show();
  const int32_t count = CountHdbRecords();
  QString waiting;
  for (const QString call : {"JA1WAT", "JA1UNL"}) {
    sheet().LOGOPEN.Trigger();
    TEMP_LOG* w = LoadedForm<TEMP_LOG>();
    Operator::Activate(*w);
    Operator::Key(Qt::Key_F2);
    Operator::Type(call);
    Operator::Key(Qt::Key_F5);
    Operator::Type("7.025");
    int other = LockAsAnotherProgram(log.Hdb());
    QLocalSocket satMate;
    QTimer watch;  // runs during the save's wait
    QObject::connect(&watch, &QTimer::timeout, [&] {
      const QString note = w->StatusBar1.PanelText(2);
      if (!note.contains("HAMLOG.HDB を他のプログラムがロック中。待っています") || other < 0) return;
      if (call == "JA1WAT" && satMate.state() == QLocalSocket::UnconnectedState) {
        satMate.connectToServer(IpcSocketPath(kProgramMessageTitle));
        const QByteArray m = "SatMate+435.100+FM+r1+r2+x+y+JA1SAT+1001+T";
        satMate.write(QByteArray(1, char(m.size())) + QByteArray(3, '\0') + m);
        w->close();  // the window manager's close
      } else if (call == "JA1UNL" || note.contains("指示 1 件")) {
        if (call == "JA1UNL") UnloadForm<TEMP_LOG>();
        waiting += note;
        ::close(std::exchange(other, -1));
      }
    });
    watch.start(5);
    Operator::Key(Qt::Key_F1);
    EXPECT_TRUE(WaitUntil([&] { return !satMate.isOpen() || satMate.bytesAvailable() >= 4; }));
    if (TEMP_LOG* entry = LoadedForm<TEMP_LOG>(); satMate.isOpen()) {
      EXPECT_EQ(satMate.read(4) + entry->Text1.text().toLatin1() + entry->Label17.text().toLatin1(),
                QByteArray(4, '\0') + "JA1SATFM");
    }
  }
  EXPECT_TRUE(waiting.contains("(終わるまでこの画面は閉じられません)")) << waiting.toStdString();
  EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join('|').toStdString();
  EXPECT_EQ(CountHdbRecords(), count + 1) << "JA1WAT's; the save unloaded during its wait wrote nothing";
}

// "HAMLOG追加読込" while another program holds a lock of the log: the lock file's write lock, the whole of
// HAMLOG.HDB, or a record as a dBase writer locks the one it writes, each by a process of its own whose lock
// names it. The wait shows whole on the status bar of the sheet at its opening width, naming the file and
// the holder; Esc ends it with nothing read, the box naming them too; let go during the wait, the append
// reads the new QSO.
TEST_F(CWSHEETTest, AnAppendWaitsForEachLockOfAnotherProgramShownWholeUntilEscOrItsEnd) {
  const DesktopLook look;
  CWSHEET& s = shown();
  Operator::Activate(s);
  s.resize(798, s.height());  // its opening width on a desktop (the frame takes its share)
  const QString lck = log.Hdb().chopped(3) + "lck";
  const std::tuple<QString, int64_t, int64_t> holds[] = {
      {lck, 1, 1}, {log.Hdb(), 0, 0}, {log.Hdb(), hamlog::HdbRecordOffset(5), hamlog::kHdbRecordLength}};
  int added = 0;
  for (const auto& [path, start, length] : holds)
    for (const bool esc : {true, false}) {
      log.Add({QString("JA1NW%1,2021/05/05,21.010,CW,1002,J *").arg(++added)});
      const SheetState before = state();
      LockInOtherProcess other(path, start, length);
      ASSERT_TRUE(other.Held());
      const QString holder =
          QString("プロセス %1 %2").arg(other.Process()).arg(hamlog::ProcessName(other.Process()));
      QString note, cut;
      WhenShown([&] { return s.StatusBar1.PanelText(5).contains("待っています"); },
                [&] {
                  note = s.StatusBar1.PanelText(5);
                  cut = NoteCut(s.StatusBar1, 5);
                  esc ? Operator::Key(Qt::Key_Escape) : other.Release();
                });
      const QString said = append(esc ? 2 : 1);
      EXPECT_EQ(note,
                QFileInfo(path).fileName() + " を" + holder + " がロック中。待っています (Esc で中止) 0 秒");
      EXPECT_EQ(cut, "");
      if (!esc) {
        EXPECT_EQ(state().lastp, QString::number(4 + added));
        continue;
      }
      const QString what = path == lck ? "待つのをやめました。何も読み書きしていません"
                                       : "待つのをやめました。何も読み込んでいません";
      EXPECT_TRUE(said.endsWith(path + " を他のプログラム (" + holder + ") がロックしていて、" + what))
          << said.toStdString();
      expectSame(state(), before);
    }
}

// "HAMLOG追加読込" while another program is mid-write (record written, count not yet, log locked): the wait
// shows in the status bar, a close says why it cannot be, Esc ends it with nothing read; once the other
// program is through, its QSO is read with the cards it entered (the log read whole, as the frame says).
TEST_F(CWSHEETTest, AnAppendShowsItsWaitForAnotherProgramsWriteAndTakesTheCardsItEntered) {
  CWSHEET& s = shown();
  Operator::Activate(s);
  log.Add({"JA1NEW,2021/05/05,21.010,CW,1002,J *"});
  ASSERT_TRUE(InOtherProcess([&] {
    hamlogdb::OpenedLog hamlog;  // a card for JA1AAB, and JA1AAA made portable (excluded)
    return hamlog.Open(log.dir).Ok() && hamlog.Db().PutQslMark(2, 2, '*') == HAMLOG_OK &&
           hamlog.Db().PutQslMark(1, 0, 'P') == HAMLOG_OK;
  }));
  const uint32_t n = uint32_t(CountHdbRecords()), before = n - 1;
  QSet<QString> busy;
  for (const bool esc : {true, false}) {
    const int other = LockAsAnotherProgram(log.Hdb());
    ASSERT_EQ(pwrite(other, &before, 4, 4), 4);
    QString waited;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      busy << s.Label2.text();
      const QString note = s.StatusBar1.PanelText(5);
      if (!note.contains("HAMLOG.HDB を他のプログラムがロック中。待っています") || !waited.isEmpty()) return;
      if (!note.contains("閉じられません")) return s.close(), void();
      waited = note;
      if (esc) Operator::Key(Qt::Key_Escape);
      if (!esc && pwrite(other, &n, 4, 4) == 4) ::close(other);
    });
    watch.start(0);  // at each turn of the events: the busy frame's text too
    append();
    EXPECT_FALSE(waited.isEmpty());
    if (esc) {
      ASSERT_EQ(pwrite(other, &n, 4, 4) + ::close(other), 4);  // it is through
    }
  }
  EXPECT_EQ(boxes.texts().value(0),
            log.Hdb() +
                " を他のプログラムが書き込み中で (件数がまだ書かれていません)、待つのをやめました。"
                "何も読み込んでいません。そのプログラムが書き終えてから、もう一度行って下さい");
  EXPECT_TRUE(busy.contains("HAMLOG変更あり 全件読込中"));
  expectAsReadAfresh();
}
