#include "core/QsoRules.h"

#include <array>
#include <utility>

#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/vbfile.h"
#include "platform/vbnumber.h"

QsoRulesState QsoRules;

const QString JapanesePrefixes =
    "JA,JD,JE,JF,JG,JH,JI,JJ,JK,JL,JM,JN,JO,JP,JQ,JR,JS,7J,7K,7L,7M,7N,8J,8K,8L,8M,8N";

namespace {

// The labels, padded to the 4 characters of QsoBand; static texts, so a reading allocates nothing.
QString padded(const char* label) { return QString::fromLatin1(label).leftJustified(4, ' '); }

const QString& bandOf(QStringView f, bool extendedBandSet) {
  static const QString none = padded(""), sat = padded("SAT"), b7 = padded("7"), b10 = padded("10"),
                       b35 = padded("3.5"), b19 = padded("1.9"), b50 = padded("50"), b144 = padded("144"),
                       b14 = padded("14"), b18 = padded("18"), b21 = padded("21"), b2400 = padded("2400"),
                       b24 = padded("24"), b28 = padded("28"), b430 = padded("430"), b1200 = padded("1200"),
                       b5600 = padded("5600"), g10 = padded("10G"), g24 = padded("24G"), g47 = padded("47G"),
                       g77 = padded("77G"), k135 = padded("135K"), k475 = padded("475K");
  // The first rule that matches wins; the order matters ("7" before everything, "14" vs "144").
  if (f == u"9999" || f.contains(u'/')) return sat;
  if (f.startsWith(u'7')) return b7;
  const QStringView two = f.left(2);
  const QChar third = f.size() > 2 ? f.at(2) : QChar();
  if (two == u"10") return b10;
  if (two == u"3.") return b35;
  if (two == u"1.") return b19;
  if (two == u"50" || two == u"51" || two == u"52" || two == u"53" || two == u"54") return b50;
  if (two == u"14") return third == u'4' || third == u'5' ? b144 : b14;
  if (two == u"18") return b18;
  if (two == u"21") return b21;
  if (two == u"24") return third >= u'0' && third <= u'5' ? b2400 : b24;
  if (two == u"28" || two == u"29") return b28;
  if (two == u"43") return b430;
  if (two == u"12") return b1200;
  if (two == u"56" || two == u"57" || two == u"58") return b5600;
  if (!extendedBandSet) return none;
  // Above 10 GHz HAMLOG writes the frequency with a leading "*".
  if (two == u"*1") return g10;
  if (two == u"*2") return g24;
  if (two == u"*4") return g47;
  if (two == u"*7") return g77;
  if (two == u"0.") {
    if (f.startsWith(u"0.1")) return k135;
    if (f.startsWith(u"0.4")) return k475;
  }
  return none;
}

}  // namespace

QString BandLabelOf(const QString& freq, bool extendedBandSet) {
  return bandOf(freq, extendedBandSet).trimmed();
}

void FreqToBand() {
  Qso.QsoBand = bandOf(Qso.QsoFreq, Settings.ExtendedBandSet == 1);
  if (Qso.QsoBand.at(0) == u' ')
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
  // Nothing before the "/": the text after it is the call. (Stopping here, as a runtime error would,
  // left the previous call's base and affix in place for this one.)
  if (left.isEmpty()) {
    QsoRules.CallBase = right;
    QsoRules.CallAffix.clear();
    return;
  }
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
  const int value = static_cast<int>(VbVal(code));
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
