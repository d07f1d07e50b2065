#include "platform/ksort.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

#include "platform/vbfile.h"

namespace {

struct SortKey {
  qsizetype column;  // 0-based
  qsizetype length;
};

struct Command {
  std::vector<SortKey> keys;
  bool dropEmptyLines = false;
  QString path;
  QString error;
};

constexpr qsizetype kMaxKeyBytes = 4096;
constexpr qsizetype kMaxKeyTableBytes = qsizetype(1) << 30;

bool isOptionEnd(const QString& s, qsizetype i) {
  return i >= s.size() || s[i].isSpace() || s[i] == '\'' || s[i] == '"' || s[i] == '/';
}

// Reads "(col:len)" groups from `i`; false when there is none or one is malformed.
bool readKeys(const QString& s, qsizetype& i, std::vector<SortKey>& keys) {
  bool any = false;
  for (;;) {
    while (i < s.size() && s[i] == ' ') ++i;
    if (i >= s.size() || s[i] != '(') return any;
    const qsizetype close = s.indexOf(')', i);
    if (close < 0) return false;
    const QStringList pair = s.mid(i + 1, close - i - 1).split(':');
    bool okCol = false, okLen = false;
    const long long col = pair.size() == 2 ? pair[0].trimmed().toLongLong(&okCol) : 0;
    const long long len = pair.size() == 2 ? pair[1].trimmed().toLongLong(&okLen) : 0;
    if (!okCol || !okLen || col < 1 || len < 1 || col > kMaxKeyBytes * 256 || len > kMaxKeyBytes)
      return false;
    keys.push_back({qsizetype(col - 1), qsizetype(len)});
    any = true;
    i = close + 1;
  }
}

Command parseCommand(const QString& spec, bool withPath = true) {
  Command c;
  qsizetype i = 0;
  while (i < spec.size()) {
    if (spec[i].isSpace()) {
      ++i;
      continue;
    }
    const QChar opt = i + 1 < spec.size() ? spec[i + 1].toLower() : QChar();
    if (spec[i] == '/' && opt == 'k' && i + 2 < spec.size() && (spec[i + 2] == '(' || spec[i + 2] == ' ')) {
      i += 2;
      if (!readKeys(spec, i, c.keys)) {
        c.error = QStringLiteral("並べ替えのキーの指定が正しくありません");
        return c;
      }
    } else if (spec[i] == '/' && opt == 'e' && isOptionEnd(spec, i + 2)) {
      c.dropEmptyLines = true;
      i += 2;
    } else if (spec[i] == '\'' || spec[i] == '"') {
      // The file name is the last item: it runs to the last quote of its kind, so a folder such as
      // "/home/o'neil" keeps its own quote.
      const qsizetype close = spec.lastIndexOf(spec[i]);
      if (close <= i) {
        c.error = QStringLiteral("ファイル名の引用符が閉じていません");
        return c;
      }
      c.path = spec.mid(i + 1, close - i - 1);
      i = close + 1;
    } else {
      c.path = spec.mid(i).trimmed();  // an unquoted file name runs to the end
      break;
    }
  }
  if (c.keys.empty()) c.error = QStringLiteral("並べ替えのキーがありません");
  if (withPath && c.path.trimmed().isEmpty() && c.error.isEmpty()) c.error = QStringLiteral("ファイル名がありません");
  return c;
}

// The stable bytewise order of the lines under the keys; false when the key table would be too large.
bool sortOrder(const std::vector<SortKey>& sortKeys, const std::vector<QByteArrayView>& lines,
               std::vector<uint32_t>& order) {
  qsizetype keyBytes = 0;
  for (const SortKey& k : sortKeys) keyBytes += k.length;
  if (keyBytes > kMaxKeyBytes || lines.size() >= std::numeric_limits<uint32_t>::max() ||
      qsizetype(lines.size()) * keyBytes > kMaxKeyTableBytes)
    return false;
  // Each line's key bytes side by side, blank-padded, so that one memcmp orders two lines.
  std::vector<char> keys(lines.size() * keyBytes, ' ');
  for (size_t i = 0; i < lines.size(); ++i) {
    char* out = keys.data() + i * keyBytes;
    const qsizetype len = lines[i].size();
    for (const SortKey& k : sortKeys) {
      if (k.column < len) std::memcpy(out, lines[i].data() + k.column, std::min(k.length, len - k.column));
      out += k.length;
    }
  }
  order.resize(lines.size());
  std::iota(order.begin(), order.end(), 0u);
  const char* kb = keys.data();
  std::stable_sort(order.begin(), order.end(), [kb, keyBytes](uint32_t a, uint32_t b) {
    return std::memcmp(kb + a * keyBytes, kb + b * keyBytes, keyBytes) < 0;
  });
  return true;
}

}  // namespace

int ksort(const QString& spec, QString& reply) {
  const Command cmd = parseCommand(spec);
  if (!cmd.error.isEmpty()) {
    reply = QStringLiteral("ksort: ") + cmd.error;
    return KsortGaveUp;
  }
  QByteArray data;
  if (!ReadWholeFile(cmd.path, data)) {
    reply = QStringLiteral("ksort: ") + cmd.path + QStringLiteral(" を読めません");
    return KsortGaveUp;
  }

  // Lines end as Line Input ends them: at CR LF, a lone CR or a lone LF.
  std::vector<QByteArrayView> lines;
  const char* d = data.constData();
  const qsizetype n = data.size();
  for (qsizetype at = 0; at < n;) {
    qsizetype stop = at;
    while (stop < n && d[stop] != '\r' && d[stop] != '\n') ++stop;
    if (!(cmd.dropEmptyLines && stop == at)) lines.emplace_back(d + at, stop - at);
    at = stop + 1;
    if (stop < n && d[stop] == '\r' && at < n && d[at] == '\n') ++at;
  }
  std::vector<uint32_t> order;
  if (!sortOrder(cmd.keys, lines, order)) {
    reply = QStringLiteral("ksort: キーが長すぎて ") + cmd.path + QStringLiteral(" を並べ替えられません");
    return KsortGaveUp;
  }

  QByteArray sorted;
  sorted.reserve(n + qsizetype(lines.size()) * 2);
  for (uint32_t i : order) {
    sorted.append(lines[i]);
    sorted.append("\r\n", 2);
  }
  QString why;
  if (sorted != data && !AtomicWriteFile(cmd.path, sorted, &why)) {
    reply = QStringLiteral("ksort: ") + cmd.path + QStringLiteral(" に書き込めません (") + why + QStringLiteral(")");
    return KsortGaveUp;
  }
  reply = QStringLiteral("ksort: %1 lines sorted").arg(lines.size());
  return KsortDone;
}

bool KsortOrder(const QString& keySpec, const std::vector<QByteArrayView>& lines, std::vector<uint32_t>& order,
                QString& reply) {
  const Command cmd = parseCommand(keySpec, false);
  if (!cmd.error.isEmpty()) {
    reply = QStringLiteral("ksort: ") + cmd.error;
    return false;
  }
  if (!sortOrder(cmd.keys, lines, order)) {
    reply = QStringLiteral("ksort: キーが長すぎて並べ替えられません");
    return false;
  }
  return true;
}
