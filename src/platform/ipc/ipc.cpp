#include "platform/ipc/ipc.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_fault.h"
#include "platform/ui/doevents.h"

namespace {

constexpr qsizetype kHeader = 4;

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

QByteArray header(uint32_t n) {
  QByteArray b(kHeader, '\0');
  qToLittleEndian<uint32_t>(n, b.data());
  return b;
}

}  // namespace

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

bool IpcFind(const QString& title) {
  const QString path = IpcSocketPath(title);
  if (path.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(path);
  const bool up = socket.waitForConnected(200);
  socket.abort();
  return up;
}

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

IpcReceiver::IpcReceiver(const QString& title, QObject* parent)
    : QObject(parent), server_(std::make_unique<QLocalServer>()) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  const QString path = IpcSocketPath(title);
  if (path.isEmpty()) return;
  // A socket left by a receiver that died answers nobody: it is replaced. A live one is kept.
  if (!IpcFind(title)) QLocalServer::removeServer(path);
  if (server_->listen(path))
    connect(server_.get(), &QLocalServer::newConnection, this, &IpcReceiver::accept);
}

IpcReceiver::~IpcReceiver() {
  if (server_->isListening()) server_->close();
}

bool IpcReceiver::Listening() const { return server_->isListening(); }

void IpcReceiver::accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
    if (socket->bytesAvailable() > 0) readFrom(socket);
  }
}

void IpcReceiver::readFrom(QLocalSocket* socket) {
  while (socket->bytesAvailable() >= kHeader) {
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
    const int32_t result = Received ? Received(message) : 0;
    socket->write(header(uint32_t(result)));
    socket->flush();
  }
}
