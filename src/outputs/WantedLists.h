#pragma once
// The wanted lists written from the rows the sheet shows: the text list (the bands still wanted per
// code, or with "ALL Band" the codes with no QSO or no confirmation at all), the CSV list (every band
// mark of every code), and the listening list MachiList.txt of the spot programs (bands 1.9 to 430 MHz,
// Japanese codes only). Each file is written whole and replaces the old one only when complete.

#include <QString>
#include <cstdint>

#include "outputs/ListChoices.h"
#include "sheet/SheetSearch.h"

// False for rows no wanted list holds: a designated city's own row, Tokyo's "1001" row (their wards
// stand for them) and abolished codes ("*" in the QTH name).
bool RowEntersWantedList(const SearchRows& rows, int32_t row);

// "<call> ------  Wanted-LIST ...  ------".
QString WantedTextHeader(const QString& myCall, const ListChoices& choices);
// The text-list line of a row; "" when the row has nothing wanted (or its kind box is unticked).
QString WantedTextLine(const SearchRows& rows, int32_t row, const ListChoices& choices);

// "CODE,QTH,1.9MHz,...,ｻﾃﾗｲﾄ," from the grid headings.
QString WantedCsvHeader(const SearchRows& rows);
// The CSV line of a row; "" when its kind box is unticked.
QString WantedCsvLine(const SearchRows& rows, int32_t row, const ListChoices& choices);

enum class WantedFormat { Text, Csv };
// Writes the text or CSV wanted list. False with `error` when the file could not be written.
bool WriteWantedList(const QString& path, WantedFormat format, const QString& myCall, const SearchRows& rows,
                     const ListChoices& choices, QString& error);

// Writes MachiList.txt. Reads the kind boxes 0 .. 4, the band boxes 0 .. 11 and "Wkd"; Tokyo's wards
// also by the city rule from 2010-04-01 (SheetTally.TokyoWardRecords). False with `error` on failure.
bool WriteListeningList(const QString& path, const SearchRows& rows, const ListChoices& choices, QString& error);
