#include "support/cty_csv.h"

#include <QFile>
#include <QRegularExpression>
#include <cstdio>
#include <map>

#include "core/QsoRules.h"

CtyCsv::CtyCsv(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return;
  static const QRegularExpression overrides(R"([\(\[<{~].*$)");
  std::vector<CtyEntity> wae;  // WAE-only rows: their whole calls are their DXCC entity's
  while (!f.atEnd()) {
    const QStringList row = QString::fromLatin1(f.readLine()).trimmed().split(',');
    if (row.size() < 10) continue;
    CtyEntity e{row[0], row[1], row[2].toInt(), -row[8].toDouble(), {}, {}};
    for (QString item : row[9].chopped(row[9].endsWith(';') ? 1 : 0).split(' ', Qt::SkipEmptyParts)) {
      const bool whole = item.startsWith('=');
      item = item.mid(whole ? 1 : 0).remove(overrides);
      QStringList& list = whole ? e.exact : e.prefixes;
      if (!list.contains(item)) list << item;
    }
    (row[0].startsWith('*') ? wae : entities_).push_back(std::move(e));
  }
  for (const CtyEntity& w : wae)
    for (CtyEntity& e : entities_)
      if (e.adif == w.adif) {
        for (const QString& c : w.exact)
          if (!e.exact.contains(c)) e.exact << c;
        break;
      }
  for (int i = 0; i < int(entities_.size()); ++i) {
    for (const QString& p : entities_[i].prefixes) byPrefix_.insert(p, i);
    for (const QString& c : entities_[i].exact)
      if (!byCall_.contains(c)) byCall_.insert(c, i);
  }
}

int CtyCsv::Head(const QString& text) const {
  for (qsizetype n = text.size(); n > 0; --n)
    if (auto it = byPrefix_.constFind(text.left(n)); it != byPrefix_.constEnd()) return *it;
  return -1;
}

int CtyCsv::Call(const QString& call) const { return byCall_.value(call, Head(call)); }

namespace {

QString ordinaryCall(const CtyCsv& cty, const QString& prefix, int entity) {
  const bool digit = prefix.contains(QRegularExpression("[0-9]"));
  for (const char* suffix : {"AB", "XZ", "QQ"}) {
    if (digit) {
      if (!cty.IsWholeCall(prefix + suffix)) return prefix + suffix;
      continue;
    }
    for (QChar d : QStringLiteral("1234567890")) {
      const QString call = prefix + d + suffix;
      if (!cty.IsWholeCall(call) && cty.Call(call) == entity) return call;
    }
    if (!cty.IsWholeCall(prefix + "1" + suffix)) return prefix + "1" + suffix;
  }
  return prefix + "1AB";
}

}  // namespace

std::vector<CtyCall> CallsOfEveryPrefix(const CtyCsv& cty) {
  std::vector<CtyCall> calls;
  const auto& entities = cty.Entities();
  for (int i = 0; i < int(entities.size()); ++i) {
    const CtyEntity& e = entities[i];
    for (const QString& p : e.prefixes) {
      const QString call = ordinaryCall(cty, p, i);
      calls.push_back({call, cty.Call(call)});
    }
    for (const QString& c : e.exact)
      if (e.prefixes.isEmpty() && !c.contains('/')) {
        calls.push_back({c, i});
        break;
      }
    const QString main = e.prefixes.contains(e.main) ? e.main : e.prefixes.value(0);
    if (!main.isEmpty()) calls.push_back({main + "/JA1ABC", cty.Head(main)});
  }
  return calls;
}

std::vector<CtyCall> WholeCallsOfTheirPrefix(const CtyCsv& cty) {
  std::vector<CtyCall> calls;
  for (int i = 0; i < int(cty.Entities().size()); ++i)
    for (const QString& c : cty.Entities()[i].exact)
      if (const DxCallKey k = DxKeyOfCall(c); !k.noEntity && cty.Head(k.key) == i) calls.push_back({c, i});
  return calls;
}

std::vector<CtyCall> WholeCallsPastTheirPrefix(const CtyCsv& cty) {
  std::vector<CtyCall> calls;
  for (int i = 0; i < int(cty.Entities().size()); ++i)
    for (const QString& c : cty.Entities()[i].exact)
      if (const DxCallKey k = DxKeyOfCall(c); !k.noEntity && cty.Call(c) == i && cty.Head(k.key) != i)
        calls.push_back({c, i});
  return calls;
}

std::vector<CtyCall> CallsMovedOntoWholeCalls(const CtyCsv& cty) {
  static const QRegularExpression lastDigit("[0-9](?=[^0-9]*$)");
  std::vector<CtyCall> calls;
  for (const CtyEntity& e : cty.Entities())
    for (const QString& c : e.exact)
      if (const QRegularExpressionMatch d = lastDigit.match(c); d.hasMatch() && !c.contains('/')) {
        QString from = c;
        from[d.capturedStart()] = QChar('0' + (d.captured().toInt() + 1) % 10);
        const QString call = from + '/' + d.captured();
        if (const int want = cty.IsWholeCall(call) ? cty.Call(call) : cty.Head(c); want >= 0) calls.push_back({call, want});
      }
  return calls;
}

std::vector<CtyCall> CallsPastWholeCalls(const CtyCsv& cty) {
  static const QRegularExpression designated(R"(/[0-9]/(?!(P|M|QRP|B|LH|LGT|AM|MM)\b))");
  std::vector<CtyCall> calls;
  for (int i = 0; i < int(cty.Entities().size()); ++i)
    for (const QString& c : cty.Entities()[i].exact) {
      const QString past = c + (cty.IsWholeCall(c + "W") ? "XW" : "W");
      const int want = cty.Call(past);
      if (!c.contains('/') && want >= 0 && want != i) calls.push_back({past, want});
      if (c.contains(designated)) calls.push_back({c, i});
    }
  return calls;
}

int FoundPerMille(const CtyCsv& cty, const char* what, const std::function<bool(const CtyCall&)>& finds,
                  std::vector<CtyCall> calls) {
  if (calls.empty()) calls = CallsOfEveryPrefix(cty);
  std::map<QString, QStringList> missed;  // by entity
  int hits = 0;
  for (const CtyCall& c : calls)
    if (c.entity >= 0 && finds(c))
      ++hits;
    else
      missed[c.entity < 0 ? c.call : cty.Entities()[c.entity].name] << c.call;
  std::printf("%s finds %d of %zu calls (%.2f %%)\n", what, hits, calls.size(), 100.0 * hits / calls.size());
  for (const auto& [name, its] : missed)
    std::printf("  missed %lld of %s (%s)\n", qlonglong(its.size()), qPrintable(name), qPrintable(its[0]));
  return calls.empty() ? 0 : 1000 * hits / int(calls.size());
}
