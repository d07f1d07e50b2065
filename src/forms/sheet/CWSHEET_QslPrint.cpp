// The sheet's QSL printing: the QSO panel's print button and the menu that starts MMQSL.

#include <QPointer>

#include "core/QsoFields.h"
#include "core/SharedSettings.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LogWindowState.h"
#include "outputs/QslPrint.h"
#include "platform/clock.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/shell.h"

void CWSHEET::wireQslPrint() {
  Command3.Click = [this] { Command3_Click(); };
  exMMQSL.Click = [] { ShellStart(Settings.QslProgramPath); };
}

void CWSHEET::Command3_Click() {
  QslCardQso q;
  q.Date = Qso.QsoDate;
  q.Time = Qso.QsoTime;
  q.Call = Qso.QsoCall;
  q.HisRst = Qso.HisRst;
  q.Freq = Qso.QsoFreq;
  q.Mode = Qso.QsoMode;
  q.Name = Qso.QsoName;
  q.Qth = Qso.QsoQth;
  q.Via = Qso.QslVia;
  q.Sent = Qso.QslSent;
  q.Received = Qso.QslReceived;
  q.Remarks1 = Qso.Remarks1;
  q.Remarks2 = Qso.Remarks2;
  q.RecNo = Qso.QsoRecNo;
  const QPointer<CWSHEET> self(this);
  if (PrintQslCard(q) != QslPrintResult::HandedOver || !self) return;
  const QslReissueRecord history{TodayJst().toString("yyyy-MM-dd"), Qso.QsoRecNo,  Qso.QsoCall,
                                 Qso.QsoDate, Qso.QsoMode, Qso.CodeFixed.leftJustified(6), Qso.QsoQth};
  if (!AppendQslReissue(history))
    MsgBox(QStringLiteral("QSLAGN.DAT に印刷履歴を書き込めませんでした"), vbOKOnly);
  if (!self) return;
  ResetQsoPanel();
  LogWindowState.StoredRecordShown = 0;
}
