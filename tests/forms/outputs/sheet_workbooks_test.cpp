// The sheet's "Excel Sheet作成" outputs as the operator meets them: the data file, the workbooks read
// back from the program folder, the display switches and what a failure leaves behind.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QSysInfo>
#include <functional>
#include <map>
#include <QTimeZone>

#include "core/BandLayout.h"
#include "hamlogdb/hamlogdb.h"
#include "core/DesignatedCities.h"
#include "core/SharedSettings.h"
#include "forms/outputs/ListDialog.h"
#include "forms/sheet/CWSHEET.h"
#include "outputs/Spreadsheets.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/ui/responders.h"
#include "sheet/SheetTally.h"
#include "support/rig_poll_watch.h"
#include "support/automation_recorders.h"
#include "support/operator.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"
#include "support/xlsx_reader.h"

namespace {

struct SheetWorkbooksTest : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  ShellRecorder shell;
  RigPollWatch poll{boxes};

  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *", "JA1AAB,2020/01/02,14.050,SSB,1002,J  ",
             "JA7TWN,2021/05/06,21.100,CW,10001A,J *", "JA7TWO,2021/05/07,7.010,CW,10001A,J *",
             "JA7VIL,2022/01/02,435/145,FM,10001B,J *", "JA0AAA,2020/03/01,7.025,CW,0901,J E",
             "JA1WRD,2020/02/03,7.025,CW,100101,J *"});
    log.Prepare();
    poll.Start();
    SetFixedClock(QDateTime(QDate(2025, 2, 3), QTime(12, 0), QTimeZone(9 * 3600)));
  }
  void TearDown() override {
    CloseSheetAndResetState();
  }
  CWSHEET& sheet() { return Form<CWSHEET>(); }
  // The ACA list is made of a reading within one year.
  static void readOneYear() {
    ReadConditions.StartDate = "20200101";
    ReadConditions.EndDate = "20201231";
  }
  // The row of column A that holds `code` in a sheet of the workbook; 0 when none.
  static int rowOf(const XlsxFile& x, const QString& sheetName, const QString& code) {
    for (int r = 1; r < 200; ++r)
      if (x.Cell(sheetName, r, 1) == code) return r;
    return 0;
  }
  // The cells `refs` of a sheet, joined by "|".
  static QString cellsAt(const XlsxFile& x, const QString& sheetName, const QStringList& refs) {
    QStringList texts;
    for (const QString& ref : refs) texts << x.Cell(sheetName, ref);
    return texts.join('|');
  }
};

TEST_F(SheetWorkbooksTest, CfmWkdListWritesTheDataFileAndTheWorkbookGetsItsRows) {
  CWSHEET& s = sheet();
  boxes.Answer(vbOK).Answer(vbOK);
  s.EXCC.Trigger();
  EXPECT_EQ(boxes.texts(), QStringList({"作表にかかります\r\n次のORBEX5からのメッセージが出るまで　　ＱＲＸ",
                                        "作表完了です\r\n"}));
  const QStringList lines = FromAnsi(log.home.read("FOREXCEL.DAT")).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 11) << "twelve codes but Tokyo's 1001";
  QStringList line1002;
  for (const QString& l : lines) {
    EXPECT_EQ(l.split(',').size(), 20);
    EXPECT_FALSE(l.startsWith("\"1001 ")) << l.toStdString();
    if (l.startsWith("\"1002")) line1002 = l.split(',');
  }
  ASSERT_EQ(line1002.size(), 20);
  EXPECT_EQ(line1002[0], "\"1002  \"");
  EXPECT_TRUE(line1002[1].startsWith("\"東京都八王子市 ")) << "as the sheet shows it, not trimmed";
  EXPECT_EQ(line1002[6], "\"C\"");   // 7 MHz
  EXPECT_EQ(line1002[8], "\"W\"");   // 14 MHz
  EXPECT_EQ(line1002[19], "\"\"");   // satellite
  EXPECT_TRUE(lines.join('\n').contains("\"長野県旧市*05/01"));

  const XlsxFile x(log.home.file("ORBEX5.xlsx"));
  ASSERT_TRUE(x.ok());
  EXPECT_EQ(shell.opened(), QStringList({log.home.file("ORBEX5.xlsx")}));
  EXPECT_EQ(cellsAt(x, "Sheet1", {"A1", "E1", "T1"}), "CODE|1.9MHz|ｻﾃﾗｲﾄ");
  const int r = rowOf(x, "Sheet1", "1002");
  ASSERT_GT(r, 1) << "codes as the other workbooks hold them, without the sheet's padding";
  EXPECT_EQ(x.Cell("Sheet1", r, 2), "東京都八王子市");
  for (const QString& v : x.Cells("Sheet1")) EXPECT_EQ(v, v.trimmed());
  EXPECT_EQ(x.Cell("Sheet1", r, 7), "C");
  EXPECT_EQ(x.Cell("Sheet1", r, 9), "W");
  EXPECT_EQ(cellsAt(x, "マクロ", {"A1", "B1"}), "Main|0");
  EXPECT_TRUE(s.EXCC.Enabled());
  EXPECT_TRUE(s.Frame5.isEnabled());
  EXPECT_FALSE(s.Frame1.isVisible());
  EXPECT_TRUE(poll.offDuringABox);
  EXPECT_TRUE(RigPollWatch::Polling());

  // Abolished QTHs hidden: they leave the data file too.
  DisplayItems.DelQTH = "1";
  WorkbookRecorder excel;
  boxes.Answer(vbOK).Answer(vbOK);
  s.EXCC.Trigger();
  EXPECT_FALSE(FromAnsi(log.home.read("FOREXCEL.DAT")).contains("旧市"));
  EXPECT_EQ(excel.calls(), QStringList({"Open ORBEX5.XLS", "Attach", "Run Main(0)", "Publish"}));
}

TEST_F(SheetWorkbooksTest, AnOpenWorkbookOrAFailingSpreadsheetIsReportedAndTheSheetUnlocked) {
  CWSHEET& s = sheet();
  // Office's owner file: the user's name as a length byte and ANSI, then at 54 as a length and UTF-16.
  const QString user = QString::fromUtf8("山田 太郎");
  const QByteArray ansi = ToAnsi(user), utf16 = QStringEncoder(QStringEncoder::Utf16LE).encode(user);
  const QByteArray owner = (char(ansi.size()) + ansi).leftJustified(54) + char(user.size()) + '\0' + utf16;
  const QString lock = log.home.write("~$ORBEX5.xlsx", owner.leftJustified(165));
  boxes.Answer(vbOK).Answer(vbOK);
  s.EXCC.Trigger();
  ASSERT_EQ(boxes.texts().size(), 2);
  EXPECT_EQ(boxes.texts()[1], log.home.file("ORBEX5.xlsx") + " は他のプログラムで開かれています（ロックファイル " +
                                  lock + "、山田 太郎）。そのプログラムで閉じてからやり直して下さい");
  EXPECT_TRUE(log.home.read("ORBEX5.xlsx").isEmpty());
  EXPECT_FALSE(log.home.read("FOREXCEL.DAT").isEmpty()) << "the data file stays written";
  EXPECT_TRUE(s.EXCC.Enabled());
  EXPECT_TRUE(s.MENU.Enabled());
  EXPECT_TRUE(s.Frame6.isEnabled());
  EXPECT_EQ(s.Label2.text(), "データ読み込み中です  ＱＲＸ");
  EXPECT_TRUE(RigPollWatch::Polling());

  WorkbookRecorder excel;
  excel.attachError = 424;
  boxes.Answer(vbOK).Answer(vbOK);
  s.EXCC.Trigger();
  EXPECT_EQ(boxes.texts().last(), "Excel が終了されました。");
  excel.attachError = 0;
  excel.publishOk = false;
  boxes.Answer(vbOK).Answer(vbOK);
  s.EXCC.Trigger();
  EXPECT_EQ(boxes.texts().last(), "書き込めませんでした") << "never followed by the success message";
  EXPECT_TRUE(RigPollWatch::Polling());
}

TEST_F(SheetWorkbooksTest, OrbBookHasTwoRowsPerCodeAndTheDisplayComesBack) {
  CWSHEET& s = sheet();
  boxes.Answer(vbOK).Answer(vbYes).Answer(vbOK);
  s.ORB_SHEET.Trigger();
  ASSERT_EQ(boxes.texts().size(), 3);
  EXPECT_EQ(boxes.shown()[1].title, "ORB本の作成");
  // What holds for the .xlsx written here: no password, saved as it is.
  EXPECT_TRUE(boxes.texts()[0].contains("ORB_SHEET.xlsx") && boxes.texts()[0].contains("保護はかかっていません"));
  EXPECT_FALSE(boxes.texts().join("").contains("TRAWN") || boxes.texts().join("").contains("97-2003"));
  EXPECT_EQ(boxes.texts()[2],
            "ORB Total Count = 6 でした。\r\n「集計表示」→「ORB本の手引き」→「集計表の転記」と進んで下さい\r\n"
            "申請用の集計（累計）表を作ることが出来ます。\r\nORB_SHEET.xlsx に書き込み済みです\r\n所用時間 = 0:00:00");
  const XlsxFile x(log.home.file("ORB_SHEET.xlsx"));
  ASSERT_TRUE(x.ok());
  EXPECT_EQ(rowOf(x, "Sheet1", "1001"), 0);
  EXPECT_EQ(rowOf(x, "Sheet1", "10001A"), 0) << "towns are not in the book";
  const int r = rowOf(x, "Sheet1", "1002");
  ASSERT_GE(r, 4);
  EXPECT_EQ((r - 4) % 2, 0);
  // 7 MHz: the third band, columns 3 + 2 * 2 and the next
  EXPECT_EQ(cellsAt(x, "Sheet1", {XlsxFile::Ref(r, 2), XlsxFile::Ref(r, 7), XlsxFile::Ref(r, 8), XlsxFile::Ref(r + 1, 8)}),
            "東京都八王子市|CW|JA1AAA|2020-01-01");
  EXPECT_EQ(x.Cell("Sheet1", r, 11), "") << "14 MHz only worked";
  EXPECT_EQ(x.Cell("Sheet1", r + 1, 1), "");
  const int gun = rowOf(x, "Sheet1", "10001");
  ASSERT_GT(gun, 0);
  EXPECT_EQ(x.Cell("Sheet1", gun, 2), "東京都大島支庁");
  EXPECT_EQ(x.Cell("Sheet1", gun, 33), "FM") << "the satellite column is in the book";
  EXPECT_EQ(x.Cell("Sheet1", gun, 34), "JA7VIL");
  const int yokohama = rowOf(x, "Sheet1", "1101");
  ASSERT_GT(yokohama, 0);
  EXPECT_EQ(x.Cell("Sheet1", yokohama, 2), "神奈川県横浜市") << "a code without confirmation keeps its rows";
  EXPECT_EQ(x.Cell("Sheet1", "B2"), "8") << "the code rows handed to Main";
  // Each band's column pair is headed by the band: 1.9 MHz over C, 7 MHz over G, the satellite over AG.
  EXPECT_EQ(x.Cell("Sheet1", "C3") + " " + x.Cell("Sheet1", "G3") + " " + x.Cell("Sheet1", "AG3"), "1.9MHz 7MHz ｻﾃﾗｲﾄ");
  EXPECT_EQ(x.Cell("Sheet1", "A1"), "ORB本");
  EXPECT_EQ(cellsAt(x, "マクロ", {"A1", "C1"}), "Main|0");
  EXPECT_EQ(x.SheetNames(), QStringList({"Sheet1", "集計表", "マクロ"})) << "the award book posts into 集計表";
  // Opened again to be kept, the workbook comes back with every sheet and value.
  {
    std::unique_ptr<Workbook> again = NewWorkbook(kOrbBookWorkbook);
    ASSERT_EQ(again->OpenExisting(), 42) << again->ErrorText().toStdString();
    QString error;
    ASSERT_TRUE(again->Publish(error)) << error.toStdString();
    const XlsxFile back(log.home.file("ORB_SHEET.xlsx"));
    EXPECT_EQ(back.SheetNames(), x.SheetNames());
    for (const QString& name : x.SheetNames()) EXPECT_EQ(back.Cells(name), x.Cells(name)) << name.toStdString();
  }
  // The operator's display is back: towns shown again, FUKUGEN off, polling restarted.
  EXPECT_EQ(DisplayItems.TownOn, 1);
  EXPECT_FALSE(s.FUKUGEN.Enabled());
  EXPECT_EQ(s.ChousonListMode, 0);
  EXPECT_TRUE(RigPollWatch::Polling());

  // Cancel at the second question: nothing switched, polling untouched.
  WorkbookRecorder excel;
  boxes.Answer(vbOK).Answer(vbCancel);
  s.ORB_SHEET.Trigger();
  EXPECT_EQ(excel.calls(), QStringList({"OpenExisting ORB_SHEET.XLS"}));
  EXPECT_EQ(DisplayItems.TownOn, 1);
  EXPECT_TRUE(poll.offDuringABox);
}

TEST_F(SheetWorkbooksTest, AnOrbBookMadeAgainKeepsThePostedTableAndRewritesItsOwnSheet) {
  CWSHEET& s = sheet();
  boxes.Answer(vbOK).Answer(vbYes).Answer(vbOK);
  s.ORB_SHEET.Trigger();
  {
    // The application book's posting, and a row the book no longer has.
    std::unique_ptr<Workbook> book = NewWorkbook(kOrbBookWorkbook);
    ASSERT_EQ(book->OpenExisting(), 42);
    ASSERT_EQ(book->SelectSheetAt(2), 0);
    book->SetCell(1, 1, "ORB本用 集計");
    book->SetCell(5, 3, 12);
    book->SelectSheet(QString());
    book->SetCell(900, 1, "9999");
    QString error;
    ASSERT_TRUE(book->Publish(error)) << error.toStdString();
  }
  boxes.Answer(vbOK).Answer(vbYes).Answer(vbOK);
  s.ORB_SHEET.Trigger();
  const XlsxFile x(log.home.file("ORB_SHEET.xlsx"));
  ASSERT_TRUE(x.ok());
  EXPECT_EQ(x.SheetNames(), QStringList({"Sheet1", "集計表", "マクロ"}));
  EXPECT_EQ(x.Cell("集計表", "A1"), "ORB本用 集計");
  EXPECT_EQ(x.Cell("集計表", "C5"), "12");
  EXPECT_EQ(x.Cell("Sheet1", 900, 1), "") << "the book's own sheet is written afresh";
  EXPECT_GT(rowOf(x, "Sheet1", "1002"), 0);
  EXPECT_EQ(x.Cell("マクロ", "A2"), "Main") << "the second run's call follows the first";

  // A damaged workbook is reported and left as it is, never replaced.
  QFile::remove(log.home.file("ORB_SHEET.xlsx"));
  log.home.write("ORB_SHEET.xlsx", "not a workbook");
  boxes.Answer(vbOK).Answer(vbYes).Answer(vbOK);
  s.ORB_SHEET.Trigger();
  EXPECT_TRUE(boxes.texts().last().startsWith("不正な形式とみなされました")) << boxes.texts().last().toStdString();
  EXPECT_EQ(log.home.read("ORB_SHEET.xlsx"), "not a workbook");
}

TEST_F(SheetWorkbooksTest, TownListBlocksAcrossTheSheetWithJagCodesAndTheTotal) {
  CWSHEET& s = sheet();
  s.MKchouson.Trigger();
  EXPECT_TRUE(s.Frame3.isVisibleTo(&s));
  EXPECT_EQ(s.Frame3.title(), "作成リストの設定");
  EXPECT_EQ(s.ChousonListMode, 1);
  EXPECT_EQ(DisplayItems.CityOn, 0);
  EXPECT_EQ(SheetTally.GridDataRows, 2) << "a town and a village";
  s.Check5.SetValue(1);
  boxes.Answer(vbNo).Answer(vbOK);
  s.Command9.click();
  EXPECT_EQ(boxes.texts().last(), "町村 Total Count = 1\r\n でした。\r\n所用時間 = 0:00:00");
  const XlsxFile x(log.home.file("町村管理.xlsx"));
  ASSERT_TRUE(x.ok());
  EXPECT_EQ(cellsAt(x, "Sheet1", {"A4", "A5", "B4", "C4", "D4", "D5", "E5", "F4", "G4", "N6", "A7"}),
            "1|1|東京都大島町|10001\n    -1|CW|7   |2021-05-07|東京都利島村|10001\n    -2| cfm 合　計  = 1/2|SUM");
  EXPECT_EQ(x.Cell("Sheet1", "E4"), "JA7TWO") << "the lowest confirmed band";
  EXPECT_EQ(x.Cell("Sheet1", "H4"), "") << "the satellite column is not searched";
  EXPECT_EQ(cellsAt(x, "マクロ", {"A1", "B1", "A2"}), "DataCls|　全　国　|keisen1");
  EXPECT_EQ(s.ChousonListMode, 0);
  EXPECT_TRUE(s.FUKUGEN.Enabled());
  EXPECT_TRUE(s.Frame3.isVisibleTo(&s)) << "Go can be pressed again";

  s.Command10.click();
  EXPECT_FALSE(s.Frame3.isVisibleTo(&s));
  EXPECT_EQ(DisplayItems.CityOn, 1);
}

TEST_F(SheetWorkbooksTest, AcaSheetGroupsByPrefectureWithCallsAndDays) {
  readOneYear();
  WorkbookRecorder excel;
  CWSHEET& s = sheet();
  boxes.Answer(vbYes).Answer(vbOK).Answer(vbOK);
  s.MKACA.Trigger();
  EXPECT_EQ(boxes.texts().last(), " Total Count = 3\r\n でした。\r\n所用時間 = 0:00:00");
  EXPECT_EQ(excel.calls().mid(0, 3), QStringList({"Open ACA特定申請書.xls", "Attach", "Sheet ACAデータ"}));
  const auto at = [&excel](int r, int c) { return excel.cell(r, c, "ACAデータ"); };
  EXPECT_EQ(at(1, 2), "2020");
  // 1002 (prefecture 10) after the ward 100101: same prefecture, no gap.
  int ward = 0, city = 0;
  for (int r = 4; r < 40; r += 2) {
    if (at(r, 1) == "10" && at(r, 3) == "01") ward = r;
    if (at(r, 1) == "10" && at(r, 2) == "02") city = r;
  }
  ASSERT_EQ(ward, 6) << "prefecture 10 after the starting 01 leaves one empty row pair";
  EXPECT_EQ(city, 8);
  EXPECT_EQ(QStringList({at(ward + 1, 1), at(ward + 1, 2), at(ward + 1, 3), at(city + 1, 1), at(city + 1, 2)}),
            QStringList({"東京", "２３区", "千代田", "東京", "八王子"}));
  EXPECT_EQ(at(ward, 6) + " " + at(ward + 1, 6), "JA1WRD 2/3");  // 7 MHz: sheet column 6
  EXPECT_EQ(at(city, 8) + " " + at(city + 1, 8), "JA1AAB 1/2") << "worked-only bands are written too";
  EXPECT_EQ(excel.published(), 1);
  EXPECT_EQ(DisplayItems.TownOn, 1) << "the display is read back";
  EXPECT_TRUE(RigPollWatch::Polling());
}

TEST_F(SheetWorkbooksTest, TheTownListOfAllJapanIsTitledSoAfterAnAreaView) {
  CWSHEET& s = sheet();
  s.show();
  s.SALL3.Trigger();  // the sheet narrowed to area 3 first
  s.MKchouson.Trigger();
  Operator::Click(s.Option1[0]);  // "全国一括町村リスト"
  boxes.Answer(vbNo).Answer(vbOK);
  Operator::Click(s.Command9);
  EXPECT_EQ(XlsxFile(log.home.file("町村管理.xlsx")).Cell("Sheet1", "B1"), "町村リスト 全　国");
}

TEST_F(SheetWorkbooksTest, TheAcaFormNamesTheBandOfEachColumn) {
  readOneYear();
  boxes.Answer(vbYes).Answer(vbOK).Answer(vbOK);
  sheet().MKACA.Trigger();
  const XlsxFile x(log.home.file("ACA特定申請書.xlsx"));
  EXPECT_EQ(x.Cell("ACAデータ", "D3") + " " + x.Cell("ACAデータ", "F3") + " " + x.Cell("ACAデータ", "P3"), "1.9MHz 7MHz 1.2GHz");
  EXPECT_EQ(x.Cell("ACAデータ", "Q3"), "") << "the form ends at 1200 MHz";
}

// Each output says when its workbook is open in another program or cannot be written, naming the file,
// and leaves it as it was.
TEST_F(SheetWorkbooksTest, EveryWorkbookOutputSaysWhenItsWorkbookIsBusyOrUnwritable) {
  readOneYear();
  CWSHEET& s = sheet();
  // `stale`: the answer to the question about a lock left by a crash, when there is one.
  const auto crashed = [&](int stale) { if (stale) boxes.Answer(stale); };
  const std::vector<std::pair<QString, std::function<void(int)>>> outputs = {
      {"ORBEX5.xlsx", [&](int stale) { crashed(stale), boxes.Answer(vbOK).Answer(vbOK), s.EXCC.Trigger(); }},
      {"ORB_SHEET.xlsx", [&](int stale) { crashed(stale), boxes.Answer(vbOK).Answer(vbNo).Answer(vbOK), s.ORB_SHEET.Trigger(); }},
      {"町村管理.xlsx", [&](int stale) { crashed(stale), boxes.Answer(vbOK), s.MKchouson.Trigger(); }},
      {"ACA特定申請書.xlsx", [&](int stale) { boxes.Answer(vbYes), crashed(stale), boxes.Answer(vbOK).Answer(vbOK), s.MKACA.Trigger(); }}};
  const QString me = QFileInfo(log.home.file(".")).owner();
  for (const auto& [file, run] : outputs)
    for (const QString kind : {"busy", "crashed", "unwritable"}) {
      const QString path = log.home.file(file), lock = log.home.write(".~lock." + file + "#", "LibreOffice");
      if (kind == "crashed") log.home.write(".~lock." + file + "#", ("," + me + "," + QSysInfo::machineHostName() + ",09.12.2026 00:19,file:///x;").toUtf8());
      if (kind == "unwritable") QFile::remove(lock), QDir().mkpath(path);  // something in its place that is no file
      const qsizetype before = boxes.texts().size();
      run(kind == "crashed" ? vbNo : 0);
      const QString said = boxes.texts().mid(before).join("\n");
      const QString why = kind == "busy" ? "開かれています（ロックファイル " + lock : kind == "crashed" ? lock + " が残って" : "書き込めません";
      EXPECT_TRUE(said.contains(path) && said.contains(why)) << said.toStdString();
      EXPECT_EQ(QFileInfo::exists(path), kind == "unwritable") << "left as it was";
      EXPECT_TRUE(RigPollWatch::Polling() && !s.Frame3.isVisibleTo(&s));
      QFile::remove(lock), QDir(path).removeRecursively();
    }
}

// The shipped master, as scripts/run loads it, with the shipped designated cities and a QSO on every
// city, gun and ward (after every designated city's first day).
struct ShippedMasterOutputs : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  ShellRecorder shell;

  void SetUp() override {
    ASSERT_TRUE(hamlogdb::LoadMaster(log.dir, ORBEX_DATA_DIR "/master.csv").Ok());
    QFile master(ORBEX_DATA_DIR "/master.csv");
    ASSERT_TRUE(master.open(QIODevice::ReadOnly));
    QStringList qsos;
    for (const QString& line : FromAnsi(master.readAll()).split("\r\n", Qt::SkipEmptyParts))
      if (const QStringList f = line.split(','); f.value(2) >= "\"4\"" && f.value(2) <= "\"6\"")
        qsos << "JA1AAA,2023/06/01,7.025,CW," + f[0].mid(1, f[0].size() - 2) + ",J *";
    log.Add(qsos);
    log.Prepare();
    ReadConditions.StartDate = "20230101";  // the ACA list is made of a reading within one year
    ReadConditions.EndDate = "20231231";
    ASSERT_TRUE(QFile::copy(ORBEX_DATA_DIR "/home/" + QString::fromUtf8(kDesignatedCityFile),
                            log.home.file(QString::fromUtf8(kDesignatedCityFile))));
    int32_t bad = 0;
    ASSERT_EQ(LoadDesignatedCityDef(bad), 20);
  }
  void TearDown() override { CloseSheetAndResetState(); }
  // The ACA form written and read back: per code (columns A to C put together) the prefecture, city or
  // gun and ward names below it.
  QMap<QString, QStringList> acaRows() {
    boxes.Answer(vbYes).Answer(vbOK).Answer(vbOK);
    Form<CWSHEET>().MKACA.Trigger();
    const XlsxFile x(log.home.file("ACA特定申請書.xlsx"));
    const QString sheet = QStringLiteral("ACAデータ");
    QMap<QString, QStringList> rows;
    for (int r = 4, empty = 0; empty < 4; r += 2)
      if (const QString pref = x.Cell(sheet, r, 1); (empty = pref.isEmpty() ? empty + 1 : 0) == 0)
        rows.insert(pref + x.Cell(sheet, r, 2) + x.Cell(sheet, r, 3),
                    {x.Cell(sheet, r + 1, 1), x.Cell(sheet, r + 1, 2), x.Cell(sheet, r + 1, 3)});
    return rows;
  }
};

TEST_F(ShippedMasterOutputs, EveryCityGunAndWardGetsItsNamesAndVanishedCitiesFollowTheStartYear) {
  QMap<QString, QStringList> rows = acaRows();
  std::map<qsizetype, int> byLength;
  for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
    ++byLength[it.key().size()];
    const QStringList& n = it.value();
    EXPECT_FALSE(n[0].isEmpty() || n[1].isEmpty() || (it.key().size() == 6 && n[2].isEmpty())) << it.key().toStdString();
  }
  // 772 cities (the 9 vanished ones gone before 2023), 379 guns, 194 wards and Hamamatsu's 6 old ones.
  EXPECT_EQ(byLength, (std::map<qsizetype, int>{{4, 772}, {5, 379}, {6, 200}}));
  EXPECT_EQ(rows.value("0102"), QStringList({"北海道", "旭川", ""}));
  EXPECT_EQ(rows.value("01006"), QStringList({"北海道", "虻田", "(後志)"}));
  EXPECT_EQ(rows.value("09012"), QStringList({"長野", "小県", ""}));
  EXPECT_EQ(rows.value("10004"), QStringList({"東京", "大島", ""}));
  EXPECT_EQ(rows.value("100101"), QStringList({"東京", "２３区", "千代田"}));
  EXPECT_EQ(rows.value("010101"), QStringList({"北海道", "札幌", "中央"}));
  EXPECT_EQ(rows.value("180201"), QStringList({"静岡", "浜松", "中"}));
  // A reading period from 2002 on: the cities gone in 2001 and before are left out.
  ReadConditions.StartDate = "20020101";
  rows = acaRows();
  for (const char* gone : {"1017", "1018", "1027", "1301", "1305", "1320"}) EXPECT_FALSE(rows.contains(gone)) << gone;
  for (const char* later : {"1313", "1326", "2803", "180201"}) EXPECT_TRUE(rows.contains(later)) << later;
}

TEST_F(ShippedMasterOutputs, VanishedCitiesAreHiddenOnRequestAndFoundWithTheirNotice) {
  DisplayItems.DelQTH = "1";  // "消滅したQTHは表示しない", as the start window leaves it
  CWSHEET& s = Form<CWSHEET>();
  s.Show();
  Operator::Activate(s);
  Operator::Click(s.Text2);
  Operator::Commit(QString::fromUtf8("浦和"));
  const int row = s.MSFlexGrid2.TopRow();
  EXPECT_EQ(s.MSFlexGrid2.TextMatrix(row, 1).trimmed(), "1301");
  EXPECT_EQ(s.MSFlexGrid2.RowHeight(row), 0) << "hidden: the name holds its vanishing mark";
  EXPECT_EQ(s.Label2.text(), QString::fromUtf8("1301   は消滅です。"));
}

}  // namespace
