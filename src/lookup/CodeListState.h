#pragma once
// What the code list windows share with the entry window: which list the code list serves, and the
// inputs and result of the local-time greeting of a DX pick.

#include <QString>
#include <cstdint>

struct CodeListSharedState {
  int32_t JaCodeListMode = 0;  // 1 while the code list serves the entry window's JA code search
  int32_t LocalLongitude = 0;  // degrees, of the DX row picked
  QString LocalLongitudeSide;  // "東経" or "西経"
  QString LocalTimeText;       // "HH:MM" of the DX station, "" when none
};
extern CodeListSharedState CodeListShared;
