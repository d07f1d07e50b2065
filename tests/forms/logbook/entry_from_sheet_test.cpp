// The entry window reached from the progress sheet: "LOG帳を開く" and a double click on a band cell,
// which opens a new QSO of that code and band; the memo window of the sheet and of the start window.
#include <gtest/gtest.h>

#include <QApplication>
#include <cerrno>
#include <QSignalSpy>
#include <QTest>

#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/MemoDAT.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LogWindowState.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog.h"
#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "support/operator.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/sheet_log.h"

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

struct EntryFromSheet : ::testing::Test {
  SheetLog log;
  MsgBoxResponder boxes;

  void SetUp() override {
    log.Add({"JA1AAA,2020/01/01,7.025,CW,1002,J *", "JA1AAB,2020/01/02,14.050,CW,1002,J  "});
    log.Prepare();
    SetFixedClock(QDateTime(QDate(2024, 5, 6), QTime(12, 30), Qt::UTC));
    ConnectLogbookWindows();
  }
  void TearDown() override {
    UnloadForm<QSODATA>();
    UnloadForm<MemoDAT>();
    UnloadForm<TEMP_LOG>();
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetClock();
    ResetSharedState();
    LogWindowState = {};
    EntryWindowHooks = {};
  }
  CWSHEET& sheet() {
    CWSHEET& s = Form<CWSHEET>();
    s.Show();
    hamlogLib.indexRebuilds = 0;  // built by the test's log, not news for the operator
    return s;
  }
  int gridRow(FlexGrid& g, const QString& code) {
    for (int r = 1; r < g.Rows(); ++r)
      if (g.TextMatrix(r, 1).trimmed() == code) return r;
    return -1;
  }
  void doubleClick(FlexGrid& g, int row, int col) {
    Operator::ClickCell(g, row, col);
    Operator::DoubleClickCell(g, row, col);
  }
};

TEST_F(EntryFromSheet, ADoubleClickOnABandCellOpensANewQsoOfThatCodeAndBand) {
  CWSHEET& s = sheet();
  s.Text3.setText("ja1aab");
  FlexGrid& g = s.MSFlexGrid2;
  doubleClick(g, gridRow(g, "1002"), 9);  // 14 MHz
  TEMP_LOG* w = LoadedForm<TEMP_LOG>();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(LogWindowState.LogWindowOpen, 1);
  EXPECT_EQ(w->Text9.text(), "1002");
  EXPECT_EQ(w->Text8.text(), "14");
  EXPECT_EQ(w->Text1.text(), "JA1AAB");  // the call box prepared the station
  EXPECT_EQ(w->Text3.text(), "2024-05-06");
  EXPECT_EQ(w->focusWidget(), &w->Text4);
  // The station's earlier QSOs are listed.
  ASSERT_NE(LoadedForm<QSODATA>(), nullptr);
  EXPECT_EQ(LoadedForm<QSODATA>()->MSFlexGrid1.TextMatrix(1, 1), "JA1AAB");
  // While the entry window is open the grid's clicks only bring it forward.
  doubleClick(g, gridRow(g, "1101"), 7);
  EXPECT_EQ(w->Text9.text(), "1002");
}

TEST_F(EntryFromSheet, TheCallBoxFillsTheEntryWindowUnseenAndTheGridBringsItForward) {
  CWSHEET& s = sheet();
  FlexGrid& g = s.MSFlexGrid2;
  QTest::keyClicks(&s.Text3, "ja1aab");
  TEMP_LOG* w = LoadedForm<TEMP_LOG>();
  ASSERT_NE(w, nullptr) << "loaded to hold the call";
  EXPECT_FALSE(w->isVisible()) << "typing a call opens no window";
  EXPECT_EQ(LogWindowState.LogWindowOpen, 0);
  EXPECT_EQ(w->Text1.text(), "JA1AAB");
  // A QSO's cell gives its band to the entry window's frequency, still unseen.
  Operator::ClickCell(g, gridRow(g, "1002"), 9);
  EXPECT_EQ(s.Label3.text(), "JA1AAB");
  EXPECT_EQ(w->Text8.text(), "14");
  EXPECT_FALSE(w->isVisible());

  s.LOGOPEN.Trigger();
  w = LoadedForm<TEMP_LOG>();
  ASSERT_TRUE(w && w->isVisible());
  EXPECT_EQ(w->Text1.text(), "JA1AAB");
  EXPECT_EQ(w->Text8.text(), "14") << "the band clicked on the sheet";
  s.Text3.setText("JA1XYZ");
  EXPECT_EQ(w->Text1.text(), "JA1XYZ") << "the open window follows the call box";
  // Leaving the grid brings the entry window in front of the sheet.
  QSignalSpy forward(w, &VbForm::broughtForward);
  s.activateWindow();
  QApplication::setActiveWindow(&s);
  g.setFocus();
  g.clearFocus();
  EXPECT_EQ(forward.count(), 1);
  // So does a QSO shown while the window holds a stored record, with the reason why.
  LogWindowState.StoredRecordShown = 1;
  LogWindowState.LogWindowOpen = 0;
  boxes.Answer(vbOK);
  QTest::mouseClick(g.viewport(), Qt::LeftButton, {},
                    g.visualRect(g.gridModel().index(gridRow(g, "1002") - 1, 7)).center());
  EXPECT_EQ(boxes.texts().last(), u8("LOG帳open中　あるいは\r\nQSL受領処理中はQSOデータを表示出来ません10"));
  EXPECT_EQ(forward.count(), 2);
}

TEST_F(EntryFromSheet, TheClearButtonsAndTheCallListCloseTheEntryWindowAskingForAnUnsavedQso) {
  CWSHEET& s = sheet();
  // Only holding the call: closed without a word.
  s.Text3.setText("JA1AAB");
  ASSERT_TRUE(IsLoaded<TEMP_LOG>());
  QTest::mouseClick(&s.Command2, Qt::LeftButton);
  EXPECT_FALSE(IsLoaded<TEMP_LOG>());
  EXPECT_EQ(s.Text3.text(), "");

  // A new QSO typed in the open window and not saved: asked; "No" keeps it as it was.
  s.Text3.setText("JA1AAB");
  s.LOGOPEN.Trigger();
  TEMP_LOG* w = LoadedForm<TEMP_LOG>();
  ASSERT_TRUE(w && w->isVisible());
  w->Text12.setText(u8("太郎"));
  boxes.Answer(vbNo);
  QTest::mouseClick(&s.Command8, Qt::LeftButton);
  EXPECT_EQ(boxes.texts().last(), u8("LOGﾃﾞｰﾀが未保存ですが宜しいですか"));
  ASSERT_EQ(LoadedForm<TEMP_LOG>(), w);
  EXPECT_EQ(w->Text1.text(), "JA1AAB");
  EXPECT_EQ(w->Text12.text(), u8("太郎"));
  EXPECT_EQ(s.Text2.text(), "") << "the button's own clearing is done all the same";
  // A call taken from the call list: "Yes" lets the unsaved QSO go.
  s.List1.AddItem("JA2XYZ");
  Operator::Click(s.Command7);
  boxes.Answer(vbYes);
  Operator::Pick(s.List1, 0);
  EXPECT_EQ(s.Text3.text(), "JA2XYZ");
  EXPECT_FALSE(IsLoaded<TEMP_LOG>());
  EXPECT_EQ(LogWindowState.LogWindowOpen, 0);
}

TEST_F(EntryFromSheet, TheCallIsTypedWhereTheCaretIsAndAfterEscTheCallBoxListsAgain) {
  CWSHEET& s = sheet();
  s.LOGOPEN.Trigger();
  TEMP_LOG* w = LoadedForm<TEMP_LOG>();
  ASSERT_TRUE(w && w->isVisible());
  Operator::Activate(*w);
  Operator::Key(Qt::Key_Home);
  Operator::Key(Qt::Key_Insert);
  Operator::Type("JA1XYZ");  // copied to the sheet's call box and back at each key
  Operator::ClickCaret(w->Text1, 3);
  Operator::Type("AB");
  EXPECT_EQ(w->Text1.text(), "JA1ABXYZ");
  EXPECT_EQ(s.Text3.text(), "JA1ABXYZ");
  // A stored QSO shown, then Esc, which has nothing unsaved to ask about.
  boxes.Answer(vbYes);
  Operator::Click(w->Command2);
  ASSERT_EQ(w->Text1.text(), "JA1AAB");
  Operator::Key(Qt::Key_Escape);
  ASSERT_FALSE(IsLoaded<TEMP_LOG>());
  Operator::DoubleClick(s.Text3);  // the call selected, typed over
  Operator::Type("ja1aaa");
  Operator::Key(Qt::Key_Return);
  ASSERT_NE(LoadedForm<QSODATA>(), nullptr);
  EXPECT_EQ(LoadedForm<QSODATA>()->MSFlexGrid1.TextMatrix(1, 1), "JA1AAA");
}

// The call the program puts in the box (the sheet's copy after 新, a browsed record's) is typed over.
TEST_F(EntryFromSheet, ACallThatTheProgramPutInTheBoxIsTypedOver) {
  sheet().LOGOPEN.Trigger();
  TEMP_LOG& w = *LoadedForm<TEMP_LOG>();
  Operator::Activate(w);
  const auto keyThenType = [](Qt::Key key, const char* text) { Operator::Key(key), Operator::Type(text); };
  keyThenType(Qt::Key_F2, "ja1aaa");
  Operator::Key(Qt::Key_A, Qt::AltModifier);
  keyThenType(Qt::Key_F2, "ja1bbb");
  EXPECT_EQ(w.Text1.text(), "JA1BBB");
  // A shorter call keeps nothing of the carried one; a report selected by the operator goes whole.
  Operator::Key(Qt::Key_A, Qt::AltModifier);
  keyThenType(Qt::Key_F2, "jr2xy");
  EXPECT_EQ(w.Text1.text(), "JR2XY");
  keyThenType(Qt::Key_F4, "599");
  Operator::DoubleClick(w.Text5);
  Operator::Type("55");
  EXPECT_EQ(w.Text5.text(), "55");
  Operator::Key(Qt::Key_Insert);
  boxes.Answer(vbYes);
  Operator::Click(w.Command2);
  keyThenType(Qt::Key_F2, "ja1dd");
  EXPECT_EQ(w.Text1.text(), "JA1DD") << "insert mode: the whole call replaced";
}

// The station of a deleted QSO goes with it: the sheet's call box and the new QSO do not keep its call.
TEST_F(EntryFromSheet, AfterADeletionTheNewQsoHasNotTheDeletedCall) {
  CWSHEET& s = sheet();
  Operator::Click(s.Text3);
  Operator::Type("ja1aab");
  s.LOGOPEN.Trigger();
  TEMP_LOG& w = *LoadedForm<TEMP_LOG>();
  boxes.Answer(vbYes).Answer(vbYes).Answer(vbOK);
  Operator::Click(w.Command2);  // JA1AAB's stored QSO
  w.DATDEL.Trigger();
  EXPECT_EQ(w.Text1.text() + s.Text3.text(), "");
}

TEST_F(EntryFromSheet, ADoubleClickWhileAStoredRecordIsShownIsRefused) {
  CWSHEET& s = sheet();
  LogWindowState.StoredRecordShown = 1;
  FlexGrid& g = s.MSFlexGrid2;
  boxes.Answer(vbOK).Answer(vbOK);  // the click on the QSO's cell says it too
  doubleClick(g, gridRow(g, "1002"), 9);
  ASSERT_EQ(boxes.texts().size(), 2);
  EXPECT_EQ(boxes.texts()[1], u8("LOG帳open中　あるいは\r\nQSL受領処理中はQSOデータを表示出来ません1-0"));
  EXPECT_FALSE(IsLoaded<TEMP_LOG>());
}

TEST_F(EntryFromSheet, CodeCheckBringsTheRowOfTheTypedCodeUpOnTheSheet) {
  CWSHEET& s = sheet();
  s.LOGOPEN.Trigger();
  TEMP_LOG& w = Form<TEMP_LOG>();
  w.Text1.setText(QString());
  w.Command2.click();  // a stored QSO offers the check
  ASSERT_EQ(w.Text9.text(), "1002");
  FlexGrid& g = s.MSFlexGrid2;
  const int row = gridRow(g, "1002");
  ASSERT_GT(row, 1);
  g.SetTopRow(1);
  g.SetRow(1);
  w.CODECHK.Trigger();
  EXPECT_EQ(g.TopRow(), row);
  EXPECT_EQ(g.Row(), row);
  EXPECT_EQ(g.RowSel(), row);
  // A code beginning with a letter, or none, leaves the sheet where it is.
  g.SetTopRow(1);
  g.SetRow(1);
  for (const char* code : {"A100", ""}) {
    w.Text9.setText(code);
    w.CODECHK.Trigger();
    EXPECT_EQ(g.TopRow(), 1) << code;
    EXPECT_EQ(g.Row(), 1) << code;
  }
  // The D box switches the DX flag at once.
  ASSERT_EQ(w.Check1.Value(), 0);
  w.Check1.click();
  EXPECT_EQ(LogWindowState.DxFlagText, "8");
  w.Check1.click();
  EXPECT_EQ(LogWindowState.DxFlagText, "0");
}

TEST_F(EntryFromSheet, TheSheetsMenuOpensTheEntryWindowAndTheMemo) {
  CWSHEET& s = sheet();
  ASSERT_TRUE(s.LOGOPEN.Enabled());
  s.LOGOPEN.Trigger();
  ASSERT_NE(LoadedForm<TEMP_LOG>(), nullptr);
  EXPECT_EQ(LoadedForm<TEMP_LOG>()->StatusBar1.PanelText(1), "Record No=3");
  s.MEMOVIEW.Trigger();
  ASSERT_NE(LoadedForm<MemoDAT>(), nullptr);
  EXPECT_TRUE(LoadedForm<MemoDAT>()->isVisible());
  EXPECT_TRUE(s.MEMOVIEW.Enabled());
}

TEST_F(EntryFromSheet, TheMemoOpensOverwritesSavesUnderANameAndClears) {
  FileDialogResponder files;
  MemoDAT& m = Form<MemoDAT>();
  EXPECT_EQ(m.Width(), 10920);  // first run: the default place and size
  boxes.Answer(vbOK);
  m.RCVMEMOue.Trigger();
  EXPECT_EQ(boxes.texts(), QStringList{u8("ファイル名がありません")});
  const QString path = log.home.write("memo.txt", ToAnsi(u8("一行目\r\ntwo\r\n")));
  const auto memo = [&](const char* name) { return FromAnsi(log.home.read(name)); };
  files.Choose(path);
  m.MEMOPEN.Trigger();
  EXPECT_EQ(m.Text1.text(), u8("一行目\ntwo\n"));
  EXPECT_EQ(ReadIniOr("ORB", "RCVDFOL", "?"), log.home.path());
  EXPECT_EQ(m.Fname.Caption(), path);
  m.RCVMEMOue.Trigger();  // saved unchanged: the file stays as it was, no empty line added
  EXPECT_EQ(memo("memo.txt"), u8("一行目\r\ntwo\r\n"));
  m.Text1.setText(m.Text1.text() + "three");
  m.RCVMEMOue.Trigger();
  EXPECT_EQ(memo("memo.txt"), u8("一行目\r\ntwo\r\nthree\r\n"));
  EXPECT_TRUE(IsLoaded<MemoDAT>());
  files.Choose(log.home.file("other.txt"));
  m.RCVMEMO.Trigger();
  ASSERT_EQ(files.shown().size(), 2u);
  EXPECT_EQ(files.shown()[1].fileName, "ORBEX_MEMO240506");
  EXPECT_EQ(memo("other.txt"), u8("一行目\r\ntwo\r\nthree\r\n"));
  m.MEMCLR.Trigger();
  EXPECT_EQ(m.Text1.text(), "");
  EXPECT_EQ(memo("other.txt"), u8("一行目\r\ntwo\r\nthree\r\n")) << "clearing leaves the file alone";
  m.Send.Trigger();
  EXPECT_FALSE(IsLoaded<MemoDAT>());
  EXPECT_EQ(log.home.read("other.txt"), "\r\n");
}

TEST_F(EntryFromSheet, TheMemoComesBackOnTheScreenAndAMinimisedCloseKeepsItsPlace) {
  WriteIni("CFGPOS", "MEMPOSTop", "999999");  // left below the screen
  WriteIni("CFGPOS", "MEMPOSLeft", "300");
  WriteIni("CFGPOS", "MEMPOSWidth", "6000");
  WriteIni("CFGPOS", "MEMPOSHeight", "2400");
  MemoDAT& m = Form<MemoDAT>();
  EXPECT_EQ(m.Top(), 0);
  EXPECT_EQ(m.Left(), 300);
  EXPECT_EQ(m.Width(), 6000);
  m.Show();
  m.SetWindowState(vbMinimized);
  m.RDEND.Trigger();
  EXPECT_FALSE(IsLoaded<MemoDAT>());
  EXPECT_EQ(ReadIniOr("CFGPOS", "MEMPOSTop", "?"), "999999");
  EXPECT_EQ(ReadIniOr("CFGPOS", "MEMPOSWidth", "?"), "6000");
}

TEST_F(EntryFromSheet, TheHelpMemoOffersOnlyOverwriteAndClose) {
  log.home.write("ORBEX_MyHelp.TXT", "note\r\n");
  MemoDAT::ShowHelpMemo();
  MemoDAT* m = LoadedForm<MemoDAT>();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->windowTitle(), u8("覚え書き"));
  for (const Menu* off : {&m->MEMOPEN, &m->RCVMEMO, &m->MEMCLR})
    EXPECT_FALSE(off->Visible()) << qPrintable(off->Caption());
  EXPECT_TRUE(m->RCVMEMOue.Visible());
  m->Text1.setText("note\nmore");
  m->RCVMEMOue.Trigger();
  EXPECT_FALSE(IsLoaded<MemoDAT>());
  EXPECT_EQ(MemoState.HelpMemoMode, 0);
  EXPECT_EQ(log.home.read("ORBEX_MyHelp.TXT"), "note\r\nmore\r\n");
}

TEST_F(EntryFromSheet, AMemoThatCannotBeSavedStaysWithItsTextAndAForeignFileIsLeftAlone) {
  const QByteArray utf8 = "\xE3\x83\xA1\xE3\x83\xA2\r\n";  // "メモ" saved by a UTF-8 editor
  log.home.write("ORBEX_MyHelp.TXT", utf8);
  boxes.Answer(vbOK);
  EXPECT_FALSE(MemoDAT::ShowHelpMemo());
  EXPECT_TRUE(boxes.texts().value(0).contains(u8("ORBEX_MyHelp.TXT は UTF-8 で保存されています")));
  log.home.write("ORBEX_MyHelp.TXT", "note\r\n");
  ASSERT_TRUE(MemoDAT::ShowHelpMemo());
  MemoDAT& m = *LoadedForm<MemoDAT>();
  Operator::Click(m.Text1);
  Operator::Commit(u8("😀"));
  boxes.Answer(vbOK);
  m.RCVMEMOue.Trigger();
  EXPECT_TRUE(boxes.texts().value(1).contains(u8("書けません: 😀")));
  Operator::Key(Qt::Key_Backspace);
  Operator::Type("more");
  writeFaultForTest = [](const QString&) { return ENOSPC; };
  boxes.Answer(vbOK).Answer(vbOK);
  m.RCVMEMOue.Trigger();
  m.Send.Trigger();
  writeFaultForTest = nullptr;
  EXPECT_TRUE(boxes.texts().value(3).contains(u8("に保存できませんでした（ディスクに空きがありません）")));
  ASSERT_TRUE(IsLoaded<MemoDAT>());
  EXPECT_EQ(m.Text1.text(), "note\nmore");
  EXPECT_EQ(log.home.read("ORBEX_MyHelp.TXT"), "note\r\n");
}

}  // namespace
