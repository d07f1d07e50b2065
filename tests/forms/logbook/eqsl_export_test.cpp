// Electronic QSL from the log viewer and the entry window's export: the eQSL mode and its marks, the
// save dialog and its folders, the file as an outside reader reads it, the question after an eQSL
// file, the upload program started with the file only once it is complete, and what goes wrong.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include "core/HamlogAccess.h"
#include "core/SettingsStore.h"
#include "core/SharedSettings.h"
#include "core/StartupSettings.h"
#include "forms/logbook/EqslExportFlow.h"
#include "forms/logbook/LOGDATAVIEW.h"
#include "forms/logbook/TEMP_LOG.h"
#include "logbook/EqslExport.h"
#include "logbook/QsoRow.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "support/adif_reader.h"
#include "support/logbook_log.h"
#include "support/operator.h"
#include "support/qt_print.h"

namespace {

QString u8(const char* t) { return QString::fromUtf8(t); }

class EqslExport : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    SetFixedClock(QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::OffsetFromUTC, 9 * 3600));
    WriteInternetShortcuts();
    Settings.EqslMark = "N";
    Settings.MyCall = "JA1ZZZ";
    uploader = home.write("bin/ComQSOBank.exe", "#!/bin/sh\n");
    Settings.PutQsoData = uploader;
  }
  void TearDown() override {
    UnloadForm<LOGDATAVIEW>();
    UnloadForm<TEMP_LOG>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    LogbookTest::TearDown();
  }
  void Fill(int n) {
    std::vector<LogQso> qsos;
    for (int i = 1; i <= n; ++i) {
      LogQso q(QString("JA1V%1").arg(i, 3, 10, QChar('0')), "1001", "7.025", i % 2 ? "CW" : "BPSK",
               i == 4 ? "N  " : "J* ", u8("山田"));
      q.time = i % 3 ? "08:30J" : "12:34U";
      qsos.push_back(q);
    }
    AddQsos(qsos);
  }
  LOGDATAVIEW& viewer() { return *LoadedForm<LOGDATAVIEW>(); }
  FlexGrid& grid() { return viewer().MSFlexGrid1; }
  // Selects rows from..to and clicks, as the operator drags over them.
  void clickRows(int from, int to) {
    grid().SetRow(from);
    grid().SetRowSel(to);
    grid().Click();
  }
  AdifFile adif(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return ReadAdif(f.readAll());
  }
  static QStringList calls(const AdifFile& a) {
    QStringList out;
    for (const auto& r : a.records) out << r["CALL"];
    return out;
  }
  // An export from the entry window into `path` that writes and starts nothing: one box, beginning with
  // the line `head` and naming `named`.
  void expectRefused(const EqslQso& shown, int32_t recNo, const QString& path, const QString& head,
                     const QString& named) {
    CommonDialog dialog;
    files.Choose(path);
    boxes.Answer(vbOK);
    ExportEqslFromEntry(dialog, shown, recNo);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(shell.calls().empty());
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(head + "\r\n")) << boxes.texts()[0].toStdString();
    EXPECT_TRUE(boxes.texts()[0].contains(named));
  }
  QString uploader;
  FileDialogResponder files;
  ShellRecorder shell;
};

}  // namespace

TEST_F(EqslExport, TheEqslModeMarksRowsAndLeavingItUndoesThem) {
  Fill(10);
  LOGDATAVIEW::OpenViewer();
  LOGDATAVIEW& v = viewer();
  EXPECT_TRUE(v.eQSLmode.Enabled());
  EXPECT_TRUE(v.LOGtoADIF.Enabled());
  EXPECT_FALSE(v.eQSLsend.Enabled());
  EXPECT_FALSE(v.eQSLtype.Visible());
  v.eQSLmode.Trigger();
  EXPECT_EQ(v.EqslMode, 1);
  EXPECT_EQ(v.eQSLmode.Caption(), u8("電子QSLモード中"));
  EXPECT_TRUE(v.eQSLsend.Enabled());
  EXPECT_TRUE(v.eQSLtype.Visible());
  EXPECT_EQ(v.eQSLtype.Caption(), "eQSLcc");
  EXPECT_FALSE(v.LOGtoADIF.Enabled());
  clickRows(5, 5);
  clickRows(7, 3);  // a selection of rows 3 to 7 of which row 5 is marked
  QStringList col0;
  for (int r = 1; r <= 8; ++r) col0 << grid().TextMatrix(r, 0);
  EXPECT_EQ(col0, QStringList({" 01", " 02", "eQSL", "eQSL", " 05", "eQSL", "eQSL", " 08"}));
  v.eQSLtype.Trigger();
  EXPECT_EQ(v.eQSLtype.Caption(), "QSOBank");
  EXPECT_EQ(Settings.EqslType, "1");
  EXPECT_EQ(ReadIniOr("E-QSL", "eQSL_type", "unset"), "unset");  // in memory only
  v.eQSLmode.Trigger();
  EXPECT_EQ(v.eQSLmode.Caption(), u8("電子QSLモードへ"));
  EXPECT_FALSE(v.eQSLtype.Visible());
  EXPECT_TRUE(v.LOGtoADIF.Enabled());
  for (int r = 1; r <= 10; ++r) EXPECT_EQ(grid().TextMatrix(r, 0), RecordNumberText(r));
}

TEST_F(EqslExport, TheViewerSendsItsMarkedRowsAsAnEqslFileAndOffersTheSite) {
  Fill(10);
  LOGDATAVIEW::OpenViewer();
  LOGDATAVIEW& v = viewer();
  v.eQSLmode.Trigger();
  boxes.Answer(vbOK);
  v.eQSLsend.Trigger();  // nothing marked
  EXPECT_EQ(boxes.texts(), QStringList({u8("送信するデータがありません、送信するデータを選択して下さい。")}));
  EXPECT_EQ(boxes.shown()[0].style, vbExclamation);
  clickRows(2, 5);  // row 4's QSL via is the eQSL mark: left out
  const QString path = home.file("out/240301ORBEX_EQSL.ADI");
  QDir().mkpath(home.file("out"));
  files.Choose(path);
  boxes.Answer(vbNo).Answer(vbOK);
  v.eQSLsend.Trigger();
  ASSERT_EQ(files.shown().size(), 1u);
  EXPECT_EQ(files.shown()[0].fileName, "240301ORBEX_EQSL");
  EXPECT_EQ(files.shown()[0].initDir, Settings.DataFolder);
  EXPECT_EQ(files.shown()[0].title, u8("電子QSLﾃﾞｰﾀ保存"));
  EXPECT_EQ(files.shown()[0].filter, u8("eQSLcc形電子QSLﾃﾞｰﾀ (*.ADI)|*.ADI"));
  EXPECT_EQ(ReadIniOr("E-QSL", "eQSLFOL", ""), home.file("out"));
  const AdifFile a = adif(path);
  ASSERT_EQ(a.error, "");
  EXPECT_EQ(calls(a), QStringList({"JA1V002", "JA1V003", "JA1V005"}));
  EXPECT_EQ(a.records[0]["MODE"] + "+" + a.records[0]["SUBMODE"], "PSK+PSK31") << "BPSK as ADIF names it";
  EXPECT_EQ(a.records[0]["QSO_DATE"] + a.records[0]["TIME_ON"], "202405052330");
  EXPECT_EQ(a.records[1]["QSO_DATE"] + a.records[1]["TIME_ON"], "202405061234");
  EXPECT_EQ(a.records[0]["QSLMSG"], "Mny Tks FB QSO & CUL.");
  ASSERT_EQ(boxes.shown().size(), 3u);
  EXPECT_EQ(boxes.shown()[1].title, u8("ORBEX5 電子QSL"));
  EXPECT_EQ(boxes.shown()[1].style, vbYesNo + vbQuestion);
  EXPECT_TRUE(boxes.shown()[1].text.startsWith(u8("ADIF形式でLOG-DATAを作成しました\r\n")));
  EXPECT_EQ(boxes.shown()[2].text, path + u8("のファイルを作成保存しました。"));
  EXPECT_TRUE(shell.calls().empty());
  // Yes opens the eQSL site's shortcut; the next dialog starts in the folder used last.
  files.Choose(path);
  boxes.Answer(vbYes);
  v.eQSLsend.Trigger();
  EXPECT_EQ(files.shown()[1].initDir, home.file("out"));
  EXPECT_EQ(shell.opened(), QStringList({"http://www.eqsl.cc/jp/index.cfm"}));
  // The dialog cancelled: said, and nothing written.
  QFile::remove(path);
  files.Cancel();
  boxes.Answer(vbOK);
  v.eQSLsend.Trigger();
  EXPECT_EQ(boxes.texts().last(), u8("電子QSLデータの保存を中止しました。"));
  EXPECT_FALSE(QFile::exists(path));
}

TEST_F(EqslExport, QsoBankGetsAWholeFileBeforeItsUploadProgramStarts) {
  Fill(6);
  Settings.EqslType = "1";
  Settings.EqslMesg = u8("ありがとう & <73>");
  LOGDATAVIEW::OpenViewer();
  LOGDATAVIEW& v = viewer();
  v.eQSLmode.Trigger();
  EXPECT_EQ(v.eQSLtype.Caption(), "QSOBank");
  clickRows(1, 6);
  const QString path = home.file("q.xml");
  files.Choose(path);
  QStringList seen;  // the record calls of the file as the started program finds it
  QString xmlError = "not started";
  ShellHook previous = SetShellHook([&](const ShellCall& c) -> int64_t {
    QFile f(c.arguments.value(0));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    QXmlStreamReader r(f.readAll());
    while (!r.atEnd())
      if (r.readNext() == QXmlStreamReader::StartElement && r.name() == QLatin1String("callsign")) seen << r.readElementText();
    xmlError = r.hasError() ? r.errorString() : QString();
    return 4321;
  });
  v.eQSLsend.Trigger();
  SetShellHook(previous);
  EXPECT_EQ(files.shown()[0].filter, u8("QSOBank形電子QSLﾃﾞｰﾀ (*.xml)|*.xml"));
  EXPECT_EQ(ReadIniOr("E-QSL", "eQSLQFOL", ""), home.path());
  EXPECT_EQ(xmlError, "");
  EXPECT_EQ(seen, QStringList({"JA1V001", "JA1V002", "JA1V003", "JA1V005", "JA1V006"}));
  EXPECT_EQ(v.EqslUploaderTask, 4321);
  EXPECT_TRUE(boxes.texts().isEmpty());
  // The upload program is gone: said, the file kept, nothing started.
  QFile::remove(uploader);
  QFile::remove(path);
  files.Choose(path);
  boxes.Answer(vbOK);
  v.eQSLsend.Trigger();
  EXPECT_TRUE(shell.started().isEmpty());
  EXPECT_TRUE(QFile::exists(path));
  ASSERT_EQ(boxes.texts().size(), 1);
  EXPECT_TRUE(boxes.texts()[0].startsWith(u8("接続不可、環境設定をご確認下さい。\r\n")));
  EXPECT_TRUE(boxes.texts()[0].contains(uploader));
}

TEST_F(EqslExport, ThePageExportWritesEveryRowAsAFullAdifRecord) {
  Fill(150);
  LOGDATAVIEW::OpenViewer();
  LOGDATAVIEW& v = viewer();
  v.GOBACK.Trigger();  // page 1..100
  const QString path = home.file("page.ADI");
  files.Choose(path);
  v.LOGtoADIF.Trigger();
  EXPECT_EQ(files.shown()[0].fileName, "ELOG_1to100");
  EXPECT_EQ(files.shown()[0].initDir, ProgramFolder());
  EXPECT_EQ(files.shown()[0].title, u8("電子LOGﾃﾞｰﾀ保存(ADIF形式)"));
  EXPECT_EQ(ReadIniOr("E-LOG", "eLOGFOL", ""), home.path());
  const AdifFile a = adif(path);
  ASSERT_EQ(a.error, "");
  ASSERT_EQ(a.records.size(), 100u);
  EXPECT_EQ(a.records[3]["CALL"], "JA1V004");  // written although its QSL via is the eQSL mark
  EXPECT_EQ(a.records[0]["OPERATOR"], "JA1ZZZ");
  EXPECT_EQ(a.records[0]["NAME"], u8("山田"));
  EXPECT_EQ(a.records[0]["BAND"], "40m");
  EXPECT_EQ(a.records[0]["QSL_SENT"], "Y");
  EXPECT_EQ(a.records[0]["GRIDSQUARE"], "PM95");
  // Cancel: nothing.
  files.Cancel();
  v.LOGtoADIF.Trigger();
  EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(EqslExport, ABandLoggedByItsLabelGoesOutWithoutFreqAndAFrequencyOnItsBand) {
  AddQsos({LogQso("JA1VAA", "1001", "*10", "CW", "J* ", ""), LogQso("JA1VAB", "1001", "146.500", "FM", "J* ", ""),
           LogQso("JA1VAC", "1001", "*24.048", "CW", "J* ", "")});
  LOGDATAVIEW::OpenViewer();
  files.Choose(home.file("page.ADI"));
  viewer().LOGtoADIF.Trigger();
  const AdifFile a = adif(home.file("page.ADI"));
  ASSERT_EQ(a.records.size(), 3u);
  QStringList out;
  for (const auto& r : a.records) out << r.value("BAND") + " " + r.value("FREQ", "-");
  EXPECT_EQ(out, (QStringList{"3cm -", "2m 146.500", "1.25cm 24048"}));
}

TEST_F(EqslExport, AShortLogProposesItsOwnRecordRange) {
  Fill(40);
  LOGDATAVIEW::OpenViewer();
  files.Cancel();
  viewer().LOGtoADIF.Trigger();
  EXPECT_EQ(files.shown()[0].fileName, "ELOG_1to40");
}

TEST_F(EqslExport, TheEntryWindowExportsItsQsoOrItsMarkedRun) {
  Fill(8);
  EqslQso shown = EqslQsoOfEntry("JA9NEW", "2024-03-01", "08:59J", "59", "57", "", "SSB");
  CommonDialog dialog;
  boxes.Answer(vbOK).Answer(vbOK);
  ExportEqslFromEntry(dialog, shown, 9);  // no frequency
  shown.freq = "433.000";
  shown.call = " ";
  ExportEqslFromEntry(dialog, shown, 9);  // no call sign
  EXPECT_EQ(boxes.texts(), QStringList({u8("Band DATA がありません"), u8("CALL DATA がありません")}));
  shown.call = "JA9NEW";
  // No marks: the QSO shown, as saved in record 8.
  const QString path = home.file("entry.ADI");
  files.Choose(path);
  boxes.Answer(vbNo).Answer(vbOK);
  ExportEqslFromEntry(dialog, shown, 8);
  EXPECT_EQ(files.shown()[0].fileName, "ORBEX_EQSL240301");
  AdifFile a = adif(path);
  EXPECT_EQ(calls(a), QStringList({"JA9NEW"}));
  EXPECT_EQ(a.records[0]["QSO_DATE"] + a.records[0]["TIME_ON"], "202402292359");
  EXPECT_EQ(boxes.texts().last(), path + u8("のファイルを作成保存しました"));
  EXPECT_EQ(Eqsl.EqslStartMark, 8);
  // A marked run, for QSOBank after a switch of the service.
  SetEqslStartMark(7);
  SetEqslEndMark(5);
  EXPECT_EQ(SwitchEqslService(), "QSOBank");
  const QString xml = home.file("entry.xml");
  files.Choose(xml);
  ExportEqslFromEntry(dialog, shown, 9);
  ASSERT_EQ(shell.started(), QStringList({RealPath(uploader)}));
  EXPECT_EQ(shell.calls()[0].arguments, QStringList({xml}));
  EXPECT_EQ(home.read("entry.xml").count("<qso_record>"), 3);  // 5 to 7
  // Cancel: nothing, no message.
  const qsizetype before = boxes.texts().size();
  files.Cancel();
  ExportEqslFromEntry(dialog, shown, 9);
  EXPECT_EQ(boxes.texts().size(), before);
  EXPECT_EQ(shell.started().size(), 1);
}

TEST_F(EqslExport, AnUnsavedEntryQsoWritesAndStartsNothingAndSaysWhyEveryTime) {
  Fill(2);
  Settings.ModeCount = "1";
  WriteIni("ORB", "MODE1", "CW");
  OpenLogWindow();
  TEMP_LOG& w = Form<TEMP_LOG>();
  Operator::Click(w.Text1);
  Operator::Type("JA9NEW");
  Operator::Click(w.Text8);
  Operator::Type("7.040");
  // eQSL, then QSOBank twice: record 3 was never saved.
  for (const char* file : {"first.ADI", "second.xml", "third.xml"}) {
    if (QString(file) == "second.xml") Operator::RightClick(w.Command7);
    files.Choose(home.file(file));
    boxes.Answer(vbOK);
    Operator::Click(w.Command7);
    EXPECT_FALSE(QFile::exists(home.file(file))) << file;
  }
  EXPECT_EQ(boxes.texts(),
            QStringList(3, u8("書き出す交信がありません (No.3 ～ No.3)。\r\n1 件は HAMLOG にありません"
                              "（保存されていないか削除されています）。\r\nファイルは作成していません。")));
  EXPECT_TRUE(shell.started().isEmpty());
}

TEST_F(EqslExport, AnEntryQsoWithoutADateIsRefusedAndNoFileIsMade) {
  Fill(12);
  Settings.EqslType = "1";
  const EqslQso shown = EqslQsoOfEntry(" JA9NEW ", "2024-02-30", "10:00J", "59", "57", "7.1", "SSB");
  EXPECT_EQ(shown.call, "JA9NEW");
  expectRefused(shown, 12, home.file("nodate.xml"), "EQSL_ERROR!!!  STRT=12  END=12 stop >>12", "JA9NEW");
}

TEST_F(EqslExport, AnEntryExportThatFailsStartsNothingAndSaysWhichRecord) {
  Fill(3);
  Settings.EqslType = "1";
  ASSERT_EQ(HamlogOpenDb(), 0);
  HamlogCloseDb(0);
  const EqslQso shown = EqslQsoOfEntry("JA9NEW", "", "", "", "", "7.0", "");
  SetEqslStartMark(1);
  SetEqslEndMark(3);
  // Into a folder that is not there.
  expectRefused(shown, 3, home.file("none/entry.xml"), "EQSL_ERROR!!!  STRT=1  END=3 stop >>3", "entry.xml");
}

TEST_F(EqslExport, TheServiceSitesOpenFromTheirShortcuts) {
  home.write("QSOBANK.url", "[InternetShortcut]\r\nURL=http://www.qsobank.com/user/\r\n");
  GoToServiceSite("QSOBANK.url");
  GoToServiceSite("eQSLcchomepage.url");
  EXPECT_EQ(shell.opened(), QStringList({"http://www.qsobank.com/user/", "http://www.eqsl.cc/jp/index.cfm"}));
  QFile::remove(JoinPath(ProgramFolder(), "QSOBANK.url"));
  boxes.Answer(vbOK);
  GoToServiceSite("QSOBANK.url");
  EXPECT_EQ(boxes.texts(), QStringList({u8("ＵＲＬが開けませんでした")}));
}

TEST_F(EqslExport, TheEntryWindowsControlsSayWhatTheyDo) {
  TEMP_LOG& w = Form<TEMP_LOG>();
  EXPECT_EQ(w.Command8.text(), "Strt");
  EXPECT_EQ(w.Command9.text(), "End");
  EXPECT_EQ(w.Command7.toolTip(), u8("このデータをQsoBankへ送ります"));
  EXPECT_EQ(w.Command8.toolTip(), u8("e-QSLへのデータ抽出開始点をSETします"));
  EXPECT_EQ(w.Command9.toolTip(), u8("e-QSLへのデータ抽出終了点をSETします"));
  EXPECT_EQ(w.GOEQSL.Caption(), u8("eQSLccのサイトへ"));
  EXPECT_EQ(w.GOQSOBANK.Caption(), u8("ＱＳＯＢａｎｋのサイトへ"));
}
