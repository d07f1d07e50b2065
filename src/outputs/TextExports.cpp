#include "outputs/TextExports.h"

#include "core/BandLayout.h"
#include "core/DesignatedCities.h"
#include "core/MasterList.h"
#include "core/MasterTable.h"
#include "platform/vbfile.h"
#include "sheet/SheetTally.h"

namespace {

int32_t loadedRows() { return std::min(SheetTally.MasterRowCount, MasterTable.Rows()); }

}  // namespace

bool WriteAcagDat(const QString& path, const QDate& today) {
  VbFile out(path, VbMode::Output);
  bool ok = out.Print({QStringLiteral("ACAG.DAT for ZLOG ") + QString::number(today.year()) + "." +
                       QString::number(today.month())});
  // Japanese rows only: the DX entities begin at "500A".
  const int32_t last = MasterList.FirstDxRow > 0 ? std::min(MasterList.FirstDxRow - 1, loadedRows()) : loadedRows();
  for (int32_t r = 1; r <= last && ok; ++r) {
    const QString code = MasterTable(1, r).trimmed();
    const QString name = MasterTable(2, r).trimmed();
    if (name.contains('*')) continue;
    if (code.size() == 4 && IsDesignatedCityCode(code)) continue;
    if (code.size() == 6 && code.back().isLetter()) continue;
    ok = out.Print({code.leftJustified(11, ' ') + name});
  }
  ok = ok && out.Print({"end of file acag.dat"});
  return ok && out.Close();
}

int KindNumberOf(const QString& kind) {
  static const char* kinds[] = {"DX", "C", "G", "K", "T", "V"};
  for (int i = 0; i < 6; ++i)
    if (kind == QLatin1String(kinds[i])) return i + 3;
  return 0;
}

bool WriteQthDataFile(const QString& path) {
  VbFile out(path, VbMode::Output);
  bool ok = out.IsOpen();
  QString kindNumber;  // a row of no known kind takes the number of the row before it
  for (int32_t r = 1; r <= loadedRows() && ok; ++r) {
    if (const int k = KindNumberOf(MasterTable(BandLayout.KindColumn, r))) kindNumber = QString::number(k);
    ok = out.Write({MasterTable(1, r).trimmed(), MasterTable(2, r).trimmed(), kindNumber,
                    MasterTable(3, r).trimmed(), MasterTable(4, r).trimmed()});
  }
  return ok && out.Close();
}
