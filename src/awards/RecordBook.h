#pragma once
// The new-city record book ORBEX_整理簿.txt of the program folder: municipal mergers, one line of six
// quoted fields (date yyyymmdd, code, QTH, "消滅" mark, remark, status letter). The load normalises the
// codes, sorts the lines through the work file DMYSBMST.dat by prefecture, kind and code, and cuts each
// value to the width the book keeps; the filters decide which rows the record book window shows; the
// write-back replaces the file in one step and keeps the previous one beside it as .bak.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

inline constexpr char kRecordBookWorkFile[] = "DMYSBMST.dat";

// Widths the book keeps, in characters: a longer value is more than the book can hold.
inline constexpr int kBookCodeWidth = 6;
inline constexpr int kBookQthWidth = 34;
inline constexpr int kBookDateWidth = 20;
inline constexpr int kBookMarkWidth = 2;
inline constexpr int kBookRemarkWidth = 34;
inline constexpr int kBookStatusWidth = 2;

// One row of the book as the window lists it: trimmed values, each within its width.
struct RecordBookRow {
  QString code, qth, date, mark, remark, status, area;
};

struct RecordBookLoad {
  std::vector<RecordBookRow> rows;  // in sorted order
  // The same rows as WriteRecordBook takes them (date, code, QTH, mark, remark, status): what writing
  // the list back unchanged would write.
  std::vector<std::array<QString, 6>> lines;
  // The whole file was read and sorted and nothing in it had to be cut or left out: only then may the
  // list be written back over it.
  bool complete = false;
  int32_t blankLines = 0;     // skipped
  int32_t shortLines = 0;     // fewer than six fields: the missing ones are empty
  int32_t cutFields = 0;      // values longer than their width, shown cut: the book is not written back
  int32_t longLines = 0;      // more than six fields: the book is not written back
  int32_t unreadable = 0;     // bytes that are no Windows-31J text: the book is not written back
  QString encoding;           // "UTF-8", "UTF-16LE", ... when the book was saved so: not written back
  QString error;              // why the load stopped, in the operator's words ("" when it did not)
  std::optional<QByteArray> stamp;  // RecordBookStamp of the book as it was read
};

// Who is linked to the progress sheet: the record book window and its row editor.
struct RecordBookState {
  int32_t RecordBookLinked = 0;  // 1 while the record book window is open
  int32_t RecordEditorOpen = 0;  // 1 while its row editor is open
};
extern RecordBookState RecordBook;

// "*" -> "9"; a six-character code ending in 9 ends in "Z"; the three wards that really end in 9 kept.
QString NormalizeBookCode(QString code);
// "0" for a city or ward code, "1" for a gun, town or village (and for any other length).
QString BookKindFlag(const QString& code);
// The call area of the code's prefecture ("01" -> "8", ...); "" for a prefecture outside 01-47.
QString BookAreaDigit(const QString& code);

// What the book holds now, to tell whether another program changed it since it was read: its bytes
// (compared whole, no digest to pay for on every open); none when there is no book.
std::optional<QByteArray> RecordBookStamp(const QString& bookPath);

// How the load decodes the book: in pieces read side by side, each as one text when it is all
// Windows-31J (else line by line), or all of it line by line in one pass (the plain way, which a book
// with foreign bytes takes; both give the same load).
enum class BookReading { Whole, PerLine };

// Reads the book at `bookPath` through the work file `workPath`; a missing book reads as an empty one.
RecordBookLoad LoadRecordBook(const QString& bookPath, const QString& workPath,
                              BookReading reading = BookReading::Whole);

// The operator's note on what the load skipped, completed or cut; "" when nothing.
QString RecordBookLoadNotice(const RecordBookLoad& load);

// Writes the lines (date, code, QTH, mark, remark, status) as the book, in one step, every field quoted
// (a quote in a value doubled); an existing book is copied to .bak first. False (reason in `error`, in
// the operator's words) leaves the book as it was.
bool WriteRecordBook(const QString& bookPath, const std::vector<std::array<QString, 6>>& lines, QString& error);

// ---- Filters

enum BookFilterMode : int32_t {
  kBookAreaOrAll = 0,
  kBookStatus = 1,
  kBookNewCities = 2,
  kBookDisappearing = 3,
  kBookDate = 5,
};

struct BookSelection {
  QString area;          // "0" .. "9" or ""
  QString text;          // prefecture name, status letter, "消" or ""
  QStringList prefixes;  // QTH prefixes of a prefecture command
  int32_t mode = kBookAreaOrAll;
  bool noTownsOrVillages = false;
};

// The day window of a date text "yyyymmdd-" / "yyyymmdd+": that day and the one before or after.
// Both empty for any other text (or a date that does not exist).
struct BookDayWindow {
  QString day, neighbour;
};
BookDayWindow BookDayWindowOf(const QString& dateText);

// The texts of a row the filters look at, as views (of a loaded row, or of the window's list).
struct BookRowTexts {
  QStringView code, qth, date, mark, status, area;
  BookRowTexts(QStringView code, QStringView qth, QStringView date, QStringView mark, QStringView status,
               QStringView area)
      : code(code), qth(qth), date(date), mark(mark), status(status), area(area) {}
  BookRowTexts(const RecordBookRow& r) : BookRowTexts(r.code, r.qth, r.date, r.mark, r.status, r.area) {}
};

// Whether the row is shown under the selection (dateText: the month or day asked for).
bool BookRowShown(const BookRowTexts& row, const BookSelection& s, const QString& dateText,
                  const BookDayWindow& day);
