#include <QDir>
#include <QFile>
#include <QTest>

#include "app/StartProgram.h"

#include "core/SharedSettings.h"
#include "forms/startup/ORBEX_CFG.h"
#include "platform/profile.h"
#include "platform/ui/responders.h"
#include "start_window_fixture.h"
#include "support/operator.h"
#include "support/qt_print.h"

namespace {

const QString kNotDeletable = QString::fromUtf8("これは削除できません");

class ModeListTest : public StartWindowTest {
 protected:
  // The start window, shown, of an operator whose stored modes are `modes`.
  void start(const QStringList& modes) {
    setUpOperator();
    set("ORB", "MODEC", QString::number(modes.size()));
    for (int i = 0; i < modes.size(); ++i) set("ORB", QString("MODE%1").arg(i + 1).toLatin1(), modes[i]);
    set("LASTCONDX", "SELMODE", "MIX");
    top = load();
    ASSERT_NE(top, nullptr);
    top->Show();
  }
  QStringList items() {
    QStringList all;
    for (int i = 0; i < top->Combo1.ListCount(); ++i) all << top->Combo1.List(i);
    return all;
  }
  // Types into the list's edit field, as the operator does (its text rubbed out first), and Enter.
  void type(const QString& text) {
    Operator::Click(*top->Combo1.lineEdit());
    Operator::Key(Qt::Key_End);
    for (qsizetype n = top->Combo1.Text().size(); n > 0; --n) Operator::Key(Qt::Key_Backspace);
    Operator::Type(text);
    Operator::Key(Qt::Key_Return);
  }
  // The start window of the next start, built from the settings file alone.
  ORBTOP* restart() {
    UnloadAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ReleaseProgramLock();
    return load();
  }
  // What the settings dialog offers for the DIGITAL group.
  QStringList digitalChoices() {
    load()->SETCFG.Trigger();
    ORBEX_CFG* cfg = LoadedForm<ORBEX_CFG>();
    if (!cfg) return {};
    cfg->Command3.click();
    QStringList offered;
    for (int i = 0; i < cfg->List1.ListCount(); ++i) offered << cfg->List1.List(i);
    cfg->Command9.click();
    return offered;
  }
  ORBTOP* top = nullptr;
};

}  // namespace

TEST_F(ModeListTest, TypedModesAreAddedAndStored) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(start({"CW"}));
  EXPECT_EQ(items(), QStringList({"MIX", "CW", "DIGITAL"}));

  type("ft8");
  EXPECT_EQ(items(), QStringList({"MIX", "CW", "FT8", "DIGITAL"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "2");
  EXPECT_EQ(stored("ORB", "MODE2"), "FT8");

  type("sstv2");
  EXPECT_EQ(stored("ORB", "MODE3"), "SSTV") << "the fifth character is not typed";

  type("a-b,");
  EXPECT_EQ(stored("ORB", "MODE4"), "AB") << "only letters and digits are typed";
  EXPECT_EQ(stored("ORB", "MODEC"), "4");
}

TEST_F(ModeListTest, TypingAModeOpeningTheListOrLeavingItChoosesNone) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(start({"CW"}));
  type("ft8");  // added, not chosen
  Operator::Key(Qt::Key_Tab);
  EXPECT_EQ(top->Text6.text(), "MIX");
  Operator::Click(*top->Combo1.lineEdit());
  for (int i = 0; i < 3; ++i) Operator::Key(Qt::Key_Backspace);
  Operator::Type("cw");
  Operator::Drop(top->Combo1);
  Operator::Key(Qt::Key_Escape);
  Operator::Key(Qt::Key_Tab);
  EXPECT_EQ(top->Text6.text(), "MIX") << "the reading mode is what was picked";
  Operator::Pick(top->Combo1, 1);
  EXPECT_EQ(top->Text6.text(), "CW");
}

TEST_F(ModeListTest, ANamePutInOtherThanByTypingIsCheckedBeforeItIsStored) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(start({}));
  EXPECT_EQ(items(), QStringList({"MIX"}));
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
  EXPECT_EQ(items(), QStringList({"MIX"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "0");

  top->Combo1.SetText("FT8");
  enter = vbKeyReturn;
  top->Combo1_KeyPress(enter);
  EXPECT_EQ(items(), QStringList({"MIX", "FT8", "DIGITAL"})) << "DIGITAL comes with the first mode";
  Operator::Click(*top->Combo1.lineEdit());
  Operator::Paste("/FM");  // the character that cannot be used is named, whatever the length
  boxes.Answer(vbOK);
  Operator::Key(Qt::Key_Return);
  EXPECT_TRUE(
      boxes.texts().last().startsWith("モード名に「/」は使えません（使えるのは英字と数字だけです）\r\n「"));
}

TEST_F(ModeListTest, DeletingTheChosenModeRewritesTheList) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(start({"CW", "SSB"}));

  boxes.Answer(vbOK);
  type("");
  EXPECT_EQ(boxes.texts(), QStringList({kNotDeletable}));
  EXPECT_EQ(top->Combo1.Text(), "MIX");

  Operator::Pick(top->Combo1, 1);
  EXPECT_EQ(top->Text6.text(), "CW");
  EXPECT_EQ(top->Check1.Value(), 0);
  type("");
  EXPECT_EQ(items(), QStringList({"MIX", "SSB", "DIGITAL"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "1");
  EXPECT_EQ(stored("ORB", "MODE1"), "SSB");
  EXPECT_EQ(top->Text6.text(), "CW") << "the deleted name stays until another is chosen";

  Operator::Pick(top->Combo1, 2);  // DIGITAL is not a stored mode
  boxes.Answer(vbOK);
  type("");
  EXPECT_EQ(items(), QStringList({"MIX", "SSB", "DIGITAL"}));

  Operator::Pick(top->Combo1, 1);
  type("");
  EXPECT_EQ(items(), QStringList({"MIX", "DIGITAL"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "0");
  boxes.Answer(vbOK);
  type("");
  EXPECT_EQ(boxes.texts().last(), kNotDeletable);
}

TEST_F(ModeListTest, CollectionAddsEveryModeOfTheLogOnce) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(start({"CW"}));
  DeletePrivateProfileKey("LASTCONDX", "SELMODE", home.file("ORBEX5.INI"));
  boxes.Answer(vbOK);
  top->MODCH.Trigger();
  EXPECT_EQ(boxes.texts(), QStringList({QString::fromUtf8("モードの読み込み＆設定が完了しました。")}));
  // The log holds SSB, CW and FM, in this order.
  EXPECT_EQ(items(), QStringList({"MIX", "CW", "SSB", "FM", "DIGITAL"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "3");
  EXPECT_EQ(stored("ORB", "MODE2"), "SSB");
  EXPECT_EQ(stored("ORB", "MODE3"), "FM");
  EXPECT_EQ(top->Text6.text(), "MIX") << "no stored reading mode";
  EXPECT_TRUE(top->Command1.isEnabled()) << "the reading state has ended";

  boxes.Answer(vbOK);
  top->MODCH.Trigger();
  EXPECT_EQ(stored("ORB", "MODEC"), "3") << "nothing new the second time";
}

TEST_F(ModeListTest, AddsDeletesAndTheCollectionComeBackAtTheNextStart) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(start({"CW"}));
  boxes.Answer(vbOK);
  top->MODCH.Trigger();  // SSB and FM from the log
  type("ft8");
  Operator::Pick(top->Combo1, 1);
  type("");  // CW goes
  EXPECT_EQ(items(), QStringList({"MIX", "SSB", "FM", "FT8", "DIGITAL"}));

  top = restart();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(items(), QStringList({"MIX", "SSB", "FM", "FT8", "DIGITAL"}));
  EXPECT_EQ(stored("ORB", "MODEC"), "3");
  EXPECT_EQ(stored("ORB", "MODE4"), "FT8") << "a key past the count is left, and not read";
}

TEST_F(ModeListTest, TheModeCountStaysACountWhateverIsChosen) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(start({"CW", "SSB", "FT8"}));
  Operator::Pick(top->Combo1, 1);
  EXPECT_EQ(Settings.ModeCount, "3");
  EXPECT_EQ(digitalChoices(), QStringList({"MIX", "CW", "SSB", "FT8"})) << "every stored mode after a choice";

  Operator::Pick(top->Combo1, 2);
  type("");
  EXPECT_EQ(stored("ORB", "MODEC"), "2") << "a delete stores the count as an add does";
  EXPECT_EQ(digitalChoices(), QStringList({"MIX", "CW", "FT8"}));
  type("rtty");
  EXPECT_EQ(digitalChoices(), QStringList({"MIX", "CW", "FT8", "RTTY"}));
  EXPECT_EQ(items(), QStringList({"MIX", "CW", "FT8", "RTTY", "DIGITAL"}));
}

TEST_F(ModeListTest, ASettingsFileThatTakesNoWriteIsTold) {
  MsgBoxResponder boxes;
  ASSERT_NO_FATAL_FAILURE(start({"CW"}));
  QFile::remove(home.file("ORBEX5.INI"));
  QDir().mkpath(home.file("ORBEX5.INI"));
  boxes.Answer(vbOK);
  type("ft8");
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].contains(QString::fromUtf8("書き込めませんでした")));
  EXPECT_EQ(items(), QStringList({"MIX", "CW", "FT8", "DIGITAL"})) << "in force for this run";
}
