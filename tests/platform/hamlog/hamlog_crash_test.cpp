// Writes cut short by a killed process, and two processes on one database.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <fstream>
#include <functional>

#include "hamlog_fixture.h"
#include "platform/hamlog/hdb_table.h"
#include "platform/hamlog/unix_file.h"
#include "platform/vbfile.h"
#include "support/other_process.h"
#include "support/waits.h"

namespace {

using V = std::vector<int32_t>;
using hamlog::HdbTable;

// A child starts with its own library state: the parent's descriptors (and the locks on them) are left
// alone, not closed, so nothing the parent holds is released.
void detachFromParent() {
  (void)hamlogLib.session.release();
  hamlogLib = HamlogLib{};
}

int reaped(pid_t pid) {
  int status = -1;
  waitpid(pid, &status, 0);
  return status;
}

HdbTable::WriteStep killAt;
int killAfter = 0;  // occurrences of the step let through first

class HamlogCrash : public HamlogFolder {
 protected:
  // Starts `work` in a child process of its own library state.
  pid_t InChild(const std::function<void()>& work) {
    const pid_t pid = fork();
    if (pid == 0) detachFromParent(), work(), _exit(0);
    return pid;
  }
  // Runs `work` in a child killed the (`after` + 1)th time a write reaches `step`.
  testing::AssertionResult KilledAt(HdbTable::WriteStep step, const std::function<void()>& work, int after = 0) {
    killAt = step, killAfter = after;
    const int status = reaped(InChild([&work] {
      HdbTable::stepHookForTest = [](HdbTable::WriteStep s) {
        if (s == killAt && killAfter-- == 0) raise(SIGKILL);
      };
      work();
    }));
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "wait status " << status;
  }
  void BesideOutsideAppends(bool twoLocks);
  // The call of every record of the open log, "*" for a deleted one.
  QStringList Calls() {
    QStringList calls;
    for (int32_t r = 1; r <= Vdbf_rcount(thw_); ++r) {
      QString call;
      const int32_t read = THW_read(thw_, r, 3);
      if (read == 0) ThwString(call, thw_, 0);
      calls << (read == HAMLOG_DELETED ? "*" : call.trimmed());
    }
    return calls;
  }
};

// One QSO appended as a dBase program appends it, through a descriptor of its own under a POSIX lock of
// the whole log: the record and the end-of-file byte, then the header's count.
// With `twoLocks` the count under a lock of its own a moment later, as some dBase programs write it.
bool OutsideAppend(const QString& db, const QByteArray& call, bool twoLocks = false) {
  const int fd = ::open(QFile::encodeName(db).constData(), O_RDWR);
  struct flock fl {};
  fl.l_type = F_WRLCK;
  uint32_t count = 0;  // little-endian on the disk as here
  if (fd < 0 || fcntl(fd, F_SETLKW, &fl) != 0 || pread(fd, &count, 4, 4) != 4) return false;
  const QByteArray record = QByteArray(809, ' ').replace(1, call.size(), call) + '\x1a';
  const bool ok = pwrite(fd, record.data(), size_t(record.size()), hamlog::HdbRecordOffset(++count)) == record.size() &&
                  (!twoLocks || (lockf(fd, F_ULOCK, 0) == 0 && usleep(1000) == 0 && lockf(fd, F_LOCK, 0) == 0)) &&
                  pwrite(fd, &count, 4, 4) == 4;
  close(fd);
  return ok;
}

// Forks a dBase-style writer appending `call`; back once it is through or waits for the log's lock (the
// kernel's list of locks shows its wait as "->").
pid_t StartOutsideAppend(const QString& db, const QByteArray& call) {
  const pid_t pid = fork();
  if (pid == 0) _exit(OutsideAppend(db, call) ? 0 : 6);
  const std::string waits = " " + std::to_string(pid) + " ";
  for (QDeadlineTimer cap(kEventCapMs); !cap.hasExpired(); usleep(5000)) {
    siginfo_t ended{};
    if (waitid(P_PID, id_t(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == pid) break;
    std::ifstream locks("/proc/locks");
    std::string all((std::istreambuf_iterator<char>(locks)), {});
    if (all.find("->") != std::string::npos && all.find(waits) != std::string::npos) break;
  }
  return pid;
}

TEST_F(HamlogCrash, AppendKilledAfterTheRecordLeavesEveryEarlierQsoAndTheOldCount) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}});
  ASSERT_TRUE(KilledAt(HdbTable::WriteStep::RecordWritten, [this] {
    if (Open() == 0) Append({"JA1KIL", "1101"});
  }));

  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(Calls(), QStringList({"JA1AAA", "JA1BBB"}));
  Close();
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

// An edit and a deletion killed at each of their steps: the next open finds the old log or the new one
// (a deletion's marks made, the next open packs them), every QSO whole, the indexes agreeing, nothing of
// the killed writer left beside the log.
TEST_F(HamlogCrash, EditAndDeletionKilledAtEveryStepLeaveTheOldLogOrTheNew) {
  using S = HdbTable::WriteStep;
  for (const auto& [at, edit] : std::initializer_list<std::pair<S, bool>>{
           {S::Locked, true}, {S::HeaderRead, true}, {S::JournalFilled, true}, {S::JournalWritten, true},
           {S::RecordWritten, true}, {S::Locked, false}, {S::HeaderRead, false}, {S::JournalFilled, false},
           {S::JournalWritten, false}, {S::PackCopied, false}, {S::PackCounted, false}}) {
    SCOPED_TRACE(testing::Message() << int(at) << (edit ? " edit" : " deletion"));
    for (const QString& name : QDir(Path("")).entryList(QDir::Files)) QFile::remove(Path(name));
    SetUp();
    AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1103"},
             {"JA1DDD", "1104"}, {"JA1EEE", "1101"}, {"JA1FFF", "1102"}});
    // A deletion's pack is its third write, after the two marks.
    const int after = !edit && (at == S::Locked || at == S::HeaderRead) ? 2 : 0;
    EXPECT_TRUE(KilledAt(at, [this, edit = edit] {
      if (Open() != 0) return;
      if (edit) EditQso(2, {{8, "1101"}, {11, "Taro"}});
      if (!edit) Vdbf_delete(thw_, 2), Vdbf_delete(thw_, 4), Vdbf_packwk(thw_, "", 58);
    }, after));
    ASSERT_EQ(Open(), 0);
    const QStringList calls = Calls();
    EXPECT_EQ(QFile(Db()).size(), hamlog::HdbRecordOffset(Vdbf_rcount(thw_) + 1) + 1);
    const V walk = CallWalk("JA1");
    Close();
    EXPECT_EQ(HamlogRecover(Db()), HAMLOG_OK);  // as the program's start
    EXPECT_EQ(QDir(Path("")).entryList({"*jnl*"}), QStringList());
    const bool done = !edit || (at != S::JournalFilled && at != S::Locked && at != S::HeaderRead);
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
  EXPECT_TRUE(KilledAt(HdbTable::WriteStep::IndexWritten, [this] {
    if (Open() == 0) Vdbf_delete(thw_, 2), Vdbf_packwk(thw_, "", 58);
  }));
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

// A log shared through its group (folder and files the group's, no setgid bit): the lock file and the
// journal root's killed edit left take the log's group and mode, so that another member completes the edit
// at its start. A journal it may not read is named as one, with its permission, not as a file to delete.
TEST_F(HamlogCrash, FilesBesideALogSharedThroughItsGroupAreTheGroupsAndAnUnreadableJournalIsNamedAsOne) {
  if (::geteuid() != 0) GTEST_SKIP() << "another user is made only as root";
  static constexpr gid_t kGroup = 64201;
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}});
  QFile::remove(Path("HAMLOG.lck"));
  const auto give = [](const QString& path, mode_t mode) {
    return ::chown(QFile::encodeName(path).constData(), 0, kGroup) +
           ::chmod(QFile::encodeName(path).constData(), mode);
  };
  for (const QString& name : QDir(Path("")).entryList(QDir::Files)) ASSERT_EQ(give(Path(name), 0660), 0);
  ASSERT_EQ(give(Path(""), 0775), 0);
  for (const char* name : {"Taro", "Jiro"}) {
    ASSERT_TRUE(KilledAt(HdbTable::WriteStep::JournalWritten, [&] {
      Open() == 0 && EditQso(2, {{11, name}});
    }));
    for (const QString& made : {Path("HAMLOG.lck"), Path("HAMLOG.jnl")})
      EXPECT_TRUE(QFileInfo(made).groupId() == kGroup &&
                  QFile::permissions(made) == (QFile::permissions(Db())))
          << made.toStdString();
    if (name[0] == 'J')
      ::chmod(QFile::encodeName(Path("HAMLOG.jnl")).constData(), 0600);  // as an earlier version left it
    EXPECT_TRUE(InOtherProcess([&] {                                     // another member of the group
      QStringList notices;
      const bool started = ::setgroups(1, &kGroup) == 0 && ::setgid(64202) == 0 && ::setuid(64202) == 0 &&
                           HamlogRecover(Db(), &notices) == HAMLOG_OK;
      if (name[0] == 'T') return started && notices.isEmpty() && Field(2, 11) == "Taro";
      return started && notices.size() == 1 &&
             notices[0].contains(" は前回途中で終わった QSO の修正か削除のジャーナル") &&
             notices[0].contains("(-rw------- root:") && !notices[0].contains("削除するか");
    })) << name;
  }
  EXPECT_TRUE(QFile::exists(Path("HAMLOG.jnl")));
}

// An edit's journal made as its format is described is completed at the next open; one with a bit of its
// record number flipped (3 to 2), or of the previous format (its head unchecked), is kept aside and named.
TEST_F(HamlogCrash, AnEditJournalIsCompletedOnlyWhenItsWholeHeadChecks) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1103"}});
  const QByteArray log = ReadFile(Db());
  const QByteArray image = log.mid(hamlog::HdbRecordOffset(3), 809).replace(hamlog::kCodeOffset, 4, "1101");
  const auto journal = [&](const char* magic, bool headChecked) {
    const QByteArray head = magic + QByteArray("\x03\0\0\0", 4) + log.mid(20, 4), checked = headChecked ? head + image : image;
    const uint64_t fnv = hamlog::Fnv1a(checked.constData(), size_t(checked.size()));  // little-endian, as stored
    return head + QByteArray(reinterpret_cast<const char*>(&fnv), 8) + image;
  };
  for (const QByteArray& kept :
       {journal("OXJNL002", true).replace(8, 1, "\x02"), journal("OXJNL001", false)}) {
    WriteFile(Path("HAMLOG.jnl"), kept);
    QStringList notices;
    EXPECT_EQ(HamlogRecover(Db(), &notices), HAMLOG_OK);
    EXPECT_EQ(ReadFile(Db()), log);
    EXPECT_EQ(ReadFile(Path("HAMLOG.jnl.damaged")), kept);
    EXPECT_TRUE(notices.size() == 1 && notices[0].contains("QSO の修正") && notices[0].contains(Path("HAMLOG.jnl.damaged")));
    QFile::remove(Path("HAMLOG.jnl.damaged"));
  }
  WriteFile(Path("HAMLOG.jnl"), journal("OXJNL002", true));
  EXPECT_EQ(Field(3, 8), "1101");
  EXPECT_FALSE(QFile::exists(Path("HAMLOG.jnl")));
  EXPECT_EQ(Run("dx1", "1101", 4), (V{1, 3}));
}

// A journal of ours cut short is not replayed but kept aside; a file of another's in its place stays,
// and so does the log.
TEST_F(HamlogCrash, TornJournalIsKeptAsideAndAnotherFileInItsPlaceStays) {
  AddQsos({{"JA1AAA", "1101"}});
  QByteArray journal = "OXJNL001" + QByteArray("\x01\0\0\0", 4) + ReadFile(Db()).mid(20, 4);
  journal.append(QByteArray(30, '\x01'));  // cut short long before the image
  WriteFile(Path("HAMLOG.jnl"), journal);
  EXPECT_EQ(Field(1, 0), "JA1AAA");
  EXPECT_EQ(Field(1, 8), "1101");
  EXPECT_FALSE(QFile::exists(Path("HAMLOG.jnl")));
  EXPECT_EQ(ReadFile(Path("HAMLOG.jnl.damaged")), journal);

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
  const pid_t pid = InChild([&] {
    char c = Open() == 0 ? 'o' : 'x';
    (void)!write(toParent[1], &c, 1);
    (void)!read(toChild[0], &c, 1);
  });
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
  const auto writer = [this](const char* prefix) {
    return InChild([this, prefix] {
      SetDbsShare(1);
      if (Open() != 0) _exit(3);
      for (int i = 0; i < 300; ++i)
        if (Append({QString("%1%2").arg(prefix).arg(i, 3, 10, QChar('0')), i % 2 ? "1101" : "1102"}) != 0) _exit(5);
    });
  };
  const pid_t a = writer("JA2A"), b = writer("JA3B");
  EXPECT_EQ(WEXITSTATUS(reaped(a)), 0);
  EXPECT_EQ(WEXITSTATUS(reaped(b)), 0);

  EXPECT_EQ(Vdbf_rcount(thw_), 601);
  EXPECT_EQ(CallWalk("JA2A").size(), 600u);  // from JA2A000 to the end: every child QSO
  EXPECT_EQ(CallWalk("JA3B").size(), 300u);
  Close();
  EXPECT_EQ(Run("dx1", "1101", 4).size(), 301u);
  EXPECT_EQ(Run("dx1", "1102", 4).size(), 300u);
  hamlog::durableWrites = true;
}

// A pack another copy left half done is completed under the lock of the next write; that write failing
// before its own change reached the log says it failed, not that the change is in the log.
TEST_F(HamlogCrash, AWriteFailingAfterItCompletedAnotherCopysPackSaysItFailed) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1103"}});
  SetDbsShare(1);
  ASSERT_EQ(Open(), 0);
  EXPECT_TRUE(KilledAt(HdbTable::WriteStep::PackCounted, [this] {
    SetDbsShare(1);
    if (Open() == 0) Vdbf_delete(thw_, 1), Vdbf_packwk(thw_, "", 58);
  }));
  const int made = OwnScratchPath(Path("HAMLOG.jnl")).section('.', -1).toInt();  // the edit's is the next
  ASSERT_TRUE(QDir().mkpath(Path("HAMLOG.jnl.~orbex5.%1.%2").arg(getpid()).arg(made + 1)));
  EXPECT_EQ(EditQso(1, {{11, "Jiro"}}), HAMLOG_IO_ERROR);
  EXPECT_EQ(Field(1, 0), "JA1BBB");
  EXPECT_EQ(Field(1, 11), "");
}

// A dBase program appending while our append is between its record and its count waits for the log's
// lock: both QSOs are counted and the log opens.
TEST_F(HamlogCrash, AnOutsideAppendUnderTheLogsLockWaitsForOurs) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}});
  ASSERT_EQ(Open(), 0);
  static pid_t outside;
  static QString db;
  outside = 0, db = Db();
  HdbTable::stepHookForTest = [](HdbTable::WriteStep s) {
    if (s == HdbTable::WriteStep::RecordWritten && !outside) outside = StartOutsideAppend(db, "JA7OUT");
  };
  EXPECT_EQ(Append({"JA1NEW", "1101"}), 0);
  HdbTable::stepHookForTest = nullptr;
  EXPECT_EQ(reaped(outside), 0);
  const QStringList calls = Calls();
  Close();
  EXPECT_EQ(calls, QStringList({"JA1AAA", "JA1BBB", "JA1NEW", "JA7OUT"}));
}

// 100 appends of a dBase program beside 60 edits and 5 deletions of ours: every QSO kept, the log whole.
void HamlogCrash::BesideOutsideAppends(bool twoLocks) {
  hamlog::durableWrites = false;
  std::vector<TestQso> own;
  for (int i = 0; i < 30; ++i) own.push_back({QString("JA1A%1").arg(i, 2, 10, QChar('0')), "1101"});
  AddQsos(own);
  const pid_t outside = fork();
  if (outside == 0) {
    for (int i = 0; i < 100; ++i) {
      if (!OutsideAppend(Db(), QString("JA7X%1").arg(i, 3, 10, QChar('0')).toLatin1(), twoLocks)) _exit(6);
      usleep(twoLocks ? 2000 : 300);
    }
    _exit(0);
  }
  for (int i = 0; i < 65; ++i) {
    EXPECT_EQ(Open(), 0) << HamlogProblem().toStdString();
    if (i % 13 == 12) {
      EXPECT_EQ(Vdbf_delete(thw_, 21), 0);
      EXPECT_EQ(Vdbf_packwk(thw_, "", 58), 0);
    } else {
      EXPECT_EQ(EditQso(1 + i % 20, {{11, QString("Name %1").arg(i)}}), 0);
    }
    Close();
  }
  EXPECT_EQ(reaped(outside), 0);
  ASSERT_EQ(Open(), 0);
  const QStringList calls = Calls();
  Close();
  EXPECT_EQ(calls.filter(QRegularExpression("^JA7X")).size(), 100);
  EXPECT_EQ(calls.size(), 125);
  hamlog::durableWrites = true;
}

TEST_F(HamlogCrash, OutsideAppendsBesideEditsAndDeletionsAreAllKept) { BesideOutsideAppends(false); }
// ... also when the program locks its record and its count apart: no count read between them is damage.
TEST_F(HamlogCrash, AnOutsideWriterLockingRecordAndCountApartIsNoDamage) { BesideOutsideAppends(true); }

// A pack journal whose records were damaged is not written back: kept under a name that says so, and
// named for the operator.
TEST_F(HamlogCrash, ADamagedPackJournalIsKeptUnderANameThatSaysSoAndNamed) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1103"}});
  ASSERT_TRUE(KilledAt(HdbTable::WriteStep::JournalWritten, [this] {
    if (Open() == 0) Vdbf_delete(thw_, 1), Vdbf_packwk(thw_, "", 58);
  }));
  QByteArray journal = ReadFile(Path("HAMLOG.jnl"));
  ASSERT_GT(journal.size(), 36 + 809);
  journal[36 + 809 + 5] = char(journal[36 + 809 + 5] ^ 0x04);  // JA1CCC becomes JA1CGC
  WriteFile(Path("HAMLOG.jnl"), journal);
  QStringList notices;
  EXPECT_EQ(HamlogRecover(Db(), &notices), HAMLOG_OK);
  EXPECT_EQ(ReadFile(Path("HAMLOG.jnl.damaged")), journal);
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(notices[0].contains(Path("HAMLOG.jnl.damaged"))) << notices[0].toStdString();
  EXPECT_EQ(Field(3, 0), "JA1CCC");
  // Killed once the packed records are in the log, before its count (records 1 and 2 deleted, the first
  // still marked): the QSOs moved up stand twice, and the notice names each with both its numbers. So too
  // when the damage is in the journal's first eight bytes: a file nearly the journal is a damaged journal.
  AddQsos({{"JA1DDD", "1104"}});
  const QByteArray unpacked = ReadFile(Db());
  for (const QString kept : {"HAMLOG.jnl.damaged.2", "HAMLOG.jnl.damaged.3"}) {
    WriteFile(Db(), unpacked);
    ASSERT_TRUE(KilledAt(HdbTable::WriteStep::PackCopied, [this] {
      if (Open() == 0) Vdbf_delete(thw_, 2), Vdbf_packwk(thw_, "", 58);
    }));
    journal = ReadFile(Path("HAMLOG.jnl"));
    if (kept.endsWith('2'))
      journal[36 + 5] = char(journal[36 + 5] ^ 0x04);
    else
      for (int i = 0; i < 8; ++i) journal[i] = char(journal[i] ^ 0x20);
    WriteFile(Path("HAMLOG.jnl"), journal);
    EXPECT_EQ(HamlogRecover(Db(), &notices), HAMLOG_OK);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].startsWith(
        Path("HAMLOG.jnl") + " は QSO の削除の途中で残ったこのプログラムのジャーナルですが、壊れている"));
    EXPECT_TRUE(notices[0].contains(Db() + " の 1 番と 3 番 (JA1CCC 24/05/06 21:05J)、2 番と 4 番 (JA1DDD "
                                           "24/05/06 21:05J) に同じ QSO が二つあります"))
        << notices[0].toStdString();
    EXPECT_EQ(ReadFile(Path(kept)), journal);
  }
}

// A pack killed with its header's commit torn (16 of its 32 bytes written: the new count, the old rest)
// leaves a count that fits no length: its checked journal is completed all the same, at the start.
TEST_F(HamlogCrash, APackWhoseHeaderCommitWasTornIsCompletedFromItsJournal) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1103"}, {"JA1DDD", "1104"}});
  ASSERT_TRUE(KilledAt(HdbTable::WriteStep::PackCopied, [this] {
    if (Open() == 0) Vdbf_delete(thw_, 2), Vdbf_packwk(thw_, "", 58);
  }));
  QByteArray log = ReadFile(Db()), committed = log.left(32);
  auto* head = reinterpret_cast<unsigned char*>(committed.data());
  const hamlog::HdbHeader was = hamlog::HdbHeadValues(head);
  hamlog::StampHdbHeader(head, {3, was.generation + 1, was.identity, was.count}, QDate(2024, 5, 6));
  WriteFile(Db(), log.replace(0, 16, committed.left(16)));
  EXPECT_EQ(HamlogRecover(Db()), HAMLOG_OK);  // as the program's start
  EXPECT_FALSE(QFile::exists(Path("HAMLOG.jnl")));
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(Calls(), QStringList({"JA1AAA", "JA1CCC", "JA1DDD"}));
  Close();
  EXPECT_EQ(Run("dx1", "1104", 4), (V{3}));
}

// A deletion whose packed records cannot be flushed: flushed again, it is done; failing on, it is said done
// but unconfirmed, and its journal completes it at the next open, never undone.
TEST_F(HamlogCrash, ADeletionWhosePackCannotBeFlushedIsCompletedNotSaidToHaveFailed) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1103"}, {"JA1DDD", "1104"}});
  static int failures;
  HdbTable::stepHookForTest = [](HdbTable::WriteStep s) {
    if (s == HdbTable::WriteStep::JournalWritten) hamlog::syncFailureForTest = [] { return failures-- > 0 ? EIO : 0; };
  };
  for (const int failing : {1, 1000}) {
    failures = failing;
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(Vdbf_delete(thw_, 1), 0);
    EXPECT_EQ(Vdbf_packwk(thw_, "", 58), failing == 1 ? HAMLOG_OK : HAMLOG_UNCONFIRMED);
    EXPECT_EQ(failing > 1, HamlogProblem().endsWith("残したジャーナル " + Path("HAMLOG.jnl") + " から書き込みを仕上げます"));
    hamlog::syncFailureForTest = nullptr;
    Close();
  }
  HdbTable::stepHookForTest = nullptr;
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(Calls(), QStringList({"JA1CCC", "JA1DDD"}));
  Close();
  EXPECT_FALSE(QFile::exists(Path("HAMLOG.jnl")));
  EXPECT_EQ(Run("dx1", "1104", 4), (V{2}));
}

// A deletion whose pack cannot lock the log once the mark is written (an I/O error of a network disk's
// lock manager): said as a deletion whose QSO is marked, read by nothing, and packed at the next open,
// which packs it.
TEST_F(HamlogCrash, ADeletionWhosePackCannotLockTheLogIsSaidAndPackedAtTheNextOpen) {
  AddQsos({{"JA1AAA", "1101"}, {"JA1BBB", "1102"}, {"JA1CCC", "1103"}});
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(Vdbf_delete(thw_, 2), 0);
  hamlog::lockFailureForTest = [] { return EIO; };
  EXPECT_EQ(Vdbf_packwk(thw_, "", 58), HAMLOG_UNCONFIRMED);
  hamlog::lockFailureForTest = nullptr;
  EXPECT_EQ(HamlogProblem(), Db() + " の記録を詰められませんでした (" + FileErrorReason(EIO) +
                                 ")。2 番の QSO は削除の印が付いて、どの読み込みにも出ません。"
                                 "記録を詰めるのは、次に HAMLOG.HDB を開くときに行います");
  EXPECT_EQ(THW_read(thw_, 2, 3), HAMLOG_DELETED);
  Close();
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(Calls(), QStringList({"JA1AAA", "JA1CCC"}));
  Close();
  EXPECT_EQ(Run("dx1", "1103", 4), (V{2}));
}

}  // namespace
