#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "platform/ui/buttons.h"
#include "platform/ui/doevents.h"
#include "platform/ui/form.h"
#include "platform/ui/frame.h"
#include "platform/ui/responders.h"
#include "platform/ui/textbox.h"
#include "platform/ui/timer.h"
#include "platform/serial.h"
#include "support/operator.h"
#include "support/waits.h"
#include "ui_test.h"

namespace {

struct Log {
  QStringList events;
  int loads = 0;
  int cancelQuery = 0;
  int cancelUnload = 0;
};
Log g;

class SettingsDialog : public VbForm {
 public:
  SettingsDialog() {
    setWindowTitle("settings");
    OK.Click = [this] { Hide(); };
  }
  TextBox Text1{this};
  CommandButton OK{this, "OK"};
};

class StartWindow : public VbForm {
 public:
  StartWindow() {
    setWindowTitle("start");
    Command1.Click = [this] {
      g.events << "click";
      Form<SettingsDialog>().Show(vbModal);
      g.events << "after modal:" + Form<SettingsDialog>().Text1.text();
    };
  }
  void Form_Load() override {
    ++g.loads;
    g.events << "load";
  }
  void Form_QueryUnload(int& cancel, int mode) override {
    g.events << QString("query %1").arg(mode);
    cancel = g.cancelQuery;
  }
  void Form_Unload(int& cancel) override {
    g.events << "unload";
    cancel = g.cancelUnload;
  }
  CommandButton Command1{this, "読み込み開始"};
  TextBox Text2{this};
};

// A frame declared after a control that sits inside it: the frame must not delete the member.
class FramedWindow : public VbForm {
 public:
  FramedWindow() { Text2.setParent(&Frame5); }
  TextBox Text2{this};
  Frame Frame5{this, "検索"};
  CheckBox Check1{&Frame5, "a"};
};

class Counting : public VbForm {
 public:
  Counting() {
    Timer1.Timer = [] { g.events << "tick"; };
  }
  VbTimer Timer1{this, 1, true};
};

class Forms : public ::testing::Test {
 protected:
  void SetUp() override { g = Log(); }
  void TearDown() override {
    g.cancelQuery = g.cancelUnload = 0;
    UnloadAllForms();
    FlushDeletes();
  }
};

TEST_F(Forms, TouchingAWindowLoadsItOnceAndHidden) {
  EXPECT_FALSE(IsLoaded<StartWindow>());
  EXPECT_EQ(LoadedForm<StartWindow>(), nullptr);
  StartWindow& w = Form<StartWindow>();
  EXPECT_TRUE(IsLoaded<StartWindow>());
  EXPECT_FALSE(w.isVisible());
  Form<StartWindow>().Text2.setText("x");
  EXPECT_EQ(&Form<StartWindow>(), &w);
  EXPECT_EQ(g.loads, 1);
  w.Show();
  EXPECT_TRUE(w.isVisible());
  w.Hide();
  EXPECT_TRUE(IsLoaded<StartWindow>());
}

TEST_F(Forms, UnloadRunsQueryThenUnloadWithTheReasonAndCanBeCancelled) {
  Form<StartWindow>();
  g.cancelQuery = 1;
  EXPECT_FALSE(UnloadForm<StartWindow>());
  EXPECT_TRUE(IsLoaded<StartWindow>());
  g.cancelQuery = 0;
  g.cancelUnload = 1;
  EXPECT_FALSE(UnloadForm<StartWindow>());
  EXPECT_TRUE(IsLoaded<StartWindow>());
  g.cancelUnload = 0;
  Form<StartWindow>().Show();
  Form<StartWindow>().close();  // the close box
  EXPECT_FALSE(IsLoaded<StartWindow>());
  EXPECT_EQ(g.events, QStringList({"load", "query 1", "query 1", "unload", "query 0", "unload"}));
}

TEST_F(Forms, AnUnloadedWindowIsGoneAndTheNextTouchLoadsAFreshOne) {
  QPointer<StartWindow> first = &Form<StartWindow>();
  first->Text2.setText("old");
  QString changed;
  first->Text2.Change = [&] { changed = "ran"; };
  EXPECT_TRUE(UnloadForm<StartWindow>());
  EXPECT_FALSE(IsLoaded<StartWindow>());
  // Until the event loop is idle the old object still exists, but none of its handlers run.
  ASSERT_TRUE(first);
  first->Text2.setText("late");
  EXPECT_TRUE(changed.isEmpty());
  FlushDeletes();
  EXPECT_TRUE(first.isNull());
  EXPECT_EQ(Form<StartWindow>().Text2.text(), "");
  EXPECT_EQ(g.loads, 2);
}

TEST_F(Forms, AWindowThatUnloadsItselfInsideItsHandlerSurvivesTheHandler) {
  StartWindow& w = Form<StartWindow>();
  w.Command1.Click = [&w] {
    w.Unload();
    w.Text2.setText("after unload");  // still a valid object while the handler runs
  };
  w.Show();
  QTest::mouseClick(&w.Command1, Qt::LeftButton);
  EXPECT_FALSE(IsLoaded<StartWindow>());
  FlushDeletes();
  EXPECT_TRUE(LoadedForms().empty());
}

TEST_F(Forms, AModalWindowShownFromAHandlerIsAnsweredByTheResponder) {
  ModalFormResponder modal;
  modal.Then([](VbForm& f) {
    auto& d = static_cast<SettingsDialog&>(f);
    EXPECT_TRUE(d.isVisible());
    d.Text1.setText("JA1ZZZ");
    QTest::mouseClick(&d.OK, Qt::LeftButton);
  });
  StartWindow& w = Form<StartWindow>();
  w.Show();
  QTest::mouseClick(&w.Command1, Qt::LeftButton);
  EXPECT_EQ(g.events, QStringList({"load", "click", "after modal:JA1ZZZ"}));
  EXPECT_EQ(modal.shown(), QStringList({"settings"}));
}

TEST_F(Forms, AModalWindowNobodyAnswersFailsInsteadOfBlocking) {
  CapturedUiFailures failures;
  {
    ModalFormResponder modal;
    modal.Then([](VbForm&) {});  // leaves the window open
    Form<SettingsDialog>().Show(vbModal);
    Form<SettingsDialog>().Show(vbModal);  // nothing queued at all
  }
  ASSERT_EQ(failures.messages.size(), 2);
  EXPECT_TRUE(failures.messages[0].contains("still open"));
  EXPECT_TRUE(failures.messages[1].contains("no step queued"));
  Form<SettingsDialog>().Show(vbModal);  // no responder, no screen
  EXPECT_EQ(failures.messages.size(), 3);
}

TEST_F(Forms, UnloadAllReportsAWindowThatRefused) {
  Form<StartWindow>();
  Form<SettingsDialog>();
  g.cancelQuery = 1;
  EXPECT_FALSE(UnloadAllForms(vbAppWindows));
  EXPECT_TRUE(IsLoaded<StartWindow>());
  EXPECT_FALSE(IsLoaded<SettingsDialog>());
  EXPECT_TRUE(g.events.contains("query 2"));
}

TEST_F(Forms, MemberControlsInsideAFrameSurviveTheWindowsEnd) {
  QPointer<FramedWindow> w = &Form<FramedWindow>();
  EXPECT_EQ(w->Text2.parentWidget(), &w->Frame5);
  w->Frame5.setEnabled(false);
  EXPECT_FALSE(w->Text2.isEnabled());
  EXPECT_FALSE(w->Check1.isEnabled());
  w->Check1.setEnabled(false);  // its own state survives the frame's
  w->Frame5.setEnabled(true);
  EXPECT_TRUE(w->Text2.isEnabled());
  EXPECT_FALSE(w->Check1.isEnabled());
  UnloadForm<FramedWindow>();
  FlushDeletes();
  EXPECT_TRUE(w.isNull());
}

TEST_F(Forms, TimersStopWithTheirWindow) {
  QPointer<Counting> w = &Form<Counting>();
  w->Timer1.Timer = [&] {
    g.events << "tick";
    w->Timer1.SetEnabled(false);
  };
  ASSERT_TRUE(WaitUntil([] { return !g.events.isEmpty(); }));
  EXPECT_EQ(g.events, QStringList({"tick"}));
  w->Timer1.SetEnabled(true);
  UnloadForm<Counting>();
  QTimer same;  // of the same interval, started after the unload: the window's would tick too
  QSignalSpy later(&same, &QTimer::timeout);
  same.start(1);
  ASSERT_TRUE(WaitUntil([&] { return later.size() >= 5; }));
  EXPECT_EQ(g.events, QStringList({"tick"}));
}

TEST_F(Forms, ALongJobKeepsTheWindowAndItsControlsLockedAndRestoresThem) {
  StartWindow& w = Form<StartWindow>();
  w.Show();
  w.Text2.setEnabled(false);
  {
    LongJobGuard guard(w, {w.Command1, w.Text2});
    MousePointerGuard hourglass(w);
    EXPECT_FALSE(w.Command1.isEnabled());
    EXPECT_EQ(w.MousePointer(), vbHourglass);
    w.close();  // the operator's close box while the job pumps events
    DoEvents();
    EXPECT_TRUE(IsLoaded<StartWindow>());
  }
  EXPECT_TRUE(w.Command1.isEnabled());
  EXPECT_FALSE(w.Text2.isEnabled());
  EXPECT_EQ(w.MousePointer(), vbDefault);
  w.close();
  EXPECT_FALSE(IsLoaded<StartWindow>());
}

TEST_F(Forms, SetFocusOnAControlOfAnotherWindowBringsItForward) {
  Form<StartWindow>().Show();
  SettingsDialog& d = Form<SettingsDialog>();
  d.Show();
  Operator::Click(Form<StartWindow>().Text2);  // the start window in front again
  d.Text1.setFocus();
  Operator::Type("x");
  EXPECT_EQ(d.Text1.text(), "x");
}

// `act` from a timer of `ms` inside the program's wait (WaitWithEvents), which lasts until it ran.
void WaitWithEventsAround(int ms, const std::function<void()>& act) {
  bool done = false;
  QTimer::singleShot(ms, [&] { act(), done = true; });
  for (QDeadlineTimer cap(kEventCapMs); !done && !cap.hasExpired();) WaitWithEvents(1);
  ASSERT_TRUE(done);
}

// The start window at the top left, 400 x 200 pixels, its button and box in its top left corner.
StartWindow& ShownStartWindow() {
  StartWindow& w = Form<StartWindow>();
  w.Move(0, 0, 6000, 3000);
  w.Command1.Move(150, 150, 1500, 450);
  w.Text2.Move(150, 900, 1500, 300);
  w.Show();
  return w;
}

TEST_F(Forms, AWaitKeepsTheInputOfTheWindowsOpenWhenItBeganAndHandsItOnInOrderAfterIt) {
  StartWindow& w = ShownStartWindow();
  QStringList seen;
  w.Command1.Click = [&] { seen << "click " + w.Text2.text(); };
  QMessageBox notice(QMessageBox::Information, "ORBEX5", "JA1ZZZ", QMessageBox::Ok, &w);
  notice.show();  // up when the wait begins, and closed by the program meanwhile
  {
    const InputHold request;  // a web request out
    QTimer::singleShot(5, &notice, [&] { notice.done(0); });
    WaitWithEventsAround(10, [&] {
      const InputHold poll;  // a rig poll inside it ends first: the request's hold stays
      Operator::Click(w.Text2);
      Operator::Type("ja2");
      Operator::Commit(QString::fromUtf8("局"));
      Operator::Click(w.Command1);
    });
    EXPECT_FALSE(notice.isVisible()) << "closed by the program, not by the operator";
    EXPECT_TRUE(seen.isEmpty() && w.Text2.text().isEmpty()) << "nothing reaches the held window meanwhile";
    w.close();  // its close box
    DoEvents();
    // A window opened meanwhile (a message box) takes input.
    SettingsDialog& box = Form<SettingsDialog>();
    box.Move(0, 0, 6000, 3000);
    box.OK.Move(150, 150, 1500, 450);
    box.Text1.Move(150, 900, 1500, 300);
    box.Show();
    Operator::Click(box.Text1);
    Operator::Type("ok");
    EXPECT_EQ(box.Text1.text(), "ok");
    box.Hide();
  }
  DoEvents();
  EXPECT_EQ(seen, QStringList{QString::fromUtf8("click ja2局")})
      << "the clicks, the keys and the text, in order";
  EXPECT_FALSE(IsLoaded<StartWindow>()) << "its close box closes it after the wait, behind the input before it";
}

// Keys typed during a wait behind a click that closes their window reach, after the wait, the window
// the window manager then gives the keyboard to.
TEST_F(Forms, KeysHeldBehindAClickThatClosesTheirWindowGoWhereTheKeyboardIsThen) {
  StartWindow& w = ShownStartWindow();
  Operator::Click(w.Text2);
  SettingsDialog& d = Form<SettingsDialog>();
  d.Move(6000, 0, 6000, 3000);
  d.OK.Move(150, 150, 1500, 450);
  d.Show();
  Operator::Activate(d);
  // The window manager gives the keyboard back to the start window when the dialog goes.
  const auto manager = QObject::connect(&d, &VbForm::hiddenOrUnloaded, &w, [&] { Operator::Activate(w); });
  {
    const InputHold hold;
    WaitWithEventsAround(5, [&] {
      Operator::Click(d.OK);  // the dialog goes
      Operator::Type("ab");
      Operator::Commit(QString::fromUtf8("局"));
    });
  }
  DoEvents();
  QObject::disconnect(manager);
  EXPECT_EQ(w.Text2.text(), QString::fromUtf8("ab局"));
}

// Input held during a wait that ends in a modal box reaches the window behind once the box is gone.
TEST_F(Forms, InputHeldDuringAWaitThatEndsInAModalBoxIsHandedOnWhenTheBoxCloses) {
  StartWindow& w = ShownStartWindow();
  QStringList seen;
  w.Command1.Click = [&] { seen << "search " + w.Text2.text(); };
  {
    const InputHold request;
    WaitWithEventsAround(5, [&] {
      Operator::Click(w.Text2);
      Operator::Type("ja1aaa");
      Operator::Click(w.Command1);
    });
  }
  QMessageBox notice(QMessageBox::Information, "ORBEX5", "JA1SLOWNO", QMessageBox::Ok, &w);
  QTimer::singleShot(0, [&] {  // once the box is up
    EXPECT_TRUE(seen.isEmpty()) << "nothing reaches the window behind the box";
    Operator::Key(Qt::Key_Return);
  });
  QTimer::singleShot(kEventCapMs, &notice, [&] { notice.done(0); });  // never blocks the test
  notice.exec();
  EXPECT_NE(notice.clickedButton(), nullptr) << "the Return of the operator answered the box";
  DoEvents();
  EXPECT_EQ(seen, QStringList{"search ja1aaa"});
}

// A window with no place stored (300 x 200 pixels) opens at the top left when that leaves the controls
// of the window it is opened from in sight; else beside that window, clear of them and of the others.
template <int N>
struct Unplaced : VbForm {
  Unplaced() { Move(0, 0, 4500, 3000), MoveToStoredPlace(std::nullopt, 0); }
};

TEST_F(Forms, AWindowWithNoPlaceStoredOpensClearOfItsOpenersControlsAndOfTheOthers) {
  StartWindow& w = ShownStartWindow();
  std::vector<QRect> taken{{w.Command1.mapToGlobal(QPoint()), w.Command1.size()},
                           {w.Text2.mapToGlobal(QPoint()), w.Text2.size()}};
  for (VbForm* f :
       std::initializer_list<VbForm*>{&Form<Unplaced<1>>(), &Form<Unplaced<2>>(), &Form<Unplaced<3>>()}) {
    Operator::Activate(w);
    f->Show();
    for (const QRect& r : taken) EXPECT_FALSE(f->frameGeometry().intersects(r));
    taken.push_back(f->frameGeometry());
  }
  // Opened from a window whose own place leaves its controls free: still clear of the start window's.
  Operator::Activate(Form<Unplaced<1>>());
  Form<Unplaced<4>>().Show();
  for (const QRect& r : {taken[0], taken[1]}) EXPECT_FALSE(Form<Unplaced<4>>().frameGeometry().intersects(r));
  w.Hide();
  Operator::Activate(Form<Unplaced<1>>());
  Form<Unplaced<5>>().Show();
  EXPECT_EQ(Form<Unplaced<5>>().pos(), QPoint(0, 0)) << "its own place covers no control";
}

TEST_F(Forms, GeometryIsInTwips) {
  StartWindow& w = Form<StartWindow>();
  w.Move(1500, 3000, 9000, 6000);
  EXPECT_EQ((std::vector{w.Left(), w.Top(), w.Width(), w.Height()}), (std::vector{1500, 3000, 9000, 6000}));
  w.Text2.Move(150, 300, 1500, 300);
  EXPECT_EQ(w.Text2.x(), 10);
  EXPECT_EQ(w.Text2.Width(), 1500);
}

}  // namespace
