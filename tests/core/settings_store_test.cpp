#include <gtest/gtest.h>

#include <QDir>

#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/ui/twips.h"
#include "platform/ui/responders.h"
#include "support/qt_print.h"
#include "support/temp_home.h"

TEST(SettingsStore, MissingKeysReadAsTheSectionAndValuesAreCut) {
  TempHome home;
  home.write("ORBEX5.INI",
             ToAnsi(QString::fromUtf8("[ORB]\r\nMYCALL=JA1ABC\r\nEmpty=\r\nLong=") + QString(100, 'x') +
                    QString::fromUtf8("あいうえおかきくけこさしすせそ") + "\r\n"));
  const auto read = [](const char* section, const char* key) {
    QString v = "junk";
    ReadIni(section, key, v);
    return v;
  };
  EXPECT_EQ(read("ORB", "mycall"), "JA1ABC");
  EXPECT_EQ(read("ORB", "NoSuchKey"), "ORB");
  EXPECT_EQ(read("ORB", "Empty"), "");
  // 100 + 30 bytes: cut to 127 without halving the 14th character.
  EXPECT_EQ(AnsiLen(read("ORB", "Long")), 126);
  EXPECT_EQ(read("LASTCONDX", "MYCALL"), "LASTCONDX");

  WriteIni("LASTCONDX", "SELMODE", "MIX");
  EXPECT_EQ(read("LASTCONDX", "SELMODE"), "MIX");
  EXPECT_TRUE(FromAnsi(home.read("ORBEX5.INI")).contains("[LASTCONDX]\r\nSELMODE=MIX\r\n"));

  WriteIni("LASTCONDX", "NEW", "");  // resets to the first-run state
  EXPECT_FALSE(QFile::exists(home.file("ORBEX5.INI")));
  WriteIni("LASTCONDX", "NEW", "");  // nothing to delete: nothing happens, nothing written
  EXPECT_FALSE(QFile::exists(home.file("ORBEX5.INI")));
}

TEST(SettingsStore, FileHelpers) {
  TempHome home;
  QDir(home.path()).mkdir("GeneData");
  EXPECT_EQ(FileExists(home.file("GeneData")), 0);  // a folder is no file
  home.write("ORBEX_TopTips.TXT", "tip\r\n");
  EXPECT_EQ(FileExists(home.path() + "\\orbex_toptips.txt"), 1);
  EXPECT_EQ(FindFileOnPath("ORBEX_TopTips.TXT"), home.file("ORBEX_TopTips.TXT"));
  EXPECT_EQ(FindFileOnPath("NoSuchTips.TXT"), "");

  AppendDataCheckLog(QString::fromUtf8("集計 1"));
  AppendDataCheckLog("2");
  EXPECT_EQ(FromAnsi(home.read("1_Datacheck.txt")), QString::fromUtf8("\"集計 1\"\r\n\"2\"\r\n"));

  EXPECT_EQ(IsShortListFile(home.write("crlf.txt", "a\r\nb\r\nc\r\n")), 0);
  EXPECT_EQ(IsShortListFile(home.write("lf.txt", "a\nb\nc\n")), 0) << "LF ends lines as CR LF does";
  EXPECT_EQ(IsShortListFile(home.write("two.txt", "a\r\nb\r\n")), 1);
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_EQ(IsShortListFile(home.file("missing.txt")), 9);
  EXPECT_EQ(boxes.texts(), QStringList{"FCCerr"});
}

TEST(SettingsStore, FrequencyReportIsAnnouncedAndOpened) {
  TempHome home;
  Settings.DataFolder = home.path();
  AppendFreqErrorReport({"line"});
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  ShellRecorder shell;
  ShowFreqErrorReport();
  EXPECT_EQ(
      boxes.texts(),
      QStringList{QString::fromUtf8("異常な周波数データを発見しました、周波数異常レポートを表示します")});
  EXPECT_EQ(QsoRules.FreqErrorFound, 0);
  ASSERT_EQ(shell.opened().size(), 1);
  EXPECT_TRUE(shell.opened()[0].endsWith("FreqError_Report.txt"));
}

TEST(SettingsStore, StoredWindowTwipsBeyondTheScreensAreNamedAndTheirDefaultsTaken) {
  TempHome home;
  const int desktopWidth = DesktopWidthTwips(), desktopHeight = DesktopHeightTwips();
  QStringList failures;
  auto width = [&](const QString& text) {
    return StoredWindowTwips("CFGPOS", "W", text, 9135, WindowTwips::Width, failures);
  };
  EXPECT_EQ(width("10000"), 10000);
  EXPECT_EQ(width(QString::number(2 * desktopWidth)), 2 * desktopWidth) << "up to twice the desktop";
  EXPECT_EQ(width("999999999"), 9135);
  EXPECT_EQ(width("-40"), 9135);
  EXPECT_EQ(width("1e30"), 9135);
  EXPECT_EQ(StoredWindowTwips("CFGPOS", "H", "99999999", 3135, WindowTwips::Height, failures), 3135);
  EXPECT_EQ(StoredWindowTwips("CFGPOS", "H", QString::number(desktopHeight), 3135, WindowTwips::Height, failures),
            desktopHeight);
  EXPECT_EQ(StoredWindowTwips("CFGPOS", "L", "-999999999", 0, WindowTwips::Left, failures), 0);
  EXPECT_EQ(StoredWindowTwips("CFGPOS", "L", "-300", 0, WindowTwips::Left, failures), -300);
  // A negative top is the windows' own "not placed"; only a top that is no number is unusable.
  EXPECT_EQ(StoredWindowTwips("CFGPOS", "T", "-1", 0, WindowTwips::Top, failures), -1);
  EXPECT_EQ(StoredWindowTwips("CFGPOS", "T", "abc", 0, WindowTwips::Top, failures), 0);
  EXPECT_EQ(failures, QStringList({"[CFGPOS] W=999999999", "[CFGPOS] W=-40", "[CFGPOS] W=1e30",
                                   "[CFGPOS] H=99999999", "[CFGPOS] L=-999999999", "[CFGPOS] T=abc"}));

  failures.clear();
  WriteIni("CFGPOS", "W", "888888888");
  EXPECT_EQ(ReadWindowTwips("CFGPOS", "W", 9135, WindowTwips::Width, failures), 9135);
  EXPECT_EQ(ReadWindowTwips("CFGPOS", "Missing", 9135, WindowTwips::Width, failures), 9135);
  EXPECT_EQ(failures, QStringList({"[CFGPOS] W=888888888"})) << "a missing key is no failure";
}
