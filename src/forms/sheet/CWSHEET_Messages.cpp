// Commands from other programs while the sheet is up: the companion rig program's zero-in, shifts,
// CW messages and rig choice, a spot to look at, and a satellite QSO's code.

#include "forms/sheet/CWSHEET.h"
#include "platform/ipc/ipc.h"
#include "rig/RigPortState.h"
#include "rig/RigSetters.h"
#include "sheet/ProgramMessages.h"

void CWSHEET::listenToOtherPrograms() {
  messages_ = std::make_unique<IpcReceiver>(QString::fromLatin1(kProgramMessageTitle));
  messages_->Received = [this](const QByteArray& bytes) {
    HandleProgramMessage(bytes);
    return 0;
  };
}

void CWSHEET::HandleProgramMessage(const QByteArray& bytes) {
  const ProgramMessage m = ParseProgramMessage(bytes);
  using Kind = ProgramMessage::Kind;
  switch (m.kind) {
    case Kind::RigNumber:
      Check9.SetValue(m.text == "1" ? 1 : 0);
      return;
    case Kind::ZeroIn:
      RigZeroIn(m.hz);
      return;
    case Kind::TxShift:
      RigTxShift(m.hz);
      return;
    case Kind::XitOff:
      RigXitOff();
      return;
    case Kind::CompanionClosed:
      return;
    case Kind::CwMessage:
      RigSendCwMessage(m.text);
      return;
    case Kind::SatMate:
      Text2.setText(m.fields[kSatMateCodeField]);
      // Handing the QSO to the log needs the entry window; without one only the code is looked up.
      if (m.fields.size() <= kSatMateLogField) RigPortState.ManualFreqFlag = 0;
      return;
    case Kind::Spot:
      Text3.setText(QString());
      Text2.setText(QString());
      Text2.setText(m.fields[kSpotCodeField]);
      Text1.setText(m.fields[kSpotFreqField]);
      RigPortState.SatMateMode = m.fields[kSpotModeField];
      Text3.setText(m.fields[kSpotCallField]);
      Text3.setFocus();
      return;
    case Kind::Unusable:
      RigPortState.ManualFreqFlag = 0;
      return;
  }
}
