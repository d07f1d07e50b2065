#include "outputs/QslPrint.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

#include "core/HamlogAccess.h"
#include "core/SharedSettings.h"
#include "logbook/LogWindowState.h"
#include "platform/automation/automation.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/ui/doevents.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"
#include "platform/vbfile.h"

QslPrintState QslPrint;

namespace {

const QString kNoProgram = QStringLiteral("QSL印刷ソフトへのパスが未設定です、環境設定で指定下さい。");
const QString kTransferError = QStringLiteral("MMQSLへの転送ｴﾗｰです(^^ゞ");

bool WriteWork2Dat(const QString& programPath, const QslCardQso& q) {
  VbFile f(Work2DatPath(programPath), VbMode::Output);
  if (!f.IsOpen()) return false;
  f.Print({q.Call + "," + QString::number(q.RecNo)});
  return f.Close();
}

// The automation calls of one print, in MMQSL's order; false at the first refusal.
bool DriveMmqsl(Mmqsl& m, const QString& line, int16_t& printedPos) {
  return m.OpenDoc(Settings.MmqslDefFile) == 0 && m.DeleteLog() == 0 && m.AddLog(line) == 0 &&
         m.SortLog97(1) == 0 && m.SetPrintMax() == 0 && m.SetEnableLogFile(0) == 0 && m.SetDisableExit(3) == 0 &&
         m.Foreground() == 0 && m.SetPrintStat(0) == 0 && m.DoPrint() == 0 && m.GetPrintedPos(0, printedPos) == 0;
}

enum class PrintWait { Done, Failed, TimedOut };

PrintWait WaitForPrintEnd(Mmqsl& m) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    int16_t stat = 0;
    if (m.GetPrintStat(stat) != 0) return PrintWait::Failed;
    if (stat == 2) return PrintWait::Done;
    if (clock.elapsed() >= QslPrint.PrintWaitMs) return PrintWait::TimedOut;
    DoEvents();
  }
}

bool MarkQslSent(const QslCardQso& q) {
  const int32_t recNo = q.RecNo;
  HamlogCloseDb(0);
  DoEvents();
  if (HamlogOpenDb() != 0) {
    HamlogCloseDb(0);
    return false;
  }
  // Only on the QSO printed: another program may have moved it since the window showed it.
  const PickedQso printed{q.Call, q.Date, q.Time, q.Freq, q.Mode};
  const int sent = QSL_Send(Hamlog.Thw, recNo, AscAnsi(Settings.QslSendMark), &printed);
  Hamlog.LastResult = THW_read(Hamlog.Thw, recNo, 3);
  if (sent != 0 && sent != HAMLOG_UNCONFIRMED) {
    HamlogCloseDb(0);
    MsgBox(QStringLiteral("HAMLOG に Sendマークを付けられませんでした。\r\n") + HamlogWriteFailureText(sent, recNo),
           vbOKOnly);
    return false;
  }
  const QString unconfirmed = sent == HAMLOG_UNCONFIRMED ? HamlogWriteFailureText(sent, recNo) : QString();
  if (Hamlog.LastResult == 0 && LogWindowState.LogWindowOpen == 1 && EntryWindowHooks.ShowStoredQso)
    EntryWindowHooks.ShowStoredQso(recNo);
  HamlogCloseDb(0);
  if (!unconfirmed.isEmpty()) MsgBox(unconfirmed, vbOKOnly);
  return true;
}

}  // namespace

bool IsMmqslProgram(const QString& programPath) { return programPath.toUpper().contains("MMQSL.EXE"); }

QString QthBeforeAbolishedMark(const QString& qth) {
  const qsizetype star = qth.indexOf('*');
  return star < 0 ? qth : qth.left(star);
}

QString Work2DatPath(const QString& programPath) {
  return JoinPath(QFileInfo(RealPath(programPath)).absolutePath(), "WORK2.DAT");
}

QString MmqslVia(const QString& via, const QString& remarks1, const QString& remarks2) {
  if (via != QLatin1String("M")) return via;
  for (const QString* r : {&remarks1, &remarks2}) {
    const qsizetype at = r->indexOf('@');
    if (at >= 0) return r->mid(at, 7).trimmed();
  }
  return via;
}

QString MmqslLogLine(const QslCardQso& q) {
  QString date = q.Date.left(10);
  date.replace('/', '-');
  QDateTime when(QDate::fromString(date, "yyyy-MM-dd"), QTime::fromString(q.Time.left(5), "hh:mm"));
  if (!when.isValid()) return QString();
  if (q.Time.endsWith('U')) when = when.addSecs(9 * 3600);
  const QStringList fields = {when.toString("yy.MM.dd"),
                              when.toString("hhmm"),
                              q.Call.trimmed(),
                              q.HisRst,
                              q.Freq,
                              q.Mode.trimmed(),
                              QString(),
                              q.Name.trimmed(),
                              QthBeforeAbolishedMark(q.Qth).trimmed(),
                              MmqslVia(q.Via, q.Remarks1, q.Remarks2).trimmed(),
                              q.Sent.trimmed(),
                              q.Received.trimmed()};
  return fields.join(',') + ",";
}

bool PrintQslWithMmqsl(const QslCardQso& qso) {
  if (!Settings.MmqslDefFile.toUpper().contains(".MQL")) {
    MsgBox(QStringLiteral("QSL定義ﾌｧｲﾙが設定されていません、環境設定で*.MQLﾌｧｲﾙを指定して下さい。"), vbOKOnly);
    return false;
  }
  const QString line = MmqslLogLine(qso);
  if (line.isEmpty()) {
    HamlogCloseDb(0);
    MsgBox(kTransferError, vbOKOnly);
    return false;
  }
  QString why;
  std::unique_ptr<Mmqsl> mmqsl = NewMmqsl(why);
  if (!mmqsl) {
    MsgBox(why, vbOKOnly, QStringLiteral("ＱＳＬ印刷"));
    return false;
  }
  int16_t printedPos = -1;
  if (!DriveMmqsl(*mmqsl, line, printedPos)) {
    mmqsl.reset();
    HamlogCloseDb(0);
    MsgBox(kTransferError, vbOKOnly);
    return false;
  }
  if (printedPos != 0) return false;
  const PrintWait wait = WaitForPrintEnd(*mmqsl);
  mmqsl.reset();
  if (wait == PrintWait::Failed) {
    HamlogCloseDb(0);
    MsgBox(kTransferError, vbOKOnly);
    return false;
  }
  if (wait == PrintWait::TimedOut) {
    MsgBox(QStringLiteral("MMQSLから印刷終了の知らせがありません。交信番号") + QString::number(qso.RecNo) +
               QStringLiteral(" の Sendマークは付けていません。"),
           vbOKOnly, QStringLiteral("ＱＳＬ印刷"));
    return false;
  }
  Hamlog.LastResult = MsgBox(QStringLiteral("交信番号") + QString::number(qso.RecNo) +
                                 QStringLiteral("をＭＭＱＳＬで差込印刷しました.") + "\r\n" +
                                 QStringLiteral("HAMLOG に Sendマークをつけますか？"),
                             vbYesNo + vbQuestion, QStringLiteral("ＱＳＬ印刷"));
  if (Hamlog.LastResult != vbYes) return false;
  if (Settings.QslSendMark.isEmpty()) {
    MsgBox(kTransferError, vbOKOnly);
    return false;
  }
  return MarkQslSent(qso);
}

QslPrintResult PrintQslCard(const QslCardQso& qso) {
  HamlogCloseDb(0);
  QslCardQso q = qso;
  q.Qth = QthBeforeAbolishedMark(q.Qth);
  const QString program = Settings.QslProgramPath;
  if (IsMmqslProgram(program)) {
    return PrintQslWithMmqsl(q) ? QslPrintResult::MarkedSent : QslPrintResult::Mmqsl;
  }
  const QFileInfo file(RealPath(program));
  if (program.trimmed().isEmpty() || !file.isFile()) {
    MsgBox(kNoProgram, vbOKOnly);
    return QslPrintResult::Failed;
  }
  if (!WriteWork2Dat(program, q)) {
    MsgBox(kNoProgram + "\r\n" + Work2DatPath(program) + QStringLiteral(" に書き込めません"), vbOKOnly);
    return QslPrintResult::Failed;
  }
  if (ShellStart(file.absoluteFilePath(), {QStringLiteral("LINK")}) == 0) {
    MsgBox(kNoProgram, vbOKOnly);
    return QslPrintResult::Failed;
  }
  return QslPrintResult::HandedOver;
}

bool AppendQslReissue(const QslReissueRecord& r) {
  VbFile f(JoinPath(Settings.DataFolder, "QSLAGN.DAT"), VbMode::Append);
  if (!f.IsOpen()) return false;
  const bool written =
      f.Write({r.PrintDate, static_cast<long long>(r.RecNo), r.Call, r.QsoDate, r.Mode, r.Code, r.Qth});
  return f.Close() && written;
}
