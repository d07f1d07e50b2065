#pragma once
// The ACC/JAG member check: the member list file, the search of each member's QSOs through HAMLOG's
// call-sign order, the mode-class marks per band, the points, and the two list files.
//
//   MemberListLoad list = ReadMemberList(path, AwardSheets.MemberTag);
//   ... one grid row per list.members entry ...
//   const QsoColumnCopy* copy = QsoColumns.ReadToLogEnd() == HAMLOG_OK ? &QsoColumns : nullptr;
//   MemberQsoFinder finder;  finder.Prepare(Hamlog.HdbRecordCount, copy);    // log open
//   MemberCheck check(grid, setup, memberFile, amaFile, copy);
//   for (int row = 1; row <= count; ++row) check.CheckMember(row, finder.Source());

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "awards/AwardSheets.h"
#include "platform/hamlog/hamlog.h"

class FlexGrid;
class QsoColumnCopy;
class VbFile;

// ---- The member list file

struct MemberRow {
  QString number;  // the member number as listed ("0012")
  QString call;    // upper case, as listed (6 characters at most)
};

struct MemberListLoad {
  enum Outcome { Loaded, NotAList, Unreadable, SingleLine };
  Outcome outcome = NotAList;
  QString tag;  // "ACC#", "JAG#", or the previous tag for an empty file
  std::vector<MemberRow> members;
  int32_t lineCount = 0;  // lines read: members + 2 (skipped lines do not count)
  // Member lines passed over, by their line numbers in the file: blank ones, ones holding characters
  // the code page could not decode, and ones that name no call sign (headings, rules).
  QList<int32_t> blankLines, unreadableLines, noCallLines;
  QString encoding;       // "UTF-16LE", "UTF-8", ... when the list was not saved in Windows-31J
  QString error;          // Unreadable: the file and why, with what the operator can do
};

// "ACC#" when the upper-cased header holds "ACC MEMBER", else "JAG#" for "JAG MEMBER", else "".
QString MemberTagOfHeader(const QString& header);
// Reads the list. Lines end at CR LF, CR or LF. Line 1 names the list, line 2 is ignored, each further line is a
// member: the call sign at characters 2 to 7, the member number after the list's tag (else characters
// 4 to 7). Lines shorter than 2 characters are skipped.
MemberListLoad ReadMemberList(const QString& path, const QString& previousTag);
// The operator's note on the member lines the list read passed over; "" when none.
QString MemberListSkipNotice(const MemberListLoad& load);

// ---- The search

// The base call of a logged call sign as the member check compares it: the longer part either side
// of the last "/", the left one when both are as long.
QString MemberBaseCall(const QString& call);
// "P", "C", "S", "R", "F" by the first list that contains the mode text, else "N".
QString ModeClassLetter(const ModeClassLists& lists, const QString& mode);
// The member sheet's grid column of a frequency text, 0 when it has none: the column of the band the
// progress sheet counts it on, in the set given.
int MemberBandColumn(const QString& freq, bool extendedBandSet);

// Record numbers to examine for one member's base call: the first is the call's first place in
// call-sign order (examined as the first hit even when it is another call's), then the later ones.
using MemberRecordSource = std::function<std::vector<int32_t>(const QString& callBase)>;

// Finds a member's QSOs without walking the rest of the call-sign order: the run of records whose
// call begins with the base call (the call and its "/" forms), then those logged as "<prefix>/<call>"
// that sort after that run, which one pass over the log's calls has set aside.
class MemberQsoFinder {
 public:
  MemberQsoFinder() = default;
  ~MemberQsoFinder();
  MemberQsoFinder(const MemberQsoFinder&) = delete;
  MemberQsoFinder& operator=(const MemberQsoFinder&) = delete;
  // One pass over the log's call signs; the log is open. With a copy of the log's columns that holds
  // every record, the calls are taken from it instead of the log.
  void Prepare(int32_t recordCount, const QsoColumnCopy* copy = nullptr);
  std::vector<int32_t> Records(const QString& callBase) const;
  MemberRecordSource Source() const {
    return [this](const QString& callBase) { return Records(callBase); };
  }

 private:
  struct Slashed {
    std::string_view key;  // the call as stored, for call-sign order
    int32_t rec;
  };
  // By base call; the views are into the copy's calls, or into `owned_` when the log was read.
  std::unordered_map<std::string_view, std::vector<Slashed>> prefixed_;
  std::deque<QByteArray> owned_;
  const QsoColumnCopy* copy_ = nullptr;
  // With the copy: the call-sign index file itself, whose runs need no look at the log per record.
  mutable IndexHandle index_{};
  bool indexOpen_ = false;
};

struct MemberCheckSetup {
  QString tag;          // "ACC#" or "JAG#"
  bool worked = false;  // every QSO counts, not only confirmed ones
  bool extendedBandSet = false;
  ModeClassLists modes;
};

// Fills the band cells and points of the member rows of the grid (row i: number in column 1, call in
// column 2) and writes the member list and AMA list lines.
class MemberCheck {
 public:
  // With `copy` (holding every record of the open log) the member's QSOs are looked at in memory.
  MemberCheck(FlexGrid& grid, const MemberCheckSetup& setup, VbFile& memberList, VbFile* amaList,
              const QsoColumnCopy* copy = nullptr);
  // False when an ACC member's number is no number: no points can be given, and the check stops.
  bool CheckMember(int row, const MemberRecordSource& source);
  // Writes the frequency report lines of the QSOs looked at (in their order), after the last member.
  void Finish();

  int32_t SheetTotal = 0;
  int32_t CfmMarkCount = 0;
  int32_t WkdMarkCount = 0;
  int32_t ListedCount = 0;
  int32_t Unreadable = 0;  // records that could not be read, passed over

  int PointColumn() const { return setup_.extendedBandSet ? 30 : 24; }
  int LastBandColumn() const { return setup_.extendedBandSet ? 28 : 22; }

 private:
  // A list line's items in the file's bytes.
  struct Line {
    QByteArray code, call, date, band, mode, number;
  };
  // What a frequency text gives the check (the same for every QSO on it).
  struct FreqFacts {
    QString freq;  // as logged, for the report
    QString band;  // its band label, padded to 4
    bool banded = false;
    int col = 0;
  };
  // The band cells of the member's row while its QSOs are looked at, written to the grid once after
  // them; `upper` / `lower`: which of the classes' letters each cell holds (bits in "CPSRF" order).
  static constexpr int kBandCells = 22;
  struct RowCells {
    QString text[kBandCells];
    uint8_t upper[kBandCells] = {}, lower[kBandCells] = {};
    bool changed[kBandCells] = {};
    bool held[kBandCells] = {};  // the grid has the cell's column
    void Set(int cell, const QString& value);
  };
  void examine(int32_t rec, bool firstHit, int row, const QString& callBase, bool& listed);
  // examine() on the copy's fields; false when the record must be read from the log.
  bool examineInCopy(int32_t rec, bool firstHit, int row, bool& listed);
  // Valid until the next call: a frequency the copy holds as digits fills `digitFacts_`.
  const FreqFacts& freqFacts(int32_t rec);
  // The marks and list lines of one QSO of the member, its fields taken; `line()` gives its list line.
  using LineMaker = std::function<Line()>;
  void settle(int row, bool firstHit, bool qualifies, const LineMaker& line, const QString& letter, int col,
              bool& listed);
  void FormatModeMarks(const QString& letter, int row, int col, bool qualifies, const LineMaker& line);
  void print(VbFile* file, const Line& line);
  // "(c)" of the class letter "C": the mark of a QSO worked and not confirmed.
  const QString& workedMark(const QString& letter);
  const QByteArray& bandBytes(const QString& band);

  RowCells cells_;
  QByteArray number_;  // the member's number (column 1) in the file's bytes
  std::vector<QByteArray> modeBytes_;    // by the copy's mode number
  QHash<QString, QByteArray> bandBytes_;

  FlexGrid& grid_;
  MemberCheckSetup setup_;
  VbFile& memberList_;
  VbFile* amaList_;
  QString fields_[11];
  const QsoColumnCopy* copy_ = nullptr;
  QByteArray callBase_;                  // the member's base call in the log's bytes
  QHash<QString, FreqFacts> oddFreqs_;   // frequencies the copy keeps as text
  FreqFacts digitFacts_;
  std::vector<QString> letters_;         // by the copy's mode number
  std::deque<std::pair<QString, QString>> workedMarks_;  // class letter, its worked mark
  bool received_[128] = {};                              // QSL marks that confirm
  int columnOfBand_[32] = {};                            // by band number (BandIndexOf)
  QStringList japanesePrefixes_;
  QStringList freqErrors_;               // frequency report lines, written by Finish()
};
