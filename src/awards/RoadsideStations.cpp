#include "awards/RoadsideStations.h"

#include <QFileInfo>

#include "platform/ui/msgbox.h"
#include "platform/vbfile.h"

RoadsideStationsState RoadsideStations;

int32_t LoadMichinoekiTxt(const QString& path) {
  RoadsideStations.MichinoekiPath = path;
  std::vector<RoadsideStation>& out = RoadsideStations.Stations;
  out.clear();
  VbFile f(path, VbMode::Input);
  bool ok = f.IsOpen();
  while (ok && !f.Eof()) {
    RoadsideStation s;
    QString spare;
    ok = f.Input(s.key, s.name, s.code, s.qth, spare);
    if (ok) out.push_back(s);
  }
  f.Close();
  if (ok) return int32_t(out.size());
  out.clear();
  MsgBox(QFileInfo(path).absolutePath() + "/" + QString::fromUtf8(" にMichinoeki.txtがありますか？"));
  return 0;
}
