#include <gtest/gtest.h>

#include <QTest>

#include "platform/ui/buttons.h"
#include "platform/ui/form.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/responders.h"
#include "platform/ui/textbox.h"
#include "ui_test.h"

namespace {

class Question : public VbForm {
 public:
  Question() {
    Command1.Click = [this] {
      Text1.setText("asking");
      answer = MsgBox("記帳しますか？", vbYesNoCancel + vbQuestion, "集計（累積）表の作成");
      Text1.setText(answer == vbYes ? "yes" : "other");
    };
  }
  CommandButton Command1{this, "記帳"};
  TextBox Text1{this};
  int answer = 0;
};

TEST(Boxes, AModalBoxInsideAHandlerIsAnsweredAndTheHandlerGoesOn) {
  Question& w = Form<Question>();
  w.Show();
  MsgBoxResponder boxes;
  boxes.Answer(vbYes);
  boxes.OnShow = [&](const MsgBoxCall&) { EXPECT_EQ(w.Text1.text(), "asking"); };
  QTest::mouseClick(&w.Command1, Qt::LeftButton);
  EXPECT_EQ(w.Text1.text(), "yes");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].title, QString::fromUtf8("集計（累積）表の作成"));
  EXPECT_EQ(boxes.shown()[0].style, vbYesNoCancel | vbQuestion);
  UnloadForm<Question>();
  FlushDeletes();
}

TEST(Boxes, TitleDefaultsToTheProgramsAndAnswersAreVbCodes) {
  MsgBoxResponder boxes;
  boxes.Answer(vbOK).Answer(vbNo).Answer(vbCancel);
  EXPECT_EQ(MsgBox("HAMLOGデータがOpen出来ません。"), vbOK);
  EXPECT_EQ(MsgBox("q", vbYesNo + vbExclamation), vbNo);
  EXPECT_EQ(MsgBox("q", vbOKCancel + vbCritical + vbSystemModal, ""), vbCancel);
  EXPECT_EQ(boxes.shown()[0].title, "ORBEX5");
  EXPECT_EQ(boxes.shown()[2].title, "ORBEX5");
  EXPECT_EQ(boxes.shown()[2].style & vbSystemModal, vbSystemModal);
  EXPECT_EQ(vbOKOnly + vbOKCancel + vbYesNoCancel + vbYesNo, 8);
  EXPECT_EQ(vbYes + vbNo + vbOK + vbCancel, 16);
}

TEST(Boxes, APlacedBoxIsOnlyTheNextOne) {
  MsgBoxResponder boxes;
  boxes.Answer(vbOK).Answer(vbOK);
  MsgBoxPosHook(100, 200);
  MsgBoxTimeout("JA1ZZZ の該当データがありません", "無線局検索", 3);  // closes itself, no answer needed
  MsgBox("second");
  MsgBox("third");
  ASSERT_EQ(boxes.shown().size(), 3u);
  EXPECT_EQ(boxes.shown()[0].position, QPoint(100, 200));
  EXPECT_EQ(boxes.shown()[0].kind, MsgBoxCall::Timed);
  EXPECT_EQ(boxes.shown()[0].timeoutSeconds, 3);
  EXPECT_EQ(boxes.shown()[0].title, QString::fromUtf8("無線局検索"));
  EXPECT_FALSE(boxes.shown()[1].position.has_value());
  EXPECT_FALSE(boxes.shown()[2].position.has_value());
}

TEST(Boxes, TheCentreOfAWindowPlacesTheNextBox) {
  Question& w = Form<Question>();
  w.setGeometry(100, 50, 400, 300);
  SetMsgBoxCentre(w);
  const QRect r = w.frameGeometry();
  EXPECT_EQ(MsgBoxCentre.x, r.left() + r.width() / 2);
  EXPECT_EQ(MsgBoxCentre.y, r.top() + r.height() / 2);
  UnloadForm<Question>();
  FlushDeletes();
}

TEST(Boxes, InputBoxGivesTheTextOrNothingOnCancel) {
  MsgBoxResponder boxes;
  boxes.Type("Q").Type("");
  EXPECT_EQ(InputBox("QSL発行済みマークを指定して下さい", "QSL発行済みマークの指定", "*"), "Q");
  EXPECT_EQ(InputBox("指定された交信番号に移動します", "Jump先の指定"), "");
  EXPECT_EQ(boxes.shown()[0].defaultText, "*");
  EXPECT_EQ(boxes.shown()[1].kind, MsgBoxCall::Input);
}

TEST(Boxes, ABoxWithoutAnAnswerFailsAtOnce) {
  CapturedUiFailures failures;
  {
    MsgBoxResponder boxes;
    boxes.Type("x").Answer(vbYes);
    EXPECT_EQ(MsgBox("wrong kind", vbYesNo), vbOK);  // the next reply is for an input box
    EXPECT_EQ(InputBox("p"), "x");
    MsgBox("not a button", vbOKOnly);  // vbYes is not offered
  }
  EXPECT_EQ(MsgBox("nobody there", vbOKCancel), vbCancel);
  ASSERT_EQ(failures.messages.size(), 3);
  EXPECT_TRUE(failures.messages[0].contains("no answer queued"));
  EXPECT_TRUE(failures.messages[1].contains("not a button"));
  EXPECT_TRUE(failures.messages[2].contains("no responder"));
  {
    MsgBoxResponder boxes;
    boxes.Answer(vbOK);  // never used
  }
  EXPECT_EQ(failures.messages.size(), 4);
}

}  // namespace
