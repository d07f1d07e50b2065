#pragma once
// Numbers read from texts the way the language runtime reads them: settings, grid cells, work files.

#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <optional>

// VB's Val: the number at the start of the text (blanks skipped), 0 when there is none.
double VbVal(const QString& text);
// VB's Val on bytes, whole numbers only (the hot path of the work files): leading blanks skipped,
// optional sign, then digits up to the first other byte.
int64_t VbValBytes(QByteArrayView text);
// True when the whole text (blanks around it allowed) is a number.
bool IsNumericText(const QString& text);
// A stored number as the runtime's whole-number conversion reads it: blanks around it, a sign, a
// decimal fraction rounded half to even. Nothing for empty or other text, or beyond 32 bits.
std::optional<int32_t> WholeNumber(const QString& text);
// VB's Str on a whole number: a leading blank where the sign of a negative number stands (" 7785", "-15").
QString VbStr(int64_t n);
