#include "platform/hamlog/band_edges.h"

#include <algorithm>
#include <array>

namespace {

constexpr int64_t kMHz = 1000000;
constexpr std::array<BandEdge, kBandEdgeCount> kBandEdges = {{
    {"2190m", 135700, 137800, "135K"},
    {"630m", 472000, 479000, "475K"},
    {"560m", 501000, 504000, ""},
    {"160m", 1800000, 2000000, "1.9"},
    {"80m", 3500000, 4000000, "3.5"},
    {"60m", 5060000, 5450000, ""},
    {"40m", 7000000, 7300000, "7"},
    {"30m", 10100000, 10150000, "10"},
    {"20m", 14000000, 14350000, "14"},
    {"17m", 18068000, 18168000, "18"},
    {"15m", 21000000, 21450000, "21"},
    {"12m", 24890000, 24990000, "24"},
    {"10m", 28000000, 29700000, "28"},
    {"8m", 40 * kMHz, 45 * kMHz, ""},
    {"6m", 50 * kMHz, 54 * kMHz, "50"},
    {"5m", 54000001, 69900000, ""},
    {"4m", 70 * kMHz, 71 * kMHz, ""},
    {"2m", 144 * kMHz, 148 * kMHz, "144"},
    {"1.25m", 222 * kMHz, 225 * kMHz, ""},
    {"70cm", 420 * kMHz, 450 * kMHz, "430"},
    {"33cm", 902 * kMHz, 928 * kMHz, ""},
    {"23cm", 1240 * kMHz, 1300 * kMHz, "1200"},
    {"13cm", 2300 * kMHz, 2450 * kMHz, "2400"},
    {"9cm", 3300 * kMHz, 3500 * kMHz, ""},
    {"6cm", 5650 * kMHz, 5925 * kMHz, "5600"},
    {"3cm", 10000 * kMHz, 10500 * kMHz, "10G"},
    {"1.25cm", 24000 * kMHz, 24250 * kMHz, "24G"},
    {"6mm", 47000 * kMHz, 47200 * kMHz, "47G"},
    {"4mm", 75500 * kMHz, 81000 * kMHz, "77G"},
    {"2.5mm", 119980 * kMHz, 123000 * kMHz, ""},
    {"2mm", 134000 * kMHz, 149000 * kMHz, ""},
    {"1mm", 241000 * kMHz, 250000 * kMHz, ""},
    {"submm", 300000 * kMHz, 7500000 * kMHz, ""},
}};

char16_t unit(QChar c) { return c.unicode(); }

template <class Text>
FreqValue valueOf(Text text) {
  FreqValue v;
  qsizetype from = 0, to = text.size();
  if (to == 0) return v;
  const char16_t last = unit(text[to - 1]);
  if (unit(text[0]) == u'*') {
    v.ghz = true;
    from = 1;
  } else if (last == u'G' || last == u'g') {
    v.ghz = true;
    --to;
  }
  const int shift = v.ghz ? 9 : 6;  // digits of the fraction down to the hertz
  int64_t hz = 0;
  int whole = 0, fraction = 0;
  bool point = false, digit = false;
  for (qsizetype i = from; i < to; ++i) {
    const char16_t c = unit(text[i]);
    if (c >= u'0' && c <= u'9') {
      digit = true;
      if (!point) {
        if (++whole + shift > 17) return {};
        hz = hz * 10 + (c - u'0');
      } else if (fraction < shift) {
        hz = hz * 10 + (c - u'0');
        ++fraction;
      } else if (c != u'0') {
        v.beyond = true;
      }
    } else if (c == u'.' && !point) {
      point = true;
    } else {
      return {};
    }
  }
  if (!digit) return {};
  for (; fraction < shift; ++fraction) hz *= 10;
  if (hz <= 0) return {};
  v.hz = hz;
  v.from = from;
  v.length = to - from;
  return v;
}

}  // namespace

std::span<const BandEdge, kBandEdgeCount> BandEdges() { return kBandEdges; }

FreqValue FreqValueOf(QStringView text) { return valueOf(text); }
FreqValue FreqValueOf(QLatin1StringView text) { return valueOf(text); }

const BandEdge* BandEdgeOf(const FreqValue& value) {
  if (value.hz <= 0) return nullptr;
  // The last band that starts at or below the value.
  const auto after = std::upper_bound(kBandEdges.begin(), kBandEdges.end(), value.hz,
                                      [](int64_t hz, const BandEdge& b) { return hz < b.low; });
  if (after == kBandEdges.begin()) return nullptr;
  return BandEdgeHolds(*(after - 1), value) ? &*(after - 1) : nullptr;
}
