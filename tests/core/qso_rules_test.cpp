#include <gtest/gtest.h>

#include "core/QsoFields.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "support/qt_print.h"
#include "support/temp_home.h"

TEST(BandRules, StandardBandsAndTheirBoundaries) {
  const std::pair<const char*, const char*> cases[] = {
      {"1.9125", "1.9"},  {"3.535", "3.5"},     {"7.025", "7"},     {"10.120", "10"},   {"14.200", "14"},
      {"18.100", "18"},   {"21.010", "21"},     {"24.940", "24"},   {"28.500", "28"},   {"29.600", "28"},
      {"50.100", "50"},   {"54.000", "50"},     {"145.000", "144"}, {"144.100", "144"}, {"433.000", "430"},
      {"1295.0", "1200"}, {"2400.100", "2400"}, {"2450.0", "2400"}, {"5760.1", "5600"}, {"435/145", "SAT"},
      {"9999", "SAT"},
      // A value within a band's edges counts there, whatever its first characters; any other text by them.
      {"146.500", "144"}, {"148", "144"},       {"4.0", "3.5"},     {"10.171", "10"},   {"1440", "144"},
      {"14,074", "14"},   {"5.7G", "5600"},
  };
  for (const auto& [freq, band] : cases) EXPECT_EQ(BandLabelOf(freq, false), band) << freq;
  // A "/" anywhere makes a satellite frequency; texts close to a band but in none of them fit none.
  EXPECT_EQ(BandLabelOf("146.0/", false), "SAT");
  for (const char* freq : {"", "0.1375", "*10.368", "55.0", "99.0", "4.1", "70.2", "54.5", "135K", "475K"})
    EXPECT_EQ(BandLabelOf(freq, false), "") << freq;
  // A text in GHz outside every band is on none, in either set, never on a band below by its first
  // characters.
  for (const char* freq : {"1.2G", "10.500000001G", "24.250000001G", "12G", "50G", "0.1G", "1.2.3G"})
    for (const bool extended : {false, true}) EXPECT_EQ(BandLabelOf(freq, extended), "") << freq;
}

TEST(BandRules, ExtendedBandsOnlyInTheExtendedSet) {
  const std::pair<const char*, const char*> cases[] = {
      {"0.1375", "135K"}, {"0.4750", "475K"}, {"*10.368", "10G"}, {"*24.048", "24G"}, {"*47.088", "47G"},
      {"*77.500", "77G"}, {"10368", "10G"},   {"10G", "10G"},     {"10.368G", "10G"}, {"24G", "24G"},
      {"24048", "24G"},   {"47G", "47G"},     {"77G", "77G"},     {"*10", "10G"},     {"0.1", "135K"},
      {"135K", "135K"},   {"475K", "475K"},   {"475k", "475K"},   {"*10.500000001", "10G"},
  };
  for (const auto& [freq, band] : cases) {
    EXPECT_EQ(BandLabelOf(freq, true), band) << freq;
    EXPECT_EQ(BandLabelOf(freq, false), "") << freq;
  }
  EXPECT_EQ(BandLabelOf("0.9", true), "");
  // "7" wins before everything, in both sets.
  EXPECT_EQ(BandLabelOf("7.0", true), "7");
}

TEST(BandRules, TheWholeLogReadingsBandOfAsciiBytesIsTheTextsBand) {
  // Every text of up to four characters from those the rules look at, and some beyond.
  const QByteArray chars = QByteArray("0123456789./* A~Gk") + char(0x7F);
  std::vector<QByteArray> texts = {
      "",         "9999", "99999",   "999",        "146.500", "10368",    "24048.1",  "77G",  "70.2",
      "0.4750",   "1.2G", "*10.241", "10.368g",    "*0.5",    "*10.5001", "24.2501G", "135K", "0.1234567",
      "1.000001", ".5",   "5.",      "00000007.1", "0",       "12345678", "123456789"};
  for (char a : chars) {
    texts.push_back(QByteArray(1, a));
    for (char b : chars) {
      texts.push_back(QByteArray(1, a) + b);
      for (char c : chars) {
        texts.push_back(QByteArray(1, a) + b + c);
        texts.push_back(QByteArray(1, a) + b + c + "0");
      }
    }
  }
  for (const QByteArray& t : texts) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(t.constData());
    const FreqField field = ReadFreqField(bytes, int(t.size()), t.contains('/'));
    ASSERT_EQ(field.band, BandIndexOf(QString::fromLatin1(t))) << t.toStdString();
    ASSERT_EQ(BandIndexOfAscii(bytes, int(t.size()), t.contains('/')), field.band) << t.toStdString();
    // Its digits as the column copy keeps them.
    if (field.plain) {
      ASSERT_EQ(field.point, t.indexOf('.')) << t.toStdString();
      ASSERT_EQ(field.digits, QByteArray(t).remove(field.point, field.point >= 0 ? 1 : 0).toUInt())
          << t.toStdString();
    }
  }
}

TEST(CallSigns, SplitsAtTheLastSlash) {
  struct Case {
    const char* call;
    const char* base;
    const char* affix;
    const char* dx;
  };
  const Case cases[] = {
      {"JA1ABC", "JA1ABC", "", ""},          {"JA1ABC/3", "JA1ABC", "3", ""},
      {"JA1ABC/P", "JA1ABC", "", ""},        {"JA1ABC/QRP", "JA1ABC", "", ""},
      {"KH6/JA1ABC", "JA1ABC", "KH6", "DX"}, {"JD1/JA1ABC", "JA1ABC", "JD1", ""},
      {"JA1ABC/KH6", "JA1ABC", "KH6", "DX"}, {"ABCD/EFGH", "EFGH", "ABCD", "DX"},
      {"W1AW/VE", "W1AW", "VE", "DX"},       {"JA1ABC/7J", "JA1ABC", "7J", ""},
  };
  for (const Case& c : cases) {
    SplitCallSign(c.call);
    EXPECT_EQ(QsoRules.CallBase, c.base) << c.call;
    EXPECT_EQ(QsoRules.CallAffix, c.affix) << c.call;
    EXPECT_EQ(QsoRules.CallDxFlag, c.dx) << c.call;
  }
  // Nothing before the "/": never the previous call's values.
  SplitCallSign("KH6/JA1ABC");
  SplitCallSign("/JH3XYZ");
  EXPECT_EQ(QsoRules.CallBase, "JH3XYZ");
  EXPECT_EQ(QsoRules.CallAffix, "");
  EXPECT_EQ(QsoRules.CallDxFlag, "");
}

TEST(QslFlags, TableBothWaysIncludingTheStoredHundred) {
  QsoRules = {};
  QslFlagsToText("100");
  EXPECT_EQ(QsoRules.QslFlagText, "D 12");
  EXPECT_EQ(QslTextToFlags("D 12"), "100");
  QslFlagsToText("104");  // not a stored code: text unchanged
  EXPECT_EQ(QsoRules.QslFlagText, "D 12");
  for (int code : {0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 112, 120}) {
    QslFlagsToText(QString::number(code));
    EXPECT_EQ(QslTextToFlags(QsoRules.QslFlagText), QString::number(code));
  }
  EXPECT_EQ(QsoRules.QslFlagText, "DC12");
  QslFlagsToText("  8");
  EXPECT_EQ(QsoRules.QslFlagText, "D   ");
  QslFlagsToText("   ");  // a blank stored field reads as no flag
  EXPECT_EQ(QsoRules.QslFlagText, "    ");
  EXPECT_EQ(QslTextToFlags("X   "), "120");  // no row: the previous code stays
  EXPECT_EQ(QslTextToFlags("D"), "120");
}

TEST(BandRules, AFrequencyWithNoBandIsReportedInTheDataFolder) {
  TempHome home;
  Settings.DataFolder = home.path();
  Settings.ExtendedBandSet = 0;
  QsoRules.FreqErrorFound = 0;
  const auto band = [](int32_t recNo, const char* freq) {
    Qso.QsoRecNo = recNo, Qso.QsoFreq = freq, FreqToBand();
  };
  band(12, "0.1375");
  EXPECT_EQ(Qso.QsoBand, "    ");
  {
    // A pass's lines land together when it ends, after the lines before it, in the order met.
    const FreqErrorReportBatch pass;
    band(13, "");
    const FreqErrorReportBatch inner;
    band(14, "x");
  }
  Qso.QsoFreq = "145.00";
  FreqToBand();
  EXPECT_EQ(Qso.QsoBand, "144 ");
  EXPECT_EQ(QsoRules.FreqErrorFound, 1);
  EXPECT_EQ(FromAnsi(home.read("FreqError_Report.txt")),
            QString::fromUtf8("\"交信番号=12 の交信周波数=0.1375 は無効です\"\r\n"
                              "\"交信番号=13 の交信周波数= は無効です\"\r\n"
                              "\"交信番号=14 の交信周波数=x は無効です\"\r\n"));
  // Another reading of the same QSOs (an award view read again) lists each once.
  QsoRules.FreqErrorFound = 0;
  AppendFreqErrorReport({FreqErrorLine(14, u"x"), FreqErrorLine(15, u"y"), FreqErrorLine(15, u"y")});
  EXPECT_EQ(QsoRules.FreqErrorFound, 1);
  EXPECT_EQ(FromAnsi(home.read("FreqError_Report.txt")).count(u'\n'), 4);
  EXPECT_TRUE(FromAnsi(home.read("FreqError_Report.txt"))
                  .endsWith(QString::fromUtf8("交信番号=15 の交信周波数=y は無効です\"\r\n")));
}
