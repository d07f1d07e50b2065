// Electronic QSL files as the outside readers see them: the eQSL ADIF and the full ADIF read by an
// ADIF reader of the test's own and checked against ADIF's tables, the QSOBank XML parsed back by
// libxml2 and Python, from marked runs of HAMLOG records and from the one QSO the entry window shows.
#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>

#include "core/BandLayout.h"
#include "core/HamlogAccess.h"
#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "logbook/AdifValues.h"
#include "logbook/EqslExport.h"
#include "logbook/EqslFiles.h"
#include "support/adif_reader.h"
#include "support/logbook_log.h"
#include "support/qt_print.h"
#include "support/xml_readers.h"

namespace {

QString u8(const char* t) { return QString::fromUtf8(t); }

EqslQso qso(const QString& date, const QString& time, const QString& call = "JA1ABC") {
  EqslQso q;
  q.call = call, q.date = QDate::fromString(date, "yyyy-MM-dd"), q.time = time;
  q.his = "599", q.my = "579", q.freq = "7.025", q.mode = "CW";
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

namespace {

// ADIF 3.1.6's published tables: the bands' edges in MHz, the modes, and the
// submodes with the mode each belongs to.
const std::map<QString, std::pair<double, double>> kAdifBands = {
    {"2190m", {.1357, .1378}}, {"630m", {.472, .479}}, {"560m", {.501, .504}}, {"160m", {1.8, 2}},
    {"80m", {3.5, 4}}, {"60m", {5.06, 5.45}}, {"40m", {7, 7.3}}, {"30m", {10.1, 10.15}}, {"20m", {14, 14.35}},
    {"17m", {18.068, 18.168}}, {"15m", {21, 21.45}}, {"12m", {24.89, 24.99}}, {"10m", {28, 29.7}}, {"8m", {40, 45}},
    {"6m", {50, 54}}, {"5m", {54.000001, 69.9}}, {"4m", {70, 71}}, {"2m", {144, 148}}, {"1.25m", {222, 225}}, {"70cm", {420, 450}}, {"33cm", {902, 928}},
    {"23cm", {1240, 1300}}, {"13cm", {2300, 2450}}, {"9cm", {3300, 3500}}, {"6cm", {5650, 5925}},
    {"3cm", {10000, 10500}}, {"1.25cm", {24000, 24250}}, {"6mm", {47000, 47200}}, {"4mm", {75500, 81000}},
    {"2.5mm", {119980, 123000}}, {"2mm", {134000, 149000}}, {"1mm", {241000, 250000}}, {"submm", {300000, 7500000}}};
// MODE values for export (DSTAR and C4FM are taken on import only since 3.1.3).
const QStringList kAdifModes = {"AM", "ARDOP", "ATV", "CHIP", "CLO", "CONTESTI", "CW", "DIGITALVOICE",
    "DOMINO", "FAX", "FM", "FSK441", "FT8", "HELL", "ISCAT", "JT4", "JT6M", "JT9", "JT44", "JT65", "MFSK",
    "MSK144", "MT63", "OLIVIA", "OPERA", "PAC", "PAX", "PKT", "PSK", "PSK2K", "Q15", "QRA64", "ROS", "RTTY", "RTTYM",
    "SSB", "SSTV", "T10", "THOR", "THRB", "TOR", "V4", "VOI", "WINMOR", "WSPR", "DYNAMIC", "FSK", "MTONE"};
const QMap<QString, QString> kAdifSubmodes = {{"LSB", "SSB"}, {"USB", "SSB"}, {"PSK31", "PSK"}, {"PSK63", "PSK"},
    {"PSK125", "PSK"}, {"QPSK31", "PSK"}, {"QPSK63", "PSK"}, {"FT4", "MFSK"}, {"JS8", "MFSK"}, {"FST4", "MFSK"},
    {"Q65", "MFSK"}, {"MFSK16", "MFSK"}, {"C4FM", "DIGITALVOICE"}, {"DMR", "DIGITALVOICE"}, {"DSTAR", "DIGITALVOICE"},
    {"PSK250", "PSK"}, {"JT65B", "JT65"}, {"FST4W", "MFSK"}, {"FREEDV", "DIGITALVOICE"}, {"CHIP64", "CHIP"},
    {"FSKH105", "HELL"}, {"FSKH245", "HELL"}, {"SCAMP_FAST", "FSK"}, {"SCAMP_SLOW", "FSK"}, {"SCAMP_VSLOW", "FSK"},
    {"SCAMP_OO", "MTONE"}, {"SCAMP_OO_SLW", "MTONE"}};

// Frequencies as HAMLOG holds them, at the edges of each of the program's bands in Japan, beyond them
// within ADIF's, and bands logged by their labels.
const std::map<QString, QStringList> kLogged = {{"1.9", {"1.810", "1.9125"}}, {"3.5", {"3.500", "3.805"}},
    {"7", {"7", "7.200"}}, {"10", {"10.100", "10.150", "10"}}, {"14", {"14.000", "14.350"}},
    {"18", {"18.068", "18.168", "18"}}, {"21", {"21.000", "21.450"}}, {"24", {"24.890", "24.990", "24"}},
    {"28", {"28.000", "29.300", "29.700"}}, {"50", {"50.000", "54.000"}}, {"144", {"144.000", "145.990", "146.500", "148"}},
    {"430", {"430.000", "439.990"}}, {"1200", {"1260.000", "1299.99", "1200"}}, {"2400", {"2400.000", "2427", "2450"}},
    {"5600", {"5650", "5760", "5850.0", "5600"}}, {"135K", {"0.1357", "0.1378", "0.135"}}, {"475K", {"0.472", "0.479"}}, {"10G", {"*10.024", "*10.45", "10368", "10G"}},
    {"24G", {"*24.048", "24G"}}, {"47G", {"*47.088"}}, {"77G", {"*77.5", "*78.0", "77G"}}, {"SAT", {"435/145", "145.9/435.8"}}};

}  // namespace

TEST(AdifValues, EveryBandAndModeGoesOutAsAdifHasItAndWhatItLacksIsLeftOut) {
  QStringList freqs, modes = AdifKnownModes() << "bpsk" << " FT4 " << "CW-R";  // as typed, and from the rigs
  for (const BandInfo& b : Bands) {
    ASSERT_TRUE(kLogged.count(b.label)) << "no frequency for the band " << b.label;
    for (const QString& f : kLogged.at(b.label)) EXPECT_EQ(BandLabelOf(f, true), b.label) << f.toStdString();
    freqs << kLogged.at(b.label);
  }
  freqs << "54.0000005" << "7.02.5" << "*10.6" << "*1.9";  // past an edge, no number, another program's labels
  std::vector<EqslQso> qsos(size_t(std::max(freqs.size(), modes.size())) + 1, qso("2024-03-01", "12:00U"));
  for (size_t i = 0; i + 1 < qsos.size(); ++i) qsos[i].freq = freqs[i % freqs.size()], qsos[i].mode = modes[i % modes.size()];
  qsos.back().freq = "9999", qsos.back().mode = "ZZZ";  // nothing ADIF has
  for (const EqslFormat format : {EqslFormat::EqslAdif, EqslFormat::LogAdif}) {
    QByteArray bytes;
    const EqslWriteResult w = EqslFileBytes(format, qsos, "x", bytes);
    const AdifFile a = ReadAdif(bytes);
    ASSERT_EQ(a.error, "");
    ASSERT_EQ(a.records.size(), qsos.size() - (format == EqslFormat::EqslAdif ? 1 : 0));
    for (size_t i = 0; i + 1 < qsos.size(); ++i) {
      const QMap<QString, QString>& r = a.records[i];
      const std::string what = (qsos[i].freq + " " + qsos[i].mode + " -> " + QStringList(r.values()).join(' ')).toStdString();
      ASSERT_TRUE(kAdifBands.count(r.value("BAND"))) << what;
      const auto [low, high] = kAdifBands.at(r["BAND"]);
      EXPECT_TRUE(!r.contains("FREQ") || (r["FREQ"].toDouble() >= low && r["FREQ"].toDouble() <= high)) << what;
      // A frequency within ADIF's edges goes out; a band's label, or a text outside them, does not.
      const QString f = qsos[i].freq.section('/', 0, 0);
      const double mhz = f.startsWith('*') ? f.mid(1).toDouble() * 1000 : f.toDouble();
      const bool inBand = std::any_of(kAdifBands.begin(), kAdifBands.end(),
                                      [&](const auto& b) { return mhz >= b.second.first && mhz <= b.second.second; });
      EXPECT_EQ(r.contains("FREQ"), inBand && BandLabelOf(f, true) != f) << what;
      EXPECT_TRUE(kAdifModes.contains(r.value("MODE"))) << what;
      EXPECT_NE(r.value("SUBMODE"), r["MODE"]) << what;
      EXPECT_EQ(kAdifSubmodes.value(r.value("SUBMODE"), r["MODE"]), r["MODE"]) << what;
    }
    for (const char* field : {"MODE", "SUBMODE", "FREQ", "BAND"})
      EXPECT_TRUE(format == EqslFormat::EqslAdif || !a.records.back().contains(field)) << field;
    ASSERT_EQ(w.leftOut.size(), 1);
    EXPECT_TRUE(w.leftOut[0].contains("ZZZ") && w.leftOut[0].contains("9999")) << w.leftOut[0].toStdString();
  }
  // The band a label counts in; outside the program's bands, ADIF's own, its newer ones included. A label of
  // the program's gives its band alone.
  for (const auto& [f, band] : std::map<QString, QString>{
           {"2427", "13cm"},   {"29.300", "10m"}, {"7", "40m"},   {"5760", "6cm"},      {"0.1357", "2190m"},
           {"*10.024", "3cm"}, {"40.680", "8m"},  {"60.0", "5m"}, {"*122.25", "2.5mm"}, {"*400", "submm"},
           {"0.135", "2190m"}, {"1200", "23cm"},  {"10", "30m"},  {"18", "17m"},        {"24", "12m"},
           {"5600", "6cm"},    {"1.9", "160m"},   {"3.5", "80m"}, {"14", "20m"},        {"21", "15m"},
           {"28", "10m"},      {"50", "6m"},      {"144", "2m"},  {"430", "70cm"},      {"2400", "13cm"},
           {"10G", "3cm"},     {"24G", "1.25cm"}, {"47G", "6mm"}, {"77G", "4mm"},       {"135K", "2190m"},
           {"475K", "630m"},   {"54", "6m"},      {"54.0000005", "6m"}, {"7.02.5", "40m"}, {"14,074", "20m"},
           {"*10.6", "3cm"},   {"1.2G", ""},      {"12G", ""},    {"50G", ""}}) {
    const AdifFreq adif = AdifFrequency(" " + f + " ");
    EXPECT_EQ(adif.band, band) << f.toStdString();
    if (kLogged.count(f) || QStringList({"54.0000005", "7.02.5", "14,074", "*10.6"}).contains(f)) {
      EXPECT_EQ(adif.mhz, "") << f.toStdString();
    }
  }
  // A text in GHz outside every band is in none: its frequency alone, as for 4.630 MHz.
  EXPECT_EQ(AdifFrequency("1.2G").mhz + " " + AdifFrequency("50G").mhz, "1200 50000");
  EXPECT_EQ(AdifFrequency("54").mhz, "54") << "the edge is in the band";
  // ADIF's modes and submodes as typed in any case, and the spellings of HAMLOG's users.
  const auto pair = [](const QString& t) { return AdifModeOf(t).mode + "/" + AdifModeOf(t).submode; };
  for (const QString& mode : kAdifModes)
    if (mode != "FSK") { EXPECT_EQ(pair(mode.toLower()), mode + "/"); }
  EXPECT_EQ(pair("fsk"), "RTTY/") << "the rigs' name of RTTY";
  for (const auto& [sub, mode] : kAdifSubmodes.asKeyValueRange())
    EXPECT_EQ(pair(" " + sub.toLower()), mode + "/" + sub);
  EXPECT_EQ(pair("BPSK"), "PSK/PSK31");
}

// Texts at and beside every edge of ADIF's bands, and between them: a BAND always carries the FREQ
// beside it; a QSO in no band goes to eQSL not at all and to the full export with FREQ alone, named.
TEST(AdifValues, EveryTextAtABandsEdgeGoesOutAsEqslAndStrictReadersTakeIt) {
  std::vector<EqslQso> qsos;
  const auto add = [&](const QString& f) {
    qsos.push_back(qso("2024-03-01", "12:00U", QString("JA%1").arg(qsos.size()))), qsos.back().freq = f;
  };
  for (const char* f : {"4.630", "27.185", "abc"}) add(f);
  for (const auto& [band, edges] : kAdifBands)
    for (const double edge : {edges.first, edges.second})
      for (const double step : {-0.001, -0.0000005, 0.0, 0.0000005, 0.001})
        add(edge < 10000 ? QString::number(edge + step, 'f', 7) : "*" + QString::number((edge + step) / 1000, 'f', 10));
  const auto inBand = [](const QString& band, double mhz) {
    return std::any_of(kAdifBands.begin(), kAdifBands.end(), [&](const auto& b) {
      return (band.isEmpty() || b.first == band) && mhz >= b.second.first && mhz <= b.second.second;
    });
  };
  for (const EqslFormat format : {EqslFormat::EqslAdif, EqslFormat::LogAdif}) {
    QByteArray bytes;
    const EqslWriteResult w = EqslFileBytes(format, qsos, "x", bytes);
    const AdifFile a = ReadAdif(bytes);
    ASSERT_EQ(a.error, "");
    const auto named = [&](const QString& call) { return !w.leftOut.filter(" (" + call + ")").isEmpty(); };
    QStringList calls;
    for (const auto& r : a.records) {
      calls << r["CALL"];
      const double mhz = r.value("FREQ", "0").toDouble();
      EXPECT_TRUE(r.contains("BAND") ? kAdifBands.count(r["BAND"]) && (!r.contains("FREQ") || inBand(r["BAND"], mhz))
                                     : format == EqslFormat::LogAdif && named(r["CALL"]) && !inBand("", mhz))
          << QStringList(r.values()).join(' ').toStdString();
    }
    // Each QSO is in the file; the eQSL file's, unless named as left out.
    for (const EqslQso& q : qsos)
      EXPECT_EQ(calls.count(q.call), format == EqslFormat::LogAdif || !named(q.call) ? 1 : 0) << q.freq.toStdString();
    EXPECT_TRUE(named(qsos[0].call) && named(qsos[1].call));
  }
  // A run of nothing eQSL takes writes no file and says why.
  TempHome home;
  const EqslWriteResult none = WriteEqslFile(home.file("cb.ADI"), EqslFormat::EqslAdif, {qsos[1]}, "x");
  EXPECT_TRUE(none.nothing && !QFile::exists(home.file("cb.ADI")));
  EXPECT_TRUE(none.failure.contains("27.185") && none.failure.contains(u8("eQSL はバンドとモードのない交信を受け付けません")));
}

TEST(EqslAdif, LengthsCountTheBytesOfTheFileSoJapaneseAndAmpersandsReadBack) {
  EqslQso a = qso("2024-03-01", "08:30J", "JA1ABC/1");
  EqslQso b = qso("2024-03-02", "12:34U", "7K1XYZ");
  b.mode = "SSB";
  const QString message = u8("ありがとう＆ＣＵＬ <73> & \"QSL\"");  // 10 Japanese characters among the rest
  const AdifFile f = adifOf(EqslFormat::EqslAdif, {a, b}, message);
  ASSERT_EQ(f.error, "");
  EXPECT_TRUE(f.header.contains("<ADIF_VER:5>3.1.6")) << f.header.toStdString();
  ASSERT_EQ(f.records.size(), 2u);
  EXPECT_EQ(f.order[0],
            QStringList({"CALL", "QSO_DATE", "TIME_ON", "FREQ", "BAND", "MODE", "RST_SENT", "RST_RCVD", "QSLMSG"}));
  for (size_t i = 0; i < 2; ++i) {
    QStringList values;
    for (const QString& name : f.order[i]) values << f.records[i][name];
    EXPECT_EQ(values, i == 0 ? QStringList({"JA1ABC/1", "20240229", "2330", "7.025", "40m", "CW", "599", "579", message})
                             : QStringList({"7K1XYZ", "20240302", "1234", "7.025", "40m", "SSB", "599", "579", message}));
  }
  // The default message and its length.
  QByteArray bytes;
  EqslFileBytes(EqslFormat::EqslAdif, {a}, EqslMessage(EqslFormat::EqslAdif, ""), bytes);
  EXPECT_TRUE(bytes.contains("<QSLMSG:21>Mny Tks FB QSO & CUL.<eor>\r\n"));
  EXPECT_TRUE(bytes.contains("<QSO_DATE:8:d>20240229"));
  EXPECT_TRUE(bytes.contains("\r\n<EOH>\r\n"));
}

TEST(EqslAdif, TheFullExportCarriesEveryFieldTheOperatorAndTheBand) {
  EqslQso q = qso("2024-05-06", "21:05J");
  q.freq = "1296.000", q.name = u8("山田太"), q.qth = u8("横浜市 & <港北>");
  q.qslVia = "J", q.qslSent = "*", q.remarks1 = u8("メモ");
  const AdifFile f = adifOf(EqslFormat::LogAdif, {q}, "JA1ZZZ");
  ASSERT_EQ(f.error, "");
  ASSERT_EQ(f.records.size(), 1u);
  EXPECT_EQ(f.order[0], QStringList({"OPERATOR", "CALL", "QSO_DATE", "TIME_ON", "FREQ", "BAND", "MODE", "RST_SENT",
                                     "RST_RCVD", "QTH", "NAME", "GRIDSQUARE", "QSL_VIA", "QSL_SENT", "QSL_RCVD",
                                     "COMMENT"}));
  EXPECT_EQ(f.records[0]["OPERATOR"], "JA1ZZZ");
  EXPECT_EQ(f.records[0]["BAND"], "23cm");
  EXPECT_EQ(f.records[0]["QTH"], q.qth);
  EXPECT_EQ(f.records[0]["QSL_SENT"], "Y") << "HAMLOG's mark as ADIF's state";
  EXPECT_EQ(f.records[0]["QSL_RCVD"], "N");
  q.qslSent.clear();
  q.qslRcvd = "E";
  const AdifFile g = adifOf(EqslFormat::LogAdif, {q}, "JA1ZZZ");
  EXPECT_EQ(g.records[0]["QSL_SENT"] + g.records[0]["QSL_RCVD"], "NY");
  EXPECT_EQ(f.records[0]["COMMENT"], u8("メモ"));
  QByteArray bytes;
  EqslFileBytes(EqslFormat::LogAdif, {q}, "JA1ZZZ", bytes);
  EXPECT_TRUE(bytes.contains("<NAME:6>"));
  EXPECT_TRUE(bytes.contains("<GRIDSQUARE:0><QSL_VIA:1>J"));
  EXPECT_FALSE(bytes.contains("QSLMSG"));
}

TEST(QsoBankXml, LibxmlAndPythonReadEveryFieldBackWhateverItsCharacters) {
  TempHome home;
  EqslQso a = qso("2024-03-01", "01:30J", "JA1<&>");
  // Kana, kanji, the cells Windows and JIS map apart, Windows' own characters, characters of neither,
  // the ASCII marks Shift_JIS's single bytes differ on, half-width kana, markup.
  const QString message = u8("ありがとう ～－∥￢ ①髙 𠮷é ¥\\~ ｱﾘｶﾞﾄ & <CUL> \"73\"");
  QByteArray bytes;
  ASSERT_TRUE(EqslFileBytes(EqslFormat::QsoBankXml, {a}, message, bytes).ok);
  EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<putqsodata_body>\r\n"));
  EXPECT_TRUE(bytes.contains("\r\n<frequency>7.025</frequency><mode>CW</mode>\r\n<his_rpt>599</his_rpt><my_rpt>579</my_rpt>\r\n"));
  const QString path = home.write("q.xml", bytes);
  for (const XmlParser parser : {XmlParser::Libxml2, XmlParser::PythonEtree}) {
    QString error;
    EXPECT_EQ(ReadXml(parser, path, error),
              QStringList({"daytime=2024-03-01 01:30:00 JST", "callsign=JA1<&>", "frequency=7.025", "mode=CW", "his_rpt=599",
                           "my_rpt=579", "qsl_remarks=" + message, "qso_record=", "putqsodata_body="}));
    EXPECT_EQ(error, "");
  }
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
  Eqsl.EqslStartMark = 5, Eqsl.EqslEndMark = 2;  // marked in reverse
  const EqslExportResult r = ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 6);
  ASSERT_TRUE(r.ok) << r.failure.toStdString();
  EXPECT_EQ(Eqsl.EqslStartMark, 2);
  EXPECT_EQ(Eqsl.EqslEndMark, 5);
  EXPECT_EQ(calls(path), QStringList({"JA1E002", "JA1E004", "JA1E005"}));
  EXPECT_EQ(Hamlog.HamlogClosed, 1);
  // A start mark alone: that one stored record, the mark test included; it leaves nothing to write.
  Eqsl.EqslStartMark = 3, Eqsl.EqslEndMark = 0;
  const EqslExportResult none = ExportEqslRecords(EqslFormat::EqslAdif, home.file("none.ADI"), shown(), 6);
  EXPECT_EQ(Eqsl.EqslEndMark, 3);
  EXPECT_TRUE(none.nothing);
  EXPECT_FALSE(QFile::exists(home.file("none.ADI")));
  EXPECT_TRUE(none.failure.contains(u8("電子QSLのマーク「N」"))) << none.failure.toStdString();
  // No marks: the QSO on the screen, whatever its QSL via.
  Eqsl = {};
  ASSERT_TRUE(ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 3).ok);
  EXPECT_EQ(calls(path), QStringList({"JA9SHOW"}));
  EXPECT_EQ(Eqsl.EqslStartMark, 3);
  EXPECT_EQ(Eqsl.EqslEndMark, 3);
  // A QSO never saved (record 7 is not in the log): nothing, and the same again with the marks it left.
  for (int press = 0; press < 2; ++press) {
    if (press == 0) Eqsl = {};
    const EqslExportResult unsaved =
        ExportEqslRecords(EqslFormat::EqslAdif, home.file("unsaved.ADI"), shown(), 7);
    EXPECT_TRUE(unsaved.nothing);
    EXPECT_EQ(unsaved.skipped, std::vector<int32_t>({7}));
    EXPECT_FALSE(QFile::exists(home.file("unsaved.ADI")));
  }
}

TEST_F(EqslRecords, StoredDatesAndTimesAreWidenedAndConverted) {
  Fill(3, {}, {{1, {"1999/12/31", "23:59U"}}, {2, {"2005/01/01", "08:00J"}}, {3, {"2024/03/01", "09:00J"}}});
  const QString path = home.file("dates.ADI");
  Eqsl.EqslStartMark = 1, Eqsl.EqslEndMark = 3;
  ASSERT_TRUE(ExportEqslRecords(EqslFormat::EqslAdif, path, shown(), 3).ok);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const AdifFile a = ReadAdif(f.readAll());
  ASSERT_EQ(a.records.size(), 3u);
  QStringList stamps;
  for (const auto& r : a.records) stamps << r["QSO_DATE"] + " " + r["TIME_ON"];
  EXPECT_EQ(stamps, QStringList({"19991231 2359", "20041231 2300", "20240301 0000"}));
  // The same records for QSOBank keep their own zone.
  const QString xml = home.file("dates.xml");
  ASSERT_TRUE(ExportEqslRecords(EqslFormat::QsoBankXml, xml, shown(), 3).ok);
  QString error;
  const QStringList x = ReadXml(XmlParser::Libxml2, xml, error);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(x.contains("daytime=2005-01-01 08:00:00 JST"));
  EXPECT_TRUE(x.contains("qsl_remarks=Mny Tks FB QSO and CUL."));
}

TEST_F(EqslRecords, DeletedRecordsAreSkippedAndNamedNeverWrittenFromAnotherRecord) {
  Fill(5);
  MarkDeletedAsAnotherProgram(3);
  const QString path = home.file("gap.ADI");
  Eqsl.EqslStartMark = 2, Eqsl.EqslEndMark = 4;
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
  Eqsl.EqslStartMark = 1, Eqsl.EqslEndMark = 3;
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
