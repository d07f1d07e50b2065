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

  void SetMode(const RigModelInfo& m, const QString& code) override {
    if (is(m, "KENWOOD")) {
      send("MD" + code + ";\r");
    } else if (!is(m, "JST-245")) {
      send("MD" + code + ";");
    }
  }

  void SetFreq(const RigModelInfo& m, const QString& d) override {
    if (is(m, "JST-245")) {
      send("H1\r") && send("F" + d + "A\r") && send("H0\r");
    } else if (is(m, "KENWOOD")) {
      send((RigPortState.KenwoodRxVfo == "1" ? "FB" : "FA") + d + ";");
    } else if (is(m, "FT2000")) {
      send("FA" + d + ";") && send(d.toLongLong() < 50'000'000 ? "AN01;" : "AN02;");
    } else {
      send("FA" + d + ";");
    }
  }

  void SwapVfo(const RigModelInfo& m) override {
    if (is(m, "FT2000") || is(m, "FT991")) send("SV;");
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
    const std::optional<int64_t> hz = answer.startsWith("IF") ? digitsAt(answer, 6, ft991 ? 14 : 13) : std::nullopt;
    if (!RigReadingGood(hz)) return;
    RigPublishFrequency(*hz, true);
  }

  static void pollKenwood(const RigModelInfo& m) {
    if (!send("IF;")) return;
    const QString answer = RigReadText(m.ReplyLength, ';');
    const std::optional<int64_t> hz = answer.size() >= 30 ? digitsAt(answer, 3, 13) : std::nullopt;
    if (!RigReadingGood(hz)) return;
    const QChar mode = answer[29];
    RigPublishMode(mode == u'1' ? "LSB" : mode == u'2' ? "USB" : "OTR");
    int64_t total = *hz;
    if (RigPortState.TransverterOn == "1") total += RigPortState.TransverterOffsetHz;
    if (total <= 0) return;
    RigPublishFrequency(*hz, true);
    if (!send("FR;")) return;
    const QString vfo = RigReadText(m.ReplyLength, ';');
    if (vfo.size() >= 3) RigPortState.KenwoodRxVfo = vfo.mid(2, 1);
  }

  static void pollJst(const RigModelInfo& m) {
    if (!send("H1\r") || !send("I1\r")) return;
    // Its fixed-length status, read whole.
    const QString answer = RigReadText(m.ReplyLength, '\0');
    if (!send("I0\r") || !send("H0\r")) return;
    const std::optional<int64_t> hz = digitsAt(answer, 5, 12);
    if (!RigReadingGood(hz)) return;
    RigPublishFrequency(*hz, true);
    const QString mode = jstMode(answer[3]);
    if (!mode.isEmpty()) RigPublishMode(mode);
  }
};

}  // namespace

RigDriver& TextCommandDriver() {
  static TextCommands driver;
  return driver;
}
