#include "rig/RigSetters.h"

#include "platform/vbnumber.h"
#include "rig/RigDriver.h"
#include "rig/RigLink.h"
#include "rig/RigPortState.h"

namespace {

const RigModelInfo* model() { return FindRigModel(RigPortState.RigModel); }

bool inRange(double f, double low, double high) { return f >= low && f <= high; }

enum class CwFamily { None, Kenwood, Yaesu, Icom };

constexpr int kKenwoodCwChars = 24;  // the text field of KY

CwFamily cwFamily(const QString& model) {
  for (const char* m : {"TS2000", "KENWOOD", "TS590", "TS990"})
    if (model == QLatin1String(m)) return CwFamily::Kenwood;
  for (const char* m : {"FT991", "FT2000"})
    if (model == QLatin1String(m)) return CwFamily::Yaesu;
  for (const char* m : {"IC9100", "IC9700", "IC7100", "ICOM"})
    if (model == QLatin1String(m)) return CwFamily::Icom;
  return CwFamily::None;
}

bool sendText(const QString& command) {
  RigPortState.TxCommand = command;
  return RigSendText();
}

// A message for a text-command rig: no ";" that would end the command early (and start another), no
// "}" that ends a keyer memory, no control characters.
QString textSafe(const QString& text) {
  QString out;
  for (QChar c : text)
    if (c >= u' ' && c != QChar(0x7F) && c != u';' && c != u'}') out += c;
  return out;
}

// A message for CI-V: printable ASCII only, so no byte can pass for a frame's end or preamble.
QByteArray civSafe(const QString& text) {
  QByteArray out;
  for (QChar c : text)
    if (c >= u' ' && c.unicode() < 0x7F) out += static_cast<char>(c.unicode());
  return out;
}

}  // namespace

QString MhzText(int64_t hz) {
  const QString d = QString::number(hz < 0 ? -hz : hz).rightJustified(7, u'0');
  return (hz < 0 ? "-" : "") + d.left(d.size() - 6) + '.' + d.right(6);
}

void ModeByFreq(const QString& mhzText) {
  const double f = VbVal(mhzText);
  RigPortStateData& s = RigPortState;
  bool cw = false;
  if (f < 3.526) {
    cw = true;
  } else if (inRange(f, 3.526, 3.805) || inRange(f, 7.03, 7.2)) {
    s.ModeByFreqCode = s.ModeCodeLsb;
    return;
  } else {
    static constexpr double kCw[][2] = {{7.0, 7.029999},   {10.1, 10.14},  {14.0, 14.1},   {18.068, 18.1},
                                        {21.0, 21.15},     {24.89, 24.93}, {28.0, 28.2},   {50.0, 50.1},
                                        {144.0, 144.1},    {430.0, 430.1}, {1294.0, 1294.5}};
    for (const auto& r : kCw) cw = cw || inRange(f, r[0], r[1]);
  }
  s.ModeByFreqCode = cw ? s.ModeCodeCw : s.ModeCodeUsb;
}

void RigSetMode(QString& code) {
  if (RigPortState.SatMateMode == "CW") code = RigPortState.ModeCodeCw;
  const RigModelInfo* m = model();
  if (RigPortState.PortOpen == 0 || !m) return;
  RigExchange([m, code] { DriverOf(*m).SetMode(*m, code); });
}

bool RigSetFreqHz(int64_t hz) {
  const RigModelInfo* m = model();
  QString digits = m ? QString::number(hz).rightJustified(m->FreqDigits, u'0') : QString();
  if (m && RigPortState.PortOpen == 1 && (hz <= 0 || digits.size() > m->FreqDigits || !RigCanTune(hz, *m))) {
    RigSetStatus("RIG Control " + RigPortState.RigModel + " に " + MhzText(hz) + " MHz は設定できません");
    RigPollStart();
    return false;
  }
  RigSetFreq(digits);
  RigPollStart();
  return true;
}

void RigSetFreq(const QString& digits) {
  const RigModelInfo* m = model();
  if (RigPortState.PortOpen == 0 || !m) return;
  RigExchange([m, digits] { DriverOf(*m).SetFreq(*m, digits); });
}

void RigSwapVFO() {
  const RigModelInfo* m = model();
  if (!m) return;
  RigExchange([m] { DriverOf(*m).SwapVfo(*m); });
}

void RigTuneTo(int64_t hz) {
  RigPollStop();
  ModeByFreq(MhzText(hz));
  QString code = RigPortState.ModeByFreqCode;
  RigSetMode(code);
  if (RigPortState.TransverterOn == "1") hz -= RigPortState.TransverterOffsetHz;
  RigSetFreqHz(hz);
}

bool RigSendBandCommand(const QString& heading) {
  const QString& m = RigPortState.RigModel;
  if (m != "FT991" && m != "FT2000") return false;
  static const QList<std::pair<const char*, const char*>> kBands = {
      {"1.9MHZ", "00"}, {"3.5MHZ", "01"}, {"7MHZ", "03"},  {"10MHZ", "04"},  {"14MHZ", "05"},  {"18MHZ", "06"},
      {"21MHZ", "07"},  {"24MHZ", "08"},  {"28MHZ", "09"}, {"50MHZ", "10"},  {"144MHZ", "15"}, {"430MHZ", "16"}};
  const QString key = heading.toUpper();
  for (const auto& [band, code] : kBands) {
    if (key != QLatin1String(band)) continue;
    if (RigPortState.PortOpen != 1) return false;
    RigExchange([c = QString(code)] {
      RigPurgeInput();
      sendText("BS" + c + ";");
    });
    return true;
  }
  return false;
}

bool RigShiftRitXit(int32_t hz) {
  const RigModelInfo* m = model();
  if (!m || m->RitDigits == 0) return true;
  const int64_t size = hz < 0 ? -int64_t{hz} : hz;
  const QString offset = QString::number(size).rightJustified(m->RitDigits, u'0');
  if (offset.size() > m->RitDigits) {
    if (RigPortState.PortOpen == 1)
      RigSetStatus("RIG Control " + RigPortState.RigModel + " に XIT " + QString::number(hz) + " Hz は設定できません (" +
                   QString::number(m->RitDigits) + " 桁まで)");
    return false;
  }
  RigExchange([hz, offset] {
    if (hz == 0) {
      sendText("XT0;");
      return;
    }
    sendText("XT1;") && sendText("RC;") && sendText((hz > 0 ? "RU" : "RD") + offset + ";");
  });
  return true;
}

bool RigSendCwMessage(const QString& message) {
  QString text = message;
  if (text.isEmpty()) return true;
  QString k, mem;
  if (text.indexOf(u'#') > 0) {
    k = text.right(1);
    if (k != "1" && k != "2" && k != "3" && k != "4") return true;
    text.remove("#" + k);
    mem = QString::number(k.toInt() + 5);
  }
  const QString& model = RigPortState.RigModel;
  const CwFamily family = cwFamily(model);
  // Said on the status line, not in a box: the companion may send many, and waits for the answer.
  if (family == CwFamily::Kenwood && !text.startsWith("B4") && text != "L=10" &&
      textSafe(text).size() > kKenwoodCwChars) {
    RigSetStatus(QStringLiteral("CW メッセージが長すぎるので送りません (%1 文字まで、%2 文字): ")
                     .arg(kKenwoodCwChars)
                     .arg(textSafe(text).size()) +
                 text);
    return false;
  }
  RigExchange([=] {
    if (text == "L=10") {
      switch (family) {
        case CwFamily::Kenwood:
          if (model == "TS590" || model == "TS990") {
            sendText("KY0;");
          } else {
            sendText("PB3;") && sendText("PB0;");
          }
          break;
        case CwFamily::Yaesu:
          sendText("KM5};") && sendText("KYA;");
          break;
        case CwFamily::Icom:
          RigSendCiv(QByteArray::fromHex("17FF"));
          break;
        case CwFamily::None:
          break;
      }
      return;
    }
    switch (family) {
      case CwFamily::Kenwood:
        if (!text.startsWith("B4")) sendText("KY " + textSafe(text).leftJustified(kKenwoodCwChars, u' ') + ";");
        break;
      case CwFamily::Yaesu:
        if (text.startsWith("B4")) {
          sendText("KM" + k + textSafe(text.mid(2)) + "};");
        } else {
          sendText("KY" + mem + ";");
        }
        break;
      case CwFamily::Icom:
        if (!text.startsWith("B4")) RigSendCiv('\x17' + civSafe(text).left(30));
        break;
      case CwFamily::None:
        break;
    }
  });
  return true;
}

bool RigZeroIn(int32_t hz) {
  RigPortStateData& s = RigPortState;
  s.ZeroInHz = hz;
  int64_t rigHz = s.FreqHz;
  if (s.TransverterOn == "1") rigHz -= s.TransverterOffsetHz;
  RigShiftRitXit(0);
  s.TxShiftHz = 0;
  return RigSetFreqHz(rigHz + s.ZeroInHz);
}

bool RigTxShift(int32_t hz) {
  RigPortState.TxShiftHz = hz;
  return RigShiftRitXit(hz);
}

void RigXitOff() {
  RigPortState.TxShiftHz = 0;
  RigShiftRitXit(0);
}
