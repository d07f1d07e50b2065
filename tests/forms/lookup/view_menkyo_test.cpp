// The licence viewer as the operator meets it after a search from the sheet: the record fields, the
// scroll over the call's licences, the emission rows, the links, its failures and its geometry.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include "core/SettingsStore.h"
#include "forms/lookup/LicenceSearchWindows.h"
#include "forms/lookup/ViewMenkyo.h"
#include "lookup/LicenceSearch.h"
#include "platform/profile.h"
#include "platform/ui/responders.h"
#include "platform/ui/twips.h"
#include "support/qt_print.h"
#include "support/recorded_service.h"
#include "support/shared_state.h"

namespace {

class ViewMenkyoTest : public ::testing::Test {
 protected:
  void TearDown() override {
    UnloadForm<ViewMenkyo>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ResetSharedState();
  }
  QString Search(QString call) {
    SearchLicence(call);
    return call;
  }
  // The service answers with `list` and the recorded pages; `call` is searched.
  QString SearchWith(const char* list, const QString& call) {
    service.List(list);
    service.Pages("search_page.html", "detail_page.html");
    return Search(call);
  }
  ViewMenkyo& viewer() { return Form<ViewMenkyo>(); }
  // Text7 as lines (its line breaks are CR LF).
  QStringList Text7Lines() { return viewer().Text7.text().remove('\r').split('\n'); }
  QString Link(const char* dfcd) {
    return service.server.Base() + "/musen/SearchServlet?pageID=4&IT=A&DFCD=" + dfcd + "&DD=1&styleNumber=21";
  }

  RecordedService service;
  MsgBoxResponder boxes;
};

TEST_F(ViewMenkyoTest, TheFirstLicenceOfTheCallIsShownWithItsEmissionRows) {
  EXPECT_EQ(SearchWith("list_several.xml", "JA1AB/3"), "JA1AB");
  ASSERT_TRUE(IsLoaded<ViewMenkyo>());
  ViewMenkyo& v = viewer();
  EXPECT_TRUE(v.isVisible());
  EXPECT_EQ(v.windowTitle(), " 無線局免許情報");
  EXPECT_EQ(v.Frame1.title(), "JA1AB 2026-12-01現在 の免許情報");
  EXPECT_EQ(v.Label3.text(), "1/2");
  EXPECT_EQ(v.HScroll1.minimum(), 1);
  EXPECT_EQ(v.HScroll1.maximum(), 2);
  EXPECT_TRUE(v.HScroll1.isEnabled());
  EXPECT_EQ(QStringList({v.Text1.text(), v.Text2.text(), v.Text3.text(), v.Text4.text(), v.Text5.text(),
                         v.Text6.text(), v.Text8.text()}),
            QStringList({"JA1AB", "佐藤　花子", "2019-10-10", "2024-10-09", "陸上、海上及び上空",
                         "神奈川県横浜市", "神奈川県"}));
  EXPECT_EQ(Text7Lines(), QStringList({"3MA 7MHZ 100W", "", "A1A       \t7MHz      \t100w",
                                       "3HA       \t1910kHz   \t50w", "A1A , F1B \t430MHz    \t20w"}));
  EXPECT_EQ(LicenceAnswer.LicenceViewerFilled, 1);
  // The shown record is the answer's second: the page's second link.
  EXPECT_EQ(service.server.requests().last(), Link("0000067890").mid(service.server.Base().size()));
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(ViewMenkyoTest, ScrollingShowsTheCallsOtherLicenceWithItsOwnRows) {
  SearchWith("list_scattered.xml", "JA1AB");
  ViewMenkyo& v = viewer();
  EXPECT_EQ(v.Text6.text(), "神奈川県横浜市");
  v.HScroll1.setValue(v.HScroll1.maximum());
  EXPECT_EQ(v.Label3.text(), "2/2");
  EXPECT_EQ(v.Text3.text(), "2021-03-15");
  EXPECT_EQ(v.Text6.text(), "神奈川県川崎市");  // the third record: the other call's stands between
  EXPECT_EQ(Text7Lines().first(), "2HC 430MHZ 20W");
  EXPECT_EQ(Text7Lines().size(), 5);  // the record's own rows only, not those of the first
  EXPECT_EQ(service.server.requests().last(), Link("0000024680").mid(service.server.Base().size()));
}

TEST_F(ViewMenkyoTest, ASingleLicenceLeavesTheScrollBarUnusable) {
  SearchWith("list_one.xml", "JA1ABC");
  EXPECT_FALSE(viewer().HScroll1.isEnabled());
  EXPECT_EQ(viewer().Label3.text(), "1/1");
}

TEST_F(ViewMenkyoTest, TheMenusAndADoubleClickOpenTheServicesPages) {
  SearchWith("list_all.xml", "JA1ABC");
  ShellRecorder shell;
  ViewMenkyo& v = viewer();
  v.ViewXML.Click();
  v.MenSrch.Click();
  v.JarlMemb.Click();
  QTest::mouseDClick(v.Text7.viewport(), Qt::LeftButton);
  const QString base = service.server.Base();
  EXPECT_EQ(shell.opened(),
            QStringList({base + "/musen/list?ST=1&DA=1&SC=1&DC=1&OF=3&OW=AT&MA=JA1ABC",
                         base + "/musen/SearchServlet?pageID=2&SelectID=5",
                         base + "/Page/Search/MemberSearch.aspx?Language=Jp", Link("0000012345")}));
  shell.SetOpenResult(SE_ERR_NOASSOC);
  boxes.Answer(vbOK).Answer(vbOK);
  v.JarlMemb.Click();
  QTest::mouseDClick(v.Text7.viewport(), Qt::LeftButton);
  const QString noProgram = " を開くプログラムがありません (既定のブラウザーやアプリを設定して下さい)";
  EXPECT_EQ(boxes.texts(),
            QStringList({"Link Error\r\n" + base + "/Page/Search/MemberSearch.aspx?Language=Jp" + noProgram,
                         "Link Error\r\n" + Link("0000012345") + noProgram}));
}

TEST_F(ViewMenkyoTest, AFailedTransferIsReportedWithItsCauseAndClosesTheViewer) {
  SearchWith("list_one.xml", "JA1ABC");
  ASSERT_TRUE(viewer().isVisible());
  service.server.Answer("/musen/list", LocalHttpServer::Redirect("file:///etc/passwd"));
  boxes.Answer(vbOK);
  Search("JA1ABC");
  EXPECT_EQ(boxes.texts().value(0),
            "インターネット接続エラーです\r\n"
            "問い合わせたホストの外 (または https でないアドレス) への転送は断りました: file:///etc/passwd");
  service.List("list_one.xml");
  Search("JA1ABC");
  service.server.Silent("/musen/list");
  HttpSettings.TimeoutMs = 400;  // the server never answers: the time-out comes whatever the machine's load
  boxes.Answer(vbOK);
  Search("JA1ABC");
  EXPECT_FALSE(IsLoaded<ViewMenkyo>());  // the earlier licence is not left on show
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[1].text, "インターネット接続エラーです\r\n400 ミリ秒待っても答えがありません");
  EXPECT_EQ(boxes.shown()[1].title, "無線局検索");
  EXPECT_EQ(boxes.shown()[1].kind, MsgBoxCall::Box) << "an error waits for the operator";
  EXPECT_EQ(boxes.shown()[1].style, vbOKOnly + vbExclamation);
  EXPECT_TRUE(boxes.shown()[1].position.has_value()) << "over the sheet";

  // The list comes, the detail page does not: one report, no "Link Error" after it.
  service.List("list_one.xml");
  service.server.Answer("/musen/SearchServlet?SC=1&pageID=3",
                        LocalHttpServer::Html(Recorded("search_page.html")));
  boxes.Answer(vbOK);
  Search("JA1ABC");
  EXPECT_FALSE(IsLoaded<ViewMenkyo>());
  EXPECT_EQ(boxes.texts().mid(1), QStringList({boxes.texts()[1], boxes.texts()[1]}));
  EXPECT_EQ(LicenceAnswer.LicenceViewerFilled, 0);
}

TEST_F(ViewMenkyoTest, AnEndlessFieldIsCutAndAnAnswerTooLargeIsNamedAsSuch) {
  QByteArray list = Recorded("list_one.xml");
  list.replace("4HA 1910kHz 50W", QByteArray(300'000, 'W'));
  service.server.Answer("/musen/list", LocalHttpServer::Xml(list));
  service.Pages("search_page.html", "detail_page.html");
  Search("JA1ABC");
  ASSERT_TRUE(IsLoaded<ViewMenkyo>());
  EXPECT_EQ(Text7Lines().first(), QString(4000, 'W'));

  list.replace(QByteArray(300'000, 'W'), QByteArray(5'000'000, 'W'));
  service.server.Answer("/musen/list", LocalHttpServer::Xml(list));
  boxes.Answer(vbOK);
  Search("JA1ABC");
  EXPECT_FALSE(IsLoaded<ViewMenkyo>());
  EXPECT_EQ(boxes.texts(), QStringList({"免許情報の答えが大きすぎるので読みませんでした。\r\n"
                                        "答えが大きすぎるので読むのをやめました (4194304 バイトまで)"}));
}

TEST_F(ViewMenkyoTest, ARecordWithoutADetailLinkKeepsItsSpecAndSaysLinkError) {
  service.List("list_one.xml");
  service.server.Answer("/musen/SearchServlet", LocalHttpServer::Html("<html><body>該当なし</body></html>"));
  boxes.Answer(vbOK);
  Search("JA1ABC");
  EXPECT_EQ(boxes.texts(), QStringList({"Link Error"}));
  EXPECT_EQ(Text7Lines(), QStringList({"4HA 1910KHZ 50W", ""}));
  EXPECT_TRUE(viewer().isVisible());
}

TEST_F(ViewMenkyoTest, TheGeometryComesFromTheSettingsAndGoesBackOnClose) {
  ViewMenkyo& fresh = viewer();
  EXPECT_EQ(fresh.Top(), 0);
  EXPECT_EQ(fresh.Left(), 0);
  EXPECT_EQ(fresh.Frame1.Width(), 7335);
  EXPECT_EQ(fresh.Text7.Height(), 2175);
  UnloadForm<ViewMenkyo>();
  const QByteArray ini = service.home.read("ORBEX5.INI");
  for (const char* line : {"[MSRpos]\r\nMSRposT= 0\r\nMSRposL= 0\r\nMSRposW=",
                           "MSRposFW= 7335\r\nMSRposFH= 5295\r\n", "MSRposTW= 6735\r\nMSRposTH= 2175\r\n"})
    EXPECT_TRUE(ini.contains(line)) << line << "\n" << ini.toStdString();

  WriteIni("MSRpos", "MSRposT", QString::number(ScreenHeightTwips()));  // off the screen
  WriteIni("MSRpos", "MSRposL", "600");
  WriteIni("MSRpos", "MSRposFW", "6000");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(viewer().Top(), 0);
  EXPECT_EQ(viewer().Left(), 600);
  EXPECT_EQ(viewer().Frame1.Width(), 6000);
  UnloadForm<ViewMenkyo>();

  DeletePrivateProfileKey("MSRpos", "MSRposT", IniFilePath());  // without a top the left is not used
  WriteIni("MSRpos", "MSRposL", "600");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(viewer().Left(), 0);
}

TEST_F(ViewMenkyoTest, OnlyAShownResultFollowsTheWindowsSize) {
  ViewMenkyo& v = viewer();
  v.SetWidth(v.Width() + 600);
  EXPECT_EQ(v.Frame1.Width(), 7335);  // nothing shown yet
  UnloadForm<ViewMenkyo>();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  SearchWith("list_one.xml", "JA1ABC");
  ViewMenkyo& shown = viewer();
  const int frameW = shown.Frame1.Width();
  const int textH = shown.Text7.Height();
  shown.Move(shown.Left(), shown.Top(), shown.Width() + 600, shown.Height() + 300);
  EXPECT_EQ(shown.Frame1.Width(), frameW + 600);
  EXPECT_EQ(shown.Text7.Height(), textH + 300);
}

}  // namespace
