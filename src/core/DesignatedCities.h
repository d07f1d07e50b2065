#pragma once
// The designated cities (cities divided into wards from a given day on), read at start-up and at each
// reading from "政令指定都市定義.txt" in the program folder. From its first day a city's QSOs count by
// ward and no longer for the city itself.
//
// File: one definition a line, "name,JCC code,yyyymmdd"; lines whose first non-blank character is
// "#" are comments. Every other line, a blank one included, is a data line and must hold exactly two
// commas.

#include <QString>
#include <cstdint>
#include <vector>

struct DesignatedCity {
  QString Name;           // text before the first comma, blanks kept
  QString Code;           // JCC code, blanks removed
  int32_t StartDate = 0;  // first day, yyyymmdd
};

struct DesignatedCityDefState {
  std::vector<DesignatedCity> DesignatedCities;  // in file order (the first is definition 1)
  int32_t DesignatedCityCount = 0;
  // Every code followed by ",", then "1001" (Tokyo's 23 wards, never a city of its own).
  QString DesignatedCityCodes;
  QString FileEncoding;  // "UTF-8", "UTF-16LE", ... after a load that answered -2
};

extern DesignatedCityDefState DesignatedCityDef;

inline constexpr char kDesignatedCityFile[] = "政令指定都市定義.txt";

// Loads the file. Returns the number of definitions; 0 when the file is missing or unreadable, holds
// no data line or a first day that is not a whole number; -1 when a data line does not hold exactly
// two commas, a four-digit JCC code and an eight-digit first day, with its number (comment lines not
// counted) in `badDefinitionLine`; -2 when the file was saved in another encoding than Windows-31J (its
// names would come out garbled), named in FileEncoding.
int32_t LoadDesignatedCityDef(int32_t& badDefinitionLine);

// True when `code` is in DesignatedCityCodes ("1001" always is).
bool IsDesignatedCityCode(const QString& code);

// True when a QSO with this four-digit city code on this day (yyyymmdd) does not count for the city:
// "1001" never counts, a designated city from its first day on.
bool CityCountsByWard(const QString& code, int32_t qsoDate);
