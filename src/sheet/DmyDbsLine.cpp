#include "sheet/DmyDbsLine.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/paths.h"

QString DmyDbsPath() { return JoinPath(ProgramFolder(), kDmyDbsFileName); }

char DmyDbsKindFlag(qsizetype length, char16_t last) {
  if (length == 5) return '1';
  if (length == 6) return last < 58 ? '0' : '1';
  return '0';
}

char DmyDbsKindFlag(const QString& code) {
  return DmyDbsKindFlag(code.size(), code.isEmpty() ? u'\0' : code.back().unicode());
}

namespace {

// Exactly `width` bytes of single-byte text at `out`: wider characters become "?", control characters
// blanks, the rest blank-padded.
char* putField(char* out, QStringView text, int width) {
  int n = 0;
  for (qsizetype i = 0; i < text.size() && n < width; ++i, ++n) {
    const char16_t u = text[i].unicode();
    char c;
    if (u < 0x80) {
      c = static_cast<char>(u);  // the common case, without a trip through the code page
    } else {
      const QByteArray b = ToAnsi(text.mid(i, 1).toString());
      c = b.size() == 1 ? b[0] : '?';
    }
    *out++ = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  for (; n < width; ++n) *out++ = ' ';
  return out;
}

// Exactly `width` bytes of ASCII text: control characters become blanks, the rest blank-padded.
char* putBytes(char* out, QByteArrayView text, int width) {
  int n = 0;
  for (; n < text.size() && n < width; ++n) {
    const char c = text[n];
    *out++ = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  for (; n < width; ++n) *out++ = ' ';
  return out;
}

void putRecordNumber(char* p, int32_t recordNumber) {
  uint32_t v = recordNumber < 0 ? 0u : static_cast<uint32_t>(recordNumber);
  for (int i = 9; i >= 0; --i, v /= 10) p[i] = static_cast<char>('0' + v % 10);
}

}  // namespace

void AppendDmyDbsLine(QByteArray& out, const QString& code, const QString& band, const QString& received,
                      const QString& via, int32_t recordNumber, QStringView yyyymmdd) {
  char line[kDmyDbsRecordBytes];
  char* p = line;
  *p++ = DmyDbsKindFlag(code);
  p = putField(p, code, 6);
  p = putField(p, band, 4);
  p = putField(p, received, 1);
  p = putField(p, via, 1);
  putRecordNumber(p, recordNumber);
  p = putField(p + 10, yyyymmdd, 8);
  *p++ = '\r';
  *p = '\n';
  out.append(line, kDmyDbsRecordBytes);
}

void WriteDmyDbsLine(char* line, const DmyDbsAsciiFields& f) {
  char* p = line;
  *p++ = f.kindFlag;
  p = putBytes(p, f.code, 6);
  p = putBytes(p, f.band, 4);
  p = putBytes(p, QByteArrayView(&f.received, 1), 1);
  p = putBytes(p, QByteArrayView(&f.via, 1), 1);
  putRecordNumber(p, f.recordNumber);
  p = putBytes(p + 10, f.yyyymmdd, 8);
  *p++ = '\r';
  *p = '\n';
}

bool IsPlainDmyDbs(QByteArrayView data) {
  if (data.size() % kDmyDbsRecordBytes != 0) return false;
  for (qsizetype at = 0; at < data.size(); at += kDmyDbsRecordBytes) {
    const char* r = data.data() + at;
    if (r[31] != '\r' || r[32] != '\n' || std::memchr(r, '\r', 31)) return false;
  }
  return true;
}

namespace {

// Big-endian word of the bytes of a line at the given places.
uint64_t word(const unsigned char* p, std::initializer_list<int> at) {
  uint64_t w = 0;
  for (int i : at) w = (w << 8) | p[i];
  return w;
}

// Lines already in record-number order (a fresh reading) need only a stable grouping by the rest of
// the key, prefecture, kind flag, code and band: each distinct group gets a number, the few groups are
// sorted, and the lines are counted out into their places. False (nothing done) for lines that are
// not in record-number order.
bool sortByGroups(QByteArrayView data, QByteArray& out) {
  const size_t n = static_cast<size_t>(data.size() / kDmyDbsRecordBytes);
  const auto* d = reinterpret_cast<const unsigned char*>(data.data());
  struct Group {
    uint64_t a;
    uint32_t b;
  };
  std::vector<Group> groups;
  std::vector<uint32_t> groupOf(n);
  // Open addressing on the 11 key bytes; a slot holds its group's number + 1.
  std::vector<uint32_t> table(1024, 0);
  auto slotOf = [&](uint64_t a, uint32_t b) {
    return size_t(((a * 0x9E3779B97F4A7C15ull) ^ (uint64_t(b) * 0xC2B2AE3D27D4EB4Full)) >> 20) &
           (table.size() - 1);
  };
  std::pair<uint64_t, uint64_t> previous{0, 0};
  for (size_t i = 0; i < n; ++i) {
    const unsigned char* p = d + i * kDmyDbsRecordBytes;
    const std::pair<uint64_t, uint64_t> record{word(p, {13, 14, 15, 16, 17, 18, 19, 20}), word(p, {21, 22})};
    if (record < previous) return false;
    previous = record;
    const uint64_t a = word(p, {1, 2, 0, 3, 4, 5, 6, 7});
    const uint32_t b = uint32_t(word(p, {8, 9, 10}));
    size_t s = slotOf(a, b);
    while (table[s] != 0 && (groups[table[s] - 1].a != a || groups[table[s] - 1].b != b))
      s = (s + 1) & (table.size() - 1);
    if (table[s] == 0) {
      groups.push_back({a, b});
      table[s] = uint32_t(groups.size());
      if (groups.size() * 2 > table.size()) {
        std::vector<uint32_t> wider(table.size() * 4, 0);
        table.swap(wider);
        for (uint32_t g = 0; g < groups.size(); ++g) {
          size_t t = slotOf(groups[g].a, groups[g].b);
          while (table[t] != 0) t = (t + 1) & (table.size() - 1);
          table[t] = g + 1;
        }
      }
      groupOf[i] = uint32_t(groups.size() - 1);
    } else {
      groupOf[i] = table[s] - 1;
    }
  }
  std::vector<uint32_t> order(groups.size());
  for (uint32_t g = 0; g < order.size(); ++g) order[g] = g;
  std::sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) {
    return groups[x].a != groups[y].a ? groups[x].a < groups[y].a : groups[x].b < groups[y].b;
  });
  // Where each group's lines begin in the output.
  std::vector<size_t> start(groups.size(), 0);
  for (uint32_t g : groupOf) ++start[g];
  size_t at = 0;
  for (uint32_t g : order) {
    const size_t count = start[g];
    start[g] = at;
    at += count;
  }
  out = QByteArray(data.size(), Qt::Uninitialized);
  char* o = out.data();
  for (size_t i = 0; i < n; ++i)
    std::memcpy(o + start[groupOf[i]]++ * kDmyDbsRecordBytes, data.data() + i * kDmyDbsRecordBytes,
                kDmyDbsRecordBytes);
  return true;
}

}  // namespace

QByteArray SortDmyDbsBytes(QByteArrayView data) {
  QByteArray out;
  if (sortByGroups(data, out)) return out;
  const size_t n = static_cast<size_t>(data.size() / kDmyDbsRecordBytes);
  // The 21 key bytes (2:2)(1:1)(4:4)(8:4)(14:10) as three big-endian words, then the line number
  // for stability.
  struct Entry {
    uint64_t a, b, c;
    uint32_t line;
  };
  std::vector<Entry> keys(n);
  const auto* d = reinterpret_cast<const unsigned char*>(data.data());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char* p = d + i * kDmyDbsRecordBytes;
    keys[i] = {word(p, {1, 2, 0, 3, 4, 5, 6, 7}), word(p, {8, 9, 10, 13, 14, 15, 16, 17}),
               word(p, {18, 19, 20, 21, 22}), static_cast<uint32_t>(i)};
  }
  std::sort(keys.begin(), keys.end(), [](const Entry& x, const Entry& y) {
    if (x.a != y.a) return x.a < y.a;
    if (x.b != y.b) return x.b < y.b;
    if (x.c != y.c) return x.c < y.c;
    return x.line < y.line;
  });
  out = QByteArray(data.size(), Qt::Uninitialized);
  char* o = out.data();
  for (const Entry& e : keys) {
    std::memcpy(o, data.data() + size_t(e.line) * kDmyDbsRecordBytes, kDmyDbsRecordBytes);
    o += kDmyDbsRecordBytes;
  }
  return out;
}
