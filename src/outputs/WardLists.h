#pragma once
// The ward award lists: WAKU (QSOs from 2010-04-01 on, Tokyo's 23 wards left out) and the ORB award's
// ward list (every date, every ward). They read the progress work file DMYDBS.DAT, not the sheet's
// marks: per ward the first confirmed QSO on the band. One walk over the work file serves all wards.

#include <cstdint>

#include "outputs/OutputRun.h"

inline constexpr int32_t kWakuFirstDate = 20100401;

// `mode` 4 WAKU or 5 ORB ward list; `bandColumn` a band column or 27 for all bands but the satellite.
OutputRun WriteKuLists(int32_t bandColumn, int32_t mode);
