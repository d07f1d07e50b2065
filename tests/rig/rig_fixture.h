#pragma once
// A CAT link to a simulated transceiver on a pseudo-terminal, and a listener that keeps what the rig
// told the windows.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTest>
#include <memory>

#include "rig/RigLink.h"
#include "rig/RigPortState.h"
#include "rig/RigSetters.h"
#include "support/pty_transceiver.h"
#include "support/waits.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << b.toHex(' ').toStdString(); }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << l.join(" | ").toStdString(); }

struct HeardFromRig : RigListener {
  QList<int64_t> hz;
  QStringList entryTexts, statusBarTexts, modes, statuses, refusals;
  int polls = 0;
  void RigFrequency(int64_t f, const QString& entry, const QString& status) override {
    hz << f;
    entryTexts << entry;
    statusBarTexts << status;
  }
  void RigMode(const QString& mode) override { modes << mode; }
  void RigStatus(const QString& text) override { statuses << text; }
  void RigRefused(const QString& reason) override { refusals << reason; }
  void RigPolled() override { ++polls; }
};

class RigLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RigPortState = {};
    RigPortState.PostWriteWaitMs = 5;
    RigPortState.PollMode = 1;  // neither the timer nor a read at the open: the tests poll
    AddRigListener(&heard);
  }
  void TearDown() override {
    RigPortClose();
    RemoveRigListener(&heard);
    RigPortState = {};
  }
  // A simulated `model` on its own pseudo-terminal, and the link opened to it.
  // `answering`: the model of the rig on the line instead (the operator chose the wrong one).
  PtyTransceiver& Connect(const QString& model, const QString& civAddress = "94", const QString& answering = {}) {
    // The port goes before its terminal: a pseudo-terminal's number is free again once its rig goes.
    RigPortClose();
    rig = std::make_unique<PtyTransceiver>(answering.isEmpty() ? model : answering,
                                           static_cast<unsigned char>(civAddress.toUInt(nullptr, 16)));
    RigPortState.RigModel = model;
    RigPortState.PortName = rig->PortName();
    RigPortState.CivAddress = civAddress;
    RigPortOpen();
    // A test running beside this one may be reopening the name its own unplugged rig had, which the
    // system has since given to this terminal: its lock goes within moments.
    WaitUntil([] {
      if (RigPortState.PortOpen == 0 && RigPortState.StatusText.endsWith("は他で使用中です")) RigPortOpen();
      return RigPortState.PortOpen != 0 || !RigPortState.StatusText.endsWith("は他で使用中です");
    });
    EXPECT_EQ(RigPortState.PortOpen, 1) << RigPortState.StatusText.toStdString();
    rig->ClearReceived();
    return *rig;
  }
  // One poll; what the rig received during it.
  QList<QByteArray> Poll() {
    rig->ClearReceived();
    RigPoll();
    return rig->Commands();
  }

  std::unique_ptr<PtyTransceiver> rig;
  HeardFromRig heard;
};

inline QByteArray Hex(const char* hex) { return QByteArray::fromHex(hex); }

// The mode set by its code, as the setter leaves the code.
inline QString SetMode(QString code) {
  RigSetMode(code);
  return code;
}
