// The application book as the operator uses it: the first opening of a mode, two applications in a
// row with "申請完", corrections of previous counts, the posting into the ORB book workbook,
// hand-damaged counts files and the ways to close.

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <QTest>

#include "award_window_fixture.h"
#include "core/BandLayout.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/ORBBOOK.h"
#include "outputs/Spreadsheets.h"
#include "platform/clock.h"
#include "sheet/SheetTally.h"
#include "support/automation_recorders.h"
#include "support/operator.h"
#include "support/qt_print.h"
#include "support/small_disk.h"
#include "support/xlsx_reader.h"

namespace {

const QString kDat = "ORB-MIX前回申請数.DAT";
const QString kBak = "ORB-MIX前回申請数.bak";
const QString kWorkbook = "ORB_SHEET.xlsx";
const QString kQuestion =
    "この集計表を ORB_SHEET.xlsx のシート「集計表」へ転記して、表計算ソフトで開きます。\r\n\r\n"
    "ほかのシートの値はそのまま残ります。\r\n\r\n転記しますか？";

struct ORBBOOKTest : AwardWindowTest {
  void SetUp() override {
    AwardWindowTest::SetUp();
    SetFixedClock(QDateTime(QDate(2026, 12, 7), QTime(3, 0), Qt::UTC));
    BandTotals.CityConfirmed[0] = 5;
    BandTotals.GunConfirmed[2] = 2;
    BandTotals.WardConfirmed[15] = 1;
  }
  void TearDown() override {
    ResetClock();
    AwardWindowTest::TearDown();
  }
  ORBBOOK& book() { return Form<ORBBOOK>(); }
  FlexGrid& grid() { return book().MSFlexGrid1; }
  // The texts of the grid's cells at (row, column), joined by "|".
  QString cells(std::initializer_list<std::pair<int, int>> at) {
    QStringList texts;
    for (const auto& [r, c] : at) texts << grid().TextMatrix(r, c);
    return texts.join('|');
  }
  void reopen() {
    book().Unload();
    FlushDeletes();
  }
  // A second double click within the test's mouse timing would reach the grid as a triple click, so
  // later ones select the cell and double-click it through the grid's own event.
  void doubleClickCell(int row, int col) {
    grid().SetRow(row);
    grid().SetCol(col);
    grid().DblClick();
  }
  // ORB_SHEET.xlsx as the sheet's ORB-book output leaves it: the codes on the first sheet, the
  // posting sheet second, the macro log. `withMain` false: a workbook of one sheet.
  void writeOrbWorkbook(bool withMain = true) {
    std::unique_ptr<Workbook> w = NewWorkbook(kOrbBookWorkbook);
    DefineMacroStandIns(*w, kOrbBookWorkbook);
    ASSERT_GT(w->Open(), 32);
    w->SelectSheet(QString());
    int32_t result = 0;
    if (withMain) {
      ASSERT_EQ(w->Run("Main", {2, 0}, result), 0);
    }
    w->SetCell(4, 1, "1002");
    w->SetCell(4, 2, QStringLiteral("八王子市"));
    w->SetCell(4, 7, "CW");
    w->SetCell(5, 8, "2020-01-01");
    QString error;
    ASSERT_TRUE(w->Publish(error)) << error.toStdString();
  }
  // Answers the first box; any further box gets OK.
  void post(int answer, int moreBoxes = 0) {
    boxes.Answer(answer);
    for (int i = 0; i < moreBoxes; ++i) boxes.Answer(vbOK);
    book().KICHOU_EXCEL.Trigger();
  }
  // The book's grid against the posting sheet: title in A1, grid row r column c in row r + 3, column c + 1.
  void expectPostedGrid(const XlsxFile& x) {
    EXPECT_EQ(x.Cell("集計表", "A1"), book().windowTitle());
    for (int r = 0; r < grid().Rows(); ++r)
      for (int c = 0; c < grid().Cols(); ++c) {
        const QString shown = grid().TextMatrix(r, c);
        EXPECT_EQ(x.Cell("集計表", r + 3, c + 1), shown.trimmed().isEmpty() ? QString() : shown)
            << r << "," << c;
      }
  }
  void applicationDone() {
    boxes.Answer(vbOK).Answer(vbOK).Answer(vbOK);
    book().B4UPDT.Trigger();
  }
};

TEST_F(ORBBOOKTest, FirstOpeningOfAModeShowsEverythingAsAdded) {
  EXPECT_EQ(book().windowTitle(), "ORB本用 集計  抽出モード = MIX");
  EXPECT_EQ(cells({{2, 1}, {1, 2}, {2, 2}, {3, 2}, {5, 4}, {8, 17}, {11, 18}}), "今回追加数 2026/12/07|0|5|5|2|1|8");
  EXPECT_TRUE(book().Frame1.isHidden());
  EXPECT_TRUE(book().KICHOU_EXCEL.Enabled());
  EXPECT_EQ(lines("ORBEX_BOOK.CSV").size(), 8);
  EXPECT_TRUE(lines("ORBEX_BOOK.CSV")[0].startsWith("5,0,0,"));
  EXPECT_FALSE(QFile::exists(home.file(kDat)));
  EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(ORBBOOKTest, TwoApplicationsInARowKeepTheCountsFileAndItsBackup) {
  applicationDone();
  ASSERT_EQ(boxes.texts().size(), 3);
  EXPECT_EQ(boxes.shown()[0].title, "実績値書き換え");
  EXPECT_EQ(boxes.shown()[0].style, vbOKCancel + vbExclamation);
  EXPECT_TRUE(boxes.texts()[2].startsWith("前回申請数を更新しました。"));
  EXPECT_FALSE(boxes.texts()[2].contains(".bak"));  // there was nothing to back up
  EXPECT_FALSE(QFile::exists(home.file(kBak)));
  EXPECT_EQ(lines(kDat).value(0), "\"5\"," + QString("\"0\",").repeated(14) + "\"0\"");
  EXPECT_EQ(cells({{2, 18}, {5, 18}, {8, 18}, {11, 18}, {1, 2}}), "0|0|0|0|5");
  const QByteArray firstApplication = home.read(kDat);

  // The sheet counts more; the book opens again on the first application.
  book().CLSCNT.Trigger();
  FlushDeletes();
  BandTotals.CityConfirmed[0] = 8;
  EXPECT_EQ(cells({{1, 2}, {2, 2}, {2, 18}}), "5|3|3");
  applicationDone();
  EXPECT_TRUE(boxes.texts().back().contains("ORB-MIX前回申請数.bak として保存しました。"));
  EXPECT_EQ(home.read(kBak), firstApplication);
  EXPECT_TRUE(lines(kDat).value(0).startsWith("\"8\","));
  EXPECT_EQ(grid().TextMatrix(2, 2), "0");
}

TEST_F(ORBBOOKTest, CancelAtEitherQuestionChangesNothing) {
  boxes.Answer(vbCancel);
  book().B4UPDT.Trigger();
  boxes.Answer(vbOK).Answer(vbCancel);
  book().B4UPDT.Trigger();
  EXPECT_FALSE(QFile::exists(home.file(kDat)));
  EXPECT_EQ(grid().TextMatrix(2, 2), "5");
}

TEST_F(ORBBOOKTest, ACorrectedPreviousCountIsStoredAndRecounted) {
  book().Show();
  QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, CellCentre(grid(), 1, 2));
  ASSERT_TRUE(book().Frame1.isVisible());
  EXPECT_EQ(book().BookKindLetter, "C");
  EXPECT_EQ(book().BookBandKey, "1R9");
  QTest::keyClicks(&book().Text1, "2");
  QTest::keyClick(&book().Text1, Qt::Key_Return);
  EXPECT_FALSE(book().Frame1.isVisible());
  EXPECT_EQ(cells({{1, 2}, {2, 2}}), "2|3");
  EXPECT_EQ(ReadIni("ORB", "C1R9"), "2");
  EXPECT_EQ(book().Text1.text(), "");

  doubleClickCell(4, 4);
  EXPECT_EQ(book().BookKindLetter, "G");
  QTest::keyClicks(&book().Text1, "9");
  QTest::keyClick(&book().Text1, Qt::Key_Escape);
  EXPECT_FALSE(book().Frame1.isVisible());
  EXPECT_EQ(grid().TextMatrix(4, 4), "0");

  // Additions and running totals are not edited.
  doubleClickCell(2, 2);
  EXPECT_FALSE(book().Frame1.isVisible());

  // The correction reaches the counts file when the book closes.
  book().CLSCNT.Trigger();
  EXPECT_TRUE(lines(kDat).value(0).startsWith("\"2\","));
}

TEST_F(ORBBOOKTest, PostingPutsTheBookOnTheSecondSheetAndKeepsTheOrbBook) {
  writeOrbWorkbook();
  const QString path = home.file(kWorkbook);
  const QMap<QString, QString> orbBook = XlsxFile(path).Cells("Sheet1");
  ASSERT_EQ(orbBook.value("B2"), "2");  // the code rows handed to Main
  const int openedBefore = shell.opened().size();
  // A corrected previous count is posted as the grid shows it.
  book().Show();
  doubleClickCell(1, 2);
  QTest::keyClicks(&book().Text1, "2");
  QTest::keyClick(&book().Text1, Qt::Key_Return);
  book().Frame1.show();

  post(vbYes);
  EXPECT_TRUE(book().Frame1.isHidden());
  ASSERT_EQ(boxes.texts(), QStringList({kQuestion}));
  EXPECT_EQ(boxes.shown()[0].title, "集計（累積）表の作成");
  EXPECT_EQ(boxes.shown()[0].style, vbYesNo + vbQuestion);
  EXPECT_EQ(book().PostingShellResult, 42);
  const XlsxFile x(path);
  ASSERT_TRUE(x.ok());
  EXPECT_EQ(x.SheetNames(), QStringList({"Sheet1", "集計表", "マクロ"}));
  EXPECT_EQ(x.Cells("Sheet1"), orbBook);
  expectPostedGrid(x);
  EXPECT_EQ(x.Cell("集計表", "C5"), "3") << "the city additions on 1.9 MHz after the correction";
  EXPECT_EQ(x.Cell("集計表", "S14"), "6") << "all additions";
  EXPECT_EQ(QStringList({x.Cell("マクロ", "A1"), x.Cell("マクロ", "A2"), x.Cell("マクロ", "B2"), x.Cell("マクロ", "C2")}),
            QStringList({"Main", "totalMain", "0", "0"}));
  EXPECT_EQ(shell.opened().mid(openedBefore), QStringList({path}));

  // The extended set's book, then the standard one again: nothing of the wider table is left.
  reopen();
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  post(vbYes);
  EXPECT_EQ(XlsxFile(path).Cell("集計表", "Y3"), "  合 計");
  reopen();
  Settings.ExtendedBandSet = 0;
  ApplyBandSetLayout();
  post(vbYes);
  const XlsxFile again(path);
  expectPostedGrid(again);
  for (int r = 3; r <= 15; ++r)
    for (int c = 20; c <= 25; ++c) EXPECT_EQ(again.Cell("集計表", r, c), "") << r << "," << c;
  EXPECT_EQ(again.Cells("Sheet1"), orbBook);
  EXPECT_EQ(again.Cell("マクロ", "C3"), "1");
  EXPECT_EQ(again.Cell("マクロ", "A4"), "totalMain");
}

TEST_F(ORBBOOKTest, AWorkbookLinkedFromElsewhereStaysLinkedAndItsFileTakesThePosting) {
  writeOrbWorkbook();
  const QString kept = home.file("books/ORB_SHEET.xlsx");
  ASSERT_TRUE(QDir().mkpath(home.file("books")));
  ASSERT_TRUE(QFile::rename(home.file(kWorkbook), kept));
  ASSERT_TRUE(QFile::link(kept, home.file(kWorkbook)));
  post(vbYes);
  EXPECT_EQ(QFileInfo(home.file(kWorkbook)).symLinkTarget(), kept);
  expectPostedGrid(XlsxFile(kept));
}

TEST_F(ORBBOOKTest, AWorkbookOnAFullDiskIsToldWithTheCause) {
  SmallDisk disk(256);
  if (!disk.Available()) GTEST_SKIP() << disk.Why().toStdString();
  writeOrbWorkbook();
  ASSERT_TRUE(QFile::rename(home.file(kWorkbook), disk.file(kWorkbook)) && QFile::link(disk.file(kWorkbook), home.file(kWorkbook)));
  disk.Fill();
  post(vbYes, 1);
  EXPECT_EQ(boxes.texts().last(), home.file(kWorkbook) + " を書き込めませんでした（ディスクに空きがありません）。\r\nディスクに空きを作ってから、もう一度行って下さい。");
}

TEST_F(ORBBOOKTest, NoWritesAndOpensNothing) {
  writeOrbWorkbook();
  const QByteArray before = home.read(kWorkbook);
  const int openedBefore = shell.opened().size();
  post(vbNo, 1);
  EXPECT_EQ(boxes.texts(), QStringList({kQuestion, "記帳を中止しました。"}));
  EXPECT_EQ(home.read(kWorkbook), before);
  EXPECT_EQ(shell.opened().size(), openedBefore);
}

TEST_F(ORBBOOKTest, AMissingDamagedOrBusyWorkbookIsToldAndLeftAsItWas) {
  // What stands in the way is said first, with no question before it.
  post(vbOK);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].startsWith("ORB_SHEET.xlsxが見つかりません") &&
              boxes.texts()[0].contains("「Excel Sheet作成」→「ORB本の作成」で作ります")) << boxes.texts()[0].toStdString();
  EXPECT_EQ(book().PostingShellResult, 2);
  EXPECT_FALSE(QFile::exists(home.file(kWorkbook)));

  home.write(kWorkbook, "not a workbook");
  post(vbOK);
  EXPECT_TRUE(boxes.texts()[1].startsWith("不正な形式とみなされました\r\n") &&
              boxes.texts()[1].contains("ORB_SHEET.xlsx を読めませんでした")) << boxes.texts()[1].toStdString();
  EXPECT_EQ(home.read(kWorkbook), "not a workbook");

  // A workbook of one sheet has no second sheet to post into.
  QFile::remove(home.file(kWorkbook));
  writeOrbWorkbook(false);
  const QByteArray oneSheet = home.read(kWorkbook);
  post(vbYes, 1);
  EXPECT_EQ(
      boxes.texts()[3],
      "EXCEL Error\r\nワークブックに書き込むシートがありません (シートが消されたか、別のワークブックです)");
  EXPECT_EQ(home.read(kWorkbook), oneSheet);

  const QString lock = home.write(".~lock.ORB_SHEET.xlsx#", "LibreOffice");
  post(vbOK);
  EXPECT_TRUE(boxes.texts()[4].startsWith(home.file(kWorkbook) + " は他のプログラムで開かれています（ロックファイル " + lock))
      << boxes.texts()[4].toStdString();
  EXPECT_EQ(home.read(kWorkbook), oneSheet);
  EXPECT_EQ(boxes.texts().size(), 5);
  EXPECT_TRUE(shell.opened().filter("ORB_SHEET").size() == 1) << "only the setup's own workbook was opened";

  // The lock of a spreadsheet program of this user that crashed: said, and the posting goes on past it.
  QFile::remove(home.file(kWorkbook)), QFile::remove(lock);
  writeOrbWorkbook();
  const QString me = QFileInfo(home.file(kWorkbook)).owner();
  home.write(".~lock.ORB_SHEET.xlsx#", ("," + me + "," + QSysInfo::machineHostName() + ",07.12.2026 11:00,file:///x;").toUtf8());
  boxes.Answer(vbYes);
  post(vbYes);
  ASSERT_EQ(boxes.texts().size(), 7);
  EXPECT_TRUE(boxes.texts()[5].startsWith(lock + " が残っていますが") && boxes.texts()[6] == kQuestion);
  expectPostedGrid(XlsxFile(home.file(kWorkbook)));
}

TEST_F(ORBBOOKTest, SpreadsheetErrorsAreToldWithTheirCauseExceptTheSilentOne) {
  WorkbookRecorder excel;
  post(vbYes);
  EXPECT_EQ(excel.calls(), QStringList({"OpenExisting ORB_SHEET.XLS", "Attach", "SheetAt 2",
                                        "Run totalMain(0,0)", "Publish"}));
  EXPECT_EQ(boxes.texts().size(), 1);

  excel.runError = 1004;
  post(vbYes);
  EXPECT_EQ(boxes.texts().size(), 2) << "1004 ends quietly";
  EXPECT_EQ(excel.calls().count("Publish"), 1);

  excel.runError = 0;
  excel.attachError = 424;
  post(vbYes, 1);
  EXPECT_EQ(boxes.texts().value(3), "EXCEL Error\r\nExcel が終了されました。");

  excel.attachError = 0;
  excel.publishOk = false;
  post(vbYes, 1);
  EXPECT_EQ(boxes.texts().value(5), "書き込めませんでした") << "a failed write is told, never passed over";
  EXPECT_EQ(excel.published(), 1);
}

TEST_F(ORBBOOKTest, ClosingWaysAndWhatTheySave) {
  book().Move(600, 300);
  book().Unload(vbFormControlMenu);  // the close box: counts saved, place not
  FlushDeletes();
  EXPECT_TRUE(QFile::exists(home.file(kDat)));
  EXPECT_FALSE(ReadIniKey("ORBEXPOS", "ABPOSTop").has_value());
  QFile::remove(home.file(kDat));
  book().Unload();  // the sheet's return: nothing saved
  FlushDeletes();
  EXPECT_FALSE(QFile::exists(home.file(kDat)));
  book().CLSCNT.Trigger();
  EXPECT_TRUE(QFile::exists(home.file(kDat)));
  EXPECT_TRUE(ReadIniKey("ORBEXPOS", "ABPOSTop").has_value());
}

TEST_F(ORBBOOKTest, ExtendedSetReadsTheStandardFileAndWritesItsOwn) {
  home.write(kDat, QString("\"1\",").repeated(15).toUtf8() + "\"7\"\r\n" +
                       QString("\"0\",").repeated(15).toUtf8() + "\"0\"\r\n" +
                       QString("\"0\",").repeated(15).toUtf8() + "\"0\"\r\n");
  const QByteArray standard = home.read(kDat);
  Settings.ExtendedBandSet = 1;
  ApplyBandSetLayout();
  ASSERT_EQ(grid().Cols(), 25);
  EXPECT_EQ(cells({{1, 17}, {1, 23}}), "0|7");
  book().CLSCNT.Trigger();
  EXPECT_EQ(home.read(kDat), standard);
  EXPECT_EQ(lines("ORB-MIX前回申請数sp.DAT").size(), 3);
  EXPECT_EQ(lines("ORBEX_BOOKsp.CSV").size(), 8);
}

TEST_F(ORBBOOKTest, FailedWritesAreToldAndNeverReportedAsDone) {
  // Something that is no file stands where the book CSV and the counts file go.
  QDir().mkdir(home.file("ORBEX_BOOK.CSV"));
  QDir().mkdir(home.file(kDat));
  boxes.Answer(vbOK);
  ASSERT_EQ(grid().TextMatrix(2, 2), "5");
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_EQ(boxes.texts()[0], "ORB本用集計データエラー");

  boxes.Answer(vbOK).Answer(vbOK).Answer(vbOK);
  book().B4UPDT.Trigger();
  ASSERT_EQ(boxes.texts().size(), 4);
  EXPECT_TRUE(boxes.texts()[3].contains("を書き込めませんでした。前回申請数は書き換えていません。"))
      << boxes.texts()[3].toStdString();
  EXPECT_FALSE(boxes.texts().join("|").contains("前回申請数を更新しました。"));
  EXPECT_EQ(cells({{1, 2}, {2, 2}}), "0|5") << "the previous counts stay as they were";
  EXPECT_FALSE(QFile::exists(home.file(kBak)));

  // Closing cannot save the counts either: the book says so and stays open with what it shows.
  boxes.Answer(vbOK);
  book().CLSCNT.Trigger();
  EXPECT_TRUE(boxes.texts().value(4).contains("を書き込めませんでした。"));
  EXPECT_TRUE(IsLoaded<ORBBOOK>());
  EXPECT_FALSE(ReadIniKey("ORBEXPOS", "ABPOSTop").has_value());
}

TEST_F(ORBBOOKTest, WithoutItsBackupTheCountsFileIsNotReplaced) {
  home.write(kDat, (QString("\"1\",").repeated(15) + "\"1\"\r\n").repeated(3).toUtf8());
  const QByteArray before = home.read(kDat);
  QDir().mkdir(home.file(kBak));  // something that is no file stands where the backup goes
  ASSERT_EQ(grid().TextMatrix(1, 2), "1");
  applicationDone();
  ASSERT_EQ(boxes.texts().size(), 3);
  EXPECT_TRUE(boxes.texts()[2].contains("ORB-MIX前回申請数.bak を作れませんでした。")) << boxes.texts()[2].toStdString();
  EXPECT_TRUE(boxes.texts()[2].endsWith("前回申請数は書き換えていません。"));
  EXPECT_EQ(home.read(kDat), before);
  EXPECT_EQ(cells({{1, 2}, {2, 2}}), "1|4");
}

TEST_F(ORBBOOKTest, AnUnreadableCountsFileIsToldAndNeverOverwritten) {
  const QByteArray damaged = "\"3\",\"4\"\r\nnonsense\r\n";
  home.write(kDat, damaged);
  boxes.Answer(vbOK).Answer(vbOK);
  EXPECT_EQ(grid().TextMatrix(1, 2), "0");
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains("を最後まで読めませんでした。"));
  book().CLSCNT.Trigger();
  EXPECT_TRUE(boxes.texts().value(1).contains("上書きせずに残しました"));
  EXPECT_EQ(home.read(kDat), damaged);
  EXPECT_FALSE(IsLoaded<ORBBOOK>());
}

TEST_F(ORBBOOKTest, OnlyAWholeCountIsTakenAndTheCountsFileReadsBackWhole) {
  book().Show();
  Operator::DoubleClickCell(grid(), 1, 2);
  Operator::Type("1,2");
  boxes.Answer(vbOK);
  Operator::Key(Qt::Key_Return);
  EXPECT_TRUE(boxes.texts().value(0).startsWith("「1,2」は前回申請数になりません。"));
  EXPECT_EQ(grid().TextMatrix(1, 2), "0");
  Operator::Commit("１２");  // the input method's full-width digits, over the refused text
  Operator::Key(Qt::Key_Return);
  EXPECT_EQ(grid().TextMatrix(2, 2), "-7");
  book().CLSCNT.Trigger();
  EXPECT_TRUE(lines(kDat).value(0).startsWith("\"12\",\"0\","));
  // A field quoted around a comma is one field: the file reads whole.
  home.write(kDat, ("\"1,2\"," + QString("\"3\",").repeated(14) + "\"3\"\r\n").repeated(3).toUtf8());
  EXPECT_EQ(grid().TextMatrix(7, 17), "3");
  EXPECT_EQ(boxes.texts().size(), 1) << "no word of an unreadable file";
}

TEST_F(ORBBOOKTest, ACountThatIsNoNumberOrAModeThatNamesNoFileIsToldOnceAndNothingIsWritten) {
  for (const QString bad : {"abc", "12345678901234567890"}) {
    const QByteArray damaged = ("\"1\",\"" + bad + "\"" + QString(",\"1\"").repeated(14) + "\r\n").repeated(3).toUtf8();
    home.write(kDat, damaged);
    boxes.Answer(vbOK);
    book();
    EXPECT_TRUE(boxes.texts().last().contains(" を最後まで読めませんでした。\r\n1 行目 2 番目の「" + bad + "」は数ではありません。"));
    reopen();
    EXPECT_EQ(home.read(kDat), damaged);
  }
  ReadConditions.SelMode = "AM/FM";
  boxes.Answer(vbOK);
  book().CLSCNT.Trigger();  // no second box as the book closes
  EXPECT_EQ(boxes.texts().mid(2).join('|'), "抽出モード「AM/FM」の「/」はファイル名に使えないため、前回申請数のファイル ORB-AM/FM前回申請数.DAT を作れません。前回申請数は保存しません。\r\n「/」のないモード名で読み込み直して下さい。");
}

}  // namespace
