#pragma once
// A real HTTP server on 127.0.0.1 for the tests: it answers each request from recorded answers and
// remembers what was asked.
//
//   LocalHttpServer server;
//   server.Answer("/musen/list", LocalHttpServer::Xml(bytes));        // by path, any query
//   server.Answer("/musen/SearchServlet", {200, "text/html; charset=UTF-8", page});
//   server.Answer("/musen/SearchServlet?pageID=4", LocalHttpServer::Html(detail));  // longest start wins
//   server.Silent("/slow");                                          // accepts, never answers
//   server.Delay("/musen/list", 300);                                // answers 300 ms late
//   HttpGet(server.Url("/musen/list?MA=JA1AA"));
//   server.requests()   -> {"/musen/list?MA=JA1AA"}
//
// An answer is found by the request's path, or by the start of path and query when its key holds a
// "?" (the longest such key wins). A request without an answer gets 404 with a small HTML page.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>


class LocalHttpServer : public QObject {
 public:
  struct Reply {
    int status = 200;
    QByteArray contentType = "text/plain; charset=UTF-8";
    QByteArray body;
    QByteArray location;  // sent as the Location header when not empty
    qsizetype cutAfter = -1;  // when set, only that much of the body goes out before the connection closes
  };
  static Reply Xml(const QByteArray& body) { return {200, "text/xml; charset=UTF-8", body, {}}; }
  static Reply Html(const QByteArray& body) { return {200, "text/html; charset=UTF-8", body, {}}; }
  static Reply Redirect(const QByteArray& location) { return {302, "text/html", {}, location}; }

  LocalHttpServer();
  ~LocalHttpServer() override;

  // "http://127.0.0.1:PORT" followed by the path (and query).
  QString Url(const QString& pathAndQuery = QString()) const;
  QString Base() const { return Url(); }
  quint16 port() const { return server_.serverPort(); }

  void Answer(const QString& path, const Reply& reply) { replies_[path] = reply; }
  // Connections to this path are accepted and left hanging.
  void Silent(const QString& path) { silent_ << path; }
  // Answers to this path go out `ms` milliseconds after the request came.
  void Delay(const QString& path, int ms) { delays_[path] = ms; }

  // Request targets (path and query, as sent) in arrival order.
  const QStringList& requests() const { return requests_; }
  // Raw first bytes of connections that were no HTTP request (a TLS hello, for instance).
  int foreignConnections() const { return foreign_; }

 private:
  void serve(QTcpSocket* socket);

  QTcpServer server_;
  QMap<QString, Reply> replies_;
  QStringList silent_;
  QMap<QString, int> delays_;
  QStringList requests_;
  QList<QPointer<QTcpSocket>> hanging_;
  int foreign_ = 0;
};
