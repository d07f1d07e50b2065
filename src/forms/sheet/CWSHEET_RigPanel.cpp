// The sheet's transceiver panel: which of the two configured rigs is in use, the VFO exchange, the
// QSY box, and the rig's frequency in panel 3 of the status bar.
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

 private:
  CWSHEET& sheet_;
};

}  // namespace

void CWSHEET::wireRigPanel() {
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
    Check9.SetValue(0);
    RigPortClose();
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

void CWSHEET::SelectRig(int rig) { RigPortState.UseRig(rig == 2 ? RigPortState.Rig2 : RigPortState.Rig1); }

void CWSHEET::ApplyRigModelRule() {
  const QString& m = RigPortState.RigModel;
  Command5.setVisible(m == "FT2000" || m == "FT991" || m == "FT817" || m == "ICOM");
}

void CWSHEET::Check9_Click() {
  if (RigPortState.PortOpen != 1) return;
  RigPortClose();
  if (Check9.Value() == 1) {
    if (RigPortState.Rig2.PortName != "NONE") SelectRig(2);
  } else {
    SelectRig(1);
  }
  ApplyRigModelRule();
  RigPortOpen();
  Text3.setFocus();
}

// The menu's marks toggle themselves on a click; they follow the rig in use only.
void CWSHEET::tickRigInUse() {
  const RigPortStateData& s = RigPortState;
  const auto inUse = [&s](const RigSetting& r) {
    return r.PortName != "NONE" && s.PortName == r.PortName && s.RigModel == r.RigModel;
  };
  const bool two = inUse(s.Rig2) && !inUse(s.Rig1);
  Rig1.SetChecked(!two);
  Rig2.SetChecked(two);
}

void CWSHEET::Rig1_Click() {
  if (RigPortState.PortOpen != 1) return tickRigInUse();
  RigPortClose();
  SelectRig(1);
  tickRigInUse();
  Check9.SetValue(0);
  ApplyRigModelRule();
  RigPortOpen();
}

void CWSHEET::Rig2_Click() {
  if (RigPortState.PortOpen != 1) return tickRigInUse();
  RigPortClose();
  if (RigPortState.Rig2.PortName != "NONE") {
    SelectRig(2);
    Check9.SetValue(1);  // finds the port closed: nothing more
  }
  tickRigInUse();
  ApplyRigModelRule();
  RigPortOpen();
}

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
