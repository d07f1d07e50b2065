#pragma once
// The award QSL lists of the sheet: for JCC, JCG, WAJA and DX on one band (or all bands but the
// satellite) one line per confirmed unit naming the QSO that confirms it, and for JCC, JCG and DX the
// units still missing (the remaining list, without the cities and guns founded after the latest listed
// QSO). The ward awards (WAKU, the ORB ward list) go to WardLists. Files land in the data folder.

#include <QString>
#include <cstdint>
#include <functional>

#include "outputs/OutputRun.h"

// AwardCheckMode values of the list dialog.
inline constexpr int32_t kAwardJcc = 1;
inline constexpr int32_t kAwardJcg = 2;
inline constexpr int32_t kAwardWaja = 3;
inline constexpr int32_t kAwardWaku = 4;
inline constexpr int32_t kAwardOrbKu = 5;
inline constexpr int32_t kAwardDx = 8;

// The DXCC code of a HAMLOG DX code ("unKnown" when no entity has it).
using DxccLookup = std::function<QString(const QString& hamlogCode)>;

// Writes the lists of award `mode` for `bandColumn` (a band column, or 27 for all bands) from
// MasterTable and the sheet's cell arrays, reading the confirming QSOs from HAMLOG.
OutputRun WriteAwardLists(int32_t mode, int32_t bandColumn, const DxccLookup& dxcc);

// "<label>_<mode><suffix>" in the data folder.
QString AwardListPath(const QString& bandLabel, const QString& suffix);
