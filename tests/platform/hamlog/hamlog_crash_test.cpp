// Writes cut short by a killed process, and two processes on one database.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "hamlog_fixture.h"
#include "platform/hamlog/hdb_table.h"
#include "platform/hamlog/unix_file.h"

namespace {

using V = std::vector<int32_t>;
using hamlog::HdbTable;

// A child starts with its own library state: the parent's descriptors (and the locks on them) are left
// alone, not closed, so nothing the parent holds is released.
void detachFromParent() {
  (void)hamlogLib.session.release();
  hamlogLib = HamlogLib{};
}

class HamlogCrash : public HamlogFolder {
 protected:
  // Runs `work` in a child process and returns its wait status.
  int InChild(const std::function<void()>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
      detachFromParent();
      work();
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  }
};

bool killedBySigkill(int status) { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }

TEST_F(HamlogCrash, AppendKilledAfterTheRecordLeavesEveryEarlierQsoAndTheOldCount) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}});
  const int status = InChild([this] {
    HdbTable::stepHookForTest = [](HdbTable::WriteStep s) {
      if (s == HdbTable::WriteStep::RecordWritten) raise(SIGKILL);
    };
    if (Open() != 0) _exit(3);
    FillQso(thw_, {"JA1KIL", "1101"});
    int32_t confirm = 0;
    THW_append(thw_, 16, confirm);
    _exit(4);
  });
  ASSERT_TRUE(killedBySigkill(status)) << status;

  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(Vdbf_rcount(thw_), 2);
  Close();
  EXPECT_EQ(Field(1, 0), "JA1AAA");
  EXPECT_EQ(Field(2, 0), "JA1BBB");
  EXPECT_EQ(Run("dx1", "1101", 4), (V{1}));
  // The next append takes the place of the lost one.
  AddQsos({{"JA1CCC", "1101"}});
  EXPECT_EQ(Field(3, 0), "JA1CCC");
  EXPECT_EQ(Run("dx1", "1101", 4), (V{1, 3}));
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(CallWalk("JA1CCC"), (V{3}));
  EXPECT_EQ(Vidx_search(thw_, "JA1KIL", 16), 0);
  Close();
}

HdbTable::WriteStep killAt;

// An edit and a deletion killed at each of their steps: the next open finds the old log or the new one,
// every QSO whole, the indexes agreeing, nothing of the killed writer left beside the log.
TEST_F(HamlogCrash, EditAndDeletionKilledAtEveryStepLeaveTheOldLogOrTheNew) {
  using S = HdbTable::WriteStep;
  for (const auto& [at, edit] : std::initializer_list<std::pair<S, bool>>{
           {S::JournalFilled, true}, {S::JournalWritten, true}, {S::RecordWritten, true}, {S::JournalFilled, false},
           {S::JournalWritten, false}, {S::PackCopied, false}, {S::PackCounted, false}}) {
    SCOPED_TRACE(testing::Message() << int(at) << (edit ? " edit" : " deletion"));
    for (const QString& name : QDir(Path("")).entryList(QDir::Files)) QFile::remove(Path(name));
    SetUp();
    AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1103"},
             {"JA1DDD", "1104"}, {"JA1EEE", "1101"}, {"JA1FFF", "1102"}});
    killAt = at;
    EXPECT_TRUE(killedBySigkill(InChild([this, edit = edit] {
      HdbTable::stepHookForTest = [](S s) {
        if (s == killAt) raise(SIGKILL);
      };
      if (Open() != 0) return;
      if (edit) EditQso(2, {{8, "1101"}, {11, "Taro"}});
      if (!edit) Vdbf_delete(thw_, 2), Vdbf_delete(thw_, 4), Vdbf_packwk(thw_, "", 58);
    })));
    ASSERT_EQ(Open(), 0);
    QStringList calls;
    for (int32_t r = 1; r <= Vdbf_rcount(thw_); ++r) {
      QString call;
      const int32_t read = THW_read(thw_, r, 3);
      if (read == 0) ThwString(call, thw_, 0);
      calls << (read == HAMLOG_DELETED ? "*" : call.trimmed());
    }
    EXPECT_EQ(QFile(Db()).size(), hamlog::HdbRecordOffset(Vdbf_rcount(thw_) + 1) + 1);
    const V walk = CallWalk("JA1");
    Close();
    EXPECT_EQ(HamlogRecover(Db()), HAMLOG_OK);  // as the program's start
    EXPECT_EQ(QDir(Path("")).entryList({"*jnl*"}), QStringList());
    const bool done = at != S::JournalFilled;
    if (edit) {
      EXPECT_EQ(calls, QStringList({"JA1AAA", "JA1BBB", "JA1CCC", "JA1DDD", "JA1EEE", "JA1FFF"}));
      EXPECT_EQ(Field(2, 8), done ? "1101" : "1102");
      EXPECT_EQ(Field(2, 11), done ? "Taro" : "");
      EXPECT_EQ(Run("dx1", "1101", 4), done ? (V{1, 2, 5}) : (V{1, 5}));
    } else {
      EXPECT_EQ(calls, done ? QStringList({"JA1AAA", "JA1CCC", "JA1EEE", "JA1FFF"})
                            : QStringList({"JA1AAA", "*", "JA1CCC", "*", "JA1EEE", "JA1FFF"}));
      EXPECT_EQ(Run("dx1", "1101", 4), done ? (V{1, 3}) : (V{1, 5}));
      EXPECT_EQ(walk, done ? (V{1, 2, 3, 4}) : (V{1, 3, 5, 6}));
    }
  }
}

// A kill while a new index file takes the old one's place leaves nothing after the next start; a new
// index file keeps the owner, group and mode of the one it replaces.
TEST_F(HamlogCrash, AnIndexReplacementKilledLeavesNothingAndANewIndexKeepsItsOwner) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1101"}});
  const bool root = ::geteuid() == 0;
  for (const char* s : {"dx1", "dxc"}) {
    const QByteArray index = QFile::encodeName(Index(s));
    if (root) { ASSERT_EQ(::chown(index.constData(), 4242, 4243), 0); }
    ASSERT_EQ(::chmod(index.constData(), 0640), 0);
  }
  EXPECT_TRUE(killedBySigkill(InChild([this] {
    HdbTable::stepHookForTest = [](HdbTable::WriteStep s) {
      if (s == HdbTable::WriteStep::IndexWritten) raise(SIGKILL);
    };
    if (Open() == 0) Vdbf_delete(thw_, 2), Vdbf_packwk(thw_, "", 58);
  })));
  EXPECT_EQ(QDir(Path("")).entryList({"*.dx?.*"}).size(), 1u);
  EXPECT_EQ(HamlogRecover(Db()), HAMLOG_OK);  // as the program's start
  EXPECT_EQ(QDir(Path("")).entryList({"*.dx?.*", "*.~orbex5.*"}), QStringList());
  EXPECT_EQ(Run("dx1", "1101", 4), (V{1, 2}));
  for (const char* s : {"dx1", "dxc"}) {
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(Index(s)).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << s;
    if (root) { EXPECT_EQ(std::pair(st.st_uid, st.st_gid), std::pair(uid_t(4242), gid_t(4243))) << s; }
  }
}

TEST_F(HamlogCrash, AJournalLeftByAKillIsCompletedAtTheNextOpen) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}});
  // One made here as its format is described.
  const QByteArray image =
      ReadFile(Db()).mid(hamlog::HdbRecordOffset(2), 809).replace(hamlog::kCodeOffset, 4, "1101");
  uint64_t fnv = 0xcbf29ce484222325ull;
  for (char c : image) fnv = (fnv ^ uint8_t(c)) * 0x100000001b3ull;
  QByteArray journal = "OXJNL001" + QByteArray("\x02\0\0\0", 4) + ReadFile(Db()).mid(20, 4);
  for (int i = 0; i < 8; ++i) journal += char(fnv >> (8 * i));
  WriteFile(Path("HAMLOG.jnl"), journal + image);
  EXPECT_EQ(Field(2, 8), "1101");
  EXPECT_FALSE(QFile::exists(Path("HAMLOG.jnl")));
  EXPECT_EQ(Run("dx1", "1101", 4), (V{1, 2}));
}

// A journal of ours cut short is dropped; a file of another's in its place stays, and so does the log.
TEST_F(HamlogCrash, TornJournalIsDroppedAndAnotherFileInItsPlaceStays) {
  AddQsos({{"JA1AAA", "1101"}});
  QByteArray journal = "OXJNL001" + QByteArray("\x01\0\0\0", 4) + ReadFile(Db()).mid(20, 4);
  journal.append(QByteArray(30, '\x01'));  // cut short long before the image
  WriteFile(Path("HAMLOG.jnl"), journal);
  EXPECT_EQ(Field(1, 0), "JA1AAA");
  EXPECT_EQ(Field(1, 8), "1101");
  EXPECT_FALSE(QFile::exists(Path("HAMLOG.jnl")));

  const QByteArray notes = "OXJNL001 is what my logger's journal starts with, too\n";
  WriteFile(Path("HAMLOG.jnl"), notes);
  EXPECT_EQ(HamlogRecover(Db()), HAMLOG_OK);
  EXPECT_EQ(Field(1, 0), "JA1AAA");
  EXPECT_EQ(ReadFile(Path("HAMLOG.jnl")), notes);
  // An edit that needs the journal's name is refused, naming the file.
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(EditQso(1, {{8, "1102"}, {11, "Taro"}}), HAMLOG_IO_ERROR);
  Close();
  EXPECT_TRUE(HamlogProblem().startsWith(Path("HAMLOG.jnl") + " はこのプログラムの作ったファイルではない"));
  EXPECT_EQ(ReadFile(Path("HAMLOG.jnl")), notes);
  EXPECT_EQ(Field(1, 8), "1101");
}

TEST_F(HamlogCrash, UnsharedOpenHoldsTheDatabaseAlone) {
  AddQsos({{"JA1AAA"}});
  int toChild[2], toParent[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(toParent), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    detachFromParent();
    char c = Open() == 0 ? 'o' : 'x';
    (void)!write(toParent[1], &c, 1);
    (void)!read(toChild[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(toParent[0], &c, 1), 1);
  ASSERT_EQ(c, 'o');
  EXPECT_EQ(Open(), HAMLOG_IN_USE);
  int32_t h = 0;
  EXPECT_NE(dbf_open(Db(), h), 0);
  SetDbsShare(1);
  EXPECT_EQ(Open(), HAMLOG_IN_USE);  // shared or not, it waits for the one that holds it alone
  (void)!write(toChild[1], "g", 1);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(Open(), 0);
  Close();
}

TEST_F(HamlogCrash, TwoProcessesAppendingInSharedModeLoseNothing) {
  hamlog::durableWrites = false;
  AddQsos({{"JA1AAA", "1101"}});
  SetDbsShare(1);
  ASSERT_EQ(Open(), 0);  // the parent keeps the database open, shared, while the children write
  auto writer = [this](const char* prefix) {
    return [this, prefix] {
      detachFromParent();
      SetDbsShare(1);
      if (Open() != 0) _exit(3);
      for (int i = 0; i < 300; ++i) {
        FillQso(thw_, {QString("%1%2").arg(prefix).arg(i, 3, 10, QChar('0')), i % 2 ? "1101" : "1102"});
        int32_t confirm = 0;
        if (THW_append(thw_, 16, confirm) != 0) _exit(5);
      }
      _exit(0);
    };
  };
  const pid_t a = fork();
  if (a == 0) writer("JA2A")();
  const pid_t b = fork();
  if (b == 0) writer("JA3B")();
  int sa = 0, sb = 0;
  waitpid(a, &sa, 0);
  waitpid(b, &sb, 0);
  EXPECT_EQ(WEXITSTATUS(sa), 0);
  EXPECT_EQ(WEXITSTATUS(sb), 0);

  EXPECT_EQ(Vdbf_rcount(thw_), 601);
  EXPECT_EQ(CallWalk("JA2A").size(), 600u);  // from JA2A000 to the end: every child QSO
  V mine;
  for (int32_t r = Vidx_search(thw_, "JA3B", 16); r > 0; r = Vidx_next(thw_, 16)) mine.push_back(r);
  EXPECT_EQ(mine.size(), 300u);
  Close();
  EXPECT_EQ(Run("dx1", "1101", 4).size(), 301u);
  EXPECT_EQ(Run("dx1", "1102", 4).size(), 300u);
  hamlog::durableWrites = true;
}

}  // namespace
