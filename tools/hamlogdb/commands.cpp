// create, master and dump.
#include <QDate>
#include <QSet>

#include "hamlogdb.h"
#include "platform/codepage.h"
#include "platform/hamlog/hamlog_session.h"
#include "platform/hamlog/index_build.h"
#include "platform/hamlog/master_file.h"
#include "platform/hamlog/program_file.h"
#include "platform/paths.h"
#include "record_image.h"
#include "tool_support.h"

namespace hamlogdb {

QString DatabasePath(const QString& dir) { return JoinPath(dir, "HAMLOG.HDB"); }
QString MasterPath(const QString& dir) { return JoinPath(dir, "HAMLOG.MST"); }
QString ProgramPath(const QString& dir) { return JoinPath(dir, kProgramFileName); }

Outcome Create(const QString& dir) {
  if (IsFile(DatabasePath(dir))) return {1, dir + ": there is a HAMLOG database here already"};
  if (!MakeSureDirectoryPathExists(RealPath(dir) + "/")) return {2, dir + ": cannot make the folder"};
  if (!hamlog::HdbTable::CreateEmpty(DatabasePath(dir))) return {2, DatabasePath(dir) + ": cannot write"};
  if (!IsFile(MasterPath(dir)) && !hamlog::WriteMasterFile(MasterPath(dir), {}))
    return {2, MasterPath(dir) + ": cannot write"};
  if (!IsFile(ProgramPath(dir)) && !WriteProgramFile(ProgramPath(dir)))
    return {2, ProgramPath(dir) + ": cannot write"};
  OpenedLog log;
  if (const Outcome o = log.Open(dir); !o.Ok()) return o;
  return {0,
          "created " + DatabasePath(dir) + " (program version " + ReadProgramVersion(ProgramPath(dir)) + ")"};
}

namespace {

// The longitude fields of a code-list record: whole degrees 0 to 180 and "E" or "W".
QString readLongitude(const QString& degrees, const QString& side, int& longitude) {
  bool number = false;
  const int d = degrees.trimmed().toInt(&number);
  if (!number || d < 0 || d > 180)
    return QString("the longitude \"%1\" is not a whole number of degrees from 0 to 180").arg(degrees);
  const QString s = side.trimmed().toUpper();
  if (s != "E" && s != "W") return QString("the longitude side \"%1\" is neither E nor W").arg(side);
  longitude = s == "W" ? -d : d;
  return {};
}

// A code-list record: the five fields checked against the master record's widths.
QString checkCode(const hamlog::MasterEntry& e) {
  if (e.code.isEmpty()) return "the code is empty";
  const std::pair<const QString*, std::pair<const char*, int>> fields[] = {
      {&e.code, {"code", 6}}, {&e.name, {"QTH name", 34}}, {&e.kind, {"kind", 1}},
      {&e.idx, {"IDX", 2}},   {&e.area, {"AREA", 1}},
  };
  for (const auto& [text, spec] : fields)
    if (AnsiLen(*text) > spec.second)
      return QString("%1 \"%2\" is longer than %3 bytes").arg(spec.first, *text).arg(spec.second);
  return {};
}

// The DX prefix list, checked against the entities of the code list.
Outcome readPrefixes(const QString& file, const std::vector<hamlog::MasterEntry>& codes,
                     std::vector<hamlog::PrefixEntry>& out) {
  std::vector<Record> records;
  if (const Outcome read = ReadRecords(file, 2, "prefix", records); !read.Ok()) return read;
  QSet<QString> entities;
  for (const hamlog::MasterEntry& e : codes)
    if (e.kind == "3") entities.insert(e.code);
  for (const Record& r : records) {
    hamlog::PrefixEntry p;
    p.code = r.fields[0].trimmed();
    p.prefix = r.fields[1].trimmed();
    const int n = int(out.size()) + 1;
    if (!entities.contains(p.code))
      return {1,
              QString("%1: prefix %2: \"%3\" is no DX entity of the code list").arg(file).arg(n).arg(p.code)};
    if (p.prefix.isEmpty() || AnsiLen(p.prefix) > 3)
      return {1, QString("%1: prefix %2: \"%3\" is not 1 to 3 characters").arg(file).arg(n).arg(p.prefix)};
    out.push_back(p);
  }
  return {};
}

}  // namespace

Outcome LoadMaster(const QString& dir, const QString& codeList, const QString& prefixList) {
  std::vector<Record> records;
  if (const Outcome read = ReadRecords(codeList, 5, "code", records, 7); !read.Ok()) return read;
  std::vector<hamlog::MasterEntry> entries;
  for (const Record& r : records) {
    hamlog::MasterEntry e;
    e.code = r.fields[0].trimmed();
    e.name = r.fields[1];
    e.kind = r.fields[2];
    e.idx = r.fields[3];
    e.area = r.fields[4];
    const int n = int(entries.size()) + 1;
    QString why = checkCode(e);
    if (why.isEmpty() && r.fields.size() == 7) why = readLongitude(r.fields[5], r.fields[6], e.longitude);
    if (!why.isEmpty()) return {1, QString("%1: code %2: %3").arg(codeList).arg(n).arg(why)};
    entries.push_back(e);
  }
  if (entries.empty()) return {1, codeList + ": no codes"};
  std::vector<hamlog::PrefixEntry> prefixes;
  if (!prefixList.isEmpty())
    if (const Outcome o = readPrefixes(prefixList, entries, prefixes); !o.Ok()) return o;
  if (!MakeSureDirectoryPathExists(RealPath(dir) + "/")) return {2, dir + ": cannot make the folder"};
  {
    // Under the database's write lock, so that nobody rebuilds the master's indexes half way.
    const hamlog::WriteGuard guard(hamlog::CurrentSession().LockFor(DatabasePath(dir)), hamlogLib.lockWait);
    if (!guard.Held()) return {2, DatabasePath(dir) + ": " + ResultText(guard.Stopped() ? HAMLOG_LOCKED : HAMLOG_IO_ERROR)};
    const QString prefixPath = hamlog::CompanionPath(MasterPath(dir), "PFX");
    if (!hamlog::WritePrefixFile(prefixPath, prefixes)) return {2, prefixPath + ": cannot write"};
    if (!hamlog::WriteMasterFile(MasterPath(dir), entries)) return {2, MasterPath(dir) + ": cannot write"};
  }
  for (const hamlog::IndexKind* kind : {&hamlog::kMasterByCode, &hamlog::kMasterByKind})
    if (hamlog::CurrentSession().EnsureIndexFile(hamlog::CompanionPath(DatabasePath(dir), kind->suffix),
                                                 *kind) != HAMLOG_OK)
      return {2, QString("%1: cannot write the index %2").arg(dir, kind->suffix)};
  QString done = QString("%1 codes written to %2").arg(entries.size()).arg(MasterPath(dir));
  if (!prefixes.empty()) done += QString(", with %1 DX prefixes").arg(prefixes.size());
  return {0, done};
}

namespace {

// The stored "YY/MM/DD" as "YYYY/MM/DD": years 00 to 29 are 2000 to 2029, the others 19xx.
QString fullDate(const QString& yymmdd) {
  if (yymmdd.size() != 8 || yymmdd[2] != '/') return yymmdd;
  const int yy = yymmdd.left(2).toInt();
  return QString::number(yy < 30 ? 2000 + yy : 1900 + yy) + yymmdd.mid(2);
}

// As import reads it back: a quote inside is doubled.
QString quoted(QString text) { return '"' + text.replace('"', "\"\"") + '"'; }

}  // namespace

Outcome Dump(const QString& dir, int64_t from, int64_t to, QTextStream& out) {
  OpenedLog log;
  if (const Outcome o = log.Open(dir); !o.Ok()) return o;
  hamlog::HdbTable& table = log.Db().Table();
  const int64_t count = table.Count();
  if (to <= 0 || to > count) to = count;
  if (from < 1) from = 1;
  if (from > count && count > 0) return {1, QString("%1: there are only %2 records").arg(dir).arg(count)};
  static const int kColumns[] = {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
  unsigned char rec[hamlog::kHdbRecordLength];
  for (int64_t r = from; r <= to; ++r) {
    if (!table.ReadRecord(r, rec)) return {2, QString("%1: record %2 could not be read").arg(dir).arg(r)};
    QStringList line{QString::number(r)};
    for (int f : kColumns) {
      QString text = FieldText(rec, f, f == 10);  // the QSL marks keep their places
      if (f == 2) text = fullDate(text);
      line << quoted(text);
    }
    if (rec[0] == '*') line << quoted("deleted");
    out << line.join(',') << '\n';
  }
  out.flush();
  return {};
}

}  // namespace hamlogdb
