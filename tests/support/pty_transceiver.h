#pragma once
// A simulated transceiver on a pseudo-terminal: the program opens PortName() as its serial port and
// talks to it as to a real rig. It answers each model family's commands byte for byte (CI-V frames
// with the bus echo, Yaesu five-byte frames with fixed-length status replies, text commands) while
// the program lets events run, and keeps everything it received.
//
//   PtyTransceiver rig("ICOM");
//   rig.FreqHz = 7'025'000; rig.Mode = "CW";
//   RigPortState.PortName = rig.PortName(); ... RigPortOpen(); RigPoll();
//   EXPECT_EQ(rig.Commands().back(), QByteArray::fromHex("FEFE94E004FD"));

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QSocketNotifier;

class PtyTransceiver : public QObject {
  Q_OBJECT
 public:
  // `model` as RIG_TYPE names it; `civAddress` is the rig's CI-V address.
  explicit PtyTransceiver(const QString& model, unsigned char civAddress = 0x94);
  ~PtyTransceiver() override;

  QString PortName() const { return portName_; }

  // What the rig is set to; setters of the program change these.
  int64_t FreqHz = 7'025'000;
  QString Mode = "CW";  // LSB, USB, CW, AM, FM
  bool VfoB = false;    // receiving on VFO B (KENWOOD's FR)
  int VfoSwaps = 0;
  // CI-V: the bus echoes every frame back to its sender.
  bool Echo = true;
  // Does not answer at all.
  bool Silent = false;
  // Answers after this many milliseconds.
  int ReplyDelayMs = 0;
  // Sends an answer a byte every this many milliseconds, as a slow line does.
  int ByteGapMs = 0;
  // Sends only the first bytes of each answer.
  std::optional<int> CutReplyTo;
  // Canned answers to text commands (the command with its ";" as key), for the CAT test window.
  QMap<QByteArray, QByteArray> Answers;
  // Overrides the answer to a command: return a value to send it instead.
  std::function<std::optional<QByteArray>(const QByteArray& command)> Answer;

  // Every command received, split as the family frames them (CI-V up to FD, five bytes, text up to
  // ";" or CR), and every byte received.
  const QList<QByteArray>& Commands() const { return commands_; }
  QList<QByteArray> TextCommands() const;
  const QByteArray& Wire() const { return wire_; }
  void ClearReceived();

  // The line settings the program gave the port.
  int Baud() const;
  bool TwoStopBits() const;
  bool EightDataBits() const;

  // Pulls the plug: the pseudo-terminal goes away under the program and its device name with it. The
  // name's number stays taken until this object goes, so a terminal made meanwhile (by a test running
  // beside this one) never gets it and the program's reopen finds nothing, as after a USB unplug.
  void Unplug();

 private:
  void Readable();
  void Take();
  QByteArray Reply(const QByteArray& command);
  QByteArray CivReply(const QByteArray& frame);
  QByteArray YaesuReply(const QByteArray& frame);
  QByteArray TextReply(const QByteArray& command);
  void Send(QByteArray bytes);

  QString model_;
  unsigned char address_;
  int master_ = -1;
  int slave_ = -1;  // held open so the master never sees a hang-up between the program's opens
  QString portName_;
  QSocketNotifier* notifier_ = nullptr;
  QByteArray pending_;
  QByteArray wire_;
  QList<QByteArray> commands_;
};
