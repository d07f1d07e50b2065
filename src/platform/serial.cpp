#include "platform/serial.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QTimer>

#include <cerrno>

#include "platform/ui/doevents.h"

namespace {

// The library's own rule: a bare name is a device of /dev.
QString devicePath(const QString& name) {
  return name.startsWith('/') ? name : QStringLiteral("/dev/") + name;
}

// The serial library takes the port's lock file before it opens the device, so a missing device that
// another program probes at the same moment would be reported as in use: a missing one is told first.
bool deviceMissing(const QString& name) {
  return name.trimmed().isEmpty() || !QFileInfo::exists(devicePath(name));
}

// A folder or a plain file cannot carry a serial line.
bool notDevice(const QString& name) {
  struct stat st {};
  return ::stat(QFile::encodeName(devicePath(name)).constData(), &st) == 0 && !S_ISCHR(st.st_mode);
}

// Nor can a device that is no terminal (/dev/null); one that cannot be opened is told for that instead.
bool notTerminal(const QString& name) {
  const int fd = ::open(QFile::encodeName(devicePath(name)).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool terminal = ::isatty(fd) != 0;
  ::close(fd);
  return !terminal;
}

}  // namespace

bool SerialAccessDenied(const QString& name) {
  return !deviceMissing(name) &&
         ::access(QFile::encodeName(devicePath(name)).constData(), R_OK | W_OK) != 0 && errno == EACCES;
}

QString SerialDeniedText(const QString& name) {
  const QFileInfo device(devicePath(name));
  if (device.permission(QFile::ReadGroup | QFile::WriteGroup))
    return QStringLiteral(" を開く権限がありません (このユーザーを ") + device.group() +
           QStringLiteral(" グループに入れ、ログインし直して下さい)");
  return QStringLiteral(" を開く権限がありません (このユーザーが読み書きできるよう機器の設定を変えて下さい)");
}

SerialPort::SerialPort() {
  connect(&port_, &QSerialPort::errorOccurred, this, &SerialPort::Failed);
}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Open(const QString& name, int32_t baud, bool twoStopBits) {
  Close();
  lost_ = false;
  error_ = QSerialPort::NoError;
  errorText_.clear();
  port_.setPortName(name);
  notSerial_ = false;
  if (deviceMissing(name)) {
    error_ = QSerialPort::DeviceNotFoundError;
    errorText_ = QStringLiteral("No such file or directory");
    return false;
  }
  if (notDevice(name)) {
    notSerial_ = true;
    error_ = QSerialPort::UnsupportedOperationError;
    errorText_ = QStringLiteral("Not a serial device");
    return false;
  }
  if (!port_.open(QIODevice::ReadWrite)) {
    error_ = port_.error();
    errorText_ = port_.errorString();
    port_.clearError();
    notSerial_ = notTerminal(name);
    return false;
  }
  // Settings a line cannot take (a pseudo-terminal has no RTS or DTR) are passed over, as the
  // device's own driver would on a plain three-wire cable.
  port_.setBaudRate(baud);
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::NoParity);
  port_.setStopBits(twoStopBits ? QSerialPort::TwoStop : QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  port_.setRequestToSend(true);
  port_.setDataTerminalReady(false);
  port_.setReadBufferSize(0);
  port_.clearError();
  error_ = QSerialPort::NoError;
  PurgeOutput();
  PurgeInput();
  return true;
}

void SerialPort::Close() {
  if (port_.isOpen()) port_.close();
}

bool SerialPort::IsOpen() const { return port_.isOpen() && !lost_; }

void SerialPort::Failed(QSerialPort::SerialPortError e) {
  if (e == QSerialPort::NoError || !port_.isOpen()) return;
  error_ = e;
  errorText_ = port_.errorString();
  switch (e) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
      // The device is gone: its descriptor would keep waking the event loop.
      lost_ = true;
      QTimer::singleShot(0, this, [this] {
        if (lost_) port_.close();
      });
      break;
    default:
      break;
  }
  port_.clearError();
}

void SerialPort::PurgeInput() {
  if (!IsOpen()) return;
  port_.clear(QSerialPort::Input);
  port_.readAll();
}

void SerialPort::PurgeOutput() {
  if (IsOpen()) port_.clear(QSerialPort::Output);
}

bool SerialPort::WaitFor(int ms, const std::function<bool()>& done) {
  const InputHold hold;
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    const qint64 left = ms - clock.elapsed();
    if (left <= 0 || !IsOpen()) return done();
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&port_, &QIODevice::readyRead, &loop, &QEventLoop::quit);
    connect(&port_, &QIODevice::bytesWritten, &loop, &QEventLoop::quit);
    connect(&port_, &QIODevice::aboutToClose, &loop, &QEventLoop::quit);
    connect(&port_, &QSerialPort::errorOccurred, &loop, &QEventLoop::quit);
    deadline.start(static_cast<int>(left));
    loop.exec(WaitFlags());
  }
  return true;
}

int32_t SerialPort::Write(const QByteArray& bytes) {
  if (!IsOpen()) return 0;
  const qint64 queued = port_.write(bytes);
  if (queued < 0) return 0;
  port_.flush();
  WaitFor(kTimeoutMs, [this] { return !IsOpen() || port_.bytesToWrite() == 0; });
  if (!IsOpen()) return 0;
  return static_cast<int32_t>(queued - port_.bytesToWrite());
}

QByteArray SerialPort::Read(int32_t max, const std::function<bool(const QByteArray&)>& complete) {
  QByteArray got;
  auto take = [&] {
    if (port_.isOpen() && got.size() < max) got += port_.read(max - got.size());
    return got.size() >= max || (complete && !got.isEmpty() && complete(got));
  };
  if (!IsOpen() || max <= 0) return got;
  WaitFor(kTimeoutMs, take);
  return got;
}

void WaitWithEvents(int32_t ms) {
  const InputHold hold;
  QElapsedTimer clock;
  clock.start();
  QCoreApplication::processEvents(WaitFlags());
  while (clock.elapsed() <= ms) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(ms - clock.elapsed()) + 1, &loop, &QEventLoop::quit);
    loop.exec(WaitFlags());
  }
}

QStringList SerialDeviceNames() {
  QStringList names;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) names << info.systemLocation();
  return names;
}

SerialProbe ProbeSerialPort(const QString& name) {
  SerialProbe r;
  QSerialPort probe;
  probe.setPortName(name);
  if (deviceMissing(name)) {
    r.error = QSerialPort::DeviceNotFoundError;
    return r;
  }
  r.opened = probe.open(QIODevice::ReadWrite);
  r.error = r.opened ? QSerialPort::NoError : probe.error();
  r.denied = r.error == QSerialPort::PermissionError && SerialAccessDenied(name);
  probe.close();
  return r;
}
