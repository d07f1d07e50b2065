// The sheet's transceiver panel: which of the two configured rigs is in use, the VFO exchange, the
// QSY box, and the rig's frequency in panel 3 of the status bar.
#include <QApplication>
#include <QElapsedTimer>
#include <QSignalBlocker>
#include <QTimer>
#include <cmath>

#include "forms/rig/CATtestMod.h"
#include "forms/rig/RigCFG.h"
#include "forms/sheet/CWSHEET.h"
#include "logbook/LogWindowState.h"
#include "platform/vbnumber.h"
#include "rig/RigPortState.h"
#include "rig/RigSetters.h"

namespace {

class SheetRigListener : public RigListener {
 public:
  explicit SheetRigListener(CWSHEET& sheet) : sheet_(sheet) {}
  void RigFrequency(int64_t, const QString&, const QString& statusText) override {
    sheet_.StatusBar1.SetPanelText(3, statusText);
  }
  // A failing link says so where the frequency stood; the next reading replaces it.
  void RigStatus(const QString& text) override {
    if (!text.isEmpty()) sheet_.StatusBar1.SetPanelText(3, text);
  }
  void RigRefused(const QString& reason) override { sheet_.ShowRefusal(reason); }

 private:
  CWSHEET& sheet_;
};

}  // namespace

// A refusal stands over the status bar, whatever the polls write under it, until the operator's first
// key or click on the sheet after it could be read, or for some seconds.
class RefusalNote : public QObject {
 public:
  explicit RefusalNote(CWSHEET& sheet) : QObject(&sheet), sheet_(sheet) {
    end_.setSingleShot(true);
    connect(&end_, &QTimer::timeout, this, &RefusalNote::End);
  }
  void Show(const QString& reason) {
    sheet_.StatusBar1.ShowAcross(reason);
    shown_.start();
    end_.start(RefusalNoteTimes.StandsMs);
    qApp->installEventFilter(this);
  }
  void End() {
    qApp->removeEventFilter(this);
    end_.stop();
    sheet_.StatusBar1.ShowAcross(QString());
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type t = event->type();
    if ((t == QEvent::KeyPress || t == QEvent::MouseButtonPress) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == &sheet_ && shown_.elapsed() >= RefusalNoteTimes.ReadMs)
      End();
    return false;
  }

 private:
  CWSHEET& sheet_;
  QTimer end_;
  QElapsedTimer shown_;
};

void CWSHEET::ShowRefusal(const QString& reason) { refusalNote_->Show(reason); }

void CWSHEET::wireRigPanel() {
  refusalNote_ = new RefusalNote(*this);
  rigListener_ = std::make_unique<SheetRigListener>(*this);
  AddRigListener(rigListener_.get());
  connect(this, &QObject::destroyed, [l = rigListener_.get()] { RemoveRigListener(l); });
  Check9.Click = [this] { Check9_Click(); };
  Rig1.Click = [this] { Rig1_Click(); };
  Rig2.Click = [this] { Rig2_Click(); };
  StatusBar1.PanelClick = [this](int panel) { StatusBar1_PanelClick(panel); };
  Command5.Click = [this] { Command5_Click(); };
  Command15.Click = [this] { Command15_Click(); };
  openRCONcfg.Click = [this] {
    RigPortClose();
    RigPortState.UseRig(1);  // the dialog's settings are rig 1's
    ShowRigInUse();
    Form<RigCFG>().Show();
  };
  // The rig's settings and memories saved and written back: the CAT test window.
  CMDtest.Click = [] { Form<CATtestMod>().Show(); };
  // There is no rig monitor window.
  RigConMon.SetEnabled(false);
  Text1.setText(QStringLiteral("??.XXXXX"));
}

bool CWSHEET::BandHeading_RightClick(int column) {
  // While the entry window shows a stored record or QSL cards are being checked, the click is theirs.
  if (LogWindowState.StoredRecordShown == 1 || LogWindowState.QslCheckMode == 1) return false;
  return RigSendBandCommand(MSFlexGrid2.TextMatrix(0, column));
}

void CWSHEET::ApplyRigModelRule() {
  const QString& m = RigPortState.RigModel;
  Command5.setVisible(m == "FT2000" || m == "FT991" || m == "FT817" || m == "ICOM");
}

bool CWSHEET::UseRigNumber(int rig) {
  QString refused;
  if (RigPortState.PortOpen != 1) {
    refused = QStringLiteral("RIG Control リグのポートが開いていないので切り替えません");
  } else {
    RigPortClose();
    if (rig == 1 || RigPortState.Rig2.PortName != "NONE") {
      RigPortState.UseRig(rig);
    } else {
      refused = QStringLiteral("RIG Control Rig#2 のポートが設定されていません (「リグコン関係の設定」で設定して下さい)");
    }
    ApplyRigModelRule();
    RigPortOpen();
  }
  ShowRigInUse();
  if (!refused.isEmpty()) ShowRefusal(refused);
  return refused.isEmpty();
}

void CWSHEET::ShowRigInUse() {
  const bool two = RigPortState.RigInUse == 2;
  const QSignalBlocker quiet(Check9);  // showing the rig is no choice of one
  Check9.SetValue(two ? 1 : 0);
  Rig1.SetChecked(!two);
  Rig2.SetChecked(two);
}

void CWSHEET::Check9_Click() {
  UseRigNumber(Check9.Value() == 1 ? 2 : 1);
  Text3.setFocus();
}

void CWSHEET::Rig1_Click() { UseRigNumber(1); }

void CWSHEET::Rig2_Click() { UseRigNumber(2); }

void CWSHEET::StatusBar1_PanelClick(int panel) {
  if (panel == 3 && RigPortState.TwoRig == "YES") PopupMenu(RigSel);
}

void CWSHEET::Command5_Click() {
  RigSwapVFO();
  Text3.setFocus();
}

void CWSHEET::Command15_Click() {
  const QString text = Text1.text().trimmed();
  if (text.isEmpty()) return;
  // Text that is no number, or a frequency no rig takes, sends nothing.
  if (!IsNumericText(text)) return;
  const double mhz = VbVal(text);
  if (!(mhz > 0) || mhz >= 1e6) return;
  int64_t hz = std::llround(mhz * 1'000'000);
  SetRigFreq(hz);
}

void CWSHEET::SetRigFreq(int64_t& hz) {
  RigTuneTo(hz);
  if (RigPortState.TransverterOn == "1") hz -= RigPortState.TransverterOffsetHz;
  Text3.setFocus();
}
