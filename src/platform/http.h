#pragma once
// Synchronous HTTPS GET, as the Internet transfer control gave it: the call returns when the answer is
// complete, the transfer fails or the time-out passes, and meanwhile the event loop runs (repaints and
// timers only: no key stroke or click reaches a window while a request is out).
//
//   HttpAnswer a = HttpGet("https://host/path?query");
//   if (!a.ok) MsgBox(a.error); else use(a.body) / use(a.Text());
//
//   InternetTransfer Inet1;                         // a window's transfer control
//   Inet1.StateChanged = [this](int s) { if (s == icError) ... };
//   QByteArray body = Inet1.OpenURLBytes(url);      // "" and icError on any failure
//
// Addresses must be https. Plain http is taken only for the loopback host, where tests run their
// local server; a redirect is followed only within the service asked: the same host and port, over https
// or the scheme asked (at most five, none back to an address already asked), so no other site's page is
// ever taken for the one asked; a refused redirect names its target. An
// answer longer than MaxAnswerBytes is not read on: the request fails as too large. Failures are told in the
// operator's words.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

struct HttpSettingsState {
  int TimeoutMs = 20000;  // for the whole request, redirects included
  qint64 MaxAnswerBytes = 4 * 1024 * 1024;
};
extern HttpSettingsState HttpSettings;

struct HttpAnswer {
  bool ok = false;       // a complete answer with a 2xx status
  int status = 0;        // the HTTP status of the last answer, 0 when none came
  QByteArray body;       // also the body of an error status (a server's error page)
  QString contentType;   // the Content-Type header as sent
  QString finalUrl;      // the address answered, after redirects
  QString error;         // why it failed, in plain words; "" when ok
  bool tooLarge = false;  // the answer went beyond MaxAnswerBytes

  // The body as text, by the charset of the Content-Type (UTF-8 when none or unknown).
  QString Text() const;
};

// Refused at once (without a request) unless https, or http to the loopback host.
HttpAnswer HttpGet(const QString& url);

// States of the transfer control that the windows react to.
constexpr int icNone = 0;
constexpr int icResponseCompleted = 12;
constexpr int icError = 11;

class InternetTransfer {
 public:
  InternetTransfer() = default;
  ~InternetTransfer();
  InternetTransfer(const InternetTransfer&) = delete;
  InternetTransfer& operator=(const InternetTransfer&) = delete;
  // The whole answer, returned by value: the state handler may close the window that owns this control.
  HttpAnswer Request(const QString& url);
  // The body of a successful answer; "" after a failure, when StateChanged has been told icError.
  QByteArray OpenURLBytes(const QString& url);
  QString OpenURLText(const QString& url);
  // icResponseCompleted after a good answer, icError after a failed one.
  std::function<void(int state)> StateChanged;
  // The last answer, for the error's details.
  const HttpAnswer& LastAnswer() const { return last_; }

 private:
  HttpAnswer last_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
