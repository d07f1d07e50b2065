#include "core/QsoRules.h"

#include <array>
#include <utility>

#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/vbfile.h"

QsoRulesState QsoRules;

const QString JapanesePrefixes =
    "JA,JD,JE,JF,JG,JH,JI,JJ,JK,JL,JM,JN,JO,JP,JQ,JR,JS,7J,7K,7L,7M,7N,8J,8K,8L,8M,8N";

QString BandLabelOf(const QString& f, bool extendedBandSet) {
  // The first rule that matches wins; the order matters ("7" before everything, "14" vs "144").
  if (f == "9999" || f.contains('/')) return "SAT";
  if (f.startsWith('7')) return "7";
  const QString two = f.left(2);
  const QChar third = f.size() > 2 ? f.at(2) : QChar();
  if (two == "10") return "10";
  if (two == "3.") return "3.5";
  if (two == "1.") return "1.9";
  if (two == "50" || two == "51" || two == "52" || two == "53" || two == "54") return "50";
  if (two == "14") return third == '4' || third == '5' ? "144" : "14";
  if (two == "18") return "18";
  if (two == "21") return "21";
  if (two == "24") return third >= '0' && third <= '5' ? "2400" : "24";
  if (two == "28" || two == "29") return "28";
  if (two == "43") return "430";
  if (two == "12") return "1200";
  if (two == "56" || two == "57" || two == "58") return "5600";
  if (!extendedBandSet) return {};
  // Above 10 GHz HAMLOG writes the frequency with a leading "*".
  if (two == "*1") return "10G";
  if (two == "*2") return "24G";
  if (two == "*4") return "47G";
  if (two == "*7") return "77G";
  if (two == "0.") {
    if (f.startsWith("0.1")) return "135K";
    if (f.startsWith("0.4")) return "475K";
  }
  return {};
}

void FreqToBand() {
  const QString label = BandLabelOf(Qso.QsoFreq, Settings.ExtendedBandSet == 1);
  Qso.QsoBand = label.leftJustified(4, ' ');
  if (label.isEmpty())
    AppendFreqErrorReport(QString::fromUtf8("交信番号=") + QString::number(Qso.QsoRecNo) +
                          QString::fromUtf8(" の交信周波数=") + Qso.QsoFreq +
                          QString::fromUtf8(" は無効です"));
}

void AppendFreqErrorReport(const QString& line) {
  QsoRules.FreqErrorFound = 1;
  // A report that cannot be written must not stop the reading; the flag is set all the same.
  VbFile f(JoinPath(Settings.DataFolder, "FreqError_Report.txt"), VbMode::Append);
  if (f.IsOpen()) f.Write({line});
}

void ShowFreqErrorReport() {
  MsgBox(QString::fromUtf8("異常な周波数データを発見しました、周波数異常レポートを表示します"));
  QsoRules.FreqErrorFound = 0;
  ShellOpen(JoinPath(Settings.DataFolder, "FreqError_Report.txt"));
}

void SplitCallSign(const QString& call) {
  QsoRules.CallDxFlag.clear();
  const qsizetype p = call.lastIndexOf('/');
  if (p < 0) {
    QsoRules.CallBase = call;
    QsoRules.CallAffix.clear();
    return;
  }
  const QString left = call.left(p);
  const QString right = call.mid(p + 1);
  if (right == "P" || right == "M" || right == "MM" || right == "QRP" || right == "B") {
    QsoRules.CallBase = left;
    QsoRules.CallAffix.clear();
    return;
  }
  if (right.size() == 1 && right.at(0).isDigit()) {
    QsoRules.CallBase = left;
    QsoRules.CallAffix = right;
    return;
  }
  // An empty part before the "/" leaves the values set so far, as the runtime error did.
  if (left.isEmpty()) return;
  if (left.back().isDigit()) {
    QsoRules.CallBase = right;
    QsoRules.CallAffix = left;
  } else {
    QsoRules.CallBase = left;
    QsoRules.CallAffix = right;
    if (QsoRules.CallBase.size() <= QsoRules.CallAffix.size())
      std::swap(QsoRules.CallBase, QsoRules.CallAffix);
  }
  const QString& affix = QsoRules.CallAffix;
  const bool japanese = JapanesePrefixes.split(',').contains(affix.left(2));
  QsoRules.CallDxFlag = affix.size() > 1 && !japanese ? "DX" : "";
}

namespace {

// HAMLOG's stored flag codes: "D 12" is 100, not the sum 104, in both directions.
constexpr std::array<std::pair<int, const char*>, 16> kQslFlagTable{{
    {0, "    "},
    {8, "D   "},
    {16, " C  "},
    {24, "DC  "},
    {32, "  1 "},
    {40, "D 1 "},
    {48, " C1 "},
    {56, "DC1 "},
    {64, "   2"},
    {72, "D  2"},
    {80, " C 2"},
    {88, "DC 2"},
    {96, "  12"},
    {100, "D 12"},
    {112, " C12"},
    {120, "DC12"},
}};

}  // namespace

void QslFlagsToText(const QString& code) {
  // The numeric value as the runtime's Val reads it: leading digits, blank or none giving 0.
  const QString t = code.trimmed();
  qsizetype n = 0;
  while (n < t.size() && t.at(n).isDigit() && t.at(n).unicode() <= '9') ++n;
  const int value = t.left(n).toInt();
  for (const auto& [c, text] : kQslFlagTable)
    if (c == value) {
      QsoRules.QslFlagText = QString::fromLatin1(text);
      return;
    }
}

QString QslTextToFlags(const QString& text) {
  for (const auto& [c, t] : kQslFlagTable)
    if (text == QLatin1String(t)) {
      QsoRules.QslFlagCode = QString::number(c);
      break;
    }
  return QsoRules.QslFlagCode;
}
