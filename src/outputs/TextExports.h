#pragma once
// The code table for other programs: acag.dat, the city/gun/ward list of the contest logger, and the
// whole table as an own QTH data file (five quoted fields a line) that LoadQTHMasterList reads back.

#include <QDate>
#include <QString>
#include <cstdint>

// Writes acag.dat at `path`: the heading "ACAG.DAT for ZLOG yyyy.m" of `today`, one line per current
// city, gun and ward (code padded to 11 characters, then the name; designated cities, Tokyo's "1001",
// towns, villages and abolished codes left out), then "end of file acag.dat". False on failure.
bool WriteAcagDat(const QString& path, const QDate& today);

// The kind number of the QTH data file for a kind letter: DX 3, C 4, G 5, K 6, T 7, V 8; 0 for none.
int KindNumberOf(const QString& kind);

// Writes every loaded row of MasterTable as code, name, kind number, IDX, AREA. False on failure.
bool WriteQthDataFile(const QString& path);
