#include "platform/ipc/ipc.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <optional>
#include <utility>

#include "platform/file_fault.h"
#include "platform/ui/doevents.h"

namespace {

constexpr qsizetype kHeader = 4;
constexpr int kWatchMs = 500;

// The folder of the sockets, inside the user's runtime folder (or the temporary folder, under a name
// of this user): used only when it is a real folder of this user that nobody else may enter, since
// whoever can write there could put a socket of their own in place of ours, and whoever can look in
// sees who is listening. "" and `why` otherwise.
QString socketFolder(QString* why = nullptr) {
  QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
  QString folder = base + "/orbex5-ipc";
  if (base.isEmpty() || !QDir::isAbsolutePath(base))
    folder = QDir::tempPath() + "/orbex5-ipc-" + QString::number(::geteuid());
  const QByteArray path = QFile::encodeName(folder);
  if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
    if (why) *why = folder + " を作れません (" + FileErrorReason(errno) + ")";
    return {};
  }
  struct stat st {};
  QString problem;
  if (::lstat(path.constData(), &st) != 0)
    problem = folder + " を調べられません (" + FileErrorReason(errno) + ")";
  else if (!S_ISDIR(st.st_mode))
    problem = folder + " がフォルダーではありません (リンクかファイルです)";
  else if (st.st_uid != ::geteuid())
    problem = folder + " は他のユーザー (uid " + QString::number(st.st_uid) + ") のフォルダーです";
  else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
    problem = folder + " に他のユーザーも書き込めます";
  else if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0)
    problem = folder + " に他のユーザーも入れます (chmod 700 で自分だけのフォルダーにして下さい)";
  if (!problem.isEmpty()) {
    if (why) *why = problem;
    return {};
  }
  return folder;
}

// A pipe's two descriptors could be had: room for a listen and what goes with it.
bool descriptorsLeft() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return false;
  ::close(ends[0]);
  ::close(ends[1]);
  return true;
}

QByteArray header(uint32_t n) {
  QByteArray b(kHeader, '\0');
  qToLittleEndian<uint32_t>(n, b.data());
  return b;
}

}  // namespace

IpcSettingsState IpcSettings;

QString IpcSocketPath(const QString& title) {
  const QString folder = socketFolder();
  if (folder.isEmpty()) return {};
  QString name;
  for (QChar c : title) name += (c.isLetterOrNumber() && c.unicode() < 128) ? c : QChar(u'_');
  return folder + "/" + name;
}

QString IpcFolderProblem() {
  QString why;
  socketFolder(&why);
  return why;
}

namespace {

bool listensAt(const QString& path) {
  if (path.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(path);
  const bool up = socket.waitForConnected(200);
  socket.abort();
  return up;
}

// The receivers of this program.
std::vector<IpcReceiver*>& liveReceivers() {
  static std::vector<IpcReceiver*> r;
  return r;
}

}  // namespace

bool IpcFind(const QString& title) { return listensAt(IpcSocketPath(title)); }

bool IpcSend(const QString& title, const QByteArray& message, int32_t* answer, int timeoutMs) {
  const QString path = IpcSocketPath(title);
  if (message.size() > kIpcMaxMessage || path.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(200)) return false;
  socket.write(header(uint32_t(message.size())) + message);

  // The receiver may live in this process: its socket needs our events to run while we wait, and its
  // turn needs a loop that no hold of ours keeps back.
  std::optional<InputHold> hold;
  if (std::none_of(liveReceivers().begin(), liveReceivers().end(),
                   [&](const IpcReceiver* r) { return r->SocketPath() == path; }))
    hold.emplace();
  QEventLoop loop;
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
    if (socket.bytesAvailable() >= kHeader) loop.quit();
  });
  QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
  timeout.start(timeoutMs);
  if (socket.bytesAvailable() < kHeader) loop.exec(WaitFlags());
  if (socket.bytesAvailable() < kHeader) {
    socket.abort();
    return false;
  }
  const QByteArray reply = socket.read(kHeader);
  if (answer) *answer = qFromLittleEndian<int32_t>(reply.constData());
  socket.disconnectFromServer();
  return true;
}

struct IpcReceiver::Connection {
  QPointer<QLocalSocket> socket;
  QPointer<QTimer> idle;
  int queued = 0;         // its messages in the receiver's queue
  bool handling = false;  // one of its messages is with the handler, not answered yet
  bool ended = false;     // the socket saw the end of the connection (or cut it off)
  // The connection's own descriptor, kept for the answers: a sender that closed its writing side after
  // its messages still reads, but the socket object takes that close for the end of the connection.
  int descriptor = -1;
  void closeDescriptor() {
    if (descriptor >= 0) ::close(descriptor);
    descriptor = -1;
  }
  void answer(int32_t result) {
    const QByteArray h = header(uint32_t(result));
    if (socket && socket->state() == QLocalSocket::ConnectedState) {
      socket->write(h);
      socket->flush();
    } else if (descriptor >= 0) {
      (void)!::send(descriptor, h.constData(), size_t(h.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
  }
  ~Connection() { closeDescriptor(); }
};

IpcReceiver::IpcReceiver(const QString& title, QObject* parent)
    : QObject(parent), path_(IpcSocketPath(title)) {
  liveReceivers().push_back(this);
  makeServer();
  clock_.start();
  if (path_.isEmpty() || !listen()) return;
  // The server closes its socket for good when an accept fails (no descriptor left): watched for.
  watch_ = new QTimer(this);
  watch_->setInterval(kWatchMs);
  connect(watch_, &QTimer::timeout, this, &IpcReceiver::keepListening);
  watch_->start();
}

IpcReceiver::~IpcReceiver() {
  std::erase(liveReceivers(), this);
  // The messages that never had their turn: nothing of them was done.
  for (const Message& m : std::exchange(queue_, {})) m.from->answer(kIpcRefused);
  if (server_->isListening()) server_->close();
}

int IpcMessagesWaiting() {
  int n = 0;
  for (const IpcReceiver* r : liveReceivers()) n += r->Waiting();
  return n;
}

bool IpcReceiver::Listening() const { return server_->isListening(); }

void IpcReceiver::makeServer() {
  if (server_) {
    server_->disconnect(this);
    server_.release()->deleteLater();  // its own timers and notifiers may still be on the stack
  }
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_.get(), &QLocalServer::newConnection, this, &IpcReceiver::accept);
}

bool IpcReceiver::listen() {
  // A socket left by a receiver that died answers nobody: it is replaced. A live one is kept.
  if (listensAt(path_)) return false;
  QLocalServer::removeServer(path_);
  errno = 0;
  return server_->listen(path_);
}

void IpcReceiver::keepListening() {
  if (server_->isListening()) return;
  if (lostAt_ < 0) {
    lostAt_ = clock_.elapsed();
    qWarning("ipc: the socket %s went (%s); listening again", qPrintable(path_),
             qPrintable(server_->errorString()));
  }
  // Nothing is tried while no descriptor is left: the attempt itself needs some.
  if (descriptorsLeft()) {
    makeServer();
    if (listen()) {
      lostAt_ = -1;
      const bool wasTold = told_;
      told_ = false;
      if (wasTold)
        tell([this, what = QStringLiteral("他のプログラムからの指示を受け取るソケット ") + path_ +
                           QStringLiteral(" を作り直しました。指示はまた届きます。")] {
          if (Back) Back(what);
        });
      return;
    }
  }
  const int why = errno;
  // Idle connections are dropped within IdleMs and give their descriptors back: only a socket still
  // missing after that is worth the operator's attention.
  if (told_ || clock_.elapsed() - lostAt_ < 2 * qint64(IpcSettings.IdleMs) + kWatchMs) return;
  told_ = true;
  tell([this, why = QStringLiteral("他のプログラムからの指示を受け取るソケット ") + path_ +
                    QStringLiteral(" を作り直せません (") +
                    (why ? FileErrorReason(why) : server_->errorString()) +
                    QStringLiteral(")。その間は指示が届きません。作り直しを続け、できたらお知らせします。")] {
    if (Lost) Lost(why);
  });
}

void IpcReceiver::tell(const std::function<void()>& box) { WhenNoOtherWork(this, box); }

void IpcReceiver::accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    // Not the server's: a server that closes is replaced, and its connections are served on.
    socket->setParent(this);
    auto c = std::make_shared<Connection>();
    c->socket = socket;
    // A connection that never finishes its message would hold a descriptor for ever.
    c->idle = new QTimer(socket);
    c->idle->setSingleShot(true);
    connect(c->idle, &QTimer::timeout, socket, &QLocalSocket::abort);
    c->idle->start(IpcSettings.IdleMs);
    connections_.push_back(c);
    // The socket's signals only read and mark: the handler runs from the event loop, and the socket is
    // let go there too, never while one of its signals is on the stack.
    connect(socket, &QLocalSocket::readyRead, this, &IpcReceiver::takeAll);
    connect(socket, &QLocalSocket::disconnected, this, [this, weak = std::weak_ptr<Connection>(c)] {
      if (const auto c = weak.lock()) {
        takeAll();
        c->ended = true;
        askTurn();
      }
    });
  }
  takeAll();
}

struct IpcAnswer::Pending {
  QPointer<IpcReceiver> receiver;
  std::shared_ptr<IpcReceiver::Connection> connection;
  bool sent = false;
  void send(int32_t result) {
    if (sent) return;
    sent = true;
    connection->answer(result);
    if (receiver)
      receiver->answered(connection);
    else
      connection->closeDescriptor();  // nothing more is read from it
  }
  ~Pending() { send(kIpcRefused); }
};

void IpcAnswer::Send(int32_t result) const {
  if (pending_) pending_->send(result);
}

bool IpcAnswer::Sent() const { return pending_ && pending_->sent; }

void IpcReceiver::takeAll() {
  // A connection's readyRead may come after a later connection's: what the earlier ones hold (sent
  // before the later ones were opened) is read first.
  if (taking_) return;
  taking_ = true;
  for (const std::shared_ptr<Connection>& c : std::vector(connections_)) take(c);
  taking_ = false;
  askTurn();
}

void IpcReceiver::take(const std::shared_ptr<Connection>& c) {
  QLocalSocket* socket = c->socket;
  if (!socket || c->ended) return;
  // Bytes the socket has not fetched yet: fetched now, its readyRead (taking_) reads nothing twice.
  int pending = 0;
  if (socket->state() == QLocalSocket::ConnectedState &&
      ::ioctl(int(socket->socketDescriptor()), FIONREAD, &pending) == 0 && pending > 0) {
    const bool wasTaking = std::exchange(taking_, true);
    socket->waitForReadyRead(0);
    taking_ = wasTaking;
  }
  while (socket && socket->bytesAvailable() >= kHeader) {
    const QByteArray head = socket->peek(kHeader);
    const uint32_t n = qFromLittleEndian<uint32_t>(head.constData());
    if (n > uint32_t(kIpcMaxMessage)) {
      ++refused_;
      qWarning("ipc: a message of %u bytes was refused (limit %d)", n, kIpcMaxMessage);
      c->ended = true;
      socket->abort();
      break;
    }
    if (socket->bytesAvailable() < kHeader + qint64(n)) break;  // the rest is still on its way
    socket->read(kHeader);
    queue_.push_back({c, socket->read(n)});
    ++c->queued;
    // The sender waits for its answer now, it is not idle.
    if (c->idle) c->idle->stop();
    // Without a descriptor to spare (none left) the answers go only while the connection is whole.
    if (c->descriptor < 0) c->descriptor = ::fcntl(int(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
  }
}

void IpcReceiver::askTurn() {
  if (turnAsked_) return;
  turnAsked_ = true;
  WhenNoOtherWork(this, [this] {
    turnAsked_ = false;
    serve();
  });
}

void IpcReceiver::serve() {
  for (const std::shared_ptr<Connection>& c : std::vector(connections_))
    if (c->ended && c->queued == 0 && !c->handling) drop(c);
  if (handling_ || queue_.empty()) return;
  const Message m = std::move(queue_.front());
  queue_.pop_front();
  --m.from->queued;
  handling_ = m.from->handling = true;
  IpcAnswer reply;
  reply.pending_ = std::make_shared<IpcAnswer::Pending>();
  reply.pending_->receiver = this;
  reply.pending_->connection = m.from;
  // A copy: the handler may end this receiver, and the function with it, while it runs.
  if (const auto handler = Received)
    handler(m.text, reply);
  else
    reply.Send(kIpcHandled);
  reply = IpcAnswer();  // a handler that kept no copy and sent nothing has refused
}

void IpcReceiver::answered(const std::shared_ptr<Connection>& c) {
  handling_ = c->handling = false;
  if (c->queued == 0 && !c->ended && c->idle) c->idle->start(IpcSettings.IdleMs);
  // The next message is taken in a turn of its own, not inside the handler that answered.
  askTurn();
}

void IpcReceiver::drop(const std::shared_ptr<Connection>& c) {
  std::erase(connections_, c);
  c->closeDescriptor();
  if (c->socket) {
    c->socket->disconnect(this);
    c->socket->deleteLater();
  }
}
