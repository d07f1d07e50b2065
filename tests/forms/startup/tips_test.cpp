#include <gtest/gtest.h>

#include <QTest>

#include "core/SharedSettings.h"
#include "forms/startup/OrbexTips.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "platform/ui/form.h"
#include "platform/ui/testhooks.h"
#include "support/qt_print.h"
#include "support/temp_home.h"

namespace {

class TipsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUiFailureReporter([](const QString& m) { ADD_FAILURE() << m.toStdString(); });
    StartFlags = {};
    home.write("ORBEX_TopTips.TXT", ToAnsi("一つ目\r\n二つ目\r\n三つ目\r\n"));
  }
  void TearDown() override {
    UnloadAllForms();
    SetUiFailureReporter({});
  }
  // Opens the tips as the start window does: at start-up (0) or from its menu (1).
  OrbexTips* open(int32_t onRequest, int32_t mode = 1, const QString& file = "ORBEX_TopTips.TXT") {
    StartFlags.TipsMode = mode;
    StartFlags.TipsOnRequest = onRequest;
    StartFlags.TipsPath = file;
    Form<OrbexTips>();
    return LoadedForm<OrbexTips>();
  }
  void set(const char* key, const QString& value) {
    WritePrivateProfileString("ORB", key, value, home.file("ORBEX5.INI"));
  }
  QString stored(const char* key) const {
    return GetPrivateProfileString("ORB", key, "<missing>", home.file("ORBEX5.INI"));
  }
  TempHome home;
};

}  // namespace

TEST_F(TipsTest, StepsThroughTheTipsRoundTheEnds) {
  OrbexTips* tips = open(0);
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(tips->windowTitle(), "ORBEX ﾜﾝﾎﾟｲﾝﾄ ｱﾄﾞﾊﾞｲｽ");
  EXPECT_EQ(tips->Label2.text(), "1");
  EXPECT_EQ(tips->Label4.text(), "3");
  EXPECT_EQ(tips->lblTipText.text(), "一つ目");
  QStringList seen;
  for (int i = 0; i < 3; ++i) {
    QTest::mouseClick(&tips->cmdNextTip, Qt::LeftButton);
    seen << tips->Label2.text() + ":" + tips->lblTipText.text();
  }
  EXPECT_EQ(seen, QStringList({"2:二つ目", "3:三つ目", "1:一つ目"}));
  QTest::mouseClick(&tips->Command1, Qt::LeftButton);
  EXPECT_EQ(tips->lblTipText.text(), "三つ目");
  EXPECT_EQ(tips->Label2.text(), "3");
  QTest::mouseClick(&tips->cmdOK, Qt::LeftButton);
  EXPECT_FALSE(IsLoaded<OrbexTips>());
}

TEST_F(TipsTest, StartUpObeysTheSwitch) {
  set("TopTips_DISP", "NO");
  EXPECT_EQ(open(0), nullptr);
  for (const char* on : {"YES", "no"}) {
    set("TopTips_DISP", on);
    EXPECT_NE(open(0), nullptr) << on;
    UnloadAllForms();
  }
  set("TopTips_DISP", "NO");
  EXPECT_NE(open(1), nullptr) << "asked for from the menu";
}

TEST_F(TipsTest, MenuOpeningShowsTheSwitchAsStored) {
  OrbexTips* tips = open(1);
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(tips->chkLoadTipsAtStartup.Value(), 0);
  EXPECT_EQ(stored("TopTips_DISP"), "NO") << "a missing switch is written as off";
  UnloadAllForms();
  set("TopTips_DISP", "YES");
  EXPECT_EQ(open(1)->chkLoadTipsAtStartup.Value(), 1);
}

TEST_F(TipsTest, SheetTipsHaveTheirOwnSwitch) {
  home.write("ORBEX_Tips.TXT", "one\r\n");
  OrbexTips* tips = open(1, 2, "ORBEX_Tips.TXT");
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(stored("Tips_DISP"), "NO");
  tips->chkLoadTipsAtStartup.SetValue(1);
  EXPECT_EQ(stored("Tips_DISP"), "YES");
  EXPECT_EQ(stored("TopTips_DISP"), "<missing>");
}

TEST_F(TipsTest, EmptyAndMissingFiles) {
  home.write("empty.txt", "");
  OrbexTips* tips = open(0, 1, "empty.txt");
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(tips->Label2.text(), "1");
  EXPECT_EQ(tips->Label4.text(), "0");
  QTest::mouseClick(&tips->Command1, Qt::LeftButton);
  EXPECT_TRUE(tips->lblTipText.text().isEmpty());
  UnloadAllForms();
  EXPECT_EQ(open(0, 1, "gone.txt"), nullptr);
  EXPECT_EQ(open(0, 1, ""), nullptr);
}
