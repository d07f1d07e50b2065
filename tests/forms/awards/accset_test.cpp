// The mode-class settings window: what it shows, what closing it stores, and the confirmed-only switch.

#include "award_window_fixture.h"
#include "awards/AwardSheets.h"
#include "core/SettingsStore.h"
#include "forms/awards/ACCset.h"

namespace {

using ACCsetTest = AwardWindowTest;

TEST_F(ACCsetTest, DefaultsAreShownAndClosingWritesThem) {
  ACCset& w = Form<ACCset>();
  EXPECT_EQ(w.windowTitle(), "MODE設定");
  EXPECT_EQ(w.Text1.text(), "SSB,AM,FM");
  EXPECT_EQ(w.Text4.text(), "RTTY,RTY,PSK31,PSK");
  EXPECT_EQ(w.Check1.Value(), 1);
  w.CLSE.click();
  EXPECT_FALSE(IsLoaded<ACCset>());
  EXPECT_EQ(ReadIni("ACCCFG", "PHONE"), "SSB,AM,FM");
  EXPECT_EQ(ReadIni("ACCCFG", "FAX"), "FAX");
  EXPECT_EQ(ReadModeClassLists(), ModeClassLists{});
}

TEST_F(ACCsetTest, EditedListsRoundTripWithoutTheBlanksAround) {
  ACCset& w = Form<ACCset>();
  w.Text2.setText("  CW, CWR ");
  w.Text5.setText("FAX,HELL");
  w.CLSE.click();
  FlushDeletes();
  EXPECT_EQ(ReadIni("ACCCFG", "CW"), "CW, CWR");
  ModeClassLists expected;
  expected.CwModes = "CW, CWR";
  expected.FaxModes = "FAX,HELL";
  EXPECT_EQ(ReadModeClassLists(), expected);
  EXPECT_EQ(Form<ACCset>().Text2.text(), "CW, CWR");
}

TEST_F(ACCsetTest, TheLoggedModesAreListedForReference) {
  WriteIni("ORB", "MODEC", "3");
  WriteIni("ORB", "MODE1", "CW");
  WriteIni("ORB", "MODE3", "FT8");
  EXPECT_EQ(Form<ACCset>().Label2.text(), " CW, FT8,");
}

TEST_F(ACCsetTest, TheConfirmedOnlySwitchChangesAtOnce) {
  ACCset& w = Form<ACCset>();
  w.Check1.SetValue(0);
  EXPECT_EQ(AwardSheets.MemberWkdMode, 1);
  w.Unload();
  FlushDeletes();
  EXPECT_EQ(Form<ACCset>().Check1.Value(), 0);
  Form<ACCset>().Check1.SetValue(1);
  EXPECT_EQ(AwardSheets.MemberWkdMode, 0);
}

}  // namespace
