#pragma once
// The amateur bands by ADIF's band table, edges included, each with the program's band label, and the
// value of a frequency text as HAMLOG keeps it. One table for the band rule (FreqPCheck and the band
// labels) and the ADIF export, so that a QSO counts on the band its file names.
//
//   FreqValueOf(u"146.500").hz   // 146500000
//   FreqValueOf(u"*10.368").hz   // 10368000000: GHz after "*"
//   FreqValueOf(u"24G").hz       // 24000000000: GHz before "G", as the entry window takes a label
//   BandEdgeOf(FreqValueOf(u"146.500"))->label   // "144"
//   BandEdgeOf(FreqValueOf(u"70.2"))->label      // "": ADIF's 4m, a band the program has none of
//   BandEdgeOf(FreqValueOf(u"10.171"))           // null: in no band

#include <QLatin1StringView>
#include <QStringView>
#include <cstdint>
#include <span>

struct BandEdge {
  const char* adif;   // ADIF's name: "40m"
  int64_t low, high;  // Hz, both in the band
  const char* label;  // the program's band label ("7", "10G"); "" where the program has no such band
};
// In ascending order.
inline constexpr size_t kBandEdgeCount = 33;
std::span<const BandEdge, kBandEdgeCount> BandEdges();

struct FreqValue {
  int64_t hz = 0;                  // 0: the text holds no frequency
  bool beyond = false;             // digits below one hertz, not all 0
  bool ghz = false;                // written in GHz
  qsizetype from = 0, length = 0;  // where the number stands in the text (without "*" or "G")
};
// A text of digits with at most one point: MHz, or GHz after "*" or before "G" / "g". No blanks, signs
// or commas; a number of more than 17 digits down to the hertz is none.
FreqValue FreqValueOf(QStringView text);
FreqValue FreqValueOf(QLatin1StringView text);

// Whether the band's edges hold the value; a fraction of a hertz past the upper edge is outside.
inline bool BandEdgeHolds(const BandEdge& band, const FreqValue& value) {
  return value.hz >= band.low && (value.hz < band.high || (value.hz == band.high && !value.beyond));
}
// The band whose edges hold the value; null for none.
const BandEdge* BandEdgeOf(const FreqValue& value);
