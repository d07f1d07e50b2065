#include "lookup/LicenceSearch.h"

#include <QSet>
#include <QUrl>
#include <QXmlStreamReader>
#include <map>

#include "core/SettingsStore.h"
#include "platform/http.h"
#include "platform/paths.h"
#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"

LicenceAnswerState LicenceAnswer;

namespace {

const QString kCaption = QStringLiteral("無線局検索");
const QStringList kJapanesePrefixes =
    QStringLiteral("JA,JD,JE,JF,JG,JH,JI,JJ,JK,JL,JM,JN,JO,JP,JQ,JR,JS,7J,7K,7L,7M,7N,8J,8K,8L,8M,8N")
        .split(QLatin1Char(','));
constexpr int kLongestCall = 20;
// A field longer than any licence holds is cut: an unbroken line of that size would stall the viewer.
constexpr int kLongestField = 4000;

QString Base(const QString& key, const QString& fallback) {
  QString base = ReadIniOr(QStringLiteral("WEBHOST"), key, fallback).trimmed();
  while (base.endsWith(QLatin1Char('/'))) base.chop(1);
  return base;
}

QString Encoded(const QString& call) { return QString::fromLatin1(QUrl::toPercentEncoding(call)); }

void TimedNotice(const QString& text) {
  MsgBoxPosHook(MsgBoxCentre.x, MsgBoxCentre.y);
  MsgBoxTimeout(text, kCaption, 3);
}

// The page is kept in a work file of the program folder while it is read line by line.
QStringList LinesThroughWorkFile(const QString& fileName, const QString& text) {
  const QString path = JoinPath(ProgramFolder(), fileName);
  QStringList lines;
  {
    VbFile out(path, VbMode::Output);
    out.Print({text});
    if (!out.Close()) return lines;
  }
  VbFile in(path, VbMode::Input);
  QString line;
  while (in.LineInput(line)) lines << line;
  in.Close();
  Kill(path);
  return lines;
}

// Field elements of a record, by their upper-case names.
QString* FieldOf(LicenceRecord& r, const QString& upperName) {
  static const std::map<QString, QString LicenceRecord::*> fields = {
      {QStringLiteral("IDENTIFICATIONSIGNALS"), &LicenceRecord::identificationSignals},
      {QStringLiteral("NAME"), &LicenceRecord::name},
      {QStringLiteral("TDFKCD"), &LicenceRecord::tdfkCd},
      {QStringLiteral("LICENSEDATE"), &LicenceRecord::licenseDate},
      {QStringLiteral("VALIDTERMS"), &LicenceRecord::validTerms},
      {QStringLiteral("RADIOEUIPMENTLOCATION"), &LicenceRecord::radioEuipmentLocation},
      {QStringLiteral("MOVEMENTAREA"), &LicenceRecord::movementArea},
      {QStringLiteral("RADIOSPEC1"), &LicenceRecord::radioSpec1},
  };
  const auto it = fields.find(upperName);
  return it == fields.end() ? nullptr : &(r.*(it->second));
}

}  // namespace

QString LicenceServiceBase() { return Base(QStringLiteral("MUSEN"), QStringLiteral("https://www.tele.soumu.go.jp")); }
QString LeagueSiteBase() { return Base(QStringLiteral("JARL"), QStringLiteral("https://www.jarl.org")); }

QString LicenceListUrl(const QString& call) {
  return LicenceServiceBase() + QStringLiteral("/musen/list?ST=1&DA=1&SC=1&DC=1&OF=3&OW=AT&MA=") + Encoded(call);
}

QString LicenceSearchPageUrl(const QString& call) {
  return LicenceServiceBase() +
         QStringLiteral("/musen/SearchServlet?SC=1&pageID=3&SelectID=1&CONFIRM=0&SelectOW=01&IT=&HC=&HV=&FF=&TF=&HZ=3&NA=&MA=") +
         Encoded(call);
}

QString LicenceServiceSearchUrl() {
  return LicenceServiceBase() + QStringLiteral("/musen/SearchServlet?pageID=2&SelectID=5");
}

QString LeagueMemberSearchUrl() {
  return LeagueSiteBase() + QStringLiteral("/Page/Search/MemberSearch.aspx?Language=Jp");
}

bool IsSearchableCall(const QString& call) {
  return call.size() >= 2 && call.size() <= kLongestCall && kJapanesePrefixes.contains(call.left(2));
}

void LicenceSearch(QString& call, LicenceSearchUi& ui) {
  if (!IsSearchableCall(call)) {
    TimedNotice(call + QStringLiteral(" は検索対象外です"));
    return;
  }
  const qsizetype slash = call.lastIndexOf(QLatin1Char('/'));
  if (slash >= 0) call = call.left(slash);

  ui.ShowBusy();
  const QString url = LicenceListUrl(call);
  InternetTransfer& inet = ui.HiddenViewerTransfer();
  const HttpAnswer answer = inet.Request(url);
  // A failed transfer: the viewer's control has told the operator and closed the viewer.
  if (!answer.ok) {
    ui.HideBusy();
    return;
  }

  switch (ParseLicenceXML(answer.body, call)) {
    case LicenceParse::Hits:
      ui.ShowAnswer(call);
      return;
    case LicenceParse::NoData:
      ui.HideBusy();
      TimedNotice(call + QStringLiteral(" の該当データがありません"));
      ui.UnloadViewer();
      return;
    case LicenceParse::Malformed:
      ui.HideBusy();
      ui.UnloadViewer();
      TimedNotice(call + QStringLiteral(" の該当データがありません。"));
      return;
  }
}

LicenceParse ParseLicenceXML(const QByteArray& answer, const QString& call) {
  LicenceAnswerState& a = LicenceAnswer;
  a.lastUpdateDate.clear();
  a.totalCount = 0;
  a.records.clear();
  a.hits.clear();
  a.firstHit = 0;
  a.hitCount = 0;

  // Each record runs from its own <no> element to the next one: its fields are never taken from
  // another record. Element names and values are compared in upper case.
  std::map<int32_t, LicenceRecord> numbered;
  LicenceRecord discarded;  // a record whose number is no number, or came before
  LicenceRecord* current = nullptr;
  QSet<QString> taken;  // fields of the current record already set: the first one counts
  std::optional<QString> lastUpdate, total;
  QXmlStreamReader xml(answer);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const QString name = xml.name().toString().toUpper();
    const bool known = name == QLatin1String("LASTUPDATEDATE") || name == QLatin1String("TOTALCOUNT") ||
                       name == QLatin1String("NO") || (current && FieldOf(*current, name));
    if (!known) continue;
    const QString value =
        xml.readElementText(QXmlStreamReader::IncludeChildElements).left(kLongestField).trimmed().toUpper();
    if (xml.hasError()) break;
    if (name == QLatin1String("LASTUPDATEDATE")) {
      if (!lastUpdate) lastUpdate = value;
    } else if (name == QLatin1String("TOTALCOUNT")) {
      if (!total) total = value;
    } else if (name == QLatin1String("NO")) {
      bool number = false;
      const int32_t no = value.toInt(&number);
      discarded = {};
      current = number && !numbered.count(no) ? &numbered[no] : &discarded;
      taken.clear();
    } else if (!taken.contains(name)) {
      taken.insert(name);
      *FieldOf(*current, name) = value;
    }
  }
  if (xml.hasError()) return LicenceParse::Malformed;

  a.lastUpdateDate = lastUpdate.value_or(QString());
  bool number = false;
  const int32_t count = total ? total->toInt(&number) : 0;
  if (!number || count < 0) return LicenceParse::Malformed;
  a.totalCount = count;
  if (count == 0) return LicenceParse::NoData;
  if (static_cast<size_t>(count) > numbered.size()) return LicenceParse::Malformed;
  a.records.reserve(count);
  for (int32_t i = 0; i < count; ++i) {
    const auto it = numbered.find(i + 1);
    if (it == numbered.end()) return LicenceParse::Malformed;
    a.records.push_back(it->second);
    if (it->second.identificationSignals == call) a.hits.push_back(i);
  }
  a.hitCount = static_cast<int32_t>(a.hits.size());
  if (a.hitCount == 0) return LicenceParse::NoData;
  a.firstHit = a.hits.front();
  return LicenceParse::Hits;
}

QString FetchLicenceDetailPage(const QString& call, int32_t index, InternetTransfer& inet) {
  QString page = inet.OpenURLText(LicenceSearchPageUrl(call));
  if (page.isEmpty()) return QString();
  page.replace(QLatin1String(">"), QLatin1String(">\r\n"));

  const QString marker = QStringLiteral("./SearchServlet?pageID=");
  const QString linkBase = LicenceServiceBase() + QStringLiteral("/musen");
  QStringList& links = LicenceAnswer.LicenceDetailLinks;
  links = QStringList{QString()};
  int32_t found = 0;
  for (const QString& line : LinesThroughWorkFile(QStringLiteral("1_SrchDat.txt"), page)) {
    const qsizetype p = line.indexOf(marker);
    const qsizetype q = line.indexOf(QLatin1String("=50"));
    if (p < 0 || q <= p) continue;
    QString link = linkBase + line.mid(p + 1, q + 3 - (p + 1));
    link.replace(QLatin1String("=50"), QLatin1String("=21")).replace(QLatin1String("&amp;"), QLatin1String("&"));
    if (found < links.size())
      links[found] = link;
    else
      links << link;
    ++found;
  }
  return index >= 0 && index < found ? links[index] : QString();
}

std::optional<QStringList> FetchEmissionRows(const QString& link, InternetTransfer& inet) {
  if (link.isEmpty()) return std::nullopt;
  const HttpAnswer answer = inet.Request(link);
  if (!answer.ok) return std::nullopt;
  QString page = answer.Text();
  page.replace(QLatin1String("</td>"), QLatin1String("</td>\r\n"));

  const QString open = QStringLiteral("<td><pre class=\"defpre\">");
  const QString close = QStringLiteral("</pre></td>");
  QStringList rows;
  QStringList cells;
  for (const QString& line : LinesThroughWorkFile(QStringLiteral("0_SrchDat.txt"), page)) {
    const qsizetype p = line.indexOf(open);
    if (p < 0) continue;
    const qsizetype start = p + open.size();
    const qsizetype end = line.indexOf(close, start);
    if (end < 0) continue;
    cells << line.mid(start, end - start).remove(QLatin1String("&nbsp;")).leftJustified(10, QLatin1Char(' '), true);
    if (cells.size() < 3) continue;
    // Two emission types in one cell ("A1AF1B") are shown apart.
    if (cells[0].trimmed().size() >= 4)
      cells[0] = (cells[0].left(3) + QStringLiteral(" , ") + cells[0].mid(3)).leftJustified(10, QLatin1Char(' '), true);
    rows << cells[0] + QLatin1Char('\t') + cells[1] + QLatin1Char('\t') + cells[2].trimmed().toLower();
    cells.clear();
  }
  return rows;
}
