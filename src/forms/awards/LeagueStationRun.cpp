#include "forms/awards/LeagueStationRun.h"

#include <cstdint>

#include "awards/LeagueStationCheck.h"
#include "core/HamlogAccess.h"
#include "forms/sheet/CFG.h"
#include "forms/startup/ORBTOP.h"
#include "platform/ui/doevents.h"

namespace {

// The display-settings dialog as a band picker, answered modally: the band chosen, or -1 when the
// dialog was closed without a choice.
int32_t chooseBand() {
  UnloadForm<CFG>();  // a dialog left open in the other mode would not load as a picker
  Cfg.CfgMode = 1;
  CFG& dialog = Form<CFG>();
  dialog.Frame3.setEnabled(false);
  dialog.Check3.setEnabled(false);
  dialog.Show(vbModal);
  const int32_t band = Cfg.CfgMode == 2 ? Cfg.CfgBandChoice : -1;
  UnloadForm<CFG>();
  Cfg.CfgMode = 0;
  return band;
}

}  // namespace

void ChooseLeagueStationBand() {
  ORBTOP* top = LoadedForm<ORBTOP>();
  if (!top) return;
  top->BeginReading();
  Hamlog.HdbRecordCount = CountHdbRecords();
  top->Label11.setText(QString::number(Hamlog.HdbRecordCount));
  top->Label9.setText(QStringLiteral("設定待"));
  DoEvents();
  const int32_t band = chooseBand();
  top = LoadedForm<ORBTOP>();
  if (!top) return;
  if (band >= 0 && band <= kAllBandsChoice) {
    top->Label9.setText(QStringLiteral("読込中"));
    DoEvents();
    CheckJARLStationAward(band);
  }
  if ((top = LoadedForm<ORBTOP>())) top->EndReading();
}
