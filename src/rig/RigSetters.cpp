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
constexpr int kIcomCwChars = 30;     // the text of CI-V command 17

CwFamily cwFamily(const QString& model) {
  for (const char* m : {"TS2000", "KENWOOD", "TS590", "TS990"})
    if (model == QLatin1String(m)) return CwFamily::Kenwood;
  for (const char* m : {"FT991", "FT2000"})
    if (model == QLatin1String(m)) return CwFamily::Yaesu;
  for (const char* m : {"IC9100", "IC9700", "IC7100", "ICOM"})
    if (model == QLatin1String(m)) return CwFamily::Icom;
  return CwFamily::None;
}

// The characters of a CW text that the family's command cannot carry, each once as the refusal names
// it: beyond printable ASCII, and for a text-command rig ";" (it would end the command and start
// another) and "}" (it ends a keyer memory).
QStringList unsendable(const QString& text, CwFamily family) {
  QStringList out;
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u >= 0x20 && u < 0x7F && (family == CwFamily::Icom || (u != u';' && u != u'}'))) continue;
    const QString shown = u < 0x20 || u == 0x7F ? QString("0x%1").arg(int(u), 2, 16, QChar(u'0')) : QString(c);
    if (!out.contains(shown)) out << shown;
  }
  return out;
}

// The frequency in Hz with the model's digits.
QString digitsOf(int64_t hz) {
  const RigModelInfo* m = model();
  return m ? QString::number(hz).rightJustified(m->FreqDigits, u'0') : QString();
}

// Refused before anything goes out: said and answered in turn, after the commands queued before it.
void refuse(const QString& reason, const RigDone& done) {
  RigExchange([reason, done] {
    RigRefuse(reason);
    if (done) done(false);
  });
}

bool portOpen(const RigDone& done) {
  if (RigPortState.PortOpen == 1 && model()) return true;
  refuse(RigPortClosedText(), done);
  return false;
}

// A set of `hz` the model takes; otherwise refused.
bool freqTakes(int64_t hz, const RigDone& done) {
  const RigModelInfo* m = model();
  if (!m || RigPortState.PortOpen != 1) return true;  // nothing goes out anyway
  if (hz > 0 && digitsOf(hz).size() <= m->FreqDigits && RigInRange(hz, *m)) return true;
  refuse("RIG Control " + RigPortState.RigModel + " に " + MhzText(hz) + QStringLiteral(" MHz は設定できません (") +
             RigRangeText(*m) + ")",
         done);
  return false;
}

// Runs `send` as one exchange after those queued before it and tells `done` whether the rig took it.
void command(const std::function<bool()>& send, const RigDone& done) {
  RigExchange([send, done] {
    const int32_t told = RigRefusalCount();
    const bool taken = send();
    if (!taken && RigRefusalCount() == told)
      RigRefuse(RigPortUsable() ? "RIG Control " + RigPortState.RigModel + QStringLiteral(" に送れませんでした")
                                : RigPortClosedText());
    if (done) done(taken);
  });
}

// The offset's size with the model's digits; "" when it has more.
QString xitDigits(int32_t hz, const RigModelInfo& m) {
  const QString offset = QString::number(hz < 0 ? -int64_t{hz} : hz).rightJustified(m.RitDigits, u'0');
  return offset.size() > m.RitDigits ? QString() : offset;
}

QString xitTooWide(int32_t hz, const RigModelInfo& m) {
  return "RIG Control " + RigPortState.RigModel + " に XIT " + QString::number(hz) + QStringLiteral(" Hz は設定できません (") +
         QString::number(m.RitDigits) + QStringLiteral(" 桁まで)");
}

// XIT off (0), or on with the offset.
bool xit(int32_t hz, const QString& offset) {
  if (hz == 0) return RigSendTextCommand("XT0;");
  return RigSendTextCommand("XT1;") && RigSendTextCommand("RC;") && RigSendTextCommand((hz > 0 ? "RU" : "RD") + offset + ";");
}

}  // namespace

void RigAnswerInTurn(const RigDone& done, bool taken) {
  if (done) RigExchange([done, taken] { done(taken); });
}

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

bool RigSetFreqHz(int64_t hz, const RigDone& done) {
  if (!freqTakes(hz, done)) {
    RigPollStart();
    return false;
  }
  RigSetFreq(digitsOf(hz), done);
  RigPollStart();
  return true;
}

void RigSetFreq(const QString& digits, const RigDone& done) {
  const RigModelInfo* m = model();
  if (RigPortState.PortOpen == 0 || !m) return refuse(RigPortClosedText(), done);
  command([m, digits] { return DriverOf(*m).SetFreq(*m, digits); }, done);
}

void RigSwapVFO() {
  const RigModelInfo* m = model();
  if (!m) return;
  RigExchange([m] { DriverOf(*m).SwapVfo(*m); });
}

void RigTuneTo(int64_t hz) {
  RigPollStop();
  int64_t rigHz = hz;
  if (RigPortState.TransverterOn == "1") rigHz -= RigPortState.TransverterOffsetHz;
  if (!freqTakes(rigHz, {})) {
    RigPollStart();
    return;
  }
  ModeByFreq(MhzText(hz));
  QString code = RigPortState.ModeByFreqCode;
  RigSetMode(code);
  RigSetFreqHz(rigHz);
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
      RigSendTextCommand("BS" + c + ";");
    });
    return true;
  }
  return false;
}

void RigShiftRitXit(int32_t hz, const RigDone& done) {
  if (!portOpen(done)) return;
  const RigModelInfo* m = model();
  if (!m || m->RitDigits == 0) {
    // Nothing to switch off; a shift it cannot make is refused.
    if (hz == 0) return RigAnswerInTurn(done, true);
    return refuse("RIG Control " + RigPortState.RigModel + QStringLiteral(" には XIT の指示がないので送りません"), done);
  }
  const QString offset = xitDigits(hz, *m);
  if (offset.isEmpty()) return refuse(xitTooWide(hz, *m), done);
  command([hz, offset] { return xit(hz, offset); }, done);
}

void RigSendCwMessage(const QString& message, const RigDone& done) {
  if (!portOpen(done)) return;
  QString text = message;
  QString k, mem;
  if (text.indexOf(u'#') > 0) {
    k = text.right(1);
    if (k != "1" && k != "2" && k != "3" && k != "4")
      return refuse(QStringLiteral("CW メッセージのメモリー番号は 1 から 4 です: ") + message, done);
    text.remove("#" + k);
    mem = QString::number(k.toInt() + 5);
  }
  const QString& model = RigPortState.RigModel;
  const CwFamily family = cwFamily(model);
  const bool store = text.startsWith("B4");
  if (message.isEmpty() || family == CwFamily::None || (store && family != CwFamily::Yaesu))
    return refuse("RIG Control " + model + QStringLiteral(" には送れない CW メッセージです: ") + message, done);
  // Nothing dropped nor cut: either would be another message on the air.
  const QString sent = family == CwFamily::Yaesu ? (store ? text.mid(2) : QString()) : text;
  if (const QStringList bad = unsendable(sent, family); !bad.isEmpty())
    return refuse("RIG Control " + model + QStringLiteral(" で送れない文字 (") + bad.join(' ') +
                      QStringLiteral(") があるので CW メッセージを送りません: ") + message,
                  done);
  const int limit = family == CwFamily::Kenwood ? kKenwoodCwChars : family == CwFamily::Icom ? kIcomCwChars : 0;
  if (limit > 0 && text != "L=10" && text.size() > limit)
    return refuse(QStringLiteral("CW メッセージが長すぎるので送りません (%1 文字まで、%2 文字): ").arg(limit).arg(text.size()) +
                      text,
                  done);
  command(
      [=] {
        if (text == "L=10") {
          switch (family) {
            case CwFamily::Kenwood:
              if (model == "TS590" || model == "TS990") return RigSendTextCommand("KY0;");
              return RigSendTextCommand("PB3;") && RigSendTextCommand("PB0;");
            case CwFamily::Yaesu:
              return RigSendTextCommand("KM5};") && RigSendTextCommand("KYA;");
            case CwFamily::Icom:
              return RigCivCommand(QByteArray::fromHex("17FF"));
            case CwFamily::None:
              break;
          }
          return false;
        }
        switch (family) {
          case CwFamily::Kenwood:
            return RigSendTextCommand("KY " + text.leftJustified(kKenwoodCwChars, u' ') + ";");
          case CwFamily::Yaesu:
            return store ? RigSendTextCommand("KM" + k + sent + "};") : RigSendTextCommand("KY" + mem + ";");
          case CwFamily::Icom:
            return RigCivCommand('\x17' + text.toLatin1());
          case CwFamily::None:
            break;
        }
        return false;
      },
      done);
}

void RigZeroIn(int32_t hz, const RigDone& done) {
  RigPortStateData& s = RigPortState;
  int64_t rigHz = s.FreqHz + hz;
  if (s.TransverterOn == "1") rigHz -= s.TransverterOffsetHz;
  // Checked before the XIT goes off: a refused zero-in changes nothing on the rig.
  if (!portOpen(done) || !freqTakes(rigHz, done)) return;
  const RigModelInfo* m = model();
  s.ZeroInHz = hz;
  s.TxShiftHz = 0;
  const QString digits = digitsOf(rigHz);
  command([m, digits] { return (m->RitDigits == 0 || xit(0, {})) && DriverOf(*m).SetFreq(*m, digits); }, done);
  RigPollStart();
}

void RigTxShift(int32_t hz, const RigDone& done) {
  RigShiftRitXit(hz, [hz, done](bool taken) {
    if (taken) RigPortState.TxShiftHz = hz;
    if (done) done(taken);
  });
}

void RigXitOff(const RigDone& done) { RigTxShift(0, done); }
