#include "support/companion.h"

#include <QtEndian>

#include "platform/ipc/ipc.h"
#include "support/waits.h"

Companion::Companion(const QString& title) {
  socket_.connectToServer(IpcSocketPath(title));
  socket_.waitForConnected(kEventCapMs);
  QObject::connect(&socket_, &QLocalSocket::readyRead, &socket_, [this] {
    while (socket_.bytesAvailable() >= 4) {
      answers_ << qFromLittleEndian<int32_t>(socket_.read(4).constData());
      if (Answered) Answered(answers_.back());
    }
  });
}

void Companion::Send(const QByteArray& text) {
  QByteArray length(4, '\0');
  qToLittleEndian<uint32_t>(uint32_t(text.size()), length.data());
  socket_.write(length + text);
  while (socket_.bytesToWrite() > 0 && socket_.waitForBytesWritten(kEventCapMs)) {
  }
}

CompanionListener::CompanionListener(const QString& path) {
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* c = server_.nextPendingConnection()) {
      QObject::connect(c, &QLocalSocket::readyRead, c, [this, c] {
        while (c->bytesAvailable() >= 4) {
          const qint64 n = qFromLittleEndian<uint32_t>(c->peek(4).constData());
          if (c->bytesAvailable() < 4 + n) return;
          received_ << c->read(4 + n).mid(4);
          if (OnMessage) OnMessage(received_.back());
          c->write(QByteArray(4, '\0'));
        }
      });
    }
  });
  server_.listen(path);
}
