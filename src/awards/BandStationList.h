#pragma once
// The league's per-band station-count lists: the distinct stations with a confirmed QSO on one band
// (or on each band of a group), under the reading conditions of the start window (the mode as the
// sheet's reading selects it: "DIGITAL" takes the digital modes), written into a text file of the data
// folder, sorted by call sign, counted.
//
//   const BandStationListDef* def = FindBandStationList("144");
//   if (HamlogOpenDb() != 0) ...;
//   BandStationScan scan = ScanBandStations(*def);     // ReadConditions must be set
//   HamlogCloseDb(0);
//   if (scan.AnyPassed) { SortBandStationList(*def); MsgBox(BandStationCountMessage(*def, scan.Count)); }

#include <QString>
#include <QStringList>
#include <cstdint>

struct BandStationListDef {
  const char* Key;           // band key of the menu entry: "10", "ALL", "VUALL", ...
  const char* FileName;      // in the data folder
  QStringList Bands;         // band labels counted, one row each
  int32_t Capacity;          // stations a row may hold
  int32_t EarliestDate;      // yyyymmdd: earlier QSOs never count
  const char* LimitMessage;  // told when the count goes past the capacity
};

// The list of a band key; null for a key without a list ("135K", "475K").
const BandStationListDef* FindBandStationList(const QString& bandKey);

// Full path of the list's file.
QString BandStationListPath(const BandStationListDef& def);

struct BandStationScan {
  int32_t Count = 0;       // stations counted (one more than the lines when the limit stopped the scan)
  int32_t Lines = 0;       // lines written
  bool AnyPassed = false;  // some QSO passed every condition
  bool LimitReached = false;
  bool FileWritten = false;  // false when the file could not be written
  int WriteError = 0;        // then the system's reason (FileErrorReason)
};

// Reads HAMLOG records 1 .. Hamlog.HdbRecordCount (the log open) and writes the list's file anew.
// A record that cannot be read or whose date is no date is passed over (the second after a message).
BandStationScan ScanBandStations(const BandStationListDef& def);

// Sorts the written file: by call sign, or by the running number for the list that begins its lines
// with one. False when the sort gave up.
bool SortBandStationList(const BandStationListDef& def);

// The count message for the operator; "" where none is shown.
QString BandStationCountMessage(const BandStationListDef& def, int32_t count);
