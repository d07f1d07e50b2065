#include "platform/http.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>

#include "platform/ui/doevents.h"

HttpSettingsState HttpSettings;

namespace {

constexpr int kMaxRedirects = 5;

bool IsLoopback(const QUrl& url) {
  const QString host = url.host();
  if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
  const QHostAddress a(host);
  return !a.isNull() && a.isLoopback();
}

// What may be asked for at all: https anywhere, plain http only on this machine.
bool Allowed(const QUrl& url) {
  if (!url.isValid() || url.host().isEmpty()) return false;
  const QString scheme = url.scheme().toLower();
  return scheme == QLatin1String("https") || (scheme == QLatin1String("http") && IsLoopback(url));
}

QString RefusedRedirect(const QUrl& target) {
  return QStringLiteral("問い合わせたホストの外 (または https でないアドレス) への転送は断りました: ") +
         target.toString();
}

// What went wrong on the way, in the operator's words; the library's own text only for rare failures.
QString FailureText(const QNetworkReply& reply) {
  const QString host = reply.url().host();
  switch (reply.error()) {
    case QNetworkReply::TooManyRedirectsError:
      return QStringLiteral("サーバーの転送が %1 回を超えたので問い合わせをやめました").arg(kMaxRedirects);
    case QNetworkReply::ProtocolUnknownError:  // the library's own refusal of a file: or ftp: target
      return RefusedRedirect(reply.url().resolved(reply.header(QNetworkRequest::LocationHeader).toUrl()));
    case QNetworkReply::ConnectionRefusedError:
      return QStringLiteral("サーバー %1 が接続を受け付けません (アドレスの誤りか、サーバーが止まっています)")
          .arg(host);
    case QNetworkReply::RemoteHostClosedError:
      return QStringLiteral("サーバー %1 が途中で接続を切りました").arg(host);
    case QNetworkReply::HostNotFoundError:
      return QStringLiteral("サーバー %1 が見つかりません (アドレスとインターネットへの接続を確かめて下さい)")
          .arg(host);
    case QNetworkReply::SslHandshakeFailedError:
      return QStringLiteral("サーバー %1 と暗号化した通信を始められません (証明書を確かめられません)")
          .arg(host);
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
      return QStringLiteral("インターネットにつながっていません");
    default:
      return QStringLiteral("接続できません (") + reply.errorString() + QLatin1Char(')');
  }
}

QNetworkAccessManager& Manager() {
  static QNetworkAccessManager* m = [] {
    auto* n = new QNetworkAccessManager();
    n->setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
    return n;
  }();
  return *m;
}

}  // namespace

QString HttpAnswer::Text() const {
  QString charset;
  for (const QString& part : contentType.split(QLatin1Char(';'))) {
    const QString p = part.trimmed();
    if (p.startsWith(QLatin1String("charset="), Qt::CaseInsensitive))
      charset = p.mid(8).remove(QLatin1Char('"')).trimmed();
  }
  if (charset.compare(QLatin1String("shift_jis"), Qt::CaseInsensitive) == 0 ||
      charset.compare(QLatin1String("sjis"), Qt::CaseInsensitive) == 0)
    charset = QStringLiteral("windows-31j");
  if (!charset.isEmpty()) {
    QStringDecoder decoder(charset.toLatin1().constData());
    if (decoder.isValid()) return decoder.decode(body);
  }
  return QString::fromUtf8(body);
}

HttpAnswer HttpGet(const QString& address) {
  HttpAnswer answer;
  const QUrl url(address, QUrl::StrictMode);
  answer.finalUrl = address;
  if (!Allowed(url)) {
    answer.error = QStringLiteral("https のアドレスではないので問い合わせません: ") + address;
    return answer;
  }

  QNetworkRequest request(url);
  request.setMaximumRedirectsAllowed(kMaxRedirects);
  request.setTransferTimeout(0);  // the timer below covers the whole request
  QNetworkReply* reply = Manager().get(request);

  const InputHold hold;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  bool timedOut = false;
  QString refused;
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    timedOut = true;
    reply->abort();
  });
  QList<QUrl> visited{url};
  QObject::connect(reply, &QNetworkReply::redirected, &loop, [&](const QUrl& target) {
    if (visited.contains(target)) {
      refused = QStringLiteral("サーバーの転送が同じアドレスへ戻ってくるので問い合わせをやめました: ") +
                target.toString();
      reply->abort();
      return;
    }
    visited << target;
    const bool sameHost = target.host().compare(url.host(), Qt::CaseInsensitive) == 0 &&
                          target.port(443) == url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
    if (target.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 && sameHost) {
      emit reply->redirectAllowed();
      return;
    }
    refused = RefusedRedirect(target);
    reply->abort();
  });
  bool tooLarge = false;
  QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64 total) {
    if (tooLarge || (received <= HttpSettings.MaxAnswerBytes && total <= HttpSettings.MaxAnswerBytes)) return;
    tooLarge = true;
    reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  timer.start(HttpSettings.TimeoutMs);
  if (!reply->isFinished()) loop.exec(WaitFlags());
  timer.stop();

  answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  answer.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
  answer.finalUrl = reply->url().toString();
  if (reply->isOpen() && !tooLarge) answer.body = reply->readAll();
  const bool good = reply->error() == QNetworkReply::NoError && answer.status >= 200 && answer.status < 300;
  answer.tooLarge = tooLarge;
  if (timedOut)
    answer.error = QStringLiteral("%1 ミリ秒待っても答えがありません").arg(HttpSettings.TimeoutMs);
  else if (tooLarge)
    answer.error = QStringLiteral("答えが大きすぎるので読むのをやめました (%1 バイトまで)").arg(HttpSettings.MaxAnswerBytes);
  else if (!refused.isEmpty())
    answer.error = refused;
  else if (answer.status >= 400 || (!good && reply->error() == QNetworkReply::NoError))
    answer.error = QStringLiteral("サーバーがエラー (HTTP %1) を返しました").arg(answer.status);
  else if (!good)
    answer.error = FailureText(*reply);
  answer.ok = answer.error.isEmpty();
  reply->deleteLater();
  return answer;
}

InternetTransfer::~InternetTransfer() { *alive_ = false; }

HttpAnswer InternetTransfer::Request(const QString& url) {
  const std::shared_ptr<bool> alive = alive_;
  const HttpAnswer answer = HttpGet(url);
  // The window that owns this control may have gone while the request was out.
  if (!*alive) return answer;
  last_ = answer;
  if (StateChanged) StateChanged(answer.ok ? icResponseCompleted : icError);
  return answer;
}

QByteArray InternetTransfer::OpenURLBytes(const QString& url) {
  const HttpAnswer a = Request(url);
  return a.ok ? a.body : QByteArray();
}

QString InternetTransfer::OpenURLText(const QString& url) {
  const HttpAnswer a = Request(url);
  return a.ok ? a.Text() : QString();
}
