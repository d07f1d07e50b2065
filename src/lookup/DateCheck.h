#pragma once
// The compact date forms of the entry window's date field: "YYMMDD" and "YYYYMMDD".

#include <QString>

// True when the text is a real calendar date in one of the two forms (digits only, read as year,
// month, day; a two-digit year by the runtime's century window).
bool CheckDateText(const QString& text);
