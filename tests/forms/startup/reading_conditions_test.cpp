#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTest>
#include <stdexcept>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "hamlogdb/hamlogdb.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/program_file.h"
#include "platform/paths.h"
#include "platform/ui/color.h"
#include "platform/ui/responders.h"
#include "start_window_fixture.h"
#include "support/operator.h"
#include "support/qt_print.h"

namespace {

class ReadingConditionsTest : public StartWindowTest {
 protected:
  void SetUp() override {
    StartWindowTest::SetUp();
    setUpOperator();
    set("ORB", "TopTips_DISP", "NO");
    set("LASTCONDX", "STARTdate", "20000101");
    top = load();
    ASSERT_NE(top, nullptr);
    top->Show();
  }
  // Ticks "前回データで起動" as a previous reading would have left it.
  void tick() {
    top->Check1.SetValue(1);
    ASSERT_EQ(StartFlags.StartWithPreviousData, 1);
  }
  ORBTOP* top = nullptr;
};

}  // namespace

TEST_F(ReadingConditionsTest, CategoryBoxesTakeOneLetterAndMoveOn) {
  top->Text2.setFocus();
  QTest::keyClick(&top->Text2, Qt::Key_A);
  EXPECT_EQ(top->Text2.text(), "A");
  EXPECT_EQ(top->focusWidget(), &top->Text3);
  QTest::keyClick(&top->Text5, Qt::Key_Minus);
  EXPECT_EQ(top->Text5.text(), "-");
  EXPECT_EQ(top->focusWidget(), &top->Text2) << "Text5 goes round to Text2";
  QTest::keyClick(&top->Text2, Qt::Key_B);
  EXPECT_EQ(top->Text2.text(), "A") << "a full box keeps its letter";
  for (TextBox* box : {&top->Text1, &top->Text3, &top->Text4}) {
    QTest::keyClick(box, Qt::Key_Asterisk);
    EXPECT_EQ(box->text(), box == &top->Text1 ? "P" : "") << "an asterisk is no category";
  }
  QTest::keyClick(&top->Text1, Qt::Key_Space);
  EXPECT_EQ(top->Text1.text(), "P") << "the first box takes no blank";
}

TEST_F(ReadingConditionsTest, FirstCategoryBoxIsOverwritten) {
  Operator::ClickCaret(top->Text1, 0);
  Operator::Type("q");
  EXPECT_EQ(top->Text1.text(), "Q");
  tick();
  Operator::Key(Qt::Key_Backspace);
  EXPECT_EQ(top->Check1.Value(), 0);
  EXPECT_EQ(StartFlags.StartWithPreviousData, 0);
}

TEST_F(ReadingConditionsTest, BlankCategoryTurnsTheBoxRed) {
  tick();
  QTest::keyClick(&top->Text3, Qt::Key_Space);
  EXPECT_EQ(top->Text3.text(), " ");
  EXPECT_EQ(BackColor(top->Text3), vbRed);
  EXPECT_EQ(top->Text3.toolTip(), QString::fromUtf8("スペースが除外文字として入っています。"));
  EXPECT_EQ(top->Check1.Value(), 0) << "a changed condition reads afresh";
  top->Text3.clear();
  EXPECT_EQ(BackColor(top->Text3), 0xC0FFC0);
  EXPECT_TRUE(top->Text3.toolTip().isEmpty());
}

TEST_F(ReadingConditionsTest, DateBoxesKeepEightDigits) {
  tick();
  Operator::ClickCaret(top->Text7, 0);
  Operator::Type("x");
  EXPECT_EQ(top->Text7.text(), "20000101");
  EXPECT_EQ(top->Check1.Value(), 1) << "nothing changed";
  Operator::Type("1");
  EXPECT_EQ(top->Text7.text(), "10000101") << "the digit at the caret is replaced";
  EXPECT_EQ(ReadConditions.StartDate, "10000101");
  EXPECT_EQ(top->Check1.Value(), 0);

  tick();
  Operator::ClickCaret(top->Text8, 0);
  Operator::Type("x");
  EXPECT_EQ(top->Text8.text(), "20240501");
  EXPECT_EQ(top->Check1.Value(), 0) << "any key but Backspace in the end date";

  top->Text7.setText("12345678");
  QTest::mouseDClick(&top->Label7, Qt::LeftButton);
  EXPECT_EQ(top->Text7.text(), "19520729");
}

TEST_F(ReadingConditionsTest, BeginAndEndReading) {
  top->Text1.setText("Q");
  top->Text2.setText("N");
  top->Text6.setText("CW");
  top->Text8.setText("20231231");
  QTest::keyClick(top, Qt::Key_Escape);
  EXPECT_EQ(StartFlags.AbortReading, 1);
  EXPECT_EQ(StartFlags.InterruptCode, 1);

  top->BeginReading();
  EXPECT_EQ(StartFlags.AbortReading, 0) << "an Esc while idle does not stop the next reading";
  EXPECT_EQ(top->Label9.text(), QString::fromUtf8("読込中"));
  EXPECT_FALSE(top->Command1.isEnabled());
  EXPECT_FALSE(top->Check1.isEnabled());
  EXPECT_FALSE(top->MENU.Enabled());
  EXPECT_EQ(ReadConditions.ExcludedQslKinds, (std::array<QString, 5>{"Q", "N", "", "", ""}));
  EXPECT_EQ(ReadConditions.SelMode, "CW");
  EXPECT_EQ(ReadConditions.StartDate, "20000101");
  EXPECT_EQ(ReadConditions.EndDate, "20231231");

  top->EndReading();
  EXPECT_EQ(top->Label9.text(), QString::fromUtf8("ｶｳﾝﾀ"));
  EXPECT_TRUE(top->Command1.isEnabled());
  EXPECT_TRUE(top->MENU.Enabled());
}

TEST_F(ReadingConditionsTest, StartButtonRefusesAnOldLibrary) {
  int sheets = 0;
  StartWindowHooks.ShowProgressSheet = [&] { return ++sheets > 0; };
  hamlogLib.thdllVersion = 0x50249;
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  QTest::mouseClick(&top->Command1, Qt::LeftButton);
  EXPECT_EQ(boxes.texts(),
            QStringList({QString::fromUtf8("HAMLOGのバージョンが古いです、Ver5.03までは上げて下さい")}));
  EXPECT_EQ(boxes.shown()[0].style, vbOKOnly | vbCritical);
  EXPECT_EQ(boxes.shown()[0].title, "ORBEX5");
  EXPECT_EQ(sheets, 0);
  EXPECT_EQ(stored("LASTCONDX", "SELMODE"), "<missing>");
  EXPECT_EQ(MasterList.MasterRecLen, 55);
  EXPECT_EQ(MasterList.MasterHeaderLen, 236);
}

TEST_F(ReadingConditionsTest, StartButtonRefusesAMissingMaster) {
  int sheets = 0;
  StartWindowHooks.ShowProgressSheet = [&] { return ++sheets > 0; };
  QFile::remove(hamlogdb::MasterPath(hamlogDir));
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  QTest::mouseClick(&top->Command1, Qt::LeftButton);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_EQ(boxes.texts()[0], QString::fromUtf8("指定されたデータフォルダ ") + hamlogDir + "/ に\r\n" +
                                  QFileInfo(hdbPath).completeBaseName() +
                                  QString::fromUtf8(".MSTが必要です"));
  EXPECT_EQ(sheets, 0);
  EXPECT_EQ(top->Label11.text(), "3");

  QFile master(hamlogdb::MasterPath(hamlogDir));
  ASSERT_TRUE(master.open(QIODevice::WriteOnly));
  master.write(QByteArray(200, ' '));
  master.close();
  MsgBoxResponder cut;
  cut.Answer(vbOK);
  QFile::resize(master.fileName(), 0);  // an empty one is named with its cause
  QTest::mouseClick(&top->Command1, Qt::LeftButton);
  EXPECT_EQ(sheets, 0) << "a master cut short of its header";
  EXPECT_TRUE(top->Command1.isEnabled());
  EXPECT_EQ(cut.texts().value(0), master.fileName() + " は 0 バイトしかなく、コードが1件もありません。\r\nHAMLOG でコードマスターを作り直すか、バックアップから戻して下さい。");
}

TEST_F(ReadingConditionsTest, StartButtonRefusesDigitalWithoutItsModes) {
  int sheets = 0;
  StartWindowHooks.ShowProgressSheet = [&] { return ++sheets > 0; };
  const QString report = JoinPath(Settings.DataFolder, "FreqError_Report.txt");
  ASSERT_TRUE(QFile(report).open(QIODevice::WriteOnly));
  top->Text6.setText("DIGITAL");
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  QTest::mouseClick(&top->Command1, Qt::LeftButton);
  EXPECT_EQ(boxes.texts(), QStringList({QString::fromUtf8("Digitalモードの内訳設定がありません\r\n"
                                                          "「環境設定」から選択設定下さい。")}));
  EXPECT_EQ(sheets, 0);
  EXPECT_TRUE(QFile::exists(report));
}

TEST_F(ReadingConditionsTest, StartButtonRefusesAPeriodThatIsNoDatesBeforeWritingAnything) {
  int sheets = 0;
  StartWindowHooks.ShowProgressSheet = [&] { return ++sheets > 0; };
  MsgBoxResponder boxes;
  const std::pair<QString, QString> periods[] = {
      {"abcdefgh", "20240501"}, {"20240230", "20240501"}, {"20000101", "2024050"}, {"20240502", "20240501"}};
  for (const auto& [from, to] : periods) {
    top->Text7.setText(from);
    top->Text8.setText(to);
    boxes.Answer(vbOK);
    QTest::mouseClick(&top->Command1, Qt::LeftButton);
  }
  ASSERT_EQ(boxes.texts().size(), 4);
  EXPECT_TRUE(boxes.texts()[0].contains(QString::fromUtf8("「abcdefgh」が正しくありません")))
      << boxes.texts()[0].toStdString();
  EXPECT_TRUE(boxes.texts()[1].contains("20240230"));
  EXPECT_TRUE(boxes.texts()[2].contains("2024050"));
  EXPECT_TRUE(boxes.texts()[3].contains(QString::fromUtf8("より後です")));
  EXPECT_EQ(sheets, 0);
  EXPECT_EQ(stored("LASTCONDX", "STARTdate"), "20000101") << "nothing written";
  // The end box's design text "99999999" stands for no end.
  top->Text7.setText("20000101");
  top->Text8.setText("99999999");
  QTest::mouseClick(&top->Command1, Qt::LeftButton);
  EXPECT_EQ(sheets, 1);
}

TEST_F(ReadingConditionsTest, StartButtonStoresTheConditionsAndShowsTheSheet) {
  top->Text2.setText("N");
  top->Text6.setText("CW");
  top->Show();
  const QString report = JoinPath(Settings.DataFolder, "FreqError_Report.txt");
  ASSERT_TRUE(QFile(report).open(QIODevice::WriteOnly));
  QString captionDuringLoad;
  StartWindowHooks.ShowProgressSheet = [&] {
    captionDuringLoad = top->Command1.text();
    EXPECT_EQ(top->Label9.text(), QString::fromUtf8("読込中"));
    return true;
  };
  QTest::keyClick(top, Qt::Key_Escape);
  MsgBoxResponder boxes;
  QTest::mouseClick(&top->Command1, Qt::LeftButton);
  EXPECT_EQ(captionDuringLoad, QString::fromUtf8("読み込み中です\r\nＱＲＸ！"));
  EXPECT_EQ(stored("LASTCONDX", "QSL1"), "P");
  EXPECT_EQ(stored("LASTCONDX", "QSL2"), "N");
  EXPECT_EQ(stored("LASTCONDX", "SELMODE"), "CW");
  EXPECT_EQ(stored("LASTCONDX", "STARTdate"), "20000101");
  EXPECT_FALSE(QFile::exists(report));
  EXPECT_FALSE(top->isVisible()) << "the sheet takes over";
  EXPECT_EQ(top->Command1.text(), QString::fromUtf8("読み込み開始"));
  EXPECT_TRUE(top->Command1.isEnabled());
  EXPECT_EQ(StartFlags.AbortReading, 0);
  EXPECT_EQ(Settings.JaOnly, "0");
  EXPECT_EQ(MasterList.MasterRecLen, 56);
  EXPECT_EQ(MasterList.MasterHeaderLen, 235) << "HAMLOG 5.40";
  EXPECT_EQ(MasterTable.Columns(), BandLayout.KindColumn);
  EXPECT_EQ(MasterTable.Rows(), MasterList.MasterRowCap);
  EXPECT_EQ(MasterList.MasterRowCap, (FileLen(hamlogdb::MasterPath(hamlogDir)) - 290) / 56);
}

TEST_F(ReadingConditionsTest, MasterHeaderFollowsHamlogsProductVersion) {
  StartWindowHooks.ShowProgressSheet = [] { return true; };
  const QString exe = hamlogdb::ProgramPath(hamlogDir);
  for (const auto& [version, header] :
       std::vector<std::pair<QString, int>>{{"5.34", 347}, {"5.35", 235}, {"beta", 347}}) {
    ASSERT_TRUE(WriteProgramFile(exe, version));
    top->Check1.SetValue(0);
    EXPECT_EQ(top->CheckHamlogReady(), 0);
    EXPECT_EQ(MasterList.MasterHeaderLen, header) << version.toStdString();
  }
}

TEST_F(ReadingConditionsTest, OwnQthDataIsCountedByLines) {
  Settings.UseOwnQthData = 1;
  MasterList.QthDataPath =
      home.write("qth.csv", "\"0101\",\"a\",\"4\",\"x\",\"8\"\r\n\"0102\",\"b\",\"4\",\"x\",\"8\"");
  EXPECT_EQ(top->CheckHamlogReady(), 0);
  EXPECT_EQ(MasterList.MasterRowCap, 2);
  MasterList.QthDataPath = home.file("none.csv");
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(top->CheckHamlogReady(), 1);
  EXPECT_EQ(boxes.texts(), QStringList({"File Open Error です\r\n" + home.file("none.csv") +
                                         " を開けません（ファイルかフォルダーがありません）。\r\nファイルの場所と名前を確かめて下さい。"}));
}

TEST_F(ReadingConditionsTest, StartButtonHandsOverToTheProgressSheet) {
  top->Show();
  MsgBoxResponder boxes;
  QTest::mouseClick(&top->Command1, Qt::LeftButton);
  ASSERT_TRUE(IsLoaded<CWSHEET>());
  EXPECT_TRUE(LoadedForm<CWSHEET>()->isVisible());
  EXPECT_FALSE(top->isVisible());
  EXPECT_EQ(top->Command1.text(), QString::fromUtf8("読み込み開始"));
}

TEST_F(ReadingConditionsTest, WhileTheStartButtonRunsASecondClickAndACloseAreRefused) {
  top->Show();
  int sheets = 0;
  StartWindowHooks.ShowProgressSheet = [&] {
    ++sheets;
    top->close();
    EXPECT_TRUE(IsLoaded<ORBTOP>()) << "closed while the sheet loads";
    return true;
  };
  // A second click waiting in the queue; the checks before the reading let it through.
  const QPoint at = top->Command1.rect().center();
  for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
    QCoreApplication::postEvent(
        &top->Command1, new QMouseEvent(t, at, top->Command1.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                                        Qt::NoModifier));
  MsgBoxResponder boxes;
  QTest::mouseClick(&top->Command1, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(sheets, 1);
  ASSERT_TRUE(IsLoaded<ORBTOP>());
  top->Show();
  top->close();
  EXPECT_FALSE(IsLoaded<ORBTOP>()) << "idle again: the close box works";
}

TEST_F(ReadingConditionsTest, FailedSheetLoadIsToldAndTheStartWindowStays) {
  top->Show();
  StartWindowHooks.ShowProgressSheet = []() -> bool { throw std::runtime_error("53 File not found"); };
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  QTest::mouseClick(&top->Command1, Qt::LeftButton);
  EXPECT_EQ(boxes.texts(), QStringList({"53 File not found"}));
  EXPECT_TRUE(top->isVisible());
  EXPECT_TRUE(top->Command1.isEnabled());
  EXPECT_EQ(top->Command1.text(), QString::fromUtf8("読み込み開始"));
  EXPECT_EQ(top->Label9.text(), QString::fromUtf8("ｶｳﾝﾀ"));
}
