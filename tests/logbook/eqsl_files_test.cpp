// Electronic QSL files as the outside readers see them: the eQSL ADIF and the full ADIF read by an
// ADIF reader of the test's own, the QSOBank XML parsed back with QXmlStreamReader, from marked runs
// of HAMLOG records and from the one QSO the entry window shows.
#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>

#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "logbook/EqslExport.h"
#include "logbook/EqslFiles.h"
#include "support/adif_reader.h"
#include "support/logbook_log.h"
#include "support/qt_print.h"

namespace {

QString u8(const char* t) { return QString::fromUtf8(t); }

EqslQso qso(const QString& date, const QString& time, const QString& call = "JA1ABC") {
  EqslQso q;
  q.call = call;
  q.date = QDate::fromString(date, "yyyy-MM-dd");
  q.time = time;
  q.his = "599";
  q.my = "579";
  q.freq = "7.025";
  q.mode = "CW";
  return q;
}

AdifFile adifOf(EqslFormat format, const std::vector<EqslQso>& qsos, const QString& message) {
  QByteArray bytes;
  EXPECT_TRUE(EqslFileBytes(format, qsos, message, bytes).ok);
  return ReadAdif(bytes);
}

QString stamp(const QString& date, const QString& time) {
  const auto s = EqslUtcStamp(qso(date, time));
  return s ? s->date + " " + s->time : "none";
}

// Every element of the XML: "name=text" for elements holding text, in document order.
struct Xml {
  QString encoding;
  QStringList elements;
  QString error;
};
Xml parseXml(const QByteArray& bytes) {
  Xml x;
  QXmlStreamReader r(bytes);
  QString text;
  while (!r.atEnd()) {
    r.readNext();
    if (r.isStartDocument()) x.encoding = r.documentEncoding().toString();
    if (r.isStartElement()) text.clear();
    if (r.isCharacters() && !r.isWhitespace()) text += r.text();
    if (r.isEndElement()) x.elements << r.name().toString() + "=" + text, text.clear();
  }
  if (r.hasError()) x.error = r.errorString();
  return x;
}

}  // namespace

TEST(EqslTimes, JstMovesToUtcAcrossDaysMonthsYearsAndLeapDays) {
  EXPECT_EQ(stamp("2024-03-01", "08:59J"), "20240229 2359");
  EXPECT_EQ(stamp("2024-03-01", "09:00J"), "20240301 0000");
  EXPECT_EQ(stamp("2024-03-01", "21:05J"), "20240301 1205");
  EXPECT_EQ(stamp("2024-01-01", "05:00J"), "20231231 2000");
  EXPECT_EQ(stamp("2023-03-01", "00:30J"), "20230228 1530");
  EXPECT_EQ(stamp("2024-03-01", "12:34U"), "20240301 1234");
  EXPECT_EQ(stamp("2024-03-01", "ab:cdJ"), "none");
  EXPECT_EQ(QsoBankDaytime(qso("2024-03-01", "01:30J")), "2024-03-01 01:30:00 JST");
  EXPECT_EQ(QsoBankDaytime(qso("2024-03-01", "12:34U")), "2024-03-01 12:34:00 UTC");
}

TEST(EqslModesAndBands, AdifNamesAsTheExportWritesThem) {
  EXPECT_EQ(AdifMode("BPSK"), "PSK31");
  EXPECT_EQ(AdifMode("RTTY"), "RTTY");
  EXPECT_EQ(AdifMode("TTY"), "RTTY");
  EXPECT_EQ(AdifMode("SSTV"), "SSTV");
  EXPECT_EQ(AdifMode("ssb"), "ssb");
  EXPECT_EQ(AdifMode("FT8"), "FT8");
  const std::vector<std::pair<QString, QString>> bands = {
      {"1.910", "160M"}, {"3.525", "80M"},   {"7.025", "40M"},  {"10.120", "30M"},  {"14.050", "20M"},
      {"144.100", "2M"}, {"145.000", "2M"},  {"18.080", "17M"}, {"21.050", "15M"},  {"24.940", "12M"},
      {"2400.000", "13CM"}, {"28.100", "10M"}, {"50.150", "6M"}, {"433.000", "70CM"}, {"1296.000", "23CM"},
      {"5650.0", "6CM"}, {"0.1357", ""}};
  for (const auto& [f, b] : bands) EXPECT_EQ(AdifBand(f), b) << f.toStdString();
}

TEST(EqslAdif, LengthsCountTheBytesOfTheFileSoJapaneseAndAmpersandsReadBack) {
  EqslQso a = qso("2024-03-01", "08:30J", "JA1ABC/1");
  EqslQso b = qso("2024-03-02", "12:34U", "7K1XYZ");
  b.mode = "SSB";
  const QString message = u8("ありがとう＆ＣＵＬ <73> & \"QSL\"");  // 10 Japanese characters among the rest
  const AdifFile f = adifOf(EqslFormat::EqslAdif, {a, b}, message);
  ASSERT_EQ(f.error, "");
  EXPECT_FALSE(f.header.trimmed().isEmpty());
  ASSERT_EQ(f.records.size(), 2u);
  EXPECT_EQ(f.order[0], QStringList({"CALL", "QSO_DATE", "TIME_ON", "FREQ", "MODE", "RST_SENT", "RST_RCVD", "QSLMSG"}));
  EXPECT_EQ(f.records[0]["CALL"], "JA1ABC/1");
  EXPECT_EQ(f.records[0]["QSO_DATE"], "20240229");
  EXPECT_EQ(f.records[0]["TIME_ON"], "2330");
  EXPECT_EQ(f.records[0]["FREQ"], "7.025");
  EXPECT_EQ(f.records[0]["RST_SENT"], "599");
  EXPECT_EQ(f.records[0]["RST_RCVD"], "579");
  EXPECT_EQ(f.records[0]["QSLMSG"], message);
  EXPECT_EQ(f.records[1]["QSO_DATE"], "20240302");
  EXPECT_EQ(f.records[1]["TIME_ON"], "1234");
  EXPECT_EQ(f.records[1]["MODE"], "SSB");
  // The default message and its length.
  QByteArray bytes;
  EqslFileBytes(EqslFormat::EqslAdif, {a}, EqslMessage(EqslFormat::EqslAdif, ""), bytes);
  EXPECT_TRUE(bytes.contains("<QSLMSG:21>Mny Tks FB QSO & CUL.<eor>\r\n"));
  EXPECT_TRUE(bytes.contains("<QSO_DATE:8:d>20240229"));
  EXPECT_TRUE(bytes.contains("\r\n<EOH>\r\n"));
}

TEST(EqslAdif, TheFullExportCarriesEveryFieldTheOperatorAndTheBand) {
  EqslQso q = qso("2024-05-06", "21:05J");
  q.freq = "1296.000";
  q.name = u8("山田太");
  q.qth = u8("横浜市 & <港北>");
  q.qslVia = "J";
  q.qslSent = "*";
  q.remarks1 = u8("メモ");
  const AdifFile f = adifOf(EqslFormat::LogAdif, {q}, "JA1ZZZ");
  ASSERT_EQ(f.error, "");
  ASSERT_EQ(f.records.size(), 1u);
  EXPECT_EQ(f.order[0], QStringList({"OPERATOR", "CALL", "QSO_DATE", "TIME_ON", "FREQ", "BAND", "MODE", "RST_SENT",
                                     "RST_RCVD", "QTH", "NAME", "GRIDSQUARE", "QSL_VIA", "QSL_SENT", "QSL_RCVD",
                                     "COMMENT"}));
  EXPECT_EQ(f.records[0]["OPERATOR"], "JA1ZZZ");
  EXPECT_EQ(f.records[0]["BAND"], "23CM");
  EXPECT_EQ(f.records[0]["QTH"], q.qth);
  EXPECT_EQ(f.records[0]["QSL_SENT"], "*");
  EXPECT_EQ(f.records[0]["QSL_RCVD"], "");
  EXPECT_EQ(f.records[0]["COMMENT"], u8("メモ"));
  QByteArray bytes;
  EqslFileBytes(EqslFormat::LogAdif, {q}, "JA1ZZZ", bytes);
  EXPECT_TRUE(bytes.contains("<NAME:6>"));
  EXPECT_TRUE(bytes.contains("<GRIDSQUARE:0><QSL_VIA:1>J"));
  EXPECT_FALSE(bytes.contains("QSLMSG"));
}

TEST(QsoBankXml, ParsesBackFieldByFieldWithItsEncodingAndEscapedTexts) {
  EqslQso a = qso("2024-03-01", "01:30J");
  a.freq = "144.100";
  a.mode = "FM";
  EqslQso b = qso("2024-03-02", "12:34U", "JA1<&>");
  const QString message = u8("ありがとう & <CUL> \"73\"");
  QByteArray bytes;
  ASSERT_TRUE(EqslFileBytes(EqslFormat::QsoBankXml, {a, b}, message, bytes).ok);
  EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"Windows-31J\"?>\r\n<putqsodata_body>\r\n"));
  const Xml x = parseXml(bytes);
  ASSERT_EQ(x.error, "");
  EXPECT_EQ(x.encoding, "Windows-31J");
  const QStringList record = {"daytime=2024-03-01 01:30:00 JST", "callsign=JA1ABC", "frequency=144.100", "mode=FM",
                              "his_rpt=599", "my_rpt=579", "qsl_remarks=" + message, "qso_record="};
  EXPECT_EQ(x.elements.mid(0, 8), record);
  EXPECT_EQ(x.elements[8], "daytime=2024-03-02 12:34:00 UTC");
  EXPECT_EQ(x.elements[9], "callsign=JA1<&>");
  EXPECT_EQ(x.elements.last(), "putqsodata_body=");
  EXPECT_EQ(x.elements.size(), 17);
  // Line by line as the upload program reads it.
  EXPECT_TRUE(bytes.contains("\r\n<frequency>144.100</frequency><mode>FM</mode>\r\n<his_rpt>599</his_rpt><my_rpt>579</my_rpt>\r\n"));
  // Nothing to send: the opening and closing lines alone, still a document.
  ASSERT_TRUE(EqslFileBytes(EqslFormat::QsoBankXml, {}, "x", bytes).ok);
  EXPECT_EQ(parseXml(bytes).error, "");
  EXPECT_EQ(parseXml(bytes).elements, QStringList({"putqsodata_body="}));
}

class EqslRecords : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    Settings.EqslMark = "N";
  }
  // Records 1..n, call JA1Ennn, with the QSL via of each (default "J").
  void Fill(int n, const std::map<int, QString>& qsl = {}, const std::map<int, std::pair<QString, QString>>& when = {}) {
    std::vector<LogQso> qsos;
    for (int i = 1; i <= n; ++i) {
      LogQso q(QString("JA1E%1").arg(i, 3, 10, QChar('0')));
      if (qsl.count(i)) q.qsl = qsl.at(i);
      if (when.count(i)) q.date = when.at(i).first, q.time = when.at(i).second;
      qsos.push_back(q);
    }
    AddQsos(qsos);
  }
  QStringList calls(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const AdifFile a = ReadAdif(f.readAll());
    EXPECT_EQ(a.error, "");
    QStringList out;
    for (const auto& r : a.records) out << r["CALL"];
    return out;
  }
  EqslQso shown() { return qso("2024-06-01", "10:00U", "JA9SHOW"); }
};

TEST_F(EqslRecords, AMarkedRunIsPutInOrderAndLeavesOutTheEqslMark) {
  Fill(6, {{3, "N  "}});
  const QString path = home.file("run.ADI");
  Eqsl.EqslStartMark = 5;  // marked in reverse
  Eqsl.EqslEndMark = 2;
  const EqslExportResult r = ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 6);
  ASSERT_TRUE(r.ok) << r.failure.toStdString();
  EXPECT_EQ(Eqsl.EqslStartMark, 2);
  EXPECT_EQ(Eqsl.EqslEndMark, 5);
  EXPECT_EQ(calls(path), QStringList({"JA1E002", "JA1E004", "JA1E005"}));
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  // A start mark alone: that one stored record, the mark test included.
  Eqsl.EqslStartMark = 3;
  Eqsl.EqslEndMark = 0;
  ASSERT_TRUE(ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 6).ok);
  EXPECT_EQ(Eqsl.EqslEndMark, 3);
  EXPECT_EQ(calls(path), QStringList());
  // No marks: the QSO on the screen, whatever its QSL via.
  Eqsl = {};
  ASSERT_TRUE(ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 7).ok);
  EXPECT_EQ(calls(path), QStringList({"JA9SHOW"}));
  EXPECT_EQ(Eqsl.EqslStartMark, 7);
  EXPECT_EQ(Eqsl.EqslEndMark, 7);
}

TEST_F(EqslRecords, StoredDatesAndTimesAreWidenedAndConverted) {
  Fill(3, {}, {{1, {"1999/12/31", "23:59U"}}, {2, {"2005/01/01", "08:00J"}}, {3, {"2024/03/01", "09:00J"}}});
  const QString path = home.file("dates.ADI");
  Eqsl.EqslStartMark = 1;
  Eqsl.EqslEndMark = 3;
  ASSERT_TRUE(ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 3).ok);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const AdifFile a = ReadAdif(f.readAll());
  ASSERT_EQ(a.records.size(), 3u);
  EXPECT_EQ(a.records[0]["QSO_DATE"] + " " + a.records[0]["TIME_ON"], "19991231 2359");
  EXPECT_EQ(a.records[1]["QSO_DATE"] + " " + a.records[1]["TIME_ON"], "20041231 2300");
  EXPECT_EQ(a.records[2]["QSO_DATE"] + " " + a.records[2]["TIME_ON"], "20240301 0000");
  // The same records for QSOBank keep their own zone.
  const QString xml = home.file("dates.xml");
  ASSERT_TRUE(ExportEqslRecords(EqslFormat::QsoBankXml, xml, shown(), 3).ok);
  QFile g(xml);
  ASSERT_TRUE(g.open(QIODevice::ReadOnly));
  const Xml x = parseXml(g.readAll());
  EXPECT_EQ(x.error, "");
  EXPECT_TRUE(x.elements.contains("daytime=2005-01-01 08:00:00 JST"));
  EXPECT_TRUE(x.elements.contains("qsl_remarks=Mny Tks FB QSO and CUL."));
}

TEST_F(EqslRecords, DeletedRecordsAreSkippedAndNamedNeverWrittenFromAnotherRecord) {
  Fill(5);
  ASSERT_EQ(HamlogOpenDb(), 0);
  ASSERT_EQ(Vdbf_delete(Hamlog.Thw, 3), 0);
  HamlogCloseDb(0);
  const QString path = home.file("gap.ADI");
  Eqsl.EqslStartMark = 2;
  Eqsl.EqslEndMark = 4;
  const EqslExportResult r = ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 5);
  ASSERT_TRUE(r.ok) << r.failure.toStdString();
  EXPECT_EQ(r.skipped, std::vector<int32_t>({3}));
  EXPECT_EQ(calls(path), QStringList({"JA1E002", "JA1E004"}));
}

TEST_F(EqslRecords, AFailureLeavesNoPartFileBehind) {
  Fill(3);
  // A time HAMLOG would not have taken, as another program may leave it.
  ChangeStoredField(2, 3, "  :  J");
  const QString path = home.file("bad.ADI");
  Eqsl.EqslStartMark = 1;
  Eqsl.EqslEndMark = 3;
  EqslExportResult r = ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 3);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedRecNo, 2);
  EXPECT_TRUE(r.failure.contains("No.2")) << r.failure.toStdString();
  EXPECT_FALSE(QFile::exists(path));
  // A folder that does not exist.
  Eqsl = {};
  r = ExportEqslRecords(EqslFormat::QsoBankXml, home.file("no/such/folder/x.xml"), shown(), 3);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.failure.contains("x.xml"));
  // HAMLOG that cannot be opened.
  Hamlog.HamlogDbPath = home.file("missing/HAMLOG.HDB");
  Eqsl.EqslStartMark = 1;
  r = ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 3);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.failure.startsWith(u8("HAMLOGのデータがOPEN出来ませんでした\r\nHAMLOG50.DLL=5.4"))) << r.failure.toStdString();
  EXPECT_FALSE(QFile::exists(path));
}

TEST(EqslMarks, StatusTextsAndSwaps) {
  Eqsl = {};
  EXPECT_EQ(SetEqslEndMark(40), "e-QSL No=40 to 40");  // the end first: the start takes it
  EXPECT_EQ(SetEqslStartMark(50), "e-QSL No=40 to 50");  // a later start swaps
  ClearEqslMarks();
  EXPECT_EQ(SetEqslStartMark(120), "e-QSL No=120");
  EXPECT_EQ(SetEqslEndMark(100), "e-QSL No=100 to 120");
  Eqsl = {};
}
