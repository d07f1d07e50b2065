// The QSO window as the operator meets it: the lists it shows, the name it hands to the entry window,
// the QSL-check mode's Insert, the layout it keeps, and the re-issue history.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QHeaderView>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "logbook/LogWindowState.h"
#include "logbook/QslCheck.h"
#include "logbook/QsoLists.h"
#include "platform/ui/keys.h"
#include "platform/ui/twips.h"
#include "platform/vbfile.h"
#include "support/captions.h"
#include "support/logbook_log.h"
#include "support/operator.h"
#include "support/other_process.h"
#include "support/qt_print.h"
#include "support/waits.h"

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

class QsoWindow : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    QsoWindowState = {};
    AddQsos({{"JA1AAA", "11009", "7.025", "CW", "J  ", "Taro"},     // 1
             {"JA1ABC", "1001", "14.025", "SSB", "J  ", "Jiro"},    // 2
             {"JA1ABC/1", "11009A", "7.025", "CW", "J *", ""},      // 3
             {"JA1ABC", "1101", "21.025", "CW", "J  ", "Saburo"}}); // 4
  }
  void TearDown() override {
    UnloadForm<QSODATA>();
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) w->Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QsoWindowState = {};
    LogbookTest::TearDown();
  }
  FlexGrid& grid() { return LoadedForm<QSODATA>()->MSFlexGrid1; }
  QPoint cell(int row, int col) {
    FlexGrid& g = grid();
    return g.visualRect(g.gridModel().index(row - 1, col)).center();
  }
  void click(int row, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(grid().viewport(), button, {}, cell(row, 1));
  }
  static void showStation(QString call) { QSODATA::ShowStationQsos(call); }
  QStringList column(int c) {
    QStringList out;
    for (int r = 1; r < grid().Rows(); ++r) out << grid().TextMatrix(r, c);
    return out;
  }
};

TEST_F(QsoWindow, ACodesQsosStandInRecordOrderWithTheLastInView) {
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  QSODATA* w = LoadedForm<QSODATA>();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->windowTitle(), u8("11009とのＱＳＯ一覧 2回"));
  EXPECT_EQ(grid().Cols(), 19);
  EXPECT_EQ(grid().TextMatrix(0, 0), u8("件数"));
  EXPECT_EQ(grid().TextMatrix(0, 18), "DX");
  EXPECT_EQ(column(0), (QStringList{" 01", " 03"}));
  EXPECT_EQ(column(1), (QStringList{"JA1AAA", "JA1ABC/1"}));
  EXPECT_GE(Operator::CellCentre(grid(), 2, 0).x(), 0) << "the 件数 column in view";
  EXPECT_EQ(QsoWindowState.AreaListMode, 1);
  // Default widths: column 2 hidden.
  EXPECT_EQ(grid().ColWidth(2), 0);
  EXPECT_EQ(grid().ColWidth(12), 1920);
}

// The log viewer has the same default widths.
TEST_F(QsoWindow, TheDefaultWidthsShowDatesFrequenciesAndCodesWhole) {
  DesktopLook look;
  AddQsos({{"JA1ABC/1", "110101", "1294.100", "FM", "J *", ""}, {"JA1ABC", "11009A", "10368.000", "SSB", "J  ", ""}});
  showStation("JA1ABC");
  ASSERT_TRUE(IsLoaded<QSODATA>());
  for (int r = 1; r < grid().Rows(); ++r)
    for (int c : {0, 1, 3, 4, 7, 8, 9}) EXPECT_TRUE(CellCut(grid(), r, c).isEmpty()) << CellCut(grid(), r, c).toStdString();
}

TEST_F(QsoWindow, NothingToListOpensNoWindow) {
  QSODATA::ShowAreaQsos("1101", 0, "MIX");
  EXPECT_FALSE(IsLoaded<QSODATA>());
  showStation("JA9ZZZ");
  EXPECT_FALSE(IsLoaded<QSODATA>());
}

TEST_F(QsoWindow, AStationListHandsTheLastNameToAnEmptyNameBoxAndAPickCopiesItsName) {
  TextBox& name = Form<TEMP_LOG>().Text12;
  QString call = "JA1ABC/P";
  QSODATA::ShowStationQsos(call);
  ASSERT_TRUE(IsLoaded<QSODATA>());
  EXPECT_EQ(LoadedForm<QSODATA>()->windowTitle(), u8("JA1ABC局とのＱＳＯ  3回"));
  EXPECT_EQ(name.text(), "Saburo");  // the highest record number's name
  click(1);
  EXPECT_EQ(name.text(), "Jiro");
  EXPECT_EQ(QsoWindowState.QsoWindowRow, 1);
  EXPECT_EQ(LoadedForm<QSODATA>()->PrintRecNo, 2);
  // A name already chosen stays.
  QSODATA::ShowStationQsos(call);
  EXPECT_EQ(name.text(), "Jiro");
}

TEST_F(QsoWindow, InsertMarksTheCardReceivedInHamlogAndNothingElse) {
  LogWindowState.QslCheckMode = 1;
  int cleared = 0;
  MasterList.ClearStartWithPreviousData = [&] { ++cleared; };
  StartFlags.StartWithPreviousData = 1;
  const QStringList before = Dump();
  showStation("JA1ABC");
  ASSERT_EQ(column(0), (QStringList{" 02", " 04"}));  // record 3's card has come
  // A key before any pick asks for one.
  boxes.Answer(vbOK);
  QTest::keyClick(&grid(), Qt::Key_Insert);
  EXPECT_EQ(boxes.texts(), QStringList{u8("QSOデータを選択（クリック）して下さい。")});
  click(2);
  QTest::keyClick(&grid(), Qt::Key_Insert);
  EXPECT_EQ(grid().TextMatrix(2, 15), "*");
  EXPECT_EQ(Hamlog.HamlogClosed, 1);  // the next station list may run
  EXPECT_EQ(cleared, 1);
  EXPECT_EQ(StartFlags.StartWithPreviousData, 0);
  HamlogCloseDb(0);
  const QStringList after = Dump();
  ASSERT_EQ(after.size(), before.size());
  for (int i = 0; i < before.size(); ++i)
    EXPECT_EQ(after[i], i == 3 ? QString(before[i]).replace("\"J  \"", "\"J *\"") : before[i]) << i;
  EXPECT_NE(after[3], before[3]);
}

// A mark waiting for another program's lock of the log is said until Esc, in a window of its own (this one
// has no status bar, and none is laid over its list); one on a moved QSO is refused.
TEST_F(QsoWindow, AMarkHamlogRefusesIsSaidAndNotShown) {
  LogWindowState.QslCheckMode = 1;
  showStation("JA1ABC");
  QApplication::setActiveWindow(LoadedForm<QSODATA>());
  click(1);
  const QStringList unmarked = Dump();
  const int fd = LockAsAnotherProgram(Hamlog.HamlogDbPath);
  QString waiting;
  WhenShown(
      [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (auto* wait = qobject_cast<QProgressDialog*>(w); wait && wait->isVisible())
            waiting = wait->labelText();
        return !waiting.isEmpty();
      },
      [] { Operator::Key(Qt::Key_Escape); });
  boxes.Answer(vbOK);
  QTest::keyClick(&grid(), Qt::Key_Insert);
  ::close(fd);
  EXPECT_EQ(LoadedForm<QSODATA>()->findChild<QStatusBar*>(), nullptr);
  EXPECT_EQ(waiting,
            Hamlog.HamlogDbPath +
                u8("\r\nを他のプログラムがロック中。\r\n待っています (Esc で中止) 0 秒 (30 秒まで)"));
  EXPECT_EQ(boxes.texts().value(0),
            u8("QSL受領マークを書き込めませんでした。（交信番号=2）\r\n") + Hamlog.HamlogDbPath +
                u8(" を他のプログラムがロックしていて、書き込みを取りやめました。何も書き込んでいません"));
  EXPECT_EQ(Dump(), unmarked);
  ASSERT_TRUE(IsLoaded<QSODATA>());  // the Esc was the wait's
  // Another copy deleted record 1 meanwhile: record 2 is now JA1ABC/1's.
  ASSERT_EQ(HamlogOpenDb(), 0);
  ASSERT_EQ(Vdbf_delete(Hamlog.Thw, 1), 0);
  ASSERT_EQ(Vdbf_packwk(Hamlog.Thw, "", 58), 0);
  HamlogCloseDb(0);
  const QStringList before = Dump();
  boxes.Answer(vbOK);
  QTest::keyClick(&grid(), Qt::Key_Insert);
  EXPECT_EQ(boxes.texts().mid(1),
            QStringList{u8("QSL受領マークを書き込めませんでした。（交信番号=2）\r\n"
                           "このデータはHAMLOGで変更（または削除）されています。表示し直してください")});
  EXPECT_EQ(Dump(), before);
  // The list is read again: Jiro's QSO is record 1 now, still waiting for its card.
  EXPECT_EQ(column(0), (QStringList{" 01", " 03"}));
  EXPECT_EQ(column(15), (QStringList{" ", " "}));
}

TEST_F(QsoWindow, EnterAndDoubleClickOpenTheQsoInTheEntryWindow) {
  Form<TEMP_LOG>();
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  click(2);
  QTest::mouseDClick(grid().viewport(), Qt::LeftButton, {}, cell(2, 1));
  ASSERT_TRUE(IsLoaded<TEMP_LOG>());
  EXPECT_TRUE(LoadedForm<TEMP_LOG>()->isVisible());
  EXPECT_EQ(LoadedForm<TEMP_LOG>()->Text1.text().trimmed(), "JA1ABC/1");
  EXPECT_EQ(LogWindowState.StoredRecordShown, 1);
  EXPECT_EQ(LogWindowState.LogRecNo, 3);
  EXPECT_EQ(Hamlog.HamlogClosed, 1) << "the entry window keeps the record, not the log";
  // In QSL-check mode Enter opens the picked QSO as well.
  LogWindowState.QslCheckMode = 1;
  click(1);
  QTest::keyClick(&grid(), Qt::Key_Return);
  EXPECT_EQ(LogWindowState.LogRecNo, 1);
  EXPECT_EQ(LoadedForm<TEMP_LOG>()->Text1.text().trimmed(), "JA1AAA");
  // The double click kept the layout.
  EXPECT_EQ(ReadIni("LogDisp", "COLWIDTH12"), "1920");
  EXPECT_TRUE(ReadIniKey("CFGPOS", "QSODATTop").has_value());
  HamlogCloseDb(0);
}

TEST_F(QsoWindow, StoredWidthsAndAMissingOne) {
  for (int i = 0; i < 18; ++i) WriteIni("LogDisp", "COLWIDTH" + QString::number(i), QString::number(100 + i));
  WriteIni("LogDisp", "COLWIDTH5", "");
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  EXPECT_EQ(grid().ColWidth(0), 100);
  EXPECT_EQ(grid().ColWidth(17), 117);
  EXPECT_EQ(grid().ColWidth(5), 0);
}

TEST_F(QsoWindow, RightClickSortsTheColumnDownThenUpAndSkipsTheNewBandCheck) {
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  click(1, Qt::RightButton);
  EXPECT_EQ(column(1), (QStringList{"JA1ABC/1", "JA1AAA"}));
  EXPECT_EQ(QslCheck.SkipNewBandCheck, 1);
  click(1, Qt::RightButton);
  EXPECT_EQ(column(1), (QStringList{"JA1AAA", "JA1ABC/1"}));
}

TEST_F(QsoWindow, TheReissueHistoryShowsTheFileAsItStands) {
  VbFile f(home.file("QSLAGN.DAT"), VbMode::Output);
  f.Write({"2024-06-01", "12", "JA1ABC", "2024-05-06", "CW", "1001", u8("東京23区")});
  f.Write({"2024-06-02", "13", "JA1XYZ", "2024-05-07", "SSB", "1101", u8("横浜市")});
  ASSERT_TRUE(f.Close());
  QSODATA::ShowReissueHistory();
  EXPECT_EQ(LoadedForm<QSODATA>()->windowTitle(), u8("ＱＳＬ再発行状況"));
  EXPECT_EQ(grid().Cols(), 8);
  EXPECT_EQ(column(0), (QStringList{" 01", " 02"}));
  EXPECT_EQ(column(7), (QStringList{u8("東京23区"), u8("横浜市")}));
  // Closing it keeps no layout.
  LoadedForm<QSODATA>()->LOGCL.Trigger();
  EXPECT_FALSE(ReadIniKey("CFGPOS", "QSODATTop").has_value());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // An empty file: the heading alone; a missing one: said.
  VbFile empty(home.file("QSLAGN.DAT"), VbMode::Output);
  ASSERT_TRUE(empty.Close());
  QSODATA::ShowReissueHistory();
  EXPECT_EQ(grid().Rows(), 1);
  ASSERT_TRUE(QFile::remove(home.file("QSLAGN.DAT")));
  boxes.Answer(vbOK);
  QSODATA::ShowReissueHistory();
  EXPECT_EQ(boxes.texts(), QStringList{"ＱＳＬ再発行歴 が見つかりませんでした\r\n" + home.file("QSLAGN.DAT") + " がありません"});
  // Damaged: a record cut short, or bytes that are no text.
  home.write("QSLAGN.DAT", "\"2024-06-01\",\"12\",\"JA1ABC\",\"2024-05-06\",\"CW\",\"1001\",\"Q\"\r\n\"2024-06-02\",\"13\"");
  boxes.Answer(vbOK);
  QSODATA::ShowReissueHistory();
  EXPECT_EQ(column(2), QStringList{"12"});
  EXPECT_EQ(boxes.texts().last(), "ＱＳＬ再発行歴 " + home.file("QSLAGN.DAT") + " が壊れています (2 件目が途中で切れています)");
  home.write("QSLAGN.DAT", QByteArray("\x85\xFF\x00\x01", 4));
  boxes.Answer(vbOK);
  QSODATA::ShowReissueHistory();
  EXPECT_EQ(boxes.texts().last(), "ＱＳＬ再発行歴 " + home.file("QSLAGN.DAT") + " が壊れています (文字として読めないバイトがあります)");
  // Saved as UTF-8, whose bytes pass as Windows-31J: said, nothing garbled shown.
  home.write("QSLAGN.DAT", QString("\"2024-06-01\",\"12\",\"JA1ABC\",\"2024-05-06\",\"CW\",\"1001\",\"東京都\"\r\n").toUtf8());
  boxes.Answer(vbOK);
  QSODATA::ShowReissueHistory();
  EXPECT_EQ(grid().Rows(), 1);
  EXPECT_TRUE(boxes.texts().last().startsWith("ＱＳＬ再発行歴 " + home.file("QSLAGN.DAT") + " は UTF-8 で保存されています"));
  // A code's list after the history, which the program unloaded, is a list again.
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  EXPECT_EQ(grid().Cols(), 19);
}

TEST_F(QsoWindow, TheHeadingsTipTellsWhatAClickDoesAndEscCloses) {
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  QTest::mouseMove(grid().horizontalHeader()->viewport(),
                   QPoint(grid().horizontalHeader()->sectionViewportPosition(1) + 5, 5));
  EXPECT_EQ(grid().ToolTipText(), u8("右ｸﾘｯｸするとﾃﾞｰﾀをソート表示します"));
  QTest::keyClick(&grid(), Qt::Key_Escape);
  EXPECT_FALSE(IsLoaded<QSODATA>());
}

TEST_F(QsoWindow, ThePlaceKeptIsUsedWhenItIsOnTheScreen) {
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  EXPECT_EQ(LoadedForm<QSODATA>()->Top(), 0);
  EXPECT_EQ(LoadedForm<QSODATA>()->Left(), 0);
  EXPECT_NEAR(LoadedForm<QSODATA>()->Width(), 9135, 90);  // the frame drawn around it aside
  WriteIni("CFGPOS", "QSODATTop", QString::number(ScreenHeightTwips() + 150));
  WriteIni("CFGPOS", "QSODATLeft", "300");
  WriteIni("CFGPOS", "QSODATWidth", "7500");
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  EXPECT_EQ(LoadedForm<QSODATA>()->Top(), 0);  // beyond the screen
  EXPECT_EQ(LoadedForm<QSODATA>()->Left(), 300);
  EXPECT_NEAR(LoadedForm<QSODATA>()->Width(), 7500, 90);
}

TEST_F(QsoWindow, LogclKeepsPositionAndWidths) {
  QSODATA::ShowAreaQsos("11009", kAllBands, "MIX");
  LoadedForm<QSODATA>()->Move(0, 0, 7500);
  LoadedForm<QSODATA>()->LOGCL.Trigger();
  EXPECT_EQ(ReadIni("CFGPOS", "QSODATTop"), "0");
  EXPECT_EQ(ReadIni("CFGPOS", "QSODATWidth"), "7500");
  EXPECT_EQ(ReadIni("LogDisp", "COLWIDTH18"), "330");
  EXPECT_EQ(QsoWindowState.AreaListMode, 0);
}

}  // namespace
