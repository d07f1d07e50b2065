#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "platform/ipc/ipc.h"
#include "platform/ui/responders.h"
#include "support/companion.h"
#include "support/other_process.h"
#include "support/waits.h"

using IpcTest = ::testing::Test;

TEST_F(IpcTest, AMessageReachesTheReceiverAndItsAnswerComesBack) {
  EXPECT_FALSE(IpcFind("Receiver A"));
  int32_t answer = -1;
  EXPECT_FALSE(IpcSend("Receiver A", "hello", &answer)) << "nobody listens";

  IpcReceiver receiver("Receiver A");
  ASSERT_TRUE(receiver.Listening());
  QByteArray got;
  receiver.Received = [&](const QByteArray& m, const IpcAnswer& a) { got = m, a.Send(42); };
  EXPECT_TRUE(IpcFind("Receiver A"));
  EXPECT_FALSE(IpcFind("Receiver B"));
  ASSERT_TRUE(IpcSend("Receiver A", QByteArray("ORBEXCall\x82\xa0", 11), &answer, kEventCapMs));
  EXPECT_EQ(got, QByteArray("ORBEXCall\x82\xa0", 11));
  EXPECT_EQ(answer, 42);

  // Only this user may reach the socket.
  const QFileInfo socket(IpcSocketPath("Receiver A"));
  EXPECT_EQ(socket.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
            QFile::Permissions());
  const QFileInfo folder(socket.path());
  EXPECT_EQ(folder.permissions() & (QFile::ExeGroup | QFile::ExeOther | QFile::ReadOther), QFile::Permissions());
}

TEST_F(IpcTest, AnAnswerKeptForLaterGoesBackWhenSentAndTheNextMessageWaitsForIt) {
  IpcReceiver receiver("Receiver L");
  QList<QByteArray> got;
  QList<IpcAnswer> kept;
  receiver.Received = [&](const QByteArray& m, const IpcAnswer& a) {
    got << m;
    if (m != "forgotten") kept << a;
  };
  QLocalSocket raw;  // one connection, two messages at once
  raw.connectToServer(IpcSocketPath("Receiver L"));
  ASSERT_TRUE(raw.waitForConnected(kEventCapMs));
  raw.write(QByteArray("\x05\0\0\0first\x06\0\0\0second", 19));
  ASSERT_TRUE(WaitUntil([&] { return got.size() == 1; }));
  // Another caller's message waits for the answers to those sent before it, also on other connections.
  Companion other("Receiver L");
  other.Send("forgotten");
  ASSERT_TRUE(WaitUntil([&] { return receiver.Waiting() == 2; }));
  EXPECT_EQ(got, QList<QByteArray>({"first"}));
  EXPECT_EQ(raw.bytesAvailable(), 0);
  kept[0].Send(3);
  kept[0].Send(9);  // a second send of one answer goes nowhere
  ASSERT_TRUE(WaitUntil([&] { return got.size() == 2 && raw.bytesAvailable() >= 4; }));
  kept[1].Send(4);
  ASSERT_TRUE(WaitUntil([&] { return raw.bytesAvailable() >= 8 && !other.Answers().isEmpty(); }));
  EXPECT_EQ(raw.readAll(), QByteArray("\x03\0\0\0\x04\0\0\0", 8));  // little-endian
  EXPECT_EQ(got, QList<QByteArray>({"first", "second", "forgotten"}));
  EXPECT_EQ(other.Answers(), QList<int32_t>({kIpcRefused}))
      << "nothing the handler dropped is claimed as done";
  raw.abort();  // an answer whose sender went is dropped
  raw.connectToServer(IpcSocketPath("Receiver L"));
  ASSERT_TRUE(raw.waitForConnected(kEventCapMs));
  raw.write(QByteArray("\x04\0\0\0late", 8));
  ASSERT_TRUE(WaitUntil([&] { return kept.size() == 3; }));
  raw.abort();
  kept[2].Send(0);
  int32_t answer = 0;
  EXPECT_TRUE(IpcSend("Receiver L", "forgotten", &answer, kEventCapMs)) << "the receiver lives on";
}

TEST_F(IpcTest, ASenderThatClosesItsWritingSideGetsItsAnswer) {
  IpcReceiver receiver("Receiver H");
  receiver.Received = [&](auto&, auto& a) {
    // A window opens meanwhile, and the close is seen before the answer.
    const QPointer<QLocalSocket> socket = receiver.findChild<QLocalSocket*>();
    (void)WaitUntil([&] { return !socket || socket->state() != QLocalSocket::ConnectedState; });
    a.Send(kIpcHandled);
  };
  QLocalSocket raw;
  raw.connectToServer(IpcSocketPath("Receiver H"));
  ASSERT_TRUE(raw.waitForConnected(kEventCapMs) && raw.write("\x05\0\0\0hello", 9) == 9 && raw.flush());
  ASSERT_EQ(::shutdown(int(raw.socketDescriptor()), SHUT_WR), 0);
  EXPECT_TRUE(
      WaitUntil([&] { return raw.bytesAvailable() >= 4 || raw.state() != QLocalSocket::ConnectedState; }));
  EXPECT_EQ(raw.readAll(), QByteArray(4, '\0'));
}

TEST_F(IpcTest, AHandlerThatWaitsWhileItsSenderTakesTheAnswerAndClosesLeavesTheReceiverWhole) {
  IpcReceiver receiver("Receiver W");
  QLocalSocket raw;  // reads its answer and goes
  QObject::connect(&raw, &QLocalSocket::readyRead, &raw, [&] { raw.abort(); });
  int handled = 0;
  receiver.Received = [&](const QByteArray&, const IpcAnswer& a) {
    a.Send(kIpcHandled);
    // A poll of the rig after the command, during which the sender goes.
    const QPointer<QLocalSocket> socket = receiver.findChild<QLocalSocket*>();
    if (++handled > 1) return;
    EXPECT_TRUE(WaitUntil(
        [&] { return !raw.isOpen() && (!socket || socket->state() != QLocalSocket::ConnectedState); }));
  };
  raw.connectToServer(IpcSocketPath("Receiver W"));
  ASSERT_TRUE(raw.waitForConnected(kEventCapMs) && raw.write("\x05\0\0\0hello", 9) == 9);
  ASSERT_TRUE(WaitUntil([&] { return handled == 1 && !receiver.findChild<QLocalSocket*>(); }));
  EXPECT_TRUE(IpcSend("Receiver W", "more", nullptr, kEventCapMs)) << "the receiver lives on";
}

TEST_F(IpcTest, AnOversizedMessageIsRefusedAndTheReceiverGoesOn) {
  IpcReceiver receiver("Receiver C");
  int handled = 0;
  receiver.Received = [&](const QByteArray&, const IpcAnswer& a) { a.Send(++handled); };
  EXPECT_FALSE(IpcSend("Receiver C", QByteArray(kIpcMaxMessage + 1, 'x'))) << "the sender will not send it";

  // A sender that announces more than the limit is cut off unread.
  QLocalSocket raw;
  raw.connectToServer(IpcSocketPath("Receiver C"));
  ASSERT_TRUE(raw.waitForConnected(kEventCapMs));
  QByteArray head(4, '\0');
  qToLittleEndian<uint32_t>(uint32_t(kIpcMaxMessage) + 1, head.data());
  raw.write(head + QByteArray(100, 'y'));
  raw.flush();
  EXPECT_TRUE(WaitUntil([&] { return receiver.Refused() == 1; }));
  EXPECT_EQ(handled, 0);

  int32_t answer = 0;
  EXPECT_TRUE(IpcSend("Receiver C", QByteArray(kIpcMaxMessage, 'z'), &answer, kEventCapMs)) << "the limit itself passes";
  EXPECT_EQ(answer, 1);
}

TEST_F(IpcTest, AFolderOthersCanWriteIntoOrOwnIsNeverUsed) {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  QTemporaryDir base;
  qputenv("XDG_RUNTIME_DIR", base.path().toLocal8Bit());
  const QString folder = base.path() + "/orbex5-ipc";
  auto refused = [&](const char* what) {
    IpcReceiver receiver("Receiver D");
    EXPECT_FALSE(receiver.Listening()) << what;
    EXPECT_FALSE(IpcSend("Receiver D", "hello")) << what;
    EXPECT_TRUE(IpcSocketPath("Receiver D").isEmpty()) << what;
    return IpcFolderProblem();
  };

  ASSERT_TRUE(QDir().mkdir(folder));
  QFile::setPermissions(folder, QFile::Permissions(0x7777));  // rwx for everyone
  EXPECT_EQ(refused("open to all"), folder + " に他のユーザーも書き込めます");
  QFile::setPermissions(folder, QFile::Permissions(0x7755));  // rwxr-xr-x
  EXPECT_EQ(refused("0755"),
            folder + " に他のユーザーも入れます (chmod 700 で自分だけのフォルダーにして下さい)");
  if (::chown(folder.toLocal8Bit().constData(), 54321, 54321) == 0) {
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(refused("another's"), folder + " は他のユーザー (uid 54321) のフォルダーです");
  }
  ASSERT_TRUE(QDir(folder).removeRecursively());
  QTemporaryDir elsewhere;
  ASSERT_TRUE(QFile::link(elsewhere.path(), folder));
  EXPECT_EQ(refused("a link"), folder + " がフォルダーではありません (リンクかファイルです)");

  QFile::remove(folder);
  {
    IpcReceiver receiver("Receiver D");
    EXPECT_TRUE(receiver.Listening()) << "made afresh, private";
    EXPECT_EQ(IpcFolderProblem(), "");
  }
  QFile(base.path() + "/file").open(QIODevice::WriteOnly);  // a runtime folder that is a file
  qputenv("XDG_RUNTIME_DIR", (base.path() + "/file").toLocal8Bit());
  EXPECT_EQ(refused("under a file"), base.path() + "/file/orbex5-ipc を作れません (途中のフォルダーがありません)");
  qputenv("XDG_RUNTIME_DIR", runtime);
}

TEST_F(IpcTest, ABoxAnsweredAfterTheIdleTimeStillAnswersAndASenderGoneMeanwhileIsLeftAlone) {
  const int idle = std::exchange(IpcSettings.IdleMs, 100);
  IpcReceiver receiver("Receiver K");
  receiver.Received = [](auto&, auto& a) { a.Send(MsgBox("unsaved?", vbYesNo) == vbYes ? 5 : 6); };
  MsgBoxResponder boxes;
  QLocalSocket raw;  // a sender that gives up while the second box is up
  boxes.OnShow = [&](const MsgBoxCall&) {
    if (boxes.shown().size() == 2) raw.abort();
    // The operator answers late: after the receiver dropped a caller that said nothing for the idle time.
    QLocalSocket idle;
    idle.connectToServer(IpcSocketPath("Receiver K"));
    ASSERT_TRUE(idle.waitForConnected(kEventCapMs));
    ASSERT_TRUE(WaitUntil([&] { return idle.state() == QLocalSocket::UnconnectedState; }));
  };
  boxes.Answer(vbYes).Answer(vbNo).Answer(vbYes);
  int32_t answer = 0;
  EXPECT_TRUE(IpcSend("Receiver K", "ORBEX5wf_CWM + CQ", &answer, kEventCapMs) && answer == 5);
  raw.connectToServer(IpcSocketPath("Receiver K"));
  raw.write(QByteArray("\x02\0\0\0hi", 6));
  EXPECT_TRUE(WaitUntil([&] { return boxes.shown().size() == 2 && raw.state() == QLocalSocket::UnconnectedState; }));
  EXPECT_TRUE(IpcSend("Receiver K", "again", &answer, kEventCapMs)) << "the receiver lives on";
  IpcSettings.IdleMs = idle;
}

TEST_F(IpcTest, ACallerThatNeverFinishesItsMessageIsDroppedAndTheSocketOutlivesTheOpenFileLimit) {
  IpcSettings.IdleMs = 200;
  {
    IpcReceiver receiver("Receiver I");
    QLocalSocket half;
    half.connectToServer(IpcSocketPath("Receiver I"));
    ASSERT_TRUE(half.waitForConnected(kEventCapMs));
    half.write(QByteArray("\x10\0\0\0abc", 7));  // 16 bytes announced, 3 sent
    half.flush();
    EXPECT_TRUE(WaitUntil([&] { return half.state() == QLocalSocket::UnconnectedState; })) << "dropped after the idle time";
  }

  // A child with few descriptors left: idle callers take them all and an accept fails.
  EXPECT_TRUE(InOtherProcess([] {
    int open = 0;
    for (int fd = 0; fd < 4096; ++fd) open += ::fcntl(fd, F_GETFD) != -1;
    const rlimit low{rlim_t(open + 24), rlim_t(open + 24)};
    if (::setrlimit(RLIMIT_NOFILE, &low) != 0) return false;
    IpcReceiver receiver("Receiver J");
    QStringList told;
    receiver.Lost = [&](const QString& why) { told << why; };
    receiver.Back = [&](const QString& what) { told << what; };
    receiver.Received = [](const QByteArray&, const IpcAnswer& a) { a.Send(7); };
    sockaddr_un a{AF_UNIX, {}};
    ::strncpy(a.sun_path, QFile::encodeName(IpcSocketPath("Receiver J")).constData(), sizeof(a.sun_path) - 1);
    std::vector<int> callers;  // connected, never served: the server's accept finds no descriptor left
    for (int fd; (fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0)) >= 0; callers.push_back(fd))
      ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    if (!WaitUntil([&] { return !receiver.Listening(); })) return false;
    int checks = 0;  // the receiver's checks for its socket
    for (QTimer* t : receiver.findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
      QObject::connect(t, &QTimer::timeout, [&] { ++checks; });
    const auto moreChecks = [&](int n) { const int from = checks; return WaitUntil([&] { return checks >= from + n; }); };
    // The descriptor the lost socket gave back is taken too, past the idle time: the socket cannot be
    // made again meanwhile, and the operator is told once.
    for (int fd; (fd = ::socket(AF_UNIX, SOCK_STREAM, 0)) >= 0;) callers.push_back(fd);
    if (!WaitUntil([&] { return !told.isEmpty(); }) || !moreChecks(3)) return false;
    if (told.size() != 1 || !told[0].contains("Receiver_J を作り直せません") || receiver.Listening()) return false;
    for (int fd : callers) ::close(fd);
    int32_t answer = 0;
    const bool answered = WaitUntil([&] { return IpcSend("Receiver J", "back?", &answer, 500); });
    if (!moreChecks(3)) return false;  // said once, not at each check
    return answered && answer == 7 && receiver.Listening() && told.size() == 2 &&
           told[0].endsWith("作り直しを続け、できたらお知らせします。") && told[1].endsWith("Receiver_J を作り直しました。指示はまた届きます。");
  })) << "the socket came back for the companions";
}
