#include "core/DesignatedCities.h"

#include <QStringList>
#include <optional>

#include "platform/paths.h"
#include "platform/ui/doevents.h"
#include "platform/vbfile.h"

DesignatedCityDefState DesignatedCityDef;

namespace {

// The runtime's Trim: blanks only, tabs and full-width spaces stay.
QString trimBlanks(const QString& s) {
  qsizetype from = 0;
  qsizetype to = s.size();
  while (from < to && s[from] == u' ') ++from;
  while (to > from && s[to - 1] == u' ') --to;
  return s.mid(from, to - from);
}

bool isComment(const QString& line) { return trimBlanks(line).startsWith(u'#'); }

std::optional<int32_t> wholeNumber(const QString& text) {
  bool ok = false;
  const int32_t n = text.toInt(&ok);
  if (!ok) return std::nullopt;
  return n;
}

QString definitionPath() { return JoinPath(ProgramFolder(), QString::fromUtf8(kDesignatedCityFile)); }

}  // namespace

int32_t LoadDesignatedCityDef(int32_t& badDefinitionLine) {
  DesignatedCityDef = {};

  // Every data line must be "name,code,date"; the first that is not is reported by its number.
  QStringList dataLines;
  {
    VbFile in(definitionPath(), VbMode::Input);
    if (!in.IsOpen()) return 0;
    QString line;
    while (in.LineInput(line)) {
      DoEvents();
      if (isComment(line)) continue;
      dataLines << line;
      if (line.count(u',') != 2) {
        badDefinitionLine = static_cast<int32_t>(dataLines.size());
        return -1;
      }
    }
  }
  if (dataLines.isEmpty()) return 0;

  std::vector<DesignatedCity> cities;
  cities.reserve(dataLines.size());
  for (const QString& line : dataLines) {
    const qsizetype p1 = line.indexOf(u',');
    const qsizetype p2 = line.indexOf(u',', p1 + 1);
    const std::optional<int32_t> date = wholeNumber(trimBlanks(line.mid(p2 + 1)));
    if (!date) return 0;
    cities.push_back({line.left(p1), trimBlanks(line.mid(p1 + 1, p2 - p1 - 1)), *date});
  }

  DesignatedCityDef.DesignatedCities = std::move(cities);
  DesignatedCityDef.DesignatedCityCount = static_cast<int32_t>(dataLines.size());
  for (const DesignatedCity& c : DesignatedCityDef.DesignatedCities)
    DesignatedCityDef.DesignatedCityCodes += c.Code + ",";
  DesignatedCityDef.DesignatedCityCodes += "1001";
  return DesignatedCityDef.DesignatedCityCount;
}

bool IsDesignatedCityCode(const QString& code) {
  return !code.isEmpty() && DesignatedCityDef.DesignatedCityCodes.contains(code);
}

bool CityCountsByWard(const QString& code, int32_t qsoDate) {
  if (code == "1001") return true;
  for (const DesignatedCity& c : DesignatedCityDef.DesignatedCities)
    if (c.Code == code) return qsoDate >= c.StartDate;
  return false;
}
