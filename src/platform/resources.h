#pragma once
// String resources of a resource library, kept as a text file of our own in the program folder:
// the library "CodeLib" is the file "CodeLib.txt", one string a line, "id<TAB>text", Windows-31J.
//
//   if (FileExists(ResourceFilePath("CodeLib"))) n = LoadResString("CodeLib", 100).toInt();
//
// Lines that are not "number<TAB>text" are passed over; the first line of an id counts.
// The file is read once and read again only when it changes.

#include <QHash>
#include <QString>

// Where the library's strings live: program folder & "\" & library & ".txt".
QString ResourceFilePath(const QString& library);

// The string with that id; "" when the library or the id is missing.
QString LoadResString(const QString& library, int id);
// Every string of the library by id, for a reader of many: one look at the file for all of them.
QHash<int, QString> LoadResStrings(const QString& library);
