#include "platform/http.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>
#include <QUrl>

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
    answer.error = QStringLiteral("not an https address: ") + address;
    return answer;
  }

  QNetworkRequest request(url);
  request.setMaximumRedirectsAllowed(kMaxRedirects);
  request.setTransferTimeout(0);  // the timer below covers the whole request
  QNetworkReply* reply = Manager().get(request);

  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  bool timedOut = false;
  QString refused;
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    timedOut = true;
    reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::redirected, &loop, [&](const QUrl& target) {
    if (target.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0) {
      emit reply->redirectAllowed();
      return;
    }
    refused = QStringLiteral("redirect to an address that is not https refused: ") + target.toString();
    reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  timer.start(HttpSettings.TimeoutMs);
  if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  timer.stop();

  answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  answer.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
  answer.finalUrl = reply->url().toString();
  if (reply->isOpen()) answer.body = reply->readAll();
  const bool good = reply->error() == QNetworkReply::NoError && answer.status >= 200 && answer.status < 300;
  if (timedOut)
    answer.error = QStringLiteral("no answer within %1 ms").arg(HttpSettings.TimeoutMs);
  else if (!refused.isEmpty())
    answer.error = refused;
  else if (answer.status >= 400)
    answer.error = QStringLiteral("HTTP status %1").arg(answer.status);
  else if (!good)
    answer.error = reply->error() != QNetworkReply::NoError ? reply->errorString()
                                                            : QStringLiteral("HTTP status %1").arg(answer.status);
  answer.ok = answer.error.isEmpty();
  reply->deleteLater();
  return answer;
}

HttpAnswer InternetTransfer::Request(const QString& url) {
  last_ = HttpGet(url);
  const HttpAnswer answer = last_;
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
