// The QSO entry window as the operator uses it: a new QSO typed and saved, a stored one browsed to,
// edited and deleted, with HAMLOG checked field by field after each; the Enter chain, the typing
// filters, the date and time, the code lookups, and the close questions.
#include <gtest/gtest.h>
#include <QProcess>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <csignal>
#include <functional>

#include "core/HamlogAccess.h"
#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "forms/logbook/LOGDATAVIEW.h"
#include "forms/logbook/LogbookWindows.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/lookup/CODE_LIST.h"
#include "forms/sheet/CWSHEET.h"
#include "hamlogdb/hamlogdb.h"
#include "logbook/LogWindowState.h"
#include "lookup/CodeListState.h"
#include "platform/clock.h"
#include "platform/hamlog/db_lock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/hamlog/hdb_table.h"
#include "platform/hamlog/unix_file.h"
#include "platform/ipc/ipc.h"
#include "platform/paths.h"
#include "platform/ui/snapshot.h"
#include "platform/vbfile.h"
#include "rig/RigPortState.h"
#include "support/captions.h"
#include "support/companion.h"
#include "support/logbook_log.h"
#include "support/operator.h"
#include "support/other_process.h"
#include "support/qt_print.h"
#include "support/sheet_log.h"
#include "support/small_disk.h"
#include "support/waits.h"

namespace {

QString u8(const char* s) { return QString::fromUtf8(s); }

class EntryWindow : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    AddQsos({{"JA1AAA", "1001"}, {"JA1BBB", "1101", "14.025", "SSB", "J *", "Jiro"}});
    SetFixedClock(QDateTime(QDate(2024, 5, 6), QTime(12, 30), Qt::UTC));  // 21:30 JST
    Settings.ModeCount = "3";
    WriteIni("ORB", "MODE1", "CW");
    WriteIni("ORB", "MODE2", "SSB");
    WriteIni("ORB", "MODE3", "FT8");
    Settings.Rst599 = "599";
    Settings.HamLogQslMark = "J";
    RigPortState = {};
    CodeListShared = {};
    ConnectLogbookWindows();
  }
  void TearDown() override {
    UnloadForm<CODE_LIST>();
    UnloadForm<QSODATA>();
    if (TEMP_LOG* w = LoadedForm<TEMP_LOG>()) w->Unload();
    UnloadForm<CWSHEET>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    LogbookTest::TearDown();
  }
  TEMP_LOG& open() {
    OpenLogWindow();
    TEMP_LOG& w = Form<TEMP_LOG>();
    QApplication::setActiveWindow(&w);
    return w;
  }
  // A new QSO typed as the operator types it: call, frequency, mode, code and name.
  void typeQso(TEMP_LOG& w) {
    Operator::Activate(w);
    run("F2 ja1xyz|F5 7.025");
    Operator::Pick(w.Combo1, 0);
    run("F6 11009|Return|F8 Taro");  // F5 to F9 in the code field search by initial
  }
  // "<" from a new QSO with nothing typed: the last stored record, nothing asked.
  void back(TEMP_LOG& w) {
    w.Text1.setText(QString());
    w.Command2.click();
  }
  void typeInto(QWidget& box, const QString& text) {
    Operator::Click(box);
    Operator::Type(text);
  }
  // Keys as QKeySequence names them, each followed by what is typed after it; 新, <, <<, D and call click;
  // "IME こ" commits text; in the code list "pick 2" clicks a row, "twice 3" double-clicks one, "閉じる"
  // and "close" close it.
  void run(const QString& script) {
    TEMP_LOG& w = Form<TEMP_LOG>();
    for (const QString& step : script.split('|')) {
      const QString key = step.section(' ', 0, 0), arg = step.section(' ', 1);
      const QKeyCombination k = QKeySequence::fromString(key)[0];
      CODE_LIST* list = LoadedForm<CODE_LIST>();
      key == u8("新")       ? Operator::Click(w.Command4)
      : key == "<"          ? Operator::Click(w.Command2)
      : key == "<<"         ? Operator::Click(w.Command5)
      : key == "D"          ? Operator::Click(w.Check1)
      : key == "call"       ? Operator::ClickCaret(w.Text1, int(w.Text1.text().size()))
      : key == "IME"        ? Operator::Commit(arg)
      : key == "pick"       ? Operator::ClickCell(list->MSFlexGrid1, arg.toInt(), 1)
      : key == "twice"      ? Operator::DoubleClickCell(list->MSFlexGrid1, arg.toInt(), 1)
      : key == u8("閉じる") ? list->CLSCD.Trigger()
      : key == "close"      ? (void)list->close()
                            : Operator::Key(k.key(), k.keyboardModifiers());
      if (!QStringList{"IME", "pick", "twice"}.contains(key)) Operator::Type(arg);
    }
  }
  void press(QWidget& target, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(&target, key, mods);
  }
  QWidget* focused(TEMP_LOG& w) { return w.focusWidget(); }
  // The texts of a row of boxes, '|' between: one expectation for them all.
  static QString texts(std::initializer_list<const QLineEdit*> row) {
    QStringList out;
    for (const QLineEdit* box : row) out << box->text();
    return out.join('|');
  }
};

TEST_F(EntryWindow, ANewQsoStartsCleanWithTodaysDateTimeAndTheNextRecordNumber) {
  TEMP_LOG& w = open();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(LogWindowState.LogWindowOpen, 1);
  EXPECT_EQ(w.windowTitle(), u8("ORBEXログ LogData=>") + Hamlog.HamlogDbPath);
  EXPECT_EQ(texts({&w.Text3, &w.Text4, &w.Text11}), "2024-05-06|21:30J|J");
  EXPECT_EQ(w.StatusBar1.PanelText(1), "Record No=3");
  EXPECT_EQ(w.Combo1.ListCount(), 3);
  EXPECT_EQ(w.Label17.text(), "CW");
  EXPECT_EQ(LogWindowState.EditMode, 0);
  EXPECT_EQ(Hamlog.HamlogClosed, 1);  // not held open while the operator types
}

TEST_F(EntryWindow, F1SavesTheNewQsoIntoHamlogAndShowsItAsStored) {
  TEMP_LOG& w = open();
  typeQso(w);
  press(w.Text12, Qt::Key_F1);
  EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join('|').toStdString();
  const QStringList dump = Dump();
  ASSERT_EQ(dump.size(), 3);
  EXPECT_EQ(dump[2], u8("3,\"JA1XYZ\",\"2024/05/06\",\"21:30J\",\"\",\"\",\"7.025\",\"CW\",\"11009\",\"\","
                        "\"J  \",\"Taro\",\"\",\"\",\"\""));
  EXPECT_EQ(LogWindowState.EditMode, 1);
  EXPECT_EQ(LogWindowState.StoredRecordShown, 1);
  EXPECT_EQ(LogWindowState.LogRecNo, 3);
  EXPECT_EQ(w.StatusBar1.PanelText(1), "Record No=3");
  EXPECT_EQ(w.RecordSaved, 1);
  EXPECT_EQ(ReadIniOr("Hamlog", "LastMode", "?"), "0");
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  // The QSO lists find it at once.
  press(w.Text1, Qt::Key_Down);
  ASSERT_NE(LoadedForm<QSODATA>(), nullptr);
  EXPECT_EQ(LoadedForm<QSODATA>()->MSFlexGrid1.TextMatrix(1, 1), "JA1XYZ");
}

TEST_F(EntryWindow, PastedAndFullWidthTextIsTakenAsTypedTextIs) {
  TEMP_LOG& w = open();
  Operator::Click(w.Text1);
  Operator::Paste(" ja1xyz\n");
  EXPECT_EQ(w.Text1.text(), "JA1XYZ");
  typeInto(w.Text8, "7.025");
  Operator::Click(w.Text12);
  Operator::Paste("Ta\tro\r\n\x01\x1A");
  Operator::Click(w.Text14);
  Operator::Paste("note\r\nmore");
  Operator::Click(w.Text17);
  Operator::Commit("Ｅ");  // the received mark through the input method
  Operator::Key(Qt::Key_F1);
  EXPECT_EQ(Dump().value(2), u8("3,\"JA1XYZ\",\"2024/05/06\",\"21:30J\",\"\",\"\",\"7.025\",\"CW\",\"\",\"\","
                        "\"J E\",\"Taro\",\"\",\"notemore\",\"\""));
}

TEST_F(EntryWindow, AQslMarkHamlogCannotKeepInOneByteIsNamedAndNothingIsWritten) {
  Settings.HamLogQslMark = u8("あ");  // as a settings file edited by hand holds it
  TEMP_LOG& w = open();
  typeQso(w);
  boxes.Answer(vbOK);
  Operator::Key(Qt::Key_F1);
  EXPECT_EQ(boxes.texts().value(0), u8("次の文字はHAMLOGに保存できません。書き換えてから保存して下さい。\r\nqsL: あ (QSL の印は半角１文字です)"));
  EXPECT_EQ(Dump().size(), 2);
}

TEST_F(EntryWindow, TheSavesChecksStopWithTheirMessageAndWriteNothing) {
  TEMP_LOG& w = open();
  boxes.Answer(vbOK).Answer(vbOK).Answer(vbNo);
  press(w.Text1, Qt::Key_F1);
  typeQso(w);
  w.Text8.setText("8.5");
  press(w.Text1, Qt::Key_F1);
  w.Text8.setText("7.025");
  run("F6 2501");  // a 3-area code for a 1-area call
  press(w.Text1, Qt::Key_F1);
  EXPECT_EQ(
      boxes.texts(),
      (QStringList{u8("CALL DATA がありません"), u8("この周波数は正常ではありません"),
                   u8("QTHcode =25 と、局の（移動）エリア=1 が一致しません\r\nこのまま登録しますか？")}));
  EXPECT_EQ(Dump().size(), 2);
  EXPECT_EQ(w.Text1.text(), "JA1XYZ");  // everything typed stays
}

TEST_F(EntryWindow, WithTheConfirmationSetHamlogAsksBeforeItWritesAndNoKeepsTheQso) {
  Settings.Hlyn = "YES";
  TEMP_LOG& w = open();
  for (auto [box, text] : {std::pair{&w.Text1, "ja1xyz"}, {&w.Text8, "7.025"}, {&w.Text9, "11009"}, {&w.Text12, "Taro"}})
    typeInto(*box, text);
  boxes.Answer(vbNo).Answer(vbYes);
  QProcess reader;  // while a question is up, another program reads the log
  boxes.OnShow = [&](const MsgBoxCall&) {
    reader.start(HAMLOGDB_PATH, {"dump", dir}), reader.waitForFinished();
  };
  Operator::Key(Qt::Key_F1);
  EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
  EXPECT_EQ(boxes.texts().value(0), u8("JA1XYZ  24/05/06\r\nこのQSOをHAMLOGに登録しますか？"));
  EXPECT_EQ(Dump().size(), 2);
  EXPECT_EQ(w.Text1.text() + w.Text12.text(), "JA1XYZTaro");
  Operator::Key(Qt::Key_F1);
  EXPECT_TRUE(Dump().value(2).startsWith("3,\"JA1XYZ\""));
  typeInto(w.Text12, "San");  // an edit of the stored QSO is asked about as well
  boxes.Answer(vbNo);
  Operator::Key(Qt::Key_F1);
  EXPECT_EQ(boxes.texts().value(2), u8("JA1XYZ  24/05/06\r\nHAMLOGのレコード 3 をこの内容に更新しますか？"));
  EXPECT_TRUE(Dump().value(2).contains("\"Taro\""));
}

TEST_F(EntryWindow, FiveQsosTypedAndSavedWhileAnotherProgramReadsTheLogInALoopAreAllStored) {
  ASSERT_TRUE(hamlogdb::Generate(dir, 3000, 5).Ok());  // each reading holds the log a while
  TEMP_LOG& w = open();
  // `hamlogdb dump` over and over in another process, each reading counted in a file.
  QProcess reader;
  reader.start("/bin/sh", {"-c", "while :; do \"$0\" dump \"$1\" >/dev/null && echo >>\"$1/runs\"; done",
                           HAMLOGDB_PATH, dir});
  const auto runs = [this] { return QFileInfo(dir + "/runs").size(); };
  ASSERT_TRUE(WaitUntil([&] { return runs() > 0; }));
  const qint64 before = runs();
  for (const char* call : {"ja1vaa", "ja1vbb", "ja1vcc", "ja1vdd", "ja1vee"}) {
    Operator::Key(Qt::Key_A, Qt::AltModifier);  // a new QSO, saved, then a remark saved into it
    typeInto(w.Text1, call);
    typeInto(w.Text8, "7.025");
    Operator::Key(Qt::Key_F1);
    typeInto(w.Text15, "ok");
    Operator::Key(Qt::Key_F1);
  }
  EXPECT_TRUE(WaitUntil([&] { return runs() > before; }));  // it went on reading all along
  reader.kill();
  reader.waitForFinished();
  EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join('|').toStdString();
  const QStringList dump = Dump().mid(3002);
  ASSERT_EQ(dump.size(), 5);
  for (int i = 0; i < 5; ++i)
    EXPECT_TRUE(dump[i].startsWith(QString("%1,\"JA1V%2%2\"").arg(3003 + i).arg(QChar('A' + i))) &&
                dump[i].endsWith("\"ok\""))
        << dump[i].toStdString();
}

TEST_F(EntryWindow, ASaveWhileAnotherProgramHoldsHamlogAloneKeepsTheTypedQso) {
  TEMP_LOG& w = open();
  typeQso(w);
  const QStringList before = Dump();
  // Another program holds the log alone: the open lock of its lock file, taken exclusively.
  const int fd =
      ::open(QFile::encodeName(Hamlog.HamlogDbPath.chopped(3) + "lck").constData(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  const auto lockAs = [fd](short type) {
    struct flock lock = {.l_type = type, .l_whence = SEEK_SET, .l_start = 0, .l_len = 1, .l_pid = 0};
    return ::fcntl(fd, F_OFD_SETLK, &lock);
  };
  ASSERT_EQ(lockAs(F_WRLCK), 0);
  boxes.Answer(vbOK).Answer(vbOK);
  press(w.Text1, Qt::Key_F1);
  // A program that only reads it, but reads on and on: waited for as long as the count goes, then told.
  ASSERT_EQ(lockAs(F_RDLCK), 0);
  press(w.Text1, Qt::Key_F1);
  lockAs(F_UNLCK);
  EXPECT_EQ(boxes.texts().value(0),
            u8("HAMLOGデータがOpen出来ません。\r\nHAMLOG.HDB が開けません\r\n") + Hamlog.HamlogDbPath +
                u8("\r\n既に先客が使用中と思われます\r\n"
                   "このファイルを使っている HAMLOG などのプログラムを閉じてから、もう一度して下さい。"));
  EXPECT_TRUE(boxes.texts().value(1).contains(u8("が読み込み中で、3 秒待っても終わりませんでした。")));
  EXPECT_EQ(w.StatusBar1.PanelText(2), "") << "the count goes with the wait";
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(texts({&w.Text1, &w.Text12}), "JA1XYZ|Taro");
  EXPECT_EQ(w.RecordSaved, 0);
  EXPECT_EQ(LogWindowState.EditMode, 0);
  // Once it lets go, the same QSO is saved.
  press(w.Text1, Qt::Key_F1);
  EXPECT_EQ(Dump().size(), 3);
  // The next QSO, begun while it holds the log again, takes its own call and time at once.
  SetFixedClock(QDateTime(QDate(2024, 5, 6), QTime(13, 0), Qt::UTC));
  ASSERT_EQ(lockAs(F_WRLCK), 0);
  boxes.Answer(vbOK);
  Operator::Key(Qt::Key_A, Qt::AltModifier);
  ::close(fd);
  typeInto(w.Text1, "ja1new");
  typeInto(w.Text8, "7.030");
  Operator::Key(Qt::Key_F1);
  EXPECT_TRUE(Dump().value(3).startsWith("4,\"JA1NEW\",\"2024/05/06\",\"22:00J\""));
}

// Another program holds the lock file's write lock, shared as a reader takes it or alone: a deletion, an
// index rebuild and a save each say in the status bar that they wait, and Esc ends the wait, its box naming
// the lock file. A dBase writer of its own process holding the log: the index rebuild waits, shown, until
// Esc (its box naming the log and the process, nothing rebuilt) or until it lets go (then rebuilt).
TEST_F(EntryWindow, WaitsForTheLockFilesWriteLockOrTheLogAreShownAndEndWithEscOrTheirEnd) {
  TEMP_LOG& w = open();
  Operator::Click(w.Command2);  // record 2
  const QStringList before = Dump();
  const QString lck = Hamlog.HamlogDbPath.chopped(3) + "lck";
  for (const bool alone : {false, true})
    for (const int act : {0, 1, 2}) {
      const int other = LockAsAnotherProgram(lck, 1, 1, alone);
      WhenShown([&] { return w.StatusBar1.PanelText(2).contains(u8("待っています (Esc で中止)")); },
                [] { Operator::Key(Qt::Key_Escape); });
      boxes.Answer(vbOK);
      act == 0 ? w.DATDEL.Trigger() : act == 1 ? w.IDXAGN.Trigger() : Operator::Key(Qt::Key_F1);
      ::close(other);
      const QString said = boxes.texts().value(3 * alone + act);
      EXPECT_TRUE(said.contains(lck + u8(" を他のプログラムがロックしていて、待つのをやめました")))
          << act << said.toStdString();
      EXPECT_EQ(said.startsWith(u8("INDEXを再構築できませんでした")), act == 1) << act;
    }
  EXPECT_EQ(Dump(), before);
  const QString dx1 = Hamlog.HamlogDbPath.chopped(3) + "dx1";
  const uint64_t index = hamlog::StatPath(dx1).inode;
  for (const bool esc : {true, false}) {
    LockInOtherProcess dBase(Hamlog.HamlogDbPath);
    ASSERT_TRUE(dBase.Held());
    const QString holder =
        u8("プロセス ") + QString::number(dBase.Process()) + ' ' + hamlog::ProcessName(dBase.Process());
    QString note;
    WhenShown([&] { return w.StatusBar1.PanelText(2).contains(u8("待っています")); },
              [&] {
                note = w.StatusBar1.PanelText(2);
                esc ? Operator::Key(Qt::Key_Escape) : dBase.Release();
              });
    if (esc) boxes.Answer(vbOK);
    w.IDXAGN.Trigger();
    EXPECT_EQ(note, u8("HAMLOG.HDB を") + holder + u8(" がロック中。待っています (Esc で中止) 0 秒"));
    EXPECT_EQ(hamlog::StatPath(dx1).inode == index, esc) << "rebuilt once let go";
    if (esc) {
      EXPECT_TRUE(boxes.texts().value(6).endsWith(Hamlog.HamlogDbPath + u8(" を他のプログラム (") + holder +
                                                  u8(") がロックしていて、待つのをやめました)")))
          << boxes.texts().value(6).toStdString();
    }
  }
  EXPECT_EQ(boxes.texts().size(), 7);
}

// Keys typed while a save waits for another program's lock arrive once the QSO is stored: the window
// then shows it as not saved, and F1 stores what they typed.
TEST_F(EntryWindow, WhatIsTypedDuringASavesWaitShowsTheQsoUnsavedUntilF1StoresIt) {
  Settings.Hlyn = "YES";
  TEMP_LOG& w = open();
  run("F2 ja6wat|F5 7.025");
  int other = -1;
  boxes.OnShow = [&](const MsgBoxCall&) {
    if (other < 0) other = LockAsAnotherProgram(Hamlog.HamlogDbPath.chopped(3) + "lck", 1, 1);
  };
  WhenShown([&] { return w.StatusBar1.PanelText(2).contains(u8("待っています")); },
            [&] {
              run("F8 WaitName");
              ::close(other);
            });
  boxes.Answer(vbYes).Answer(vbYes);  // HAMLOG's questions
  Operator::Key(Qt::Key_F1);
  EXPECT_TRUE(WaitUntil([&] { return w.Text12.text() == "WaitName"; }));
  EXPECT_TRUE(Dump().value(2).startsWith("3,\"JA6WAT\"") && !Dump().value(2).contains("WaitName"));
  EXPECT_TRUE(w.LSave.Enabled() && w.LSave.Caption() == u8("Ｌog保存(F1)") && w.Command4.isHidden());
  Operator::Key(Qt::Key_F1);
  EXPECT_TRUE(Dump().value(2).contains("\"WaitName\"") && Dump().size() == 3)
      << Dump().join('|').toStdString();
}

// Another program holds HAMLOG.HDB locked as dBase programs lock it: the save waits, saying so, and Esc
// ends the wait with nothing written. A flush failing once the QSO is in the log is said as such, and F1
// again stores no second copy.
TEST_F(EntryWindow, ASaveWaitsForAnotherProgramsLockOfTheLogUntilEscAndAnUnconfirmedSaveIsStoredOnce) {
  TEMP_LOG& w = open();
  typeQso(w);
  const QStringList before = Dump();
  const int fd = LockAsAnotherProgram(Hamlog.HamlogDbPath);
  ASSERT_GE(fd, 0);
  QString waiting;
  WhenShown([&] { return w.StatusBar1.PanelText(2).contains(u8("待っています")); }, [&] {
    waiting = w.StatusBar1.PanelText(2);
    Operator::Key(Qt::Key_Escape);
  });
  boxes.Answer(vbOK);
  press(w.Text1, Qt::Key_F1);
  ::close(fd);
  EXPECT_TRUE(waiting.startsWith(u8("HAMLOG.HDB を他のプログラムがロック中。待っています (Esc で中止)")));
  EXPECT_EQ(boxes.texts().value(0),
            u8("書き込みに失敗しました\r\n") + Hamlog.HamlogDbPath +
                u8(" を他のプログラムがロックしていて、書き込みを取りやめました。何も書き込んでいません"));
  EXPECT_EQ(w.StatusBar1.PanelText(2), "");
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(w.Text1.text(), "JA1XYZ");
  for (const char* count : {"0", "10"}) w.ShowWaitNote(waiting.section(' ', 0, -3) + ' ' + count + u8(" 秒"));
  EXPECT_EQ(NoteCut(w.StatusBar1, 2), "") << "one line";

  static bool failing;
  failing = false;
  hamlog::HdbTable::stepHookForTest = [](hamlog::HdbTable::WriteStep s) {
    failing = failing || s == hamlog::HdbTable::WriteStep::RecordWritten;
  };
  hamlog::syncFailureForTest = [] { return failing ? EIO : 0; };
  boxes.Answer(vbOK);
  press(w.Text1, Qt::Key_F1);
  hamlog::syncFailureForTest = nullptr;
  hamlog::HdbTable::stepHookForTest = nullptr;
  EXPECT_TRUE(boxes.texts().value(1).startsWith(Hamlog.HamlogDbPath + u8(" に書き込みましたが、ディスクへの書き込みを確かめられません")));
  press(w.Text1, Qt::Key_F1);
  EXPECT_EQ(boxes.texts().size(), 2);
  EXPECT_EQ(Dump().size(), before.size() + 1);
  EXPECT_TRUE(Dump().back().contains("\"JA1XYZ\""));
}

TEST_F(EntryWindow, BrowsingShowsStoredRecordsAndAnEditUpdatesTheRecordShown) {
  TEMP_LOG& w = open();
  back(w);  // record 2
  EXPECT_TRUE(boxes.texts().isEmpty());
  EXPECT_EQ(texts({&w.Text1, &w.Text12, &w.Text17}), "JA1BBB|Jiro|*");
  EXPECT_EQ(w.Label17.text(), "SSB");
  EXPECT_EQ(w.StatusBar1.PanelText(1), "Record No=2");
  EXPECT_EQ(LogWindowState.EditMode, 1);
  w.Command5.click();  // "<<" stops at record 1
  EXPECT_EQ(w.Text1.text(), "JA1AAA");
  w.Command2.click();  // nothing before record 1
  EXPECT_EQ(w.Text1.text(), "JA1AAA");
  w.Command6.click();  // ">>" stops at the last record
  EXPECT_EQ(w.Text1.text(), "JA1BBB");
  w.Text12.setText("Hanako");
  press(w.Text12, Qt::Key_F1);
  const QStringList dump = Dump();
  ASSERT_EQ(dump.size(), 2);
  EXPECT_EQ(dump[1], u8("2,\"JA1BBB\",\"2024/05/06\",\"21:05J\",\"599\",\"579\",\"14.025\",\"SSB\",\"1101\","
                        "\"PM95\",\"J *\",\"Hanako\",\"QTH\",\"rem1\",\"rem2\""));
  EXPECT_TRUE(dump[0].startsWith("1,\"JA1AAA\""));
}

TEST_F(EntryWindow, AnEditOfARecordChangedElsewhereOrOfALogReplacedIsRefusedAndKeptInTheWindow) {
  TEMP_LOG& w = open();
  back(w);
  ASSERT_EQ(w.Text1.text(), "JA1BBB");
  ASSERT_EQ(HamlogOpenDb(), 0);  // HAMLOG marks the card meanwhile
  ASSERT_EQ(QSL_Rcv(Hamlog.Thw, 2, 'E'), 0);
  HamlogCloseDb(0);
  const QStringList before = Dump();
  w.Text12.setText("Hanako");
  boxes.Answer(vbOK);
  press(w.Text12, Qt::Key_F1);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].startsWith(u8("書き込みに失敗しました")));
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(w.Text12.text(), "Hanako");
  // Then deletes the record and packs the log: the refusal says so.
  ASSERT_EQ(HamlogOpenDb(), 0);
  ThwRecord hamlogs{};
  ASSERT_EQ(Vdbf_delete(hamlogs, 2), 0);
  ASSERT_EQ(Vdbf_packwk(hamlogs, QString(), 58), 0);
  HamlogCloseDb(0);
  boxes.Answer(vbOK);
  press(w.Text12, Qt::Key_F1);
  EXPECT_EQ(boxes.texts().value(1),
            u8("書き込みに失敗しました\r\n交信番号 2 のレコードはもうありません (HAMLOG で削除されています)"));
  EXPECT_EQ(w.Text12.text(), "Hanako");
  // Another program puts a log of other QSOs in its place: refused the same way.
  const QString other = home.file("OTHER");
  ASSERT_TRUE(hamlogdb::Create(other).Ok());
  VbFile csv(home.file("other.csv"), VbMode::Output);
  for (const char* call : {"JA1AAA", "JA9OTH"})
    csv.Write({call, "2024/05/06", "21:05J", "599", "579", "7.025", "CW", "1001", "PM95", "J  ", "", "QTH",
               "", ""});
  ASSERT_TRUE(csv.Close());
  ASSERT_TRUE(hamlogdb::Import(other, home.file("other.csv")).Ok());
  ASSERT_TRUE(MoveFileOver(hamlogdb::DatabasePath(other), Hamlog.HamlogDbPath));
  const QStringList replaced = Dump();
  boxes.Answer(vbOK);
  press(w.Text12, Qt::Key_F1);
  ASSERT_EQ(boxes.texts().size(), 3);
  EXPECT_EQ(boxes.texts()[2],
            u8("書き込みに失敗しました\r\nこのデータはHAMLOGで変更（または削除）されています。表示し直してください"));
  EXPECT_EQ(Dump(), replaced);
  EXPECT_EQ(texts({&w.Text1, &w.Text12}), "JA1BBB|Hanako");
  EXPECT_EQ(LogWindowState.EditMode, 1);
}

TEST_F(EntryWindow, AnEditOnALogWhoseDiskIsFullIsRefusedSayingWhyAndKeptInTheWindow) {
  SmallDisk disk(512);
  if (!disk.Available()) GTEST_SKIP() << disk.Why().toStdString();
  dir = disk.file("HAMLOG");
  ASSERT_TRUE(hamlogdb::Create(dir).Ok());
  Hamlog.HamlogDbPath = hamlogdb::DatabasePath(dir);
  AddQsos({{"JA1CCC", "1001"}});
  TEMP_LOG& onDisk = open();
  onDisk.Command2.click();
  ASSERT_EQ(onDisk.Text1.text(), "JA1CCC");
  const QStringList before = Dump();
  disk.Fill();
  typeInto(onDisk.Text12, "Yamada");
  boxes.Answer(vbOK);
  Operator::Key(Qt::Key_F1);
  EXPECT_EQ(boxes.texts().value(0), u8("書き込みに失敗しました\r\n") + Hamlog.HamlogDbPath + u8(" のディスクに空きがありません"));
  EXPECT_EQ(onDisk.Text12.text(), "Yamada");
  EXPECT_FALSE(QFile::exists(dir + "/HAMLOG.jnl") ||
               QFile::exists(dir + "/HAMLOG.HDB.pack"));  // nothing left
  // An index rebuild there says it could not be made and why.
  QByteArray index, after;
  ASSERT_TRUE(ReadWholeFile(dir + "/HAMLOG.dx1", index));
  boxes.Answer(vbOK);
  onDisk.IDXAGN.Trigger();
  EXPECT_EQ(boxes.texts().value(1),
            u8("INDEXを再構築できませんでした (作り直せなかった索引ファイルは前のままです)。\r\nHAMLOG "
               "の索引ファイル ") +
                dir + u8("/HAMLOG.dx1 を作り直せませんでした (ディスクに空きがありません)"));
  EXPECT_TRUE(ReadWholeFile(dir + "/HAMLOG.dx1", after) && after == index);
  disk.Free();
  EXPECT_EQ(Dump(), before);
  onDisk.Unload();
}

TEST_F(EntryWindow, BrowsingAwayFromAnUnsavedQsoAsksAndNoKeepsIt) {
  TEMP_LOG& w = open();
  typeQso(w);
  boxes.Answer(vbNo);
  w.Command2.click();
  EXPECT_EQ(boxes.texts(),
            QStringList{u8("現在のLOGﾃﾞｰﾀが未保存です\r\nスクロールすると消えますが宜しいですか")});
  EXPECT_EQ(w.Text1.text(), "JA1XYZ");
  EXPECT_EQ(LogWindowState.EditMode, 0);
}

TEST_F(EntryWindow, ANewRecordAfterASaveKeepsTheStationButNoQslMarks) {
  TEMP_LOG& w = open();
  back(w);             // record 2: its card has come
  w.Command4.click();  // a new QSO: nothing of record 2 comes along
  EXPECT_EQ(texts({&w.Text9, &w.Text12, &w.Text17}), "||");
  EXPECT_EQ(QsoRules.QslFlagText, "    ");
  typeQso(w);
  w.Text14.setText("rem");
  w.Text15.setText("rem2");
  press(w.Text1, Qt::Key_F1);
  press(w.Text1, Qt::Key_A, Qt::AltModifier);  // the same station again
  EXPECT_EQ(texts({&w.Text9, &w.Text12, &w.Text14, &w.Text15, &w.Text8}), "11009|Taro|rem||");
  EXPECT_EQ(w.StatusBar1.PanelText(1), "Record No=4");
  EXPECT_EQ(w.focusWidget(), &w.Text8);
  // A QSO typed after the save is asked about again before it could be lost.
  QTest::keyClicks(&w.Text1, "ja3abc");
  boxes.Answer(vbNo);
  press(w.Text1, Qt::Key_Escape);
  EXPECT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(IsLoaded<TEMP_LOG>());
}

// After 新 another call drops the details that came with the station before, not those typed for it.
TEST_F(EntryWindow, AnotherCallAfterNewKeepsNothingOfTheStationBeforeButWhatWasTypedForIt) {
  TEMP_LOG& w = open();
  typeQso(w);
  run("F1|Alt+A 14.025|F8 Jiro|F2 ja1x");  // on the way to JA1XYZ: its details stay
  EXPECT_EQ(w.Text9.text(), "11009");
  run("Ctrl+A jr2xy|F1");
  EXPECT_TRUE(Dump().value(3).startsWith(u8("4,\"JR2XY\",\"2024/05/06\",\"21:30J\",\"\",\"\",\"14.025\",\"CW\",\"\",\"\",\"J  \",\"Jiro\"")))
      << Dump().value(3).toStdString();
}

TEST_F(EntryWindow, DeleteAsksAndRemovesTheRecordShown) {
  TEMP_LOG& w = open();
  back(w);
  w.Command2.click();  // record 1
  ASSERT_EQ(w.Text1.text(), "JA1AAA");
  boxes.Answer(vbNo);
  w.DATDEL.Trigger();
  EXPECT_EQ(Dump().size(), 2);
  boxes.Answer(vbYes).Answer(vbOK);
  w.DATDEL.Trigger();
  ASSERT_EQ(boxes.texts().size(), 3);
  EXPECT_EQ(boxes.texts()[1], u8("Record No=1  JA1AAA 24/05/06 21:05J\r\nこのデータを削除しますか？"));
  EXPECT_EQ(boxes.texts()[2], u8("1 を削除しました"));
  const QStringList dump = Dump();
  ASSERT_EQ(dump.size(), 1);
  EXPECT_TRUE(dump[0].startsWith("1,\"JA1BBB\""));
  EXPECT_EQ(LogWindowState.EditMode, 0);
  EXPECT_EQ(w.Text1.text(), "");
  EXPECT_EQ(w.StatusBar1.PanelText(1), "Record No=2");
  // A new QSO has nothing to delete.
  boxes.Answer(vbOK);
  w.DATDEL.Trigger();
  EXPECT_EQ(Dump().size(), 1);
}

TEST_F(EntryWindow, ADeleteThatCannotBeCompletedLeavesTheRecordAsItWas) {
  TEMP_LOG& w = open();
  Operator::Click(w.Command2);
  Operator::Click(w.Command2);  // record 1
  ASSERT_EQ(w.Text1.text(), "JA1AAA");
  const QStringList before = Dump();
  // HAMLOG's disk nearly full: no room for the packed records' journal (a file past one record).
  rlimit normal{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &normal), 0);
  const rlimit nearlyFull{rlim_t(hamlog::kHdbRecordLength), normal.rlim_max};
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &nearlyFull), 0);
  boxes.Answer(vbYes).Answer(vbOK);
  w.DATDEL.Trigger();
  setrlimit(RLIMIT_FSIZE, &normal);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(boxes.texts().value(1), u8("削除に失敗しました\r\n") + Hamlog.HamlogDbPath + u8(" のディスクに空きがありません\r\nディスクに空きを作ってから、もう一度行って下さい。"));
  EXPECT_EQ(Dump(), before);
  ASSERT_TRUE(QDir().mkdir(dir + "/HAMLOG.jnl"));  // something of another's where the journal goes: named
  boxes.Answer(vbYes).Answer(vbOK);
  w.DATDEL.Trigger();
  EXPECT_EQ(boxes.texts().value(3), u8("削除に失敗しました\r\n") + dir + u8("/HAMLOG.jnl はこのプログラムの作ったファイルではないので、そのままにしてあります (記録の変更と削除がこの名前を使います)\r\n原因を取り除いてから、もう一度行って下さい"));
  EXPECT_EQ(Dump(), before);  // Another program holds the log while the deletion waits, and changes the QSO meanwhile: it stays.
  ASSERT_TRUE(QDir().rmdir(dir + "/HAMLOG.jnl"));
  const int other = LockAsAnotherProgram(Hamlog.HamlogDbPath);
  WhenShown([&] { return w.StatusBar1.PanelText(2).contains(u8("待っています")); },
            [&] {
              EXPECT_EQ(::pwrite(other, "JA9ZZZ", 6, hamlog::HdbRecordOffset(1) + 1), 6);
              ::close(other);
            });
  boxes.Answer(vbYes).Answer(vbOK);
  w.DATDEL.Trigger();
  EXPECT_EQ(boxes.texts().value(5), u8("このデータはHAMLOGで変更されています。削除しませんでした"));
  EXPECT_EQ(Dump().size(), before.size());
  EXPECT_TRUE(Dump().value(0).startsWith("1,\"JA9ZZZ\"")) << Dump().value(0).toStdString();
}

TEST_F(EntryWindow, EnterWalksTheChainAndTheKeyMapJumps) {
  TEMP_LOG& w = open();
  QWidget* chain[] = {&w.Text1,  &w.Text4,  &w.Text5,  &w.Text6,  &w.Text8,  &w.Combo1, &w.Text9,  &w.Text10,
                      &w.Text12, &w.Text13, &w.Text11, &w.Text16, &w.Text17, &w.Text14, &w.Text15, &w.Text4};
  w.Text1.setFocus();
  for (size_t i = 0; i + 1 < std::size(chain); ++i) {
    press(*chain[i], Qt::Key_Return);
    EXPECT_EQ(focused(w), chain[i + 1]) << i;
  }
  press(w.Text3, Qt::Key_Return);
  EXPECT_EQ(focused(w), &w.Text4);
  press(w.Text4, Qt::Key_F2);
  EXPECT_EQ(focused(w), &w.Text1);
  press(w.Text1, Qt::Key_F6);
  EXPECT_EQ(focused(w), &w.Text9);
  press(w.Text9, Qt::Key_N, Qt::AltModifier);
  EXPECT_EQ(focused(w), &w.Text12);
  press(w.Text12, Qt::Key_Home);
  EXPECT_EQ(focused(w), &w.Text1);
  press(w.Text1, Qt::Key_Insert);
  EXPECT_EQ(w.StatusBar1.PanelText(3), u8("挿入"));
  EXPECT_EQ(w.InsertMode, 1);
}

TEST_F(EntryWindow, TypingFiltersApplyToKeysAndToCommittedInputMethodText) {
  TEMP_LOG& w = open();
  QTest::keyClicks(&w.Text1, "ja1-ab*c");
  EXPECT_EQ(w.Text1.text(), "JA1ABC");
  QTest::keyClicks(&w.Text5, "5a9");
  EXPECT_EQ(w.Text5.text(), "59");
  QTest::keyClicks(&w.Text9, "10-a");
  EXPECT_EQ(w.Text9.text(), "10A");
  QTest::keyClicks(&w.Text8, "7.025");
  EXPECT_EQ(RigPortState.ManualFreqFlag, 1);
  Operator::Click(w.Text10);
  Operator::Commit(u8("pm９5"));  // a full-width digit is no grid character
  EXPECT_EQ(w.Text10.text(), "PM5");
  Operator::Click(w.Text12);
  Operator::Commit(u8("田中\U0001F600さん"));
  EXPECT_EQ(w.Text12.text(), u8("田中\U0001F600さん")) << "kept in sight: the save names it";
}

TEST_F(EntryWindow, InputMethodLookAlikesAreStoredAsWindows31JAndOtherCharactersAreNamedBeforeAnythingIsWritten) {
  TEMP_LOG& w = open();
  typeInto(w.Text1, "JA1XYZ");
  typeInto(w.Text8, "7.025");
  Operator::Click(w.Text12);
  Operator::Commit(u8("山田〜太郎"));
  Operator::Click(w.Text13);
  Operator::Commit(u8("横浜市−港北𠮷é"));
  boxes.Answer(vbOK);
  Operator::Key(Qt::Key_F1);
  EXPECT_EQ(boxes.texts(), QStringList({u8("次の文字はHAMLOGに保存できません。書き換えてから保存して下さい。\r\nQth: 𠮷é")}));
  EXPECT_EQ(Dump().size(), 2) << "nothing written";
  // The operator takes the two characters out and saves.
  Operator::Click(w.Text13);
  for (const Qt::Key k : {Qt::Key_End, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_F1}) Operator::Key(k);
  ASSERT_EQ(Dump().size(), 3);
  EXPECT_TRUE(Dump()[2].contains(u8("\"山田～太郎\",\"横浜市－港北\""))) << Dump()[2].toStdString();
}

TEST_F(EntryWindow, DatesAndTimesAreStoredInTheirNormalFormAndImpossibleOnesRefused) {
  TEMP_LOG& w = open();
  typeQso(w);
  const auto fillAndLeave = [](QLineEdit& box, const char* text, QWidget& next) {
    box.setFocus(), box.setText(text), next.setFocus();
  };
  fillAndLeave(w.Text3, "240507", w.Text4);
  EXPECT_EQ(w.Text3.text(), "2024-05-07");
  fillAndLeave(w.Text4, "0815", w.Text5);
  EXPECT_EQ(w.Text4.text(), "08:15J");
  boxes.Answer(vbOK);
  fillAndLeave(w.Text3, "2026-02-30", w.Text4);
  EXPECT_EQ(boxes.texts(), QStringList{u8("不正な日付です")});
  EXPECT_EQ(focused(w), &w.Text3);
  // A save made before the field is left is refused as well.
  boxes.Answer(vbOK);
  w.LSave.Trigger();
  EXPECT_EQ(boxes.texts().last(), u8("不正な日付です"));
  EXPECT_EQ(Dump().size(), 2);
  w.Text3.setText("2024-05-07");
  w.Text4.setText("25:61J");
  boxes.Answer(vbOK);
  w.LSave.Trigger();
  EXPECT_EQ(boxes.texts().last(), u8("不正な時刻です"));
  EXPECT_EQ(Dump().size(), 2);
  // Compact forms typed just before F1, the caret still in the box, are stored in the normal form.
  w.Text3.setText("240507");
  w.Text4.setText("0815");
  w.Text4.setFocus();
  press(w.Text4, Qt::Key_F1);
  const QStringList dump = Dump();
  ASSERT_EQ(dump.size(), 3);
  EXPECT_TRUE(dump[2].startsWith("3,\"JA1XYZ\",\"2024/05/07\",\"08:15J\"")) << dump[2].toStdString();
  EXPECT_EQ(w.Text3.text(), "2024-05-07");
  // F1 again on the QSO just saved appends nothing more.
  press(w.Text4, Qt::Key_F1);
  EXPECT_EQ(Dump().size(), 3);
}

TEST_F(EntryWindow, TheTimeLabelSwitchesJstAndUtcAndDownFillsOnlyANewQsosTime) {
  TEMP_LOG& w = open();
  SetFixedClock(QDateTime(QDate(2024, 5, 5), QTime(23, 30), Qt::UTC));  // 08:30 JST on the 6th
  w.Text4.setFocus();
  press(w.Text4, Qt::Key_Down);
  EXPECT_EQ(texts({&w.Text3, &w.Text4}), "2024-05-06|08:30J");
  w.Label4.Click();
  EXPECT_EQ(texts({&w.Text3, &w.Text4}), "2024-05-05|23:30U");
  w.Label4.Click();
  EXPECT_EQ(texts({&w.Text3, &w.Text4}), "2024-05-06|08:30J");
  // A stored QSO: Down leaves its time alone, the label switches its own date and time.
  back(w);
  ASSERT_EQ(w.Text4.text(), "21:05J");
  w.Text4.setFocus();
  press(w.Text4, Qt::Key_Down);
  EXPECT_EQ(w.Text4.text(), "21:05J");
  w.Label4.Click();
  EXPECT_EQ(texts({&w.Text3, &w.Text4}), "2024-05-06|12:05U");
}

TEST_F(EntryWindow, TheCodeFieldLooksUpTheMasterAndSearchesByInitial) {
  TEMP_LOG& w = open();
  w.Text9.setText("1101");
  w.Text9.setFocus();
  press(w.Text9, Qt::Key_Down);
  EXPECT_EQ(w.Text13.text(), u8("神奈川県横浜市"));
  EXPECT_EQ(focused(w), &w.Text10);
  w.Text9.setText("9999");
  boxes.Answer(vbOK);
  press(w.Text9, Qt::Key_Down);
  EXPECT_EQ(boxes.texts(), QStringList{u8("このコードはマスタデータに存在しません")});
  // Without its master the code is not said to be missing from it.
  const QString mst = hamlogdb::MasterPath(dir);
  const QByteArray master = home.read("HAMLOG/" + QFileInfo(mst).fileName());
  ASSERT_TRUE(QFile::remove(mst));
  w.Text9.setText("1101");
  boxes.Answer(vbOK);
  press(w.Text9, Qt::Key_Down);
  EXPECT_EQ(boxes.texts().value(1), u8("コードを調べられません\r\n") + mst + u8(" (HAMLOG のコードマスタ) がありません"));
  ASSERT_TRUE(AtomicWriteFile(mst, master));
  w.Text9.setText("500A");
  EXPECT_EQ(w.Check1.Value(), 1);
  EXPECT_EQ(LogWindowState.DxFlagText, "8");
  w.Text9.setText("4999");
  EXPECT_EQ(w.Check1.Value(), 0);

  w.Text1.setText("JA1ABC");
  w.Text9.setFocus();
  press(w.Text9, Qt::Key_F8);  // towns
  EXPECT_TRUE(w.Frame2.isVisible());
  EXPECT_EQ(w.Label16.text(), u8("1ｴﾘｱの町名"));
  w.Text18.setText(u8("あ"));
  press(w.Text18, Qt::Key_Return);
  EXPECT_FALSE(w.Frame2.isVisible());
  EXPECT_EQ(texts({&w.Text9, &w.Text13}), u8("11009A|神奈川県愛甲郡愛川町"));
  CODE_LIST* list = LoadedForm<CODE_LIST>();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isVisible());
  EXPECT_EQ(list->MSFlexGrid1.TextMatrix(1, 1), "11009A");
  EXPECT_EQ(list->MSFlexGrid1.TextMatrix(0, 3), "IDX");
  for (int c = 1; c <= 4; ++c)
    EXPECT_GE(Operator::CellCentre(list->MSFlexGrid1, 1, c).x(), 0) << "column " << c << " in view";
  press(w.Text9, Qt::Key_F9);  // villages: none with あ
  w.Text18.setText(u8("あ"));
  boxes.Answer(vbOK);
  press(w.Text18, Qt::Key_Return);
  EXPECT_EQ(boxes.texts().last(), u8("その頭文字は見つかりません。"));
}

TEST_F(EntryWindow, TheFrequencyPickListFillsTheFieldOnlyWithAPick) {
  TEMP_LOG& w = open();
  w.RigFrequency(7025000, "7.025", "7.025.00");
  Operator::Activate(w);
  run("F5|Down");
  EXPECT_TRUE(w.List1.isVisible());
  EXPECT_EQ(w.List1.geometry().topLeft(), w.Text8.geometry().bottomLeft() + QPoint(0, 1)) << "under the box";
  EXPECT_EQ(Operator::Focus(), &w.List1);
  EXPECT_EQ(w.Text8.text(), "7.025") << "nothing picked yet";
  w.RigFrequency(14025000, "14.025", "14.025.00");
  EXPECT_EQ(w.Text8.text(), "14.025") << "the rig still writes it";
  Operator::Pick(w.List1, 20);  // "10G"
  Operator::Key(Qt::Key_Return);
  EXPECT_EQ(w.Text8.text(), "*10");
  EXPECT_FALSE(w.List1.isVisible());
  EXPECT_EQ(focused(w), &w.Combo1);
  EXPECT_EQ(RigPortState.ManualFreqFlag, 1);
}

TEST_F(EntryWindow, TheRigFillsTheFrequencyOnlyOfANewQsoWhoseFrequencyWasNotTyped) {
  TEMP_LOG& w = open();
  w.RigFrequency(7025000, "7.025", "7.025.00");
  EXPECT_EQ(w.Text8.text(), "7.025");
  Operator::ClickCaret(w.Text8, 4);
  // A poll between the click and the first key leaves the caret there.
  w.RigFrequency(7025000, "7.025", "7.025.00");
  Operator::Type("30");  // the operator types: the rig leaves it alone
  w.RigFrequency(14025000, "14.025", "14.025.00");
  EXPECT_EQ(w.Text8.text(), "7.0230");
  back(w);  // a stored record keeps its own
  w.RigFrequency(21025000, "21.025", "21.025.00");
  EXPECT_EQ(w.Text8.text(), "14.025");
}

TEST_F(EntryWindow, ReportLocksPresetTheReportsAndAreKept) {
  TEMP_LOG& w = open();
  EXPECT_EQ(w.Text5.text(), "");
  w.Label5.Click();
  EXPECT_EQ(w.Text5.text(), "599");
  EXPECT_EQ(ReadIniOr("LASTCONDX", "HisRST", "?"), "1");
  w.Command4.click();
  EXPECT_EQ(texts({&w.Text5, &w.Text6}), "599|");
  w.Label5.Click();
  EXPECT_EQ(w.Text5.text(), "");
  EXPECT_EQ(ReadIniOr("LASTCONDX", "HisRST", "?"), "0");
  back(w);  // not while a stored record is shown
  w.Label6.Click();
  EXPECT_EQ(w.Text6.text(), "579");
  EXPECT_EQ(ReadIniOr("LASTCONDX", "MyRST", "?"), "?");
}

TEST_F(EntryWindow, RoadsideStationsOfTheCodeGoIntoTheRemarks) {
  VbFile f(dir + "/michinoeki.txt", VbMode::Output);
  f.Write({u8("□あいかわ"), u8("あいかわ公園"), "11009A", u8("愛川町"), "x"});
  f.Write({u8("□きよかわ"), u8("清川"), "11009A", u8("愛川町"), "x"});
  f.Write({u8("□よこはま"), u8("横浜"), "1101", u8("横浜市"), "x"});
  ASSERT_TRUE(f.Close());
  TEMP_LOG& w = open();
  w.Text9.setText("11009A");
  w.Text14.setText(u8("前"));
  w.Label14.Click();
  EXPECT_TRUE(w.Frame7.isVisible());
  ASSERT_EQ(w.List2.ListCount(), 2);
  EXPECT_EQ(w.List2.List(1), u8("きよかわ 清川 11009A"));
  Operator::DoubleClick(*w.List2.viewport(), w.List2.visualItemRect(w.List2.item(1)).center());
  EXPECT_EQ(w.Text14.text(), u8("前□きよかわ 清川"));
  EXPECT_FALSE(w.Frame7.isVisible());
  w.Text9.setText("1001");
  w.Label15.Click();  // no station of this code: straight to the remark
  EXPECT_FALSE(w.Frame7.isVisible());
  EXPECT_EQ(w.focusWidget(), &w.Text15);
}

TEST_F(EntryWindow, ARightClickOnTheStatusBarRebuildsTheIndexes) {
  TEMP_LOG& w = open();
  const QString dx1 = Hamlog.HamlogDbPath.chopped(3) + "dx1";
  QFile::remove(dx1);
  QTest::mouseClick(w.StatusBar1.widget(), Qt::LeftButton);
  EXPECT_FALSE(QFile::exists(dx1));
  QTest::mouseClick(w.StatusBar1.widget(), Qt::RightButton);
  EXPECT_TRUE(QFile::exists(dx1));
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
}

TEST_F(EntryWindow, F12InQslCheckModeMarksTheShownQsoReceived) {
  LogWindowState.QslCheckMode = 1;
  ASSERT_TRUE(HamlogOpenDb() == 0 && THW_read(Hamlog.Thw, 1, 3) == 0);
  ShowStoredQso(1);
  TEMP_LOG& w = Form<TEMP_LOG>();
  EXPECT_FALSE(w.LSave.Enabled());  // only the received mark is written in this mode
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  press(w.Text1, Qt::Key_F12);
  EXPECT_EQ(w.Text17.text(), "*");
  const QStringList dump = Dump();
  EXPECT_TRUE(dump[0].contains("\"J *\"")) << dump[0].toStdString();
  EXPECT_TRUE(dump[1].contains("\"J *\""));  // record 2 had its card already
  EXPECT_EQ(LogWindowState.StoredRecordShown, 1);
  EXPECT_EQ(LogWindowState.LogRecNo, 1);
}

TEST_F(EntryWindow, APickInTheCodeListFillsCodeAndQth) {
  TEMP_LOG& w = open();
  CodeListShared.JaCodeListMode = 1;
  CODE_LIST& list = Form<CODE_LIST>();
  list.MSFlexGrid1.SetRows(3);
  list.MSFlexGrid1.SetTextMatrix(1, 1, "1001  ");
  list.MSFlexGrid1.SetTextMatrix(1, 2, u8("東京23区"));
  list.MSFlexGrid1.SetTextMatrix(2, 1, "1101  ");
  list.MSFlexGrid1.SetTextMatrix(2, 2, u8("横浜市  "));
  list.Show();
  list.MSFlexGrid1.SetRow(2);
  EXPECT_EQ(texts({&w.Text9, &w.Text13}), u8("1101|横浜市"));
}

TEST_F(EntryWindow, ASaveReloadsAnOpenLogViewer) {
  LOGDATAVIEW::OpenViewer();
  ASSERT_EQ(LogWindowState.LogViewerOpen, 1);
  TEMP_LOG& w = open();
  typeQso(w);
  press(w.Text1, Qt::Key_F1);
  LOGDATAVIEW* viewer = LoadedForm<LOGDATAVIEW>();
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(LogWindowState.LogViewerOpen, 1);
  QStringList calls;
  for (int r = 1; r < viewer->MSFlexGrid1.Rows(); ++r)
    calls << viewer->MSFlexGrid1.TextMatrix(r, 1).trimmed();
  EXPECT_TRUE(calls.contains("JA1XYZ")) << calls.join(',').toStdString();
  UnloadForm<LOGDATAVIEW>();
}

TEST_F(EntryWindow, WideCharactersCountTwiceAgainstAFieldsWidthSoTheBoxShowsWhatIsStored) {
  TEMP_LOG& w = open();
  typeQso(w);
  Operator::Key(Qt::Key_F8);
  Operator::Commit(QString(40, QChar(0x3042)));  // 80 bytes for a 64-byte field
  EXPECT_EQ(w.Text12.text(), QString(32, QChar(0x3042)));
  w.Text14.setText("A" + QString(200, QChar(0x3044)));  // pasted: 401 bytes for 254
  EXPECT_EQ(w.Text14.text(), "A" + QString(126, QChar(0x3044)));
  // The sent and received marks share HAMLOG's three-byte QSL field with the via mark.
  Operator::Click(w.Text16);
  Operator::Commit(u8("済"));
  EXPECT_EQ(w.Text16.text(), "");
  QTest::keyClicks(&w.Text16, "S");
  QTest::keyClicks(&w.Text17, "*");
  press(w.Text1, Qt::Key_F1);
  const QStringList dump = Dump();
  ASSERT_EQ(dump.size(), 3);
  EXPECT_EQ(dump[2], "3,\"JA1XYZ\",\"2024/05/06\",\"21:30J\",\"\",\"\",\"7.025\",\"CW\",\"11009\",\"\",\"JS*\",\"" +
                         QString(32, QChar(0x3042)) + "\",\"\",\"A" + QString(126, QChar(0x3044)) + "\",\"\"");
  EXPECT_EQ(w.Text12.text(), QString(32, QChar(0x3042)));  // read back as typed
}

TEST_F(EntryWindow, ASaveAsksARunningHamlogToReadItsDataAgain) {
  CompanionListener hamlog(IpcSocketPath("TThwin"));
  ASSERT_TRUE(hamlog.Listening());
  const QList<QByteArray>& got = hamlog.Received();
  hamlog.OnMessage = [&](const QByteArray&) {
    EXPECT_EQ(Dump().size(), 3) << "the QSO is in the log before HAMLOG is asked";
  };
  TEMP_LOG& w = open();
  typeQso(w);
  w.Text8.setText("8.5");
  boxes.Answer(vbOK);
  press(w.Text1, Qt::Key_F1);
  EXPECT_TRUE(got.isEmpty()) << "nothing written, nothing to read again";
  w.Text8.setText("7.025");
  press(w.Text1, Qt::Key_F1);
  EXPECT_EQ(got, QList<QByteArray>{"%R"});
}

TEST_F(EntryWindow, AQsoSavedAfterAnotherProgramExtendedTheLogIsTheOneShownAndEdited) {
  TEMP_LOG& w = open();
  ASSERT_EQ(w.StatusBar1.PanelText(1), "Record No=3");
  typeQso(w);
  AddQsos({{"JA9OTH", "2801"}});  // HAMLOG logs a QSO of its own meanwhile
  press(w.Text1, Qt::Key_F1);
  EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join('|').toStdString();
  ASSERT_EQ(Dump().size(), 4);
  EXPECT_EQ(w.StatusBar1.PanelText(1), "Record No=4");
  EXPECT_EQ(w.Text1.text(), "JA1XYZ");
  w.Text12.setText("Hanako");
  press(w.Text1, Qt::Key_F1);
  const QStringList dump = Dump();
  ASSERT_EQ(dump.size(), 4);
  EXPECT_TRUE(dump[2].startsWith("3,\"JA9OTH\"")) << dump[2].toStdString();
  EXPECT_TRUE(dump[3].startsWith("4,\"JA1XYZ\"")) << dump[3].toStdString();
  EXPECT_TRUE(dump[3].contains("\"Hanako\""));
}

TEST_F(EntryWindow, AQsoTypedAndNotSavedIsReplacedFromAnotherWindowOnlyWhenTheOperatorSaysSo) {
  TEMP_LOG& w = open();
  typeQso(w);
  // The log viewer's or the QSO window's double click hands over a stored QSO; Ctrl+L a new one.
  ASSERT_TRUE(HamlogOpenDb() == 0 && THW_read(Hamlog.Thw, 1, 3) == 0);
  boxes.Answer(vbNo).Answer(vbNo);
  EXPECT_FALSE(ShowStoredQso(1));
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  EXPECT_FALSE(OpenLogWindow());
  EXPECT_EQ(boxes.texts(), QStringList(2, u8("LOGﾃﾞｰﾀが未保存ですが宜しいですか")));
  EXPECT_EQ(texts({&w.Text1, &w.Text12}), "JA1XYZ|Taro");
  EXPECT_EQ(LogWindowState.EditMode, 0);
  EXPECT_EQ(LogWindowState.StoredRecordShown, 0);
  press(w.Text1, Qt::Key_F1);  // still the new QSO it was
  ASSERT_EQ(Dump().size(), 3);
  // Once saved, nothing is asked.
  ASSERT_TRUE(HamlogOpenDb() == 0 && THW_read(Hamlog.Thw, 1, 3) == 0);
  EXPECT_TRUE(ShowStoredQso(1));
  EXPECT_EQ(w.Text1.text(), "JA1AAA");
  EXPECT_EQ(boxes.texts().size(), 2);
}

TEST_F(EntryWindow, TheDateAndTimeStepOverTheirMarksAndAreTypedOverWhereverTheKeyboardArrives) {
  TEMP_LOG& w = open();
  Operator::Activate(w);
  Operator::Type("0815");  // the window opens in the time
  EXPECT_EQ(w.Text4.text(), "08:15J");
  run("Alt+D 20240507");
  EXPECT_EQ(w.Text3.text(), "2024-05-07");
  EXPECT_EQ(Operator::Focus(), &w.Text4);
  w.Text3.setText("2024-01-02");
  Operator::ClickCaret(w.Text3, 0);
  Operator::Key(Qt::Key_Delete);
  EXPECT_EQ(w.Text3.text(), "2024-01-02");
  Operator::Type("20240506");
  EXPECT_EQ(w.Text3.text(), "2024-05-06");
  EXPECT_EQ(focused(w), &w.Text4);
  // The time of a new QSO keeps its colon too; the report moves on after three digits.
  Operator::ClickCaret(w.Text4, 0);
  Operator::Key(Qt::Key_Delete);
  EXPECT_EQ(w.Text4.text(), "08:15J");
  Operator::Type("0745");
  EXPECT_EQ(w.Text4.text(), "07:45J");
  // The caret keys move within a box: Left walks over the colon, End stays in the date.
  run("End|Left|Left|Left|Left|Left 1");
  EXPECT_EQ(w.Text4.text(), "01:45J");
  run("Alt+D|End");
  EXPECT_EQ(focused(w), &w.Text3);
  // An impossible date is said once: the Return that answers the box is let go over the date.
  boxes.Answer(vbOK);
  run("Alt+D 20240230");
  Operator::Release(Qt::Key_Return);
  EXPECT_EQ(boxes.texts(), QStringList{u8("不正な日付です")});
  EXPECT_EQ(focused(w), &w.Text3);
  run("Alt+D 20240229");  // back into the date to correct it
  EXPECT_EQ(w.Text3.text(), "2024-02-29");
  typeInto(w.Text5, "599");
  EXPECT_EQ(focused(w), &w.Text6);
  EXPECT_EQ(w.Text5.text(), "599");
  // Alt+A: a new QSO, the time now, the keyboard in the frequency; Enter in the call leads to the time.
  for (const QString keys : {"F3", "Alt+T", "Home|Return"}) {
    run("Alt+A|" + keys + " 0930");
    EXPECT_EQ(w.Text4.text(), "09:30J") << keys.toStdString();
  }
}

// Every box, however the keyboard reaches it, takes what is typed or pasted whole; a click puts it where
// the caret lands (a date or a time typed as digits only takes its form). Alt keys without a job type
// nothing, Ctrl+C and Ctrl+Insert copy what the box shows. HAMLOG holds what was typed. Each new QSO is
// blank where nothing was typed for it: opened from the sheet whose call box was emptied, or after the
// deletion of an older QSO.
TEST_F(EntryWindow, EveryBoxTakesWhatIsTypedHoweverItIsReached) {
  PrepareSheetState();
  CWSHEET& sheet = Form<CWSHEET>();
  sheet.Show();
  for (const char* emptied :
       {"Ctrl+A|Backspace", "Backspace|Backspace|Backspace|Backspace|Backspace|Backspace"}) {
    Operator::Click(sheet.Text3);
    run("Ctrl+A ja1bbb|Return");  // the station's QSOs listed, its name put into the log unseen
    Operator::Click(sheet.Text3);
    run(emptied);
    sheet.LOGOPEN.Trigger();
    EXPECT_EQ(Form<TEMP_LOG>().Text1.text() + Form<TEMP_LOG>().Text12.text(), "") << emptied;
    if (*emptied == 'C') Form<TEMP_LOG>().LCan.Trigger();
  }
  TEMP_LOG& w = Form<TEMP_LOG>();
  Operator::Activate(w);
  QClipboard& clipboard = *QGuiApplication::clipboard();
  struct Box { QWidget* box; int field; const char *before, *typed, *stored, *clicked; char alt; int f; };
  const Box table[] = {  // in the order of Tab and Enter
      {&w.Text1, 1, "JA1ABC", "ja1xyz", "JA1XYZ", "JA1ABCJA1XYZ", 'C', 2},
      {&w.Text4, 3, "1111", "2105", "21:05J", "21:05J", 'T', 3},
      {&w.Text5, 4, "571", "559", "559", "571559", 'H', 4},
      {&w.Text6, 5, "572", "579", "579", "572579", 'Y', 0},
      {&w.Text8, 6, "14.0", "21", "21", "14.021", 'F', 5},
      {&w.Combo1, 7, "", "s", "SSB", nullptr, 'M', 0},
      {&w.Text9, 8, "1001", "01", "01", "100101", 'E', 6},
      {&w.Text10, 9, "PM95", "ab", "AB", "PM95AB", 'G', 7},
      {&w.Text12, 11, "Taro", "Jiro", "Jiro", "TaroJiro", 'N', 8},
      {&w.Text13, 12, "Tokyo", "Chiba", "Chiba", "TokyoChiba", 'Q', 9},
      {&w.Text11, 10, "J", "n", "NSR", "JSR", 'L', 0},
      {&w.Text16, 10, "S", "*", "J*R", "JSR", 0, 0},
      {&w.Text17, 10, "R", "E", "JSE", "JSR", 0, 0},
      {&w.Text14, 13, "r1", "rem", "rem", "r1rem", 'R', 10},
      {&w.Text15, 14, "r2", "rem", "rem", "r2rem", 'K', 11},
      {&w.Text3, 2, "20240102", "240506", "2024/05/06", "2024/05/06", 'D', 0},
  };
  const size_t n = std::size(table);
  enum Way {
    Alt,
    FKey,
    Home,
    Tab,
    Backtab,
    Enter,
    Jump,
    ListClose,
    Click,
    Pasted,
    Picked,
    PickedEsc,
    PickedTwice,
    PickedMenu,
    PickedCloseBox,
    CtrlV,
    ListEsc,
    ListReturn,
    ListDown
  };
  for (size_t i = 0; i < n; ++i)
    for (int way = Alt; way <= ListDown; ++way) {
      const Box& b = table[i];
      const bool date = b.box == &w.Text3, time = b.box == &w.Text4, freq = b.box == &w.Text8;
      const bool code = b.box == &w.Text9, combo = b.box == &w.Combo1;
      // Each way: whether it reaches this box, and its keys. Jump: the box before moves on once typed whole;
      // ListClose: the initial search, or the frequencies' list (Esc: back to the box, a pick: on to the
      // mode); Picked: the code list of the cities with こ closed after a pick; List: that list used from
      // the keyboard as it opens; Pasted: Shift+Insert.
      const QString list = u8("F6|F5|IME こ|Return|");
      const std::pair<bool, QString> ways[] = {
          {b.alt != 0, QString("Alt+") + b.alt},
          {b.f != 0, "F" + QString::number(b.f)},
          {b.box == &w.Text1, "Home"},
          {i > 0, "Tab"},
          {i + 1 < n, "Shift+Tab"},
          {i > 0 && !date, "Return"},
          {b.box == &w.Text6 || time, time ? "Alt+D 20240506" : "F4 599"},
          {freq || code || combo, code ? "F6|F5|Esc" : (freq ? "F5|Down|Esc" : "F5|Down|Down|Return")},
          {b.clicked != nullptr, ""},
          {i > 0, "Tab"},
          {code, list + "pick 1|Down|Down|Return"},
          {code, list + "pick 1|Down|Down|Esc"},
          {code, list + "twice 3"},
          {code, list + u8("pick 3|閉じる")},
          {code, list + "pick 3|close"},
          {i > 0, "Tab"},
          {code, list + "Esc"},
          {code, list + "Return"},
          {code, list + "Down|Return"}};
      const auto& [can, keys] = ways[way];
      if (!can) continue;
      if (way == Alt) {  // the oldest QSO deleted: a blank new QSO follows, which "<" leaves asking nothing
        boxes.Answer(vbYes).Answer(vbOK);
        run("<<");
        w.DATDEL.Trigger();
        EXPECT_EQ(w.Text1.text(), "") << i;
        run("<");
      }
      run("Alt+A");  // a new QSO, every box typed in first
      for (const Box& o : table) {
        if (o.box != &w.Combo1) Operator::Click(*o.box);
        run((o.box == &w.Combo1 ? "Alt+M " : "Ctrl+A ") + QString(o.before));
      }
      if (way == Tab || way == Pasted || way == CtrlV || way == Enter || way == Backtab) {  // from beside it
        const Box& o = table[way == Backtab ? i + 1 : i - 1];
        o.alt ? run(QString("Alt+") + o.alt) : Operator::Click(*o.box);
      }
      auto* t = qobject_cast<QLineEdit*>(b.box);
      const bool pasted = way == Pasted || way == CtrlV;
      clipboard.setText(pasted ? b.typed : "-");
      way == Click ? Operator::ClickCaret(*t, date || time ? 0 : int(t->text().size())) : run(keys);
      EXPECT_EQ(Operator::Focus(), b.box) << i << " reached by " << way;
      pasted ? run(way == Pasted ? "Shift+Ins" : "Ctrl+V") : Operator::Type(b.typed);
      // The report moves on by itself: the copy is of where the keyboard is now.
      run(QString("Alt+Z|Alt+1|Alt+J|Ctrl+A|") + (way % 2 ? "Ctrl+C" : "Ctrl+Ins"));
      auto* line = qobject_cast<QLineEdit*>(Operator::Focus());
      auto* mode = qobject_cast<QComboBox*>(Operator::Focus());
      if (line || mode) {
        EXPECT_EQ(clipboard.text(), line ? line->text() : mode->currentText()) << i << " reached by " << way;
      }
      Operator::Key(Qt::Key_F1);
      EXPECT_EQ(Dump().last().split(',').value(b.field).remove('"').toStdString(),
                way == Click ? b.clicked : b.stored) << i << " reached by " << way;
    }
  for (const QString& text : boxes.texts())  // only the deletions' question and report
    EXPECT_TRUE(text.endsWith(u8("このデータを削除しますか？")) || text.endsWith(u8(" を削除しました")))
        << qPrintable(text);
}

// After 新 a QSO stores what was typed or looked up for it, and the details of the station saved last
// while its call still names that station: not after an abandoned QSO, a call that only begins like
// the saved one, a look-up; a corrected call keeps what was typed; a stored record keeps its own.
TEST_F(EntryWindow, ANewQsoStoresWhatBelongsToItsStationAndNothingTypedForAnother) {
  Operator::Activate(open());
  const auto stored = [&](int r) { return Dump().value(r - 1).remove('"').section(',', 1).toStdString(); };
  run("<|call|Backspace c|Down|F1");  // a stored record's call corrected and looked up: nothing found
  EXPECT_EQ(stored(2), "JA1BBC,2024/05/06,21:05J,599,579,14.025,SSB,1101,PM95,J *,Jiro,QTH,rem1,rem2");
  run("Alt+A|Home ja8sav|F5 7.025|F8 SavedName|F7 pm95|F1|"
      "Alt+A|Home ja8oth|Alt+N OtherName|Alt+G qm05|Home ja8sav|Alt+A|Home ja8new|F5 7.012|F1");  // abandoned
  EXPECT_EQ(stored(4), "JA8NEW,2024/05/06,21:30J,,,7.012,SSB,,,J  ,,,,");
  run("Alt+A|Home ja7klm|F5 7.025|F6 0301|Alt+G qm07|F8 Name7|F9 Qth7|F10 Arem1|F11 Arem2|F1|"
      "Alt+A|Home ja7kl|Down|F5 7.030|F1");
  EXPECT_EQ(stored(6), "JA7KL,2024/05/06,21:30J,,,7.030,SSB,,,J  ,,,,");
  run("Alt+A|Home ja1bbc|Down|Alt+N Name5|Alt+Q Qth5|Alt+R Rem5|Alt+K Rem25|"
      "call|End|Backspace b|Down|F5 7.025|F1");
  EXPECT_EQ(stored(7), "JA1BBB,2024/05/06,21:30J,,,7.025,SSB,,,J  ,Name5,Qth5,Rem5,Rem25");
  run("Alt+A|Home ja1abc|F5 7.025|F6 1001|Alt+N Abc|D|F1|新|Home ja1abc/3/p|F5 7.025|F1");
  EXPECT_EQ(stored(9), "JA1ABC/3/P,2024/05/06,21:30J,,,7.025,SSB,1001,,J  ,Abc,,,");
  QString flag;
  ASSERT_TRUE(HamlogOpenDb() == 0 && THW_read(Hamlog.Thw, 9, 3) == 0);
  ThwString(flag, Hamlog.Thw, 16), HamlogCloseDb(0);
  EXPECT_EQ(flag.trimmed(), "8") << "the D ticked by hand goes with the station";
  Settings.ExtendedBandSet = 1;  // a band from 10 GHz up is stored as HAMLOG keeps it
  run("Alt+A|Home ja1ghz|F5 10g|F1");
  EXPECT_EQ(stored(10), "JA1GHZ,2024/05/06,21:30J,,,*10,SSB,,,J  ,,,,");
  // A date typed as digits, F1 still in its box: not the next QSO's.
  run("Alt+A|Home ja1ddd|F5 7.025|Alt+D 240101|F1|新|Home ja1eee|F5 7.026|F1");
  EXPECT_EQ(stored(11), "JA1DDD,2024/01/01,21:30J,,,7.025,SSB,,,J  ,,,,");
  EXPECT_EQ(stored(12), "JA1EEE,2024/05/06,21:30J,,,7.026,SSB,,,J  ,,,,");
}

// They ask for an unsaved new QSO; Esc also for an edit of a stored one, and never for one left as it is.
TEST_F(EntryWindow, EscTheCloseBoxAndTheCloseMenuAskOnlyForWhatIsUnsaved) {
  TEMP_LOG& w = open();
  w.Text1.setText(QString());
  press(w.Text4, Qt::Key_Escape);  // nothing typed: closed at once
  EXPECT_FALSE(IsLoaded<TEMP_LOG>());
  EXPECT_EQ(LogWindowState.LogWindowOpen, 0);
  for (const auto& close : std::initializer_list<std::function<void(TEMP_LOG&)>>{
           [this](TEMP_LOG& w) { press(w.Text4, Qt::Key_Escape); }, [](TEMP_LOG& w) { w.close(); },
           [](TEMP_LOG& w) { w.LCan.Trigger(); }}) {
    TEMP_LOG& typed = open();
    typeQso(typed);
    boxes.Answer(vbNo).Answer(vbYes);
    close(typed);
    EXPECT_TRUE(IsLoaded<TEMP_LOG>());
    close(typed);
    EXPECT_FALSE(IsLoaded<TEMP_LOG>());
  }
  EXPECT_EQ(boxes.texts(), QStringList(6, u8("LOGﾃﾞｰﾀが未保存ですが宜しいですか")));
  typeQso(open());
  UnloadForm<TEMP_LOG>();  // the sheet going back to the menu asks nothing
  EXPECT_EQ(LogWindowState.LogWindowOpen, 0);
  TEMP_LOG& stored = open();
  back(stored);
  stored.Text12.setText("edited");
  stored.LCan.Trigger();  // nor does an edited stored record
  EXPECT_FALSE(IsLoaded<TEMP_LOG>());
  EXPECT_EQ(boxes.texts().size(), 6);
  EXPECT_EQ(ReadIniOr("Hamlog", "LastMode", "?"), "1");  // the record's SSB was the last choice
  Operator::Activate(open());
  run("F2 ja1esc|F5 7.025|F1|<|Esc");  // saved, then another stored QSO shown as it is
  EXPECT_FALSE(IsLoaded<TEMP_LOG>());
  Operator::Activate(open());
  boxes.Answer(vbNo);
  run("<|F8 Edited|Esc");
  EXPECT_TRUE(IsLoaded<TEMP_LOG>());
  EXPECT_EQ(boxes.texts().size(), 7);
}

TEST_F(EntryWindow, WithoutStoredModesTheModeListIsEmptyAndTheSaveSaysSo) {
  Settings.ModeCount = "0";
  TEMP_LOG& w = open();
  EXPECT_EQ(w.Combo1.ListCount(), 0);
  QTest::keyClicks(&w.Text1, "ja1xyz");
  w.Text8.setText("7.025");
  boxes.Answer(vbOK);
  press(w.Text1, Qt::Key_F1);
  EXPECT_EQ(boxes.texts(), QStringList{u8("Mode データがありません")});
  EXPECT_EQ(Dump().size(), 2);
}

TEST_F(EntryWindow, TheModeListTakesCapitalsAndKeepsTheLastChoice) {
  TEMP_LOG& w = open();
  Operator::Pick(w.Combo1, 2);
  Operator::Key(Qt::Key_Return);
  EXPECT_EQ(w.Label17.text(), "FT8");
  EXPECT_EQ(w.LastModeIndex, "2");
  EXPECT_EQ(focused(w), &w.Text9);  // leaving the list stores the choice
  EXPECT_EQ(ReadIniOr("Hamlog", "LastMode", "?"), "2");
  run("Alt+M s");  // the initial typed in either case
  EXPECT_EQ(w.Combo1.Text(), "SSB");
  Operator::Pick(w.Combo1, 2);
  w.Unload();
  EXPECT_EQ(Form<TEMP_LOG>().Label17.text(), "FT8");  // the next window starts with it
  // A stored QSO's mode that the list lacks is shown, and not kept as a choice the next start cannot read.
  AddQsos({{"JA1CCC", "1001", "7.025", "RTTY"}});
  Operator::Click(open().Command2);
  EXPECT_EQ(Form<TEMP_LOG>().Label17.text(), "RTTY");
  Form<TEMP_LOG>().LCan.Trigger();  // 閉（Esc）
  EXPECT_EQ(open().Label17.text(), "FT8");
  EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join('|').toStdString();
}

TEST_F(EntryWindow, F12OutsideQslCheckAndAltPWithoutAPictureDoNothing) {
  TEMP_LOG& w = open();
  back(w);
  const QStringList before = Dump();
  ClearClipboard();
  press(w.Text1, Qt::Key_F12);
  press(w.Text1, Qt::Key_P, Qt::AltModifier);
  EXPECT_EQ(w.Text17.text(), "*");
  EXPECT_EQ(Dump(), before);
  EXPECT_FALSE(QFile::exists(JoinPath(Settings.DataFolder, "ORBEX_LOG.bmp")));
  EXPECT_NE(ReadIniOr("CFGPOS", "LOGPOSTop", "?"), "?");  // the place is kept after every key
}

TEST_F(EntryWindow, TheAreaOfTheCallNamesTheInitialSearchAndEscOrCancelCloseItsPanel) {
  TEMP_LOG& w = open();
  PopupMenuResponder popup;
  popup.Pick(u8("市")).Pick(u8("村"));
  w.Text1.setText("JA1ABC/3");
  Operator::DoubleClick(w.Text9);
  EXPECT_EQ(popup.shown(), QStringList{u8("市郡区")}) << "as the double click lands";
  ASSERT_TRUE(w.Frame2.isVisible());
  EXPECT_EQ(w.Label16.text(), u8("3ｴﾘｱの市名"));
  EXPECT_EQ(CodeListShared.JaCodeListMode, 1);
  w.Text18.setText(u8("あ"));
  press(w.Text18, Qt::Key_Escape);  // the panel goes, the window stays
  EXPECT_FALSE(w.Frame2.isVisible());
  EXPECT_TRUE(IsLoaded<TEMP_LOG>());
  EXPECT_EQ(w.Text18.text(), "");
  EXPECT_EQ(focused(w), &w.Text9);
  w.Text1.setText("JA");
  w.Label9.Click();
  EXPECT_EQ(w.Label16.text(), u8("全ｴﾘｱの村名"));
  w.Text18.setText(u8("あ"));
  w.Command1.click();
  EXPECT_FALSE(w.Frame2.isVisible());
  EXPECT_EQ(w.Text18.text(), "");
  EXPECT_EQ(CodeListShared.JaCodeListMode, 0);
  run("Alt+E|F5 a|F8");  // the panel goes once the keyboard leaves it
  EXPECT_FALSE(w.Frame2.isVisible());
  EXPECT_EQ(w.Text18.text(), "");
  EXPECT_TRUE(boxes.texts().isEmpty());
}

}  // namespace

TEST_F(EntryWindow, StoredRecordsMarkAnElectronicQslRunAndANewRecordExportsIt) {
  TEMP_LOG& w = open();
  EXPECT_TRUE(w.Command7.isEnabled()) << "a new QSO can be exported as it stands";
  EXPECT_FALSE(w.Command8.isEnabled());
  EXPECT_TRUE(w.GOEQSL.Enabled());
  EXPECT_TRUE(w.GOQSOBANK.Enabled());
  QTest::mouseClick(&w.Command2, Qt::LeftButton);  // back to the last stored record
  ASSERT_EQ(LogWindowState.StoredRecordShown, 1);
  EXPECT_FALSE(w.Command7.isEnabled());
  ASSERT_TRUE(w.Command8.isEnabled());
  QTest::mouseClick(&w.Command8, Qt::LeftButton);
  EXPECT_EQ(w.Command8.text(), "Strt");
  EXPECT_TRUE(w.StatusBar1.PanelText(2).startsWith("e-QSL No=")) << qPrintable(w.StatusBar1.PanelText(2));
  w.NewRecord();
  EXPECT_TRUE(w.Command7.isEnabled());
  EXPECT_FALSE(w.Command9.isEnabled());
}
