#pragma once
// The government radio-station licence search: the list of a call's licences (an XML answer), the
// links of their detail pages and the emission rows cut from such a page.
//
//   struct SheetAndViewer : LicenceSearchUi { ... };      // the windows, behind a small interface
//   QString call = "JA1ABC/1";
//   LicenceSearch(call, ui);                               // call is "JA1ABC" afterwards
//   ... the viewer shows LicenceAnswer.records[LicenceAnswer.hits[k]] ...
//
// Every address starts at the service's base address, one setting: [WEBHOST] MUSEN in ORBEX5.INI
// (default https://www.tele.soumu.go.jp). The league's site is [WEBHOST] JARL.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

class InternetTransfer;

struct LicenceRecord {
  QString identificationSignals;
  QString name;
  QString tdfkCd;
  QString licenseDate;
  QString validTerms;
  QString radioEuipmentLocation;
  QString movementArea;
  QString radioSpec1;
};

struct LicenceAnswerState {
  QString lastUpdateDate;
  int32_t totalCount = 0;
  std::vector<LicenceRecord> records;  // record i carries the number i + 1 in the answer
  std::vector<int32_t> hits;           // record numbers whose call is the searched one, in answer order
  int32_t firstHit = 0;
  int32_t hitCount = 0;
  int32_t LicenceViewerFilled = 0;  // 1 while the viewer shows a result
  QStringList LicenceDetailLinks;   // detail-page links of the records, by record number
};
extern LicenceAnswerState LicenceAnswer;

// What the search needs of the windows: the progress sheet's busy frame and the licence viewer.
class LicenceSearchUi {
 public:
  virtual ~LicenceSearchUi() = default;
  // The sheet's busy frame, with the search's caption and text, shown or hidden.
  virtual void ShowBusy() = 0;
  virtual void HideBusy() = 0;
  // The viewer, loaded and hidden; its transfer control makes the request (and reports its failure).
  virtual InternetTransfer& HiddenViewerTransfer() = 0;
  // Fills the viewer from LicenceAnswer, shows it and starts the emission details of the first hit.
  virtual void ShowAnswer(const QString& call) = 0;
  virtual void UnloadViewer() = 0;
};

enum class LicenceParse { Hits, NoData, Malformed };

// The service's base address ("https://host", no trailing "/") and the league's.
QString LicenceServiceBase();
QString LeagueSiteBase();
// The licence list of a call, as XML (also what the viewer's "表示(XML)" opens in the browser).
QString LicenceListUrl(const QString& call);
// The search servlet's page of the call's licences, which links every record's detail page.
QString LicenceSearchPageUrl(const QString& call);
// The service's own search page, and the league's member search.
QString LicenceServiceSearchUrl();
QString LeagueMemberSearchUrl();

// A call the service can be asked for: a Japanese prefix, 2 to 20 characters.
bool IsSearchableCall(const QString& call);

// The whole search: checks and shortens the call, asks the service through the viewer's transfer
// control, cuts the answer and ends in the viewer, a message, or nothing (a failed transfer, which the
// viewer's control reports itself).
void LicenceSearch(QString& call, LicenceSearchUi& ui);

// Cuts the XML answer into LicenceAnswer, the hits being the records of `call`.
LicenceParse ParseLicenceXML(const QByteArray& answer, const QString& call);

// The detail link of record `index`, from the search servlet's page; "" when there is none.
QString FetchLicenceDetailPage(const QString& call, int32_t index, InternetTransfer& inet);

// The emission rows of a detail page (emission, frequency, power, separated by TABs); nothing when
// the link is empty or the page could not be fetched.
std::optional<QStringList> FetchEmissionRows(const QString& link, InternetTransfer& inet);
