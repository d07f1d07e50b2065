// Yaesu's binary CAT: five-byte commands (four parameters, then the opcode) and fixed-length status
// replies. A reply of another length, or with other than decimal digits where the model sends them, is
// not this model's and is never decoded (nor one cut short as zeros).
#include <algorithm>
#include <optional>

#include "rig/RigDriver.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"

namespace {

bool is(const RigModelInfo& m, const char* name) { return qstrcmp(m.Name, name) == 0; }

bool send(const char* hex) {
  RigPortState.TxFrame = QByteArray::fromHex(hex);
  return RigSendBytes();
}

bool sendFrame(const QByteArray& frame) {
  RigPortState.TxFrame = frame;
  return RigSendBytes();
}

unsigned char at(const QByteArray& b, int i) { return static_cast<unsigned char>(b[i]); }

// The BCD pairs of the bytes at `indexes`, most significant first; nothing on a nibble above 9.
std::optional<int64_t> bcd(const QByteArray& b, std::initializer_list<int> indexes) {
  int64_t value = 0;
  for (int i : indexes) {
    const unsigned char v = at(b, i);
    if ((v >> 4) > 9 || (v & 0x0F) > 9) return std::nullopt;
    value = value * 100 + (v >> 4) * 10 + (v & 0x0F);
  }
  return value;
}

int64_t bigEndian(const QByteArray& b, int from, int count) {
  int64_t value = 0;
  for (int i = from; i < from + count; ++i) value = value * 256 + at(b, i);
  return value;
}

QString ft767Mode(unsigned char b) {
  static const char* const names[] = {"LSB", "USB", "CW", "AM", "FM", "FSK"};
  const int v = b % 8;
  return v < 6 ? names[v] : QString();
}

QString ft920Mode(unsigned char b) {
  switch (b) {
    case 0: case 128: case 4: return "LSB";
    case 64: case 192: case 5: return "USB";
    case 1: return "CW";
    case 2: return "AM";
    case 3: return "FM";
    case 6: case 134: return "DATA-FM";
    default: return {};
  }
}

QString ft900Mode(unsigned char b) {
  static const char* const names[] = {"LSB", "USB", "CW", "AM", "FM"};
  return b < 5 ? names[b] : "LSB";
}

QString ft1000mpMode(unsigned char b) {
  static const char* const names[] = {"LSB", "USB", "CW", "AM", "FM", "RTTY", "PKT"};
  return b < 7 ? names[b] : QString();
}

QString ft847Mode(unsigned char b) {
  switch (b) {
    case 0x00: return "LSB";
    case 0x01: return "USB";
    case 0x02: return "CW";
    case 0x03: return "CW-R";
    case 0x04: return "AM";
    case 0x08: return "FM";
    case 0x82: return "CW(N)";
    case 0x83: return "CW-R(N)";
    case 0x84: return "AM(N)";
    case 0x88: return "FM(N)";
    default: return {};
  }
}

// The mode bytes an FT-817 sends (narrow filters with the high bit).
bool ft817ModeByte(unsigned char b) {
  switch (b & 0x7F) {
    case 0x00: case 0x01: case 0x02: case 0x03: case 0x04: case 0x06: case 0x08: case 0x0A: case 0x0C:
      return true;
    default:
      return false;
  }
}

// The four BCD pairs of the frequency in 10 Hz (the first eight of the nine digits), pair 1 first.
QByteArray pairs(const QString& digits) {
  QByteArray p;
  for (int k = 0; k < 8; k += 2) p += static_cast<char>(digits.mid(k, 2).toUInt(nullptr, 16));
  return p;
}

QByteArray reversed(QByteArray b) {
  std::reverse(b.begin(), b.end());
  return b;
}

// Bytes of one answer follow each other within a few characters' time, even at 4800 bps.
constexpr int32_t kAnswerGapMs = 30;

class YaesuBinary : public RigDriver {
 public:
  void Poll(const RigModelInfo& m) override {
    if (is(m, "FT817")) {
      poll817();
      return;
    }
    const bool ok = is(m, "FT767") ? send("0000000000") && send("000000000B") && send("0000000001") &&
                                         send("000000000B")
                    : is(m, "FT847") ? send("0000000003")
                                     : send("0000000210");
    if (!ok) return;
    QByteArray r = RigReadBytes(m.ReplyLength);
    // An answer longer than the model's is another model's (the FT-767's own answer may come after an
    // acknowledgement of the frames before it, so its length is not held against it).
    if (r.size() == m.ReplyLength && !is(m, "FT767")) r += RigReadMore(kAnswerGapMs);
    std::optional<int64_t> tens;
    QString mode;
    if (r.size() == m.ReplyLength) decode(m, r, tens, mode);
    if (!RigAnswerFits(r, tens.has_value())) return;
    publish(tens, mode);
  }

  static void decode(const RigModelInfo& m, const QByteArray& r, std::optional<int64_t>& tens, QString& mode) {
    if (is(m, "FT767")) {
      tens = bcd(r, {84, 83, 82, 81});
      mode = ft767Mode(at(r, 79));
    } else if (is(m, "FT920") || is(m, "FT1000MP")) {
      tens = bigEndian(r, 1, 4) / 16;
      mode = is(m, "FT920") ? ft920Mode(at(r, 7)) : ft1000mpMode(at(r, 7));
    } else if (is(m, "FT900")) {
      tens = bigEndian(r, 2, 3);
      mode = ft900Mode(at(r, 7));
    } else {
      tens = bcd(r, {0, 1, 2, 3});
      if (is(m, "FT847")) mode = ft847Mode(at(r, 4));
    }
  }

  // The FT-817's answer has no framing: a byte out of step reads as another frequency. An answer with
  // bytes behind it was read out of step and is asked again; a second long one is no FT-817's answer.
  // A reading is taken with a mode byte the rig sends, or when the same five bytes came twice in a row.
  void poll817() {
    QByteArray r = ask817();
    if (r.size() > 5) r = ask817();
    if (!RigAnswerFits(r, r.size() == 5 && bcd(r, {0, 1, 2, 3}))) return;
    const bool plausible = ft817ModeByte(at(r, 4)) || r == last817_;
    last817_ = r;
    if (plausible) publish(bcd(r, {0, 1, 2, 3}), {});
  }

  // The status answer and whatever came right behind it.
  static QByteArray ask817() {
    if (!send("0000000003")) return {};
    QByteArray r = RigReadBytes(5);
    if (r.size() == 5) r += RigReadMore(kAnswerGapMs);
    return r;
  }

  static void publish(const std::optional<int64_t>& tens, const QString& mode) {
    if (!RigReadingGood(tens ? std::optional<int64_t>(*tens * 10) : std::nullopt)) return;
    RigPublishFrequency(*tens * 10, true);
    if (!mode.isEmpty()) RigPublishMode(mode);
  }

  bool SetMode(const RigModelInfo& m, const QString& code) override {
    bool ok = false;
    const uint v = code.toUInt(&ok, 16);
    if (!ok || v > 0xFF) return false;
    const char b = static_cast<char>(v);
    if (is(m, "FT847") || is(m, "FT817")) return sendFrame(QByteArray(1, b) + QByteArray::fromHex("00000007"));
    return sendFrame(QByteArray::fromHex("000000") + b + (is(m, "FT767") ? '\x0A' : '\x0C'));
  }

  bool SetFreq(const RigModelInfo& m, const QString& digits) override {
    if (digits.size() != 9) return false;
    const QByteArray p = pairs(digits);
    if (is(m, "FT847") || is(m, "FT817")) return sendFrame(p + '\x01');
    if (is(m, "FT767"))
      return sendFrame(reversed(p) + '\x08') && send("000000000B") && send("0000000100") && send("000000000B");
    return sendFrame(reversed(p) + '\x0A');
  }

  bool SwapVfo(const RigModelInfo& m) override { return !is(m, "FT817") || send("0000000081"); }

 private:
  QByteArray last817_;  // the last FT-817 reply
};

}  // namespace

RigDriver& YaesuBinaryDriver() {
  static YaesuBinary driver;
  return driver;
}
