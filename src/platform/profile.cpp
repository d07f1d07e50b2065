#include "platform/profile.h"

#include <QFileInfo>
#include <QList>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/vbfile.h"

// Works on the file's bytes: names are compared as Windows-31J bytes (ASCII letters without case,
// double-byte characters exactly), and only the value that is asked for is decoded.

namespace {

struct Line {
  qsizetype begin;  // content
  qsizetype end;    // line end (CR LF, LF or CR) starts here
  qsizetype next;   // the following line starts here
};

enum class Kind { Other, Section, Key };

struct Parsed {
  Kind kind = Kind::Other;
  QByteArrayView name;   // section or key name, trimmed
  QByteArrayView value;  // for a key, trimmed
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimmed(QByteArrayView v) {
  qsizetype b = 0, e = v.size();
  while (b < e && isBlank(v[b])) ++b;
  while (e > b && isBlank(v[e - 1])) --e;
  return v.sliced(b, e - b);
}

// The line starting at `at`: content up to CR LF, LF or a lone CR.
Line lineAt(QByteArrayView data, qsizetype at) {
  qsizetype i = at;
  const qsizetype n = data.size();
  while (i < n && data[i] != '\n' && data[i] != '\r') ++i;
  Line line{at, i, i};
  if (i < n && data[i] == '\r') ++line.next;
  if (line.next < n && data[line.next] == '\n') ++line.next;
  return line;
}

Parsed parse(QByteArrayView content) {
  const QByteArrayView t = trimmed(content);
  if (t.isEmpty() || t[0] == ';') return {};
  if (t[0] == '[') {
    const qsizetype close = t.lastIndexOf(']');
    if (close < 0) return {};
    return {Kind::Section, trimmed(t.sliced(1, close - 1)), {}};
  }
  const qsizetype eq = t.indexOf('=');
  if (eq < 0) return {};
  return {Kind::Key, trimmed(t.first(eq)), trimmed(t.sliced(eq + 1))};
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool sameName(QByteArrayView a, QByteArrayView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    if (IsAnsiLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (asciiLower(a[i]) != asciiLower(b[i])) {
      return false;
    }
  }
  return true;
}

QByteArray oneLine(const QString& text) {
  QByteArray b = ToAnsi(text);
  b.replace('\r', ' ').replace('\n', ' ');
  return b;
}

// Where a section lies in the file: its header line and the lines up to the next header.
struct SectionSpan {
  bool found = false;
  qsizetype headerBegin = 0;
  qsizetype bodyBegin = 0;       // first line after the header
  qsizetype end = 0;             // start of the next header, or the end of the file
  qsizetype lastFilledEnd = 0;   // end of the last non-blank line's content (the header's, if none)
  qsizetype lastFilledNext = 0;  // start of the line after it
  bool keyFound = false;
  Line key{};
  QByteArrayView keyName;
};

// Finds the first section of that name, and in it the first key of that name (when `key` is given).
SectionSpan locate(QByteArrayView data, QByteArrayView section, QByteArrayView key, bool wantKey) {
  SectionSpan s;
  for (qsizetype at = 0; at < data.size();) {
    const Line line = lineAt(data, at);
    const Parsed p = parse(data.sliced(line.begin, line.end - line.begin));
    if (p.kind == Kind::Section) {
      if (s.found) {
        s.end = line.begin;
        return s;
      }
      if (sameName(p.name, section)) {
        s.found = true;
        s.headerBegin = line.begin;
        s.bodyBegin = line.next;
        s.lastFilledEnd = line.end;
        s.lastFilledNext = line.next;
      }
    } else if (s.found) {
      if (!trimmed(data.sliced(line.begin, line.end - line.begin)).isEmpty()) {
        s.lastFilledEnd = line.end;
        s.lastFilledNext = line.next;
      }
      if (wantKey && !s.keyFound && p.kind == Kind::Key && sameName(p.name, key)) {
        s.keyFound = true;
        s.key = line;
        s.keyName = p.name;
      }
    }
    at = line.next;
  }
  s.end = data.size();
  return s;
}

}  // namespace

QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                const QString& path) {
  QByteArray data;
  if (!ReadWholeFile(path, data)) return defaultValue;
  const QByteArray sec = ToAnsi(section).trimmed();
  const QByteArray k = ToAnsi(key).trimmed();
  const SectionSpan s = locate(data, sec, k, true);
  if (!s.keyFound) return defaultValue;
  QByteArrayView value = parse(QByteArrayView(data).sliced(s.key.begin, s.key.end - s.key.begin)).value;
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.sliced(1, value.size() - 2);
  return FromAnsi(value);
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& path) {
  return WritePrivateProfileStrings(section, {{key, value}}, path);
}

bool WritePrivateProfileStrings(const QString& section, const QList<std::pair<QString, QString>>& values,
                                const QString& path) {
  QByteArray data;
  // A missing file is created; one that is there but cannot be read is never replaced by a new one.
  if (!ReadWholeFile(path, data) && QFileInfo::exists(RealPath(path))) return false;
  const QByteArray sec = oneLine(section).trimmed();
  QByteArray out = data;
  for (const auto& [key, value] : values) {
    const QByteArray k = oneLine(key).trimmed();
    const QByteArray v = oneLine(value);
    const SectionSpan s = locate(out, sec, k, true);
    if (s.keyFound) {
      const QByteArray line = s.keyName.toByteArray() + '=' + v;
      if (QByteArrayView(out).sliced(s.key.begin, s.key.end - s.key.begin) != line)
        out.replace(s.key.begin, s.key.end - s.key.begin, line);
    } else if (s.found) {
      // After the section's last non-blank line; that line gets a line end if it is the file's last.
      QByteArray insert = k + '=' + v + "\r\n";
      if (s.lastFilledNext == s.lastFilledEnd) insert.prepend("\r\n");
      out.insert(s.lastFilledNext, insert);
    } else {
      if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r')) out.append("\r\n");
      out.append('[' + sec + "]\r\n" + k + '=' + v + "\r\n");
    }
  }
  return out == data || AtomicWriteFile(path, out);
}

bool DeletePrivateProfileKey(const QString& section, const QString& key, const QString& path) {
  QByteArray data;
  if (!ReadWholeFile(path, data)) return true;
  const SectionSpan s = locate(data, ToAnsi(section).trimmed(), ToAnsi(key).trimmed(), true);
  if (!s.keyFound) return true;
  data.remove(s.key.begin, s.key.next - s.key.begin);
  return AtomicWriteFile(path, data);
}

bool DeletePrivateProfileSection(const QString& section, const QString& path) {
  QByteArray data;
  if (!ReadWholeFile(path, data)) return true;
  const SectionSpan s = locate(data, ToAnsi(section).trimmed(), {}, false);
  if (!s.found) return true;
  data.remove(s.headerBegin, s.end - s.headerBegin);
  return AtomicWriteFile(path, data);
}
