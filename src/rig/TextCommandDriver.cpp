// Text CAT commands: Yaesu's FT2000 / FT991 and KENWOOD's (each ending with ";") and the JST-245's
// (each ending with a carriage return).
#include <optional>

#include "rig/RigDriver.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"

namespace {

bool is(const RigModelInfo& m, const char* name) { return qstrcmp(m.Name, name) == 0; }

bool send(const QString& command) {
  RigPortState.TxCommand = command;
  return RigSendText();
}

// Characters `from`..`to` (1-based) as a whole number; nothing unless all are digits.
std::optional<int64_t> digitsAt(const QString& text, int from, int to) {
  if (text.size() < to) return std::nullopt;
  const QString d = text.mid(from - 1, to - from + 1);
  for (QChar c : d)
    if (c < u'0' || c > u'9') return std::nullopt;
  return d.toLongLong();
}

QString jstMode(QChar c) {
  switch (c.unicode()) {
    case u'0': return "RTTY";
    case u'1': return "CW";
    case u'2': return "USB";
    case u'3': return "LSB";
    case u'4': return "AM";
    case u'5': return "FM";
    default: return {};
  }
}

bool allDigits(const QString& text, int from, int to) { return digitsAt(text, from, to).has_value(); }

// An answer of `length` characters ending with `terminator` (1-based positions below).
bool whole(const QString& answer, int length, QChar terminator) {
  return answer.size() == length && answer.back() == terminator;
}

// The FT2000 / FT991 answer to IF: "IF", memory channel (3 digits), frequency (`digits`), clarifier
// (sign, 4 digits), 8 status characters, ";". A KENWOOD's answer, or the other Yaesu's, has its sign
// elsewhere.
bool yaesuIfLayout(const QString& a, const RigModelInfo& m, int digits) {
  const int sign = 6 + digits;
  return whole(a, m.ReplyLength, u';') && a.startsWith("IF") && allDigits(a, 3, sign - 1) &&
         (a[sign - 1] == u'+' || a[sign - 1] == u'-') && allDigits(a, sign + 1, sign + 4);
}

// The KENWOOD answer to IF: "IF", the frequency (11 digits), ..., the mode (a digit) at 30, ";" at 38.
bool kenwoodIfLayout(const QString& a, const RigModelInfo& m) {
  return whole(a, m.ReplyLength, u';') && a.startsWith("IF") && allDigits(a, 3, 13) && allDigits(a, 30, 30);
}

// The JST-245's status: the mode (a digit) at 4, the frequency (8 digits) at 5-12, a carriage return.
bool jstLayout(const QString& a, const RigModelInfo& m) {
  return whole(a, m.ReplyLength, u'\r') && allDigits(a, 4, 12);
}

// What came right after a command that has no answer: a text rig answers "?;" to one it refuses.
bool refusedByTheRig() {
  if (!RigPortUsable() || !RigReadMore(0).startsWith('?')) return false;
  RigRefuse("RIG Control " + RigPortState.RigModel + QStringLiteral(" が指示を受け付けませんでした (?)"));
  return true;
}

class TextCommands : public RigDriver {
 public:
  void Poll(const RigModelInfo& m) override {
    if (is(m, "JST-245")) {
      pollJst(m);
    } else if (is(m, "KENWOOD")) {
      pollKenwood(m);
    } else {
      pollYaesu(m);
    }
  }

  bool SetMode(const RigModelInfo& m, const QString& code) override {
    if (is(m, "JST-245")) return true;
    return RigSendTextCommand(is(m, "KENWOOD") ? "MD" + code + ";\r" : "MD" + code + ";");
  }

  bool SetFreq(const RigModelInfo& m, const QString& d) override {
    if (is(m, "JST-245")) return send("H1\r") && send("F" + d + "A\r") && send("H0\r");
    if (is(m, "KENWOOD")) return RigSendTextCommand((RigPortState.KenwoodRxVfo == "1" ? "FB" : "FA") + d + ";");
    if (is(m, "FT2000"))
      return RigSendTextCommand("FA" + d + ";") && RigSendTextCommand(d.toLongLong() < 50'000'000 ? "AN01;" : "AN02;");
    return RigSendTextCommand("FA" + d + ";");
  }

  bool SwapVfo(const RigModelInfo& m) override {
    return !(is(m, "FT2000") || is(m, "FT991")) || RigSendTextCommand("SV;");
  }

 private:
  static void pollYaesu(const RigModelInfo& m) {
    const bool ft991 = is(m, "FT991");
    if (!send("IF;")) return;
    const QString answer = RigReadText(m.ReplyLength, ';');
    if (ft991 && answer.trimmed().isEmpty()) {
      // Switched off or the link lost: the port is opened again for the next poll, unless the operator
      // closed or switched it while the rig kept silent.
      if (!RigPortUsable()) return;
      RigReadFailed();
      RigPortOpen();
      RigPollStart();
      return;
    }
    const int digits = ft991 ? 9 : 8;
    if (!RigAnswerFits(RigPortState.RxBytes, yaesuIfLayout(answer, m, digits))) return;
    const std::optional<int64_t> hz = digitsAt(answer, 6, 5 + digits);
    if (!RigReadingGood(hz)) return;
    RigPublishFrequency(*hz, true);
  }

  static void pollKenwood(const RigModelInfo& m) {
    if (!send("IF;")) return;
    const QString answer = RigReadText(m.ReplyLength, ';');
    if (!RigAnswerFits(RigPortState.RxBytes, kenwoodIfLayout(answer, m))) return;
    const std::optional<int64_t> hz = digitsAt(answer, 3, 13);
    if (!RigReadingGood(hz)) return;
    const QChar mode = answer[29];
    RigPublishMode(mode == u'1' ? "LSB" : mode == u'2' ? "USB" : "OTR");
    int64_t total = *hz;
    if (RigPortState.TransverterOn == "1") total += RigPortState.TransverterOffsetHz;
    if (total <= 0) return;
    RigPublishFrequency(*hz, true);
    if (!send("FR;")) return;
    // "FR0;" or "FR1;"; anything else leaves the VFO as it was.
    const QString vfo = RigReadText(4, ';');
    if (whole(vfo, 4, u';') && vfo.startsWith("FR") && allDigits(vfo, 3, 3)) RigPortState.KenwoodRxVfo = vfo.mid(2, 1);
  }

  static void pollJst(const RigModelInfo& m) {
    if (!send("H1\r") || !send("I1\r")) return;
    // Its fixed-length status, read whole.
    const QString answer = RigReadText(m.ReplyLength, '\r');
    const QByteArray got = RigPortState.RxBytes;
    if (!send("I0\r") || !send("H0\r")) return;
    if (!RigAnswerFits(got, jstLayout(answer, m))) return;
    const std::optional<int64_t> hz = digitsAt(answer, 5, 12);
    if (!RigReadingGood(hz)) return;
    RigPublishFrequency(*hz, true);
    const QString mode = jstMode(answer[3]);
    if (!mode.isEmpty()) RigPublishMode(mode);
  }
};

}  // namespace

bool RigSendTextCommand(const QString& command) { return send(command) && !refusedByTheRig(); }

RigDriver& TextCommandDriver() {
  static TextCommands driver;
  return driver;
}
