// ICOM's CI-V: frames FE FE, to-address, from-address, command, data, FD. The controller is E0. Replies
// are taken frame by frame from the bytes read, so the bus echo of our own command is passed over. A
// frequency is 5 BCD bytes, least significant first, or 6 on the 10 GHz band and above.
#include <QList>
#include <optional>

#include "rig/RigDriver.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"

namespace {

constexpr char kController = '\xE0';
constexpr int32_t kBusRead = 64;

struct Frame {
  unsigned char to, from, command;
  QByteArray data;
};

QList<Frame> framesIn(const QByteArray& bytes) {
  QList<Frame> frames;
  qsizetype i = 0;
  while ((i = bytes.indexOf("\xFE\xFE", i)) >= 0) {
    qsizetype start = i + 2;
    while (start < bytes.size() && bytes[start] == '\xFE') ++start;  // a longer preamble
    const qsizetype end = bytes.indexOf('\xFD', start);
    if (end < 0) break;
    if (end - start >= 3) {
      const QByteArray body = bytes.mid(start, end - start);
      frames.push_back({static_cast<unsigned char>(body[0]), static_cast<unsigned char>(body[1]),
                        static_cast<unsigned char>(body[2]), body.mid(3)});
    }
    i = end + 1;
  }
  return frames;
}

std::optional<unsigned char> rigAddress() {
  const std::optional<unsigned char> a = CivAddressValue(RigPortState.CivAddress);
  if (!a) RigSetStatus("RIG Control ICOM アドレス " + RigPortState.CivAddress + " が不正です");
  return a;
}

// The rig's answer to `command` among the frames read; nothing while it has not come.
std::optional<QByteArray> answer(const QByteArray& bytes, unsigned char address, unsigned char command) {
  for (const Frame& f : framesIn(bytes))
    if (f.to == static_cast<unsigned char>(kController) && f.from == address && f.command == command)
      return f.data;
  return std::nullopt;
}

// Packed BCD, least significant byte first; nothing when a nibble is not a decimal digit.
std::optional<int64_t> bcdLittleEndian(const QByteArray& data) {
  int64_t value = 0;
  for (qsizetype i = data.size() - 1; i >= 0; --i) {
    const auto b = static_cast<unsigned char>(data[i]);
    if ((b >> 4) > 9 || (b & 0x0F) > 9) return std::nullopt;
    value = value * 100 + (b >> 4) * 10 + (b & 0x0F);
  }
  return value;
}

QString modeName(unsigned char b) {
  switch (b) {
    case 0x00: return "LSB";
    case 0x01: return "USB";
    case 0x02: return "AM";
    case 0x03: return "CW";
    case 0x04: return "RTTY";
    case 0x05: return "FM";
    case 0x06: return "FM WIDE";
    case 0x07: return "CW-R";
    case 0x08: return "RTTY-R";
    case 0x17: return "DV";
    default: return {};
  }
}

// Sends one command and reads until the rig's answer to it came (or the read time-out).
std::optional<QByteArray> ask(unsigned char address, unsigned char command, int32_t readMax) {
  if (!RigSendCiv(QByteArray(1, static_cast<char>(command)))) return std::nullopt;
  const QByteArray got =
      RigReadBytes(readMax, [&](const QByteArray& b) { return answer(b, address, command).has_value(); });
  return answer(got, address, command);
}

// What was read besides the bus echo of the frame we sent.
QByteArray withoutEcho(const QByteArray& bytes) {
  return QByteArray(bytes).replace(RigPortState.TxFrame, QByteArray());
}

class Civ : public RigDriver {
 public:
  void Poll(const RigModelInfo&) override {
    const std::optional<unsigned char> a = rigAddress();
    if (!a) return;
    // The read ends as soon as the answer is whole; room for the echo and other stations' frames.
    const std::optional<QByteArray> freq = ask(*a, 0x03, kBusRead);
    // Nothing but our own echo is no answer; anything else without our answer is another layout.
    const QByteArray got = withoutEcho(RigPortState.RxBytes);
    const bool frequencyField = freq && (freq->size() == 5 || freq->size() == 6);
    const std::optional<int64_t> hz = frequencyField ? bcdLittleEndian(*freq) : std::nullopt;
    if (!RigAnswerFits(got, hz.has_value()) || !RigReadingGood(hz)) return;
    RigPublishFrequency(*hz, false);
    const std::optional<QByteArray> mode = ask(*a, 0x04, kBusRead);
    if (!mode || mode->isEmpty()) return;
    const QString name = modeName(static_cast<unsigned char>(mode->at(0)));
    if (!name.isEmpty()) RigPublishMode(name);
  }

  bool SetMode(const RigModelInfo&, const QString& code) override {
    bool ok = false;
    const uint m = code.toUInt(&ok, 16);
    if (!ok || m > 0xFF) return false;
    return RigCivCommand(QByteArray("\x06") + static_cast<char>(m));
  }

  // Five BCD bytes up to 10 GHz; from there a sixth, which only rigs with the 10 GHz band take.
  bool SetFreq(const RigModelInfo&, const QString& digits) override {
    if (digits.size() != 10 && digits.size() != 12) return false;
    const QString d = digits.size() == 12 && digits.startsWith("00") ? digits.mid(2) : digits;
    QByteArray body("\x05");
    for (qsizetype k = d.size() - 2; k >= 0; k -= 2) body += static_cast<char>(d.mid(k, 2).toUInt(nullptr, 16));
    return RigCivCommand(body);
  }

  bool SwapVfo(const RigModelInfo&) override { return RigCivCommand(QByteArray::fromHex("07B0")); }
};

}  // namespace

QString CivAddressProblem(const QString& text) {
  const QString digits = text.trimmed();
  const auto hex = [](QChar c) { return QStringLiteral("0123456789ABCDEFabcdef").contains(c); };
  if (digits.size() != 2 || !hex(digits[0]) || !hex(digits[1])) return "16進数2桁";
  switch (digits.toUInt(nullptr, 16)) {
    case 0x00:
      return "00 は全部の機器に宛てる同報のアドレスです";
    case static_cast<unsigned char>(kController):
      return "E0 はこのプログラム側のアドレスです";
    case 0xFD:
    case 0xFE:
      return digits.toUpper() + " は CI-V の区切りの符号です";
    case 0xFF:
      return "FF はアドレスに使えない値です";
    default:
      return {};
  }
}

std::optional<unsigned char> CivAddressValue(const QString& text) {
  if (!CivAddressProblem(text).isEmpty()) return std::nullopt;
  return static_cast<unsigned char>(text.trimmed().toUInt(nullptr, 16));
}

bool RigSendCiv(const QByteArray& commandAndData) {
  const std::optional<unsigned char> a = rigAddress();
  if (!a) return false;
  RigPortState.TxFrame = QByteArray("\xFE\xFE") + static_cast<char>(*a) + kController + commandAndData + '\xFD';
  return RigSendBytes();
}

bool RigCivCommand(const QByteArray& commandAndData) {
  const std::optional<unsigned char> a = CivAddressValue(RigPortState.CivAddress);
  if (!a || !RigSendCiv(commandAndData)) return false;
  const auto said = [&](const QByteArray& b, unsigned char reply) { return answer(b, *a, reply).has_value(); };
  const QByteArray got = RigReadBytes(kBusRead, [&](const QByteArray& b) { return said(b, 0xFB) || said(b, 0xFA); });
  if (said(got, 0xFB)) return true;
  if (!RigPortUsable()) return false;
  RigRefuse(said(got, 0xFA) ? QStringLiteral("RIG Control ICOM が指示を受け付けませんでした (NG)")
                            : QStringLiteral("RIG Control ICOM から指示の返事がありません"));
  return false;
}

RigDriver& CivDriver() {
  static Civ driver;
  return driver;
}
