// Commands from other programs while the sheet is up: the companion rig program's zero-in, shifts,
// CW messages and rig choice, a spot to look at, and a satellite QSO's code.

#include <QPointer>

#include "core/QsoRules.h"
#include "core/SharedSettings.h"
#include "forms/logbook/QSODATA.h"
#include "forms/logbook/TEMP_LOG.h"
#include "forms/sheet/CWSHEET.h"
#include "platform/ipc/ipc.h"
#include "platform/ui/msgbox.h"
#include "platform/vbnumber.h"
#include "rig/RigPortState.h"
#include "rig/RigSetters.h"
#include "sheet/ProgramMessages.h"

void CWSHEET::listenToOtherPrograms() {
  messages_ = std::make_unique<IpcReceiver>(QString::fromLatin1(kProgramMessageTitle));
  if (const QString why = IpcFolderProblem(); !why.isEmpty())
    MsgBox(QStringLiteral("他のプログラム (リグコン, SatMate) からの指示は受け取りません。") + "\r\n" + why,
           vbOKOnly | vbExclamation);
  messages_->Lost = [](const QString& why) { MsgBox(why, vbOKOnly | vbExclamation); };
  messages_->Back = [](const QString& what) { MsgBox(what, vbOKOnly | vbInformation); };
  // A command comes in a turn of its own, never inside a box, a wait or another job (a save waiting for
  // another program, a reading), after the commands before it were answered. It is answered when it was
  // carried out or refused: a rig command once the rig took it.
  messages_->Received = [this](const QByteArray& bytes, const IpcAnswer& answer) {
    HandleProgramMessage(bytes,
                         [answer](bool carriedOut) { answer.Send(carriedOut ? kIpcHandled : kIpcRefused); });
  };
}

void CWSHEET::satelliteQsoToLog(const QStringList& f) {
  const QPointer<CWSHEET> self(this);
  if (!OpenLogWindow() || !self) return;  // a QSO typed there and not saved stays
  const QPointer<TEMP_LOG> log = LoadedForm<TEMP_LOG>();
  if (!log) return;
  RigPortState.ManualFreqFlag = 1;  // the rig's poll must not overwrite the satellite's frequency
  log->Text1.setText(f[kSatMateCallField]);
  QString call = f[kSatMateCallField];
  QSODATA::ShowStationQsos(call);
  // Its boxes run the event loop: either window may have gone meanwhile.
  if (!self || !log) return;
  log->Text8.setText(f[kSatMateFreqField]);
  log->Text14.setText(f[kSatMateRemarks1Field]);
  log->Text15.setText(f[kSatMateRemarks2Field]);
  const QString code = f[kSatMateCodeField];
  log->Text9.setText(code);
  // The QTH of the row the code search found; a code the sheet does not hold takes none.
  const int row = MSFlexGrid2.RowSel();
  if (!code.isEmpty() && row >= 1 && MSFlexGrid2.TextMatrix(row, 1).trimmed() == code.trimmed())
    log->Text13.setText(MSFlexGrid2.TextMatrix(row, 2).trimmed());
  // A mode the list does not hold leaves the mode as it is.
  const int stored = static_cast<int>(VbVal(Settings.ModeCount));
  for (int i = 0; i < std::min(stored, log->Combo1.ListCount()); ++i) {
    if (log->Combo1.List(i) != f[kSatMateModeField]) continue;
    log->Combo1.SetListIndex(i);
    log->Combo1.SetText(log->Combo1.List(i));
    log->Label17.setText(log->Combo1.Text());
    break;
  }
}

void CWSHEET::HandleProgramMessage(const QByteArray& bytes,
                                   const std::function<void(bool carriedOut)>& done) {
  const ProgramMessage m = ParseProgramMessage(bytes);
  using Kind = ProgramMessage::Kind;
  // What is done here without the rig is answered behind the rig commands that came before it.
  const auto answer = [&done](bool carriedOut) { RigAnswerInTurn(done, carriedOut); };
  switch (m.kind) {
    case Kind::RigNumber: {
      // As a tick of "Rig#2" does: nothing when that rig is in use already.
      const int rig = m.text == "1" ? 2 : 1;
      if (RigPortState.RigInUse == rig) return answer(true);
      const bool changed = UseRigNumber(rig);
      Text3.setFocus();
      return answer(changed);
    }
    case Kind::ZeroIn:
      return RigZeroIn(m.hz, done);
    case Kind::TxShift:
      return RigTxShift(m.hz, done);
    case Kind::XitOff:
      return RigXitOff(done);
    case Kind::CompanionClosed:
      return answer(true);
    case Kind::CwMessage:
      return RigSendCwMessage(m.text, done);
    case Kind::SatMate:
      QsoRules.QslFlagCode = "0";
      Text2.setText(m.fields[kSatMateCodeField]);
      if (m.fields.size() <= kSatMateLogField) {
        RigPortState.ManualFreqFlag = 0;
        return answer(true);
      }
      if (m.fields[kSatMateLogField] == "T") satelliteQsoToLog(m.fields);
      return answer(true);
    case Kind::Spot:
      Text3.setText(QString());
      Text2.setText(QString());
      Text2.setText(m.fields[kSpotCodeField]);
      Text1.setText(m.fields[kSpotFreqField]);
      RigPortState.SatMateMode = m.fields[kSpotModeField];
      Text3.setText(m.fields[kSpotCallField]);
      Text3.setFocus();
      return answer(true);
    case Kind::Unusable: {
      RigPortState.ManualFreqFlag = 0;
      const QPointer<CWSHEET> self(this);
      return RigAnswerInTurn(
          [self, problem = m.problem, done](bool) {
            if (self) self->ShowRefusal(problem);
            done(false);
          },
          false);
    }
  }
  done(false);
}
