// generate: a synthetic log that looks like an operator's: QSOs in time order over five decades,
// Japanese stations (worked again and again, some portable) with codes of the master and about one QSO
// in eight with a DX entity of the master, bands and modes in the shares of a typical JA log
// (FT8 only from 2017), QSL marks that leave some QSOs worked and others confirmed, and a few
// frequencies that fit no band.
#include <QDate>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "hamlogdb.h"
#include "platform/codepage.h"
#include "platform/hamlog/master_file.h"
#include "platform/vbfile.h"
#include "record_image.h"
#include "tool_support.h"

namespace hamlogdb {

namespace {

using Rng = std::mt19937_64;

struct Code {
  QByteArray code;    // trimmed
  QByteArray name;    // trimmed, Windows-31J
  QByteArray prefix;  // DX: IDX + AREA trimmed
  int area = 0;       // Japanese: call area of the prefecture
};

struct Master {
  std::vector<Code> cities, guns, towns, dx;
};

// Call area of a prefecture number (the first two digits of a Japanese code).
int areaOfPrefecture(int p) {
  if (p == 1) return 8;
  if (p <= 7) return 7;
  if (p <= 9) return 0;
  if (p <= 17) return 1;
  if (p <= 21) return 2;
  if (p <= 27) return 3;
  if (p <= 30) return 9;
  if (p <= 35) return 4;
  if (p <= 39) return 5;
  return 6;
}

QByteArray trimmed(const QByteArray& b) { return b.trimmed(); }

bool readMaster(const QString& path, Master& m) {
  QByteArray bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  const auto head = hamlog::ParseMasterHeader(bytes, bytes.size());
  if (!head) return false;
  for (uint32_t k = 0; k < head->count; ++k) {
    const QByteArray r = bytes.mid(hamlog::kMasterFirstRecord + qsizetype(k) * hamlog::kMasterRecordLength,
                                   hamlog::kMasterRecordLength);
    Code c{trimmed(r.left(6)), trimmed(r.mid(6, 34)), trimmed(r.mid(41, 3)), 0};
    if (c.code.isEmpty() || c.name.contains('*')) continue;  // abolished places are not worked any more
    const char kind = r.at(hamlog::kMasterKindOffset);
    if (kind == '3') {
      if (c.code != "500A" && !c.prefix.isEmpty()) m.dx.push_back(c);
      continue;
    }
    c.area = areaOfPrefecture(c.code.left(2).toInt());
    if (kind == '4' || kind == '6')
      m.cities.push_back(c);
    else if (kind == '5')
      m.guns.push_back(c);
    else
      m.towns.push_back(c);
  }
  return !(m.cities.empty() && m.guns.empty() && m.towns.empty() && m.dx.empty());
}

struct Band {
  double weight;
  double low, high;  // MHz
  bool vhf;
  double ft8;  // FT8 frequency, 0 when none
};
// Shares of a typical JA log.
constexpr Band kBands[] = {
    {2.0, 1.810, 1.912, false, 1.840},    {6.0, 3.500, 3.687, false, 3.573},
    {22.0, 7.000, 7.200, false, 7.041},   {3.0, 10.100, 10.150, false, 10.136},
    {9.0, 14.000, 14.350, false, 14.074}, {3.0, 18.068, 18.168, false, 18.100},
    {8.0, 21.000, 21.450, false, 21.074}, {2.0, 24.890, 24.990, false, 24.915},
    {5.0, 28.000, 29.700, false, 28.074}, {10.0, 50.000, 54.000, true, 50.313},
    {12.0, 144.000, 146.000, true, 0},    {11.0, 430.000, 440.000, true, 0},
    {2.0, 1260.0, 1300.0, true, 0},       {0.5, 2400.0, 2450.0, true, 0},
    {0.2, 5760.0, 5770.0, true, 0},
};
// Texts that are not plain frequencies: satellites, the microwave and LF bands, and slips of the pen.
const char* const kSatellite[] = {"435/145", "145/435", "1260/435"};
const char* const kOddBands[] = {"*10.241", "*24.048", "*47.088", "*77.500", "0.1375", "0.4725"};
const char* const kNoBand[] = {"4.630", "27.185", "8.025", "0", "", "1440.00", "6.900"};

const char* const kJaPrefixes[] = {"JA", "JH", "JR", "JE", "JF", "JG", "JI", "JJ",
                                   "JK", "JL", "JM", "JN", "JO", "JP", "JQ", "JS"};
const char* const kHfModes[] = {"CW", "CW", "CW", "SSB", "SSB", "SSB", "RTTY", "AM"};
const char* const kVhfModes[] = {"FM", "FM", "FM", "FM", "SSB", "CW", "DV", "SSTV"};
const char* const kNames[] = {"太郎", "ヒロシ", "一郎", "サトシ", "健二", "マサル", "花子",
                              "Ken",  "Yoko",   "",     "",       "",     "",       ""};
const char* const kDxNames[] = {"John", "Bob", "Mike", "Hans", "Ivan", "Li", "Kim", "", ""};
const char* const kRemarks[] = {"",
                                "",
                                "",
                                "",
                                "",
                                "",
                                "ALL JA コンテスト",
                                "FT-991 50W",
                                "IC-7300 100W",
                                "QRP 5W",
                                "移動運用",
                                "Rig: TS-890S"};
const char* const kGrids[] = {"PM95", "PM85", "QM06", "PM74", "PM53", "PL36", "QN02", "PM96", "QM07", ""};

int pick(Rng& rng, int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); }
double unit(Rng& rng) { return std::uniform_real_distribution<double>(0, 1)(rng); }
template <class T, size_t N>
const T& pickOf(Rng& rng, const T (&a)[N]) {
  return a[pick(rng, int(N))];
}

QByteArray letters(Rng& rng, int n) {
  QByteArray s(n, 'A');
  for (char& c : s) c = char('A' + pick(rng, 26));
  return s;
}

struct Station {
  QByteArray call;  // home call
  const Code* code;
  bool dx;
};

class Generator {
 public:
  Generator(const Master& m, uint32_t seed, int64_t count) : m_(m), rng_(seed), count_(count) {
    for (const Band& b : kBands) bandTotal_ += b.weight;
    for (const char* n : kNames) names_.push_back(ToAnsi(QString::fromUtf8(n)));
    for (const char* r : kRemarks) remarks_.push_back(ToAnsi(QString::fromUtf8(r)));
  }

  void Fill(unsigned char* image, int64_t index) {
    hamlog::BlankRecord(image);
    const QDate day = dayOf(index);
    const Station& s = station();
    QByteArray call = s.call;
    const Code* code = s.code;
    if (!s.dx && !m_.cities.empty()) {
      const double u = unit(rng_);
      if (u < 0.05) {
        code = japaneseCode();  // portable in another area
        if (code->area != s.code->area) call += '/' + QByteArray::number(code->area);
      } else if (u < 0.06) {
        call += "/P";
      } else if (u < 0.065) {
        call += "/QRP";
      }
    }
    PutField(image, 0, call);
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", day.year() % 100, day.month(), day.day());
    PutField(image, 2, text);
    std::snprintf(text, sizeof text, "%02d:%02d%c", pick(rng_, 24), pick(rng_, 60),
                  s.dx && unit(rng_) < 0.7 ? 'U' : 'J');
    PutField(image, 3, text);

    const char* mode = "CW";
    QByteArray freq = frequency(day.year(), s.dx, mode);
    PutField(image, 6, freq);
    PutField(image, 7, mode);
    const bool digital = std::strncmp(mode, "FT", 2) == 0;
    const bool phone = !std::strcmp(mode, "SSB") || !std::strcmp(mode, "FM") || !std::strcmp(mode, "AM") ||
                       !std::strcmp(mode, "DV");
    for (int f : {4, 5}) {
      if (digital)
        std::snprintf(text, sizeof text, "%+03d", -pick(rng_, 25));
      else
        std::snprintf(text, sizeof text, phone ? "5%d" : "5%d9", 5 + pick(rng_, 5));
      PutField(image, f, text);
    }
    PutField(image, 8, code->code);
    PutField(
        image, 9,
        s.dx ? letters(rng_, 2) + QByteArray::number(pick(rng_, 90) + 10) : QByteArray(pickOf(rng_, kGrids)));
    PutField(image, 10, qsl(day, s.dx));
    PutField(image, 11, s.dx ? QByteArray(pickOf(rng_, kDxNames)) : names_[pick(rng_, int(names_.size()))]);
    PutField(image, 12, code->name);
    PutField(image, 13, remarks_[pick(rng_, int(remarks_.size()))]);
    PutField(image, 16, FlagCodeFor(code->code));
  }

 private:
  // Five decades, more QSOs in later years.
  QDate dayOf(int64_t index) const {
    static const QDate first(1975, 1, 1), last(2024, 12, 31);
    const double t = (double(index) + 0.5) / double(count_);
    return first.addDays(qint64(std::pow(t, 0.8) * double(first.daysTo(last))));
  }

  const Code* japaneseCode() {
    const double u = unit(rng_);
    const auto& list = u < 0.65 || (m_.guns.empty() && m_.towns.empty()) ? m_.cities
                       : u < 0.9 || m_.towns.empty() ? (m_.guns.empty() ? m_.towns : m_.guns)
                                                     : m_.towns;
    const auto& use = list.empty() ? (m_.cities.empty() ? m_.guns : m_.cities) : list;
    return &use[pick(rng_, int(use.size()))];
  }

  // Stations come back: most QSOs are with a station worked before.
  const Station& station() {
    if (!stations_.empty() && unit(rng_) < 0.6) return stations_[pick(rng_, int(stations_.size()))];
    const bool haveJa = !m_.cities.empty() || !m_.guns.empty() || !m_.towns.empty();
    Station s;
    s.dx = m_.dx.empty() ? false : !haveJa || unit(rng_) < 0.12;
    if (s.dx) {
      s.code = &m_.dx[pick(rng_, int(m_.dx.size()))];
      s.call = s.code->prefix;
      if (!s.call.isEmpty() && !std::isdigit(uchar(s.call.back()))) s.call += char('0' + pick(rng_, 10));
      s.call += letters(rng_, 2 + pick(rng_, 2));
    } else {
      s.code = japaneseCode();
      if (s.code->area == 1 && unit(rng_) < 0.15)
        s.call = QByteArray("7") + char('K' + pick(rng_, 4)) + char('1' + pick(rng_, 4));
      else
        s.call = QByteArray(pickOf(rng_, kJaPrefixes)) + char('0' + s.code->area);
      s.call += letters(rng_, unit(rng_) < 0.2 ? 2 : 3);
    }
    stations_.push_back(s);
    return stations_.back();
  }

  // DX stations are worked on HF and 50 MHz only.
  QByteArray frequency(int year, bool dx, const char*& mode) {
    const double u = unit(rng_);
    if (u < 0.004) {
      mode = "FM";
      return pickOf(rng_, kSatellite);
    }
    if (u < 0.006) {
      mode = "CW";
      return pickOf(rng_, kOddBands);
    }
    if (u < 0.009) {
      mode = "SSB";
      return pickOf(rng_, kNoBand);
    }
    const Band* band = &kBands[0];
    do {
      double w = unit(rng_) * bandTotal_;
      for (const Band& b : kBands) {
        band = &b;
        if ((w -= b.weight) < 0) break;
      }
    } while (dx && band->low > 100);
    char text[24];
    if (band->ft8 > 0 && year >= 2017 && unit(rng_) < 0.35) {
      mode = year >= 2020 && unit(rng_) < 0.15 ? "FT4" : "FT8";
      std::snprintf(text, sizeof text, "%.3f", band->ft8);
      return text;
    }
    mode = band->vhf ? pickOf(rng_, kVhfModes) : pickOf(rng_, kHfModes);
    const double mhz = band->low + unit(rng_) * (band->high - band->low);
    std::snprintf(text, sizeof text, band->low >= 1000 ? "%.1f" : "%.3f", mhz);
    return text;
  }

  // Via, sent and received: bureau cards come back over the years, eQSL at once.
  QByteArray qsl(const QDate& day, bool dx) {
    static const QDate today(2025, 1, 1);
    const double u = unit(rng_);
    const char via = u < 0.6 ? 'J' : u < 0.67 ? 'D' : u < 0.78 ? 'E' : u < 0.93 ? 'N' : u < 0.95 ? 'P' : ' ';
    QByteArray q(3, ' ');
    q[0] = via;
    if (via == 'N' || via == ' ') return q;
    q[1] = unit(rng_) < 0.9 ? '*' : ' ';
    const double back = day.daysTo(today) > 730 ? (dx ? 0.55 : 0.8) : 0.3;
    if (unit(rng_) < back) q[2] = via == 'E' ? 'E' : '*';
    return q;
  }

  const Master& m_;
  Rng rng_;
  int64_t count_;
  double bandTotal_ = 0;
  std::vector<Station> stations_;
  std::vector<QByteArray> names_, remarks_;
};

}  // namespace

Outcome Generate(const QString& dir, int64_t count, uint32_t seed, const Progress& progress) {
  if (count < 1) return {1, "the number of QSOs must be 1 or more"};
  Master master;
  if (!readMaster(MasterPath(dir), master))
    return {1, MasterPath(dir) + ": no codes to work (load a code list with: hamlogdb master DIR FILE)"};
  OpenedLog log;
  if (const Outcome o = log.Open(dir); !o.Ok()) return o;
  const int64_t first = log.Db().Table().Count() + 1;
  Generator gen(master, seed, count);
  const int32_t r = log.Db().AppendMany(
      size_t(count),
      [&](unsigned char* images, size_t from, size_t n) {
        for (size_t i = 0; i < n; ++i) gen.Fill(images + i * hamlog::kHdbRecordLength, int64_t(from + i));
      },
      [&](size_t done) {
        if (progress) progress(int64_t(done), count);
      });
  if (r != HAMLOG_OK) return {2, DatabasePath(dir) + ": " + ResultText(r)};
  if (const Outcome o = log.RefreshIndexes(); !o.Ok()) return o;
  return {0, QString("%1 QSOs generated as records %2 to %3").arg(count).arg(first).arg(first + count - 1)};
}

}  // namespace hamlogdb
