#include "sheet/ProgramMessages.h"

#include <QRegularExpression>

#include "platform/codepage.h"
#include "platform/vbnumber.h"

namespace {

struct Companion {
  const char* command;
  ProgramMessage::Kind kind;
};

// The first command text found anywhere in the message wins, in this order.
const Companion kCompanion[] = {
    {"ORBEX5wf_RigNum + ", ProgramMessage::Kind::RigNumber},
    {"ORBEX5wf_CarZeroin + ", ProgramMessage::Kind::ZeroIn},
    {"ORBEX5wf_TXshift + ", ProgramMessage::Kind::TxShift},
    {"ORBEX5wf_XIToff + ", ProgramMessage::Kind::XitOff},
    {"ORBEX5wfclose", ProgramMessage::Kind::CompanionClosed},
    {"ORBEX5wf_CWM", ProgramMessage::Kind::CwMessage},
};

// The message as the refusal quotes it: a long one is cut.
QString quoted(const QString& m) { return "\"" + (m.size() > 40 ? m.left(40) + "…" : m) + "\""; }

ProgramMessage unusable(const QString& problem) {
  ProgramMessage out;
  out.problem = QStringLiteral("他のプログラムからの指示を受け付けません: ") + problem;
  return out;
}

ProgramMessage companion(const QString& m) {
  ProgramMessage out;
  for (const Companion& c : kCompanion) {
    // The message arrives trimmed, so a command with nothing after it has lost its trailing blank.
    const QString command = QString::fromLatin1(c.command).trimmed();
    const qsizetype at = m.indexOf(command);
    if (at < 0) continue;
    out.kind = c.kind;
    QString rest = m.mid(at + command.size());
    if (rest.startsWith(" + ")) rest.remove(0, 3);
    out.text = c.kind == ProgramMessage::Kind::CwMessage ? rest : rest.trimmed();
    // The rig choice: "1" for rig 2, "0" for rig 1; anything else would switch a rig nobody asked for.
    if (c.kind == ProgramMessage::Kind::RigNumber && out.text != "0" && out.text != "1")
      return unusable(command + QStringLiteral(" の値 ") + quoted(out.text) + QStringLiteral(" は 0 か 1 ではありません"));
    if (c.kind == ProgramMessage::Kind::ZeroIn || c.kind == ProgramMessage::Kind::TxShift) {
      const std::optional<int32_t> hz = WholeNumber(out.text);
      if (!hz) return unusable(command + QStringLiteral(" の値 ") + quoted(out.text) + QStringLiteral(" は Hz の整数として読めません"));
      out.hz = *hz;
    }
    return out;
  }
  return unusable(quoted(m) + QStringLiteral(" はリグコンの指示ではありません"));
}

bool asciiOf(const QString& text, QLatin1StringView others) {
  for (QChar c : text)
    if (!(c.unicode() < 0x80 && (c.isLetterOrNumber() || others.contains(c)))) return false;
  return true;
}

// A call of letters and digits (a "/" for a portable one), a code and a mode of letters and digits,
// and a frequency in MHz above 0: anything else is no spot but garbage that would land in the sheet's
// boxes.
bool spotReadable(const QStringList& f) {
  const QString& call = f[kSpotCallField];
  const QString& freq = f[kSpotFreqField];
  static const QRegularExpression mhz(QStringLiteral("^(\\d+\\.?\\d*|\\.\\d+)$"));
  return asciiOf(call, QLatin1StringView("/")) && call.contains(QRegularExpression("[A-Za-z]")) &&
         call.contains(QRegularExpression("[0-9]")) && !f[kSpotCodeField].isEmpty() &&
         asciiOf(f[kSpotCodeField], {}) && !f[kSpotModeField].isEmpty() &&
         asciiOf(f[kSpotModeField], QLatin1StringView("-")) && mhz.match(freq).hasMatch() &&
         freq.toDouble() > 0;
}

// The message's text. A byte that is no Windows-31J character (the decoder would put a substitute in
// its place) is shown as its number, "<0xFF>", and listed in `foreign` as "0xFF": a refusal names the
// byte the sender sent.
QString decoded(QByteArrayView bytes, QStringList& foreign) {
  if (IsValidAnsi(bytes)) return FromAnsi(bytes);
  QString text;
  for (qsizetype i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const qsizetype n = IsAnsiLeadByte(b) && i + 1 < bytes.size() ? 2 : 1;
    if (b < 0x80 || IsValidAnsi(bytes.sliced(i, n))) {
      text += FromAnsi(bytes.sliced(i, n));
      i += n;
      continue;
    }
    // A lead byte whose second byte makes no character: the second is read on its own.
    const QString named = QStringLiteral("0x") + QString::number(b, 16).toUpper().rightJustified(2, u'0');
    text += "<" + named + ">";
    if (!foreign.contains(named)) foreign << named;
    ++i;
  }
  return text;
}

}  // namespace

ProgramMessage ParseProgramMessage(const QByteArray& bytes) {
  QStringList foreign;
  const QString m = decoded(QByteArray(bytes).replace('\0', QByteArray()), foreign).trimmed();
  if (!foreign.isEmpty())
    return unusable(quoted(m) + QStringLiteral(" に Windows-31J の文字でないバイト (") + foreign.join(' ') +
                    QStringLiteral(") があります"));
  if (m.left(7) == QLatin1String("ORBEX5w")) return companion(m);
  ProgramMessage out;
  out.fields = m.split(u'+');
  if (m.left(7) == QLatin1String("SatMate")) {
    // Fields 0 .. 8 are always read; the tenth decides whether the QSO goes to the log.
    if (out.fields.size() <= kSatMateCodeField)
      return unusable(QStringLiteral("SatMate の指示の項目が足りません (%1 項目): ").arg(out.fields.size()) + quoted(m));
    out.kind = ProgramMessage::Kind::SatMate;
    return out;
  }
  if (out.fields.size() <= kSpotModeField || !spotReadable(out.fields))
    return unusable(quoted(m) + QStringLiteral(" は読めません (コール+コード+...+周波数+モード の形ではありません)"));
  out.kind = ProgramMessage::Kind::Spot;
  return out;
}
