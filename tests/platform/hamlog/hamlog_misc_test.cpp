// The band numbers of FreqPCheck and the stand-in's program file.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "hamlog_fixture.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/program_file.h"

namespace {

TEST(FreqPCheck, NumbersFollowTheSheetsBandColumns) {
  const std::pair<const char*, int32_t> cases[] = {
      {"1.910", 0},    {"3.535", 1},   {"7.025", 2},     {"7.5", 2},      {"10.120", 3},   {"14.200", 4},
      {"18.100", 5},   {"21.074", 6},  {"24.940", 7},    {"29.600", 8},   {"50.150", 9},   {"145.000", 10},
      {"433.000", 11}, {"1295.0", 12}, {"2400.100", 13}, {"5760.1", 14},  {"435/145", 15}, {"9999", 15},
      {"0.1375", 16},  {"0.475", 17},  {"*10.241", 18},  {"*24.048", 19}, {"*47.088", 20}, {"*77.5", 21},
      {"4.630", -1},   {"27.185", -1}, {"", -1},         {"abc", -1},     {" 7.025 ", 2},
      // A value within a band's edges counts there, whatever its first characters.
      {"146.500", 10}, {"148", 10},    {"10368", 18},    {"10G", 18},     {"24G", 19},     {"77G", 21},
      {"70.2", -1},    {"*10", 18},    {"10.171", 3},    {"1440", 10},
      // The kHz bands by their labels; a text in GHz on no band below 10 GHz by its first characters.
      {"135K", 16},    {"475k", 17},   {"1.2G", -1},     {"10.500000001G", -1}, {"24.250000001G", -1},
      {"*10.500000001", 18},
  };
  for (const auto& [text, band] : cases) EXPECT_EQ(FreqPCheck(text), band) << text;
}

TEST(ProgramFile, VersionComesFromTheStandInFileAndNothingElse) {
  QTemporaryDir dir;
  const QString exe = dir.filePath("Hamlogw.exe");
  EXPECT_EQ(ReadProgramVersion(exe), "");
  ASSERT_TRUE(WriteProgramFile(exe));
  EXPECT_EQ(ReadProgramVersion(exe), "5.40");
  // Found by the name the start-up builds from the database's name, whatever the case.
  EXPECT_EQ(ReadProgramVersion(dir.filePath("HAMLOGW.EXE")), "5.40");
  ASSERT_TRUE(WriteProgramFile(exe, "5.34"));
  EXPECT_EQ(ReadProgramVersion(exe), "5.34");
  // A real Windows program holds no such text.
  WriteFile(exe, QByteArray("MZ\x90\0\3\0\0\0", 8) + QByteArray(500, '\0'));
  EXPECT_EQ(ReadProgramVersion(exe), "");
}

}  // namespace
