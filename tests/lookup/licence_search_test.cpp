#include <gtest/gtest.h>

#include "lookup/LicenceSearch.h"
#include "support/recorded_service.h"
#include "platform/ui/responders.h"
#include "support/qt_print.h"

namespace {

// The sheet and the viewer as the search sees them; the transfer control reports as the viewer's does.
struct RecordingUi : LicenceSearchUi {
  RecordingUi() {
    inet.StateChanged = [this](int s) {
      if (s == icError) steps << "transfer error";
    };
  }
  void ShowBusy() override { steps << "busy"; }
  void HideBusy() override { steps << "not busy"; }
  InternetTransfer& HiddenViewerTransfer() override {
    steps << "viewer hidden";
    return inet;
  }
  void ShowAnswer(const QString& call) override { steps << "shown " + call; }
  void UnloadViewer() override { steps << "viewer unloaded"; }

  InternetTransfer inet;
  QStringList steps;
};

class LicenceSearchTest : public ::testing::Test {
 protected:
  void SetUp() override { LicenceAnswer = {}; }
  // The call's record numbers among the hits.
  QStringList HitCalls() const {
    QStringList out;
    for (int32_t i : LicenceAnswer.hits) out << LicenceAnswer.records[i].identificationSignals;
    return out;
  }
  QString Search(QString call) {
    LicenceSearch(call, ui);
    return call;
  }

  RecordedService service;
  RecordingUi ui;
  MsgBoxResponder boxes;
};

const QString kList = "/musen/list?ST=1&DA=1&SC=1&DC=1&OF=3&OW=AT&MA=";

TEST_F(LicenceSearchTest, ACallWithOneLicenceFillsTheAnswerAndShowsTheViewer) {
  service.List("list_one.xml");
  EXPECT_EQ(Search("JA1ABC"), "JA1ABC");
  EXPECT_EQ(ui.steps, QStringList({"busy", "viewer hidden", "shown JA1ABC"}));
  EXPECT_EQ(service.server.requests(), QStringList({kList + "JA1ABC"}));
  EXPECT_EQ(LicenceAnswer.lastUpdateDate, "2026-12-01");
  EXPECT_EQ(LicenceAnswer.totalCount, 1);
  EXPECT_EQ(LicenceAnswer.firstHit, 0);
  EXPECT_EQ(LicenceAnswer.hitCount, 1);
  const LicenceRecord& r = LicenceAnswer.records[0];
  // The last, the radio's spec, as the answer is read: in upper case.
  EXPECT_EQ(QStringList({r.identificationSignals, r.name, r.tdfkCd, r.licenseDate, r.validTerms,
                         r.movementArea, r.radioEuipmentLocation, r.radioSpec1}),
            QStringList({"JA1ABC", "山田　太郎", "東京都", "2020-05-01", "2025-04-30", "陸上、海上及び上空",
                         "東京都千代田区", "4HA 1910KHZ 50W"}));
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(LicenceSearchTest, TheHitsAreTheRecordsOfTheSearchedCallWhereverTheyStand) {
  service.List("list_several.xml");
  Search("JA1AB");
  EXPECT_EQ(LicenceAnswer.totalCount, 3);
  EXPECT_EQ(LicenceAnswer.firstHit, 1);
  EXPECT_EQ(LicenceAnswer.hitCount, 2);
  EXPECT_EQ(LicenceAnswer.hits, std::vector<int32_t>({1, 2}));

  service.List("list_scattered.xml");
  Search("JA1AB");
  EXPECT_EQ(LicenceAnswer.hits, std::vector<int32_t>({0, 2}));
  EXPECT_EQ(HitCalls(), QStringList({"JA1AB", "JA1AB"}));
  EXPECT_EQ(LicenceAnswer.records[2].radioEuipmentLocation, "神奈川県川崎市");

  service.List("list_all.xml");
  Search("JA1ABC");
  EXPECT_EQ(LicenceAnswer.hitCount, LicenceAnswer.totalCount);
  EXPECT_EQ(ui.steps.filter("shown").size(), 3);
}

TEST_F(LicenceSearchTest, NoLicenceEndsWithTheNoDataNotice) {
  service.List("list_none.xml");
  Search("JA1ZZZ");
  EXPECT_EQ(ui.steps, QStringList({"busy", "viewer hidden", "not busy", "viewer unloaded"}));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].kind, MsgBoxCall::Timed);
  EXPECT_EQ(boxes.shown()[0].text, "JA1ZZZ の該当データがありません");
  EXPECT_EQ(boxes.shown()[0].title, "無線局検索");
  EXPECT_EQ(boxes.shown()[0].timeoutSeconds, 3);

  service.List("list_one.xml");  // records, but none of this call
  Search("JA1AB");
  EXPECT_EQ(boxes.texts().last(), "JA1AB の該当データがありません");
}

TEST_F(LicenceSearchTest, AnAnswerThatCannotBeCutEndsWithTheFullStopNotice) {
  for (const char* file : {"list_no_total.xml", "list_missing_no.xml", "error_page.html"}) {
    service.server.Answer("/musen/list", {200, "text/html; charset=UTF-8", Recorded(file), {}});
    Search("JA1ABC");
    EXPECT_EQ(boxes.texts().last(), "JA1ABC の該当データがありません。") << file;
    EXPECT_EQ(ui.steps.mid(ui.steps.size() - 2), QStringList({"not busy", "viewer unloaded"})) << file;
  }
  service.server.Answer("/musen/list", LocalHttpServer::Xml(Recorded("list_one.xml").left(300)));
  Search("JA1ABC");
  EXPECT_EQ(boxes.texts().last(), "JA1ABC の該当データがありません。");
  service.server.Answer("/musen/list", LocalHttpServer::Xml(""));
  Search("JA1ABC");
  EXPECT_EQ(boxes.texts().last(), "JA1ABC の該当データがありません。");
  EXPECT_EQ(ui.steps.filter("shown").size(), 0);
}

TEST_F(LicenceSearchTest, AFailedTransferIsLeftToTheViewersControl) {
  Search("JA1ABC");  // nothing recorded: 404
  EXPECT_EQ(ui.steps, QStringList({"busy", "viewer hidden", "transfer error", "not busy"}));
  service.server.Answer("/musen/list", LocalHttpServer::Redirect((kList + "JA1ABC").toLatin1()));
  Search("JA1ABC");
  EXPECT_TRUE(ui.inet.LastAnswer().error.startsWith("サーバーの転送が同じアドレスへ戻ってくるので"));
  service.server.Answer("/musen/list", LocalHttpServer::Redirect("file:///etc/passwd"));
  Search("JA1ABC");
  EXPECT_TRUE(ui.inet.LastAnswer().error.endsWith("への転送は断りました: file:///etc/passwd"));
  LocalHttpServer::Reply cut = LocalHttpServer::Xml(Recorded("list_one.xml").leftJustified(5000, ' '));
  cut.cutAfter = 300;  // "Content-Length: 5000", 300 bytes, closed
  service.server.Answer("/musen/list", cut);
  Search("JA1CL");
  EXPECT_EQ(ui.inet.LastAnswer().error, "サーバー 127.0.0.1 が答えの途中で接続を切りました (5000 バイトのうち 300 バイトで)");
  ui.steps.clear();
  service.server.Silent("/musen/list");
  HttpSettings.TimeoutMs = 400;  // never answered: the time-out comes whatever the machine's load
  Search("JA1ABC");
  EXPECT_EQ(ui.steps, QStringList({"busy", "viewer hidden", "transfer error", "not busy"}));
  EXPECT_EQ(ui.inet.LastAnswer().error, "400 ミリ秒待っても答えがありません");
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(LicenceSearchTest, ThePortablePartIsCutAndTheCallIsEncoded) {
  service.List("list_one.xml");
  EXPECT_EQ(Search("JA1ABC/1"), "JA1ABC");
  EXPECT_EQ(Search("JA1ABC/P/3"), "JA1ABC/P");
  EXPECT_EQ(Search("JA1&C=1"), "JA1&C=1");
  EXPECT_EQ(service.server.requests(),
            QStringList({kList + "JA1ABC", kList + "JA1ABC%2FP", kList + "JA1%26C%3D1"}));
}

TEST_F(LicenceSearchTest, OnlyJapaneseCallsAreSearched) {
  for (const QString call : {"W1AW", "KH0/JA1ABC", "", "J", "A,", "ＪＡ１ＡＢＣ", "JA1ABCDEFGHIJKLMNOPQRSTU"}) {
    Search(call);
    EXPECT_EQ(boxes.texts().last(), call + " は検索対象外です");
  }
  EXPECT_EQ(boxes.shown().back().title, "無線局検索");
  EXPECT_TRUE(ui.steps.isEmpty());
  EXPECT_TRUE(service.server.requests().isEmpty());
  EXPECT_TRUE(IsSearchableCall("7N4AAA"));
  EXPECT_TRUE(IsSearchableCall("8J1RL"));
}

TEST(LicenceXml, EachFieldComesFromItsOwnRecordWhateverTheMarkup) {
  LicenceAnswer = {};
  ASSERT_EQ(ParseLicenceXML(Recorded("list_odd.xml"), "JA1ABC"), LicenceParse::Hits);
  EXPECT_EQ(LicenceAnswer.lastUpdateDate, "2026-12-01");
  EXPECT_EQ(LicenceAnswer.hits, std::vector<int32_t>({0, 1}));
  const LicenceRecord& first = LicenceAnswer.records[0];
  EXPECT_EQ(first.identificationSignals, "JA1ABC");
  EXPECT_EQ(first.name, "");  // missing here, and not taken from the next record
  EXPECT_EQ(first.radioEuipmentLocation, "");
  EXPECT_EQ(first.movementArea, "陸上 & <海上>");
  EXPECT_EQ(first.radioSpec1, "4HA 1910KHZ 50W & 3MA 7MHZ 100W");
  EXPECT_EQ(LicenceAnswer.records[1].name, "ＪＡＲＬ　ＣＬＵＢ　ＴＯＫＹＯ");
  EXPECT_EQ(LicenceAnswer.records[1].licenseDate, "");
}

TEST_F(LicenceSearchTest, TheDetailLinksAreNumberedInPageOrder) {
  service.server.Answer("/musen/SearchServlet", LocalHttpServer::Html(Recorded("search_page.html")));
  const QString base = service.server.Base() + "/musen/SearchServlet?pageID=4&IT=A&DFCD=";
  EXPECT_EQ(FetchLicenceDetailPage("JA1AB", 0, ui.inet), base + "0000012345&DD=1&styleNumber=21");
  EXPECT_EQ(LicenceAnswer.LicenceDetailLinks.size(), 3);
  EXPECT_EQ(FetchLicenceDetailPage("JA1AB", 2, ui.inet), base + "0000024680&DD=1&styleNumber=21");
  EXPECT_EQ(FetchLicenceDetailPage("JA1AB", 3, ui.inet), "");
  EXPECT_EQ(service.server.requests().first(),
            "/musen/SearchServlet?SC=1&pageID=3&SelectID=1&CONFIRM=0&SelectOW=01&IT=&HC=&HV=&FF=&TF=&HZ=3&NA=&MA="
            "JA1AB");
  EXPECT_FALSE(QFile::exists(service.home.file("1_SrchDat.txt")));

  service.server.Answer("/musen/SearchServlet", LocalHttpServer::Html(""));
  EXPECT_EQ(FetchLicenceDetailPage("JA1AB", 0, ui.inet), "");
}

TEST_F(LicenceSearchTest, TheDetailPageIsCutIntoEmissionFrequencyAndPower) {
  service.server.Answer("/musen/SearchServlet", LocalHttpServer::Html(Recorded("detail_page.html")));
  const std::optional<QStringList> rows =
      FetchEmissionRows(service.server.Url("/musen/SearchServlet?pageID=4&DD=1&styleNumber=21"), ui.inet);
  ASSERT_TRUE(rows);
  EXPECT_EQ(*rows, QStringList({"A1A       \t7MHz      \t100w", "3HA       \t1910kHz   \t50w",
                                "A1A , F1B \t430MHz    \t20w"}));  // the row without its power is dropped
  EXPECT_FALSE(QFile::exists(service.home.file("0_SrchDat.txt")));

  EXPECT_FALSE(FetchEmissionRows("", ui.inet));
  EXPECT_FALSE(FetchEmissionRows(service.server.Url("/musen/gone"), ui.inet));
  EXPECT_EQ(ui.steps, QStringList({"transfer error"}));
}

TEST(LicenceUrls, EveryAddressStartsAtTheConfiguredService) {
  TempHome home;
  EXPECT_EQ(LicenceListUrl("JA1ABC"), "https://www.tele.soumu.go.jp" + kList + "JA1ABC");
  EXPECT_EQ(LicenceServiceSearchUrl(), "https://www.tele.soumu.go.jp/musen/SearchServlet?pageID=2&SelectID=5");
  EXPECT_EQ(LeagueMemberSearchUrl(), "https://www.jarl.org/Page/Search/MemberSearch.aspx?Language=Jp");
}

}  // namespace
