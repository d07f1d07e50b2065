#include "lookup/DxccTable.h"

#include <QFileInfo>

#include <QStringList>
#include <algorithm>

#include "core/QsoRules.h"
#include "core/SettingsStore.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/resources.h"
#include "platform/ui/msgbox.h"

DxccTableState DxccTable;

size_t DxccTableState::CallHash::operator()(const QString& call) const noexcept {
  size_t h = 14695981039346656037ull;  // FNV-1a
  for (const QChar c : call) h = (h ^ c.unicode()) * 1099511628211ull;
  return h;
}

namespace {

const QString kLibrary = QStringLiteral("CodeLib");

std::function<void(int32_t)>& HitsListener() {
  static std::function<void(int32_t)> listener;
  return listener;
}

// The record as the table stores it; nothing when the string does not have exactly seven fields.
DxccEntity EntityOf(const QString& text) {
  const QStringList f = text.split(QLatin1Char(','));
  if (f.size() != 7) return {};
  DxccEntity e;
  e.present = true;
  e.Prefix = QString(f[0]).replace(QLatin1Char(';'), QLatin1Char(','));
  const QString upper = f[0].toUpper();
  if (!upper.isEmpty())
    for (const QStringView item : QStringView(upper).split(u';')) {
      if (item.startsWith(u'='))
        e.wholeCalls << item.mid(1).toString();
      else
        e.prefixKeys << item.toString();
    }
  e.Entity = QString(f[1]).remove(QLatin1Char(';'));
  e.Cont = QString(f[2]).replace(QLatin1Char(';'), QLatin1Char(','));
  e.ITU = QString(f[3]).replace(QLatin1Char(';'), QLatin1Char(','));
  e.CQ = QString(f[4]).replace(QLatin1Char(';'), QLatin1Char(','));
  bool number = false;
  const int dxcc = f[5].trimmed().toInt(&number);
  e.DXCC = number ? QStringLiteral("%1").arg(dxcc, 3, 10, QLatin1Char('0')) : f[5];
  e.HLcode = f[6];
  return e;
}

// Is `item` one entry of the comma list?
bool ListHolds(const QString& list, const QString& item) {
  return (QLatin1Char(',') + list + QLatin1Char(',')).contains(QLatin1Char(',') + item + QLatin1Char(','));
}

bool PrefixHits(const DxccEntity& e, const QString& upperKey) {
  for (const QString& p : e.prefixKeys)
    if (p.startsWith(upperKey)) return true;
  if (!e.stationsOnly)
    for (const QString& c : e.wholeCalls)
      if (c.startsWith(upperKey)) return true;
  return false;
}

// Whole calls find their entity in one look; those of single stations do nothing else, and a typed
// key is not searched for among them.
void IndexWholeCalls(int32_t last) {
  struct Entity {
    int32_t firstLine = 0;
    bool prefixes = false;
  };
  std::unordered_map<QString, Entity, DxccTableState::CallHash> entities;
  size_t calls = 0;
  for (int32_t id = kFirstEntityId; id <= last; ++id) {
    const DxccEntity& e = DxccTable.DxccEntityTable[id];
    if (!e.present) continue;
    Entity& entity = entities.try_emplace(e.HLcode, Entity{id, false}).first->second;
    entity.prefixes = entity.prefixes || !e.prefixKeys.isEmpty();
    calls += e.wholeCalls.size();
  }
  DxccTable.WholeCallIds.reserve(calls);
  for (int32_t id = kFirstEntityId; id <= last; ++id) {
    DxccEntity& e = DxccTable.DxccEntityTable[id];
    if (!e.present) continue;
    const Entity& entity = entities[e.HLcode];
    e.stationsOnly = entity.prefixes && e.prefixKeys.isEmpty();
    if (!e.stationsOnly) DxccTable.SearchedIds.push_back(id);
    for (const QString& c : e.wholeCalls) DxccTable.WholeCallIds.try_emplace(c, entity.firstLine);
  }
}

// The zone range that stands for a single zone in some entities' lists ("20-26"); "" for none.
QString ZoneRange(const QString& key, int32_t mode) {
  bool number = false;
  const int z = key.trimmed().toInt(&number);
  if (!number) return QString();
  if (mode == 3) {
    if (z >= 20 && z <= 26) return QStringLiteral("20-26");
    if (z >= 30 && z <= 35) return QStringLiteral("30-35");
    if (z >= 69 && z <= 74) return QStringLiteral("69-74");
  } else if (mode == 4 && z >= 16 && z <= 19) {
    return QStringLiteral("16-19");
  }
  return QString();
}

// The table ends early when its last strings were malformed.
int32_t lastEntityId() {
  return std::min<int32_t>(kFirstEntityId + DxccTable.DxccEntityCount - 1,
                           static_cast<int32_t>(DxccTable.DxccEntityTable.size()) - 1);
}

}  // namespace

void SetDxccHitsListener(std::function<void(int32_t)> listener) { HitsListener() = std::move(listener); }

DxccCallEntities DxccEntitiesOfCall(const QString& call) { return DxccEntitiesOfKey(DxKeyOfCall(call)); }

DxccCallEntities DxccEntitiesOfKey(const DxCallKey& reading) {
  DxccCallEntities out;
  out.noEntity = reading.noEntity;
  const QString& key = reading.key;
  if (key.isEmpty()) return out;
  int32_t best = 0, whole = 0;
  for (const QString& form : reading.whole)
    if (const auto it = DxccTable.WholeCallIds.find(form); it != DxccTable.WholeCallIds.end()) {
      whole = it->second;
      break;
    }
  qsizetype bestLength = 0;
  std::vector<int32_t> longer;  // entities whose prefixes or whole calls go on beyond the key
  for (const int32_t id : DxccTable.SearchedIds) {
    const DxccEntity& e = DxccTable.DxccEntityTable[id];
    bool beyond = false;
    for (const QString& p : e.prefixKeys) {
      if (p.size() > bestLength && key.startsWith(p)) {
        best = id;
        bestLength = p.size();
      }
      beyond = beyond || (p.size() > key.size() && p.startsWith(key));
    }
    for (const QString& c : e.wholeCalls)  // a key never holds a "/"
      beyond = beyond || (c.size() > key.size() && c.startsWith(key) && !c.contains(QLatin1Char('/')));
    if (beyond) longer.push_back(id);
  }
  if (whole > 0) best = whole;
  // An entity may take several lines of the table: it is listed once, by its first.
  const auto add = [&](int32_t id) {
    const QString& code = DxccTable.DxccEntityTable[id].HLcode;
    for (int32_t listed : out.ids)
      if (DxccTable.DxccEntityTable[listed].HLcode == code) return;
    out.ids.push_back(id);
  };
  if (best > 0) add(best);
  // A call being typed may still become another entity's; a prefix written with a call is whole.
  if (best == 0 || !reading.written)
    for (int32_t id : longer) add(id);
  out.japanese = !out.ids.empty() && DxccTable.DxccEntityTable[out.ids.front()].HLcode.startsWith("500");
  if (out.japanese) out.ids.clear();
  return out;
}

bool DXCCLookUpCall(const QString& call) {
  const DxccCallEntities found = DxccEntitiesOfCall(call);
  // Without a table nothing is known of any call: what the box and the list show stays.
  if (DxccTable.DxccEntityCount <= 0) return !found.noEntity;
  // What the whole call gives, nothing of what the call typed so far gave.
  DxccTable.DxccHitList = found.ids;
  DxccTable.DxccHitCount = static_cast<int32_t>(found.ids.size());
  DxccTable.DxccSearchResult = found.ids.empty() ? QString() : QStringLiteral("Hit!");
  if (HitsListener()) HitsListener()(DxccTable.DxccHitCount);
  return !found.ids.empty() || found.japanese;
}

void EnsureDXCCTable() {
  if (!DxccTable.loadTried) LoadDXCCTable();
}

namespace {

// A string as the library's loader hands it over: 149 bytes at most, without NULs.
QString CodeLibText(const QString& stored) { return CutToAnsiBytes(stored, 149).remove(QChar(0)); }

}  // namespace

QString LoadCodeLibString(int32_t id) { return CodeLibText(LoadResString(kLibrary, id)); }

int32_t LoadDXCCTable() {
  DxccTable.loadTried = true;
  DxccTable.DxccEntityTable.clear();
  DxccTable.WholeCallIds.clear();
  DxccTable.SearchedIds.clear();
  DxccTable.DxccEntityCount = 0;
  DxccTable.Missing.clear();
  const QString path = RealPath(ResourceFilePath(kLibrary));
  if (FileExists(path) == 0) {
    // Short enough for the sheet's status bar; the file is the program folder's.
    DxccTable.Missing = QFileInfo(path).fileName() +
                        (IsFolder(path) ? QStringLiteral(" がフォルダーです") : QStringLiteral(" がありません")) +
                        QStringLiteral("（DX の表は空です）");
    return 0;
  }
  const auto tell = [&path](const QStringList& problems, const QString& outcome) {
    MsgBox(path + QStringLiteral(" に誤りがあります。") + "\r\n" + problems.join(QStringLiteral("\r\n")) + "\r\n" +
               outcome,
           vbOKOnly | vbExclamation);
  };
  // All strings in one read: the start of the sheet waits for this.
  const QHash<int, QString> strings = LoadResStrings(kLibrary);
  const QString countText = CodeLibText(strings.value(kFirstEntityId - 1)).trimmed();
  bool number = false;
  const qlonglong stated = countText.toLongLong(&number);
  if (!number || stated < 0) {
    tell({QStringLiteral("%1 番の件数「%2」が数ではありません。").arg(kFirstEntityId - 1).arg(countText)},
         QStringLiteral("DX の表は作りませんでした。"));
    return 0;
  }
  if (stated == 0) {
    MsgBoxPosHook(MsgBoxCentre.x, MsgBoxCentre.y);
    MsgBox(ResourceFilePath(kLibrary) +
           QStringLiteral(" の %1 番の件数が 0 です（DXCC の表を作れません）。\r\n"
                          "プログラムに付いてきた CodeLib.txt に戻して下さい。")
               .arg(kFirstEntityId - 1));
    return -1;
  }
  // The count is bounded by the strings really there: a wrong one neither overflows nor makes the
  // load walk through ids that hold nothing.
  QStringList problems;
  int32_t lastId = 0;
  for (auto it = strings.keyBegin(); it != strings.keyEnd(); ++it) lastId = std::max(lastId, *it);
  const int32_t there = std::max(0, lastId - (kFirstEntityId - 1));
  const int32_t n = static_cast<int32_t>(std::min<qlonglong>(stated, there));
  if (stated > there)
    problems << QStringLiteral("%1 番の件数は %2 ですが、データは %3 件分しかありません。")
                    .arg(kFirstEntityId - 1)
                    .arg(stated)
                    .arg(there);
  DxccTable.DxccEntityCount = n;
  QStringList skipped;
  DxccTable.DxccEntityTable.resize(kFirstEntityId + n);
  for (int32_t id = kFirstEntityId; id < kFirstEntityId + n; ++id) {
    DxccEntity e = EntityOf(CodeLibText(strings.value(id)));
    if (!e.present) {
      skipped << QString::number(id);
      continue;
    }
    DxccTable.DxccEntityTable[id] = std::move(e);
  }
  if (!skipped.isEmpty())
    problems << QStringLiteral("%1 件（%2 番）は 7 項目のデータになっていないため読み飛ばしました。")
                    .arg(skipped.size())
                    .arg(skipped.size() > 10 ? skipped.mid(0, 10).join(u',') + QStringLiteral(" ほか") : skipped.join(u','));
  IndexWholeCalls(lastEntityId());
  if (problems.isEmpty()) return kFirstEntityId + n;
  tell(problems, QStringLiteral("DX の表は読めた %1 件で作りました。").arg(n - skipped.size()));
  return -1;
}

QString DXCCCodeSearch(QString& key, int32_t startId, int32_t mode) {
  if (startId == 0) return QString();
  DxccTable.DxccSearchResult.clear();
  DxccTable.DxccHitCount = 0;
  DxccTable.DxccHitList.clear();
  if (mode < 0 || mode > 6) return QString();

  const int32_t last = lastEntityId();
  const QString upperKey = key.toUpper();
  auto scan = [&](auto&& hits) {
    for (int32_t id = std::max(startId, 0); id <= last; ++id) {
      const DxccEntity& e = DxccTable.DxccEntityTable[id];
      if (!e.present || !hits(e)) continue;
      DxccTable.DxccSearchResult = QStringLiteral("Hit!");
      ++DxccTable.DxccHitCount;
      DxccTable.DxccHitList.push_back(id);
    }
  };

  switch (mode) {
    case 0:
      scan([&](const DxccEntity& e) { return PrefixHits(e, upperKey); });
      break;
    case 1:
      scan([&](const DxccEntity& e) { return e.Entity.toUpper().contains(upperKey); });
      break;
    case 2:
      scan([&](const DxccEntity& e) { return ListHolds(e.Cont.toUpper(), upperKey); });
      break;
    case 3:
    case 4: {
      auto zones = [mode](const DxccEntity& e) -> const QString& { return mode == 3 ? e.ITU : e.CQ; };
      scan([&](const DxccEntity& e) { return ListHolds(zones(e), key); });
      const QString range = ZoneRange(key, mode);
      if (!range.isEmpty()) {
        key = range;
        scan([&](const DxccEntity& e) { return ListHolds(zones(e), range); });
      }
      break;
    }
    case 5:
      scan([&](const DxccEntity& e) { return e.DXCC == key; });
      break;
    case 6:
      for (int32_t id = std::max(startId, 0); id <= last; ++id) {
        const DxccEntity& e = DxccTable.DxccEntityTable[id];
        if (!e.present || e.HLcode.toUpper() != upperKey) continue;
        DxccTable.DxccSearchResult = e.DXCC;
        ++DxccTable.DxccHitCount;
      }
      if (DxccTable.DxccHitCount == 0) DxccTable.DxccSearchResult = QStringLiteral("unKnown");
      break;
  }
  if (mode == 0 && DxccTable.DxccHitCount > 0 && HitsListener()) HitsListener()(DxccTable.DxccHitCount);
  return DxccTable.DxccSearchResult;
}
