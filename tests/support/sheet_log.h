#pragma once
// A HAMLOG folder with a small code master and a hand-written log, and the shared state the start
// window leaves behind when its start button opens the sheet.

#include <QString>
#include <QStringList>

#include "sheet/SheetProgress.h"
#include "support/temp_home.h"

class SheetLog {
 public:
  // The master, in its sorted order (MasterTable rows 1 ..):
  //   1 0901 旧市*05/01  2 1001  3 100101  4 100105  5 1002  6 10001 (gun)  7 10001A (town)  8 10001B
  //   (village)  9 1101 (designated from 1956-09-01)  10 110101  11 500A  12 501A
  SheetLog();
  // A work file still on its way to disk gets there while the folder exists.
  ~SheetLog();

  // Appends QSOs: call, date, frequency, mode, code, QSL (via, sent, received) each, then remarks 1
  // and 2 and a grid locator when given.
  void Add(const QStringList& qsos);
  // Appends a QSO whose stored date is `rawDate` (no date at all), through the library itself.
  void AddRaw(const QString& rawDate);
  // Shared state as after the start button: HAMLOG counted, master sized, conditions set ("P"
  // excluded, marks "*" and "E"), designated cities, display flags.
  void Prepare();
  // The master load of the sheet and BuildDmyDbs, without the window.
  void Load(SheetProgress& progress = SilentSheetProgress());

  QString Hdb() const;
  QString WorkFile() const { return home.file("DMYDBS.DAT"); }

  TempHome home;
  QString dir;
};

// What the start button leaves for the sheet of the log and master that Hamlog and MasterList name: the
// log counted, the master sized, the band set laid out.
void PrepareSheetState();

// Rows of MasterTable in the test master.
enum SheetLogRow {
  kRow0901 = 1,
  kRow1001,
  kRow100101,
  kRow100105,
  kRow1002,
  kRowGun,
  kRowTown,
  kRowVillage,
  kRow1101,
  kRow110101,
  kRow500A,
  kRow501A
};
// Band columns.
enum SheetLogColumn { kCol7 = 7, kCol14 = 9, kCol21 = 11, kColSat = 20 };
