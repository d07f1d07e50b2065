#include "core/DesignatedCities.h"

#include <QStringList>
#include <algorithm>

#include "platform/paths.h"
#include "platform/ui/doevents.h"
#include "platform/vbdate.h"
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

QString definitionPath() { return JoinPath(ProgramFolder(), QString::fromUtf8(kDesignatedCityFile)); }

}  // namespace

int32_t LoadDesignatedCityDef(int32_t& badDefinitionLine) {
  DesignatedCityDef = {};
  if (const QString encoding = FileForeignEncoding(definitionPath()); !encoding.isEmpty()) {
    DesignatedCityDef.FileEncoding = encoding;
    return -2;
  }

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
  for (qsizetype k = 0; k < dataLines.size(); ++k) {
    const QString& line = dataLines[k];
    const qsizetype p1 = line.indexOf(u',');
    const qsizetype p2 = line.indexOf(u',', p1 + 1);
    const QString code = trimBlanks(line.mid(p1 + 1, p2 - p1 - 1));
    const QString dateText = trimBlanks(line.mid(p2 + 1));
    bool number = false;
    dateText.toInt(&number);
    if (!number) return 0;
    // A line cut short ("神戸市,2701,19") would otherwise count as a date in the year 19; a code that is
    // no four-digit city code ("27012701270127") would match every code holding it.
    const bool cityCode = code.size() == 4 && std::all_of(code.begin(), code.end(),
                                                          [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!cityCode || !IsEightDigitDate(dateText)) {
      badDefinitionLine = static_cast<int32_t>(k + 1);
      return -1;
    }
    cities.push_back({line.left(p1), code, dateText.toInt()});
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
