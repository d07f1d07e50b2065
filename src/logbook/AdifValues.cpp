#include "logbook/AdifValues.h"

#include <array>
#include <cstdint>

#include "core/QsoRules.h"

namespace {

// ADIF 3.1's band table, edges included, in Hz.
struct BandEdge {
  const char* band;
  int64_t low, high;
};
constexpr int64_t kMHz = 1000000;
constexpr std::array<BandEdge, 33> kBands = {{
    {"2190m", 135700, 137800},
    {"630m", 472000, 479000},
    {"560m", 501000, 504000},
    {"160m", 1800000, 2000000},
    {"80m", 3500000, 4000000},
    {"60m", 5060000, 5450000},
    {"40m", 7000000, 7300000},
    {"30m", 10100000, 10150000},
    {"20m", 14000000, 14350000},
    {"17m", 18068000, 18168000},
    {"15m", 21000000, 21450000},
    {"12m", 24890000, 24990000},
    {"10m", 28000000, 29700000},
    {"8m", 40 * kMHz, 45 * kMHz},
    {"6m", 50 * kMHz, 54 * kMHz},
    {"5m", 54000001, 69900000},
    {"4m", 70 * kMHz, 71 * kMHz},
    {"2m", 144 * kMHz, 148 * kMHz},
    {"1.25m", 222 * kMHz, 225 * kMHz},
    {"70cm", 420 * kMHz, 450 * kMHz},
    {"33cm", 902 * kMHz, 928 * kMHz},
    {"23cm", 1240 * kMHz, 1300 * kMHz},
    {"13cm", 2300 * kMHz, 2450 * kMHz},
    {"9cm", 3300 * kMHz, 3500 * kMHz},
    {"6cm", 5650 * kMHz, 5925 * kMHz},
    {"3cm", 10000 * kMHz, 10500 * kMHz},
    {"1.25cm", 24000 * kMHz, 24250 * kMHz},
    {"6mm", 47000 * kMHz, 47200 * kMHz},
    {"4mm", 75500 * kMHz, 81000 * kMHz},
    {"2.5mm", 119980 * kMHz, 123000 * kMHz},
    {"2mm", 134000 * kMHz, 149000 * kMHz},
    {"1mm", 241000 * kMHz, 250000 * kMHz},
    {"submm", 300000 * kMHz, 7500000 * kMHz},
}};

// The program's bands by ADIF's names: what a QSO counts in when its text names a band rather than
// a frequency within ADIF's edges ("10", "1200" or "0.135" logged for the band).
struct CountedBand {
  const char* label;
  const char* band;
};
constexpr CountedBand kCounted[] = {
    {"1.9", "160m"},  {"3.5", "80m"},    {"7", "40m"},     {"10", "30m"},  {"14", "20m"},     {"18", "17m"},
    {"21", "15m"},    {"24", "12m"},     {"28", "10m"},    {"50", "6m"},   {"144", "2m"},     {"430", "70cm"},
    {"1200", "23cm"}, {"2400", "13cm"},  {"5600", "6cm"},  {"10G", "3cm"}, {"24G", "1.25cm"}, {"47G", "6mm"},
    {"77G", "4mm"},   {"135K", "2190m"}, {"475K", "630m"},
};

// Modes as HAMLOG operators and the rig drivers write them, with ADIF's MODE and SUBMODE (ADIF 3.1:
// FT4, JS8, FST4 and Q65 are submodes of MFSK, PSK31 and its kin of PSK, LSB and USB of SSB; DSTAR,
// C4FM and DMR of DIGITALVOICE, as ADIF since 3.1.3 takes DSTAR and C4FM as modes on import only).
struct ModeName {
  const char* logged;
  const char* mode;
  const char* submode;
};
constexpr ModeName kModes[] = {
    {"CW", "CW", ""},          {"CW-R", "CW", ""},        {"SSB", "SSB", ""},        {"LSB", "SSB", "LSB"},
    {"USB", "SSB", "USB"},     {"AM", "AM", ""},          {"FM", "FM", ""},          {"NFM", "FM", ""},
    {"RTTY", "RTTY", ""},      {"RTY", "RTTY", ""},       {"TTY", "RTTY", ""},       {"FSK", "RTTY", ""},
    {"AFSK", "RTTY", ""},      {"SSTV", "SSTV", ""},      {"FAX", "FAX", ""},        {"ATV", "ATV", ""},
    {"PSK", "PSK", ""},        {"BPSK", "PSK", "PSK31"},  {"PSK31", "PSK", "PSK31"}, {"BPSK31", "PSK", "PSK31"},
    {"PSK63", "PSK", "PSK63"}, {"PSK125", "PSK", "PSK125"}, {"QPSK", "PSK", "QPSK31"}, {"QPSK31", "PSK", "QPSK31"},
    {"QPSK63", "PSK", "QPSK63"}, {"FT8", "FT8", ""},      {"FT4", "MFSK", "FT4"},    {"JS8", "MFSK", "JS8"},
    {"FST4", "MFSK", "FST4"},  {"Q65", "MFSK", "Q65"},    {"MFSK", "MFSK", ""},      {"MFSK16", "MFSK", "MFSK16"},
    {"JT65", "JT65", ""},      {"JT9", "JT9", ""},        {"JT4", "JT4", ""},        {"JT6M", "JT6M", ""},
    {"MSK", "MSK144", ""},     {"MSK144", "MSK144", ""},  {"ISCAT", "ISCAT", ""},    {"FSK441", "FSK441", ""},
    {"WSPR", "WSPR", ""},      {"OLIV", "OLIVIA", ""},    {"OLIVIA", "OLIVIA", ""},  {"MT63", "MT63", ""},
    {"HELL", "HELL", ""},      {"THOR", "THOR", ""},      {"CONTESTI", "CONTESTI", ""}, {"DOMINO", "DOMINO", ""},
    {"ROS", "ROS", ""},        {"PKT", "PKT", ""},        {"PACKET", "PKT", ""},     {"DV", "DIGITALVOICE", ""},
    {"DSTAR", "DIGITALVOICE", "DSTAR"}, {"D-STAR", "DIGITALVOICE", "DSTAR"}, {"C4FM", "DIGITALVOICE", "C4FM"},
    {"DMR", "DIGITALVOICE", "DMR"}, {"DIGITALVOICE", "DIGITALVOICE", ""}, {"VOI", "VOI", ""},
};

// A decimal number of digits with at most one point; false for anything else.
bool isDecimal(const QString& t) {
  bool digit = false, point = false;
  for (QChar c : t) {
    if (c.isDigit() && c.unicode() < 0x80)
      digit = true;
    else if (c == u'.' && !point)
      point = true;
    else
      return false;
  }
  return digit;
}

// The decimal text times 10^shift as a whole number (digits beyond it dropped); -1 when too large.
int64_t scaled(const QString& t, int shift) {
  const qsizetype dot = t.indexOf(u'.');
  const QString whole = dot < 0 ? t : t.left(dot);
  const QString fraction = (dot < 0 ? QString() : t.mid(dot + 1)).leftJustified(shift, u'0', true);
  if (whole.size() + shift > 17) return -1;
  return (whole + fraction).toLongLong();
}

}  // namespace

AdifFreq AdifFrequency(const QString& logged) {
  QString t = logged.trimmed();
  if (const qsizetype slash = t.indexOf(u'/'); slash >= 0) t = t.left(slash).trimmed();
  if (t == QLatin1String("9999")) return {};  // HAMLOG's mark of a satellite QSO without a frequency
  bool ghz = false;
  if (t.startsWith(u'*')) {
    ghz = true;
    t = t.mid(1);
  } else if (t.endsWith(u'G') || t.endsWith(u'g')) {
    ghz = true;
    t.chop(1);
  }
  if (!isDecimal(t)) return {};
  const int64_t hz = scaled(t, ghz ? 9 : 6);
  if (hz <= 0) return {};
  AdifFreq f;
  if (!ghz) {
    f.mhz = t;
  } else {
    // The point moves three places: 10.368 GHz is 10368 MHz.
    const qsizetype dot = t.indexOf(u'.');
    QString whole = dot < 0 ? t : t.left(dot);
    QString fraction = dot < 0 ? QString() : t.mid(dot + 1);
    fraction = fraction.leftJustified(3, u'0');
    whole += fraction.left(3);
    fraction = fraction.mid(3);
    while (whole.size() > 1 && whole.startsWith(u'0')) whole.remove(0, 1);
    f.mhz = fraction.isEmpty() ? whole : whole + u'.' + fraction;
  }
  for (const BandEdge& b : kBands)
    if (hz >= b.low && hz <= b.high) f.band = QString::fromLatin1(b.band);
  // A band logged by its label is no frequency; nor is a text outside ADIF's edges that the program
  // counts in a band: the QSO goes out under that band, without FREQ.
  const QString counted = BandLabelOf(logged.trimmed(), true);
  if (!counted.isEmpty() && (f.band.isEmpty() || logged.trimmed() == counted))
    for (const CountedBand& c : kCounted)
      if (counted == QLatin1String(c.label)) {
        f.band = QString::fromLatin1(c.band);
        f.mhz.clear();
      }
  return f;
}

AdifMode AdifModeOf(const QString& logged) {
  const QString m = logged.trimmed().toUpper();
  for (const ModeName& n : kModes)
    if (m == QLatin1String(n.logged)) return {QString::fromLatin1(n.mode), QString::fromLatin1(n.submode)};
  return {};
}

QStringList AdifKnownModes() {
  QStringList out;
  for (const ModeName& n : kModes) out << QString::fromLatin1(n.logged);
  return out;
}

QString AdifQslStatus(const QString& mark) { return mark.trimmed().isEmpty() ? QStringLiteral("N") : QStringLiteral("Y"); }
