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
  const std::pair<int, QString> fields[] = {{0, q.call},  {2, q.date}, {3, q.time}, {4, "599"}, {5, "599"},
                                            {6, q.freq},  {7, q.mode}, {8, q.code}, {9, ""},    {10, q.qsl},
                                            {11, q.name}, {12, q.qth}, {13, ""},    {14, ""},   {16, "0"}};
  for (const auto& [field, text] : fields) SetThBuffer(thw, text, field);
}

void HamlogFolder::AddQsos(const std::vector<TestQso>& qsos) {
  ASSERT_EQ(Open(), 0);
  for (const TestQso& q : qsos) ASSERT_EQ(Append(q), 0);
  Close();
}

int32_t HamlogFolder::Append(const TestQso& q) {
  int32_t confirm = 0;
  FillQso(thw_, q);
  return THW_append(thw_, 16, confirm);
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
