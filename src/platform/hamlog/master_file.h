#pragma once
// HAMLOG.MST, the code master, in the fixed layout the program reads by byte position.
//
// Record (56 bytes, Windows-31J, blank-padded): 0 code (6), 6 QTH name (34), 40 kind (1: "3" DX
// entity, "4" city, "5" gun, "6" ward, "7" town, "8" village), 41 IDX (2: the name's initial, or a DX
// prefix's head), 43 AREA (1: call-area digit, or a DX prefix's tail), 44-54 eleven bytes (zero except
// 51 = longitude in whole degrees and 53 = 128 for west), 55 one blank (the loader's group flag).
//
// Record k (1-based) starts at byte 234 + 56 k, so the program finds it at 1-based position
// k x 56 + 235: the layout of HAMLOG 5.35 and later, which is why the stand-in's program file says
// 5.40. The 290 bytes before record 1 are our header: "OXMST001", then little-endian record length
// (56), offset of record 1 (290), record count and the master's identity (random per write); the rest
// is zero. The file is always header + count x 56 bytes and is replaced whole, never edited in place.
//
// HAMLOG.PFX, optional, beside it: the further call-sign prefixes of DX entities (a record holds only
// one), so that the kind index "dx4" finds an entity by any of its prefixes ("W" and "AA" as well as
// "K"). "OXPFX001", little-endian count, then per prefix the entity's code (6 bytes) and the prefix
// (3 bytes), blank-padded. Written together with the master.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace hamlog {

inline constexpr int kMasterRecordLength = 56;
inline constexpr int kMasterFirstRecord = 290;
inline constexpr int kMasterKindOffset = 40;
inline constexpr int kMasterIdxOffset = 41;
inline constexpr int kMasterAreaOffset = 43;
inline constexpr int kMasterLongitudeOffset = 51;
inline constexpr int kMasterWestOffset = 53;

struct MasterEntry {
  QString code;
  QString name;
  QString kind;
  QString idx;
  QString area;
  int longitude = 0;  // whole degrees, east positive, west negative; 0 when unknown
};

// One 56-byte record for an entry.
QByteArray BuildMasterRecord(const MasterEntry& e);

struct MasterHeader {
  uint32_t count = 0;
  uint32_t identity = 0;
};
// True when the file starts with this library's header (other masters have none to check against).
bool HasMasterHeader(QByteArrayView head);
// Checks magic, lengths and that the file holds all its records; nothing for any other file.
std::optional<MasterHeader> ParseMasterHeader(QByteArrayView first290, int64_t fileSize);

struct PrefixEntry {
  QString code;
  QString prefix;  // 1 to 3 characters
};
// Replaces the prefix list; an empty list removes the file.
bool WritePrefixFile(const QString& path, const std::vector<PrefixEntry>& entries);
// Code (6 bytes) and prefix (3 bytes) pairs; empty for a missing or foreign file.
std::vector<std::pair<QByteArray, QByteArray>> ReadPrefixFile(const QString& path);

// Replaces the master with these entries (temporary file, fsync, rename). False when it failed; the
// old master is then left as it was.
bool WriteMasterFile(const QString& path, const std::vector<MasterEntry>& entries);

}  // namespace hamlog
