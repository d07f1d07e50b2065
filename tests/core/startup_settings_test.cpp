#include <gtest/gtest.h>

#include <QDir>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/SharedSettings.h"
#include "core/StartupSettings.h"
#include "platform/codepage.h"
#include "platform/profile.h"
#include "support/qt_print.h"
#include "support/shared_state.h"
#include "support/temp_home.h"

namespace {

class StartupSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSharedState(); }
  QString ini() const { return home.file("ORBEX5.INI"); }
  void set(const char* section, const char* key, const QString& value) {
    WritePrivateProfileString(section, key, value, ini());
  }
  void set(std::initializer_list<std::tuple<const char*, const char*, const char*>> entries) {
    for (const auto& [section, key, value] : entries) set(section, key, value);
  }
  void set(const char* section, std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const auto& [key, value] : values) set(section, key, value);
  }
  QString stored(const char* section, const char* key) const {
    return GetPrivateProfileString(section, key, "<missing>", ini());
  }
  // A set-up that gets past the HAMLOG program check.
  void setUpHamlog() {
    set("ORB", "MYCALL", "JA1ZZZ");
    set("ORB", "HAMLOGexePOS", "C:\\Hamlog\\Hamlogw.exe");
    set("ORB", "HAMLOGPOS", "C:\\Hamlog\\hamlog.hdb");
  }
  TempHome home;
};

}  // namespace

TEST_F(StartupSettingsTest, NoSettingsFileWritesTheDefaultsThatAreWrittenBack) {
  const StartupReading r = ReadStartupSettings();
  EXPECT_TRUE(r.MyCallMissing);
  EXPECT_TRUE(r.HamlogExeMissing);
  EXPECT_TRUE(r.Failures.isEmpty());
  EXPECT_TRUE(QDir(home.file("GeneData")).exists());
  EXPECT_EQ(stored("ORB", "DataFol"), Settings.DataFolder);
  EXPECT_EQ(stored("JARL", "JARLwebS"), "https://www.jarl.org/page/award/AwardEntry.aspx");
  for (const BandInfo& b : Bands) EXPECT_EQ(stored("DISPBAND_ITEM", b.key), "1") << b.key;
  EXPECT_EQ(stored("ORB", "WNTP"), "<missing>");
  EXPECT_EQ(Settings.WantedListType, "1");
  EXPECT_EQ(Settings.Rst599, "599");
  EXPECT_EQ(Settings.QslRcvOnly, "NO");
  EXPECT_EQ(DisplayItems.DelQTH, "0");
  EXPECT_EQ(DisplayItems.DxOn, 1);
}

TEST_F(StartupSettingsTest, StoredValuesAndTheirRules) {
  setUpHamlog();
  set("ORB", {{"DataFol", "/data/orb/"}, {"exp_Band", "1"}, {"WNTP", "0"}, {"QSL_RCVa", "yes"}});
  set("ORB", {{"HLQSL", "c:\\mmqsl\\mmqsl.exe"}, {"UseorgQTH", "1"}, {"MODEC", "2"}, {"HLYN", "no"}});
  set("ORB", {{"MODE1", "CW"}, {"MODE2", "SSB"}});
  set("JARL", "JARLwebS", "http://www.jarl.org/Japanese/1_Tanoshimo/award.htm");
  set("DISPBAND_ITEM", "DB10G", "0");
  set("LASTCONDX", {{"QSL1", "P"}, {"QSL2", "N"}, {"SELMODE", "CW"}, {"STARTdate", "2001010"}});
  set("E-QSL", "PutQSOData", "");

  const StartupReading r = ReadStartupSettings();
  EXPECT_FALSE(r.MyCallMissing);
  EXPECT_FALSE(r.HamlogExeMissing);
  EXPECT_FALSE(r.HamlogPosMissing);
  EXPECT_EQ(Settings.DataFolder, "/data/orb/");
  EXPECT_EQ(BandLayout.KindColumn, 27) << "extended band set applied";
  EXPECT_EQ(Settings.AwardEntryPageUrl, "https://www.jarl.org/page/award/AwardEntry.aspx");
  EXPECT_EQ(stored("JARL", "JARLwebS"), Settings.AwardEntryPageUrl);
  EXPECT_EQ(Settings.WantedListType, "1");
  EXPECT_EQ(stored("ORB", "WNTP"), "0") << "used as 1, left as stored";
  EXPECT_EQ(Settings.QslRcvOnly, "NO");
  EXPECT_EQ(Settings.QslProgramSet, 1);
  EXPECT_EQ(Settings.EditorPath, "NOTEPAD.EXE");
  EXPECT_EQ(Settings.QslReceivedMarks[0], "*");
  EXPECT_EQ(Settings.QslReceivedMarks[14], "");
  EXPECT_EQ(Settings.UseOwnQthData, 0) << "no QTH data file named";
  EXPECT_FALSE(r.Boxes.OwnQthLabel);
  EXPECT_EQ(Settings.Hlyn, "NO");
  EXPECT_EQ(Settings.HlynConfirm, 0);
  EXPECT_EQ(Settings.EqslReady, 1) << "present, even empty";
  EXPECT_EQ(Settings.EqslMark, "N");
  EXPECT_EQ(ShownBands[17], "0");
  EXPECT_EQ(Hamlog.HamlogDbPath, "C:\\Hamlog\\hamlog.hdb");
  EXPECT_EQ(Hamlog.HdbFileName, "\\HAMLOG.HDB");

  EXPECT_EQ(r.Boxes.QslBoxes, (std::array<QString, 5>{"P", "N", "", "", ""}))
      << "a missing category excludes nothing";
  EXPECT_EQ(r.Boxes.ModeBox, "CW");
  EXPECT_EQ(r.Boxes.ModeListText, "CW");
  EXPECT_EQ(r.Boxes.ModeListItems, QStringList({"CW", "SSB", "DIGITAL"}));
  EXPECT_EQ(r.Boxes.StartDateBox, "19520729") << "seven characters";
  EXPECT_EQ(r.LoadedStartDate, "19520729");
  EXPECT_EQ(ReadConditions.StartDate, "19520729");
}

TEST_F(StartupSettingsTest, ModeBoxesWithoutStoredModesOrConditions) {
  setUpHamlog();
  set({{"ORB", "MODEC", "0"}, {"LASTCONDX", "SELMODE", "CW"}});
  StartupReading r = ReadStartupSettings();
  EXPECT_TRUE(r.Boxes.ModeListItems.isEmpty()) << "no modes, no DIGITAL";
  EXPECT_EQ(r.Boxes.ModeBox, "MIX");

  DeletePrivateProfileKey("LASTCONDX", "SELMODE", ini());
  set("LASTCONDX", "QSL1", "X");
  r = ReadStartupSettings();
  EXPECT_EQ(r.Boxes.QslBoxes, (std::array<QString, 5>{"P", "", "", "", ""}));
  EXPECT_EQ(r.Boxes.ModeListText, "MIX");
  EXPECT_EQ(ReadConditions.ExcludedQslKinds[0], "X") << "the shared values stay as read";
}

TEST_F(StartupSettingsTest, MissingProgramStopsTheReadingAndMissingDatabaseIsTold) {
  set({{"ORB", "HAMLOGexePOS", "C:\\Hamlog\\Hamlog.exe"}, {"LASTCONDX", "STARTdate", "20200101"}});
  StartupReading r = ReadStartupSettings();
  EXPECT_TRUE(r.HamlogExeMissing);
  EXPECT_NE(ReadConditions.StartDate, "20200101") << "rows after the program are not read";
  EXPECT_TRUE(Hamlog.HamlogExePath.isEmpty());

  set("ORB", "HAMLOGexePOS", "C:\\Hamlog\\hamlogw.exe");
  r = ReadStartupSettings();
  EXPECT_FALSE(r.HamlogExeMissing);
  EXPECT_TRUE(r.HamlogPosMissing);
  EXPECT_EQ(ReadConditions.StartDate, "20200101");
}

TEST_F(StartupSettingsTest, UnusableNumbersAreListedAndTheFileKept) {
  setUpHamlog();
  set({{"DISPCG_ITEM", "KU", "x"}, {"ORB", "MODEC", "two"}});
  const StartupReading r = ReadStartupSettings();
  EXPECT_EQ(r.Failures, QStringList({"[DISPCG_ITEM] KU=x", "[ORB] MODEC=two"}));
  EXPECT_EQ(DisplayItems.KuOn, 1);
  EXPECT_EQ(stored("DISPCG_ITEM", "KU"), "x");
  EXPECT_EQ(stored("ORB", "MODEC"), "two");
  EXPECT_EQ(stored("LASTCONDX", "SELMODE"), "<missing>");
}

TEST_F(StartupSettingsTest, AModeCountBeyondItsLimitIsNamedAndNoModeRead) {
  setUpHamlog();
  set({{"ORB", "MODEC", "99999999"}, {"ORB", "MODE1", "CW"}, {"LASTCONDX", "SELMODE", "CW"}});
  StartupReading r = ReadStartupSettings();
  EXPECT_EQ(r.Failures, QStringList({"[ORB] MODEC=99999999"}));
  EXPECT_TRUE(r.Boxes.ModeListItems.isEmpty());
  EXPECT_EQ(r.Boxes.ModeBox, "MIX");
  EXPECT_EQ(Settings.ModeCount, "0");
  set("ORB", "MODEC", "-1");
  EXPECT_EQ(ReadStartupSettings().Failures, QStringList({"[ORB] MODEC=-1"}));
  set("ORB", "MODEC", QString::number(kModeCountLimit));
  EXPECT_TRUE(ReadStartupSettings().Failures.isEmpty());
}

TEST_F(StartupSettingsTest, AStartDateOfEightCharactersThatIsNoDateIsNamed) {
  setUpHamlog();
  set("LASTCONDX", "STARTdate", "abcdefgh");
  const StartupReading r = ReadStartupSettings();
  EXPECT_EQ(r.Failures, QStringList({"[LASTCONDX] STARTdate=abcdefgh"}));
  EXPECT_EQ(ReadConditions.StartDate, "19520729");
  EXPECT_EQ(r.Boxes.StartDateBox, "19520729");
}

TEST_F(StartupSettingsTest, AWantedListFormatThatIsNoneOfTheThreeIsNamed) {
  set("ORB", "WNTP", "0");
  EXPECT_TRUE(ReadStartupSettings().Failures.isEmpty());
  EXPECT_EQ(Settings.WantedListType, "1");
  set("ORB", "WNTP", "3");
  ReadStartupSettings();
  EXPECT_EQ(Settings.WantedListType, "3");
  set("ORB", "WNTP", "77777777777");
  EXPECT_EQ(ReadStartupSettings().Failures, QStringList({"[ORB] WNTP=77777777777"}));
  EXPECT_EQ(Settings.WantedListType, "1");
}

TEST_F(StartupSettingsTest, ADisplayFlagThatIsNeitherOnNorOffIsNamed) {
  set({{"DISPCG_ITEM", "GUN", "5"}, {"DISPCG_ITEM", "TOWN", "1e30"}});
  EXPECT_EQ(ReadStartupSettings().Failures, QStringList({"[DISPCG_ITEM] GUN=5", "[DISPCG_ITEM] TOWN=1e30"}));
  EXPECT_EQ(DisplayItems.GunOn, 1);
  EXPECT_EQ(DisplayItems.TownOn, 1);
}

TEST_F(StartupSettingsTest, OldViewerSectionIsRemovedOnce) {
  const QByteArray before =
      "[ORB]\r\nMYCALL=JA1ZZZ\r\n[VIEWwwwPOS]\r\nVIEWwwwPOSTop=100\r\nVIEWwwwFW=3\r\n[LASTCONDX]\r\n"
      "SELMODE=\"CW\",x\r\n\r\n[E-QSL]\r\neQSL_Mesg=" +
      ToAnsi(QString::fromUtf8("ありがとう")) + "\r\n";
  home.write("ORBEX5.INI", before);
  CleanIniViewPos();
  const QByteArray expected =
      "[ORB]\r\nMYCALL=JA1ZZZ\r\n\r\n[LASTCONDX]\r\nSELMODE=\"CW\",x\r\n\r\n[E-QSL]\r\neQSL_Mesg=" +
      ToAnsi(QString::fromUtf8("ありがとう")) + "\r\n";
  EXPECT_EQ(stored("ORB", "IM"), "1");
  EXPECT_EQ(home.read("ORBEX5.INI").replace("IM=1\r\n", ""), expected);
}

TEST_F(StartupSettingsTest, CleanUpMarksItselfDone) {
  CleanIniViewPos();
  EXPECT_EQ(stored("ORB", "IM"), "1") << "no file: only the mark";
  set("VIEWwwwPOS", "VIEWwwwPOSTop", "5");
  const QByteArray marked = home.read("ORBEX5.INI");
  CleanIniViewPos();
  EXPECT_EQ(home.read("ORBEX5.INI"), marked);
}

TEST_F(StartupSettingsTest, InternetShortcutsHoldTwoLinesAndNeverAMadeUpHost) {
  WriteInternetShortcuts();
  for (const char* name : {"go_MOX.url", "eQSLcchomepage.url", "QSOBANK.url"}) {
    const QList<QByteArray> lines = home.read(name).split('\n');
    ASSERT_EQ(lines.size(), 3) << name;
    EXPECT_EQ(lines[0], "[InternetShortcut]\r");
    EXPECT_EQ(lines[2], "");
  }
  EXPECT_TRUE(home.read("eQSLcchomepage.url").contains("URL=http://www.eqsl.cc/jp/index.cfm\r\n"));
  // Nothing stored: the maker's page and the QSOBank page stay empty.
  EXPECT_EQ(home.read("go_MOX.url"), "[InternetShortcut]\r\nURL=\r\n");
  EXPECT_EQ(home.read("QSOBANK.url"), "[InternetShortcut]\r\nURL=\r\n");
  // Stored ones are kept, plain HTTP turned into HTTPS of the same host.
  home.write("go_MOX.url", "[InternetShortcut]\r\nURL=http://maker.example.net/orbex\r\n");
  home.write("QSOBANK.url", "[InternetShortcut]\r\nURL=https://qsobank.example.org/user/\r\n");
  WriteInternetShortcuts();
  EXPECT_EQ(home.read("go_MOX.url"), "[InternetShortcut]\r\nURL=https://maker.example.net/orbex\r\n");
  EXPECT_EQ(home.read("QSOBANK.url"), "[InternetShortcut]\r\nURL=https://qsobank.example.org/user/\r\n");
  EXPECT_EQ(KeptWebAddress(" HTTP://Spot.example.com/x "), "https://Spot.example.com/x");
}

TEST(StartupNumbers, LibraryVersionAndStoredNumbers) {
  EXPECT_EQ(ThdllVersionNumber(0x54000), 540);
  EXPECT_EQ(ThdllVersionNumber(0x50299), 503) << "502.99";
  EXPECT_EQ(ThdllVersionNumber(0x50249), 502) << "502.49";
  EXPECT_EQ(ThdllVersionNumber(0x50250), 502) << "half to even";
  EXPECT_EQ(ThdllVersionNumber(0x50350), 504);
  EXPECT_EQ(ThdllVersionNumber(0x5A000), std::nullopt);
  EXPECT_EQ(WholeNumber(" 120 "), 120);
  EXPECT_EQ(WholeNumber("2.5"), 2);
  EXPECT_EQ(WholeNumber("-3"), -3);
  EXPECT_EQ(WholeNumber(""), std::nullopt);
  EXPECT_EQ(WholeNumber("12ms"), std::nullopt);
  EXPECT_EQ(WholeNumber("99999999999"), std::nullopt);
}
