#pragma once
// A companion program (the rig program, SatMate, a spot sender) on the program's command socket: a
// connection of its own, commands framed as the socket takes them, and the answers as they come back.
//
//   Companion satMate;
//   satMate.Send("SatMate+435.100+FM+r1+r2+x+y+JA1SAT+1002+T");
//   ASSERT_TRUE(WaitUntil([&] { return satMate.Answers().size() == 1; }));

#include <QByteArray>
#include <QList>
#include <QLocalServer>
#include <QLocalSocket>
#include <QString>
#include <cstdint>
#include <functional>

class Companion {
 public:
  // Connected once it is made (the program must listen).
  explicit Companion(const QString& title = QStringLiteral("ORBEX5"));
  Companion(const Companion&) = delete;
  Companion& operator=(const Companion&) = delete;

  // Sends `text` whole: it is on the socket when this returns.
  void Send(const QByteArray& text);
  // The answers received so far, in the order they came.
  const QList<int32_t>& Answers() const { return answers_; }
  // Told of each answer as it comes.
  std::function<void(int32_t answer)> Answered;
  QLocalSocket& Socket() { return socket_; }

 private:
  QLocalSocket socket_;
  QList<int32_t> answers_;
};

// Another program listening on the local socket at `path` (HAMLOG's window, the spot program): it takes
// each message as the socket frames it, hands it to OnMessage, and answers 0.
class CompanionListener {
 public:
  explicit CompanionListener(const QString& path);
  CompanionListener(const CompanionListener&) = delete;
  CompanionListener& operator=(const CompanionListener&) = delete;

  bool Listening() const { return server_.isListening(); }
  QString Problem() const { return server_.errorString(); }
  const QList<QByteArray>& Received() const { return received_; }
  std::function<void(const QByteArray& message)> OnMessage;

 private:
  QLocalServer server_;
  QList<QByteArray> received_;
};
