#pragma once
// The start window's league-station check: the operator picks a band in the display-settings dialog
// (band-choice mode), then the check runs while the start window shows it is busy.

// The menu entry "JARL stations" of the start window.
void ChooseLeagueStationBand();
