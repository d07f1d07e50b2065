// The award sheets opened from the start window: the ACC/JAG member check from a chosen list, the
// grid-locator and DXCC sheets from a scan of the log, their QSO panel and their band lists.

#include <QFile>
#include <QTest>

#include "../startup/start_window_fixture.h"
#include "awards/AwardSheets.h"
#include "awards/LocatorTables.h"
#include "core/SharedSettings.h"
#include "forms/awards/ACCSheet.h"
#include "forms/awards/AwardSheetRuns.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/codepage.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "support/operator.h"

namespace {

struct AwardSheets_ : StartWindowTest {
  ORBTOP* top = nullptr;
  MsgBoxResponder boxes;
  ShellRecorder shell;
  FileDialogResponder files;

  void SetUp() override {
    StartWindowTest::SetUp();
    setUpOperator();
    set("ORB", "DataFol", home.path());
    // The log of the fixture: JA1AAA 7 MHz SSB confirmed, JA2BBB 14 MHz CW worked, JA3CCC/3 430 MHz.
    VbFile csv(home.file("more.csv"), VbMode::Output);
    for (const QStringList& q : {QStringList{"JA4DDD", "1990/05/01", "3.525", "CW", "3101", "PM74", "J *"},
                                 QStringList{"JA5EEE", "1991/05/01", "3.530", "CW", "3201", "PM95", "J *"},
                                 QStringList{"JA6FFF", "1992/05/01", "14.025", "CW", "3301", "PM74", "J *"},
                                 QStringList{"W1AW", "1993/05/01", "14.200", "SSB", "501A", "FN31", "J *"}})
      csv.Write({q[0], q[1], "12:00J", "599", "599", q[2], q[3], q[4], q[5], q[6], "", "", "", ""});
    ASSERT_TRUE(csv.Close());
    ASSERT_TRUE(hamlogdb::Import(hamlogDir, home.file("more.csv")).Ok());
    top = load();
    ASSERT_NE(top, nullptr);
    ConnectAwardSheets();
  }
  ACCSheet& sheet() {
    ACCSheet& s = Form<ACCSheet>();
    s.Form_Activate();  // the first activation fills the sheet
    return s;
  }
  QStringList lines(const QString& name) const {
    return FromAnsi(home.read(name)).split("\r\n", Qt::SkipEmptyParts);
  }
  // Texts of grid cells, each {row, column, text}.
  static void expectCells(FlexGrid& g, std::initializer_list<std::tuple<int, int, QString>> cells) {
    for (const auto& [row, col, text] : cells) EXPECT_EQ(g.TextMatrix(row, col), text) << row << ", " << col;
  }
  void clickCell(int row, int col) {
    FlexGrid& g = Form<ACCSheet>().MSFlexGrid2;
    g.SetTopRow(1);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {},
                      g.visualRect(g.gridModel().index(row - 1, col)).center());
  }
};

TEST_F(AwardSheets_, TheMemberCheckMarksCountsAndListsTheMembers) {
  // JA1AAA listed again under its re-issued number: a row of its own with its own points.
  files.Choose(home.write("acc.txt",
                          "ACC Member List 2024\r\n CALL   ACC#\r\n JA1AAA ACC#0012\r\n\r\n"
                          " ja2bbb ACC#0003\r\n K1XX   ACC#0001\r\n ------\r\n JA1AAA ACC#6507\r\n"));
  boxes.Answer(vbOK);
  top->ACCchk.Trigger();
  ASSERT_TRUE(IsLoaded<ACCSheet>());
  EXPECT_EQ(boxes.texts(), QStringList({"メンバーリストの 2 行を読み飛ばしました。\r\n"
                                        "コールサインのない行 1 行（7 行目）\r\n空行 1 行（4 行目）"}));
  EXPECT_EQ(AwardSheets.MemberTag, "ACC#");
  EXPECT_EQ(AwardSheets.MemberLineCount, 6);
  ACCSheet& s = sheet();
  EXPECT_EQ(s.SheetFilled, 1);
  EXPECT_EQ(s.windowTitle(), "ＡＣＣメンバーとのＱＳＯ実績(1979/11/01 以降)");
  FlexGrid& g = s.MSFlexGrid2;
  ASSERT_EQ(g.Rows(), 5);
  EXPECT_EQ(g.Cols(), 25);
  EXPECT_EQ(g.ColWidth(24), 730);
  // (1, 9) 7 MHz phone, confirmed; (2, 11) 14 MHz CW, worked only.
  expectCells(g, {{0, 24, "Point"}, {2, 2, "JA2BBB"}, {1, 9, "P"}, {2, 11, "(c)"}, {4, 9, "P"}});
  expectCells(g, {{1, 24, "12"}, {2, 24, "0"}, {3, 24, "0"}, {4, 24, "6507"}});
  EXPECT_EQ(s.Label4.text(), "6,519");
  EXPECT_EQ(s.Label1.text(), "cfm/wkd=2/3");
  EXPECT_EQ(s.Label6.text(), "cfm局数＝ 2");
  EXPECT_EQ(lines("cfmACCstn.txt"),
            QStringList({"1001          JA1AAA        2023/04/01    7             SSB           0012",
                         "1001          JA1AAA        2023/04/01    7             SSB           6507"}));
  EXPECT_EQ(lines("cfmAMA.txt"), lines("cfmACCstn.txt"));
  EXPECT_EQ(shell.opened(), QStringList({home.file("cfmACCstn.txt")}));
  EXPECT_TRUE(top->isHidden());
  s.DispAMA.Trigger();
  EXPECT_EQ(shell.opened().value(1), home.file("cfmAMA.txt"));

  s.RTNMN.Trigger();
  EXPECT_FALSE(top->isHidden());
  EXPECT_TRUE(top->Command1.isEnabled());
}

TEST_F(AwardSheets_, AJagListInTheExtendedBandSetCountsWorkedQsosWhenAsked) {
  Settings.ExtendedBandSet = 1;
  AwardSheets.MemberWkdMode = 1;
  files.Choose(home.write("jag.txt", "JAG MEMBER LIST\r\n\r\n JA2BBB JAG#0007\r\n JA3CCC JAG#0008\r\n"));
  top->ACCchk.Trigger();
  ASSERT_TRUE(IsLoaded<ACCSheet>());
  ACCSheet& s = sheet();
  EXPECT_EQ(s.windowTitle(), "ＪＡＧメンバーとのＱＳＯ実績");
  EXPECT_FALSE(s.DispAMA.Visible());
  FlexGrid& g = s.MSFlexGrid2;
  ASSERT_EQ(g.Cols(), 31);
  EXPECT_EQ(g.ColWidth(30), 0);
  // (1, 11) worked counts as confirmed in worked mode; (2, 18) 430 MHz from JA3CCC/3.
  expectCells(g, {{0, 28, "ｻﾃﾗｲﾄ"}, {0, 30, "Point"}, {1, 11, "C"}, {2, 18, "P"}, {1, 30, ""}});
  EXPECT_EQ(s.Label6.text(), "wkd局数＝ 2");
  // No points on a JAG list: its total is the marks, confirmed / all.
  EXPECT_TRUE(s.Label3.isVisibleTo(&s));
  EXPECT_TRUE(s.Label4.isVisibleTo(&s));
  EXPECT_EQ(s.Label3.text() + " " + s.Label4.text(), "総合計 2/2");
  EXPECT_EQ(lines("wkdJAGstn.txt").size(), 2);
  EXPECT_FALSE(QFile::exists(home.file("cfmAMA.txt")));
  EXPECT_EQ(shell.opened(), QStringList({home.file("wkdJAGstn.txt")}));
}

TEST_F(AwardSheets_, AMemberListFileThatCannotBeWrittenStopsTheRunAndClosesTheSheet) {
  files.Choose(home.write("acc.txt", "ACC MEMBER LIST\r\n\r\n JA1AAA ACC#0012\r\n"));
  top->ACCchk.Trigger();
  ASSERT_TRUE(IsLoaded<ACCSheet>());
  Settings.DataFolder = home.file("gone");  // the data folder went away
  boxes.Answer(vbOK);
  Form<ACCSheet>().Form_Activate();
  EXPECT_EQ(boxes.texts(),
            QStringList({"ACCCG 中断されました\r\n" + home.file("gone") +
                         "/cfmACCstn.txt に書き込めません (ファイルかフォルダーがありません)"}));
  EXPECT_FALSE(IsLoaded<ACCSheet>());
  EXPECT_TRUE(shell.opened().isEmpty());
  EXPECT_FALSE(top->isHidden());
  EXPECT_TRUE(top->Command1.isEnabled());

  // A member number that is no number gives no points: the run stops the same way, naming it.
  Settings.DataFolder = home.path();
  files.Choose(home.write("acc.txt", "ACC MEMBER LIST\r\n\r\n JA1AAA ACC#0012\r\n JA2BBB ACC#00x5\r\n"));
  top->ACCchk.Trigger();
  boxes.Answer(vbOK);
  Form<ACCSheet>().Form_Activate();
  EXPECT_EQ(boxes.texts().value(1),
            "ACCCG 中断されました\r\n2 番目のメンバー JA2BBB の ACC#「00x5」が数字ではありません。"
            "メンバーリストを直して読み込み直してください。");
  EXPECT_TRUE(!IsLoaded<ACCSheet>() && shell.opened().isEmpty());
}

TEST_F(AwardSheets_, AFileThatIsNoMemberListIsRefused) {
  files.Choose(home.write("other.txt", "QSO LIST\r\n\r\n JA1AAA 0001\r\n"));
  boxes.Answer(vbOK);
  top->ACCchk.Trigger();
  files.Cancel();
  boxes.Answer(vbOK);
  top->ACCchk.Trigger();
  EXPECT_EQ(boxes.texts(), QStringList({"ACC/JAGメンバーリストが指定されませんでした\r\n"
                                        "（1行目に \"ACC MEMBER\" も \"JAG MEMBER\" もありません）",
                                        "ACC/JAGメンバーリストが指定されませんでした"}));
  const QString utf16 = "ACC MEMBER LIST\r\n\r\n JA1AAA ACC#0012\r\n";
  files.Choose(home.write(
      "utf16.txt",
      QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2)));
  boxes.Answer(vbOK);
  top->ACCchk.Trigger();
  EXPECT_EQ(boxes.texts().value(2),
            "ACC/JAGメンバーリストが指定されませんでした\r\n（" + home.file("utf16.txt") +
                " は UTF-16LE で保存されています。Windows-31J (Shift_JIS) で保存し直して下さい）");
  files.Choose(home.write("one.txt", "JAG MEMBER LIST"));
  boxes.Answer(vbOK);
  top->ACCchk.Trigger();
  EXPECT_EQ(boxes.texts().value(3), "1 CRの無いファイル？　読み込み出来ませんでした");
  EXPECT_FALSE(IsLoaded<ACCSheet>());
  EXPECT_TRUE(top->Command1.isEnabled());
}

TEST_F(AwardSheets_, Square75ShowsConfirmedSquaresTheirQsoAndBandLists) {
  top->aGrigSrh.Trigger();
  ASSERT_TRUE(IsLoaded<ACCSheet>());
  ACCSheet& s = sheet();
  EXPECT_EQ(s.windowTitle(), "グリッドローケータＱＳＯ実績(1985/01/01 以降) for SQUARE-75(ACC)");
  FlexGrid& g = s.MSFlexGrid2;
  ASSERT_EQ(s.SheetRowCount, 2);
  expectCells(g, {{1, 1, "PM74"}, {1, 8, "C"}, {1, 11, "C"}, {2, 1, "PM95"}, {3, 0, " Band計"}, {3, 8, "2"}});
  EXPECT_EQ(s.Label6.text(), "全バンド通算 cfm局数＝ 2");
  EXPECT_TRUE(s.DOUT.Visible());
  EXPECT_FALSE(s.DispAMA.Visible());

  clickCell(1, 11);
  EXPECT_EQ(s.Label10.text(), "JA6FFF");
  EXPECT_EQ(s.Label9.text(), "1992-05-01");
  EXPECT_EQ(s.Label11.text(), "PM74");

  s.aHFall.Trigger();  // PM74 once, with its 3.5 MHz QSO
  EXPECT_EQ(lines("SQUARE_HF.TXT"),
            QStringList({"PM74          JA4DDD        1990-05-01    3.5           CW",
                         "PM95          JA5EEE        1991-05-01    3.5           CW"}));
  EXPECT_EQ(s.Label6.text(), "HF cfm局数＝ 2");
  EXPECT_EQ(shell.opened().value(0), home.file("SQUARE_HF.TXT"));
  s.a14.Trigger();
  EXPECT_EQ(lines("SQUARE_14.TXT").size(), 1);
  s.RTNMN.Trigger();
  EXPECT_TRUE(GridTables.SquareTable.empty());
}

TEST_F(AwardSheets_, WasaAsksFirstAndDxccListsEntities) {
  boxes.Answer(vbCancel);
  top->aGrigSrhDX.Trigger();
  EXPECT_FALSE(IsLoaded<ACCSheet>());
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].title, "抽出にあたって");

  top->xDXCC.Trigger();
  ASSERT_TRUE(IsLoaded<ACCSheet>());
  ACCSheet& s = sheet();
  EXPECT_EQ(s.windowTitle(), "DXCC実績");
  FlexGrid& g = s.MSFlexGrid2;
  ASSERT_EQ(s.SheetRowCount, 1);
  expectCells(g, {{1, 1, "501"}, {1, 2, "Sov Mil Order of Malta"}, {1, 11, "C"}, {2, 2, "    合    計"}});
  clickCell(1, 11);
  EXPECT_EQ(s.Label10.text(), "W1AW");
  EXPECT_EQ(s.Label11.text(), "501A");
  boxes.Answer(vbOK);
  s.aALLSAT.Trigger();
  EXPECT_EQ(boxes.texts().value(1), "DXCC=1Point");
  EXPECT_EQ(lines("DXCC_ALL(1R9to5600_and_SAT).TXT"),
            QStringList({" 501          W1AW          1993-05-01    14            SSB"}));
}

TEST_F(AwardSheets_, ALocatorOrDxccScanThatNoQsoPassesSaysSoAndOpensNoSheet) {
  top->Show();
  for (TextBox* box : {&top->Text7, &top->Text8}) {
    Operator::DoubleClick(*box);
    Operator::Type("20261209");
  }
  for (int box = 0; box < 5; ++box) boxes.Answer(vbOK);  // four sayings and WASA's question
  for (Menu* menu : {&top->aGrigSrh, &top->aGrigSrh100, &top->aGrigSrhDX, &top->xDXCC}) {
    menu->Trigger();
    EXPECT_FALSE(IsLoaded<ACCSheet>());
    EXPECT_TRUE(top->Command1.isEnabled());
  }
  const QString passed =
      "抽出条件 (期間 20261209～20261209%1、モード MIX、除外するQSL区分) に合う、QSL の届いた%2QSO "
      "がありません。";
  const QString since = " のうち 1985/01/01 以降";
  EXPECT_EQ(boxes.texts(),
            QStringList({passed.arg(since, "国内局との "), passed.arg(since, "国内局との "),
                         boxes.texts().value(2), passed.arg(since, " "), passed.arg("", " ")}));
}

// The sheets open scrolled to their end: the last row, the totals row of a locator sheet, is drawn
// whole, not under the grid's sideways scroll bar.
TEST_F(AwardSheets_, ALongSheetShowsItsLastMemberAndItsTotalsRow) {
  VbFile csv(home.file("squares.csv"), VbMode::Output);
  QString members = "ACC MEMBER LIST\r\n\r\n";
  for (int i = 0; i < 40; ++i) {
    const QString call = QString("JH1%1").arg(QChar('A' + i / 26)) + QChar('A' + i % 26) + "A";
    csv.Write({call, "2000/01/01", "12:00J", "599", "599", "7.025", "CW", "1001",
               QString("PM%1").arg(i, 2, 10, QChar('0')), "J *", "", "", "", ""});
    members += " " + call + " ACC#" + QString::number(i) + "\r\n";
  }
  ASSERT_TRUE(csv.Close());
  ASSERT_TRUE(hamlogdb::Import(hamlogDir, home.file("squares.csv")).Ok());

  files.Choose(home.write("acc.txt", members.toLatin1()));
  top->ACCchk.Trigger();
  ASSERT_TRUE(IsLoaded<ACCSheet>());
  FlexGrid& members_ = sheet().MSFlexGrid2;
  ASSERT_EQ(members_.Rows(), 41);
  EXPECT_GE(Operator::CellCentre(members_, 40, 2).x(), 0) << "the last member";
  Form<ACCSheet>().RTNMN.Trigger();

  top->aGrigSrh.Trigger();
  ASSERT_TRUE(IsLoaded<ACCSheet>());
  ACCSheet& s = sheet();
  ASSERT_EQ(s.SheetRowCount, 42);
  EXPECT_EQ(s.MSFlexGrid2.TextMatrix(43, 0), " Band計");
  EXPECT_GE(Operator::CellCentre(s.MSFlexGrid2, 43, 0).x(), 0) << "the totals row";
}

}  // namespace
