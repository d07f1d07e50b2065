#include "logbook/AdifValues.h"

#include <QHash>
#include <cstdint>
#include <utility>

#include "core/QsoRules.h"
#include "platform/hamlog/band_edges.h"

namespace {

// ADIF's Mode enumeration (as of kAdifVersion): each MODE with its SUBMODEs, comma-separated. A submode goes out with
// its mode (PSK250 as PSK + PSK250); the modes ADIF now takes as submodes only (DSTAR, C4FM, JT65B …)
// go out that way too.
struct AdifModeEntry {
  const char* mode;
  const char* submodes;
};
constexpr AdifModeEntry kAdifModes[] = {
    {"AM", ""},
    {"ARDOP", ""},
    {"ATV", ""},
    {"CHIP", "CHIP64,CHIP128"},
    {"CLO", ""},
    {"CONTESTI", ""},
    {"CW", "PCW"},
    {"DIGITALVOICE", "C4FM,DMR,DSTAR,FREEDV,M17"},
    {"DOMINO", "DOM-M,DOM4,DOM5,DOM8,DOM11,DOM16,DOM22,DOM44,DOM88,DOMINOEX,DOMINOF"},
    {"DYNAMIC", "VARA HF,VARA SATELLITE,VARA FM 1200,VARA FM 9600"},
    {"FAX", ""},
    {"FM", ""},
    {"FSK", "SCAMP_FAST,SCAMP_SLOW,SCAMP_VSLOW"},
    {"FSK441", ""},
    {"FT8", ""},
    {"HELL", "FMHELL,FSKH105,FSKH245,FSKHELL,HELL80,HELLX5,HELLX9,HFSK,PSKHELL,SLOWHELL"},
    {"ISCAT", "ISCAT-A,ISCAT-B"},
    {"JT4", "JT4A,JT4B,JT4C,JT4D,JT4E,JT4F,JT4G"},
    {"JT6M", ""},
    {"JT9", "JT9-1,JT9-2,JT9-5,JT9-10,JT9-30,JT9A,JT9B,JT9C,JT9D,JT9E,JT9E FAST,JT9F,JT9F FAST,JT9G,JT9G FAST,"
            "JT9H,JT9H FAST"},
    {"JT44", ""},
    {"JT65", "JT65A,JT65B,JT65B2,JT65C,JT65C2"},
    {"MFSK", "FSQCALL,FST4,FST4W,FT4,JS8,JTMS,MFSK4,MFSK8,MFSK11,MFSK16,MFSK22,MFSK31,MFSK32,MFSK64,MFSK64L,"
             "MFSK128,MFSK128L,Q65"},
    {"MSK144", ""},
    {"MT63", ""},
    {"MTONE", "SCAMP_OO,SCAMP_OO_SLW"},
    {"OLIVIA", "OLIVIA 4/125,OLIVIA 4/250,OLIVIA 8/250,OLIVIA 8/500,OLIVIA 16/500,OLIVIA 16/1000,OLIVIA 32/1000"},
    {"OPERA", "OPERA-BEACON,OPERA-QSO"},
    {"PAC", "PAC2,PAC3,PAC4"},
    {"PAX", "PAX2"},
    {"PKT", ""},
    {"PSK", "8PSK125,8PSK125F,8PSK125FL,8PSK250,8PSK250F,8PSK250FL,8PSK500,8PSK500F,8PSK1000,8PSK1000F,8PSK1200F,"
            "FSK31,PSK10,PSK31,PSK63,PSK63F,PSK63RC4,PSK63RC5,PSK63RC10,PSK63RC20,PSK63RC32,PSK125,PSK125C12,"
            "PSK125R,PSK125RC10,PSK125RC12,PSK125RC16,PSK125RC4,PSK125RC5,PSK250,PSK250C6,PSK250R,PSK250RC2,"
            "PSK250RC3,PSK250RC5,PSK250RC6,PSK250RC7,PSK500,PSK500C2,PSK500C4,PSK500R,PSK500RC2,PSK500RC3,"
            "PSK500RC4,PSK800C2,PSK800RC2,PSK1000,PSK1000C2,PSK1000R,PSK1000RC2,PSKAM10,PSKAM31,PSKAM50,"
            "PSKFEC31,QPSK31,QPSK63,QPSK125,QPSK250,QPSK500,SIM31"},
    {"PSK2K", ""},
    {"Q15", ""},
    {"QRA64", "QRA64A,QRA64B,QRA64C,QRA64D,QRA64E"},
    {"ROS", "ROS-EME,ROS-HF,ROS-MF"},
    {"RTTY", "ASCI"},
    {"RTTYM", ""},
    {"SSB", "LSB,USB"},
    {"SSTV", ""},
    {"T10", ""},
    {"THOR", "THOR-M,THOR4,THOR5,THOR8,THOR11,THOR16,THOR22,THOR25X4,THOR50X1,THOR50X2,THOR100"},
    {"THRB", "THRBX,THRBX1,THRBX2,THRBX4,THROB1,THROB2,THROB4"},
    {"TOR", "AMTORFEC,GTOR,NAVTEX,SITORB"},
    {"V4", ""},
    {"VOI", ""},
    {"WINMOR", ""},
    {"WSPR", ""},
};

// Modes as HAMLOG operators and the rig drivers write them where ADIF names them otherwise: the
// logged name and ADIF's mode or submode it stands for. A logged "FSK" is RTTY keyed by FSK, as the
// rigs call it, not ADIF's FSK of the SCAMP submodes.
constexpr std::pair<const char*, const char*> kSpellings[] = {
    {"CW-R", "CW"},     {"NFM", "FM"},         {"RTY", "RTTY"},     {"TTY", "RTTY"},  {"FSK", "RTTY"},
    {"AFSK", "RTTY"},   {"BPSK", "PSK31"},     {"BPSK31", "PSK31"}, {"QPSK", "QPSK31"}, {"OLIV", "OLIVIA"},
    {"MSK", "MSK144"},  {"PACKET", "PKT"},     {"DV", "DIGITALVOICE"}, {"D-STAR", "DSTAR"},
};

// Every name AdifModeOf knows, upper case, with ADIF's pair.
const QHash<QString, AdifMode>& knownModes() {
  static const QHash<QString, AdifMode> known = [] {
    QHash<QString, AdifMode> k;
    for (const AdifModeEntry& e : kAdifModes) {
      const QString mode = QString::fromLatin1(e.mode);
      k.insert(mode, {mode, QString()});
      for (const QString& sub : QString::fromLatin1(e.submodes).split(u',', Qt::SkipEmptyParts))
        k.insert(sub, {mode, sub});
    }
    for (const auto& [logged, adif] : kSpellings)
      k.insert(QString::fromLatin1(logged), k.value(QString::fromLatin1(adif)));
    return k;
  }();
  return known;
}

// ADIF's band of one of the program's band labels, also as the frequency list stores those from 10 GHz
// up ("*10"); "" for any other text.
QString countedBand(const QString& label) {
  const QString name = label.startsWith(u'*') ? label.mid(1) + u'G' : label;
  for (const BandEdge& b : BandEdges())
    if (*b.label && name.compare(QLatin1String(b.label), Qt::CaseInsensitive) == 0) return QString::fromLatin1(b.adif);
  return {};
}

}  // namespace

AdifFreq AdifFrequency(const QString& logged) {
  const QString text = logged.trimmed();
  // A band logged by its label ("7", "1200", "10G", "*10", "135K") is no frequency: BAND alone goes out.
  if (QString band = countedBand(text); !band.isEmpty()) return {QString(), band};
  QString t = text;
  if (const qsizetype slash = t.indexOf(u'/'); slash >= 0) t = t.left(slash).trimmed();
  if (t == QLatin1String("9999")) return {};  // HAMLOG's mark of a satellite QSO without a frequency
  AdifFreq f;
  if (const FreqValue v = FreqValueOf(t); v.hz > 0) {
    const QString number = t.mid(v.from, v.length);
    if (!v.ghz) {
      f.mhz = number;
    } else {
      // The point moves three places: 10.368 GHz is 10368 MHz.
      const qsizetype dot = number.indexOf(u'.');
      QString whole = dot < 0 ? number : number.left(dot);
      QString fraction = dot < 0 ? QString() : number.mid(dot + 1);
      fraction = fraction.leftJustified(3, u'0');
      whole += fraction.left(3);
      fraction = fraction.mid(3);
      while (whole.size() > 1 && whole.startsWith(u'0')) whole.remove(0, 1);
      f.mhz = fraction.isEmpty() ? whole : whole + u'.' + fraction;
    }
    if (const BandEdge* b = BandEdgeOf(v)) f.band = QString::fromLatin1(b->adif);
  }
  // A text that is no frequency within ADIF's edges (another program's label, a number past a band's
  // edge, no number at all) goes out under the band the program counts it in, without FREQ.
  if (QString band = f.band.isEmpty() ? countedBand(BandLabelOf(text, true)) : QString(); !band.isEmpty()) {
    f.band = band;
    f.mhz.clear();
  }
  return f;
}

AdifMode AdifModeOf(const QString& logged) { return knownModes().value(logged.trimmed().toUpper()); }

QStringList AdifKnownModes() {
  QStringList out = knownModes().keys();
  out.sort();
  return out;
}

QString AdifQslStatus(const QString& mark) { return mark.trimmed().isEmpty() ? QStringLiteral("N") : QStringLiteral("Y"); }
