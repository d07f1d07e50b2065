#include <QTest>

#include "core/SharedSettings.h"
#include "platform/profile.h"
#include "platform/ui/responders.h"
#include "start_window_fixture.h"
#include "support/qt_print.h"

namespace {

const QString kNotDeletable = QString::fromUtf8("これは削除できません");

class ModeListTest : public StartWindowTest {
 protected:
  ORBTOP* start(const QStringList& modes) {
    setUpOperator();
    set("ORB", "MODEC", QString::number(modes.size()));
    for (int i = 0; i < modes.size(); ++i) set("ORB", QString("MODE%1").arg(i + 1).toLatin1(), modes[i]);
    set("LASTCONDX", "SELMODE", "MIX");
    return load();
  }
  QStringList items(ORBTOP* top) {
    QStringList all;
    for (int i = 0; i < top->Combo1.ListCount(); ++i) all << top->Combo1.List(i);
    return all;
  }
  // Types into the list's edit field, as the operator does, and presses Enter.
  void type(ORBTOP* top, const QString& text) {
    top->Combo1.lineEdit()->clear();
    QTest::keyClicks(top->Combo1.lineEdit(), text);
    QTest::keyClick(top->Combo1.lineEdit(), Qt::Key_Return);
  }
};

}  // namespace

TEST_F(ModeListTest, TypedModesAreAddedAndStored) {
  MsgBoxResponder boxes;
  ORBTOP* top = start({"CW"});
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(items(top), QStringList({"MIX", "CW", "DIGITAL"}));

  type(top, "ft8");
  EXPECT_EQ(items(top), QStringList({"MIX", "CW", "FT8", "DIGITAL"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "2");
  EXPECT_EQ(stored("ORB", "MODE2"), "FT8");

  type(top, "sstv2");
  EXPECT_EQ(stored("ORB", "MODE3"), "SSTV") << "the fifth character is not typed";

  type(top, "a-b,");
  EXPECT_EQ(stored("ORB", "MODE4"), "AB") << "only letters and digits are typed";
  EXPECT_EQ(stored("ORB", "MODEC"), "4");
}

TEST_F(ModeListTest, ANamePutInOtherThanByTypingIsCheckedBeforeItIsStored) {
  MsgBoxResponder boxes;
  ORBTOP* top = start({});
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(items(top), QStringList({"MIX"}));
  top->Combo1.SetText("F,T8");
  boxes.Answer(vbOK);
  int enter = vbKeyReturn;
  top->Combo1_KeyPress(enter);
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains("F,T8"));
  top->Combo1.SetText("OLIVIA");
  boxes.Answer(vbOK);
  enter = vbKeyReturn;
  top->Combo1_KeyPress(enter);
  EXPECT_EQ(items(top), QStringList({"MIX"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "0");

  top->Combo1.SetText("FT8");
  enter = vbKeyReturn;
  top->Combo1_KeyPress(enter);
  EXPECT_EQ(items(top), QStringList({"MIX", "FT8", "DIGITAL"})) << "DIGITAL comes with the first mode";
}

TEST_F(ModeListTest, DeletingTheChosenModeRewritesTheList) {
  MsgBoxResponder boxes;
  ORBTOP* top = start({"CW", "SSB"});
  ASSERT_NE(top, nullptr);

  boxes.Answer(vbOK);
  type(top, "");
  EXPECT_EQ(boxes.texts(), QStringList({kNotDeletable}));
  EXPECT_EQ(top->Combo1.Text(), "MIX");

  top->Combo1.SetListIndex(1);
  EXPECT_EQ(top->Text6.text(), "CW");
  EXPECT_EQ(top->Check1.Value(), 0);
  type(top, "");
  EXPECT_EQ(items(top), QStringList({"MIX", "SSB", "DIGITAL"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "1");
  EXPECT_EQ(stored("ORB", "MODE1"), "SSB");
  EXPECT_EQ(top->Text6.text(), "CW") << "the deleted name stays until another is chosen";

  top->Combo1.SetListIndex(2);  // DIGITAL is not a stored mode
  boxes.Answer(vbOK);
  type(top, "");
  EXPECT_EQ(items(top), QStringList({"MIX", "SSB", "DIGITAL"}));

  top->Combo1.SetListIndex(1);
  type(top, "");
  EXPECT_EQ(items(top), QStringList({"MIX", "DIGITAL"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "0");
  boxes.Answer(vbOK);
  type(top, "");
  EXPECT_EQ(boxes.texts().last(), kNotDeletable);
}

TEST_F(ModeListTest, CollectionAddsEveryModeOfTheLogOnce) {
  MsgBoxResponder boxes;
  ORBTOP* top = start({"CW"});
  ASSERT_NE(top, nullptr);
  DeletePrivateProfileKey("LASTCONDX", "SELMODE", home.file("ORBEX5.INI"));
  boxes.Answer(vbOK);
  top->MODCH.Trigger();
  EXPECT_EQ(boxes.texts(), QStringList({QString::fromUtf8("モードの読み込み＆設定が完了しました。")}));
  // The log holds SSB, CW and FM, in this order.
  EXPECT_EQ(items(top), QStringList({"MIX", "CW", "SSB", "FM", "DIGITAL"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "3");
  EXPECT_EQ(stored("ORB", "MODE2"), "SSB");
  EXPECT_EQ(stored("ORB", "MODE3"), "FM");
  EXPECT_EQ(top->Text6.text(), "MIX") << "no stored reading mode";
  EXPECT_TRUE(top->Command1.isEnabled()) << "the reading state has ended";

  boxes.Answer(vbOK);
  top->MODCH.Trigger();
  EXPECT_EQ(stored("ORB", "MODEC"), "3") << "nothing new the second time";
}
