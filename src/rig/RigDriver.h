#pragma once
// One driver per protocol family, behind one interface. A driver talks through the link's senders and
// readers (RigLink.h), so every frame goes through the one port and the one exchange at a time.

#include <QByteArray>
#include <QString>
#include <optional>

#include "rig/RigModels.h"

class RigDriver {
 public:
  virtual ~RigDriver() = default;
  // One poll: read frequency (and mode, where the model tells it) and publish them.
  virtual void Poll(const RigModelInfo& model) = 0;
  // The setters return whether the rig took the command: it went out and the rig did not refuse it
  // (a refusal the rig answers is told through RigRefuse).
  // The model's set-mode command for one of its mode codes; nothing (true) for models without one.
  virtual bool SetMode(const RigModelInfo& model, const QString& code) = 0;
  // The set-frequency command(s) for the frequency in Hz written with the model's digits.
  virtual bool SetFreq(const RigModelInfo& model, const QString& digits) = 0;
  // Exchange VFO A and B, where the model has it.
  virtual bool SwapVfo(const RigModelInfo& model) = 0;
};

// The CI-V address a setting gives: two hexadecimal digits, blanks around them passed over, that name
// one transceiver; nothing otherwise. The settings' check and every frame go by it.
std::optional<unsigned char> CivAddressValue(const QString& text);
// Why a setting names no transceiver's address ("" when it does), in the operator's words.
QString CivAddressProblem(const QString& text);

// Sends FE FE, the rig's CI-V address, E0, `commandAndData`, FD. False when the address setting is not
// two hexadecimal digits (StatusText then says so) or the port is not usable.
bool RigSendCiv(const QByteArray& commandAndData);
// RigSendCiv, then the rig's answer to it: true on its "OK" (FB); its "NG" (FA) or no answer is a
// refusal, told through RigRefuse.
bool RigCivCommand(const QByteArray& commandAndData);

// Sends a text command that has no answer: false when it did not go out, or the rig answered "?" to it
// (told through RigRefuse).
bool RigSendTextCommand(const QString& command);

RigDriver& CivDriver();
RigDriver& YaesuBinaryDriver();
RigDriver& TextCommandDriver();
RigDriver& DriverOf(const RigModelInfo& model);
