#include "platform/serial.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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
// One behind a folder this user may not enter is not missing: it is denied.
bool deviceMissing(const QString& name) {
  if (name.trimmed().isEmpty()) return true;
  struct stat st {};
  return ::stat(QFile::encodeName(devicePath(name)).constData(), &st) != 0 && errno != EACCES;
}

// The first folder on the way to the device that this user may not enter; "" when none.
QString closedFolder(const QString& name) {
  const QString path = devicePath(name);
  for (qsizetype k = path.indexOf(u'/', 1); k > 0; k = path.indexOf(u'/', k + 1)) {
    const QString folder = path.left(k);
    if (::access(QFile::encodeName(folder).constData(), X_OK) != 0 && errno == EACCES) return folder;
  }
  return {};
}

// The name of the process's own terminal, whatever that is: never a rig's line.
bool ownTerminalName(const QString& name) {
  struct stat st {};
  return ::stat(QFile::encodeName(devicePath(name)).constData(), &st) == 0 && S_ISCHR(st.st_mode) &&
         major(st.st_rdev) == 5 && minor(st.st_rdev) == 0;
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
  if (const QString folder = closedFolder(name); !folder.isEmpty())
    return QStringLiteral(" を開く権限がありません (フォルダー ") + folder +
           QStringLiteral(" にこのユーザーは入れません。置き場所かフォルダーの権限を変えて下さい)");
  const QFileInfo device(devicePath(name));
  struct stat st {};
  const bool known = ::stat(QFile::encodeName(device.filePath()).constData(), &st) == 0;
  // Joining root's group would give far more than the port: the device's permission is what to change.
  if (known && st.st_gid != 0 && device.permission(QFile::ReadGroup | QFile::WriteGroup))
    return QStringLiteral(" を開く権限がありません (このユーザーを ") + device.group() +
           QStringLiteral(" グループに入れ、ログインし直して下さい)");
  const QString owner = known ? QStringLiteral(" %1:%2 %3")
                                    .arg(device.owner(), device.group())
                                    .arg(st.st_mode & 07777, 4, 8, QChar(u'0'))
                              : QString();
  return QStringLiteral(" を開く権限がありません (機器") + owner +
         QStringLiteral(" の権限を、このユーザーかそのグループが読み書きできるよう変えて下さい)");
}

const QString kNotSerialText = QStringLiteral(" はシリアルポートではありません (ファイル、フォルダーか通信のできない機器です)");

namespace {

const QString kChooseAgain = QStringLiteral("「リグコン関係の設定」の「COM ﾁｪｯｸ」でポートを選び直して下さい");

QString missingText(const QString& name) {
  if (name.trimmed().isEmpty()) return QStringLiteral(" (ポートの名前が空です。") + kChooseAgain + ")";
  // A settings file copied from Windows names its ports so.
  if (QRegularExpression(QStringLiteral("^COM[0-9]+$"), QRegularExpression::CaseInsensitiveOption)
          .match(name.trimmed())
          .hasMatch())
    return QStringLiteral(" は Windows のポートの名前で、この機械にはありません (この機械では /dev/ttyUSB0 などの名前です。") +
           kChooseAgain + ")";
  return QStringLiteral(" が見つかりません (リグの電源と USB ケーブルを確かめるか、") + kChooseAgain + ")";
}

}  // namespace

QString SerialOpenProblem(const QString& name, QSerialPort::SerialPortError error, const QString& libraryText) {
  if (ownTerminalName(name))
    return QStringLiteral(" はこのプログラムを動かしている端末の名前で、リグのシリアルポートではありません");
  if (deviceMissing(name)) return missingText(name);
  // A file or a folder is no port whoever may open it.
  if (notDevice(name)) return kNotSerialText;
  if (SerialAccessDenied(name)) return SerialDeniedText(name);
  if (notTerminal(name)) return kNotSerialText;
  switch (error) {
    case QSerialPort::DeviceNotFoundError:
      return missingText(name);
    case QSerialPort::PermissionError:
      return QStringLiteral(" は他で使用中です");
    case QSerialPort::OpenError:
      return QStringLiteral(" は既に開かれています");
    case QSerialPort::UnsupportedOperationError:
      return QStringLiteral(" はこの通信設定を受け付けません");
    case QSerialPort::ResourceError:
      return QStringLiteral(" が抜かれたか応答しません");
    default:
      return QStringLiteral(" を開けません (") + libraryText + QStringLiteral(")");
  }
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
  if (notDevice(name) || ownTerminalName(name)) {
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

QByteArray SerialPort::Read(int32_t max, const std::function<bool(const QByteArray&)>& complete, int timeoutMs) {
  QByteArray got;
  auto take = [&] {
    if (port_.isOpen() && got.size() < max) got += port_.read(max - got.size());
    return got.size() >= max || (complete && !got.isEmpty() && complete(got));
  };
  if (!IsOpen() || max <= 0) return got;
  WaitFor(timeoutMs, take);
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

bool SameSerialDevice(const QString& a, const QString& b) {
  struct stat sa {}, sb {};
  if (::stat(QFile::encodeName(devicePath(a)).constData(), &sa) != 0 ||
      ::stat(QFile::encodeName(devicePath(b)).constData(), &sb) != 0)
    return devicePath(a) == devicePath(b);
  return S_ISCHR(sa.st_mode) && S_ISCHR(sb.st_mode) ? sa.st_rdev == sb.st_rdev
                                                    : sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

SerialProbe ProbeSerialPort(const QString& name) {
  SerialProbe r;
  QSerialPort probe;
  probe.setPortName(name);
  if (deviceMissing(name)) {
    r.error = QSerialPort::DeviceNotFoundError;
    return r;
  }
  r.notSerial = notDevice(name) || ownTerminalName(name);
  r.denied = !r.notSerial && SerialAccessDenied(name);
  if (r.denied || r.notSerial) {
    r.error = r.denied ? QSerialPort::PermissionError : QSerialPort::UnsupportedOperationError;
    return r;
  }
  r.opened = probe.open(QIODevice::ReadWrite);
  r.error = r.opened ? QSerialPort::NoError : probe.error();
  r.errorText = probe.errorString();
  r.notSerial = !r.opened && notTerminal(name);
  probe.close();
  return r;
}
