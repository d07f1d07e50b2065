// The roadside stations on screen: the start window's "道の駅 整理簿" with the list converted on first
// use, the sheet's marks, area selection, outputs and cell click, and the progress sheet's look-up of
// the stations in a code.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTest>

#include "../startup/start_window_fixture.h"
#include "awards/RoadsideStations.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/awards/MichinoekiSheet.h"
#include "forms/sheet/CWSHEET.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/ui/responders.h"
#include "platform/ui/snapshot.h"
#include "support/operator.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

const char kRoadsideQsos[] =
    "\"JA1RRA\",\"2023/05/01\",\"10:00J\",\"59\",\"59\",\"7.045\",\"SSB\",\"1001\",\"\",\"J *\",\"\",\"東京\","
    "\"\x93\xb9\x82\xcc\x89\x77 \x81\xa0" "10001\",\"\"\r\n"
    "\"JA2RRB\",\"2023/05/02\",\"11:00J\",\"599\",\"599\",\"14.025\",\"CW\",\"2001\",\"\",\"J  \",\"\",\"\","
    "\"\x81\xa0" "20001\",\"\"\r\n"
    "\"JA3RRC\",\"2023/05/03\",\"12:00J\",\"59\",\"59\",\"430.10\",\"FM\",\"2101\",\"\",\"J *\",\"\",\"\","
    "\"\",\"\x81\xa0" "21001\"\r\n";

const char* const kList =
    "番号,名前,コード,所在地,予備\r\n"
    "□10001,道の駅東京,1001,東京都\r\n"
    "□20001,道の駅愛知,2001,愛知県\r\n"
    "□21001,道の駅三重,2101,三重県,x\r\n";

struct RoadsideSheetTest : StartWindowTest {
  ORBTOP* top = nullptr;
  MsgBoxResponder boxes;
  FileDialogResponder files;
  ShellRecorder shell;

  void SetUp() override {
    StartWindowTest::SetUp();
    setUpOperator();
    set("ORB", "DataFol", home.path());
    ASSERT_TRUE(hamlogdb::Import(hamlogDir, home.write("more.csv", QByteArray(kRoadsideQsos))).Ok());
    home.write("道の駅.mcsv", ToAnsi(QString::fromUtf8(kList)));
    top = load();
    ASSERT_NE(top, nullptr);
  }
  MichinoekiSheet& open() {
    boxes.Answer(vbOK);
    files.Choose(home.file("道の駅.mcsv"));
    top->MichiGet.Trigger();
    EXPECT_TRUE(IsLoaded<MichinoekiSheet>());
    return *LoadedForm<MichinoekiSheet>();
  }
  QStringList lines(const QString& name) const {
    QStringList l = FromAnsi(home.read(name)).split("\r\n");
    if (!l.isEmpty() && l.back().isEmpty()) l.removeLast();
    return l;
  }
  QStringList shownNumbers(MichinoekiSheet& s) {
    QStringList n;
    for (int r = 1; r < s.MSFlexGrid2.Rows(); ++r)
      if (s.MSFlexGrid2.RowHeight(r) > 0) n << s.MSFlexGrid2.TextMatrix(r, 1);
    return n;
  }
  // A click on a cell as drawn (the heading row included); the test fails when it is not in view.
  void click(MichinoekiSheet& s, int row, int col) { Operator::ClickCell(s.MSFlexGrid2, row, col); }
};

TEST_F(RoadsideSheetTest, TheListIsConvertedOnFirstUseAndTheSheetShowsTheMarks) {
  MichinoekiSheet& s = open();
  EXPECT_TRUE(boxes.texts()[0].endsWith("に　道の駅データ　がみつかりません\r\n\r\n「道の駅.mcsv」 の場所を指定して下さい"));
  EXPECT_EQ(files.shown()[0].title, "道の駅.mcsvを指定します");
  EXPECT_EQ(lines("HAMLOG/michinoeki.txt").first(), "□10001,道の駅東京,1001,東京都,");
  EXPECT_FALSE(top->isVisible());
  EXPECT_TRUE(s.isVisible());
  FlexGrid& g = s.MSFlexGrid2;
  EXPECT_EQ(g.Cols(), 23);
  EXPECT_EQ(g.TextMatrix(0, 1), " 道の駅No");
  EXPECT_EQ(g.TextMatrix(0, 22), "ｻﾃﾗｲﾄ");
  EXPECT_EQ(g.ColWidth(18), 730);
  EXPECT_EQ(g.TextMatrix(1, 1), "10001");
  EXPECT_EQ(g.TextMatrix(1, 9), "C");
  EXPECT_EQ(g.TextMatrix(2, 11), "W");
  EXPECT_EQ(g.TextMatrix(3, 18), "C");
  EXPECT_EQ(s.Label4.text(), "2/3");
  EXPECT_TRUE(s.outFormat[0].Checked());

  s.RTNMN.Trigger();
  EXPECT_FALSE(IsLoaded<MichinoekiSheet>());
  EXPECT_TRUE(top->isVisible());
  EXPECT_TRUE(top->Command1.isEnabled());
  EXPECT_NE(stored("ORBEXPOS", "MEPOSTop"), "<missing>");
  EXPECT_NE(stored("ORBEXPOS", "MEPOSHeight"), "<missing>");
}

TEST_F(RoadsideSheetTest, QsosLoggedAfterTheStartWindowReadTheLogAreMarked) {
  // HAMLOG logs one more roadside QSO while the start window is up.
  ASSERT_TRUE(hamlogdb::Import(hamlogDir, home.write("later.csv", QByteArray(
      "\"JA2RRD\",\"2023/06/01\",\"10:00J\",\"59\",\"59\",\"7.050\",\"SSB\",\"2001\",\"\",\"J *\",\"\",\"\","
      "\"\x81\xa0" "20001\",\"\"\r\n"))).Ok());
  MichinoekiSheet& s = open();
  EXPECT_EQ(s.MSFlexGrid2.TextMatrix(2, 9), "C");
  EXPECT_EQ(s.Label4.text(), "3/4");
}

TEST_F(RoadsideSheetTest, ACancelledDialogLeavesTheStartWindowUsable) {
  boxes.Answer(vbOK).Answer(vbOK);
  files.Cancel();
  top->MichiGet.Trigger();
  EXPECT_FALSE(IsLoaded<MichinoekiSheet>());
  EXPECT_EQ(boxes.texts().back(), "道の駅.mcsv が指定されませんでした。\r\n道の駅 整理簿を開きません（Merr）。");
  EXPECT_TRUE(top->Command1.isEnabled());
  EXPECT_EQ(top->Label9.text(), "ｶｳﾝﾀ");
}

TEST_F(RoadsideSheetTest, AnEmptyStationListIsNamedWithItsCause) {
  const QString path = home.write("HAMLOG/michinoeki.txt", "");
  boxes.Answer(vbOK).Answer(vbOK);
  top->MichiGet.Trigger();
  EXPECT_FALSE(IsLoaded<MichinoekiSheet>());
  EXPECT_EQ(boxes.texts(), QStringList({"Serr Michinoeki.txt不備\r\n" + MichinoekiTxtPath() + " に道の駅が1件もありません。\r\n"
                                            "道の駅.mcsv から取り込み直して下さい（michinoeki.txt を消すと次に道の駅 整理簿を開くときに取り込めます）。",
                                        "道の駅データなし"}));
  EXPECT_TRUE(top->Command1.isEnabled());

  // A list whose import made no file (a folder stands in its place): the boxes say which file and why.
  QFile::remove(path);
  QDir().mkpath(path);
  boxes.Answer(vbOK).Answer(vbOK);
  files.Choose(home.file("道の駅.mcsv"));
  top->MichiGet.Trigger();
  EXPECT_TRUE(boxes.texts().value(3).startsWith("エラーです　" + MichinoekiTxtPath() + " を書き込めません（同じ名前のフォルダーがあります）。"));
  EXPECT_TRUE(boxes.texts().value(3).endsWith(" は書き換えていません。\r\n道の駅 整理簿を開きません（Merr）。") && boxes.texts().size() == 4);
}

TEST_F(RoadsideSheetTest, AreasNarrowTheRowsAndNameTheBandLists) {
  MichinoekiSheet& s = open();
  s.selJA2all.Trigger();
  EXPECT_EQ(shownNumbers(s), QStringList({"20001", "21001"}));
  s.selJA3all.Trigger();
  EXPECT_EQ(shownNumbers(s), QStringList({"21001"}));
  EXPECT_GE(Operator::CellCentre(s.MSFlexGrid2, 3, 1).x(), 0) << "the area's first station in view";
  s.selJA2kenbetsu[21].Trigger();
  EXPECT_EQ(s.AreaName, "三重県");
  s.selJA8.Trigger();
  EXPECT_TRUE(shownNumbers(s).isEmpty());
  s.selJA1kenbetsu[10].Trigger();
  EXPECT_EQ(shownNumbers(s), QStringList({"10001"}));
  s.selJA1all.Trigger();
  s.a7.Trigger();
  EXPECT_EQ(lines("道の駅_関東_7.TXT"), QStringList({"10001  道の駅東京  JA1RRA  2023-05-01  7     SSB"}));
  EXPECT_EQ(shell.opened().back(), RealPath(home.file("道の駅_関東_7.TXT")));
  s.outFormat[1].Trigger();
  EXPECT_EQ(ReadIniOr("ORB", "FO-MichinoEki", ""), "C");
  s.selALL.Trigger();
  s.aALLSAT.Trigger();
  EXPECT_EQ(lines("道の駅_全国_ALL(1R9to5600_and_SAT).TXT"),
            QStringList({"10001,道の駅東京,JA1RRA,2023-05-01,7,SSB", "21001,道の駅三重,JA3RRC,2023-05-03,430,FM"}));
  s.aSat.Trigger();
  EXPECT_TRUE(lines("道の駅_全国_SAT.TXT").isEmpty());
}

TEST_F(RoadsideSheetTest, TheTableCsvAndTheCellClicks) {
  MichinoekiSheet& s = open();
  s.selJA1all.Trigger();
  s.mkCSV.Trigger();
  const QStringList l = lines("道の駅_整理簿.TXT");
  ASSERT_EQ(l.size(), 4);  // hidden rows too
  EXPECT_TRUE(l[0].startsWith("\" 道の駅No\",\" 道の駅名\",\" Code\",\" Q T H\",1.9MHz"));
  EXPECT_TRUE(l[0].endsWith(",ｻﾃﾗｲﾄ"));
  EXPECT_EQ(l[2].split(',').size(), 20);
  s.selALL.Trigger();
  click(s, 2, 11);
  EXPECT_EQ(s.Label10.text(), "JA2RRB");
  EXPECT_EQ(s.Label11.text(), "14MHz");
  EXPECT_EQ(s.Label4.text(), "2/3");
  EXPECT_EQ(s.Label3.text(), "総合計");
  click(s, 1, 8);
  EXPECT_TRUE(s.Label10.text().isEmpty());
  click(s, 0, 9);
  EXPECT_EQ(s.Label3.text(), "7MHz合計");
  EXPECT_EQ(s.Label4.text(), "1/1");
  click(s, 0, 1);
  EXPECT_EQ(s.Label3.text(), "総合計");
  // The QTH label's tip promises a copy: a click gives it.
  click(s, 1, 9);
  ASSERT_FALSE(s.Label7.text().isEmpty());
  SetClipboardText(QString());
  QTest::mouseClick(&s.Label7, Qt::LeftButton);
  EXPECT_EQ(ClipboardText(), s.Label7.text());
}

struct SheetRoadsideLookUp : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;
  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *"});
    log.Prepare();
    log.home.write("HAMLOG/michinoeki.txt", ToAnsi("□11001,道の駅よこはま,1101,横浜,\r\n"
                                                  "□11002,道の駅つるみ,110101,鶴見,\r\n"
                                                  "□11003,道の駅みなと,1101,横浜,\r\n"));
    log.home.write("道の駅_整理簿.TXT", ToAnsi(" 道の駅No,名,Code,QTH,1.9MHz,3.5MHz,7MHz,10,14,18,21,24,28,50,144,430,1200,"
                                              "2400,5600,Sat\r\n"
                                              "11001,道の駅よこはま,1101,横浜,,,C,,,,,,,,W,,,,,\r\n"
                                              "11003,道の駅みなと,1101,横浜,,,,,,,,,,,,,,,,\r\n"));
  }
  void TearDown() override {
    UnloadAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
};

TEST_F(SheetRoadsideLookUp, TheCodesStationsAreListedAndTheirBandsNoticed) {
  CWSHEET& s = Form<CWSHEET>();
  s.Show();
  const auto pick = [&s](int i) {
    Operator::DoubleClick(*s.List2.viewport(), s.List2.visualItemRect(s.List2.item(i)).center());
  };
  ASSERT_TRUE(s.Command4.isEnabled());
  s.Text2.setText("1101");
  s.Command4.click();
  ASSERT_EQ(s.List2.ListCount(), 2);
  EXPECT_EQ(s.List2.List(0), "11001 道の駅よこはま 1101");
  EXPECT_EQ(s.List2.List(1), "11003 道の駅みなと 1101");
  EXPECT_FALSE(s.Frame7.isHidden());
  pick(0);
  EXPECT_EQ(s.Label2.text(), "cfm= 7MHz,\r\nwkd= 144MHz,");
  EXPECT_EQ(s.Frame1.title(), "道の駅 cfm/wkd");
  EXPECT_EQ(s.Label1.text(), "11001");
  EXPECT_TRUE(s.Frame7.isHidden());

  s.Command4.click();
  pick(1);
  EXPECT_EQ(s.Label2.text(), "New です！");

  // Five characters find every station whose code begins with them; the table is read once.
  log.home.write("HAMLOG/michinoeki.txt", "");
  s.Text2.setText("11010");
  s.Command4.click();
  EXPECT_EQ(s.List2.ListCount(), 1);
  EXPECT_EQ(s.List2.List(0), "11002 道の駅つるみ 110101");
  s.Text2.setText("11011");
  EXPECT_TRUE(s.Frame7.isHidden());  // a new search closes the list
}

TEST_F(SheetRoadsideLookUp, TheStationsAreListedBeforeTheTableIsWrittenWhichTheNoticeAsksFor) {
  QFile::remove(log.home.file("道の駅_整理簿.TXT"));
  CWSHEET& s = Form<CWSHEET>();
  s.Show();
  Operator::Click(s.Text2);
  Operator::Type("1101");
  Operator::Click(s.Command4);
  ASSERT_EQ(s.List2.ListCount(), 2);
  Operator::DoubleClick(s.List2, s.List2.visualItemRect(s.List2.item(1)).center());
  EXPECT_EQ(s.Label2.text(), "道の駅_整理簿.TXT がまだありません。\r\n「道の駅 整理簿」の「表のCSV形式出力」で作って下さい。");
}

}  // namespace
