// Text commands of other programs as the sheet reads them.

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "sheet/ProgramMessages.h"
#include "support/qt_print.h"

namespace {

ProgramMessage parse(const char* text) { return ParseProgramMessage(ToAnsi(QString::fromUtf8(text))); }

}  // namespace

TEST(ProgramMessages, CompanionCommandsAndTheirArguments) {
  using Kind = ProgramMessage::Kind;
  EXPECT_EQ(parse("ORBEX5wf_RigNum + 1").kind, Kind::RigNumber);
  EXPECT_EQ(parse("ORBEX5wf_RigNum + 1").text, "1");
  const ProgramMessage zero = parse("ORBEX5wf_CarZeroin + -250");
  EXPECT_EQ(zero.kind, Kind::ZeroIn);
  EXPECT_EQ(zero.hz, -250);
  EXPECT_EQ(parse("  ORBEX5wf_TXshift + 300\0").hz, 300) << "blanks and NULs around are dropped";
  EXPECT_EQ(parse("ORBEX5wf_TXshift + lots").kind, Kind::Unusable);
  EXPECT_EQ(parse("ORBEX5wf_XIToff + ").kind, Kind::XitOff);
  EXPECT_EQ(parse("ORBEX5wfclose").kind, Kind::CompanionClosed);
  const ProgramMessage cw = parse("ORBEX5wf_CWM + CQ TEST");
  EXPECT_EQ(cw.kind, Kind::CwMessage);
  EXPECT_EQ(cw.text, "CQ TEST");
  EXPECT_EQ(parse("ORBEX5wfSomethingElse").kind, Kind::Unusable);
  EXPECT_EQ(parse("ORBEX5wf_RigNum + 0").kind, Kind::RigNumber);
  for (const char* unreadable : {"ORBEX5wf_RigNum + ", "ORBEX5wf_RigNum + 2"})
    EXPECT_EQ(parse(unreadable).kind, Kind::Unusable) << unreadable;
  EXPECT_EQ(parse("ORBEX5wf_RigNum + abc").problem,
            "他のプログラムからの指示を受け付けません: ORBEX5wf_RigNum + の値 \"abc\" は 0 か 1 ではありません");
}

TEST(ProgramMessages, SatelliteMessagesAndSpots) {
  using Kind = ProgramMessage::Kind;
  const ProgramMessage sat = parse("SatMate+435.100+FM+r1+r2+x+y+JA1ABC+1002+T");
  EXPECT_EQ(sat.kind, Kind::SatMate);
  EXPECT_EQ(sat.fields[kSatMateCallField], "JA1ABC");
  EXPECT_EQ(sat.fields[kSatMateCodeField], "1002");
  EXPECT_EQ(parse("SatMate+435.100+FM").kind, Kind::Unusable) << "too few fields to reach the code";
  const ProgramMessage spot = parse("JA1ABC+1002+x+7.025+CW");
  EXPECT_EQ(spot.kind, Kind::Spot);
  EXPECT_EQ(spot.fields[kSpotFreqField], "7.025");
  EXPECT_EQ(parse("JA1ABC").kind, Kind::Unusable) << "a spot without any + is not carried out";
  EXPECT_EQ(parse("JA1ABC/1+1001+東京+7.0+CW").fields[2], "東京") << "Windows-31J text";
  for (const char* garbage : {"JA1ABC+1002+x+abc+CW", "+++++", "JA1ABC+1002+x+0+CW", "東京+1001+x+7.0+CW",
                              "ABC+1002+x+7.0+CW", "JA1ABC+10;02+x+7.0+CW", "JA1ABC+1002+x+7.0+C\x01W",
                              "JA1ABC++x+14+", "JA1XYZ++x+7.025+CW", "JA1XYZ+1002+x+7.025+"})
    EXPECT_EQ(parse(garbage).kind, Kind::Unusable) << garbage;
}

TEST(ProgramMessages, AByteThatIsNoWindows31JCharacterIsNamedAsSent) {
  const QByteArray sat = ToAnsi(QString::fromUtf8("SatMate+435.100+FM+東京タワー+r2+x+y+JA1ABC+1002+T"));
  EXPECT_EQ(ParseProgramMessage(sat).kind, ProgramMessage::Kind::SatMate);
  EXPECT_EQ(ParseProgramMessage("ORBEX5wf_CWMCQ\xFF").problem,
            "他のプログラムからの指示を受け付けません: \"ORBEX5wf_CWMCQ<0xFF>\" に Windows-31J "
            "の文字でないバイト (0xFF) があります");
  // A lead byte without its second byte; the byte after it is read on its own.
  EXPECT_EQ(ParseProgramMessage("JA1ABC+1002+\x81+7.0+CW\x80").problem,
            "他のプログラムからの指示を受け付けません: \"JA1ABC+1002+<0x81>+7.0+CW<0x80>\" に Windows-31J "
            "の文字でないバイト (0x81 0x80) があります");
}
