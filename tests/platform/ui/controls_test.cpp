#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QWheelEvent>

#include "platform/codepage.h"
#include "platform/ui/buttons.h"
#include "platform/ui/color.h"
#include "platform/ui/control_array.h"
#include "platform/ui/doevents.h"
#include "platform/ui/form.h"
#include "platform/ui/label.h"
#include "platform/ui/lists.h"
#include "platform/ui/menu.h"
#include "platform/ui/responders.h"
#include "platform/ui/statusbar.h"
#include "platform/ui/textbox.h"
#include "support/operator.h"
#include "support/waits.h"
#include "ui_test.h"

namespace {

class Sheet : public VbForm {
 public:
  Sheet() {
    Check1.Bind(&CheckBox::Click,
                [this](int i) { log << QString("check %1=%2").arg(i).arg(Check1[i].Value()); });
    Option1.Bind(&OptionButton::Click, [this](int i) { log << QString("option %1").arg(i); });
    Text2.Change = [this] { log << "change " + Text2.text(); };
    Text2.KeyPress = [](int& k) {
      if (k >= 'a' && k <= 'z') k -= 32;
      if (k == '*') k = 0;
    };
    Text2.KeyDown = [this](int& code, int shift) {
      log << QString("down %1 %2").arg(code).arg(shift);
      if (code == vbKeyF12) code = 0;
    };
    Text2.KeyUp = [this](int& code, int) { log << QString("up %1").arg(code); };
    RTNMN.Click = [this] { log << "return"; };
    CCTY.Click = [this] { log << "city"; };
    StatusBar1.PanelClick = [this](int p) { log << QString("panel %1").arg(p); };
    Combo1.Click = [this] { log << QString("combo %1").arg(Combo1.ListIndex()); };
    Combo1.Change = [this] { log << "combo text " + Combo1.Text(); };
    Combo1.KeyPress = [this](int& k) {
      if (k == vbKeyReturn) log << "combo enter " + Combo1.Text();
      if (k >= 'a' && k <= 'z') k -= 32;
      if (k == ',') k = 0;
    };
    List1.Click = [this] { log << QString("list %1").arg(List1.ListIndex()); };
    Label4.Click = [this] { log << "label"; };
    Text2.Move(0, 0, 3000, 300);
    Text3.Move(0, 400, 3000, 300);
    List1.Move(0, 800, 3000, 1500);
  }
  void Form_KeyDown(int& code, int shift) override {
    log << QString("form down %1 %2").arg(code).arg(shift);
    if (code == vbKeyEscape) code = 0;
  }
  void Form_KeyPress(int& k) override {
    if (k == '#') k = 0;
  }
  void Form_MouseWheel(int delta, int shift) override { log << QString("wheel %1 %2").arg(delta).arg(shift); }

  QStringList log;
  TextBox Text2{this};
  TextBox Text3{this};
  ControlArray<CheckBox> Check1{this, 0, 22};
  ControlArray<OptionButton> Option1{this, 0, 1};
  ComboBox Combo1{this};
  ListBox List1{this};
  Label Label4{this, "Time(F3)"};
  Menu MENU{this, "Menu(&M)"};
  Menu RTNMN{&MENU, "起動画面に戻る(&B)"};
  Menu sep1{&MENU, "-"};
  Menu HYOJI{this, "表示項目変更"};
  Menu JCCG{this, "市郡区"};
  Menu CCTY{&JCCG, "市"};
  Menu CGUN{&JCCG, "郡"};
  StatusBar StatusBar1{this, 5};
  Menu DAREA1{&JCCG, "１"};
  ControlArray<Menu> JA1Kenbetsu{&DAREA1, 0, 2};
};

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    w = &Form<Sheet>();
    w->KeyPreview = true;
    w->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w, kEventCapMs));
    w->Text2.setFocus();
    w->log.clear();
  }
  void TearDown() override {
    UnloadAllForms();
    FlushDeletes();
  }
  Sheet* w = nullptr;
};

TEST_F(Controls, TypingRunsKeyDownKeyPressChangeKeyUpAndTheFilterRewritesOrSwallows) {
  QTest::keyClick(&w->Text2, Qt::Key_A);
  EXPECT_EQ(w->log, QStringList({"form down 65 0", "down 65 0", "change A", "up 65"}));
  QTest::keyClicks(&w->Text2, "b*1#");
  EXPECT_EQ(w->Text2.text(), "AB1");
  w->log.clear();
  QTest::keyClick(&w->Text2, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&w->Text2, Qt::Key_F12);
  EXPECT_EQ(w->log, QStringList({"form down 16 1", "down 16 1", "form down 40 1", "down 40 1", "up 40",
                                 "up 16", "form down 123 0", "down 123 0", "up 123"}));
  w->log.clear();
  // The window sees keys first and can swallow them before the control.
  QTest::keyClick(&w->Text2, Qt::Key_Escape);
  EXPECT_EQ(w->log, QStringList({"form down 27 0", "up 27"}));
  w->KeyPreview = false;
  w->log.clear();
  QTest::keyClick(&w->Text2, Qt::Key_Escape);
  EXPECT_EQ(w->log, QStringList({"down 27 0", "up 27"}));
  // A key whose press went elsewhere (a message box that closed on it) is let go here: not its key.
  w->log.clear();
  Operator::Release(Qt::Key_Return);
  EXPECT_EQ(w->log, QStringList());
}

TEST_F(Controls, TextFromTheInputMethodPassesTheSameFilter) {
  w->Text2.KeyPress = [](int& k) {
    if (k == AscAnsi(QString::fromUtf8("ａ"))) k = 'A';  // a full-width letter rewritten
    if (k == AscAnsi(QString::fromUtf8("＊"))) k = 0;    // swallowed
  };
  QInputMethodEvent commit;
  commit.setCommitString(QString::fromUtf8("東ａ＊京"));
  QCoreApplication::sendEvent(&w->Text2, &commit);
  EXPECT_EQ(w->Text2.text(), QString::fromUtf8("東A京"));
  QInputMethodEvent hash;
  hash.setCommitString("#x");  // the window's own filter drops "#"
  QCoreApplication::sendEvent(&w->Text2, &hash);
  EXPECT_EQ(w->Text2.text(), QString::fromUtf8("東A京x"));
}

TEST_F(Controls, OverwriteByTakingTheCharacterAtTheCaret) {
  w->Text3.setText("2024-01-02");
  w->Text3.KeyPress = [this](int& k) {
    if (k != 8) w->Text3.TypeOver();
  };
  Operator::ClickCaret(w->Text3, 5);
  Operator::Type("05");
  EXPECT_EQ(w->Text3.text(), "2024-05-02");
  EXPECT_EQ(w->Text3.SelStart(), 7);
  // A selection, the program's or the operator's, goes whole with the first character typed over it.
  w->Text3.setText("599");
  Operator::Type("55");
  EXPECT_EQ(w->Text3.text(), "55");
  w->Text3.setText("JA2MOUJA3AB");
  Operator::DoubleClick(w->Text3);
  Operator::Type("JA3AB");
  EXPECT_EQ(w->Text3.text(), "JA3AB");
}

TEST_F(Controls, ValuesSetInCodeRunTheHandlersWhenTheyReallyChange) {
  w->Text2.setText("1001");
  w->Text2.setText("1001");
  w->Check1[3].SetValue(1);
  w->Check1[3].SetValue(1);
  w->Check1[3].SetValue(0);
  QTest::mouseClick(&w->Check1[4], Qt::LeftButton);
  EXPECT_EQ(w->log, QStringList({"change 1001", "check 3=1", "check 3=0", "check 4=1"}));
}

TEST_F(Controls, SelectingAnOptionInCodeRunsItsClickEvenWhenSelected) {
  w->Option1[1].SetValue(true);
  w->Option1[1].SetValue(true);
  w->Option1[0].SetValue(true);
  EXPECT_FALSE(w->Option1[1].Value());
  QTest::mouseClick(&w->Option1[0], Qt::LeftButton);
  EXPECT_EQ(w->log, QStringList({"option 1", "option 1", "option 0", "option 0"}));
  w->Option1[0].SetValue(false);
  EXPECT_FALSE(w->Option1[0].Value());
  EXPECT_FALSE(w->Option1[1].Value());
}

TEST_F(Controls, ArraysLoadElementsLaterWithTheirHandlers) {
  EXPECT_EQ(w->Check1.LBound(), 0);
  EXPECT_EQ(w->Check1.UBound(), 22);
  w->Check1.Load(30).SetValue(1);
  EXPECT_EQ(w->Check1[30].Index(), 30);
  EXPECT_FALSE(w->Check1.Exists(25));
  w->Check1.Unload(30);
  EXPECT_FALSE(w->Check1.Exists(30));
  EXPECT_EQ(w->log, QStringList({"check 30=1"}));
}

TEST_F(Controls, KeysTypedIntoAComboFieldGoThroughItsKeyPressOnce) {
  QTest::keyClicks(w->Combo1.lineEdit(), "f,t8");
  QTest::keyClick(w->Combo1.lineEdit(), Qt::Key_Return);
  EXPECT_EQ(w->Combo1.Text(), "FT8");
  EXPECT_EQ(w->log.filter("combo enter"), QStringList({"combo enter FT8"}));
  EXPECT_EQ(w->log.filter("form down 13"), QStringList({"form down 13 0"})) << "the window's preview once too";
  QInputMethodEvent commit;
  commit.setCommitString("a,b");
  QCoreApplication::sendEvent(w->Combo1.lineEdit(), &commit);
  EXPECT_EQ(w->Combo1.Text(), "FT8AB");
}

TEST_F(Controls, ComboAndListChangesByCodeAndByTheOperator) {
  w->Combo1.SetText("MIX");
  w->Combo1.AddItem("CW");
  w->Combo1.AddItem("SSB");
  EXPECT_EQ(w->Combo1.ListIndex(), -1);
  EXPECT_EQ(w->Combo1.Text(), "MIX");
  w->Combo1.SetListIndex(1);
  EXPECT_EQ(w->Combo1.Text(), "SSB");
  w->Combo1.Clear();
  w->List1.AddItem("JA1ABC");
  w->List1.AddItem("JA2XYZ");
  w->List1.SetListIndex(1);
  EXPECT_EQ(w->List1.Text(), "JA2XYZ");
  const QRect r = w->List1.visualItemRect(w->List1.item(1));
  QTest::mouseClick(w->List1.viewport(), Qt::LeftButton, {}, r.center());  // the current one again
  w->List1.RemoveItem(0);
  w->List1.Clear();
  EXPECT_EQ(w->log, QStringList({"combo text MIX", "combo 1", "list 1", "list 1"}));
  w->List1.SetMultiSelect(2);
  for (const char* c : {"a", "b", "c"}) w->List1.AddItem(c);
  w->List1.SetSelected(0, true);
  w->List1.SetSelected(2, true);
  EXPECT_EQ(w->List1.SelCount(), 2);
  EXPECT_TRUE(w->List1.Selected(2));
  EXPECT_FALSE(w->List1.Selected(1));
}

TEST_F(Controls, MenusPopUpsStatusPanelsAndLabels) {
  w->RTNMN.Trigger();
  w->RTNMN.SetEnabled(false);
  w->RTNMN.Trigger();
  w->RTNMN.SetChecked(true);
  EXPECT_TRUE(w->RTNMN.Checked());
  w->JCCG.SetVisible(false);  // a hidden menu can still pop up
  {
    PopupMenuResponder popup;
    popup.Pick("市").Dismiss();
    PopupMenu(w->JCCG);
    PopupMenu(w->JCCG);
    EXPECT_EQ(popup.shown(), QStringList({"市郡区", "市郡区"}));
  }
  w->StatusBar1.SetPanelText(3, "7.025");
  EXPECT_EQ(w->StatusBar1.PanelText(3), "7.025");
  EXPECT_EQ(w->StatusBar1.PanelText(9), "");
  QTest::mouseClick(w->StatusBar1.widget()->findChildren<QLabel*>().at(1), Qt::LeftButton);
  QTest::mouseClick(&w->Label4, Qt::LeftButton);
  EXPECT_EQ(w->log, QStringList({"return", "city", "panel 2", "label"}));
}

TEST_F(Controls, AMenuBarCommandRunsOnOneClickAndASeparatorIsALine) {
  w->HYOJI.Click = [this] { w->log << "hyoji"; };
  QMenuBar& bar = *w->menuBar();
  Operator::Click(bar, bar.actionGeometry(w->HYOJI.action()).center());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no empty pop-up left open";
  Operator::Click(w->Text3);
  EXPECT_EQ(Operator::Focus(), &w->Text3) << "the next click is not spent closing it";
  EXPECT_EQ(w->log, QStringList{"hyoji"});
  for (QAction* a : w->MENU.submenu()->actions()) EXPECT_TRUE(!a->isSeparator() || a->text().isEmpty());
}

TEST_F(Controls, MenuArraysAndFocusAndTheWheel) {
  const char* captions[] = {"JA1全て", "東京都", "神奈川県"};
  for (int i = 0; i <= 2; ++i) w->JA1Kenbetsu[i].SetCaption(QString::fromUtf8(captions[i]));
  w->JA1Kenbetsu.Bind(&Menu::Click, [this](int i) {
    w->log << QString("pref %1 %2").arg(i).arg(w->JA1Kenbetsu[i].Caption());
  });
  w->JA1Kenbetsu[1].Trigger();
  w->JA1Kenbetsu.Load(3).SetCaption("千葉県");
  w->JA1Kenbetsu[3].Trigger();
  EXPECT_EQ(w->DAREA1.submenu()->actions().size(), 4);
  w->Text2.LostFocus = [this] { w->log << "lost 2"; };
  w->Text3.GotFocus = [this] { w->log << "got 3"; };
  w->Text3.setFocus();
  QWheelEvent wheel(QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::ShiftModifier, Qt::NoScrollPhase, false);
  // (The desktop's wheel events travel from a label up to its window; a test's go to the window.)
  QCoreApplication::sendEvent(w, &wheel);
  EXPECT_EQ(w->log, QStringList({QString::fromUtf8("pref 1 東京都"), QString::fromUtf8("pref 3 千葉県"),
                                 "lost 2", "got 3", "wheel -120 1"}));
}

// A message box over the window (asked whether to close, say) takes the keyboard for a while; the box
// that had it neither loses nor gets it again, so its own check does not come up over the question.
TEST_F(Controls, AMessageBoxOverTheWindowIsNoFocusChangeOfItsControls) {
  w->Text2.LostFocus = [this] { w->log << "lost 2"; };
  w->Text2.GotFocus = [this] { w->log << "got 2"; };
  QMessageBox box(QMessageBox::Question, "ORBEX5", "?", QMessageBox::Yes, w);
  box.show();
  Operator::Activate(box);
  box.close();
  Operator::Activate(*w);
  EXPECT_EQ(Operator::Focus(), &w->Text2);
  Operator::Key(Qt::Key_Tab);
  EXPECT_EQ(w->log, QStringList{"lost 2"});
}

TEST(ControlLook, ColoursAreVbValues) {
  TextBox t(nullptr);
  SetBackColor(t, 0xC0FFC0);
  EXPECT_EQ(BackColor(t), 0xC0FFC0);
  const QColor orange = VbColor(0x80C0FF);
  EXPECT_EQ(orange, QColor(0xFF, 0xC0, 0x80));
  CommandButton b(nullptr);
  SetBackColor(b, 0xE0E0E0);
  EXPECT_EQ(b.palette().color(QPalette::Button), QColor(0xE0, 0xE0, 0xE0));
  Label l(nullptr);
  SetForeColor(l, vbRed);
  EXPECT_EQ(l.palette().color(QPalette::WindowText), Qt::red);
  EXPECT_EQ(VbColor(vbButtonFace), QApplication::palette().color(QPalette::Button));
}

TEST(ControlLook, KeyCodesAreVirtualKeys) {
  EXPECT_EQ(VbKeyCode(QKeyEvent(QEvent::KeyPress, Qt::Key_Return, {})), 13);
  EXPECT_EQ(VbKeyCode(QKeyEvent(QEvent::KeyPress, Qt::Key_PageDown, {})), 34);
  EXPECT_EQ(VbKeyCode(QKeyEvent(QEvent::KeyPress, Qt::Key_F12, {})), 123);
  EXPECT_EQ(VbKeyCode(QKeyEvent(QEvent::KeyPress, Qt::Key_5, Qt::KeypadModifier)), 101);
  EXPECT_EQ(VbKeyCode(QKeyEvent(QEvent::KeyPress, Qt::Key_Minus, {})), 189);
  EXPECT_EQ(VbShift(Qt::ControlModifier | Qt::AltModifier), 6);
  EXPECT_EQ(QtKeyOf(44), Qt::Key_Print);
  EXPECT_EQ(QtKeyOf(80), Qt::Key_P);
}

// A double click's job runs as its second click lands: it waits for no third click. A double click made
// while a wait holds the window runs it when the wait hands the clicks on, never inside the wait.
TEST_F(Controls, ADoubleClicksJobRunsAsItLandsAndNeverInsideAWait) {
  int ran = 0;
  bool ranInsideWait = false;
  w->Text3.DblClick = [&] {
    ++ran;
    ranInsideWait = ranInsideWait || WaitHoldsInput();
  };
  Operator::DoubleClick(w->Text3);
  EXPECT_EQ(ran, 1);
  {
    const InputHold hold;
    Operator::DoubleClick(w->Text3);
  }
  QCoreApplication::sendPostedEvents();  // the held clicks handed on, and no timer run
  EXPECT_EQ(ran, 2) << "the job waited after the second click";
  EXPECT_FALSE(ranInsideWait) << "the double click's job ran inside the wait, input held";
}

}  // namespace
