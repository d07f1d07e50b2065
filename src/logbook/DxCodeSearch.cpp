#include "logbook/DxCodeSearch.h"

#include <QByteArray>
#include <algorithm>
#include <optional>

#include "core/HamlogAccess.h"
#include "core/MasterList.h"
#include "core/QsoRules.h"
#include "logbook/CodeMaster.h"
#include "logbook/LocalTime.h"
#include "lookup/CodeListState.h"
#include "lookup/DxccTable.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"
#include "platform/vbnumber.h"

namespace {

DxEntityRow rowOf(const MasterRecord& r) {
  DxEntityRow row;
  row.code = QString(r.Code).remove(QChar(0)).trimmed();
  QString name = r.Name.left(28);
  while (name.endsWith(' ')) name.chop(1);
  row.name = name;
  row.head = r.Idx;
  row.tail = r.Area;
  const auto byte = [&](int i) { return i < r.Spare.size() ? static_cast<unsigned char>(r.Spare[i]) : 0; };
  row.degrees = byte(7);                                                      // byte 52 of the record
  row.side = QString::fromUtf8(byte(9) >= 128 ? "西経" : "東経");  // byte 54
  return row;
}

int codeNumber(const QString& code) { return static_cast<int>(VbVal(code.left(3))); }

// A record that stands for the entity coded as its first three characters and "A".
bool isPlaceholder(const MasterRecord& r) { return r.Code.size() >= 4 && r.Code.at(3) == '_'; }

// Longitudes chosen by the lowest digit that occurs in the key (not the first by position).
void digitLongitude(const QString& code, const QString& key) {
  static const int k758[10] = {0, 75, 75, 90, 105, 105, 120, 120, 105, 75};
  static const int k784[10] = {105, 77, 77, 77, 90, 105, 120, 120, 90, 90};
  const int* table = code.startsWith("758") ? k758 : codeNumber(code) == 784 ? k784 : nullptr;
  if (!table) return;
  for (int d = table == k758 ? 1 : 0; d <= 9; ++d)
    if (key.contains(QChar('0' + d))) {
      LocalTime.LongitudeOverride = table[d];
      LocalTime.LongitudeOverrideSet = 1;
      return;
    }
}

DxCodeSearchResult notFound() {
  const QString problem = CodeMasterProblem();
  MsgBoxPosHook(MsgBoxCentre.x, MsgBoxCentre.y);
  if (!problem.isEmpty())
    MsgBox(QString::fromUtf8("ﾌﾟﾘﾌｨｯｸｽを調べられません") + "\r\n" + problem, vbOKOnly, QString::fromUtf8("DX Code検索"));
  else
    MsgBoxTimeout(QString::fromUtf8("このﾌﾟﾘﾌｨｯｸｽはﾏｽﾀﾃﾞｰﾀに存在しません"), QString::fromUtf8("DX Code検索"), 1);
  DxCodeSearchResult r;
  r.outcome = DxCodeSearchResult::NotFound;
  return r;
}

// The code index's record for `code`; 0 when it has none.
int32_t byCode(const QString& code) {
  CodeMasterIndex dx2("dx2");
  return dx2.Search(code);
}

// Without the DXCC table: the master's prefix index, by the first 3, else 2, else 1 characters of
// the key, and the entities that begin alike.
DxCodeSearchResult searchPrefixIndex(const QString& key) {
  DxCodeSearchResult result;
  CodeMasterIndex dx4("dx4");
  if (!dx4.IsOpen()) return notFound();  // no master or no index: said, with the cause
  int32_t r = 0;
  int n = 3;
  for (; n >= 1 && r < 1; --n) r = dx4.Search("3" + key.left(n));
  ++n;  // the length asked for in the search that hit
  if (r < 1) {
    dx4.Close();
    return notFound();
  }
  const CodeMasterFile master;
  MasterRecord rec;
  // An abolished entity hands on to the next entry of the same prefix; the end of the prefix's run
  // ends the search (reading "record 0" there would go round for ever).
  for (;;) {
    if (!master.Has(r)) return notFound();
    rec = master.Read(r);
    if (codeNumber(rec.Code) == 500) return result;
    if (!rec.Name.contains('*')) break;
    r = dx4.Next();
    if (r < 1) return notFound();
  }
  // Entities that share the three characters with the hit ("UA9": Asiatic Russia, and European
  // Russia for Perm and Komi) are offered beside it: the fourth character, which tells them apart, is
  // not searched.
  std::vector<int32_t> sharing;
  if (n == 3 && key.size() >= 3)
    for (int32_t k = dx4.Next(); k > 0; k = dx4.Next()) sharing.push_back(k);
  dx4.Close();

  // Placeholder records stand for an entity found under another code.
  if (rec.Code.startsWith("732")) {
    const QChar c = n <= key.size() ? key.at(n - 1) : QChar();
    if (c == '7') return notFound();
    const QString other = QString("13456").contains(c) && !c.isNull() ? "733A"
                          : QString("890").contains(c) && !c.isNull() ? "732A"
                                                                       : QString();
    if (!other.isEmpty()) r = byCode(other);
  } else if (isPlaceholder(rec)) {
    r = byCode(rec.Code.left(3) + "A");
  }
  if (r < 1 || !master.Has(r)) return notFound();
  rec = master.Read(r);
  result.rows.push_back(rowOf(rec));

  std::vector<int32_t> listed{r};
  const auto list = [&](int32_t k, const MasterRecord& m) {
    if (std::find(listed.begin(), listed.end(), k) != listed.end() || isPlaceholder(m)) return;
    listed.push_back(k);
    result.rows.push_back(rowOf(m));
  };
  for (int32_t k : sharing)
    if (master.Has(k)) {
      const MasterRecord m = master.Read(k);
      if (!m.Name.contains('*') && codeNumber(m.Code) != 500) list(k, m);
    }
  // Every later entity of the master whose prefix begins as the key does.
  const QString want = key.left(n);
  for (int32_t k = r + 1; master.Has(k); ++k) {
    const MasterRecord m = master.Read(k);
    if ((m.Idx + m.Area).left(n) == want) list(k, m);
  }
  result.outcome = DxCodeSearchResult::Found;
  return result;
}

// The entities the DXCC table gives the call, the likely one first, as the master holds them (its
// prefix index has three characters at most, too few for FT0Y or VK9M); nothing without the table.
std::optional<DxCodeSearchResult> fromDxccTable(const DxCallKey& reading) {
  EnsureDXCCTable();
  if (DxccTable.DxccEntityCount <= 0) return std::nullopt;
  const DxccCallEntities found = DxccEntitiesOfKey(reading);
  DxCodeSearchResult result;
  // Japan is left to the code of the city.
  if (found.japanese) return result;
  if (found.ids.empty()) return notFound();
  const CodeMasterFile master;
  CodeMasterIndex dx2("dx2");
  result.outcome = DxCodeSearchResult::Found;
  for (int32_t id : found.ids) {
    const QString& code = DxccTable.DxccEntityTable[id].HLcode;
    const int32_t r = dx2.Search(code);
    if (r < 1 || !master.Has(r)) continue;
    const MasterRecord rec = master.Read(r);
    if (DxEntityRow row = rowOf(rec); row.code == code && !rec.Name.contains('*'))
      result.rows.push_back(std::move(row));
  }
  dx2.Close();
  if (result.rows.empty()) return notFound();
  return result;
}

}  // namespace

DxCodeSearchResult SearchDxCode(const QString& callText) {
  DxCodeSearchResult result;
  LocalTime.LongitudeOverrideSet = 0;
  const DxCallKey reading = DxKeyOfCall(callText);
  const QString& key = reading.key;
  if (reading.noEntity) {
    result.outcome = DxCodeSearchResult::NoEntity;
    return result;
  }
  if (key.isEmpty()) return result;
  std::optional<DxCodeSearchResult> found = fromDxccTable(reading);
  result = found ? std::move(*found) : searchPrefixIndex(key);
  if (result.outcome != DxCodeSearchResult::Found) return result;
  digitLongitude(result.rows[0].code, key);
  if (result.rows.size() == 1) {
    CodeListShared.LocalLongitude = result.rows[0].degrees;
    CodeListShared.LocalLongitudeSide = result.rows[0].side;
    CalcLocalTimeGreeting();
  }
  return result;
}

