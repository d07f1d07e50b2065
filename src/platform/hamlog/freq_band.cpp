// FreqPCheck: band numbers by the value of the frequency text where it lies in a band, else by the kHz
// bands' labels or its first characters (never a band below 10 GHz for a text in GHz), the rules the
// band labels follow as well, so that a QSO marked on a band is found again under that band's number.
#include <cstring>

#include "platform/hamlog/band_edges.h"
#include "platform/hamlog/hamlog.h"

namespace {

enum Band : int32_t {
  B1_9,
  B3_5,
  B7,
  B10,
  B14,
  B18,
  B21,
  B24,
  B28,
  B50,
  B144,
  B430,
  B1200,
  B2400,
  B5600,
  BSat,
  B135K,
  B475K,
  B10G,
  B24G,
  B47G,
  B77G,
  BNone = -1
};

// The number of a band label; BNone for "" (a band the program has none of).
int32_t bandOfLabel(const char* label) {
  static const char* const kLabels[] = {"1.9",  "3.5",  "7",    "10",  "14",   "18",   "21",   "24",
                                        "28",   "50",   "144",  "430", "1200", "2400", "5600", "SAT",
                                        "135K", "475K", "10G",  "24G", "47G",  "77G"};
  for (int32_t i = 0; i < int32_t(std::size(kLabels)); ++i)
    if (std::strcmp(kLabels[i], label) == 0) return i;
  return BNone;
}

// HAMLOG's band labels' rule: the first characters.
int32_t byFirstCharacters(const QString& f) {
  if (f.startsWith('7')) return B7;
  const QString two = f.left(2);
  const QChar third = f.size() > 2 ? f.at(2) : QChar();
  if (two == QLatin1String("10")) return B10;
  if (two == QLatin1String("3.")) return B3_5;
  if (two == QLatin1String("1.")) return B1_9;
  if (two >= QLatin1String("50") && two <= QLatin1String("54")) return B50;
  if (two == QLatin1String("14")) return third == '4' || third == '5' ? B144 : B14;
  if (two == QLatin1String("18")) return B18;
  if (two == QLatin1String("21")) return B21;
  if (two == QLatin1String("24")) return third >= '0' && third <= '5' ? B2400 : B24;
  if (two == QLatin1String("28") || two == QLatin1String("29")) return B28;
  if (two == QLatin1String("43")) return B430;
  if (two == QLatin1String("12")) return B1200;
  if (two == QLatin1String("56") || two == QLatin1String("57") || two == QLatin1String("58")) return B5600;
  if (two == QLatin1String("*1")) return B10G;
  if (two == QLatin1String("*2")) return B24G;
  if (two == QLatin1String("*4")) return B47G;
  if (two == QLatin1String("*7")) return B77G;
  if (two == QLatin1String("0.")) {
    if (third == '1') return B135K;
    if (third == '4') return B475K;
  }
  return BNone;
}

}  // namespace

int32_t FreqPCheck(const QString& freq) {
  const QString f = freq.trimmed();
  if (f == QLatin1String("9999") || f.contains('/')) return BSat;
  if (const BandEdge* edge = BandEdgeOf(FreqValueOf(f))) return bandOfLabel(edge->label);
  if (f.compare(QLatin1String("135K"), Qt::CaseInsensitive) == 0) return B135K;
  if (f.compare(QLatin1String("475K"), Qt::CaseInsensitive) == 0) return B475K;
  // A text in GHz is on no band below 10 GHz by its first characters.
  const int32_t band = byFirstCharacters(f);
  return f.endsWith('G', Qt::CaseInsensitive) && (band < B10G || band > B77G) ? BNone : band;
}
