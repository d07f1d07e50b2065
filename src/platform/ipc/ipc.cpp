#include "platform/ipc/ipc.h"

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
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace

bool IpcFind(const QString& title) { return listensAt(IpcSocketPath(title)); }

bool IpcSend(const QString& title, const QByteArray& message, int32_t* answer, int timeoutMs) {
  const QString path = IpcSocketPath(title);
  if (message.size() > kIpcMaxMessage || path.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!socket.waitForConnected(200)) return false;
  socket.write(header(uint32_t(message.size())) + message);

  // The receiver may live in this process: its socket needs our events to run while we wait.
  const InputHold hold;
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

IpcReceiver::IpcReceiver(const QString& title, QObject* parent) : QObject(parent), path_(IpcSocketPath(title)) {
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
  if (server_->isListening()) server_->close();
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
    qWarning("ipc: the socket %s went (%s); listening again", qPrintable(path_), qPrintable(server_->errorString()));
  }
  // Nothing is tried while no descriptor is left: the attempt itself needs some.
  if (descriptorsLeft()) {
    makeServer();
    if (listen()) {
      lostAt_ = -1;
      const bool wasTold = told_;
      told_ = false;
      // Last: the handler may run a box, inside which this receiver can go.
      if (wasTold && Back)
        Back(QStringLiteral("他のプログラムからの指示を受け取るソケット ") + path_ +
             QStringLiteral(" を作り直しました。指示はまた届きます。"));
      return;
    }
  }
  const int why = errno;
  // Idle connections are dropped within IdleMs and give their descriptors back: only a socket still
  // missing after that is worth the operator's attention.
  if (told_ || clock_.elapsed() - lostAt_ < 2 * qint64(IpcSettings.IdleMs) + kWatchMs) return;
  told_ = true;
  if (Lost)
    Lost(QStringLiteral("他のプログラムからの指示を受け取るソケット ") + path_ +
         QStringLiteral(" を作り直せません (") + (why ? FileErrorReason(why) : server_->errorString()) +
         QStringLiteral(")。その間は指示が届きません。作り直しを続け、できたらお知らせします。"));
}

void IpcReceiver::accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    // Not the server's: a server that closes is replaced, and its connections are served on.
    socket->setParent(this);
    // A connection that never finishes its message would hold a descriptor for ever.
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
    idle->start(IpcSettings.IdleMs);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this, socket] { handling_.remove(socket); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, idle] { readFrom(socket, idle); });
    // Not from inside the server's signal: the handler may end this receiver or its server meanwhile.
    if (socket->bytesAvailable() > 0)
      QMetaObject::invokeMethod(socket, [this, socket, idle] { readFrom(socket, idle); }, Qt::QueuedConnection);
  }
}

struct IpcAnswer::Pending {
  QPointer<IpcReceiver> receiver;
  QPointer<QLocalSocket> socket;
  QPointer<QTimer> idle;
  // The connection's own descriptor, kept for the answer: a sender that closed its writing side after
  // its message still reads, but the socket object takes that close for the end of the connection.
  int descriptor = -1;
  bool sent = false;
  void send(int32_t result) {
    if (sent) return;
    sent = true;
    if (descriptor >= 0 && !(socket && socket->state() == QLocalSocket::ConnectedState)) {
      const QByteArray h = header(uint32_t(result));
      (void)!::send(descriptor, h.constData(), size_t(h.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    if (receiver && socket && idle) receiver->answer(socket, idle, result);
    if (descriptor >= 0) ::close(descriptor);
    descriptor = -1;
  }
  ~Pending() { send(kIpcRefused); }
};

void IpcAnswer::Send(int32_t result) const {
  if (pending_) pending_->send(result);
}

bool IpcAnswer::Sent() const { return pending_ && pending_->sent; }

void IpcReceiver::answer(QLocalSocket* socket, QTimer* idle, int32_t result) {
  handling_.remove(socket);
  idle->start(IpcSettings.IdleMs);
  if (socket->state() == QLocalSocket::ConnectedState) {
    socket->write(header(uint32_t(result)));
    socket->flush();
  }
  // The connection's next message may be waiting for this answer; it is taken on the next turn, not
  // inside the handler that answered.
  QMetaObject::invokeMethod(socket, [this, socket, idle] { readFrom(socket, idle); }, Qt::QueuedConnection);
}

void IpcReceiver::readFrom(QLocalSocket* socket, QTimer* idle) {
  // A message read while the previous one is not answered waits its turn: answers keep their order.
  if (handling_.contains(socket)) return;
  const QPointer<IpcReceiver> self(this);
  const QPointer<QLocalSocket> alive(socket);
  while (alive && alive->bytesAvailable() >= kHeader) {
    QByteArray head = socket->peek(kHeader);
    const uint32_t n = qFromLittleEndian<uint32_t>(head.constData());
    if (n > uint32_t(kIpcMaxMessage)) {
      ++refused_;
      qWarning("ipc: a message of %u bytes was refused (limit %d)", n, kIpcMaxMessage);
      socket->abort();
      return;
    }
    if (socket->bytesAvailable() < kHeader + qint64(n)) return;  // the rest is still on its way
    socket->read(kHeader);
    const QByteArray message = socket->read(n);
    // The handler may run a box or a wait, or answer later: the sender is waiting for its answer, not
    // idle. The socket, its timer and this receiver may all go inside that event loop.
    idle->stop();
    handling_.insert(socket);
    IpcAnswer reply;
    reply.pending_ = std::make_shared<IpcAnswer::Pending>();
    reply.pending_->receiver = this;
    reply.pending_->socket = socket;
    reply.pending_->idle = idle;
    // Without a descriptor to spare (none left) the answer goes only while the connection is whole.
    reply.pending_->descriptor = ::fcntl(int(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    {
      // A copy: the handler may end this receiver, and the function with it, while it runs.
      const auto handler = Received;
      if (handler)
        handler(message, reply);
      else
        reply.Send(kIpcHandled);
    }
    reply = IpcAnswer();  // a handler that kept no copy and sent nothing has refused
    if (!self || !alive || handling_.contains(socket)) return;
  }
}
