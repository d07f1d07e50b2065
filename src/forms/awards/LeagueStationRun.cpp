#include "forms/awards/LeagueStationRun.h"

#include "awards/LeagueStationCheck.h"
#include "core/HamlogAccess.h"
#include "forms/startup/ORBTOP.h"
#include "platform/ui/doevents.h"

LeagueStationHooksState LeagueStationHooks;

void ChooseLeagueStationBand() {
  ORBTOP* top = LoadedForm<ORBTOP>();
  if (!top || !LeagueStationHooks.ChooseBand) return;
  top->BeginReading();
  Hamlog.HdbRecordCount = CountHdbRecords();
  top->Label11.setText(QString::number(Hamlog.HdbRecordCount));
  top->Label9.setText(QStringLiteral("設定待"));
  DoEvents();
  // The dialog answers modally; no flag is polled while it is up.
  const int32_t band = LeagueStationHooks.ChooseBand();
  top = LoadedForm<ORBTOP>();
  if (!top) return;
  if (band >= 0 && band <= kAllBandsChoice) {
    top->Label9.setText(QStringLiteral("読込中"));
    DoEvents();
    CheckJARLStationAward(band);
  }
  if ((top = LoadedForm<ORBTOP>())) top->EndReading();
}
