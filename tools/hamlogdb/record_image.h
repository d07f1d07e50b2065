#pragma once
// A HAMLOG.HDB record built field by field from Windows-31J bytes, for bulk loads.

#include <QByteArrayView>
#include <QString>

#include "platform/hamlog/hdb_layout.h"

namespace hamlogdb {

// Puts the bytes into field `field` of the record image: cut (never inside a character) or padded
// with blanks to the field's width.
void PutField(unsigned char* image, int field, QByteArrayView ansi);
// The stored width of a field in bytes (0 for a field that is not stored).
int FieldWidth(int field);
// The field's text as stored, trailing blanks (and NULs) removed unless `keepBlanks`.
QString FieldText(const unsigned char* image, int field, bool keepBlanks = false);

// "8" (the DX flag) for a DX entity code (first three characters a number of 500 or more), else "0".
const char* FlagCodeFor(QByteArrayView code);

}  // namespace hamlogdb
