#include "support/logbook_log.h"

#include <QFile>
#include <QTextStream>

#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/SharedSettings.h"
#include "hamlogdb/hamlogdb.h"
#include "logbook/QsoRow.h"
#include "platform/clock.h"
#include "platform/hamlog/hamlog.h"
#include "platform/hamlog/hdb_layout.h"
#include "platform/vbfile.h"
#include "support/shared_state.h"

void LogbookTest::SetUp() {
  ResetSharedState();
  hamlogLib = HamlogLib{};
  dir = home.file("HAMLOG");
  ASSERT_TRUE(hamlogdb::Create(dir).Ok());
  Hamlog.HamlogDbPath = hamlogdb::DatabasePath(dir);
  const QString a = QString::fromUtf8("あ");
  WriteMaster({
      {"1001", QString::fromUtf8("東京都23区"), "4", QString::fromUtf8("と"), "1"},
      {"100101", QString::fromUtf8("東京都千代田区"), "6", QString::fromUtf8("ち"), "1"},
      {"1101", QString::fromUtf8("神奈川県横浜市"), "4", QString::fromUtf8("よ"), "1"},
      {"11009", QString::fromUtf8("神奈川県愛甲郡"), "5", a, "1"},
      {"11009A", QString::fromUtf8("神奈川県愛甲郡愛川町"), "7", a, "1"},
      {"11009B", QString::fromUtf8("神奈川県愛甲郡清川村"), "8", QString::fromUtf8("き"), "1"},
      {"1011", QString::fromUtf8("東京都小金井市"), "4", QString::fromUtf8("こ"), "1"},
      {"1012", QString::fromUtf8("東京都小平市"), "4", QString::fromUtf8("こ"), "1"},
      {"1015", QString::fromUtf8("東京都国分寺市"), "4", QString::fromUtf8("こ"), "1"},
  });
  Hamlog.HamlogDbPath = hamlogdb::DatabasePath(dir);
  MasterList.MasterFilePath = hamlogdb::MasterPath(dir);
  MasterList.MasterRecLen = 56;
  MasterList.MasterHeaderLen = 235;
  Settings.DataFolder = home.path();
  Settings.QslReceivedMarks[0] = "*";
  Settings.QslReceivedMarks[1] = "E";
  // This operator has switched off HAMLOG's question before each write.
  Settings.Hlyn = "NO";
}

void LogbookTest::TearDown() {
  HamlogCloseDb(0);
  ResetClock();
  hamlogLib = HamlogLib{};
  ResetSharedState();
}

void LogbookTest::WriteMaster(const std::vector<hamlog::MasterEntry>& entries) {
  ASSERT_TRUE(hamlog::WriteMasterFile(hamlogdb::MasterPath(dir), entries));
  // The master's indexes follow at the next open; made here so that the test starts from indexes in step.
  ASSERT_EQ(HamlogOpenDb(), 0);
  HamlogCloseDb(0);
  hamlogLib.indexRebuilds = 0;
}

void LogbookTest::AddQsos(const std::vector<LogQso>& qsos) {
  VbFile csv(home.file("qsos.csv"), VbMode::Output);
  for (const LogQso& q : qsos)
    csv.Write({q.call, q.date, q.time, "599", "579", q.freq, q.mode, q.code, "PM95", q.qsl, q.name, "QTH",
               "rem1", "rem2"});
  ASSERT_TRUE(csv.Close());
  const hamlogdb::Outcome o = hamlogdb::Import(dir, home.file("qsos.csv"));
  ASSERT_TRUE(o.Ok()) << o.message.toStdString();
  // Indexes built while the test made its log are not the operator's news.
  hamlogLib.indexRebuilds = 0;
}

void LogbookTest::ChangeStoredField(int32_t recNo, int32_t field, const QString& text) {
  ASSERT_EQ(HamlogOpenDb(), 0);
  ASSERT_EQ(THW_read(Hamlog.Thw, recNo, 3), 0);
  const ThwRecord old = Hamlog.Thw;
  ASSERT_EQ(SetThBuffer(Hamlog.Thw, text, field), 0);
  int32_t confirm = 17;
  ASSERT_EQ(THW_update(Hamlog.Thw, old, recNo, 16, confirm), 0);
  HamlogCloseDb(0);
}

void LogbookTest::MarkDeletedAsAnotherProgram(int32_t recNo) {
  QFile log(hamlogdb::DatabasePath(dir));
  ASSERT_TRUE(log.open(QIODevice::ReadWrite) && log.seek(hamlog::HdbRecordOffset(recNo)));
  ASSERT_EQ(log.write("*", 1), 1);
}

QStringList LogbookTest::Dump() {
  QString text;
  QTextStream out(&text);
  EXPECT_TRUE(hamlogdb::Dump(dir, 1, 1000000, out).Ok());
  out.flush();
  return text.split('\n', Qt::SkipEmptyParts);
}

QStringList NumbersAndCalls(const std::vector<QStringList>& rows) {
  QStringList out;
  for (const QStringList& r : rows) out << QString::number(RecordNumberOf(r[0])) + " " + r[1];
  return out;
}
