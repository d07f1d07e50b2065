#pragma once
// Text messages between programs of this user over local sockets: the stand-in for finding another
// program's window by its title and sending it WM_COPYDATA.
//
//   IpcReceiver spot("SendSpot for JCV/HWCV");          // listens while it lives
//   spot.Received = [](const QByteArray& text, const IpcAnswer& answer) { ...; answer.Send(1); };
//
//   int32_t answer = 0;
//   if (IpcFind("SendSpot for JCV/HWCV")) IpcSend("SendSpot for JCV/HWCV", ToAnsi(text), &answer);
//
// One socket per receiver, named after its title, in a folder of the user's runtime folder that only
// the user can enter; the socket itself is the user's alone. A folder that belongs to another user or
// that others may enter is never used: then nothing is sent or received (IpcFolderProblem says why). A
// message is a 4-byte little-endian length and that many bytes (Windows-31J text); the receiver answers with
// a 4-byte little-endian result when its handler sends it, at once or later (a command the rig carries out
// after the ones before it): this program's receivers answer kIpcHandled for a command carried out and
// kIpcRefused for one they refused (said to the operator). A length above kIpcMaxMessage, or a connection
// that has not sent a whole message within IpcSettings.IdleMs, is dropped without reaching the handler. A
// sender that closes its writing side once its message is out still gets the answer.
// One message at a time, whole: the messages of all connections wait in one queue, in the order they
// were sent (a message sent before another connection was opened comes first), and the next reaches the
// handler once the one before it was answered, from a turn of the event loop in which no other work runs
// (no box, no wait, no other job: WhenNoOtherWork). So a handler may run a box or a wait, and no other
// message is carried out inside it; the connection is not dropped as idle meanwhile, one that went
// during it is not written to, and a connection is let go only once its messages were answered (whole
// messages a sender sent before it went are still carried out). Messages still waiting when the
// receiver goes are answered kIpcRefused.
// A receiver whose socket went (the process ran out of descriptors) listens again as soon as it can, on
// a new server object (one the library closed is not used again).

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QLocalServer;
class QLocalSocket;
class QTimer;

inline constexpr int32_t kIpcMaxMessage = 64 * 1024;
inline constexpr int32_t kIpcHandled = 0, kIpcRefused = 1;

struct IpcSettingsState {
  int IdleMs = 5000;  // a connection that says nothing whole this long is dropped
};
extern IpcSettingsState IpcSettings;

// Full path of the socket of a receiver with this title; "" when the folder may not be used.
QString IpcSocketPath(const QString& title);
// Why the sockets' folder may not be used, in the operator's words; "" when it may.
QString IpcFolderProblem();

// True when a receiver with this title listens now.
bool IpcFind(const QString& title);
// How many messages the receivers of this program hold for their turn.
int IpcMessagesWaiting();

// Sends one message and waits (letting timers and sockets run, not the operator's input) until the
// receiver answered or `timeoutMs` passed. False when nobody listens, the message is too long, or no
// answer came. A receiver of this program answers in a turn free of other work: a message to it holds
// nothing meanwhile.
bool IpcSend(const QString& title, const QByteArray& message, int32_t* answer = nullptr,
             int timeoutMs = 2000);

class IpcReceiver;

// The answer to one message. Copies share it; the first Send goes to the sender, later ones are ignored.
// It reaches a sender that closed its writing side, also after the receiver went; one whose sender went
// meanwhile is dropped. A message whose every copy went unsent is answered kIpcRefused: nothing the
// handler forgot is claimed as done.
class IpcAnswer {
 public:
  void Send(int32_t result) const;
  bool Sent() const;

 private:
  friend class IpcReceiver;
  struct Pending;
  std::shared_ptr<Pending> pending_;
};

class IpcReceiver : public QObject {
  Q_OBJECT
 public:
  explicit IpcReceiver(const QString& title, QObject* parent = nullptr);
  ~IpcReceiver() override;
  IpcReceiver(const IpcReceiver&) = delete;
  IpcReceiver& operator=(const IpcReceiver&) = delete;

  // False when the socket could not be made (another receiver of that title is alive).
  bool Listening() const;
  // Takes each message with its answer, which it sends now or keeps to send when it is done.
  std::function<void(const QByteArray& message, const IpcAnswer& answer)> Received;
  // Told once, in the operator's words, when the socket went and could not be made again at once (it
  // is still retried); told again only after it had come back.
  std::function<void(const QString& why)> Lost;
  // Told once when a socket that Lost had reported listens again.
  std::function<void(const QString& what)> Back;
  // Messages refused for their size or shape, for the log line and the tests.
  int Refused() const { return refused_; }
  // Messages held for their turn.
  int Waiting() const { return int(queue_.size()); }
  const QString& SocketPath() const { return path_; }

 private:
  friend struct IpcAnswer::Pending;
  struct Connection;
  struct Message {
    std::shared_ptr<Connection> from;
    QByteArray text;
  };
  bool listen();
  // A fresh server object: one that closed on a failed accept is not reused.
  void makeServer();
  void keepListening();
  void accept();
  // Reads the whole messages of every connection, in the order the connections came, into the queue.
  void takeAll();
  void take(const std::shared_ptr<Connection>& c);
  // The next message to the handler, in a turn free of other work.
  void askTurn();
  void serve();
  void answered(const std::shared_ptr<Connection>& c);
  void drop(const std::shared_ptr<Connection>& c);
  // Lost and Back, each in a turn free of other work.
  void tell(const std::function<void()>& box);

  QString path_;
  std::unique_ptr<QLocalServer> server_;
  QTimer* watch_ = nullptr;
  qint64 lostAt_ = -1;  // ms on clock_ when the socket was found gone; -1 while it listens
  QElapsedTimer clock_;
  bool told_ = false;
  int refused_ = 0;
  std::vector<std::shared_ptr<Connection>> connections_;  // in the order they came
  std::deque<Message> queue_;
  bool handling_ = false;  // a message is with the handler, not answered yet
  bool turnAsked_ = false;
  bool taking_ = false;
};
