#pragma once
// The serial line to a transceiver, over QSerialPort, with the link's fixed settings: 8 data bits, no
// parity, no flow control, RTS on, DTR off; reads and writes end after 200 ms. Every wait lets the
// window's events run, so a silent or unplugged rig never freezes the program.
//
//   SerialPort port;
//   if (!port.Open("/dev/ttyUSB0", 4800, false)) ... port.ErrorText() ...
//   port.PurgeInput();
//   port.Write(frame);
//   QByteArray reply = port.Read(17, [](const QByteArray& got) { return got.endsWith('\xFD'); });
//
// Port names are device paths ("/dev/ttyUSB0", "/dev/pts/3") or names below /dev ("ttyUSB0"). A
// Windows name such as "COM3" names no device here and simply fails to open.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class SerialPort : public QObject {
  Q_OBJECT
 public:
  static constexpr int kTimeoutMs = 200;  // whole read, whole write
  static constexpr int kQueueBytes = 256;

  SerialPort();
  ~SerialPort() override;

  // Opens the device for reading and writing, for this program alone, with the link's settings.
  bool Open(const QString& name, int32_t baud, bool twoStopBits);
  // Safe at any time, also while a Read or Write of this port waits.
  void Close();
  bool IsOpen() const;
  // The device failed or went away (a USB adapter pulled out) since it was opened.
  bool Lost() const { return lost_; }
  // Why the last Open failed, or what failed since.
  QSerialPort::SerialPortError Error() const { return error_; }
  QString ErrorText() const { return errorText_; }
  // The last Open failed because the name is no serial device at all (a folder, a file, /dev/null).
  bool NotSerialDevice() const { return notSerial_; }

  void PurgeInput();
  void PurgeOutput();
  // Writes the bytes; returns how many went out before the write time-out (0 on a closed port).
  int32_t Write(const QByteArray& bytes);
  // Reads until `max` bytes came, `complete` says the reply is whole, or `timeoutMs` ends.
  QByteArray Read(int32_t max, const std::function<bool(const QByteArray&)>& complete = {},
                  int timeoutMs = kTimeoutMs);

 private:
  void Failed(QSerialPort::SerialPortError e);
  // Lets events run until `done` or `ms` milliseconds pass; false when the time ran out.
  bool WaitFor(int ms, const std::function<bool()>& done);
  QSerialPort port_;
  bool lost_ = false;
  bool notSerial_ = false;
  QSerialPort::SerialPortError error_ = QSerialPort::NoError;
  QString errorText_;
};

// Lets events run for `ms` milliseconds on a clock that never jumps back; at least once.
void WaitWithEvents(int32_t ms);

// Device paths of this machine's serial ports (ttyS*, ttyUSB*, ttyACM*, ...), in the system's order.
QStringList SerialDeviceNames();

// The device is there but this user may not read and write it, or may not reach it (a folder on the
// way is closed to this user): the library says PermissionError for this as for a port another program
// holds, and "not found" for a device behind a closed folder.
bool SerialAccessDenied(const QString& name);
// " を開く権限がありません (...)" with what the operator does about it: join the device's group, or,
// when only root's group may use it or a folder is closed, have the permission changed.
QString SerialDeniedText(const QString& name);
// Why the port `name` cannot be opened, following its name (" が見つかりません", " は他で使用中です", ...),
// from the library's `error` and its `libraryText` and from what the name is.
QString SerialOpenProblem(const QString& name, QSerialPort::SerialPortError error, const QString& libraryText);

// The two names reach one device ("ttyUSB0", "/dev/ttyUSB0", a link to it).
bool SameSerialDevice(const QString& a, const QString& b);

// The trial open of the port list: `opened` when the port could be opened (it is closed again at
// once), otherwise `error` tells why (busy: held by this or another program; missing: no such device;
// `denied`: this user may not open it; `notSerial`: no serial port at all).
struct SerialProbe {
  bool opened = false;
  QSerialPort::SerialPortError error = QSerialPort::NoError;
  QString errorText;  // the library's
  bool denied = false;
  bool notSerial = false;  // a folder, a file or a device that carries no serial line
  bool InUse() const { return !opened && error == QSerialPort::PermissionError && !denied; }
};
SerialProbe ProbeSerialPort(const QString& name);
