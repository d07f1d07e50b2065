#pragma once
// Reading date texts the way the language runtime does, for HAMLOG's "YY/MM/DD" and the other raw
// date forms met in the log and the settings ("YYYY/MM/DD", "YYYY-MM-DD", "YY-MM-DD").
//
// Two-digit years follow the runtime's window: 00..29 are 2000..2029, 30..99 are 1930..1999.

#include <QDate>
#include <QString>
#include <optional>

// The calendar date of the text, or nothing when it is no valid date. Blanks around it are ignored.
std::optional<QDate> VbDateValue(const QString& text);

// The year of a two-digit year by the runtime's window.
int VbCentury(int twoDigitYear);

// True for exactly eight digits "yyyymmdd" that name a day of the calendar.
bool IsEightDigitDate(const QString& text);
