#pragma once
// The roadside stations (道の駅) of michinoeki.txt in the HAMLOG folder: key (with its "□" marks),
// name, code and QTH a station, read once and kept.

#include <QString>
#include <cstdint>
#include <vector>

struct RoadsideStation {
  QString key;
  QString name;
  QString code;
  QString qth;
};

struct RoadsideStationsState {
  QString MichinoekiPath;
  std::vector<RoadsideStation> Stations;  // empty until loaded
};
extern RoadsideStationsState RoadsideStations;

// Reads five comma-separated fields a line and keeps the first four. On any error: the list is
// emptied, the operator is asked whether the file is there, and 0 is returned.
int32_t LoadMichinoekiTxt(const QString& path);
