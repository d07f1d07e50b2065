#include "core/QsoRules.h"

#include <QSet>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "platform/codepage.h"
#include "platform/hamlog/band_edges.h"
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

enum Band { None, Sat, B7, B10, B35, B19, B50, B144, B14, B18, B21, B2400, B24, B28, B430, B1200, B5600,
            G10, G24, G47, G77, K135, K475, BandCount };

char16_t unit(QChar c) { return c.unicode(); }
char16_t unit(unsigned char c) { return c; }

// The rule by the first characters. The first that matches wins; the order matters ("7" before
// everything, "14" vs "144"). `F` gives size() and at(i) as UTF-16 code units: a QStringView, or the
// bytes of an ASCII field.
template <class F>
Band bandByFirstCharacters(const F& f, bool extendedBandSet) {
  const qsizetype n = f.size();
  auto at = [&](qsizetype i) -> char16_t { return i < n ? unit(f.at(i)) : u'\0'; };
  auto two = [&](char a, char b) { return n >= 2 && at(0) == char16_t(a) && at(1) == char16_t(b); };
  bool slash = false;
  for (qsizetype i = 0; i < n && !slash; ++i) slash = at(i) == u'/';
  if ((n == 4 && at(0) == u'9' && at(1) == u'9' && at(2) == u'9' && at(3) == u'9') || slash) return Sat;
  if (at(0) == u'7') return B7;
  const char16_t third = at(2);
  if (two('1', '0')) return B10;
  if (two('3', '.')) return B35;
  if (two('1', '.')) return B19;
  if (n >= 2 && at(0) == u'5' && at(1) >= u'0' && at(1) <= u'4') return B50;
  if (two('1', '4')) return third == u'4' || third == u'5' ? B144 : B14;
  if (two('1', '8')) return B18;
  if (two('2', '1')) return B21;
  if (two('2', '4')) return third >= u'0' && third <= u'5' ? B2400 : B24;
  if (two('2', '8') || two('2', '9')) return B28;
  if (two('4', '3')) return B430;
  if (two('1', '2')) return B1200;
  if (two('5', '6') || two('5', '7') || two('5', '8')) return B5600;
  if (!extendedBandSet) return None;
  // Above 10 GHz HAMLOG writes the frequency with a leading "*".
  if (two('*', '1')) return G10;
  if (two('*', '2')) return G24;
  if (two('*', '4')) return G47;
  if (two('*', '7')) return G77;
  if (two('0', '.')) {
    if (third == u'1') return K135;
    if (third == u'4') return K475;
  }
  return None;
}

const char* const kLabels[BandCount] = {"",    "SAT", "7",   "10",   "3.5",  "1.9",  "50",  "144",
                                        "14",  "18",  "21",  "2400", "24",   "28",   "430", "1200",
                                        "5600", "10G", "24G", "47G",  "77G",  "135K", "475K"};

const QString& label(Band b) {
  static const std::array<QString, BandCount> labels = [] {
    std::array<QString, BandCount> l;
    for (int b = 0; b < BandCount; ++b) l[size_t(b)] = padded(kLabels[b]);
    return l;
  }();
  return labels[b];
}

struct AsciiView {
  const unsigned char* p;
  qsizetype n;
  qsizetype size() const { return n; }
  unsigned char at(qsizetype i) const { return p[i]; }
};

FreqValue valueOf(QStringView f) { return FreqValueOf(f); }
FreqValue valueOf(const AsciiView& f) {
  return FreqValueOf(QLatin1StringView(reinterpret_cast<const char*>(f.p), f.n));
}

// Per band the edges of its ADIF band (none: low above high); per ADIF band its band (None for those the
// program has none of).
struct EdgeBands {
  std::array<std::pair<int64_t, int64_t>, BandCount> edges{};
  std::array<Band, kBandEdgeCount> bandOfEdge{};
  EdgeBands() {
    edges.fill({1, 0});
    bandOfEdge.fill(None);
    for (size_t e = 0; e < kBandEdgeCount; ++e)
      for (int b = 1; b < BandCount; ++b)
        if (std::strcmp(kLabels[b], BandEdges()[e].label) == 0) {
          bandOfEdge[e] = Band(b);
          edges[size_t(b)] = {BandEdges()[e].low, BandEdges()[e].high};
        }
  }
};
const EdgeBands kEdgeBands;

// Marks a value that lies in no ADIF band.
constexpr Band kNoEdge = BandCount;

// The band whose edges hold `hz` (a fraction of a hertz past it when `beyond`) in the set in force: None
// for an ADIF band the program or the set has not; kNoEdge outside every ADIF band.
Band byValue(int64_t hz, bool beyond, Band rule, bool extendedBandSet) {
  // Most QSOs lie in the band their first characters name.
  const auto [low, high] = kEdgeBands.edges[rule];
  if (hz >= low && (hz < high || (hz == high && !beyond))) return rule;
  FreqValue v;
  v.hz = hz;
  v.beyond = beyond;
  const BandEdge* edge = BandEdgeOf(v);
  if (!edge) return kNoEdge;
  const Band b = kEdgeBands.bandOfEdge[size_t(edge - BandEdges().data())];
  return !extendedBandSet && b >= G10 ? None : b;
}

// A text outside every ADIF band, or no number: by its first characters, as HAMLOG's band labels go;
// the kHz bands also by their labels, as the ADIF files take them ("135K", "475k"). A text in GHz
// ("1.2G") is on no band below 10 GHz that way: only "*" gives the bands from 10 GHz up.
template <class F>
Band byText(const F& f, Band rule, bool extendedBandSet) {
  const qsizetype n = f.size();
  if (n == 4 && (unit(f.at(3)) | 0x20) == u'k' && extendedBandSet) {
    const auto digits = [&f](const char* d) {
      return unit(f.at(0)) == char16_t(d[0]) && unit(f.at(1)) == char16_t(d[1]) &&
             unit(f.at(2)) == char16_t(d[2]);
    };
    if (digits("135")) return K135;
    if (digits("475")) return K475;
  }
  const bool ghz = n > 0 && (unit(f.at(n - 1)) | 0x20) == u'g';
  return ghz && (rule < G10 || rule > G77) ? None : rule;
}

// A satellite's frequencies and "9999" first; then the value, else the text.
template <class F>
Band bandOf(const F& f, bool extendedBandSet) {
  const Band rule = bandByFirstCharacters(f, extendedBandSet);
  if (rule == Sat) return Sat;
  if (const FreqValue v = valueOf(f); v.hz != 0)
    if (const Band b = byValue(v.hz, v.beyond, rule, extendedBandSet); b != kNoEdge) return b;
  return byText(f, rule, extendedBandSet);
}

// The first `n` (at most 8) bytes at `p`, zero-padded, the first byte lowest; no byte past them read.
[[gnu::always_inline]] inline uint64_t loadPadded(const unsigned char* p, int n) {
  const auto load4 = [](const unsigned char* q) {
    uint32_t w;
    std::memcpy(&w, q, 4);
    return uint64_t(w);
  };
  if (n == 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
  }
  if (n >= 4) return load4(p) | load4(p + n - 4) << (8 * (n - 4));
  if (n > 0) return p[0] | uint64_t(p[n / 2]) << (8 * (n / 2)) | uint64_t(p[n - 1]) << (8 * (n - 1));
  return 0;
}

// The number of eight digits (byte values 0 .. 9), the first the lowest byte: three multiplies, each
// joining the pairs of the step before.
uint64_t eightDigits(uint64_t d) {
  d = (d * 10 + (d >> 8)) & 0x00FF00FF00FF00FFull;
  d = (d * 100 + (d >> 16)) & 0x0000FFFF0000FFFFull;
  return (d * 10000 + (d >> 32)) & 0xFFFFFFFFull;
}

// A number of up to eight digits and points with one point at most, taken as one word, without a
// branch on its characters (where the point falls differs from band to band): each digit a byte of its
// value, the first the lowest byte.
struct WordDigits {
  uint64_t whole = 0;     // the whole MHz as eight digits, zeros before them
  uint64_t fraction = 0;  // the digits after them, zeros after them
  uint64_t digits = 0;    // the number's bytes, the point's 0
  int point = -1;         // the place of the point in the number
  int count = 0;          // of digits
  // Compares as the value does.
  unsigned __int128 Key() const {
    return static_cast<unsigned __int128>(__builtin_bswap64(whole)) << 64 | __builtin_bswap64(fraction);
  }
  int64_t Hz() const { return int64_t(eightDigits(whole)) * 1000000 + int64_t(eightDigits(fraction << 16)); }
  // The digits without the point: those before it, then those after it moved down by one.
  uint64_t Joined() const {
    const uint64_t before = point >= 0 ? (uint64_t(1) << (8 * point)) - 1 : ~uint64_t(0);
    return (digits & before) | (digits >> 8 & ~before);
  }
  // Every digit, as one number.
  uint32_t Number() const { return uint32_t(eightDigits(Joined() << (8 * (8 - count)))); }
};

// `bytes`: the number's n (1 .. 8) bytes as loadPadded gives them; `ghz`: the number is in GHz. False
// for a text that is no such number, or that FreqValueOf reads to a fraction of a hertz (more than six
// digits after the whole MHz), or whose value is 0.
[[gnu::always_inline]] inline bool wordDigits(uint64_t bytes, int n, bool ghz, WordDigits& d) {
  constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = kOnes * 0x80, kLow7 = kOnes * 0x7F;
  const uint64_t used = n == 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * n)) - 1;
  const uint64_t t = bytes ^ (kOnes * '0');  // a digit's byte is its value
  // The high bit of each byte over 9 (no digit), and of each byte that is the point.
  const uint64_t over9 = (((t & kLow7) + kOnes * (0x80 - 10)) | t) & kHigh & used;
  const uint64_t p = t ^ (kOnes * ('.' ^ '0'));
  const uint64_t point = ~(((p & kLow7) + kLow7) | p) & kHigh & used;
  if ((over9 & ~point) != 0 || (point & (point - 1)) != 0) return false;
  const int at = point ? std::countr_zero(point) / 8 : n;
  d.digits = t & used & ~((point >> 7) * 0xFF);
  d.point = point ? at : -1;
  d.count = point ? n - 1 : n;
  if (!ghz) {
    if (d.count - at > 6) return false;
    d.whole = at == 0 ? 0 : d.digits << (8 * (8 - at));
    d.fraction = at + 1 >= 8 ? 0 : d.digits >> (8 * (at + 1));
  } else {
    // The whole MHz takes three digits more, zeros where the number has none.
    const int mhz = at + 3;
    if (mhz > 8) return false;
    const uint64_t joined = d.Joined();
    d.whole = (mhz == 8 ? joined : joined & ((uint64_t(1) << (8 * mhz)) - 1)) << (8 * (8 - mhz));
    d.fraction = mhz == 8 ? 0 : joined >> (8 * mhz);
  }
  return (d.whole | d.fraction) != 0;
}

// The extended set's rule by the first characters for ASCII text as two table reads, by the first two
// characters and then by the third, in place of the chain of tests, whose branches a log of mixed bands keeps
// mispredicting. A NUL stands for a missing character, as the rules read one there (a trimmed field
// holds none).
struct BandTables {
  // The band of the first two characters; or, where the rules also look at the third (after "14",
  // "24" and "0."), BandCount + n: row n of byThird decides.
  std::array<std::array<uint8_t, 128>, 128> byTwo{};
  std::array<std::array<uint8_t, 128>, BandCount + 3> byThird{};

  BandTables() {
    auto band = [](char a, char b, char c) {
      const unsigned char text[3] = {uchar(a), uchar(b), uchar(c)};
      return uint8_t(bandByFirstCharacters(AsciiView{text, c ? 3 : b ? 2 : a ? 1 : 0}, true));
    };
    for (size_t row = 0; row < byThird.size(); ++row) byThird[row].fill(uint8_t(row));
    const char* byThirdToo[] = {"14", "24", "0."};
    for (int a = 0; a < 128; ++a)
      for (int b = 0; b < 128; ++b) byTwo[size_t(a)][size_t(b)] = band(char(a), a ? char(b) : 0, 0);
    for (int n = 0; n < 3; ++n) {
      const char* two = byThirdToo[n];
      byTwo[uchar(two[0])][uchar(two[1])] = uint8_t(BandCount + n);
      for (int c = 0; c < 128; ++c) byThird[size_t(BandCount + n)][size_t(c)] = band(two[0], two[1], char(c));
    }
  }
};
const BandTables kBandTables;

// The edges of each band's ADIF band as WordDigits keys (none: low above high).
struct EdgeKeys {
  std::array<unsigned __int128, BandCount> low{}, high{};
  static unsigned __int128 key(int64_t hz) {
    WordDigits d;
    for (int64_t mhz = hz / 1000000, i = 0; i < 8; ++i, mhz /= 10)
      d.whole |= uint64_t(mhz % 10) << (8 * (7 - i));
    for (int64_t rest = hz % 1000000, i = 0; i < 6; ++i, rest /= 10)
      d.fraction |= uint64_t(rest % 10) << (8 * (5 - i));
    return d.Key();
  }
  EdgeKeys() {
    for (size_t b = 0; b < BandCount; ++b) {
      const auto [from, to] = kEdgeBands.edges[b];
      low[b] = from <= to ? key(from) : 1;
      high[b] = from <= to ? key(to) : 0;
    }
  }
};
const EdgeKeys kEdgeKeys;

}  // namespace

QString BandLabelOf(const QString& freq, bool extendedBandSet) {
  return label(bandOf(QStringView(freq), extendedBandSet)).trimmed();
}

const QString& PaddedBandOfAscii(const unsigned char* freq, int length, bool extendedBandSet) {
  return label(bandOf(AsciiView{freq, length}, extendedBandSet));
}

int BandIndexOf(QStringView freq) { return bandOf(freq, true); }

int BandIndexOfAscii(const unsigned char* freq, int length) { return bandOf(AsciiView{freq, length}, true); }

namespace {

// `withDigits`: the digits' number as well.
template <bool withDigits>
FreqField readFreqField(const unsigned char* freq, int length, bool slash) {
  FreqField field;
  field.band = Sat;
  if (slash) return field;
  // Up to eight ASCII characters, as nearly every logged frequency is, are looked at as one word: the
  // rule by the first three, and the number, in MHz or after "*" in GHz; any other text the long way.
  if (length >= 1 && length <= 8) {
    const uint64_t bytes = loadPadded(freq, length);
    if (length == 4 && bytes == 0x39393939) return field;  // "9999"
    const int star = (bytes & 0xFF) == '*';
    WordDigits d;
    if ((bytes & 0x808080) == 0 && wordDigits(bytes >> (8 * star), length - star, star, d)) {
      const Band rule =
          Band(kBandTables.byThird[kBandTables.byTwo[bytes & 0x7F][bytes >> 8 & 0x7F]][bytes >> 16 & 0x7F]);
      // Most QSOs lie in the band their first characters name.
      if (const unsigned __int128 key = d.Key(); key >= kEdgeKeys.low[rule] && key <= kEdgeKeys.high[rule]) {
        field.band = rule;
      } else {
        const Band band = byValue(d.Hz(), false, rule, true);
        field.band = band == kNoEdge ? rule : band;
      }
      field.plain = !star;
      if constexpr (withDigits) field.digits = d.Number();
      field.point = d.point;
      return field;
    }
  }
  field.band = bandOf(AsciiView{freq, length}, true);
  return field;
}

}  // namespace

FreqField ReadFreqField(const unsigned char* freq, int length, bool slash) {
  return readFreqField<true>(freq, length, slash);
}

int BandIndexOfAscii(const unsigned char* freq, int length, bool slash) {
  return readFreqField<false>(freq, length, slash).band;
}

const QString& PaddedBandLabel(int index, bool extendedBandSet) {
  if (index <= None || index >= BandCount || (!extendedBandSet && index >= G10)) return label(None);
  return label(Band(index));
}

bool SetBandOfFreq() {
  Qso.QsoBand = label(bandOf(QStringView(Qso.QsoFreq), Settings.ExtendedBandSet == 1));
  return Qso.QsoBand.at(0) != u' ';
}

QString FreqErrorLine(int32_t recNo, QStringView freq) {
  return QString::fromUtf8("交信番号=") + QString::number(recNo) + QString::fromUtf8(" の交信周波数=") +
         freq.toString() + QString::fromUtf8(" は無効です");
}

void FreqToBand() {
  if (!SetBandOfFreq()) AppendFreqErrorReport({FreqErrorLine(Qso.QsoRecNo, Qso.QsoFreq)});
}

namespace {
int batchDepth = 0;
QStringList batchedLines;
}  // namespace

FreqErrorReportBatch::FreqErrorReportBatch() { ++batchDepth; }

FreqErrorReportBatch::~FreqErrorReportBatch() {
  if (--batchDepth > 0) return;
  QStringList lines;
  lines.swap(batchedLines);
  AppendFreqErrorReport(lines);
}

void AppendFreqErrorReport(const QStringList& lines) {
  if (lines.isEmpty()) return;
  QsoRules.FreqErrorFound = 1;
  if (batchDepth > 0) {
    batchedLines += lines;
    return;
  }
  // Each QSO once: another reading of the same QSOs (an award view read again) adds none of them.
  const QString path = JoinPath(Settings.DataFolder, "FreqError_Report.txt");
  QSet<QString> held;
  if (QByteArray bytes; ReadWholeFile(path, bytes))
    for (const QString& line : FromAnsi(bytes).split(QStringLiteral("\r\n"))) held.insert(line);
  // Each line as Write # puts it ("line" CR LF), all turned into the code page in one go: a reading
  // may report thousands, and each conversion on its own costs more than the text.
  QString text;
  for (const QString& line : lines) {
    const QString written = u'"' + line + u'"';
    if (held.contains(written)) continue;
    held.insert(written);
    text += written + QStringLiteral("\r\n");
  }
  if (text.isEmpty()) return;
  // A report that cannot be written must not stop the reading; the flag is set all the same.
  VbFile f(path, VbMode::Append);
  if (!f.IsOpen()) return;
  text.chop(2);  // Print ends the last line
  f.Print({ToAnsi(text)});
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

DxCallKey DxKeyOfCall(const QString& call) {
  static const QStringList kWaysOfOperating = {"P", "M", "QRP", "B", "LH", "LGT"};
  QStringList parts = call.trimmed().toUpper().split('/', Qt::SkipEmptyParts);
  QStringList whole{parts.join('/')};
  for (QStringList less = parts; less.size() > 1 && kWaysOfOperating.contains(less.last());) {
    less.removeLast();
    whole << less.join('/');
  }
  const auto isDigit = [](const QString& p) { return p.size() == 1 && p.at(0).isDigit(); };
  // After an area digit the operator is in that area of his own country: a part after it names no
  // other country but is a designator, as /P is ("UA6IC/6/FF", "UA9KBF/4/N").
  for (qsizetype i = 1; i + 1 < parts.size(); ++i)
    if (isDigit(parts[i])) {
      for (qsizetype j = i + 1; j < parts.size(); ++j)
        if (parts[j] == "AM" || parts[j] == "MM") return {QString(), true, false, {}};
      parts.resize(i + 1);
    }
  QChar area;
  while (parts.size() > 1) {
    const QString& last = parts.last();
    if (last == "AM" || last == "MM") return {QString(), true, false, {}};
    if (kWaysOfOperating.contains(last)) {
      parts.removeLast();
    } else if (isDigit(last) && area.isNull()) {
      area = last.at(0);
      parts.removeLast();
    } else {
      break;
    }
  }
  if (parts.isEmpty()) return {};
  // The home call is the longest part (the later one of equal length); a part beside it is the
  // prefix operated under, the one in front first. A single letter is one only for the countries
  // that hold the whole letter: "DL1ABC/A" and "LU1ABC/D" stay at home.
  qsizetype home = 0;
  for (qsizetype i = 1; i < parts.size(); ++i)
    if (parts[i].size() >= parts[home].size()) home = i;
  const auto isPrefix = [](const QString& p) {
    return p.size() > 1 || QStringLiteral("FGIKMNRW").contains(p.at(0));
  };
  for (qsizetype i = 0; i < parts.size(); ++i)
    if (i != home && isPrefix(parts[i])) return {parts[i], false, true, whole};
  QString key = parts[home];
  if (!area.isNull())
    for (qsizetype i = key.size() - 1; i >= 0; --i)
      if (key.at(i).isDigit()) {
        key[i] = area;
        break;
      }
  if (key == parts[home] && !whole.contains(key)) whole << key;
  return {key, false, false, whole};
}

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
