#include "tool_support.h"

#include "platform/hamlog/index_build.h"
#include "platform/vbfile.h"

namespace hamlogdb {

namespace {

// The number of fields Input # finds on one line: commas outside quoted fields, plus one; 0 for a
// blank line, which Input # passes over.
int fieldsOnLine(QByteArrayView line) {
  qsizetype i = 0;
  const qsizetype n = line.size();
  auto blank = [&](qsizetype k) { return line[k] == ' ' || line[k] == '\t'; };
  while (i < n && blank(i)) ++i;
  if (i == n) return 0;
  int fields = 1;
  for (;;) {
    while (i < n && blank(i)) ++i;
    if (i < n && line[i] == '"') {
      ++i;
      while (i < n && line[i] != '"') ++i;
    }
    while (i < n && line[i] != ',') ++i;
    if (i >= n) return fields;
    ++i;
    ++fields;
  }
}

}  // namespace

Outcome CheckLineShape(const QString& file, int fields, const char* recordName) {
  VbFile lines(file, VbMode::Input);
  if (!lines.IsOpen()) return {1, file + ": cannot read (" + lines.ErrorText() + ")"};
  QByteArray line;
  for (int64_t lineNo = 1, record = 0; lines.LineInputBytes(line); ++lineNo) {
    const int found = fieldsOnLine(line);
    if (found == 0) continue;
    ++record;
    if (found != fields)
      return {1, QString("%1: %2 %3 (line %4) has %5 fields, not %6")
                     .arg(file, recordName)
                     .arg(record)
                     .arg(lineNo)
                     .arg(found)
                     .arg(fields)};
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
    default:
      return QString("cannot be read or written (error %1)").arg(result);
  }
}

}  // namespace hamlogdb
