#pragma once
// A generated log as years of logging and other programs leave it, for the tests that compare a fast
// path with the record-by-record one: deleted records, portable calls with the prefix before and the
// suffix after the call, dates that are no date, frequencies of no band, Windows-31J and NUL bytes, and
// roadside box marks ("□" + a number) in either remark.

#include <QString>
#include <cstdint>

// Generates `records` QSOs into the HAMLOG folder `dir` and varies them; station numbers in the box
// marks are 13001 .. 13000 + `stations` (and some that no list holds).
void MakeVariedLog(const QString& dir, int64_t records, int stations = 40);
