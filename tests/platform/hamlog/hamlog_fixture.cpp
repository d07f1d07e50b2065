#include "hamlog_fixture.h"

#include "platform/hamlog/hamlog_session.h"
#include "platform/hamlog/hdb_table.h"
#include "platform/vbfile.h"

void HamlogFolder::SetUp() {
  hamlogLib = HamlogLib{};
  ASSERT_TRUE(dir_.isValid());
  ASSERT_TRUE(hamlog::HdbTable::CreateEmpty(Db()));
}

void HamlogFolder::TearDown() { hamlogLib = HamlogLib{}; }

void HamlogFolder::WriteMaster(const std::vector<hamlog::MasterEntry>& entries) {
  ASSERT_TRUE(hamlog::WriteMasterFile(Path("HAMLOG.MST"), entries));
}

void FillQso(ThwRecord& thw, const TestQso& q) {
  SetThBuffer(thw, q.call, 0);
  SetThBuffer(thw, q.date, 2);
  SetThBuffer(thw, q.time, 3);
  SetThBuffer(thw, "599", 4);
  SetThBuffer(thw, "599", 5);
  SetThBuffer(thw, q.freq, 6);
  SetThBuffer(thw, q.mode, 7);
  SetThBuffer(thw, q.code, 8);
  SetThBuffer(thw, "", 9);
  SetThBuffer(thw, q.qsl, 10);
  SetThBuffer(thw, q.name, 11);
  SetThBuffer(thw, q.qth, 12);
  SetThBuffer(thw, "", 13);
  SetThBuffer(thw, "", 14);
  SetThBuffer(thw, "0", 16);
}

void HamlogFolder::AddQsos(const std::vector<TestQso>& qsos) {
  ASSERT_EQ(Open(), 0);
  for (const TestQso& q : qsos) {
    FillQso(thw_, q);
    int32_t confirm = 0;
    ASSERT_EQ(THW_append(thw_, 16, confirm), 0);
  }
  Close();
}

int32_t HamlogFolder::Open() { return HamlogOpen(0, thw_, Base(), 1); }

void HamlogFolder::Close() { HamlogClose(thw_, 0); }

int32_t HamlogFolder::EditQso(int32_t recNo, const std::vector<std::pair<int, QString>>& fields) {
  if (const int32_t r = THW_read(thw_, recNo, 3); r != 0) return r;
  const ThwRecord old = thw_;
  for (const auto& [field, text] : fields) SetThBuffer(thw_, text, field);
  int32_t noQuestion = 17;
  return THW_update(thw_, old, recNo, 16, noQuestion);
}

QString HamlogFolder::Field(int32_t recNo, int field) {
  const bool wasOpen = hamlogLib.session && hamlogLib.session->db.IsOpen();
  if (!wasOpen) {
    EXPECT_EQ(Open(), 0);
  }
  QString text;
  if (THW_read(thw_, recNo, 3) == 0) ThwString(text, thw_, field);
  if (!wasOpen) Close();
  return text.remove(QChar(0)).trimmed();
}

std::vector<int32_t> HamlogFolder::Run(const char* suffix, const QString& key, int32_t length) {
  std::vector<int32_t> out;
  if (idx_open(Index(suffix), handle_) != 0) return out;
  for (int32_t r = idx_search(handle_, key, length); r > 0; r = idx_next(handle_)) out.push_back(r);
  idx_close(handle_);
  return out;
}

std::vector<int32_t> HamlogFolder::CallWalk(const QString& call) {
  std::vector<int32_t> out;
  for (int32_t r = Vidx_search(thw_, call, 16); r > 0; r = Vidx_next(thw_, 16)) out.push_back(r);
  return out;
}

QByteArray ReadFile(const QString& path) {
  QByteArray bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

void WriteFile(const QString& path, const QByteArray& bytes) { ASSERT_TRUE(AtomicWriteFile(path, bytes)); }
