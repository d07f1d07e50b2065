#include "platform/http.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>
#include <memory>

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
// `certificateFaults`: the server spoke TLS and its certificate was refused.
QString FailureText(const QNetworkReply& reply, bool certificateFaults) {
  const QString host = reply.url().host();
  switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError:
      return QStringLiteral("サーバー %1 が接続を受け付けません (アドレスの誤りか、サーバーが止まっています)")
          .arg(host);
    case QNetworkReply::RemoteHostClosedError:
      return QStringLiteral("サーバー %1 が途中で接続を切りました").arg(host);
    case QNetworkReply::HostNotFoundError:
      return QStringLiteral("サーバー %1 が見つかりません (アドレスとインターネットへの接続を確かめて下さい)")
          .arg(host);
    case QNetworkReply::SslHandshakeFailedError:
      if (!certificateFaults)
        return QStringLiteral("サーバー %1 は暗号化した通信 (TLS) を話しません (https ではなく http のサーバーでは？)")
            .arg(host);
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
    n->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);  // each hop is checked here
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

namespace {

// One request of the chain; a redirect's target is asked by the caller.
struct Hop {
  QNetworkReply* reply = nullptr;
  bool timedOut = false;
  bool tooLarge = false;
  bool certificateFaults = false;
};

bool IsRedirect(int status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

// Where a redirect of the service may lead: the same host and port as asked, over https, or over the
// asked scheme itself (plain http is only ever asked of this machine).
bool WithinService(const QUrl& target, const QUrl& asked) {
  const QString scheme = target.scheme().toLower();
  const bool https = scheme == QLatin1String("https");
  if (!https && scheme != asked.scheme().toLower()) return false;
  const int askedPort = asked.port(asked.scheme().toLower() == QLatin1String("https") ? 443 : 80);
  return target.host().compare(asked.host(), Qt::CaseInsensitive) == 0 &&
         target.port(https ? 443 : 80) == askedPort;
}

void Run(Hop& hop, QTimer& deadline) {
  const InputHold hold;
  QEventLoop loop;
  QNetworkReply* reply = hop.reply;
  QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
    hop.timedOut = true;
    reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64 total) {
    if (hop.tooLarge || (received <= HttpSettings.MaxAnswerBytes && total <= HttpSettings.MaxAnswerBytes)) return;
    hop.tooLarge = true;
    reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
#if QT_CONFIG(ssl)
  QObject::connect(reply, &QNetworkReply::sslErrors, &loop, [&] { hop.certificateFaults = true; });
#endif
  if (!reply->isFinished()) loop.exec(WaitFlags());
}

}  // namespace

HttpAnswer HttpGet(const QString& address) {
  HttpAnswer answer;
  const QUrl asked(address, QUrl::StrictMode);
  answer.finalUrl = address;
  if (!Allowed(asked)) {
    answer.error = QStringLiteral("https のアドレスではないので問い合わせません: ") + address;
    return answer;
  }

  QTimer deadline;  // for the whole request, redirects included
  deadline.setSingleShot(true);
  deadline.start(HttpSettings.TimeoutMs);
  QList<QUrl> visited{asked};
  QUrl url = asked;
  for (int redirects = 0;; ++redirects) {
    QNetworkRequest request(url);
    request.setTransferTimeout(0);  // the deadline covers the whole request
    Hop hop{Manager().get(request)};
    hop.timedOut = !deadline.isActive();  // the time ran out between two hops
    if (hop.timedOut) hop.reply->abort();
    else Run(hop, deadline);
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
        hop.reply, [](QNetworkReply* r) { r->deleteLater(); });

    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    answer.finalUrl = reply->url().toString();
    answer.tooLarge = hop.tooLarge;
    if (reply->isOpen() && !hop.tooLarge) answer.body = reply->readAll();
    if (hop.timedOut) {
      answer.error = QStringLiteral("%1 ミリ秒待っても答えがありません").arg(HttpSettings.TimeoutMs);
    } else if (hop.tooLarge) {
      answer.error = QStringLiteral("答えが大きすぎるので読むのをやめました (%1 バイトまで)").arg(HttpSettings.MaxAnswerBytes);
    } else if (reply->error() != QNetworkReply::NoError && answer.status == 0) {
      answer.error = FailureText(*reply, hop.certificateFaults);
    } else if (const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
               !IsRedirect(answer.status) && (reply->error() == QNetworkReply::RemoteHostClosedError ||
                                              (length > 0 && answer.body.size() < length))) {
      // A body cut short is no answer: read as one it would say "nothing found".
      answer.error = QStringLiteral("サーバー %1 が答えの途中で接続を切りました (%2 バイトのうち %3 バイトで)")
                         .arg(reply->url().host())
                         .arg(length > 0 ? QString::number(length) : QStringLiteral("?"))
                         .arg(answer.body.size());
    } else if (IsRedirect(answer.status)) {
      const QByteArray location = reply->rawHeader("Location").trimmed();
      const QUrl relative(QString::fromLatin1(location), QUrl::StrictMode);
      const QUrl target = url.resolved(relative);
      if (location.isEmpty())
        answer.error = QStringLiteral("サーバーが転送先を示さずに転送 (HTTP %1) してきたので問い合わせをやめました: ")
                           .arg(answer.status) + url.toString();
      else if (!relative.isValid() || !target.isValid())
        answer.error = QStringLiteral("転送先のアドレスが正しくないので問い合わせをやめました: ") +
                       QString::fromLatin1(location);
      else if (visited.contains(target))
        answer.error = QStringLiteral("サーバーの転送が同じアドレスへ戻ってくるので問い合わせをやめました: ") +
                       target.toString();
      else if (!WithinService(target, asked))
        answer.error = RefusedRedirect(target);
      else if (redirects == kMaxRedirects)
        answer.error = QStringLiteral("サーバーの転送が %1 回を超えたので問い合わせをやめました").arg(kMaxRedirects);
      if (answer.error.isEmpty()) {
        visited << target;
        url = target;
        answer.body.clear();
        continue;
      }
    } else if (answer.status < 200 || answer.status >= 300) {
      answer.error = QStringLiteral("サーバーがエラー (HTTP %1) を返しました").arg(answer.status);
    }
    break;
  }
  answer.ok = answer.error.isEmpty();
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
