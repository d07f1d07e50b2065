#include "support/pty_transceiver.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

namespace {

enum class Family { CiV, Yaesu, Text, Jst };

Family familyOf(const QString& model) {
  if (model == "ICOM") return Family::CiV;
  if (model == "JST-245") return Family::Jst;
  if (model == "KENWOOD" || model == "FT2000" || model == "FT991") return Family::Text;
  return Family::Yaesu;
}

unsigned char bcdByte(int v) { return static_cast<unsigned char>((v / 10) << 4 | (v % 10)); }
int fromBcd(unsigned char b) { return (b >> 4) * 10 + (b & 0x0F); }

// `digits` decimal digits of `value` as BCD pairs, most significant first.
QByteArray bcdPairs(int64_t value, int pairs) {
  QByteArray out(pairs, '\0');
  for (int i = pairs - 1; i >= 0; --i) {
    out[i] = static_cast<char>(bcdByte(static_cast<int>(value % 100)));
    value /= 100;
  }
  return out;
}

int64_t fromPairs(const QByteArray& pairs) {
  int64_t v = 0;
  for (char c : pairs) v = v * 100 + fromBcd(static_cast<unsigned char>(c));
  return v;
}

QByteArray bigEndian(int64_t value, int bytes) {
  QByteArray out(bytes, '\0');
  for (int i = bytes - 1; i >= 0; --i) {
    out[i] = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
  return out;
}

struct ModeCodes {
  const char* mode;
  unsigned char civ, ft847, ft767, ft920, ft1000;
  char kenwood, jst;
  const char* yaesuText;
};
constexpr ModeCodes kModes[] = {
    {"LSB", 0x00, 0x00, 0, 0, 0, '1', '3', "01"}, {"USB", 0x01, 0x01, 1, 64, 1, '2', '2', "02"},
    {"CW", 0x03, 0x02, 2, 1, 2, '3', '1', "03"},  {"AM", 0x02, 0x04, 3, 2, 3, '5', '4', "05"},
    {"FM", 0x05, 0x08, 4, 3, 4, '4', '5', "04"},
};

const ModeCodes& codes(const QString& mode) {
  for (const ModeCodes& m : kModes)
    if (mode == QLatin1String(m.mode)) return m;
  return kModes[0];
}

}  // namespace

PtyTransceiver::PtyTransceiver(const QString& model, unsigned char civAddress)
    : model_(model), address_(civAddress) {
  // A pseudo-terminal's number is free again the moment its last descriptor closes, but the serial
  // library drops its lock file for that name a moment later; with tests running side by side a new
  // terminal can get a number whose lock another process has not dropped yet. Such a terminal is held
  // (so the next one gets another number) until a free one is found.
  std::vector<std::pair<int, int>> held;
  for (int tries = 1;; ++tries) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    grantpt(master_);
    unlockpt(master_);
    portName_ = QString::fromLocal8Bit(ptsname(master_));
    slave_ = ::open(ptsname(master_), O_RDWR | O_NOCTTY);
    QSerialPort probe(portName_);
    if (probe.open(QIODevice::ReadWrite) || probe.error() != QSerialPort::PermissionError || tries == 50) break;
    held.emplace_back(master_, slave_);
  }
  for (auto [m, s] : held) {
    ::close(s);
    ::close(m);
  }
  termios t{};
  tcgetattr(slave_, &t);
  cfmakeraw(&t);
  tcsetattr(slave_, TCSANOW, &t);
  notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &PtyTransceiver::Readable);
}

PtyTransceiver::~PtyTransceiver() {
  Unplug();
  if (slave_ >= 0) ::close(slave_);
}

void PtyTransceiver::Unplug() {
  delete notifier_;
  notifier_ = nullptr;
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

int PtyTransceiver::Baud() const {
  termios t{};
  tcgetattr(slave_, &t);
  switch (cfgetospeed(&t)) {
    case B1200: return 1200;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    default: return 0;
  }
}

bool PtyTransceiver::TwoStopBits() const {
  termios t{};
  tcgetattr(slave_, &t);
  return (t.c_cflag & CSTOPB) != 0;
}

bool PtyTransceiver::EightDataBits() const {
  termios t{};
  tcgetattr(slave_, &t);
  return (t.c_cflag & CSIZE) == CS8 && (t.c_cflag & PARENB) == 0;
}

QList<QByteArray> PtyTransceiver::TextCommands() const {
  QList<QByteArray> out;
  for (QByteArray c : commands_) {
    while (c.startsWith('\r')) c.remove(0, 1);
    if (!c.isEmpty()) out << c;
  }
  return out;
}

void PtyTransceiver::ClearReceived() {
  commands_.clear();
  wire_.clear();
}

void PtyTransceiver::Readable() {
  char buf[512];
  for (;;) {
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) break;
    pending_.append(buf, n);
    wire_.append(buf, n);
  }
  Take();
}

void PtyTransceiver::Take() {
  const Family f = familyOf(model_);
  for (;;) {
    qsizetype end = -1;
    switch (f) {
      case Family::CiV:
        end = pending_.indexOf('\xFD');
        break;
      case Family::Yaesu:
        end = pending_.size() >= 5 ? 4 : -1;
        break;
      case Family::Text:
        end = pending_.indexOf(';');
        break;
      case Family::Jst:
        end = pending_.indexOf('\r');
        break;
    }
    if (end < 0) return;
    const QByteArray command = pending_.left(end + 1);
    pending_.remove(0, end + 1);
    commands_ << command;
    QByteArray reply;
    if (Answer) {
      if (const std::optional<QByteArray> a = Answer(command)) reply = *a;
      else reply = Reply(command);
    } else {
      reply = Reply(command);
    }
    if (f == Family::CiV && Echo) reply.prepend(command);
    Send(reply);
  }
}

void PtyTransceiver::Send(QByteArray bytes) {
  if (Silent || bytes.isEmpty() || master_ < 0) return;
  if (CutReplyTo) bytes = bytes.left(*CutReplyTo);
  auto write = [this](const QByteArray& b) {
    if (master_ >= 0) (void)!::write(master_, b.constData(), b.size());
  };
  if (ByteGapMs > 0) {
    for (qsizetype i = 0; i < bytes.size(); ++i)
      QTimer::singleShot(ReplyDelayMs + int(i) * ByteGapMs, this, [write, b = bytes.mid(i, 1)] { write(b); });
  } else if (ReplyDelayMs > 0) {
    QTimer::singleShot(ReplyDelayMs, this, [write, bytes] { write(bytes); });
  } else {
    write(bytes);
  }
}

QByteArray PtyTransceiver::Reply(const QByteArray& command) {
  switch (familyOf(model_)) {
    case Family::CiV:
      return CivReply(command);
    case Family::Yaesu:
      return YaesuReply(command);
    case Family::Text:
    case Family::Jst:
      break;
  }
  return TextReply(command);
}

QByteArray PtyTransceiver::CivReply(const QByteArray& frame) {
  if (frame.size() < 6 || !frame.startsWith("\xFE\xFE") ||
      static_cast<unsigned char>(frame[2]) != address_)
    return {};
  const auto cmd = static_cast<unsigned char>(frame[4]);
  const QByteArray data = frame.mid(5, frame.size() - 6);
  QByteArray answer = QByteArray("\xFE\xFE\xE0") + static_cast<char>(address_);
  switch (cmd) {
    case 0x03: {
      QByteArray digits = bcdPairs(FreqHz, FreqHz >= 10'000'000'000 ? 6 : 5);  // 12 digits on 10 GHz
      std::reverse(digits.begin(), digits.end());
      return answer + '\x03' + digits + '\xFD';
    }
    case 0x04:
      return answer + '\x04' + static_cast<char>(codes(Mode).civ) + '\x01' + '\xFD';
    case 0x05: {
      QByteArray pairs = data;
      std::reverse(pairs.begin(), pairs.end());
      FreqHz = fromPairs(pairs);
      break;
    }
    case 0x06:
      for (const ModeCodes& m : kModes)
        if (!data.isEmpty() && static_cast<unsigned char>(data[0]) == m.civ) Mode = m.mode;
      break;
    case 0x07:
      ++VfoSwaps;
      break;
    default:
      break;
  }
  return answer + '\xFB' + '\xFD';
}

QByteArray PtyTransceiver::YaesuReply(const QByteArray& frame) {
  const auto op = static_cast<unsigned char>(frame[4]);
  const auto p = [&](int i) { return static_cast<unsigned char>(frame[i]); };
  const ModeCodes& mode = codes(Mode);
  if (model_ == "FT847" || model_ == "FT817") {
    if (op == 0x03) return bcdPairs(FreqHz / 10, 4) + static_cast<char>(mode.ft847);
    if (op == 0x01) FreqHz = fromPairs(frame.left(4)) * 10;
    if (op == 0x07)
      for (const ModeCodes& m : kModes)
        if (p(0) == m.ft847) Mode = m.mode;
    if (op == 0x81) ++VfoSwaps;
    return {};
  }
  QByteArray reversed = frame.left(4);
  std::reverse(reversed.begin(), reversed.end());
  if (model_ == "FT767") {
    if (op == 0x0B) {
      QByteArray status(86, '\0');
      const QByteArray pairs = bcdPairs(FreqHz / 10, 4);  // byte 84 holds the first pair
      for (int i = 0; i < 4; ++i) status[84 - i] = pairs[i];
      status[79] = static_cast<char>(0xF8 | mode.ft767);  // the upper bits are flags
      return status;
    }
    if (op == 0x08) FreqHz = fromPairs(reversed) * 10;
    if (op == 0x0A)
      for (const ModeCodes& m : kModes)
        if (p(3) == 0x10 + m.ft767) Mode = m.mode;
    return {};
  }
  // FT900, FT920, FT1000MP
  if (op == 0x10 && p(3) == 0x02) {
    const int length = model_ == "FT900" ? 19 : model_ == "FT920" ? 28 : 16;
    QByteArray status(length, '\0');
    if (model_ == "FT900") {
      status.replace(2, 3, bigEndian(FreqHz / 10, 3));
      status[7] = static_cast<char>(mode.ft1000);
    } else {
      status.replace(1, 4, bigEndian(FreqHz / 10 * 16, 4));
      status[7] = static_cast<char>(model_ == "FT920" ? mode.ft920 : mode.ft1000);
    }
    return status;
  }
  if (op == 0x0A) FreqHz = fromPairs(reversed) * 10;
  if (op == 0x0C)
    for (const ModeCodes& m : kModes)
      if (p(3) == m.ft1000) Mode = m.mode;
  return {};
}

QByteArray PtyTransceiver::TextReply(const QByteArray& raw) {
  QByteArray c = raw;
  while (c.startsWith('\r')) c.remove(0, 1);
  if (Answers.contains(c)) return Answers.value(c);
  const ModeCodes& mode = codes(Mode);
  if (model_ == "JST-245") {
    if (c == "I1\r")
      return "I1A" + QByteArray(1, mode.jst) + QByteArray::number(FreqHz).rightJustified(8, '0') + "\r";
    if (c.startsWith('F') && c.endsWith("A\r")) FreqHz = c.mid(1, c.size() - 3).toLongLong();
    return {};
  }
  const bool kenwood = model_ == "KENWOOD";
  if (c == "IF;") {
    if (kenwood) {
      QByteArray a = "IF" + QByteArray::number(FreqHz).rightJustified(11, '0');
      a = a.leftJustified(29, '0') + mode.kenwood;
      return a.leftJustified(37, '0') + ";";
    }
    // Memory channel, frequency, clarifier, RX and TX clarifier, mode, VFO, CTCSS, "00", shift.
    const int digits = model_ == "FT991" ? 9 : 8;
    return "IF001" + QByteArray::number(FreqHz).rightJustified(digits, '0') + "+000000" + mode.yaesuText[1] + "00000;";
  }
  if (kenwood && c == "FR;") return VfoB ? "FR1;" : "FR0;";
  if (c.startsWith("FA") || c.startsWith("FB")) FreqHz = c.mid(2, c.size() - 3).toLongLong();
  if (c.startsWith("MD")) {
    const QByteArray code = c.mid(2, c.size() - 3);
    for (const ModeCodes& m : kModes)
      if (kenwood ? code == QByteArray(1, m.kenwood) : code == m.yaesuText) Mode = m.mode;
  }
  if (c == "SV;") ++VfoSwaps;
  return {};
}
