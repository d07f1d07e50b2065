#include <gtest/gtest.h>

#include <QTcpServer>

#include "platform/codepage.h"
#include "platform/http.h"
#include "support/local_http_server.h"
#include "support/qt_print.h"

namespace {

// A short time-out for the whole suite, so that a server that never answers costs little.
class Http : public ::testing::Test {
 protected:
  void SetUp() override { HttpSettings.TimeoutMs = 400; }
  void TearDown() override { HttpSettings = {}; }
  LocalHttpServer server;
};

TEST_F(Http, AGoodAnswerComesBackWholeAndDecodedByItsCharset) {
  server.Answer("/utf8", {200, "text/plain; charset=UTF-8", QString("無線局 ＪＡ１").toUtf8(), {}});
  server.Answer("/sjis", {200, "text/html; charset=Shift_JIS", ToAnsi("免許～"), {}});
  server.Answer("/plain", {200, "application/octet-stream", "\x01\x02 bytes", {}});

  HttpAnswer a = HttpGet(server.Url("/utf8?MA=JA1AA&x=1"));
  EXPECT_TRUE(a.ok) << a.error.toStdString();
  EXPECT_EQ(a.status, 200);
  EXPECT_EQ(a.Text(), "無線局 ＪＡ１");
  EXPECT_EQ(HttpGet(server.Url("/sjis")).Text(), "免許～");
  EXPECT_EQ(HttpGet(server.Url("/plain")).body, QByteArray("\x01\x02 bytes"));
  EXPECT_EQ(server.requests(), QStringList({"/utf8?MA=JA1AA&x=1", "/sjis", "/plain"}));
}

TEST_F(Http, AnErrorStatusIsAFailureThatStillCarriesThePage) {
  const HttpAnswer a = HttpGet(server.Url("/nothing-here"));
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.status, 404);
  EXPECT_EQ(a.error, "HTTP status 404");
  EXPECT_TRUE(a.body.contains("404 Not Found"));

  server.Answer("/broken", {500, "text/html", "<html>Internal error</html>", {}});
  EXPECT_EQ(HttpGet(server.Url("/broken")).error, "HTTP status 500");
}

TEST_F(Http, AServerThatAcceptsAndNeverAnswersEndsAtTheTimeOut) {
  server.Silent("/hang");
  const HttpAnswer a = HttpGet(server.Url("/hang"));
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.error, "no answer within 400 ms");
  EXPECT_EQ(server.requests(), QStringList({"/hang"}));
}

TEST_F(Http, NothingListeningIsAFailureWithTheReason) {
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  const quint16 port = probe.serverPort();
  probe.close();
  const HttpAnswer a = HttpGet(QString("http://127.0.0.1:%1/x").arg(port));
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.status, 0);
  EXPECT_FALSE(a.error.isEmpty());
}

TEST_F(Http, OnlyHttpsLeavesThisMachine) {
  for (const char* address : {"http://www.example.jp/musen/list", "ftp://127.0.0.1/x", "file:///etc/passwd",
                              "https:///no-host", "", "not an address"}) {
    const HttpAnswer a = HttpGet(address);
    EXPECT_FALSE(a.ok) << address;
    EXPECT_TRUE(a.error.startsWith("not an https address")) << address;
  }
  EXPECT_TRUE(HttpGet(QString("http://localhost:%1/").arg(server.port())).error.startsWith("HTTP status"));
}

TEST_F(Http, ARedirectIsFollowedOnlyToHttps) {
  server.Answer("/to-http", LocalHttpServer::Redirect(server.Url("/target").toLatin1()));
  server.Answer("/target", {200, "text/plain", "should not be read", {}});
  const HttpAnswer refused = HttpGet(server.Url("/to-http"));
  EXPECT_FALSE(refused.ok);
  EXPECT_TRUE(refused.error.startsWith("redirect to an address that is not https refused")) << refused.error.toStdString();
  EXPECT_EQ(server.requests(), QStringList({"/to-http"}));

  // The https target is asked for: the plain server sees a TLS hello instead of a request.
  const QByteArray https = QString("https://127.0.0.1:%1/target").arg(server.port()).toLatin1();
  server.Answer("/to-https", LocalHttpServer::Redirect(https));
  const HttpAnswer followed = HttpGet(server.Url("/to-https"));
  EXPECT_FALSE(followed.ok);
  EXPECT_EQ(server.foreignConnections(), 1);
  EXPECT_EQ(server.requests(), QStringList({"/to-http", "/to-https"}));
}

TEST_F(Http, TheTransferControlReportsEachRequestAndNeverHandsBackAnOldBody) {
  server.Answer("/ok", LocalHttpServer::Xml("<a>1</a>"));
  InternetTransfer inet;
  std::vector<int> states;
  inet.StateChanged = [&](int s) { states.push_back(s); };
  EXPECT_EQ(inet.OpenURLBytes(server.Url("/ok")), QByteArray("<a>1</a>"));
  EXPECT_EQ(inet.OpenURLText(server.Url("/missing")), QString());
  EXPECT_EQ(inet.LastAnswer().status, 404);
  EXPECT_EQ(states, std::vector<int>({icResponseCompleted, icError}));
}

}  // namespace
