#pragma once
// The DXCC entity table: every entity with its prefixes, continent, zones, DXCC number and HAMLOG
// code, read from the string library "CodeLib" of the program folder, and its searches.
//
//   LoadDXCCTable();                                  // at the progress sheet's load
//   QString key = "VK9";
//   DXCCCodeSearch(key, 101, 0);                      // prefix search; the hits go to the listener
//   QString dxcc = DXCCCodeSearch(code, 101, 6);      // HAMLOG code -> DXCC number, or "unKnown"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

struct DxccEntity {
  bool present = false;  // ids whose string was missing or malformed hold nothing
  // A line of whole calls only, of single stations of an entity that has prefixes ("=AH2AV" of the
  // United States): they name no entity a call being typed may still become.
  bool stationsOnly = false;
  QString Prefix;        // comma list
  QString Entity;
  QString Cont;
  QString ITU;
  QString CQ;
  QString DXCC;  // three digits at least
  QString HLcode;
  QStringList prefixKeys;  // the prefixes in upper case, for the prefix search
  QStringList wholeCalls;  // the whole calls ("=3D2C" in the list) in upper case: each matches only itself
};

struct DxccTableState {
  std::vector<DxccEntity> DxccEntityTable;  // indexed by string id (101 ..)
  // Each whole call -> the first line of its entity. Filled at every load for some 12,000 calls: a
  // plain hash of the few characters keeps the load as quick as before they were listed.
  struct CallHash {
    size_t operator()(const QString& call) const noexcept;
  };
  std::unordered_map<QString, int32_t, CallHash> WholeCallIds;
  std::vector<int32_t> SearchedIds;  // the lines a typed key is searched in: all but stations' whole calls
  int32_t DxccEntityCount = 0;
  int32_t DxccHitCount = 0;
  std::vector<int32_t> DxccHitList;  // ids of the hits in search order
  QString DxccSearchResult;
  bool loadTried = false;
  QString Missing;  // why the library gave no table at all, in the operator's words; "" when it gave one
};
extern DxccTableState DxccTable;

// The string id 100 holds the entity count; entities follow from this id.
inline constexpr int32_t kFirstEntityId = 101;

// The string with that id from the library, cut to 149 bytes, NULs removed; "" when there is none.
QString LoadCodeLibString(int32_t id);

// Builds the table. 0 without the library (or with an unreadable count), -1 when the count is 0 or a
// string was malformed (skipped), else the id after the last entity.
int32_t LoadDXCCTable();

// Searches from `startId` in mode 0 (prefix), 1 (entity name), 2 (continent), 3 (ITU zone),
// 4 (CQ zone), 5 (DXCC number) or 6 (HAMLOG code -> DXCC number). Modes 3 and 4 may replace the key
// by its zone range. A mode-0 search with hits hands their count to the hits listener.
QString DXCCCodeSearch(QString& key, int32_t startId, int32_t mode);

// The entities a typed call may belong to (see DxKeyOfCall), each once, the likely one first: the
// entity of a listed whole call the call is written as, else of the longest listed prefix its key
// begins with, then those with a prefix or whole call that begins with the whole key, which is too
// short to tell. None for a call of no entity, for one the table does not know and for a Japanese
// one (Japan's HAMLOG code 500 first).
struct DxccCallEntities {
  bool noEntity = false;     // /AM, /MM
  bool japanese = false;     // Japan came first: no ids
  std::vector<int32_t> ids;  // string ids
};
DxccCallEntities DxccEntitiesOfCall(const QString& call);
struct DxCallKey;
// The same for a call already read (DxKeyOfCall).
DxccCallEntities DxccEntitiesOfKey(const DxCallKey& reading);

// The look-up of a call typed into the sheet's call box: its entities become the hits and go to the
// hits listener; a call that gives none empties the hits and tells the listener 0. False when the call
// gives no entity and is no Japanese call either. Without a table only /AM and /MM give false.
bool DXCCLookUpCall(const QString& call);

// The table for a window that needs it without the sheet: loaded once when nothing loaded it yet.
void EnsureDXCCTable();

// The window that lists prefix-search hits registers here; empty = nobody listens.
void SetDxccHitsListener(std::function<void(int32_t hitCount)> listener);
