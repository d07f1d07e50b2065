#pragma once
// Debian's cty.csv (package hamradio-files), read at test time: the DXCC entities with their prefixes,
// the whole calls listed with "=", the ADIF number and the UTC offset, and the file's own look-up.

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

struct CtyEntity {
  QString main;  // the row's prefix ("KH6", "FT/g")
  QString name;
  int adif = 0;
  double utcOffset = 0;  // hours east of UTC
  QStringList prefixes;  // without zone overrides, each once
  QStringList exact;     // whole calls
};

class CtyCsv {
 public:
  // The WAE-only rows ("*") are no entities: their whole calls are those of the entity of their ADIF
  // number; an unreadable file gives no entities.
  explicit CtyCsv(const QString& path = QStringLiteral(ORBEX_CTY_CSV));
  const std::vector<CtyEntity>& Entities() const { return entities_; }
  // The entity of the longest prefix that begins `text`; -1 for none.
  int Head(const QString& text) const;
  // A whole call first, else as Head.
  int Call(const QString& call) const;
  bool IsWholeCall(const QString& call) const { return byCall_.contains(call); }

 private:
  std::vector<CtyEntity> entities_;
  QHash<QString, int> byPrefix_, byCall_;
};

// The calls a look-up is measured with, each with the entity cty.csv gives it (-1 for none): one built
// from every prefix (with the first area digit that keeps it with the prefix's entity when the prefix
// has none; never one of the whole calls listed), the first whole call of an entity known only by
// whole calls, and every entity's main prefix in front of a Japanese call, as a station operating there.
struct CtyCall {
  QString call;
  int entity = -1;
};
std::vector<CtyCall> CallsOfEveryPrefix(const CtyCsv& cty);
// The whole calls ("=") whose entity is the one their prefix (DxKeyOfCall) gives, portable ones included.
std::vector<CtyCall> WholeCallsOfTheirPrefix(const CtyCsv& cty);
// The whole calls whose entity is another than their prefix gives ("AH2AV", "NH6BD/4": United States).
std::vector<CtyCall> WholeCallsPastTheirPrefix(const CtyCsv& cty);
// Calls whose area digit moved them onto a whole call ("TX4A/5" becomes TX5A, "4U2ITU/1"), each with the
// entity the prefix of the call it became gives.
std::vector<CtyCall> CallsMovedOntoWholeCalls(const CtyCsv& cty);
// Calls a whole call of another entity begins (SY2APF, 3D2RW), whole calls with a designator (UA9KBF/4/N).
std::vector<CtyCall> CallsPastWholeCalls(const CtyCsv& cty);
// Those `calls` (else those of every prefix) that `finds` finds, in tenths of a percent; prints the share
// as `what` and the misses by entity, with a call of each.
int FoundPerMille(const CtyCsv& cty, const char* what, const std::function<bool(const CtyCall&)>& finds,
                  std::vector<CtyCall> calls = {});
