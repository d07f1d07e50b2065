#pragma once
// The code list in award order (by prefecture, cities and wards before guns and towns, then by code),
// built from HAMLOG's code master or from the operator's own QTH data file into MasterTable.

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <functional>

struct MasterListState {
  QString MasterFilePath;     // HAMLOG's code master: HamlogDbPath with "HDB" replaced by "MST"
  QString QthDataPath;        // the operator's own QTH data file
  int32_t MasterRecLen = 56;  // set by the readiness check from HAMLOG's version
  int32_t MasterHeaderLen = 347;
  int32_t MasterRowCap = 0;
  int32_t FirstDxRow = 0;          // MasterTable row of "500A  "; 0 until it is loaded
  int32_t WardCodeCount = 0;       // six-character codes ending in a digit
  int32_t AbolishedWardCount = 0;  // of those, the ones whose name holds "*"
  QString LoadProblemFile;         // the file that gave the last load no row
  QString LoadProblem;             // and what is wrong with it
  // Clears the start window's "start from the previous data" option when a sort gives up, so the next
  // start cannot rely on stale work files. The start window installs it.
  std::function<void()> ClearStartWithPreviousData;
};

extern MasterListState MasterList;

// One record of the code master as read from the file (56 bytes).
struct MasterRecord {
  QString Code;      // 6 characters as stored (blanks, NULs possible)
  QString Name;      // 34
  QString Kind;      // 1: "3" = DX entity
  QString Idx;       // 2
  QString Area;      // 1
  QByteArray Spare;  // the 11 bytes nobody here reads
  QString Last;      // 1
};
inline constexpr int kMasterRecordBytes = 56;
MasterRecord ParseMasterRecord(QByteArrayView bytes);

// Sort key of the work files: prefecture, group flag, rest of the code.
inline constexpr char kMasterSortKey[] = "/k(6:2)(2:1)(8:4) ";

int32_t LoadMasterList(int32_t recordLength);
int32_t LoadQTHMasterList(int32_t unused);
