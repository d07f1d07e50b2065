#pragma once
// The start window's league-station check: the operator picks a band in the display-settings dialog
// (band-choice mode), then the check runs while the start window shows it is busy.

#include <cstdint>
#include <functional>

struct LeagueStationHooksState {
  // The display-settings dialog in band-choice mode, shown modally: the chosen band 0 .. 22, or -1
  // when it was closed without a choice. While it is empty the menu entry stays disabled.
  std::function<int32_t()> ChooseBand;
};
extern LeagueStationHooksState LeagueStationHooks;

// The menu entry "JARL stations" of the start window.
void ChooseLeagueStationBand();
