#pragma once
// The roadside-station award (道の駅): the operator's list 道の駅.mcsv converted once into
// michinoeki.txt beside HAMLOG.HDB, the shared station table, the pass over the log that ties QSOs to
// stations by the "□" + number the operator writes into the remarks, the band lists and the table CSV
// 道の駅_整理簿.TXT of the data folder, which the progress sheet reads back for its look-up.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <bitset>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/QsoColumns.h"  // HasBoxMark

inline constexpr char kMichinoekiFile[] = "michinoeki.txt";
inline constexpr char kRoadsideTableFile[] = "道の駅_整理簿.TXT";
inline constexpr int kRoadsideFirstBandColumn = 7;   // 1.9 MHz
inline constexpr int kRoadsideLastBandColumn = 21;   // 5.6 GHz
inline constexpr int kRoadsideSatColumn = 22;
inline constexpr int kRoadsideMarkedBands = kRoadsideLastBandColumn - kRoadsideFirstBandColumn + 1;

struct RoadsideStation {
  QString number, name, code, qth;
};

struct RoadsideStationsState {
  std::vector<RoadsideStation> RoadsideStations;  // entry i at index i - 1
  int32_t RoadsideStationCount = 0;
  QString MichinoekiPath;
};
extern RoadsideStationsState Roadside;

// The folder of HAMLOG.HDB and michinoeki.txt in it (names matched without case).
QString HamlogFolder();
QString MichinoekiTxtPath();

struct StationListRead {
  std::vector<RoadsideStation> stations;
  int32_t longLines = 0;   // lines with more than five items: the first five are read
  int32_t blankLines = 0;  // skipped
  QList<int32_t> unnumberedLines;  // line numbers of stations without a number, skipped
  bool ok = false;         // the file was read
  QString error;           // else the file and why, with what the operator can do
};
// Reads a station list file (five items a line); keepMark false takes "□" out of the numbers. A file
// that is no Windows-31J text is refused whole; a station without a number is left out (it would
// take every remark that holds "□").
StationListRead ReadStationList(const QString& path, bool keepMark);
// The operator's note on the stations a list read left out; "" when none.
QString StationListNotice(const StationListRead& list);

struct StationImport {
  bool ok = false;
  int32_t stations = 0;          // lines written
  int32_t blankLines = 0;        // skipped
  QList<int32_t> longLines;      // line numbers of lines with more than five items, not written
  QList<int32_t> unnumberedLines;  // line numbers of stations without a number, not written
  QString error;
};
// Converts the operator's list into michinoeki.txt in the HAMLOG folder, in one step: a conversion
// that fails leaves the earlier file as it was. A list that is no Windows-31J text, or that holds no
// usable station, is refused.
StationImport ImportMichinoekiCsv(const QString& source);
// The operator's note on lines the import left out; "" when none.
QString StationImportNotice(const StationImport& import);

// Fills Roadside from the file (numbers keep "□"); the count, 0 after the message naming the HAMLOG
// folder when there is no usable list.
int32_t LoadMichinoekiTxt(const QString& path);

// Finds the station a remark names: the first station of the list whose number occurs in the remark.
// Works on the remark's Windows-31J bytes; allocates nothing per remark.
class StationMatcher {
 public:
  explicit StationMatcher(const std::vector<RoadsideStation>& stations);
  // 0-based station index, -1 for none.
  int Match(const char* remark, int length) const;

 private:
  std::vector<QByteArray> numbers_;
  std::unordered_map<std::string_view, int> first_;  // number -> first station holding it
  std::vector<int> lengths_;                          // the lengths of the numbers, each once
  int emptyNumber_ = -1;                              // first station without a number
  // The first byte, and the first two bytes, of some number: most places of a remark begin none, and
  // need no look in the table.
  std::bitset<256> firstByte_;
  std::bitset<65536> firstTwo_;
  bool oneByteNumber_ = false;
};

// What the pass over the log found: per station and band column 7 .. 21 the mark ('C', 'W' or 0) and
// the record number of the QSO that set it.
struct RoadsideScan {
  int32_t stations = 0;
  std::vector<char> marks;
  std::vector<int32_t> CellRecordNo;
  int32_t ScanCfmCount = 0, ScanWkdCount = 0;
  int32_t UnlistedCount = 0;  // QSOs whose "□" names no station of the list (or no number at all)
  bool opened = false;    // HAMLOG could be opened
  bool complete = false;  // every record was read

  char Mark(int station, int column) const;
  int32_t Record(int station, int column) const;
};
// The sheet's band column of a band label ("430" -> 18); 0 for none.
int RoadsideColumnOfBand(const QString& band);
// Marks the cell of a QSO (record `recNo`, confirmed or not) on the station's band column; a "C" cell
// keeps its QSO.
void MarkBandCell(RoadsideScan& scan, int station, int column, int32_t recNo, bool confirmed);
// One pass over HAMLOG, to the log's current end, under the reading conditions (messages as the sheet
// shows them). With `copy` the pass is made on the column copy, brought to the log's end first; without
// one, or when the copy cannot be read, record by record.
RoadsideScan ScanHamlogForStations(const std::vector<RoadsideStation>& stations, QsoColumnCopy* copy = &QsoColumns);

// ---- Outputs

// Band key of the data-output item -> first and last column (0, 0 for a key naming none).
struct BandKeyColumns {
  int first = 0, last = 0;
};
BandKeyColumns RoadsideBandKeyColumns(const QString& key);

struct BandListRequest {
  QString path;
  QString format;  // "T" text, anything else CSV
  int firstColumn = 0, lastColumn = 0;
  std::vector<int> shownStations;  // 0-based, in row order
};
// Writes a line per confirmed cell of the shown stations, reading its QSO from HAMLOG. False after the
// message when HAMLOG could not be opened or the file not written.
bool WriteBandStationList(const BandListRequest& request, const std::vector<RoadsideStation>& stations,
                          const RoadsideScan& scan);

// The table CSV: the heading line and one line per station (20 items).
bool WriteRoadsideTable(const QString& path, const QStringList& headings, const std::vector<RoadsideStation>& stations,
                        const RoadsideScan& scan, QString& error);

// ---- The progress sheet's look-up

// The stations in the code: a 5-character text matches codes beginning with it, others equal codes.
// Each as its list text (number without "□", name, code) with its index.
struct StationOfCode {
  int index;
  QString text;
};
std::vector<StationOfCode> StationsInCode(const QString& code);

struct RoadsideBands {
  bool found = false;
  QString cfm, wkd;  // "7MHz,144MHz," ...
};
// The bands on which the table CSV of the data folder marks the station (first record whose number
// holds `key`); not found when the file or the station is missing.
RoadsideBands RoadsideBandsOf(const QString& key);
