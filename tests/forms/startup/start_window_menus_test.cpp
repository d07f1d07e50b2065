#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>

#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "core/SpotRelay.h"
#include "forms/logbook/MemoDAT.h"
#include "forms/sheet/CWSHEET.h"
#include "forms/startup/OrbexTips.h"
#include "logbook/HamlogRecordWriter.h"
#include "platform/ipc/ipc.h"
#include "platform/ui/responders.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "start_window_fixture.h"
#include "support/companion.h"
#include "support/operator.h"
#include "support/qt_print.h"

namespace {

const QStringList kWorkFiles = {"FOREXCEL.DAT", "FOREXCELsp.DAT", "ORBEX_MEMO.TXT",
                                "DMYMST.dat",   "DMYSBMST.dat",   "dmyQTHdata.dat"};

// The local sockets README.md tells a companion to use (what follows "$XDG_RUNTIME_DIR/orbex5-ipc/"), each
// with the README's text between it and the one named before it.
QList<std::pair<QString, QString>> ReadmeSockets() {
  QFile file(QStringLiteral(ORBEX_README));
  const QString readme = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  static const QRegularExpression socket(R"(`\$XDG_RUNTIME_DIR/orbex5-ipc/([^`]*)`)");
  QList<std::pair<QString, QString>> out;
  qsizetype from = 0;
  for (const QRegularExpressionMatch& m : socket.globalMatch(readme)) {
    out.append({m.captured(1), readme.mid(from, m.capturedStart() - from)});
    from = m.capturedEnd();
  }
  return out;
}

class StartWindowMenusTest : public StartWindowTest {
 protected:
  // The start window of a complete set-up, the work files and two others in the program folder.
  void start() {
    setUpOperator();
    for (const QString& name : kWorkFiles + QStringList{"DMYDBS.DAT", "other.dat"}) home.write(name, "x");
    top = load();
    ASSERT_NE(top, nullptr);
  }
  QStringList workFilesLeft() {
    QStringList left;
    for (const QString& name : kWorkFiles + QStringList{"DMYDBS.DAT", "other.dat"})
      if (QFile::exists(home.file(name))) left << name;
    return left;
  }
  ORBTOP* top = nullptr;
};

}  // namespace

TEST_F(StartWindowMenusTest, TheCloseBoxDeletesTheWorkFilesAndEndsEveryWindow) {
  ASSERT_NO_FATAL_FAILURE(start());
  ASSERT_TRUE(IsLoaded<OrbexTips>());
  QGuiApplication::clipboard()->setText("left over");
  top->close();
  EXPECT_FALSE(IsLoaded<ORBTOP>());
  EXPECT_FALSE(IsLoaded<OrbexTips>());
  EXPECT_EQ(workFilesLeft(), QStringList({"DMYDBS.DAT", "other.dat"}));
  EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
}

TEST_F(StartWindowMenusTest, PendDoesTheSameAndAnUnloadByTheProgramDeletesNothing) {
  ASSERT_NO_FATAL_FAILURE(start());
  top->PEND.Trigger();
  EXPECT_FALSE(IsLoaded<ORBTOP>());
  EXPECT_FALSE(IsLoaded<OrbexTips>());
  EXPECT_EQ(workFilesLeft(), QStringList({"DMYDBS.DAT", "other.dat"}));

  for (const QString& name : kWorkFiles) home.write(name, "x");
  ASSERT_NE(load(), nullptr);
  UnloadForm<ORBTOP>();
  EXPECT_EQ(workFilesLeft().size(), 8) << "only the operator's close and PEND delete";
}

TEST_F(StartWindowMenusTest, MenusThatWorkAndMenusThatWaitForTheirWindows) {
  ASSERT_NO_FATAL_FAILURE(start());
  for (Menu* m :
       {&top->SETCFG, &top->MODCH, &top->JCCchk, &top->jarlweb, &top->PEND, &top->OnePointHelp, &top->hlp,
        &top->w10, &top->v1000, &top->v144, &top->ACCmodeset, &top->JARLstn, &top->MichiGet, &top->ACCchk,
        &top->aGrigSrh, &top->aGrigSrh100, &top->aGrigSrhDX, &top->xDXCC, &top->myMemo})
    EXPECT_TRUE(m->Enabled()) << m->Caption().toStdString();
  for (Menu* m : {&top->aGrigFLDSrh, &top->ELDER_AWARD})
    EXPECT_FALSE(m->Enabled()) << m->Caption().toStdString();

  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  top->JCCchk.Trigger();
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_EQ(boxes.texts()[0].split("\r\n").size(), 4);
  EXPECT_TRUE(boxes.texts()[0].startsWith("JCC / JCG のチェックは「読み込み開始」で\r\n"));

  ShellRecorder shell;
  top->jarlweb.Trigger();
  EXPECT_EQ(shell.opened(), QStringList({"https://www.jarl.org/page/award/AwardEntry.aspx"}));

  UnloadForm<OrbexTips>();
  top->OnePointHelp.Trigger();
  EXPECT_TRUE(IsLoaded<OrbexTips>());
  EXPECT_EQ(StartFlags.TipsOnRequest, 1);
  UnloadForm<OrbexTips>();
  QFile::remove(home.file("ORBEX_TopTips.TXT"));
  boxes.Answer(vbOK);
  top->OnePointHelp.Trigger();
  EXPECT_EQ(boxes.texts().last(), "Tips File ORBEX_TopTips.TXT が見つかりませんでした。");
  EXPECT_EQ(StartFlags.TipsMode, 0);
  EXPECT_FALSE(IsLoaded<OrbexTips>());
}

TEST_F(StartWindowMenusTest, EscAndAltP) {
  ASSERT_NO_FATAL_FAILURE(start());
  int key = vbKeyEscape;
  top->Form_KeyDown(key, 0);
  EXPECT_EQ(StartFlags.AbortReading, 1);
  EXPECT_EQ(StartFlags.InterruptCode, 1);

  key = vbKeyP;
  top->Form_KeyDown(key, vbAltMask);  // nothing on the clipboard: nothing saved, no message
  EXPECT_FALSE(QFile::exists(home.file("GeneData/ORBEX_TOP.bmp")));
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  QGuiApplication::clipboard()->setImage(picture);
  key = vbKeyP;
  top->Form_KeyDown(key, vbAltMask | vbShiftMask);
  EXPECT_FALSE(QFile::exists(home.file("GeneData/ORBEX_TOP.bmp"))) << "Alt alone";
  key = vbKeyP;
  top->Form_KeyDown(key, vbAltMask);
  EXPECT_TRUE(QFile::exists(home.file("GeneData/ORBEX_TOP.bmp")));
}

TEST_F(StartWindowMenusTest, EveryPollTickRelaysToTheSpotProgram) {
  ASSERT_NO_FATAL_FAILURE(start());
  EXPECT_EQ(&RigPollTimer(), &top->Timer2) << "the start window's timer polls";
  RigPortState.FreqHz = 14'025'000;
  RigPortState.ModeText = "CW";
  RigPollTick();  // nobody listens: nothing sent, nothing told

  // The spot program listens where the README tells it to.
  QString name;
  for (const auto& [socket, before] : ReadmeSockets())
    if (name.isEmpty() && before.contains("spot relay")) name = socket;
  ASSERT_FALSE(name.isEmpty()) << "the README names the spot relay's socket";
  ASSERT_TRUE(IpcFolderProblem().isEmpty());
  QList<QByteArray> received;
  {
    CompanionListener spot(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/orbex5-ipc/" + name);
    ASSERT_TRUE(spot.Listening()) << name.toStdString() << ": " << spot.Problem().toStdString();
    RigPollTick();
    received = spot.Received();
  }
  EXPECT_EQ(received,
            QList<QByteArray>({"ORBEXfreq14025.0", "ORBEXCall", "ORBEXCode         ", "ORBEXModeCW"}));

  UnloadForm<ORBTOP>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  RigPollTick();  // the start window is gone and listens no more
  EXPECT_FALSE(RigPollTimer().Running()) << "the link has its own timer back, not the window's";
}

TEST(CompanionSockets, TheReadmeNamesEachAsTheProgramMakesIt) {
  QStringList named, made;
  for (const auto& [socket, before] : ReadmeSockets()) named << socket;
  for (const char* title : {kProgramMessageTitle, kHamlogWindowClass, kSpotProgramTitle})
    made << QFileInfo(IpcSocketPath(QString::fromUtf8(title))).fileName();
  named.removeDuplicates();
  named.sort();
  made.sort();
  EXPECT_EQ(named, made);
}

TEST_F(StartWindowMenusTest, ABandStationListIsCountedAndOpened) {
  ASSERT_NO_FATAL_FAILURE(start());
  MsgBoxResponder boxes;
  ShellRecorder shell;
  boxes.Answer(vbOK);
  top->v430.Trigger();  // JA3CCC/3 is confirmed on 430 MHz, but its QSL kind P is left out
  EXPECT_EQ(boxes.texts(), QStringList({"現在のところ 0 局です"}));
  EXPECT_EQ(shell.opened(), QStringList({home.file("GeneData/430MHz-100.txt")}));
  EXPECT_TRUE(top->Command1.isEnabled()) << "the reading state has ended";
  EXPECT_EQ(Hamlog.HamlogClosed, 1);

  top->Text1.setText("");
  boxes.Answer(vbOK);
  top->v430.Trigger();
  EXPECT_EQ(boxes.texts().last(), "現在のところ 1 局です");
  EXPECT_TRUE(home.read("GeneData/430MHz-100.txt").startsWith("\"JA3CCC              \",\"2023-04-03\""));

  Hamlog.HamlogDbPath = home.file("nowhere/HAMLOG.HDB");
  boxes.Answer(vbOK).Answer(vbOK);
  top->v144.Trigger();
  EXPECT_EQ(boxes.texts().last(),
            "HAMLOGデータがOpen出来ません。\r\nHAMLOG.HDB が見つかりません\r\n" + Hamlog.HamlogDbPath);
  EXPECT_EQ(shell.opened().size(), 2);
}

TEST_F(StartWindowMenusTest, TheHelpMemoOpensOnceAndSaveAndCloseLosesNothing) {
  ASSERT_NO_FATAL_FAILURE(start());
  home.write("ORBEX_MyHelp.TXT", "line 1\r\nline 2\r\n");
  top->myMemo.Trigger();
  MemoDAT* memo = LoadedForm<MemoDAT>();
  ASSERT_NE(memo, nullptr);
  EXPECT_TRUE(memo->isVisible());
  EXPECT_EQ(memo->Text1.text(), "line 1\nline 2\n");
  EXPECT_FALSE(top->myMemo.Enabled()) << "a second copy of the memo would be read over the first";
  Operator::Click(memo->Text1);  // below its last line: the caret goes to the end
  Operator::Type("3");
  memo->Send.Trigger();  // "保存して終了" writes it back
  EXPECT_EQ(home.read("ORBEX_MyHelp.TXT"), "line 1\r\nline 2\r\n3\r\n");
  EXPECT_TRUE(top->myMemo.Enabled());

  // The memo pad left open from the sheet keeps what the operator typed there.
  MsgBoxResponder boxes;
  MemoDAT& pad = Form<MemoDAT>();
  pad.Text1.setText("typed, not saved");
  boxes.Answer(vbOK);
  top->myMemo.Trigger();
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_EQ(boxes.texts().last(), "メモ帳が開いています。メモ帳を閉じてから覚え書きを開いて下さい。");
  EXPECT_EQ(pad.Text1.text(), "typed, not saved");
  EXPECT_EQ(pad.windowTitle(), "メモ帳");
  EXPECT_TRUE(top->myMemo.Enabled());
  FileDialogResponder files;
  files.Cancel().Choose(home.file("memo.TXT"));
  Operator::Click(pad.Text1);
  Operator::Type("!");
  pad.Send.Trigger();  // no file yet: a name is asked for first, and a cancel leaves the memo open
  ASSERT_TRUE(IsLoaded<MemoDAT>());
  pad.Send.Trigger();
  EXPECT_EQ(home.read("memo.TXT"), "typed, not saved!\r\n");
  EXPECT_FALSE(IsLoaded<MemoDAT>());
}
