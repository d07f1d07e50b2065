#include "support/local_http_server.h"

#include <QHostAddress>
#include <QTcpSocket>

LocalHttpServer::LocalHttpServer() {
  server_.listen(QHostAddress::LocalHost, 0);
  QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* s = server_.nextPendingConnection()) {
      QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
      QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
    }
  });
}

LocalHttpServer::~LocalHttpServer() {
  for (const QPointer<QTcpSocket>& s : hanging_)
    if (s) s->abort();
}

QString LocalHttpServer::Url(const QString& pathAndQuery) const {
  return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()) + pathAndQuery;
}

void LocalHttpServer::serve(QTcpSocket* socket) {
  QByteArray head = socket->property("head").toByteArray() + socket->readAll();
  socket->setProperty("head", head);
  if (socket->property("served").toBool()) return;
  if (!head.startsWith("GET ") && head.size() >= 4) {
    // Not a request this server speaks (a TLS hello after an https redirect, for instance).
    socket->setProperty("served", true);
    ++foreign_;
    socket->write("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
    return;
  }
  if (!head.contains("\r\n\r\n")) return;
  socket->setProperty("served", true);

  const QByteArray target = head.mid(4, head.indexOf(' ', 4) - 4);
  requests_ << QString::fromLatin1(target);
  const qsizetype q = target.indexOf('?');
  const QString path = QString::fromLatin1(q < 0 ? target : target.left(q));
  if (silent_.contains(path)) {
    hanging_ << socket;
    return;
  }
  Reply reply{404, "text/html; charset=UTF-8", "<html><body><h1>404 Not Found</h1></body></html>", {}};
  qsizetype matched = -1;
  for (auto it = replies_.cbegin(); it != replies_.cend(); ++it) {
    const QString& key = it.key();
    const bool hits = key.contains(QLatin1Char('?')) ? QString::fromLatin1(target).startsWith(key) : key == path;
    if (hits && key.size() > matched) {
      matched = key.size();
      reply = it.value();
    }
  }
  QByteArray out = "HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\n";
  out += "Content-Type: " + reply.contentType + "\r\n";
  if (!reply.location.isEmpty()) out += "Location: " + reply.location + "\r\n";
  out += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
  out += "Connection: close\r\n\r\n";
  out += reply.cutAfter < 0 ? reply.body : reply.body.left(reply.cutAfter);
  if (const int ms = delays_.value(path); ms > 0) {
    const QPointer<QTcpSocket> later(socket);
    QTimer::singleShot(ms, this, [later, out] {
      if (!later) return;
      later->write(out);
      later->disconnectFromHost();
    });
    return;
  }
  socket->write(out);
  socket->disconnectFromHost();
}
