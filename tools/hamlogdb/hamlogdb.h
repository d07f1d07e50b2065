#pragma once
// hamlogdb: creates and fills a HAMLOG folder of the stand-in library (HAMLOG.HDB, HAMLOG.MST, the
// index files and the program file Hamlogw.exe) for the demo, the tests and the benches.
//
//   hamlogdb create DIR                          empty database, empty code master, indexes, program file
//   hamlogdb master DIR FILE [PREFIXES]          code master from a code list (and the DX prefix list)
//   hamlogdb import DIR FILE                     appends the QSOs of a CSV file
//   hamlogdb generate DIR --qsos N [--seed S]    appends N synthetic QSOs
//   hamlogdb dump DIR [FROM [TO]]                lists records FROM..TO (UTF-8 on standard output)
//
// Input files are Windows-31J or UTF-8 text (with or without a byte-order mark; UTF-16 is refused), one
// record a line, fields comma-separated, quoted or bare; "" inside a quoted field is one quote, and a
// quote left open or followed by more than blanks refuses the file with the line's number:
// - code list: code, QTH name, kind, IDX, AREA per record (the layout of the own QTH data file), and
//   optionally the longitude in whole degrees (0 to 180) and its side ("E" or "W"), which the master
//   keeps for the station's local time (without them the longitude is 0);
// - DX prefix list: entity code, prefix (1 to 3 characters) per record: the prefixes under which the
//   kind index finds each entity (one prefix may lead to several entities);
// - QSO CSV: call, date ("YYYY/MM/DD" or "YY/MM/DD"), time ("hh:mm" + "J" or "U"), his RST, my RST,
//   frequency in MHz, mode, code, grid, QSL (via, sent mark, received mark), name, QTH, remarks 1,
//   remarks 2 per record; dates from 1930 to 2029 (the log keeps two-digit years).
// A bad file is refused whole, with the record and the field named, before anything is written.

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <cstdint>
#include <functional>

namespace hamlogdb {

struct Outcome {
  int exitCode = 0;  // 0 done, 1 bad input, 2 a file could not be written
  QString message;
  bool Ok() const { return exitCode == 0; }
};

// Long runs report now and then: records done and the total.
using Progress = std::function<void(int64_t done, int64_t total)>;

// File names inside DIR.
QString DatabasePath(const QString& dir);
QString MasterPath(const QString& dir);
QString ProgramPath(const QString& dir);

Outcome Create(const QString& dir);
// Without a prefix list an earlier one is removed: the master is replaced whole.
Outcome LoadMaster(const QString& dir, const QString& codeList, const QString& prefixList = {});
Outcome Import(const QString& dir, const QString& csv, const Progress& progress = {});
// A reproducible log: the same count and seed give the same records.
Outcome Generate(const QString& dir, int64_t count, uint32_t seed, const Progress& progress = {});
// One line per record: the number, then the fourteen CSV fields quoted as import reads them (a quote
// inside doubled), the date as "YYYY/MM/DD".
Outcome Dump(const QString& dir, int64_t from, int64_t to, QTextStream& out);

// The command line (arguments without the program name); returns the exit code.
int RunCommandLine(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace hamlogdb
