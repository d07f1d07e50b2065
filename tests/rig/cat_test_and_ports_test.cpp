// The CAT test window's exchanges, the memory backup and write-back, and the serial port list.
#include <QDir>

#include "platform/ui/responders.h"
#include "platform/vbfile.h"
#include "rig/CatTest.h"
#include "rig/ComPortList.h"
#include "rig_fixture.h"
#include "support/temp_home.h"

using CatTestWindow = RigLinkTest;

TEST_F(CatTestWindow, SingleCommandAnswerAndBusyFlag) {
  PtyTransceiver& r = Connect("FT991");
  r.Answers["FA;"] = "FA007025000;";
  int busyDuringAnswer = -1;
  std::optional<QString> answer;
  r.Answer = [&](const QByteArray&) {
    busyDuringAnswer = RigPortState.CatBusy;
    return std::optional<QByteArray>();
  };
  CatCommandTest(" FA ", "12", [&](std::optional<QString> a) { answer = a; });
  EXPECT_EQ(r.TextCommands(), QList<QByteArray>({"FA;"}));
  EXPECT_EQ(answer, QString("FA007025000"));
  EXPECT_EQ(busyDuringAnswer, 5);
  EXPECT_EQ(RigPortState.CatBusy, 0);

  CatCommandTest("IF", "", [&](std::optional<QString> a) { answer = a; });
  EXPECT_FALSE(answer.has_value());  // "LEN項が空白では？" for the window
  EXPECT_EQ(RigPortState.CatBusy, 0);
}

TEST_F(CatTestWindow, BackupRewritesAnswersAndKeepsTheOriginal) {
  TempHome home;
  PtyTransceiver& r = Connect("FT991");
  const QString list = home.write("FT991_CMD.TXT", "CMD,LEN,CNT\r\nMR,28,2\r\nAI,4,0\r\nAN,6,0\r\nXX,3,0\r\nEX,9,2\r\n");
  r.Answers["MR001;"] = "MR001007025000+000000010000;";  // 28 characters; the 6th from the end is 1
  r.Answers["MR002;"] = "MR00200";                        // wrong length: skipped
  r.Answers["AI;"] = "AI1;";
  r.Answers["AN;"] = "AN010;";
  r.Answers["XX;"] = "?;";
  r.Answers["EX001;"] = "EX0010001;";
  r.Answers["EX002;"] = "?;";

  const std::optional<std::vector<CatListEntry>> entries = ReadCatCommandList(list);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 5u);
  EXPECT_EQ(CatModelOfListFile(list), "FT991");
  std::optional<CatBackupResult> result;
  const QString backup = home.file("FT991_MemoryBackUp_data_261207120000.TXT");
  CatBackup(*entries, backup, [&](const CatBackupResult& r) { result = r; });
  ASSERT_TRUE(result);
  EXPECT_TRUE(result->Written);
  EXPECT_EQ(result->Failed, "XX;\r\n");
  EXPECT_TRUE(result->AiRewritten);
  EXPECT_EQ(home.read("FT991_MemoryBackUp_data_261207120000.TXT"),
            "MW001007025000+000000000000\r\nAI0\r\nAN01\r\nEX0010001\r\n");
  EXPECT_EQ(home.read("orgFT991_MemoryBackUp_data_261207120000.TXT"),
            "MR001007025000+000000010000\r\nAI1\r\nAN010\r\nEX0010001\r\n");
  EXPECT_TRUE(CatBackupMessage(*result).contains("AIｺﾏﾝﾄﾞは　1　でしたが　0　に変更しています。"));
  EXPECT_EQ(CatBackupFileName("FT991", QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0)), ".TXT"),
            "FT991_MemoryBackUp_data_261207120000.TXT");

  // Writing it back sends every line as it stands.
  r.ClearReceived();
  const std::optional<MemoryBackup> b = ReadMemoryBackupFile(backup);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Longest, 27);
  bool allSent = false;
  CatWriteBack(*b, [&](bool all) { allSent = all; });
  EXPECT_TRUE(allSent);
  EXPECT_EQ(r.TextCommands(),
            QList<QByteArray>({"MW001007025000+000000000000;", "AI0;", "AN01;", "EX0010001;"}));
}

TEST_F(CatTestWindow, UnansweredCommandsAreRefusalsAndALostLinkEndsTheRun) {
  TempHome home;
  PtyTransceiver& r = Connect("FT991");
  r.Answers["AI;"] = "AI0;";
  std::optional<CatBackupResult> result;
  auto backup = [&](const std::vector<CatListEntry>& list) {
    result.reset();
    CatBackup(list, home.file("b.TXT"), [&](const CatBackupResult& got) { result = got; });
    return *result;
  };
  // "NA;" gets no answer at all: no empty line that would go back to the rig as a bare ";".
  const CatBackupResult silent = backup({{"NA", 4, 0}, {"AI", 4, 0}});
  EXPECT_EQ(silent.Failed, "NA;\r\n");
  EXPECT_FALSE(silent.LinkLost);
  EXPECT_EQ(home.read("b.TXT"), "AI0\r\n");

  // The port goes while the list runs: the rest is not asked and the run says so.
  r.ClearReceived();
  r.Answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c == "AI;") RigPortClose();
    return std::nullopt;
  };
  const CatBackupResult lost = backup({{"AI", 4, 0}, {"EX", 9, 3}, {"MR", 28, 2}});
  EXPECT_TRUE(lost.LinkLost);
  EXPECT_EQ(r.TextCommands(), QList<QByteArray>({"AI;"}));
  EXPECT_EQ(RigPortState.CatBusy, 0);

  // A write-back that loses the port is not reported as done.
  RigPortOpen();
  r.ClearReceived();
  r.Answer = [](const QByteArray& c) -> std::optional<QByteArray> {
    if (c == "FA007025000;") RigPortClose();
    return std::nullopt;
  };
  std::optional<bool> allSent;
  CatWriteBack({{"FA007025000", "MD03", "AI0"}, 11}, [&](bool all) { allSent = all; });
  EXPECT_EQ(allSent, false);
  EXPECT_EQ(r.TextCommands(), QList<QByteArray>({"FA007025000;"}));
}

TEST(BackupAnswers, Rewriting) {
  bool ai = false;
  const QList<std::pair<const char*, const char*>> cases = {
      {"AI0", "AI0"},   {"AN011", "AN05"}, {"AN020", "AN02"}, {"AN021", "AN05"}, {"AN030", "AN030"},
      {"FT0", "FT2"},   {"FT1", "FT3"},    {"GT054", "GT04"}, {"GT16", "GT14"}, {"GT002", "GT002"},
      {"RF05", "RF00"}, {"RF01", "RF01"},  {"RO0123", "RO0"}, {"VF1234", "VF12+0"}, {"MD02", "MD02"}};
  for (const auto& [in, out] : cases) EXPECT_EQ(RewriteBackupAnswer(in, ai), out) << in;
  EXPECT_FALSE(ai);
}

TEST(BackupFile, UnreadableOrEmpty) {
  TempHome home;
  MsgBoxResponder boxes;
  boxes.Answer(vbOK);
  EXPECT_FALSE(ReadMemoryBackupFile(home.file("none.TXT")));
  EXPECT_TRUE(boxes.texts().value(0).endsWith("err"));
  EXPECT_FALSE(ReadMemoryBackupFile(home.write("empty.TXT", "")));
}

using PortList = RigLinkTest;

TEST_F(PortList, PtyShowsFreeThenInUseAndTheLinkKeepsWorking) {
  PtyTransceiver other("ICOM");
  const QString name = other.PortName();
  auto itemOf = [&](const QStringList& given) {
    for (const ComPortEntry& e : ComPortList(given))
      if (e.Name == name) return ComPortItemText(e);
    return QString();
  };
  EXPECT_EQ(itemOf({name, "COM3", "NONE"}), name + " > 使用可能");
  const std::vector<ComPortEntry> withCom3 = ComPortList({"COM3"});
  EXPECT_EQ(ComPortItemText(withCom3.back()), "COM3 > 見つかりません");

  rig = std::make_unique<PtyTransceiver>("ICOM");
  RigPortState.RigModel = "ICOM";
  RigPortState.CivAddress = "94";
  RigPortState.PortName = rig->PortName();
  RigPortOpen();
  const std::vector<ComPortEntry> listed = ComPortList({rig->PortName()}, RigPortState.PortName);
  EXPECT_EQ(ComPortItemText(listed.back()), rig->PortName() + " > このプログラムで使用中");
  RigPoll();
  EXPECT_EQ(heard.hz, QList<int64_t>({7'025'000}));

  EXPECT_EQ(ComPortOfItem(name + " > 使用可能"), name);
}
