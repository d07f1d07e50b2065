#include "tool_support.h"

#include <QFileInfo>

#include "platform/codepage.h"
#include "platform/hamlog/index_build.h"
#include "platform/vbfile.h"

namespace hamlogdb {

namespace {

// The fields of one record: comma-separated, each bare (blanks around it dropped) or quoted (a doubled
// quote inside stands for one quote; only blanks may follow the closing quote). Empty for a blank line.
// A quote left open or text after a closing one makes the record unreadable: `why` says which field,
// and `open` is set for the quote left open (the record may go on in the next line).
QStringList splitFields(const QString& line, QString& why, bool& open) {
  open = false;
  QStringList fields;
  const qsizetype n = line.size();
  auto blank = [&](qsizetype k) { return line[k] == ' ' || line[k] == '\t'; };
  qsizetype i = 0;
  while (i < n && blank(i)) ++i;
  if (i == n) return fields;
  for (;;) {
    while (i < n && blank(i)) ++i;
    QString field;
    if (i < n && line[i] == '"') {
      bool closed = false;
      for (++i; i < n && !closed; ++i) {
        if (line[i] != '"') {
          field += line[i];
        } else if (i + 1 < n && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          closed = true;
        }
      }
      if (!closed) {
        open = true;
        why = QString("field %1 opens a quote that is not closed").arg(fields.size() + 1);
        return {};
      }
      while (i < n && blank(i)) ++i;
      if (i < n && line[i] != ',') {
        why = QString("field %1 has text after its closing quote (a quote inside is written \"\")")
                  .arg(fields.size() + 1);
        return {};
      }
    } else {
      const qsizetype start = i;
      while (i < n && line[i] != ',') ++i;
      field = line.mid(start, i - start);
      while (!field.isEmpty() && (field.back() == ' ' || field.back() == '\t')) field.chop(1);
    }
    fields << field;
    if (i >= n) return fields;
    ++i;
  }
}

// The text of the file in the encoding it was written in, by line, with each line's end as written
// (CR LF, CR, LF or none); the reason when it is none the tool reads.
QString decode(const QString& file, QByteArray bytes, QStringList& lines, QStringList& ends) {
  int markSize = 0;
  const QString mark = ByteOrderMark(bytes, &markSize);
  if (!mark.isEmpty() && mark != "UTF-8")
    return file + ": the file is " + mark + "; save it as Windows-31J (Shift_JIS) or UTF-8";
  bytes.remove(0, markSize);
  const bool utf8 = !mark.isEmpty() || LooksLikeUtf8(bytes);
  // Line ends: CR LF, a lone CR or a lone LF.
  qsizetype lineNo = 0;
  for (qsizetype i = 0; i < bytes.size();) {
    qsizetype e = i;
    while (e < bytes.size() && bytes[e] != '\r' && bytes[e] != '\n') ++e;
    const QByteArrayView line = QByteArrayView(bytes).sliced(i, e - i);
    ++lineNo;
    if (utf8) {
      const QString text = QString::fromUtf8(line);
      if (text.contains(QChar::ReplacementCharacter) && !line.contains("\xEF\xBF\xBD"))
        return QString("%1: line %2 holds bytes that are not UTF-8, as the rest of the file is")
            .arg(file)
            .arg(lineNo);
      lines << text;
    } else if (!IsValidAnsi(line)) {
      return QString("%1: line %2 holds bytes that are neither Windows-31J nor UTF-8").arg(file).arg(lineNo);
    } else {
      lines << FromAnsi(line);
    }
    const qsizetype end = e;
    if (e < bytes.size() && bytes[e] == '\r') ++e;
    if (e < bytes.size() && bytes[e] == '\n') ++e;
    ends << QString::fromLatin1(QByteArrayView(bytes).sliced(end, e - end));
    i = e;
  }
  return {};
}

// Far beyond any record of the tool's files: a quote left open stops being followed there.
constexpr qsizetype kLongestRecord = 65536;

}  // namespace

Outcome ReadRecords(const QString& file, int fields, const char* recordName, std::vector<Record>& records,
                    int longer) {
  records.clear();
  QByteArray bytes;
  if (!ReadWholeFile(file, bytes)) return {1, file + ": cannot read"};
  QStringList lines, ends;
  if (const QString why = decode(file, std::move(bytes), lines, ends); !why.isEmpty()) return {1, why};
  for (qsizetype k = 0; k < lines.size(); ++k) {
    // A quoted field holds its line breaks as they were written: the record goes on in the next line.
    const qsizetype first = k;
    QString text = lines[k], why;
    bool open = false;
    QStringList f = splitFields(text, why, open);
    while (open && k + 1 < lines.size() && text.size() < kLongestRecord) {
      text += ends[k] + lines[k + 1];
      ++k;
      why.clear();
      f = splitFields(text, why, open);
    }
    if (!why.isEmpty())
      return {1, QString("%1: %2 %3 (line %4) cannot be read: %5")
                     .arg(file, recordName)
                     .arg(records.size() + 1)
                     .arg(first + 1)
                     .arg(why)};
    if (f.isEmpty()) continue;
    if (f.size() != fields && (longer == 0 || f.size() != longer))
      return {1, QString("%1: %2 %3 (line %4) has %5 fields, not %6")
                     .arg(file, recordName)
                     .arg(records.size() + 1)
                     .arg(first + 1)
                     .arg(f.size())
                     .arg(longer == 0 ? QString::number(fields) : QString("%1 or %2").arg(fields).arg(longer))};
    records.push_back({std::move(f), int64_t(first + 1)});
  }
  return {};
}

OpenedLog::OpenedLog() : db_(hamlog::CurrentSession()) {}

OpenedLog::~OpenedLog() { db_.Close(); }

Outcome OpenedLog::Open(const QString& dir) {
  const int32_t r = db_.Open(DatabasePath(dir), false);
  if (r == HAMLOG_OK) return {};
  if (r == HAMLOG_BAD_COUNT) return {1, HamlogProblem() + "; nothing is written until it is repaired"};
  return {r == HAMLOG_MISSING || r == HAMLOG_FOREIGN ? 1 : 2, DatabasePath(dir) + ": " + ResultText(r)};
}

Outcome OpenedLog::RefreshIndexes() {
  for (const hamlog::IndexKind* kind : {&hamlog::kQsoByCode, &hamlog::kQsoByCall}) {
    const QString path = hamlog::CompanionPath(db_.Path(), kind->suffix);
    if (const int32_t r = hamlog::CurrentSession().EnsureIndexFile(path, *kind); r != HAMLOG_OK)
      return {2, path + ": " + ResultText(r)};
  }
  return {};
}

QString ResultText(int32_t result) {
  switch (result) {
    case HAMLOG_OK:
      return "done";
    case HAMLOG_MISSING:
      return "no such file (make the database with: hamlogdb create DIR)";
    case HAMLOG_FOREIGN:
      return "not a HAMLOG database of this library, or a damaged one";
    case HAMLOG_IN_USE:
      return "in use by a program that holds it alone";
    case HAMLOG_READ_ONLY:
      return "cannot be written";
    case HAMLOG_LOCKED:
      return LockedWords(lastLockHolder) + "; nothing was written, try again once it lets go";
    default:
      return QString("cannot be read or written (error %1)").arg(result);
  }
}

QString LockedWords(const hamlog::LockHolder& held) {
  const QString file = held.path.isEmpty() ? QString("HAMLOG.HDB") : QFileInfo(held.path).fileName();
  QString words = file + " is locked by another program";
  if (held.process > 0) words += " (process " + hamlog::ProcessLabel(held.process) + ')';
  return words;
}

}  // namespace hamlogdb
