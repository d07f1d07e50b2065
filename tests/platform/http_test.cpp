#include <gtest/gtest.h>

#include <QTcpServer>

#include "platform/codepage.h"
#include "platform/http.h"
#include "support/local_http_server.h"
#include "support/qt_print.h"

namespace {

// The program's own time-out, however busy the machine; the test of a server that never answers shortens it.
class Http : public ::testing::Test {
 protected:
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
  EXPECT_EQ(a.error, "サーバーがエラー (HTTP 404) を返しました");
  EXPECT_TRUE(a.body.contains("404 Not Found"));

  server.Answer("/broken", {500, "text/html", "<html>Internal error</html>", {}});
  EXPECT_EQ(HttpGet(server.Url("/broken")).error, "サーバーがエラー (HTTP 500) を返しました");
}

TEST_F(Http, AServerThatAcceptsAndNeverAnswersEndsAtTheTimeOut) {
  server.Silent("/hang");
  HttpSettings.TimeoutMs = 400;
  const HttpAnswer a = HttpGet(server.Url("/hang"));
  EXPECT_FALSE(a.ok);
  EXPECT_EQ(a.error, "400 ミリ秒待っても答えがありません");
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
  EXPECT_TRUE(a.error.startsWith("サーバー 127.0.0.1 が接続を受け付けません")) << a.error.toStdString();
}

TEST_F(Http, OnlyHttpsLeavesThisMachine) {
  for (const char* address : {"http://www.example.jp/musen/list", "ftp://127.0.0.1/x", "file:///etc/passwd",
                              "https:///no-host", "", "not an address"}) {
    const HttpAnswer a = HttpGet(address);
    EXPECT_FALSE(a.ok) << address;
    EXPECT_TRUE(a.error.startsWith("https のアドレスではないので問い合わせません")) << address;
  }
  EXPECT_TRUE(HttpGet(QString("http://localhost:%1/").arg(server.port())).error.startsWith("サーバーがエラー"));
}

TEST_F(Http, ARedirectIsFollowedOnlyToHttpsOnTheSameHost) {
  const QString ftp = QString("ftp://127.0.0.1:%1/target").arg(server.port());
  server.Answer("/to-http", LocalHttpServer::Redirect(ftp.toLatin1()));
  server.Answer("/target", {200, "text/plain", "should not be read", {}});
  const HttpAnswer refused = HttpGet(server.Url("/to-http"));
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error, "問い合わせたホストの外 (または https でないアドレス) への転送は断りました: " + ftp);
  EXPECT_EQ(server.requests(), QStringList({"/to-http"}));

  // Another host's page is never taken for the one asked, nor another port's.
  LocalHttpServer other;
  for (const QString& elsewhere : {QString("https://localhost:%1/target").arg(server.port()),
                                   QString("https://127.0.0.1:%1/target").arg(other.port())}) {
    server.Answer("/to-other", LocalHttpServer::Redirect(elsewhere.toLatin1()));
    const HttpAnswer a = HttpGet(server.Url("/to-other"));
    EXPECT_FALSE(a.ok);
    EXPECT_TRUE(a.error.endsWith(elsewhere)) << a.error.toStdString();
  }
  EXPECT_EQ(other.foreignConnections() + other.requests().size(), 0);
  EXPECT_EQ(server.foreignConnections(), 0);

  // The https target is asked for: the plain server sees a TLS hello instead of a request.
  const QByteArray https = QString("https://127.0.0.1:%1/target").arg(server.port()).toLatin1();
  server.Answer("/to-https", LocalHttpServer::Redirect(https));
  const HttpAnswer followed = HttpGet(server.Url("/to-https"));
  EXPECT_FALSE(followed.ok);
  EXPECT_EQ(followed.error, "サーバー 127.0.0.1 は暗号化した通信 (TLS) を話しません (https ではなく http のサーバーでは？)");
  EXPECT_EQ(server.foreignConnections(), 1);
  EXPECT_EQ(server.requests(), QStringList({"/to-http", "/to-other", "/to-other", "/to-https"}));
}

TEST_F(Http, UpToFiveRedirectsWithinTheServiceAreFollowedAndARefusedOneNamesItsTarget) {
  for (int i = 1; i <= 6; ++i)
    server.Answer(QString("/hop%1").arg(i), LocalHttpServer::Redirect(QString("/hop%1").arg(i + 1).toLatin1()));
  server.Answer("/hop6", LocalHttpServer::Xml("<a>6</a>"));
  const HttpAnswer five = HttpGet(server.Url("/hop1"));
  EXPECT_TRUE(five.ok) << five.error.toStdString();
  EXPECT_EQ(five.body, "<a>6</a>");
  EXPECT_EQ(five.finalUrl, server.Url("/hop6"));
  EXPECT_EQ(server.requests(), QStringList({"/hop1", "/hop2", "/hop3", "/hop4", "/hop5", "/hop6"}));

  server.Answer("/hop6", LocalHttpServer::Redirect("/hop7"));
  const HttpAnswer six = HttpGet(server.Url("/hop1"));
  EXPECT_EQ(six.error, "サーバーの転送が 5 回を超えたので問い合わせをやめました");
  EXPECT_EQ(server.requests().size(), 12) << "each hop asked once, the sixth redirect not followed";

  server.Answer("/none", {302, "text/html", {}, {}});
  EXPECT_EQ(HttpGet(server.Url("/none")).error,
            "サーバーが転送先を示さずに転送 (HTTP 302) してきたので問い合わせをやめました: " + server.Url("/none"));
  server.Answer("/data", LocalHttpServer::Redirect("data:text/plain,hello"));
  EXPECT_EQ(HttpGet(server.Url("/data")).error,
            "問い合わせたホストの外 (または https でないアドレス) への転送は断りました: data:text/plain,hello");
  server.Answer("/broken", LocalHttpServer::Redirect("https://[::1"));
  EXPECT_EQ(HttpGet(server.Url("/broken")).error, "転送先のアドレスが正しくないので問い合わせをやめました: https://[::1");
}

TEST_F(Http, AnAnswerBeyondTheLimitIsNotReadAndSaidToBeTooLarge) {
  server.Answer("/huge", {200, "text/xml", QByteArray(HttpSettings.MaxAnswerBytes + 1, 'x'), {}});
  const HttpAnswer a = HttpGet(server.Url("/huge"));
  EXPECT_FALSE(a.ok);
  EXPECT_TRUE(a.tooLarge);
  EXPECT_TRUE(a.body.isEmpty());
  EXPECT_EQ(a.error, "答えが大きすぎるので読むのをやめました (4194304 バイトまで)");
  server.Answer("/limit", {200, "text/xml", QByteArray(HttpSettings.MaxAnswerBytes, 'x'), {}});
  EXPECT_TRUE(HttpGet(server.Url("/limit")).ok);
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
