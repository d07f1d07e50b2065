#pragma once
// The league's station award: confirmed QSOs with the listed club and commemorative stations of
// JARLstation.TXT (program folder), found through HAMLOG's call index, counted once per station,
// band, logged call, year and code, with the year rules of the ITU commemorative stations. Each run
// writes DataFolder\<band key>-cfm_JARLstation.TXT and tells the points against the award levels.

#include <QString>
#include <QStringList>
#include <cstdint>

struct LeagueStationState {
  int32_t LeaguePointCount = 0;  // QSOs counted by the last run (its points)
};
extern LeagueStationState LeagueStation;

inline constexpr int32_t kAllBandsChoice = 22;

// Band key of a band choice 0 .. 22 ("1.9" .. "SAT", "allBand"); "" outside.
QString LeagueBandKey(int32_t bandIndex);

// The station list as the check uses it: base calls, upper case, each once. Lines that name no call
// (blank, comments starting with "#", ";" or "'") are passed over; a portable call counts for its
// base call; lines that cannot be a call sign (other characters, longer than a logged call) are
// named in `skipped` as "行 n: text".
struct StationList {
  QStringList calls;
  QStringList skipped;
  int readError = 0;  // the system's reason when the file could not be read (FileErrorReason)
};
// False when the file cannot be read.
bool ReadStationList(const QString& path, StationList& list);

// True when a QSO in `year` ("YYYY") may count for the listed call: 8J1ITU and 8N3ITU only in 1994,
// 8J2ITU .. 8J0ITU only up to 2003; other calls always.
bool LeagueYearAllowed(const QString& call, const QString& year);

// The whole run for a band choice: report, count, messages, and the report opened for the operator.
void CheckJARLStationAward(int32_t bandIndex);
